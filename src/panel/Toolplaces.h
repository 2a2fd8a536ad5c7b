#pragma once
// Where the main window's tool windows open the first time, before a stored position (or a
// window manager) places them: the Smith chart and Capacitors windows one above the other to
// the right of the main window (side by side where the screen is too low), the tuning, model and
// traffic-log windows side by side below it. Each keeps to the screen; where the screen is too
// small for that, they overlap the main window.

#include <array>

struct SPlace {
    int Left = 0;
    int Top = 0;
    int Width = 0;
    int Height = 0;
    int Right() const { return Left + Width; }
    int Bottom() const { return Top + Height; }
    bool Intersects(const SPlace& other) const;
    bool operator==(const SPlace&) const = default;
};

namespace toolplaces {

enum Window { Smith, Caps, Tuning, Model, TrafficLog, Count };
constexpr int Gap = 8; // pixels between two windows

// The windows' places for their sizes (Left and Top of each size are not used), beside the
// main window's frame, within the screen's free area.
std::array<SPlace, Count> FirstPlaces(const SPlace& main, const std::array<SPlace, Count>& sizes,
                                      const SPlace& screen);

} // namespace toolplaces

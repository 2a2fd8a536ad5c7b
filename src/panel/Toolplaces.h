#pragma once
// Where the main window's tool windows open the first time, before a stored position (or a
// window manager) places them. Each goes in a free place of its own beside the main window:
// the Smith chart, Capacitors and traffic-log windows to its right by preference, the tuning,
// model and logging windows below it; failing that below or to the right, then to its left.
// Where the screen has no such room, the window cascades over the main window's middle, between
// its tool bar and its status bar, each a title bar's height below and right of the one before.
// No first place covers the main window's menu bar, tool bar or status bar, nor the title bar
// of a tool window before it in the order of Window, and each is on the screen.

#include <array>

struct SPlace {
    int Left = 0;
    int Top = 0;
    int Width = 0;
    int Height = 0;
    int Right() const { return Left + Width; }
    int Bottom() const { return Top + Height; }
    // True when the two share a pixel; places that only touch edge to edge do not.
    bool Intersects(const SPlace& other) const;
    bool operator==(const SPlace&) const = default;
};

namespace toolplaces {

enum Window { Smith, Caps, Tuning, Model, TrafficLog, Logging, Count };
constexpr int Gap = 8;           // pixels between two windows
constexpr int CascadeStep = 32;  // a title bar's height, and more

// The main window's frame and the bands at its top (menu bar and tool bar) and bottom (status
// bar) that no tool window may cover, in pixels from the frame's edges.
struct SMainFrame {
    SPlace Frame;
    int TopBars = 0;
    int BottomBars = 0;
};

// The windows' places for their sizes (Left and Top of each size are not used) within the
// screen's free area.
std::array<SPlace, Count> FirstPlaces(const SMainFrame& main, const std::array<SPlace, Count>& sizes,
                                      const SPlace& screen);

} // namespace toolplaces

#include "panel/Toolplaces.h"

#include <algorithm>

bool SPlace::Intersects(const SPlace& other) const
{
    return Left < other.Right() && other.Left < Right() && Top < other.Bottom() &&
           other.Top < Bottom();
}

namespace toolplaces {

namespace {

// The place moved onto the screen: its right and bottom edges first, then its left and top.
SPlace OnScreen(SPlace p, const SPlace& screen)
{
    p.Left = std::max(std::min(p.Left, screen.Right() - p.Width), screen.Left);
    p.Top = std::max(std::min(p.Top, screen.Bottom() - p.Height), screen.Top);
    return p;
}

SPlace At(const SPlace& size, int left, int top)
{
    return SPlace{left, top, size.Width, size.Height};
}

} // namespace

std::array<SPlace, Count> FirstPlaces(const SPlace& main, const std::array<SPlace, Count>& sizes,
                                      const SPlace& screen)
{
    std::array<SPlace, Count> places;
    const int right = main.Right() + Gap;
    places[Smith] = OnScreen(At(sizes[Smith], right, main.Top), screen);
    // Below the Smith chart; where the screen has no room there, to its left.
    const SPlace& smith = places[Smith];
    SPlace caps = At(sizes[Caps], smith.Left, smith.Bottom() + Gap);
    if (caps.Bottom() > screen.Bottom())
        caps = At(sizes[Caps], smith.Left - Gap - caps.Width, smith.Top);
    places[Caps] = OnScreen(caps, screen);
    const int below = main.Bottom() + Gap;
    places[Tuning] = OnScreen(At(sizes[Tuning], main.Left, below), screen);
    places[Model] = OnScreen(At(sizes[Model], places[Tuning].Right() + Gap, below), screen);
    // The traffic log beside the chart windows where the screen is wide enough, else at the end
    // of the row below the main window.
    SPlace log = At(sizes[TrafficLog], std::max(smith.Right(), places[Caps].Right()) + Gap, main.Top);
    if (log.Right() > screen.Right())
        log = At(sizes[TrafficLog], places[Model].Right() + Gap, below);
    places[TrafficLog] = OnScreen(log, screen);
    return places;
}

} // namespace toolplaces

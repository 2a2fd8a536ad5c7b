#include "panel/Toolplaces.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <utility>
#include <tuple>
#include <vector>

bool SPlace::Intersects(const SPlace& other) const
{
    return Left < other.Right() && other.Left < Right() && Top < other.Bottom() &&
           other.Top < Bottom();
}

namespace toolplaces {

namespace {

enum class EZone { Right, Below, Left };

bool Inside(const SPlace& p, const SPlace& screen)
{
    return p.Left >= screen.Left && p.Top >= screen.Top && p.Right() <= screen.Right() &&
           p.Bottom() <= screen.Bottom();
}

// The first free place of a size in a zone beside the main window: candidates start at the
// main window's and the placed windows' edges, nearest the main window first.
bool FreePlace(EZone zone, const SPlace& size, const SPlace& main,
               const std::vector<SPlace>& placed, const SPlace& screen, SPlace& place)
{
    std::vector<int> xs, ys;
    switch (zone) {
    case EZone::Right:
        xs.push_back(main.Right() + Gap);
        ys = {main.Top, screen.Top};
        for (const SPlace& p : placed) {
            xs.push_back(p.Right() + Gap);
            ys.push_back(p.Bottom() + Gap);
        }
        break;
    case EZone::Below:
        ys.push_back(main.Bottom() + Gap);
        xs = {main.Left, screen.Left};
        for (const SPlace& p : placed) {
            xs.push_back(p.Right() + Gap);
            ys.push_back(p.Bottom() + Gap);
        }
        break;
    case EZone::Left:
        xs.push_back(main.Left - Gap - size.Width);
        ys = {main.Top, screen.Top};
        for (const SPlace& p : placed) {
            xs.push_back(p.Left - Gap - size.Width);
            ys.push_back(p.Bottom() + Gap);
        }
        break;
    }
    std::vector<SPlace> candidates;
    for (int x : xs)
        for (int y : ys) {
            const SPlace c{x, y, size.Width, size.Height};
            const bool inZone = zone == EZone::Right   ? c.Left >= main.Right() + Gap
                                : zone == EZone::Below ? c.Top >= main.Bottom() + Gap
                                                       : c.Right() <= main.Left - Gap;
            if (inZone && Inside(c, screen) && !c.Intersects(main) &&
                std::none_of(placed.begin(), placed.end(),
                             [&c](const SPlace& p) { return c.Intersects(p); }))
                candidates.push_back(c);
        }
    if (candidates.empty())
        return false;
    // Columns from the main window outwards, from its top down, on the right and the left; rows
    // top down below it, from its left edge on. Above its top or left of its left edge last.
    const auto key = [zone, &main](const SPlace& c) {
        switch (zone) {
        case EZone::Right: return std::make_tuple(c.Left, c.Top < main.Top ? 1 : 0, c.Top);
        case EZone::Below: return std::make_tuple(c.Top, c.Left < main.Left ? 1 : 0, c.Left);
        case EZone::Left: break;
        }
        return std::make_tuple(-c.Left, c.Top < main.Top ? 1 : 0, c.Top);
    };
    place = *std::min_element(candidates.begin(), candidates.end(),
                              [&key](const SPlace& a, const SPlace& b) { return key(a) < key(b); });
    return true;
}

// The place moved onto the screen: its right and bottom edges first, then its left and top.
SPlace OnScreen(SPlace p, const SPlace& screen)
{
    p.Left = std::max(std::min(p.Left, screen.Right() - p.Width), screen.Left);
    p.Top = std::max(std::min(p.Top, screen.Bottom() - p.Height), screen.Top);
    return p;
}

struct SBars {
    SPlace Top;    // menu bar and tool bar
    SPlace Bottom; // status bar
};

SBars BarsOf(const SMainFrame& main)
{
    const SPlace& f = main.Frame;
    return {SPlace{f.Left, f.Top, f.Width, main.TopBars},
            SPlace{f.Left, f.Bottom() - main.BottomBars, f.Width, main.BottomBars}};
}

// How much of a place's title bar the open windows that stay above it leave uncovered: the
// longest uncovered run, in pixels; -1 where the place is off the screen, over the main
// window's bars or over an open window's title bar.
int ClearTitle(const SPlace& p, const SMainFrame& main, bool onTop,
               const std::vector<SOpenWindow>& open, const SPlace& screen)
{
    const SBars bars = BarsOf(main);
    if (!Inside(p, screen) || p.Intersects(bars.Top) || p.Intersects(bars.Bottom))
        return -1;
    const SPlace title = TitleStrip(p, main.TitleBar);
    std::vector<std::pair<int, int>> covered;
    for (const SOpenWindow& o : open) {
        if (p.Intersects(TitleStrip(o.Frame, main.TitleBar)))
            return -1;
        if (o.OnTop && !onTop && title.Intersects(o.Frame))
            covered.emplace_back(std::max(o.Frame.Left, title.Left),
                                 std::min(o.Frame.Right(), title.Right()));
    }
    std::sort(covered.begin(), covered.end());
    int longest = 0;
    int from = title.Left;
    for (const auto& [left, right] : covered) {
        longest = std::max(longest, left - from);
        from = std::max(from, right);
    }
    return std::max(longest, title.Right() - from);
}

// The area of a place that open windows share.
long long Overlap(const SPlace& p, const std::vector<SOpenWindow>& open)
{
    long long area = 0;
    for (const SOpenWindow& o : open)
        if (p.Intersects(o.Frame))
            area += 1LL * (std::min(p.Right(), o.Frame.Right()) - std::max(p.Left, o.Frame.Left)) *
                    (std::min(p.Bottom(), o.Frame.Bottom()) - std::max(p.Top, o.Frame.Top));
    return area;
}

// The n-th window that cascades over the main window's middle, between its bars, when no place
// keeps every title bar clear.
SPlace Cascaded(const SPlace& size, int n, const SMainFrame& main, const SPlace& screen)
{
    const SPlace& f = main.Frame;
    const int bandTop = f.Top + main.TopBars;
    const int bandBottom = f.Bottom() - main.BottomBars;
    SPlace p{f.Left + (f.Width - size.Width) / 2 + n * CascadeStep, bandTop + Gap + n * CascadeStep,
             size.Width, size.Height};
    if (p.Bottom() > bandBottom)
        p.Top = std::max(bandTop, bandBottom - p.Height);
    return OnScreen(p, screen);
}

// Over the main window's middle: places a cascade step apart, from the main window's middle
// below its tool bar. A title bar left wholly uncovered comes first; where windows that stay
// on top leave no whole title bar, the most of it (at least TitleShown pixels if there is such
// a place). Then places between the bars before the rest of the screen; over the windows open
// (cascading) before free room; the rows from the top, each from the screen's edges inwards.
bool CascadePlace(const SPlace& size, bool onTop, const SMainFrame& main,
                  const std::vector<SOpenWindow>& open, const SPlace& screen, SPlace& place)
{
    const SPlace& f = main.Frame;
    const int bandTop = f.Top + main.TopBars;
    const int bandBottom = f.Bottom() - main.BottomBars;
    const int x0 = f.Left + (f.Width - size.Width) / 2;
    const int y0 = bandTop + Gap;
    const auto floorDiv = [](int a, int b) { return a >= 0 ? a / b : -((-a + b - 1) / b); };
    const int iFirst = -floorDiv(x0 - screen.Left, CascadeStep);
    const int iLast = floorDiv(screen.Right() - size.Width - x0, CascadeStep);
    const int jFirst = -floorDiv(y0 - screen.Top, CascadeStep);
    const int jLast = floorDiv(screen.Bottom() - size.Height - y0, CascadeStep);
    bool found = false;
    std::tuple<int, int, int, long long, int, int, int> best;
    for (int j = jFirst; j <= jLast; ++j)
        for (int i = iFirst; i <= iLast; ++i) {
            const SPlace c{x0 + i * CascadeStep, y0 + j * CascadeStep, size.Width, size.Height};
            const int shown = ClearTitle(c, main, onTop, open, screen);
            if (shown < 0)
                continue;
            const bool inBand = c.Top >= bandTop && c.Bottom() <= bandBottom;
            const int tier = shown >= c.Width ? 0 : shown >= std::min(TitleShown, c.Width) ? 1 : 2;
            // Over windows already open rather than over free room, which is kept for the
            // next window; against the screen's left or right edge first.
            const int fromEdge = std::min(c.Left - screen.Left, screen.Right() - c.Right());
            const auto key = std::make_tuple(tier, tier == 0 ? 0 : -shown, inBand ? 0 : 1,
                                             -Overlap(c, open), j, fromEdge, i);
            if (!found || key < best) {
                best = key;
                place = c;
                found = true;
            }
        }
    return found;
}

} // namespace

SPlace TitleStrip(const SPlace& frame, int titleBar)
{
    return SPlace{frame.Left, frame.Top, frame.Width, std::min(titleBar, frame.Height)};
}

SPlace FirstPlace(Window window, const SMainFrame& main, const SPlace& size, bool onTop,
                  const std::vector<SOpenWindow>& open, const SPlace& screen)
{
    static constexpr std::array<EZone, 3> Beside{EZone::Right, EZone::Below, EZone::Left};
    static constexpr std::array<EZone, 3> Under{EZone::Below, EZone::Right, EZone::Left};
    const bool under = window == Tuning || window == Model || window == Logging;
    std::vector<SPlace> placed;
    for (const SOpenWindow& o : open)
        placed.push_back(o.Frame);
    SPlace place;
    for (EZone zone : under ? Under : Beside)
        if (FreePlace(zone, size, main.Frame, placed, screen, place))
            return place;
    // Over the main window a window no taller than the room between its bars.
    SPlace fitting = size;
    const int room = main.Frame.Height - main.TopBars - main.BottomBars - Gap;
    if (room > 0 && fitting.Height > room)
        fitting.Height = room;
    if (CascadePlace(fitting, onTop, main, open, screen, place))
        return place;
    return Cascaded(fitting, int(open.size()), main, screen);
}

std::vector<SPlace> PlacesInTurn(const SMainFrame& main, const std::vector<SToPlace>& windows,
                                 std::vector<SOpenWindow> open, const SPlace& screen)
{
    std::vector<SPlace> places;
    for (const SToPlace& w : windows) {
        SPlace place = FirstPlace(w.Which, main, w.Size, w.OnTop, open, screen);
        if (place.Height < w.Size.Height)
            place.Height = std::max(place.Height, std::min(w.MinHeight, w.Size.Height));
        places.push_back(place);
        open.push_back({place, w.OnTop});
    }
    return places;
}

bool StaysOnTop(Window window) { return window != TrafficLog && window != Model; }

SPlace MainFirstPlace(const SPlace& wanted, int neededWidth, int neededHeight, const SPlace& screen)
{
    SPlace p = wanted;
    p.Width = std::min(std::max(p.Width, neededWidth), screen.Width);
    p.Height = std::min(std::max(p.Height, neededHeight), screen.Height);
    return OnScreen(p, screen);
}

SPlace BesideBox(const SPlace& open, const SPlace& size, const SPlace& screen)
{
    const int centred = open.Left + (open.Width - size.Width) / 2;
    const std::array<SPlace, 4> tries{
        SPlace{centred, open.Bottom() + Gap, size.Width, size.Height},
        SPlace{centred, open.Top - Gap - size.Height, size.Width, size.Height},
        SPlace{open.Right() + Gap, open.Top, size.Width, size.Height},
        SPlace{open.Left - Gap - size.Width, open.Top, size.Width, size.Height}};
    for (SPlace p : tries) {
        // Along the open box's edge it may slide to stay on the screen.
        const SPlace slid = OnScreen(p, screen);
        if (Inside(slid, screen) && !slid.Intersects(open))
            return slid;
    }
    return OnScreen(SPlace{open.Left + CascadeStep, open.Top + CascadeStep, size.Width, size.Height},
                    screen);
}

} // namespace toolplaces

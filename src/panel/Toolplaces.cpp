#include "panel/Toolplaces.h"

#include <algorithm>
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

// The n-th window that cascades over the main window's middle, between its bars.
SPlace Cascaded(const SPlace& size, int n, const SMainFrame& main, const SPlace& screen)
{
    const SPlace& f = main.Frame;
    const int bandTop = f.Top + main.TopBars;
    const int bandBottom = f.Bottom() - main.BottomBars;
    SPlace p{f.Left + (f.Width - size.Width) / 2 + n * CascadeStep, bandTop + Gap + n * CascadeStep,
             size.Width, size.Height};
    if (p.Bottom() > bandBottom)
        p.Top = std::max(bandTop, bandBottom - p.Height);
    p = OnScreen(p, screen);
    // A window too tall for the screen below the bars keeps them uncovered at least at the top.
    if (p.Top < bandTop && bandTop + p.Height <= screen.Bottom())
        p.Top = bandTop;
    return p;
}

} // namespace

std::array<SPlace, Count> FirstPlaces(const SMainFrame& main, const std::array<SPlace, Count>& sizes,
                                      const SPlace& screen)
{
    static constexpr std::array<EZone, 2> Beside{EZone::Right, EZone::Below};
    static constexpr std::array<EZone, 2> Under{EZone::Below, EZone::Right};
    std::array<SPlace, Count> places;
    std::vector<SPlace> placed; // beside the main window
    int cascaded = 0;
    for (int i = 0; i < Count; ++i) {
        const bool under = i == Tuning || i == Model || i == Logging;
        std::vector<EZone> zones(under ? Under.begin() : Beside.begin(),
                                 under ? Under.end() : Beside.end());
        zones.push_back(EZone::Left);
        bool found = false;
        for (EZone zone : zones)
            if (FreePlace(zone, sizes[i], main.Frame, placed, screen, places[i])) {
                found = true;
                break;
            }
        if (found)
            placed.push_back(places[i]);
        else
            places[i] = Cascaded(sizes[i], cascaded++, main, screen);
    }
    return places;
}

} // namespace toolplaces

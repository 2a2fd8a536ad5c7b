#include "panel/Toolplaces.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <numeric>
#include <string>
#include <vector>

namespace {

using namespace toolplaces;

// Smith chart, Capacitors, tuning, model, traffic log, logging: their frames.
const std::array<SPlace, Count> Sizes{SPlace{0, 0, 320, 360}, SPlace{0, 0, 320, 360},
                                      SPlace{0, 0, 204, 260}, SPlace{0, 0, 300, 200},
                                      SPlace{0, 0, 520, 360}, SPlace{0, 0, 280, 150}};
const SPlace Screen1024{0, 0, 1024, 768};
const SPlace Screen1280{0, 0, 1280, 1024};
// The main window's stored default place, and the size its controls need without scrolling.
const SPlace DefaultPlace{49, 36, 828, 552};
constexpr int NeedWidth = 992;
constexpr int NeedHeight = 651;

bool Inside(const SPlace& p, const SPlace& screen)
{
    return p.Left >= screen.Left && p.Top >= screen.Top && p.Right() <= screen.Right() &&
           p.Bottom() <= screen.Bottom();
}

bool StaysOnTop(int window) { return toolplaces::StaysOnTop(Window(window)); }

SMainFrame Main(SPlace frame) { return SMainFrame{frame, 62, 28, DefaultTitleBar}; }

std::string On(const SPlace& screen)
{
    return " on " + std::to_string(screen.Width) + "x" + std::to_string(screen.Height);
}

// The longest run of a title bar that no frame of covers leaves in sight.
int RunInSight(const SPlace& title, const std::vector<SPlace>& covers)
{
    std::vector<bool> covered(size_t(title.Width), false);
    for (const SPlace& c : covers)
        if (c.Intersects(title))
            for (int x = std::max(c.Left, title.Left); x < std::min(c.Right(), title.Right()); ++x)
                covered[size_t(x - title.Left)] = true;
    int run = 0, longest = 0;
    for (bool c : covered) {
        run = c ? 0 : run + 1;
        longest = std::max(longest, run);
    }
    return longest;
}

// What the windows opened in this order keep to: the screen, the main window's bars, the title
// bars of the windows opened before; and windows that stay on top leave enough of a later
// one's title bar in sight.
void ExpectClear(const std::vector<int>& order, const std::vector<SPlace>& places,
                 const SMainFrame& main, const SPlace& screen, const std::array<SPlace, Count>& sizes)
{
    const SPlace& f = main.Frame;
    const SPlace topBars{f.Left, f.Top, f.Width, main.TopBars};
    const SPlace statusBar{f.Left, f.Bottom() - main.BottomBars, f.Width, main.BottomBars};
    for (size_t k = 0; k < order.size(); ++k) {
        const int i = order[k];
        const SPlace& p = places[k];
        EXPECT_EQ(p.Width, sizes[i].Width) << i;
        EXPECT_TRUE(Inside(p, screen)) << i << On(screen);
        EXPECT_FALSE(p.Intersects(topBars)) << i << On(screen);
        EXPECT_FALSE(p.Intersects(statusBar)) << i << On(screen);
        std::vector<SPlace> above;
        for (size_t e = 0; e < k; ++e) {
            const SPlace title = TitleStrip(places[e], main.TitleBar);
            EXPECT_FALSE(p.Intersects(title)) << i << " over " << order[e] << On(screen);
            if (StaysOnTop(order[e]) && !StaysOnTop(i))
                above.push_back(places[e]);
        }
        EXPECT_GE(RunInSight(TitleStrip(p, main.TitleBar), above), std::min(TitleShown, p.Width))
            << i << On(screen);
    }
}

std::vector<SPlace> OpenInOrder(const std::vector<int>& order, const SMainFrame& main,
                                const SPlace& screen, const std::array<SPlace, Count>& sizes = Sizes)
{
    std::vector<SToPlace> windows;
    for (int i : order)
        windows.push_back(SToPlace{Window(i), sizes[size_t(i)], 0, StaysOnTop(i)});
    return PlacesInTurn(main, windows, {}, screen);
}

// Every window opened in turn, in the order of Window, each staying open.
std::vector<int> EachInTurn()
{
    std::vector<int> order(Count);
    std::iota(order.begin(), order.end(), 0);
    return order;
}

TEST(ToolPlaces, PlacesThatTouchEdgeToEdgeDoNotIntersect)
{
    const SPlace a{10, 20, 100, 50};
    EXPECT_FALSE(a.Intersects(SPlace{110, 20, 30, 50})); // right
    EXPECT_FALSE(a.Intersects(SPlace{-20, 20, 30, 50})); // left
    EXPECT_FALSE(a.Intersects(SPlace{10, 70, 100, 10})); // below
    EXPECT_FALSE(a.Intersects(SPlace{10, 0, 100, 20}));  // above
    EXPECT_TRUE(a.Intersects(SPlace{109, 20, 30, 50}));  // one pixel shared
    EXPECT_TRUE(a.Intersects(SPlace{10, 69, 100, 10}));
    EXPECT_TRUE(a.Intersects(a));
}

TEST(ToolPlaces, TheMainWindowOpensWhollyOnTheScreenAtTheSizeItsControlsNeed)
{
    // The default size grown to what the controls need; the default place would reach
    // past a 1024 pixels wide screen, so the window moves left.
    EXPECT_EQ(MainFirstPlace(DefaultPlace, NeedWidth, NeedHeight, Screen1024), (SPlace{32, 36, 992, 651}));
    EXPECT_EQ(MainFirstPlace(DefaultPlace, NeedWidth, NeedHeight, Screen1280), (SPlace{49, 36, 992, 651}));
    // A stored place near the screen's far corner.
    EXPECT_EQ(MainFirstPlace(SPlace{900, 700, 828, 552}, NeedWidth, NeedHeight, Screen1024),
              (SPlace{32, 117, 992, 651}));
    // Controls that need more than the screen (a third capacitor's): as large as the screen, and
    // the rest scrolls inside the window.
    EXPECT_EQ(MainFirstPlace(DefaultPlace, 1051, 800, Screen1024), (SPlace{0, 0, 1024, 768}));
    // A window made larger than it needs keeps its size.
    EXPECT_EQ(MainFirstPlace(SPlace{10, 20, 1100, 700}, NeedWidth, NeedHeight, Screen1280),
              (SPlace{10, 20, 1100, 700}));
    // A panel along the screen's top.
    EXPECT_EQ(MainFirstPlace(SPlace{49, 0, 828, 552}, NeedWidth, NeedHeight, SPlace{0, 30, 1024, 738}),
              (SPlace{32, 30, 992, 651}));
}

TEST(ToolPlaces, AWideScreenHasRoomForEachBesideTheMainWindow)
{
    const SMainFrame main = Main(DefaultPlace);
    const SPlace screen{0, 0, 1920, 1200};
    const std::vector<int> order = EachInTurn();
    const auto places = OpenInOrder(order, main, screen);
    ExpectClear(order, places, main, screen, Sizes);
    for (int i = 0; i < Count; ++i) {
        EXPECT_FALSE(places[i].Intersects(main.Frame)) << i;
        for (int j = i + 1; j < Count; ++j) {
            EXPECT_FALSE(places[i].Intersects(places[j])) << i << " and " << j;
        }
    }
    EXPECT_EQ(places[Smith], (SPlace{main.Frame.Right() + Gap, main.Frame.Top, 320, 360}));
    EXPECT_EQ(places[Caps], (SPlace{places[Smith].Left, places[Smith].Bottom() + Gap, 320, 360}));
    EXPECT_EQ(places[Tuning], (SPlace{main.Frame.Left, main.Frame.Bottom() + Gap, 204, 260}));
    EXPECT_EQ(places[Model].Left, places[Tuning].Right() + Gap);
    EXPECT_EQ(places[Model].Top, places[Tuning].Top);
    EXPECT_EQ(places[Logging].Left, places[Model].Right() + Gap);
}

TEST(ToolPlaces, On1024x768TheyShareTheMainWindowsMiddleWithEveryTitleBarInSight)
{
    const SMainFrame main = Main(MainFirstPlace(DefaultPlace, NeedWidth, NeedHeight, Screen1024));
    const auto places = OpenInOrder(EachInTurn(), main, Screen1024);
    // No room beside it: the windows that stay on top cascade down the screen's left edge, a
    // title bar apart; the traffic log, which does not, keeps its title bar clear of them.
    const std::vector<SPlace> golden{SPlace{16, 106, 320, 360},  SPlace{16, 138, 320, 360},
                                           SPlace{42, 170, 204, 260},  SPlace{698, 106, 300, 200},
                                           SPlace{492, 138, 520, 360}, SPlace{36, 202, 280, 150}};
    EXPECT_EQ(places, golden);
}

TEST(ToolPlaces, On1280x1024TheSmallOnesGoBelowAndTheChartsOverTheMiddle)
{
    const SMainFrame main = Main(MainFirstPlace(DefaultPlace, NeedWidth, NeedHeight, Screen1280));
    const auto places = OpenInOrder(EachInTurn(), main, Screen1280);
    // 231 pixels to the main window's right and 329 below it: too little for the chart windows
    // and the traffic log, enough below for the others.
    const std::vector<SPlace> golden{SPlace{1, 106, 320, 360},   SPlace{1, 138, 320, 360},
                                           SPlace{49, 695, 204, 260},  SPlace{261, 695, 300, 200},
                                           SPlace{733, 106, 520, 360}, SPlace{569, 695, 280, 150}};
    EXPECT_EQ(places, golden);
}

TEST(ToolPlaces, InWhateverOrderTheyAreOpenedEveryTitleBarStaysInSight)
{
    // The model window is modal and opens from the tuning window: it comes last.
    for (const SPlace& screen : {Screen1024, Screen1280})
        for (const SPlace& wanted : {DefaultPlace, SPlace{150, 200, 828, 552}, SPlace{400, 10, 828, 552}}) {
            const SMainFrame main = Main(MainFirstPlace(wanted, NeedWidth, NeedHeight, screen));
            std::vector<int> windows{Smith, Caps, Tuning, TrafficLog, Logging};
            do {
                std::vector<int> order = windows;
                order.push_back(Model);
                ExpectClear(order, OpenInOrder(order, main, screen), main, screen, Sizes);
                if (::testing::Test::HasFailure()) {
                    for (int i : order)
                        std::printf("%d ", i);
                    std::printf("failed, main at %d,%d\n", main.Frame.Left, main.Frame.Top);
                    return;
                }
            } while (std::next_permutation(windows.begin(), windows.end()));
        }
}

TEST(ToolPlaces, OpenedInMenuOrderNoneHidesAnothersTitleBar)
{
    // The Window menu: Capacitors, then Smith Chart; then Logging, Tuning and the traffic log.
    const std::vector<int> menuOrder{Caps, Smith, Logging, Tuning, TrafficLog};
    for (const SPlace& screen : {Screen1280, Screen1024}) {
        const SMainFrame main = Main(MainFirstPlace(DefaultPlace, NeedWidth, NeedHeight, screen));
        const auto places = OpenInOrder(menuOrder, main, screen);
        ExpectClear(menuOrder, places, main, screen, Sizes);
        // The Smith chart opened second does not lie over the Capacitors window's title bar.
        EXPECT_FALSE(places[1].Intersects(TitleStrip(places[0], main.TitleBar))) << On(screen);
    }
}

TEST(ToolPlaces, TallWindowsThatMustCascadeNeverCoverTheStatusBar)
{
    for (const SPlace& screen : {Screen1024, Screen1280}) {
        const SMainFrame main = Main(MainFirstPlace(DefaultPlace, NeedWidth, NeedHeight, screen));
        const int room = main.Frame.Height - main.TopBars - main.BottomBars;
        std::array<SPlace, Count> tall = Sizes;
        for (SPlace& s : tall)
            s.Height = screen.Height - 40; // taller than the room between the bars
        const auto places = OpenInOrder(EachInTurn(), main, screen, tall);
        const SPlace statusBar{main.Frame.Left, main.Frame.Bottom() - main.BottomBars,
                               main.Frame.Width, main.BottomBars};
        for (int i = 0; i < Count; ++i) {
            EXPECT_FALSE(places[size_t(i)].Intersects(statusBar)) << i << On(screen);
            EXPECT_TRUE(Inside(places[size_t(i)], screen)) << i << On(screen);
            // Over the main window, no taller than the room between its bars.
            if (places[size_t(i)].Intersects(main.Frame)) {
                EXPECT_LE(places[size_t(i)].Height, room) << i << On(screen);
            }
        }
    }
}

TEST(ToolPlaces, AWindowGivenLessHeightThanItHasKeepsItsLeastHeight)
{
    const SMainFrame main = Main(MainFirstPlace(DefaultPlace, NeedWidth, NeedHeight, Screen1024));
    const SPlace tall{0, 0, 320, 700};
    const auto places = PlacesInTurn(main, {SToPlace{Smith, tall, 600, true}, SToPlace{Caps, tall, 100, true}}, {},
                                     Screen1024);
    ASSERT_EQ(places.size(), 2u);
    EXPECT_EQ(places[0].Height, 600);
    EXPECT_LT(places[1].Height, 700);
    EXPECT_GE(places[1].Height, 100);
}

TEST(ToolPlaces, AMessageBoxOpenedOverAnotherGoesBesideIt)
{
    const SPlace box{362, 324, 300, 120};
    const SPlace size{0, 0, 300, 120};
    EXPECT_EQ(BesideBox(box, size, Screen1024), (SPlace{362, 452, 300, 120}));  // below
    EXPECT_EQ(BesideBox(SPlace{362, 640, 300, 120}, size, Screen1024),
              (SPlace{362, 512, 300, 120})); // above where there is no room below
    // Too tall for above or below, too wide for either side: a title bar's height further
    // down and right, on the screen.
    EXPECT_EQ(BesideBox(SPlace{362, 300, 300, 120}, SPlace{0, 0, 400, 500}, Screen1024),
              (SPlace{394, 268, 400, 500}));
    for (const SPlace& open : {box, SPlace{0, 0, 300, 120}, SPlace{724, 648, 300, 120}}) {
        const SPlace p = BesideBox(open, size, Screen1024);
        EXPECT_FALSE(p.Intersects(open));
        EXPECT_TRUE(Inside(p, Screen1024));
    }
    const SPlace big{0, 0, 1000, 700};
    EXPECT_EQ(BesideBox(SPlace{10, 20, 1000, 700}, big, Screen1024), (SPlace{24, 52, 1000, 700}));
}

} // namespace

#include "panel/Toolplaces.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using namespace toolplaces;

// Smith chart, Capacitors, tuning, model, traffic log, logging.
const std::array<SPlace, Count> Sizes{SPlace{0, 0, 320, 360}, SPlace{0, 0, 320, 360},
                                      SPlace{0, 0, 204, 260}, SPlace{0, 0, 300, 200},
                                      SPlace{0, 0, 520, 360}, SPlace{0, 0, 280, 150}};
constexpr int TitleBar = 24; // the strip at a window's top that no other window may cover

bool Inside(const SPlace& p, const SPlace& screen)
{
    return p.Left >= screen.Left && p.Top >= screen.Top && p.Right() <= screen.Right() &&
           p.Bottom() <= screen.Bottom();
}

SMainFrame Main(SPlace frame) { return SMainFrame{frame, 62, 28}; }

// What every first place keeps to: the screen, the main window's bars, the title bars of the
// windows before it.
void ExpectClear(const std::array<SPlace, Count>& places, const SMainFrame& main,
                 const SPlace& screen)
{
    const SPlace& f = main.Frame;
    const SPlace topBars{f.Left, f.Top, f.Width, main.TopBars};
    const SPlace statusBar{f.Left, f.Bottom() - main.BottomBars, f.Width, main.BottomBars};
    const std::string on = " on " + std::to_string(screen.Width) + "x" + std::to_string(screen.Height);
    for (int i = 0; i < Count; ++i) {
        EXPECT_EQ(places[i].Width, Sizes[i].Width) << i;
        EXPECT_EQ(places[i].Height, Sizes[i].Height) << i;
        EXPECT_TRUE(Inside(places[i], screen)) << i << on;
        EXPECT_FALSE(places[i].Intersects(topBars)) << i << on;
        EXPECT_FALSE(places[i].Intersects(statusBar)) << i << on;
        // A window opened after another (in the order of the windows) leaves its title bar be.
        for (int j = 0; j < i; ++j) {
            const SPlace title{places[j].Left, places[j].Top, places[j].Width, TitleBar};
            EXPECT_FALSE(places[i].Intersects(title)) << i << " over " << j << on;
        }
    }
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

TEST(ToolPlaces, AWideScreenHasRoomForEachBesideTheMainWindow)
{
    const SMainFrame main = Main(SPlace{49, 36, 828, 552});
    const SPlace screen{0, 0, 1920, 1200};
    const auto places = FirstPlaces(main, Sizes, screen);
    ExpectClear(places, main, screen);
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

TEST(ToolPlaces, WithoutRoomBesideTheMainWindowTheyGoBelowOrCascadeOverItsMiddle)
{
    // The main window's first place and size on a 1280 x 1024 screen: 231 pixels to its right
    // and 329 below it, too little for the chart windows and the traffic log.
    const SMainFrame main = Main(SPlace{49, 36, 992, 651});
    const SPlace screen{0, 0, 1280, 1024};
    const auto places = FirstPlaces(main, Sizes, screen);
    ExpectClear(places, main, screen);
    EXPECT_EQ(places[Tuning], (SPlace{49, 695, 204, 260}));
    EXPECT_EQ(places[Model], (SPlace{261, 695, 300, 200}));
    EXPECT_EQ(places[Logging], (SPlace{569, 695, 280, 150}));
    // The chart windows and the log over the main window's middle, each a step further on.
    for (int i : {Smith, Caps, TrafficLog}) {
        EXPECT_TRUE(places[i].Intersects(main.Frame)) << i;
        EXPECT_GE(places[i].Top, main.Frame.Top + main.TopBars) << i;
    }
    EXPECT_EQ(places[Caps].Top - places[Smith].Top, CascadeStep);
    EXPECT_EQ(places[Caps].Left - places[Smith].Left, CascadeStep);
    EXPECT_EQ(places[TrafficLog].Top - places[Caps].Top, CascadeStep);
}

TEST(ToolPlaces, ASmallScreenKeepsThemAllOnIt)
{
    for (const SPlace& screen : {SPlace{0, 0, 800, 600}, SPlace{0, 30, 1280, 994}}) {
        // The main window as large as its bars allow on the screen, at its first place.
        const SMainFrame main =
            Main(SPlace{screen.Left + 49, screen.Top + 36, 700, screen.Height - 40});
        const auto places = FirstPlaces(main, Sizes, screen);
        for (int i = 0; i < Count; ++i)
            EXPECT_TRUE(Inside(places[i], screen)) << i << " on " << screen.Width;
    }
    // A main window that fills the screen: all cascade between its bars.
    const SPlace screen{0, 0, 1024, 768};
    const SMainFrame full = Main(screen);
    ExpectClear(FirstPlaces(full, Sizes, screen), full, screen);
}

} // namespace

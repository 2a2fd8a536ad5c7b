#include "panel/Toolplaces.h"

#include <gtest/gtest.h>

namespace {

using namespace toolplaces;

const std::array<SPlace, Count> Sizes{SPlace{0, 0, 320, 360}, SPlace{0, 0, 320, 360},
                                      SPlace{0, 0, 204, 260}, SPlace{0, 0, 300, 200},
                                      SPlace{0, 0, 520, 360}};

bool Inside(const SPlace& p, const SPlace& screen)
{
    return p.Left >= screen.Left && p.Top >= screen.Top && p.Right() <= screen.Right() &&
           p.Bottom() <= screen.Bottom();
}

TEST(ToolPlaces, EachOwnPlaceBesideTheMainWindow)
{
    const SPlace main{49, 36, 828, 552};
    for (const SPlace& screen : {SPlace{0, 0, 1920, 1200}, SPlace{0, 0, 1280, 1024}}) {
        const auto places = FirstPlaces(main, Sizes, screen);
        const bool wide = screen.Width == 1920;
        for (int i = 0; i < Count; ++i) {
            EXPECT_EQ(places[i].Width, Sizes[i].Width) << i;
            EXPECT_EQ(places[i].Height, Sizes[i].Height) << i;
            EXPECT_TRUE(Inside(places[i], screen)) << i;
            EXPECT_FALSE(places[i].Intersects(main)) << i;
            for (int j = i + 1; j < Count; ++j)
                if (wide || !(i == Caps && j == TrafficLog)) // the one pair 1280 pixels cannot part
                    EXPECT_FALSE(places[i].Intersects(places[j]))
                        << i << " and " << j << " on " << screen.Width;
        }
        EXPECT_EQ(places[Smith], (SPlace{main.Right() + Gap, main.Top, 320, 360}));
        EXPECT_EQ(places[Caps].Left, places[Smith].Left);
        EXPECT_EQ(places[Caps].Top, places[Smith].Bottom() + Gap);
        EXPECT_EQ(places[Tuning].Left, main.Left);
        EXPECT_EQ(places[Tuning].Top, main.Bottom() + Gap);
        EXPECT_EQ(places[Model].Left, places[Tuning].Right() + Gap);
        EXPECT_EQ(places[TrafficLog].Left,
                  wide ? places[Smith].Right() + Gap : places[Model].Right() + Gap);
    }
}

TEST(ToolPlaces, ASmallScreenKeepsThemAllOnIt)
{
    const SPlace screen{0, 0, 800, 600};
    const auto places = FirstPlaces(SPlace{49, 36, 828, 552}, Sizes, screen);
    for (int i = 0; i < Count; ++i)
        EXPECT_TRUE(Inside(places[i], screen)) << i;
    EXPECT_FALSE(places[Smith].Intersects(places[Caps])); // side by side instead
    // A screen that starts elsewhere (a panel at the top) is kept to as well.
    const SPlace lower{0, 30, 1280, 994};
    for (const SPlace& p : FirstPlaces(SPlace{0, 0, 828, 552}, Sizes, lower))
        EXPECT_TRUE(Inside(p, lower));
}

} // namespace

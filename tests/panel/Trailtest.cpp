#include "panel/Trail.h"

#include <gtest/gtest.h>
#include <vector>

namespace {

using EUpdate = CTrail::EUpdate;

struct RecordingSink : ITraceSink {
    std::vector<std::string> calls;
    void MoveTo(int x, int y) override { calls.push_back(Call('M', x, y)); }
    void LineTo(int x, int y) override { calls.push_back(Call('L', x, y)); }
    // "M3,4": appended, as GCC 12 takes a text put in front of a temporary string for an
    // overlapping copy at -O3 (-Wrestrict).
    static std::string Call(char kind, int x, int y)
    {
        std::string call(1, kind);
        call += std::to_string(x);
        call += ',';
        call += std::to_string(y);
        return call;
    }
};

TEST(Trail, StartOfAFullPaint)
{
    EXPECT_EQ(CTrail::Start(1, 0), 0);
    EXPECT_EQ(CTrail::Start(1, 50), 49);
    EXPECT_EQ(CTrail::Start(10, 5), 0);
    EXPECT_EQ(CTrail::Start(100, 1000), 900);
    EXPECT_EQ(CTrail::Start(CTrail::All, 100000), 0);
}

TEST(Trail, TenSamplesGrowToTwelveThenRepaintWithTen)
{
    // A full paint with 20 samples draws 10..19.
    int count = 20;
    int start = CTrail::Start(10, count);
    EXPECT_EQ(start, 10);
    std::vector<int> drawn; // samples on screen after each poll
    for (int poll = 0; poll < 4; ++poll) {
        ++count;
        const EUpdate u = CTrail::Update(10, count, start);
        if (u == EUpdate::Repaint)
            start = CTrail::Start(10, count);
        else
            EXPECT_EQ(u, EUpdate::Extend);
        drawn.push_back(count - start);
    }
    EXPECT_EQ(drawn, (std::vector<int>{11, 12, 10, 11}));
}

TEST(Trail, UpdateRules)
{
    EXPECT_EQ(CTrail::Update(10, 0, 0), EUpdate::Nothing);
    EXPECT_EQ(CTrail::Update(1, 1, 0), EUpdate::MoveMarker);
    EXPECT_EQ(CTrail::Update(1, 500, 3), EUpdate::MoveMarker);
    EXPECT_EQ(CTrail::Update(10, 1, 0), EUpdate::Extend);
    EXPECT_EQ(CTrail::Update(100, 120, 0), EUpdate::Extend); // moved by 20: not above 20
    EXPECT_EQ(CTrail::Update(100, 121, 0), EUpdate::Repaint);
    // All samples: the trail only grows, one sample is a trail of one.
    EXPECT_EQ(CTrail::Update(CTrail::All, 1, 0), EUpdate::MoveMarker);
    EXPECT_EQ(CTrail::Update(CTrail::All, 100000, 0), EUpdate::Extend);
    EXPECT_TRUE(CTrail::ValidSamples(0));
    EXPECT_TRUE(CTrail::ValidSamples(100));
    EXPECT_FALSE(CTrail::ValidSamples(1000));
    EXPECT_FALSE(CTrail::ValidSamples(-1));
}

TEST(Trail, ANewUnitStartsANewTrail)
{
    // 30 samples of the first unit, then the second unit's from index 30 on.
    EXPECT_EQ(CTrail::Start(10, 30, 30), 30); // nothing of the first unit is drawn
    EXPECT_EQ(CTrail::Start(10, 33, 30), 30);
    EXPECT_EQ(CTrail::Start(CTrail::All, 33, 30), 30);
    EXPECT_EQ(CTrail::Start(10, 45, 30), 35); // the trail's own length again
    EXPECT_EQ(CTrail::Start(1, 33, 30), 32);
    // The first sample of the new unit is not joined: the window paints its trail afresh.
    EXPECT_EQ(CTrail::Update(10, 31, 20, 30), EUpdate::Repaint);
    EXPECT_EQ(CTrail::Update(CTrail::All, 31, 0, 30), EUpdate::Repaint);
    EXPECT_EQ(CTrail::Update(10, 32, 30, 30), EUpdate::Extend);
    EXPECT_EQ(CTrail::Update(10, 30, 20, 30), EUpdate::Extend); // no sample of it yet
    EXPECT_EQ(CTrail::Update(1, 31, 29, 30), EUpdate::MoveMarker);

    CTrail trail;
    RecordingSink sink;
    trail.Begin(10, 32, 30);
    for (int i = trail.TrailStart; i < 32; ++i)
        trail.Plot(STracePoint{true, i, i, true}, sink);
    EXPECT_EQ(sink.calls, (std::vector<std::string>{"M30,30", "L31,31"}));
}

TEST(Trail, PenJoinsAndBreaks)
{
    CTrail trail;
    RecordingSink sink;
    trail.Begin(CTrail::All, 5);
    trail.Plot({true, 1, 1, true}, sink);
    trail.Plot({true, 2, 2, true}, sink);
    trail.Plot({true, 3, 3, false}, sink); // never joined: a move, and the pen stays up
    trail.Plot({true, 4, 4, true}, sink);
    trail.Plot({false, 0, 0, true}, sink); // no place: skipped, the pen lifts
    trail.Plot({true, 5, 5, true}, sink);
    EXPECT_EQ(sink.calls, (std::vector<std::string>{"M1,1", "L2,2", "M3,3", "M4,4", "M5,5"}));
    EXPECT_TRUE(trail.HasLast);
    EXPECT_EQ(trail.Last, (SPoint{5, 5}));
    trail.Plot({false, 0, 0, true}, sink);
    EXPECT_EQ(trail.Last, (SPoint{5, 5})); // the last point stays where it was
    EXPECT_EQ(TruncPixel(1e300), 1000000);
    EXPECT_EQ(TruncPixel(-2.7), -2);
}

} // namespace

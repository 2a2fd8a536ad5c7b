#include "panel/Historyplot.h"

#include "device/Data.h"
#include "panel/Plotview.h"

#include <climits>
#include <gtest/gtest.h>

namespace {

class HistoryPlotTest : public ::testing::Test {
protected:
    SHistoryState State(int count, int width = 400) const
    {
        return {count, width, false, true};
    }
    CPlotView view;
    CHistoryPlot plot{view};
};

TEST_F(HistoryPlotTest, ZoomChainWithTheNumbersOfFiveHundredSamples)
{
    const SHistoryState s = State(500);
    ASSERT_TRUE(plot.ZoomAuto(s));
    EXPECT_DOUBLE_EQ(view.Scale, 0.8);
    EXPECT_EQ(view.FirstIndex, 0);
    ASSERT_TRUE(plot.ZoomIn(s));
    EXPECT_DOUBLE_EQ(view.Scale, 1.6); // 1.6 is not below 1.6: kept
    ASSERT_TRUE(plot.ZoomOut(s));
    EXPECT_DOUBLE_EQ(view.Scale, 1.0); // 0.8 lies between 0.7 and 1.6
    // Zooming keeps the centre, sample 250.
    EXPECT_EQ(view.FirstIndex, 50);
}

TEST_F(HistoryPlotTest, ZoomKeepsTheCentreAndStopsAtItsLimits)
{
    const SHistoryState s = State(1000);
    view.FirstIndex = 100; // span 400, centre 300
    ASSERT_TRUE(plot.ZoomIn(s));
    EXPECT_DOUBLE_EQ(view.Scale, 2.0);
    EXPECT_EQ(view.FirstIndex, 200); // span 200 about 300
    ASSERT_TRUE(plot.ZoomOut(s));
    ASSERT_TRUE(plot.ZoomOut(s));
    EXPECT_DOUBLE_EQ(view.Scale, 0.5);
    EXPECT_EQ(view.FirstIndex, -100); // span 800 about 300
    view.Scale = 16;
    EXPECT_FALSE(plot.ZoomIn(s));
    view.Scale = 12;
    ASSERT_TRUE(plot.ZoomIn(s));
    EXPECT_DOUBLE_EQ(view.Scale, 24); // not limited once allowed
    view.Scale = 0.000001;
    EXPECT_FALSE(plot.ZoomOut(s));
    // Auto zoom needs an item, a width and samples; it never passes 16.
    EXPECT_FALSE(plot.ZoomAuto(State(0)));
    EXPECT_FALSE(plot.ZoomAuto({10, 400, false, false}));
    ASSERT_TRUE(plot.ZoomAuto(State(10)));
    EXPECT_DOUBLE_EQ(view.Scale, 16);
}

TEST_F(HistoryPlotTest, DragZoomShowsTheDraggedSamples)
{
    const SHistoryState s = State(1000);
    ASSERT_TRUE(plot.MouseDown(100, s));
    EXPECT_EQ(plot.Lines(), (std::vector<SSelectionLine>{{0, 100}, {1, 100}}));
    ASSERT_TRUE(plot.MouseMove(250));
    ASSERT_TRUE(plot.MouseMove(300));
    EXPECT_EQ(plot.Lines(), (std::vector<SSelectionLine>{{0, 100}, {1, 300}}));
    bool zoomed = false;
    ASSERT_TRUE(plot.MouseUp(zoomed, s));
    EXPECT_TRUE(zoomed);
    EXPECT_TRUE(plot.Lines().empty());
    EXPECT_DOUBLE_EQ(view.Scale, 2.0);
    EXPECT_EQ(view.FirstIndex, 100); // samples 100 to 300 across 400 pixels

    // Right to left gives the same; a drag of 3 pixels changes nothing.
    view.Reset();
    plot.MouseDown(300, s);
    plot.MouseMove(100);
    plot.MouseUp(zoomed, s);
    EXPECT_EQ(view.FirstIndex, 100);
    view.Reset();
    plot.MouseDown(100, s);
    plot.MouseMove(103);
    ASSERT_TRUE(plot.MouseUp(zoomed, s));
    EXPECT_FALSE(zoomed);
    EXPECT_DOUBLE_EQ(view.Scale, 1.0);
    EXPECT_EQ(view.FirstIndex, 0);
    EXPECT_TRUE(plot.Lines().empty());
    // A long drag on a narrow zoom never passes 16.
    plot.MouseDown(0, s);
    plot.MouseMove(10);
    plot.MouseUp(zoomed, s);
    EXPECT_DOUBLE_EQ(view.Scale, 16.0);
}

TEST_F(HistoryPlotTest, NoSelectionWhileTheTimerRunsOrAfterADoubleClick)
{
    EXPECT_FALSE(plot.MouseDown(10, {100, 400, true, true}));
    EXPECT_FALSE(plot.MouseDown(10, State(0)));
    EXPECT_FALSE(plot.MouseDown(10, {100, 400, false, false}));
    EXPECT_FALSE(plot.MouseMove(50));
    bool zoomed = true;
    EXPECT_FALSE(plot.MouseUp(zoomed, State(100)));
    EXPECT_FALSE(zoomed);
    plot.DoubleClicked();
    EXPECT_FALSE(plot.MouseDown(10, State(100)));
    EXPECT_TRUE(plot.MouseDown(10, State(100))); // only the one press is ignored
}

TEST_F(HistoryPlotTest, ScrollBarFollowsTheRightEdgeOfTheView)
{
    SHistoryState s = State(600);
    EXPECT_EQ(plot.ScrollPosition(s), 400); // (0 + 400) * 1000 / 1000
    view.FirstIndex = 600;
    EXPECT_EQ(plot.ScrollPosition(s), 1000);
    view.FirstIndex = 0;
    ASSERT_TRUE(plot.Scroll(CHistoryPlot::LineRight, 0, s));
    EXPECT_EQ(view.FirstIndex, 40);
    ASSERT_TRUE(plot.Scroll(CHistoryPlot::PageRight, 0, s));
    EXPECT_EQ(view.FirstIndex, 240);
    ASSERT_TRUE(plot.Scroll(CHistoryPlot::PageRight, 0, s));
    ASSERT_TRUE(plot.Scroll(CHistoryPlot::PageRight, 0, s));
    EXPECT_EQ(view.FirstIndex, 600); // held at the count
    ASSERT_TRUE(plot.Scroll(CHistoryPlot::Track, 500, s));
    EXPECT_EQ(view.FirstIndex, 100); // 1000 x 0.5 - 400
    ASSERT_TRUE(plot.Scroll(CHistoryPlot::Track, 0, s));
    EXPECT_EQ(view.FirstIndex, -400);
    ASSERT_TRUE(plot.Scroll(CHistoryPlot::LineLeft, 0, s));
    EXPECT_EQ(view.FirstIndex, -400); // held at -(w / zoom)
    ASSERT_TRUE(plot.Scroll(CHistoryPlot::Other, 0, s));
    EXPECT_EQ(view.FirstIndex, -400);
    EXPECT_FALSE(plot.Scroll(CHistoryPlot::LineRight, 0, State(0)));

    EXPECT_TRUE(CHistoryPlot::ScrollEnabled(State(1, 1)));
    EXPECT_FALSE(CHistoryPlot::ScrollEnabled(State(0)));
    EXPECT_FALSE(CHistoryPlot::ScrollEnabled(State(5, 0)));
    EXPECT_FALSE(CHistoryPlot::ScrollEnabled({5, 400, true, true}));
    EXPECT_FALSE(CHistoryPlot::ScrollEnabled({5, 400, false, false}));
}

TEST_F(HistoryPlotTest, TimeAxisLabelsAndTicks)
{
    EXPECT_EQ(CHistoryPlot::TimeLabel(83000, false), "01:23");
    EXPECT_EQ(CHistoryPlot::TimeLabel(3600000 + 83000, true), "01:01:23");
    EXPECT_EQ(CHistoryPlot::TimeLabel(86400000 + 1000, true), "00:00:01"); // a time of day
    EXPECT_EQ(CHistoryPlot::TimeLabel(-1000, true), "23:59:59");

    // A sample a second: sample i is i seconds after the first.
    static int64_t clock = 0;
    clock = 0;
    CData timed([] { return clock += 1000; });
    for (int i = 0; i < 300; ++i)
        timed.Add();
    view.FirstIndex = -50;
    const auto ticks = plot.TimeTicks(400, timed);
    // x = 30 gives sample -20 (skipped); 130 gives 80, 230 gives 180, 330 gives 280.
    ASSERT_EQ(ticks.size(), 3u);
    EXPECT_EQ(ticks[0].X, 130);
    EXPECT_EQ(ticks[0].Label, "01:20");
    EXPECT_EQ(ticks[2].X, 330);
    EXPECT_TRUE(plot.TimeTicks(400, CData()).empty());
    view.FirstIndex = 250; // x = 130 gives 380: past the end
    EXPECT_EQ(plot.TimeTicks(400, timed).size(), 1u);
}

TEST(HistoryPlotLines, MarkerLinesInterleaveAndToggle)
{
    EXPECT_EQ(CHistoryPlot::LineRows(0, 10), (std::vector<int>{0, 1, 2, 8, 9, 10}));
    EXPECT_EQ(CHistoryPlot::LineRows(1, 10), (std::vector<int>{4, 5, 6, 12, 13, 14}));
    CPlotView view;
    CHistoryPlot plot(view);
    plot.DrawSelectionLine(1, 30);
    plot.DrawSelectionLine(0, 30);
    plot.DrawSelectionLine(1, 30);
    EXPECT_EQ(plot.Lines(), (std::vector<SSelectionLine>{{0, 30}}));
    EXPECT_EQ(CHistoryPlot::TruncIndex(1e30), INT_MAX);
    EXPECT_EQ(CHistoryPlot::TruncIndex(-7.9), -7);
}

} // namespace

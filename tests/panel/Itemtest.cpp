#include "panel/Item.h"
#include "panel/Plotview.h"
#include "support/Fakepanesource.h"

#include <cmath>
#include <gtest/gtest.h>
#include <limits>
#include <vector>

namespace {

// Records the lines and the not-xor boxes; everything else is ignored.
class CRecordingCanvas : public IItemCanvas {
public:
    struct SLine { int x1, y1, x2, y2; };
    std::vector<SLine> Lines;
    int Markers = 0;
    void Clip(const SRect&) override {}
    void FillRect(const SRect&, uint32_t) override {}
    void FrameRect(const SRect&, uint32_t) override {}
    void Line(int x1, int y1, int x2, int y2, uint32_t colour) override
    {
        if (colour == itemcolour::Blue)
            Lines.push_back({x1, y1, x2, y2});
    }
    void Pixel(int, int, uint32_t) override {}
    void NotXorFrame(const SRect&, uint32_t) override { ++Markers; }
    void SetTextHeight(int) override {}
    int TextWidth(const std::string& t) override { return int(t.size()) * 6; }
    int TextHeight() override { return 12; }
    void Text(int, int, const std::string&, uint32_t) override {}
    void TextClipped(const SRect&, int, int, const std::string&, uint32_t) override {}
};

// Records where texts are drawn and the clip of each clipped one.
class CTextCanvas : public CRecordingCanvas {
public:
    struct SText { SRect clip; int x; std::string text; bool clipped; };
    std::vector<SText> Texts;
    void Text(int x, int, const std::string& t, uint32_t) override { Texts.push_back({{}, x, t, false}); }
    void TextClipped(const SRect& clip, int x, int, const std::string& t, uint32_t) override
    {
        Texts.push_back({clip, x, t, true});
    }
};

TEST(PaneItem, ABarsValueBoxHoldsTheWidestValueOfItsRange)
{
    CFakePaneSource source;
    source.Vars[1] = {"R", "R", "Ohms", 5, 0, 1000}; // "1000.00000": 60 pixels in this canvas
    source.Latest[1] = 999.12345;
    CItemStyle style;
    CPlotView view;
    CPaneContext ctx{&source, &style, &view};
    CItem item(CItem::Bar, 1);
    const SRect r{0, 0, 200, item.Height(style)};
    CTextCanvas canvas;
    item.Paint(canvas, r, false, ctx);
    const SBarGeometry g = CItem::BarGeometry(r, style.BarFontSize, 60);
    EXPECT_LT(g.X0, r.Width() - 3 * style.BarFontSize); // wider than the box of three heights
    EXPECT_GE(g.ValueInterior.Width(), 60 + 2 * 2);
    bool drawn = false;
    for (const auto& t : canvas.Texts)
        if (t.text == "999.12345") {
            drawn = true;
            EXPECT_GE(t.x, g.ValueInterior.Left) << "the value runs over its bar";
            EXPECT_LE(t.x + 54, g.ValueInterior.Right);
        }
    EXPECT_TRUE(drawn);
    // A value beyond the range is drawn with as many decimals as its box holds, whole, and
    // clipped to the box all the same; one too wide even without decimals gives the mark.
    source.Latest[1] = -123456.5;
    canvas.Texts.clear();
    item.Paint(canvas, r, false, ctx);
    ASSERT_FALSE(canvas.Texts.empty());
    EXPECT_TRUE(canvas.Texts.back().clipped);
    EXPECT_EQ(canvas.Texts.back().clip.Left, g.ValueInterior.Left);
    EXPECT_EQ(canvas.Texts.back().clip.Right, g.ValueInterior.Right);
    EXPECT_EQ(canvas.Texts.back().text, "-123456.50"); // 60 pixels of the 60 + 2 * 2 there are
    EXPECT_GE(canvas.Texts.back().x, g.ValueInterior.Left + 2);
    source.Latest[1] = 1e12;
    canvas.Texts.clear();
    item.Paint(canvas, r, false, ctx);
    ASSERT_FALSE(canvas.Texts.empty());
    EXPECT_EQ(canvas.Texts.back().text, "##");
    // A range of few digits keeps the box of three text heights.
    EXPECT_EQ(CItem::BarGeometry(r, 16, 30).X0, r.Width() - 3 * 16);
}

TEST(PaneItem, HeightsTextAndColourByKind)
{
    CItemStyle style;
    EXPECT_EQ(CItem(CItem::Value, 1).Height(style), 16);
    EXPECT_EQ(CItem(CItem::Bar, 3).Height(style), 38);
    EXPECT_EQ(CItem(CItem::Plot, 3).Height(style), 80);
    EXPECT_EQ(CItem(CItem::Separator, 0).Height(style), 5);
    EXPECT_EQ(CItem(CItem::Bar, 3).Colour(), 0x808080u);
    EXPECT_EQ(CItem(CItem::Plot, 3).Colour(), 0xFFFFFFu);
    EXPECT_EQ(CItem(CItem::Plot, 7).Text(), "0,2,7");

    struct { const char* text; CItem::EParse result; int kind; int id; } cases[] = {
        {"0,2,7", CItem::Parsed, 2, 7},     {"0,3,-1", CItem::Parsed, 3, -1},
        {"1,2,7", CItem::BadVersion, -1, 0}, {"0,4,7", CItem::Malformed, -1, 0},
        {"0,-1,7", CItem::Malformed, -1, 0}, {"0,2", CItem::Malformed, -1, 0},
        {"abc", CItem::Malformed, -1, 0},    {"0,1,3x", CItem::Malformed, -1, 0},
    };
    for (const auto& c : cases) {
        CItem item;
        EXPECT_EQ(item.Parse(c.text), c.result) << c.text;
        EXPECT_EQ(item.Kind, c.kind) << c.text;
        EXPECT_EQ(item.VarId, c.id) << c.text;
    }
}

TEST(PaneItem, GeometryClampsWhatIsNotFinite)
{
    int p = -1;
    EXPECT_TRUE(CItem::BarPixel(25, -50, 50, 100, p));
    EXPECT_EQ(p, 75);
    EXPECT_TRUE(CItem::BarPixel(1e300, 0, 1, 100, p));
    EXPECT_EQ(p, 100);
    EXPECT_FALSE(CItem::BarPixel(-std::numeric_limits<double>::infinity(), 0, 0, 100, p));
    EXPECT_FALSE(CItem::BarPixel(std::nan(""), 0, 1, 100, p));
    EXPECT_TRUE(CItem::BarPixel(5, 5, 5, 100, p)); // min = max: range 1
    EXPECT_EQ(p, 0);
    EXPECT_TRUE(CItem::BarPixel(5.5, 5, 5, 100, p));
    EXPECT_EQ(p, 50);

    int x, y;
    EXPECT_TRUE(CItem::PlotPoint(10, 1e308, 0, 1.0, 0, 1, 80, 16, x, y));
    EXPECT_EQ(y, 0);
    EXPECT_TRUE(CItem::PlotPoint(10, -1e308, 0, 1.0, 0, 1, 80, 16, x, y));
    EXPECT_EQ(y, 79);
    EXPECT_FALSE(CItem::PlotPoint(10, std::nan(""), 0, 1.0, 0, 1, 80, 16, x, y));
    EXPECT_TRUE(CItem::PlotPoint(10, 0.5, 0, 1.0, 0.5, 0.5, 80, 16, x, y));
    EXPECT_EQ(x, 10);
    EXPECT_EQ(y, 75);
}

struct PlotFixture : ::testing::Test {
    CFakePaneSource source;
    CItemStyle style;
    CPlotView view;
    CPaneContext ctx{&source, &style, &view};
    SRect rect{0, 0, 106, 80}; // width - 6 = 100 samples at scale 1
};

TEST_F(PlotFixture, IncrementalUpdateScrollsInStepsOfTen)
{
    CItem item(CItem::Plot, 3);
    CRecordingCanvas canvas;
    source.History.assign(100, 0.5);
    item.Paint(canvas, rect, true, ctx);
    EXPECT_EQ(view.FirstIndex, 0);
    canvas.Lines.clear();

    EXPECT_FALSE(item.Apply(canvas, rect, true, ctx)); // 100 samples fit
    EXPECT_EQ(canvas.Lines.size(), 1u);
    source.History.push_back(0.5);                    // 101 no longer fits
    EXPECT_TRUE(item.Apply(canvas, rect, true, ctx));
    EXPECT_EQ(view.FirstIndex, 10);
    source.History.resize(1000, 0.5);                 // far behind: still steps of 10
    EXPECT_TRUE(item.Apply(canvas, rect, true, ctx));
    EXPECT_EQ(view.FirstIndex, 900);
    EXPECT_FALSE(item.Apply(canvas, rect, false, ctx)); // only incremental calls act
}

TEST_F(PlotFixture, SkipsValuesThatAreNotFinite)
{
    CItem item(CItem::Plot, 3);
    CRecordingCanvas canvas;
    source.History = {0.1, 0.2, std::nan(""), 0.4, std::numeric_limits<double>::infinity()};
    item.Paint(canvas, rect, true, ctx);
    // Segments 0-1 only: the NaN breaks the trace, 3 stands alone, the infinity is skipped.
    EXPECT_EQ(canvas.Lines.size(), 1u);
    EXPECT_EQ(item.LastX, CItem::NoPoint);
    source.History.push_back(0.6);
    canvas.Lines.clear();
    item.Apply(canvas, rect, true, ctx);
    EXPECT_TRUE(canvas.Lines.empty()); // no point to continue from
    EXPECT_EQ(item.LastX, 5);
    source.History.push_back(0.7);
    item.Apply(canvas, rect, true, ctx);
    EXPECT_EQ(canvas.Lines.size(), 1u);
}

TEST_F(PlotFixture, FullPaintScrollsToTheNewestSampleWhenAsked)
{
    CItem item(CItem::Plot, 3);
    CRecordingCanvas canvas;
    source.History.assign(500, 0.5);
    EXPECT_FALSE(item.Paint(canvas, rect, false, ctx));
    EXPECT_EQ(view.FirstIndex, 0);
    EXPECT_TRUE(item.Paint(canvas, rect, true, ctx));
    EXPECT_EQ(view.FirstIndex, 500 - 102);
    source.History.resize(1);
    EXPECT_TRUE(item.Paint(canvas, rect, false, ctx)); // fewer than 2 samples: back to 0
    EXPECT_EQ(view.FirstIndex, 0);
}

TEST_F(PlotFixture, NarrowItemWithATinyScaleKeepsTheFirstIndexInRange)
{
    CItem item(CItem::Plot, 3);
    CRecordingCanvas canvas;
    source.History.assign(50, 0.5);
    view.Scale = 1e-300;      // positive and finite, so it is used as it is
    SRect narrow{0, 0, 3, 80}; // narrower than the plot's margins
    EXPECT_TRUE(item.Paint(canvas, narrow, true, ctx));
    EXPECT_EQ(view.FirstIndex, std::numeric_limits<int>::max());
    view.FirstIndex = 0;
    EXPECT_TRUE(item.Apply(canvas, narrow, true, ctx));
    EXPECT_EQ(view.FirstIndex, std::numeric_limits<int>::max());
}

} // namespace

namespace {

TEST_F(PlotFixture, SamplesInOnePixelColumnDrawOneVerticalLine)
{
    CItem item(CItem::Plot, 3);
    CRecordingCanvas canvas;
    view.Scale = 0.2; // samples 0-2 in column 0, samples 3-7 in column 1
    source.History = {0.5, 0.9, 0.1, 0.5, 0.6, 0.6, 0.3, 0.6};
    item.Paint(canvas, rect, false, ctx);
    int y[8];
    const SVarInfo var = source.Var(3);
    for (int i = 0; i < 8; ++i) {
        int x = 0;
        ASSERT_TRUE(CItem::PlotPoint(i, source.History[size_t(i)], 0, 0.2, var.Min, var.Max,
                                     rect.Height(), style.PlotFontSize, x, y[i]));
        EXPECT_EQ(x, i < 3 ? 0 : 1) << i;
    }
    // Column 0 from its highest sample to its lowest, the step from its last sample to the
    // next column's first, then column 1 from its highest to its lowest.
    ASSERT_EQ(canvas.Lines.size(), 3u);
    const auto line = [](const CRecordingCanvas::SLine& l) {
        return std::vector<int>{l.x1, l.y1, l.x2, l.y2};
    };
    EXPECT_EQ(line(canvas.Lines[0]), (std::vector<int>{0, y[1], 0, y[2]}));
    EXPECT_EQ(line(canvas.Lines[1]), (std::vector<int>{0, y[2], 1, y[3]}));
    EXPECT_EQ(line(canvas.Lines[2]), (std::vector<int>{1, y[4], 1, y[6]}));
}

} // namespace

#include "common/Helpers.h"
#include "panel/Panelist.h"
#include "panel/Plotview.h"
#include "panel/ui/Itempainter.h"
#include "panel/ui/Panelistbox.h"
#include "support/Fakepanesource.h"

#include <QApplication>
#include <QImage>
#include <QPaintEvent>
#include <QPainter>
#include <limits>
#include <tuple>
#include <gtest/gtest.h>

namespace {

QRgb Blue() { return qRgb(0, 0, 255); }
QRgb White() { return qRgb(255, 255, 255); }

struct PaneBox : ::testing::Test {
    CFakePaneSource source;
    CItemStyle style;
    CPlotView view;
    CPaneList list{CPaneContext{&source, &style, &view}};
    TPaneListBox box;

    void SetUp() override
    {
        box.resize(300, 400);
        box.Attach(&list);
    }
    void TearDown() override { box.Attach(nullptr); }
    QRgb At(int x, int y) { return box.Buffer().pixel(x, y) | 0xFF000000u; }
};

TEST_F(PaneBox, BarGrowsFromTheZeroPointBothWays)
{
    list.Add(CItem::Bar, 2); // X: -50 .. 50
    QRect r = box.ItemRect(0);
    ASSERT_EQ(r.height(), 38);
    SBarGeometry g = CItem::BarGeometry({r.left(), r.top(), r.right() + 1, r.bottom() + 1}, style.BarFontSize);
    const SRect& in = g.BarInterior;
    int mid = in.Left + in.Width() / 2;
    int y = in.Top + in.Height() / 2;
    int quarter = in.Width() / 4;

    source.Latest[2] = 25;
    list.ApplyValues();
    EXPECT_EQ(At(mid + quarter / 2, y), Blue());
    EXPECT_EQ(At(mid - quarter / 2, y), White());
    EXPECT_EQ(At(mid + quarter + 4, y), White());

    source.Latest[2] = -25;
    list.ApplyValues();
    EXPECT_EQ(At(mid - quarter / 2, y), Blue());
    EXPECT_EQ(At(mid + quarter / 2, y), White());
    EXPECT_EQ(At(mid - quarter - 4, y), White());
}

TEST_F(PaneBox, NewValueRepaintsOnlyItsLineOnTheScreen)
{
    // The paint events the screen gets, by the area they cover.
    struct PaintAreas : QObject {
        std::vector<QRect> rects;
        bool eventFilter(QObject*, QEvent* event) override
        {
            if (event->type() == QEvent::Paint)
                rects.push_back(static_cast<QPaintEvent*>(event)->rect());
            return false;
        }
    } areas;
    list.Add(CItem::Value, 1);
    list.Add(CItem::Value, 2);
    list.Add(CItem::Bar, 3);
    box.show();
    QApplication::processEvents();
    box.viewport()->installEventFilter(&areas);

    source.Latest[2] = 12.5; // only the second line changes
    list.ApplyValues();
    QApplication::processEvents();
    ASSERT_EQ(areas.rects.size(), 1u);
    // The line, with at most a few pixels of the glyphs' margin around it.
    const QRect line = box.ItemRect(1);
    EXPECT_TRUE(line.adjusted(0, -4, 0, 4).contains(areas.rects[0])) << areas.rects[0].y() << "+" << areas.rects[0].height();

    areas.rects.clear();
    list.ApplyValues(); // nothing changed: nothing painted
    QApplication::processEvents();
    EXPECT_TRUE(areas.rects.empty());
}

TEST_F(PaneBox, EqualMinAndMaxAndValuesThatAreNotNumbersDrawWithoutHarm)
{
    source.Vars[2].Min = source.Vars[2].Max = 5;
    source.History = {5.0, std::nan(""), 1e300, -1e300, 5.5};
    source.Latest[2] = std::numeric_limits<double>::infinity();
    list.Add(CItem::Bar, 2);
    list.Add(CItem::Value, 2);
    list.Add(CItem::Plot, 2);
    EXPECT_FALSE(list.RefreshAll(true));
    list.ApplyValues();
    source.History.push_back(std::nan(""));
    EXPECT_FALSE(list.ApplyPlots());
    source.History.push_back(5.2);
    EXPECT_FALSE(list.ApplyPlots());
}

TEST_F(PaneBox, IncrementalPlotUpdateDrawsOneSegmentAndMovesTheMarker)
{
    list.Add(CItem::Plot, 3);
    source.History = {0.2, 0.4};
    list.RefreshAll(true);
    QImage before = box.Buffer().copy();
    source.History.push_back(0.6);
    list.ApplyPlots();
    QImage after = box.Buffer().copy();
    int changed = 0;
    for (int y = 0; y < before.height(); ++y)
        for (int x = 0; x < before.width(); ++x)
            changed += before.pixel(x, y) != after.pixel(x, y);
    EXPECT_GT(changed, 0);
    EXPECT_LT(changed, 120); // a segment and two markers, not a repaint

    // A full repaint then gives the same picture as the incremental one.
    list.RefreshAll(false);
    EXPECT_EQ(box.Buffer(), after);
}

TEST_F(PaneBox, LayoutFollowsTheItemHeights)
{
    list.Add(CItem::Value, 1);
    list.Add(CItem::Separator, 0);
    list.Add(CItem::Plot, 3);
    EXPECT_EQ(box.ItemRect(1).top(), 16);
    EXPECT_EQ(box.ItemRect(2).top(), 21);
    EXPECT_EQ(box.ItemAt(QPoint(5, 30)), 2);
    EXPECT_EQ(box.ItemAt(QPoint(5, 300)), -1);
    style.PlotSize = 100;
    style.ValueFontSize = 20;
    list.Remeasure();
    EXPECT_EQ(box.ItemRect(2).top(), 25);
    EXPECT_EQ(box.ItemRect(2).height(), 100);
}

// A pane of the main window's default width, whose items' texts are checked against the same
// texts drawn whole on a blank image.
struct NarrowPane : PaneBox {
    static constexpr int DefaultPaneWidth = 160;
    void SetUp() override
    {
        PaneBox::SetUp();
        box.resize(DefaultPaneWidth, 400);
        box.show(); // laid out: its items are as wide as the pane shows them
        QApplication::processEvents();
        source.Vars[4] = {"Temp", "Temp", "C", 5, 0, 4096};
    }
    SRect Rect(int item) const
    {
        const QRect r = box.ItemRect(item);
        return {r.left(), r.top(), r.right() + 1, r.bottom() + 1};
    }
    // Texts drawn whole, each at its x and y, in the pane's font at the height given, on a
    // white image of the pane's size.
    QImage Whole(int height, const std::vector<std::tuple<int, int, std::string>>& texts)
    {
        QImage image(box.Buffer().size(), box.Buffer().format());
        image.fill(Qt::white);
        TItemPainter painter(image, box.font(), box.palette());
        painter.SetTextHeight(height);
        for (const auto& [x, y, text] : texts)
            painter.Text(x, y, text, itemcolour::Black);
        return image;
    }
    int Width(int height, const std::string& text)
    {
        QImage image(1, 1, QImage::Format_RGB32);
        TItemPainter painter(image, box.font(), box.palette());
        painter.SetTextHeight(height);
        return painter.TextWidth(text);
    }
    static bool Ink(const QImage& image, int x, int y) { return qGray(image.pixel(x, y)) < 160; }
    // The columns of area that hold ink.
    static std::vector<int> InkColumns(const QImage& image, const SRect& area)
    {
        std::vector<int> columns;
        for (int x = area.Left; x < area.Right; ++x)
            for (int y = area.Top; y < area.Bottom; ++y)
                if (Ink(image, x, y)) {
                    columns.push_back(x);
                    break;
                }
        return columns;
    }
    static bool SameIn(const QImage& a, const QImage& b, const SRect& area)
    {
        for (int y = area.Top; y < area.Bottom; ++y)
            for (int x = area.Left; x < area.Right; ++x)
                if (a.pixel(x, y) != b.pixel(x, y))
                    return false;
        return true;
    }
    // The value with its decimals or fewer, or the mark that it does not fit.
    static std::vector<std::string> Candidates(double v, int decimals)
    {
        std::vector<std::string> texts;
        for (int d = decimals; d >= 0; --d)
            texts.push_back(FloatToText(v, d));
        texts.push_back("##");
        return texts;
    }
};

TEST_F(NarrowPane, ABarsValueIsShownWholeInItsBoxNeverWithADigitCut)
{
    list.Add(CItem::Bar, 4);
    const SRect r = Rect(0);
    const int h = style.BarFontSize;
    const int widest = Width(h, "4096.00000");
    const SRect vb = CItem::BarGeometry(r, h, widest).ValueInterior;
    for (double v : {300.0, 4096.0, 0.5, -123456.5, 1e9}) {
        source.Latest[4] = v;
        list.ApplyValues();
        const QImage& pane = box.Buffer();
        ASSERT_FALSE(InkColumns(pane, vb).empty()) << v << ": nothing shown";
        // What the box shows is one of the texts drawn whole, right-aligned in the box, and that
        // text lies inside the box: nothing of it was cut off.
        std::string shown;
        for (const std::string& text : Candidates(v, 5)) {
            const QImage whole = Whole(h, {{vb.Right - 2 - Width(h, text), vb.Top, text}});
            const SRect all{0, 0, whole.width(), whole.height()};
            const std::vector<int> ink = InkColumns(whole, all);
            if (!ink.empty() && ink.front() > vb.Left && ink.back() < vb.Right - 1 && SameIn(pane, whole, vb)) {
                shown = text;
                break;
            }
        }
        EXPECT_FALSE(shown.empty()) << v << ": the value box shows a text cut by its edge";
        if (v == 300.0) {
            EXPECT_EQ(shown.substr(0, 4), "300.") << "fewer decimals, not the mark, while the number fits";
        }
    }
}

TEST_F(NarrowPane, ABarsValueBoxShowsTheValueWithoutDecimalsTheMarkOrNothing)
{
    // A variable of no decimals shows its number whole while it fits, the mark once it does not,
    // and a box too narrow for even the mark shows nothing.
    struct Case {
        int paneWidth;
        int decimals;
        double value;
        const char* shown; // "" for a blank box
    } cases[] = {
        {DefaultPaneWidth, 0, 300.0, "300"},
        {DefaultPaneWidth, 0, 4096.0, "4096"}, // the widest of its range
        {DefaultPaneWidth, 0, 1e9, "##"},
        {DefaultPaneWidth, 2, 1e9, "##"},
        {24, 0, 3.0, ""},
        {24, 2, 1e9, ""},
    };
    list.Add(CItem::Bar, 4);
    const int h = style.BarFontSize;
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.paneWidth) + " " + std::to_string(c.decimals) + " " + std::to_string(c.value));
        box.resize(c.paneWidth, 400);
        QApplication::processEvents();
        source.Vars[4].Decimals = c.decimals;
        source.Latest[4] = c.value;
        list.RefreshAll(true);
        const SRect vb = CItem::BarGeometry(Rect(0), h, Width(h, FloatToText(4096, c.decimals))).ValueInterior;
        const QImage& pane = box.Buffer();
        const std::string text = c.shown;
        if (text.empty()) {
            ASSERT_LT(vb.Width(), Width(h, "##")) << "not a box too narrow for the mark";
            EXPECT_TRUE(InkColumns(pane, vb).empty()) << "the box is not blank";
            continue;
        }
        EXPECT_TRUE(SameIn(pane, Whole(h, {{vb.Right - 2 - Width(h, text), vb.Top, text}}), vb))
            << "the box does not show " << text;
    }
}

TEST_F(NarrowPane, AValueLinesNumberKeepsClearOfTheEqualsSign)
{
    list.Add(CItem::Value, 4);
    const SRect r = Rect(0);
    const int h = style.ValueFontSize;
    const SRect half{r.Left + r.Width() / 2, r.Top, r.Right, r.Bottom};
    const std::vector<int> equals = InkColumns(Whole(h, {{half.Left, r.Top, "="}}), half);
    ASSERT_FALSE(equals.empty());
    for (double v : {300.0, 4096.0, -4096.0, 1e12}) {
        source.Latest[4] = v;
        list.ApplyValues();
        const QImage& pane = box.Buffer();
        std::string shown;
        for (const std::string& text : Candidates(v, 5)) {
            const QImage whole = Whole(h, {{half.Left, r.Top, "="}, {r.Right - 2 - Width(h, text), r.Top, text}});
            if (!SameIn(pane, whole, half))
                continue;
            // The number's ink starts after a blank column beyond the "=".
            const std::vector<int> number = InkColumns(Whole(h, {{r.Right - 2 - Width(h, text), r.Top, text}}),
                                                       {0, r.Top, r.Right, r.Bottom});
            if (!number.empty() && number.front() > equals.back() + 1 && number.back() < r.Right) {
                shown = text;
                break;
            }
        }
        EXPECT_FALSE(shown.empty()) << v << ": the number runs into the \"=\" or off the pane";
    }
}

TEST_F(PaneBox, ALostReadingPaintsBlankNeverNotANumber)
{
    // The reading is lost, and so are the samples of the history.
    const double lost = std::numeric_limits<double>::quiet_NaN();
    source.Latest[1] = lost;
    source.History = {lost, lost};
    list.Add(CItem::Value, 1);
    list.Add(CItem::Bar, 1);
    list.Add(CItem::Plot, 1);
    list.RefreshAll(true);
    list.ApplyValues();
    const QImage& pane = box.Buffer();
    const auto area = [&](int item) {
        const QRect r = box.ItemRect(item);
        return SRect{r.left(), r.top(), r.right() + 1, r.bottom() + 1};
    };
    const auto blank = [&](const SRect& a) {
        for (int y = a.Top; y < a.Bottom; ++y)
            for (int x = a.Left; x < a.Right; ++x)
                if (pane.pixel(x, y) != pane.pixel(a.Left, a.Top))
                    return false;
        return true;
    };
    // The value line: "=" and nothing after it.
    const SRect line = area(0);
    const SRect half{line.Left + line.Width() / 2, line.Top, line.Right, line.Bottom};
    QImage equalsOnly(pane.size(), pane.format());
    equalsOnly.fill(Qt::white);
    {
        TItemPainter painter(equalsOnly, box.font(), box.palette());
        painter.SetTextHeight(style.ValueFontSize);
        painter.Text(half.Left, half.Top, "=", itemcolour::Black);
    }
    for (int y = half.Top; y < half.Bottom; ++y)
        for (int x = half.Left; x < half.Right; ++x)
            ASSERT_EQ(pane.pixel(x, y), equalsOnly.pixel(x, y)) << "the value line shows a text at " << x << "," << y;
    // The bar: an empty bar and a blank value box.
    QImage scratch(1, 1, QImage::Format_RGB32);
    TItemPainter measure(scratch, box.font(), box.palette());
    measure.SetTextHeight(style.BarFontSize);
    const SBarGeometry g = CItem::BarGeometry(area(1), style.BarFontSize, CItem::WidestValue(measure, source.Var(1)));
    EXPECT_TRUE(blank(g.ValueInterior)) << "the bar's value box shows a text";
    int blueInBar = 0;
    for (int y = g.BarInterior.Top; y < g.BarInterior.Bottom; ++y)
        for (int x = g.BarInterior.Left; x < g.BarInterior.Right; ++x)
            blueInBar += (pane.pixel(x, y) | 0xFF000000u) == Blue();
    EXPECT_EQ(blueInBar, 0);
    // The plot: as without samples, its frame, grid, labels and title, and nothing else.
    CItem plot(CItem::Plot, 1);
    QImage alone(pane.size(), pane.format());
    alone.fill(Qt::white);
    source.History.clear();
    {
        TItemPainter painter(alone, box.font(), box.palette());
        plot.Paint(painter, area(2), false, list.Context());
    }
    const QRect p = box.ItemRect(2);
    for (int y = p.top(); y <= p.bottom(); ++y)
        for (int x = p.left(); x <= p.right(); ++x)
            ASSERT_EQ(pane.pixel(x, y), alone.pixel(x, y)) << "the plot shows something of a lost sample at " << x << "," << y;
}

TEST(ItemPainter, NumbersDrawnFromTheirGlyphsLookAsShapedTextAndMeasureTheSame)
{
    // Numbers skip the shaper; everything must come out as QPainter would draw the text.
    SItemTextCache cache;
    for (int height : {10, 13, 16, 22}) {
        for (const char* text : {"12.34", "-0.56", "=", "1e-05", "100 %", "R load", "To AV", "\xce\xa9"}) {
            QImage fast(120, 30, QImage::Format_RGB32), shaped(120, 30, QImage::Format_RGB32);
            fast.fill(Qt::white);
            shaped.fill(Qt::white);
            int width = 0;
            {
                TItemPainter painter(fast, QApplication::font(), QApplication::palette(), &cache);
                painter.SetTextHeight(height);
                width = painter.TextWidth(text);
                painter.Text(4, 3, text, itemcolour::Black);
                EXPECT_TRUE(painter.Touched().contains(QRect(4, 3, width, painter.TextHeight())));
            }
            QPainter p(&shaped);
            p.setRenderHint(QPainter::TextAntialiasing, true);
            p.setFont(TItemPainter::FontForHeight(QApplication::font(), height));
            p.setPen(Qt::black);
            const QString s = QString::fromUtf8(text);
            p.drawText(4, 3 + p.fontMetrics().ascent(), s);
            EXPECT_EQ(width, p.fontMetrics().horizontalAdvance(s)) << text << " " << height;
            p.end();
            EXPECT_EQ(fast, shaped) << text << " " << height;
        }
    }
}

TEST(ItemPainter, NotXorFrameTwiceRestoresThePixels)
{
    QImage image(20, 20, QImage::Format_RGB32);
    image.fill(Qt::white);
    image.setPixel(10, 7, qRgb(0, 0, 255));
    QImage original = image.copy();
    {
        TItemPainter painter(image, QApplication::font(), QApplication::palette());
        painter.NotXorFrame({7, 7, 14, 14}, itemcolour::Blue);
    }
    EXPECT_NE(image, original);
    {
        TItemPainter painter(image, QApplication::font(), QApplication::palette());
        painter.NotXorFrame({7, 7, 14, 14}, itemcolour::Blue);
    }
    EXPECT_EQ(image, original);
}

} // namespace

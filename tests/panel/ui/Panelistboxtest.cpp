#include "panel/Panelist.h"
#include "panel/Plotview.h"
#include "panel/ui/Itempainter.h"
#include "panel/ui/Panelistbox.h"
#include "support/Fakepanesource.h"

#include <QApplication>
#include <QImage>
#include <QPaintEvent>
#include <QPainter>
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

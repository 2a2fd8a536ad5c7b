#include "zcomponents/Zcolor.h"
#include "qtsupport/Widgets.h"
#include "zcomponents/Zgauge.h"

#include <QImage>
#include <gtest/gtest.h>
#include <limits>
#include <memory>

namespace {

constexpr std::int32_t IntMin = std::numeric_limits<std::int32_t>::min();
constexpr std::int32_t IntMax = std::numeric_limits<std::int32_t>::max();

QImage Render(QWidget& w) { return testsupport::RenderWidget(w); }

QRgb Rgb(TColor c)
{
    return ColorToQColor(c).rgb();
}

// A gauge whose bar area is the whole control: no bevels, frame or margin.
void MakeBare(TzGauge& g, int w, int h)
{
    g.resize(w, h);
    g.SetBevelOuter(bvNone);
    g.SetMargin(0);
    g.SetColor(clSilver);
    g.SetBarColor(clNavy);
}

struct EventCount {
    int minimum = 0, maximum = 0, paint = 0;
    QObject* sender = nullptr;
};

void Count(TzGauge& g, EventCount& c)
{
    g.OnMinimum = [&c](QObject* s) { ++c.minimum; c.sender = s; };
    g.OnMaximum = [&c](QObject* s) { ++c.maximum; c.sender = s; };
    g.OnPaint = [&c](QObject* s) { ++c.paint; c.sender = s; };
}

} // namespace

TEST(TzGauge, DefaultsAsConstructed)
{
    TzGauge g;
    EXPECT_EQ(g.Width(), 75);
    EXPECT_EQ(g.Height(), 30);
    EXPECT_EQ(g.Min(), 0);
    EXPECT_EQ(g.Max(), 100);
    EXPECT_EQ(g.Value(), 0);
    EXPECT_EQ(g.BarColor(), clFuchsia);
    EXPECT_EQ(g.BevelOuter(), bvRaised);
    EXPECT_EQ(g.BevelInner(), bvNone);
    EXPECT_EQ(g.BevelWidth(), 1);
    EXPECT_EQ(g.Margin(), 1);
    EXPECT_EQ(g.SpaceBetweenLed(), 1);
    EXPECT_EQ(g.NumberOfLed(), 0);
    EXPECT_EQ(g.FrameWidth(), 0);
    EXPECT_EQ(g.CaptionStyle(), gaPctBar);
    EXPECT_TRUE(g.ParentColor());
    EXPECT_FALSE(g.DrawOnlyWhenPCTChange());
}

TEST(TzGauge, RangeRules)
{
    struct Case {
        std::int32_t min, max;
        std::int32_t wantMin, wantMax;
    } cases[] = {
        {0, 0, 0, 1},         // Max pushed above Min
        {200, 100, 200, 201}, // SetMin above Max pushes Max
        {-50, 50, -50, 50},
        {IntMax, IntMax, IntMax - 1, IntMax}, // no overflow at the top of the range
    };
    for (const Case& c : cases) {
        TzGauge g;
        g.SetMin(c.min);
        g.SetMax(c.max);
        EXPECT_EQ(g.Min(), c.wantMin) << c.min << ".." << c.max;
        EXPECT_EQ(g.Max(), c.wantMax) << c.min << ".." << c.max;
    }
}

TEST(TzGauge, ValueIsClampedAndFiresEndEvents)
{
    TzGauge g;
    EventCount c;
    Count(g, c);
    g.SetValue(50);
    EXPECT_EQ(c.minimum + c.maximum, 0);
    g.SetValue(150);
    EXPECT_EQ(g.Value(), 100);
    EXPECT_EQ(c.maximum, 1);
    EXPECT_EQ(c.sender, &g);
    g.SetValue(200); // already at Max: fires again
    EXPECT_EQ(c.maximum, 2);
    g.SetValue(100); // unchanged: nothing
    EXPECT_EQ(c.maximum, 2);
    g.SetValue(-5);
    EXPECT_EQ(g.Value(), 0);
    EXPECT_EQ(c.minimum, 1);
    g.SetValue(-10);
    EXPECT_EQ(c.minimum, 2);
    g.AddValue(30);
    EXPECT_EQ(g.Value(), 30);
    g.SetPercent(150); // acts as 100
    EXPECT_EQ(g.Value(), 100);
    EXPECT_EQ(c.maximum, 3);
}

TEST(TzGauge, RangeChangeKeepsStoredValue)
{
    TzGauge g;
    g.SetValue(80);
    g.SetMax(50);
    EXPECT_EQ(g.Value(), 80);
    EXPECT_EQ(g.Percent(), 100); // shown at the nearer end, no wrap
    g.SetMin(90);
    EXPECT_EQ(g.Max(), 91);
    EXPECT_EQ(g.Value(), 80);
    EXPECT_EQ(g.Percent(), 0);
    g.SetValue(85);
    EXPECT_EQ(g.Value(), 90);
}

TEST(TzGauge, PercentInSixtyFourBits)
{
    TzGauge g;
    g.SetMin(IntMin);
    g.SetMax(IntMax);
    g.SetValue(0);
    EXPECT_EQ(g.Percent(), 50); // 2^31 x 100 div (2^32 - 1), beyond 32 bits
    g.SetValue(IntMax);
    EXPECT_EQ(g.Percent(), 100);
    g.SetValue(IntMin);
    EXPECT_EQ(g.Percent(), 0);
    g.SetValue(IntMin / 2);
    EXPECT_EQ(g.Percent(), 25);
    g.SetPercent(50); // (2^32 - 1) x 0.5 - 2^31 = -0.5, truncated
    EXPECT_EQ(g.Value(), 0);
    g.SetValue(IntMax);
    g.AddValue(IntMax); // no overflow
    EXPECT_EQ(g.Value(), IntMax);
}

TEST(TzGauge, HugeRangeDrawsWithinTheBar)
{
    TzGauge g;
    MakeBare(g, 100, 10);
    g.SetMin(IntMin);
    g.SetMax(IntMax);
    g.SetValue(IntMax - 1);
    QImage image = Render(g);
    EXPECT_EQ(image.pixel(98, 5), Rgb(clNavy));
    g.SetValue(0);
    image = Render(g);
    EXPECT_EQ(image.pixel(48, 5), Rgb(clNavy));
    EXPECT_EQ(image.pixel(51, 5), Rgb(clSilver));
}

TEST(TzGauge, OutOfRangeStoredValueDrawsAFullBar)
{
    TzGauge g;
    MakeBare(g, 40, 8);
    g.SetValue(100);
    g.SetMax(10); // stored 100 is now beyond Max
    const QImage image = Render(g);
    EXPECT_EQ(image.pixel(0, 4), Rgb(clNavy));
    EXPECT_EQ(image.pixel(39, 4), Rgb(clNavy));
}

TEST(TzGauge, HalfwayPixelsWithTwoColourCaption)
{
    TzGauge g;
    MakeBare(g, 120, 24);
    QFont font = g.font();
    font.setPixelSize(18);
    font.setStyleStrategy(QFont::NoAntialias);
    g.setFont(font);
    g.SetCaption("MMMMMMMMMM");
    g.SetValue(50);
    const QImage image = Render(g);
    const QRgb bar = Rgb(clNavy), back = Rgb(clSilver);
    // Bar to the left of the split at 60, background to the right, outside the caption.
    EXPECT_EQ(image.pixel(1, 1), bar);
    EXPECT_EQ(image.pixel(59, 1), bar);
    EXPECT_EQ(image.pixel(60, 1), back);
    EXPECT_EQ(image.pixel(118, 22), back);
    // Over the bar the caption is in the background colour, beyond it in the bar colour.
    int leftText = 0, rightText = 0;
    for (int y = 0; y < 24; ++y) {
        for (int x = 0; x < 120; ++x) {
            const QRgb px = image.pixel(x, y);
            if (x < 60) {
                ASSERT_TRUE(px == bar || px == back) << x << "," << y;
                leftText += px == back;
            } else {
                ASSERT_TRUE(px == bar || px == back) << x << "," << y;
                rightText += px == bar;
            }
        }
    }
    EXPECT_GT(leftText, 10);
    EXPECT_GT(rightText, 10);
    EXPECT_EQ(g.FormattedCaption(), "MMMMMMMMMM");
}

TEST(TzGauge, BevelFrameAndMarginRings)
{
    TzGauge g;
    g.resize(40, 12);
    g.SetColor(clSilver);
    g.SetBarColor(clNavy);
    g.SetBevelOuter(bvLowered);
    g.SetBevelWidth(2);
    g.SetfWidth(1);
    g.SetMargin(1);
    g.SetValue(100);
    const QImage image = Render(g);
    const QRgb shadow = Rgb(clBtnShadow), light = Rgb(clBtnHighlight);
    EXPECT_EQ(image.pixel(0, 5), shadow);  // lowered: top-left in shadow
    EXPECT_EQ(image.pixel(5, 1), shadow);
    EXPECT_EQ(image.pixel(39, 5), light);  // bottom-right in highlight
    EXPECT_EQ(image.pixel(5, 10), light);
    EXPECT_EQ(image.pixel(2, 5), Rgb(clSilver)); // frame ring
    EXPECT_EQ(image.pixel(3, 5), Rgb(clSilver)); // margin ring
    EXPECT_EQ(image.pixel(4, 5), Rgb(clNavy));   // bar from inset 3 + margin 1
    EXPECT_EQ(image.pixel(35, 5), Rgb(clNavy));
    EXPECT_EQ(image.pixel(36, 5), Rgb(clSilver));
}

TEST(TzGauge, SegmentsAndNoCaption)
{
    TzGauge g;
    MakeBare(g, 40, 6);
    g.SetledSpace(4); // four segments
    g.SetLedThick(2); // two pixels apart: segment 8, pitch 10
    g.SetCaption("X");
    g.SetValue(50);
    const QImage image = Render(g);
    const QRgb bar = Rgb(clNavy), back = Rgb(clSilver);
    const QRgb row[] = {bar, bar, back, back, back};
    const int xs[] = {0, 7, 8, 9, 20};
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(image.pixel(xs[i], 3), row[i]) << xs[i];
    EXPECT_EQ(image.pixel(10, 3), bar);
    EXPECT_EQ(image.pixel(17, 3), bar);
    EXPECT_TRUE(g.FormattedCaption().isEmpty());
}

TEST(TzGauge, MoreSegmentsThanPixels)
{
    TzGauge g;
    MakeBare(g, 10, 4);
    g.SetledSpace(1000);
    g.SetLedThick(0);
    g.SetValue(100);
    const QImage image = Render(g);
    for (int x = 0; x < 10; ++x)
        EXPECT_EQ(image.pixel(x, 2), Rgb(clNavy)) << x;
}

TEST(TzGauge, TiledGlyphFillsTheBar)
{
    TzGauge g;
    MakeBare(g, 20, 6);
    QImage glyph(2, 1, QImage::Format_RGB32);
    glyph.setPixel(0, 0, qRgb(255, 0, 0));
    glyph.setPixel(1, 0, qRgb(0, 255, 0));
    g.SetBitmap(glyph);
    g.SetValue(50);
    const QImage image = Render(g);
    EXPECT_EQ(image.pixel(0, 3), qRgb(255, 0, 0));
    EXPECT_EQ(image.pixel(1, 3), qRgb(0, 255, 0));
    EXPECT_EQ(image.pixel(8, 5), qRgb(255, 0, 0));
    EXPECT_EQ(image.pixel(15, 3), Rgb(clSilver));
}

TEST(TzGauge, CaptionFormatsByStyle)
{
    struct Case {
        gaCaptionStyle style;
        const char* format;
        const char* want;
    } cases[] = {
        {gaPctBar, "%d%%", "25%"},
        {gaTotalBar, "%d", "250"},
        {gaTotPct, "%d of %d%%", "250 of 25%"},
        {gaPctTot, "%d / %5d", "25 /   250"},
        {gaPctTot, "%1:d-%0:d", "250-25"},
        {gaTotalBar, "Logging", "Logging"},
        {gaPctBar, "%d %d", "%d %d"}, // too few numbers: shown as written
        {gaPctBar, "%s", "%s"},
    };
    for (const Case& c : cases) {
        TzGauge g;
        g.SetMax(1000);
        g.SetValue(250);
        g.SetCaptionStyle(c.style);
        g.SetCaption(c.format);
        Render(g);
        EXPECT_EQ(g.FormattedCaption().toStdString(), c.want) << c.format;
    }
}

namespace {
// Counts immediate repaints.
class CountingGauge : public TzGauge {
public:
    int repaints = 0;
    void Repaint() override
    {
        ++repaints;
        TzGauge::Repaint();
    }
};
} // namespace

TEST(TzGauge, RepaintsOnlyWhenAsked)
{
    auto g = std::make_unique<CountingGauge>();
    struct {
        int& paint;
    } c{g->repaints};
    c.paint = 0;
    g->SetValue(10);
    EXPECT_EQ(c.paint, 1);
    g->SetValue(10);
    EXPECT_EQ(c.paint, 1); // unchanged value: no repaint
    g->SetCaption("A");
    g->SetCaption("A");
    EXPECT_EQ(c.paint, 3); // caption repaints even when unchanged
    g->SetMax(1000);
    c.paint = 0;
    g->SetPCTDraw(true);
    g->SetValue(0);
    c.paint = 0;
    g->SetValue(1); // percent stays 0
    EXPECT_EQ(c.paint, 0);
    g->SetValue(20); // percent 2
    EXPECT_EQ(c.paint, 1);
}

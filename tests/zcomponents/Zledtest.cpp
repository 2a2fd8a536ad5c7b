#include "zcomponents/Std2.h"
#include "qtsupport/Widgets.h"
#include "zcomponents/Zcolor.h"
#include "zcomponents/Zled.h"
#include "zcomponents/Zwait.h"

#include <QImage>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

QImage Render(QWidget& w) { return testsupport::RenderWidget(w); }

QRgb Rgb(TColor c)
{
    return ColorToQColor(c).rgb();
}

struct SteelScope {
    SteelScope() { Std2Startup(); }
    ~SteelScope() { Std2Shutdown(); }
};

} // namespace

TEST(TzLed, DefaultsAsConstructed)
{
    TzLed led;
    EXPECT_EQ(led.Width(), 17);
    EXPECT_EQ(led.Height(), 17);
    EXPECT_FALSE(led.Enabled());
    EXPECT_EQ(led.LEDColor(), lctRed);
    EXPECT_EQ(led.LedStyle(), lstRound);
    EXPECT_FALSE(led.SteelLook());
    EXPECT_FALSE(led.Blink());
    EXPECT_EQ(led.BlinkInterval(), 500);
    EXPECT_EQ(led.Timer(), nullptr);
}

TEST(TzLed, LitSquarePixels)
{
    TzLed led;
    led.resize(16, 16);
    led.SetStyle(lstSquare);
    led.WriteLedColor(lctyellow);
    led.writeLedOn(true);
    const QImage image = Render(led);
    const QRgb black = Rgb(clBlack), lamp = Rgb(clYellow), silver = Rgb(clSilver),
               grey = Rgb(clGray), white = Rgb(clWhite);
    struct Px {
        int x, y;
        QRgb want;
    } pixels[] = {
        {0, 0, black},   {15, 0, black},  {0, 15, black},  {15, 15, black}, {7, 0, black},
        {0, 7, black},   {2, 2, black},   {13, 13, black}, {13, 7, black},  {7, 2, black},
        {1, 1, silver},  {1, 7, silver},  {7, 1, silver},  {14, 1, silver}, {14, 14, grey},
        {14, 7, grey},   {7, 14, grey},   {2, 14, grey},   {1, 14, silver}, {8, 8, lamp},
        {3, 3, lamp},    {12, 12, lamp},  {4, 4, white},   {5, 4, white},   {7, 4, silver},
        {8, 4, silver},  {10, 11, grey},  {11, 11, grey},  {7, 11, grey},   {8, 11, grey},
        {6, 4, lamp},    {9, 11, lamp},
    };
    for (const Px& p : pixels)
        EXPECT_EQ(image.pixel(p.x, p.y), p.want) << p.x << "," << p.y;

    led.writeLedOn(false);
    EXPECT_EQ(Render(led).pixel(8, 8), Rgb(clOlive));
}

TEST(TzLed, ColourPairsAndUserColour)
{
    TzLed led;
    led.SetStyle(lstSquare);
    for (int c = lctRed; c <= lctUser; ++c) {
        led.WriteLedColor(LedColorType(c));
        led.writeLedOn(true);
        EXPECT_EQ(Render(led).pixel(8, 8), Rgb(LedOnColors[size_t(c)])) << c;
        led.writeLedOn(false);
        EXPECT_EQ(Render(led).pixel(8, 8), Rgb(LedOffColors[size_t(c)])) << c;
    }
    EXPECT_EQ(LedOnColors[lctUser], clRed);
    EXPECT_EQ(LedOffColors[lctUser], clMaroon);

    QObject* sender = nullptr;
    led.OnGetOnColor = [&](QObject* s, TColor& c) { sender = s; c = clTeal; };
    led.OnGetOffColor = [](QObject*, TColor& c) { c = clPurple; };
    EXPECT_EQ(Render(led).pixel(8, 8), Rgb(clPurple));
    led.writeLedOn(true);
    EXPECT_EQ(Render(led).pixel(8, 8), Rgb(clTeal));
    EXPECT_EQ(sender, &led);
    led.WriteLedColor(lctGreen); // events only serve the user colour
    EXPECT_EQ(Render(led).pixel(8, 8), Rgb(clLime));
}

TEST(TzLed, RoundLampOnParentOrSteelBackground)
{
    SteelScope steel;
    QWidget parent;
    QPalette pal = parent.palette();
    pal.setColor(QPalette::Window, QColor(10, 20, 30));
    parent.setPalette(pal);
    TzLed* led = new TzLed(&parent);
    led->writeLedOn(true);
    QImage image = Render(*led);
    EXPECT_EQ(image.pixel(0, 0), qRgb(10, 20, 30)); // corner outside the circle
    EXPECT_EQ(image.pixel(8, 8), Rgb(clRed));       // centre of the lamp
    led->SetSteel(true);
    image = Render(*led);
    EXPECT_EQ(image.pixel(0, 0), Rgb(clSilver));
    EXPECT_EQ(image.pixel(1, 1), Rgb(clWhite));
    led->SetStyle(lstSimpleRound);
    image = Render(*led);
    EXPECT_EQ(image.pixel(1, 1), Rgb(clWhite));
    EXPECT_EQ(image.pixel(8, 12), Rgb(clRed));
}

TEST(TzLed, OnChangeOnlyOnRealChange)
{
    TzLed led;
    int changes = 0;
    QObject* sender = nullptr;
    led.OnChange = [&](QObject* s) { ++changes; sender = s; };
    led.writeLedOn(false);
    EXPECT_EQ(changes, 0);
    led.writeLedOn(true);
    led.writeLedOn(true);
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(sender, &led);
}

TEST(TzLed, BlinkTogglesAtEachTick)
{
    TzLed led;
    led.SetBlink(true);
    ASSERT_NE(led.Timer(), nullptr);
    EXPECT_EQ(led.Timer()->interval(), 500);
    EXPECT_TRUE(led.Timer()->isActive());
    led.DoTheBlink(nullptr);
    EXPECT_TRUE(led.Enabled());
    led.DoTheBlink(nullptr);
    EXPECT_FALSE(led.Enabled());
    led.DoTheBlink(nullptr);
    led.Pulse(3); // ignored while blinking
    EXPECT_EQ(led.Timer()->interval(), 500);
    led.SetInterval(200);
    ASSERT_NE(led.Timer(), nullptr);
    EXPECT_EQ(led.Timer()->interval(), 200);
    led.SetBlink(false); // stays as at the last tick
    EXPECT_EQ(led.Timer(), nullptr);
    EXPECT_TRUE(led.Enabled());
}

TEST(TzLed, ZeroIntervalNeverFires)
{
    TzLed led;
    led.SetInterval(0);
    led.SetBlink(true);
    ASSERT_NE(led.Timer(), nullptr);
    EXPECT_FALSE(led.Timer()->isActive());
    led.SetBlink(false);
    led.Pulse(0);
    ASSERT_NE(led.Timer(), nullptr);
    EXPECT_FALSE(led.Timer()->isActive());
    EXPECT_TRUE(led.Enabled());
}

TEST(TzLed, PulseLightsThenEnds)
{
    TzLed led;
    int changes = 0;
    led.OnChange = [&](QObject*) { ++changes; };
    led.Flash();
    EXPECT_TRUE(led.Enabled());
    ASSERT_NE(led.Timer(), nullptr);
    EXPECT_EQ(led.Timer()->interval(), 500);
    EXPECT_TRUE(led.Timer()->isActive());
    led.Pulse(20); // restarts with the new length
    EXPECT_EQ(led.Timer()->interval(), 2000);
    EXPECT_EQ(changes, 1);
    led.DoThePulse(nullptr);
    EXPECT_FALSE(led.Enabled());
    EXPECT_EQ(led.Timer(), nullptr);
    EXPECT_EQ(changes, 2);

    led.Pulse(4);
    led.SetInterval(300); // frees the pulse timer: the LED stays lit
    EXPECT_EQ(led.Timer(), nullptr);
    EXPECT_TRUE(led.Enabled());

    led.Pulse(0xFFFFFFFFu); // far beyond a timer's range: clamped, not wrapped
    ASSERT_NE(led.Timer(), nullptr);
    EXPECT_GT(led.Timer()->interval(), 0);
}

TEST(TzLed, PulseTimerFiresThroughTheEventLoop)
{
    TzLed led;
    led.Pulse(1);
    ASSERT_NE(led.Timer(), nullptr);
    EXPECT_TRUE(led.Enabled());
    EXPECT_TRUE(led.Timer()->isActive());
    // The running timer's tick turns the lamp off and frees the timer it came from.
    EXPECT_TRUE(zwait::Until([&] { return !led.Enabled(); }));
    EXPECT_EQ(led.Timer(), nullptr);
}

TEST(TzLed, SteelLookInvisibleUnderASquareLamp)
{
    SteelScope steel;
    TzLed led;
    led.SetStyle(lstSquare);
    led.WriteLedColor(lctGreen);
    const QImage plain = Render(led);
    led.SetSteel(true);
    EXPECT_EQ(Render(led), plain);
}

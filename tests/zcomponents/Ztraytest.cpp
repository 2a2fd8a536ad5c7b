#include "zcomponents/Zcolor.h"
#include "zcomponents/Ztray.h"

#include <QAction>
#include <QCoreApplication>
#include <QMenu>
#include <QWidget>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

QRgb Rgb(TColor c)
{
    return ColorToQColor(c).rgb();
}

// Pixels of the bar colour in the meter's picture.
int BarPixels(const TzcTrayMeter& meter)
{
    int n = 0;
    const QImage& image = meter.IconImage();
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            n += image.pixel(x, y) == Rgb(meter.BarColor());
    return n;
}

} // namespace

TEST(TzcTrayMeter, BarLengthsDirectionsAndFrame)
{
    TzcTrayMeter meter;
    meter.SetUsePctOnBar(false);
    meter.SetFrameColor(clNavy);
    meter.SetColor(clWhite);
    EXPECT_EQ(meter.IconImage().size(), QSize(16, 16));
    EXPECT_EQ(BarPixels(meter), 0);
    meter.SetValue(50);
    EXPECT_EQ(meter.Percent(), 50);
    EXPECT_EQ(BarPixels(meter), 7 * 14);
    const QImage& up = meter.IconImage();
    EXPECT_EQ(up.pixel(1, 14), Rgb(clLime));
    EXPECT_EQ(up.pixel(14, 8), Rgb(clLime));
    EXPECT_EQ(up.pixel(7, 7), Rgb(clWhite));
    for (int i = 0; i < 16; ++i) {
        EXPECT_EQ(up.pixel(i, 0), Rgb(clNavy));
        EXPECT_EQ(up.pixel(0, i), Rgb(clNavy));
        EXPECT_EQ(up.pixel(15, i), Rgb(clNavy));
        EXPECT_EQ(up.pixel(i, 15), Rgb(clNavy));
    }
    meter.SetValue(100);
    EXPECT_EQ(BarPixels(meter), 14 * 14);
    meter.SetValue(50);
    meter.SetDirection(TzcTM_Right);
    EXPECT_EQ(meter.IconImage().pixel(7, 5), Rgb(clLime));
    EXPECT_EQ(meter.IconImage().pixel(8, 5), Rgb(clWhite));
    meter.SetDirection(TzcTM_Down);
    EXPECT_EQ(meter.IconImage().pixel(5, 7), Rgb(clLime));
    EXPECT_EQ(meter.IconImage().pixel(5, 8), Rgb(clWhite));
    meter.SetUseLed(true); // odd rows 1..13 cut in the background colour
    EXPECT_EQ(meter.IconImage().pixel(5, 1), Rgb(clWhite));
    EXPECT_EQ(meter.IconImage().pixel(5, 2), Rgb(clLime));
}

TEST(TzcTrayMeter, RangeRulesNeverDivideByZero)
{
    TzcTrayMeter meter;
    meter.SetValue(150);
    EXPECT_EQ(meter.Value(), 100);
    meter.SetMax(-5); // at or below Min: Min + 1
    EXPECT_EQ(meter.Max(), 1);
    EXPECT_EQ(meter.Value(), 1);
    EXPECT_EQ(meter.Percent(), 100);
    meter.SetMin(40);
    EXPECT_EQ(meter.Max(), 41);
    meter.SetMin(std::numeric_limits<std::int32_t>::max());
    EXPECT_GT(meter.Max(), meter.Min());
    meter.SetMin(std::numeric_limits<std::int32_t>::min());
    meter.SetMax(std::numeric_limits<std::int32_t>::max());
    meter.SetPercent(50);
    EXPECT_EQ(meter.Percent(), 50);
    meter.SetMin(0);
    meter.SetMax(200);
    meter.SetPercent(250); // counts as 100
    EXPECT_EQ(meter.Value(), 200);
}

TEST(TzcTrayMeter, ToolTipFormats)
{
    TzcTrayMeter meter;
    meter.SetMax(200);
    meter.SetValue(50);
    meter.SetToolTip("%d%% done");
    EXPECT_EQ(meter.ShownToolTip(), "25% done");
    meter.SetToolTipStyle(thsTotPct);
    meter.SetToolTip("%d of 200 (%d%%)");
    EXPECT_EQ(meter.ShownToolTip(), "50 of 200 (25%)");
    meter.SetToolTipStyle(thsTotalBar);
    EXPECT_EQ(meter.ShownToolTip(), "%d of 200 (%d%%)"); // one number short: left as given
    meter.SetToolTip(QString(80, u'x'));
    EXPECT_EQ(meter.ToolTip().size(), 62);
}

TEST(TzTrayIcon, MouseMessagesMenusAndNoTray)
{
    TzTrayIcon tray;
    tray.SetToolTip(QString(70, u'a'));
    EXPECT_EQ(tray.ToolTip().size(), 62);
    tray.SetActive(true);
    EXPECT_EQ(tray.Shown(), TzTrayIcon::TrayAvailable()); // no tray under the test display
    std::vector<std::string> log;
    tray.OnClick = [&](QObject*) { log.push_back("click"); };
    tray.OnDblClick = [&](QObject*) { log.push_back("dbl"); };
    tray.OnMouseDown = [&](QObject*, Qt::MouseButton b, Qt::KeyboardModifiers, int x, int y) {
        log.push_back("down " + std::to_string(int(b)) + " " + std::to_string(x) + "," + std::to_string(y));
    };
    tray.OnMouseUp = [&](QObject*, Qt::MouseButton b, Qt::KeyboardModifiers, int, int) {
        log.push_back("up " + std::to_string(int(b)));
    };
    tray.OnRightClick = [&](QObject*, Qt::MouseButton, Qt::KeyboardModifiers, int, int) {
        log.push_back("right");
    };
    tray.OnMidClick = [&](QObject*, Qt::MouseButton, Qt::KeyboardModifiers, int, int) {
        log.push_back("mid");
    };
    tray.HandleTrayMessage(tmLButtonUp, {3, 4}); // no button-down inside the icon: no click
    EXPECT_EQ(log, std::vector<std::string>{"up 1"});
    log.clear();
    tray.HandleTrayMessage(tmLButtonDown, {3, 4});
    tray.HandleTrayMessage(tmLButtonUp, {3, 4});
    tray.HandleTrayMessage(tmMButtonDown, {0, 0});
    tray.HandleTrayMessage(tmMButtonUp, {0, 0});
    EXPECT_EQ(log, (std::vector<std::string>{"down 1 3,4", "click", "up 1", "down 4 0,0", "mid", "up 4"}));

    QMenu menu;
    int ran = 0, menus = 0;
    QAction* item = menu.addAction("Open");
    QObject::connect(item, &QAction::triggered, [&] { ++ran; });
    menu.setDefaultAction(item);
    tray.SetPopupMenu(&menu);
    tray.OnRightMenu = [&](QObject*) { ++menus; };
    log.clear();
    tray.HandleTrayMessage(tmLButtonDblClk, {});
    EXPECT_EQ(ran, 0);
    EXPECT_EQ(log, std::vector<std::string>{"dbl"}); // without DoDefaultMenu
    tray.SetDoDefaultMenu(true);
    log.clear();
    tray.HandleTrayMessage(tmLButtonDblClk, {});
    EXPECT_EQ(ran, 1);
    EXPECT_TRUE(log.empty());
    tray.OnDefaultMenu = [](QObject*, bool& run) { run = false; };
    tray.HandleTrayMessage(tmLButtonDblClk, {});
    EXPECT_EQ(ran, 1);
    EXPECT_EQ(log, std::vector<std::string>{"dbl"});

    tray.HandleTrayMessage(tmRButtonDown, {10, 10});
    tray.HandleTrayMessage(tmRButtonUp, {10, 10});
    EXPECT_EQ(menus, 1);
    EXPECT_TRUE(menu.isVisible());
    menu.close();
    tray.SetActive(false);
    EXPECT_FALSE(tray.Shown());
}

TEST(TzTrayIcon, HideParentFormOfASecondForm)
{
    QWidget mainForm;
    QWidget second(&mainForm, Qt::Window);
    second.show();
    TzTrayIcon tray(&second);
    tray.SetHideForm(true);
    QCoreApplication::processEvents();
    EXPECT_FALSE(second.isVisible());
    tray.SetHideForm(false);
    QCoreApplication::processEvents();
    EXPECT_TRUE(second.isVisible());
}

#include "zcomponents/Zsplash.h"
#include "zcomponents/Zcolor.h"
#include "zcomponents/Zregion.h"

#include <QCoreApplication>
#include <QWidget>
#include <gtest/gtest.h>
#include <string>

namespace {

QImage Picture(int w, int h, QRgb c)
{
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(c);
    return img;
}

QSize Screen1024()
{
    return QSize(1024, 768);
}

} // namespace

TEST(TzSplashForm, SizeAndPlaceOnTheScreen)
{
    QWidget form;
    TzSplashForm splash(&form);
    splash.ScreenSize = Screen1024;
    splash.SetBitMap(Picture(200, 100, qRgb(0, 0, 255)));
    splash.MakeSplash();
    EXPECT_EQ(splash.SplashRect(), QRect(398, 320, 228, 128));
    EXPECT_EQ(splash.BitmapOffset(), QPoint(14, 14));
    EXPECT_EQ(splash.Region(), QRegion(398, 320, 228, 128));

    splash.SetShape(ssCircle);
    splash.MakeSplash();
    EXPECT_EQ(splash.SplashRect().size(), QSize(228, 228));
    EXPECT_FALSE(splash.Region().contains(QPoint(398, 270)));

    // A picture wider than the screen: the splash is cut to the screen both ways.
    splash.SetShape(ssZRectangle);
    splash.SetBitMap(Picture(1500, 100, qRgb(0, 0, 255)));
    splash.MakeSplash();
    EXPECT_EQ(splash.SplashRect(), QRect(0, (768 - 104) / 2, 1024, 104));
}

TEST(TzSplashForm, PictureFrameAndBorderPixels)
{
    QWidget form;
    TzSplashForm splash(&form);
    splash.ScreenSize = Screen1024;
    QImage pic = Picture(20, 10, qRgb(0, 0, 255));
    pic.setPixel(0, 9, qRgb(255, 255, 255)); // white is transparent
    splash.SetBitMap(pic);
    splash.SetColor(clYellow);
    splash.MakeSplash();
    const QImage img = splash.RenderSplash();
    ASSERT_EQ(img.size(), QSize(48, 38));
    EXPECT_EQ(img.pixel(14 + 5, 14 + 5), qRgb(0, 0, 255));
    EXPECT_EQ(img.pixel(14, 14 + 9), ColorToQColor(clYellow).rgb()); // replaced by Color
    EXPECT_EQ(img.pixel(1, 10), ColorToQColor(clBtnHighlight).rgb());
    EXPECT_EQ(img.pixel(47, 10), qRgb(0, 0, 0));
    EXPECT_EQ(img.pixel(46, 10), ColorToQColor(clBtnShadow).rgb());
    EXPECT_EQ(img.pixel(10, 10), qRgb(255, 0, 255)); // the frame, 4 wide at margin 8
}

TEST(TzSplashForm, ShownAtOnceAndRemovedAfterTheFormHasPainted)
{
    QWidget form;
    form.resize(100, 100);
    TzSplashForm splash(&form);
    splash.SetMainFormDelay(0);
    splash.SetBitMap(Picture(40, 30, qRgb(0, 128, 0)));
    std::string events;
    splash.OnCreate = [&](QObject*) { events += "create "; };
    splash.OnShow = [&](QObject*) { events += "show "; };
    splash.OnBeforeDelay = [&](QObject*) { events += "delay "; };
    splash.OnBeforeClose = [&](QObject*) { events += "close "; };
    splash.OnAfterClose = [&](QObject* s) {
        events += "after";
        EXPECT_EQ(s, &splash);
    };
    splash.Loaded();
    ASSERT_NE(splash.SplashWindow(), nullptr);
    EXPECT_TRUE(splash.SplashWindow()->isVisible());
    EXPECT_TRUE(splash.SplashWindow()->windowFlags() & Qt::FramelessWindowHint);
    EXPECT_EQ(splash.SplashWindow()->geometry(), splash.SplashRect());
    EXPECT_FALSE(splash.Done());

    form.show();
    QCoreApplication::processEvents(); // shown: the form paints, then the splash goes
    QCoreApplication::processEvents();
    EXPECT_EQ(splash.SplashWindow(), nullptr);
    EXPECT_EQ(events, "create show delay close after");

    // A later paint does not run the removal again.
    form.repaint();
    QCoreApplication::processEvents();
    EXPECT_EQ(events, "create show delay close after");
}

TEST(TzSplashForm, TransparentColourAndPicture)
{
    QWidget form;
    TzSplashForm splash(&form);
    QImage pic = Picture(5, 5, qRgb(1, 2, 3));
    pic.setPixel(0, 4, qRgb(9, 8, 7));
    splash.SetAutoBackColor(true);
    splash.SetBitMap(pic);
    EXPECT_EQ(splash.TransparentColor(), RgbColor(9, 8, 7));
    splash.SetTransparentColor(clRed);
    EXPECT_FALSE(splash.AutoBackColor());
    splash.SetPicture(QImage());
    EXPECT_EQ(splash.BitMap().size(), QSize(5, 5));
    EXPECT_THROW(TzSplashForm(nullptr), EzcComponentError);
}

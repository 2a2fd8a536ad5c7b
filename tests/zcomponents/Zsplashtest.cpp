#include "zcomponents/Zsplash.h"
#include "zcomponents/Zcolor.h"
#include "zcomponents/Zregion.h"

#include <QCoreApplication>
#include <QWidget>
#include <gtest/gtest.h>
#include <string>
#include <vector>

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

namespace {

// Whether the pixels of one colour enclose the centre: a flood fill over every other pixel,
// moving across shared edges only, from the centre never reaches the image's border.
bool ClosedAround(const QImage& img, QRgb ring)
{
    const int w = img.width(), h = img.height();
    std::vector<char> seen(std::size_t(w * h), 0);
    std::vector<QPoint> todo{QPoint(w / 2, h / 2)};
    while (!todo.empty()) {
        const QPoint p = todo.back();
        todo.pop_back();
        if (p.x() < 0 || p.y() < 0 || p.x() >= w || p.y() >= h)
            return false;
        char& s = seen[std::size_t(p.y() * w + p.x())];
        if (s || img.pixel(p) == ring)
            continue;
        s = 1;
        for (const QPoint d : {QPoint(1, 0), QPoint(-1, 0), QPoint(0, 1), QPoint(0, -1)})
            todo.push_back(p + d);
    }
    return true;
}

} // namespace

TEST(TzSplashForm, RoundFrameIsAClosedRingAroundThePicture)
{
    QWidget form;
    TzSplashForm splash(&form);
    splash.ScreenSize = Screen1024;
    const QRgb ring = ColorToQColor(clFuchsia).rgb();
    // The picture's corners reach beyond the round frame at the four diagonals.
    for (const zSplashStyleType shape : {ssZEllipse, ssCircle}) {
        for (const int thickness : {1, 4, 9}) {
            for (const QSize size : {QSize(200, 100), QSize(40, 30), QSize(7, 90)}) {
                splash.SetShape(shape);
                splash.SetFrameThickness(std::uint16_t(thickness));
                splash.SetBitMap(Picture(size.width(), size.height(), qRgb(0, 0, 255)));
                splash.MakeSplash();
                const QImage img = splash.RenderSplash();
                EXPECT_TRUE(ClosedAround(img, ring))
                    << int(shape) << " thickness " << thickness << " picture " << size.width()
                    << "x" << size.height();
                EXPECT_EQ(img.pixel(img.width() / 2, img.height() / 2), qRgb(0, 0, 255));
            }
        }
    }
}

#include "zcomponents/Zanimated.h"
#include "zcomponents/Zbitmap.h"
#include "qtsupport/Widgets.h"
#include "zcomponents/Zcolor.h"

#include <QPainter>
#include <gtest/gtest.h>
#include <vector>

namespace {

// Frames of 10 x 10 side by side, frame k filled with colours[k]; the bottom-left pixel of
// the strip is white.
QImage Strip(const std::vector<QRgb>& colours)
{
    QImage img(10 * int(colours.size()), 10, QImage::Format_RGB32);
    for (size_t k = 0; k < colours.size(); ++k)
        for (int y = 0; y < 10; ++y)
            for (int x = 0; x < 10; ++x)
                img.setPixel(int(k) * 10 + x, y, colours[k]);
    return img;
}

class Ground : public QWidget {
public:
    void paintEvent(QPaintEvent*) override { QPainter(this).fillRect(rect(), QColor(0, 0, 200)); }
};

} // namespace

TEST(TzBitmap, SizesFromTheBitmapAndPaintsEmptyWhite)
{
    TzBitmap b;
    EXPECT_EQ(b.size(), QSize(30, 30));
    b.SetBitMap(Strip({qRgb(1, 2, 3), qRgb(4, 5, 6)}));
    EXPECT_EQ(b.size(), QSize(20, 10));
    b.SetBitMap(QImage());
    EXPECT_EQ(b.size(), QSize(30, 30));
    EXPECT_EQ(testsupport::RenderWidget(b).pixel(15, 15), qRgb(255, 255, 255));
}

TEST(TzBitmap, TransparentColourReplacedOrShowingTheParent)
{
    Ground ground;
    ground.resize(60, 60);
    auto* b = new TzBitmap(&ground);
    QImage pic = Strip({qRgb(255, 0, 0)});
    for (int x = 0; x < 5; ++x)
        pic.setPixel(x, 9, qRgb(0, 255, 0));
    b->SetAuto(true);
    b->SetBitMap(pic);
    EXPECT_EQ(b->TransparentColor(), RgbColor(0, 255, 0)); // the bitmap's bottom-left pixel
    const QColor face = ParentBrushColor(b);
    QImage img = testsupport::RenderWidget(ground);
    EXPECT_EQ(img.pixel(5, 5), qRgb(255, 0, 0));
    EXPECT_EQ(img.pixel(1, 9), face.rgb());
    b->SetRealTransparent(true);
    img = testsupport::RenderWidget(ground);
    EXPECT_EQ(img.pixel(1, 9), qRgb(0, 0, 200));
    EXPECT_EQ(img.pixel(5, 5), qRgb(255, 0, 0));

    b->SetTransparentColor(clBtnFace); // a system colour: painted opaque
    EXPECT_FALSE(b->AutoBackColor());
    img = testsupport::RenderWidget(ground);
    EXPECT_EQ(img.pixel(1, 9), qRgb(0, 255, 0));
}

TEST(TzBitmap, CentredAndStretched)
{
    TzBitmap b;
    b.SetTransparent(false);
    b.SetDrawType(bdDrawCenter);
    QImage pic(40, 40, QImage::Format_RGB32);
    pic.fill(qRgb(0, 0, 0));
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 40; ++x)
            if (x >= 5 && x < 35 && y >= 5 && y < 35)
                pic.setPixel(x, y, qRgb(200, 0, 0));
    b.SetBitMap(pic); // larger than the 30 x 30 control: clipped equally on all sides
    EXPECT_EQ(b.size(), QSize(30, 30));
    QImage img = testsupport::RenderWidget(b);
    EXPECT_EQ(img.pixel(0, 0), qRgb(200, 0, 0));
    EXPECT_EQ(img.pixel(29, 29), qRgb(200, 0, 0));
    b.SetDrawType(bdDrawStretch);
    img = testsupport::RenderWidget(b);
    EXPECT_EQ(img.pixel(0, 0), qRgb(0, 0, 0));
    EXPECT_EQ(img.pixel(15, 15), qRgb(200, 0, 0));
}

TEST(TzBitmap, EffectsChangeTheBitmapInPlace)
{
    TzBitmap b;
    b.SetBitMap(Strip({qRgb(100, 100, 100)}));
    b.Darken(false, 100);
    EXPECT_EQ(b.BitMap().pixel(3, 3), qRgb(0, 0, 0));
    b.ReplaceColor(clBlack, clRed);
    EXPECT_EQ(b.BitMap().pixel(3, 3), qRgb(255, 0, 0));
    b.BW();
    EXPECT_EQ(b.BitMap().pixel(3, 3), qRgb(0, 0, 0));
    QImage half = Strip({qRgb(1, 1, 1)});
    half.setPixel(0, 0, qRgb(9, 9, 9));
    b.SetBitMap(half);
    b.Flip();
    EXPECT_EQ(b.BitMap().pixel(0, 9), qRgb(9, 9, 9));
    b.Mirror();
    EXPECT_EQ(b.BitMap().pixel(9, 9), qRgb(9, 9, 9));
}

TEST(TzAnimated, StepsForwardOnceAndStops)
{
    TzAnimated anim;
    anim.SetBitMap(Strip({qRgb(255, 0, 0), qRgb(0, 255, 0), qRgb(0, 0, 255), qRgb(9, 9, 9)}));
    anim.resize(10, 10);
    anim.SetFrameCount(4);
    anim.SetTransparent(false);
    std::vector<int> frames;
    anim.OnChangeFrame = [&](QObject*) { frames.push_back(anim.Frame()); };
    anim.SetLoop(false);
    anim.SetInterval(50);
    EXPECT_EQ(anim.Timer(), nullptr);
    anim.SetPlay(true);
    ASSERT_NE(anim.Timer(), nullptr);
    for (int i = 0; i < 3; ++i)
        anim.TimeHit(); // the timer's ticks
    EXPECT_EQ(frames, (std::vector<int>{1, 2, 3}));
    EXPECT_FALSE(anim.Play());
    EXPECT_EQ(anim.Timer(), nullptr);
    EXPECT_EQ(testsupport::RenderWidget(anim).pixel(5, 5), qRgb(9, 9, 9));
    anim.SetFrame(1);
    EXPECT_EQ(testsupport::RenderWidget(anim).pixel(5, 5), qRgb(0, 255, 0));
}

TEST(TzAnimated, LoopsAndRunsBackwards)
{
    TzAnimated anim;
    anim.SetFrameCount(4);
    std::vector<int> frames;
    anim.OnChangeFrame = [&](QObject*) { frames.push_back(anim.Frame()); };
    anim.SetFrame(3);
    anim.TimeHit(); // looping: the fourth tick wraps to 0
    EXPECT_EQ(anim.Frame(), 0);
    anim.SetReverse(true);
    anim.TimeHit();
    EXPECT_EQ(anim.Frame(), 3);
    EXPECT_EQ(frames, (std::vector<int>{3, 0, 3}));
    anim.SetFrame(-5);
    EXPECT_EQ(anim.Frame(), 3);
    anim.SetFrame(9);
    EXPECT_EQ(anim.Frame(), 1);
    frames.clear();
    anim.SetFrame(1); // the same frame: no event
    EXPECT_TRUE(frames.empty());

    anim.SetPlay(true); // Interval 0: no timer, nothing moves
    EXPECT_EQ(anim.Timer(), nullptr);
    anim.SetInterval(20);
    EXPECT_NE(anim.Timer(), nullptr);
    anim.SetPlay(false);
    EXPECT_EQ(anim.Timer(), nullptr);
}

TEST(TzAnimated, NoFramesShowsNothingAndNeverPlays)
{
    TzAnimated anim;
    anim.SetBitMap(Strip({qRgb(255, 0, 0)}));
    anim.resize(40, 10); // the strip is narrower than the control
    anim.SetFrameCount(0);
    anim.SetInterval(10);
    anim.SetPlay(true);
    EXPECT_EQ(anim.Timer(), nullptr);
    anim.TimeHit();
    anim.SetFrame(3);
    EXPECT_EQ(anim.Frame(), 0);
    EXPECT_NE(testsupport::RenderWidget(anim).pixel(5, 5), qRgb(255, 0, 0));
    anim.SetFrameCount(-1); // refused
    EXPECT_EQ(anim.FrameCount(), 0);
}

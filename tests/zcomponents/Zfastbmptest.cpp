#include "zcomponents/Zfastbmp.h"
#include "zcomponents/Zcolor.h"
#include "zcomponents/Zraster.h"

#include <QPainter>
#include <algorithm>
#include <gtest/gtest.h>

namespace {

// A fast bitmap filled from a row-major list of RGB colours.
void Fill(TzFastBmp& f, std::initializer_list<TColor> colours)
{
    int i = 0;
    for (TColor c : colours) {
        f.SetPixel(i % f.Width, i / f.Width, c);
        ++i;
    }
}

QImage Image(int w, int h, QRgb fill)
{
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(fill);
    return image;
}

// Restores the default random source when a test ends.
struct ScriptedRandom {
    explicit ScriptedRandom(std::function<int(int)> f) { TzFastBmp::SetRandomSource(std::move(f)); }
    ~ScriptedRandom() { TzFastBmp::SetRandomSource({}); }
};

} // namespace

TEST(TzFastBmp, RowsPaddedAndPixelsBlueGreenRed)
{
    const int strides[] = {4, 8, 12, 12, 16};
    for (int w = 1; w <= 5; ++w) {
        TzFastBmp f(w, 3);
        EXPECT_EQ(f.RowInc, strides[w - 1]) << w;
        EXPECT_EQ(TzFastBmp::StrideFor(w), strides[w - 1]);
        EXPECT_EQ(f.Size, strides[w - 1] * 3);
        EXPECT_EQ(f.Lines[2], f.Bits + 2 * f.RowInc);
        EXPECT_EQ(f.GetPixel(w - 1, 2), 0);
    }
    TzFastBmp f(2, 2);
    f.SetPixel(1, 1, RgbColor(0x11, 0x22, 0x33));
    const std::uint8_t* p = f.GetLine(1) + 3;
    EXPECT_EQ(p[0], 0x33);
    EXPECT_EQ(p[1], 0x22);
    EXPECT_EQ(p[2], 0x11);
    EXPECT_EQ(f.GetPixel(1, 1), RgbColor(0x11, 0x22, 0x33));
    for (auto [x, y] : {std::pair{-1, 0}, {2, 0}, {0, 2}, {0, -1}}) {
        EXPECT_EQ(f.GetPixel(x, y), -1);
        f.SetPixel(x, y, clWhite); // must not write anywhere
    }
    f.SetPixel(0, 0, clBtnFace);
    EXPECT_EQ(f.GetPixel(0, 0), QColorToColor(ColorToQColor(clBtnFace)));
}

TEST(TzFastBmp, EveryByteOfANewBufferIsZeroPaddingIncluded)
{
    // The sanitizer build fills fresh heap memory with a pattern, so bytes nobody wrote show.
    auto zeroed = [](const TzFastBmp& f) {
        return std::all_of(f.Bits, f.Bits + f.Size, [](std::uint8_t b) { return b == 0; });
    };
    for (int w = 1; w <= 5; ++w) {
        TzFastBmp blank(w, 3);
        EXPECT_TRUE(zeroed(blank)) << w;
        QImage black(w, 3, QImage::Format_RGB32);
        black.fill(Qt::black);
        TzFastBmp copy(black);
        EXPECT_TRUE(zeroed(copy)) << w;
    }
}

TEST(TzFastBmp, CopiesImageAndDrawsBack)
{
    QImage src = Image(3, 2, qRgb(1, 2, 3));
    src.setPixel(2, 1, qRgb(200, 100, 50));
    TzFastBmp f(src);
    EXPECT_EQ(f.GetPixel(2, 1), RgbColor(200, 100, 50));
    EXPECT_EQ(f.GetPixel(0, 0), RgbColor(1, 2, 3));
    QImage canvas = Image(5, 5, qRgb(0, 0, 0));
    {
        QPainter p(&canvas);
        f.Draw(p, 1, 1);
    }
    EXPECT_EQ(canvas.pixel(3, 2), qRgb(200, 100, 50));
    EXPECT_EQ(canvas.pixel(0, 0), qRgb(0, 0, 0));

    TzFastBmp empty{QImage()};
    EXPECT_EQ(empty.Width, 0);
    EXPECT_EQ(empty.GetPixel(0, 0), -1);
}

TEST(TzFastBmp, SaturationAndContrast)
{
    TzFastBmp f(2, 1);
    Fill(f, {RgbColor(200, 100, 30), RgbColor(127, 0, 255)});
    f.Saturation(255);
    EXPECT_EQ(f.GetPixel(0, 0), RgbColor(200, 100, 30));
    f.Saturation(0);
    EXPECT_EQ(f.GetPixel(0, 0), RgbColor(110, 110, 110));
    EXPECT_EQ(f.GetPixel(1, 0), RgbColor(127, 127, 127));

    TzFastBmp c(3, 1);
    Fill(c, {RgbColor(127, 200, 50), RgbColor(128, 0, 255), RgbColor(100, 127, 160)});
    c.Contrast(255);
    // 200 + 73 clamps to 255; 50 - 77 clamps to 0; 128 + 1.
    EXPECT_EQ(c.GetPixel(0, 0), RgbColor(127, 255, 0));
    EXPECT_EQ(c.GetPixel(1, 0), RgbColor(129, 0, 255));
    EXPECT_EQ(c.GetPixel(2, 0), RgbColor(100 - 27, 127, 160 + 33));
    c.Contrast(100); // 73: d = 100 x 54 div 255 = 21; 193: d = 100 x 66 div 255 = 25
    EXPECT_EQ(c.GetPixel(2, 0), RgbColor(52, 127, 218));
}

TEST(TzFastBmp, NoiseDrawsRedGreenBlueAndClamps)
{
    std::vector<int> draws = {0, 10, 4, 7};
    std::size_t next = 0;
    ScriptedRandom random([&](int n) {
        EXPECT_EQ(n, 10);
        return draws[next++ % draws.size()];
    });
    TzFastBmp f(1, 1);
    f.SetPixel(0, 0, RgbColor(2, 250, 100));
    f.ColorNoise(10); // red -5, green +5, blue -1
    EXPECT_EQ(f.GetPixel(0, 0), RgbColor(0, 255, 99));
    f.BWNoise(10); // +2 on every channel
    EXPECT_EQ(f.GetPixel(0, 0), RgbColor(2, 255, 101));
    next = 0;
    f.BWNoise(0);
    f.ColorNoise(-4);
    EXPECT_EQ(next, 0u);
    EXPECT_EQ(f.GetPixel(0, 0), RgbColor(2, 255, 101));
}

TEST(TzFastBmp, SharpenUsesChangedLeftAndMirroredEdges)
{
    TzFastBmp f(3, 2);
    // Grey levels (all three channels alike).
    const int v[2][3] = {{0, 40, 80}, {120, 160, 200}};
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x)
            f.SetPixel(x, y, RgbColor(v[y][x], v[y][x], v[y][x]));
    f.Sharpen(4);
    auto grey = [&](int x, int y) { return int(RedOf(TColor(f.GetPixel(x, y)))); };
    // Row 0: above and below are both row 1.
    // x0: left=buf[1]=40, right=40, up=120, down=120, centre 0*4 -> 320/8 = 40.
    EXPECT_EQ(grey(0, 0), 40);
    // x1: left = changed 40, right 80, 160+160, 40*4 -> 600/8 = 75.
    EXPECT_EQ(grey(1, 0), 75);
    // x2: left = right = changed 75, 200+200, 80*4 -> 870/8 = 108.
    EXPECT_EQ(grey(2, 0), 108);
    // Row 1: above and below are the written-back row 0.
    // x0: 160+160+40+40+480 = 880/8 = 110.
    EXPECT_EQ(grey(0, 1), 110);
}

TEST(TzFastBmp, SharpenAndBlurOnTinyBitmapsStayInside)
{
    for (auto [w, h] : {std::pair{1, 1}, {1, 3}, {3, 1}, {0, 0}, {2, 1}}) {
        TzFastBmp f(w, h);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                f.SetPixel(x, y, RgbColor(90, 90, 90));
        f.Sharpen(2);
        f.Blur(5);
        f.GaussianBlur(3);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                EXPECT_EQ(f.GetPixel(x, y), RgbColor(90, 90, 90)) << w << "x" << h;
    }
    TzFastBmp f(2, 2);
    f.SetPixel(0, 0, clWhite);
    f.Sharpen(-4); // divisor 0: refused
    f.Sharpen(-9);
    f.Blur(0);
    f.Blur(-2);
    EXPECT_EQ(f.GetPixel(0, 0), clWhite);
}

TEST(TzFastBmp, BlurAveragesFourCorners)
{
    TzFastBmp f(3, 3);
    f.SetPixel(2, 2, RgbColor(200, 200, 200));
    f.Blur(1);
    // (0,0): up = down = ... row 0 is up (y < r); down = row 1; left col 0, right col 1: all 0.
    EXPECT_EQ(f.GetPixel(0, 0), 0);
    // (1,1): up row 0, down row 2, left 0, right 2: 200/4 = 50.
    EXPECT_EQ(RedOf(TColor(f.GetPixel(1, 1))), 50);
    // (2,2): up row 1, down row 3-2 = 1; left 1, right 3-2 = 1: the changed (1,1) four times.
    EXPECT_EQ(RedOf(TColor(f.GetPixel(2, 2))), 50);
}

TEST(RasterFunctions, DarkenLightenGrey)
{
    QImage image = Image(2, 1, qRgb(100, 150, 200));
    image.setPixel(1, 0, qRgb(255, 0, 255));
    DarkenBMP(image, 0, false, 0);
    EXPECT_EQ(image.pixel(0, 0), qRgb(100, 150, 200));
    DarkenBMP(image, 20, true, clFuchsia); // 51, magenta skipped
    EXPECT_EQ(image.pixel(0, 0), qRgb(49, 99, 149));
    EXPECT_EQ(image.pixel(1, 0), qRgb(255, 0, 255));
    DarkenBMP(image, 100, true, clBtnFace); // system colour never matches
    EXPECT_EQ(image.pixel(0, 0), qRgb(0, 0, 0));
    EXPECT_EQ(image.pixel(1, 0), qRgb(0, 0, 0));
    LightenBMP(image, 100, false, 0);
    EXPECT_EQ(image.pixel(0, 0), qRgb(255, 255, 255));
    EXPECT_EQ(image.format(), QImage::Format_RGB32);

    QImage g = Image(3, 1, qRgb(0, 255, 0));
    g.setPixel(1, 0, qRgb(0, 0, 255));
    g.setPixel(2, 0, qRgb(255, 0, 0));
    GreyBMP(g, true, clRed);
    EXPECT_EQ(g.pixel(0, 0), qRgb(150, 150, 150));
    EXPECT_EQ(g.pixel(1, 0), qRgb(28, 28, 28));
    EXPECT_EQ(g.pixel(2, 0), qRgb(255, 0, 0));
}

TEST(RasterFunctions, RasterPatterns)
{
    auto setPixels = [](const QImage& image) {
        std::vector<std::pair<int, int>> set;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                if (image.pixel(x, y) == qRgb(255, 255, 255))
                    set.emplace_back(x, y);
        return set;
    };
    QImage a = Image(8, 2, qRgb(0, 0, 0));
    RasterBMP(a, clWhite, Rast25);
    EXPECT_EQ(setPixels(a), (std::vector<std::pair<int, int>>{{1, 0}, {5, 0}, {3, 1}, {7, 1}}));
    QImage b = Image(8, 2, qRgb(0, 0, 0));
    RasterOfset = true;
    RasterBMP(b, clWhite, Rast25);
    EXPECT_EQ(setPixels(b).size(), 12u);
    QImage c = Image(2, 2, qRgb(0, 0, 0));
    RasterBMP(c, clWhite, Rast50);
    EXPECT_EQ(setPixels(c), (std::vector<std::pair<int, int>>{{0, 0}, {1, 1}}));
    RasterOfset = false;
    QImage d = Image(2, 2, qRgb(0, 0, 0));
    RasterBMP(d, clWhite, Rast50);
    EXPECT_EQ(setPixels(d), (std::vector<std::pair<int, int>>{{1, 0}, {0, 1}}));
    QImage e = Image(4, 3, qRgb(0, 0, 0));
    RasterBMP(e, clWhite, Rast75);
    // Pattern pixels inside: (1,0) and (3,1) lies at x = W-1: only (1,0) spreads.
    EXPECT_EQ(setPixels(e), (std::vector<std::pair<int, int>>{{1, 0}, {2, 0}, {1, 1}}));
}

TEST(RasterFunctions, FlipMirrorReplaceAndTransparentBlt)
{
    QImage image = Image(3, 2, qRgb(0, 0, 0));
    image.setPixel(0, 0, qRgb(255, 0, 0));
    const QImage original = image;
    FlipBMP(image);
    EXPECT_EQ(image.pixel(0, 1), qRgb(255, 0, 0));
    FlipBMP(image);
    EXPECT_EQ(image, original);
    MirrorBMP(image);
    EXPECT_EQ(image.pixel(2, 0), qRgb(255, 0, 0));
    MirrorBMP(image);
    EXPECT_EQ(image, original);

    ReplaceColor(image, clBlack, clLime);
    EXPECT_EQ(image.pixel(1, 1), qRgb(0, 255, 0));
    EXPECT_EQ(image.pixel(0, 0), qRgb(255, 0, 0));

    QImage canvas = Image(4, 4, qRgb(9, 9, 9));
    const QImage before = image;
    {
        QPainter p(&canvas);
        TransparentBlt(p, image, 1, 1, clLime);
    }
    EXPECT_EQ(image, before);
    EXPECT_EQ(canvas.pixel(1, 1), qRgb(255, 0, 0));
    EXPECT_EQ(canvas.pixel(2, 1), qRgb(9, 9, 9));
    EXPECT_EQ(canvas.pixel(3, 2), qRgb(9, 9, 9));
    EXPECT_EQ(canvas.pixel(0, 0), qRgb(9, 9, 9));
}

TEST(RasterFunctions, RotateQuarterTurnsAndIdentity)
{
    QImage src = Image(9, 9, qRgb(0, 0, 0));
    for (int y = 0; y < 9; ++y)
        for (int x = 0; x < 9; ++x)
            src.setPixel(x, y, qRgb(x * 20, y * 20, 7));
    QImage same = Image(9, 9, qRgb(1, 1, 1));
    BMPRotate(src, same, 0);
    // n = 3: the square 4..4 +- 3 copies unchanged.
    for (int y = 1; y <= 7; ++y)
        for (int x = 1; x <= 7; ++x)
            EXPECT_EQ(same.pixel(x, y), src.pixel(x, y)) << x << "," << y;
    EXPECT_EQ(same.pixel(0, 0), qRgb(1, 1, 1));

    QImage turned = Image(9, 9, qRgb(1, 1, 1));
    BMPRotate(src, turned, 90);
    // Destination (dx + i, dy + j) takes source (sx + u, sy + v) with u = -j, v = i.
    EXPECT_EQ(turned.pixel(4 + 2, 4 + 1), src.pixel(4 - 1, 4 + 2));
    EXPECT_EQ(turned.pixel(4, 4), src.pixel(4, 4));
}

TEST(RasterFunctions, EllipseVerticesAndDrawing)
{
    const QPolygon v = EllipseBezierPoints(10, 20, 8, 4, 0);
    ASSERT_EQ(v.size(), 25);
    EXPECT_EQ(v[0], QPoint(18, 20));
    EXPECT_EQ(v[6], QPoint(10, 24));
    EXPECT_EQ(v[12], QPoint(2, 20));
    EXPECT_EQ(v[24], v[0]);
    const QPolygon r = EllipseBezierPoints(0, 0, 8, 4, M_PI / 2);
    EXPECT_EQ(r[0], QPoint(0, 8));

    QImage canvas = Image(40, 40, qRgb(255, 255, 255));
    {
        QPainter p(&canvas);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0, 0, 255));
        DrawEllipse(p, 20, 20, 15, 5, 0);
    }
    EXPECT_EQ(canvas.pixel(20, 20), qRgb(0, 0, 255));
    EXPECT_EQ(canvas.pixel(32, 20), qRgb(0, 0, 255));
    EXPECT_EQ(canvas.pixel(20, 28), qRgb(255, 255, 255));
}

TEST(TzDesktop, CanvasOfScreenSize)
{
    TzDesktop desktop;
    EXPECT_GT(desktop.Width(), 0);
    EXPECT_GT(desktop.Height(), 0);
    desktop.Canvas().fillRect(0, 0, 1, 1, QColor(1, 2, 3));
    EXPECT_EQ(desktop.Image().pixel(0, 0), qRgb(1, 2, 3));
    desktop.Canvas().fillRect(0, 0, 1, 1, QColor(4, 5, 6));
    EXPECT_EQ(desktop.Image().pixel(0, 0), qRgb(4, 5, 6));
}

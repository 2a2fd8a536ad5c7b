#include "zcomponents/Zraster.h"

#include "zcomponents/Zcolor.h"
#include "zcomponents/Zfastbmp.h"

#include <QPainterPath>
#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>

bool RasterOfset = false;

namespace {

constexpr double PercentToChannel = 2.55;
constexpr int MaxChannel = 255;
constexpr double GreyRed = 0.3, kGreyGreen = 0.59, kGreyBlue = 0.11;
constexpr int PatternPeriod = 8;
constexpr double QuarterPi = 0.78539816339745;
// 4/3 x tan(pi/16): control-point distance of a Bezier eighth of a circle.
constexpr double BezierK = 0.26521648984;
constexpr int EllipseSegments = 8;
constexpr int EllipseVertices = 3 * EllipseSegments + 1;

int Nearest(double v)
{
    return int(std::nearbyint(v));
}

// Runs an effect on a fast-bitmap copy of the image and puts the result back in its format.
template <class F> void ThroughFastBmp(QImage& bitmap, F&& effect)
{
    if (bitmap.isNull())
        return;
    TzFastBmp fast(bitmap);
    effect(fast);
    bitmap = fast.ToImage().convertToFormat(bitmap.format());
}

bool InPattern25(int x, int y)
{
    const int m = x % PatternPeriod;
    return y % 2 == 1 ? (m == 3 || m == 7) : (m == 1 || m == 5);
}

template <class F>
void ForEachChannelPixel(QImage& bitmap, bool transparent, TColor transparentColor, F&& change)
{
    ThroughFastBmp(bitmap, [&](TzFastBmp& fast) {
        for (int x = 0; x < fast.Width; ++x)
            for (int y = 0; y < fast.Height; ++y) {
                const auto colour = TColor(fast.GetPixel(x, y));
                if (transparent && colour == transparentColor)
                    continue;
                fast.SetPixel(x, y, change(colour));
            }
    });
}

int PercentAmount(TPercentType percent)
{
    return Nearest(std::min<int>(percent, TPercentMax) * PercentToChannel);
}

} // namespace

void AddColorNoise(QImage& bitmap, int amount)
{
    ThroughFastBmp(bitmap, [&](TzFastBmp& f) { f.ColorNoise(amount); });
}

void AddBWNoise(QImage& bitmap, int amount)
{
    ThroughFastBmp(bitmap, [&](TzFastBmp& f) { f.BWNoise(amount); });
}

void Contrast(QImage& bitmap, int amount)
{
    ThroughFastBmp(bitmap, [&](TzFastBmp& f) { f.Contrast(amount); });
}

void Saturation(QImage& bitmap, int amount)
{
    ThroughFastBmp(bitmap, [&](TzFastBmp& f) { f.Saturation(amount); });
}

void Sharpen(QImage& bitmap, int amount)
{
    ThroughFastBmp(bitmap, [&](TzFastBmp& f) { f.Sharpen(amount); });
}

void Blur(QImage& bitmap, int radius)
{
    ThroughFastBmp(bitmap, [&](TzFastBmp& f) { f.Blur(radius); });
}

void GaussianBlur(QImage& bitmap, int radius)
{
    ThroughFastBmp(bitmap, [&](TzFastBmp& f) { f.GaussianBlur(radius); });
}

void DarkenBMP(QImage& bitmap, TPercentType percent, bool transparent, TColor transparentColor)
{
    const int amount = PercentAmount(percent);
    ForEachChannelPixel(bitmap, transparent, transparentColor, [&](TColor c) {
        return RgbColor(std::uint8_t(std::max(RedOf(c) - amount, 0)),
                        std::uint8_t(std::max(GreenOf(c) - amount, 0)),
                        std::uint8_t(std::max(BlueOf(c) - amount, 0)));
    });
}

void LightenBMP(QImage& bitmap, TPercentType percent, bool transparent, TColor transparentColor)
{
    const int amount = PercentAmount(percent);
    ForEachChannelPixel(bitmap, transparent, transparentColor, [&](TColor c) {
        return RgbColor(std::uint8_t(std::min(RedOf(c) + amount, MaxChannel)),
                        std::uint8_t(std::min(GreenOf(c) + amount, MaxChannel)),
                        std::uint8_t(std::min(BlueOf(c) + amount, MaxChannel)));
    });
}

void GreyBMP(QImage& bitmap, bool transparent, TColor transparentColor)
{
    ForEachChannelPixel(bitmap, transparent, transparentColor, [](TColor c) {
        const auto grey = std::uint8_t(
            Nearest(GreyRed * RedOf(c) + kGreyGreen * GreenOf(c) + kGreyBlue * BlueOf(c)));
        return RgbColor(grey, grey, grey);
    });
}

void RasterBMP(QImage& bitmap, TColor color, TzRast pattern)
{
    ThroughFastBmp(bitmap, [&](TzFastBmp& f) {
        for (int y = 0; y < f.Height; ++y)
            for (int x = 0; x < f.Width; ++x) {
                switch (pattern) {
                case Rast25:
                    if (InPattern25(x, y) != RasterOfset)
                        f.SetPixel(x, y, color);
                    break;
                case Rast50:
                    if (((x % 2) != (y % 2)) != RasterOfset)
                        f.SetPixel(x, y, color);
                    break;
                case Rast75:
                    if (InPattern25(x, y) && x <= f.Width - 2 && y <= f.Height - 2) {
                        f.SetPixel(x, y, color);
                        f.SetPixel(x + 1, y, color);
                        f.SetPixel(x, y + 1, color);
                    }
                    break;
                }
            }
    });
}

void BMPRotate(const QImage& source, QImage& destination, int angle)
{
    if (source.isNull() || destination.isNull())
        return;
    const double theta = angle * std::numbers::pi / 180.0;
    TzFastBmp src(source);
    TzFastBmp dst(destination);
    const int sx = src.Width / 2, sy = src.Height / 2;
    const int dx = dst.Width / 2, dy = dst.Height / 2;
    const int n = std::max(dst.Width, dst.Height) / 2 - 1;
    auto copy = [&](int tx, int ty, int fx, int fy) {
        const std::int64_t colour = src.GetPixel(fx, fy);
        if (colour != -1)
            dst.SetPixel(tx, ty, TColor(colour));
    };
    for (int i = 0; i <= n; ++i)
        for (int j = 0; j <= n; ++j) {
            const double phi = i == 0 ? std::numbers::pi / 2 + theta : std::atan(double(j) / i) + theta;
            const int r = Nearest(std::sqrt(double(i) * i + double(j) * j));
            const int u = Nearest(r * std::cos(phi));
            const int v = Nearest(r * std::sin(phi));
            copy(dx + i, dy + j, sx + u, sy + v);
            copy(dx - i, dy - j, sx - u, sy - v);
            copy(dx + j, dy - i, sx + v, sy - u);
            copy(dx - j, dy + i, sx - v, sy + u);
        }
    destination = dst.ToImage().convertToFormat(destination.format());
}

void FlipBMP(QImage& bitmap)
{
    bitmap = bitmap.mirrored(false, true);
}

void MirrorBMP(QImage& bitmap)
{
    bitmap = bitmap.mirrored(true, false);
}

void ReplaceColor(QImage& bitmap, TColor oldColor, TColor newColor)
{
    const TColor from = QColorToColor(ColorToQColor(oldColor));
    ThroughFastBmp(bitmap, [&](TzFastBmp& f) {
        for (int y = 0; y < f.Height; ++y)
            for (int x = 0; x < f.Width; ++x)
                if (TColor(f.GetPixel(x, y)) == from)
                    f.SetPixel(x, y, newColor);
    });
}

QPolygon EllipseBezierPoints(double cx, double cy, double rx, double ry, double angle)
{
    std::array<QPointF, EllipseVertices> p;
    for (int k = 0; k < EllipseSegments; ++k) {
        const double phi = k * QuarterPi;
        const double s = std::sin(phi), c = std::cos(phi);
        const QPointF anchor(rx * c, ry * s);
        p[std::size_t(3 * k)] = anchor;
        p[std::size_t(3 * k + 1)] = anchor + QPointF(-BezierK * rx * s, BezierK * ry * c);
        const std::size_t before = k == 0 ? std::size_t(EllipseVertices - 2) : std::size_t(3 * k - 1);
        p[before] = anchor + QPointF(BezierK * rx * s, -BezierK * ry * c);
    }
    p[EllipseVertices - 1] = p[0];
    QPolygon out;
    const double ca = std::cos(angle), sa = std::sin(angle);
    for (const QPointF& v : p)
        out << QPoint(Nearest(v.x() * ca - v.y() * sa + cx), Nearest(v.x() * sa + v.y() * ca + cy));
    return out;
}

void DrawEllipse(QPainter& canvas, double cx, double cy, double rx, double ry, double angle)
{
    const QPolygon v = EllipseBezierPoints(cx, cy, rx, ry, angle);
    QPainterPath path(v[0]);
    for (int i = 1; i + 2 < v.size(); i += 3)
        path.cubicTo(v[i], v[i + 1], v[i + 2]);
    path.closeSubpath();
    canvas.drawPath(path);
}

void TransparentBlt(QPainter& canvas, const QImage& bitmap, int x, int y, TColor transparentColor)
{
    if (bitmap.isNull())
        return;
    const QRgb key = ColorToQColor(transparentColor).rgb();
    QImage masked = bitmap.convertToFormat(QImage::Format_ARGB32);
    for (int row = 0; row < masked.height(); ++row) {
        auto* line = reinterpret_cast<QRgb*>(masked.scanLine(row));
        for (int col = 0; col < masked.width(); ++col)
            if ((line[col] | 0xFF000000u) == (key | 0xFF000000u))
                line[col] = 0;
    }
    const QPainter::CompositionMode mode = canvas.compositionMode();
    canvas.setCompositionMode(QPainter::CompositionMode_SourceOver);
    canvas.drawImage(x, y, masked);
    canvas.setCompositionMode(mode);
}

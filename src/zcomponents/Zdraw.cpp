#include "zcomponents/Zdraw.h"

#include "zcomponents/Zraster.h"

#include <QPainter>
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <numbers>

namespace {

constexpr QRgb kDisabledWhite = 0xFFFFFFFF;
constexpr QRgb kDisabledGrey = 0xFF808080;
constexpr int kAngleSteps = 16; // QPainter arcs count 16ths of a degree

// Pixels of the line from a to b without b (the window system's line rule).
void LinePixels(QPainter& p, QPoint a, QPoint b, const QColor& color)
{
    int x = a.x(), y = a.y();
    const int dx = std::abs(b.x() - x), dy = -std::abs(b.y() - y);
    const int sx = x < b.x() ? 1 : -1, sy = y < b.y() ? 1 : -1;
    int err = dx + dy;
    while (x != b.x() || y != b.y()) {
        p.fillRect(x, y, 1, 1, color);
        const int e2 = 2 * err;
        if (e2 >= dy) {
            err += dy;
            x += sx;
        }
        if (e2 <= dx) {
            err += dx;
            y += sy;
        }
    }
}

double RadialAngle(const QRectF& box, QPoint through)
{
    const QPointF c = box.center();
    return std::atan2(-(through.y() - c.y()), through.x() - c.x()) * 180.0 / std::numbers::pi;
}

bool Matches(QRgb pixel, TColor transparent)
{
    return !IsSystemColor(transparent) &&
           (pixel & 0xFFFFFFu) == (qRgb(RedOf(transparent), GreenOf(transparent),
                                        BlueOf(transparent)) & 0xFFFFFFu);
}

} // namespace

int MulDiv(int a, int b, int c)
{
    if (c == 0)
        return -1;
    const long long num = static_cast<long long>(a) * b;
    const long long den = std::llabs(static_cast<long long>(c));
    const long long q = (std::llabs(num) * 2 + den) / (2 * den);
    return int(((num < 0) != (c < 0)) ? -q : q);
}

int CaptionFlags(zbHorzAlign vertical, bool multipleLines, bool wordWrap, TAlignment horizontal)
{
    int flags = Qt::TextShowMnemonic;
    flags |= vertical == zbha_Top ? Qt::AlignTop : vertical == zbha_Bottom ? Qt::AlignBottom
                                                                        : Qt::AlignVCenter;
    if (!multipleLines)
        flags |= Qt::TextSingleLine;
    if (wordWrap)
        flags |= Qt::TextWordWrap;
    flags |= horizontal == taRightJustify ? Qt::AlignRight
             : horizontal == taCenter     ? Qt::AlignHCenter
                                          : Qt::AlignLeft;
    return flags;
}

void DrawCaption(QPainter& p, const QRect& r, int flags, const QString& text, bool enabled,
                 const QColor& color)
{
    if (enabled) {
        p.setPen(color);
        p.drawText(r, flags, text);
        return;
    }
    p.setPen(QColor::fromRgb(kDisabledWhite));
    p.drawText(r.translated(1, 1), flags, text);
    p.setPen(QColor::fromRgb(kDisabledGrey));
    p.drawText(r, flags, text);
}

void Polyline(QPainter& p, const std::vector<QPoint>& points, const QColor& color)
{
    for (size_t i = 0; i + 1 < points.size(); ++i)
        LinePixels(p, points[i], points[i + 1], color);
}

void Polyline(QPainter& p, std::initializer_list<QPoint> points, const QColor& color)
{
    Polyline(p, std::vector<QPoint>(points), color);
}

void Arc(QPainter& p, const QRect& box, QPoint from, QPoint to, const QColor& color)
{
    const QRectF b(box.left(), box.top(), box.width() - 1, box.height() - 1);
    const double start = RadialAngle(b, from);
    double span = RadialAngle(b, to) - start;
    if (span <= 0)
        span += 360.0;
    p.save();
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(QPen(color, 0));
    p.setBrush(Qt::NoBrush);
    p.drawArc(b, int(std::lround(start * kAngleSteps)), int(std::lround(span * kAngleSteps)));
    p.restore();
}

void DrawFocusRect(QPainter& p, const QRect& r)
{
    if (r.width() <= 0 || r.height() <= 0)
        return;
    p.save();
    p.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
    const QColor white(Qt::white);
    int i = 0;
    auto dot = [&](int x, int y) {
        if (i++ % 2 == 0)
            p.fillRect(x, y, 1, 1, white);
    };
    for (int x = r.left(); x <= r.right(); ++x)
        dot(x, r.top());
    for (int y = r.top() + 1; y <= r.bottom(); ++y)
        dot(r.right(), y);
    for (int x = r.right() - 1; x >= r.left(); --x)
        dot(x, r.bottom());
    for (int y = r.bottom() - 1; y > r.top(); --y)
        dot(r.left(), y);
    p.restore();
}

void DrawButtonEdge(QPainter& p, int width, int height, int d, bool down, const QColor& shadow,
                    const QColor& highlight)
{
    const int r = width - 1, b = height - 1;
    const QColor black(Qt::black);
    Polyline(p, {{d, b - d}, {d, d}, {r - d, d}}, shadow);
    Polyline(p, {{r - 1 - d, d + 1}, {r - 1 - d, b - 1 - d}, {d, b - 1 - d}}, shadow);
    Polyline(p, {{d + 1, b - d}, {d + 1, d + 1}, {r - d, d + 1}}, down ? black : highlight);
    Polyline(p, {{r - d, d}, {r - d, b - d}, {d, b - d}}, down ? highlight : black);
}

void BrushCopy(QPainter& p, const QRect& dest, const QImage& picture, const QRect& source,
               TColor transparent, const QColor& face)
{
    if (picture.isNull() || source.isEmpty())
        return;
    QImage part = picture.copy(source).convertToFormat(QImage::Format_RGB32);
    if (!IsSystemColor(transparent)) {
        const QRgb faceRgb = face.rgb();
        for (int y = 0; y < part.height(); ++y) {
            auto* line = reinterpret_cast<QRgb*>(part.scanLine(y));
            for (int x = 0; x < part.width(); ++x)
                if (Matches(line[x], transparent))
                    line[x] = faceRgb;
        }
    }
    p.drawImage(dest, part);
}

void TransparentDraw(QPainter& p, const QPoint& dest, const QImage& picture, const QRect& source,
                     TColor transparent)
{
    if (picture.isNull() || source.isEmpty())
        return;
    TransparentBlt(p, picture.copy(source), dest.x(), dest.y(), transparent);
}

TColor PixelColor(const QImage& picture, int x, int y)
{
    if (!picture.valid(x, y))
        return clBlack;
    const QRgb px = picture.pixel(x, y);
    return RgbColor(std::uint8_t(qRed(px)), std::uint8_t(qGreen(px)), std::uint8_t(qBlue(px)));
}

TColor BottomLeftColor(const QImage& picture)
{
    return PixelColor(picture, 0, picture.height() - 1);
}

#include "panel/ui/Chartbuffer.h"

#include "zcomponents/Zcolor.h"

#include <QMouseEvent>
#include <QPainter>
#include <algorithm>
#include <cmath>
#include <cstdlib>

TChartBuffer::TChartBuffer(QWidget* parent) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
}

QImage& TChartBuffer::Buffer()
{
    const QSize size = this->size().expandedTo(QSize(1, 1));
    if (buffer_.size() != size) {
        buffer_ = QImage(size, QImage::Format_RGB32);
        buffer_.fill(Qt::white);
    }
    return buffer_;
}

void TChartBuffer::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.drawImage(0, 0, Buffer());
}

void TChartBuffer::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    emit Resized();
}

void TChartBuffer::mouseMoveEvent(QMouseEvent* event)
{
    emit MouseMoved(event->position().toPoint());
}

void TChartBuffer::mousePressEvent(QMouseEvent* event)
{
    emit MousePressed(event->button(), event->position().toPoint());
}

// --- pens -----------------------------------------------------------------------------------

TTracePainter::TTracePainter(QImage& image, TColor colour)
    : bits_(reinterpret_cast<QRgb*>(image.bits())), stride_(image.bytesPerLine() / 4),
      w_(image.width()), h_(image.height()), colour_(chartpen::Colour(colour).rgb())
{
}

void TTracePainter::MoveTo(int x, int y)
{
    x_ = x;
    y_ = y;
}

void TTracePainter::LineTo(int x, int y)
{
    Line(x_, y_, x, y);
    x_ = x;
    y_ = y;
}

void TTracePainter::Line(int x0, int y0, int x1, int y1)
{
    const int w = w_, h = h_;
    const auto inside = [w, h](int x, int y) {
        return unsigned(x) < unsigned(w) && unsigned(y) < unsigned(h);
    };
    if (!inside(x0, y0) || !inside(x1, y1))
        Clip(x0, y0, x1, y1);
    // Bresenham; the clipped ends lie inside the image, so every pixel does.
    const int ax = std::abs(x1 - x0), ay = -std::abs(y1 - y0);
    const int sx = x0 < x1 ? 1 : -1, sy = y0 < y1 ? 1 : -1;
    int err = ax + ay;
    for (;;) {
        if (inside(x0, y0))
            bits_[y0 * stride_ + x0] = colour_;
        if (x0 == x1 && y0 == y1)
            break;
        const int e2 = 2 * err;
        if (e2 >= ay) {
            err += ay;
            x0 += sx;
        }
        if (e2 <= ax) {
            err += ax;
            y0 += sy;
        }
    }
}

void TTracePainter::Clip(int& x0, int& y0, int& x1, int& y1) const
{
    const int w = w_, h = h_;
    // Liang-Barsky; a segment that misses the image becomes one pixel outside it.
    double t0 = 0.0, t1 = 1.0;
    const double dx = double(x1) - x0, dy = double(y1) - y0;
    const double p[4] = {-dx, dx, -dy, dy};
    const double q[4] = {double(x0), double(w - 1) - x0, double(y0), double(h - 1) - y0};
    for (int k = 0; k < 4; ++k) {
        if (p[k] == 0.0) {
            if (q[k] < 0.0)
                return Miss(x0, y0, x1, y1);
            continue;
        }
        const double t = q[k] / p[k];
        if (p[k] < 0.0)
            t0 = std::max(t0, t);
        else
            t1 = std::min(t1, t);
        if (t0 > t1)
            return Miss(x0, y0, x1, y1);
    }
    if (t0 > 0.0 || t1 < 1.0) {
        const int cx0 = int(std::lround(x0 + t0 * dx)), cy0 = int(std::lround(y0 + t0 * dy));
        x1 = int(std::lround(x0 + t1 * dx));
        y1 = int(std::lround(y0 + t1 * dy));
        x0 = cx0;
        y0 = cy0;
    }
}

void TTracePainter::Miss(int& x0, int& y0, int& x1, int& y1)
{
    x0 = x1 = -1;
    y0 = y1 = -1;
}

namespace chartpen {

QColor Colour(TColor colour) { return ColorToQColor(colour); }

void NotXorMarker(QImage& image, SPoint p, TColor colour)
{
    QPainter painter(&image);
    painter.setCompositionMode(QPainter::RasterOp_NotSourceXorDestination);
    const QColor c = Colour(colour);
    const int h = MarkerHalf, side = 2 * MarkerHalf + 1;
    painter.fillRect(QRect(p.X - h, p.Y - h, side, 1), c);
    painter.fillRect(QRect(p.X - h, p.Y + h, side, 1), c);
    painter.fillRect(QRect(p.X - h, p.Y - h + 1, 1, side - 2), c);
    painter.fillRect(QRect(p.X + h, p.Y - h + 1, 1, side - 2), c);
}

void Square(QPainter& painter, SPoint p, int h)
{
    painter.drawRect(QRect(p.X - h, p.Y - h, 2 * h, 2 * h));
}

void TextAt(QPainter& painter, int x, int y, const QString& text)
{
    painter.drawText(x, y + painter.fontMetrics().ascent(), text);
}

} // namespace chartpen

#include "panel/ui/Chartbuffer.h"

#include "zcomponents/Zcolor.h"

#include <QMouseEvent>
#include <QPainter>

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

TTracePainter::TTracePainter(QPainter& painter, TColor colour) : painter_(painter)
{
    painter_.setPen(QPen(chartpen::Colour(colour), 0));
}

TTracePainter::~TTracePainter() { Flush(); }

void TTracePainter::MoveTo(int x, int y)
{
    Flush();
    run_.clear();
    run_.append(QPoint(x, y));
}

void TTracePainter::LineTo(int x, int y)
{
    const QPoint p(x, y);
    if (run_.isEmpty() || run_.last() != p)
        run_.append(p);
}

void TTracePainter::Flush()
{
    if (run_.size() < 2)
        return;
    painter_.drawPolyline(run_);
    const QPoint last = run_.last();
    run_.clear();
    run_.append(last); // the pen stays where the run ended
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

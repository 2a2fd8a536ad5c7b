#pragma once
// The drawing area of the Smith chart and Capacitors windows: a back buffer that every drawing
// goes to, in a paint or between paints, and that the widget shows. It reports the mouse and
// its size changes to its window. Also the pen helpers the two windows share: a trace sink that
// draws joined samples as polylines, and the marker drawn in "not xor" so that drawing it again
// erases it.

#include "panel/Trail.h"
#include "platform/Color.h"

#include <QImage>
#include <QWidget>

class QPainter;

class TChartBuffer : public QWidget {
    Q_OBJECT
public:
    explicit TChartBuffer(QWidget* parent = nullptr);

    // The buffer, sized to the widget (at least 1 x 1).
    QImage& Buffer();
    const QImage& Shown() const { return buffer_; }

signals:
    void MouseMoved(QPoint pos);
    void MousePressed(Qt::MouseButton button, QPoint pos);
    void Resized();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    QImage buffer_;
};

// Draws the pen moves of a trace as solid one-pixel lines straight into an image (both ends
// included), clipped to it. A trace of 100,000 samples is mostly short segments, which this
// draws far faster than a painter would.
class TTracePainter : public ITraceSink {
public:
    // image: 32 bits a pixel; no painter may be active on it while this draws.
    TTracePainter(QImage& image, TColor colour);
    void MoveTo(int x, int y) override;
    void LineTo(int x, int y) override;

private:
    void Line(int x0, int y0, int x1, int y1);
    // The part of a segment inside the image.
    void Clip(int& x0, int& y0, int& x1, int& y1) const;
    static void Miss(int& x0, int& y0, int& x1, int& y1);

    QRgb* bits_;
    int stride_; // pixels per line
    int w_;
    int h_;
    QRgb colour_;
    int x_ = 0;
    int y_ = 0;
};

namespace chartpen {
constexpr int MarkerHalf = 4;  // the marker square reaches 4 pixels around its point
constexpr int SquareHalf = 3;  // squares of trajectory points
// The 9 x 9 marker outline around p combined with the image by "not xor": every pixel of the
// outline once, so that drawing it twice restores the image.
void NotXorMarker(QImage& image, SPoint p, TColor colour);
// A square outline of half size h around p in the painter's pen.
void Square(QPainter& painter, SPoint p, int h);
// Text with its top left at (x, y).
void TextAt(QPainter& painter, int x, int y, const QString& text);
QColor Colour(TColor colour);
} // namespace chartpen

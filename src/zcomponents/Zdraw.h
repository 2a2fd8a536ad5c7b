#pragma once
// Drawing in the manner of the window system's device context, shared by the collection's
// buttons and picture controls: one-pixel lines that leave out their final point, arcs between
// two radials, captions laid out by the text flags (with the disabled look), the dotted focus
// rectangle, and the two ways of drawing a picture that has a transparent colour.

#include "platform/Color.h"
#include "zcomponents/Std2.h"

#include <QColor>
#include <QImage>
#include <QPoint>
#include <QRect>
#include <QString>
#include <cstdint>
#include <initializer_list>
#include <vector>

class QPainter;
class QWidget;

// a * b / c rounded to the nearest integer (halves away from zero); -1 when c is 0.
int MulDiv(int a, int b, int c);

// Qt text flags of a caption: vertical placement, one line unless multiple lines are allowed,
// word wrap, horizontal alignment, and the accelerator shown underlined.
int CaptionFlags(zbHorzAlign vertical, bool multipleLines, bool wordWrap, TAlignment horizontal);

// Draws a caption in the painter's font: enabled in the given colour; disabled in white one
// pixel right and down, then in grey 0x808080 in place.
void DrawCaption(QPainter& p, const QRect& r, int flags, const QString& text, bool enabled,
                 const QColor& color);

// A one-pixel polyline from point to point; the final point itself is not coloured.
void Polyline(QPainter& p, const std::vector<QPoint>& points, const QColor& color);
void Polyline(QPainter& p, std::initializer_list<QPoint> points, const QColor& color);

// A one-pixel arc of the ellipse in the box (l, t, r, b), drawn counter-clockwise from the
// radial through (x1, y1) to the radial through (x2, y2).
void Arc(QPainter& p, const QRect& box, QPoint from, QPoint to, const QColor& color);

// The dotted focus rectangle (every second pixel of the border inverted).
void DrawFocusRect(QPainter& p, const QRect& r);

// The raised three-dimensional edge of a push button inset by d: shadow lines along the
// outer top-left and the inner bottom-right, then the inner light line (black when down) and
// the outer dark line (the highlight colour when down).
void DrawButtonEdge(QPainter& p, int width, int height, int d, bool down, const QColor& shadow,
                    const QColor& highlight);

// Copies the source rectangle of a picture to dest, pixels of the transparent colour replaced
// by the face colour. A system colour as transparent colour matches no pixel.
void BrushCopy(QPainter& p, const QRect& dest, const QImage& picture, const QRect& source,
               TColor transparent, const QColor& face);
// Draws the source rectangle of a picture at dest, leaving out the pixels of the transparent
// colour so that what lies beneath shows.
void TransparentDraw(QPainter& p, const QPoint& dest, const QImage& picture, const QRect& source,
                     TColor transparent);

// The colour of a picture's bottom-left pixel (0, height - 1); black for an empty picture.
TColor BottomLeftColor(const QImage& picture);
// The colour of a pixel as a fixed TColor; black outside the picture.
TColor PixelColor(const QImage& picture, int x, int y);

#pragma once
// Raster functions on bitmaps (QImage) and canvases: darken, lighten, grey, dither patterns,
// noise, contrast, saturation, sharpen, blur, flip, mirror, rotate, colour replacement, a
// rotated ellipse of Bezier curves and a transparent blit. The bitmap functions change the
// image in place and keep its format.

#include "platform/Color.h"

#include <QImage>
#include <QPainter>
#include <cstdint>

// A percentage 0..100; larger values count as 100.
using TPercentType = std::uint8_t;
constexpr TPercentType TPercentMax = 100;

enum TzRast : std::uint8_t { Rast25, Rast50, Rast75 };

// Selects the other phase of RasterBMP's Rast25 and Rast50 patterns; false at start.
extern bool RasterOfset;

void AddColorNoise(QImage& bitmap, int amount);
void AddBWNoise(QImage& bitmap, int amount);
void Contrast(QImage& bitmap, int amount);
void Saturation(QImage& bitmap, int amount);
void Sharpen(QImage& bitmap, int amount);
void Blur(QImage& bitmap, int radius);
void GaussianBlur(QImage& bitmap, int radius);

// Each channel lowered (raised) by percent x 2.55; with transparent set, pixels of exactly the
// transparent colour (as passed, not resolved) are left alone.
void DarkenBMP(QImage& bitmap, TPercentType percent, bool transparent, TColor transparentColor);
void LightenBMP(QImage& bitmap, TPercentType percent, bool transparent, TColor transparentColor);
// Grey 0.3 R + 0.59 G + 0.11 B, rounded.
void GreyBMP(QImage& bitmap, bool transparent, TColor transparentColor);
// Sets a pattern of pixels to the colour.
void RasterBMP(QImage& bitmap, TColor color, TzRast pattern);
// Rotated copy of the source into the destination about both centres (angle in degrees); the
// destination keeps its pixels where nothing maps.
void BMPRotate(const QImage& source, QImage& destination, int angle);

// Upside down / left-right.
void FlipBMP(QImage& bitmap);
void MirrorBMP(QImage& bitmap);
// Every pixel of the old colour gets the new colour.
void ReplaceColor(QImage& bitmap, TColor oldColor, TColor newColor);

// A closed ellipse of radii (rx, ry) rotated by angle (radians) about (cx, cy), filled with the
// painter's brush and outlined with its pen.
void DrawEllipse(QPainter& canvas, double cx, double cy, double rx, double ry, double angle);
// The 25 vertices of that ellipse's eight Bezier segments (anchor, control, control, anchor...).
QPolygon EllipseBezierPoints(double cx, double cy, double rx, double ry, double angle);
// Draws the bitmap at (x, y), leaving the canvas unchanged where the bitmap has the transparent
// colour.
void TransparentBlt(QPainter& canvas, const QImage& bitmap, int x, int y, TColor transparentColor);

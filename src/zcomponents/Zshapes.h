#pragma once
// The thirty outlines of the shaped buttons: the region of each outline and its
// three-dimensional edge, lit from the top left (edges facing up or left: an outer shadow line
// and an inner light line; edges facing down or right: an outer dark line and an inner shadow
// line; pressed, the light and the dark colour change places).

#include "zcomponents/Std2.h"

#include <QColor>
#include <QRegion>

class QPainter;

// How the outline is measured. A windowed shaped button measures its region on the full size
// and rounds its thirds and halves up; the window-less shape button measures both on the last
// pixel (size - 1) and truncates.
enum TzShapeMeasure : std::uint8_t { smWindow, smGraphic };

// The region of an outline for a control of the given size (sbOwnerDraw gives the rectangle).
QRegion ShapeRegion(sbType shape, int width, int height, TzShapeMeasure measure);

// Draws the edge of an outline (sbOwnerDraw draws the rectangle's edge).
void DrawShapeEdge(QPainter& p, sbType shape, int width, int height, TzShapeMeasure measure,
                   bool down, const QColor& shadow, const QColor& highlight);

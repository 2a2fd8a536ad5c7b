#pragma once
// The one place where a TColor becomes a screen colour: fixed colours map to their RGB value,
// system colours to a role of the application's palette (or a fixed classic value where the
// palette has no matching role).

#include "platform/Color.h"

#include <QColor>
#include <QPalette>
#include <optional>

class QWidget;

struct TPaletteRole {
    QPalette::ColorGroup group;
    QPalette::ColorRole role;
};

// The palette role standing for a system colour; none for fixed colours and for system colours
// the palette does not carry.
std::optional<TPaletteRole> SystemColorRole(TColor color);

// Screen colour of a TColor, system colours resolved in the given palette.
QColor ColorToQColor(TColor color, const QPalette& palette);
// The same with the application's palette.
QColor ColorToQColor(TColor color);

// The fixed TColor of a screen colour (alpha dropped).
TColor QColorToColor(const QColor& color);

// The colour a control's parent paints its background with (the application's button face
// when the control has no parent).
QColor ParentBrushColor(const QWidget* control);

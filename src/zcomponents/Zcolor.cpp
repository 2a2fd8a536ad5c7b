#include "zcomponents/Zcolor.h"

#include <QApplication>
#include <QWidget>
#include <array>

namespace {

struct SystemColorEntry {
    bool hasRole;
    TPaletteRole role;
    TColor fallback; // used when there is no palette role
};

constexpr QPalette::ColorGroup kAll = QPalette::Active;

// Indexed by the low byte of a system colour.
const std::array<SystemColorEntry, SystemColorCount> kSystemColors = {{
    {true, {kAll, QPalette::Button}, clSilver},              // clScrollBar
    {false, {kAll, QPalette::NoRole}, clTeal},               // clBackground
    {true, {kAll, QPalette::Highlight}, clNavy},             // clActiveCaption
    {false, {kAll, QPalette::NoRole}, clGray},               // clInactiveCaption
    {true, {kAll, QPalette::Window}, clSilver},              // clMenu
    {true, {kAll, QPalette::Base}, clWhite},                 // clWindow
    {true, {kAll, QPalette::WindowText}, clBlack},           // clWindowFrame
    {true, {kAll, QPalette::WindowText}, clBlack},           // clMenuText
    {true, {kAll, QPalette::Text}, clBlack},                 // clWindowText
    {true, {kAll, QPalette::HighlightedText}, clWhite},      // clCaptionText
    {true, {kAll, QPalette::Window}, clSilver},              // clActiveBorder
    {true, {kAll, QPalette::Window}, clSilver},              // clInactiveBorder
    {true, {kAll, QPalette::Dark}, clGray},                  // clAppWorkSpace
    {true, {kAll, QPalette::Highlight}, clNavy},             // clHighlight
    {true, {kAll, QPalette::HighlightedText}, clWhite},      // clHighlightText
    {true, {kAll, QPalette::Button}, clSilver},              // clBtnFace
    {true, {kAll, QPalette::Dark}, clGray},                  // clBtnShadow
    {true, {QPalette::Disabled, QPalette::Text}, clGray},    // clGrayText
    {true, {kAll, QPalette::ButtonText}, clBlack},           // clBtnText
    {false, {kAll, QPalette::NoRole}, clSilver},             // clInactiveCaptionText
    {true, {kAll, QPalette::Light}, clWhite},                // clBtnHighlight
    {true, {kAll, QPalette::Shadow}, clBlack},               // cl3DDkShadow
    {true, {kAll, QPalette::Midlight}, clSilver},            // cl3DLight
    {true, {kAll, QPalette::ToolTipText}, clBlack},          // clInfoText
    {true, {kAll, QPalette::ToolTipBase}, RgbColor(255, 255, 225)}, // clInfoBk
}};

QColor FixedToQColor(TColor color)
{
    return QColor(RedOf(color), GreenOf(color), BlueOf(color));
}

} // namespace

std::optional<TPaletteRole> SystemColorRole(TColor color)
{
    if (!IsSystemColor(color))
        return std::nullopt;
    const int index = SystemColorIndex(color);
    if (index >= SystemColorCount || !kSystemColors[size_t(index)].hasRole)
        return std::nullopt;
    return kSystemColors[size_t(index)].role;
}

QColor ColorToQColor(TColor color, const QPalette& palette)
{
    if (!IsSystemColor(color))
        return FixedToQColor(color & 0x00FFFFFFu);
    if (auto role = SystemColorRole(color))
        return palette.color(role->group, role->role);
    const int index = SystemColorIndex(color);
    // An index beyond the scheme answers black, as the desktop does.
    if (index >= SystemColorCount)
        return FixedToQColor(clBlack);
    return FixedToQColor(kSystemColors[size_t(index)].fallback);
}

QColor ColorToQColor(TColor color)
{
    return ColorToQColor(color, QApplication::palette());
}

TColor QColorToColor(const QColor& color)
{
    const QColor rgb = color.toRgb();
    return RgbColor(std::uint8_t(rgb.red()), std::uint8_t(rgb.green()), std::uint8_t(rgb.blue()));
}

QColor ParentBrushColor(const QWidget* control)
{
    const QWidget* parent = control ? control->parentWidget() : nullptr;
    if (!parent)
        return ColorToQColor(clBtnFace);
    return parent->palette().color(parent->backgroundRole());
}

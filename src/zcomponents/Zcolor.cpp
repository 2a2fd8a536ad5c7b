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

constexpr QPalette::ColorGroup All = QPalette::Active;

// Indexed by the low byte of a system colour.
const std::array<SystemColorEntry, SystemColorCount> kSystemColors = {{
    {true, {All, QPalette::Button}, clSilver},              // clScrollBar
    {false, {All, QPalette::NoRole}, clTeal},               // clBackground
    {true, {All, QPalette::Highlight}, clNavy},             // clActiveCaption
    {false, {All, QPalette::NoRole}, clGray},               // clInactiveCaption
    {true, {All, QPalette::Window}, clSilver},              // clMenu
    {true, {All, QPalette::Base}, clWhite},                 // clWindow
    {true, {All, QPalette::WindowText}, clBlack},           // clWindowFrame
    {true, {All, QPalette::WindowText}, clBlack},           // clMenuText
    {true, {All, QPalette::Text}, clBlack},                 // clWindowText
    {true, {All, QPalette::HighlightedText}, clWhite},      // clCaptionText
    {true, {All, QPalette::Window}, clSilver},              // clActiveBorder
    {true, {All, QPalette::Window}, clSilver},              // clInactiveBorder
    {true, {All, QPalette::Dark}, clGray},                  // clAppWorkSpace
    {true, {All, QPalette::Highlight}, clNavy},             // clHighlight
    {true, {All, QPalette::HighlightedText}, clWhite},      // clHighlightText
    {true, {All, QPalette::Button}, clSilver},              // clBtnFace
    {true, {All, QPalette::Dark}, clGray},                  // clBtnShadow
    {true, {QPalette::Disabled, QPalette::Text}, clGray},    // clGrayText
    {true, {All, QPalette::ButtonText}, clBlack},           // clBtnText
    {false, {All, QPalette::NoRole}, clSilver},             // clInactiveCaptionText
    {true, {All, QPalette::Light}, clWhite},                // clBtnHighlight
    {true, {All, QPalette::Shadow}, clBlack},               // cl3DDkShadow
    {true, {All, QPalette::Midlight}, clSilver},            // cl3DLight
    {true, {All, QPalette::ToolTipText}, clBlack},          // clInfoText
    {true, {All, QPalette::ToolTipBase}, RgbColor(255, 255, 225)}, // clInfoBk
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

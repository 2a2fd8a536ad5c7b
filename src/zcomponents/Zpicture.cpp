#include "zcomponents/Zpicture.h"

#include "zcomponents/Zcolor.h"
#include "zcomponents/Zdraw.h"

#include <QPainter>
#include <algorithm>

namespace {

constexpr int kChannels = 3;

QRect GdiRect(int l, int t, int r, int b)
{
    return QRect(l, t, r - l, b - t);
}

} // namespace

// ---- TzGlyphStrip ----

bool TzGlyphStrip::SetNumGlyphs(int n)
{
    if (n < tBitNumberMin || n > tBitNumberMax)
        return false;
    numGlyphs_ = tBitNumber(n);
    return true;
}

void TzGlyphStrip::SetTransparentColor(TColor c)
{
    autoBackColor_ = false;
    transparentColor_ = c;
}

QImage MakeDisabledImage(const QImage& up, const QColor& face)
{
    QImage out(up.size(), QImage::Format_RGB32);
    out.fill(face);
    const QImage src = up.convertToFormat(QImage::Format_RGB32);
    const QRgb highlight = ColorToQColor(clBtnHighlight).rgb();
    const QRgb shadow = ColorToQColor(clBtnShadow).rgb();
    auto marked = [&](int x, int y) { return (src.pixel(x, y) & 0xFFFFFFu) != 0xFFFFFFu; };
    for (int y = 0; y < src.height(); ++y)
        for (int x = 0; x < src.width(); ++x)
            if (marked(x, y) && out.valid(x + 1, y + 1))
                out.setPixel(x + 1, y + 1, highlight);
    for (int y = 0; y < src.height(); ++y)
        for (int x = 0; x < src.width(); ++x)
            if (marked(x, y))
                out.setPixel(x, y, shadow);
    return out;
}

void TzGlyphStrip::SplitBitmap(const QColor& face)
{
    if (glyph_.width() < 1 || glyph_.height() < 1) {
        up_ = down_ = disabled_ = mouseOver_ = QImage();
        return;
    }
    const int w = glyph_.width() / numGlyphs_;
    auto part = [&](int k) { return glyph_.copy(k * w, 0, w, glyph_.height()); };
    up_ = part(0);
    disabled_ = numGlyphs_ >= 2 ? part(1) : MakeDisabledImage(up_, face);
    down_ = numGlyphs_ >= 3 ? part(2) : up_;
    mouseOver_ = numGlyphs_ >= 4 ? part(3) : up_;
    PickTransparent();
}

void TzGlyphStrip::PickTransparent()
{
    if (autoBackColor_ && up_.height() >= 1)
        transparentColor_ = BottomLeftColor(up_);
}

const QImage& TzGlyphStrip::Current(bool down, bool enabled, bool mouseIn) const
{
    if (down)
        return down_;
    if (!enabled)
        return disabled_;
    return mouseIn ? mouseOver_ : up_;
}

// ---- TzIconSet ----

void TzIconSet::SetOnIcon(const QImage& icon)
{
    enabled_ = icon;
    SetIcons();
}

void TzIconSet::SetOffIcon(const QImage& icon)
{
    disabled_ = icon;
    SetIcons();
}

void TzIconSet::SetDownIcon(const QImage& icon)
{
    down_ = icon;
    SetIcons();
}

void TzIconSet::SetIcons()
{
    if (!autoAllIcons_)
        return;
    auto fill = [](QImage& target, const QImage& source) {
        if (target.isNull() && !source.isNull())
            target = source;
    };
    fill(disabled_, enabled_);
    fill(down_, enabled_);
    fill(enabled_, disabled_);
    fill(down_, disabled_);
    fill(disabled_, down_);
    fill(enabled_, down_);
}

const QImage& TzIconSet::Current(bool down, bool enabled) const
{
    if (down)
        return down_;
    return enabled ? enabled_ : disabled_;
}

// ---- Gradient ----

TzGradColors ColorSet(const QColor& from, const QColor& to)
{
    TzGradColors c;
    const int a[kChannels] = {from.red(), from.green(), from.blue()};
    const int b[kChannels] = {to.red(), to.green(), to.blue()};
    for (int k = 0; k < kChannels; ++k) {
        c.start[k] = a[k];
        c.span[k] = b[k] - a[k];
    }
    return c;
}

QColor TzGradColors::Band(int i, int n) const
{
    int v[kChannels];
    for (int k = 0; k < kChannels; ++k)
        v[k] = (start[k] + MulDiv(i, span[k], n)) & 0xFF;
    return QColor(v[0], v[1], v[2]);
}

void PaintGradient(QPainter& p, const QSize& size, gradType fill, const QColor& from,
                   const QColor& to, int bands, int off)
{
    const int r = size.width() - 1, b = size.height() - 1;
    const QRect client(QPoint(0, 0), size);
    const TzGradColors colors = ColorSet(from, to);
    if (from.rgb() == to.rgb() || bands < 1) {
        p.fillRect(client, from);
        return;
    }
    switch (fill) {
    case gHorz:
        for (int i = 0; i <= bands; ++i) {
            const int x0 = MulDiv(i, r, bands + 1), x1 = MulDiv(i + 1, r, bands + 1);
            p.fillRect(QRect(x0 + off, off, x1 - x0, b), colors.Band(i, bands));
        }
        return;
    case gVert:
        for (int i = 0; i <= bands; ++i) {
            const int y0 = MulDiv(i, b, bands + 1), y1 = MulDiv(i + 1, b, bands + 1);
            p.fillRect(QRect(off, y0 + off, r, y1 - y0), colors.Band(i, bands));
        }
        return;
    case gCenter: {
        const int steps = std::min({bands, r / 2, b / 2});
        if (steps < 1)
            break;
        const int dx = std::max(1, (r / 2) / steps), dy = std::max(1, (b / 2) / steps);
        QRect area = client.translated(off, off).adjusted(1, 1, -1, -1);
        for (int i = 0; i <= steps; ++i) {
            const QColor c = colors.Band(i, steps);
            const int L = area.left(), T = area.top(), R = area.right() + 1, B = area.bottom() + 1;
            if (i < steps) {
                p.fillRect(GdiRect(L, T, R, T + dy), c);
                p.fillRect(GdiRect(L, T, L + dx, B), c);
                p.fillRect(GdiRect(L, B - dy, R, B), c);
                p.fillRect(GdiRect(R - dx, T, R, B), c);
            } else if (R > L && B > T) {
                p.fillRect(GdiRect(L, T, R, B), c);
            }
            area.adjust(dx, dy, -dx, -dy);
        }
        return;
    }
    default:
        break;
    }
    p.fillRect(client, from);
}

// ---- Picture placement ----

TzPicturePlace PlacePicture(const QSize& control, const QSize& picture, tBitWhere where,
                            int margin, bool shiftX, bool shiftY, QRect caption, int narrowBy)
{
    const int r = control.width() - 1, b = control.height() - 1;
    TzPicturePlace place;
    const int x = where == z_BWRight ? r - picture.width() - margin : margin;
    place.at = QPoint(x + (shiftX ? 1 : 0), (b - picture.height()) / 2 + 1 + (shiftY ? 1 : 0));
    if (where == z_BWRight)
        caption.setRight(caption.right() - narrowBy);
    else
        caption.setLeft(caption.left() + narrowBy);
    place.caption = caption;
    return place;
}

#include "zcomponents/Znwbuttons.h"

#include "zcomponents/Zcolor.h"

#include <QPainter>
#include <cmath>

namespace {

constexpr int kWidth = 89;
constexpr int kHeight = 33;
constexpr int kIconWidth = 140;
constexpr int kIconHeight = 44;
constexpr TColor kPaletteRelative = 0x02000000;
constexpr int kWindowlessKind = 4;

} // namespace

TColor Grey(TColor color)
{
    const double mean = (RedOf(color) + GreenOf(color) + BlueOf(color)) / 3.0;
    const auto g = std::uint8_t(std::nearbyint(mean));
    return RgbColor(g, g, g) | kPaletteRelative;
}

// ---- TzNWColorBtn ----

TzNWColorBtn::TzNWColorBtn(QWidget* parent) : TzEdgedButton(parent)
{
    SetKeyboardPress(false);
    setAttribute(Qt::WA_OpaquePaintEvent, true);
    resize(kWidth, kHeight);
}

int TzNWColorBtn::ButtonKind() const
{
    return kWindowlessKind;
}

void TzNWColorBtn::SetLeftOffSet(int v)
{
    if (v == leftOffSet_)
        return;
    leftOffSet_ = v;
    Invalidate();
}

void TzNWColorBtn::SetTopOffSet(int v)
{
    if (v == topOffSet_)
        return;
    topOffSet_ = v;
    Invalidate();
}

void TzNWColorBtn::SetGlass(TzGlassValue v)
{
    glassValue_ = v;
    Invalidate();
}

void TzNWColorBtn::SetTransparent(bool b)
{
    if (b == transparent_)
        return;
    transparent_ = b;
    setAttribute(Qt::WA_OpaquePaintEvent, !b);
    mouseIn_ = false;
    SetMouseIn();
    Invalidate();
}

void TzNWColorBtn::SetFlat(bool b)
{
    if (b == flat_)
        return;
    flat_ = b;
    SetMouseIn();
    Invalidate();
}

void TzNWColorBtn::SetMove(bool b)
{
    if (b == movement_)
        return;
    movement_ = b;
    SetMouseIn();
    Invalidate();
}

void TzNWColorBtn::SetFrame(bool b)
{
    if (b == frame_)
        return;
    frame_ = b;
    SetMouseIn();
    Invalidate();
}

void TzNWColorBtn::resizeEvent(QResizeEvent* e)
{
    TzEdgedButton::resizeEvent(e);
    Invalidate();
}

void TzNWColorBtn::PaintBehind(QPainter& canvas)
{
    if (!transparent_ || glassValue_ == 0)
        return;
    const TColor grey = Grey(RgbColor(glassValue_, glassValue_, glassValue_));
    canvas.save();
    canvas.setCompositionMode(QPainter::RasterOp_SourceOrDestination);
    canvas.fillRect(rect(), ColorToQColor(grey & 0xFFFFFFu));
    canvas.restore();
}

void TzNWColorBtn::PaintContent(QPainter& canvas, const QRect& caption)
{
    DrawButtonCaption(canvas, caption);
}

void TzNWColorBtn::PaintButton(QPainter& canvas)
{
    if (!transparent_)
        canvas.fillRect(rect(), FaceColor());
    if (frame_ && (!flat_ || (mouseIn_ && isEnabled()) || tracking_ || down_))
        DrawButtonEdge(canvas, width(), height(), 0, down_, ShadowQColor(), HighlightQColor());
    QRect caption(leftOffSet_, topOffSet_, width() - 2 * leftOffSet_, height() - 2 * topOffSet_);
    if (isEnabled() && Moves())
        caption.translate(1, 1);
    PaintContent(canvas, caption);
}

// ---- TzNWBitColBtn ----

TzNWBitColBtn::TzNWBitColBtn(QWidget* parent) : TzStripButton(parent) {}

void TzNWBitColBtn::SetGlyphMargin(unsigned m)
{
    glyphMargin_ = m;
    SplitBitmap();
}

void TzNWBitColBtn::SetTextOnTop(bool b)
{
    textOnTop_ = b;
    SplitBitmap();
}

void TzNWBitColBtn::PaintContent(QPainter& canvas, const QRect& caption)
{
    strip_.PickTransparent();
    const QSize picture = strip_.Up().size();
    const int margin = int(glyphMargin_);
    const TzPicturePlace place =
        PlacePicture(size(), picture, PictureSide(), margin, isEnabled() && Moves(), Moves(),
                     caption, textOnTop_ ? 0 : picture.width() + margin);
    TransparentDraw(canvas, place.at, strip_.Current(down_, isEnabled(), mouseIn_),
                    QRect(QPoint(0, 0), picture), strip_.TransparentColor());
    DrawButtonCaption(canvas, place.caption);
}

// ---- TzNWIconColBtn ----

TzNWIconColBtn::TzNWIconColBtn(QWidget* parent) : TzIconButton(parent)
{
    resize(kIconWidth, kIconHeight);
}

void TzNWIconColBtn::SetGlyphMargin(unsigned m)
{
    glyphMargin_ = m;
    Invalidate();
}

void TzNWIconColBtn::PaintContent(QPainter& canvas, const QRect& caption)
{
    const QImage& icon = icons_.Current(down_, isEnabled());
    const TzPicturePlace place =
        PlacePicture(size(), icon.size(), PictureSide(), int(glyphMargin_),
                     isEnabled() && Moves(), Moves(), caption, icon.width());
    DrawButtonCaption(canvas, place.caption);
    if (icon.width() > 0)
        canvas.drawImage(place.at, icon);
}

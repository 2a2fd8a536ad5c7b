#include "zcomponents/Zcolorbtn.h"

#include "zcomponents/Zcolor.h"

#include <QPainter>

namespace {

constexpr int kWidth = 89;
constexpr int kHeight = 33;
constexpr int kCaptionMargin = 5;
constexpr int kFocusInset = 3;
constexpr int kIconWidth = 140;
constexpr int kIconHeight = 44;
constexpr int kColorButtonKind = 1;

} // namespace

// ---- TzColorBtn ----

TzColorBtn::TzColorBtn(QWidget* parent) : TzEdgedButton(parent)
{
    resize(kWidth, kHeight);
}

int TzColorBtn::ButtonKind() const
{
    return kColorButtonKind;
}

void TzColorBtn::SetFocusRect(bool b)
{
    showFocus_ = b;
    Invalidate();
}

void TzColorBtn::SetFlat(bool b)
{
    if (b == flat_)
        return;
    flat_ = b;
    SetMouseIn();
    Invalidate();
}

void TzColorBtn::SetDefLook(TzcDefLook look)
{
    if (look == defaultLook_)
        return;
    defaultLook_ = look;
    Invalidate();
}

void TzColorBtn::enterEvent(QEnterEvent* e)
{
    TzEdgedButton::enterEvent(e);
    if (autoFocus_ && !hasFocus() && isEnabled())
        setFocus(Qt::MouseFocusReason);
}

void TzColorBtn::PaintFace(QPainter& canvas)
{
    canvas.fillRect(rect(), FaceColor());
}

void TzColorBtn::DrawCaptionText(QPainter& canvas, const QRect& caption)
{
    QFont f = font();
    if (defaultLook_ == dlBold)
        f.setBold(ShowsDefault());
    canvas.setFont(f);
    DrawButtonCaption(canvas, caption);
}

void TzColorBtn::PaintContent(QPainter& canvas, const QRect& caption)
{
    DrawCaptionText(canvas, caption);
}

void TzColorBtn::PaintButton(QPainter& canvas)
{
    const bool framed = defaultLook_ == dlFrame && ShowsDefault();
    const int d = framed ? 1 : 0;
    const int r = width() - 1, b = height() - 1;
    PaintFace(canvas);
    if (!flat_ || (mouseIn_ && isEnabled()) || tracking_ || down_)
        DrawButtonEdge(canvas, width(), height(), d, down_, ShadowQColor(), HighlightQColor());
    if (framed)
        Polyline(canvas, {{0, 0}, {r, 0}, {r, b}, {0, b}, {0, 0}}, Qt::black);
    QRect caption(kCaptionMargin, kCaptionMargin, width() - 2 * kCaptionMargin,
                  height() - 2 * kCaptionMargin);
    if (isEnabled() && down_)
        caption.translate(1, 1);
    PaintContent(canvas, caption);
    if (hasFocus() && isEnabled() && showFocus_) {
        const int inset = kFocusInset + d;
        DrawFocusRect(canvas, rect().adjusted(inset, inset, -inset, -inset));
    }
}

// ---- TzGradBtn ----

TzGradBtn::TzGradBtn(QWidget* parent) : TzGradientButton(parent) {}

void TzGradBtn::PaintFace(QPainter& canvas)
{
    PaintGradientFace(canvas);
}

// ---- TzBitColBtn ----

TzBitColBtn::TzBitColBtn(QWidget* parent) : TzStripButton(parent) {}

void TzBitColBtn::SetTextOnTop(bool b)
{
    textOnTop_ = b;
    SplitBitmap();
}

void TzBitColBtn::PaintContent(QPainter& canvas, const QRect& caption)
{
    strip_.PickTransparent();
    const QSize picture = strip_.Up().size();
    const TzPicturePlace place =
        PlacePicture(size(), picture, PictureSide(), kCaptionMargin, isEnabled() && down_, down_,
                     caption, textOnTop_ ? 0 : picture.width());
    BrushCopy(canvas, QRect(place.at, picture), strip_.Current(down_, isEnabled(), mouseIn_),
              QRect(QPoint(0, 0), picture), strip_.TransparentColor(), FaceColor());
    DrawCaptionText(canvas, place.caption);
}

// ---- TzIconColBtn ----

TzIconColBtn::TzIconColBtn(QWidget* parent) : TzIconButton(parent)
{
    resize(kIconWidth, kIconHeight);
}

void TzIconColBtn::PaintContent(QPainter& canvas, const QRect& caption)
{
    const QImage& icon = icons_.Current(down_, isEnabled());
    const TzPicturePlace place = PlacePicture(size(), icon.size(), PictureSide(), kCaptionMargin,
                                              isEnabled() && down_, down_, caption, icon.width());
    DrawCaptionText(canvas, place.caption);
    if (icon.width() > 0)
        canvas.drawImage(place.at, icon);
}

#include "zcomponents/Zshapecolorbtn.h"

#include "zcomponents/Zcolor.h"
#include "zcomponents/Zshapes.h"

#include <QPainter>

namespace {

constexpr int kSize = 50;
constexpr int kIconSize = 140;
constexpr int kFocusGrow = 3;
constexpr int kGlyphOffset = 2;
constexpr int kShapeButtonKind = 2;

} // namespace

// ---- TzcShapeColorBtn ----

TzcShapeColorBtn::TzcShapeColorBtn(QWidget* parent)
    : TzEdgedButton(parent), textSize_(7, 7, 36, 36)
{
    textSize_.OnChange = [this](QObject*) { Invalidate(); };
    SetColor(clBtnFace);
    resize(kSize, kSize);
    StateChanged();
}

int TzcShapeColorBtn::ButtonKind() const
{
    return kShapeButtonKind;
}

void TzcShapeColorBtn::SetShape(sbType s)
{
    if (s == shape_)
        return;
    shape_ = s;
    Invalidate();
}

void TzcShapeColorBtn::SetTextSize(const TzcTextSize& value)
{
    textSize_.Assign(value);
}

void TzcShapeColorBtn::SetShowFocus(bool b)
{
    showFocus_ = b;
    Invalidate();
}

void TzcShapeColorBtn::SetDefaultLook(TzcFanceDefLook look)
{
    if (look == defaultLook_)
        return;
    defaultLook_ = look;
    Invalidate();
}

QRegion TzcShapeColorBtn::RgnFromShape(int W, int H)
{
    if (shape_ == sbOwnerDraw) {
        QRegion region;
        if (OnGetRegion)
            OnGetRegion(this, region, W, H);
        return region.isEmpty() ? QRegion(0, 0, W, H) : region;
    }
    return ShapeRegion(shape_, W, H, smWindow);
}

void TzcShapeColorBtn::StateChanged()
{
    const QRegion region = RgnFromShape(width(), height());
    if (region == region_)
        return;
    region_ = region;
    setMask(region_);
}

bool TzcShapeColorBtn::PointInside(const QPoint& p) const
{
    return region_.contains(p);
}

void TzcShapeColorBtn::resizeEvent(QResizeEvent* e)
{
    TzEdgedButton::resizeEvent(e);
    Invalidate();
}

void TzcShapeColorBtn::PaintButton(QPainter& canvas)
{
    canvas.setClipRegion(region_);
    canvas.fillRect(rect(), FaceColor());
    PaintLook(canvas);
    if (shape_ == sbOwnerDraw && OnOwnerDraw) {
        OnOwnerDraw(this, &canvas, down_, width(), height(), ShadowColor(), HighLightColor());
        return;
    }
    DrawShapeEdge(canvas, shape_, width(), height(), smWindow, down_, ShadowQColor(),
                  HighlightQColor());
}

void TzcShapeColorBtn::PaintLook(QPainter& canvas)
{
    QRect caption = textSize_.Rect();
    QFont f = font();
    if (defaultLook_ == dlfBold)
        f.setBold(ShowsDefault());
    canvas.setFont(f);
    if (isEnabled() && down_)
        caption.translate(1, 1);
    DrawButtonCaption(canvas, caption);
    if (hasFocus() && isEnabled() && showFocus_)
        DrawFocusRect(canvas, caption.adjusted(-kFocusGrow, -kFocusGrow, kFocusGrow, kFocusGrow));
}

// ---- TzcShapeGradBtn ----

TzcShapeGradBtn::TzcShapeGradBtn(QWidget* parent) : TzGradientButton(parent) {}

void TzcShapeGradBtn::PaintLook(QPainter& canvas)
{
    PaintGradientFace(canvas);
    TzcShapeColorBtn::PaintLook(canvas);
}

// ---- TzcShapeBitColBtn ----

TzcShapeBitColBtn::TzcShapeBitColBtn(QWidget* parent)
    : TzStripButton(parent), offset_(kGlyphOffset, kGlyphOffset)
{
    offset_.OnChange = [this](QObject*) { SplitBitmap(); };
}

void TzcShapeBitColBtn::SetOffsetGlyph(const TzcBmpOffset& value)
{
    offset_.Assign(value);
}

void TzcShapeBitColBtn::PaintLook(QPainter& canvas)
{
    strip_.PickTransparent();
    const int d = down_ ? 1 : 0;
    const QSize picture = strip_.Up().size();
    BrushCopy(canvas, QRect(offset_.Point() + QPoint(d, d), picture),
              strip_.Current(down_, isEnabled(), false), QRect(QPoint(0, 0), picture),
              strip_.TransparentColor(), FaceColor());
    TzcShapeColorBtn::PaintLook(canvas);
}

// ---- TzcShapeIconColBtn ----

TzcShapeIconColBtn::TzcShapeIconColBtn(QWidget* parent)
    : TzIconButton(parent), offset_(kGlyphOffset, kGlyphOffset)
{
    offset_.OnChange = [this](QObject*) { Invalidate(); };
    resize(kIconSize, kIconSize);
    TextSize()->Assign(TzcTextSize(36, 36, 60, 60));
}

void TzcShapeIconColBtn::SetOffsetIcon(const TzcBmpOffset& value)
{
    offset_.Assign(value);
}

void TzcShapeIconColBtn::PaintLook(QPainter& canvas)
{
    const int d = down_ ? 1 : 0;
    const QImage& icon = icons_.Current(down_, isEnabled());
    if (icon.width() > 0)
        canvas.drawImage(offset_.Point() + QPoint(d, d), icon);
    TzcShapeColorBtn::PaintLook(canvas);
}

#include "zcomponents/Zshapebtn.h"

#include "zcomponents/Zshapes.h"

#include <QKeySequence>
#include <QPainter>

namespace {

constexpr int kSize = 25;
constexpr int kShapeButtonKind = 3;

} // namespace

TzShapeBtn::TzShapeBtn(QWidget* parent) : TzEdgedButton(parent)
{
    SetKeyboardPress(false);
    SetColor(clBtnFace);
    resize(kSize, kSize);
    StateChanged();
}

int TzShapeBtn::ButtonKind() const
{
    return kShapeButtonKind;
}

void TzShapeBtn::SetAcceleratorText(const QString& text)
{
    accelerator_ = text;
    if (shortcutId_ != 0)
        releaseShortcut(shortcutId_);
    shortcutId_ = 0;
    if (accelerator_.size() >= 2)
        shortcutId_ = grabShortcut(QKeySequence::mnemonic(accelerator_));
}

void TzShapeBtn::SetShape(sbType s)
{
    if (s == shape_)
        return;
    shape_ = s;
    SetAcceleratorText(s == sbPlus    ? QStringLiteral("&+")
                       : s == sbMinus ? QStringLiteral("&-")
                                      : QString());
    Invalidate();
}

QChar TzShapeBtn::AcceleratorKey() const
{
    return accelerator_.size() < 2 ? QChar(' ') : accelerator_.at(1);
}

void TzShapeBtn::SetAccelKey(QChar key)
{
    SetAcceleratorText(key == QChar(' ') ? QString() : QStringLiteral("&") + key);
}

void TzShapeBtn::SetTransparent(bool b)
{
    if (b == transparent_)
        return;
    transparent_ = b;
    Invalidate();
}

QRegion TzShapeBtn::RgnFromShape()
{
    const int r = width() - 1, b = height() - 1;
    if (shape_ == sbOwnerDraw) {
        QRegion region;
        if (OnGetRegion)
            OnGetRegion(this, region, width(), height());
        return region.isEmpty() ? QRegion(0, 0, r, b) : region;
    }
    return ShapeRegion(shape_, width(), height(), smGraphic);
}

void TzShapeBtn::StateChanged()
{
    const QRegion region = RgnFromShape();
    if (region == region_)
        return;
    region_ = region;
    // The edge runs along the outline's last row and column: the control shows those too.
    setMask(region_ + region_.translated(1, 0) + region_.translated(0, 1) +
            region_.translated(1, 1));
}

bool TzShapeBtn::PointInside(const QPoint& p) const
{
    return region_.contains(p);
}

void TzShapeBtn::resizeEvent(QResizeEvent* e)
{
    TzEdgedButton::resizeEvent(e);
    Invalidate();
}

void TzShapeBtn::PaintButton(QPainter& canvas)
{
    if (transparent_)
        return;
    if (shape_ == sbOwnerDraw && OnOwnerDraw) {
        OnOwnerDraw(this, &canvas, down_, width(), height(), region_, ShadowColor(),
                    HighLightColor());
        return;
    }
    canvas.setClipRegion(region_);
    canvas.fillRect(rect(), FaceColor());
    canvas.setClipping(false);
    DrawShapeEdge(canvas, shape_, width(), height(), smGraphic, down_, ShadowQColor(),
                  HighlightQColor());
}

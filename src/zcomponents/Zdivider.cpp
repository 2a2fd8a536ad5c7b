#include "zcomponents/Zdivider.h"

#include "zcomponents/Zcolor.h"

#include <QPainter>
#include <algorithm>

namespace {

constexpr int kSize = 50;
constexpr int kMinDividerSize = 2;

// The framework's three-dimensional frame: top and left in one colour, bottom and right in the
// other, width lines deep; the rectangle shrinks by the width.
void Frame3D(QPainter& p, QRect& r, const QColor& top, const QColor& bottom, int width)
{
    for (int i = 0; i < width && r.width() > 0 && r.height() > 0; ++i) {
        p.fillRect(QRect(r.left(), r.top(), r.width() - 1, 1), top);
        p.fillRect(QRect(r.left(), r.top(), 1, r.height() - 1), top);
        p.fillRect(QRect(r.right(), r.top(), 1, r.height()), bottom);
        p.fillRect(QRect(r.left(), r.bottom(), r.width(), 1), bottom);
        r.adjust(1, 1, -1, -1);
    }
}

void BevelColors(TBevelCut cut, QColor& top, QColor& bottom)
{
    top = ColorToQColor(clBtnHighlight);
    bottom = ColorToQColor(clBtnShadow);
    if (cut == bvLowered)
        std::swap(top, bottom);
}

} // namespace

// ---- TzDivider ----

TzDivider::TzDivider(QWidget* parent) : TzGraphicControl(parent)
{
    resize(kSize, kSize);
}

void TzDivider::SetOrientation(doType o)
{
    if (o == orientation_)
        return;
    orientation_ = o;
    Invalidate();
}

void TzDivider::SetRaised(bool b)
{
    if (b == raised_)
        return;
    raised_ = b;
    Invalidate();
}

void TzDivider::SetWidth(int w)
{
    resize(std::max(w, kMinDividerSize), height());
}

void TzDivider::SetHeight(int h)
{
    resize(width(), std::max(h, kMinDividerSize));
}

void TzDivider::paintEvent(QPaintEvent* /*e*/)
{
    if (height() < kMinDividerSize)
        SetHeight(height());
    if (width() < kMinDividerSize)
        SetWidth(width());
    QColor first = ColorToQColor(clBtnShadow), second = ColorToQColor(clBtnHighlight);
    if (raised_)
        std::swap(first, second);
    {
        QPainter p(this);
        if (orientation_ == doHorz) {
            p.fillRect(0, 0, width(), 1, first);
            p.fillRect(0, 1, width(), 1, second);
        } else {
            p.fillRect(0, 0, 1, height(), first);
            p.fillRect(1, 0, 1, height(), second);
        }
    }
    if (OnPaint)
        OnPaint(this);
}

// ---- TzFrame ----

TzFrame::TzFrame(QWidget* parent) : TzGraphicControl(parent)
{
    resize(kSize, kSize);
    SetPassMouseOn(true);
}

void TzFrame::SetFilled(bool b)
{
    filled_ = b;
    Invalidate();
}

void TzFrame::SetBevelInner(TBevelCut cut)
{
    bevelInner_ = cut;
    Invalidate();
}

void TzFrame::SetBevelOuter(TBevelCut cut)
{
    bevelOuter_ = cut;
    Invalidate();
}

void TzFrame::SetBevelWidth(int w)
{
    bevelWidth_ = w;
    Invalidate();
}

void TzFrame::SetBorderWidth(int w)
{
    borderWidth_ = w;
    Invalidate();
}

void TzFrame::SetColor(TColor c)
{
    color_ = c;
    parentColor_ = false;
    Invalidate();
}

void TzFrame::SetPassMouseOn(bool b)
{
    setEnabled(!b);
    setAttribute(Qt::WA_TransparentForMouseEvents, b);
}

void TzFrame::paintEvent(QPaintEvent* /*e*/)
{
    {
        QPainter p(this);
        QRect r = rect();
        const QColor color = parentColor_ ? ParentBrushColor(this) : ColorToQColor(color_);
        if (filled_)
            p.fillRect(r, color);
        QColor top, bottom;
        if (bevelOuter_ != bvNone) {
            BevelColors(bevelOuter_, top, bottom);
            Frame3D(p, r, top, bottom, bevelWidth_);
        }
        Frame3D(p, r, color, color, borderWidth_);
        if (bevelInner_ != bvNone) {
            BevelColors(bevelInner_, top, bottom);
            Frame3D(p, r, top, bottom, bevelWidth_);
        }
    }
    if (OnPaint)
        OnPaint(this);
}

#include "zcomponents/Zcontrol.h"

#include <QMouseEvent>

TzGraphicControl::TzGraphicControl(QWidget* parent) : QWidget(parent)
{
    setMouseTracking(true);
}

void TzGraphicControl::Repaint()
{
    repaint();
}

void TzGraphicControl::Invalidate()
{
    update();
}

void TzGraphicControl::Click()
{
    if (OnClick)
        OnClick(this);
}

void TzGraphicControl::mousePressEvent(QMouseEvent* event)
{
    QWidget::mousePressEvent(event);
    pressedInside_ = event->button() == Qt::LeftButton;
    const QPoint p = event->position().toPoint();
    if (OnMouseDown)
        OnMouseDown(this, event->button(), event->modifiers(), p.x(), p.y());
}

void TzGraphicControl::mouseReleaseEvent(QMouseEvent* event)
{
    QWidget::mouseReleaseEvent(event);
    const QPoint p = event->position().toPoint();
    const bool click = pressedInside_ && event->button() == Qt::LeftButton && rect().contains(p);
    pressedInside_ = false;
    if (click)
        Click();
    if (OnMouseUp)
        OnMouseUp(this, event->button(), event->modifiers(), p.x(), p.y());
}

void TzGraphicControl::mouseDoubleClickEvent(QMouseEvent* event)
{
    QWidget::mouseDoubleClickEvent(event);
    if (event->button() == Qt::LeftButton && OnDblClick)
        OnDblClick(this);
}

void TzGraphicControl::mouseMoveEvent(QMouseEvent* event)
{
    QWidget::mouseMoveEvent(event);
    const QPoint p = event->position().toPoint();
    if (OnMouseMove)
        OnMouseMove(this, event->modifiers(), p.x(), p.y());
}

void TzGraphicControl::enterEvent(QEnterEvent* event)
{
    QWidget::enterEvent(event);
    if (OnMouseEnter)
        OnMouseEnter(this);
}

void TzGraphicControl::leaveEvent(QEvent* event)
{
    QWidget::leaveEvent(event);
    if (OnMouseLeave)
        OnMouseLeave(this);
}

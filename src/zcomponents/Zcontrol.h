#pragma once
// Common ground of the collection's non-windowed controls: the mouse events of the framework
// (click, double click, down, move, up, enter, leave), each fired only when assigned and with
// the control as sender, and the two ways to get painted again.

#include "zcomponents/Std2.h"

#include <QWidget>
#include <cstdint>
#include <functional>

// Cut of a control's bevel.
enum TBevelCut : std::uint8_t { bvNone, bvLowered, bvRaised, bvSpace };

using TMouseEvent = std::function<void(QObject* Sender, Qt::MouseButton Button,
                                       Qt::KeyboardModifiers Shift, int X, int Y)>;
using TMouseMoveEvent =
    std::function<void(QObject* Sender, Qt::KeyboardModifiers Shift, int X, int Y)>;

class TzGraphicControl : public QWidget {
public:
    explicit TzGraphicControl(QWidget* parent = nullptr);

    TNotifyEvent OnClick;
    TNotifyEvent OnDblClick;
    TMouseEvent OnMouseDown;
    TMouseEvent OnMouseUp;
    TMouseMoveEvent OnMouseMove;
    TNotifyEvent OnMouseEnter;
    TNotifyEvent OnMouseLeave;

    // Paints at once (when visible).
    virtual void Repaint();
    // Asks for a paint at the next chance.
    void Invalidate();
    // What a left click inside the control does: fires OnClick.
    virtual void Click();

    int Width() const { return width(); }
    int Height() const { return height(); }
    void SetWidth(int w) { resize(w, height()); }
    void SetHeight(int h) { resize(width(), h); }

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    bool pressedInside_ = false;
};

#pragma once
// Common ground of the collection's push buttons: the press (mouse tracking, Space), Enter on a
// focused button, the dialog keys (Enter for the window's active default button, Escape for a
// Cancel button), the caption and its accelerator, focus, the modal result handed to the window
// on a click, hover, and painting through an off-screen picture. Each button adds only the
// painting of its face (and, where it has one, its outline).

#include "platform/Color.h"
#include "zcomponents/Std2.h"
#include "zcomponents/Zdraw.h"

#include <QAbstractButton>
#include <QPointer>
#include <cstdint>

// The result a click hands to the button's window (a dialog closes with a result other than 0).
using TModalResult = std::int32_t;

class TzButtonBase : public QAbstractButton {
public:
    explicit TzButtonBase(QWidget* parent = nullptr);
    ~TzButtonBase() override;

    QString Caption() const { return text(); }
    void SetCaption(const QString& caption);

    // Background colour; setting it stops taking the parent's colour.
    TColor Color() const { return color_; }
    virtual void SetColor(TColor c);
    bool ParentColor() const { return parentColor_; }
    void SetParentColor(bool b);

    TAlignment Alignment() const { return alignment_; }
    void SetAlign(TAlignment a);
    zbHorzAlign HorzAlign() const { return horzAlign_; }
    void SetHorzAlign(zbHorzAlign a);
    bool MultipleLines() const { return multipleLines_; }
    void SetMultipleLines(bool b);
    bool WordWrap() const { return wordWrap_; }
    void SetWordWrap(bool b);

    bool Default() const { return default_; }
    void SetDefault(bool b);
    bool Cancel() const { return cancel_; }
    void SetCancel(bool b) { cancel_ = b; }
    TModalResult ModalResult() const { return modalResult_; }
    void SetModalresult(TModalResult r) { modalResult_ = r; }

    // Drawn pressed.
    bool Down() const { return down_; }
    // A left-button press that began on the button is in progress.
    bool Tracking() const { return tracking_; }
    // The pointer is over the button.
    bool MouseIn() const { return mouseIn_; }
    // The button acts as its window's default button: the focused button of its kind, or,
    // when no button of its kind has the focus, a Default button.
    bool Active() const;

    // The button's click: ends a press, hands ModalResult to the window (a dialog other than 0
    // closes with it; any other window keeps it in its "ModalResult" property), then fires
    // clicked and OnClick.
    virtual void Click();

    // Paints at once / at the next chance, after the shape has followed the state.
    void Repaint();
    void Invalidate();

    TNotifyEvent OnClick;
    TNotifyEvent OnPaint;
    TNotifyEvent OnMouseEnter;
    TNotifyEvent OnMouseLeave;

protected:
    // Which buttons count as one kind for the default-button rule.
    virtual int ButtonKind() const = 0;
    // Draws the whole button into the off-screen picture (transparent at the start).
    virtual void PaintButton(QPainter& canvas) = 0;
    // Draws on the control itself before the picture is laid over it.
    virtual void PaintBehind(QPainter& /*canvas*/) {}
    // Whether a point of the control belongs to the button (the press follows it). By default
    // the client rectangle with its bottom edge.
    virtual bool PointInside(const QPoint& p) const;
    // Called before every paint request: a shaped button brings its outline up to date.
    virtual void StateChanged() {}
    // Whether the pointer over the control counts for hover (the flat look).
    virtual bool TrackHover() const { return true; }
    // Whether Enter on the focused button clicks it.
    virtual bool EnterClicks() const { return true; }

    // Keyboard pressing (Space, Enter) and the dialog keys; off for window-less buttons.
    void SetKeyboardPress(bool on);
    // The colour the face is painted in.
    QColor FaceColor() const;
    // Focused or Default: the caption is drawn bold.
    bool ShowsDefault() const { return hasFocus() || default_; }
    // The caption in the painter's font with this button's placement flags, in its enabled or
    // disabled look.
    void DrawButtonCaption(QPainter& canvas, const QRect& r) const;
    // Clears the pressed state (a disabled button is never drawn down).
    void EndPress();
    // Recomputes the hover flag from the pointer position.
    void SetMouseIn();

    bool hitButton(const QPoint& pos) const override;
    bool event(QEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;
    void paintEvent(QPaintEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void keyReleaseEvent(QKeyEvent* e) override;
    void focusInEvent(QFocusEvent* e) override;
    void focusOutEvent(QFocusEvent* e) override;
    void changeEvent(QEvent* e) override;
    void enterEvent(QEnterEvent* e) override;
    void leaveEvent(QEvent* e) override;

    bool down_ = false;
    bool tracking_ = false;
    bool mouseIn_ = false;

private:
    void WatchWindow();
    bool CanTakeFocus() const;
    bool HandleDialogKey(QKeyEvent* key);
    void AfterClick();

    TColor color_ = clBtnFace;
    bool parentColor_ = true;
    TAlignment alignment_ = taCenter;
    zbHorzAlign horzAlign_ = zbha_Center;
    bool multipleLines_ = false;
    bool wordWrap_ = false;
    bool default_ = false;
    bool cancel_ = false;
    TModalResult modalResult_ = 0;
    bool keyboardPress_ = true;
    QPointer<QWidget> watchedWindow_;
};

// A button that draws its own three-dimensional edge in two configurable colours.
class TzEdgedButton : public TzButtonBase {
public:
    using TzButtonBase::TzButtonBase;

    TColor HighLightColor() const { return highLight_; }
    void SetHigh(TColor c);
    TColor ShadowColor() const { return shadow_; }
    void SetShadow(TColor c);

protected:
    QColor HighlightQColor() const;
    QColor ShadowQColor() const;

private:
    TColor highLight_ = clBtnHighlight;
    TColor shadow_ = clBtnShadow;
};

// A caption rectangle (Left, Top, Width, Height) in control coordinates; each setter stores
// and fires OnChange.
class TzcTextSize : public QObject {
public:
    TzcTextSize(int left, int top, int width, int height);
    int Left() const { return left_; }
    int Top() const { return top_; }
    int Width() const { return width_; }
    int Height() const { return height_; }
    void SetLeft(int v);
    void SetTop(int v);
    void SetWidth(int v);
    void SetHeight(int v);
    // Copies the values of another one (OnChange once).
    void Assign(const TzcTextSize& other);
    QRect Rect() const { return QRect(left_, top_, width_, height_); }

    TNotifyEvent OnChange;

private:
    void Changed();
    int left_, top_, width_, height_;
};

// Where a glyph's top-left corner goes; each setter stores and fires OnChange.
class TzcBmpOffset : public QObject {
public:
    TzcBmpOffset(int left, int top);
    int Left() const { return left_; }
    int Top() const { return top_; }
    void SetLeft(int v);
    void SetTop(int v);
    void Assign(const TzcBmpOffset& other);
    QPoint Point() const { return QPoint(left_, top_); }

    TNotifyEvent OnChange;

private:
    void Changed();
    int left_, top_;
};

#include "zcomponents/Zbuttonbase.h"

#include "zcomponents/Zcolor.h"

#include <QApplication>
#include <QDialog>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QShortcutEvent>

namespace {

constexpr Qt::KeyboardModifiers kShiftKeys =
    Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier;

bool IsEnter(int key)
{
    return key == Qt::Key_Return || key == Qt::Key_Enter;
}

} // namespace

TzButtonBase::TzButtonBase(QWidget* parent) : QAbstractButton(parent)
{
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);
    setAttribute(Qt::WA_Hover, false);
    WatchWindow();
    connect(this, &QAbstractButton::clicked, this, [this] { AfterClick(); });
}

TzButtonBase::~TzButtonBase()
{
    if (watchedWindow_)
        watchedWindow_->removeEventFilter(this);
}

void TzButtonBase::SetCaption(const QString& caption)
{
    setText(caption);
    Invalidate();
}

void TzButtonBase::SetColor(TColor c)
{
    color_ = c;
    parentColor_ = false;
    Invalidate();
}

void TzButtonBase::SetParentColor(bool b)
{
    parentColor_ = b;
    Invalidate();
}

QColor TzButtonBase::FaceColor() const
{
    return parentColor_ ? ParentBrushColor(this) : ColorToQColor(color_);
}

void TzButtonBase::SetAlign(TAlignment a)
{
    if (a == alignment_)
        return;
    alignment_ = a;
    Invalidate();
}

void TzButtonBase::SetHorzAlign(zbHorzAlign a)
{
    horzAlign_ = a;
    Invalidate();
}

void TzButtonBase::SetMultipleLines(bool b)
{
    multipleLines_ = b;
    Invalidate();
}

void TzButtonBase::SetWordWrap(bool b)
{
    wordWrap_ = b;
    Invalidate();
}

void TzButtonBase::SetDefault(bool b)
{
    default_ = b;
    Invalidate();
}

bool TzButtonBase::Active() const
{
    const auto* focused = dynamic_cast<const TzButtonBase*>(QApplication::focusWidget());
    if (focused && focused->window() == window() && focused->ButtonKind() == ButtonKind())
        return focused == this;
    return default_;
}

void TzButtonBase::SetKeyboardPress(bool on)
{
    keyboardPress_ = on;
    setFocusPolicy(on ? Qt::StrongFocus : Qt::NoFocus);
}

void TzButtonBase::Repaint()
{
    StateChanged();
    repaint();
}

void TzButtonBase::Invalidate()
{
    StateChanged();
    update();
}

void TzButtonBase::DrawButtonCaption(QPainter& canvas, const QRect& r) const
{
    DrawCaption(canvas, r, CaptionFlags(horzAlign_, multipleLines_, wordWrap_, alignment_), text(),
                isEnabled(), palette().color(QPalette::ButtonText));
}

void TzButtonBase::EndPress()
{
    down_ = false;
    tracking_ = false;
}

void TzButtonBase::SetMouseIn()
{
    mouseIn_ = isEnabled() && TrackHover() && underMouse();
}

void TzButtonBase::Click()
{
    mouseIn_ = false;
    SetMouseIn();
    EndPress();
    Repaint();
    emit clicked(false);
}

void TzButtonBase::AfterClick()
{
    EndPress();
    QWidget* form = window();
    if (form && form != this) {
        if (auto* dialog = qobject_cast<QDialog*>(form); dialog && modalResult_ != 0)
            dialog->done(modalResult_);
        else
            form->setProperty("ModalResult", modalResult_);
    }
    if (OnClick)
        OnClick(this);
}

bool TzButtonBase::PointInside(const QPoint& p) const
{
    return p.x() >= 0 && p.x() < width() && p.y() >= 0 && p.y() <= height();
}

bool TzButtonBase::hitButton(const QPoint& pos) const
{
    return PointInside(pos);
}

bool TzButtonBase::CanTakeFocus() const
{
    return isEnabled() && isVisible() && focusPolicy() != Qt::NoFocus;
}

void TzButtonBase::WatchWindow()
{
    QWidget* form = window();
    if (form == this)
        form = nullptr;
    if (form == watchedWindow_)
        return;
    if (watchedWindow_)
        watchedWindow_->removeEventFilter(this);
    watchedWindow_ = form;
    if (form)
        form->installEventFilter(this);
}

bool TzButtonBase::HandleDialogKey(QKeyEvent* key)
{
    if (!keyboardPress_ || !EnterClicks() || (key->modifiers() & kShiftKeys) || !CanTakeFocus())
        return false;
    const bool enter = IsEnter(key->key()) && Active();
    const bool escape = key->key() == Qt::Key_Escape && cancel_;
    if (!enter && !escape)
        return false;
    Click();
    return true;
}

bool TzButtonBase::eventFilter(QObject* watched, QEvent* e)
{
    if (watched == watchedWindow_ && e->type() == QEvent::KeyPress &&
        HandleDialogKey(static_cast<QKeyEvent*>(e)))
        return true;
    return QAbstractButton::eventFilter(watched, e);
}

bool TzButtonBase::event(QEvent* e)
{
    switch (e->type()) {
    case QEvent::ParentChange:
    case QEvent::Show:
        WatchWindow();
        break;
    case QEvent::Shortcut: {
        // The caption's accelerator clicks the button at once.
        const auto* se = static_cast<QShortcutEvent*>(e);
        if (!se->isAmbiguous() && isEnabled() && (!keyboardPress_ || CanTakeFocus()))
            Click();
        return true;
    }
    default:
        break;
    }
    return QAbstractButton::event(e);
}

void TzButtonBase::paintEvent(QPaintEvent* /*e*/)
{
    QPainter widgetCanvas(this);
    PaintBehind(widgetCanvas);
    QImage picture(size(), QImage::Format_ARGB32_Premultiplied);
    picture.fill(Qt::transparent);
    {
        QPainter canvas(&picture);
        canvas.setFont(font());
        PaintButton(canvas);
    }
    widgetCanvas.drawImage(0, 0, picture);
    widgetCanvas.end();
    if (OnPaint)
        OnPaint(this);
}

void TzButtonBase::mousePressEvent(QMouseEvent* e)
{
    QWidget::mousePressEvent(e);
    e->accept();
    if (e->button() != Qt::LeftButton || !isEnabled() || !PointInside(e->position().toPoint()))
        return;
    if (!down_) {
        if (keyboardPress_)
            setFocus(Qt::MouseFocusReason);
        down_ = true;
        Repaint();
    }
    tracking_ = true;
}

void TzButtonBase::mouseMoveEvent(QMouseEvent* e)
{
    if (!mouseIn_)
        SetMouseIn();
    if (!tracking_) {
        QWidget::mouseMoveEvent(e);
        return;
    }
    const bool inside = PointInside(e->position().toPoint());
    if (inside != down_) {
        down_ = inside;
        Repaint();
    }
}

void TzButtonBase::mouseReleaseEvent(QMouseEvent* e)
{
    QWidget::mouseReleaseEvent(e);
    e->accept();
    if (!tracking_)
        return;
    const bool click = e->button() == Qt::LeftButton && down_;
    EndPress();
    if (click) {
        // A click may close the window and delete the button.
        const QPointer<TzButtonBase> self(this);
        Click();
        if (!self)
            return;
    }
    Repaint();
    SetMouseIn();
}

void TzButtonBase::keyPressEvent(QKeyEvent* e)
{
    if (keyboardPress_ && e->key() == Qt::Key_Space) {
        if (!e->isAutoRepeat() && !down_) {
            setFocus(Qt::OtherFocusReason);
            SetMouseIn();
            tracking_ = false;
            down_ = true;
            Repaint();
        }
        return;
    }
    if (keyboardPress_ && EnterClicks() && IsEnter(e->key()) && hasFocus() && CanTakeFocus()) {
        Click();
        return;
    }
    QWidget::keyPressEvent(e);
}

void TzButtonBase::keyReleaseEvent(QKeyEvent* e)
{
    if (keyboardPress_ && e->key() == Qt::Key_Space) {
        if (!e->isAutoRepeat() && down_ && !tracking_) {
            const QPointer<TzButtonBase> self(this);
            Click();
            if (!self)
                return;
            down_ = false;
            SetMouseIn();
            Repaint();
        }
        return;
    }
    QWidget::keyReleaseEvent(e);
}

void TzButtonBase::focusInEvent(QFocusEvent* e)
{
    QWidget::focusInEvent(e);
    Invalidate();
}

void TzButtonBase::focusOutEvent(QFocusEvent* e)
{
    QWidget::focusOutEvent(e);
    EndPress();
    SetMouseIn();
    Invalidate();
}

void TzButtonBase::changeEvent(QEvent* e)
{
    QAbstractButton::changeEvent(e);
    switch (e->type()) {
    case QEvent::EnabledChange:
        if (!isEnabled())
            EndPress();
        SetMouseIn();
        Invalidate();
        break;
    case QEvent::FontChange:
    case QEvent::PaletteChange:
        Invalidate();
        break;
    default:
        break;
    }
}

void TzButtonBase::enterEvent(QEnterEvent* e)
{
    QAbstractButton::enterEvent(e);
    if (!mouseIn_ && isEnabled() && TrackHover()) {
        mouseIn_ = true;
        Repaint();
    }
    if (OnMouseEnter)
        OnMouseEnter(this);
}

void TzButtonBase::leaveEvent(QEvent* e)
{
    if (mouseIn_ && !tracking_) {
        mouseIn_ = false;
        Invalidate();
    }
    QAbstractButton::leaveEvent(e);
    if (OnMouseLeave)
        OnMouseLeave(this);
}

// ---- TzEdgedButton ----

void TzEdgedButton::SetHigh(TColor c)
{
    if (c == highLight_)
        return;
    highLight_ = c;
    Invalidate();
}

void TzEdgedButton::SetShadow(TColor c)
{
    if (c == shadow_)
        return;
    shadow_ = c;
    Invalidate();
}

QColor TzEdgedButton::HighlightQColor() const
{
    return ColorToQColor(highLight_);
}

QColor TzEdgedButton::ShadowQColor() const
{
    return ColorToQColor(shadow_);
}

// ---- TzcTextSize, TzcBmpOffset ----

TzcTextSize::TzcTextSize(int left, int top, int width, int height)
    : left_(left), top_(top), width_(width), height_(height)
{
}

void TzcTextSize::Changed()
{
    if (OnChange)
        OnChange(this);
}

void TzcTextSize::SetLeft(int v)
{
    left_ = v;
    Changed();
}

void TzcTextSize::SetTop(int v)
{
    top_ = v;
    Changed();
}

void TzcTextSize::SetWidth(int v)
{
    width_ = v;
    Changed();
}

void TzcTextSize::SetHeight(int v)
{
    height_ = v;
    Changed();
}

void TzcTextSize::Assign(const TzcTextSize& other)
{
    left_ = other.left_;
    top_ = other.top_;
    width_ = other.width_;
    height_ = other.height_;
    Changed();
}

TzcBmpOffset::TzcBmpOffset(int left, int top) : left_(left), top_(top) {}

void TzcBmpOffset::Changed()
{
    if (OnChange)
        OnChange(this);
}

void TzcBmpOffset::SetLeft(int v)
{
    left_ = v;
    Changed();
}

void TzcBmpOffset::SetTop(int v)
{
    top_ = v;
    Changed();
}

void TzcBmpOffset::Assign(const TzcBmpOffset& other)
{
    left_ = other.left_;
    top_ = other.top_;
    Changed();
}

#include "zcomponents/Zminmax.h"

#include "zcomponents/Zregion.h"

#include <QEvent>
#include <QGuiApplication>
#include <QPainter>
#include <QScreen>
#include <QWidget>
#include <algorithm>

namespace {

// Shows a picture drawn by TzCompCanvas over its control; mouse input passes through.
class CanvasOverlay : public QWidget {
public:
    explicit CanvasOverlay(QWidget* control) : QWidget(control)
    {
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setAttribute(Qt::WA_NoSystemBackground);
    }
    QImage picture;

protected:
    void paintEvent(QPaintEvent*) override { QPainter(this).drawImage(0, 0, picture); }
};

bool ScreenTaskBar(const QWidget* form, QSize& screenSize, TzRect& bar)
{
    const QScreen* screen = form ? form->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return false;
    const QRect all = screen->geometry(), free = screen->availableGeometry();
    screenSize = all.size();
    if (all == free)
        return false;
    bar = {all.left(), all.top(), all.right() + 1, all.bottom() + 1};
    if (free.top() > all.top())
        bar.Bottom = free.top();
    else if (free.bottom() < all.bottom())
        bar.Top = free.bottom() + 1;
    else if (free.left() > all.left())
        bar.Right = free.left();
    else
        bar.Left = free.right() + 1;
    return true;
}

} // namespace

// ---- TzMinMax ----

TzMinMax::TzMinMax(QObject* owner) : QObject(owner), form_(OwningForm(this))
{
    TaskBar = [this](QSize& screen, TzRect& bar) { return ScreenTaskBar(form_, screen, bar); };
    SetSize();
}

TzMinMax::~TzMinMax()
{
    if (hooked_ && form_)
        form_->removeEventFilter(this);
}

#define ZMINMAX_SETTER(Name, field)                                                          \
    void TzMinMax::Name(int v)                                                               \
    {                                                                                        \
        field = v;                                                                           \
        SetSize();                                                                           \
    }
ZMINMAX_SETTER(SetMinDragWidth, minDragWidth_)
ZMINMAX_SETTER(SetMinDragHeight, minDragHeight_)
ZMINMAX_SETTER(SetMaxWidth, maxWidth_)
ZMINMAX_SETTER(SetMaxHeight, maxHeight_)
ZMINMAX_SETTER(SetMaxDragWidth, maxDragWidth_)
ZMINMAX_SETTER(SetMaxDragHeight, maxDragHeight_)
ZMINMAX_SETTER(SetMaxLeft, maxLeft_)
ZMINMAX_SETTER(SetMaxTop, maxTop_)
#undef ZMINMAX_SETTER

void TzMinMax::SetUseDefaultSize(bool b)
{
    useDefaultSize_ = b;
    SetSize();
}

void TzMinMax::SetAutoTaskBarAjust(bool b)
{
    autoTaskBarAjust_ = b;
    if (form_->isMaximized()) {
        form_->showNormal();
        form_->showMaximized();
    }
    if (hooked_)
        Apply();
}

void TzMinMax::SetShowOnStatusBar(bool b)
{
    showOnStatusBar_ = b;
    if (b && (form_->windowFlags() & Qt::Tool) == Qt::Tool) {
        const bool shown = form_->isVisible();
        form_->setWindowFlags((form_->windowFlags() & ~Qt::Tool) | Qt::Window);
        if (shown)
            form_->show();
    }
}

void TzMinMax::Loaded()
{
    if (hooked_)
        return;
    form_->installEventFilter(this);
    hooked_ = true;
    Apply();
}

void TzMinMax::SetSize()
{
    if (useDefaultSize_)
        return;
    maxWidth_ = std::max(maxWidth_, minDragWidth_);
    maxHeight_ = std::max(maxHeight_, minDragHeight_);
    maxDragWidth_ = std::max(maxDragWidth_, maxWidth_);
    maxDragHeight_ = std::max(maxDragHeight_, maxHeight_);
    QSize size = form_->size();
    if (form_->isMaximized()) {
        form_->move(maxLeft_, maxTop_);
        size = size.boundedTo(QSize(maxWidth_, maxHeight_));
    } else {
        size = size.boundedTo(QSize(maxDragWidth_, maxDragHeight_));
    }
    size = size.expandedTo(QSize(minDragWidth_, minDragHeight_));
    if (hooked_)
        Apply();
    if (size != form_->size())
        form_->resize(size);
}

void TzMinMax::MinMaxQuery(TMinMaxInfo& info)
{
    if (useDefaultSize_) {
        minDragWidth_ = info.MinTrackSize.width();
        minDragHeight_ = info.MinTrackSize.height();
        maxWidth_ = info.MaxSize.width();
        maxHeight_ = info.MaxSize.height();
        maxDragWidth_ = info.MaxTrackSize.width();
        maxDragHeight_ = info.MaxTrackSize.height();
        maxLeft_ = info.MaxPosition.x();
        maxTop_ = info.MaxPosition.y();
    }
    int minW = minDragWidth_, minH = minDragHeight_, maxW = maxWidth_, maxH = maxHeight_;
    int dragW = maxDragWidth_, dragH = maxDragHeight_, left = maxLeft_, top = maxTop_;
    QSize screen;
    TzRect bar;
    if (autoTaskBarAjust_ && TaskBar && TaskBar(screen, bar)) {
        const int sw = screen.width() + 1, sh = screen.height() + 1;
        left = 0;
        top = 0;
        dragW = sw - 1;
        dragH = sh - 1;
        if (bar.Left >= 2) {
            dragW = sw - (bar.Right - bar.Left - 1);
        } else if (bar.Top >= 2) {
            dragH = sh - (bar.Bottom - bar.Top - 1);
        } else if (sw - 2 > bar.Right) {
            left = bar.Right;
            dragW = sw - bar.Right;
        } else {
            top = bar.Bottom;
            dragH = sh - bar.Bottom;
        }
    }
    if (OnSizeChange)
        OnSizeChange(this, minW, minH, maxW, maxH, dragW, dragH, left, top);
    info.MaxSize = QSize(maxW, maxH);
    info.MaxPosition = QPoint(left, top);
    info.MaxTrackSize = QSize(dragW, dragH);
    info.MinTrackSize = QSize(minW, minH);
}

TMinMaxInfo TzMinMax::SystemInfo() const
{
    TMinMaxInfo info;
    const QScreen* screen = form_->screen();
    const QRect free =
        screen ? screen->availableGeometry() : QRect(0, 0, QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    info.MaxSize = free.size();
    info.MaxPosition = free.topLeft();
    info.MinTrackSize = QSize(0, 0);
    info.MaxTrackSize = QSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    return info;
}

void TzMinMax::Apply()
{
    if (applying_)
        return;
    applying_ = true;
    TMinMaxInfo info = SystemInfo();
    MinMaxQuery(info);
    form_->setMinimumSize(info.MinTrackSize);
    form_->setMaximumSize(info.MaxTrackSize.expandedTo(info.MinTrackSize));
    if (form_->isMaximized())
        form_->setGeometry(QRect(info.MaxPosition, info.MaxSize.boundedTo(form_->maximumSize())));
    applying_ = false;
}

bool TzMinMax::eventFilter(QObject* watched, QEvent* e)
{
    if (watched == form_ && (e->type() == QEvent::WindowStateChange || e->type() == QEvent::Show))
        Apply();
    return QObject::eventFilter(watched, e);
}

// ---- TzCompCanvas ----

TzCompCanvas::TzCompCanvas(QObject* owner) : QObject(owner) {}

TzCompCanvas::~TzCompCanvas()
{
    if (drawing_)
        Finish();
}

void TzCompCanvas::SetControlComponent(QWidget* control)
{
    if (drawing_)
        Finish();
    if (overlay_ && overlay_->parentWidget() != control)
        delete overlay_.data();
    control_ = control;
}

void TzCompCanvas::StartPaint()
{
    if (drawing_)
        throw EzCompCanvasException("We are allready drawing");
    if (!control_)
        throw EzCompCanvasException("No component to draw on");
    drawing_ = true;
    layer_ = QImage(control_->size(), QImage::Format_ARGB32_Premultiplied);
    layer_.fill(Qt::transparent);
    painter_ = std::make_unique<QPainter>(&layer_);
}

void TzCompCanvas::EndPaint()
{
    if (!drawing_)
        throw EzCompCanvasException("We are not drawing");
    Finish();
}

void TzCompCanvas::Finish()
{
    drawing_ = false;
    painter_.reset(); // a fresh canvas next time: no pen, brush or font carries over
    if (!control_)
        return;
    auto* overlay = static_cast<CanvasOverlay*>(overlay_.data());
    if (!overlay) {
        overlay = new CanvasOverlay(control_);
        overlay_ = overlay;
    }
    overlay->picture = layer_;
    overlay->setGeometry(control_->rect());
    overlay->raise();
    overlay->show();
    overlay->update();
}

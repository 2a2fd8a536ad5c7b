#include "zcomponents/Ztray.h"

#include "zcomponents/Zcolor.h"
#include "zcomponents/Zgauge.h"
#include "zcomponents/Zshowapp.h"

#include <QApplication>
#include <QCursor>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QMenu>
#include <QPainter>
#include <QPixmap>
#include <QSessionManager>
#include <QSystemTrayIcon>
#include <QWidget>
#include <algorithm>
#include <cmath>
#include <limits>

namespace {

constexpr double BarPixelsPerPercent = 0.14;
constexpr int Inner = 14; // inner pixels of the meter, 1..14
constexpr int PercentFontPoints = 7;
const char* const kPercentFont = "Arial";
constexpr int PercentMax = 100;

} // namespace

TzTrayIcon::TzTrayIcon(QWidget* owner) : QObject(owner), owner_(owner)
{
    if (TrayAvailable()) {
        tray_ = std::make_unique<QSystemTrayIcon>();
        connect(tray_.get(), &QSystemTrayIcon::activated, this,
                [this](QSystemTrayIcon::ActivationReason reason) {
                    const QPoint at = QCursor::pos();
                    switch (reason) {
                    case QSystemTrayIcon::Trigger:
                        HandleTrayMessage(tmLButtonDown, at);
                        HandleTrayMessage(tmLButtonUp, at);
                        break;
                    case QSystemTrayIcon::DoubleClick:
                        HandleTrayMessage(tmLButtonDblClk, at);
                        break;
                    case QSystemTrayIcon::MiddleClick:
                        HandleTrayMessage(tmMButtonDown, at);
                        HandleTrayMessage(tmMButtonUp, at);
                        break;
                    case QSystemTrayIcon::Context:
                        HandleTrayMessage(tmRButtonDown, at);
                        HandleTrayMessage(tmRButtonUp, at);
                        break;
                    default:
                        break;
                    }
                });
    }
    if (auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        connect(app, &QGuiApplication::commitDataRequest, this, [this](QSessionManager& manager) {
            if (!IsMainForm(owner_))
                return;
            bool mayEnd = true;
            if (OnAskEndSession)
                OnAskEndSession(this, mayEnd);
            if (!mayEnd)
                manager.cancel();
        });
    if (owner_ && !IsMainForm(owner_))
        SetHideForm(hideParentForm_);
}

TzTrayIcon::~TzTrayIcon()
{
    if (active_)
        DeleteIcon();
}

bool TzTrayIcon::TrayAvailable()
{
    return qobject_cast<QGuiApplication*>(QCoreApplication::instance()) &&
           QSystemTrayIcon::isSystemTrayAvailable();
}

bool TzTrayIcon::Shown() const
{
    return tray_ && tray_->isVisible();
}

QString TzTrayIcon::ShownToolTip() const
{
    return TipText();
}

void TzTrayIcon::SetActive(bool b)
{
    if (b == active_)
        return;
    active_ = b;
    if (b)
        AddIcon();
    else
        DeleteIcon();
}

void TzTrayIcon::SetIcon(const QIcon& icon)
{
    icon_ = icon;
    ModifyIcon();
}

void TzTrayIcon::SetToolTip(const QString& tip)
{
    toolTip_ = tip.left(MaxToolTip);
    ModifyIcon();
}

void TzTrayIcon::SetHideForm(bool b)
{
    hideParentForm_ = b;
    QMetaObject::invokeMethod(this, [this] { ApplyHideForm(); }, Qt::QueuedConnection);
}

void TzTrayIcon::ApplyHideForm()
{
    if (owner_ && !IsMainForm(owner_))
        owner_->setVisible(!hideParentForm_);
}

bool TzTrayIcon::AddIcon()
{
    if (!tray_)
        return false;
    tray_->setIcon(icon_);
    tray_->setToolTip(TipText());
    tray_->show();
    return tray_->isVisible();
}

void TzTrayIcon::ModifyIcon()
{
    if (!tray_ || !active_)
        return;
    tray_->setIcon(icon_);
    tray_->setToolTip(TipText());
}

void TzTrayIcon::DeleteIcon()
{
    if (tray_)
        tray_->hide();
}

Qt::KeyboardModifiers TzTrayIcon::GetShift() const
{
    return QGuiApplication::queryKeyboardModifiers() &
           (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
}

bool TzTrayIcon::CheckMenu()
{
    if (!doDefaultMenu_ || !active_ || !popupMenu_ || popupMenu_->actions().isEmpty())
        return false;
    QAction* item = popupMenu_->defaultAction();
    if (!item)
        return false;
    bool run = true;
    if (OnDefaultMenu)
        OnDefaultMenu(this, run);
    if (!run)
        return false;
    item->trigger();
    return true;
}

void TzTrayIcon::CheckMenuPopup(const QPoint& position, bool left)
{
    QMenu* menu = left ? leftPopupMenu_.data() : popupMenu_.data();
    if (!menu)
        return;
    const TNotifyEvent& before = left ? OnleftMenu : OnRightMenu;
    if (before)
        before(this);
    menu->popup(position);
}

void TzTrayIcon::HandleTrayMessage(TzTrayMessage message, const QPoint& p)
{
    const Qt::KeyboardModifiers shift = GetShift();
    auto down = [&](bool& flag, Qt::MouseButton button) {
        flag = true;
        if (OnMouseDown)
            OnMouseDown(this, button, shift, p.x(), p.y());
    };
    auto up = [&](Qt::MouseButton button) {
        if (OnMouseUp)
            OnMouseUp(this, button, shift, p.x(), p.y());
    };
    auto fire = [&](const TMouseEvent& event, Qt::MouseButton button) {
        if (event)
            event(this, button, shift, p.x(), p.y());
    };
    switch (message) {
    case tmMouseMove:
        if (OnMouseMove)
            OnMouseMove(this, shift, p.x(), p.y());
        break;
    case tmLButtonDown:
        down(leftDown_, Qt::LeftButton);
        break;
    case tmLButtonUp:
        if (leftDown_) {
            leftDown_ = false;
            if (OnClick)
                OnClick(this);
            CheckMenuPopup(p, true);
        }
        up(Qt::LeftButton);
        break;
    case tmLButtonDblClk:
        if (!CheckMenu() && OnDblClick)
            OnDblClick(this);
        break;
    case tmRButtonDown:
        down(rightDown_, Qt::RightButton);
        break;
    case tmRButtonUp:
        if (rightDown_) {
            rightDown_ = false;
            fire(OnRightClick, Qt::RightButton);
            CheckMenuPopup(p, false);
        }
        up(Qt::RightButton);
        break;
    case tmRButtonDblClk:
        fire(OnRightDblClick, Qt::RightButton);
        break;
    case tmMButtonDown:
        down(middleDown_, Qt::MiddleButton);
        break;
    case tmMButtonUp:
        if (middleDown_) {
            middleDown_ = false;
            fire(OnMidClick, Qt::MiddleButton);
        }
        up(Qt::MiddleButton);
        break;
    case tmMButtonDblClk:
        fire(OnMidDblClick, Qt::MiddleButton);
        break;
    }
}

// ---- TzcTrayMeter ----

TzcTrayMeter::TzcTrayMeter(QWidget* owner) : TzTrayIcon(owner)
{
    BuildIcon();
}

template <class T> void TzcTrayMeter::Change(T& field, T value)
{
    if (field == value)
        return;
    field = value;
    BuildIcon();
}

void TzcTrayMeter::SetColor(TColor c) { Change(color_, c); }
void TzcTrayMeter::SetFrameColor(TColor c) { Change(frameColor_, c); }
void TzcTrayMeter::SetPctColor(TColor c) { Change(pctColor_, c); }
void TzcTrayMeter::SetBarColor(TColor c) { Change(barColor_, c); }
void TzcTrayMeter::SetUsePctOnBar(bool b) { Change(usePctOnBar_, b); }
void TzcTrayMeter::SetUseLed(bool b) { Change(useLed_, b); }
void TzcTrayMeter::SetDirection(TzcTMDir d) { Change(direction_, d); }
void TzcTrayMeter::SetToolTipStyle(TzcTrayHintStyle s) { Change(toolTipStyle_, s); }

void TzcTrayMeter::SetValue(std::int32_t v)
{
    if (v == value_)
        return;
    value_ = std::clamp(v, min_, max_);
    BuildIcon();
}

void TzcTrayMeter::SetMax(std::int32_t v)
{
    max_ = v > min_ ? v : min_ + 1;
    value_ = std::clamp(value_, min_, max_);
    BuildIcon();
}

void TzcTrayMeter::SetMin(std::int32_t v)
{
    // Leaves room for a Max above it.
    min_ = std::min(v, std::numeric_limits<std::int32_t>::max() - 1);
    SetMax(max_);
}

std::uint8_t TzcTrayMeter::Percent() const
{
    const std::int64_t span = std::int64_t(max_) - min_;
    if (span <= 0)
        return 0;
    return std::uint8_t(std::clamp<std::int64_t>((std::int64_t(value_) - min_) * PercentMax / span, 0, PercentMax));
}

void TzcTrayMeter::SetPercent(std::uint8_t p)
{
    const int percent = std::min<int>(p, PercentMax);
    const double span = double(max_) - double(min_);
    SetValue(std::int32_t(std::trunc(span * percent / PercentMax + min_)));
}

void TzcTrayMeter::SetToolTip(const QString& tip)
{
    TzTrayIcon::SetToolTip(tip);
    BuildIcon();
}

void TzcTrayMeter::BuildIcon()
{
    QImage image(IconSize, IconSize, QImage::Format_RGB32);
    image.fill(ColorToQColor(color_));
    {
        QPainter p(&image);
        const int length = int(std::nearbyint(Percent() * BarPixelsPerPercent));
        const QColor bar = ColorToQColor(barColor_);
        switch (direction_) {
        case TzcTM_Up: p.fillRect(QRect(1, IconSize - 1 - length, Inner, length), bar); break;
        case TzcTM_Down: p.fillRect(QRect(1, 1, Inner, length), bar); break;
        case TzcTM_Left: p.fillRect(QRect(IconSize - 1 - length, 1, length, Inner), bar); break;
        case TzcTM_Right: p.fillRect(QRect(1, 1, length, Inner), bar); break;
        }
        if (useLed_) {
            p.setPen(ColorToQColor(color_));
            const bool rows = direction_ == TzcTM_Up || direction_ == TzcTM_Down;
            const int first = direction_ == TzcTM_Up || direction_ == TzcTM_Left ? 2 : 1;
            for (int i = first; i <= Inner; i += 2) {
                if (rows)
                    p.drawLine(1, i, Inner, i);
                else
                    p.drawLine(i, 1, i, Inner);
            }
        }
        if (usePctOnBar_) {
            QFont font(QString::fromLatin1(kPercentFont));
            font.setPointSize(PercentFontPoints);
            p.setFont(font);
            p.setPen(ColorToQColor(pctColor_));
            const QString text = QString::number(Percent());
            const QFontMetrics metrics(font);
            const int w = metrics.horizontalAdvance(text), h = metrics.height();
            p.drawText(QRect((IconSize - w) / 2, (IconSize - h) / 2, w, h), Qt::AlignLeft | Qt::AlignTop, text);
        }
        p.setPen(ColorToQColor(frameColor_));
        const QPoint frame[] = {{0, 0}, {0, IconSize - 1}, {IconSize - 1, IconSize - 1}, {IconSize - 1, 0}, {0, 0}};
        p.drawPolyline(frame, 5);
    }
    image_ = image;
    if (!ToolTip().isEmpty()) {
        std::vector<std::int64_t> args;
        switch (toolTipStyle_) {
        case thsPctBar: args = {Percent()}; break;
        case thsTotalBar: args = {value_}; break;
        case thsTotPct: args = {value_, Percent()}; break;
        case thsPctTot: args = {Percent(), value_}; break;
        }
        if (!FormatCaption(ToolTip(), args, tipText_))
            tipText_ = ToolTip();
    } else {
        tipText_.clear();
    }
    SetIcon(QIcon(QPixmap::fromImage(image_)));
}

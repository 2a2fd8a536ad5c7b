#include "panel/ui/Status.h"

#include "common/Helpers.h"
#include "zcomponents/Zcolor.h"
#include "zcomponents/Zgauge.h"
#include "zcomponents/Zwidgets.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QMouseEvent>
#include <QPainter>

namespace {

QPixmap Dot(const QColor& fill, const QColor& ring)
{
    QPixmap pm(TStatusFrame::ImageSize, TStatusFrame::ImageSize);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(ring, 1));
    p.setBrush(fill);
    p.drawEllipse(QRectF(2.5, 2.5, 11, 11));
    return pm;
}

} // namespace

TStatusPanel::TStatusPanel(const QString& name, QWidget* parent) : QLabel(parent)
{
    setObjectName(name);
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setAutoFillBackground(true);
    setMargin(1);
}

void TStatusPanel::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (OnDblClick)
        OnDblClick();
    QLabel::mouseDoubleClickEvent(event);
}

QPixmap TStatusFrame::CommPicture(int index)
{
    switch (index) {
    case 1: return Dot(QColor(0, 255, 0), Qt::darkGreen);     // busy
    case 2: return Dot(QColor(255, 0, 0), Qt::darkRed);       // error
    case 3: return Dot(QColor(128, 128, 128), Qt::darkGray);  // disconnected
    case 4: return Dot(QColor(255, 200, 0), QColor(128, 96, 0)); // gateway without a unit port
    default: return Dot(QColor(0, 96, 0), Qt::black);         // idle
    }
}

QPixmap TStatusFrame::LogPicture(int index)
{
    switch (index) {
    // 1 and 2 alternate while paused; a record written starts 5, 4, 3 fading back to 2.
    case 1: return Dot(QColor(0, 128, 0), Qt::black);
    case 2: return Dot(QColor(0, 255, 0), Qt::darkGreen);
    case 3: return Dot(QColor(128, 255, 64), Qt::darkGreen);
    case 4: return Dot(QColor(192, 255, 96), Qt::darkGreen);
    case 5: return Dot(QColor(255, 255, 160), Qt::darkGreen);
    default: return Dot(QColor(128, 128, 128), Qt::darkGray);
    }
}

TStatusFrame::TStatusFrame(QWidget* parent) : QFrame(parent)
{
    setObjectName("Status");
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);

    remotePanel_ = new TStatusPanel("RemotePanel", this);
    remotePanel_->setText("My Computer");
    remotePanel_->setMinimumWidth(110);
    portPanel_ = new TStatusPanel("PortPanel", this);
    portPanel_->setMinimumWidth(90);
    commPanel_ = new TStatusPanel("CommPanel", this);
    commPanel_->setFixedWidth(ImageSize + 8);
    commImage_ = new QLabel(commPanel_);
    commImage_->setObjectName("CommImage");
    commImage_->setGeometry(4, 1, ImageSize, ImageSize);
    infoPanel_ = new TStatusPanel("InfoPanel", this);
    infoPanel_->setMinimumWidth(140);
    errorPanel_ = new TStatusPanel("ErrorPanel", this);
    logPanel_ = new TStatusPanel("LogPanel", this);
    logPanel_->setFixedWidth(ImageSize + 8);
    logImage_ = new TStatusPanel("LogImage", logPanel_);
    logImage_->setFrameStyle(QFrame::NoFrame);
    logImage_->setAutoFillBackground(false);
    logImage_->setGeometry(4, 1, ImageSize, ImageSize);

    for (QWidget* panel : {static_cast<QWidget*>(remotePanel_), static_cast<QWidget*>(portPanel_),
                           static_cast<QWidget*>(commPanel_), static_cast<QWidget*>(infoPanel_),
                           static_cast<QWidget*>(errorPanel_), static_cast<QWidget*>(logPanel_)}) {
        SetPanelColor(panel, CStatusState::Silver);
        panel->setFixedHeight(ImageSize + 4);
    }
    layout->addWidget(remotePanel_);
    layout->addWidget(portPanel_);
    layout->addWidget(commPanel_);
    layout->addWidget(infoPanel_);
    layout->addWidget(errorPanel_, 1);
    layout->addWidget(logPanel_);

    remotePanel_->OnDblClick = [this] { PortPanelDblClick(); };
    portPanel_->OnDblClick = [this] { PortPanelDblClick(); };
    commPanel_->OnDblClick = [this] { PortPanelDblClick(); };
    logImage_->OnDblClick = [this] { LogImageDblClick(); };

    progressBar_ = new TzGauge(this);
    progressBar_->setObjectName("ProgressBar");
    progressBar_->SetBarColor(clNavy);
    progressBar_->SetBevelOuter(bvNone);
    progressBar_->SetBevelInner(bvLowered);
    progressBar_->SetBevelWidth(2);
    progressBar_->hide();
    portPanel_->installEventFilter(this);

    statusTimer_.setObjectName("StatusTimer");
    statusTimer_.setInterval(TimerIntervalMs);
    connect(&statusTimer_, &QTimer::timeout, this, [this] { StatusTimerTimer(); });

    Sync();
}

TStatusFrame::~TStatusFrame() = default;

void TStatusFrame::SetPanelColor(QWidget* panel, TColor colour)
{
    SetPaletteColor(panel, QPalette::Window, ColorToQColor(colour));
    SetPaletteColor(panel, QPalette::WindowText, Qt::black);
}

namespace {

// Applies a value of the state to a panel when it differs from what the panel shows.
template <typename T, typename Apply>
void IfChanged(std::optional<T>& shown, const T& now, Apply apply)
{
    if (shown && *shown == now)
        return;
    shown = now;
    apply(now);
}

template <typename Widget, typename Setter>
void IfChanged(std::optional<std::string>& shown, const std::string& now, Widget* widget, Setter set)
{
    IfChanged(shown, now, [&](const std::string& text) { (widget->*set)(QString::fromStdString(text)); });
}

} // namespace

void TStatusFrame::Sync()
{
    if (state_.ShownCommImage() != drawnComm_ && state_.ShownCommImage() >= 0) {
        drawnComm_ = state_.ShownCommImage();
        commImage_->setPixmap(CommPicture(drawnComm_));
    }
    if (state_.ShownLogImage() != drawnLog_ && state_.ShownLogImage() >= 0) {
        drawnLog_ = state_.ShownLogImage();
        logImage_->setPixmap(LogPicture(drawnLog_));
    }
    IfChanged(shown_.error, state_.ErrorText(), errorPanel_, &QLabel::setText);
    IfChanged(shown_.errorColor, state_.ErrorColor(), [&](auto c) { SetPanelColor(errorPanel_, c); });
    IfChanged(shown_.portColor, state_.PortColor(), [&](auto c) { SetPanelColor(portPanel_, c); });
    IfChanged(shown_.remoteColor, state_.RemoteColor(), [&](auto c) { SetPanelColor(remotePanel_, c); });
    IfChanged(shown_.portCaption, state_.PortCaption(), portPanel_, &QLabel::setText);
    IfChanged(shown_.portHint, state_.PortHint(), portPanel_, &QWidget::setToolTip);
    IfChanged(shown_.remoteCaption, state_.RemoteCaption(), remotePanel_, &QLabel::setText);
    IfChanged(shown_.remoteHint, state_.RemoteHint(), remotePanel_, &QWidget::setToolTip);
    IfChanged(shown_.commHint, state_.CommHint(), commPanel_, &QWidget::setToolTip);
    IfChanged(shown_.portVisible, state_.PortVisible(), [&](bool v) { portPanel_->setVisible(v); });
    IfChanged(shown_.remoteVisible, state_.RemoteVisible(), [&](bool v) { remotePanel_->setVisible(v); });
}

void TStatusFrame::SetCommState(int state)
{
    state_.SetCommState(state);
    const int shown = drawnComm_;
    Sync();
    // Drawn at once only when the picture changed: the busy mark then shows while the
    // transaction blocks, and the polls' repeated marks cost nothing.
    if (state <= CStatusState::CommError && drawnComm_ != shown)
        commImage_->repaint();
}

void TStatusFrame::SetReadingsLost(bool lost)
{
    if (lost == state_.ReadingsLost())
        return;
    state_.SetReadingsLost(lost);
    Sync();
}

void TStatusFrame::SyncErrorPanel()
{
    const Shown before = shown_;
    Sync();
    if (shown_.error != before.error || shown_.errorColor != before.errorColor)
        errorPanel_->repaint(); // at once, and only when it shows something else
}

void TStatusFrame::UpdateConnection(int mode)
{
    const bool demo = context_ ? context_->Demo() : false;
    const LinkState link = context_ ? context_->Link() : LinkState{};
    state_.UpdateConnection(mode, demo, link);
    Sync();
}

void TStatusFrame::SetConnectionText(const std::string& text)
{
    infoPanel_->setText(QString::fromStdString(text));
    infoPanel_->repaint();
}

void TStatusFrame::SetRemoteText(const std::string& text)
{
    state_.SetRemoteCaption(text);
    shown_.remoteCaption = text;
    remotePanel_->setText(QString::fromStdString(text));
    remotePanel_->repaint();
}

void TStatusFrame::SetErrorText(const std::string& text)
{
    state_.SetErrorText(text);
    SyncErrorPanel();
}

void TStatusFrame::ClearMessage()
{
    state_.ClearMessage();
    SyncErrorPanel();
}

void TStatusFrame::ShowMessage(const std::string& text)
{
    state_.ShowMessage(text);
    SyncErrorPanel();
}

void TStatusFrame::CommandAccepted()
{
    state_.CommandAccepted();
    SyncErrorPanel();
}

void TStatusFrame::ReadDone(const std::string& notRead)
{
    state_.ReadDone(notRead);
    SyncErrorPanel();
}

void TStatusFrame::ShowCommandResult(int result, int command)
{
    // The auto-finding search tries ports and speeds where no unit answers by design: its
    // probes show here but do not beep; the search tells its outcome itself.
    if (result != 0 && !(context_ && context_->AutoFindingVisible()))
        Beep();
    const std::string linkError = (context_ && result < 0) ? context_->LastLinkError() : std::string();
    const std::string csr = (context_ && result > 0) ? context_->CsrText(result) : std::string();
    state_.ShowCommandResult(result, command, linkError, csr);
    SyncErrorPanel();
}

void TStatusFrame::SetLogState(int state)
{
    state_.SetLogState(state);
}

void TStatusFrame::SetLogPanelVisible(bool visible) { logPanel_->setVisible(visible); }

void TStatusFrame::SetLogHint(const std::string& hint)
{
    logPanel_->setToolTip(QString::fromStdString(hint));
    logImage_->setToolTip(QString::fromStdString(hint));
}

void TStatusFrame::StatusTimerTimer()
{
    CStatusState::Environment env;
    if (context_) {
        const LinkState link = context_->Link();
        env.demo = context_->Demo();
        env.connected = link.connected;
        env.gateway = link.gateway;
        env.readTimerOn = context_->ReadTimerOn();
        env.autoFindingVisible = context_->AutoFindingVisible();
        env.connMode = context_->ConnMode();
    }
    state_.Tick(env);
    Sync();
}

void TStatusFrame::PortPanelDblClick()
{
    if (context_)
        context_->ShowConnectionDialog();
}

void TStatusFrame::LogImageDblClick()
{
    if (context_)
        context_->ShowLoggingWindow();
}

void TStatusFrame::PlaceProgressBar() { progressBar_->setGeometry(portPanel_->geometry()); }

void TStatusFrame::resizeEvent(QResizeEvent* event)
{
    QFrame::resizeEvent(event);
    PlaceProgressBar();
}

bool TStatusFrame::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == portPanel_ && (event->type() == QEvent::Move || event->type() == QEvent::Resize))
        PlaceProgressBar();
    return QFrame::eventFilter(watched, event);
}

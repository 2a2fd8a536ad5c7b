#include "panel/ui/Status.h"

#include "common/Helpers.h"
#include "zcomponents/Zcolor.h"
#include "zcomponents/Zgauge.h"

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
    QPalette pal = panel->palette();
    const QColor c = ColorToQColor(colour);
    if (pal.color(QPalette::Window) == c && pal.color(QPalette::WindowText) == Qt::black)
        return;
    pal.setColor(QPalette::Window, c);
    pal.setColor(QPalette::WindowText, Qt::black);
    panel->setPalette(pal);
}

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
    const QString error = QString::fromStdString(state_.ErrorText());
    if (errorPanel_->text() != error)
        errorPanel_->setText(error);
    SetPanelColor(errorPanel_, state_.ErrorColor());
    SetPanelColor(portPanel_, state_.PortColor());
    SetPanelColor(remotePanel_, state_.RemoteColor());
    portPanel_->setText(QString::fromStdString(state_.PortCaption()));
    portPanel_->setToolTip(QString::fromStdString(state_.PortHint()));
    remotePanel_->setText(QString::fromStdString(state_.RemoteCaption()));
    remotePanel_->setToolTip(QString::fromStdString(state_.RemoteHint()));
    commPanel_->setToolTip(QString::fromStdString(state_.CommHint()));
    portPanel_->setVisible(state_.PortVisible());
    remotePanel_->setVisible(state_.RemoteVisible());
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

void TStatusFrame::SyncErrorPanel()
{
    const QString text = errorPanel_->text();
    const QColor colour = errorPanel_->palette().color(QPalette::Window);
    Sync();
    if (errorPanel_->text() != text || errorPanel_->palette().color(QPalette::Window) != colour)
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

void TStatusFrame::ShowCommandResult(int result, int command)
{
    if (result != 0)
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

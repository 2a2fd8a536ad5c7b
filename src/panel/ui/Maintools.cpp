// The main window's tool items that stay on the panel side: their enabled states, the traffic
// log, the alarm panels' clicks and the audio-alarm control. The programming and technician
// tools and the Setup page's motor buttons are the service side's (src/service/ui).

#include "panel/ui/Main.h"

#include "device/Device.h"
#include "link/ui/Ostrabuslog.h"
#include "panel/Orrery.h"
#include "panel/ui/Alarmpanel.h"
#include "panel/ui/Faultsframe.h"
#include "panel/ui/Status.h"

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>

namespace {

// A click on a label, as the alarm panels take it.
class TLabelClick : public QObject {
public:
    TLabelClick(QObject* parent, std::function<void()> onClick) : QObject(parent), onClick_(std::move(onClick)) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::MouseButtonRelease &&
            static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton)
            onClick_();
        return QObject::eventFilter(watched, event);
    }

private:
    std::function<void()> onClick_;
};

} // namespace

void TMainForm::UpdateToolItems()
{
    OstraBuslogMenuItem->setEnabled(true);
    FlashingMenuItem->setEnabled(!device_->HasSocket());
    XilinxMenuItem->setEnabled(controller_->IsConnected() && controller_->ConnMode() == COrrery::ModeLocal &&
                               device_->LocalPort() != nullptr);
}

void TMainForm::OstraBuslogMenuItemClick()
{
    if (!forms_.OstraBusLog)
        return;
    forms_.OstraBusLog->show();
    forms_.OstraBusLog->raise();
}

void TMainForm::WirePageControls()
{
    auto* click = new TLabelClick(this, [this] { AlarmsPanelClick(); });
    AlarmPanel->InterlockPanel->installEventFilter(click);
    AlarmPanel->AlarmsPanel->installEventFilter(click);
    connect(FaultsFrame->DisAudioCheckBox, &QCheckBox::clicked, this, &TMainForm::DisAudioCheckBoxClick);
}

void TMainForm::AlarmsPanelClick() { PageControl->setCurrentWidget(FaultsPage); }

void TMainForm::DisAudioCheckBoxClick() { UpdateAlarms(); }

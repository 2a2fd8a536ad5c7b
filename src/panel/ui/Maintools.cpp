// The main window's programming and technician tools: the command console, the traffic log,
// the BootP window, firmware flashing and loading the logic device.

#include "panel/ui/Main.h"

#include "common/Helpers.h"
#include "device/Device.h"
#include "link/ui/Connectbar.h"
#include "link/ui/Ostrabuslog.h"
#include "panel/Orrery.h"
#include "panel/ui/Alarmpanel.h"
#include "panel/ui/Delay.h"
#include "panel/ui/Faultsframe.h"
#include "panel/ui/Status.h"
#include "service/Flash.h"
#include "service/Textfile.h"
#include "service/Xilinx.h"
#include "service/ui/Bootp.h"
#include "service/ui/Flashing.h"
#include "service/ui/Setuppage.h"
#include "service/ui/Tech.h"

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QTabWidget>
#include <QComboBox>
#include <QFileDialog>

namespace {

constexpr const char* FlashingCaption = "Flashing";
constexpr const char* HexFilter = "Hex record (*.hex);;All files (*.*)";
constexpr const char* IspFilter = "ISP files (*.isp);;All files (*.*)";

// The file chosen in an open dialog (named so that tests can find it), empty when cancelled.
std::string ChooseFile(QWidget* parent, const char* name, const char* filter)
{
    QFileDialog dialog(parent, "Open");
    dialog.setObjectName(name);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setNameFilter(filter);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().first().toStdString();
}

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

class TXilinxView : public IXilinxView {
public:
    TXilinxView(TStatusFrame* status, TDelayForm* delay) : status_(status), delay_(delay) {}
    void ShowStatusMessage(const std::string& text) override { status_->ShowMessage(text); }
    void ClearStatusMessage() override { status_->ClearMessage(); }
    void WaitForUnit(int ms) override
    {
        if (!delay_)
            return;
        delay_->SetDuration(ms);
        delay_->exec();
    }

private:
    TStatusFrame* status_;
    TDelayForm* delay_;
};

} // namespace

void TMainForm::UpdateToolItems()
{
    OstraBuslogMenuItem->setEnabled(true);
    FlashingMenuItem->setEnabled(!device_->HasSocket());
    XilinxMenuItem->setEnabled(controller_->IsConnected() && controller_->ConnMode() == COrrery::ModeLocal &&
                               device_->LocalPort() != nullptr);
}

void TMainForm::ExchangeBootPSettings(CRegistry& store)
{
    if (forms_.BootP)
        forms_.BootP->ExchangeSettings(store);
}

void TMainForm::TechBtnClick()
{
    if (!forms_.Tech)
        return;
    forms_.Tech->show();
    forms_.Tech->raise();
    forms_.Tech->activateWindow();
}

void TMainForm::OstraBuslogMenuItemClick()
{
    if (!forms_.OstraBusLog)
        return;
    forms_.OstraBusLog->show();
    forms_.OstraBusLog->raise();
}

void TMainForm::BootPMenuItemClick()
{
    if (forms_.BootP)
        forms_.BootP->exec();
}

void TMainForm::FlashingMenuItemClick()
{
    if (!forms_.StartFlashing || !forms_.FlashProgress)
        return;
    // The library and its entry point first: a missing one touches nothing.
    CFlashLibrary library;
    std::string error;
    if (!library.Load(CFlashLibrary::Candidates(programDir_), error)) {
        ShowWarning(FlashingCaption, error);
        return;
    }
    forms_.StartFlashing->FreqComboBox->setEditText(QString::number(flashFrequency_));
    if (forms_.StartFlashing->exec() != QDialog::Accepted)
        return;
    const std::string freqText = forms_.StartFlashing->FreqComboBox->currentText().toStdString();
    if (TextToInt(freqText) <= 0) { // refused before the unit is put into boot mode
        ShowWarning(FlashingCaption, "Wrong frequency: \"" + freqText + "\"");
        return;
    }
    flashFrequency_ = TextToInt(freqText);
    controller_->SetReadTimer(false);

    const std::string path = ChooseFile(this, "OpenFlashDialog", HexFilter);
    if (path.empty())
        return;
    std::vector<std::string> lines;
    CFlashBlock block;
    if (!ReadTextLines(path, lines, block.image, error)) {
        ShowWarning(FlashingCaption, error);
        return;
    }
    if (lines.empty()) {
        ShowWarning(FlashingCaption, "File is empty");
        return;
    }
    block.frequency = flashFrequency_;
    block.Reset();
    if (controller_->IsConnected()) {
        device_->EnterBootMode();
        controller_->Disconnect();
    }
    const int port = CFlash::PortNumber(ConnectBar->PortText());
    const int baud = controller_->Settings().BaudRateValue();
    CFlash flash;
    flash.Start(library.Entry(), port, baud, block);
    forms_.FlashProgress->Run(block);
    flash.Join();
}

void TMainForm::XilinxMenuItemClick()
{
    controller_->SetReadTimer(false);
    const std::string path = ChooseFile(this, "OpenXilinxDialog", IspFilter);
    if (path.empty())
        return;
    std::vector<std::string> lines;
    std::string text, error;
    if (!ReadTextLines(path, lines, text, error)) {
        ShowWarning(CXilinxProgrammer::Caption, error);
        return;
    }
    TXilinxView view(Status, forms_.Delay);
    CXilinxProgrammer::Run(*device_, lines, view);
}

void TMainForm::WirePageControls()
{
    if (SetupPage) {
        connect(SetupPage->EnableMotorsBtn, &QPushButton::clicked, this, &TMainForm::EnableMotorsBtnClick);
        connect(SetupPage->DisableMotorsBtn, &QPushButton::clicked, this, &TMainForm::DisableMotorsBtnClick);
    }
    auto* click = new TLabelClick(this, [this] { AlarmsPanelClick(); });
    AlarmPanel->InterlockPanel->installEventFilter(click);
    AlarmPanel->AlarmsPanel->installEventFilter(click);
    connect(FaultsFrame->DisAudioCheckBox, &QCheckBox::clicked, this, &TMainForm::DisAudioCheckBoxClick);
}

void TMainForm::EnableMotorsBtnClick()
{
    ClearStatus();
    device_->EnableMotors(true); // a failure is already in the status frame, which keeps it
    Status->CommandAccepted();
}

void TMainForm::DisableMotorsBtnClick()
{
    ClearStatus();
    device_->EnableMotors(false);
    Status->CommandAccepted();
}

void TMainForm::AlarmsPanelClick() { PageControl->setCurrentWidget(FaultsPage); }

void TMainForm::DisAudioCheckBoxClick() { UpdateAlarms(); }

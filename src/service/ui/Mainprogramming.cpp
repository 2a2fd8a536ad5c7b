// The service side's programming and technician tools: the command console, the BootP window,
// firmware flashing and loading the logic device.

#include "service/ui/Mainserviceside.h"

#include "common/Helpers.h"
#include "device/Device.h"
#include "panel/Orrery.h"
#include "panel/ui/Delay.h"
#include "panel/ui/Status.h"
#include "service/Flash.h"
#include "service/Flashingrun.h"
#include "service/Textlines.h"
#include "service/Xilinx.h"
#include "service/ui/Bootp.h"
#include "service/ui/Flashing.h"
#include "service/ui/Tech.h"

#include <QComboBox>
#include <QFileDialog>

namespace {

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

void TMainServiceSide::ExchangeBootPSettings(CRegistry& store)
{
    if (forms_.BootP)
        forms_.BootP->ExchangeSettings(store);
}

void TMainServiceSide::TechBtnClick()
{
    if (!forms_.Tech)
        return;
    forms_.Tech->show();
    forms_.Tech->raise();
    forms_.Tech->activateWindow();
}

void TMainServiceSide::BootPMenuItemClick()
{
    if (forms_.BootP)
        forms_.BootP->exec();
}

void TMainServiceSide::FlashingMenuItemClick()
{
    if (!forms_.StartFlashing || !forms_.FlashProgress)
        return;
    CFlashingRun::SLinks links;
    links.LibraryCandidates = CFlashLibrary::Candidates(host_.ProgramDirectory());
    links.AskFrequency = [this](int frequency, std::string& text) {
        forms_.StartFlashing->FreqComboBox->setEditText(QString::number(frequency));
        if (forms_.StartFlashing->exec() != QDialog::Accepted)
            return false;
        text = forms_.StartFlashing->FreqComboBox->currentText().toStdString();
        return true;
    };
    links.StopReadTimer = [this] { controller_->SetReadTimer(false); };
    links.ChooseImageFile = [this] { return ChooseFile(host_.Window(), "OpenFlashDialog", HexFilter); };
    links.IsConnected = [this] { return controller_->IsConnected(); };
    links.EnterBootMode = [this] {
        device_->EnterBootMode();
        controller_->Disconnect();
    };
    links.PortText = [this] { return host_.PortText(); };
    links.BaudRate = [this] { return controller_->Settings().BaudRateValue(); };
    links.ShowProgress = [this](CFlashBlock& block) { forms_.FlashProgress->Run(block); };
    links.Warn = [](const std::string& text) { ShowWarning(CFlashingRun::Caption, text); };
    CFlashingRun(links).Run(flashFrequency_);
}

void TMainServiceSide::XilinxMenuItemClick()
{
    controller_->SetReadTimer(false);
    const std::string path = ChooseFile(host_.Window(), "OpenXilinxDialog", IspFilter);
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

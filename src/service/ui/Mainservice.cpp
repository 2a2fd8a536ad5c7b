// The service side's service log (sector list, memo, save as text) and its Info page reports.

#include "service/ui/Mainserviceside.h"

#include "common/Helpers.h"
#include "device/Data.h"
#include "device/Device.h"
#include "platform/Inifile.h"
#include "service/Fieldcheck.h"
#include "service/Inforeport.h"
#include "service/Servlog.h"
#include "service/ui/Configpage.h"
#include "service/ui/Fileask.h"
#include "service/ui/Infopage.h"
#include "service/ui/Servlogframe.h"
#include "service/ui/Setuppage.h"
#include "panel/ui/Status.h"

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTextCursor>

namespace {

void AddLines(QPlainTextEdit* memo, const std::vector<std::string>& lines)
{
    for (const std::string& line : lines)
        memo->appendPlainText(QString::fromStdString(line));
}

// The selection empty, at the start.
void CaretToStart(QPlainTextEdit* memo)
{
    QTextCursor c = memo->textCursor();
    c.movePosition(QTextCursor::Start);
    memo->setTextCursor(c);
}

} // namespace

void TMainServiceSide::CreateServicePages()
{
    if (!AskFile)
        AskFile = [this](const SFileQuery& q, std::string& name) { return AskFileName(host_.Window(), q, name); };

    // The service log is a tab of the Setup page, after Sensors; its own Save stands in for Send.
    ServLogTab = new TServLogFrame(SetupPage->SetupPageControl);
    QTabWidget* setupTabs = SetupPage->SetupPageControl;
    setupTabs->insertTab(setupTabs->indexOf(SetupPage->SensorTab) + 1, ServLogTab, "Service Log");
    connect(setupTabs, &QTabWidget::currentChanged, this,
            [this] { SetupPage->SendSetupBtn->setVisible(SetupPage->SetupPageControl->currentWidget() != ServLogTab); });
    connect(ServLogTab->SectorListBox, &QListWidget::itemClicked, this, [this] { SectorListBoxClick(); });
    connect(ServLogTab->SaveServLogBtn, &QPushButton::clicked, this, &TMainServiceSide::SaveServLogBtnClick);

    InfoPage = new TInfoPage(PageControl);
    PageControl->addTab(InfoPage, "Info");
    connect(InfoPage->ConfigInfoBtn, &QPushButton::clicked, this, &TMainServiceSide::ConfigInfoBtnClick);
    connect(InfoPage->ServLogBtn, &QPushButton::clicked, this, &TMainServiceSide::ServLogBtnClick);
    connect(InfoPage->FaultsInfoBtn, &QPushButton::clicked, this, &TMainServiceSide::FaultsInfoBtnClick);

    ConfigPage = new TConfigPage(PageControl);
    PageControl->addTab(ConfigPage, "Config");
    connect(ConfigPage->SaveToFileBtn, &QPushButton::clicked, this, &TMainServiceSide::SaveToFileBtnClick);
    connect(ConfigPage->RestoreFromFileBtn, &QPushButton::clicked, this, &TMainServiceSide::RestoreFromFileBtnClick);
}

// --- service log ------------------------------------------------------------------------------

void TMainServiceSide::StatisticsText(int sector, QPlainTextEdit* memo)
{
    AddLines(memo, servlog::StatisticsLines(*device_, sector));
    CaretToStart(memo);
}

int TMainServiceSide::FillSectorList()
{
    const int r = device_->ReadServiceLog();
    if (r != 0)
        return r;
    const int active = device_->ServiceLogCount();
    QListWidget* list = ServLogTab->SectorListBox;
    list->clear();
    for (const std::string& item : servlog::SectorItems(active))
        list->addItem(QString::fromStdString(item));
    list->setCurrentRow(servlog::IsSector(active) ? active : -1);
    ServLogTab->ServLogMemo->clear();
    if (!servlog::IsSector(active)) {
        // No sector is the unit's active one: say so rather than show an empty record, and say
        // it in the status line too, which the Setup page's closing "Command accepted" leaves.
        const std::string text = servlog::NoActiveSectorText(active);
        ServLogTab->ServLogMemo->appendPlainText(QString::fromStdString(text));
        Status->ShowMessage(text);
        return 0;
    }
    StatisticsText(active, ServLogTab->ServLogMemo);
    return 0;
}

void TMainServiceSide::SectorListBoxClick()
{
    ServLogTab->ServLogMemo->clear();
    StatisticsText(ServLogTab->SectorListBox->currentRow(), ServLogTab->ServLogMemo);
}

void TMainServiceSide::SaveServLogBtnClick()
{
    SFileQuery q;
    q.Title = servlog::SaveTitle;
    q.Filter = servlog::SaveFilter;
    q.Extension = servlog::SaveExtension;
    q.Save = true;
    std::string name;
    if (!AskFile(q, name))
        return;
    // The records of the last read; the file is written whole or not at all.
    const std::vector<std::string> lines = servlog::FileLines(*device_);
    QPlainTextEdit* memo = ServLogTab->ServLogMemo;
    memo->clear();
    AddLines(memo, lines);
    std::string error;
    if (!platform::WriteFileAtomically(name, servlog::JoinLines(lines), error)) {
        ShowWarning(servlog::SaveTitle, "Service log not saved:\n" + error);
        return;
    }
    FillSectorList();
    ShowMessageBox("", servlog::SavedOk);
}

// --- Info page --------------------------------------------------------------------------------

void TMainServiceSide::ClearInfoPage()
{
    InfoPage->StatsMemo->clear();
    InfoPage->StatsLabel->clear();
}

namespace {

// Clears the status line and the memo and shows the title at once.
void StartReport(IMainHost& host, TInfoPage& page, const char* title)
{
    host.ClearStatus();
    page.StatsMemo->clear();
    page.StatsLabel->setText(title);
    page.StatsLabel->repaint();
}

} // namespace

void TMainServiceSide::ConfigInfoBtnClick()
{
    StartReport(host_, *InfoPage, inforeport::ConfigurationTitle);
    std::vector<std::string> lines;
    bool rangeRead = false;
    const int r = inforeport::Configuration(*device_, lines, &rangeRead);
    if (rangeRead) {
        // The Setup page shows the ranges as its own read does.
        for (int c : {0, 1}) {
            SetupPage->CmaxEdits[c]->setText(QString::fromStdString(ShortestText(device_->CapToPf(c, 100.0))));
            SetupPage->CminEdits[c]->setText(QString::fromStdString(ShortestText(device_->CapToPf(c, 0.0))));
        }
    }
    AddLines(InfoPage->StatsMemo, lines);
    if (r != 0)
        return;
    CaretToStart(InfoPage->StatsMemo);
    Status->ReadDone(""); // a CSR that did not end the report is no success either
}

void TMainServiceSide::ServLogBtnClick()
{
    StartReport(host_, *InfoPage, inforeport::StatisticsTitle);
    std::vector<std::string> lines;
    if (inforeport::Statistics(*device_, lines) != 0)
        return;
    const int active = device_->ServiceLogCount();
    if (!servlog::IsSector(active)) {
        // An empty report is no success: the unit named no sector to report.
        const std::string text = servlog::NoActiveSectorText(active);
        AddLines(InfoPage->StatsMemo, {text});
        Status->ShowMessage(text);
        return;
    }
    AddLines(InfoPage->StatsMemo, lines);
    CaretToStart(InfoPage->StatsMemo);
    Status->CommandAccepted();
}

void TMainServiceSide::FaultsInfoBtnClick()
{
    StartReport(host_, *InfoPage, inforeport::FaultsTitle);
    // A failed read lists nothing: the faults of an older sample are not the unit's now; nor
    // does a read without a new sample after the readings were lost.
    if (host_.UpdateReadings() != 0 || host_.ReadingsLost())
        return;
    AddLines(InfoPage->StatsMemo, inforeport::Faults(host_.Data().Latest().FaultWord()));
    CaretToStart(InfoPage->StatsMemo);
    Status->CommandAccepted();
}

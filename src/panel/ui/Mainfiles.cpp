// The main window's data logging and sample-history files: the logging window and its settings
// dialog wired to the tool bar, the menu and the status frame; save, open (with a preview of the
// selected file) and the Tarvo export of the sample history.

#include "panel/ui/Main.h"

#include "common/Helpers.h"
#include "common/Registry.h"
#include "device/Data.h"
#include "device/Device.h"
#include "panel/Chartsettings.h"
#include "panel/Historyfile.h"
#include "panel/Historyplot.h"
#include "panel/Logger.h"
#include "panel/Orrery.h"
#include "panel/Plotview.h"
#include "panel/Tarvo.h"
#include "panel/ui/Historyframe.h"
#include "panel/ui/Logging.h"
#include "panel/ui/Logsettings.h"
#include "panel/ui/Panelistbox.h"
#include "panel/ui/Status.h"
#include "platform/Inifile.h"
#include "platform/Textfile.h"

#include <QAction>
#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>

namespace {

constexpr const char* DataFilter =
    "CSV files (*.csv);;Text files (*.txt);;All files (*)";
constexpr const char* TarvoFilter = "TRV files (*.trv);;All files (*)";
constexpr const char* CaptionSave = "Save Data";
constexpr const char* CaptionOpen = "Open Data";
// Far more than a full history takes (about 20 MB); the reader keeps only the newest records.
constexpr size_t MaxHistoryFileSize = size_t(1) << 30;

std::string LocalDateTimeText() { return CSystemLogClock().Now().DateTimeText; }

} // namespace

// --- logging ------------------------------------------------------------------------------------

void TMainForm::BindLogging()
{
    TLoggingForm* logging = forms_.Logging;
    if (forms_.LogSettings && logging)
        forms_.LogSettings->Bind(&logging->Logger(), [this] { return controller_->IsLocked(); });
    if (!logging)
        return;
    logging->SetStatus(Status);
    logging->SetSettingsForm(forms_.LogSettings);
    logging->OnShown = [this](bool shown) {
        LoggingBtn->setChecked(shown);
        LoggingMenuItem->setChecked(shown);
    };
}

std::function<void(CRegistry&, const std::string&, int)> TMainForm::LogFormatExchange()
{
    if (!forms_.Logging)
        return {};
    CLogColumns& columns = forms_.Logging->Logger().Columns();
    return [&columns](CRegistry& s, const std::string& key, int table) {
        columns.ExchangeColumnFlags(s, key, table);
    };
}

void TMainForm::ExchangeLoggingSettings(CRegistry& store)
{
    if (forms_.Logging)
        forms_.Logging->Exchange(store);
}

void TMainForm::ApplyLoggingState(const COrreryUiState& s)
{
    LoggingBtn->setEnabled(s.LoggingEnabled);
    LoggingMenuItem->setEnabled(s.LoggingEnabled);
    Status->SetLogPanelVisible(s.LoggingEnabled);
    if (forms_.Logging)
        forms_.Logging->SetLocked(s.LockDown);
}

void TMainForm::SetLoggingCaption(const std::string& caption)
{
    if (forms_.Logging)
        forms_.Logging->setWindowTitle(QString::fromStdString(CChartSettings::BesideProgram(
            caption, QApplication::applicationDisplayName().toStdString())));
}

void TMainForm::LoggingBtnClick()
{
    LoggingBtn->setChecked(LoggingWindowVisible()); // the click itself toggled the button
    controller_->ToggleLogging();
}

void TMainForm::ShowLoggingWindow(bool show)
{
    if (forms_.Logging)
        forms_.Logging->ShowWindow(show);
    else
        LoggingBtn->setChecked(false);
}

bool TMainForm::LoggingWindowVisible() const
{
    return forms_.Logging && forms_.Logging->isVisible();
}

void TMainForm::StopLogging()
{
    if (forms_.Logging)
        forms_.Logging->StopLogging();
}

void TMainForm::StartLoggingAtConnect()
{
    if (forms_.Logging && forms_.Logging->Logger().Settings().LogAtConnect)
        forms_.Logging->StartLogging();
}

// --- history buttons ----------------------------------------------------------------------------

void TMainForm::CreateHistoryButtons()
{
    SaveBtn = HistoryPlot->AddToolButton("SaveBtn", "Save", "Save data");
    OpenBtn = HistoryPlot->AddToolButton("OpenBtn", "Open", "Open data");
    ExportTRVBtn = HistoryPlot->AddToolButton("ExportTRVBtn", "TRV", "Save As TRV");
    ClearBtn = HistoryPlot->AddToolButton("ClearBtn", "Clear", "Clear history");
    connect(SaveBtn, &QToolButton::clicked, this, &TMainForm::SaveBtnClick);
    connect(OpenBtn, &QToolButton::clicked, this, &TMainForm::OpenBtnClick);
    connect(ExportTRVBtn, &QToolButton::clicked, this, &TMainForm::ExportTRVBtnClick);
    connect(ClearBtn, &QToolButton::clicked, this, &TMainForm::ClearBtnClick);
    RunFileDialog = [](QFileDialog& dialog) { return dialog.exec(); };
}

// --- save ---------------------------------------------------------------------------------------

namespace {

// A save dialog that asks before overwriting; the chosen name, or "" when cancelled.
std::string AskSaveName(QWidget* parent, const std::function<int(QFileDialog&)>& run,
                        const char* title, const char* suffix, const char* filter)
{
    QFileDialog dialog(parent, title);
    dialog.setObjectName(QString(title).remove(' ') + "Dialog");
    dialog.setNameFilter(filter);
    dialog.setDefaultSuffix(suffix);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, false);
    if (run(dialog) != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return "";
    return dialog.selectedFiles().first().toStdString();
}

} // namespace

std::string TMainForm::SaveDataLog(const std::string& fileName)
{
    const std::string unitId = CDeviceLogUnit::UnitIdText(*device_);
    const std::string text = CHistoryFile::Write(data_->History(), LocalDateTimeText(), unitId);
    std::string error;
    if (!platform::WriteFileAtomically(fileName, text, error))
        return error.empty() ? "Cannot write \"" + fileName + "\"" : error;
    return "";
}

void TMainForm::SaveBtnClick()
{
    const std::string name = AskSaveName(this, RunFileDialog, "Save Data As", "csv", DataFilter);
    if (name.empty() || data_->Count() == 0)
        return;
    const std::string error = SaveDataLog(name);
    if (!error.empty())
        ShowWarning(CaptionSave, "Error: " + error);
}

void TMainForm::ExportTRVBtnClick()
{
    const std::string name = AskSaveName(this, RunFileDialog, "Save As TRV", "trv", TarvoFilter);
    if (name.empty() || data_->Count() == 0)
        return;
    const std::string text = CTarvo::Write(data_->History(), CTarvoStamp::Now());
    std::string error;
    if (!platform::WriteFileAtomically(name, text, error))
        ShowWarning(CaptionSave, "Error: " + (error.empty() ? "Cannot write \"" + name + "\"" : error));
}

// --- open ---------------------------------------------------------------------------------------

std::string TMainForm::LoadDataLog(const std::string& fileName, bool preview)
{
    std::string text, error;
    loadSkipped_ = 0;
    // The head first: its first line tells a file that is not ours, however large the file.
    bool cut = false;
    if (!platform::ReadFileHead(fileName, text, error, PreviewBytes, &cut))
        return "Error: " + error;
    if (CHistoryFile::HeadIsNotOurs(text))
        return CHistoryFile::NotOurFormat;
    if (cut && !preview) {
        text.clear();
        if (!platform::ReadFileText(fileName, text, error, MaxHistoryFileSize))
            return "Error: " + error;
        cut = false;
    }
    CHistoryFile::Result result = CHistoryFile::Read(text, cut);
    if (!result.Error.empty())
        return result.Error;
    loadSkipped_ = result.Skipped;
    data_->Clear();
    for (const CDataRec& rec : result.Records)
        data_->AppendAsIs(rec);
    if (!result.Records.empty())
        data_->Latest() = result.Records.back();
    ShowLoadedHistory();
    return "";
}

void TMainForm::ShowLoadedHistory()
{
    CPlotView& view = PlotView();
    view.FirstIndex = 0;
    const int width = PaneListBox1->viewport()->width();
    const int count = data_->Count();
    if (width > 0 && count > 0)
        view.Scale = std::min(double(width) / count, CHistoryPlot::MaxZoom);
    RefreshAll();
    RefreshPlotPanes();
    RefreshPlot();
}

void TMainForm::OpenDataDialogSelectionChange(const QString& path)
{
    const QFileInfo info(path);
    const QString ext = info.suffix().toLower();
    if (info.isFile() && (ext == "txt" || ext == "csv"))
        LoadDataLog(path.toStdString(), true); // a preview: its error is not shown
}

void TMainForm::OpenBtnClick()
{
    // What is shown now, to put back when the user cancels or the file is refused.
    std::vector<CDataRec> kept;
    kept.reserve(size_t(data_->Count()));
    for (int i = 0; i < data_->Count(); ++i)
        kept.push_back(*data_->At(i));
    const CDataRec keptLatest = data_->Latest();
    const CPlotView keptView = PlotView();

    QFileDialog dialog(this, "Open");
    dialog.setObjectName("OpenDataDialog");
    dialog.setOption(QFileDialog::DontUseNativeDialog, true); // the preview needs its signals
    dialog.setNameFilter(DataFilter);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    // Data logs are where the logger writes them.
    if (forms_.Logging) {
        const QString folder = QString::fromStdString(forms_.Logging->Logger().Settings().Path);
        if (!folder.isEmpty() && QFileInfo(folder).isDir())
            dialog.setDirectory(folder);
    }
    connect(&dialog, &QFileDialog::currentChanged, this, &TMainForm::OpenDataDialogSelectionChange);
    bool loaded = false;
    if (RunFileDialog(dialog) == QDialog::Accepted && !dialog.selectedFiles().isEmpty()) {
        const std::string error = LoadDataLog(dialog.selectedFiles().first().toStdString());
        loaded = error.empty();
        if (!loaded)
            ShowWarning(CaptionOpen, error);
        else if (loadSkipped_ > 0)
            ShowWarning(CaptionOpen, CHistoryFile::SkippedNote(loadSkipped_));
    }
    if (loaded)
        return;
    data_->Clear();
    for (const CDataRec& rec : kept)
        data_->AppendAsIs(rec);
    data_->Latest() = keptLatest;
    PlotView() = keptView;
    RefreshAll();
    RefreshPlotPanes();
    RefreshPlot();
}

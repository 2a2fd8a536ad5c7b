#include "panel/Scripted.h"

#include "device/Data.h"
#include "device/Device.h"
#include "link/ui/Connectbar.h"
#include "panel/Historyfile.h"
#include "panel/Orrery.h"
#include "panel/Plotview.h"
#include "panel/ui/Logging.h"
#include "panel/ui/Logsettings.h"
#include "panel/ui/Main.h"
#include "service/ui/Mainserviceside.h"
#include "panel/ui/Password.h"
#include "panel/ui/Status.h"
#include "platform/Inifile.h"
#include "platform/Numberformat.h"
#include "platform/Settingsfile.h"
#include "simunit/Simcommandset.h"
#include "support/Logscript.h"
#include "support/Simfixture.h"
#include "support/Tempdir.h"
#include "platform/Color.h"
#include "zcomponents/Zcolor.h"
#include "zcomponents/Zgauge.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QStackedWidget>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace {

const char* const KeyPath = "Software\\Quorvane\\Vantrel Orrery";

// Types the text into the widget as a user does: it takes the focus, then gets the keys.
void TypeInto(QWidget* w, const QString& text)
{
    w->setFocus();
    for (QChar c : text) {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
        QApplication::sendEvent(w, &press);
    }
}

struct DotFormat {
    DotFormat() { platform::NumberFormat::Install(platform::NumberFormat('.', ',')); }
    ~DotFormat() { platform::NumberFormat::Uninstall(); }
};

class LoggingTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::remove(platform::SettingsFile::PathForKey(KeyPath).c_str());
        form = std::make_unique<TMainForm>();
        side = std::make_unique<TMainServiceSide>(*form);
        form->SetData(&data);
        form->SetCommandLine({}, dir.Path());
        form->Controller()->SetVersionText("D.00");
        settings = new TLogSettingsForm(form.get());
        logging = new TLoggingForm(unit, clock, form.get());
        logging->Logger().Settings().Path = dir.Path();
        TMainForm::Forms forms;
        forms.LogSettings = settings;
        forms.Logging = logging;
        form->SetForms(forms);
        form->show();
        QCoreApplication::processEvents();
        PlotView().Reset();
    }
    void TearDown() override
    {
        form->Device()->ClosePort();
        side.reset();
        form.reset();
        PlotView().Reset();
    }
    std::string Log(int n) const { return dir.File("log_" + std::to_string(n) + ".csv"); }
    void AddSamples(int count)
    {
        for (int i = 0; i < count; ++i) {
            CDataRec& r = data.Latest();
            r.SetValue(varid::R, 40 + i * 0.5);
            r.SetValue(varid::X, -2.25 * i);
            r.SetValue(varid::LoadPosition, 10 + i);
            r.SetStatus(0x100 + uint32_t(i));
            data.Add();
        }
    }
    std::vector<double> Rs() const
    {
        std::vector<double> out;
        for (int i = 0; i < data.Count(); ++i)
            out.push_back(data.At(i)->Value(varid::R));
        return out;
    }

    DotFormat format;
    testsupport::TempDir dir;
    ScriptedHooks hooks;
    testsupport::ScriptedLogUnit unit;
    testsupport::FixedLogClock clock;
    CData data{[] { static int64_t t = 0; return t += 100; }};
    std::unique_ptr<TMainForm> form;
    std::unique_ptr<TMainServiceSide> side; // goes before the main window
    TLogSettingsForm* settings = nullptr;
    TLoggingForm* logging = nullptr;
};

TEST_F(LoggingTest, GaugeIsABlackBarOnSilverInALoweredBevel)
{
    form->LoggingBtn->click();
    ASSERT_TRUE(logging->isVisible());
    QCoreApplication::processEvents();
    TzGauge* gauge = logging->Gauge;
    EXPECT_EQ(gauge->size(), QSize(260, 17));
    EXPECT_EQ(gauge->CaptionStyle(), gaTotalBar);
    EXPECT_EQ(gauge->font().pixelSize(), TLoggingForm::GaugeFontPixels);
    logging->StartBtn->click();
    ASSERT_TRUE(logging->Logger().Logging());
    logging->LogTimerTimer();
    ASSERT_GT(gauge->Value(), 0);

    const QImage image = gauge->grab().toImage();
    const int w = image.width(), h = image.height(), mid = h / 2;
    EXPECT_EQ(image.pixel(0, 0), ColorToQColor(clBtnShadow).rgb()); // lowered: dark top left
    EXPECT_EQ(image.pixel(w - 1, h - 1), ColorToQColor(clBtnHighlight).rgb());
    EXPECT_EQ(image.pixel(w - 4, mid), qRgb(0xC0, 0xC0, 0xC0)); // silver beyond the bar
    bool blackBar = false;
    for (int x = 0; x < 10; ++x)
        blackBar = blackBar || image.pixel(x, mid) == qRgb(0, 0, 0);
    EXPECT_TRUE(blackBar);
    logging->StopBtn->click();
}

TEST_F(LoggingTest, ToolBarShowsTheWindowWhoseButtonsRunTheLogger)
{
    ASSERT_TRUE(form->LoggingBtn->isEnabled());
    form->LoggingBtn->click();
    EXPECT_TRUE(logging->isVisible());
    EXPECT_TRUE(form->LoggingBtn->isChecked());
    EXPECT_TRUE(form->LoggingMenuItem->isChecked());
    EXPECT_EQ(logging->FileNameEdit->text().toStdString(), Log(0));
    EXPECT_FALSE(logging->PauseBtn->isEnabled());

    logging->StartBtn->click();
    ASSERT_TRUE(logging->Logger().Logging());
    EXPECT_TRUE(logging->StartBtn->isChecked());
    EXPECT_FALSE(logging->StopBtn->isChecked());
    EXPECT_TRUE(logging->PauseBtn->isEnabled());
    EXPECT_TRUE(logging->LogTimer->isActive());
    EXPECT_EQ(form->Status->State().LogState(), 2);
    logging->LogTimerTimer();
    logging->LogTimerTimer();
    EXPECT_EQ(logging->Gauge->Caption().toStdString(), "0.4 KB");

    logging->PauseBtn->click();
    EXPECT_FALSE(logging->LogTimer->isActive());
    EXPECT_EQ(form->Status->State().LogState(), 1);
    logging->PauseBtn->click();
    EXPECT_TRUE(logging->LogTimer->isActive());

    logging->StopBtn->click();
    EXPECT_FALSE(logging->Logger().Logging());
    EXPECT_TRUE(logging->StopBtn->isChecked());
    EXPECT_FALSE(logging->PauseBtn->isEnabled());
    EXPECT_EQ(form->Status->State().LogState(), 0);
    EXPECT_EQ(testsupport::ReadAll(Log(0)).substr(0, 27), ";Log File of Vantrel Orrery");

    // The status frame's log panel carries the file's name and size.
    QWidget* logImage = form->Status->findChild<QWidget*>("LogImage");
    ASSERT_NE(logImage, nullptr);
    EXPECT_EQ(logImage->toolTip().toStdString(), Log(0) + "  0.4 KB");

    // The menu item hides it again; so does closing the window.
    form->LoggingMenuItem->trigger();
    EXPECT_FALSE(logging->isVisible());
    EXPECT_FALSE(form->LoggingBtn->isChecked());
    form->LoggingBtn->click();
    logging->close();
    EXPECT_FALSE(form->LoggingBtn->isChecked());

    // A double click on the status frame's log image shows it.
    const QPointF at(4, 4);
    QMouseEvent dbl(QEvent::MouseButtonDblClick, at, logImage->mapToGlobal(at), Qt::LeftButton,
                    Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(logImage, &dbl);
    EXPECT_TRUE(logging->isVisible());
    EXPECT_TRUE(form->LoggingBtn->isChecked());
}

TEST_F(LoggingTest, LockDisablesStartAndStop)
{
    auto* password = new TPasswordForm(form.get());
    TMainForm::Forms forms = form->GetForms();
    forms.Password = password;
    form->SetForms(forms);
    QTimer::singleShot(0, password, [password] {
        password->PasswordEdit->setText("pw");
        password->OkBtn->click();
    });
    form->LockBtn->click();
    ASSERT_TRUE(form->Controller()->IsLocked());
    EXPECT_FALSE(logging->StartBtn->isEnabled());
    EXPECT_FALSE(logging->StopBtn->isEnabled());
    EXPECT_FALSE(logging->PauseBtn->isEnabled());
    EXPECT_TRUE(form->LoggingBtn->isEnabled());
    QTimer::singleShot(0, settings, [this] {
        EXPECT_FALSE(settings->OKBtn->isEnabled());
        settings->CancelBtn->click();
    });
    logging->SettingsBtn->click();
}

TEST_F(LoggingTest, SettingsDialogPreviewsAndAppliesOnOk)
{
    settings->Bind(&logging->Logger(), [] { return false; });
    QTimer::singleShot(0, settings, [this] {
        EXPECT_TRUE(settings->OKBtn->isEnabled());
        settings->PathEdit->selectAll();
        TypeInto(settings->PathEdit, "/data/runs");
        settings->NameEdit->selectAll();
        TypeInto(settings->NameEdit, "run");
        settings->FileNSpinEdit->setValue(7);
        EXPECT_EQ(settings->FileNameEdit->text().toStdString(), "/data/runs/run_7.csv");
        // Browsing starts in an existing folder only; cancelling keeps the path.
        QString start = "unset";
        settings->AskFolder = [&start](const QString& from) {
            start = from;
            return QString();
        };
        settings->BrowseBtn->click();
        EXPECT_TRUE(start.isEmpty());
        EXPECT_EQ(settings->PathEdit->text().toStdString(), "/data/runs");
        settings->WriteHeaderCheckBox->click();
        EXPECT_TRUE(settings->CommentEdit->isReadOnly());
        settings->WriteHeaderCheckBox->click();
        EXPECT_FALSE(settings->CommentEdit->isReadOnly());
        settings->ExtendedRadio->click();
        EXPECT_EQ(settings->FormatNotebook->currentWidget(), settings->ExtCheckListBox);
        ASSERT_EQ(settings->ExtCheckListBox->count(), 18);
        EXPECT_EQ(settings->ExtCheckListBox->item(2)->text(), "Hours");
        settings->ExtCheckListBox->item(2)->setCheckState(Qt::Unchecked);
        settings->OKBtn->click();
    });
    logging->SettingsBtn->click();
    const CLogSettings& s = logging->Logger().Settings();
    EXPECT_EQ(s.Path, "/data/runs");
    EXPECT_EQ(s.Name, "run");
    EXPECT_EQ(s.FileN, 7);
    EXPECT_EQ(s.FormatSelect, 1);
    EXPECT_EQ(logging->Logger().Columns().Flags(2), "110111111111111111");
    EXPECT_EQ(logging->FileNameEdit->text().toStdString(), "/data/runs/run_7.csv");
}

TEST_F(LoggingTest, StartAfterAnEarlierRunLeavesItsLogAsItWas)
{
    settings->Bind(&logging->Logger(), [] { return false; });
    // Settings saved before the earlier run logged name file 0; that run left log_0.csv.
    platform::IniFile ini(dir.File("a.orrery"));
    ASSERT_TRUE(form->Controller()->ExchangeSettings(false, &ini));
    EXPECT_EQ(ini.ReadString("Logging", "FileN", ""), "0");
    const std::string earlier = ";Log File of Vantrel Orrery. Created: earlier\r\n;Sample number\r\n0\r\n";
    testsupport::WriteAll(Log(0), earlier);
    ASSERT_TRUE(form->Controller()->ExchangeSettings(true, &ini));
    settings->ShowFileSettings();
    EXPECT_EQ(settings->FileNSpinEdit->value(), 0);

    logging->StartBtn->click();
    ASSERT_TRUE(logging->Logger().Logging());
    EXPECT_EQ(testsupport::ReadAll(Log(0)), earlier);
    EXPECT_EQ(logging->FileNameEdit->text().toStdString(), Log(1));
    EXPECT_EQ(settings->FileNSpinEdit->value(), 1); // the dialog's number follows
    EXPECT_EQ(settings->FileNameEdit->text().toStdString(), Log(1));
    logging->StopBtn->click();
    EXPECT_TRUE(std::filesystem::exists(Log(1)));
    EXPECT_EQ(logging->Logger().Settings().FileN, 2);
    EXPECT_TRUE(hooks.shown.empty());
}

TEST_F(LoggingTest, SettingsDialogRefusesOkWhileLogging)
{
    logging->StartBtn->click();
    ASSERT_TRUE(logging->Logger().Logging());
    QTimer::singleShot(0, settings, [this] {
        EXPECT_FALSE(settings->OKBtn->isEnabled());
        settings->IntervalSpinEdit->setValue(5000);
        settings->CancelBtn->click();
    });
    logging->SettingsBtn->click();
    EXPECT_EQ(logging->Logger().Settings().Interval, 1000);
}

TEST_F(LoggingTest, SaveAndOpenRoundTripAndPreviewRestoredOnCancel)
{
    AddSamples(5);
    const std::string file = dir.File("history.csv");
    form->RunFileDialog = [&](QFileDialog& d) {
        EXPECT_EQ(d.windowTitle(), "Save Data As");
        d.selectFile(QString::fromStdString(file));
        return int(QDialog::Accepted);
    };
    form->SaveBtn->click();
    ASSERT_TRUE(std::filesystem::exists(file));
    const std::vector<double> saved = Rs();

    // Another history is shown; opening the file brings the saved one back.
    data.Clear();
    AddSamples(2);
    form->RunFileDialog = [&](QFileDialog& d) {
        d.selectFile(QString::fromStdString(file));
        return int(QDialog::Accepted);
    };
    form->OpenBtn->click();
    EXPECT_EQ(Rs(), saved);
    EXPECT_EQ(data.At(4)->Status(), 0x104u);
    EXPECT_EQ(data.At(4)->Time(), 400);
    EXPECT_TRUE(hooks.shown.empty());

    // Previewing a file and cancelling restores what was shown before, view included.
    data.Clear();
    AddSamples(3);
    const std::vector<double> before = Rs();
    PlotView().FirstIndex = 2;
    PlotView().Scale = 3.0;
    form->RunFileDialog = [&](QFileDialog& d) {
        emit d.currentChanged(QString::fromStdString(file));
        EXPECT_EQ(data.Count(), 5); // the preview shows the selected file
        EXPECT_EQ(PlotView().FirstIndex, 0);
        return int(QDialog::Rejected);
    };
    form->OpenBtn->click();
    EXPECT_EQ(Rs(), before);
    EXPECT_EQ(PlotView().FirstIndex, 2);
    EXPECT_EQ(PlotView().Scale, 3.0);
}

TEST_F(LoggingTest, RefusedFileWarnsAndKeepsTheHistory)
{
    AddSamples(10);
    const std::vector<double> before = Rs();
    const std::pair<std::string, std::string> refused[] = {
        // Another program's file, and what a power loss leaves (NUL bytes).
        {"Date,Value\r\n1,2\r\n", "Not VantrelOrrery file format"},
        {std::string(8192, '\0'), "Not VantrelOrrery file format"},
        // Comment lines only, a column header among them: no data line for it to head.
        {";Log File of Vantrel Orrery. Created: x\r\n;comment\r\n;Sample number,R\r\n", "No header line"},
    };
    for (const auto& [content, warning] : refused) {
        hooks.shown.clear();
        const std::string file = dir.File("other.csv");
        testsupport::WriteAll(file, content);
        form->RunFileDialog = [&](QFileDialog& d) {
            emit d.currentChanged(QString::fromStdString(file)); // the preview leaves it too
            EXPECT_EQ(Rs(), before);
            d.selectFile(QString::fromStdString(file));
            return int(QDialog::Accepted);
        };
        form->OpenBtn->click();
        EXPECT_EQ(Rs(), before) << warning;
        ASSERT_EQ(hooks.shown.size(), 1u) << warning;
        EXPECT_EQ(hooks.shown[0].caption, "Open Data");
        EXPECT_EQ(hooks.shown[0].text, warning);
    }

    // A missing file.
    EXPECT_EQ(form->LoadDataLog(dir.File("none.csv")).rfind("Error: ", 0), 0u);
    EXPECT_EQ(Rs(), before);

    // Save still writes the history that is shown.
    const std::string saved = dir.File("kept.csv");
    form->RunFileDialog = [&](QFileDialog& d) {
        d.selectFile(QString::fromStdString(saved));
        return int(QDialog::Accepted);
    };
    form->SaveBtn->click();
    EXPECT_EQ(CHistoryFile::Read(testsupport::ReadAll(saved)).Records.size(), 10u);
}

TEST_F(LoggingTest, OpenedFileWithBadRowsWarnsHowManyWereSkipped)
{
    AddSamples(3);
    const std::string file = dir.File("history.csv");
    form->RunFileDialog = [&](QFileDialog& d) {
        d.selectFile(QString::fromStdString(file));
        return int(QDialog::Accepted);
    };
    form->SaveBtn->click();
    const std::string saved = testsupport::ReadAll(file);
    ASSERT_FALSE(saved.empty());
    const std::string badRow = "9,900\r\n"; // too few fields
    for (const auto& [bad, warning] : std::vector<std::pair<int, std::string>>{
             {1, "1 line could not be read and was skipped"}, {2, "2 lines could not be read and were skipped"}}) {
        hooks.shown.clear();
        std::string text = saved;
        for (int i = 0; i < bad; ++i)
            text += badRow;
        testsupport::WriteAll(file, text);
        form->OpenBtn->click();
        EXPECT_EQ(data.Count(), 3);
        ASSERT_EQ(hooks.shown.size(), 1u) << bad;
        EXPECT_EQ(hooks.shown[0].caption, "Open Data");
        EXPECT_EQ(hooks.shown[0].text, warning);
    }
}

TEST_F(LoggingTest, PreviewReadsOnlyTheHeadOfAHugeFile)
{
    // A history whose records are followed by far more than the reader takes whole (a sparse
    // file: it costs no disk).
    AddSamples(5);
    const std::string file = dir.File("huge.csv");
    form->RunFileDialog = [&](QFileDialog& d) {
        d.selectFile(QString::fromStdString(file));
        return int(QDialog::Accepted);
    };
    form->SaveBtn->click();
    const std::vector<double> saved = Rs();
    std::filesystem::resize_file(file, (std::uintmax_t(3) << 30) / 2);

    data.Clear();
    AddSamples(2);
    const std::vector<double> before = Rs();
    form->RunFileDialog = [&](QFileDialog& d) {
        emit d.currentChanged(QString::fromStdString(file));
        EXPECT_EQ(Rs(), saved); // the head of the file, its records
        return int(QDialog::Rejected);
    };
    form->OpenBtn->click();
    EXPECT_EQ(Rs(), before);
    EXPECT_TRUE(hooks.shown.empty());
}

// Bytes this process has read from files so far, as the system counts them.
uint64_t BytesReadByProcess()
{
    std::ifstream io("/proc/self/io");
    std::string key;
    uint64_t value = 0;
    while (io >> key >> value)
        if (key == "rchar:")
            return value;
    ADD_FAILURE() << "no read count in /proc/self/io";
    return 0;
}

TEST_F(LoggingTest, OpeningAHugeFileOfAnotherKindReadsOnlyItsHead)
{
    // What a power loss can leave: 900 MiB of NUL bytes (a sparse file: it costs no disk).
    AddSamples(3);
    const std::vector<double> before = Rs();
    const std::string file = dir.File("zeros.csv");
    testsupport::WriteAll(file, "");
    std::filesystem::resize_file(file, std::uintmax_t(900) << 20);
    form->RunFileDialog = [&](QFileDialog& d) {
        d.selectFile(QString::fromStdString(file));
        return int(QDialog::Accepted);
    };
    const uint64_t readBefore = BytesReadByProcess();
    form->OpenBtn->click();
    const uint64_t read = BytesReadByProcess() - readBefore;
    EXPECT_LE(read, uint64_t(TMainForm::PreviewBytes) + (uint64_t(1) << 20));
    EXPECT_EQ(Rs(), before);
    ASSERT_EQ(hooks.shown.size(), 1u);
    EXPECT_EQ(hooks.shown[0].caption, "Open Data");
    EXPECT_EQ(hooks.shown[0].text, "Not VantrelOrrery file format");
}

TEST_F(LoggingTest, OpenDialogStartsWhereTheLoggerWrites)
{
    // The logger's folder, as the log settings dialog sets it.
    const std::string folder = dir.File("logs");
    std::filesystem::create_directory(folder);
    logging->Logger().Settings().Path = folder;
    QString shown;
    form->RunFileDialog = [&](QFileDialog& d) {
        shown = d.directory().absolutePath();
        return int(QDialog::Rejected);
    };
    form->OpenBtn->click();
    EXPECT_EQ(shown.toStdString(), std::filesystem::canonical(folder).string());
    EXPECT_NE(shown.toStdString(), std::filesystem::current_path().string());
}

TEST_F(LoggingTest, NamedPipeTypedInTheOpenDialogOrADeviceIsRefusedAtOnce)
{
    AddSamples(3);
    const std::vector<double> before = Rs();
    const std::string fifo = dir.File("pipe.csv");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    bool typed = false;
    form->RunFileDialog = [&](QFileDialog& d) {
        // The path typed into the dialog's name field, then Enter, as a user does.
        QTimer::singleShot(0, &d, [&] {
            auto* edit = d.findChild<QLineEdit*>("fileNameEdit");
            ASSERT_NE(edit, nullptr);
            edit->setFocus();
            edit->setText(QString::fromStdString(fifo));
            QTest::keyClick(edit, Qt::Key_Return);
            typed = true;
            if (d.isVisible()) // the dialog did not take the name: nothing to test
                d.reject();
        });
        return d.exec();
    };
    form->OpenBtn->click();
    EXPECT_TRUE(typed);
    EXPECT_EQ(Rs(), before);
    ASSERT_EQ(hooks.shown.size(), 1u);
    EXPECT_EQ(hooks.shown[0].caption, "Open Data");
    EXPECT_EQ(hooks.shown[0].text, "Error: Cannot read \"" + fifo + "\": not a regular file (a named pipe)");

    form->RunFileDialog = [&](QFileDialog& d) {
        d.selectFile("/dev/zero");
        return int(QDialog::Accepted);
    };
    form->OpenBtn->click();
    EXPECT_EQ(Rs(), before);
    ASSERT_EQ(hooks.shown.size(), 2u);
    EXPECT_EQ(hooks.shown[1].text, "Error: Cannot read \"/dev/zero\": not a regular file (a device)");
}

TEST_F(LoggingTest, SaveFailureWarnsAndTarvoExportWritesTheFile)
{
    AddSamples(2);
    form->RunFileDialog = [&](QFileDialog& d) {
        d.selectFile(QString::fromStdString(dir.File("no/such/folder/h.csv")));
        return int(QDialog::Accepted);
    };
    form->SaveBtn->click();
    ASSERT_EQ(hooks.shown.size(), 1u);
    EXPECT_EQ(hooks.shown[0].caption, "Save Data");
    EXPECT_EQ(hooks.shown[0].text.rfind("Error: ", 0), 0u);

    const std::string trv = dir.File("h.trv");
    form->RunFileDialog = [&](QFileDialog& d) {
        EXPECT_EQ(d.windowTitle(), "Save As TRV");
        d.selectFile(QString::fromStdString(trv));
        return int(QDialog::Accepted);
    };
    form->ExportTRVBtn->click();
    const std::string text = testsupport::ReadAll(trv);
    EXPECT_EQ(text.substr(0, 8), ";Tarvo\r\n");
    EXPECT_NE(text.find("\r\n100,"), std::string::npos); // the second sample, 100 ms on

    // An empty history writes nothing.
    data.Clear();
    std::filesystem::remove(trv);
    form->ExportTRVBtn->click();
    EXPECT_FALSE(std::filesystem::exists(trv));
}

TEST_F(LoggingTest, HistoryButtonsOnlyWhileTheReadTimerIsOff)
{
    form->SetReadTimer(true);
    EXPECT_FALSE(form->SaveBtn->isEnabled());
    EXPECT_FALSE(form->OpenBtn->isEnabled());
    form->SetReadTimer(false);
    EXPECT_TRUE(form->SaveBtn->isEnabled());
    EXPECT_TRUE(form->OpenBtn->isEnabled());
}

TEST(LoggingUnit, LogAtConnectLogsTheSimulatedUnit)
{
    std::remove(platform::SettingsFile::PathForKey(KeyPath).c_str());
    testsupport::TempDir dir;
    ScriptedHooks hooks;
    testsupport::SimPty sim;
    ASSERT_TRUE(sim.Ok()) << sim.Error();
    auto state = simunit::InstallDeviceCommands(sim.Unit());
    CData data;
    TMainForm form;
    TMainServiceSide side(form);
    form.SetData(&data);
    form.SetCommandLine({}, dir.Path());
    form.Controller()->SetVersionText("D.00");
    auto* logging = new TLoggingForm(*form.Device(), &form);
    TMainForm::Forms forms;
    forms.Logging = logging;
    form.SetForms(forms);
    CLogSettings& s = logging->Logger().Settings();
    s.Path = dir.Path();
    s.LogAtConnect = true;
    s.RFON = false;
    form.show();
    QCoreApplication::processEvents();
    form.Controller()->Settings().BaudRate = "9600";
    form.SetPortText(sim.Path());
    form.ConnectBar->ConnectBtn()->click();
    ASSERT_TRUE(form.Device()->IsConnected());
    ASSERT_TRUE(logging->Logger().Logging());
    const std::string file = dir.File("log_0.csv");
    const auto headerSize = std::filesystem::file_size(file);
    logging->LogTimerTimer();
    logging->LogTimerTimer();
    EXPECT_GT(std::filesystem::file_size(file), headerSize);
    EXPECT_EQ(logging->Logger().SampleNumber(), 2);
    // The log reads back as a history.
    const CHistoryFile::Result back = CHistoryFile::Read(testsupport::ReadAll(file));
    EXPECT_EQ(back.Error, "");
    EXPECT_EQ(back.Records.size(), 2u);

    form.ConnectBar->ConnectBtn()->click(); // disconnecting stops the logger
    EXPECT_FALSE(logging->Logger().Logging());
    EXPECT_EQ(s.FileN, 1);
    form.Device()->ClosePort();
}

} // namespace

namespace {

TEST_F(LoggingTest, SettingsFilesKeepTheLoggingSectionAndTheColumnFlags)
{
    CLogSettings& s = logging->Logger().Settings();
    s.Comment = "bench 3";
    s.MaxLen = 2000;
    s.FormatSelect = 1;
    logging->Logger().Columns().SetFlags(2, "10");
    platform::IniFile ini(dir.File("a.orrery"));
    ASSERT_TRUE(form->Controller()->ExchangeSettings(false, &ini));
    EXPECT_EQ(ini.ReadString("Logging", "Comment", ""), "bench 3");
    EXPECT_EQ(ini.ReadString("Main", "LogFormat2", ""), "101111111111111111");

    s.Comment = "changed";
    s.MaxLen = 100;
    logging->Logger().Columns().SetFlags(2, "111");
    ini.WriteString("Logging", "Interval", "0"); // out of the dialog's range
    ASSERT_TRUE(form->Controller()->ExchangeSettings(true, &ini));
    EXPECT_EQ(s.Comment, "bench 3");
    EXPECT_EQ(s.MaxLen, 2000);
    EXPECT_EQ(s.Interval, CLogSettings::MinInterval);
    EXPECT_EQ(logging->Logger().Columns().Flags(2), "101111111111111111");

    // A header in the settings names the logging window too.
    const QString program = QGuiApplication::applicationDisplayName();
    form->Controller()->Settings().Caption = "Chamber 2";
    form->Controller()->UpdateUi();
    // The platform shows the program's caption after the window's own title: the header once.
    EXPECT_EQ(QGuiApplication::applicationDisplayName().toStdString(), "Chamber 2 - Vantrel Orrery");
    EXPECT_EQ(logging->windowTitle().toStdString(), "Logging");
    QGuiApplication::setApplicationDisplayName(program);
}

} // namespace

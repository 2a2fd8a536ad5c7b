// The main window with the Smith chart and Capacitors windows and the history plot: the tool
// buttons and menu items open and close the windows, polls of the simulated unit move both
// traces, the settings file keeps the windows' sections, and the history plot zooms, scrolls
// and drag-zooms the lower pane.

#include "panel/Scripted.h"
#include "panel/ui/Toolwindowchecks.h"

#include "device/Data.h"
#include "device/Device.h"
#include "link/ui/Connectbar.h"
#include "link/ui/Ostrabuslog.h"
#include "panel/Capsplane.h"
#include "panel/Orrery.h"
#include "panel/Plotview.h"
#include "panel/Smithchart.h"
#include "panel/Toolplaces.h"
#include "panel/ui/Capsdlg.h"
#include "panel/ui/Chartbuffer.h"
#include "panel/ui/Historyframe.h"
#include "panel/ui/Logging.h"
#include "panel/ui/Main.h"
#include "service/ui/Mainserviceside.h"
#include "panel/ui/Panelistbox.h"
#include "panel/ui/Smithdlg.h"
#include "panel/ui/Status.h"
#include "platform/Settingsfile.h"
#include "qtsupport/Modaldriver.h"
#include "service/ui/Tuningdlg.h"
#include "simunit/Simcommandset.h"
#include "support/Simfixture.h"
#include "support/Tempdir.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QTest>
#include <QToolBar>
#include <QToolButton>
#include <cstdio>
#include <cstdlib>
#include <gtest/gtest.h>

namespace {

const char* const KeyPath = "Software\\Quorvane\\Vantrel Orrery";

class MainCharts : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::remove(platform::SettingsFile::PathForKey(KeyPath).c_str());
        PlotView().Reset();
        form = std::make_unique<TMainForm>();
        side = std::make_unique<TMainServiceSide>(*form);
        form->SetData(&data);
        form->SetCommandLine({}, dir.Path());
        form->Controller()->SetVersionText("D.00");
        TMainForm::Forms forms;
        forms.Smith = &smith;
        forms.Caps = &caps;
        form->SetForms(forms);
        form->show();
        QCoreApplication::processEvents();
        ASSERT_TRUE(form->Controller()->StartupDone());
    }
    void TearDown() override
    {
        smith.hide();
        caps.hide();
        form->Device()->ClosePort();
        side.reset();
        form.reset();
    }
    THistoryPlotFrame& Plot() { return *form->HistoryPlot; }
    QWidget* Pane() { return form->PaneListBox1->viewport(); }
    void Fill(int samples)
    {
        for (int i = 0; i < samples; ++i) {
            data.Latest().SetValue(varid::R, 20 + i % 30);
            data.Add();
        }
        form->RefreshAll();
    }

    testsupport::TempDir dir;
    ScriptedHooks hooks;
    CData data;
    TSmithForm smith;
    TCapsForm caps;
    std::unique_ptr<TMainForm> form;
    std::unique_ptr<TMainServiceSide> side; // goes before the main window
};

TEST_F(MainCharts, ButtonsAndMenuItemsOpenAndCloseTheWindows)
{
    form->SmithBtn->click();
    EXPECT_TRUE(smith.isVisible());
    EXPECT_TRUE(form->SmithBtn->isChecked());
    EXPECT_TRUE(form->SmithMenuItem->isChecked());
    form->SmithMenuItem->trigger();
    EXPECT_FALSE(smith.isVisible());
    EXPECT_FALSE(form->SmithBtn->isChecked());
    EXPECT_FALSE(form->SmithMenuItem->isChecked());
    form->SmithMenuItem->trigger();
    smith.close(); // its own close box
    EXPECT_FALSE(form->SmithBtn->isChecked());
    EXPECT_FALSE(form->SmithMenuItem->isChecked());

    bool tuningHidden = false;
    form->TuningModel().Shown = true;
    form->TuningModel().Hide = [&] { tuningHidden = true; };
    form->CapsBtn->click();
    EXPECT_TRUE(caps.isVisible());
    EXPECT_TRUE(form->CapsMenuItem->isChecked());
    EXPECT_FALSE(tuningHidden);
    form->CapsBtn->click();
    EXPECT_FALSE(caps.isVisible());
    EXPECT_FALSE(form->CapsBtn->isChecked());
    EXPECT_TRUE(tuningHidden); // the tuning model window goes with it
}

TEST_F(MainCharts, PollsOfTheUnitMoveBothTraces)
{
    testsupport::SimPty sim;
    ASSERT_TRUE(sim.Ok()) << sim.Error();
    auto state = simunit::InstallDeviceCommands(sim.Unit());
    state->With([](simunit::SimUnitData& d) {
        d.rfOn = true;
        d.mode = simunit::SimUnitData::ModeAuto; // tunes itself a step every poll
        d.motorSpeed = 0;
    });
    form->SmithBtn->click();
    form->CapsBtn->click();
    form->Controller()->Settings().BaudRate = "9600";
    form->SetPortText(sim.Path());
    form->ConnectBar->ConnectBtn()->click();
    ASSERT_TRUE(form->Device()->IsConnected());
    smith.Samples10MenuItem->trigger();
    caps.SamplesAllMenuItem->trigger();

    std::vector<SPoint> smithPath, capsPath;
    for (int i = 0; i < 6; ++i) {
        form->ReadTimerTimer();
        ASSERT_EQ(data.Count(), i + 1);
        const CDataRec& newest = *data.At(data.Count() - 1);
        SPoint s, c;
        ASSERT_TRUE(CSmithChart::Map(smith.Geometry(), newest.Value(varid::R),
                                     newest.Value(varid::X), s));
        ASSERT_TRUE(CCapsPlane::Map(caps.Geometry(), newest.Value(varid::LoadPosition),
                                    newest.Value(varid::TunePosition), c));
        EXPECT_EQ(smith.Trail().Marker, s) << i;
        EXPECT_EQ(caps.Trail().Marker, c) << i;
        EXPECT_TRUE(smith.Trail().MarkerShown);
        smithPath.push_back(s);
        capsPath.push_back(c);
    }
    EXPECT_NE(smithPath.front(), smithPath.back()); // the unit tuned: the load moved
    EXPECT_NE(capsPath.front(), capsPath.back());
    // Clearing the history repaints both windows empty.
    form->ClearMenuItem->trigger();
    EXPECT_FALSE(smith.Trail().MarkerShown);
    EXPECT_FALSE(caps.Trail().MarkerShown);
    state->With([](simunit::SimUnitData& d) { d.rfOn = false; });
    form->ConnectBar->ConnectBtn()->click();
}

TEST_F(MainCharts, LostReadingsLeaveTheTracesButNoMarkerOfWhereTheUnitStands)
{
    testsupport::SimPty sim;
    ASSERT_TRUE(sim.Ok()) << sim.Error();
    simunit::InstallDeviceCommands(sim.Unit());
    form->SmithBtn->click();
    form->CapsBtn->click();
    form->Controller()->Settings().BaudRate = "9600";
    form->Controller()->Settings().Timeout = 100;
    form->SetPortText(sim.Path());
    form->ConnectBar->ConnectBtn()->click();
    ASSERT_TRUE(form->Device()->IsConnected());
    for (int i = 0; i < 3; ++i)
        form->ReadTimerTimer();
    ASSERT_TRUE(smith.Trail().MarkerShown);
    ASSERT_TRUE(caps.Trail().MarkerShown);
    const QImage smithBefore = smith.ChartBox->Buffer().copy();
    const SPoint marker = smith.Trail().Marker;

    // The unit stops answering until the read timer stops.
    sim.Server().SetFault(simunit::SimSerialServer::Fault::Stall, -1);
    for (int i = 0; i < 20 && form->ReadTimer->isActive(); ++i)
        form->ReadTimerTimer();
    ASSERT_FALSE(form->ReadTimer->isActive());
    EXPECT_FALSE(smith.Trail().MarkerShown);
    EXPECT_FALSE(caps.Trail().MarkerShown);
    // Only the marker went: every pixel that changed lies in its box.
    const QImage& smithAfter = smith.ChartBox->Buffer();
    int changed = 0;
    for (int y = 0; y < smithAfter.height(); ++y)
        for (int x = 0; x < smithAfter.width(); ++x)
            if (smithAfter.pixel(x, y) != smithBefore.pixel(x, y)) {
                ++changed;
                EXPECT_LE(std::abs(x - marker.X), 4) << x << "," << y;
                EXPECT_LE(std::abs(y - marker.Y), 4) << x << "," << y;
            }
    EXPECT_GT(changed, 0);
    // A full repaint (a resize) draws no marker either.
    smith.FormPaint();
    EXPECT_FALSE(smith.Trail().MarkerShown);

    // The unit answers again: the next read puts the marker back.
    sim.Server().SetFault(simunit::SimSerialServer::Fault::None, -1);
    form->ReadTimerBtn->click();
    form->ReadTimerTimer();
    EXPECT_TRUE(smith.Trail().MarkerShown);
    EXPECT_TRUE(caps.Trail().MarkerShown);
    form->ConnectBar->ConnectBtn()->click();
}

TEST_F(MainCharts, SettingsFileKeepsTheWindowsSectionsAndTheHeaderNamesThem)
{
    const std::string file = dir.File("rig.orrery");
    testsupport::WriteAll(file, "[Vantrel Orrery]\r\nConnMode=0\r\n"
                                "[Settings]\r\nHeader=Rig 2\r\n"
                                "[Smith]\r\nVisible=1\r\nStatusMode=2\r\nSamples=100\r\nStyle=0\r\n"
                                "[Caps]\r\nVisible=0\r\nStatus=0\r\nStatusMode=1\r\nSamples=0\r\n");
    ASSERT_TRUE(form->Controller()->LoadSettingsFile(file));
    form->Controller()->ApplySettings();
    EXPECT_TRUE(smith.isVisible());
    EXPECT_TRUE(form->SmithBtn->isChecked());
    EXPECT_TRUE(smith.GammaSmithMenu->isChecked());
    EXPECT_EQ(smith.Settings().Samples, 100);
    EXPECT_FALSE(smith.StayOnTop());
    EXPECT_FALSE(caps.isVisible());
    EXPECT_TRUE(caps.pFCapsMenu->isChecked());
    EXPECT_TRUE(caps.SamplesAllMenuItem->isChecked());
    // The platform shows the program's caption after each window's own title: the header once.
    EXPECT_EQ(QGuiApplication::applicationDisplayName().toStdString(), "Rig 2 - Vantrel Orrery");
    EXPECT_EQ(smith.windowTitle(), "Smith Chart");
    EXPECT_EQ(caps.windowTitle(), "Capacitors");

    form->Controller()->SaveSettings();
    const std::string saved = testsupport::ReadAll(file);
    EXPECT_NE(saved.find("[Smith]\r\nTop="), std::string::npos);
    EXPECT_NE(saved.find("StatusMode=2\r\nSamples=100\r\nStyle=0\r\n"), std::string::npos);
    // Capacitors was never shown: it has no place of its own to keep, and opens beside the main
    // window wherever that is next time.
    EXPECT_NE(saved.find("[Caps]\r\nWidth="), std::string::npos);
    EXPECT_NE(saved.find("Visible=0\r\nStatus=0\r\nStatusMode=1\r\nSamples=0\r\nStyle=3\r\n"),
              std::string::npos);
    // The sections follow the panes, as the main window saves them.
    EXPECT_LT(saved.find("[Pane1]"), saved.find("[Smith]"));
    EXPECT_LT(saved.find("[Smith]"), saved.find("[Caps]"));
}

TEST_F(MainCharts, ToolWindowsFirstOpenEachInItsOwnPlaceClearOfTheMainWindowsBars)
{
    // Owned by the main window, as the program creates them.
    auto* tuning = new TTuningForm(form.get());
    auto* log = new TOstraBusLogForm(form.get());
    auto* logging = new TLoggingForm(*form->Device(), form.get());
    TMainForm::Forms forms;
    forms.Smith = &smith;
    forms.Caps = &caps;
    forms.OstraBusLog = log;
    forms.Logging = logging;
    TMainServiceSide::Forms serviceForms;
    serviceForms.Tuning = tuning;
    side->SetForms(serviceForms);
    form->SetForms(forms);

    // Opened as a user opens them.
    form->SmithBtn->click();
    form->CapsBtn->click();
    form->TuningMenuItem->trigger();
    form->OstraBuslogMenuItem->trigger();
    form->LoggingBtn->click();
    ASSERT_TRUE(logging->isVisible());
    testsupport::SShownWindow model;
    QSize modelSize;
    testsupport::ModalDriver driver;
    driver.Then("ModelForm", [&model, &modelSize](QWidget* dialog) {
        model = testsupport::ShownWindow(dialog);
        modelSize = dialog->size();
        static_cast<QDialog*>(dialog)->reject();
        return true;
    });
    QTest::mouseClick(tuning->ModelBtn, Qt::LeftButton);
    ASSERT_TRUE(driver.Done());
    // In the order they were opened; the model window last.
    std::vector<testsupport::SShownWindow> shown;
    for (QWidget* w : std::vector<QWidget*>{&smith, &caps, tuning, log, logging})
        shown.push_back(testsupport::ShownWindow(w));
    shown.push_back(model);
    testsupport::ExpectToolWindowsClear(*form, shown, {true, true, true, false, true, false});
    tuning->SetVisible(false);
    log->hide();
    form->LoggingBtn->click();
    EXPECT_FALSE(logging->isVisible());
}

// The application's title as it stood when the window was shown.
class ShownTitle : public QObject {
public:
    QString atShow = "(not shown)";
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Show)
            atShow = QGuiApplication::applicationDisplayName();
        return QObject::eventFilter(watched, event);
    }
};

TEST(MainChartsStart, AChartWindowTheSettingsOpenCarriesTheProgramsTitle)
{
    std::remove(platform::SettingsFile::PathForKey(KeyPath).c_str());
    PlotView().Reset();
    const QString before = QGuiApplication::applicationDisplayName();
    QGuiApplication::setApplicationDisplayName(""); // as at the program's start
    testsupport::TempDir dir;
    ScriptedHooks hooks;
    CData data;
    const std::string file = dir.File("charts.orrery");
    testsupport::WriteAll(file, "[Vantrel Orrery]\r\nConnMode=0\r\n[Smith]\r\nVisible=1\r\n");
    TSmithForm smith;
    ShownTitle shown;
    smith.installEventFilter(&shown);
    {
        TMainForm form;
        TMainServiceSide side(form);
        form.SetData(&data);
        form.SetCommandLine({file}, dir.Path());
        form.Controller()->SetVersionText("D.00");
        TMainForm::Forms forms;
        forms.Smith = &smith;
        form.SetForms(forms);
        form.show();
        QCoreApplication::processEvents();
        ASSERT_TRUE(form.Controller()->StartupDone());
        ASSERT_TRUE(smith.isVisible());
        // Shown while the settings loaded, under the title the program keeps afterwards.
        EXPECT_EQ(shown.atShow.toStdString(), "Vantrel Orrery");
        EXPECT_EQ(QGuiApplication::applicationDisplayName().toStdString(), "Vantrel Orrery");
        smith.hide();
        form.Device()->ClosePort();
    }
    QGuiApplication::setApplicationDisplayName(before);
}

TEST(MainChartsStart, AfterARestartWithTheMainWindowMovedTheToolWindowsOpenClearOfItsBars)
{
    // The place the main window was left at, stored on the last exit; the tool windows have
    // none of their own.
    const std::string store = platform::SettingsFile::PathForKey(KeyPath);
    testsupport::WriteAll(store, "[Main]\r\nTop=dword:00000064\r\nLeft=dword:00000000\r\n");
    {
        testsupport::MainWithToolWindows w;
        ASSERT_TRUE(w.Show());
        EXPECT_EQ(w.form.frameGeometry().top(), 100); // where it was left
        w.OpenInMenuOrderClear();
    }
    std::remove(store.c_str());
}

TEST_F(MainCharts, AToolWindowTallerThanTheRoomBetweenTheBarsLeavesTheStatusBarUncovered)
{
    // A traffic log made as tall as the screen: there is no room beside the main window, so it
    // goes over the main window's middle, no taller than the room between its bars.
    auto* log = new TOstraBusLogForm(form.get());
    log->resize(log->width(), form->screen()->availableGeometry().height());
    TMainForm::Forms forms;
    forms.Smith = &smith;
    forms.Caps = &caps;
    forms.OstraBusLog = log;
    form->SetForms(forms);
    form->OstraBuslogMenuItem->trigger();
    ASSERT_TRUE(log->isVisible());
    testsupport::ExpectToolWindowsClear(*form, std::vector<QWidget*>{log}, {false});
    EXPECT_LT(log->height(), form->screen()->availableGeometry().height());
    EXPECT_GE(log->height(), log->minimumHeight());
    log->hide();
}

TEST_F(MainCharts, HistoryPlotZoomsScrollsAndFollowsTheReadTimer)
{
    Fill(500);
    CPlotView& view = PlotView();
    const int w = Pane()->width();
    ASSERT_GT(w, 100);
    EXPECT_TRUE(Plot().DisplayScrollBar->isEnabled());
    EXPECT_TRUE(Plot().ZoomAutoBtn->isEnabled());

    Plot().ZoomAutoBtn->click();
    EXPECT_EQ(view.FirstIndex, 0);
    EXPECT_DOUBLE_EQ(view.Scale, double(w) / 500);
    EXPECT_EQ(Plot().DisplayScrollBar->value(), 500); // the right edge: sample 500 of 500 + 500
    view.Scale = 4;
    Plot().ZoomInBtn->click();
    EXPECT_DOUBLE_EQ(view.Scale, 8);
    Plot().ZoomOutBtn->click();
    Plot().ZoomOutBtn->click();
    EXPECT_DOUBLE_EQ(view.Scale, 2);

    // The bar's right arrow moves the view a tenth of its span, Page Down half of it.
    view.Scale = 1.0;
    view.FirstIndex = 0;
    form->RefreshPlot();
    QScrollBar* bar = Plot().DisplayScrollBar;
    QTest::mouseClick(bar, Qt::LeftButton, {}, QPoint(bar->width() - 3, bar->height() / 2));
    EXPECT_EQ(view.FirstIndex, int(w * 0.1));
    bar->setFocus();
    QTest::keyClick(bar, Qt::Key_PageDown);
    EXPECT_EQ(view.FirstIndex, int(int(w * 0.1) + w * 0.5));
    EXPECT_EQ(bar->value(), Plot().Plot().ScrollPosition(Plot().State()));

    // The time axis draws ticks while the timer is off and is blank while it runs.
    auto axisDark = [this] {
        const QImage axis = Plot().TimePaintBox->grab().toImage();
        int dark = 0;
        for (int y = 0; y < axis.height(); ++y)
            for (int x = 0; x < axis.width(); ++x)
                dark += qGray(axis.pixel(x, y)) < 64;
        return dark;
    };
    EXPECT_GT(axisDark(), 0);
    form->SetReadTimer(true);
    EXPECT_FALSE(Plot().DisplayScrollBar->isEnabled());
    EXPECT_FALSE(Plot().ZoomInBtn->isEnabled());
    EXPECT_EQ(axisDark(), 0);
    const int first = view.FirstIndex;
    QTest::mousePress(Pane(), Qt::LeftButton, {}, QPoint(100, 20));
    QTest::mouseMove(Pane(), QPoint(300, 20));
    QTest::mouseRelease(Pane(), Qt::LeftButton, {}, QPoint(300, 20));
    EXPECT_EQ(view.FirstIndex, first); // no drag zoom while the timer runs
    EXPECT_DOUBLE_EQ(view.Scale, 1.0);
    form->SetReadTimer(false);
    EXPECT_TRUE(Plot().ZoomInBtn->isEnabled());
}

TEST_F(MainCharts, DragAcrossTheLowerPaneZoomsToTheDraggedSamples)
{
    Fill(1000);
    form->resize(1000, 600);
    QCoreApplication::processEvents();
    CPlotView& view = PlotView();
    view.Reset();
    form->RefreshPlotPanes();
    const int w = Pane()->width();
    ASSERT_GT(w, 300);
    QTest::mousePress(Pane(), Qt::LeftButton, {}, QPoint(100, 20));
    QTest::mouseMove(Pane(), QPoint(200, 20));
    // The two marker lines show in xor over the pane: line 0 from row 0, line 1 from row 4.
    const QImage shown = Pane()->grab().toImage();
    const QImage& buffer = form->PaneListBox1->Buffer();
    EXPECT_EQ(shown.pixel(100, 0) & 0xFFFFFF, (buffer.pixel(100, 0) ^ 0xFFFFFF) & 0xFFFFFF);
    EXPECT_EQ(shown.pixel(100, 3) & 0xFFFFFF, buffer.pixel(100, 3) & 0xFFFFFF);
    EXPECT_EQ(shown.pixel(200, 4) & 0xFFFFFF, (buffer.pixel(200, 4) ^ 0xFFFFFF) & 0xFFFFFF);
    QTest::mouseMove(Pane(), QPoint(300, 20));
    QTest::mouseRelease(Pane(), Qt::LeftButton, {}, QPoint(300, 20));
    EXPECT_EQ(view.FirstIndex, 100);
    EXPECT_DOUBLE_EQ(view.Scale, w / 200.0);
    EXPECT_TRUE(Plot().Plot().Lines().empty());
    EXPECT_EQ(Pane()->grab().toImage().pixel(100, 0), form->PaneListBox1->Buffer().pixel(100, 0));

    // A drag of 3 pixels changes nothing.
    QTest::mousePress(Pane(), Qt::LeftButton, {}, QPoint(50, 20));
    QTest::mouseMove(Pane(), QPoint(53, 20));
    QTest::mouseRelease(Pane(), Qt::LeftButton, {}, QPoint(53, 20));
    EXPECT_EQ(view.FirstIndex, 100);
    EXPECT_DOUBLE_EQ(view.Scale, w / 200.0);
}

} // namespace

#include "panel/Scripted.h"

#include "device/Data.h"
#include "device/Device.h"
#include "link/ui/Connectbar.h"
#include "link/ui/Connection.h"
#include "panel/Connectbridge.h"
#include "panel/Orrery.h"
#include "panel/ui/About.h"
#include "panel/ui/Accept.h"
#include "panel/ui/Editdisplay.h"
#include "panel/ui/Faultsframe.h"
#include "panel/ui/Historyframe.h"
#include "panel/ui/Main.h"
#include "service/ui/Mainserviceside.h"
#include "panel/ui/Panelistbox.h"
#include "panel/ui/Password.h"
#include "panel/ui/Settingsform.h"
#include "panel/ui/Status.h"
#include "platform/Settingsfile.h"
#include "qtsupport/Modaldriver.h"
#include "service/ui/Setuppage.h"
#include "simunit/Simcommandset.h"
#include "simunit/Simgateway.h"
#include "simunit/Simunit.h"
#include "qtsupport/Printedpdf.h"
#include "qtsupport/Widgets.h"
#include "support/Simfixture.h"
#include "support/Tempdir.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QMenu>
#include <QPrinter>
#include <QScreen>
#include <QTabBar>
#include <QRadioButton>
#include <QResizeEvent>
#include <QTabWidget>
#include <QScrollArea>
#include <QScrollBar>
#include <QTest>
#include <QTimer>
#include <QWindow>
#include <QToolButton>
#include <algorithm>
#include <array>
#include <cstdio>
#include <gtest/gtest.h>

namespace {

const char* const KeyPath = "Software\\Quorvane\\Vantrel Orrery";

// Fixed live words of a tuned unit, RF on or off (status word: bit 0 RF on, bit 1 tuned).
std::array<int16_t, 15> LiveWords(bool rfOn)
{
    return {1024, 0, 16, 100, 0, 0, 0, 0, 5000, 2500, int16_t((rfOn ? 1 : 0) | 2), 35, 10, 0, 0};
}

int LiveReads(const testsupport::RecordingTrafficLog& log)
{
    return int(std::count_if(log.lines.begin(), log.lines.end(), [](const std::string& l) {
        return l.rfind("Wr:  Cmd=255 ", 0) == 0;
    }));
}

std::vector<std::string> Captions(QMenu* menu)
{
    std::vector<std::string> out;
    for (QAction* a : menu->actions())
        out.push_back(a->isSeparator() ? "-" : a->text().toStdString());
    return out;
}

class MainFormTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::remove(platform::SettingsFile::PathForKey(KeyPath).c_str());
        form = std::make_unique<TMainForm>();
        side = std::make_unique<TMainServiceSide>(*form);
        form->SetData(&data);
        form->SetCommandLine({}, dir.Path());
        form->Controller()->SetVersionText("D.00");
    }
    void TearDown() override
    {
        form->Device()->ClosePort();
        side.reset();
        form.reset();
    }
    void ShowAndStart()
    {
        form->show();
        QCoreApplication::processEvents();
        ASSERT_TRUE(form->Controller()->StartupDone());
    }

    testsupport::TempDir dir;
    ScriptedHooks hooks;
    CData data;
    std::unique_ptr<TMainForm> form;
    std::unique_ptr<TMainServiceSide> side; // goes before the main window
};

TEST_F(MainFormTest, PagesInOrderAndTheControlNotebook)
{
    std::vector<std::string> tabs;
    for (int i = 0; i < form->PageControl->count(); ++i)
        tabs.push_back(form->PageControl->tabText(i).toStdString());
    EXPECT_EQ(tabs, (std::vector<std::string>{"Display", "Trajectories", "Tuning", "3 Cap", "Setup (Ostra)",
                                              "Faults", "Info", "Config"}));
    for (const char* name : {"CtrlNotebook", "CtrlPage", "CtrlCorvinaPage", "CtrlIOPage", "Ctrl3capPage",
                             "CapsCtrlPanel", "ShTrackBar", "SerTrackBar", "_3capTrackBar", "InfoPage",
                             "ConfigPage", "SaveToFileBtn", "RestoreFromFileBtn", "StatsMemo"})
        EXPECT_NE(form->findChild<QWidget*>(name), nullptr) << name;
    ShowAndStart();
    EXPECT_TRUE(form->findChild<QWidget*>("SaveToFileBtn")->isEnabled());
    EXPECT_TRUE(form->findChild<QWidget*>("CtrlNotebook")->isEnabled());
}

// Every shown tab lies whole inside its bar, its caption not cut short.
void ExpectWholeTabs(QTabWidget* tabs)
{
    QTabBar* bar = tabs->tabBar();
    ASSERT_TRUE(bar->isVisible());
    for (int i = 0; i < tabs->count(); ++i) {
        if (!tabs->isTabVisible(i))
            continue;
        const QRect r = bar->tabRect(i);
        const std::string text = tabs->tabText(i).toStdString();
        EXPECT_GE(r.left(), 0) << text;
        EXPECT_LE(r.right(), bar->width() - 1) << text;
        EXPECT_GE(r.width(), bar->fontMetrics().horizontalAdvance(tabs->tabText(i))) << text;
    }
}

TEST_F(MainFormTest, EveryPageTabShowsItsWholeCaption)
{
    ShowAndStart();
    QCoreApplication::processEvents();
    ExpectWholeTabs(form->PageControl);
    form->PageControl->setCurrentWidget(side->SetupPage);
    QCoreApplication::processEvents();
    ExpectWholeTabs(side->SetupPage->SetupPageControl);
}

TEST_F(MainFormTest, MenusAsListed)
{
    EXPECT_EQ(Captions(form->OrreryMenu),
              (std::vector<std::string>{"  &Connection...", "-", "&Settings...",
                                        "  L&oad Settings...", "  Sa&ve Settings",
                                        "  Save Settings &As...", "-", "&Read Timer",
                                        "&Lock Orrery...", "-", "  &Print Image...",
                                        "  Copy &Image to Clipboard", "  E&xit"}));
    EXPECT_EQ(Captions(form->ToolsMenu),
              (std::vector<std::string>{"&Logging", "  T&uning", "  &Technical...",
                                        "  &BootP configuration", "  &Flashing...",
                                        "  &Xilinx...", "  Ostra Bus log", "  Auto-test"}));
    EXPECT_EQ(Captions(form->WindowMenu),
              (std::vector<std::string>{"&Capacitors", "&Smith Chart", "-", "Clear"}));
    EXPECT_EQ(Captions(form->HelpMenu),
              (std::vector<std::string>{"&Help", "  &About...", "  &Demo"}));
    EXPECT_EQ(form->HelpMenuItem->shortcut(), QKeySequence(Qt::Key_F1));
    EXPECT_EQ(form->findChild<QAction*>("SaveSettingsAsMenuItem"), form->SaveSettingsAsMenuItem);
    for (const char* name : {"ReadTimerBtn", "LockBtn", "LoggingBtn", "SettingsBtn", "HelpBtn",
                             "CapsBtn", "SmithBtn"})
        EXPECT_NE(form->findChild<QToolButton*>(name), nullptr) << name;
    // The windows' items are enabled, also after the start-up and the demo switch have
    // refreshed the menus.
    auto windowItemsEnabled = [this](const char* when) {
        // The tuning model and auto-test windows are part of the program.
        for (QAction* a : {form->TuningMenuItem, form->AutoTestMenuItem})
            EXPECT_TRUE(a->isEnabled()) << a->text().toStdString() << " " << when;
        EXPECT_TRUE(form->TuningMenuItem->isCheckable());
        // The chart windows are part of the program.
        for (QAction* a : {form->CapsMenuItem, form->SmithMenuItem})
            EXPECT_TRUE(a->isEnabled()) << a->text().toStdString() << " " << when;
        for (QToolButton* b : {form->CapsBtn, form->SmithBtn})
            EXPECT_TRUE(b->isEnabled()) << b->objectName().toStdString() << " " << when;
    };
    windowItemsEnabled("at construction");
    ShowAndStart();
    windowItemsEnabled("after start-up");
    // Logging and the history files are part of the program.
    EXPECT_TRUE(form->LoggingMenuItem->isEnabled());
    EXPECT_TRUE(form->LoggingBtn->isEnabled());
    for (QToolButton* b : {form->SaveBtn, form->OpenBtn, form->ExportTRVBtn})
        EXPECT_TRUE(b->isEnabled()) << b->objectName().toStdString();
    // The tools: the console, BootP, the traffic log and flashing (no network socket) are
    // enabled; loading the logic device needs a local port.
    auto toolItems = [this](const char* when) {
        for (QAction* a : {form->TechMenuItem, form->BootPMenuItem, form->OstraBuslogMenuItem,
                           form->FlashingMenuItem})
            EXPECT_TRUE(a->isEnabled()) << a->text().toStdString() << " " << when;
        EXPECT_FALSE(form->XilinxMenuItem->isEnabled()) << when;
    };
    toolItems("after start-up");
    ASSERT_TRUE(form->DemoMenuItem->isEnabled());
    form->DemoMenuItem->trigger();
    EXPECT_TRUE(form->Controller()->IsDemo());
    EXPECT_TRUE(form->DemoMenuItem->isChecked());
    windowItemsEnabled("in demo mode");
    toolItems("in demo mode");
    EXPECT_TRUE(form->ClearMenuItem->isEnabled());
    EXPECT_TRUE(form->ConnectionMenuItem->isEnabled());
}

TEST_F(MainFormTest, FirstShowRunsStartupOnce)
{
    ShowAndStart();
    CSettings& s = form->Controller()->Settings();
    EXPECT_EQ(s.Addr, 2);
    EXPECT_EQ(s.Timeout, 500);
    EXPECT_EQ(form->Controller()->OutputOnText(), "RF is On");
    EXPECT_FALSE(form->Controller()->IsDemo());
    EXPECT_TRUE(form->Status->StatusTimer()->isActive());
    EXPECT_EQ(form->windowTitle().toStdString(), "Vantrel Orrery");
    EXPECT_EQ(QGuiApplication::applicationDisplayName().toStdString(), "Vantrel Orrery");
    s.Caption = "Lab 2";
    form->Controller()->UpdateCaptions(); // the application's title follows the main caption
    EXPECT_EQ(form->windowTitle().toStdString(), "Lab 2 - Vantrel Orrery");
    EXPECT_EQ(QGuiApplication::applicationDisplayName().toStdString(), "Lab 2 - Vantrel Orrery");

    s.Addr = 7;
    form->hide();
    form->show();
    QCoreApplication::processEvents();
    EXPECT_EQ(s.Addr, 7);
}

TEST_F(MainFormTest, UpperPaneKeepsItsWidthBesideTheLowerPaneAndTheControls)
{
    ShowAndStart();
    QCoreApplication::processEvents();
    // The history plot's buttons and the control notebook take room too: the window makes it,
    // the upper pane is not squeezed below its width.
    EXPECT_GE(form->PaneArea0->width(), form->PaneListBox->sizeHint().width());
    EXPECT_GE(form->PaneArea1->width(), form->PaneArea1->minimumSizeHint().width());
}

// The frames of a widget's visible children of a type, in the widget's coordinates.
template <class T>
std::vector<std::pair<QString, QRect>> ChildFrames(QWidget* w)
{
    std::vector<std::pair<QString, QRect>> out;
    for (T* c : w->findChildren<T*>())
        if (c->isVisibleTo(w))
            out.emplace_back(c->objectName(), QRect(c->mapTo(w, QPoint(0, 0)), c->size()));
    return out;
}

TEST_F(MainFormTest, AShrunkWindowKeepsWhatItShowsApart)
{
    ShowAndStart();
    // Shrunk from outside (a screen without a window manager enforces no minimum size), even
    // below what its controls need: they keep their room and scroll inside the window.
    form->windowHandle()->resize(500, 350);
    EXPECT_TRUE(QTest::qWaitFor([&] { return form->size() == QSize(500, 350); }, 5000))
        << form->width() << " x " << form->height();
    QWidget* body = form->findChild<QWidget*>("Body");
    auto* scroll = form->findChild<QScrollArea*>("BodyScroll");
    ASSERT_TRUE(body && scroll);
    EXPECT_GE(body->width(), body->minimumSizeHint().width());
    EXPECT_GE(body->height(), body->minimumSizeHint().height());
    EXPECT_TRUE(scroll->horizontalScrollBar()->isVisible());
    EXPECT_TRUE(scroll->verticalScrollBar()->isVisible());
    QCoreApplication::processEvents();
    // The history plot's buttons side by side, each as wide as its caption asks.
    const auto buttons = ChildFrames<QToolButton>(form->HistoryPlot);
    ASSERT_GE(buttons.size(), 3u);
    for (size_t i = 0; i < buttons.size(); ++i) {
        QToolButton* b = form->HistoryPlot->findChild<QToolButton*>(buttons[i].first);
        EXPECT_GE(buttons[i].second.width(), b->sizeHint().width()) << buttons[i].first.toStdString();
        for (size_t j = i + 1; j < buttons.size(); ++j)
            EXPECT_FALSE(buttons[i].second.intersects(buttons[j].second))
                << buttons[i].first.toStdString() << " and " << buttons[j].first.toStdString();
    }
    // The Faults page: no LED over the check box or the button below them.
    form->PageControl->setCurrentWidget(form->FaultsPage);
    QCoreApplication::processEvents();
    QWidget* page = form->FaultsPage;
    const QRect box(form->FaultsFrame->DisAudioCheckBox->mapTo(page, QPoint(0, 0)),
                    form->FaultsFrame->DisAudioCheckBox->size());
    for (const auto& [name, led] : ChildFrames<QWidget>(page)) {
        if (!name.endsWith("Led"))
            continue;
        EXPECT_FALSE(led.intersects(box)) << name.toStdString();
        EXPECT_TRUE(page->rect().contains(led)) << name.toStdString();
    }
    form->PageControl->setCurrentIndex(0);
}

TEST_F(MainFormTest, DecliningTheDisclaimerClosesWithoutSaving)
{
    const std::string store = platform::SettingsFile::PathForKey(KeyPath);
    testsupport::WriteAll(store, "[Main]\r\nTop=dword:00000010\r\n");
    TAcceptForm accept;
    TMainForm::Forms forms;
    forms.Accept = &accept;
    form->SetForms(forms);
    form->Controller()->SetVersionText("_.00");
    // Answer the disclaimer once the start-up shows it.
    QTimer answer;
    QObject::connect(&answer, &QTimer::timeout, &accept, [&] {
        if (!accept.isVisible())
            return;
        answer.stop();
        EXPECT_FALSE(accept.OkBtn->isEnabled());
        accept.DeclineButton->click();
        EXPECT_TRUE(accept.OkBtn->isEnabled());
        accept.OkBtn->click();
    });
    answer.start(0);
    form->show();
    QCoreApplication::processEvents();
    EXPECT_FALSE(form->isVisible());
    EXPECT_TRUE(testsupport::ApplicationToldToQuit()); // the program ends
    testsupport::TakeBackApplicationQuit();
    EXPECT_EQ(testsupport::ReadAll(store), "[Main]\r\nTop=dword:00000010\r\n");
}

TEST_F(MainFormTest, ConnectPollsAndKeepsTracesOnlyWhileRfIsOn)
{
    testsupport::SimPty sim;
    ASSERT_TRUE(sim.Ok()) << sim.Error();
    auto state = simunit::InstallDeviceCommands(sim.Unit());
    state->With([](simunit::SimUnitData& d) { d.liveWords = LiveWords(true); });
    testsupport::RecordingTrafficLog log;
    // Owned by the main window, as the program creates them.
    auto* settings = new TSettingsForm(form.get());
    auto* editDisplay = new TEditDisplayForm(form.get());
    TMainForm::Forms forms;
    forms.Settings = settings;
    forms.EditDisplay = editDisplay;
    form->SetForms(forms);
    ShowAndStart();
    form->Controller()->Settings().BaudRate = "9600";
    form->SetPortText(sim.Path());
    form->ConnectBar->ConnectBtn()->click();
    ASSERT_TRUE(form->Device()->IsConnected());
    EXPECT_TRUE(form->ReadTimer->isActive());
    EXPECT_TRUE(form->ReadTimerBtn->isChecked());
    EXPECT_FALSE(form->DemoMenuItem->isEnabled());
    EXPECT_EQ(data.Count(), 0);

    form->ReadTimerTimer();
    EXPECT_EQ(data.Count(), 1);
    EXPECT_EQ(LiveReads(log), 1);
    EXPECT_EQ(form->RFOnPanel->text(), "RF On");
    EXPECT_EQ(form->TunedPanel->text(), "Tuned");
    EXPECT_EQ(form->Controller()->ReadErrorCount(), 0);
    EXPECT_EQ(form->Status->State().CommState(), 1); // the poll's busy mark is showing

    form->ReadTimerTimer();
    EXPECT_EQ(data.Count(), 2);

    // The user asks for traces while RF is on, in the display settings.
    QTimer::singleShot(0, settings, [&] {
        QTimer::singleShot(0, editDisplay, [&] {
            editDisplay->TracesRFOnCheckBox->setChecked(true);
            editDisplay->OkBtn->click();
        });
        settings->EditDisplayBtn->click();
        settings->reject();
    });
    form->SettingsBtn->click();
    ASSERT_TRUE(form->TracesRFOn());
    state->With([](simunit::SimUnitData& d) { d.liveWords = LiveWords(false); });
    form->ReadTimerTimer();
    EXPECT_EQ(data.Count(), 2);
    EXPECT_EQ(LiveReads(log), 3);
    EXPECT_EQ(form->RFOnPanel->text(), "RF Off");
    EXPECT_EQ(data.Latest().Flag(33), 0);

    form->ClearMenuItem->trigger();
    EXPECT_EQ(data.Count(), 0);
    EXPECT_TRUE(hooks.shown.empty());

    form->ConnectBar->ConnectBtn()->click(); // RF is off: disconnects without asking
    EXPECT_FALSE(form->Device()->IsConnected());
    EXPECT_FALSE(form->ReadTimer->isActive());
}

TEST_F(MainFormTest, DisconnectedUnitLeavesNoReadingsLit)
{
    testsupport::SimPty sim;
    ASSERT_TRUE(sim.Ok()) << sim.Error();
    auto state = simunit::InstallDeviceCommands(sim.Unit());
    state->With([](simunit::SimUnitData& d) { d.liveWords = LiveWords(true); });
    ShowAndStart();
    form->Controller()->Settings().BaudRate = "9600";
    form->SetPortText(sim.Path());
    form->ConnectBar->ConnectBtn()->click();
    ASSERT_TRUE(form->Device()->IsConnected());
    form->ReadTimerTimer();
    ASSERT_EQ(form->RFOnPanel->text(), "RF On");
    ASSERT_EQ(form->TunedPanel->text(), "Tuned");
    ASSERT_NE(data.Latest().Value(1), 0.0);

    hooks.answers = {true}; // RF is on: disconnect anyway
    form->ConnectBar->ConnectBtn()->click();
    ASSERT_FALSE(form->Device()->IsConnected());
    EXPECT_EQ(form->RFOnPanel->text(), "RF Off");
    EXPECT_EQ(form->TunedPanel->text(), "Not tuned");
    EXPECT_EQ(data.Latest().Value(1), 0.0);
    EXPECT_EQ(data.Latest().Flag(33), 0);
}

TEST_F(MainFormTest, LockDisablesItsControls)
{
    TPasswordForm password;
    TMainForm::Forms forms;
    forms.Password = &password;
    form->SetForms(forms);
    ShowAndStart();
    QTimer::singleShot(0, &password, [&] {
        password.PasswordEdit->setText("pw");
        password.OkBtn->click();
    });
    form->LockBtn->click();
    ASSERT_TRUE(form->Controller()->IsLocked());
    EXPECT_TRUE(form->LockBtn->isChecked());
    EXPECT_EQ(form->LockBtn->toolTip().toStdString(), "Unlock Orrery");
    EXPECT_EQ(form->LockMenuItem->text().toStdString(), "&Unlock Orrery");
    EXPECT_TRUE(form->LockMenuItem->isChecked());
    for (QAction* a : {form->LoadSettingsMenuItem, form->SaveSettingsMenuItem,
                       form->SaveSettingsAsMenuItem, form->DemoMenuItem, form->ReadTimerMenuItem})
        EXPECT_FALSE(a->isEnabled()) << a->objectName().toStdString();
    EXPECT_FALSE(form->ReadTimerBtn->isEnabled());
    EXPECT_FALSE(form->ConnectBar->ConnectBtn()->isEnabled());
    EXPECT_TRUE(password.PasswordEdit->text().isEmpty()); // the text stays nowhere in the window

    QTimer::singleShot(0, &password, [&] {
        password.PasswordEdit->setText("pw");
        password.OkBtn->click();
    });
    form->LockMenuItem->trigger();
    EXPECT_FALSE(form->Controller()->IsLocked());
    EXPECT_TRUE(form->LoadSettingsMenuItem->isEnabled());
    EXPECT_TRUE(form->ReadTimerBtn->isEnabled());
    EXPECT_EQ(form->LockMenuItem->text().toStdString(), "&Lock Orrery...");
}

TEST_F(MainFormTest, LockKeepsTheHistory)
{
    TPasswordForm password;
    TMainForm::Forms forms;
    forms.Password = &password;
    form->SetForms(forms);
    ShowAndStart();
    auto* clear = form->findChild<QToolButton*>("ClearBtn");
    ASSERT_NE(clear, nullptr);
    EXPECT_TRUE(clear->isVisible());
    data.Add();
    data.Add();
    QTimer::singleShot(0, &password, [&] { password.OkBtn->click(); }); // locked without password
    form->LockBtn->click();
    ASSERT_TRUE(form->Controller()->IsLocked());
    EXPECT_FALSE(clear->isEnabled());
    EXPECT_FALSE(form->ClearMenuItem->isEnabled());
    QTest::mouseClick(clear, Qt::LeftButton);
    form->ClearMenuItem->trigger();
    form->ClearBtnClick(); // nothing that reaches the handler clears a locked panel's history
    EXPECT_EQ(data.Count(), 2);

    form->LockBtn->click(); // no password: unlocks without asking
    ASSERT_FALSE(form->Controller()->IsLocked());
    EXPECT_TRUE(form->ClearMenuItem->isEnabled());
    ASSERT_TRUE(clear->isEnabled());
    QTest::mouseClick(clear, Qt::LeftButton);
    EXPECT_EQ(data.Count(), 0);
}

TEST_F(MainFormTest, AboutAndSettingsOpenCentredOnTheScreen)
{
    // Owned by the main window, as the program creates them.
    auto* about = new TAboutForm(form.get());
    auto* settings = new TSettingsForm(form.get());
    TMainForm::Forms forms;
    forms.About = about;
    forms.Settings = settings;
    form->SetForms(forms);
    ShowAndStart();
    form->move(20, 10); // the main window's centre is far from the screen's
    const QPoint screenCentre = form->screen()->geometry().center();
    ASSERT_GT((form->frameGeometry().center() - screenCentre).manhattanLength(), 50);

    std::vector<QRect> frames;
    testsupport::ModalDriver driver;
    auto closeIt = [&frames](QWidget* dialog) {
        frames.push_back(dialog->frameGeometry());
        static_cast<QDialog*>(dialog)->reject();
        return true;
    };
    driver.Then("AboutForm", closeIt).Then("SettingsForm", closeIt);
    form->AboutMenuItem->trigger();
    QTest::mouseClick(form->SettingsBtn, Qt::LeftButton);
    ASSERT_TRUE(driver.Done());
    ASSERT_EQ(frames.size(), 2u);
    for (const QRect& frame : frames)
        EXPECT_LE((frame.center() - screenCentre).manhattanLength(), 2)
            << frame.x() << "," << frame.y() << " " << frame.width() << "x" << frame.height();
}

TEST_F(MainFormTest, PrintsAndCopiesTheWindowImage)
{
    ShowAndStart();
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    const std::string pdf = dir.File("window.pdf");
    printer.setOutputFileName(QString::fromStdString(pdf));
    form->PrintImage(printer);
    const std::string bytes = testsupport::ReadAll(pdf);
    ASSERT_GT(bytes.size(), 1000u);
    EXPECT_EQ(bytes.substr(0, 4), "%PDF");
    // One page holding the window's picture, whole.
    EXPECT_EQ(testsupport::PdfPageCount(bytes), 1);
    EXPECT_EQ(testsupport::PdfImageSizes(bytes), std::vector<QSize>{form->WindowImage().size()});

    form->CopyToClipboardMenuItem->trigger();
    const QImage copied = QApplication::clipboard()->image();
    ASSERT_FALSE(copied.isNull());
    EXPECT_EQ(copied.size(), form->WindowImage().size());
}

TEST_F(MainFormTest, CloseStopsTimersAndSavesTheLoadedSettings)
{
    ShowAndStart();
    form->SetReadTimer(true);
    form->move(70, 60);
    form->close();
    EXPECT_FALSE(form->isVisible());
    EXPECT_TRUE(testsupport::ApplicationToldToQuit()); // the program ends
    testsupport::TakeBackApplicationQuit();
    EXPECT_FALSE(form->ReadTimer->isActive());
    EXPECT_FALSE(form->StartupTimer->isActive());
    const std::string saved = testsupport::ReadAll(platform::SettingsFile::PathForKey(KeyPath));
    EXPECT_NE(saved.find("[Vantrel Orrery]"), std::string::npos);
    EXPECT_NE(saved.find("[Main]"), std::string::npos);
    EXPECT_NE(saved.find("AutoTestN"), std::string::npos);
}

TEST_F(MainFormTest, ConnectionDialogOffersThePortTheSettingsFileNames)
{
    testsupport::SimPty sim;
    ASSERT_TRUE(sim.Ok()) << sim.Error();
    auto state = simunit::InstallDeviceCommands(sim.Unit());
    state->With([](simunit::SimUnitData& d) { d.rfOn = false; });
    // As `./build.sh run` starts the program: a settings file naming the unit's terminal.
    const std::string file = dir.File("simunit.orrery");
    testsupport::WriteAll(file, "[Vantrel Orrery]\r\nComPort=" + sim.Path() +
                                    "\r\nConnMode=0\r\n[Settings]\r\nBaudRate=9600\r\nAddr=2\r\n");
    form->SetCommandLine({file}, dir.Path());
    TMainForm::Forms forms;
    forms.Connection = new TConnectionForm(form->Bridge(), form->ConnectBar, form.get());
    form->SetForms(forms);
    ShowAndStart();
    ASSERT_EQ(form->PortText(), sim.Path());

    std::string offered, afterConnect, afterNetwork, afterLocal;
    bool connected = false;
    testsupport::ModalDriver driver;
    driver.Then("ConnectionForm", [&](QWidget* dialog) {
        auto* port = dialog->findChild<QLineEdit*>("ComPortEdit");
        offered = port->text().toStdString();
        QTest::mouseClick(dialog->findChild<QPushButton*>("ConnectBtn"), Qt::LeftButton);
        connected = form->Device()->IsConnected();
        afterConnect = form->PortText();
        dialog->findChild<QRadioButton*>("ModbusRadioButton")->click();
        afterNetwork = form->PortText();
        dialog->findChild<QRadioButton*>("LocalRadioButton")->click();
        afterLocal = form->PortText();
        EXPECT_EQ(port->text().toStdString(), sim.Path());
        QTest::mouseClick(dialog->findChild<QPushButton*>("OkBtn"), Qt::LeftButton);
        return true;
    });
    form->ConnectionMenuItem->trigger();
    ASSERT_TRUE(driver.Done());
    EXPECT_EQ(offered, sim.Path()); // not in the scanned port list, offered all the same
    EXPECT_TRUE(connected);
    EXPECT_EQ(afterConnect, sim.Path());
    EXPECT_EQ(afterNetwork, sim.Path());
    EXPECT_EQ(afterLocal, sim.Path());
    EXPECT_EQ(form->Controller()->ConnMode(), COrrery::ModeLocal);
    EXPECT_FALSE(form->Device()->IsConnected()); // the change of mode disconnected
    EXPECT_TRUE(hooks.shown.empty()) << hooks.shown.front().text;
}

} // namespace

// --- connection through a gateway -------------------------------------------------------------

namespace {

// A gateway on loopback with a unit on "COM1", and the main window in network mode with the
// gateway's port set: the user only has to type the site and connect.
class GatewayMainFormTest : public MainFormTest {
protected:
    void SetUp() override
    {
        MainFormTest::SetUp();
        gateway.AddPort("COM1", 2, simunit::SimGateway::AnswerFrom(unit));
        gateway.AddPort("COM2", 3, simunit::SimGateway::AnswerFrom(unit));
        ASSERT_TRUE(gateway.Start());
    }
    void TearDown() override
    {
        form->Device()->DisconnectNetwork();
        MainFormTest::TearDown();
    }
    void ConnectToTheGateway()
    {
        form->Controller()->Settings().TCPPort = gateway.Port();
        form->ConnectBar->findChild<QAction*>("ModbusItem")->trigger();
        form->ConnectBar->RemoteComboBox()->setEditText("127.0.0.1");
        form->ConnectBar->RemoteBtn()->click();
        ASSERT_TRUE(form->Device()->IsGateway());
    }

    simunit::SimUnit unit;
    simunit::SimGateway gateway{simunit::SimGateway::Role::Gateway};
};

} // namespace

TEST_F(GatewayMainFormTest, OpenConnectionDialogFollowsALostGateway)
{
    TMainForm::Forms forms;
    forms.Connection = new TConnectionForm(form->Bridge(), form->ConnectBar, form.get());
    form->SetForms(forms);
    ShowAndStart();
    ConnectToTheGateway();
    form->SetPortText("COM1");
    form->ConnectBar->ConnectBtn()->click();
    ASSERT_TRUE(form->Device()->IsConnected());

    testsupport::ModalDriver driver;
    driver.Then("ConnectionForm", [&](QWidget* dialog) {
        auto* connectBtn = dialog->findChild<QPushButton*>("ConnectBtn");
        auto* remoteBtn = dialog->findChild<QPushButton*>("RemoteBtn");
        EXPECT_EQ(connectBtn->text().toStdString(), "Disconnect");
        EXPECT_EQ(remoteBtn->text().toStdString(), "Disconnect");
        gateway.Stop();
        form->ReadTimerTimer(); // the next poll finds the gateway gone
        EXPECT_FALSE(form->Device()->HasSocket());
        EXPECT_EQ(connectBtn->text().toStdString(), "Connect");
        EXPECT_EQ(remoteBtn->text().toStdString(), "Connect");
        dialog->findChild<QPushButton*>("OkBtn")->click();
        return true;
    });
    form->ConnectionMenuItem->trigger();
    EXPECT_TRUE(driver.Done());
    EXPECT_EQ(form->ConnectBar->ConnectBtn()->text().toStdString(), "Connect");
    EXPECT_EQ(form->ConnectBar->RemoteBtn()->text().toStdString(), "Connect");
    EXPECT_TRUE(hooks.shown.empty()) << hooks.shown.front().text;
}

TEST_F(GatewayMainFormTest, PortBoxListsTheGatewaysPortsThenTheRecentOnes)
{
    const std::string file = dir.File("gateway.orrery");
    testsupport::WriteAll(file, "[Vantrel Orrery]\r\nComPort=/dev/ttyS0\r\nComPortListN=3\r\n"
                                "ComPortList1=lab:3\r\nComPortList2=com2\r\nComPortList3=lab:4\r\n"
                                "ConnMode=1\r\n");
    form->SetCommandLine({file}, dir.Path());
    ShowAndStart();
    ASSERT_EQ(form->ConnectBar->PortText(), "/dev/ttyS0");
    ConnectToTheGateway();
    EXPECT_EQ(form->ConnectBar->PortItems(), (std::vector<std::string>{"COM1", "COM2", "lab:3", "lab:4"}));
    EXPECT_EQ(form->ConnectBar->PortText(), "COM1");
    form->ConnectBar->ConnectBtn()->click();
    EXPECT_TRUE(form->Device()->IsConnected());
    EXPECT_EQ(form->Device()->PortName(), "COM1");
    EXPECT_TRUE(hooks.shown.empty()) << hooks.shown.front().text;
}

TEST_F(MainFormTest, ConnectionDialogsSettingsButtonOpensTheConnectionPage)
{
    TMainForm::Forms forms;
    auto* settings = new TSettingsForm(form.get());
    auto* connection = new TConnectionForm(form->Bridge(), form->ConnectBar, form.get());
    forms.Settings = settings;
    forms.Connection = connection;
    form->SetForms(forms);
    ShowAndStart();
    ASSERT_EQ(settings->PageControl->currentIndex(), 0);

    std::string page;
    QTimer::singleShot(0, connection, [&] {
        QTimer::singleShot(0, settings, [&] {
            page = settings->PageControl->tabText(settings->PageControl->currentIndex()).toStdString();
            settings->CancelBtn->click();
        });
        connection->findChild<QPushButton*>("SettingsBtn")->click();
        connection->findChild<QPushButton*>("OkBtn")->click();
    });
    form->ConnectionMenuItem->trigger();
    EXPECT_EQ(page, "Connection");
}

// The main window when the other side fails: a unit that dies while it is polled, a unit that
// does not answer its identification, a gateway that is gone when its information is asked for,
// and a settings file that cannot be written.

#include "panel/Scripted.h"

#include "device/Data.h"
#include "device/Device.h"
#include "link/ui/Connectbar.h"
#include "link/ui/Connection.h"
#include "panel/Connectbridge.h"
#include "panel/Orrery.h"
#include "panel/Readingspanes.h"
#include "panel/ui/Alarmpanel.h"
#include "panel/ui/Capsdlg.h"
#include "panel/ui/Ctrlpanel.h"
#include "panel/ui/Faultsframe.h"
#include "panel/ui/Main.h"
#include "panel/ui/Smithdlg.h"
#include "service/ui/Mainserviceside.h"
#include "service/ui/Trajpage.h"
#include "panel/ui/Status.h"
#include "platform/Settingsfile.h"
#include "qtsupport/Modaldriver.h"
#include "qtsupport/Widgets.h"
#include "simunit/Simcommandset.h"
#include "simunit/Simgateway.h"
#include "support/Simfixture.h"
#include "support/Tempdir.h"
#include "zcomponents/Zled.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStackedWidget>
#include <QTimer>
#include <QToolButton>
#include <algorithm>
#include <array>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <gtest/gtest.h>

namespace {

using simunit::SimSerialServer;

const char* const KeyPath = "Software\\Quorvane\\Vantrel Orrery";

class MainFailures : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::remove(platform::SettingsFile::PathForKey(KeyPath).c_str());
        form = std::make_unique<TMainForm>();
        side = std::make_unique<TMainServiceSide>(*form);
        form->SetData(&data);
        form->SetCommandLine(args, dir.Path() + "/");
        form->Controller()->SetVersionText("D.00");
    }
    void TearDown() override
    {
        form->Device()->ClosePort();
        form->Device()->DisconnectNetwork();
        side.reset();
        form.reset();
    }
    void Start()
    {
        form->SetCommandLine(args, dir.Path() + "/");
        form->show();
        QCoreApplication::processEvents();
        ASSERT_TRUE(form->Controller()->StartupDone());
        form->Controller()->Settings().BaudRate = "9600";
        // The settings' default time-out: a unit that answers is not taken for a silent one on a
        // busy machine (a stall then takes a few of them to stop the polling).
        form->Controller()->Settings().Timeout = 500;
    }
    // The user types the port and presses Connect on the connect bar.
    void ConnectTo(const std::string& port)
    {
        form->SetPortText(port);
        form->ConnectBar->ConnectBtn()->click();
    }
    std::string Panel(QLabel* label) const { return label->text().toStdString(); }
    // With the connection dialog (Orrery > Connection), started and linked to the gateway.
    void StartOnGateway(const simunit::SimGateway& gateway)
    {
        TMainForm::Forms forms;
        forms.Connection = new TConnectionForm(form->Bridge(), form->ConnectBar, form.get());
        form->SetForms(forms);
        Start();
        form->Controller()->Settings().TCPPort = gateway.Port();
        ASSERT_TRUE(form->Controller()->ConnectSite("127.0.0.1", true));
        ASSERT_TRUE(form->Device()->IsGateway());
    }
    bool Lit(QLabel* label) const
    {
        return label->palette().color(QPalette::Window) == QColor(0x00, 0xFF, 0x00);
    }
    // The panels say the unit's state is unknown; readings, pane values and read-outs show no
    // number.
    void ExpectStateUnknown()
    {
        EXPECT_EQ(Panel(form->RFOnPanel), "RF ?");
        EXPECT_EQ(Panel(form->TunedPanel), "Tuned ?");
        EXPECT_EQ(Panel(form->_3capTunedPanel), "3rd cap ?");
        EXPECT_FALSE(Lit(form->RFOnPanel));
        EXPECT_FALSE(Lit(form->TunedPanel));
        for (int id : {1, 2, 3, 5, 6})
            EXPECT_TRUE(std::isnan(form->Panes().Source().LatestValue(id))) << id;
        for (const char* name : {"ShCText", "SerCText"})
            EXPECT_EQ(testsupport::Child<TNumberLabel>(*form, name)->Shown(), "") << name;
    }

    // The mode, preset and third-capacitor buttons shown down on the control page shown.
    std::vector<std::string> ButtonsDown() const
    {
        std::vector<std::string> down;
        for (const QToolButton* b : form->CtrlPanel->CtrlNotebook->currentWidget()->findChildren<QToolButton*>())
            if (b->isChecked())
                down.push_back(b->objectName().toStdString());
        std::sort(down.begin(), down.end());
        return down;
    }
    // The Faults page's LEDs that are lit, and those in the yellow of the faults.
    std::vector<std::string> LedsLit() const
    {
        std::vector<std::string> lit;
        for (const TzLed* led : form->FaultsFrame->Leds())
            if (led->Enabled())
                lit.push_back(led->objectName().toStdString());
        return lit;
    }
    int YellowLeds() const
    {
        int n = 0;
        for (const TzLed* led : form->FaultsFrame->Leds())
            n += led->LEDColor() == lctyellow;
        return n;
    }
    // The colour at the middle of the status frame's communication indicator, once the marks
    // of the last commands have run out.
    QRgb CommLedColour() const
    {
        for (int i = 0; i < 2 * CStatusState::ErrorTicks; ++i)
            form->Status->StatusTimerTimer();
        const QLabel* image = testsupport::Child<QLabel>(*form, "CommImage");
        const QImage shown = image->pixmap().toImage();
        return shown.pixel(shown.width() / 2, shown.height() / 2);
    }
    static QRgb PictureColour(int picture)
    {
        const QImage image = TStatusFrame::CommPicture(picture).toImage();
        return image.pixel(image.width() / 2, image.height() / 2);
    }
    // Polls by the read timer's handler until the timer has stopped (for errors or a lost link).
    void PollUntilStopped()
    {
        for (int i = 0; i < 20 && form->ReadTimer->isActive(); ++i)
            form->ReadTimerTimer();
        ASSERT_FALSE(form->ReadTimer->isActive());
    }

    testsupport::TempDir dir;
    std::vector<std::string> args;
    ScriptedHooks hooks;
    CData data;
    std::unique_ptr<TMainForm> form;
    std::unique_ptr<TMainServiceSide> side; // goes before the main window
};

// Live words of a tuned unit with RF on (status word: bit 0 RF on, bit 1 tuned).
std::array<int16_t, 15> RfOnAndTuned() { return {1024, 0, 16, 100, 0, 0, 0, 0, 5000, 2500, 3, 35, 10, 0, 0}; }

TEST_F(MainFailures, UnitThatDiesWhilePolledLeavesNoPanelLit)
{
    testsupport::SimPty sim;
    ASSERT_TRUE(sim.Ok()) << sim.Error();
    auto state = simunit::InstallDeviceCommands(sim.Unit());
    state->With([](simunit::SimUnitData& d) {
        d.liveWords = RfOnAndTuned();
        (*d.liveWords)[10] |= 0x4000; // the capacitors disabled
    });
    Start();
    ConnectTo(sim.Path());
    ASSERT_TRUE(form->ReadTimer->isActive());
    form->ReadTimerTimer();
    ASSERT_EQ(Panel(form->RFOnPanel), "RF On");
    ASSERT_EQ(Panel(form->TunedPanel), "Tuned");
    ASSERT_EQ(Panel(form->CtrlPanel->Labels[0]), "Disabled");
    ASSERT_TRUE(form->AlarmPanel->InterlockPanel->isVisible());
    ASSERT_NE(data.Latest().Value(1), 0.0);

    // The unit stops answering: the fifth failed read stops the timer and says where.
    sim.Server().SetFault(SimSerialServer::Fault::Stall, -1);
    for (int i = 0; i < 5; ++i)
        form->ReadTimerTimer();
    EXPECT_FALSE(form->ReadTimer->isActive());
    ASSERT_EQ(hooks.shown.size(), 1u);
    EXPECT_EQ(hooks.shown[0].caption, "Vantrel Orrery");
    EXPECT_EQ(hooks.shown[0].text, "Unit on " + sim.Path() +
                                       ", 9600, Addr 2\nRead timer is stopped after\n5 communication errors");
    EXPECT_TRUE(form->Device()->IsConnected()); // the link stays; only its readings are gone
    // The unit's RF may still be on: neither "RF Off" nor a lit "RF On", and no number.
    ExpectStateUnknown();
    EXPECT_FALSE(form->AlarmPanel->InterlockPanel->isVisible());
    EXPECT_EQ(data.Latest().Flag(33), 0);
    // The capacitors show their names: whether they are disabled is not known.
    EXPECT_EQ(Panel(form->CtrlPanel->Labels[0]), "Load");
    EXPECT_EQ(Panel(form->CtrlPanel->Labels[1]), "Tune");

    // The unit answers again and the user starts the timer: the next read lights them again.
    sim.Server().SetFault(SimSerialServer::Fault::None, -1);
    form->ReadTimerBtn->click();
    ASSERT_TRUE(form->ReadTimer->isActive());
    form->ReadTimerTimer();
    EXPECT_EQ(Panel(form->RFOnPanel), "RF On");
    EXPECT_EQ(Panel(form->TunedPanel), "Tuned");
    EXPECT_EQ(Panel(form->CtrlPanel->Labels[0]), "Disabled");
    EXPECT_TRUE(form->AlarmPanel->InterlockPanel->isVisible());
    EXPECT_FALSE(std::isnan(form->Panes().Source().LatestValue(1)));
    EXPECT_NE(testsupport::Child<TNumberLabel>(*form, "ShCText")->Shown(), "");
}

TEST_F(MainFailures, UnitKilledWithAFaultShowsNeitherNoFaultsNorAPresetAsTheUnits)
{
    // The simulated unit's program, with the fault "Over Temperature" active.
    testsupport::SimProcess sim;
    std::string error;
    ASSERT_TRUE(sim.Start({"--fault", "3"}, error)) << error;
    Start();
    ConnectTo(sim.UnitPath());
    ASSERT_TRUE(form->ReadTimer->isActive());
    form->ReadTimerTimer();
    QToolButton* presetOn = testsupport::Child<QToolButton>(*form, "PresetOnBtn");
    presetOn->click();
    form->ReadTimerTimer();
    ASSERT_EQ(ButtonsDown(), (std::vector<std::string>{"PresetOnBtn", "SerialBtn"}));
    ASSERT_EQ(Panel(form->AlarmPanel->AlarmsPanel), "Over Temperature");
    ASSERT_EQ(LedsLit(), std::vector<std::string>{"OverTempLed"});
    ASSERT_EQ(CommLedColour(), PictureColour(CStatusState::CommIdle));
    ASSERT_EQ(side->TrajPage->SetBtns[0]->text(), "Active");

    // The unit is killed while it is polled.
    sim.Stop();
    PollUntilStopped();
    if (HasFatalFailure())
        return;
    ExpectStateUnknown();
    // Neither "No Faults" nor the last fault, and no fault word of 0 on the Faults page.
    EXPECT_EQ(Panel(form->AlarmPanel->AlarmsPanel), "Faults ?");
    EXPECT_NE(form->AlarmPanel->AlarmsPanel->palette().color(QPalette::Window), QColor(0xFF, 0xFF, 0x00));
    EXPECT_TRUE(LedsLit().empty());
    EXPECT_EQ(YellowLeds(), 0) << "unlit yellow LEDs read as no fault";
    EXPECT_FALSE(form->AlarmPanel->MutePanel->isVisible());
    // No mode or preset is shown as the unit's, nor its active trajectory set.
    EXPECT_TRUE(ButtonsDown().empty());
    for (QToolButton* set : side->TrajPage->SetBtns)
        EXPECT_EQ(set->text().toStdString(), "") << set->objectName().toStdString();
    // The status LED is not the colour of a healthy link once polling has stopped.
    EXPECT_NE(CommLedColour(), PictureColour(CStatusState::CommIdle));

    // A click on a preset button, which cannot reach the unit, leaves none down either.
    presetOn->click();
    EXPECT_TRUE(ButtonsDown().empty());
    EXPECT_EQ(Panel(form->AlarmPanel->AlarmsPanel), "Faults ?");

    // A disconnect the user chose keeps its plain look.
    form->Controller()->DisconnectConfirm();
    EXPECT_EQ(Panel(form->AlarmPanel->AlarmsPanel), "No Faults");
    EXPECT_EQ(ButtonsDown(), std::vector<std::string>{"PresetOffBtn"});
    EXPECT_EQ(YellowLeds(), int(form->FaultsFrame->Leds().size()));
}

TEST_F(MainFailures, ThirdCapacitorUnitThatStopsAnsweringShowsNoButtonDownUntilItAnswers)
{
    testsupport::SimPty sim;
    ASSERT_TRUE(sim.Ok()) << sim.Error();
    auto state = simunit::InstallDeviceCommands(sim.Unit());
    state->With([](simunit::SimUnitData& d) {
        d.pin = 0x400;
        d.faults = uint64_t(1) << 3;
    });
    Start();
    ConnectTo(sim.Path());
    ASSERT_TRUE(form->Device()->Has3rdCap());
    form->ReadTimerTimer();
    const std::vector<std::string> before = ButtonsDown();
    ASSERT_EQ(before, (std::vector<std::string>{"PresetOffBtn3", "SerialBtn3", "_3capPresetOffBtn", "_3capSerialBtn"}));

    sim.Server().SetFault(SimSerialServer::Fault::Stall, -1);
    PollUntilStopped();
    if (HasFatalFailure())
        return;
    EXPECT_TRUE(form->Device()->IsConnected());
    EXPECT_TRUE(ButtonsDown().empty());
    EXPECT_EQ(Panel(form->AlarmPanel->AlarmsPanel), "Faults ?");
    EXPECT_EQ(YellowLeds(), 0);
    EXPECT_EQ(CommLedColour(), PictureColour(CStatusState::CommError));

    // The unit answers again: the next read shows its state.
    sim.Server().SetFault(SimSerialServer::Fault::None, -1);
    form->ReadTimerBtn->click();
    form->ReadTimerTimer();
    EXPECT_EQ(ButtonsDown(), before);
    EXPECT_EQ(Panel(form->AlarmPanel->AlarmsPanel), "Over Temperature");
    EXPECT_EQ(LedsLit(), std::vector<std::string>{"OverTempLed"});
    EXPECT_EQ(YellowLeds(), int(form->FaultsFrame->Leds().size()));
    EXPECT_EQ(CommLedColour(), PictureColour(CStatusState::CommIdle));
}

// "Stop after" unticked: polling never stops for errors; the count field still says when the
// readings count as lost.
struct SPollingCase {
    const char* name;
    const char* settings;
    int lostAfter;
};

void PrintTo(const SPollingCase& c, std::ostream* os) { *os << c.name; }

class MainFailuresPolling : public MainFailures, public ::testing::WithParamInterface<SPollingCase> {
protected:
    void TearDown() override
    {
        smith.hide();
        caps.hide();
        MainFailures::TearDown();
    }
    TSmithForm smith;
    TCapsForm caps;
};

TEST_P(MainFailuresPolling, ReadsThatKeepFailingLoseTheReadingsUntilTheFirstGoodRead)
{
    const SPollingCase c = GetParam();
    const std::string file = dir.File("polling.orrery");
    testsupport::WriteAll(file, std::string("[Vantrel Orrery]\r\n[Settings]\r\n") + c.settings);
    args = {file};
    TMainForm::Forms forms;
    forms.Smith = &smith;
    forms.Caps = &caps;
    form->SetForms(forms);
    testsupport::SimPty sim;
    ASSERT_TRUE(sim.Ok()) << sim.Error();
    auto state = simunit::InstallDeviceCommands(sim.Unit());
    state->With([](simunit::SimUnitData& d) {
        d.liveWords = RfOnAndTuned();
        d.faults = uint64_t(1) << 3; // "Over Temperature"
        d.activeTrajectory = 3;
    });
    Start();
    ASSERT_FALSE(form->Controller()->Settings().UseMaxReadErrors);
    form->SmithBtn->click();
    form->CapsBtn->click();
    ConnectTo(sim.Path());
    ASSERT_TRUE(form->ReadTimer->isActive());
    form->ReadTimerTimer();
    const std::vector<std::string> down = ButtonsDown();
    ASSERT_FALSE(down.empty());
    ASSERT_EQ(Panel(form->RFOnPanel), "RF On");
    ASSERT_EQ(Panel(form->AlarmPanel->AlarmsPanel), "Over Temperature");
    ASSERT_EQ(side->TrajPage->SetBtns[2]->text(), "Active");
    ASSERT_TRUE(smith.Trail().MarkerShown);

    // The unit stops answering; polling goes on.
    sim.Server().SetFault(SimSerialServer::Fault::Stall, -1);
    for (int i = 0; i < c.lostAfter; ++i)
        form->ReadTimerTimer();
    for (int more = 0; more < 2; ++more) {
        SCOPED_TRACE(more);
        EXPECT_TRUE(form->ReadTimer->isActive());
        EXPECT_TRUE(hooks.shown.empty());
        ExpectStateUnknown();
        EXPECT_EQ(Panel(form->AlarmPanel->AlarmsPanel), "Faults ?");
        EXPECT_FALSE(form->AlarmPanel->MutePanel->isVisible());
        EXPECT_TRUE(LedsLit().empty());
        EXPECT_EQ(YellowLeds(), 0);
        EXPECT_TRUE(ButtonsDown().empty());
        EXPECT_EQ(Panel(form->CtrlPanel->Labels[0]), "Load");
        EXPECT_EQ(CommLedColour(), PictureColour(CStatusState::CommError));
        EXPECT_FALSE(smith.Trail().MarkerShown);
        EXPECT_FALSE(caps.Trail().MarkerShown);
        for (QToolButton* set : side->TrajPage->SetBtns)
            EXPECT_EQ(set->text().toStdString(), "") << set->objectName().toStdString();
        form->ReadTimerTimer(); // and it stays so while the reads go on failing
    }

    // The unit answers again. Its first answer may be a late one to a request it was still
    // owed (a unit at work says nothing on the line), so the read that gets it fails; the read
    // after it shows the unit's state.
    sim.Server().SetFault(SimSerialServer::Fault::None, -1);
    form->ReadTimerTimer();
    form->ReadTimerTimer();
    EXPECT_EQ(Panel(form->RFOnPanel), "RF On");
    EXPECT_EQ(Panel(form->AlarmPanel->AlarmsPanel), "Over Temperature");
    EXPECT_EQ(LedsLit(), std::vector<std::string>{"OverTempLed"});
    EXPECT_EQ(ButtonsDown(), down);
    EXPECT_EQ(side->TrajPage->SetBtns[2]->text(), "Active");
    EXPECT_TRUE(smith.Trail().MarkerShown);
    EXPECT_TRUE(caps.Trail().MarkerShown);
    EXPECT_FALSE(std::isnan(form->Panes().Source().LatestValue(1)));
    EXPECT_EQ(CommLedColour(), PictureColour(CStatusState::CommIdle));
}

INSTANTIATE_TEST_SUITE_P(StopAfterUnticked, MainFailuresPolling,
                         ::testing::Values(SPollingCase{"DefaultCount", "UseMaxReadErrors=0\r\n", 5},
                                           SPollingCase{"CountOf3", "UseMaxReadErrors=0\r\nMaxReadErrors=3\r\n", 3}),
                         [](const ::testing::TestParamInfo<SPollingCase>& info) { return std::string(info.param.name); });

TEST_F(MainFailures, NetworkedUnitLostWhilePolledLeavesNoPanelLit)
{
    simunit::SimUnit unit;
    auto state = simunit::InstallDeviceCommands(unit);
    state->With([](simunit::SimUnitData& d) { d.liveWords = RfOnAndTuned(); });
    auto gateway = std::make_unique<simunit::SimGateway>(simunit::SimGateway::Role::NetworkUnit);
    gateway->SetUnit(simunit::SimGateway::AnswerFrom(unit));
    ASSERT_TRUE(gateway->Start());
    Start();
    form->Controller()->Settings().TCPPort = gateway->Port();
    ASSERT_TRUE(form->Controller()->ConnectSite("127.0.0.1", true));
    ASSERT_TRUE(form->Device()->IsDirectNetwork());
    // Messages about the unit name it by its number and site.
    EXPECT_EQ(form->Controller()->UnitLinkText(),
              "Unit " + std::to_string(form->Controller()->Settings().UnitNumber) + " on 127.0.0.1");
    form->ReadTimer->stop(); // the test polls by hand
    form->ReadTimerTimer();
    ASSERT_EQ(Panel(form->RFOnPanel), "RF On");

    // The unit goes away: the program drops the link itself.
    gateway->CloseMidReply(1);
    for (int i = 0; i < 3 && form->Device()->HasSocket(); ++i)
        form->ReadTimerTimer();
    ASSERT_FALSE(form->Device()->HasSocket());
    ExpectStateUnknown();

    // A read that succeeds again shows the unit's state; a disconnect the user chose keeps
    // its plain look.
    ASSERT_TRUE(form->Controller()->ConnectSite("127.0.0.1", true));
    form->ReadTimer->stop();
    form->ReadTimerTimer();
    ASSERT_EQ(Panel(form->RFOnPanel), "RF On");
    hooks.answers = {true};
    form->Controller()->DisconnectConfirm();
    EXPECT_EQ(Panel(form->RFOnPanel), "RF Off");
    EXPECT_FALSE(std::isnan(form->Panes().Source().LatestValue(1)));
}

TEST_F(MainFailures, UnitAtAnotherAddressShowsTheFailedIdentification)
{
    testsupport::SimPty sim(5); // the settings ask for address 2
    ASSERT_TRUE(sim.Ok()) << sim.Error();
    simunit::InstallDeviceCommands(sim.Unit());
    Start();
    hooks.answers = {true}; // keep the link
    ConnectTo(sim.Path());
    ASSERT_EQ(hooks.shown.size(), 1u);
    EXPECT_EQ(hooks.shown[0].kind, "question");
    EXPECT_EQ(hooks.shown[0].caption, "Connect");
    EXPECT_EQ(hooks.shown[0].text, "Unit on " + sim.Path() +
                                       ", 9600, Addr 2\nNo response from unit.\nMaintain Com port connection ?");
    ASSERT_TRUE(form->Device()->IsConnected());
    EXPECT_FALSE(form->ReadTimer->isActive());
    // The failed command is held in the status frame with its error mark, and beeped: once for
    // the command, once for the question.
    const CStatusState& status = form->Status->State();
    EXPECT_EQ(status.ErrorText(), "Cmd 128: Time-out");
    EXPECT_LT(status.MessageState(), 0);
    EXPECT_EQ(status.MessageHold(), CStatusState::MessageHoldTicks);
    EXPECT_EQ(status.CommState(), CStatusState::CommError);
    EXPECT_EQ(hooks.beeps, 2);
}

TEST_F(MainFailures, ServerInfoOfALostGatewaySaysSo)
{
    simunit::SimUnit unit;
    simunit::SimGateway gateway(simunit::SimGateway::Role::Gateway);
    gateway.AddPort("COM7", 2, simunit::SimGateway::AnswerFrom(unit));
    gateway.SetInformationText("Test gateway");
    ASSERT_TRUE(gateway.Start());
    StartOnGateway(gateway);
    if (HasFatalFailure())
        return;

    // Orrery > Connection, Info, as often as asked; what each window shows is noted.
    std::vector<std::string> shown;
    const auto openInfo = [](QWidget* w) {
        QPushButton* info = testsupport::Child<QPushButton>(*w, "InfoBtn");
        QTimer::singleShot(0, info, [info] { info->click(); }); // the info window runs modally
        return true;
    };
    const auto noteAndClose = [&shown](QWidget* w) {
        shown.push_back(testsupport::Child<QPlainTextEdit>(*w, "RemoteMemo")->toPlainText().toStdString());
        testsupport::Child<QPushButton>(*w, "CloseBtn")->click();
        return true;
    };
    const auto closeDialog = [](QWidget* w) {
        static_cast<QDialog*>(w)->reject();
        return true;
    };
    testsupport::ModalDriver driver;
    driver.Then("ConnectionForm", openInfo).Then("ServerInfoForm", noteAndClose).Then("ConnectionForm", closeDialog);
    form->ConnectionMenuItem->trigger();
    ASSERT_TRUE(driver.Done());
    ASSERT_EQ(shown, (std::vector<std::string>{"Test gateway"}));

    // The gateway goes away: the first look finds it gone, and so does every later one.
    gateway.Stop();
    shown.clear();
    testsupport::ModalDriver again;
    again.Then("ConnectionForm", openInfo)
        .Then("ServerInfoForm", noteAndClose)
        .Then("ConnectionForm", openInfo)
        .Then("ServerInfoForm", noteAndClose)
        .Then("ConnectionForm", closeDialog);
    form->ConnectionMenuItem->trigger();
    ASSERT_TRUE(again.Done());
    EXPECT_EQ(shown, (std::vector<std::string>{"Error reading gateway info", "Error reading gateway info"}));
    EXPECT_FALSE(form->Device()->HasSocket());
}

TEST_F(MainFailures, GatewayFoundGoneByServerInfoIsALostLinkAndItsPortIsNeverOpenedLocally)
{
    simunit::SimUnit unit;
    simunit::InstallDeviceCommands(unit);
    simunit::SimGateway gateway(simunit::SimGateway::Role::Gateway);
    gateway.AddPort("COM1", 2, simunit::SimGateway::AnswerFrom(unit));
    ASSERT_TRUE(gateway.Start());
    StartOnGateway(gateway);
    if (HasFatalFailure())
        return;
    form->Controller()->ConnectPort("COM1", true);
    ASSERT_TRUE(form->Device()->IsConnected());
    ASSERT_EQ(form->Device()->PortName(), "COM1");
    EXPECT_EQ(form->Controller()->UnitLinkText(), "Unit on COM1 of 127.0.0.1, 9600, Addr 2");
    form->ReadTimer->stop();
    hooks.shown.clear();

    // Orrery > Connection; the gateway stops; Info...; then the Com port's Connect with COM1.
    gateway.Stop();
    std::vector<std::string> seen;
    const auto openInfo = [](QWidget* w) {
        QPushButton* info = testsupport::Child<QPushButton>(*w, "InfoBtn");
        QTimer::singleShot(0, info, [info] { info->click(); });
        return true;
    };
    const auto closeInfo = [](QWidget* w) {
        testsupport::Child<QPushButton>(*w, "CloseBtn")->click();
        return true;
    };
    const auto lookAndConnect = [&seen](QWidget* w) {
        seen.push_back(testsupport::Child<QPushButton>(*w, "RemoteBtn")->text().toStdString());
        seen.push_back(testsupport::Child<QPushButton>(*w, "ConnectBtn")->text().toStdString());
        testsupport::Child<QLineEdit>(*w, "ComPortEdit")->setText("COM1");
        QPushButton* connect = testsupport::Child<QPushButton>(*w, "ConnectBtn");
        QTimer::singleShot(0, connect, [connect, w] {
            connect->click();
            static_cast<QDialog*>(w)->reject();
        });
        return true;
    };
    testsupport::ModalDriver driver;
    driver.Then("ConnectionForm", openInfo).Then("ServerInfoForm", closeInfo).Then("ConnectionForm", lookAndConnect);
    form->ConnectionMenuItem->trigger();
    ASSERT_TRUE(driver.Done());

    // The dialog showed the lost link as any lost link: nothing connected.
    EXPECT_EQ(seen, (std::vector<std::string>{"Connect", "Connect"}));
    EXPECT_FALSE(form->Device()->HasSocket());
    EXPECT_FALSE(form->Device()->IsConnected());
    EXPECT_FALSE(form->Device()->HasPort()); // no local device was opened for COM1
    EXPECT_EQ(form->ConnectBar->ConnectBtn()->text(), "Connect");
    EXPECT_EQ(Panel(form->RFOnPanel), "RF ?");
    // Connect said why, and never asked about a unit on a local port.
    ASSERT_EQ(hooks.shown.size(), 1u);
    EXPECT_EQ(hooks.shown[0].kind, "warning");
    EXPECT_EQ(hooks.shown[0].text, "Can't connect to COM1\nDisconnected");
}

TEST_F(MainFailures, SettingsFileThatIsAFolderIsNamedWithTheTrueReason)
{
    const std::string file = dir.File("panel.orrery");
    testsupport::WriteAll(file, "[Vantrel Orrery]\r\n");
    args = {file};
    Start();
    ASSERT_EQ(form->Controller()->SettingsFileName(), file);
    ASSERT_TRUE(std::filesystem::remove(file));
    ASSERT_TRUE(std::filesystem::create_directory(file));
    errno = EAGAIN; // whatever an earlier call left behind must not pass for the reason

    form->SaveSettingsMenuItem->trigger();
    ASSERT_EQ(hooks.shown.size(), 1u);
    EXPECT_EQ(hooks.shown[0].kind, "warning");
    EXPECT_EQ(hooks.shown[0].caption, "Save settings");
    EXPECT_EQ(hooks.shown[0].text, "Can't write " + file + "\nCannot read \"" + file + "\": not a regular file (a folder)");
    EXPECT_EQ(form->Controller()->SettingsFileName(), "");
    EXPECT_TRUE(std::filesystem::is_directory(file));
}

} // namespace

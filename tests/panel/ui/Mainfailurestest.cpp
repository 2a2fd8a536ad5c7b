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
#include "panel/ui/Alarmpanel.h"
#include "panel/ui/Main.h"
#include "service/ui/Mainserviceside.h"
#include "panel/ui/Status.h"
#include "platform/Settingsfile.h"
#include "qtsupport/Modaldriver.h"
#include "qtsupport/Widgets.h"
#include "simunit/Simcommandset.h"
#include "simunit/Simgateway.h"
#include "support/Simfixture.h"
#include "support/Tempdir.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>
#include <array>
#include <cerrno>
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
        form->Controller()->Settings().Timeout = 100;
    }
    // The user types the port and presses Connect on the connect bar.
    void ConnectTo(const std::string& port)
    {
        form->SetPortText(port);
        form->ConnectBar->ConnectBtn()->click();
    }
    std::string Panel(QLabel* label) const { return label->text().toStdString(); }

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
    state->With([](simunit::SimUnitData& d) { d.liveWords = RfOnAndTuned(); });
    Start();
    ConnectTo(sim.Path());
    ASSERT_TRUE(form->ReadTimer->isActive());
    form->ReadTimerTimer();
    ASSERT_EQ(Panel(form->RFOnPanel), "RF On");
    ASSERT_EQ(Panel(form->TunedPanel), "Tuned");
    ASSERT_TRUE(form->AlarmPanel->InterlockPanel->isVisible());
    ASSERT_NE(data.Latest().Value(1), 0.0);

    // The unit stops answering: the fifth failed read stops the timer and says where.
    sim.Server().SetFault(SimSerialServer::Fault::Stall, -1);
    for (int i = 0; i < 5; ++i)
        form->ReadTimerTimer();
    EXPECT_FALSE(form->ReadTimer->isActive());
    ASSERT_EQ(hooks.shown.size(), 1u);
    EXPECT_EQ(hooks.shown[0].caption, "Vantrel Orrery");
    EXPECT_EQ(hooks.shown[0].text, "Connected to " + sim.Path() +
                                       ", 9600, Addr 2\nRead timer is stopped after\n5 communication errors");
    EXPECT_TRUE(form->Device()->IsConnected()); // the link stays; only its readings are gone
    EXPECT_EQ(Panel(form->RFOnPanel), "RF Off");
    EXPECT_EQ(Panel(form->TunedPanel), "Not tuned");
    EXPECT_FALSE(form->AlarmPanel->InterlockPanel->isVisible());
    EXPECT_EQ(data.Latest().Value(1), 0.0);
    EXPECT_EQ(data.Latest().Flag(33), 0);

    // The unit answers again and the user starts the timer: the next read lights them again.
    sim.Server().SetFault(SimSerialServer::Fault::None, -1);
    form->ReadTimerBtn->click();
    ASSERT_TRUE(form->ReadTimer->isActive());
    form->ReadTimerTimer();
    EXPECT_EQ(Panel(form->RFOnPanel), "RF On");
    EXPECT_EQ(Panel(form->TunedPanel), "Tuned");
    EXPECT_TRUE(form->AlarmPanel->InterlockPanel->isVisible());
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
    EXPECT_EQ(hooks.shown[0].text, "Connected to " + sim.Path() +
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
    TConnectionForm* connection = new TConnectionForm(form->Bridge(), form->ConnectBar, form.get());
    TMainForm::Forms forms;
    forms.Connection = connection;
    form->SetForms(forms);
    Start();
    form->Controller()->Settings().TCPPort = gateway.Port();
    ASSERT_TRUE(form->Controller()->ConnectSite("127.0.0.1", true));
    ASSERT_TRUE(form->Device()->IsGateway());

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

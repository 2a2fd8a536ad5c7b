// The main window's programming and technician tools, driven from its menu against the
// simulated unit: flashing with the program's own flash library (success, Stop, a bad image, a
// missing library), loading the logic device, the console and the traffic log.

#include "panel/Scripted.h"

#include "device/Data.h"
#include "device/Device.h"
#include "link/ui/Connectbar.h"
#include "link/ui/Ostrabuslog.h"
#include "panel/Orrery.h"
#include "panel/ui/Main.h"
#include "service/ui/Mainserviceside.h"
#include "platform/Settingsfile.h"
#include "qtsupport/Modaldriver.h"
#include "qtsupport/Widgets.h"
#include "panel/ui/Alarmpanel.h"
#include "panel/ui/Status.h"
#include "service/ui/Flashing.h"
#include "service/ui/Setuppage.h"
#include "service/ui/Tech.h"
#include "simunit/Simcommandset.h"
#include "support/Simfixture.h"
#include "support/Tempdir.h"

#include <QAction>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLabel>
#include <QMouseEvent>
#include <QTabWidget>
#include <QTest>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QToolButton>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace {

using testsupport::ModalDriver;

const char* const KeyPath = "Software\\Quorvane\\Vantrel Orrery";
const char* const GoodHex = ":0300000002003BC0\r\n:0100030055A7\r\n:00000001FF\r\n";

class MainToolsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(sim.Ok()) << sim.Error();
        state = simunit::InstallDeviceCommands(sim.Unit());
        state->With([](simunit::SimUnitData& d) { d.motorSpeed = 0; });
        std::remove(platform::SettingsFile::PathForKey(KeyPath).c_str());
        setenv("ORRERY_FLASH_STEP_MS", "0", 1);
        form = std::make_unique<TMainForm>();
        side = std::make_unique<TMainServiceSide>(*form);
        form->SetData(&data);
        form->SetCommandLine({}, dir.Path());
        form->Controller()->SetVersionText("D.00");
        serviceForms.StartFlashing = new TStartFlashingForm(form.get());
        serviceForms.FlashProgress = new TFlashProgressForm(form.get());
        forms.OstraBusLog = new TOstraBusLogForm(form.get());
        serviceForms.Tech = new TTechForm(*form->Device(), [this] { form->ClearStatus(); }, form.get());
        side->SetForms(serviceForms);
        form->SetForms(forms);
        form->show();
        QCoreApplication::processEvents();
        ASSERT_TRUE(form->Controller()->StartupDone());
    }
    void TearDown() override
    {
        unsetenv("ORRERY_FLASH_STEP_MS");
        form->Device()->ClosePort();
        side.reset();
        form.reset();
    }
    void Connect()
    {
        form->Controller()->Settings().BaudRate = "9600";
        form->SetPortText(sim.Path());
        form->ConnectBar->ConnectBtn()->click();
        std::string said;
        for (const auto& m : hooks.shown)
            said += m.caption + ": " + m.text + "\n";
        ASSERT_TRUE(form->Device()->IsConnected()) << said;
        sim.Server().ClearLog();
    }
    // The flash library beside the program.
    void PlaceLibrary()
    {
        std::filesystem::create_symlink(ORRERY_FLASH_LIBRARY, dir.File("libflash_8951.so"));
    }
    std::string File(const std::string& name, const std::string& text)
    {
        testsupport::WriteAll(dir.File(name), text);
        return dir.File(name);
    }
    std::vector<int> Commands()
    {
        std::vector<int> out;
        for (const auto& r : sim.Server().Requests())
            out.push_back(r.command);
        return out;
    }
    bool SentBootMode()
    {
        const std::vector<int> cmds = Commands();
        return std::find(cmds.begin(), cmds.end(), 250) != cmds.end();
    }
    static ModalDriver::Action Choose(const std::string& path)
    {
        return [path](QWidget* w) {
            auto* d = static_cast<QFileDialog*>(w);
            d->selectFile(QString::fromStdString(path));
            auto* box = d->findChild<QDialogButtonBox*>();
            EXPECT_NE(box, nullptr);
            if (box)
                box->button(QDialogButtonBox::Open)->click();
            return true;
        };
    }
    // The path typed into the dialog's name field, then Enter, as a user does; a dialog that does
    // not take it is closed, so that the test ends either way.
    static ModalDriver::Action TypePath(const std::string& path)
    {
        return [path](QWidget* w) {
            auto* edit = w->findChild<QLineEdit*>("fileNameEdit");
            EXPECT_NE(edit, nullptr);
            if (edit) {
                edit->setFocus();
                edit->setText(QString::fromStdString(path));
                QTest::keyClick(edit, Qt::Key_Return);
            }
            if (w->isVisible()) {
                ADD_FAILURE() << "the dialog did not take " << path;
                static_cast<QDialog*>(w)->reject();
            }
            return true;
        };
    }
    static ModalDriver::Action ClickOk()
    {
        return [](QWidget* w) {
            testsupport::Child<QPushButton>(*w, "OkBtn")->click();
            return true;
        };
    }
    // Waits for the library to return, notes what the dialog shows, then clicks OK.
    ModalDriver::Action FinishProgress()
    {
        return [this](QWidget* w) {
            auto* p = static_cast<TFlashProgressForm*>(w);
            if (p->StopBtn->text() != "OK")
                return false;
            finalLabel = p->Label->text().toStdString();
            panelShown = p->Panel->isVisible();
            barHidden = !p->ProgressBar->isVisible();
            p->StopBtn->click();
            return true;
        };
    }

    testsupport::SimPty sim;
    std::shared_ptr<simunit::SimState> state;
    testsupport::TempDir dir;
    ScriptedHooks hooks;
    CData data;
    std::unique_ptr<TMainForm> form;
    std::unique_ptr<TMainServiceSide> side; // goes before the main window
    TMainForm::Forms forms;
    TMainServiceSide::Forms serviceForms;
    std::string finalLabel;
    bool panelShown = false;
    bool barHidden = false;
};

TEST_F(MainToolsTest, FlashingAGoodImageEntersBootModeDisconnectsAndSucceeds)
{
    PlaceLibrary();
    Connect();
    EXPECT_TRUE(form->FlashingMenuItem->isEnabled());
    const std::string hex = File("good.hex", GoodHex);
    ModalDriver driver;
    driver.Then("StartFlashingForm",
                [](QWidget* w) {
                    auto* combo = testsupport::Child<QComboBox>(*w, "FreqComboBox");
                    EXPECT_EQ(combo->currentText(), "32");
                    combo->setEditText("20");
                    testsupport::Child<QPushButton>(*w, "OkBtn")->click();
                    return true;
                })
        .Then("OpenFlashDialog", Choose(hex))
        .Then("FlashProgressForm", FinishProgress());
    form->FlashingMenuItem->trigger();
    EXPECT_TRUE(driver.Done());
    EXPECT_EQ(finalLabel, "Flashing completed: 4 bytes programmed");
    EXPECT_TRUE(panelShown);
    EXPECT_TRUE(barHidden);
    // Boot mode went out under service access, then the link was dropped.
    ASSERT_TRUE(SentBootMode());
    EXPECT_FALSE(form->Device()->IsConnected());
    EXPECT_FALSE(form->ReadTimer->isActive());
    EXPECT_TRUE(hooks.shown.empty());

    // The unit is power-cycled and the user reconnects; the next flashing offers the frequency
    // last used.
    sim.Server().Stop();
    std::string error;
    ASSERT_TRUE(sim.Server().Start(&error)) << error;
    Connect();
    EXPECT_TRUE(form->Device()->IsConnected());
    ModalDriver again;
    again.Then("StartFlashingForm", [](QWidget* w) {
        EXPECT_EQ(testsupport::Child<QComboBox>(*w, "FreqComboBox")->currentText(), "20");
        testsupport::Child<QPushButton>(*w, "CancelBtn")->click();
        return true;
    });
    form->FlashingMenuItem->trigger();
    EXPECT_TRUE(again.Done());
    EXPECT_TRUE(form->Device()->IsConnected()); // cancelled: nothing touched
    EXPECT_TRUE(form->ReadTimer->isActive());
}

TEST_F(MainToolsTest, StopAbortsTheLibraryAndABadImageShowsItsText)
{
    PlaceLibrary();
    setenv("ORRERY_FLASH_STEP_MS", "60000", 1);
    const std::string hex = File("good.hex", GoodHex);
    bool terminatingShown = false;
    ModalDriver driver;
    driver.Then("StartFlashingForm", ClickOk())
        .Then("OpenFlashDialog", Choose(hex))
        .Then("FlashProgressForm",
              [&](QWidget* w) {
                  auto* p = static_cast<TFlashProgressForm*>(w);
                  p->StopBtn->click();
                  terminatingShown = p->Label->text() == "Terminating DLL. Wait..." && !p->StopBtn->isEnabled();
                  return true;
              })
        .Then("FlashProgressForm", FinishProgress());
    form->FlashingMenuItem->trigger(); // not connected: no boot mode, flashing starts at once
    EXPECT_TRUE(driver.Done());
    EXPECT_TRUE(terminatingShown);
    EXPECT_EQ(finalLabel, "Aborted: the unit stays in boot mode");
    EXPECT_TRUE(Commands().empty());

    setenv("ORRERY_FLASH_STEP_MS", "0", 1);
    const std::string bad = File("bad.hex", ":0300000002003BC1\r\n:00000001FF\r\n");
    ModalDriver second;
    second.Then("StartFlashingForm", ClickOk())
        .Then("OpenFlashDialog", Choose(bad))
        .Then("FlashProgressForm", FinishProgress());
    form->FlashingMenuItem->trigger();
    EXPECT_TRUE(second.Done());
    EXPECT_EQ(finalLabel, "Error in image: Line 1: bad checksum");
}

TEST_F(MainToolsTest, MissingLibraryIsRefusedBeforeAnythingIsSent)
{
    Connect(); // no library beside the program, none on the library path
    ModalDriver driver; // a start dialog would be a failure: cancel it rather than hang
    driver.Then("StartFlashingForm", [](QWidget* w) {
        testsupport::Child<QPushButton>(*w, "CancelBtn")->click();
        return true;
    });
    form->FlashingMenuItem->trigger();
    ASSERT_EQ(hooks.shown.size(), 1u);
    EXPECT_EQ(hooks.shown[0].caption, "Flashing");
    EXPECT_EQ(hooks.shown[0].text.rfind("The flash library libflash_8951.so cannot be loaded", 0), 0u);
    EXPECT_TRUE(driver.Seen().empty()); // no dialog was shown
    EXPECT_FALSE(SentBootMode());
    EXPECT_TRUE(form->Device()->IsConnected());
    EXPECT_TRUE(form->ReadTimer->isActive());
}

TEST_F(MainToolsTest, FrequencyThatIsNotANumberIsRefusedBeforeAnythingChanges)
{
    PlaceLibrary();
    Connect();
    ModalDriver driver;
    driver.Then("StartFlashingForm", [](QWidget* w) {
        testsupport::Child<QComboBox>(*w, "FreqComboBox")->setEditText("3x");
        testsupport::Child<QPushButton>(*w, "OkBtn")->click();
        return true;
    });
    form->FlashingMenuItem->trigger();
    EXPECT_TRUE(driver.Done());
    ASSERT_EQ(hooks.shown.size(), 1u);
    EXPECT_EQ(hooks.shown[0].text, "Wrong frequency: \"3x\"");
    EXPECT_FALSE(SentBootMode());
    EXPECT_TRUE(form->Device()->IsConnected());
    EXPECT_TRUE(form->ReadTimer->isActive());
}

TEST_F(MainToolsTest, EmptyImageIsRefusedBeforeTheUnitIsTouched)
{
    PlaceLibrary();
    Connect();
    ModalDriver driver;
    driver.Then("StartFlashingForm", ClickOk()).Then("OpenFlashDialog", Choose(File("empty.hex", "")));
    form->FlashingMenuItem->trigger();
    EXPECT_TRUE(driver.Done());
    ASSERT_EQ(hooks.shown.size(), 1u);
    EXPECT_EQ(hooks.shown[0].text, "File is empty");
    EXPECT_FALSE(SentBootMode()); // a poll may have run before the timer stopped
    EXPECT_TRUE(form->Device()->IsConnected());
    EXPECT_FALSE(form->ReadTimer->isActive()); // stopped at the start, as before any file
}

TEST_F(MainToolsTest, XilinxFromTheMenuSendsBlocks)
{
    EXPECT_FALSE(form->XilinxMenuItem->isEnabled());
    Connect();
    ASSERT_TRUE(form->XilinxMenuItem->isEnabled());
    std::string isp = ";N=300\r\n";
    for (int i = 1; i < 300; ++i)
        isp += "0x" + std::to_string(i % 10) + (i % 20 == 0 ? "\r\n" : ",");
    const std::string path = File("image.isp", isp);
    hooks.answers = {true};
    ModalDriver driver;
    driver.Then("OpenXilinxDialog", Choose(path));
    form->XilinxMenuItem->trigger();
    EXPECT_TRUE(driver.Done());
    const auto blocks = sim.Server().XilinxBlocks();
    ASSERT_EQ(blocks.size(), 2u);
    EXPECT_EQ(blocks[0].size(), 255u);
    EXPECT_EQ(blocks[1].size(), 45u);
    EXPECT_FALSE(form->ReadTimer->isActive());
}

TEST_F(MainToolsTest, NamedPipeChosenAsAnImageIsRefusedAtOnce)
{
    PlaceLibrary();
    Connect();
    const std::string fifo = dir.File("image.isp");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    ModalDriver driver;
    driver.Then("OpenXilinxDialog", TypePath(fifo));
    form->XilinxMenuItem->trigger();
    EXPECT_TRUE(driver.Done());
    ASSERT_EQ(hooks.shown.size(), 1u);
    EXPECT_EQ(hooks.shown[0].caption, "Xilinx");
    EXPECT_EQ(hooks.shown[0].text, "Cannot read \"" + fifo + "\": not a regular file (a named pipe)");
    EXPECT_TRUE(sim.Server().XilinxBlocks().empty());

    const std::string hexFifo = dir.File("image.hex");
    ASSERT_EQ(mkfifo(hexFifo.c_str(), 0600), 0);
    ModalDriver flashing;
    flashing.Then("StartFlashingForm", ClickOk()).Then("OpenFlashDialog", TypePath(hexFifo));
    form->FlashingMenuItem->trigger();
    EXPECT_TRUE(flashing.Done());
    ASSERT_EQ(hooks.shown.size(), 2u);
    EXPECT_EQ(hooks.shown[1].caption, "Flashing");
    EXPECT_EQ(hooks.shown[1].text, "Cannot read \"" + hexFifo + "\": not a regular file (a named pipe)");
    EXPECT_FALSE(SentBootMode());
    EXPECT_TRUE(form->Device()->IsConnected());
}

TEST_F(MainToolsTest, ConsoleAndTrafficLogFromTheMenu)
{
    Connect();
    form->OstraBuslogMenuItem->trigger();
    ASSERT_TRUE(forms.OstraBusLog->isVisible());
    form->TechMenuItem->trigger();
    ASSERT_TRUE(serviceForms.Tech->isVisible());
    serviceForms.Tech->ExecuteBtn->click(); // command 128 by default
    EXPECT_EQ(serviceForms.Tech->ErrorText->text(), "OK");
    EXPECT_EQ(serviceForms.Tech->ReadMemo->toPlainText(), " 86, 65, 78, 84");
    EXPECT_EQ(serviceForms.Tech->RdBytesText->text(), "4");
    const QStringList lines = forms.OstraBusLog->LogMemo->toPlainText().split('\n');
    ASSERT_EQ(lines.size(), 2);
    EXPECT_EQ(lines[0], "Wr:  Cmd=128 Bytes=0  ");
    EXPECT_TRUE(lines[1].startsWith("Rd:  Cmd=128 Bytes=4  ")) << lines[1].toStdString();
}

TEST_F(MainToolsTest, MotorButtonsSendCommand98AndAlarmPanelsOpenTheFaultsPage)
{
    Connect();
    form->ReadTimerBtn->click(); // no polls between the clicks
    ASSERT_FALSE(form->ReadTimer->isActive());
    ASSERT_NE(side->SetupPage, nullptr);
    sim.Server().ClearLog();
    side->SetupPage->EnableMotorsBtn->click();
    side->SetupPage->EnableMotorsBtn->click();
    side->SetupPage->DisableMotorsBtn->click();
    // Only the motor commands: the connection's last request may be recorded after the clear.
    std::vector<simunit::SimSerialServer::Request> requests;
    for (;;) { // the unit records a request just after its reply went out
        const auto all = sim.Server().Requests();
        requests.clear();
        for (const auto& r : all)
            if (r.command == 98)
                requests.push_back(r);
        if (requests.size() >= 3 || !sim.Server().WaitForRequests(all.size() + 1))
            break;
    }
    ASSERT_EQ(requests.size(), 3u);
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(requests[i].command, 98);
        EXPECT_EQ(requests[i].data, (std::vector<uint8_t>{uint8_t(i == 2 ? 1 : 0)}));
    }
    EXPECT_EQ(form->Status->State().MessageState(), CStatusState::MessageAccepted);

    for (QLabel* panel : {form->AlarmPanel->InterlockPanel, form->AlarmPanel->AlarmsPanel}) {
        form->PageControl->setCurrentWidget(form->DisplayPage);
        const QPointF at(2, 2);
        QMouseEvent press(QEvent::MouseButtonPress, at, panel->mapToGlobal(at), Qt::LeftButton,
                          Qt::LeftButton, Qt::NoModifier);
        QMouseEvent release(QEvent::MouseButtonRelease, at, panel->mapToGlobal(at), Qt::LeftButton,
                            Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(panel, &press);
        QApplication::sendEvent(panel, &release);
        EXPECT_EQ(form->PageControl->currentWidget(), form->FaultsPage) << panel->objectName().toStdString();
    }
}

} // namespace

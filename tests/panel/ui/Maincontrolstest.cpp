// The main window's control notebook and capacitor controls driven as a user drives them, with
// the program connected to the simulated unit: the page and panels by unit kind after the
// read-all at connection, each button's command, a track-bar drag against a key press, spin
// buttons and position-edit keys, and the lock.

#include "panel/Scripted.h"

#include "device/Data.h"
#include "device/Device.h"
#include "link/ui/Connectbar.h"
#include "panel/Orrery.h"
#include "panel/ui/Ctrlpanel.h"
#include "panel/ui/Main.h"
#include "service/ui/Mainserviceside.h"
#include "panel/ui/Password.h"
#include "panel/ui/Status.h"
#include "common/Helpers.h"
#include "panel/Statusstate.h"
#include "platform/Settingsfile.h"
#include "qtsupport/Widgets.h"
#include "simunit/Simcommandset.h"
#include "support/Sentcommands.h"
#include "support/Tempdir.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStackedWidget>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <cstdio>
#include <gtest/gtest.h>

namespace {

using simunit::SimUnitData;
using testsupport::SentCommand;

const char* const KeyPath = "Software\\Quorvane\\Vantrel Orrery";

std::vector<int> Word(int w) { return {w & 0xFF, (w >> 8) & 0xFF}; }

class MainControls : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::remove(platform::SettingsFile::PathForKey(KeyPath).c_str());
        ASSERT_TRUE(sim.Ok()) << sim.Error();
        state = simunit::InstallDeviceCommands(sim.Unit());
        Unit([](SimUnitData& d) { d.motorSpeed = 0; });
        form = std::make_unique<TMainForm>();
        side = std::make_unique<TMainServiceSide>(*form);
        form->SetData(&data);
        form->SetCommandLine({}, dir.Path());
        form->Controller()->SetVersionText("D.00");
        form->show();
        QCoreApplication::processEvents();
        ASSERT_TRUE(form->Controller()->StartupDone());
    }
    void TearDown() override
    {
        form->Device()->ClosePort();
        side.reset();
        form.reset();
    }
    template <typename F> void Unit(F&& f) { state->With([&](SimUnitData& d) { f(d); }); }
    void Connect()
    {
        form->Controller()->Settings().BaudRate = "9600";
        form->SetPortText(sim.Path());
        form->ConnectBar->ConnectBtn()->click();
        ASSERT_TRUE(form->Device()->IsConnected());
        form->ReadTimer->stop(); // the test polls by hand
        form->ReadTimerTimer();
        log.Clear();
    }
    TCtrlPanel& P() { return *form->CtrlPanel; }
    QToolButton* Button(const char* name) { return testsupport::Child<QToolButton>(*form, name); }
    QLineEdit* Edit(const char* name) { return testsupport::Child<QLineEdit>(*form, name); }
    // The number a capacitor's position edit shows.
    std::string Position(const char* name) { return testsupport::Child<TCapPosEdit>(*form, name)->Shown().toStdString(); }

    testsupport::TempDir dir;
    testsupport::SimPty sim;
    std::shared_ptr<simunit::SimState> state;
    ScriptedHooks hooks;
    testsupport::SentLog log;
    CData data;
    std::unique_ptr<TMainForm> form;
    std::unique_ptr<TMainServiceSide> side; // goes before the main window
};

TEST_F(MainControls, ThirdCapacitorUnitShowsItsPageAndPanelsAfterConnecting)
{
    Unit([](SimUnitData& d) {
        d.pin = 0x400;
        d.caps[2].position = 35.0;
        d.caps[2].target = 35.0;
    });
    EXPECT_EQ(P().CtrlNotebook->currentWidget(), P().CtrlPage); // the demo unit is a plain one
    EXPECT_FALSE(P().CapColumns[2]->isVisible());
    log.Clear();
    form->Controller()->Settings().BaudRate = "9600";
    form->SetPortText(sim.Path());
    form->ConnectBar->ConnectBtn()->click();
    ASSERT_TRUE(form->Device()->IsConnected());

    // The read-all at connection reads the configuration word, so the unit is a 3-cap one.
    const auto commands = log.Commands();
    ASSERT_GE(commands.size(), 2u);
    EXPECT_EQ(commands[0], 128);
    EXPECT_NE(std::find(commands.begin(), commands.end(), 169), commands.end());
    EXPECT_EQ(P().CtrlNotebook->currentWidget(), P().Ctrl3capPage);
    EXPECT_TRUE(P().CapColumns[2]->isVisible());
    EXPECT_TRUE(form->_3capTunedPanel->isVisible());
    // The first poll brings the third capacitor's position.
    form->ReadTimer->stop();
    form->ReadTimerTimer();
    EXPECT_EQ(Position("_3capPosEdit"), "35.00");
    EXPECT_EQ(P().TrackBars[2]->value(), 6500);
    EXPECT_EQ(P().TrackBars[2]->SelStart(), 2000); // limits 20..80 %
    EXPECT_EQ(P().TrackBars[2]->SelEnd(), 8000);
}

TEST_F(MainControls, ModeAndPresetButtonsSendAndShowTheUnitsState)
{
    Connect();
    Unit([](SimUnitData& d) { d.liveWords.reset(); });
    Button("AutoBtn")->click();
    EXPECT_EQ(log.Sent({93}), (std::vector<SentCommand>{{93, {1}}}));
    EXPECT_EQ(log.Count(255), 1); // the readings update after the mode change
    EXPECT_EQ(state->With([](SimUnitData& d) { return d.mode; }), 1);

    log.Clear();
    Button("ManualBtn")->click();
    Button("SerialBtn")->click();
    EXPECT_EQ(log.Sent({93}), (std::vector<SentCommand>{{93, {0}}, {93, {2}}}));

    log.Clear();
    Button("ExtPresetOnBtn")->click();
    Button("PresetOffBtn")->click();
    Button("PresetOnBtn")->click();
    EXPECT_EQ(log.Sent({93, 94, 97}),
              (std::vector<SentCommand>{{97, {1}}, {94, {1}}, {94, {0}}, {97, {0}}, {94, {1}}}));
}

TEST_F(MainControls, RefusedExternalPresetSendsNothingMoreAndShowsTheRefusal)
{
    Connect();
    for (const char* mode : {"ManualBtn", "AutoBtn"}) {
        Button(mode)->click();
        ASSERT_NE(state->With([](SimUnitData& d) { return d.mode; }), 2);
        log.Clear();
        form->Status->ClearMessage();
        const int beeps = hooks.beeps;
        Button("ExtPresetOnBtn")->click();
        // The unit refuses command 97 outside Serial mode: no preset command follows it.
        EXPECT_EQ(log.Sent({94, 97}), (std::vector<SentCommand>{{97, {1}}})) << mode;
        EXPECT_EQ(form->Status->State().ErrorText(), "Cmd 97: CSR " + CDevice::CsrText(1)) << mode;
        EXPECT_EQ(hooks.beeps, beeps + 1) << mode;
        EXPECT_EQ(state->With([](SimUnitData& d) { return d.extPresetMode; }), 0) << mode;
    }
}

TEST_F(MainControls, ButtonsAreDownAsTheLatestSampleSays)
{
    Connect();
    // Serial (bit 3), preset on (bit 5), external preset (bit 6).
    Unit([](SimUnitData& d) { d.liveWords = std::array<int16_t, 15>{1024, 0, 16, 100, 0, 0, 0, 0, 5000, 5000, 0x68, 0, 0, 0, 0}; });
    form->ReadTimerTimer();
    EXPECT_TRUE(Button("SerialBtn")->isChecked());
    EXPECT_FALSE(Button("AutoBtn")->isChecked());
    EXPECT_FALSE(Button("ManualBtn")->isChecked());
    EXPECT_TRUE(Button("ExtPresetOnBtn")->isChecked());
    EXPECT_FALSE(Button("PresetOnBtn")->isChecked());
    EXPECT_TRUE(Button("PresetOnBtn1")->isChecked());
    EXPECT_FALSE(Button("PresetOffBtn")->isChecked());
}

TEST_F(MainControls, ThirdCapacitorButtonsAndRatio)
{
    Unit([](SimUnitData& d) { d.pin = 0x400; });
    Connect();
    Button("AutoBtn3")->click();
    Button("_3capAutoBtn")->click();
    Button("_3capSerialBtn")->click();
    Button("_3capPresetOnBtn")->click();
    Button("_3capPresetOffBtn")->click();
    EXPECT_EQ(log.Sent({93, 95}), (std::vector<SentCommand>{{93, {1}}, {95, {8, 1}}, {95, {8, 0}}, {95, {9, 1}}, {95, {9, 0}}}));

    log.Clear();
    Edit("_3capRatioEdit")->setText("40");
    Button("SetRatioBtn")->click();
    std::vector<int> w = Word(32000);
    EXPECT_EQ(log.Sent(), (std::vector<SentCommand>{{95, {3, w[0], w[1]}}, {165, {3}}}));
    EXPECT_EQ(Edit("_3capRatioEdit")->text(), "32.00");
    EXPECT_FALSE(Button("SetRatioBtn")->isChecked());
}

TEST_F(MainControls, RatioBoxShowsTheRatioTheConnectedUnitHolds)
{
    Unit([](SimUnitData& d) {
        d.pin = 0x400;
        d.ratio3 = 1500;
    });
    Edit("_3capRatioEdit")->setText("");
    form->Controller()->Settings().BaudRate = "9600";
    form->SetPortText(sim.Path());
    form->ConnectBar->ConnectBtn()->click();
    ASSERT_TRUE(form->Device()->IsConnected());
    const auto reads = log.Sent({165});
    EXPECT_NE(std::find(reads.begin(), reads.end(), SentCommand{165, {3}}), reads.end());
    EXPECT_EQ(Edit("_3capRatioEdit")->text(), "1.50");

    // A ratio set on this unit is not shown for the next one.
    Edit("_3capRatioEdit")->setText("40");
    Button("SetRatioBtn")->click();
    ASSERT_EQ(Edit("_3capRatioEdit")->text(), "32.00");
    form->ConnectBar->ConnectBtn()->click(); // Disconnect
    ASSERT_FALSE(form->Device()->IsConnected());
    Unit([](SimUnitData& d) { d.ratio3 = 1000; });
    form->ConnectBar->ConnectBtn()->click();
    ASSERT_TRUE(form->Device()->IsConnected());
    EXPECT_EQ(Edit("_3capRatioEdit")->text(), "1.00");
}

TEST_F(MainControls, ThirdCapacitorEditShowsThePositionAskedForAndThenTheUnits)
{
    Unit([](SimUnitData& d) {
        d.pin = 0x400;
        d.caps[2].position = d.caps[2].target = 35.0;
    });
    Connect();
    // The motor moves between readings, as a unit's does: read back at once, the position is
    // still the one before the move.
    Unit([](SimUnitData& d) { d.motorSpeed = 0.001; });
    QLineEdit* edit = Edit("_3capPosEdit");
    edit->setFocus();
    const struct {
        const char* typed;
        const char* shown;
        int sent;
    } steps[] = {{"5", "20.00", 2000}, {"50", "50.00", 5000}, {"5", "20.00", 2000}};
    for (const auto& step : steps) {
        log.Clear();
        edit->selectAll();
        QTest::keyClicks(edit, step.typed);
        QTest::keyClick(edit, Qt::Key_Return);
        EXPECT_EQ(log.Sent({95}), (std::vector<SentCommand>{{95, {0, step.sent & 0xFF, step.sent >> 8}}})) << step.typed;
        EXPECT_EQ(Position("_3capPosEdit"), step.shown) << step.typed;
    }
    // The edit no longer has the focus: it follows the unit's position from the next reading.
    Button("ManualBtn")->setFocus();
    Unit([](SimUnitData& d) { d.caps[2].position = d.caps[2].target = 60.0; });
    form->ReadTimerTimer();
    EXPECT_EQ(Position("_3capPosEdit"), "60.00");
}

TEST_F(MainControls, DraggingATrackBarSendsOneMoveOnReleaseAndKeysSendNothing)
{
    Connect();
    TCapTrackBar* bar = P().TrackBars[0];
    ASSERT_EQ(bar->value(), 5000);
    const QPoint start = bar->HandleRect().center();
    QTest::mousePress(bar, Qt::LeftButton, Qt::NoModifier, start);
    QTest::mouseMove(bar, start + QPoint(0, 10));
    QTest::mouseMove(bar, start + QPoint(0, 25));
    ASSERT_TRUE(bar->isSliderDown());
    ASSERT_NE(bar->value(), 5000);
    const int dragged = bar->value();
    EXPECT_TRUE(log.Sent().empty()); // nothing while dragging
    EXPECT_EQ(Position("ShPosEdit"),
              FloatToText(capscale::PercentFromTrack(dragged), 2));
    EXPECT_TRUE(form->CapControls().TrackDragged());
    QTest::mouseRelease(bar, Qt::LeftButton, Qt::NoModifier, start + QPoint(0, 25));

    EXPECT_EQ(log.Count(112), 1);
    EXPECT_EQ(log.Count(122), 1);
    const auto moves = log.Sent({112, 122});
    const int word = int(std::lround(capscale::PercentFromTrack(dragged) * 100));
    EXPECT_EQ(moves[0].data, Word(word));
    EXPECT_EQ(moves[1].data, Word(5000)); // Tune stays
    EXPECT_FALSE(form->CapControls().TrackDragged());
    EXPECT_DOUBLE_EQ(form->Device()->Position(0), word * 0.01);

    // A key on the focused track bar moves it, sends nothing and it returns to the unit.
    log.Clear();
    bar->setFocus();
    QTest::keyClick(bar, Qt::Key_Up);
    QTest::keyClick(bar, Qt::Key_PageDown);
    EXPECT_TRUE(log.Sent().empty());
    EXPECT_EQ(bar->value(), capscale::TrackFromPercent(word * 0.01));
}

TEST_F(MainControls, SpinButtonsAndPositionKeys)
{
    Connect();
    Edit("ShStepEdit")->setText("2.5");
    testsupport::Child<TSpinButton>(*form, "ShSpinButton")->UpBtn->click();
    EXPECT_EQ(log.Sent({112, 122}), (std::vector<SentCommand>{{112, Word(5250)}, {122, Word(5000)}}));
    EXPECT_EQ(Position("ShPosEdit"), "52.50");

    log.Clear();
    QLineEdit* tune = Edit("SerPosEdit");
    tune->setFocus();
    QTest::keyClick(tune, Qt::Key_End);
    EXPECT_EQ(log.Sent({112, 122}), (std::vector<SentCommand>{{112, Word(5250)}, {122, Word(10000)}}));
    log.Clear();
    QTest::keyClick(tune, Qt::Key_Home);
    EXPECT_EQ(log.Sent({122}), (std::vector<SentCommand>{{122, Word(0)}}));
    log.Clear();
    QTest::keyClick(tune, Qt::Key_A); // not a position key: typed, nothing sent
    EXPECT_TRUE(log.Sent().empty());
}

TEST_F(MainControls, ThirdCapacitorSpinBeyondItsUpperLimitSendsTheLimit)
{
    Unit([](SimUnitData& d) {
        d.pin = 0x400;
        d.caps[2].position = d.caps[2].target = 79.0;
    });
    Connect();
    Edit("_3capStepEdit")->setText("5");
    testsupport::Child<TSpinButton>(*form, "_3capSpinButton")->UpBtn->click();
    EXPECT_EQ(log.Sent({95}), (std::vector<SentCommand>{{95, {0, 8000 & 0xFF, 8000 >> 8}}}));
    EXPECT_EQ(Position("_3capPosEdit"), "80.00");
}

TEST_F(MainControls, MoveThatTimesOutSaysSoAndLeavesTheControlsUsable)
{
    Connect();
    Unit([](SimUnitData& d) { d.motorSpeed = 0.0001; });
    int64_t clock = 0;
    form->CapControls().SetClock([&] { return clock += 5000; });
    QLineEdit* load = Edit("ShPosEdit");
    load->setFocus();
    QTest::keyClick(load, Qt::Key_End);
    EXPECT_TRUE(form->CapControls().TimedOut());
    EXPECT_EQ(form->Status->State().ErrorText(), "Motors are still moving");
    EXPECT_FALSE(form->CapControls().MovingCaps());
    EXPECT_TRUE(P().CtrlNotebook->isEnabled());
    EXPECT_TRUE(load->isEnabled());
}

TEST_F(MainControls, LockDisablesTheControls)
{
    TPasswordForm password;
    TMainForm::Forms forms;
    forms.Password = &password;
    form->SetForms(forms);
    Connect();
    QTimer::singleShot(0, &password, [&] {
        password.PasswordEdit->setText("pw");
        password.OkBtn->click();
    });
    form->LockBtn->click();
    ASSERT_TRUE(form->Controller()->IsLocked());
    EXPECT_FALSE(P().CtrlNotebook->isEnabled());
    EXPECT_FALSE(P().TrackBars[0]->isEnabled());
    EXPECT_FALSE(Edit("ShPosEdit")->isEnabled());
    EXPECT_FALSE(P().SpinButtons[1]->isEnabled());
}

} // namespace

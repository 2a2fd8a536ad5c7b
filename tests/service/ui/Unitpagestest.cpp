// The main window's Setup, Trajectories, Tuning and 3 Cap tabs against the simulated unit:
// each page's Read and Send in the unit's command order, the blue "unsent" Send button, a CSR
// that stops a Send, refused fields, round trips, defaults and the PIN change with its wait.

#include "Unitpagesfixture.h"

#include "device/Unitconst.h"
#include "panel/Statusstate.h"
#include "service/ui/Cap3page.h"
#include "service/ui/Setuppage.h"
#include "service/ui/Trajpage.h"
#include "service/ui/Tuningpage.h"

#include <QCheckBox>
#include <QComboBox>
#include <QImage>
#include <QLabel>
#include <QRadioButton>
#include <QSlider>
#include <QSpinBox>
#include <QTabBar>
#include <QTabWidget>
#include <QTimer>
#include <QToolButton>
#include <algorithm>

namespace unitpagestest {
namespace {

const Cmds SetupRead{130, 198, 132, 169, 231, 159, 166, 158, 158, 162, 162, 162, 162};

bool EndsWith(const std::string& text, const std::string& end)
{
    return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

class UnitPages : public UnitPagesFixture {};

TEST_F(UnitPages, TabsInOrderAndThe3CapTabOnlyForThirdCapacitorUnits)
{
    QTabWidget* pages = form->PageControl;
    QStringList captions;
    for (int i = 0; i < pages->count(); ++i)
        captions << pages->tabText(i);
    EXPECT_EQ(captions.mid(0, 6), (QStringList{"Display", "Trajectories", "Tuning", "3 Cap", "Setup (Ostra)", "Faults"}));
    EXPECT_FALSE(pages->isTabVisible(pages->indexOf(side->_3capPage)));
    TSetupPage& s = *side->SetupPage;
    EXPECT_EQ(s.PinEdit->text(), "00000001");
    EXPECT_EQ(s.TotalEdits[2]->objectName(), "Total3capEdit");
    EXPECT_EQ(s.OstrabusAddrSpinEdit->maximum(), 31);
    EXPECT_TRUE(s.TotalEdits[2]->isHidden());
    EXPECT_TRUE(s.OutAverComboBox->isHidden());
    EXPECT_EQ(side->TuningPage->IntegralComboBox->count(), 9);

    Connect(0x400);
    EXPECT_TRUE(pages->isTabVisible(pages->indexOf(side->_3capPage)));
    EXPECT_FALSE(s.TotalEdits[2]->isHidden());
    EXPECT_FALSE(s.OutAverComboBox->isHidden());
}

// The grey level of a read-out's frame at mid height: its left and right edge, and the page
// beside it.
struct FrameEdges {
    int left, right, page;
};

FrameEdges Edges(QLabel* readout)
{
    const QImage box = readout->grab().toImage();
    const QImage page = readout->parentWidget()->grab().toImage();
    const int mid = box.height() / 2;
    const QPoint outside = readout->geometry().topRight() + QPoint(2, mid);
    return {qGray(box.pixel(0, mid)), qGray(box.pixel(box.width() - 1, mid)),
            qGray(page.pixel(outside))};
}

TEST_F(UnitPages, PfReadOutsAreFramedOnTheRightAsOnTheLeft)
{
    Connect(0x400);
    for (QWidget* page : {static_cast<QWidget*>(side->TrajPage), static_cast<QWidget*>(side->_3capPage)}) {
        form->PageControl->setCurrentWidget(page);
        QCoreApplication::processEvents();
        for (QLabel* readout : {side->TrajPage->ShTexts[0], side->TrajPage->SerMaxText,
                                side->_3capPage->_3capMinText}) {
            if (readout->window() != form.get() || !readout->isVisible())
                continue;
            const FrameEdges e = Edges(readout);
            const std::string name = readout->objectName().toStdString();
            EXPECT_GE(std::abs(e.right - e.page), 40) << name << " right edge " << e.right << " on " << e.page;
            EXPECT_LE(std::abs(e.right - e.left), 40) << name << " " << e.left << " / " << e.right;
        }
    }
}

TEST_F(UnitPages, SetupReadEditSendAndReadBack)
{
    Connect();
    Unit([](SimUnitData& d) {
        d.caps[1].totalSteps = 2500;
        d.pots[2] = 99;
    });
    TSetupPage& s = *side->SetupPage;
    form->PageControl->setCurrentWidget(&s);
    s.ReadSetupBtn->click();
    Cmds read = SetupRead; // then the service log's sector list
    read.insert(read.end(), {242, 251});
    read.insert(read.end(), 10, 252);
    EXPECT_EQ(Sent(), read);
    EXPECT_EQ(s.TotalEdits[1]->text(), "2500");
    EXPECT_EQ(s.SNEdit->text(), "123456");
    EXPECT_EQ(s.SWText->text(), "VT10000A.01");
    EXPECT_EQ(s.PotEdits[0]->text(), "99");
    EXPECT_EQ(s.PotTrackBars[0]->value(), 99);
    EXPECT_EQ(StatusText(), "Command accepted");
    EXPECT_FALSE(Blue(s.SendSetupBtn));

    Type(s.TotalEdits[1], "1800");
    Type(s.CminEdits[0], "12");
    EXPECT_TRUE(Blue(s.SendSetupBtn));
    // A potentiometer's track bar moved by a key puts its position into its edit.
    s.PotTrackBars[0]->setFocus();
    QKeyEvent right(QEvent::KeyPress, Qt::Key_Right, Qt::NoModifier);
    QApplication::sendEvent(s.PotTrackBars[0], &right);
    EXPECT_EQ(s.PotEdits[0]->text(), "100");
    recorder->Clear();
    s.SendSetupBtn->click();
    // Nothing asked for an unchanged address, baud, serial number and PIN.
    EXPECT_TRUE(Shown("question").empty());
    Cmds expected{231, 89, 96, 88, 88, 92, 92, 92, 92};
    expected.insert(expected.end(), SetupRead.begin(), SetupRead.end());
    EXPECT_EQ(Sent(), expected);
    Unit([](SimUnitData& d) {
        EXPECT_EQ(d.caps[1].totalSteps, 1800);
        EXPECT_EQ(d.caps[0].cMin, 12);
        EXPECT_EQ(d.pots[2], 100);
    });
    EXPECT_EQ(s.TotalEdits[1]->text(), "1800");
    EXPECT_FALSE(Blue(s.SendSetupBtn));
    EXPECT_EQ(StatusText(), "Command accepted");
}

TEST_F(UnitPages, SetupReadThatFailsPartWayShowsWhatItReadBeforeTheFailure)
{
    // The unit falls silent at one command of the read: the fields read before it show the
    // unit's new values (a send would otherwise write the old ones back), the rest keep theirs.
    struct Case {
        const char* what;
        int before;     // the command after whose nth answer the unit falls silent
        int nth;
        bool stepsNew;  // TotalSh, TotalSer, OffsetSh
        bool rangesNew; // CmaxSh, CminSer
        bool inPoffNew;
        int potsNew;    // potentiometers read
    };
    const Case cases[] = {
        {"166 times out", 159, 1, true, false, false, 0},
        {"159 times out", 231, 1, false, false, false, 0},
        {"the sensor's level times out", 166, 1, true, true, false, 0},
        {"the third potentiometer times out", 162, 2, true, true, true, 2},
    };
    Connect();
    TSetupPage& s = *side->SetupPage;
    form->PageControl->setCurrentWidget(&s);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Unit([](SimUnitData& d) {
            d.caps[0] = simunit::SimCap{};
            d.caps[1] = simunit::SimCap{};
            d.sensorPoff[0] = 10;
            d.pots = {};
        });
        s.ReadSetupBtn->click();
        ASSERT_EQ(s.TotalEdits[0]->text().toStdString(), "2100");
        ASSERT_EQ(s.PotEdits[0]->text().toStdString(), "0");

        Unit([](SimUnitData& d) {
            d.caps[0].totalSteps = 2222;
            d.caps[1].totalSteps = 2333;
            d.caps[0].stepOffset = 7;
            d.caps[0].cMax = 900;
            d.caps[1].cMin = 12;
            d.sensorPoff[0] = 33;
            d.pots = {0, 0, 41, 42, 43, 44, 0, 0};
        });
        FaultAfterAnswer(c.before, c.nth);
        s.ReadSetupBtn->click();
        sim.Unit().SetWatcher({});

        EXPECT_EQ(s.TotalEdits[0]->text().toStdString(), c.stepsNew ? "2222" : "2100");
        EXPECT_EQ(s.TotalEdits[1]->text().toStdString(), c.stepsNew ? "2333" : "2100");
        EXPECT_EQ(s.OffsetEdits[0]->text().toStdString(), c.stepsNew ? "7" : "0");
        EXPECT_EQ(s.CmaxEdits[0]->text().toStdString(), c.rangesNew ? "900" : "1000");
        EXPECT_EQ(s.CminEdits[1]->text().toStdString(), c.rangesNew ? "12" : "0");
        EXPECT_EQ(s.InPoffEdit->text().toStdString(), c.inPoffNew ? "33" : "10");
        for (int i = 0; i < CSetupData::Pots; ++i) {
            EXPECT_EQ(s.PotEdits[i]->text().toInt(), i < c.potsNew ? 41 + i : 0) << i;
            EXPECT_EQ(s.PotTrackBars[i]->value(), i < c.potsNew ? 41 + i : 0) << i;
        }
        // Showing what was read is no edit of the user's.
        EXPECT_FALSE(Blue(s.SendSetupBtn));
    }
}

TEST_F(UnitPages, ASetupReadThatFailsKeepsWhatItDidNotReadAndSaysSo)
{
    // The fields hold what the user typed, unlike anything the unit or the page's defaults
    // hold; the unit falls silent after the nth answer of a command. The fields the read did not
    // get keep what was typed, and the status names the failed command and what was not read,
    // though the service log's reads after it succeed.
    struct Case {
        const char* what;
        uint32_t pin;
        int before; // the command after whose nth answer the unit falls silent
        int nth;
        int failed; // the command that goes unanswered
        const char* notRead;
        bool serialKept;
        const char* thirdTotal; // the third capacitor's steps: typed, the unit's, or the device's own
        const char* thirdOffset;
        int potsRead;
    };
    const Case cases[] = {
        {"before the serial number", 0x1, 169, 1, 231, "S/N, Total steps/Offset, C max/min, Input sensor, Pot 2-5", true,
         "1777", "17", 0},
        {"part-way through the potentiometers", 0x1, 162, 2, 162, "Pot 4-5", false, "2100", "0", 2},
        {"at the third capacitor's steps", 0x400, 166, 1, 165, "3rd cap, Input sensor, Output sensor, Pot 2-5", false,
         "1777", "17", 0},
        {"at the third capacitor's range", 0x400, 165, 1, 165, "3rd cap, Input sensor, Output sensor, Pot 2-5", false,
         "2444", "4", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Connect(c.pin);
        TSetupPage& s = *side->SetupPage;
        form->PageControl->setCurrentWidget(&s);
        s.SetupPageControl->setCurrentWidget(s.SetupTab);
        Type(s.SNEdit, "4321");
        s.SetupPageControl->setCurrentWidget(s.CapsTab);
        Type(s.TotalEdits[2], "1777");
        Type(s.OffsetEdits[2], "17");
        s.SetupPageControl->setCurrentWidget(s.PotTab);
        for (int i = 0; i < CSetupData::Pots; ++i)
            Type(s.PotEdits[i], QString::number(77 + i));
        Unit([](SimUnitData& d) {
            d.serialNumber = 246810;
            d.caps[2].totalSteps = 2444;
            d.caps[2].stepOffset = 4;
            d.pots = {0, 0, 41, 42, 43, 44, 0, 0};
        });
        FaultAfterAnswer(c.before, c.nth);
        s.ReadSetupBtn->click();
        sim.Unit().SetWatcher({});

        EXPECT_EQ(s.SNEdit->text(), c.serialKept ? "4321" : "246810");
        EXPECT_EQ(s.TotalEdits[2]->text(), c.thirdTotal);
        EXPECT_EQ(s.OffsetEdits[2]->text(), c.thirdOffset);
        for (int i = 0; i < CSetupData::Pots; ++i)
            EXPECT_EQ(s.PotEdits[i]->text().toInt(), i < c.potsRead ? 41 + i : 77 + i) << i;
        const std::string status = StatusText();
        const std::string prefix = "Cmd " + std::to_string(c.failed) + ": ";
        EXPECT_EQ(status.substr(0, prefix.size()), prefix) << status;
        EXPECT_TRUE(EndsWith(status, std::string(". Not read: ") + c.notRead)) << status;
        form->Controller()->Disconnect();
    }
}

TEST_F(UnitPages, ASetupReadThatFailsNamesTheCommandThatFailedWhateverSucceedsAfterIt)
{
    // The status names the first command that failed and what was not read, never "Command
    // accepted", though the service log's eleven reads after it succeed (or fail otherwise).
    struct Case {
        const char* what;
        simunit::SimSerialServer::Fault fault; // of the one request after `before`
        int before;
        bool otherIndex; // 162 answered for another potentiometer
        int failed;
        const char* notRead;
    };
    const Case cases[] = {
        {"one 166 dropped, the commands after it answered", simunit::SimSerialServer::Fault::Stall, 159, false, 166,
         "C max/min, Input sensor, Pot 2-5"},
        {"162 answered for another potentiometer", simunit::SimSerialServer::Fault::None, 0, true, 162, "Pot 2-5"},
        {"166 answered 4 s late", simunit::SimSerialServer::Fault::LateReply, 159, false, 166,
         "C max/min, Input sensor, Pot 2-5"},
    };
    Connect();
    TSetupPage& s = *side->SetupPage;
    form->PageControl->setCurrentWidget(&s);
    sim.Server().SetLateReplyMs(4000);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        FaultAfterAnswer(c.before, 1, c.fault);
        bool answered = false;
        if (c.otherIndex) {
            sim.Unit().Register(unitcmd::ReadPot, [&](const std::vector<uint8_t>& data, std::vector<uint8_t>& reply) {
                const uint8_t pot = data.empty() ? 0 : data[0];
                const uint8_t value = state->With([pot](SimUnitData& d) { return d.pots[pot % 8]; });
                reply = {uint8_t(answered ? pot : pot + 1), value};
                answered = true;
                return true;
            });
        }
        s.ReadSetupBtn->click();
        sim.Unit().SetWatcher({});
        const std::string status = StatusText();
        EXPECT_EQ(status.rfind("Cmd " + std::to_string(c.failed) + ": ", 0), 0u) << status;
        EXPECT_TRUE(EndsWith(status, std::string(". Not read: ") + c.notRead)) << status;
        if (c.otherIndex)
            state = simunit::InstallDeviceCommands(sim.Unit()); // 162 as the unit answers it
    }
}

TEST_F(UnitPages, TheOtherPagesReadsThatFailSaySo)
{
    // Trajectories, Tuning and 3 Cap: a read that goes through says "Command accepted"; one in
    // which a command fails names it, and the page when it was not read. The Tuning page shows
    // what it read though its target's read failed: that failure is named all the same.
    struct Case {
        const char* page;
        int before; // the unit falls silent for the one request after this command (0: the first)
        int failed;
        const char* text; // after "Cmd <failed>: <link error>"
    };
    // (A command's request right after one of the same command that went unanswered may fail
    // as well, the link not telling whose reply comes: the cases change pages in between.)
    const Case cases[] = {
        {"Trajectories", 0, 160, ". Not read: Trajectories"},
        {"Tuning", 152, 141, ""},
        {"3 Cap", 0, 165, ". Not read: 3 Cap"},
        {"Tuning", 0, 152, ". Not read: Tuning"},
    };
    Connect(0x400);
    const auto button = [this](const std::string& page) -> QPushButton* {
        if (page == "Trajectories")
            return side->TrajPage->ReadTrajBtn;
        if (page == "Tuning")
            return side->TuningPage->ReadTuningBtn;
        return side->_3capPage->Read3capBtn;
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.page) + " " + std::to_string(c.failed));
        button(c.page)->click();
        EXPECT_EQ(StatusText(), CStatusState::AcceptedText);
        FaultAfterAnswer(c.before, 1);
        if (c.before == 0)
            sim.Server().SetFault(simunit::SimSerialServer::Fault::Stall, 1);
        button(c.page)->click();
        sim.Unit().SetWatcher({});
        const std::string status = StatusText();
        const std::string prefix = "Cmd " + std::to_string(c.failed) + ": ";
        ASSERT_EQ(status.rfind(prefix, 0), 0u) << status;
        const std::string text = c.text;
        EXPECT_TRUE(EndsWith(status, text)) << status;
        EXPECT_EQ(status.find("Not read") == std::string::npos, text.empty()) << status;
    }
}

TEST_F(UnitPages, SetupRefusesABadFieldAndSendsNothing)
{
    Connect();
    TSetupPage& s = *side->SetupPage;
    s.ReadSetupBtn->click();
    Type(s.CmaxEdits[0], "12.5");
    recorder->Clear();
    s.SendSetupBtn->click();
    EXPECT_TRUE(Sent().empty());
    ASSERT_EQ(Shown("warning").size(), 1u);
    EXPECT_EQ(Shown("warning")[0].text, "Load C max (pF): \"12.5\" is not a whole number from 0 to 65535.\nNothing was sent.");
    Unit([](SimUnitData& d) { EXPECT_EQ(d.caps[0].cMax, 1000); });
    EXPECT_TRUE(Blue(s.SendSetupBtn));

    // A potentiometer is named as its tab names it: the third edit is "Pot 4".
    s.ReadSetupBtn->click();
    Type(s.PotEdits[2], "300");
    recorder->Clear();
    s.SendSetupBtn->click();
    EXPECT_TRUE(Sent().empty());
    ASSERT_EQ(Shown("warning").size(), 2u);
    EXPECT_EQ(Shown("warning")[1].text, "Potentiometer 4: \"300\" is not a whole number from 0 to 255.\nNothing was sent.");
    QStringList labels;
    for (QLabel* l : s.PotTab->findChildren<QLabel*>())
        labels << l->text();
    EXPECT_TRUE(labels.contains("Pot 4"));
}

TEST_F(UnitPages, ACsrOnTheThirdCommandStopsTheSendThere)
{
    Connect();
    TSetupPage& s = *side->SetupPage;
    s.ReadSetupBtn->click();
    Type(s.TotalEdits[0], "1900");
    recorder->Clear();
    recorder->InjectCsr(3, 4);
    s.SendSetupBtn->click();
    EXPECT_EQ(Sent(), (Cmds{231, 89, 96}));
    EXPECT_NE(StatusText().find(CDevice::CsrText(4)), std::string::npos) << StatusText();
    EXPECT_NE(StatusText().find("96"), std::string::npos) << StatusText();
    EXPECT_TRUE(Blue(s.SendSetupBtn)); // not re-read
}

TEST_F(UnitPages, NewPinAsksWaitsWithTheCountDownAndReconnects)
{
    Connect();
    form->Controller()->SetReadTimer(true);
    TSetupPage& s = *side->SetupPage;
    s.ReadSetupBtn->click();
    Type(s.PinEdit, "10001");
    s.ProtocolComboBox->setCurrentIndex(1); // RS485: bit 28 joins the PIN
    EXPECT_EQ(s.BaudComboBox->itemText(0), "57600");
    s.BaudComboBox->setCurrentIndex(s.BaudComboBox->findText("9600"));
    hooks.answers = {true};
    std::vector<std::string> seen;
    bool timerOffWhileWaiting = false;
    QTimer::singleShot(0, &delay, [&] {
        seen.push_back(delay.Label->text().toStdString());
        seen.push_back(StatusText());
        timerOffWhileWaiting = !form->ReadTimer->isActive();
        // The count-down runs on its own timer's ticks; the test gives them.
        for (int i = 0; i < 7 && delay.isVisible(); ++i) {
            delay.TimerTimer();
            seen.push_back(delay.Label->text().toStdString());
        }
    });
    recorder->Clear();
    s.SendSetupBtn->click();
    ASSERT_EQ(Shown("question").size(), 1u);
    EXPECT_EQ(Shown("question")[0].text, "Do you want to set new PIN = 10010001 (RS485) ?");
    ASSERT_EQ(seen.size(), 9u);
    EXPECT_EQ(seen[0], "7 seconds left...");
    EXPECT_EQ(seen[1], "Wait...");
    EXPECT_EQ(seen.back(), "0 seconds left...");
    EXPECT_TRUE(timerOffWhileWaiting);
    EXPECT_FALSE(delay.isVisible());
    EXPECT_TRUE(form->ReadTimer->isActive());
    const Cmds sent = Sent();
    ASSERT_GE(sent.size(), 3u);
    EXPECT_EQ(sent[0], 231);
    EXPECT_EQ(sent[1], 99);
    EXPECT_EQ(sent[2], 249);
    Unit([](SimUnitData& d) { EXPECT_EQ(d.pin, 0x10010001u); });
    // The unit is now one with an output sensor; its fields show.
    EXPECT_FALSE(s.OutAverComboBox->isHidden());
    EXPECT_EQ(s.PinEdit->text(), "10010001");
    EXPECT_EQ(s.ProtocolComboBox->currentIndex(), 1);
    EXPECT_TRUE(Shown("message").empty()); // applied: no restart needed
}

TEST_F(UnitPages, TrajectoriesSetChoicePointsAndRoundTrip)
{
    Connect();
    Unit([](SimUnitData& d) {
        d.activeTrajectory = 2;
        d.trajectories[1].last = 1;
        d.trajectories[1].load = {1000, 2000, 5000, 5000};
    });
    TTrajPage& t = *side->TrajPage;
    form->PageControl->setCurrentWidget(&t);
    t.ReadTrajBtn->click();
    EXPECT_EQ(Sent(), (Cmds{160, 170, 160, 170, 160, 170, 160, 170, 161, 154}));
    EXPECT_EQ(t.SetBtns[1]->text(), "Active");
    EXPECT_EQ(t.SetBtns[0]->text(), "");
    EXPECT_EQ(t.TrajTab->currentIndex(), 1);
    EXPECT_EQ(t.ShEdits[1]->text(), "20.00");
    EXPECT_TRUE(t.PointBtns[1]->isChecked());
    EXPECT_TRUE(t.ShEdits[2]->isReadOnly());
    EXPECT_FALSE(t.ShEdits[1]->isReadOnly());
    EXPECT_EQ(t.ShMinEdit->text(), "20.00");
    EXPECT_EQ(t.ShTexts[1]->text(), "200"); // 20 % of 0..1000 pF

    // Choosing set 3 shows it and makes it the one activated, without touching the unit.
    recorder->Clear();
    t.SetBtns[2]->click();
    EXPECT_TRUE(Sent().empty());
    EXPECT_EQ(t.TrajTab->currentIndex(), 2);
    EXPECT_EQ(t.SelectedSet(), 2);
    EXPECT_TRUE(Blue(t.SendTrajBtn));
    t.PointBtns[3]->click();
    EXPECT_FALSE(t.ShEdits[3]->isReadOnly());
    Type(t.ShEdits[3], "75.5");
    Type(t.DelEdits[3], "3");
    Type(t.SerMaxEdit, "90");
    recorder->Clear();
    t.SendTrajBtn->click();
    Cmds expected{90, 100, 90, 100, 90, 100, 90, 100, 91, 84, 160, 170, 160, 170, 160, 170, 160, 170, 161, 154};
    EXPECT_EQ(Sent(), expected);
    Unit([](SimUnitData& d) {
        EXPECT_EQ(d.activeTrajectory, 3);
        EXPECT_EQ(d.trajectories[2].last, 3);
        EXPECT_EQ(d.trajectories[2].load[3], 7550);
        EXPECT_EQ(d.trajectories[2].values[3], 255); // 2.55 s or more
        EXPECT_EQ(d.caps[1].maxWord, 9000);
    });
    EXPECT_EQ(t.SetBtns[2]->text(), "Active");
    EXPECT_EQ(t.ShEdits[3]->text(), "75.50");
    EXPECT_FALSE(Blue(t.SendTrajBtn));

    // A bad position in a set not shown is still refused.
    t.TrajTab->setCurrentIndex(0);
    Type(t.SerEdits[0], "abc");
    t.TrajTab->setCurrentIndex(3);
    recorder->Clear();
    t.SendTrajBtn->click();
    EXPECT_TRUE(Sent().empty());
    ASSERT_EQ(Shown("warning").size(), 1u);
    EXPECT_NE(Shown("warning")[0].text.find("Set 1 point Init Tune (%)"), std::string::npos);
}

TEST_F(UnitPages, TuningReadDefaultsSendAndTheOtherCriterionsPair)
{
    Connect(0x40000001); // PIN bit 30: reflected power may be the criterion
    Unit([](SimUnitData& d) {
        d.tuningWords[0] = 41; // VSWR stop 1.5
        d.tuningWords[2] = 150;
    });
    TTuningPage& p = *side->TuningPage;
    p.ReadTuningBtn->click();
    EXPECT_EQ(Sent(), (Cmds{152, 141}));
    EXPECT_EQ(p.StopEdit->text(), "1.50");
    EXPECT_EQ(p.StopEdit->toolTip(), "Stop VSWR");
    EXPECT_FALSE(p.StopStartComboBox->isHidden());

    // P rfl chosen: its pair shows, and the send writes the unit's VSWR pair as read.
    p.StopStartComboBox->setCurrentIndex(1);
    EXPECT_EQ(p.StopEdit->text(), "150");
    EXPECT_EQ(p.StopEdit->toolTip(), "Stop P rfl");
    Type(p.StopEdit, "120");
    p.DefTuningBtn->click();
    EXPECT_EQ(p.MagSerEdit->text(), "-0.20");
    EXPECT_EQ(p.IntegralComboBox->currentIndex(), 3);
    EXPECT_TRUE(Blue(p.SendTuningBtn));
    Type(p.StopEdit, "120");
    Type(p.StartEdit, "240");
    recorder->Clear();
    p.SendTuningBtn->click();
    EXPECT_EQ(Sent(), (Cmds{82, 71, 152, 141}));
    Unit([](SimUnitData& d) {
        EXPECT_EQ(d.tuningWords[0], 41);
        EXPECT_EQ(d.tuningWords[2], 120);
        EXPECT_EQ(d.tuningWords[3], 240);
        EXPECT_EQ(d.tuningWords[5], 0);    // Load min step
        EXPECT_EQ(d.tuningWords[10], -205); // -0.20 x 1024
        EXPECT_EQ(d.tuningOptions[0], 1);
        EXPECT_EQ(d.tuningOptions[2], 3);
    });
    EXPECT_FALSE(Blue(p.SendTuningBtn));

    Type(p.RTargetEdit, "x");
    recorder->Clear();
    p.SendTuningBtn->click();
    EXPECT_TRUE(Sent().empty());
    EXPECT_EQ(Shown("warning").size(), 1u);
}

TEST_F(UnitPages, ThirdCapacitorPageDefaultsAndRoundTrip)
{
    Connect(0x400);
    Unit([](SimUnitData& d) {
        d.presetSel3 = 1; // the second preset: the unit numbers them from 0
        d.presets3 = {1000, 2000, 3000, 4000};
        d.control3 = {50, 5, 250, 30};
        d.vlevel3 = 300;
    });
    T3capPage& p = *side->_3capPage;
    form->PageControl->setCurrentWidget(&p);
    p.Read3capBtn->click();
    EXPECT_EQ(Sent(), Cmds(8, 165));
    EXPECT_TRUE(p._3capPresets[1]->isChecked());
    EXPECT_FALSE(p._3capPresetEdits[1]->isReadOnly());
    EXPECT_TRUE(p._3capPresetEdits[0]->isReadOnly());
    EXPECT_EQ(p._3capPresetEdits[2]->text(), "30");
    EXPECT_EQ(p._3capMaxStepEdit->text(), "2.50");
    EXPECT_EQ(p._3capErrorEdit->text(), "0.03");
    EXPECT_EQ(p.VLevelEdit->text(), "300");

    p.SetDef3capBtn->click();
    EXPECT_EQ(p._3capPeriodEdit->text(), "100");
    EXPECT_EQ(p.VLevelEdit->text(), "300");
    EXPECT_TRUE(Blue(p.Send3capBtn));
    p._3capPresets[3]->click();
    Type(p._3capPresetEdits[3], "45");
    recorder->Clear();
    p.Send3capBtn->click();
    Cmds expected(8, 95);
    expected.insert(expected.end(), 8, 165);
    EXPECT_EQ(Sent(), expected);
    Unit([](SimUnitData& d) {
        EXPECT_EQ(d.control3, (std::array<uint16_t, 4>{100, 10, 100, 100}));
        EXPECT_EQ(d.presetSel3, 3);
        EXPECT_EQ(d.presets3[3], 4500);
    });
    EXPECT_FALSE(Blue(p.Send3capBtn));

    Type(p._3capGainEdit, "2.5");
    recorder->Clear();
    p.Send3capBtn->click();
    EXPECT_TRUE(Sent().empty());
}

// --- a unit that comes back after its readings were lost ---------------------------------------

// What names the unit, as the read step after lost readings asks it: model, product ID (part
// number, variant), version, PIN, serial number.
const Cmds UnitNames{128, 130, 198, 132, 169, 231};
// What only a read of the unit pages (or the motor wait before it) sends.
const std::vector<int> PageReadCommands{135, 159, 166, 158, 162, 160, 170, 154, 152, 141, 165};

bool SendsAnyOf(const Cmds& sent, const std::vector<int>& commands)
{
    return std::any_of(sent.begin(), sent.end(),
                       [&](int c) { return std::find(commands.begin(), commands.end(), c) != commands.end(); });
}

class UnitComesBack : public UnitPagesFixture {
protected:
    // Connected and polled, the Setup and Tuning pages edited and not sent; then the unit falls
    // silent until its readings are lost (with "Stop after" ticked, until the read timer
    // stops with its warning).
    void EditThenLoseTheUnit(bool stopAfter)
    {
        recorder.reset(); // the one Connect installs watches the unit
        Connect();
        form->Controller()->Settings().UseMaxReadErrors = stopAfter;
        form->Controller()->Settings().MaxReadErrors = 5;
        TSetupPage& s = *side->SetupPage;
        s.ReadSetupBtn->click();
        side->TuningPage->ReadTuningBtn->click();
        form->ReadTimerBtn->click();
        ASSERT_TRUE(form->ReadTimer->isActive());
        form->ReadTimerTimer();
        ASSERT_FALSE(form->ReadingsLost());
        Type(s.InPoffEdit, "77");
        Type(s.TotalEdits[0], "1999");
        Type(side->TuningPage->StopEdit, "1.7");
        ASSERT_TRUE(Blue(s.SendSetupBtn));
        ASSERT_TRUE(Blue(side->TuningPage->SendTuningBtn));

        hooks.shown.clear();
        sim.Server().SetFault(simunit::SimSerialServer::Fault::Stall, -1);
        for (int i = 0; i < 5; ++i)
            form->ReadTimerTimer();
        sim.Server().SetFault(simunit::SimSerialServer::Fault::None, 0);
        ASSERT_TRUE(form->ReadingsLost());
        ASSERT_EQ(form->ReadTimer->isActive(), !stopAfter);
        if (stopAfter) {
            ASSERT_EQ(Shown("warning").size(), 1u);
            EXPECT_NE(Shown("warning")[0].text.find("Read timer is stopped after\n5 communication errors"),
                      std::string::npos);
        }
        hooks.shown.clear();
        recorder->Clear();
    }
    // The unit answers again: with "Stop after" ticked the user starts the read timer, else
    // the running timer's next tick finds it.
    void ComesBack(bool stopAfter)
    {
        if (stopAfter) {
            form->ReadTimerBtn->click();
            ASSERT_TRUE(form->ReadTimer->isActive());
        }
        form->ReadTimerTimer();
    }
};

TEST_F(UnitComesBack, TheSameUnitIsAskedOnlyWhatNamesItAndThePagesKeepWhatWasTyped)
{
    for (bool stopAfter : {true, false}) {
        SCOPED_TRACE(stopAfter ? "Stop after ticked, the timer started again by hand" : "Stop after unticked");
        EditThenLoseTheUnit(stopAfter);
        if (HasFatalFailure())
            return;
        ComesBack(stopAfter);
        const Cmds sent = Sent();
        ASSERT_GE(sent.size(), UnitNames.size());
        EXPECT_EQ(Cmds(sent.begin(), sent.begin() + std::ptrdiff_t(UnitNames.size())), UnitNames);
        EXPECT_FALSE(SendsAnyOf(sent, PageReadCommands)) << testing::PrintToString(sent);
        EXPECT_FALSE(form->ReadingsLost());
        EXPECT_TRUE(form->ReadTimer->isActive());
        TSetupPage& s = *side->SetupPage;
        EXPECT_EQ(s.InPoffEdit->text(), "77");
        EXPECT_EQ(s.TotalEdits[0]->text(), "1999");
        EXPECT_EQ(side->TuningPage->StopEdit->text(), "1.7");
        EXPECT_TRUE(Blue(s.SendSetupBtn));
        EXPECT_TRUE(Blue(side->TuningPage->SendTuningBtn));
        EXPECT_TRUE(hooks.shown.empty());

        // Polling goes on with the readings alone.
        recorder->Clear();
        form->ReadTimerTimer();
        EXPECT_FALSE(SendsAnyOf(Sent(), {128, 130, 231})) << testing::PrintToString(Sent());
        form->Controller()->Disconnect();
    }
}

TEST_F(UnitComesBack, AChangedUnitIsReadAsAtConnectionAndTheEditsItReplacesAreNamed)
{
    for (bool stopAfter : {true, false}) {
        SCOPED_TRACE(stopAfter ? "Stop after ticked, the timer started again by hand" : "Stop after unticked");
        Unit([](SimUnitData& d) {
            d.serialNumber = 123456;
            d.sensorPoff[0] = 10;
        });
        EditThenLoseTheUnit(stopAfter);
        if (HasFatalFailure())
            return;
        Unit([](SimUnitData& d) {
            d.serialNumber = 765432; // another unit on the port
            d.sensorPoff[0] = 44;
        });
        ComesBack(stopAfter);
        const Cmds sent = Sent();
        ASSERT_GE(sent.size(), UnitNames.size());
        EXPECT_EQ(Cmds(sent.begin(), sent.begin() + std::ptrdiff_t(UnitNames.size())), UnitNames);
        EXPECT_TRUE(SendsAnyOf(sent, {159, 166, 162, 152})) << testing::PrintToString(sent);
        EXPECT_FALSE(form->ReadingsLost());
        TSetupPage& s = *side->SetupPage;
        EXPECT_EQ(s.SNEdit->text(), "765432");
        EXPECT_EQ(s.InPoffEdit->text(), "44");
        EXPECT_FALSE(Blue(s.SendSetupBtn));
        EXPECT_FALSE(Blue(side->TuningPage->SendTuningBtn));
        ASSERT_EQ(Shown("warning").size(), 1u);
        EXPECT_NE(Shown("warning")[0].text.find("the changes not sent on the Setup, Tuning pages were replaced"),
                  std::string::npos)
            << Shown("warning")[0].text;
        form->Controller()->Disconnect();
    }
}

TEST_F(UnitComesBack, AnUnknownUnitKeptAfterItCameBackIsPolledWithoutAskingAgain)
{
    for (bool stopAfter : {true, false}) {
        SCOPED_TRACE(stopAfter ? "Stop after ticked, the timer started again by hand" : "Stop after unticked");
        EditThenLoseTheUnit(stopAfter);
        if (HasFatalFailure())
            return;
        sim.Unit().SetModel("Other Match");
        hooks.answers = {true};
        ComesBack(stopAfter);
        ASSERT_EQ(Shown("question").size(), 1u);
        EXPECT_EQ(Shown("question")[0].text.substr(Shown("question")[0].text.find("Unit type")),
                  "Unit type 'Other Match' is not supported by Orrery\nConnect anyway ?");
        EXPECT_TRUE(form->Device()->IsConnected());
        EXPECT_TRUE(form->ReadTimer->isActive());
        // Read polls: no question again, the readings and no identification.
        for (int press = 0; press < 2; ++press) {
            recorder->Clear();
            form->ReadTimerTimer();
            EXPECT_EQ(Shown("question").size(), 1u);
            EXPECT_FALSE(Sent().empty());
            EXPECT_FALSE(SendsAnyOf(Sent(), {128})) << testing::PrintToString(Sent());
            form->ReadTimerBtn->click(); // off, then on again
            form->ReadTimerBtn->click();
            EXPECT_TRUE(form->ReadTimer->isActive());
        }
        EXPECT_FALSE(form->ReadingsLost());
        form->Controller()->Disconnect();
        sim.Unit().SetModel(simunit::SimUnit::DefaultModel);
    }
}

} // namespace
} // namespace unitpagestest

// The control notebook's rules against the simulated unit: the commands of the mode, preset and
// ratio buttons, the capacitor move with its motor polling, its time-out and a unit that stops
// answering mid-move; the track-bar, key and page rules; the read-all of the unit pages.

#include "panel/Capcontrols.h"
#include "panel/Pagereads.h"

#include "device/Datarec.h"
#include "device/Device.h"
#include "simunit/Simcommandset.h"
#include "support/Sentcommands.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

using simunit::SimUnitData;
using testsupport::SentCommand;

class CapControlsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(pty.Ok()) << pty.Error();
        state = simunit::InstallDeviceCommands(pty.Unit());
        Unit([](SimUnitData& d) { d.motorSpeed = 0; });
        ASSERT_EQ(dev.OpenPort(pty.Path(), 9600, 500, 2), 0) << dev.LastError();
    }
    template <typename F> void Unit(F&& f) { state->With([&](SimUnitData& d) { f(d); }); }
    void MakeThirdCap()
    {
        Unit([](SimUnitData& d) { d.pin = 0x400; });
        ASSERT_EQ(dev.ReadPin(), 0);
        ASSERT_TRUE(dev.Has3rdCap());
        log.Clear();
    }

    testsupport::SimPty pty;
    std::shared_ptr<simunit::SimState> state;
    CDevice dev;
    testsupport::SentLog log;
    CCapControls caps{dev};
};

TEST_F(CapControlsTest, ModeAndPresetButtonsSendTheirCommands)
{
    EXPECT_EQ(caps.SetMode(ctrlmode::Auto), 0);
    EXPECT_EQ(caps.SetMode(ctrlmode::NotAuto), 0);
    EXPECT_EQ(log.Sent(), (std::vector<SentCommand>{{93, {1}}, {93, {3}}}));
    log.Clear();

    // Preset on: the external-preset mode first, then the preset mode. A refused external
    // preset ends there with the unit's CSR; clearing the external mode for a plain preset
    // may be refused (its CSR tolerated).
    Unit([](SimUnitData& d) { d.mode = 0; }); // the unit refuses 97 outside Serial mode
    EXPECT_EQ(caps.SetPreset(true, true), 1);
    EXPECT_EQ(caps.SetPreset(true, false), 0);
    EXPECT_EQ(caps.SetPreset(false, false), 0);
    EXPECT_EQ(log.Sent(), (std::vector<SentCommand>{{97, {1}}, {97, {0}}, {94, {1}}, {94, {0}}}));
    EXPECT_EQ(state->With([](SimUnitData& d) { return d.presetMode; }), 0);
    log.Clear();
    Unit([](SimUnitData& d) { d.mode = 2; });
    EXPECT_EQ(caps.SetPreset(true, true), 0);
    EXPECT_EQ(log.Sent(), (std::vector<SentCommand>{{97, {1}}, {94, {1}}}));
    EXPECT_EQ(state->With([](SimUnitData& d) { return d.extPresetMode; }), 1);
}

TEST_F(CapControlsTest, ThirdCapacitorModePresetAndRatioClamp)
{
    MakeThirdCap();
    EXPECT_EQ(caps.Set3capMode(true), 0);
    EXPECT_EQ(caps.Set3capMode(false), 0);
    EXPECT_EQ(caps.Set3capPreset(true), 0);
    EXPECT_EQ(caps.Set3capPreset(false), 0);
    EXPECT_EQ(caps.SetRatio(40.0), 0); // sent as 32
    EXPECT_EQ(caps.SetRatio(-1.0), 0); // sent as 0
    const int r32 = 32000;
    EXPECT_EQ(log.Sent(), (std::vector<SentCommand>{{95, {8, 1}},
                                                   {95, {8, 0}},
                                                   {95, {9, 1}},
                                                   {95, {9, 0}},
                                                   {95, {3, r32 & 0xFF, r32 >> 8}},
                                                   {165, {3}},
                                                   {95, {3, 0, 0}},
                                                   {165, {3}}}));
    EXPECT_DOUBLE_EQ(dev.ThirdCapRatio(), 0.0);
    EXPECT_DOUBLE_EQ(CCapControls::ClampRatio(9.99), 9.99);
    EXPECT_DOUBLE_EQ(CCapControls::ClampRatio(std::nan("")), 0.0);
}

TEST_F(CapControlsTest, MoveEndsAtTheTargetAfterPollingTheMotors)
{
    Unit([](SimUnitData& d) { d.motorSpeed = 2000; }); // moving, but not for long
    int shown = 0;
    caps.SetMoveProgress([&] {
        ++shown;
        EXPECT_TRUE(caps.MovingCaps());
    });
    EXPECT_EQ(caps.MoveCapacitors(30.0, 70.5), 0);
    EXPECT_FALSE(caps.MovingCaps());
    EXPECT_FALSE(caps.TimedOut());
    EXPECT_DOUBLE_EQ(dev.Position(0), 30.0);
    EXPECT_DOUBLE_EQ(dev.Position(1), 70.5);
    const auto sent = log.Sent();
    ASSERT_GE(sent.size(), 4u);
    EXPECT_EQ(sent[0], (SentCommand{112, {3000 & 0xFF, 3000 >> 8}}));
    EXPECT_EQ(sent[1], (SentCommand{122, {7050 & 0xFF, 7050 >> 8}}));
    // Then status and positions in turn, ending with the poll that saw the motors stopped.
    for (size_t i = 2; i < sent.size(); ++i)
        EXPECT_EQ(sent[i].command, i % 2 == 0 ? 135 : 180) << i;
    EXPECT_EQ(sent.back().command, 180);
    EXPECT_EQ(shown, int(sent.size() - 2) / 2);
}

TEST_F(CapControlsTest, MoveThatNeverFinishesEndsAtTheTimeOut)
{
    Unit([](SimUnitData& d) { d.motorSpeed = 0.0001; }); // the motors run for hours
    int64_t clock = 0;
    caps.SetClock([&] { return clock += 1000; }); // every look at the clock is a second later
    EXPECT_EQ(caps.MoveCapacitors(90.0, 10.0), 0);
    EXPECT_TRUE(caps.TimedOut());
    EXPECT_FALSE(caps.MovingCaps());
    EXPECT_LE(log.Count(135), 21);
    EXPECT_GE(log.Count(135), 19);
    EXPECT_NEAR(dev.Position(0), 50.0, 0.1); // nowhere near the target
}

TEST_F(CapControlsTest, UnitThatStopsAnsweringMidMoveEndsTheMove)
{
    Unit([](SimUnitData& d) { d.motorSpeed = 0.0001; });
    caps.SetMoveProgress([&] { pty.Server().SetFault(simunit::SimSerialServer::Fault::Stall, -1); });
    const int r = caps.MoveCapacitors(90.0, 10.0);
    EXPECT_LT(r, 0);
    EXPECT_FALSE(caps.MovingCaps());
    EXPECT_FALSE(caps.TimedOut());
    EXPECT_EQ(log.Count(180), 1);
    pty.Server().SetFault(simunit::SimSerialServer::Fault::None, 0);
}

TEST_F(CapControlsTest, ThirdCapacitorMoveWritesAndReadsBack)
{
    MakeThirdCap();
    ASSERT_EQ(dev.Read3capLimits(), 0);
    EXPECT_DOUBLE_EQ(caps.ClampTo3capLimits(95.0), 80.0);
    EXPECT_DOUBLE_EQ(caps.ClampTo3capLimits(5.0), 20.0);
    log.Clear();
    EXPECT_EQ(caps.Move3rdCap(42.0), 0);
    EXPECT_EQ(log.Sent(), (std::vector<SentCommand>{{95, {0, 4200 & 0xFF, 4200 >> 8}}, {165, {0}}}));
    EXPECT_DOUBLE_EQ(dev.Position(2), 42.0);
}

TEST(CapControlRules, TrackBarScaleKeysAndDragGuards)
{
    EXPECT_EQ(capscale::TrackFromPercent(100.0), 0);
    EXPECT_EQ(capscale::TrackFromPercent(0.0), 10000);
    EXPECT_EQ(capscale::TrackFromPercent(33.335), 6666); // truncated
    EXPECT_DOUBLE_EQ(capscale::PercentFromTrack(2500), 75.0);
    EXPECT_EQ(capscale::SelectionStart(80.0), 2000);
    EXPECT_EQ(capscale::SelectionEnd(20.0), 8000);

    EXPECT_DOUBLE_EQ(CCapControls::KeyValue(PosKey::Enter, 12.5, 2), 12.5);
    EXPECT_DOUBLE_EQ(CCapControls::KeyValue(PosKey::Up, 12.5, 2), 14.5);
    EXPECT_DOUBLE_EQ(CCapControls::KeyValue(PosKey::Down, 12.5, 2), 10.5);
    EXPECT_DOUBLE_EQ(CCapControls::KeyValue(PosKey::PageUp, 12.5, 2), 32.5);
    EXPECT_DOUBLE_EQ(CCapControls::KeyValue(PosKey::PageDown, 12.5, 2), -7.5);
    EXPECT_DOUBLE_EQ(CCapControls::KeyValue(PosKey::Home, 12.5, 2), 0.0);
    EXPECT_DOUBLE_EQ(CCapControls::KeyValue(PosKey::End, 12.5, 2), 100.0);

    CDevice dev;
    CCapControls caps(dev);
    EXPECT_EQ(caps.TrackChange(false), TrackAction::Restore); // a key: nothing to send
    EXPECT_EQ(caps.TrackChange(true), TrackAction::ShowDrag);
    EXPECT_TRUE(caps.TrackDragged());
    EXPECT_EQ(caps.TrackChange(true), TrackAction::ShowDrag);
    EXPECT_EQ(caps.TrackChange(false), TrackAction::Send); // released after a drag
    caps.TrackSent();
    EXPECT_FALSE(caps.TrackDragged());
    EXPECT_EQ(caps.TrackChange(false), TrackAction::Restore);
}

TEST(CapControlRules, ButtonsFollowTheStatusFlags)
{
    CDataRec rec;
    rec.SetStatus((1u << 3) | (1u << 5) | (1u << 6)); // flags 32 Serial, 34 preset on, 41 external
    CControlButtons b = CCapControls::Buttons(rec);
    EXPECT_TRUE(b.serial);
    EXPECT_FALSE(b.autoMode || b.manual || b.notAuto);
    EXPECT_TRUE(b.presetOn);
    EXPECT_TRUE(b.extPresetOn);
    EXPECT_FALSE(b.presetOnPlain);
    EXPECT_FALSE(b.presetOff);

    rec.SetStatus((1u << 2) | (1u << 9) | (1u << 10) | (1u << 12)); // 30 Auto, 37, 39, 42
    b = CCapControls::Buttons(rec);
    EXPECT_TRUE(b.autoMode && b.notAuto && b.thirdCapAuto && b.thirdCapPresetOn && b.presetOff);
    EXPECT_FALSE(b.presetOn || b.extPresetOn || b.presetOnPlain);
}

TEST_F(CapControlsTest, ControlPageByUnitKind)
{
    const std::pair<uint32_t, ControlPage> cases[] = {
        {0x1, ControlPage::Plain},       {0x400, ControlPage::ThirdCap},
        {0xC00, ControlPage::ThirdCap},  {0x200, ControlPage::Corvina},
        {0x80000001u, ControlPage::IO},  {0x80000400u, ControlPage::ThirdCap},
    };
    for (const auto& [pin, page] : cases) {
        Unit([value = pin](SimUnitData& d) { d.pin = value; });
        ASSERT_EQ(dev.ReadPin(), 0);
        EXPECT_EQ(CCapControls::SelectPage(dev), page) << std::hex << pin;
    }
}

TEST(PageReads, ReadsThePagesInOrderAndStopsAtTheFirstFailure)
{
    CPageReads reads;
    std::vector<int> order;
    for (int p = 0; p < CPageReads::PageCount; ++p)
        reads.Set(static_cast<CPageReads::Page>(p), [&order, p] {
            order.push_back(p);
            return 0;
        });
    EXPECT_EQ(reads.ReadAll(), 0);
    EXPECT_EQ(order, (std::vector<int>{0, 1, 2, 3}));

    order.clear();
    reads.Set(CPageReads::Trajectories, [&order] {
        order.push_back(1);
        return 7;
    });
    EXPECT_EQ(reads.ReadAll(), 7);
    EXPECT_EQ(order, (std::vector<int>{0, 1})); // nothing after the failing page
    reads.Set(CPageReads::Trajectories, nullptr); // an empty slot reads nothing
    order.clear();
    EXPECT_EQ(reads.ReadAll(), 0);
    EXPECT_EQ(order, (std::vector<int>{0, 2, 3}));
}

} // namespace

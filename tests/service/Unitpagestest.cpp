// The unit pages' read and send routines against the simulated unit over a pseudo-terminal:
// the exact command order, the stop at the first failing command, and send-then-read round
// trips.

#include "device/Device.h"
#include "device/Unitconst.h"
#include "service/Unitpages.h"
#include "simunit/Simcommandset.h"
#include "simunit/Simrecorder.h"
#include "support/Simfixture.h"

#include <gtest/gtest.h>

namespace {

using simunit::SimUnitData;
using Cmds = std::vector<int>;

class UnitPages : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(pty.Ok()) << pty.Error();
        state = simunit::InstallDeviceCommands(pty.Unit());
        Unit([](SimUnitData& d) { d.motorSpeed = 0; });
        ASSERT_EQ(dev.OpenPort(pty.Path(), 9600, 500, 2), 0) << dev.LastError();
    }
    template <typename F> void Unit(F&& f) { state->With([&](SimUnitData& d) { f(d); }); }
    void UsePin(uint32_t pin)
    {
        Unit([pin](SimUnitData& d) { d.pin = pin; });
        ASSERT_EQ(dev.ReadPin(), 0);
    }

    testsupport::SimPty pty;
    std::shared_ptr<simunit::SimState> state;
    CDevice dev;
    simunit::SimRecorder rec{pty.Unit()};
};

TEST_F(UnitPages, SetupReadsInOrderAndSendsTheConfigurationBack)
{
    UsePin(0x10001); // output sensor
    Unit([](SimUnitData& d) {
        d.caps[0].totalSteps = 3000;
        d.caps[1].stepOffset = 12;
        d.caps[0].cMax = 750;
        d.sensorPoff[0] = 33;
        d.sensorAver[1] = 2;
        d.pots[3] = 200;
    });
    rec.Clear();
    CSetupData data;
    ASSERT_EQ(ReadSetupData(dev, data), 0);
    EXPECT_EQ(rec.Commands(), (Cmds{130, 198, 132, 169, 231, 159, 166, 158, 158, 158, 162, 162, 162, 162}));
    EXPECT_EQ(data.productId, "VT10000A.01");
    EXPECT_EQ(data.pin, 0x10001u);
    EXPECT_EQ(data.serial, 123456u);
    EXPECT_EQ(data.total[0], 3000);
    EXPECT_EQ(data.offset[1], 12);
    EXPECT_DOUBLE_EQ(data.cMax[0], 750);
    EXPECT_EQ(data.inPoff, 33);
    EXPECT_EQ(data.outAver, 2);
    EXPECT_EQ(data.pots[1], 200); // potentiometer 3

    data.total[1] = 1234;
    data.cMin[1] = 15;
    data.inAver = 3;
    data.pots[0] = 7;
    rec.Clear();
    ASSERT_EQ(SendSetupConfig(dev, data), 0);
    EXPECT_EQ(rec.Commands(), (Cmds{89, 96, 88, 88, 88, 88, 92, 92, 92, 92}));
    // The output sensor's power-off level always goes as 0.
    EXPECT_EQ(rec.Requests()[5].data, (std::vector<uint8_t>{1, 0, 0, 0}));
    CSetupData back;
    ASSERT_EQ(ReadSetupData(dev, back), 0);
    EXPECT_EQ(back.total[1], 1234);
    EXPECT_DOUBLE_EQ(back.cMin[1], 15);
    EXPECT_EQ(back.inAver, 3);
    EXPECT_EQ(back.pots[0], 7);
}

TEST_F(UnitPages, SetupOfAThirdCapacitorUnitAndOfAPlainOne)
{
    UsePin(0x400);
    rec.Clear();
    CSetupData data;
    ASSERT_EQ(ReadSetupData(dev, data), 0);
    EXPECT_EQ(rec.Commands(), (Cmds{130, 198, 132, 169, 231, 159, 166, 165, 165, 158, 158, 165, 162, 162, 162, 162}));
    data.total[2] = 999;
    data.outAver = 1;
    rec.Clear();
    ASSERT_EQ(SendSetupConfig(dev, data), 0);
    EXPECT_EQ(rec.Commands(), (Cmds{89, 96, 95, 95, 88, 88, 95, 92, 92, 92, 92}));
    Unit([](SimUnitData& d) {
        EXPECT_EQ(d.caps[2].totalSteps, 999);
        EXPECT_EQ(d.aver3, 1);
    });

    UsePin(1); // neither third capacitor nor output sensor: nothing for them
    rec.Clear();
    ASSERT_EQ(SendSetupConfig(dev, data), 0);
    EXPECT_EQ(rec.Commands(), (Cmds{89, 96, 88, 88, 92, 92, 92, 92}));
}

TEST_F(UnitPages, ACsrStopsTheSendAtThatCommand)
{
    CSetupData data;
    ASSERT_EQ(ReadSetupData(dev, data), 0);
    rec.Clear();
    rec.InjectCsr(3, 4);
    EXPECT_EQ(SendSetupConfig(dev, data), 4);
    EXPECT_EQ(rec.Commands(), (Cmds{89, 96, 88}));

    // A potentiometer CSR does not stop the send.
    rec.Clear();
    rec.InjectCsr(5, 36);
    EXPECT_EQ(SendSetupConfig(dev, data), 0);
    EXPECT_EQ(rec.Commands(), (Cmds{89, 96, 88, 88, 92, 92, 92, 92}));
}

TEST_F(UnitPages, TrajectoriesRoundTrip)
{
    rec.Clear();
    CTrajData data;
    ASSERT_EQ(ReadTrajData(dev, data), 0);
    EXPECT_EQ(rec.Commands(), (Cmds{160, 170, 160, 170, 160, 170, 160, 170, 161, 154}));
    data.sets[1].lastIndex = 2;
    data.sets[1].load = {10, 20, 30, 40};
    data.sets[1].values = {0.5, 3.0, 1.25, 0};
    data.active = 2;
    data.tuneMax = 90;
    rec.Clear();
    ASSERT_EQ(SendTrajData(dev, data), 0);
    EXPECT_EQ(rec.Commands(), (Cmds{90, 100, 90, 100, 90, 100, 90, 100, 91, 84}));
    CTrajData back;
    ASSERT_EQ(ReadTrajData(dev, back), 0);
    EXPECT_EQ(back.sets[1].lastIndex, 2);
    EXPECT_DOUBLE_EQ(back.sets[1].load[2], 30);
    EXPECT_DOUBLE_EQ(back.sets[1].values[1], 2.55); // 2.55 s or more goes as 255
    EXPECT_EQ(back.active, 2);
    EXPECT_DOUBLE_EQ(back.tuneMax, 90);

    // A unit without per-point delays gets no delay command.
    Unit([](SimUnitData& d) { d.perPointSupported = false; });
    ASSERT_EQ(ReadTrajData(dev, data), 0);
    EXPECT_FALSE(data.perPoint);
    rec.Clear();
    ASSERT_EQ(SendTrajData(dev, data), 0);
    EXPECT_EQ(rec.Commands(), (Cmds{90, 90, 90, 90, 91, 84}));
}

TEST_F(UnitPages, TuningReadKeepsTheUnitsThresholds)
{
    Unit([](SimUnitData& d) {
        d.tuningWords[2] = 150; // reflected-power stop
        d.tuningWords[0] = 41;  // VSWR stop word
    });
    rec.Clear();
    CTuningData data;
    ASSERT_EQ(ReadTuningData(dev, data), 0);
    EXPECT_EQ(rec.Commands(), (Cmds{152, 141}));
    EXPECT_EQ(dev.Model().rflStop, 150);
    EXPECT_DOUBLE_EQ(dev.Model().vswrStop, data.tuning.stop);
    EXPECT_NEAR(data.tuning.stop, 1.5, 0.01);

    data.tuning.magToSh = -0.5;
    data.xTarget = -3.0;
    rec.Clear();
    ASSERT_EQ(SendTuningData(dev, data), 0);
    EXPECT_EQ(rec.Commands(), (Cmds{82, 71}));
    CTuningData back;
    ASSERT_EQ(ReadTuningData(dev, back), 0);
    EXPECT_DOUBLE_EQ(back.tuning.magToSh, -0.5);
    EXPECT_NEAR(back.xTarget, -3.0, 0.05);
    EXPECT_EQ(back.tuning.rflStop, 150);

    rec.Clear();
    rec.InjectCsr(1, 4);
    EXPECT_EQ(SendTuningData(dev, data), 4);
    EXPECT_EQ(rec.Commands(), (Cmds{82}));
}

TEST_F(UnitPages, ThirdCapacitorPageOnlyForSuchUnits)
{
    rec.Clear();
    C3capData data;
    EXPECT_EQ(Read3capData(dev, data), 0);
    EXPECT_EQ(Send3capData(dev, data), 0);
    EXPECT_TRUE(rec.Commands().empty());

    UsePin(0x400);
    rec.Clear();
    ASSERT_EQ(Read3capData(dev, data), 0);
    EXPECT_EQ(rec.Commands(), Cmds(8, 165));
    std::vector<int> selectors;
    for (const auto& r : rec.Requests())
        selectors.push_back(r.data.at(0));
    EXPECT_EQ(selectors, (Cmds{2, 7, 5, 5, 5, 5, 10, 13}));

    data.min = 5;
    data.max = 95;
    data.presetSel = 3;
    data.presets = {10, 20, 30, 40};
    data.control = {100, -10, 100, 100};
    data.vlevel = 400;
    rec.Clear();
    ASSERT_EQ(Send3capData(dev, data), 0);
    EXPECT_EQ(rec.Commands(), Cmds(8, 95));
    C3capData back;
    ASSERT_EQ(Read3capData(dev, back), 0);
    EXPECT_DOUBLE_EQ(back.min, 5);
    EXPECT_DOUBLE_EQ(back.max, 95);
    EXPECT_EQ(back.presetSel, 3);
    EXPECT_DOUBLE_EQ(back.presets[3], 40);
    EXPECT_EQ(back.control.gain, -10);
    EXPECT_EQ(back.vlevel, 400);
}

} // namespace

// CDevice against the simulated unit over a real pseudo-terminal: identification, the live read
// of every family into the sample store, fallbacks, motion and the protected operations.

#include "device/Data.h"
#include "device/Device.h"
#include "device/Unitconst.h"
#include "simunit/Simcommandset.h"
#include "link/Serialframe.h"
#include "support/Scriptedunit.h"
#include "support/Simfixture.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <functional>

namespace {

using simunit::SimUnitData;

class DeviceLink : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(pty.Ok()) << pty.Error();
        state = simunit::InstallDeviceCommands(pty.Unit());
        state->With([](SimUnitData& d) { d.motorSpeed = 0; }); // moves finish at once
        ASSERT_EQ(dev.OpenPort(pty.Path(), 9600, 500, 2), 0) << dev.LastError();
    }

    template <typename F>
    void Unit(F&& f)
    {
        state->With([&](SimUnitData& d) { f(d); });
    }

    testsupport::SimPty pty;
    std::shared_ptr<simunit::SimState> state;
    CDevice dev;
};

TEST_F(DeviceLink, IdentifiesAndReadsLiveSamplesIntoTheStore)
{
    EXPECT_EQ(dev.Identify(), 0);
    EXPECT_EQ(dev.ModelText(), "VANT");
    EXPECT_EQ(dev.DisplayName(), "VANT");
    EXPECT_EQ(dev.CopyDisplayName(), "VANT");

    CData data;
    for (int i = 0; i < 3; ++i) {
        CLiveSample s;
        ASSERT_EQ(dev.ReadLive(s), 0) << dev.LastError();
        ASSERT_TRUE(s.valid);
        dev.StoreLive(s, data.Latest());
        data.Add();
    }
    EXPECT_EQ(data.Count(), 3);
    EXPECT_FALSE(dev.ProbeDtrCts()); // a pseudo-terminal has no modem lines
}

TEST_F(DeviceLink, AThirdCapacitorReplyEchoingAnotherSelectorIsNoAnswer)
{
    // Every third-capacitor reply begins with the selector asked for: one that begins with
    // another answers another read (a late one) and is never taken for this one's.
    Unit([](SimUnitData& d) { d.pin = 0x400; });
    ASSERT_EQ(dev.ReadPin(), 0);
    struct Case {
        uint8_t echoed;
        uint16_t word;
        bool answered;
        double position; // what the program holds after the read
    } cases[] = {
        {cap3sel::Position, 1234, true, 12.34},
        {cap3sel::Steps, 5678, false, 12.34},
        {cap3sel::Range, 4321, false, 12.34},
    };
    for (const Case& c : cases) {
        // A copy of the case: the unit's thread may run the handler after this loop's stack is gone.
        pty.Unit().Register(unitcmd::Read3cap, [c](const std::vector<uint8_t>&, std::vector<uint8_t>& reply) {
            reply = {c.echoed, static_cast<uint8_t>(c.word & 0xFF), static_cast<uint8_t>(c.word >> 8)};
            return true;
        });
        const int r = dev.Read3capPosition();
        if (c.answered) {
            EXPECT_EQ(r, 0) << dev.LastError();
        } else {
            EXPECT_LT(r, 0) << int(c.echoed) << " taken for the position's reply";
        }
        EXPECT_DOUBLE_EQ(dev.Position(2), c.position) << int(c.echoed);
    }
}

TEST_F(DeviceLink, UnknownModelKeepsItsReply)
{
    pty.Unit().SetModel("Other Box");
    EXPECT_EQ(dev.Identify(), 1);
    EXPECT_EQ(dev.ModelText(), "Other Box");
    EXPECT_EQ(dev.DisplayName(), "");
    // The table is matched exactly and case-sensitively; the name is the reply itself.
    struct Case {
        const char* reply;
        int result;
        const char* name;
    } cases[] = {{"VANTREL Auto Match", 0, "VANTREL Auto Match"},
                 {"VANTREL Switch Match", 0, "VANTREL Switch Match"},
                 {"vant", 1, ""},
                 {"VANT ", 1, ""},
                 {"VANTREL Auto", 1, ""}};
    for (const Case& c : cases) {
        pty.Unit().SetModel(c.reply);
        EXPECT_EQ(dev.Identify(), c.result) << c.reply;
        EXPECT_EQ(dev.ModelText(), c.reply);
        EXPECT_EQ(dev.DisplayName(), c.name) << c.reply;
    }
    dev.ClosePort();
    EXPECT_EQ(dev.Identify(), -102);
    EXPECT_EQ(dev.ModelText(), "VANT");
}

// Every family: the live words the unit computes come back scaled by the family's table.
TEST_F(DeviceLink, LiveReadOfEachFamily)
{
    struct Family {
        uint32_t pin;
    } families[] = {{1}, {0x10001}, {0x400}, {0xC00}, {0x200}, {0x80000800}};
    for (const Family& f : families) {
        Unit([&](SimUnitData& d) {
            d.pin = f.pin;
            d.rfOn = true;
            d.caps[0].position = d.caps[0].target = 40;
            d.caps[1].position = d.caps[1].target = 30;
            d.caps[2].position = d.caps[2].target = 70;
            d.faults = 0x0102030405060708ull;
        });
        ASSERT_EQ(dev.ReadPin(), 0);
        ASSERT_EQ(dev.Pin(), f.pin);
        std::array<int16_t, 15> w{};
        Unit([&](SimUnitData& d) { w = d.LiveWords(); });
        CLiveSample s;
        ASSERT_EQ(dev.ReadLive(s), 0) << dev.LastError();
        EXPECT_TRUE(s.valid);
        EXPECT_DOUBLE_EQ(s.r, w[0] / 1024.0 * 50);
        EXPECT_DOUBLE_EQ(s.x, w[1] / 1024.0 * 50);
        EXPECT_DOUBLE_EQ(s.gamma, std::sqrt(w[2] / 1024.0));
        EXPECT_EQ(s.power, w[3]);
        EXPECT_EQ(s.load, 40);
        EXPECT_EQ(s.tune, 30);
        EXPECT_EQ(s.status, static_cast<uint16_t>(w[10]));
        EXPECT_EQ(s.status & 1u, 1u); // RF on
        EXPECT_EQ(s.statusBytes[0], 0x05060708u);
        EXPECT_EQ(s.statusBytes[1], 0x01020304u);
        if (dev.Has3rdCap()) {
            EXPECT_DOUBLE_EQ(s.w4, w[4] * 0.001);
            EXPECT_EQ(s.w7, 70);
            EXPECT_EQ(dev.Position(2), 70);
        } else if (dev.HasOutputSensor()) {
            EXPECT_DOUBLE_EQ(s.w4, w[4] / 1024.0 * 50);
            EXPECT_EQ(s.w7, w[7]);
        } else {
            EXPECT_EQ(s.w4, 0);
            EXPECT_EQ(s.w7, 0);
        }
        EXPECT_EQ(dev.Position(0), 40);
    }
}

TEST_F(DeviceLink, LiveEdgeCases)
{
    std::array<int16_t, 15> w{};
    w[0] = -1024;
    w[2] = 1024;
    w[3] = 100;
    w[10] = 0x2800;
    Unit([&](SimUnitData& d) {
        d.liveWords = w;
        d.statusReplyLength = 2;
    });
    CLiveSample s;
    ASSERT_EQ(dev.ReadLive(s), 0);
    CDataRec rec;
    dev.StoreLive(s, rec);
    EXPECT_EQ(rec.Value(1), -50);
    EXPECT_EQ(rec.Value(3), 1);
    EXPECT_EQ(rec.Value(23), 9999);
    EXPECT_EQ(rec.Value(5), 0);
    EXPECT_EQ(s.statusBytes[0], 0x03u); // from the status word's high byte 0x28

    Unit([](SimUnitData& d) { d.liveReplyLength = 20; });
    ASSERT_EQ(dev.ReadLive(s), 0);
    EXPECT_FALSE(s.valid);
}

TEST_F(DeviceLink, MotionAndPositions)
{
    Unit([](SimUnitData& d) { d.motorSpeed = 2000; }); // a few polls of motion
    ASSERT_EQ(dev.MoveCaps(80, 20), 0);
    EXPECT_EQ(dev.WaitMotors(), 0);
    ASSERT_EQ(dev.ReadPositions(), 0);
    EXPECT_EQ(dev.Position(0), 80);
    EXPECT_EQ(dev.Position(1), 20);
    EXPECT_EQ(dev.ResetCaps(), 0);
    dev.ReadPositions();
    EXPECT_EQ(dev.Position(0), 0);

    ASSERT_EQ(dev.EnableMotors(false), 0);
    EXPECT_EQ(dev.MoveCaps(50, 50), 47); // "Motor movement disabled"
    EXPECT_EQ(CDevice::CsrText(47), "Motor movement disabled");
}

// In Auto mode with RF on the simulated unit steps its capacitors by the tuning rule on every
// live read until the network matches; in Serial mode it leaves them alone.
TEST_F(DeviceLink, AutoModeTunesTheSimulatedUnit)
{
    auto gammaAfter = [&](int reads) {
        CLiveSample s;
        for (int i = 0; i < reads; ++i)
            EXPECT_EQ(dev.ReadLive(s), 0) << dev.LastError();
        return s.gamma;
    };
    const double untuned = gammaAfter(1);
    EXPECT_GT(untuned, 0.5);
    Unit([](SimUnitData& d) { d.rfOn = true; });
    EXPECT_DOUBLE_EQ(gammaAfter(20), untuned); // Serial mode: nothing moves

    // A load the network can match within the capacitors' limits.
    Unit([](SimUnitData& d) {
        d.loadR = 15;
        d.loadX = -10;
        d.mode = SimUnitData::ModeAuto;
    });
    EXPECT_LT(gammaAfter(100), 0.1);
    CLiveSample s;
    ASSERT_EQ(dev.ReadLive(s), 0);
    EXPECT_TRUE(s.status & (1u << 1)); // the tuned bit
}

TEST_F(DeviceLink, SettingsRoundTrip)
{
    ASSERT_EQ(dev.SetMode(1), 0);
    int mode = -1;
    ASSERT_EQ(dev.ReadMode(mode), 0);
    EXPECT_EQ(mode, 1);

    ASSERT_EQ(dev.WriteCapLimits(10, 15, 90, 85), 0);
    ASSERT_EQ(dev.WriteCapSteps(3000, 2500, 10, 20), 0);
    ASSERT_EQ(dev.WriteCapRange(900, 800, 15, 25), 0);
    CTrajectory& t = dev.Trajectory(2);
    t.lastIndex = 2;
    t.load = {11, 22, 33, 0};
    t.tune = {44, 55, 66, 0};
    t.values = {0.5, 2.6, 1, 0};
    ASSERT_EQ(dev.WriteTrajectories(), 0);
    CTuning tuning;
    tuning.maxSerStep = 7.5;
    tuning.option3 = 5;
    ASSERT_EQ(dev.WriteTuning(tuning), 0);
    ASSERT_EQ(dev.WriteTarget(40, -10), 0);

    // Forget locally, read back from the unit.
    for (int c = 0; c < 2; ++c)
        dev.Cap(c) = CCapRecord{};
    dev.Trajectory(2) = CTrajectory{};
    ASSERT_EQ(dev.ReadCapLimits(), 0);
    ASSERT_EQ(dev.ReadCapSteps(), 0);
    ASSERT_EQ(dev.ReadCapRange(), 0);
    ASSERT_EQ(dev.ReadTrajectories(), 0);
    EXPECT_EQ(dev.CapMin(1), 15);
    EXPECT_EQ(dev.CapMax(0), 90);
    EXPECT_EQ(dev.CapTotal(0), 3000);
    EXPECT_EQ(dev.CapOffset(1), 20);
    EXPECT_EQ(dev.Cap(1).cMax, 800);
    EXPECT_EQ(dev.Cap(0).cMin, 15);
    EXPECT_EQ(dev.Trajectory(2).lastIndex, 2);
    EXPECT_EQ(dev.Trajectory(2).tune[1], 55);
    EXPECT_DOUBLE_EQ(dev.Trajectory(2).values[1], 2.55);
    EXPECT_TRUE(dev.PerPointValuesEnabled());
    CTuning back;
    ASSERT_EQ(dev.ReadTuning(back), 0);
    EXPECT_EQ(back.maxSerStep, 7.5);
    EXPECT_EQ(back.option3, 5);
    EXPECT_NEAR(back.stop, 1.2, 0.02);
    double r = 0, x = 0;
    ASSERT_EQ(dev.ReadTarget(r, x), 0);
    EXPECT_NEAR(r, 40, 0.05);
    EXPECT_NEAR(x, -10, 0.05);

    // Older units: one-byte range and per-point replies.
    Unit([](SimUnitData& d) {
        d.rangeSupported = false;
        d.perPointSupported = false;
    });
    ASSERT_EQ(dev.ReadCapRange(), 0);
    EXPECT_EQ(dev.Cap(1).cMax, 800);
    ASSERT_EQ(dev.ReadTrajectories(), 0);
    EXPECT_FALSE(dev.PerPointValuesEnabled());
}

TEST_F(DeviceLink, ThirdCapacitor)
{
    Unit([](SimUnitData& d) { d.pin = 0x400; });
    ASSERT_EQ(dev.ReadPin(), 0);
    ASSERT_EQ(dev.Write3capPosition(65), 0);
    ASSERT_EQ(dev.Write3capLimits(5, 95), 0);
    ASSERT_EQ(dev.Write3capPresetN(1, 42.5), 0);
    ASSERT_EQ(dev.Write3capPresetSel(2), 0);
    C3capControl c{100, -20, 300, 4};
    ASSERT_EQ(dev.Write3capControl(c), 0);
    dev.Cap(2) = CCapRecord{};
    ASSERT_EQ(dev.Read3capPosition(), 0);
    ASSERT_EQ(dev.Read3capLimits(), 0);
    EXPECT_EQ(dev.Position(2), 65);
    EXPECT_EQ(dev.CapMin(2), 5);
    double preset = 0;
    ASSERT_EQ(dev.Read3capPresetN(1, preset), 0);
    EXPECT_EQ(preset, 42.5);
    ASSERT_EQ(dev.Read3capPresetSel(), 0);
    EXPECT_EQ(dev.ThirdCapActivePreset(), 2);
    // The unit numbers its presets from 0, as the program does.
    Unit([](SimUnitData& d) { EXPECT_EQ(d.presetSel3, 2); });
    Unit([](SimUnitData& d) { d.presetSel3 = 0; });
    ASSERT_EQ(dev.Read3capPresetSel(), 0);
    EXPECT_EQ(dev.ThirdCapActivePreset(), 0);
    C3capControl back;
    ASSERT_EQ(dev.Read3capControl(back), 0);
    EXPECT_EQ(back.gain, -20);
    EXPECT_EQ(back.maxStep, 300);

    // A unit without one answers nothing and the program sends nothing.
    Unit([](SimUnitData& d) { d.pin = 1; });
    dev.ReadPin();
    const int before = pty.Unit().RequestCount();
    EXPECT_EQ(dev.Write3capPosition(10), 1);
    EXPECT_EQ(pty.Unit().RequestCount(), before);
}

TEST_F(DeviceLink, IdentityFallbacksAndProtectedWrites)
{
    Unit([](SimUnitData& d) {
        d.pinAs32Bits = false;
        d.olderPinOptions = 0x01;
    });
    ASSERT_EQ(dev.ReadPin(), 0);
    EXPECT_EQ(dev.Pin(), 0x10001u);

    ASSERT_EQ(dev.WriteSerialNumber(0xCAFE1234), 0);
    uint32_t serial = 0;
    ASSERT_EQ(dev.ReadSerialNumber(serial), 0);
    EXPECT_EQ(serial, 0xCAFE1234u);
    Unit([](SimUnitData& d) { d.serialAsVariables = true; });
    ASSERT_EQ(dev.WriteSerialNumber(0x00BEEF01), 0);
    ASSERT_EQ(dev.ReadSerialNumber(serial), 0);
    EXPECT_EQ(serial, 0x00BEEF01u);

    Unit([](SimUnitData& d) { d.pinAs32Bits = true; });
    ASSERT_EQ(dev.WritePin(0x10400), 0);
    dev.ReadPin();
    EXPECT_EQ(dev.Pin(), 0x10400u);
    EXPECT_EQ(dev.ApplyPin(), 0);
    dev.SetServiceAccess(false);

    ASSERT_EQ(dev.InitMemory(1), 0);
    std::string id;
    ASSERT_EQ(dev.ReadProductId(id), 0);
    EXPECT_EQ(id, "VT10000A.01");
    std::string version;
    ASSERT_EQ(dev.ReadVersionText(version), 0);
    EXPECT_EQ(version, "Sim 1.00");
    int inits = 0;
    bool accessOpen = true;
    Unit([&](SimUnitData& d) {
        inits = d.memoryInits;
        accessOpen = d.AccessOpen();
    });
    EXPECT_EQ(inits, 1);
    EXPECT_FALSE(accessOpen); // switched off again
}

TEST_F(DeviceLink, ServiceLogResetAndRead)
{
    ASSERT_EQ(dev.ResetServiceLog(), 0);
    int resets = 0;
    Unit([&](SimUnitData& d) { resets = d.logResets; d.logBySectors = false; d.logResets = 0; });
    EXPECT_EQ(resets, 27);
    ASSERT_EQ(dev.ResetServiceLog(), 0);
    Unit([&](SimUnitData& d) { resets = d.logResets; });
    EXPECT_EQ(resets, 38);

    Unit([](SimUnitData& d) { d.logCount = 10; }); // a unit that names no active sector
    ASSERT_EQ(dev.ReadServiceLog(), 0);
    EXPECT_EQ(dev.ServiceLogCount(), 10);
    EXPECT_EQ(dev.ServiceLogRecord(4)[0], 79u);
    EXPECT_EQ(dev.ServiceLogRecord(4)[1], 4u);
    Unit([](SimUnitData& d) { d.newerServiceLog = false; });
    ASSERT_EQ(dev.ReadServiceLog(), 0);
    EXPECT_EQ(dev.ServiceLogCount(), 10);
    EXPECT_EQ(dev.ServiceLogRecord(7)[0], 0u);
    EXPECT_EQ(dev.ServiceLogRecord(7)[1], 7u);
}

TEST(DeviceEcho, AReplyEchoingAnotherIndexIsNotStoredUnderTheIndexAsked)
{
    // Reads whose reply repeats the index asked for, each in turn for index 0 and 1. The unit
    // answers the second request with a copy of the first reply behind the acknowledgement,
    // then with its own: index 0's values are never taken for index 1's. The replies of the
    // converters' reads have five data bytes, so their first byte is the NAK byte as well.
    const struct {
        int command;
        std::function<int(CDevice&, int, std::vector<int>&)> read;
    } reads[] = {
        { unitcmd::ReadSdac,
          [](CDevice& d, int i, std::vector<int>& v) { v.assign(2, 0); return d.ReadSdac(i, v[0], v[1]); } },
        { unitcmd::ReadMaxCh, [](CDevice& d, int i, std::vector<int>& v) { v.assign(1, 0); return d.ReadMaxCh(i, v[0]); } },
        { unitcmd::ReadPot, [](CDevice& d, int i, std::vector<int>& v) { v.assign(1, 0); return d.ReadPot(i, v[0]); } },
        { unitcmd::ReadSadc,
          [](CDevice& d, int i, std::vector<int>& v) { v.assign(3, 0); return d.ReadSadc(i, v[0], v[1], v[2]); } },
        { unitcmd::ReadSensorCal,
          [](CDevice& d, int i, std::vector<int>& v) {
              std::array<uint16_t, 8> w {};
              const int r = d.ReadSensorCal(i, w);
              v.assign(w.begin(), w.end());
              return r;
          } },
    };
    for (const auto& read : reads) {
        // The index's reply: the index, then 16 bytes of values 10 * (index + 1) (as many as read).
        auto reply = [&](uint8_t index) {
            std::vector<uint8_t> data(17, static_cast<uint8_t>(10 * (index + 1)));
            data[0] = index;
            const int length = read.command == unitcmd::ReadSdac ? 5 : read.command == unitcmd::ReadSadc ? 7 : 17;
            return serialframe::BuildFrame(2, static_cast<uint8_t>(read.command), data.data(), length);
        };
        testsupport::ScriptedUnit unit([&](int index, const testsupport::ScriptedUnit::Request&) {
            std::vector<uint8_t> out { serialframe::Ack };
            if (index == 1) {
                const auto copy = reply(0);
                out.insert(out.end(), copy.begin(), copy.end());
            }
            const auto own = reply(static_cast<uint8_t>(index));
            out.insert(out.end(), own.begin(), own.end());
            return out;
        });
        ASSERT_TRUE(unit.Ok());
        CDevice dev;
        ASSERT_EQ(dev.OpenPort(unit.Path(), 9600, 300, 2), 0) << dev.LastError();
        for (int index : { 0, 1 }) {
            std::vector<int> values;
            ASSERT_EQ(read.read(dev, index, values), 0) << read.command << ": " << dev.LastError();
            ASSERT_FALSE(values.empty());
            const int byte = 10 * (index + 1);
            const int expected = read.command == unitcmd::ReadPot ? byte : byte | byte << 8;
            EXPECT_EQ(values.front(), expected) << "command " << read.command << ", index " << index;
        }
    }
}

TEST(DeviceNoLink, DemoSamplesWithoutAnyLink)
{
    class Demo : public IDemoFlag {
    public:
        bool IsDemo() const override { return true; }
    } demo;
    CDevice dev;
    dev.SetDemoFlag(&demo);
    CData data;
    for (int i = 0; i < 5; ++i) {
        CLiveSample s;
        ASSERT_EQ(dev.ReadLive(s), 0);
        dev.StoreLive(s, data.Latest());
        data.Add();
    }
    EXPECT_EQ(data.Count(), 5);
    EXPECT_EQ(data.At(4)->Flag(32), 1); // serial mode, the initial mode
    EXPECT_EQ(dev.Identify(), 0);
    EXPECT_EQ(dev.CopyDisplayName(), "");
    EXPECT_FALSE(dev.IsConnected());
}

} // namespace

#include "simunit/Simoptions.h"

namespace {

TEST(SimunitOptions, UnitStateOptions)
{
    simunit::SimOptions o;
    std::string error;
    ASSERT_TRUE(simunit::ParseSimOptions({"--pin", "0x10400", "--load", "12.5,-3", "--fault", "0", "--fault", "63"}, o, error))
        << error;
    EXPECT_EQ(o.pin, 0x10400u);
    EXPECT_EQ(o.loadR, 12.5);
    EXPECT_EQ(o.loadX, -3);
    EXPECT_EQ(o.faults, 0x8000000000000001ull);
    for (const std::vector<std::string>& bad :
         {std::vector<std::string>{"--pin", "0x"}, {"--pin", "12z"}, {"--load", "5"}, {"--load", "a,b"},
          {"--load", "-1,0"}, {"--fault", "64"}, {"--fault"}}) {
        simunit::SimOptions p;
        EXPECT_FALSE(simunit::ParseSimOptions(bad, p, error)) << bad[0];
    }
}

// The program orrery-simunit with a third-capacitor unit and two faults set.
TEST(SimunitProgram, AnswersAsConfigured)
{
    testsupport::SimProcess sim;
    std::string error;
    ASSERT_TRUE(sim.Start({"--pin", "0x400", "--load", "50,0", "--fault", "2", "--fault", "40"}, error)) << error;
    CDevice dev;
    ASSERT_EQ(dev.OpenPort(sim.UnitPath(), 9600, 500, 2), 0) << dev.LastError();
    EXPECT_EQ(dev.Identify(), 0);
    ASSERT_EQ(dev.ReadPin(), 0);
    EXPECT_TRUE(dev.Has3rdCap());
    CLiveSample s;
    ASSERT_EQ(dev.ReadLive(s), 0);
    EXPECT_EQ(s.statusBytes[0], 0x4u);
    EXPECT_EQ(s.statusBytes[1], 0x100u);
    dev.ClosePort();
}

} // namespace

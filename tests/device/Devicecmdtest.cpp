// The request bytes and reply layouts of the unit commands, their fallbacks and the demo
// short-cut, checked through a scripted transaction step (no link).

#include "Scriptedstep.h"

#include "common/Hooks.h"
#include "device/Data.h"
#include "device/Netmodel.h"
#include "device/Unitconst.h"
#include "device/Var.h"

#include <gtest/gtest.h>

#include <cmath>

namespace devicetest {
namespace {

using Bytes = std::vector<uint8_t>;

class DeviceCmd : public ::testing::Test {
protected:
    TestDevice dev;
    ScriptedStep step{dev};
};

TEST_F(DeviceCmd, MoveCapsClampsAndSendsWords)
{
    EXPECT_EQ(dev.MoveCaps(120, -3), 0);
    ASSERT_EQ(step.sent.size(), 2u);
    EXPECT_EQ(step.sent[0].command, 112);
    EXPECT_EQ(step.sent[0].data, (Bytes{0x10, 0x27}));
    EXPECT_EQ(step.sent[1].command, 122);
    EXPECT_EQ(step.sent[1].data, (Bytes{0x00, 0x00}));

    step.sent.clear();
    dev.MoveCaps(std::nan(""), 12.345); // not a number gives 0; 1234.5 rounds up
    EXPECT_EQ(step.sent[0].data, (Bytes{0, 0}));
    EXPECT_EQ(step.sent[1].data, (Bytes{0xD3, 0x04}));

    // 122 only after 112 was accepted.
    step.sent.clear();
    step.Then({47});
    EXPECT_EQ(dev.MoveCaps(10, 10), 47);
    EXPECT_EQ(step.Commands(), (std::vector<int>{112}));
}

TEST_F(DeviceCmd, ModesStoreOnlyWhenAccepted)
{
    EXPECT_EQ(dev.Mode(), 2);
    EXPECT_EQ(dev.SetMode(0), 0);
    EXPECT_EQ(step.sent[0].data, (Bytes{0}));
    EXPECT_EQ(dev.Mode(), 0);
    step.Then({40});
    EXPECT_EQ(dev.SetMode(9), 40);
    EXPECT_EQ(dev.Mode(), 0);

    step.Then({1});
    int mode = -1;
    EXPECT_EQ(dev.ReadMode(mode), 0);
    EXPECT_EQ(step.sent.back().command, 163);
    EXPECT_EQ(mode, 1);

    // The caller chooses whether a CSR counts for the external preset mode.
    step.Then({31});
    EXPECT_EQ(dev.SetExtPresetMode(1, true), 0);
    EXPECT_TRUE(step.sent.back().ignoreCsr);
    EXPECT_EQ(dev.ExtPresetMode(), 1);
    step.Then({31});
    EXPECT_EQ(dev.SetExtPresetMode(0, false), 31);
    EXPECT_EQ(dev.ExtPresetMode(), 1);
}

TEST_F(DeviceCmd, IgnoreCsrTurnsACsrIntoSuccess)
{
    step.Then({31});
    EXPECT_EQ(dev.EnableMotors(true), 0);
    EXPECT_EQ(step.sent[0].command, 98);
    EXPECT_EQ(step.sent[0].data, (Bytes{0}));
    dev.EnableMotors(false);
    EXPECT_EQ(step.sent[1].data, (Bytes{1}));

    // Command itself folds a CSR the step reports.
    step.Then({31});
    EXPECT_EQ(dev.Command(93, true), 0);
    step.Then({31});
    EXPECT_EQ(dev.Command(93, false), 31);
}

TEST_F(DeviceCmd, IdentifyGoesThroughTheStep)
{
    const std::string model = "VANT";
    step.Then(Bytes(model.begin(), model.end()));
    EXPECT_EQ(dev.Identify(), 0);
    ASSERT_EQ(step.Commands(), (std::vector<int>{128}));
    EXPECT_TRUE(step.sent[0].data.empty());
    EXPECT_EQ(dev.DisplayName(), "VANT");

    step.Then({}, -3); // the step saw the failure and reported it
    EXPECT_EQ(dev.Identify(), -3);
    EXPECT_EQ(step.Commands(), (std::vector<int>{128, 128}));
    EXPECT_EQ(dev.ModelText(), "VANT");
    EXPECT_EQ(dev.DisplayName(), "");
}

TEST_F(DeviceCmd, CapacitorSetupLayouts)
{
    dev.WriteCapLimits(20, 25.5, 80, 90);
    EXPECT_EQ(step.sent[0].command, 84);
    EXPECT_EQ(step.sent[0].data, (Bytes{0xD0, 0x07, 0xF6, 0x09, 0x40, 0x1F, 0x28, 0x23}));
    EXPECT_EQ(dev.CapMin(1), 25.5);
    EXPECT_EQ(dev.CapMax(0), 80);

    step.Then({0xE8, 0x03, 0xDC, 0x05, 0x10, 0x27, 0x00, 0x00});
    EXPECT_EQ(dev.ReadCapLimits(), 0);
    EXPECT_EQ(dev.CapMin(0), 10);
    EXPECT_EQ(dev.CapMin(1), 15);
    EXPECT_EQ(dev.CapMax(0), 100);
    EXPECT_EQ(dev.CapMax(1), 0);

    dev.WriteCapSteps(2100, 70000, 5, -1);
    EXPECT_EQ(step.sent.back().data, (Bytes{0x34, 0x08, 0xFF, 0xFF, 5, 0, 0, 0}));

    dev.WriteCapRange(500, 1000.4, 10, 20);
    EXPECT_EQ(step.sent.back().command, 96);
    EXPECT_EQ(step.sent.back().data, (Bytes{0xF4, 0x01, 0xE8, 0x03, 10, 0, 20, 0}));

    // A one-byte reply: the unit keeps no range; the records stay.
    step.Then({0});
    EXPECT_EQ(dev.ReadCapRange(), 0);
    EXPECT_EQ(dev.Cap(0).cMax, 500);
    step.Then({0x58, 0x02, 0x20, 0x03, 5, 0, 6, 0});
    EXPECT_EQ(dev.ReadCapRange(), 0);
    EXPECT_EQ(dev.Cap(0).cMax, 600);
    EXPECT_EQ(dev.Cap(1).cMax, 800);
    EXPECT_EQ(dev.Cap(1).cMin, 6);
    EXPECT_DOUBLE_EQ(dev.CapToPf(0, 50), 5 + 595 * 0.5);

    step.Then({0x10, 0x27, 0x88, 0x13});
    EXPECT_EQ(dev.ReadPositions(), 0);
    EXPECT_EQ(dev.Position(0), 100);
    EXPECT_EQ(dev.Position(1), 50);
}

TEST_F(DeviceCmd, MotorStatusAndWait)
{
    step.Then({0xFF});
    EXPECT_EQ(dev.MotorStatus(3), 3);
    step.sent.clear();
    step.Then({0x03});
    step.Then({0x04}); // the extra bit is not waited for by default
    EXPECT_EQ(dev.WaitMotors(), 0);
    EXPECT_EQ(step.sent.size(), 2u);
    step.sent.clear();
    step.Then({0x04});
    step.Then({0x00});
    EXPECT_EQ(dev.WaitMotors(true), 0);
    EXPECT_EQ(step.sent.size(), 2u);
    step.Then({}, -3); // a link error ends the wait
    EXPECT_EQ(dev.WaitMotors(), -3);
}

// A clock that reads 6 s later at every look, and a user who answers the questions from a list.
class SlowClockDevice : public TestDevice {
protected:
    std::chrono::steady_clock::time_point Now() const override { return now_ += std::chrono::seconds(6); }

private:
    mutable std::chrono::steady_clock::time_point now_{};
};

class AnsweringUser : public IMessageHooks {
public:
    explicit AnsweringUser(std::vector<bool> answers) : answers_(std::move(answers)) { InstallMessageHooks(this); }
    ~AnsweringUser() override { InstallMessageHooks(nullptr); }
    void Beep() override {}
    bool AskYesNo(const std::string&, const std::string& text) override
    {
        questions.push_back(text);
        const bool a = next_ < answers_.size() && answers_[next_];
        ++next_;
        return a;
    }
    int ShowWarning(const std::string&, const std::string&) override { return 0; }
    int ShowMessageBox(const std::string&, const std::string&) override { return 0; }
    std::vector<std::string> questions;

private:
    std::vector<bool> answers_;
    size_t next_ = 0;
};

TEST(DeviceWaitMotors, NoToTheQuestionReturnsTheMovingStatus)
{
    SlowClockDevice dev;
    ScriptedStep step{dev};
    for (int i = 0; i < 6; ++i)
        step.Then({0x02}); // the tune motor keeps moving
    AnsweringUser user({true, false});
    // Each poll reads the clock once: the question comes every second poll; Yes waits on, No stops.
    EXPECT_EQ(dev.WaitMotors(), 2);
    EXPECT_EQ(user.questions, (std::vector<std::string>(2, "Motors are still moving.\nDo you want to continue waiting ?")));
    EXPECT_EQ(step.sent.size(), 4u);
}

TEST_F(DeviceCmd, TrajectoriesWithPerPointValues)
{
    CTrajectory& t = dev.Trajectory(0);
    t.lastIndex = 3;
    t.load = {10, 20, 30, 40};
    t.tune = {50, 60, 70, 80};
    t.values = {2.6, -0.5, 1.234, 0};
    EXPECT_EQ(dev.WriteTrajectories(), 0);
    EXPECT_EQ(step.Commands(), (std::vector<int>{90, 100, 90, 100, 90, 100, 90, 100}));
    EXPECT_EQ(step.sent[0].data, (Bytes{1, 3, 0xE8, 0x03, 0x88, 0x13, 0xD0, 0x07, 0x70, 0x17, 0xB8,
                                         0x0B, 0x58, 0x1B, 0xA0, 0x0F, 0x40, 0x1F}));
    EXPECT_EQ(step.sent[1].data, (Bytes{1, 3, 255, 0, 123, 0}));
    EXPECT_EQ(step.sent[2].data, (Bytes{2, 0, 0x88, 0x13, 0x88, 0x13}));

    step.sent.clear();
    dev.SetPerPointValuesEnabled(false);
    dev.WriteTrajectories();
    EXPECT_EQ(step.Commands(), (std::vector<int>{90, 90, 90, 90}));

    // Stops at the first refusal.
    step.sent.clear();
    step.Then({38});
    EXPECT_EQ(dev.WriteTrajectories(), 38);
    EXPECT_EQ(step.sent.size(), 1u);
}

TEST_F(DeviceCmd, ReadTrajectoriesReplyForms)
{
    for (int t = 0; t < 4; ++t) {
        if (t == 0)
            step.Then({1, 1, 0x10, 0x27, 0x00, 0x00, 0xE8, 0x03, 0xD0, 0x07}); // even: echo first
        else
            step.Then({7, 0x88, 0x13, 0x88, 0x13}); // odd: no echo; last index 7 becomes 0
        if (t == 0)
            step.Then({1, 1, 100, 255});
        else
            step.Then({0});
    }
    EXPECT_EQ(dev.ReadTrajectories(), 0);
    const CTrajectory& a = dev.Trajectory(0);
    EXPECT_EQ(a.lastIndex, 1);
    EXPECT_EQ(a.load[0], 100);
    EXPECT_EQ(a.tune[0], 0);
    EXPECT_EQ(a.load[1], 10);
    EXPECT_EQ(a.tune[1], 20);
    EXPECT_DOUBLE_EQ(a.values[0], 1.0);
    EXPECT_DOUBLE_EQ(a.values[1], 2.55);
    EXPECT_EQ(dev.Trajectory(1).lastIndex, 0);
    EXPECT_EQ(dev.Trajectory(1).load[0], 50);
    EXPECT_FALSE(dev.PerPointValuesEnabled()); // the last 170 reply had one byte
    EXPECT_EQ(step.sent[0].data, (Bytes{1}));
    EXPECT_EQ(step.sent[7].data, (Bytes{4}));

    step.Then({9});
    EXPECT_EQ(dev.ReadTrajectory(), 0);
    EXPECT_EQ(dev.ActiveTrajectory(), 3);
    dev.SelectTrajectory(1);
    EXPECT_EQ(step.sent.back().data, (Bytes{2}));
    EXPECT_EQ(dev.ActiveTrajectory(), 1);
}

TEST_F(DeviceCmd, TuningLayoutAndStoredModel)
{
    CTuning t;
    t.stop = 1.2;
    t.start = 1.4;
    t.rflStop = 100;
    t.rflStart = 40000;
    t.maxShStep = 10;
    t.minShStep = 0.5;
    t.maxSerStep = 12.345;
    t.minSerStep = 0.7;
    t.magToSh = 0.8;
    t.phaseToSh = 0.2;
    t.magToSer = -0.2;
    t.phaseToSer = 0.8;
    t.option1 = 1;
    t.option2 = 2;
    t.option3 = 3;
    EXPECT_EQ(dev.WriteTuning(t), 0);
    const Bytes& d = step.sent[0].data;
    ASSERT_EQ(d.size(), 27u);
    auto word = [&](int i) { return static_cast<int16_t>(d[2 * i] | (d[2 * i + 1] << 8)); };
    EXPECT_EQ(word(0), 8);      // floor((0.2/2.2)^2 * 1024 + 0.5)
    EXPECT_EQ(word(1), 28);     // (0.4/2.4)^2 * 1024 = 28.4
    EXPECT_EQ(word(2), 100);
    EXPECT_EQ(word(3), 32767);  // saturated
    EXPECT_EQ(word(4), 1000);
    EXPECT_EQ(word(5), 50);
    EXPECT_EQ(word(6), 1235);   // 1234.5 rounds up
    EXPECT_EQ(word(7), 70);
    EXPECT_EQ(word(8), 819);    // 819.2 + 0.5
    EXPECT_EQ(word(9), 205);    // 204.8 + 0.5
    EXPECT_EQ(word(10), -205);  // floor(-204.8 + 0.5)
    EXPECT_EQ(word(11), 819);
    EXPECT_EQ(d[24], 1);
    EXPECT_EQ(d[25], 2);
    EXPECT_EQ(d[26], 3);
    EXPECT_EQ(dev.Model().maxSerStep, 12.345);
    EXPECT_EQ(dev.Model().algorithm, 1);
    EXPECT_EQ(dev.Model().tuneOption3, 3);

    Bytes reply(d.begin(), d.end());
    reply[0] = 0x00;
    reply[1] = 0x04; // 1024: VSWR 0
    step.Then(reply);
    CTuning back;
    EXPECT_EQ(dev.ReadTuning(back), 0);
    EXPECT_EQ(back.stop, 0);
    EXPECT_NEAR(back.start, 1.4, 0.01);
    EXPECT_EQ(back.rflStart, 32767);
    EXPECT_DOUBLE_EQ(back.minShStep, 0.5);
    EXPECT_NEAR(back.magToSer, -0.2, 0.001);
    EXPECT_EQ(back.option2, 2);
}

TEST_F(DeviceCmd, Target)
{
    EXPECT_EQ(dev.WriteTarget(50, -25), 0);
    EXPECT_EQ(step.sent[0].command, 71);
    EXPECT_TRUE(step.sent[0].ignoreCsr);
    // R 1024.5 -> 1024; X -512 - 0.5 -> -512 (truncated).
    EXPECT_EQ(step.sent[0].data, (Bytes{0x00, 0x04, 0x00, 0xFE}));
    EXPECT_EQ(dev.Model().xtarget, -25);
    dev.WriteTarget(2000, -2000);
    EXPECT_EQ(step.sent[1].data, (Bytes{0xFF, 0x7F, 0x01, 0x80})); // 32767, -32767

    double r = 0, x = 0;
    step.Then({0x00, 0x02, 0x00, 0xFF});
    EXPECT_EQ(dev.ReadTarget(r, x), 0);
    EXPECT_EQ(r, 25);
    EXPECT_EQ(x, -12.5);
    step.Then({0x00});
    EXPECT_EQ(dev.ReadTarget(r, x), 0);
    EXPECT_EQ(r, 2000); // the stored target
}

TEST_F(DeviceCmd, SensorsConvertersAndPotentiometers)
{
    dev.SetSensorAver(1, 7);
    EXPECT_EQ(step.sent.back().command, 88);
    EXPECT_EQ(step.sent.back().data, (Bytes{1, 1, 3}));
    dev.SetSensorPoff(0, 0x1234);
    EXPECT_EQ(step.sent.back().data, (Bytes{0, 0, 0x34, 0x12}));
    step.Then({1, 2});
    int v = 0;
    EXPECT_EQ(dev.ReadSensorAver(1, v), 0);
    EXPECT_EQ(step.sent.back().data, (Bytes{1, 1}));
    EXPECT_EQ(v, 2);

    std::array<uint16_t, 8> cal{1, 2, 3, 4, 5, 6, 7, 0xABCD};
    dev.WriteSensorCal(1, cal);
    EXPECT_EQ(step.sent.back().data.size(), 17u);
    EXPECT_EQ(step.sent.back().data[15], 0xCD);
    Bytes reply{1};
    for (int i = 0; i < 8; ++i)
        reply.insert(reply.end(), {static_cast<uint8_t>(i + 10), 0});
    step.Then(reply);
    std::array<uint16_t, 8> back{};
    EXPECT_EQ(dev.ReadSensorCal(1, back), 0);
    EXPECT_EQ(back[0], 10);
    EXPECT_EQ(back[7], 17);

    int w = 0;
    step.Then({3, 0x34, 0x12});
    EXPECT_EQ(dev.ReadMaxCh(3, w), 0);
    EXPECT_EQ(step.sent.back().command, 153);
    EXPECT_TRUE(step.sent.back().ignoreCsr);
    EXPECT_EQ(w, 0x1234);

    dev.WriteSadc(2, 1, 2, 3);
    EXPECT_EQ(step.sent.back().data, (Bytes{2, 1, 0, 2, 0, 3, 0}));
    dev.WriteSdac(4, 0x100, 5);
    EXPECT_EQ(step.sent.back().data, (Bytes{4, 0, 1, 5, 0}));
    dev.SetPot(1, 200);
    EXPECT_EQ(step.sent.back().command, 92);
    EXPECT_TRUE(step.sent.back().ignoreCsr);
    EXPECT_EQ(step.sent.back().data, (Bytes{1, 200}));

    // MeasureInput: a 9-byte reply has a leading byte.
    double r = 0, x = 0, ratio = 0;
    int raw = 0;
    step.Then({2, 0x00, 0x04, 0x00, 0xFE, 0x00, 0x02, 7, 0});
    EXPECT_EQ(dev.MeasureInput(2, r, x, ratio, raw), 0);
    EXPECT_EQ(r, 50);
    EXPECT_EQ(x, -25);
    EXPECT_EQ(ratio, 0.5);
    EXPECT_EQ(raw, 7);
    std::array<uint16_t, 4> adc{};
    step.Then({1, 0, 2, 0, 3, 0, 4, 0});
    EXPECT_EQ(dev.MeasureInputAdc(0, adc), 0);
    EXPECT_EQ(adc, (std::array<uint16_t, 4>{1, 2, 3, 4}));
}

TEST_F(DeviceCmd, ThirdCapacitorOnlyWhereThereIsOne)
{
    // No third capacitor: the position write returns 1, the others 0; nothing is sent.
    EXPECT_EQ(dev.Write3capPosition(50), 1);
    EXPECT_EQ(dev.Write3capSteps(100, 0), 0);
    EXPECT_EQ(dev.Read3capLimits(), 0);
    EXPECT_TRUE(step.sent.empty());

    dev.SetPin(0x400);
    EXPECT_EQ(dev.Write3capPosition(150), 0);
    EXPECT_EQ(step.sent.back().command, 95);
    EXPECT_EQ(step.sent.back().data, (Bytes{0, 0x10, 0x27}));
    EXPECT_EQ(dev.Position(2), 100);
    step.Then({2, 0xD0, 0x07, 0x40, 0x1F});
    EXPECT_EQ(dev.Read3capLimits(), 0);
    EXPECT_EQ(step.sent.back().command, 165);
    EXPECT_EQ(step.sent.back().data, (Bytes{2}));
    EXPECT_EQ(dev.CapMin(2), 20);
    EXPECT_EQ(dev.CapMax(2), 80);

    C3capControl c;
    c.timer = 70000;
    c.gain = -5;
    c.maxStep = -1;
    c.error = 12;
    dev.Write3capControl(c);
    EXPECT_EQ(step.sent.back().data, (Bytes{10, 0xFF, 0xFF, 0xFB, 0xFF, 0, 0, 12, 0, 0, 0, 0, 0}));
    dev.Write3capRatio(1.2345);
    EXPECT_EQ(step.sent.back().data, (Bytes{3, 0xD3, 0x04}));
    dev.Write3capPresetN(2, 12.5);
    EXPECT_EQ(step.sent.back().data, (Bytes{5, 2, 0xE2, 0x04}));
    C3capSensorCal cal{1, 2, 3, 4, 5, 6};
    step.sent.clear();
    dev.Write3capSensorCal(cal);
    EXPECT_EQ(step.sent[0].data, (Bytes{6, 1, 0, 2, 0, 3, 0, 4, 0}));
    EXPECT_EQ(step.sent[1].data, (Bytes{12, 5, 0, 6, 0}));

    // A fixed third capacitor: no range commands, limits read 0 and 100, no capacitance.
    dev.SetPin(0xC00);
    step.sent.clear();
    EXPECT_EQ(dev.Write3capSteps(100, 0), 0);
    EXPECT_EQ(dev.Set3capMode(1), 0);
    EXPECT_EQ(dev.Write3capRange(10, 1), 0);
    EXPECT_TRUE(step.sent.empty());
    EXPECT_EQ(dev.CapMin(2), 0);
    EXPECT_EQ(dev.CapMax(2), 100);
    EXPECT_EQ(dev.CapToPf(2, 50), 0);
    EXPECT_EQ(dev.Write3capPosition(25), 0);
    EXPECT_EQ(step.sent.size(), 1u);
}

TEST_F(DeviceCmd, PinReadFallsBackTo153)
{
    struct Case {
        Bytes reply153;
        uint32_t pin;
    } cases[] = {{{0x02, 0}, 0x400}, {{0x01, 0}, 0x10001}, {{0x00, 0}, 1}, {{0x03, 0}, 0x400}};
    for (const Case& c : cases) {
        step.sent.clear();
        step.Then({0x12, 0x34}); // two bytes: an older unit
        step.Then(c.reply153);
        EXPECT_EQ(dev.ReadPin(), 0);
        EXPECT_EQ(step.Commands(), (std::vector<int>{169, 153}));
        EXPECT_TRUE(step.sent[1].data.empty());
        EXPECT_EQ(dev.Pin(), c.pin);
    }
    step.sent.clear();
    step.Then({0x01, 0x00, 0x01, 0x00});
    EXPECT_EQ(dev.ReadPin(), 0);
    EXPECT_EQ(dev.Pin(), 0x10001u);
    EXPECT_EQ(step.sent.size(), 1u);
}

TEST_F(DeviceCmd, SerialNumberFallbacks)
{
    uint32_t serial = 99;
    step.Then({0}); // not 4 bytes
    step.Then({0xF2, 0x03, 0x78, 0x56});
    step.Then({0xF3, 0x03, 0x34, 0x12});
    EXPECT_EQ(dev.ReadSerialNumber(serial), 0);
    EXPECT_EQ(step.Commands(), (std::vector<int>{231, 140, 140}));
    EXPECT_EQ(step.sent[1].data, (Bytes{0xF2, 0x03}));
    EXPECT_EQ(step.sent[2].data, (Bytes{0xF3, 0x03}));
    EXPECT_EQ(serial, 0x12345678u);

    // Refused as one block: written as two variables.
    step.sent.clear();
    step.Then({43});
    EXPECT_EQ(dev.WriteSerialNumber(0x12345678), 0);
    EXPECT_EQ(step.Commands(), (std::vector<int>{72, 70, 70}));
    EXPECT_EQ(step.sent[0].data, (Bytes{4, 0xF4, 0x07, 0x78, 0x56, 0x34, 0x12}));
    EXPECT_EQ(step.sent[1].data, (Bytes{0xF2, 0x03, 0x78, 0x56}));
    EXPECT_EQ(step.sent[2].data, (Bytes{0xF3, 0x03, 0x34, 0x12}));
}

TEST_F(DeviceCmd, ServiceLogResetBothBranches)
{
    EXPECT_EQ(dev.ResetServiceLog(), 0);
    ASSERT_EQ(step.sent.size(), 1u + 23 + 4);
    EXPECT_EQ(step.sent[0].data, (Bytes{0}));
    EXPECT_EQ(step.sent[1].data, (Bytes{1}));
    EXPECT_EQ(step.sent[23].data, (Bytes{23}));
    EXPECT_EQ(step.sent[24].data, (Bytes{30}));
    EXPECT_EQ(step.sent[27].data, (Bytes{33}));

    step.sent.clear();
    step.Then({99}); // refuses sectors
    EXPECT_EQ(dev.ResetServiceLog(), 0);
    ASSERT_EQ(step.sent.size(), 1u + 38);
    EXPECT_EQ(step.sent[1].command, 113);
    EXPECT_EQ(step.sent[1].data, (Bytes{0xF4, 0x01}));
    EXPECT_EQ(step.sent[38].data, (Bytes{0x19, 0x02}));

    // A link error stops at once.
    step.sent.clear();
    step.Then({0});
    step.Then({}, -3);
    EXPECT_EQ(dev.ResetServiceLog(), -3);
    EXPECT_EQ(step.sent.size(), 2u);
}

TEST_F(DeviceCmd, ServiceLogReadNewerAndOlder)
{
    step.Then({99});
    step.Then({3});
    for (int i = 0; i < 10; ++i) {
        Bytes rec(i == 0 ? 79 : 55, 0);
        rec[0] = static_cast<uint8_t>(i + 1);          // slot 1 (byte)
        rec[1] = 0x78, rec[2] = 0x56, rec[3] = 0x34, rec[4] = 0x12; // slot 2
        if (i == 0)
            rec[59] = 0xAA; // slot 27 begins at 55 + 4
        step.Then(rec);
    }
    EXPECT_EQ(dev.ReadServiceLog(), 0);
    EXPECT_EQ(step.sent[0].command, 242);
    EXPECT_TRUE(step.sent[0].ignoreCsr);
    EXPECT_EQ(step.sent[0].data, (Bytes{255, 4, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(step.sent[2].command, 252);
    EXPECT_EQ(dev.ServiceLogCount(), 3);
    EXPECT_EQ(dev.ServiceLogRecord(0)[0], 79u);
    EXPECT_EQ(dev.ServiceLogRecord(0)[1], 1u);
    EXPECT_EQ(dev.ServiceLogRecord(0)[2], 0x12345678u);
    EXPECT_EQ(dev.ServiceLogRecord(0)[27], 0xAAu);
    EXPECT_EQ(dev.ServiceLogRecord(9)[1], 10u);
    EXPECT_EQ(dev.ServiceLogRecord(9)[20], 0u);

    // Older units: the probe's byte is the count; a failed record read goes on.
    step.sent.clear();
    step.Then({4});
    for (int i = 0; i < 10; ++i) {
        if (i == 5) {
            step.Then({}, -3);
            continue;
        }
        Bytes rec(117, 0);
        rec[0] = static_cast<uint8_t>(i);
        rec[51] = 0x11; // slot 21 (word) follows slot 18 at offset 51
        step.Then(rec);
    }
    EXPECT_EQ(dev.ReadServiceLog(), 0);
    EXPECT_EQ(step.sent.size(), 11u);
    EXPECT_EQ(step.sent[1].data, (Bytes{0, 0xFC, 0xFF, 0xFF, 0xFE, 0x3F, 0x1F, 0, 0}));
    EXPECT_EQ(dev.ServiceLogCount(), 4);
    EXPECT_EQ(dev.ServiceLogRecord(3)[1], 3u);
    EXPECT_EQ(dev.ServiceLogRecord(3)[21], 0x11u);
    EXPECT_EQ(dev.ServiceLogRecord(3)[0], 0u);
    EXPECT_EQ(dev.ServiceLogRecord(5)[1], 0u);
}

TEST_F(DeviceCmd, ProductIdVersionAndPin)
{
    CVars vars;
    step.Then({'V', 'T', '2', '1', '5', '0', '0'});
    step.Then({'B', '0', '7'});
    std::string id;
    EXPECT_EQ(dev.ReadProductId(id, &vars), 0);
    EXPECT_EQ(id, "VT21500B.07");
    EXPECT_EQ(dev.DcBiasScale(), 0.1);
    EXPECT_EQ(vars.Find(21).decimals, 1);
    step.Then({'V', 'T', '1', '0', '0', '0', '0'});
    step.Then({'A', '0', '1'});
    dev.ReadProductId(id, &vars);
    EXPECT_EQ(id, "VT10000A.01");
    EXPECT_EQ(dev.DcBiasScale(), 1.0);

    std::string text = "x";
    step.Then({'1'});
    EXPECT_EQ(dev.ReadVersionText(text), 0);
    EXPECT_EQ(text, "");
    step.Then({'V', '2', '.', '1'});
    dev.ReadVersionText(text);
    EXPECT_EQ(text, "V2.1");
    EXPECT_TRUE(step.sent.back().ignoreCsr);

    EXPECT_EQ(dev.WritePin(0x10400), 0);
    EXPECT_EQ(step.sent.back().command, 99);
    EXPECT_EQ(step.sent.back().data, (Bytes{0x00, 0x04, 0x01, 0x00}));
    step.Then({1});
    EXPECT_EQ(dev.ApplyPin(), 99);
    step.Then({0});
    EXPECT_EQ(dev.ApplyPin(), 0);
}

TEST(DeviceTables, CsrTexts)
{
    EXPECT_EQ(CDevice::CsrText(0), "OK");
    EXPECT_EQ(CDevice::CsrText(2), "Unknown CSR");
    EXPECT_EQ(CDevice::CsrText(46), "3-rd cap Auto mode");
    EXPECT_EQ(CDevice::CsrText(48), "Motor already moving");
    EXPECT_EQ(CDevice::CsrText(99), "Invalid command");
    EXPECT_EQ(CDevice::CsrText(255), "Unknown CSR");
}

TEST(DeviceTables, PinTests)
{
    struct Case {
        uint32_t pin;
        bool third, fixed, output, f200, b31, b30;
        UnitType type;
    } cases[] = {
        {1, false, false, false, false, false, false, UnitType::Plain},
        {0x400, true, false, false, false, false, false, UnitType::ThirdCap},
        {0xC00, true, true, false, false, false, false, UnitType::ThirdCap},
        {0x10001, false, false, true, false, false, false, UnitType::OutputSensor},
        {0x10400, true, false, true, false, false, false, UnitType::ThirdCap},
        {0x200, false, false, false, true, false, false, UnitType::Plain},
        {0x800008FF, false, false, false, true, true, false, UnitType::Plain},
        {0x80000A00, false, false, false, false, true, false, UnitType::Plain},
        {0x40000000, false, false, false, false, false, true, UnitType::Plain},
    };
    for (const Case& c : cases) {
        TestDevice d;
        d.SetPin(c.pin);
        EXPECT_EQ(d.Has3rdCap(), c.third) << std::hex << c.pin;
        EXPECT_EQ(d.Is3rdCapFixed(), c.fixed) << std::hex << c.pin;
        EXPECT_EQ(d.HasOutputSensor(), c.output) << std::hex << c.pin;
        EXPECT_EQ(d.IsFamily200(), c.f200) << std::hex << c.pin;
        EXPECT_EQ(d.PinBit31(), c.b31) << std::hex << c.pin;
        EXPECT_EQ(d.PinBit30(), c.b30) << std::hex << c.pin;
        EXPECT_EQ(d.Type(), c.type) << std::hex << c.pin;
    }
}

TEST(DeviceInitial, FieldsStartAsTheUnitExpects)
{
    TestDevice d;
    EXPECT_EQ(d.ModelText(), "VANT");
    EXPECT_EQ(d.DisplayName(), "");
    EXPECT_EQ(d.Pin(), 1u);
    EXPECT_EQ(d.Mode(), 2);
    EXPECT_EQ(d.PresetMode(), 1);
    EXPECT_EQ(d.ExtPresetMode(), 0);
    EXPECT_EQ(d.CapTotal(2), 2100);
    EXPECT_EQ(d.CapMin(0), 20);
    EXPECT_EQ(d.CapMax(1), 80);
    EXPECT_EQ(d.Trajectory(3).load[3], 50);
    EXPECT_TRUE(d.PerPointValuesEnabled());
    EXPECT_EQ(d.DcBiasScale(), 1.0);
    EXPECT_EQ(d.Model().freq, 13.56);
    EXPECT_EQ(d.Model().lser, 1000.0);
    EXPECT_EQ(d.Model().tuneOption3, 3);
}

// The live read through the script: family mapping, reply forms and the status-byte fallback.
Bytes LiveReply(std::array<int16_t, 15> w)
{
    Bytes b;
    for (int16_t v : w) {
        b.push_back(static_cast<uint8_t>(v));
        b.push_back(static_cast<uint8_t>(static_cast<uint16_t>(v) >> 8));
    }
    return b;
}

TEST_F(DeviceCmd, LiveReadScalesByFamily)
{
    const std::array<int16_t, 15> w{-1024, 512, 256, 80, 1500, 2048, 1024, 300, 2500, 7500,
                                    static_cast<int16_t>(0x2809), 35, 1000, 123, 9};
    struct Case {
        uint32_t pin;
        double w4, w5, w6, w7;
    } cases[] = {
        {1, 0, 0, 0, 0},
        {0x10001, 1500 / 1024.0 * 50, 100, 1, 300},
        {0x400, 1.5, 20.48, 10.24, 3},
    };
    for (const Case& c : cases) {
        dev.SetPin(c.pin);
        step.Then(LiveReply(w));
        step.Then({1, 2, 3, 4, 5, 6, 7, 8});
        CLiveSample s;
        ASSERT_EQ(dev.ReadLive(s), 0);
        EXPECT_TRUE(s.valid);
        EXPECT_EQ(s.r, -50);
        EXPECT_EQ(s.x, 25);
        EXPECT_EQ(s.gamma, 0.5);
        EXPECT_EQ(s.power, 80);
        EXPECT_NEAR(s.w4, c.w4, 1e-9) << c.pin;
        EXPECT_NEAR(s.w5, c.w5, 1e-9) << c.pin;
        EXPECT_NEAR(s.w6, c.w6, 1e-9) << c.pin;
        EXPECT_NEAR(s.w7, c.w7, 1e-9) << c.pin;
        EXPECT_EQ(s.load, 25);
        EXPECT_EQ(s.tune, 75);
        EXPECT_EQ(s.status, 0x2809u);
        EXPECT_EQ(s.statusBytes[0], 0x04030201u);
        EXPECT_EQ(s.statusBytes[1], 0x08070605u); // no port: no DTR/CTS bit
        EXPECT_EQ(s.temp, 35);
        EXPECT_EQ(s.dcBias, 123);
        EXPECT_EQ(dev.Position(0), 25);
        EXPECT_EQ(dev.Position(1), 75);
    }
    EXPECT_EQ(dev.Position(2), 3);

    // Two status bytes: built from the status word's high byte 0x28.
    step.Then(LiveReply(w));
    step.Then({0, 0});
    CLiveSample s;
    ASSERT_EQ(dev.ReadLive(s), 0);
    EXPECT_EQ(s.statusBytes[0], 0x03u);
    EXPECT_EQ(s.statusBytes[1], 0u);

    // A live reply of the wrong length: not valid, not an error, no 254.
    step.sent.clear();
    step.Then(Bytes(28, 0));
    ASSERT_EQ(dev.ReadLive(s), 0);
    EXPECT_FALSE(s.valid);
    EXPECT_EQ(step.sent.size(), 1u);

    // A failing 254 is returned.
    step.Then(LiveReply(w));
    step.Then({}, -3);
    EXPECT_EQ(dev.ReadLive(s), -3);
}

TEST_F(DeviceCmd, LiveEdgeWordsThroughTheRecord)
{
    std::array<int16_t, 15> w{};
    w[2] = 1024;
    step.Then(LiveReply(w));
    step.Then(Bytes(8, 0));
    CLiveSample s;
    ASSERT_EQ(dev.ReadLive(s), 0);
    CDataRec rec;
    dev.StoreLive(s, rec);
    EXPECT_EQ(rec.Value(3), 1);
    EXPECT_EQ(rec.Value(23), 9999);

    w[2] = 2000; // above 1: 1
    w[0] = -1024;
    w[3] = 100;
    step.Then(LiveReply(w));
    step.Then(Bytes(8, 0));
    dev.ReadLive(s);
    EXPECT_EQ(s.gamma, 1);
    dev.StoreLive(s, rec);
    EXPECT_EQ(rec.Value(1), -50);
    EXPECT_EQ(rec.Value(5), 0); // no forward power for R below 0
    w[2] = -5;
    step.Then(LiveReply(w));
    step.Then(Bytes(8, 0));
    dev.ReadLive(s);
    EXPECT_EQ(s.gamma, 0);
}

class ModelWindow : public IModelLoad {
public:
    bool ModelWindowShown() const override { return shown; }
    double LoadR() const override { return 10; }
    double LoadX() const override { return 0; }
    bool shown = true;
};

TEST(DeviceDemo, SendsNothingAndKeepsFields)
{
    TestDevice dev;
    ScriptedStep step(dev);
    DemoOn demo;
    dev.SetDemoFlag(&demo);
    EXPECT_TRUE(dev.IsDemo());
    EXPECT_EQ(dev.SetServiceAccess(true), 0);
    EXPECT_EQ(dev.MoveCaps(30, 40), 0);
    EXPECT_EQ(dev.SetMode(1), 0);
    EXPECT_EQ(dev.WritePin(0x400), 0);
    EXPECT_EQ(dev.Pin(), 0x400u);
    std::string id;
    dev.ReadProductId(id);
    EXPECT_EQ(id, unitconst::DemoProductId);
    EXPECT_EQ(dev.CopyDisplayName(), "");
    CTuning t;
    dev.ReadTuning(t);
    EXPECT_EQ(t.stop, 1.2);
    EXPECT_EQ(t.minShStep, 0);
    EXPECT_EQ(dev.ResetCaps(), 0);
    EXPECT_EQ(dev.Position(0), 0);
    EXPECT_TRUE(step.sent.empty());
}

TEST(DeviceDemo, ReadsSendNothingAndGiveWhatIsHeld)
{
    TestDevice dev;
    ScriptedStep step(dev);
    dev.SetPin(0x400); // a movable third capacitor: its reads are not passed over for want of one
    DemoOn demo;
    dev.SetDemoFlag(&demo);
    EXPECT_EQ(dev.SetMode(1), 0);
    EXPECT_EQ(dev.SetPresetMode(3), 0);
    EXPECT_EQ(dev.SetExtPresetMode(2, false), 0);
    EXPECT_EQ(dev.WriteTarget(25, -5), 0);
    EXPECT_EQ(dev.Write3capRatio(1.5), 0);
    EXPECT_EQ(dev.Write3capPresetN(1, 7.5), 0);

    // What the program holds comes back as the unit's value.
    int mode = -1, preset = -1, ext = -1;
    EXPECT_EQ(dev.ReadMode(mode), 0);
    EXPECT_EQ(dev.ReadPresetMode(preset), 0);
    EXPECT_EQ(dev.ReadExtPresetMode(ext), 0);
    EXPECT_EQ(mode, 1);
    EXPECT_EQ(preset, 3);
    EXPECT_EQ(ext, 2);
    double r = 0, x = 0, ratio = 0, presetValue = 0;
    EXPECT_EQ(dev.ReadTarget(r, x), 0);
    EXPECT_EQ(r, 25);
    EXPECT_EQ(x, -5);
    EXPECT_EQ(dev.Read3capRatio(ratio), 0);
    EXPECT_EQ(ratio, 1.5);
    EXPECT_EQ(dev.Read3capPresetN(1, presetValue), 0);
    EXPECT_EQ(presetValue, 7.5);

    // What it does not hold stays as the caller had it; the measurements read as nothing.
    std::array<uint16_t, 8> cal;
    cal.fill(9);
    int w1 = 11, w2 = 12, w3 = 13, aver = 14, offset = 15, pot = 16, level = 17, raw = -1;
    EXPECT_EQ(dev.ReadSensorCal(0, cal), 0);
    EXPECT_EQ(dev.ReadSensorAver(0, aver), 0);
    EXPECT_EQ(dev.ReadSensorPoff(0, offset), 0);
    EXPECT_EQ(dev.ReadSdac(0, w1, w2), 0);
    EXPECT_EQ(dev.ReadMaxCh(0, w3), 0);
    EXPECT_EQ(dev.ReadSadc(0, w1, w2, w3), 0);
    EXPECT_EQ(dev.ReadPot(0, pot), 0);
    EXPECT_EQ(dev.Read3capAver(aver), 0);
    EXPECT_EQ(dev.Read3capVLevel(level), 0);
    EXPECT_EQ(cal[0], 9);
    EXPECT_EQ(cal[7], 9);
    EXPECT_EQ(w1, 11);
    EXPECT_EQ(w2, 12);
    EXPECT_EQ(w3, 13);
    EXPECT_EQ(aver, 14);
    EXPECT_EQ(offset, 15);
    EXPECT_EQ(pot, 16);
    EXPECT_EQ(level, 17);
    C3capSensorCal sensorCal{1, 2, 3, 4, 5, 6};
    EXPECT_EQ(dev.Read3capSensorCal(sensorCal), 0);
    EXPECT_EQ(sensorCal.vscale, 6);
    C3capControl control;
    control.gain = -3;
    EXPECT_EQ(dev.Read3capControl(control), 0);
    EXPECT_EQ(control.gain, -3);
    std::array<uint16_t, 4> adc;
    adc.fill(5);
    EXPECT_EQ(dev.MeasureInputAdc(0, adc), 0);
    EXPECT_EQ(adc, (std::array<uint16_t, 4>{}));
    adc.fill(5);
    EXPECT_EQ(dev.Measure3capAdc(adc), 0);
    EXPECT_EQ(adc, (std::array<uint16_t, 4>{}));
    double i1 = 1, i2 = 2;
    EXPECT_EQ(dev.MeasureInput(0, r, x, ratio, raw), 0);
    EXPECT_EQ(r, 50);
    EXPECT_EQ(raw, 0);
    EXPECT_EQ(dev.Measure3capSensors(ratio, i1, i2), 0);
    EXPECT_EQ(i1, 0);
    EXPECT_EQ(dev.MotorStatus(7), 0);
    for (auto read : {&CDevice::ReadPositions, &CDevice::ReadCapLimits, &CDevice::ReadCapSteps,
                      &CDevice::ReadCapRange, &CDevice::ReadTrajectory, &CDevice::Read3capPosition,
                      &CDevice::Read3capSteps, &CDevice::Read3capLimits, &CDevice::Read3capPresetSel,
                      &CDevice::Read3capRange})
        EXPECT_EQ((dev.*read)(), 0);
    EXPECT_TRUE(step.sent.empty());

    // No request byte was left behind: the first command after demo mode carries its own only.
    demo.on = false;
    EXPECT_EQ(dev.SetAddress(5), 0);
    ASSERT_EQ(step.sent.size(), 1u);
    EXPECT_EQ(step.sent[0].data, (Bytes{5}));
}

TEST(DeviceDemo, SimulatedSamplesFromTheModel)
{
    TestDevice dev;
    DemoOn demo;
    ModelWindow window;
    dev.SetDemoFlag(&demo);
    dev.SetModelLoad(&window);
    // Positions that match a 10 ohm load.
    const auto sol = NetModel::SolveCaps(dev, 10, 0);
    ASSERT_EQ(sol.count, 1);
    dev.MoveCaps(sol.solution[0].loadPercent, sol.solution[0].tunePercent);
    dev.SetMode(1);
    dev.SetPresetMode(0);

    CData data;
    CLiveSample s;
    s.valid = false; // ReadLive sets it
    ASSERT_EQ(dev.ReadLive(s), 0);
    EXPECT_TRUE(s.valid);
    EXPECT_NEAR(s.r, 50, 1e-6);
    EXPECT_NEAR(s.x, 0, 1e-6);
    EXPECT_NEAR(s.gamma, 0, 1e-6);
    EXPECT_EQ(s.status, 1u << 2); // Auto
    dev.StoreLive(s, data.Latest());
    data.Add();
    EXPECT_EQ(data.Count(), 1);
    EXPECT_EQ(data.At(0)->Flag(30), 1);

    // Without the model window: R and X 0, Gamma of 0 against 50 is 1.
    window.shown = false;
    dev.SetMode(3);
    dev.SetExtPresetMode(1, false);
    dev.ReadLive(s);
    EXPECT_EQ(s.r, 0);
    EXPECT_EQ(s.gamma, 1);
    EXPECT_EQ(s.status, (1u << 12) | (1u << 6));
}

} // namespace
} // namespace devicetest

// The configuration backup against the simulated unit: golden ".cal" files of a two-capacitor
// unit and of a third-capacitor unit with an output sensor, the restore's exact writes gated by
// the factory and user choices, a round trip onto a fresh unit, and the edge cases of the file.

#include "service/Configbackup.h"

#include "common/Registry.h"
#include "device/Device.h"
#include "panel/Scripted.h"
#include "platform/Inifile.h"
#include "simunit/Simcommandset.h"
#include "support/Sentcommands.h"

#include <algorithm>
#include <fstream>
#include <map>
#include <gtest/gtest.h>
#include <sstream>

namespace {

using simunit::SimUnitData;
using testsupport::SentCommand;

constexpr uint32_t PinTwoCaps = 0x1;
constexpr uint32_t PinThirdCapOutput = 0x10400;

std::string DataFile(const std::string& name)
{
    return std::string(ORRERY_TESTS_DIR) + "/service/data/" + name;
}

std::string ReadAll(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

// A unit with a distinct value in every field the backup carries.
void Configure(SimUnitData& d, uint32_t pin)
{
    d.pin = pin;
    d.motorSpeed = 0;
    d.mode = 2;
    d.presetMode = 1;
    d.extPresetMode = 1;
    d.caps[0] = {33.5, 33.5, 2200, 110, 1500, 9000, 1200, 150};
    d.caps[1] = {66.25, 66.25, 2300, 120, 1000, 9500, 600, 60};
    d.caps[2] = {40.0, 40.0, 2400, 130, 500, 9900, 800, 20};
    d.trajectories[0] = {1, {1000, 2000, 0, 0}, {3000, 4000, 0, 0}, {10, 20, 0, 0}};
    d.trajectories[2] = {3, {500, 600, 700, 800}, {900, 1000, 1100, 1200}, {1, 2, 3, 4}};
    d.activeTrajectory = 3;
    d.tuningWords = {8, 17, 150, 250, 900, 10, 800, 60, 700, 100, -100, 700};
    d.tuningOptions = {1, 1, 2};
    d.targetR = 1100;
    d.targetX = -50;
    d.sensorCal[0] = {2000, 2010, 5, 1000, 3, 4, 1010, 1020};
    d.sensorCal[1] = {2100, 2110, 6, 1100, 7, 8, 1110, 1120};
    d.sensorAver = {3, 1};
    d.sensorPoff = {40, 0};
    d.sdac[0] = {11, 12};
    d.sdac[3] = {31, 32};
    d.maxCh[2] = 200;
    d.maxCh[3] = 300;
    d.sadc[1] = {1, 2, 65535};
    d.sadc[7] = {7, 8, 9};
    d.pots = {10, 20, 30, 40, 50, 60, 0, 0};
    d.aver3 = 2;
    d.presets3 = {1000, 2000, 3000, 4000};
    d.presetSel3 = 2;
    d.sensorCal3 = {1, 2, 3, 9000, 9100, 4000};
    d.control3 = {5, 65531, 250, 30};
    d.vlevel3 = 77;
}

class ConfigBackupTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(pty.Ok()) << pty.Error();
        state = simunit::InstallDeviceCommands(pty.Unit());
        ASSERT_EQ(dev.OpenPort(pty.Path(), 9600, 500, 2), 0) << dev.LastError();
    }
    template <typename F> void Unit(F&& f) { state->With([&](SimUnitData& d) { f(d); }); }
    // The backup of the unit as file text; 0 or the writer's failing result in r.
    std::string Save(int* result = nullptr)
    {
        platform::IniFile ini;
        CRegistry store("", false, &ini);
        const int r = CConfigBackup(dev).WriteConfiguration(store, "VT10000A.01");
        if (result)
            *result = r;
        return ini.ToText();
    }
    int Restore(const std::string& text, bool factory, bool user)
    {
        platform::IniFile ini;
        ini.LoadFromText(text);
        CConfigBackup::Moves moves;
        moves.MoveCapacitors = [this](double l, double t) { return dev.MoveCaps(l, t); };
        moves.Move3rdCap = [this](double p) { return dev.Write3capPosition(p); };
        log.Clear();
        CConfigBackup backup(dev);
        const int r = backup.ReadConfiguration(ini, factory, user, moves);
        skipped = backup.Skipped();
        refusals = backup.Refusals();
        outcome = backup.Outcome();
        return r;
    }
    // The write commands (1..127) sent, in order.
    std::vector<int> Writes() const
    {
        std::vector<int> out;
        for (int c : log.Commands())
            if (c < 128)
                out.push_back(c);
        return out;
    }
    std::string Golden(const char* name, const std::string& text)
    {
        const std::string path = DataFile(name);
        if (std::getenv("ORRERY_WRITE_GOLDEN"))
            std::ofstream(path, std::ios::binary) << text;
        return ReadAll(path);
    }

    testsupport::SimPty pty;
    std::shared_ptr<simunit::SimState> state;
    CDevice dev;
    ScriptedHooks hooks;
    testsupport::SentLog log;
    std::vector<std::string> skipped;
    std::vector<CConfigBackup::Refusal> refusals;
    std::string outcome;
};

TEST_F(ConfigBackupTest, TwoCapacitorUnitSavesAsTheGoldenFile)
{
    Unit([](SimUnitData& d) { Configure(d, PinTwoCaps); });
    int r = -1;
    const std::string text = Save(&r);
    ASSERT_EQ(r, 0);
    EXPECT_EQ(text, Golden("twocaps.cal", text));
    platform::IniFile ini;
    ini.LoadFromText(text);
    EXPECT_EQ(ini.Sections(), (std::vector<std::string>{"Vantrel Calibration", "Config", "Capacitors",
                                                        "Input Sensor", "Tuning_new", "Trajectories",
                                                        "SDAC", "SADC", "Potentiometer", "Position"}));
    EXPECT_EQ(ini.ReadString("Config", "PIN_String", ""), "00000001");
    EXPECT_EQ(ini.ReadString("Capacitors", "ShMax", ""), "90"); // doubles with '.' whatever the locale
    EXPECT_EQ(ini.ReadString("Position", "Ser", ""), "66.25");
    EXPECT_EQ(ini.ReadString("SADC", "Ch1", ""), "1,2,-1");
    EXPECT_EQ(ini.ReadString("Input Sensor", "Aver", ""), "8");
}

TEST_F(ConfigBackupTest, ThirdCapacitorUnitWithOutputSensorSavesAsTheGoldenFile)
{
    Unit([](SimUnitData& d) { Configure(d, PinThirdCapOutput); });
    int r = -1;
    const std::string text = Save(&r);
    ASSERT_EQ(r, 0);
    EXPECT_EQ(text, Golden("thirdcap.cal", text));
    platform::IniFile ini;
    ini.LoadFromText(text);
    EXPECT_TRUE(ini.SectionExists("3Cap"));
    EXPECT_TRUE(ini.SectionExists("Output Sensor"));
    EXPECT_EQ(ini.ReadSection("3Cap"),
              (std::vector<std::string>{"Max", "Min", "Preset", "Preset0", "Preset1", "Preset2", "Preset3",
                                        "Aver", "i1off", "i2off", "voff", "i1scale", "i2scale", "vscale",
                                        "Timer", "Gain", "MaxStep", "Error", "VLevel"}));
    EXPECT_EQ(ini.ReadString("Position", "3cap", ""), "40");

    // A third capacitor without an output sensor writes no output-sensor section.
    Unit([](SimUnitData& d) { d.pin = 0x400; });
    ini.LoadFromText(Save());
    EXPECT_TRUE(ini.SectionExists("3Cap"));
    EXPECT_FALSE(ini.SectionExists("Output Sensor"));
}

TEST_F(ConfigBackupTest, FailingReadEndsTheSave)
{
    Unit([](SimUnitData& d) { Configure(d, PinTwoCaps); });
    // The unit stops answering after the first converter read.
    pty.Unit().Register(157, [this](const std::vector<uint8_t>&, std::vector<uint8_t>& reply) {
        pty.Server().SetFault(simunit::SimSerialServer::Fault::Stall, -1);
        reply.assign(7, 0);
        return true;
    });
    int r = 0;
    const std::string partial = Save(&r);
    EXPECT_LT(r, 0);
    EXPECT_EQ(partial.find("[Potentiometer]"), std::string::npos);
    pty.Server().SetFault(simunit::SimSerialServer::Fault::None, 0);
}

TEST_F(ConfigBackupTest, RestoreSendsExactlyTheFilesWritesAndRoundTrips)
{
    Unit([](SimUnitData& d) { Configure(d, PinTwoCaps); });
    const std::string saved = Save();
    // A fresh unit of the same kind.
    Unit([](SimUnitData& d) {
        d = SimUnitData{};
        d.motorSpeed = 0;
    });
    ASSERT_EQ(Restore(saved, true, true), 0);
    EXPECT_TRUE(skipped.empty());
    EXPECT_EQ(Writes(), (std::vector<int>{93, 89, 96, 94, 97, 84, 88, 88, 85, 82, 71, 91, 90, 100, 90,
                                          100, 90, 100, 90, 100, 81, 81, 81, 81, 83, 83, 87, 87, 87, 87,
                                          87, 87, 87, 87, 92, 92, 92, 92, 92, 92, 112, 122, 93}));
    EXPECT_EQ(log.Sent({89}), (std::vector<SentCommand>{{89, {0x98, 8, 0xFC, 8, 110, 0, 120, 0}}}));
    EXPECT_EQ(log.Sent({88}), (std::vector<SentCommand>{{88, {0, 1, 3}}, {88, {0, 0, 40, 0}}}));
    EXPECT_EQ(hooks.shown.back().text, "Completed OK");
    EXPECT_EQ(Save(), saved);
}

TEST_F(ConfigBackupTest, ThirdCapacitorRestoreRoundTrips)
{
    Unit([](SimUnitData& d) { Configure(d, PinThirdCapOutput); });
    const std::string saved = Save();
    Unit([](SimUnitData& d) {
        d = SimUnitData{};
        d.pin = PinThirdCapOutput;
        d.motorSpeed = 0;
    });
    ASSERT_EQ(Restore(saved, true, true), 0);
    EXPECT_TRUE(skipped.empty());
    EXPECT_EQ(Save(), saved);
}

TEST_F(ConfigBackupTest, ChoicesGateTheFactoryAndUserParts)
{
    Unit([](SimUnitData& d) { Configure(d, PinThirdCapOutput); });
    const std::string saved = Save();
    ASSERT_EQ(Restore(saved, false, true), 0);
    const std::vector<int> factoryWrites{89, 96, 99, 85, 88, 81, 83, 87, 92};
    for (int c : Writes())
        EXPECT_EQ(std::count(factoryWrites.begin(), factoryWrites.end(), c), 0) << c;
    for (const SentCommand& c : log.Sent({95}))
        EXPECT_TRUE(c.data[0] != 1 && c.data[0] != 11 && c.data[0] != 6 && c.data[0] != 12) << c;

    ASSERT_EQ(Restore(saved, true, false), 0);
    const std::vector<int> userWrites{94, 97, 84, 82, 71, 90, 91, 100, 112, 122};
    for (int c : Writes())
        EXPECT_EQ(std::count(userWrites.begin(), userWrites.end(), c), 0) << c;
    // The mode 2 before everything, and the restore ends with it again.
    EXPECT_EQ(log.Sent({93}), (std::vector<SentCommand>{{93, {2}}, {93, {2}}}));
    EXPECT_EQ(Writes().back(), 93);
    for (const SentCommand& c : log.Sent({95}))
        EXPECT_TRUE(c.data[0] == 1 || c.data[0] == 11 || c.data[0] == 6 || c.data[0] == 12) << c;
}

TEST_F(ConfigBackupTest, SerialNumberComparison)
{
    Unit([](SimUnitData& d) { Configure(d, PinTwoCaps); });
    const std::string saved = Save(); // SN 123456
    Unit([](SimUnitData& d) { d.serialNumber = 999; });
    EXPECT_EQ(Restore(saved, true, true), CConfigBackup::Refused);
    EXPECT_EQ(Writes(), std::vector<int>{93});
    EXPECT_EQ(hooks.shown.back().text, "Serial number of calibration file (123456)\n"
                                       "does not match serial number of the unit (999)");
    // A unit whose serial number reads 0, or a file with SN 0, is not compared.
    Unit([](SimUnitData& d) { d.serialNumber = 0; });
    EXPECT_EQ(Restore(saved, true, true), 0);
    Unit([](SimUnitData& d) { d.serialNumber = 999; });
    std::string zero = saved;
    zero.replace(zero.find("SN=123456"), 9, "SN=0");
    EXPECT_EQ(Restore(zero, true, true), 0);
    EXPECT_EQ(log.Count(231), 0);
}

TEST_F(ConfigBackupTest, PinChangeIsAskedAndADeclineStops)
{
    Unit([](SimUnitData& d) { Configure(d, PinTwoCaps); });
    std::string saved = Save();
    saved.replace(saved.find("PIN_String=00000001"), 19, "PIN_String=00010001");
    EXPECT_EQ(Restore(saved, true, true), CConfigBackup::Refused);
    EXPECT_EQ(Writes(), std::vector<int>{93});
    EXPECT_EQ(hooks.shown.back().text,
              "New PIN (00010001) does not match current Vantrel PIN (00000001)\nSet new PIN and continue ?");
    hooks.answers = {true};
    EXPECT_EQ(Restore(saved, true, true), 0);
    EXPECT_EQ(state->With([](SimUnitData& d) { return d.pin; }), 0x10001u);
}

TEST_F(ConfigBackupTest, WrongFileSendsNothing)
{
    EXPECT_EQ(Restore("[Config]\r\nMode=1\r\n", true, true), CConfigBackup::Refused);
    EXPECT_TRUE(log.Sent().empty());
    EXPECT_EQ(hooks.shown.back().text, "Wrong Calibration File");
}

TEST_F(ConfigBackupTest, OlderTuningSectionIsConvertedAndTheNewerOneWins)
{
    const std::string file =
        "[Vantrel Calibration]\r\n"
        "[Tuning]\r\nStop=8\r\nStart=17\r\nRflStop=100\r\nRflStart=200\r\nMaxShStep=1000\r\nMinShStep=0\r\n"
        "MaxSertep=1000\r\nMinSerStep=70\r\nMagtoSh=1024\r\nPhasetoSh=0\r\nMagtoSer=0\r\nPhasetoSer=1024\r\n"
        "Alg=0\r\nHoldShunt=0\r\nIntegral=0\r\nRTarget=50\r\nXTarget=0\r\n"
        "[Tuning_new]\r\nStop=1.5\r\nStart=1.6\r\nRflStop=10\r\nRflStart=20\r\nMaxShStep=5\r\nMinShStep=0\r\n"
        "MaxSertep=5\r\nMinSerStep=0.5\r\nMagtoSh=1\r\nPhasetoSh=0\r\nMagtoSer=0\r\nPhasetoSer=1\r\n"
        "Alg=1\r\nHoldShunt=0\r\nIntegral=2\r\nRTarget=40\r\nXTarget=5\r\n";
    ASSERT_EQ(Restore(file, false, true), 0);
    const auto tuning = log.Sent({82});
    ASSERT_EQ(tuning.size(), 2u);
    // The older Stop word 8 is VSWR (1 + g) / (1 - g) with g = sqrt(8 / 1024), sent back as 8.
    EXPECT_EQ(tuning[0].data[0], 8);
    EXPECT_EQ(tuning[0].data[4], 100);
    EXPECT_EQ(tuning[0].data[8], 0xE8); // 1000 = 10.00 %
    EXPECT_EQ(tuning[0].data[9], 0x03);
    EXPECT_EQ(state->With([](SimUnitData& d) { return d.tuningWords[2]; }), 10);
    EXPECT_EQ(state->With([](SimUnitData& d) { return d.tuningOptions[2]; }), 2);
    EXPECT_EQ(state->With([](SimUnitData& d) { return d.targetR; }), 819); // 40 ohm
    EXPECT_EQ(log.Count(71), 2);
}

TEST_F(ConfigBackupTest, MissingOrUnreadableKeysAreSkippedAndNamed)
{
    Unit([](SimUnitData& d) { Configure(d, PinTwoCaps); });
    std::string saved = Save();
    auto set = [&](const std::string& from, const std::string& to) {
        const size_t at = saved.find(from);
        ASSERT_NE(at, std::string::npos) << from;
        saved.replace(at, from.size(), to);
    };
    set("ShTotal=2200", "ShTotal=abc");     // does not scan: no steps sent
    set("ShMax=90", "ShMax=80,5");          // a comma as decimal point reads
    set("Sh=33.5\r\nSer=66.25\r\n", "");    // an empty [Position]: nothing moves
    set("Aver=8", "Aver=5");                // 5 samples: index 2
    set("Ch3=31,32", "Ch3=31");             // a channel that does not scan completely
    ASSERT_EQ(Restore(saved, true, true), 0);
    EXPECT_EQ(log.Count(89), 0);
    EXPECT_EQ(log.Count(112), 0);
    EXPECT_EQ(log.Count(122), 0);
    EXPECT_EQ(skipped, (std::vector<std::string>{"Config/ShTotal", "SDAC/Ch3", "Position/Sh", "Position/Ser"}));
    EXPECT_NE(hooks.shown.end(), std::find_if(hooks.shown.begin(), hooks.shown.end(), [](const ShownMessage& m) {
                  return m.kind == "warning" && m.text.find("Config/ShTotal") != std::string::npos;
              }));
    EXPECT_EQ(log.Sent({84}).at(0).data, (std::vector<int>{0xDC, 0x05, 0xE8, 0x03, 0x72, 0x1F, 0x1C, 0x25}));
    EXPECT_EQ(log.Sent({88}).at(0).data, (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(log.Sent({81}).size(), 3u);
}

TEST_F(ConfigBackupTest, OutOfRangeValuesSendNothingAndAreNamed)
{
    Unit([](SimUnitData& d) { Configure(d, PinTwoCaps); });
    const std::string saved = Save();
    std::string edited = saved;
    auto set = [&](const std::string& from, const std::string& to) {
        const size_t at = edited.find(from);
        ASSERT_NE(at, std::string::npos) << from;
        edited.replace(at, from.size(), to);
    };
    set("Mode=2", "Mode=300");
    set("ShTotal=2200", "ShTotal=70000");
    set("ShMax=90", "ShMax=700");
    set("Poff=40", "Poff=70000");
    set("N2=3", "N2=7");
    set("Ch0=11,12", "Ch0=70000,1");
    set("Ch7=7,8,9", "Ch7=7,8,99999");
    set("RF_peak=20", "RF_peak=300");
    set("Pot0=30", "Pot0=-1");
    hooks.answers = {true, true, true};
    EXPECT_EQ(Restore(edited, true, true), CConfigBackup::Refused);
    EXPECT_TRUE(log.Sent().empty()); // not even the mode
    ASSERT_FALSE(hooks.shown.empty());
    EXPECT_EQ(hooks.shown.back().kind, "warning");
    EXPECT_EQ(hooks.shown.back().caption, "Restore from File");
    EXPECT_EQ(hooks.shown.back().text, "Nothing was restored: out of range in the file:\n"
                                       "Config/Mode=300 (0 to 3)\n"
                                       "Config/ShTotal=70000 (0 to 65535)\n"
                                       "Capacitors/ShMax=700 (0 to 100)\n"
                                       "Input Sensor/Poff=70000 (0 to 65535)\n"
                                       "Trajectories/N2=7 (0 to 3)\n"
                                       "SDAC/Ch0=70000,1 (0 to 65535)\n"
                                       "SADC/Ch7=7,8,99999 (-32768 to 32767)\n"
                                       "Potentiometer/RF_peak=300 (0 to 255)\n"
                                       "Potentiometer/Pot0=-1 (0 to 255)");
    EXPECT_EQ(Save(), saved); // the unit as it was

    // Only the part chosen is checked: the user part alone passes over the factory values.
    edited = saved;
    set("ShTotal=2200", "ShTotal=70000");
    EXPECT_EQ(Restore(edited, false, true), 0);
    EXPECT_EQ(log.Count(89), 0);
    set("ShTotal=70000", "ShTotal=2200");
    set("Delay21=0.02", "Delay21=2.5500000000000003"); // the largest delay, as older files wrote it
    EXPECT_EQ(Restore(edited, false, true), 0);
}

TEST_F(ConfigBackupTest, BackupWritesFloatTextOfFifteenDigits)
{
    Unit([](SimUnitData& d) {
        Configure(d, PinTwoCaps);
        d.tuningWords[7] = 70;             // Tune min step 0.70 %
        d.trajectories[0].values[3] = 255; // a delay of 2.55 s
        d.trajectories[0].last = 3;
    });
    platform::IniFile ini;
    ini.LoadFromText(Save());
    EXPECT_EQ(ini.ReadString("Tuning_new", "MinSerStep", ""), "0.7");
    EXPECT_EQ(ini.ReadString("Trajectories", "Delay03", ""), "2.55");
}

// The sensor commands (88 and 85) of the output sensor.
int OutputSensorCommands(const testsupport::SentLog& log)
{
    int n = 0;
    for (const SentCommand& c : log.Sent({88, 85}))
        n += !c.data.empty() && c.data[0] == 1;
    return n;
}

TEST_F(ConfigBackupTest, RestoreThatChangesThePinSendsTheSectionsTheNewPinEnables)
{
    for (const uint32_t filePin : {0x10001u, PinThirdCapOutput}) {
        Unit([&](SimUnitData& d) { Configure(d, filePin); });
        const std::string saved = Save();
        ASSERT_NE(saved.find("[Output Sensor]"), std::string::npos);
        // A unit without an output sensor or a third capacitor, as the program knows it.
        Unit([](SimUnitData& d) {
            d = SimUnitData{};
            d.motorSpeed = 0;
            d.serialNumber = 123456;
        });
        ASSERT_EQ(dev.ReadPin(), 0);
        hooks.answers = {true};
        ASSERT_EQ(Restore(saved, true, true), 0) << filePin;
        EXPECT_EQ(log.Count(99), 1);
        EXPECT_EQ(OutputSensorCommands(log), 3) << filePin; // averaging, power-off, calibration
        EXPECT_EQ(log.Count(95) > 0, filePin == PinThirdCapOutput);
        EXPECT_TRUE(skipped.empty());
        EXPECT_EQ(hooks.shown.back().text, "Completed OK");
        EXPECT_EQ(Save(), saved) << filePin; // the unit holds the whole file
    }
}

TEST_F(ConfigBackupTest, SectionsFollowTheUnitsPinWhenTheProgramHoldsAnOlderOne)
{
    // The program read a third-capacitor unit with an output sensor; the unit has since become
    // a plain one.
    Unit([](SimUnitData& d) { Configure(d, PinThirdCapOutput); });
    std::string saved = Save();
    saved.replace(saved.find("PIN_String=00010400"), 19, "PIN_String=00000001");
    Unit([](SimUnitData& d) { d.pin = PinTwoCaps; });
    ASSERT_EQ(Restore(saved, true, true), 0);
    EXPECT_EQ(OutputSensorCommands(log), 0);
    EXPECT_EQ(log.Count(95), 0);
    EXPECT_EQ(log.Count(99), 0);
    EXPECT_TRUE(skipped.empty());

    // The user part alone reads the unit's PIN too.
    ASSERT_EQ(dev.WritePin(PinThirdCapOutput), 0);
    Unit([](SimUnitData& d) { d.pin = PinTwoCaps; });
    ASSERT_EQ(Restore(saved, false, true), 0);
    EXPECT_EQ(log.Count(95), 0);
    EXPECT_EQ(hooks.shown.back().text, "Completed OK");
}

TEST_F(ConfigBackupTest, CheckCoversTheSectionsOfTheNewPin)
{
    Unit([](SimUnitData& d) { Configure(d, 0x10001); });
    std::string saved = Save();
    const size_t output = saved.find("[Output Sensor]");
    ASSERT_NE(output, std::string::npos);
    saved.replace(saved.find("Poff=0", output), 6, "Poff=70000");
    Unit([](SimUnitData& d) { Configure(d, PinTwoCaps); });
    ASSERT_EQ(dev.ReadPin(), 0);
    hooks.answers = {true};
    EXPECT_EQ(Restore(saved, true, true), CConfigBackup::Refused);
    EXPECT_TRUE(log.Sent().empty());
    EXPECT_EQ(hooks.shown.back().text, "Nothing was restored: out of range in the file:\n"
                                       "Output Sensor/Poff=70000 (0 to 65535)");
}

TEST_F(ConfigBackupTest, InterruptedRestoreSaysHowFarItGotAndWhy)
{
    Unit([](SimUnitData& d) { Configure(d, PinTwoCaps); });
    const std::string saved = Save();
    Unit([](SimUnitData& d) {
        d = SimUnitData{};
        d.motorSpeed = 0;
    });
    // The unit stops answering after the points of the first trajectory set: ten commands are
    // in the unit, and the delays of set 1 and the other sets are not.
    pty.Unit().SetWatcher([this](int command, const std::vector<uint8_t>&) -> uint8_t {
        if (command == 90)
            pty.Server().SetFault(simunit::SimSerialServer::Fault::Stall, -1);
        return 0;
    });
    EXPECT_LT(Restore(saved, true, true), 0);
    pty.Unit().SetWatcher({});
    pty.Server().SetFault(simunit::SimSerialServer::Fault::None, 0);
    ASSERT_FALSE(hooks.shown.empty());
    EXPECT_EQ(hooks.shown.back().kind, "warning");
    EXPECT_EQ(hooks.shown.back().caption, "Restore from File");
    EXPECT_EQ(hooks.shown.back().text,
              "Restore stopped after 10 of 33 commands: Time-out. The unit holds part of the file.\n"
              "Trajectory set 1 written without its delays, sets 2, 3, 4 not written.");
    for (const ShownMessage& m : hooks.shown)
        EXPECT_NE(m.text, "Completed OK");

    // A command the unit refuses ends it too, and names the unit's answer.
    hooks.shown.clear();
    pty.Unit().SetWatcher([](int command, const std::vector<uint8_t>&) -> uint8_t { return command == 89 ? 31 : 0; });
    EXPECT_EQ(Restore(saved, true, true), 31);
    pty.Unit().SetWatcher({});
    EXPECT_EQ(hooks.shown.back().text, "Restore stopped after 0 of 33 commands: CSR Invalid preset active.");

    // A unit that does not answer at all.
    hooks.shown.clear();
    pty.Server().SetFault(simunit::SimSerialServer::Fault::Stall, -1);
    EXPECT_LT(Restore(saved, false, true), 0);
    pty.Server().SetFault(simunit::SimSerialServer::Fault::None, 0);
    ASSERT_EQ(hooks.shown.size(), 1u);
    EXPECT_EQ(hooks.shown.back().text,
              "Restore stopped before the first command: Time-out. Nothing of the file was sent.");
}

// The fresh unit a saved file is restored onto; the last potentiometer write (pot 5) is the
// command before the capacitors move.
constexpr int LastPotBeforeTheMove = 5;

TEST_F(ConfigBackupTest, MoveTheUnitDidNotTakeStopsTheRestore)
{
    Unit([](SimUnitData& d) { Configure(d, PinTwoCaps); });
    const std::string saved = Save();
    const std::string notTaken = "Restore stopped after 31 of 33 commands: ";
    auto fresh = [this] {
        Unit([](SimUnitData& d) {
            d = SimUnitData{};
            d.motorSpeed = 0;
        });
    };
    auto positions = [this] {
        return state->With([](SimUnitData& d) { return std::make_pair(d.caps[0].position, d.caps[1].position); });
    };
    // The unit does not answer the Load move once, and answers again from then on.
    auto stallNextOnce = [this](int times) {
        pty.Unit().SetWatcher([this, times](int command, const std::vector<uint8_t>& data) -> uint8_t {
            if (command == 92 && !data.empty() && data[0] == LastPotBeforeTheMove)
                pty.Server().SetFault(simunit::SimSerialServer::Fault::Stall, times);
            return 0;
        });
    };
    for (const int times : {1, -1}) { // once, then silent from the move on
        fresh();
        const auto before = positions();
        stallNextOnce(times);
        hooks.shown.clear();
        EXPECT_LT(Restore(saved, true, true), 0) << times;
        pty.Unit().SetWatcher({});
        pty.Server().SetFault(simunit::SimSerialServer::Fault::None, 0);
        EXPECT_EQ(Writes().back(), 112) << times; // neither Tune nor the mode after it
        EXPECT_EQ(log.Count(122), 0) << times;
        EXPECT_EQ(positions(), before) << times;
        ASSERT_FALSE(hooks.shown.empty());
        EXPECT_EQ(hooks.shown.back().kind, "warning");
        EXPECT_EQ(hooks.shown.back().text, notTaken + "Time-out. The unit holds part of the file.") << times;
        for (const ShownMessage& m : hooks.shown)
            EXPECT_NE(m.text, "Completed OK");
    }

    // A move the unit refuses.
    for (const int refused : {112, 122}) {
        fresh();
        hooks.shown.clear();
        pty.Unit().SetWatcher([refused](int command, const std::vector<uint8_t>&) -> uint8_t {
            return command == refused ? 47 : 0;
        });
        EXPECT_EQ(Restore(saved, true, true), 47) << refused;
        pty.Unit().SetWatcher({});
        EXPECT_EQ(Writes().back(), refused);
        EXPECT_EQ(hooks.shown.back().kind, "warning");
        EXPECT_EQ(hooks.shown.back().text, notTaken + "CSR Motor movement disabled. The unit holds part of the file.");
    }
}

TEST_F(ConfigBackupTest, RestoreThatStopsNamesTheRefusalsBeforeAndCountsOnlyWhatTheUnitTook)
{
    Unit([](SimUnitData& d) { Configure(d, PinTwoCaps); });
    const std::string saved = Save();
    // Of the 33 commands the 31 before the Load move reach the unit; those it refused (or that
    // had a refusal inside) are not counted. The refusal that stops the restore is its reason,
    // not one it went on past.
    struct Case {
        std::map<int, uint8_t> refused;
        bool silentFromTheMove;
        std::string text;
        std::vector<CConfigBackup::Refusal> passedOver;
    };
    const std::string head = "Restore stopped after ";
    const std::string part = ". The unit holds part of the file.\nBefore the stop the restore went on past ";
    const Case cases[] = {
        {{{84, 4}}, true, head + "30 of 33 commands: Time-out" + part + "1 refusal: Cmd 84: CSR Invalid data range",
         {{84, 4, 1}}},
        // The trajectories' selection refused, their sets written.
        {{{91, 37}}, true,
         head + "30 of 33 commands: Time-out" + part + "1 refusal: Cmd 91: CSR Invalid preset select parameters",
         {{91, 37, 1}}},
        {{{84, 4}, {87, 33}, {112, 47}}, false,
         head + "22 of 33 commands: CSR Motor movement disabled" + part +
             "9 refusals: Cmd 84: CSR Invalid data range; Cmd 87: CSR Invalid SDAC selected (8 times)",
         {{84, 4, 1}, {87, 33, 8}}},
    };
    for (const Case& c : cases) {
        Unit([](SimUnitData& d) {
            d = SimUnitData{};
            d.motorSpeed = 0;
        });
        pty.Unit().SetWatcher([this, c](int command, const std::vector<uint8_t>& data) -> uint8_t {
            if (c.silentFromTheMove && command == 92 && !data.empty() && data[0] == LastPotBeforeTheMove)
                pty.Server().SetFault(simunit::SimSerialServer::Fault::Stall, -1);
            const auto it = c.refused.find(command);
            return it == c.refused.end() ? 0 : it->second;
        });
        EXPECT_NE(Restore(saved, true, true), 0) << c.text;
        pty.Unit().SetWatcher({});
        pty.Server().SetFault(simunit::SimSerialServer::Fault::None, 0);
        EXPECT_EQ(Writes().back(), 112) << c.text;
        ASSERT_FALSE(hooks.shown.empty());
        EXPECT_EQ(hooks.shown.back().kind, "warning");
        EXPECT_EQ(hooks.shown.back().text, c.text);
        EXPECT_EQ(outcome, c.text);
        EXPECT_EQ(refusals, c.passedOver) << c.text;
    }
}

TEST_F(ConfigBackupTest, RefusedThirdCapacitorMoveStopsTheRestore)
{
    Unit([](SimUnitData& d) { Configure(d, 0x400); });
    const std::string saved = Save();
    Unit([](SimUnitData& d) {
        d = SimUnitData{};
        d.pin = 0x400;
        d.motorSpeed = 0;
    });
    ASSERT_EQ(Restore(saved, true, true), 0);
    ASSERT_EQ(hooks.shown.back().text, "Completed OK");

    pty.Unit().SetWatcher([](int command, const std::vector<uint8_t>& data) -> uint8_t {
        return command == 95 && !data.empty() && data[0] == 0 ? 48 : 0;
    });
    hooks.shown.clear();
    EXPECT_EQ(Restore(saved, true, true), 48);
    pty.Unit().SetWatcher({});
    EXPECT_EQ(Writes().back(), 95); // not the mode after it
    EXPECT_EQ(hooks.shown.back().kind, "warning");
    // Of the 46 commands all but the move and the mode that follows it were taken.
    EXPECT_EQ(hooks.shown.back().text,
              "Restore stopped after 44 of 46 commands: CSR Motor already moving. The unit holds part of the file.");
}

TEST_F(ConfigBackupTest, RefusalsTheRestoreGoesOnPastAreNamedInAWarning)
{
    Unit([](SimUnitData& d) { Configure(d, PinTwoCaps); });
    const std::string saved = Save();
    pty.Unit().SetWatcher(testsupport::RefuseCommands({{84, 4}, {85, 39}, {87, 33}, {90, 38}}));
    EXPECT_EQ(Restore(saved, true, true), 0);
    pty.Unit().SetWatcher({});
    EXPECT_EQ(Writes().back(), 93); // the restore went on to the end
    // The trajectories end at the first set the unit refuses.
    EXPECT_EQ(log.Count(90), 1);
    EXPECT_EQ(refusals, (std::vector<CConfigBackup::Refusal>{{84, 4, 1}, {85, 39, 1}, {90, 38, 1}, {87, 33, 8}}));
    ASSERT_FALSE(hooks.shown.empty());
    for (const ShownMessage& m : hooks.shown)
        EXPECT_NE(m.text, "Completed OK");
    EXPECT_EQ(hooks.shown.back().kind, "warning");
    EXPECT_EQ(hooks.shown.back().caption, "Restore from file");
    const std::string text = "Completed with 11 refusals: Cmd 84: CSR Invalid data range; "
                             "Cmd 85: CSR Invalid sensor select parameter; Cmd 90: CSR Invalid trajectory count; "
                             "Cmd 87: CSR Invalid SDAC selected (8 times)\n"
                             "Trajectory sets 1, 2, 3, 4 not written.";
    EXPECT_EQ(hooks.shown.back().text, text);
    EXPECT_EQ(outcome, text);

    // One refusal, and then a clean restore again.
    pty.Unit().SetWatcher([](int command, const std::vector<uint8_t>&) -> uint8_t { return command == 84 ? 4 : 0; });
    EXPECT_EQ(Restore(saved, true, true), 0);
    pty.Unit().SetWatcher({});
    EXPECT_EQ(hooks.shown.back().text, "Completed with 1 refusal: Cmd 84: CSR Invalid data range");
    EXPECT_EQ(Restore(saved, true, true), 0);
    EXPECT_EQ(hooks.shown.back().kind, "message");
    EXPECT_EQ(hooks.shown.back().text, "Completed OK");
    EXPECT_EQ(dev.TransactStep(), nullptr); // the device's own step back in place

    // A CSR the command ignores (the target's, the potentiometers') is no refusal.
    pty.Unit().SetWatcher(testsupport::RefuseCommands({{71, 4}, {92, 36}}));
    EXPECT_EQ(Restore(saved, true, true), 0);
    pty.Unit().SetWatcher({});
    EXPECT_EQ(log.Count(71), 1);
    EXPECT_EQ(log.Count(92), 6);
    EXPECT_TRUE(refusals.empty());
    EXPECT_EQ(hooks.shown.back().kind, "message");
    EXPECT_EQ(hooks.shown.back().text, "Completed OK");
}

TEST_F(ConfigBackupTest, RefusedTrajectoryWriteSaysWhichSetsWereNotWritten)
{
    Unit([](SimUnitData& d) { Configure(d, PinTwoCaps); });
    const std::string saved = Save();
    // The sets go in order, each its points (90) and then their delays (100), up to the first
    // write the unit refuses; the restore goes on past it.
    struct Case {
        int command;
        int set; // as the unit numbers them, 1..4
        std::string note;
        int points, delays; // the writes of each kind sent
    };
    const Case cases[] = {
        {90, 1, "Trajectory sets 1, 2, 3, 4 not written.", 1, 0},
        {90, 3, "Trajectory sets 3, 4 not written.", 3, 2},
        {90, 4, "Trajectory set 4 not written.", 4, 3},
        {100, 2, "Trajectory set 2 written without its delays, sets 3, 4 not written.", 2, 2},
        {100, 3, "Trajectory set 3 written without its delays, set 4 not written.", 3, 3},
        {100, 4, "Trajectory set 4 written without its delays.", 4, 4},
    };
    for (const Case& c : cases) {
        pty.Unit().SetWatcher([c](int command, const std::vector<uint8_t>& data) -> uint8_t {
            return command == c.command && !data.empty() && data[0] == c.set ? 38 : 0;
        });
        EXPECT_EQ(Restore(saved, true, true), 0) << c.note;
        pty.Unit().SetWatcher({});
        EXPECT_EQ(Writes().back(), 93) << c.note; // the restore went on to its end
        EXPECT_EQ(log.Count(90), c.points) << c.note;
        EXPECT_EQ(log.Count(100), c.delays) << c.note;
        EXPECT_EQ(hooks.shown.back().kind, "warning");
        EXPECT_EQ(hooks.shown.back().text, "Completed with 1 refusal: Cmd " + std::to_string(c.command) +
                                               ": CSR Invalid trajectory count\n" + c.note);
    }
}

TEST_F(ConfigBackupTest, EveryAveragingCountIsRestored)
{
    Unit([](SimUnitData& d) { Configure(d, PinThirdCapOutput); });
    const std::string saved = Save();
    const std::pair<const char*, int> counts[] = {{"0", 0}, {"16", 3}, {"-3", 0}, {"1000", 3}};
    for (const auto& [count, index] : counts) {
        std::string edited = saved;
        for (size_t at = 0; (at = edited.find("\r\nAver=", at)) != std::string::npos; at += 2) {
            const size_t end = edited.find("\r\n", at + 2);
            edited.replace(at + 7, end - at - 7, count);
        }
        ASSERT_EQ(Restore(edited, true, true), 0) << count;
        EXPECT_EQ(log.Sent({88}).at(0).data, (std::vector<int>{0, 1, index})) << count;
        EXPECT_EQ(log.Sent({88}).at(2).data, (std::vector<int>{1, 1, index})) << count;
        bool third = false;
        for (const SentCommand& c : log.Sent({95}))
            if (c.data.at(0) == 4) {
                EXPECT_EQ(c.data, (std::vector<int>{4, index})) << count;
                third = true;
            }
        EXPECT_TRUE(third);
    }
}

TEST_F(ConfigBackupTest, ThirdCapacitorPresetIsTheUnitsOwnNumber)
{
    Unit([](SimUnitData& d) {
        Configure(d, 0x400);
        d.presetSel3 = 1;
    });
    const std::string saved = Save();
    platform::IniFile ini;
    ini.LoadFromText(saved);
    EXPECT_EQ(ini.ReadString("3Cap", "Preset", ""), "1");
    Unit([](SimUnitData& d) { d.presetSel3 = 3; });
    ASSERT_EQ(Restore(saved, false, true), 0);
    bool sent = false;
    for (const SentCommand& c : log.Sent({95}))
        if (c.data.at(0) == 7) {
            EXPECT_EQ(c.data, (std::vector<int>{7, 1}));
            sent = true;
        }
    EXPECT_TRUE(sent);
    EXPECT_EQ(state->With([](SimUnitData& d) { return d.presetSel3; }), 1);
}

TEST(CalFileRules, AveragingCountsAndOlderVswr)
{
    const std::pair<int, int> aver[] = {{1, 0}, {2, 1}, {3, 1}, {4, 2}, {5, 2}, {8, 3}, {16, 3}, {0, 0}, {-4, 0}};
    for (const auto& [count, index] : aver)
        EXPECT_EQ(calfile::CountToAver(count), index) << count;
    EXPECT_EQ(calfile::AverToCount(3), 8);
    EXPECT_EQ(calfile::AverToCount(0), 1);
    EXPECT_DOUBLE_EQ(calfile::OldWordToVswr(0), 1.0);
    EXPECT_DOUBLE_EQ(calfile::OldWordToVswr(256), 3.0); // g = 0.5
    EXPECT_DOUBLE_EQ(calfile::OldWordToVswr(1024), 0.0);
}

} // namespace

// The service log as text: the lines of each record kind, the sector list, and the whole log
// read from the simulated unit and saved as text, against a golden file.

#include "service/Servlog.h"

#include "device/Device.h"
#include "simunit/Simcommandset.h"
#include "support/Simfixture.h"

#include <fstream>
#include <gtest/gtest.h>
#include <sstream>

namespace {

using simunit::SimUnitData;

// A unit whose log records a test sets.
class LogUnit : public CUnitState {
public:
    void SetRecord(int i, const LogRecord& r) { serviceLog_[i] = r; }
    void SetPin(uint32_t pin) { pin_ = pin; }
    void SetActive(int n) { serviceLogCount_ = n; }
};

CUnitState::LogRecord Record(int length)
{
    CUnitState::LogRecord r{};
    r[0] = static_cast<uint32_t>(length);
    for (int slot = 1; slot < CUnitState::LogSlots; ++slot)
        r[slot] = static_cast<uint32_t>(1000 + slot);
    return r;
}

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

TEST(ServiceLogText, EachRecordKindShowsItsLines)
{
    LogUnit unit;
    const std::pair<int, size_t> counts[] = {{0, 18}, {55, 18}, {59, 19}, {71, 23}, {75, 24}, {79, 24}};
    for (const auto& [length, lines] : counts) {
        unit.SetRecord(2, Record(length));
        EXPECT_EQ(servlog::StatisticsLines(unit, 2).size(), lines) << length;
    }

    unit.SetRecord(0, Record(79));
    const auto l79 = servlog::StatisticsLines(unit, 0);
    EXPECT_EQ(l79.front(), "n_of_writes\t1002");
    EXPECT_EQ(l79[1], "sh_count\t\t1003");
    EXPECT_EQ(l79[17], "low_DC_voltage\t1019");
    EXPECT_EQ(l79[18], "High_current_faults\t1020");
    EXPECT_EQ(l79[19], "Profibus_watch_dog_faults\t1027");
    EXPECT_EQ(l79.back(), "Profibus_dpram_busy_faults\t1031");

    unit.SetRecord(0, Record(71));
    const auto l71 = servlog::StatisticsLines(unit, 0);
    EXPECT_EQ(l71[18], "maxp_3cap_pos\t1021");
    EXPECT_EQ(l71.back(), "overv_limit_count\t1025");

    // Longer records carry the encoder counters: six lines, nine on a third-capacitor unit.
    unit.SetRecord(0, Record(83));
    auto plain = servlog::StatisticsLines(unit, 0);
    ASSERT_EQ(plain.size(), 24u);
    EXPECT_EQ(plain[18], "sh_encoder_init_fault_count\t1032");
    EXPECT_EQ(plain[19], "ser_encoder_init_fault_count\t1035");
    EXPECT_EQ(plain[20], "sh_encoder_fault_count\t1033");
    EXPECT_EQ(plain[23], "ser_encoder_delta_step_count\t1037");
    unit.SetPin(0x400);
    auto third = servlog::StatisticsLines(unit, 0);
    ASSERT_EQ(third.size(), 27u);
    EXPECT_EQ(third[20], "3cap_encoder_init_fault_count\t1038");
    EXPECT_EQ(third[25], "3cap_encoder_fault_count\t1039");
    EXPECT_EQ(third[26], "3cap_encoder_delta_step_count\t1040");

    EXPECT_TRUE(servlog::StatisticsLines(unit, -1).empty());
    EXPECT_TRUE(servlog::StatisticsLines(unit, 10).empty());
}

TEST(ServiceLogText, SectorListMarksTheActiveSector)
{
    const auto items = servlog::SectorItems(3);
    ASSERT_EQ(items.size(), 10u);
    EXPECT_EQ(items[0], "0");
    EXPECT_EQ(items[3], "3   Active");
    EXPECT_EQ(servlog::SectorItems(10)[9], "9"); // no sector is active
}

class ServiceLogRead : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(pty.Ok()) << pty.Error();
        state = simunit::InstallDeviceCommands(pty.Unit());
        ASSERT_EQ(dev.OpenPort(pty.Path(), 9600, 500, 2), 0) << dev.LastError();
    }
    testsupport::SimPty pty;
    std::shared_ptr<simunit::SimState> state;
    CDevice dev;
};

TEST_F(ServiceLogRead, LogReadFromTheUnitSavesAsTheGoldenText)
{
    for (int length : {55, 59, 71, 75, 79}) {
        state->With([&](SimUnitData& d) {
            d.logRecordLength = length;
            d.logCount = 3;
        });
        ASSERT_EQ(dev.ReadServiceLog(), 0);
        const std::string text = servlog::JoinLines(servlog::FileLines(dev));
        const std::string golden = DataFile("servicelog" + std::to_string(length) + ".txt");
        if (std::getenv("ORRERY_WRITE_GOLDEN"))
            std::ofstream(golden, std::ios::binary) << text;
        EXPECT_EQ(text, ReadAll(golden)) << golden;
    }
}

TEST_F(ServiceLogRead, OlderUnitsShowTheCommonLines)
{
    state->With([](SimUnitData& d) {
        d.newerServiceLog = false;
        d.logCount = 7;
    });
    ASSERT_EQ(dev.ReadServiceLog(), 0);
    EXPECT_EQ(dev.ServiceLogCount(), 7);
    const auto lines = servlog::FileLines(dev);
    EXPECT_EQ(lines.size(), 10u * (1 + 18 + 1));
    EXPECT_EQ(lines[7 * 20], "Sector 7 (Active)");
    EXPECT_EQ(lines[0], "Sector 0");
}

} // namespace

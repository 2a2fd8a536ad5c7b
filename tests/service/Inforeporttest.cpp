// The Info page's reports against the simulated unit: configuration lines with and without the
// third capacitor, the statistics of the active sector, the faults of a fault word.

#include "service/Inforeport.h"

#include "device/Device.h"
#include "panel/Faults.h"
#include "simunit/Simcommandset.h"
#include "support/Simfixture.h"

#include <gtest/gtest.h>

namespace {

using simunit::SimUnitData;

class InfoReport : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(pty.Ok()) << pty.Error();
        state = simunit::InstallDeviceCommands(pty.Unit());
        state->With([](SimUnitData& d) {
            d.caps[0].cMax = 1200;
            d.caps[0].cMin = 150;
            d.caps[1].cMax = 600;
            d.caps[1].cMin = 60;
            d.caps[2].cMax = 800;
            d.caps[2].cMin = 20;
        });
        ASSERT_EQ(dev.OpenPort(pty.Path(), 9600, 500, 2), 0) << dev.LastError();
    }
    testsupport::SimPty pty;
    std::shared_ptr<simunit::SimState> state;
    CDevice dev;
};

TEST_F(InfoReport, ConfigurationLinesForBothUnitKinds)
{
    std::vector<std::string> lines;
    ASSERT_EQ(inforeport::Configuration(dev, lines), 0);
    EXPECT_EQ(lines, (std::vector<std::string>{"SW = VT10000A.01", "Xilinx = Sim 1.00", "PIN = 00000001",
                                               "S/N = 123456", "Load = 150 ... 1200 pF",
                                               "Tune = 60 ... 600 pF"}));

    state->With([](SimUnitData& d) { d.pin = 0x400; });
    ASSERT_EQ(inforeport::Configuration(dev, lines), 0);
    ASSERT_EQ(lines.size(), 7u);
    EXPECT_EQ(lines[2], "PIN = 00000400");
    EXPECT_EQ(lines[6], "3 cap = 20 ... 800 pF");
}

TEST_F(InfoReport, FailingQueryEndsTheReport)
{
    pty.Unit().Register(132, [this](const std::vector<uint8_t>&, std::vector<uint8_t>& reply) {
        pty.Server().SetFault(simunit::SimSerialServer::Fault::Stall, -1);
        reply = {'V'};
        return true;
    });
    std::vector<std::string> lines;
    EXPECT_LT(inforeport::Configuration(dev, lines), 0);
    EXPECT_EQ(lines.size(), 2u); // SW and Xilinx; the PIN read did not answer
    EXPECT_LT(inforeport::Statistics(dev, lines), 0);
    EXPECT_TRUE(lines.empty());
    pty.Server().SetFault(simunit::SimSerialServer::Fault::None, 0);
}

TEST_F(InfoReport, StatisticsOfTheActiveSector)
{
    state->With([](SimUnitData& d) {
        d.logCount = 4;
        d.logRecordLength = 59;
    });
    std::vector<std::string> lines;
    ASSERT_EQ(inforeport::Statistics(dev, lines), 0);
    ASSERT_EQ(lines.size(), 19u);
    // Sector 4's pattern: bytes 4 * 16 + 1 .. 4 * 16 + 4 form n_of_writes.
    EXPECT_EQ(lines[0], "n_of_writes\t" + std::to_string(0x44434241u));
}

TEST(InfoFaults, NamesOfTheSetBits)
{
    EXPECT_EQ(inforeport::Faults(0), std::vector<std::string>{"No faults"});
    EXPECT_EQ(inforeport::Faults(uint64_t(1) << 60), std::vector<std::string>{"No faults"});
    const uint64_t word = (uint64_t(1) << 60) | (uint64_t(1) << 3) | 1u;
    EXPECT_EQ(inforeport::Faults(word),
              (std::vector<std::string>{CFaults::FaultName(1), CFaults::FaultName(8)}));
    EXPECT_EQ(inforeport::Faults(uint64_t(1) << 40), std::vector<std::string>{"Unknown Fault"});
}

} // namespace

#include "platform/Portlist.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

class PortListTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        root = fs::temp_directory_path() / ("orrery-tty-" + std::to_string(::getpid()));
        fs::remove_all(root);
        fs::create_directories(root);
    }
    void TearDown() override { fs::remove_all(root); }
    void Entry(const std::string& name, bool device, const char* type)
    {
        fs::create_directories(root / name);
        if (device)
            fs::create_directories(root / name / "device");
        if (type)
            std::ofstream(root / name / "type") << type << "\n";
    }
    fs::path root;
};

TEST_F(PortListTest, ListsRealPortsInNaturalOrder)
{
    Entry("ttyS0", true, "4");
    Entry("ttyS1", true, "0");     // no UART behind it
    Entry("ttyS2", false, "4");    // no device
    Entry("ttyS3", true, nullptr); // no type
    Entry("ttyS4", true, "4");
    Entry("ttyS10", true, "4");
    Entry("ttyUSB0", false, nullptr);
    Entry("ttyACM1", false, nullptr);
    Entry("tty0", false, nullptr);
    Entry("console", false, nullptr);
    Entry("ttyUSBx", false, nullptr);
    platform::PortList list(root.string(), "/dev");
    EXPECT_EQ(list.CommaText(), "/dev/ttyACM1,/dev/ttyS0,/dev/ttyS4,/dev/ttyS10,/dev/ttyUSB0");
}

TEST_F(PortListTest, EmptyRootGivesEmptyListAndMissingRootTheFirstTwoPorts)
{
    EXPECT_EQ(platform::PortList(root.string()).CommaText(), "");
    EXPECT_EQ(platform::PortList((root / "missing").string(), "/dev").CommaText(), "/dev/ttyS0,/dev/ttyS1");
}

} // namespace

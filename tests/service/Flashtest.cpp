// Firmware flashing with the program's own flash library: the library found and its entry
// point resolved, a good image to 100 %, a bad one refused with the library's text, Stop, the
// bounded status text, the port number and the progress dialog's states.

#include "service/Flash.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

namespace {

const char* const GoodImage = ":0300000002003BC0\n:00000001FF\n";

class FlashLibrary : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string error;
        ASSERT_TRUE(library.Load({ORRERY_FLASH_LIBRARY}, error)) << error;
        setenv("ORRERY_FLASH_STEP_MS", "0", 1);
    }
    void TearDown() override { unsetenv("ORRERY_FLASH_STEP_MS"); }
    // Starts the worker and waits for it; the progress figures seen on the way.
    std::vector<int> RunToEnd()
    {
        std::vector<int> seen;
        flash.Start(library.Entry(), 3, 9600, block);
        while (block.Busy())
            if (seen.empty() || seen.back() != block.Progress())
                seen.push_back(block.Progress());
        flash.Join();
        seen.push_back(block.Progress());
        return seen;
    }

    CFlashLibrary library;
    CFlashBlock block;
    CFlash flash;
};

TEST_F(FlashLibrary, GoodImageRisesTo100)
{
    setenv("ORRERY_FLASH_STEP_MS", "1", 1);
    block.image = GoodImage;
    const std::vector<int> seen = RunToEnd();
    EXPECT_TRUE(std::is_sorted(seen.begin(), seen.end()));
    EXPECT_EQ(seen.back(), 100);
    EXPECT_EQ(block.StatusText(), "Flashing completed: 3 bytes programmed");
    EXPECT_FALSE(block.Busy());
}

TEST_F(FlashLibrary, BadChecksumFailsWithTheLibrarysText)
{
    block.image = ":0300000002003BC1\n:00000001FF\n";
    RunToEnd();
    EXPECT_EQ(block.StatusText(), "Error in image: Line 1: bad checksum");
    EXPECT_EQ(block.Progress(), 0);
    block.frequency = 0;
    block.image = GoodImage;
    RunToEnd();
    EXPECT_EQ(block.StatusText(), "Error: wrong frequency 0 MHz");
}

TEST_F(FlashLibrary, AbortStopsTheLibrary)
{
    setenv("ORRERY_FLASH_STEP_MS", "60000", 1); // would take 100 minutes
    block.image = GoodImage;
    flash.Start(library.Entry(), 1, 9600, block);
    EXPECT_TRUE(block.Busy());
    block.RequestAbort();
    flash.Join();
    EXPECT_FALSE(block.Busy());
    EXPECT_LT(block.Progress(), 100);
    EXPECT_EQ(block.StatusText(), "Aborted: the unit stays in boot mode");
}

TEST(Flash, MissingLibraryOrEntryPointIsRefused)
{
    CFlashLibrary library;
    std::string error;
    EXPECT_FALSE(library.Load({"/nonexistent/libflash_8951.so"}, error));
    EXPECT_NE(error.find("The flash library libflash_8951.so cannot be loaded"), std::string::npos) << error;
    EXPECT_EQ(library.Entry(), nullptr);
    // A library without the entry point: the C library itself.
    EXPECT_FALSE(library.Load({"libc.so.6"}, error));
    EXPECT_NE(error.find("has no entry point FlashDLL_main"), std::string::npos) << error;
    EXPECT_EQ(library.Entry(), nullptr);

    // Beside the program first, then the library path.
    EXPECT_EQ(CFlashLibrary::Candidates("/opt/orrery"),
              (std::vector<std::string>{"/opt/orrery/libflash_8951.so", "libflash_8951.so"}));
    EXPECT_EQ(CFlashLibrary::Candidates(""), (std::vector<std::string>{"libflash_8951.so"}));
}

TEST(Flash, StatusTextIsBoundedAndPortNumbersPassWhole)
{
    CFlashBlock block;
    for (char& c : block.status)
        c = 'A'; // no terminator at all
    EXPECT_EQ(block.StatusText(), std::string(FLASH_STATUS_SIZE - 1, 'A'));
    block.Reset();
    EXPECT_EQ(block.StatusText(), "");

    EXPECT_EQ(CFlash::PortNumber("COM1"), 1);
    EXPECT_EQ(CFlash::PortNumber("COM12"), 12);
    EXPECT_EQ(CFlash::PortNumber("/dev/ttyUSB10"), 10);
    EXPECT_EQ(CFlash::PortNumber("/dev/pts/3"), 3);
    EXPECT_EQ(CFlash::PortNumber("COM"), 0);
    EXPECT_EQ(CFlash::PortNumber(""), 0);
}

TEST(Flash, ProgressDialogStates)
{
    using S = CFlashProgressState;
    S s;
    s.Show();
    EXPECT_EQ(s.Current(), S::State::Running);
    EXPECT_FALSE(s.Tick(true));
    EXPECT_EQ(s.Stop(), S::StopAction::Abort);
    EXPECT_EQ(s.Current(), S::State::Stopping);
    EXPECT_EQ(s.Stop(), S::StopAction::Nothing); // disabled until the library returns
    EXPECT_FALSE(s.Tick(true));
    EXPECT_TRUE(s.Tick(false));
    EXPECT_EQ(s.Current(), S::State::Finished);
    EXPECT_TRUE(s.Blink());
    s.Tick(false);
    EXPECT_FALSE(s.Blink());
    s.Tick(false);
    EXPECT_TRUE(s.Blink());
    EXPECT_EQ(s.Stop(), S::StopAction::Close);
    EXPECT_EQ(s.Current(), S::State::Closed);
}

} // namespace

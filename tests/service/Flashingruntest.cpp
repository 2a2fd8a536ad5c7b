// The flashing sequence without a window: what is refused before anything changes (no library,
// a frequency that is no number), where the user may cancel, an empty or unreadable image, and
// a good image flashed with the program's own library: boot mode and the link dropped first,
// when connected, and the port and baud read after that.

#include "service/Flash.h"
#include "service/Flashingrun.h"
#include "support/Tempdir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace {

class FlashingRun : public ::testing::Test {
protected:
    void SetUp() override { setenv("ORRERY_FLASH_STEP_MS", "0", 1); }
    void TearDown() override { unsetenv("ORRERY_FLASH_STEP_MS"); }

    CFlashingRun::SLinks Links()
    {
        CFlashingRun::SLinks links;
        links.LibraryCandidates = {ORRERY_FLASH_LIBRARY};
        links.AskFrequency = [this](int offered, std::string& text) {
            journal.push_back("ask " + std::to_string(offered));
            text = frequencyText;
            return !cancelDialog;
        };
        links.StopReadTimer = [this] { journal.push_back("timer off"); };
        links.ChooseImageFile = [this] {
            journal.push_back("choose");
            return imageFile;
        };
        links.IsConnected = [this] { return connected; };
        links.EnterBootMode = [this] {
            journal.push_back("boot mode");
            connected = false;
        };
        links.PortText = [this] {
            journal.push_back(connected ? "port while connected" : "port");
            return std::string("/dev/ttyUSB7");
        };
        links.BaudRate = [this] {
            journal.push_back("baud");
            return 9600;
        };
        links.ShowProgress = [this](CFlashBlock& block) {
            journal.push_back("progress " + std::to_string(block.frequency));
            image = block.image;
            while (block.Busy()) {
            }
            status = block.StatusText();
        };
        links.Warn = [this](const std::string& text) { journal.push_back("warn " + text); };
        return links;
    }

    testsupport::TempDir dir;
    std::vector<std::string> journal;
    std::string frequencyText = "20";
    bool cancelDialog = false;
    std::string imageFile;
    bool connected = true;
    std::string image, status;
    int frequency = 32;
};

using Journal = std::vector<std::string>;

TEST_F(FlashingRun, GoodImageGoesIntoBootModeThenFlashes)
{
    imageFile = dir.File("good.hex");
    testsupport::WriteAll(imageFile, ":0300000002003BC0\n:00000001FF\n");
    EXPECT_EQ(CFlashingRun(Links()).Run(frequency), CFlashingRun::EOutcome::Flashed);
    EXPECT_EQ(journal, (Journal{"ask 32", "timer off", "choose", "boot mode", "port", "baud", "progress 20"}));
    EXPECT_EQ(frequency, 20);
    EXPECT_EQ(image, ":0300000002003BC0\r\n:00000001FF\r\n");
    EXPECT_EQ(status, "Flashing completed: 3 bytes programmed");

    // Not connected: no boot mode; the frequency last used is offered.
    journal.clear();
    EXPECT_EQ(CFlashingRun(Links()).Run(frequency), CFlashingRun::EOutcome::Flashed);
    EXPECT_EQ(journal, (Journal{"ask 20", "timer off", "choose", "port", "baud", "progress 20"}));
}

TEST_F(FlashingRun, MissingLibraryIsRefusedBeforeTheDialog)
{
    CFlashingRun::SLinks links = Links();
    links.LibraryCandidates = {dir.File("libflash_8951.so")};
    EXPECT_EQ(CFlashingRun(links).Run(frequency), CFlashingRun::EOutcome::Refused);
    ASSERT_EQ(journal.size(), 1u);
    EXPECT_EQ(journal[0].rfind("warn The flash library libflash_8951.so cannot be loaded", 0), 0u) << journal[0];
    EXPECT_TRUE(connected);
}

TEST_F(FlashingRun, FrequencyThatIsNoNumberIsRefusedBeforeAnythingChanges)
{
    frequencyText = "3x";
    EXPECT_EQ(CFlashingRun(Links()).Run(frequency), CFlashingRun::EOutcome::Refused);
    EXPECT_EQ(journal, (Journal{"ask 32", "warn Wrong frequency: \"3x\""}));
    EXPECT_EQ(frequency, 32);
    EXPECT_TRUE(connected);
}

TEST_F(FlashingRun, CancelledDialogOrFileTouchesTheLinkNot)
{
    cancelDialog = true;
    EXPECT_EQ(CFlashingRun(Links()).Run(frequency), CFlashingRun::EOutcome::Cancelled);
    EXPECT_EQ(journal, (Journal{"ask 32"}));

    cancelDialog = false;
    journal.clear();
    EXPECT_EQ(CFlashingRun(Links()).Run(frequency), CFlashingRun::EOutcome::Cancelled);
    EXPECT_EQ(journal, (Journal{"ask 32", "timer off", "choose"}));
    EXPECT_EQ(frequency, 20);
    EXPECT_TRUE(connected);
}

TEST_F(FlashingRun, EmptyOrUnreadableImageIsRefused)
{
    imageFile = dir.File("empty.hex");
    testsupport::WriteAll(imageFile, "");
    EXPECT_EQ(CFlashingRun(Links()).Run(frequency), CFlashingRun::EOutcome::Refused);
    EXPECT_EQ(journal.back(), "warn File is empty");

    imageFile = dir.File("missing.hex");
    journal.clear();
    EXPECT_EQ(CFlashingRun(Links()).Run(frequency), CFlashingRun::EOutcome::Refused);
    EXPECT_EQ(journal.back().rfind("warn ", 0), 0u);
    EXPECT_EQ(journal.size(), 4u);
    EXPECT_TRUE(connected);
}

} // namespace

// Loading the logic device into the simulated unit over a pseudo-terminal: the blocks the unit
// receives, and what a refused file or a No leaves untouched.

#include "device/Device.h"
#include "panel/Scripted.h"
#include "service/Xilinx.h"
#include "simunit/Simcommandset.h"
#include "support/Simfixture.h"

#include <gtest/gtest.h>

namespace {

struct RecordingXilinxView : IXilinxView {
    void ShowStatusMessage(const std::string& text) override { status.push_back(text); }
    void ClearStatusMessage() override { status.push_back("<clear>"); }
    void WaitForUnit(int ms) override { waited = ms; }
    std::vector<std::string> status;
    int waited = 0;
};

// n bytes after a count line of its own: byte 0 is the count line's token.
std::vector<std::string> IspLines(int n)
{
    std::vector<std::string> lines{";N=" + std::to_string(n)};
    std::string line;
    for (int i = 1; i < n; ++i) {
        char token[8];
        std::snprintf(token, sizeof token, "0x%02X", i & 0xFF);
        line += line.empty() ? token : std::string(",") + token;
        if (i % 16 == 0) {
            lines.push_back(line);
            line.clear();
        }
    }
    if (!line.empty())
        lines.push_back(line);
    return lines;
}

class XilinxLoad : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(pty.Ok()) << pty.Error();
        simunit::InstallDeviceCommands(pty.Unit());
        ASSERT_EQ(dev.OpenPort(pty.Path(), 9600, 500, 2), 0) << dev.LastError();
        pty.Server().ClearLog();
    }
    std::vector<int> Commands()
    {
        std::vector<int> out;
        for (const auto& r : pty.Server().Requests())
            out.push_back(r.command);
        return out;
    }

    testsupport::SimPty pty;
    CDevice dev;
    ScriptedHooks hooks;
    RecordingXilinxView view;
};

TEST_F(XilinxLoad, ThreeHundredBytesGoAs255And45)
{
    hooks.answers = {true};
    EXPECT_EQ(CXilinxProgrammer::Run(dev, IspLines(300), view), 0);
    ASSERT_EQ(hooks.shown.size(), 1u);
    EXPECT_EQ(hooks.shown[0].text, "Data size = 300\nWrite to the unit?");
    const auto blocks = pty.Server().XilinxBlocks();
    ASSERT_EQ(blocks.size(), 2u);
    EXPECT_EQ(blocks[0].size(), 255u);
    EXPECT_EQ(blocks[1].size(), 45u);
    EXPECT_EQ(blocks[0][0], 0x00);
    EXPECT_EQ(blocks[0][1], 0x01);
    EXPECT_EQ(blocks[0][254], 0xFE);
    EXPECT_EQ(blocks[1][0], 0xFF);
    EXPECT_EQ(blocks[1][44], (299 & 0xFF));
    // Service access (off, two codes), then command 66 with the count as a word.
    const auto requests = pty.Server().Requests();
    ASSERT_FALSE(requests.empty());
    EXPECT_EQ(requests.back().command, 66);
    EXPECT_EQ(requests.back().data, (std::vector<uint8_t>{300 & 0xFF, 300 >> 8}));
    EXPECT_EQ(view.status, (std::vector<std::string>{"Writing...", "Wait...", "<clear>", "Done"}));
    EXPECT_EQ(view.waited, 6000);
    // The unit reads frames again afterwards.
    EXPECT_EQ(dev.Identify(), 0);
}

TEST_F(XilinxLoad, RefusedFileOrNoSendsNothing)
{
    std::vector<std::string> bad = IspLines(20);
    bad[1] = "0x01,0x0G";
    EXPECT_NE(CXilinxProgrammer::Run(dev, bad, view), 0);
    ASSERT_EQ(hooks.shown.size(), 1u);
    EXPECT_EQ(hooks.shown[0].kind, "warning");
    EXPECT_EQ(hooks.shown[0].caption, "Xilinx");
    EXPECT_EQ(hooks.shown[0].text, "Wrong data in line 2: \"0x0G\"");
    EXPECT_EQ(view.status, (std::vector<std::string>{"Done"}));

    hooks.answers = {false};
    EXPECT_NE(CXilinxProgrammer::Run(dev, IspLines(20), view), 0);
    EXPECT_TRUE(Commands().empty());
    EXPECT_TRUE(pty.Server().XilinxBlocks().empty());
}

TEST_F(XilinxLoad, UnitRefusingTheAnnouncementEndsBeforeAnyBlock)
{
    pty.Unit().Register(66, [](const std::vector<uint8_t>&, std::vector<uint8_t>& reply) {
        reply.push_back(99);
        return true;
    });
    hooks.answers = {true};
    EXPECT_EQ(CXilinxProgrammer::Run(dev, IspLines(20), view), 99);
    ASSERT_EQ(hooks.shown.size(), 2u);
    EXPECT_EQ(hooks.shown[1].text, "Command 66 not implemented");
    EXPECT_TRUE(pty.Server().XilinxBlocks().empty());
}

} // namespace

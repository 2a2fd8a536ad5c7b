// The command console's rules: the typed bytes, the reply's layout and a raw command run
// against the simulated unit.

#include "device/Device.h"
#include "service/Techconsole.h"
#include "simunit/Simcommandset.h"
#include "support/Simfixture.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>
#include <utility>
#include <vector>

namespace {

TEST(TechConsole, WriteTextTokens)
{
    CTechRequest r = CTechConsole::ParseWriteText("1, 2 ,3");
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.data, (std::vector<uint8_t>{1, 2, 3}));
    r = CTechConsole::ParseWriteText("300 -1,,  0 +7");
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.data, (std::vector<uint8_t>{44, 255, 0, 7}));
    r = CTechConsole::ParseWriteText("   ");
    EXPECT_TRUE(r.ok);
    EXPECT_TRUE(r.data.empty());

    for (const char* bad : {"1 x 3", "0x10", "1.5", "-", "99999999999"}) {
        r = CTechConsole::ParseWriteText(bad);
        EXPECT_FALSE(r.ok) << bad;
        EXPECT_TRUE(r.data.empty());
    }
    EXPECT_EQ(CTechConsole::ParseWriteText("1 x 3").error, "\"x\" is not a decimal number");

    std::string many;
    for (int i = 0; i < 255; ++i)
        many += "1 ";
    EXPECT_TRUE(CTechConsole::ParseWriteText(many).ok);
    r = CTechConsole::ParseWriteText(many + "1");
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.error, "Too many data bytes: 256 (at most 255)");
}

TEST(TechConsole, CommandNumberOutsideOneByteIsRefused)
{
    for (const auto& [text, command] : std::vector<std::pair<const char*, int>>{
             {"128", 128}, {" 0 ", 0}, {"+255", 255}, {"-0", 0}, {"x", 0}, {"", 0}, {"1.5", 0}}) {
        const CTechCommand c = CTechConsole::ParseCommandText(text);
        EXPECT_TRUE(c.ok) << text;
        EXPECT_EQ(c.command, command) << text;
    }
    for (const char* bad : {"256", "999", "-1", "99999999999"}) {
        const CTechCommand c = CTechConsole::ParseCommandText(bad);
        EXPECT_FALSE(c.ok) << bad;
    }
    EXPECT_EQ(CTechConsole::ParseCommandText(" 999").error, "Command 999 is out of range (0 to 255)");
}

TEST(TechConsole, DumpTenBytesToALine)
{
    EXPECT_EQ(CTechConsole::DumpLines({6, 12, 255}), (std::vector<std::string>{"  6, 12,255"}));
    EXPECT_TRUE(CTechConsole::DumpLines({}).empty());
    std::vector<uint8_t> bytes(23);
    for (int i = 0; i < 23; ++i)
        bytes[i] = static_cast<uint8_t>(i * 11);
    const auto lines = CTechConsole::DumpLines(bytes);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0], "  0, 11, 22, 33, 44, 55, 66, 77, 88, 99");
    EXPECT_EQ(lines[1], "110,121,132,143,154,165,176,187,198,209");
    EXPECT_EQ(lines[2], "220,231,242");
}

TEST(TechConsole, IdentifyAndLinkErrorsAgainstTheSimulatedUnit)
{
    CDevice dev;
    // No link: the link's own text.
    CTechReply r = CTechConsole::Execute(dev, 128, {});
    EXPECT_EQ(r.result, -102);
    EXPECT_EQ(r.resultText, "Disconnected");
    EXPECT_EQ(r.replyBytes, 0);
    EXPECT_TRUE(r.lines.empty());

    testsupport::SimPty pty;
    ASSERT_TRUE(pty.Ok()) << pty.Error();
    simunit::InstallDeviceCommands(pty.Unit());
    ASSERT_EQ(dev.OpenPort(pty.Path(), 9600, 500, 2), 0) << dev.LastError();
    r = CTechConsole::Execute(dev, 128, {});
    EXPECT_EQ(r.result, 0);
    EXPECT_EQ(r.resultText, "OK");
    EXPECT_EQ(r.replyBytes, 4); // "VANT"
    EXPECT_EQ(r.lines, (std::vector<std::string>{" 86, 65, 78, 84"}));

    // The bytes typed go out as the request's data.
    r = CTechConsole::Execute(dev, 128, {1, 2, 3});
    EXPECT_EQ(r.requestLength, 3);
    ASSERT_TRUE(pty.Server().WaitForRequests(2));
    EXPECT_EQ(pty.Server().Requests()[1].data, (std::vector<uint8_t>{1, 2, 3}));

    // An unknown command comes back with its CSR text.
    r = CTechConsole::Execute(dev, 99, {});
    EXPECT_GT(r.result, 0);
    EXPECT_EQ(r.resultText, CDevice::CsrText(r.result));

    // The time shown is the exchange's: a unit that takes its time to answer takes at least it.
    constexpr int SlowCommand = 77;
    static constexpr int AnswerMs = 120;
    pty.Unit().Register(SlowCommand, [](const std::vector<uint8_t>&, std::vector<uint8_t>& reply) {
        std::this_thread::sleep_for(std::chrono::milliseconds(AnswerMs));
        reply = {simunit::SimUnit::CsrOk};
        return true;
    });
    r = CTechConsole::Execute(dev, SlowCommand, {});
    EXPECT_EQ(r.result, 0);
    EXPECT_GE(r.elapsedMs, AnswerMs);
    dev.ClosePort();
}

} // namespace

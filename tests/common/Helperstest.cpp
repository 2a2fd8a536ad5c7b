#include "common/Helpers.h"
#include "common/Hooks.h"
#include "platform/Numberformat.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <cerrno>
#include <cmath>
#include <fcntl.h>
#include <limits>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

// Installs a number format for the life of the object.
struct ScopedFormat {
    explicit ScopedFormat(char decimal) { platform::NumberFormat::Install(platform::NumberFormat(decimal)); }
    ~ScopedFormat() { platform::NumberFormat::Uninstall(); }
};

TEST(HelpersTest, ClampToWordDouble)
{
    const struct {
        double in;
        uint16_t out;
    } cases[] = {
        { 65535.9, 65535 }, { 65536.0, 65535 }, { -0.5, 0 }, { std::nan(""), 0 }, { 1.99, 1 },
        { 0.0, 0 },         { 1e300, 65535 },   { -1e300, 0 }, { 300.5, 300 },
        { std::numeric_limits<double>::infinity(), 65535 },
    };
    for (const auto& c : cases)
        EXPECT_EQ(ClampToWord(c.in), c.out) << c.in;
}

TEST(HelpersTest, ClampToWordInt)
{
    EXPECT_EQ(ClampToWord(-1), 0);
    EXPECT_EQ(ClampToWord(0), 0);
    EXPECT_EQ(ClampToWord(65535), 65535);
    EXPECT_EQ(ClampToWord(65536), 65535);
    EXPECT_EQ(ClampToWord(1234), 1234);
}

TEST(HelpersTest, TextToDoubleWithPointLocale)
{
    ScopedFormat f('.');
    const struct {
        const char* in;
        double out;
    } cases[] = {
        { "", 0.0 },     { "abc", 0.0 }, { "2.5e3", 2500.0 }, { "1.5", 1.5 },
        { " -0.25", -0.25 }, { "3.75V", 3.75 }, { "1,5", 1.0 },
    };
    for (const auto& c : cases)
        EXPECT_DOUBLE_EQ(TextToDouble(c.in), c.out) << c.in;
}

TEST(HelpersTest, TextToDoubleWithCommaLocaleAcceptsBoth)
{
    ScopedFormat f(',');
    EXPECT_DOUBLE_EQ(TextToDouble("1,5"), 1.5);
    EXPECT_DOUBLE_EQ(TextToDouble("1.5"), 1.5);
    EXPECT_DOUBLE_EQ(TextToDouble("2,5e3"), 2500.0);
    EXPECT_DOUBLE_EQ(TextToDouble(""), 0.0);
}

TEST(HelpersTest, FloatToTextUsesTheLocaleSeparator)
{
    {
        ScopedFormat f('.');
        EXPECT_EQ(FloatToText(1.25, 2), "1.25");
        EXPECT_EQ(FloatToText(-3.0, 1), "-3.0");
        EXPECT_EQ(FloatToText(13.56, 0), "14");
        EXPECT_EQ(FloatToText(0.1, 3), "0.100");
    }
    ScopedFormat f(',');
    EXPECT_EQ(FloatToText(1.25, 2), "1,25");
    EXPECT_DOUBLE_EQ(TextToDouble(FloatToText(2.75, 2)), 2.75);
}

TEST(HelpersTest, TextToInt)
{
    const struct {
        const char* in;
        int out;
    } cases[] = {
        { "42", 42 }, { " 7 ", 7 }, { "-3", -3 }, { "+5", 5 }, { "x", 0 },
        { "12abc", 0 }, { "", 0 }, { "99999999999", 0 }, { "1.5", 0 },
    };
    for (const auto& c : cases)
        EXPECT_EQ(TextToInt(c.in), c.out) << c.in;
}

class ScriptedHooks : public IMessageHooks {
public:
    void Beep() override { calls.push_back("beep"); }
    bool AskYesNo(const std::string& caption, const std::string& text) override
    {
        calls.push_back("ask " + caption + "|" + text);
        return answer;
    }
    int ShowWarning(const std::string& caption, const std::string& text) override
    {
        calls.push_back("warn " + caption + "|" + text);
        return 1;
    }
    int ShowMessageBox(const std::string& caption, const std::string& text) override
    {
        calls.push_back("box " + caption + "|" + text);
        return 1;
    }
    bool answer = true;
    std::vector<std::string> calls;
};

TEST(HelpersTest, MessageHelpersBeepFirstAndGoThroughTheHooks)
{
    ScriptedHooks hooks;
    InstallMessageHooks(&hooks);
    EXPECT_TRUE(AskYesNo("Connect", "Sure?"));
    EXPECT_EQ(ShowWarning("", "Careful"), 1);
    EXPECT_EQ(ShowMessageBox("Vantrel Orrery", "Done"), 1);
    InstallMessageHooks(nullptr);
    const std::vector<std::string> expected { "beep", "ask Connect|Sure?", "beep", "warn |Careful",
                                              "beep", "box Vantrel Orrery|Done" };
    EXPECT_EQ(hooks.calls, expected);
    EXPECT_FALSE(AskYesNo("Connect", "nobody there")); // no hooks: "No"
}

TEST(HelpersTest, SocketErrorTexts)
{
    EXPECT_EQ(SocketErrorText(10061), "[10061] No server application running");
    EXPECT_EQ(SocketErrorText(10047), "[10047] Address family not supported by protocol family");
    EXPECT_EQ(SocketErrorText(11003), "[11003] Non-Recoverable errors: FORMERR, REFUSED, NOTIMP");
    EXPECT_EQ(SocketErrorText(12345), "[12345] Unknown error");
    const struct {
        int err;
        int code;
    } map[] = {
        { ECONNREFUSED, 10061 }, { ETIMEDOUT, 10060 },  { ECONNRESET, 10054 }, { EHOSTUNREACH, 10065 },
        { ENETUNREACH, 10051 },  { EADDRINUSE, 10048 }, { EINVAL, 10022 },     { EWOULDBLOCK, 10035 },
        { EINPROGRESS, 10036 },  { ENOTCONN, 10057 },   { EPIPE, 10058 },
    };
    for (const auto& m : map)
        EXPECT_EQ(WinsockErrorFromErrno(m.err), m.code) << m.err;
}

TEST(HelpersTest, RefusedConnectionGivesItsWinsockText)
{
    // Take a free loopback port, then close it so that nothing listens there.
    const int probe = ::socket(AF_INET, SOCK_STREAM, 0);
    ASSERT_GE(probe, 0);
    sockaddr_in addr {};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ASSERT_EQ(::bind(probe, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
    socklen_t len = sizeof addr;
    ASSERT_EQ(::getsockname(probe, reinterpret_cast<sockaddr*>(&addr), &len), 0);
    ::close(probe);

    const int s = ::socket(AF_INET, SOCK_STREAM, 0);
    ASSERT_GE(s, 0);
    const int rc = ::connect(s, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
    const std::string text = LastSocketErrorText();
    ::close(s);
    ASSERT_NE(rc, 0);
    EXPECT_EQ(text, "[10061] No server application running");
}

TEST(HelpersTest, LastWindowsErrorTextIsTheSystemText)
{
    errno = 0;
    ASSERT_LT(::open("/nonexistent/orrery", O_RDONLY), 0);
    EXPECT_EQ(LastWindowsErrorText(), "No such file or directory");
}

} // namespace

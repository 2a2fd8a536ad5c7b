// A line rate without a termios constant, set and read back through the arbitrary-rate interface
// on a pseudo-terminal.
#include "platform/Serialspeed.h"

#include <asm/termbits.h>
#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace {

TEST(SerialSpeed, ArbitraryRateIsSetForBothDirections)
{
    const int master = ::posix_openpt(O_RDWR | O_NOCTTY);
    ASSERT_GE(master, 0);
    ASSERT_EQ(::grantpt(master), 0);
    ASSERT_EQ(::unlockpt(master), 0);
    char name[128];
    ASSERT_EQ(::ptsname_r(master, name, sizeof name), 0);
    const int fd = ::open(name, O_RDWR | O_NOCTTY | O_NONBLOCK);
    ASSERT_GE(fd, 0);
    EXPECT_EQ(platform::SetArbitraryBaud(fd, 14400), 0);
    struct termios2 tio {};
    ASSERT_EQ(::ioctl(fd, TCGETS2, &tio), 0);
    EXPECT_EQ(tio.c_cflag & CBAUD, static_cast<tcflag_t>(BOTHER));
    EXPECT_EQ(tio.c_ospeed, 14400u);
    EXPECT_EQ(tio.c_ispeed, 14400u);
    // Not a terminal: the device's refusal comes back as its error.
    const int file = ::open("/dev/null", O_RDWR);
    EXPECT_EQ(platform::SetArbitraryBaud(file, 14400), ENOTTY);
    ::close(file);
    ::close(fd);
    ::close(master);
}

} // namespace

#include "platform/Serialport.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include <vector>

namespace {

// A bare pseudo-terminal: the test plays the far end on the master side.
struct Pty {
    int master = -1;
    std::string path;
    Pty()
    {
        master = ::posix_openpt(O_RDWR | O_NOCTTY);
        if (master >= 0 && ::grantpt(master) == 0 && ::unlockpt(master) == 0) {
            char name[128];
            if (::ptsname_r(master, name, sizeof name) == 0)
                path = name;
        }
    }
    ~Pty()
    {
        if (master >= 0)
            ::close(master);
    }
};

TEST(SerialPortTest, DevicePathMapsComNames)
{
    const struct {
        const char* name;
        const char* path;
    } cases[] = {
        { "COM1", "/dev/ttyS0" },   { "COM12", "/dev/ttyS11" },     { "/dev/ttyUSB0", "/dev/ttyUSB0" },
        { "COM0", "COM0" },         { "COMx", "COMx" },             { "COM", "COM" },
    };
    for (const auto& c : cases)
        EXPECT_EQ(platform::SerialPort::DevicePath(c.name), c.path) << c.name;
}

TEST(SerialPortTest, OpenRefusesWhatItCannotSetAndTakesAnyRate)
{
    platform::SerialPort port;
    EXPECT_EQ(port.Open("/dev/orrery-no-such-port", 9600, platform::SerialPort::ParityOdd, 100), ENOENT);
    EXPECT_FALSE(port.IsOpen());
    Pty pty;
    ASSERT_FALSE(pty.path.empty());
    for (int baud : { 0, -9600 }) {
        EXPECT_EQ(port.Open(pty.path, baud, platform::SerialPort::ParityOdd, 100), EINVAL) << baud;
        EXPECT_FALSE(port.IsOpen());
    }
    EXPECT_EQ(port.Open(pty.path, 9600, 3, 100), EINVAL); // no such parity
    EXPECT_FALSE(port.IsOpen());
    // The baud box is editable: standard rates above the listed ones and rates without a
    // termios constant of their own open too.
    for (int baud : { 300, 115200, 230400, 14400, 28800, 56000, 1234 }) {
        EXPECT_EQ(port.Open(pty.path, baud, platform::SerialPort::ParityOdd, 100), 0) << baud;
        EXPECT_EQ(port.Baud(), baud);
    }
}

TEST(SerialPortTest, LineSettingsAreRawEightOddOne)
{
    Pty pty;
    ASSERT_FALSE(pty.path.empty());
    platform::SerialPort port;
    ASSERT_EQ(port.Open(pty.path, 19200, platform::SerialPort::ParityOdd, 100), 0);
    termios tio {};
    const int fd = ::open(pty.path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (fd >= 0) { // root may open an exclusive terminal; then read its settings
        ASSERT_EQ(::tcgetattr(fd, &tio), 0);
        ::close(fd);
        EXPECT_EQ(tio.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
        EXPECT_TRUE(tio.c_cflag & PARODD); // a pseudo-terminal keeps no parity enable bit
        EXPECT_FALSE(tio.c_cflag & CSTOPB);
        EXPECT_FALSE(tio.c_cflag & CRTSCTS);
        EXPECT_FALSE(tio.c_iflag & (IXON | IXOFF));
        EXPECT_FALSE(tio.c_lflag & (ICANON | ECHO));
        EXPECT_EQ(::cfgetospeed(&tio), static_cast<speed_t>(B19200));
    } else {
        EXPECT_EQ(errno, EBUSY);
    }
}

TEST(SerialPortTest, ExclusiveOpenAndReopenAfterClose)
{
    Pty pty;
    ASSERT_FALSE(pty.path.empty());
    platform::SerialPort first, second;
    ASSERT_EQ(first.Open(pty.path, 9600, platform::SerialPort::ParityOdd, 100), 0);
    EXPECT_EQ(second.Open(pty.path, 9600, platform::SerialPort::ParityOdd, 100), EBUSY);
    EXPECT_TRUE(first.Close());
    EXPECT_FALSE(first.Close());
    EXPECT_EQ(second.Open(pty.path, 9600, platform::SerialPort::ParityOdd, 100), 0);
}

TEST(SerialPortTest, ReadCollectsWhatArrivedAndStopsAtTheDeadline)
{
    Pty pty;
    ASSERT_FALSE(pty.path.empty());
    platform::SerialPort port;
    ASSERT_EQ(port.Open(pty.path, 9600, platform::SerialPort::ParityOdd, 20), 0);
    const uint8_t sent[] = { 0x10, 0x80, 0x90 };
    ASSERT_EQ(::write(pty.master, sent, 3), 3);
    uint8_t got[8] = {};
    EXPECT_EQ(port.Read(got, 3), 3);
    EXPECT_EQ(got[0], 0x10);
    EXPECT_EQ(got[2], 0x90);
    ASSERT_EQ(::write(pty.master, sent, 2), 2);
    EXPECT_EQ(port.Read(got, 5), 2); // fewer than asked: the deadline ends the read

    const uint8_t out[] = { 1, 2, 3, 255 };
    ASSERT_TRUE(port.Write(out, 4));
    uint8_t back[4] = {};
    ASSERT_EQ(::read(pty.master, back, 4), 4);
    EXPECT_EQ(back[3], 255);
}

TEST(SerialPortTest, PurgeAndDiscardInputDropPendingInput)
{
    Pty pty;
    ASSERT_FALSE(pty.path.empty());
    platform::SerialPort port;
    ASSERT_EQ(port.Open(pty.path, 9600, platform::SerialPort::ParityOdd, 10), 0);
    const uint8_t nak = 0x15;
    for (bool discard : { false, true }) {
        const uint8_t junk[] = { 7, 7, 7 };
        ASSERT_EQ(::write(pty.master, junk, 3), 3);
        uint8_t one = 0;
        ASSERT_EQ(port.Read(&one, 1), 1); // the rest waits in the input queue
        if (discard) {
            ASSERT_TRUE(port.Write(&nak, 1));
            port.DiscardInput(); // never waits; what was written still goes out
        } else {
            port.Purge();
        }
        uint8_t rest[2] = {};
        EXPECT_EQ(port.Read(rest, 2), 0) << discard;
    }
    uint8_t sent = 0;
    ASSERT_EQ(::read(pty.master, &sent, 1), 1);
    EXPECT_EQ(sent, nak);
}

TEST(SerialPortTest, WhatCameInAheadIsHandedOutInOrderAndDroppedWithTheConnection)
{
    Pty pty;
    ASSERT_FALSE(pty.path.empty());
    platform::SerialPort port;
    ASSERT_EQ(port.Open(pty.path, 9600, platform::SerialPort::ParityNone, 10), 0);
    // An acknowledgement and a reply in one piece, asked for a byte, then three, then the rest.
    const uint8_t reply[] = {0x06, 0x11, 0xA1, 0x01, 0xB1};
    ASSERT_EQ(::write(pty.master, reply, 5), 5);
    uint8_t got[8] = {};
    ASSERT_EQ(port.Read(got, 1), 1);
    EXPECT_EQ(got[0], 0x06);
    // More arrives while part of the first piece is still unread: it comes after it.
    const uint8_t more[] = {0x42, 0x43};
    ASSERT_EQ(::write(pty.master, more, 2), 2);
    ASSERT_EQ(port.Read(got, 3), 3);
    EXPECT_EQ(got[0], 0x11);
    EXPECT_EQ(got[2], 0x01);
    ASSERT_EQ(port.Read(got, 4), 3);
    EXPECT_EQ(got[0], 0xB1);
    EXPECT_EQ(got[1], 0x42);
    EXPECT_EQ(got[2], 0x43);

    // Closing drops what was read ahead: a new connection starts with what comes next.
    ASSERT_EQ(::write(pty.master, reply, 5), 5);
    ASSERT_EQ(port.Read(got, 1), 1);
    port.Close();
    ASSERT_EQ(port.Open(pty.path, 9600, platform::SerialPort::ParityNone, 10), 0);
    EXPECT_EQ(port.Read(got, 4), 0);
}

// The descriptor the port holds for path, found among the process's open descriptors.
int DescriptorOf(const std::string& path, int besides)
{
    for (int fd = 0; fd < 1024; ++fd) {
        if (fd == besides)
            continue;
        char link[256] = {};
        const std::string proc = "/proc/self/fd/" + std::to_string(fd);
        const ssize_t n = ::readlink(proc.c_str(), link, sizeof link - 1);
        if (n > 0 && path == link)
            return fd;
    }
    return -1;
}

TEST(SerialPortTest, AReadThatFailsRightAfterAWriteIsAFailureNotATimeOut)
{
    Pty pty;
    ASSERT_FALSE(pty.path.empty());
    // A second, write-only description of the same terminal: put in place of the port's own,
    // the terminal still says an answer has come, but every read() of it fails.
    const int writeOnly = ::open(pty.path.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC);
    ASSERT_GE(writeOnly, 0);
    platform::SerialPort port;
    ASSERT_EQ(port.Open(pty.path, 9600, platform::SerialPort::ParityNone, 3000), 0);
    const int held = DescriptorOf(pty.path, writeOnly);
    ASSERT_GE(held, 0);
    ASSERT_EQ(::dup2(writeOnly, held), held);

    const uint8_t request[] = {0x10, 0x80, 0x90};
    ASSERT_TRUE(port.Write(request, 3));
    uint8_t got[3] = {};
    ASSERT_EQ(::read(pty.master, got, 3), 3);
    const uint8_t ack = 0x06;
    ASSERT_EQ(::write(pty.master, &ack, 1), 1);
    errno = 0;
    EXPECT_EQ(port.Read(got, 1), -1); // at once: a time-out would take the whole 3 s
    EXPECT_EQ(errno, EBADF);
    // Without a write before it the read fails the same way.
    ASSERT_EQ(::write(pty.master, &ack, 1), 1);
    EXPECT_EQ(port.Read(got, 1), -1);
    port.Close();
    ::close(writeOnly);
}

TEST(SerialPortTest, DrainUntilQuietThrowsAwayWhatComesUntilTheLineIsSilent)
{
    Pty pty;
    ASSERT_FALSE(pty.path.empty());
    platform::SerialPort port;
    ASSERT_EQ(port.Open(pty.path, 9600, platform::SerialPort::ParityNone, 10), 0);
    const uint8_t late[] = {0x11, 0x80, 0x00, 0x91};
    ASSERT_EQ(::write(pty.master, late, 4), 4);
    // What is there, and what comes before the line has been quiet for the whole time, goes.
    EXPECT_TRUE(port.DrainUntilQuiet(50, 2000, 1000));
    uint8_t got[4] = {};
    EXPECT_EQ(port.Read(got, 4), 0);
    const uint8_t fresh[] = {0x42};
    ASSERT_EQ(::write(pty.master, fresh, 1), 1);
    EXPECT_EQ(port.Read(got, 1), 1);
    EXPECT_EQ(got[0], 0x42);
}

TEST(SerialPortTest, DrainOfALineSilentSinceItsLastByteEndsAtOnce)
{
    Pty pty;
    ASSERT_FALSE(pty.path.empty());
    platform::SerialPort port;
    ASSERT_EQ(port.Open(pty.path, 9600, platform::SerialPort::ParityNone, 10), 0);
    // Nothing has come since the port opened: the line has been quiet for longer than any
    // quiet period, so the drain neither waits for one nor runs into its limit of nothing.
    EXPECT_TRUE(port.DrainUntilQuiet(60000, 0, 1000));
}

TEST(SerialPortTest, DrainStopsAfterAFramesWorthOfBytes)
{
    Pty pty;
    ASSERT_FALSE(pty.path.empty());
    platform::SerialPort port;
    ASSERT_EQ(port.Open(pty.path, 9600, platform::SerialPort::ParityNone, 10), 0);
    // More than the byte limit at once, as a noisy line gives: the drain gives up there (with
    // a long quiet period and limit it would otherwise wait), and what it did not read is left.
    std::vector<uint8_t> noise(2000, 0x5A);
    ASSERT_EQ(::write(pty.master, noise.data(), noise.size()), static_cast<ssize_t>(noise.size()));
    EXPECT_FALSE(port.DrainUntilQuiet(60000, 60000, 259));
    uint8_t got[1] = {};
    EXPECT_EQ(port.Read(got, 1), 1);
    EXPECT_EQ(got[0], 0x5A);
}

TEST(SerialPortTest, PseudoTerminalHasNoModemLines)
{
    Pty pty;
    ASSERT_FALSE(pty.path.empty());
    platform::SerialPort port;
    bool cts = true;
    EXPECT_FALSE(port.SetDtr(true)); // not open
    ASSERT_EQ(port.Open(pty.path, 9600, platform::SerialPort::ParityOdd, 10), 0);
    EXPECT_FALSE(port.SetDtr(true));
    EXPECT_FALSE(port.ReadCts(cts));
    EXPECT_FALSE(cts);
}

} // namespace

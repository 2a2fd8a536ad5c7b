#include "platform/Serialport.h"

#include "platform/Serialspeed.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <termios.h>
#include <unistd.h>

namespace platform {

namespace {

bool BaudToSpeed(int baud, speed_t& speed)
{
    switch (baud) {
    case 110: speed = B110; return true;
    case 300: speed = B300; return true;
    case 600: speed = B600; return true;
    case 1200: speed = B1200; return true;
    case 2400: speed = B2400; return true;
    case 4800: speed = B4800; return true;
    case 9600: speed = B9600; return true;
    case 19200: speed = B19200; return true;
    case 38400: speed = B38400; return true;
    case 57600: speed = B57600; return true;
    case 115200: speed = B115200; return true;
    case 230400: speed = B230400; return true;
    default: return false;
    }
}

// Unix98 pseudo-terminal slaves have the majors 136 to 143.
bool IsPseudoTerminal(int fd)
{
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISCHR(st.st_mode))
        return false;
    const unsigned major = ::major(st.st_rdev);
    return major >= 136 && major <= 143;
}

int CloseKeepingErrno(int fd, int err)
{
    ::ioctl(fd, TIOCNXCL);
    ::close(fd);
    return err;
}

} // namespace

SerialPort::~SerialPort() { Close(); }

std::string SerialPort::DevicePath(const std::string& name)
{
    if (name.size() > 3 && (name.compare(0, 3, "COM") == 0 || name.compare(0, 3, "com") == 0)) {
        const std::string digits = name.substr(3);
        if (digits.find_first_not_of("0123456789") == std::string::npos && digits.size() <= 3) {
            const int n = std::atoi(digits.c_str());
            if (n >= 1)
                return "/dev/ttyS" + std::to_string(n - 1);
        }
    }
    return name;
}

int SerialPort::Open(const std::string& name, int baud, uint8_t parity, int readTimeoutMs)
{
    Close();
    if (baud <= 0 || parity > ParityEven)
        return EINVAL;
    // A rate without its own termios constant is set afterwards through the arbitrary-rate
    // interface; until then the line runs at a standard rate.
    speed_t speed = B38400;
    const bool standardRate = BaudToSpeed(baud, speed);

    const std::string path = DevicePath(name);
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return errno;
    if (!::isatty(fd))
        return CloseKeepingErrno(fd, ENOTTY);
    if (::ioctl(fd, TIOCEXCL) != 0)
        return CloseKeepingErrno(fd, errno);
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int err = errno == EWOULDBLOCK ? EBUSY : errno;
        return CloseKeepingErrno(fd, err);
    }

    termios tio {};
    if (::tcgetattr(fd, &tio) != 0)
        return CloseKeepingErrno(fd, errno);
    ::cfmakeraw(&tio);
    tio.c_cflag &= ~(CSIZE | PARENB | PARODD | CSTOPB | CRTSCTS);
    tio.c_cflag |= CS8 | CLOCAL | CREAD;
    if (parity == ParityOdd)
        tio.c_cflag |= PARENB | PARODD;
    else if (parity == ParityEven)
        tio.c_cflag |= PARENB;
    tio.c_iflag &= ~(IXON | IXOFF | IXANY | INPCK | IGNPAR | PARMRK);
    tio.c_cc[VMIN] = 0;
    tio.c_cc[VTIME] = 0;
    if (::cfsetispeed(&tio, speed) != 0 || ::cfsetospeed(&tio, speed) != 0)
        return CloseKeepingErrno(fd, errno);
    if (::tcsetattr(fd, TCSANOW, &tio) != 0) {
        // A pseudo-terminal takes no parity; every other setting holds there.
        if (errno != EINVAL || !IsPseudoTerminal(fd))
            return CloseKeepingErrno(fd, errno);
        tio.c_cflag &= ~PARENB;
        if (::tcsetattr(fd, TCSANOW, &tio) != 0)
            return CloseKeepingErrno(fd, errno);
    }
    if (!standardRate) {
        if (const int err = SetArbitraryBaud(fd, baud))
            return CloseKeepingErrno(fd, err);
    }
    ::tcflush(fd, TCIOFLUSH);

    fd_ = fd;
    modemLines_ = !IsPseudoTerminal(fd);
    path_ = path;
    baud_ = baud;
    readTimeoutMs_ = readTimeoutMs < 0 ? 0 : readTimeoutMs;
    return 0;
}

int SerialPort::TakeAhead(uint8_t* dest, int count)
{
    const int n = std::min(count, aheadEnd_ - aheadBegin_);
    std::memcpy(dest, ahead_.data() + aheadBegin_, static_cast<size_t>(n));
    aheadBegin_ += n;
    if (aheadBegin_ == aheadEnd_)
        aheadBegin_ = aheadEnd_ = 0;
    return n;
}

int SerialPort::Read(uint8_t* dest, int count)
{
    const auto allowance = std::chrono::milliseconds(readTimeoutMs_ + static_cast<long long>(MsPerByte) * std::max(count, 0));
    return ReadUntil(dest, count, Clock::now() + allowance);
}

int SerialPort::FillAhead(int want, Clock::time_point deadline)
{
    want = std::min(want, AheadSize);
    if (aheadBegin_ > 0 && aheadEnd_ - aheadBegin_ < want) {
        std::memmove(ahead_.data(), ahead_.data() + aheadBegin_, static_cast<size_t>(aheadEnd_ - aheadBegin_));
        aheadEnd_ -= aheadBegin_;
        aheadBegin_ = 0;
    }
    // Right after a write the answer cannot have come yet: wait for it before reading. With no
    // time left to wait, what has come is read at once.
    bool readFirst = !wrote_ || Clock::now() >= deadline;
    wrote_ = false;
    while (aheadEnd_ - aheadBegin_ < want) {
        if (readFirst) {
            const ssize_t n = ::read(fd_, ahead_.data() + aheadEnd_, static_cast<size_t>(AheadSize - aheadEnd_));
            if (n > 0) {
                lastByte_ = Clock::now();
                aheadEnd_ += static_cast<int>(n);
                continue;
            }
            if (n < 0 && errno != EAGAIN && errno != EINTR)
                return -1;
        }
        readFirst = true;
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        if (left.count() <= 0)
            break;
        pollfd pfd { fd_, POLLIN, 0 };
        const int r = ::poll(&pfd, 1, static_cast<int>(left.count()) + 1);
        if (r < 0 && errno != EINTR)
            return -1;
        if (r > 0 && (pfd.revents & (POLLERR | POLLNVAL))) {
            errno = EIO;
            return -1;
        }
        if (r > 0 && (pfd.revents & POLLHUP) && !(pfd.revents & POLLIN)) {
            errno = EIO; // the other end went away
            return -1;
        }
    }
    return aheadEnd_ - aheadBegin_;
}

int SerialPort::ReadUntil(uint8_t* dest, int count, Clock::time_point deadline)
{
    if (fd_ < 0) {
        errno = EBADF;
        return -1;
    }
    int got = 0;
    while (got < count) {
        got += TakeAhead(dest + got, count - got);
        if (got == count)
            break;
        const int held = FillAhead(count - got, deadline);
        if (held < 0)
            return -1;
        if (held == 0)
            break;
    }
    return got;
}

int SerialPort::PeekUntil(uint8_t* dest, int count, Clock::time_point deadline)
{
    if (fd_ < 0) {
        errno = EBADF;
        return -1;
    }
    if (count <= 0)
        return 0;
    const int held = FillAhead(count, deadline);
    if (held < 0)
        return -1;
    const int n = std::min(count, held);
    std::memcpy(dest, ahead_.data() + aheadBegin_, static_cast<size_t>(n));
    return n;
}

bool SerialPort::Write(const uint8_t* data, int count)
{
    if (fd_ < 0)
        return false;
    int done = 0;
    wrote_ = count > 0;
    while (done < count) {
        const ssize_t n = ::write(fd_, data + done, static_cast<size_t>(count - done));
        if (n > 0) {
            done += static_cast<int>(n);
            continue;
        }
        if (n < 0 && errno != EAGAIN && errno != EINTR)
            return false;
        // The driver's output buffer is full: wait for room, but not forever.
        pollfd pfd { fd_, POLLOUT, 0 };
        const int r = ::poll(&pfd, 1, 1000 + readTimeoutMs_);
        if (r == 0 || (r > 0 && (pfd.revents & (POLLERR | POLLHUP | POLLNVAL))))
            return false;
        if (r < 0 && errno != EINTR)
            return false;
    }
    return true;
}

void SerialPort::Purge()
{
    aheadBegin_ = aheadEnd_ = 0;
    if (fd_ >= 0)
        ::tcflush(fd_, TCIOFLUSH);
}

void SerialPort::DiscardInput()
{
    aheadBegin_ = aheadEnd_ = 0;
    if (fd_ < 0)
        return;
    // Only the input is flushed: what was written stays queued and the driver sends it, so
    // there is nothing to wait for (a drain could hold the caller on a stalled adapter).
    ::tcflush(fd_, TCIFLUSH);
}

bool SerialPort::DrainUntilQuiet(int quietMs, int limitMs, int byteLimit)
{
    // What was read ahead came in by lastByte_; what the driver holds is read below and
    // counts as just come, since when it came is not known.
    aheadBegin_ = aheadEnd_ = 0;
    if (fd_ < 0)
        return false;
    wrote_ = false;
    const auto quiet = std::chrono::milliseconds(std::max(0, quietMs));
    const auto limit = Clock::now() + std::chrono::milliseconds(std::max(0, limitMs));
    int drained = 0;
    for (;;) {
        // What has come goes first, without waiting.
        uint8_t junk[AheadSize];
        const ssize_t n = ::read(fd_, junk, sizeof junk);
        if (n < 0 && errno != EAGAIN && errno != EINTR)
            return false;
        if (n > 0) {
            lastByte_ = Clock::now();
            drained += static_cast<int>(n);
        }
        const auto now = Clock::now();
        const auto quietUntil = lastByte_ + quiet;
        if (now >= quietUntil)
            return true;
        if (now >= limit || drained > byteLimit)
            return false;
        const auto wait = std::chrono::duration_cast<std::chrono::milliseconds>(std::min(quietUntil, limit) - now);
        pollfd pfd { fd_, POLLIN, 0 };
        const int r = ::poll(&pfd, 1, static_cast<int>(wait.count()) + 1);
        if (r < 0 && errno != EINTR)
            return false;
        if (r > 0 && (pfd.revents & (POLLERR | POLLNVAL)))
            return false;
        if (r > 0 && (pfd.revents & POLLHUP) && !(pfd.revents & POLLIN))
            return false;
    }
}

bool SerialPort::Close()
{
    if (fd_ < 0)
        return false;
    ::tcflush(fd_, TCIOFLUSH);
    aheadBegin_ = aheadEnd_ = 0;
    wrote_ = false;
    lastByte_ = {};
    ::ioctl(fd_, TIOCNXCL);
    const bool ok = ::close(fd_) == 0;
    fd_ = -1;
    path_.clear();
    baud_ = 0;
    return ok;
}

bool SerialPort::SetDtr(bool on)
{
    if (fd_ < 0 || !modemLines_)
        return false;
    int bits = TIOCM_DTR;
    return ::ioctl(fd_, on ? TIOCMBIS : TIOCMBIC, &bits) == 0;
}

bool SerialPort::ReadCts(bool& cts)
{
    cts = false;
    if (fd_ < 0 || !modemLines_)
        return false;
    int bits = 0;
    if (::ioctl(fd_, TIOCMGET, &bits) != 0)
        return false;
    cts = (bits & TIOCM_CTS) != 0;
    return true;
}

} // namespace platform

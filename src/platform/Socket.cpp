#include "platform/Socket.h"

#include <arpa/inet.h>
#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace platform {

namespace {

int Fail(int err)
{
    errno = err;
    return err;
}

bool SetNonBlocking(int fd, bool on)
{
    int flags = fcntl(fd, F_GETFL, 0);
    if (flags < 0)
        return false;
    flags = on ? (flags | O_NONBLOCK) : (flags & ~O_NONBLOCK);
    return fcntl(fd, F_SETFL, flags) == 0;
}

// poll() on one descriptor, restarted after EINTR with the time that is left.
int PollOne(int fd, short events, int timeoutMs, short& revents)
{
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs < 0 ? 0 : timeoutMs);
    for (;;) {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left < 0)
            left = 0;
        pollfd p{fd, events, 0};
        int n = poll(&p, 1, static_cast<int>(left));
        if (n < 0 && errno == EINTR)
            continue;
        revents = p.revents;
        return n;
    }
}

} // namespace

int SocketCreate(bool udp)
{
    int fd = socket(AF_INET, (udp ? SOCK_DGRAM : SOCK_STREAM) | SOCK_CLOEXEC, 0);
    if (fd >= 0 && !udp) {
        int one = 1;
        setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    }
    return fd;
}

bool IsDottedAddress(const std::string& text)
{
    in_addr a{};
    return inet_pton(AF_INET, text.c_str(), &a) == 1;
}

int SocketConnect(int fd, const std::string& ip, int port, int timeoutMs)
{
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(static_cast<uint16_t>(port));
    if (port < 0 || port > 65535 || inet_pton(AF_INET, ip.c_str(), &addr.sin_addr) != 1)
        return Fail(EADDRNOTAVAIL);
    if (!SetNonBlocking(fd, true))
        return Fail(errno);
    int rc = connect(fd, reinterpret_cast<const sockaddr*>(&addr), sizeof addr);
    int err = 0;
    if (rc != 0) {
        if (errno != EINPROGRESS && errno != EINTR)
            return Fail(errno);
        short revents = 0;
        int n = PollOne(fd, POLLOUT, timeoutMs, revents);
        if (n < 0)
            return Fail(errno);
        if (n == 0)
            return Fail(ETIMEDOUT);
        socklen_t len = sizeof err;
        if (getsockopt(fd, SOL_SOCKET, SO_ERROR, &err, &len) != 0)
            return Fail(errno);
        if (err != 0)
            return Fail(err);
    }
    if (!SetNonBlocking(fd, false))
        return Fail(errno);
    return 0;
}

SocketWait SocketWaitReady(int fd, bool forWrite, int timeoutMs, int& err)
{
    err = 0;
    short revents = 0;
    int n = PollOne(fd, forWrite ? POLLOUT : POLLIN, timeoutMs, revents);
    if (n < 0) {
        err = errno;
        return SocketWait::Error;
    }
    if (n == 0)
        return SocketWait::Timeout;
    if (revents & POLLNVAL) {
        err = EBADF;
        errno = err;
        return SocketWait::Error;
    }
    // POLLERR/POLLHUP: the following send or recv reports the cause.
    return SocketWait::Ready;
}

ssize_t SocketSend(int fd, const void* data, size_t count, SendMode mode)
{
    const int flags = MSG_NOSIGNAL | (mode == SendNow ? MSG_DONTWAIT : 0);
    ssize_t n;
    do {
        n = send(fd, data, count, flags);
    } while (n < 0 && errno == EINTR);
    return n;
}

ssize_t SocketRecv(int fd, void* data, size_t count)
{
    ssize_t n;
    do {
        n = recv(fd, data, count, 0);
    } while (n < 0 && errno == EINTR);
    return n;
}

bool SocketDiscardPending(int fd)
{
    // Bounded, so that a peer that keeps sending cannot hold the caller here.
    constexpr int MaxChunks = 128;
    unsigned char scratch[512];
    for (int i = 0; i < MaxChunks; ++i) {
        if (recv(fd, scratch, sizeof scratch, MSG_DONTWAIT) <= 0)
            return true;
    }
    return false;
}

void SocketClose(int fd)
{
    if (fd >= 0)
        close(fd);
}

} // namespace platform

// Client sockets: refusal and bad addresses as errno values, sending to a reset peer without
// SIGPIPE, and the readiness wait.

#include "platform/Socket.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <cerrno>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>

namespace {

// A loopback TCP socket bound to an ephemeral port; listening when asked.
int BoundSocket(bool listening, int& port)
{
    int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof addr;
    bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
    getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len);
    if (listening)
        listen(fd, 4);
    port = ntohs(addr.sin_port);
    return fd;
}

} // namespace

TEST(NetSocket, ConnectFailuresGiveTheirErrno)
{
    int port = 0;
    int closed = BoundSocket(false, port);
    int fd = platform::SocketCreate(false);
    ASSERT_GE(fd, 0);
    EXPECT_EQ(platform::SocketConnect(fd, "127.0.0.1", port, 5000), ECONNREFUSED);
    EXPECT_EQ(errno, ECONNREFUSED);
    platform::SocketClose(fd);

    fd = platform::SocketCreate(false);
    EXPECT_EQ(platform::SocketConnect(fd, "not-an-address", port, 5000), EADDRNOTAVAIL);
    platform::SocketClose(fd);
    close(closed);

    EXPECT_TRUE(platform::IsDottedAddress("10.0.0.1"));
    EXPECT_FALSE(platform::IsDottedAddress("10.0.0"));
    EXPECT_FALSE(platform::IsDottedAddress("Local gateway"));
}

TEST(NetSocket, SendToResetPeerFailsWithoutSignal)
{
    int port = 0;
    int server = BoundSocket(true, port);
    int fd = platform::SocketCreate(false);
    ASSERT_EQ(platform::SocketConnect(fd, "127.0.0.1", port, 5000), 0);
    int peer = accept(server, nullptr, nullptr);
    ASSERT_GE(peer, 0);

    int err = 0;
    EXPECT_EQ(platform::SocketWaitReady(fd, false, 0, err), platform::SocketWait::Timeout);

    linger hardClose{1, 0}; // reset instead of an orderly close
    setsockopt(peer, SOL_SOCKET, SO_LINGER, &hardClose, sizeof hardClose);
    close(peer);
    ASSERT_EQ(platform::SocketWaitReady(fd, false, 5000, err), platform::SocketWait::Ready);

    // Sending to the reset connection: an error, never SIGPIPE (which would end this test).
    const char bytes[64] = {};
    ssize_t n = 0;
    for (int i = 0; i < 3 && n >= 0; ++i)
        n = platform::SocketSend(fd, bytes, sizeof bytes);
    EXPECT_LT(n, 0);
    EXPECT_TRUE(errno == EPIPE || errno == ECONNRESET) << errno;
    platform::SocketClose(fd);
    close(server);
}

TEST(NetSocket, DiscardPendingTellsWhetherTheStreamWasDrained)
{
    int fds[2];
    ASSERT_EQ(socketpair(AF_UNIX, SOCK_STREAM, 0, fds), 0);
    int big = 1 << 20;
    setsockopt(fds[0], SOL_SOCKET, SO_SNDBUF, &big, sizeof big);
    setsockopt(fds[1], SOL_SOCKET, SO_RCVBUF, &big, sizeof big);
    const std::vector<char> bytes(100, 'x');
    ASSERT_EQ(send(fds[0], bytes.data(), bytes.size(), 0), 100);
    EXPECT_TRUE(platform::SocketDiscardPending(fds[1]));
    const std::vector<char> flood(80 * 1024, 'y');
    ASSERT_EQ(send(fds[0], flood.data(), flood.size(), MSG_DONTWAIT), ssize_t(flood.size()));
    EXPECT_FALSE(platform::SocketDiscardPending(fds[1])); // more than it may discard
    EXPECT_TRUE(platform::SocketDiscardPending(fds[1]));  // the rest
    close(fds[0]);
    close(fds[1]);
}

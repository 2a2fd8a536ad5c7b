#include "platform/Udpsocket.h"

#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace platform {

namespace {

int Result(int r) { return r == 0 ? 0 : errno; }

} // namespace

int UdpSocket::Open()
{
    Close();
    fd_ = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    return fd_ >= 0 ? 0 : errno;
}

int UdpSocket::EnableBroadcast()
{
    const int one = 1;
    return Result(setsockopt(fd_, SOL_SOCKET, SO_BROADCAST, &one, sizeof one));
}

int UdpSocket::EnablePacketInfo()
{
    const int one = 1;
    return Result(setsockopt(fd_, IPPROTO_IP, IP_PKTINFO, &one, sizeof one));
}

int UdpSocket::Bind(int port)
{
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_ANY);
    a.sin_port = htons(static_cast<uint16_t>(port));
    return Result(bind(fd_, reinterpret_cast<const sockaddr*>(&a), sizeof a));
}

int UdpSocket::LocalPort() const
{
    sockaddr_in a{};
    socklen_t len = sizeof a;
    if (fd_ < 0 || getsockname(fd_, reinterpret_cast<sockaddr*>(&a), &len) != 0)
        return 0;
    return ntohs(a.sin_port);
}

SocketWait UdpSocket::WaitReadable(int timeoutMs, int& err) const
{
    return SocketWaitReady(fd_, false, timeoutMs, err);
}

ssize_t UdpSocket::Receive(void* data, size_t capacity, DatagramSource& from)
{
    sockaddr_in sender{};
    iovec io{data, capacity};
    alignas(cmsghdr) char control[CMSG_SPACE(sizeof(in_pktinfo))];
    msghdr msg{};
    msg.msg_name = &sender;
    msg.msg_namelen = sizeof sender;
    msg.msg_iov = &io;
    msg.msg_iovlen = 1;
    msg.msg_control = control;
    msg.msg_controllen = sizeof control;
    ssize_t n;
    do {
        n = recvmsg(fd_, &msg, 0);
    } while (n < 0 && errno == EINTR);
    if (n < 0)
        return n;
    char text[INET_ADDRSTRLEN] = {};
    inet_ntop(AF_INET, &sender.sin_addr, text, sizeof text);
    from.address = text;
    from.port = ntohs(sender.sin_port);
    from.interfaceIndex = 0;
    for (cmsghdr* c = CMSG_FIRSTHDR(&msg); c; c = CMSG_NXTHDR(&msg, c))
        if (c->cmsg_level == IPPROTO_IP && c->cmsg_type == IP_PKTINFO) {
            in_pktinfo info;
            std::memcpy(&info, CMSG_DATA(c), sizeof info);
            from.interfaceIndex = info.ipi_ifindex;
        }
    return n;
}

ssize_t UdpSocket::Send(const void* data, size_t length, const std::string& address, int port,
                        int interfaceIndex)
{
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(static_cast<uint16_t>(port));
    if (inet_pton(AF_INET, address.c_str(), &to.sin_addr) != 1) {
        errno = EADDRNOTAVAIL;
        return -1;
    }
    iovec io{const_cast<void*>(data), length};
    alignas(cmsghdr) char control[CMSG_SPACE(sizeof(in_pktinfo))] = {};
    msghdr msg{};
    msg.msg_name = &to;
    msg.msg_namelen = sizeof to;
    msg.msg_iov = &io;
    msg.msg_iovlen = 1;
    if (interfaceIndex > 0) {
        msg.msg_control = control;
        msg.msg_controllen = sizeof control;
        cmsghdr* c = CMSG_FIRSTHDR(&msg);
        c->cmsg_level = IPPROTO_IP;
        c->cmsg_type = IP_PKTINFO;
        c->cmsg_len = CMSG_LEN(sizeof(in_pktinfo));
        in_pktinfo info{};
        info.ipi_ifindex = interfaceIndex;
        std::memcpy(CMSG_DATA(c), &info, sizeof info);
    }
    ssize_t n;
    do {
        n = sendmsg(fd_, &msg, MSG_NOSIGNAL);
    } while (n < 0 && errno == EINTR);
    return n;
}

void UdpSocket::Close()
{
    if (fd_ >= 0)
        close(fd_);
    fd_ = -1;
}

} // namespace platform

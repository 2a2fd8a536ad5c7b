#pragma once
// An IPv4 datagram socket for a small server: bound to a port on every local address, told on
// each datagram which interface it came in on (IP_PKTINFO), and able to send out on that same
// interface, which a broadcast needs where no default route exists. Calls that can fail return
// the errno value (0 on success) and leave errno set to it.

#include "platform/Socket.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <sys/types.h>

namespace platform {

struct DatagramSource {
    std::string address; // dotted sender address
    int port = 0;
    int interfaceIndex = 0; // 0 when unknown
};

class UdpSocket {
public:
    UdpSocket() = default;
    ~UdpSocket() { Close(); }
    UdpSocket(const UdpSocket&) = delete;
    UdpSocket& operator=(const UdpSocket&) = delete;

    int Open();
    bool IsOpen() const { return fd_ >= 0; }
    int EnableBroadcast();
    int EnablePacketInfo();
    // Binds to port on any local address (0 picks a free port).
    int Bind(int port);
    // The bound port, or 0.
    int LocalPort() const;
    SocketWait WaitReadable(int timeoutMs, int& err) const;
    // One datagram; its length, or -1 with errno set.
    ssize_t Receive(void* data, size_t capacity, DatagramSource& from);
    // Sends to the dotted address and port, out of the interface given (0: as routed). The
    // bytes sent, or -1 with errno set.
    ssize_t Send(const void* data, size_t length, const std::string& address, int port, int interfaceIndex);
    void Close();

private:
    int fd_ = -1;
};

} // namespace platform

// Two network transactions whose replies come from the input over a local socket pair (a stream
// as over TCP, or datagrams as over UDP). First byte: bit 0 = datagrams. Datagrams are the rest
// of the input cut into pieces, each led by its length byte.
#include "fuzz/Fuzzcheck.h"
#include "link/Ostrabus.h"

#include <cstdint>
#include <sys/socket.h>
#include <unistd.h>

namespace {

class ScriptedNetBus : public COstraBus {
public:
    void Attach(int fd, bool udp)
    {
        socket_ = fd;
        udp_ = udp;
        portList_.clear(); // a networked unit
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1 || size > 8192)
        return 0;
    const bool udp = data[0] & 1;
    int fds[2];
    if (socketpair(AF_UNIX, udp ? SOCK_DGRAM : SOCK_STREAM, 0, fds) != 0)
        return 0;
    int big = 1 << 20;
    setsockopt(fds[1], SOL_SOCKET, SO_SNDBUF, &big, sizeof big);
    setsockopt(fds[0], SOL_SOCKET, SO_RCVBUF, &big, sizeof big);
    if (udp) {
        for (size_t at = 1; at < size;) {
            const size_t n = std::min<size_t>(data[at], size - at - 1);
            send(fds[1], data + at + 1, n, MSG_DONTWAIT);
            at += 1 + n;
        }
    } else if (size > 1) {
        send(fds[1], data + 1, size - 1, MSG_DONTWAIT);
    }
    ScriptedNetBus bus;
    bus.SetNetworkTimeout(0); // every byte is there already: never wait
    bus.Attach(fds[0], udp);
    for (int command : { 128, 5 }) {
        if (!bus.HasSocket())
            break;
        bus.AppendByte(1);
        const int rc = bus.Transact(command);
        FUZZ_CHECK(rc <= 0 || (command >= 1 && command <= 127));
        FUZZ_CHECK(bus.ReplyLength() >= 0 && bus.ReplyLength() <= COstraBus::BufferSize);
        if (rc < 0)
            FUZZ_CHECK(bus.ReplyLength() == 0);
    }
    // A dropped link has closed its socket already.
    if (bus.HasSocket())
        close(fds[0]);
    close(fds[1]);
    return 0;
}

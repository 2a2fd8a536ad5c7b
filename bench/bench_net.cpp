// The network link against the floor the system calls set: the link's own transaction next to a
// plain blocking send/receive loop of the same request bytes, on the same connection to the same
// server, a separate orrery-simunit process on loopback. TCP and UDP, to its gateway (a port
// opened on it) and to its networked unit. The two loops run interleaved in blocks, the order
// swapped from pair to pair, and the median of the block ratios (plain time / link time, so 1.0
// is the floor) is printed for each combination beside the goal.

#include "link/Modbusframe.h"
#include "link/Ostrabus.h"
#include "simunit/Simunit.h"
#include "Simchild.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fcntl.h>
#include <string>
#include <sys/socket.h>
#include <vector>

namespace {

constexpr int BlockTransactions = 200;
constexpr int BlockPairs = 101;
constexpr int WarmUpTransactions = 200;
constexpr double GoalRatio = 0.9;
constexpr int NetworkUnitId = 1;
constexpr int Command = simunit::SimUnit::IdentifyCommand;

using Clock = std::chrono::steady_clock;

// The link, with its connection reachable so the plain loop can use the very same socket.
class LinkUnderTest : public COstraBus {
public:
    int Fd() const { return socket_; }
};

// One plain exchange on a blocking socket: send the frame, receive the reply whole (over TCP
// the header, then the length it announces). False on any failure.
bool PlainExchange(int fd, bool udp, const uint8_t* frame, int size, uint8_t* reply)
{
    if (send(fd, frame, static_cast<size_t>(size), MSG_NOSIGNAL) != size)
        return false;
    if (udp)
        return recv(fd, reply, modbusframe::MaxFrameSize, 0) > modbusframe::HeaderSize;
    int got = 0;
    int want = modbusframe::HeaderSize;
    while (got < want) {
        const ssize_t n = recv(fd, reply + got, static_cast<size_t>(modbusframe::MaxFrameSize - got), 0);
        if (n <= 0)
            return false;
        got += static_cast<int>(n);
        if (want == modbusframe::HeaderSize && got >= modbusframe::HeaderSize)
            want += modbusframe::LengthField(reply);
    }
    return true;
}

struct Combination {
    const char* name;
    bool gateway;
    bool udp;
};

// The median of plain/link block-time ratios, or a negative value with the reason in error.
double MedianRatio(const benchsupport::SimUnitProcess& server, const Combination& c, std::string& error)
{
    LinkUnderTest link;
    link.SetNetworkTimeout(5000);
    const int port = c.gateway ? server.GatewayPort() : server.NetworkUnitPort();
    if (link.SetSite("Local gateway") != 0 || link.ConnectNetwork(port, NetworkUnitId, c.udp) != 0
        || link.OpenPort("COM1", 9600, 500, simunit::SimUnit::DefaultAddress) != 0
        || link.IsGateway() != c.gateway) {
        error = std::string(c.name) + ": cannot connect: " + link.LastError();
        return -1;
    }

    // The plain loop sends what the link sends for the same command.
    uint8_t frame[modbusframe::MaxFrameSize];
    uint8_t reply[modbusframe::MaxFrameSize];
    const uint8_t unitId = c.gateway ? 0 : NetworkUnitId;
    const int size = modbusframe::BuildRequest(frame, sizeof frame, unitId, Command, nullptr, 0, 1);
    const int fd = link.Fd();
    const int flags = fcntl(fd, F_GETFL, 0);

    auto linkBlock = [&](int count) {
        const auto start = Clock::now();
        for (int i = 0; i < count; ++i)
            if (link.Transact(Command) != 0)
                return -1.0;
        benchmark::DoNotOptimize(link.ReplyLength());
        return std::chrono::duration<double>(Clock::now() - start).count();
    };
    auto plainBlock = [&](int count) {
        fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
        const auto start = Clock::now();
        bool ok = true;
        for (int i = 0; i < count && ok; ++i)
            ok = PlainExchange(fd, c.udp, frame, size, reply);
        benchmark::DoNotOptimize(reply[modbusframe::HeaderSize]);
        const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
        fcntl(fd, F_SETFL, flags);
        return ok ? seconds : -1.0;
    };

    if (linkBlock(WarmUpTransactions) < 0 || plainBlock(WarmUpTransactions) < 0) {
        error = std::string(c.name) + ": warm-up failed: " + link.LastError();
        return -1;
    }
    std::vector<double> ratios;
    for (int pair = 0; pair < BlockPairs; ++pair) {
        double linkSeconds, plainSeconds;
        if (pair % 2 == 0) {
            linkSeconds = linkBlock(BlockTransactions);
            plainSeconds = plainBlock(BlockTransactions);
        } else {
            plainSeconds = plainBlock(BlockTransactions);
            linkSeconds = linkBlock(BlockTransactions);
        }
        if (linkSeconds <= 0 || plainSeconds <= 0) {
            error = std::string(c.name) + ": a transaction failed: " + link.LastError();
            return -1;
        }
        ratios.push_back(plainSeconds / linkSeconds);
    }
    std::sort(ratios.begin(), ratios.end());
    return ratios[ratios.size() / 2];
}

} // namespace

int main()
{
    benchsupport::SimUnitProcess server;
    std::string error;
    if (!server.Start({"--gateway", "0", "--network-unit", "0"}, error)) {
        std::fprintf(stderr, "bench_net: %s\n", error.c_str());
        return 1;
    }
    const Combination combinations[] = {
        {"TCP to the gateway", true, false},
        {"UDP to the gateway", true, true},
        {"TCP to the networked unit", false, false},
        {"UDP to the networked unit", false, true},
    };
    std::printf("Network link against a plain blocking send/receive loop (orrery-simunit on loopback)\n");
    std::printf("  %d pairs of interleaved blocks of %d transactions, median of plain/link time\n", BlockPairs,
                BlockTransactions);
    int failures = 0;
    for (const auto& c : combinations) {
        const double ratio = MedianRatio(server, c, error);
        if (ratio < 0) {
            std::fprintf(stderr, "bench_net: %s\n", error.c_str());
            ++failures;
            continue;
        }
        std::printf("  %-28s %5.2fx   goal >= %.1fx\n", c.name, ratio, GoalRatio);
    }
    return failures == 0 ? 0 : 1;
}

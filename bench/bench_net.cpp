// Transactions per second to the simulated gateway over loopback TCP: the link's own transaction
// next to a plain blocking send/receive loop of the same bytes against the same server, which is
// the floor the system calls set. The ratio of the two is printed at the end.

#include "link/Modbusframe.h"
#include "link/Ostrabus.h"
#include "simunit/Simgateway.h"
#include "simunit/Simunit.h"

#include <benchmark/benchmark.h>

#include <arpa/inet.h>
#include <cstdio>
#include <map>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <string>
#include <sys/socket.h>
#include <unistd.h>

namespace {

using simunit::SimGateway;

struct Server {
    simunit::SimUnit unit{2};
    SimGateway gateway{SimGateway::Role::Gateway};
    Server()
    {
        gateway.AddPort("COM1", unit.Address(), SimGateway::AnswerFrom(unit));
        gateway.Start(0);
    }
};

Server& TheServer()
{
    static Server server;
    return server;
}

void BM_LinkTransact(benchmark::State& state)
{
    COstraBus bus;
    if (bus.SetSite("Local gateway") != 0 || bus.ConnectNetwork(TheServer().gateway.Port(), 0, false) != 0
        || bus.OpenPort("COM1", 9600, 500, 2) != 0) {
        state.SkipWithError(bus.LastError().c_str());
        return;
    }
    for (auto _ : state) {
        if (bus.Transact(simunit::SimUnit::IdentifyCommand) != 0) {
            state.SkipWithError(bus.LastError().c_str());
            break;
        }
        benchmark::DoNotOptimize(bus.ReplyLength());
    }
    state.SetItemsProcessed(state.iterations());
}

// The same request bytes, sent and answered with bare blocking calls.
void BM_PlainSocketLoop(benchmark::State& state)
{
    // Open the port first through the link's own frames, on this connection.
    int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = htons(static_cast<uint16_t>(TheServer().gateway.Port()));
    int one = 1;
    setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    if (connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
        state.SkipWithError("connect failed");
        close(fd);
        return;
    }
    uint8_t reply[modbusframe::MaxFrameSize];
    auto exchange = [&](const uint8_t* frame, int size) {
        if (send(fd, frame, static_cast<size_t>(size), MSG_NOSIGNAL) != size)
            return false;
        int got = 0, want = modbusframe::HeaderSize;
        while (got < want) {
            ssize_t n = recv(fd, reply + got, static_cast<size_t>(want - got), 0);
            if (n <= 0)
                return false;
            got += static_cast<int>(n);
            if (got == modbusframe::HeaderSize)
                want += modbusframe::LengthField(reply);
        }
        return reply[7] != modbusframe::FunctionException;
    };
    uint8_t open[64];
    const uint8_t openData[] = {3, 0x80, 0x25, 0, 0, 0xF4, 1, 0, 0, 2, 0, 0, 0, 'C', 'O', 'M', '1', 0};
    const int openSize = modbusframe::BuildRequest(open, sizeof open, 0, 0, openData, sizeof openData);
    uint8_t frame[64];
    const int size = modbusframe::BuildRequest(frame, sizeof frame, 0, simunit::SimUnit::IdentifyCommand, nullptr, 0);
    if (!exchange(open, openSize)) {
        state.SkipWithError("open port failed");
        close(fd);
        return;
    }
    for (auto _ : state) {
        if (!exchange(frame, size)) {
            state.SkipWithError("exchange failed");
            break;
        }
        benchmark::DoNotOptimize(reply[10]);
    }
    state.SetItemsProcessed(state.iterations());
    close(fd);
}

// Wall-clock rates: the waits on the peer are the point.
BENCHMARK(BM_LinkTransact)->MinTime(1.0)->UseRealTime();
BENCHMARK(BM_PlainSocketLoop)->MinTime(1.0)->UseRealTime();

// Console output as usual, and the rates kept for the ratio.
class RateReporter : public benchmark::ConsoleReporter {
public:
    std::map<std::string, double> rates;
    void ReportRuns(const std::vector<Run>& runs) override
    {
        for (const auto& r : runs) {
            auto it = r.counters.find("items_per_second");
            if (it != r.counters.end())
                rates[r.run_name.function_name] = it->second;
        }
        ConsoleReporter::ReportRuns(runs);
    }
};

} // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    RateReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    const double link = reporter.rates["BM_LinkTransact"];
    const double plain = reporter.rates["BM_PlainSocketLoop"];
    if (link > 0 && plain > 0)
        std::printf("link %.0f/s, plain loop %.0f/s: the link runs at %.2f of the floor\n", link, plain,
                    link / plain);
    benchmark::Shutdown();
    return 0;
}

// Transactions per second over a pseudo-terminal against the simulated unit, and the CPU time
// the link itself spends per transaction (the calling thread's CPU clock; the process clock,
// which also counts the in-process unit, is reported beside it).
#include "link/Ostrabus.h"
#include "simunit/Simserial.h"
#include "simunit/Simunit.h"

#include <benchmark/benchmark.h>

#include <ctime>

namespace {

double CpuSeconds(clockid_t clock)
{
    timespec ts {};
    clock_gettime(clock, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}

void RunTransactions(benchmark::State& state, int command, int requestBytes)
{
    simunit::SimUnit unit;
    unit.Register(20, [](const std::vector<uint8_t>& d, std::vector<uint8_t>& r) {
        r = { 0 };
        r.insert(r.end(), d.begin(), d.end());
        return true;
    });
    simunit::SimSerialServer server(unit);
    std::string error;
    if (!server.Start(&error)) {
        state.SkipWithError(error.c_str());
        return;
    }
    COstraBus bus;
    if (bus.OpenPort(server.PtyPath(), 57600, 500, simunit::SimUnit::DefaultAddress) != 0) {
        state.SkipWithError(bus.LastError().c_str());
        return;
    }
    std::vector<uint8_t> request(static_cast<size_t>(requestBytes), 0x5A);
    int failures = 0;
    const double thread0 = CpuSeconds(CLOCK_THREAD_CPUTIME_ID);
    const double process0 = CpuSeconds(CLOCK_PROCESS_CPUTIME_ID);
    for (auto _ : state) {
        bus.AppendBytes(request.data(), requestBytes);
        if (bus.Transact(command) < 0)
            ++failures;
        benchmark::DoNotOptimize(bus.ReplyLength());
    }
    const double n = static_cast<double>(state.iterations());
    state.counters["transactions_per_s"] = benchmark::Counter(n, benchmark::Counter::kIsRate);
    state.counters["link_cpu_us_per_tx"] = (CpuSeconds(CLOCK_THREAD_CPUTIME_ID) - thread0) * 1e6 / n;
    state.counters["process_cpu_us_per_tx"] = (CpuSeconds(CLOCK_PROCESS_CPUTIME_ID) - process0) * 1e6 / n;
    state.counters["failures"] = failures;
}

void BM_IdentifyOverPty(benchmark::State& state) { RunTransactions(state, 128, 0); }
void BM_EchoOverPty(benchmark::State& state) { RunTransactions(state, 20, static_cast<int>(state.range(0))); }

} // namespace

BENCHMARK(BM_IdentifyOverPty)->UseRealTime();
BENCHMARK(BM_EchoOverPty)->Arg(6)->Arg(64)->Arg(255)->UseRealTime();

BENCHMARK_MAIN();

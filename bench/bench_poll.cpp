// One poll of the main window (readings update and the refresh it triggers) in demo mode, starting
// from an empty history and from a full one of 100,000 samples; and, apart, the first poll after
// the history was cleared, which repaints in full. Offscreen.

#include "device/Data.h"
#include "panel/Orrery.h"
#include "panel/ui/Main.h"

#include <QApplication>
#include <benchmark/benchmark.h>
#include <cstdlib>

namespace {

void Poll(benchmark::State& state, int historySize, bool clearEachTime)
{
    CData data;
    TMainForm form;
    form.SetData(&data);
    for (int i = 0; i < historySize; ++i)
        data.Add();
    for (auto _ : state) {
        if (clearEachTime) {
            state.PauseTiming();
            data.Clear();
            state.ResumeTiming();
        }
        benchmark::DoNotOptimize(form.UpdateReadings());
    }
    state.counters["history"] = data.Count();
}

void BM_PollEmptyHistory(benchmark::State& state) { Poll(state, 0, false); }
void BM_PollFullHistory(benchmark::State& state) { Poll(state, 100000, false); }
void BM_PollFirstAfterClear(benchmark::State& state) { Poll(state, 0, true); }

BENCHMARK(BM_PollEmptyHistory);
BENCHMARK(BM_PollFullHistory);
BENCHMARK(BM_PollFirstAfterClear);

} // namespace

int main(int argc, char** argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    setenv("ORRERY_SETTINGS_FILE", "/tmp/orrery-bench-poll-settings.ini", 0);
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

// The readings update of the main window in demo mode (no link, the window never shown, nothing
// painted to a screen): from an empty history and from a full one of 100,000 samples; and,
// apart, the first update after the history was cleared, which redraws in full. The poll as the
// running program makes it is measured by bench_realpoll.

#include "device/Data.h"
#include "panel/Orrery.h"
#include "panel/ui/Main.h"
#include "service/ui/Mainserviceside.h"

#include <QApplication>
#include <benchmark/benchmark.h>
#include <cstdlib>

namespace {

void Poll(benchmark::State& state, int historySize, bool clearEachTime)
{
    CData data;
    TMainForm form;
    TMainServiceSide side(form); // the main window as the program makes it
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

void BM_DemoReadingsUpdateEmptyHistory(benchmark::State& state) { Poll(state, 0, false); }
void BM_DemoReadingsUpdateFullHistory(benchmark::State& state) { Poll(state, 100000, false); }
void BM_DemoReadingsUpdateFirstAfterClear(benchmark::State& state) { Poll(state, 0, true); }

BENCHMARK(BM_DemoReadingsUpdateEmptyHistory);
BENCHMARK(BM_DemoReadingsUpdateFullHistory);
BENCHMARK(BM_DemoReadingsUpdateFirstAfterClear);

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

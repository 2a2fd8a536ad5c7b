// Costs of the device model: one sample added to a full history (must not grow with the
// history), the inverse plus forward network model per call, and a 32 x 32 grid of tuning steps.

#include "device/Data.h"
#include "device/Netmodel.h"
#include "device/Unitstate.h"

#include <benchmark/benchmark.h>

namespace {

int64_t g_tick = 0;
int64_t Tick() { return ++g_tick; }

// Per-sample cost of CData::Add across 1,000,000 adds, the history full (and dropping every
// 500) for all but the first 100,000. Reported per add.
void BM_DataAddAtCap(benchmark::State& state)
{
    for (auto _ : state) {
        CData data(&Tick);
        for (int i = 0; i < 1000000; ++i) {
            data.Latest().SetValue(1, i);
            benchmark::DoNotOptimize(data.Add());
        }
        benchmark::DoNotOptimize(data.Count());
    }
    state.SetItemsProcessed(state.iterations() * 1000000);
}
BENCHMARK(BM_DataAddAtCap)->Unit(benchmark::kMillisecond);

// The same cost measured only while the history is full: compare with the filling phase.
void BM_DataAddWhileFull(benchmark::State& state)
{
    CData data(&Tick);
    for (int i = 0; i < CDataMem::MaxRecords; ++i)
        data.Add();
    for (auto _ : state)
        benchmark::DoNotOptimize(data.Add());
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_DataAddWhileFull);

void BM_DataAddWhileFilling(benchmark::State& state)
{
    CData data(&Tick);
    for (auto _ : state) {
        if (data.Count() >= CDataMem::MaxRecords - 1) {
            state.PauseTiming();
            data.Clear();
            state.ResumeTiming();
        }
        benchmark::DoNotOptimize(data.Add());
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_DataAddWhileFilling);

class BenchUnit : public CUnitState {
public:
    explicit BenchUnit(int type)
    {
        model_.modelType = type;
        model_.tlsh = 600;
        for (int c = 0; c < 2; ++c) {
            caps_[c].cMin = 2;
            caps_[c].cMax = 5000;
        }
    }
};

void BM_SolveCapsAndImpedance(benchmark::State& state)
{
    const BenchUnit unit(static_cast<int>(state.range(0)));
    double r = 5.0;
    for (auto _ : state) {
        const auto s = NetModel::SolveCaps(unit, r, 12.0);
        for (int k = 0; k < s.count; ++k)
            benchmark::DoNotOptimize(
                NetModel::Impedance(unit, r, 12.0, s.solution[k].loadPercent, s.solution[k].tunePercent));
        r = r > 45.0 ? 5.0 : r + 0.37;
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_SolveCapsAndImpedance)->Arg(0)->Arg(1);

void BM_TuneStepGrid32x32(benchmark::State& state)
{
    const BenchUnit unit(0);
    for (auto _ : state) {
        for (int i = 0; i < 32; ++i)
            for (int j = 0; j < 32; ++j) {
                const double load = i * 100.0 / 31;
                const double tune = j * 100.0 / 31;
                const auto z = NetModel::Impedance(unit, 20.0, -15.0, load, tune);
                benchmark::DoNotOptimize(NetModel::TuneStep(unit, z.r, z.x, load, tune));
            }
    }
    state.SetItemsProcessed(state.iterations() * 32 * 32);
}
BENCHMARK(BM_TuneStepGrid32x32);

} // namespace

BENCHMARK_MAIN();

// The per-poll refresh of both readings panes: value and bar items of the upper pane and the
// plot items of the lower one take one new sample, at an empty and at a full history.

#include "device/Data.h"
#include "device/Var.h"
#include "panel/Panelist.h"
#include "panel/Panesourcemodel.h"
#include "panel/Plotview.h"
#include "panel/ui/Panelistbox.h"

#include <QApplication>
#include <benchmark/benchmark.h>
#include <cmath>
#include <cstdlib>

namespace {

constexpr int FullHistory = 100000;

void PanesPoll(benchmark::State& state)
{
    const int history = int(state.range(0));
    CVars vars;
    CData data([] { return int64_t(0); });
    CModelPaneSource source(vars, data, nullptr);
    CItemStyle style;
    CPlotView view;
    CPaneContext ctx{&source, &style, &view};
    CPaneList upper(ctx), lower(ctx);
    TPaneListBox upperBox, lowerBox;
    upperBox.resize(200, 400);
    lowerBox.resize(600, 400);
    upperBox.Attach(&upper);
    lowerBox.Attach(&lower);
    for (int id : {1, 2, 3, 13, 14})
        upper.Add(CItem::Value, id);
    upper.Add(CItem::Bar, 3);
    for (int id : {1, 3, 13, 14})
        lower.Add(CItem::Plot, id);

    for (int i = 0; i < history; ++i) {
        data.Latest().SetValue(1, 50 + 10 * std::sin(i * 0.01));
        data.Add();
    }
    view.Reset();
    upper.RefreshAll(true);
    lower.RefreshAll(true);

    long long poll = 0;
    for (auto _ : state) {
        state.PauseTiming();
        ++poll;
        data.Latest().SetValue(1, 50 + 10 * std::sin(poll * 0.05));
        data.Latest().SetValue(3, 0.5 + 0.4 * std::sin(poll * 0.03));
        data.Latest().SetValue(13, double(poll % 100));
        bool dropped = data.Add();
        if (dropped) { // the store shifted: the window repaints in full then
            upper.RefreshAll(false);
            lower.RefreshAll(true);
        }
        state.ResumeTiming();

        upper.ApplyValues();
        lower.ApplyValues();
        if (lower.ApplyPlots())
            lower.RefreshPlots(false);
    }
    state.counters["history"] = double(data.Count());
    upperBox.Attach(nullptr);
    lowerBox.Attach(nullptr);
}

BENCHMARK(PanesPoll)->Arg(0)->Arg(FullHistory)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv)
{
    if (!std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

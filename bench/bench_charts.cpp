// The Smith chart and Capacitors windows and the history plot with a full history of 100,000
// samples: a full repaint of each chart with every sample in the trail, one incremental update
// (at a short and at a full history: it must not grow with the history), and a full repaint of
// the history plot's plot items and time axis at zoom 1 and at auto zoom. Offscreen.
//
// The history is what a unit tuning again and again gives: runs of about 40 samples from a
// random load to the match, then about 60 samples settled near it with a little noise.

#include "device/Data.h"
#include "device/Unitstate.h"
#include "device/Var.h"
#include "panel/Plotview.h"
#include "panel/ui/Capsdlg.h"
#include "panel/ui/Historyframe.h"
#include "panel/ui/Main.h"
#include "panel/ui/Smithdlg.h"
#include "service/ui/Mainserviceside.h"

#include <QApplication>
#include <QToolButton>
#include <benchmark/benchmark.h>
#include <cstdlib>

namespace {

constexpr int FullHistory = 100000;
constexpr int RunLength = 100;
constexpr int TuningSamples = 40;

class CRandom {
public:
    double Next(double lo, double hi)
    {
        state_ = state_ * 6364136223846793005ull + 1442695040888963407ull;
        return lo + (hi - lo) * double(state_ >> 11) / double(1ull << 53);
    }

private:
    unsigned long long state_ = 12345;
};

// One sample of the tuning history.
void NextSample(CData& data, CRandom& rnd, int i, double start[4])
{
    const int k = i % RunLength;
    if (k == 0) {
        start[0] = rnd.Next(5, 150);    // R
        start[1] = rnd.Next(-100, 100); // X
        start[2] = rnd.Next(5, 95);     // Load %
        start[3] = rnd.Next(5, 95);     // Tune %
    }
    const double f = k < TuningSamples ? 1.0 - double(k) / TuningSamples : 0.0;
    const double target[4] = {50, 0, 40, 30};
    const int ids[4] = {varid::R, varid::X, varid::LoadPosition, varid::TunePosition};
    for (int v = 0; v < 4; ++v)
        data.Latest().SetValue(ids[v], target[v] + (start[v] - target[v]) * f * f +
                                           rnd.Next(-0.3, 0.3));
    data.Add();
}

struct SHistory {
    CData data{[] { return int64_t(0); }};
    CRandom rnd;
    double start[4] = {};
    int added = 0;
    explicit SHistory(int count)
    {
        while (added < count)
            Add();
    }
    void Add() { NextSample(data, rnd, added++, start); }
};

template <class Form> void Show(Form& form, SHistory& h, CUnitState& unit)
{
    TChartForm::SLinks links;
    links.Data = &h.data;
    links.Unit = &unit;
    links.Vars = &ProgramVars();
    form.Bind(links);
    form.resize(400, 440);
    form.SetSamples(CTrail::All);
    form.ShowWindow(true);
    QCoreApplication::processEvents();
}

template <class Form> void FullRepaint(benchmark::State& state)
{
    SHistory h(FullHistory);
    CUnitState unit;
    Form form;
    Show(form, h, unit);
    for (auto _ : state)
        form.FormPaint();
    state.counters["samples"] = h.data.Count();
    state.SetLabel("goal: under 5 ms");
    form.hide();
}

template <class Form> void Incremental(benchmark::State& state)
{
    SHistory h(int(state.range(0)));
    CUnitState unit;
    Form form;
    Show(form, h, unit);
    form.SetSamples(int(state.range(1)));
    for (auto _ : state) {
        state.PauseTiming();
        const int before = h.data.Count();
        if (before >= 2 * state.range(0)) { // keep a short history short
            h.data.Clear();
            while (h.data.Count() < state.range(0))
                h.Add();
            form.FormPaint();
        }
        h.Add();
        if (h.data.Count() <= before)
            form.FormPaint(); // the store dropped its oldest: the window repaints in full then
        state.ResumeTiming();
        form.UpdateIncremental();
    }
    state.counters["samples"] = h.data.Count();
    state.SetLabel("goal: the same at 1,000 and at 100,000 samples");
    form.hide();
}

void BM_SmithFullRepaint(benchmark::State& state) { FullRepaint<TSmithForm>(state); }
void BM_CapsFullRepaint(benchmark::State& state) { FullRepaint<TCapsForm>(state); }
void BM_SmithIncremental(benchmark::State& state) { Incremental<TSmithForm>(state); }
void BM_CapsIncremental(benchmark::State& state) { Incremental<TCapsForm>(state); }

// The history plot: the lower pane's plot items and the time axis, at zoom 1 (the newest
// samples that fit) and at auto zoom (the whole history in the pane's width).
void BM_HistoryPlotFullRepaint(benchmark::State& state)
{
    const bool autoZoom = state.range(0) != 0;
    SHistory h(FullHistory);
    TMainForm form;
    TMainServiceSide side(form); // the main window as the program makes it
    form.SetData(&h.data);
    form.resize(1000, 600);
    form.show();
    QCoreApplication::processEvents();
    PlotView().Reset();
    if (autoZoom)
        form.HistoryPlot->ZoomAutoBtn->click();
    else
        PlotView().FirstIndex = FullHistory - 400;
    for (auto _ : state) {
        form.RefreshPlotPanes();
        form.RefreshPlot();
        form.HistoryPlot->TimePaintBox->repaint();
    }
    state.counters["zoom"] = PlotView().Scale;
    state.SetLabel(autoZoom ? "auto zoom; goal: under 5 ms" : "zoom 1; goal: under 5 ms");
}

BENCHMARK(BM_SmithFullRepaint)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CapsFullRepaint)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SmithIncremental)
    ->Args({1000, CTrail::All})
    ->Args({FullHistory, CTrail::All})
    ->Args({FullHistory, 100})
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_CapsIncremental)
    ->Args({1000, CTrail::All})
    ->Args({FullHistory, CTrail::All})
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_HistoryPlotFullRepaint)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    setenv("ORRERY_SETTINGS_FILE", "/tmp/orrery-bench-charts-settings.ini", 0);
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

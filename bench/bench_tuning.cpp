// The tuning model window's work: one refresh of the 32 x 32 grid (the network model and the
// tuning rule from every cell), and a full repaint of the Capacitors window with that arrow
// field. Each figure is printed beside its goal.

#include "device/Data.h"
#include "device/Unitstate.h"
#include "panel/Tuningmodel.h"
#include "panel/ui/Capsdlg.h"
#include "service/Tuninggrid.h"

#include <QApplication>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>

namespace {

// Goals in microseconds: a refresh well inside a click's response, a repaint inside one frame.
const std::map<std::string, double> GoalsUs{{"TuningGridRefresh32", 5000.0},
                                            {"CapsRepaintWithArrows32", 16000.0}};

void TuningGridRefresh32(benchmark::State& state)
{
    CUnitState unit;
    CTuningModel model;
    STuningEdits e;
    e.Size = "32";
    for (auto _ : state) {
        CTuningGrid::Refresh(unit, model, e);
        benchmark::DoNotOptimize(model.LoadSteps.data());
    }
}
BENCHMARK(TuningGridRefresh32)->Unit(benchmark::kMicrosecond);

void CapsRepaintWithArrows32(benchmark::State& state)
{
    CUnitState unit;
    CTuningModel model;
    STuningEdits e;
    e.Size = "32";
    CTuningGrid::Refresh(unit, model, e);
    model.Shown = true;
    CData data([] { return int64_t(0); });
    for (int i = 0; i < 100; ++i) {
        data.Latest().SetValue(varid::LoadPosition, 20 + i * 0.5);
        data.Latest().SetValue(varid::TunePosition, 70 - i * 0.4);
        data.Add();
    }
    TCapsForm caps;
    TChartForm::SLinks links;
    links.Data = &data;
    links.Unit = &unit;
    links.Tuning = &model;
    caps.Bind(links);
    caps.resize(400, 420);
    caps.ShowWindow(true);
    QCoreApplication::processEvents();
    for (auto _ : state)
        caps.FormPaint();
    caps.hide();
}
BENCHMARK(CapsRepaintWithArrows32)->Unit(benchmark::kMicrosecond);

// The console table, then each figure beside its goal.
class GoalReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& r : runs) {
            const std::string name = r.benchmark_name();
            const auto goal = GoalsUs.find(name);
            if (goal == GoalsUs.end() || r.iterations == 0)
                continue;
            const double us = r.GetAdjustedRealTime(); // in the benchmark's unit: microseconds
            std::printf("%-26s %10.1f us   goal: below %.0f us   %s\n", name.c_str(), us,
                        goal->second, us < goal->second ? "met" : "NOT MET");
        }
    }
};

} // namespace

int main(int argc, char** argv)
{
    if (!std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    GoalReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}

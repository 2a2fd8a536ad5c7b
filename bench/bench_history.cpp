// Sample-history files and the data logger: save and open of a full history (100,000 records),
// in records per second, and the logger's cost per record written. Each figure is printed
// beside its goal. The goal for the history files is ten times the rate of pandas' to_csv and
// read_csv on rows of the same shape, measured here when python3 with pandas is installed (or
// given as --pandas_save=N --pandas_open=N, records per second).

#include "device/Data.h"
#include "device/Datamem.h"
#include "device/Var.h"
#include "panel/Historyfile.h"
#include "panel/Logger.h"
#include "platform/Inifile.h"
#include "platform/Textfile.h"
#include "support/Logscript.h"

#include <benchmark/benchmark.h>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <unistd.h>

namespace {

constexpr int Records = 100000;
double g_pandasSave = 0; // records per second, 0 when not measured
double g_pandasOpen = 0;

std::string TempName(const char* what)
{
    return "/tmp/orrery-bench-" + std::string(what) + "-" + std::to_string(getpid()) + ".csv";
}

void FillHistory(CDataMem& history)
{
    std::mt19937 gen(1);
    std::uniform_real_distribution<double> v(-1000.0, 1000.0);
    constexpr int ids[] = {varid::R, varid::X, varid::Gamma, varid::DeliveredPower,
                           varid::CurrentRatio, varid::Current1, varid::Current2,
                           varid::ThirdCapPosition, varid::LoadPosition, varid::TunePosition,
                           varid::Temp, varid::RfPeak, varid::DcBias, varid::RfCap};
    for (int i = 0; i < Records; ++i) {
        CDataRec r;
        for (int id : ids)
            r.SetValue(id, v(gen));
        r.SetStatus(uint32_t(gen()));
        r.SetTime(int64_t(i) * 100);
        history.Append(r);
    }
}

void Goal(benchmark::State& state, double pandasRate)
{
    if (pandasRate > 0)
        state.counters["goal_records_per_s"] = 10 * pandasRate;
}

void BM_HistorySave100k(benchmark::State& state)
{
    CDataMem history;
    FillHistory(history);
    const std::string name = TempName("save");
    for (auto _ : state) {
        const std::string text = CHistoryFile::Write(history, "1.1.2026 00:00:00", "Unit SN:1 PIN:0");
        std::string error;
        if (!platform::WriteFileAtomically(name, text, error))
            state.SkipWithError(error.c_str());
    }
    std::remove(name.c_str());
    state.SetItemsProcessed(int64_t(state.iterations()) * Records);
    Goal(state, g_pandasSave);
}

void BM_HistoryOpen100k(benchmark::State& state)
{
    CDataMem history;
    FillHistory(history);
    const std::string name = TempName("open");
    {
        std::string error;
        platform::WriteFileAtomically(name, CHistoryFile::Write(history, "now", ""), error);
    }
    CData data;
    for (auto _ : state) {
        std::string text, error;
        if (!platform::ReadFileText(name, text, error, size_t(1) << 30))
            state.SkipWithError(error.c_str());
        CHistoryFile::Result r = CHistoryFile::Read(text);
        if (r.Records.size() != size_t(Records))
            state.SkipWithError("records lost");
        data.Clear();
        for (const CDataRec& rec : r.Records)
            data.AppendAsIs(rec);
    }
    std::remove(name.c_str());
    state.SetItemsProcessed(int64_t(state.iterations()) * Records);
    Goal(state, g_pandasOpen);
}

class NullWindow : public ILogWindow {
public:
    void SetLogTimer(bool, int) override {}
    void ShowFileName(const std::string&) override {}
    void ShowGauge(const std::string&, int) override {}
    void SetStatusHint(const std::string&) override {}
    void SetLogState(int) override {}
    void ShowRunning(bool) override {}
};

// One log record of the "Extended" table: the RF-on query, the live read (scripted), the line
// and its write to the file. Goal: well under the shortest log interval, 100 ms; 100 us.
void BM_LoggerRecord(benchmark::State& state)
{
    testsupport::ScriptedLogUnit unit;
    testsupport::FixedLogClock clock;
    NullWindow window;
    CVars vars;
    CLogger logger(unit, window, vars, clock);
    CLogSettings& s = logger.Settings();
    s.Path = "/tmp";
    s.Name = "orrery-bench-log-" + std::to_string(getpid());
    s.FormatSelect = CLogColumns::FormatExtended;
    s.MaxLen = CLogSettings::MaxLenLimit;
    logger.StartLogging();
    for (auto _ : state)
        logger.LogTimerTimer();
    const std::string name = logger.FileName();
    logger.StopLogging();
    std::remove(name.c_str());
    state.SetItemsProcessed(state.iterations());
    state.counters["goal_us_per_record"] = 100;
}

BENCHMARK(BM_HistorySave100k)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_HistoryOpen100k)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoggerRecord)->Unit(benchmark::kMicrosecond);

// pandas' to_csv and read_csv of 100,000 rows of the history's 17 columns, records per second.
const char* const PandasScript = R"py(
import time, numpy as np, pandas as pd, os, sys
n = 100000
rng = np.random.default_rng(1)
cols = ["Sample number", "Timestamp (ms)", "Status", "R", "X", "Gamma", "P", "Ratio", "I1", "I2",
        "3rd Cap", "Load", "Tune", "Temp", "RF peak", "DC bias", "RF cap"]
df = pd.DataFrame(rng.uniform(-1000, 1000, (n, 14)), columns=cols[3:])
df.insert(0, "Status", ["%08X" % v for v in rng.integers(0, 2**32, n)])
df.insert(0, "Timestamp (ms)", np.arange(n) * 100)
df.insert(0, "Sample number", np.arange(n))
path = sys.argv[1]
best_save = best_open = 1e9
for _ in range(3):
    t = time.perf_counter(); df.to_csv(path, index=False, float_format="%.6f"); best_save = min(best_save, time.perf_counter() - t)
    t = time.perf_counter(); pd.read_csv(path); best_open = min(best_open, time.perf_counter() - t)
os.remove(path)
print(n / best_save, n / best_open)
)py";

void MeasurePandas()
{
    const std::string script = TempName("pandas") + ".py";
    std::ofstream(script) << PandasScript;
    // The system's python first: that is where the distribution's pandas is.
    const char* python = access("/usr/bin/python3", X_OK) == 0 ? "/usr/bin/python3" : "python3";
    const std::string command =
        std::string(python) + " " + script + " " + TempName("pandas-data") + " 2>/dev/null";
    if (FILE* p = popen(command.c_str(), "r")) {
        double save = 0, open = 0;
        if (std::fscanf(p, "%lf %lf", &save, &open) == 2) {
            g_pandasSave = save;
            g_pandasOpen = open;
            std::printf("pandas: to_csv %.0f records/s, read_csv %.0f records/s\n", save, open);
        }
        pclose(p);
    }
    std::remove(script.c_str());
}

} // namespace

int main(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i) {
        if (std::strncmp(argv[i], "--pandas_save=", 14) == 0)
            g_pandasSave = std::atof(argv[i] + 14);
        else if (std::strncmp(argv[i], "--pandas_open=", 14) == 0)
            g_pandasOpen = std::atof(argv[i] + 14);
    }
    if (g_pandasSave == 0 && g_pandasOpen == 0)
        MeasurePandas();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

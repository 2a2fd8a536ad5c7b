// The poll as the running program makes it: the main window shown (offscreen platform),
// connected through the real serial link to the simulated unit (a separate orrery-simunit
// process on other cores, as a unit is other hardware) on a pseudo-terminal, the read timer at
// its shortest interval driving the polls and the event loop painting what they changed. The
// process's CPU time per poll (everything the program does for a poll, the status timer's
// ticks included) and the GUI thread's part of it, the median of five windows of 4 s, with an
// empty history and with a full one of 100,000 samples side by side, for two units:
//  - a tuned unit whose readings fluctuate from one reply to the next (the panel watching a
//    running process: every reading and plot changes on every poll, the capacitors hold);
//  - a unit tuning a load that wanders, so that its capacitors also move on nearly every poll
//    (the position edits, track bars and capacitances are drawn anew as well).

#include "device/Data.h"
#include "device/Device.h"
#include "link/ui/Connectbar.h"
#include "panel/Orrery.h"
#include "panel/ui/Main.h"
#include "Simchild.h"
#include "qtsupport/Serviceside.h" // the main window as the program makes it

#include <QApplication>
#include <QTimer>
#include <QToolButton>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr int ReadTimerMs = 100;  // the shortest interval the settings allow
constexpr int TimedPolls = 200;   // 20 s: once round the wandering load's circle
constexpr int Windows = 5;        // of 40 polls, each with four plot scrolls
constexpr int SettledPolls = 10;  // a tuned unit's capacitors held this many polls
constexpr int MaxSettlingPolls = 600;
constexpr int FullHistory = 100000;
constexpr double GoalMsPerPoll = 0.6;
constexpr double GoalFullToEmpty = 1.10;

double CpuMs(clockid_t clock)
{
    timespec ts {};
    clock_gettime(clock, &ts);
    return ts.tv_sec * 1e3 + ts.tv_nsec / 1e6;
}

double Median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

struct Workload {
    const char* name;
    std::vector<std::string> unitArgs;
    bool settle; // wait until the unit has tuned before measuring
};

struct PollCost {
    double processMs = -1;
    double guiMs = -1;
};

// The costs of a connected, shown main window whose history holds `history` samples.
PollCost MeasurePolls(const Workload& load, int history, std::string& error)
{
    PollCost cost;
    benchsupport::SimUnitProcess unit;
    if (!unit.Start(load.unitArgs, error))
        return cost;
    unit.KeepApart();
    CData data;
    auto form = std::make_unique<TMainForm>();
    form->SetData(&data);
    form->Controller()->SetVersionText("D.00");
    // The window hooks as the program installs them (the status frame asks whether the read
    // timer runs).
    form->SetForms(TMainForm::Forms{});
    form->show();
    QCoreApplication::processEvents();
    form->Controller()->Settings().BaudRate = "9600";
    form->SetPortText(unit.Path());
    form->ConnectBar->ConnectBtn()->click();
    if (!form->Device()->IsConnected() || !form->ReadTimer->isActive()) {
        error = "the simulated unit did not answer: " + form->Device()->LastError();
        return cost;
    }
    for (int i = 0; i < history; ++i)
        data.Add();

    // The read timer drives the polls; the event loop runs as in the program.
    form->SetReadTimerInterval(ReadTimerMs);
    int polls = 0;
    QObject::connect(form->ReadTimer, &QTimer::timeout, form.get(), [&] { ++polls; });
    auto runUntil = [&](int count) {
        while (polls < count)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    };
    runUntil(5);
    if (load.settle) {
        CDevice& device = *form->Device();
        double load0 = device.Position(0), tune0 = device.Position(1);
        int held = 0;
        while (held < SettledPolls && polls < MaxSettlingPolls) {
            runUntil(polls + 1);
            const bool moved = device.Position(0) != load0 || device.Position(1) != tune0;
            held = moved ? 0 : held + 1;
            load0 = device.Position(0);
            tune0 = device.Position(1);
        }
        if (held < SettledPolls) {
            error = "the simulated unit did not tune";
            return cost;
        }
    }
    // The median of a few windows: a moment's disturbance from elsewhere on the machine moves
    // one window, not the figure.
    std::vector<double> processMs, guiMs;
    for (int w = 0; w < Windows; ++w) {
        const int first = polls;
        const double processStart = CpuMs(CLOCK_PROCESS_CPUTIME_ID);
        const double guiStart = CpuMs(CLOCK_THREAD_CPUTIME_ID);
        runUntil(first + TimedPolls / Windows);
        processMs.push_back((CpuMs(CLOCK_PROCESS_CPUTIME_ID) - processStart) / (polls - first));
        guiMs.push_back((CpuMs(CLOCK_THREAD_CPUTIME_ID) - guiStart) / (polls - first));
    }
    cost.processMs = Median(processMs);
    cost.guiMs = Median(guiMs);

    // Every poll must have read a sample, or the figures measure failures.
    if (form->Controller()->ReadErrorCount() != 0 || !form->Device()->IsConnected()) {
        error = "polls failed: " + form->Device()->LastError();
        cost = PollCost{};
    }
    form->Device()->ClosePort();
    return cost;
}

void PrintRow(const char* what, double empty, double full)
{
    std::printf("  %-40s %7.3f ms %7.3f ms   %5.2f   goal <= %.1f ms, ratio <= %.2f\n", what, empty, full,
                full / empty, GoalMsPerPoll, GoalFullToEmpty);
}

} // namespace

int main(int argc, char** argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    setenv("ORRERY_SETTINGS_FILE", "/tmp/orrery-bench-realpoll-settings.ini", 0);
    QApplication app(argc, argv);
    const Workload workloads[] = {
        {"tuned unit, readings fluctuating", {"--auto-tune", "--load", "15,-10", "--noise"}, true},
        {"tuning a wandering load", {"--auto-tune", "--load", "15,-10", "--wander", "5"}, false},
    };
    std::printf("Real poll: main window shown offscreen, serial link to orrery-simunit on a pseudo-terminal,\n"
                "read timer at %d ms, CPU per poll (median of %d windows of %d polls)\n", ReadTimerMs, Windows,
                TimedPolls / Windows);
    std::printf("  %-40s %10s %10s   %5s\n", "", "empty", "full 100k", "ratio");
    int failed = 0;
    for (const Workload& load : workloads) {
        std::string error;
        const PollCost empty = MeasurePolls(load, 0, error);
        const PollCost full = empty.processMs < 0 ? PollCost{} : MeasurePolls(load, FullHistory, error);
        if (empty.processMs < 0 || full.processMs < 0) {
            std::fprintf(stderr, "bench_realpoll: %s: %s\n", load.name, error.c_str());
            ++failed;
            continue;
        }
        std::printf("  %s\n", load.name);
        PrintRow("  process", empty.processMs, full.processMs);
        PrintRow("    of which the GUI thread", empty.guiMs, full.guiMs);
    }
    return failed == 0 ? 0 : 1;
}

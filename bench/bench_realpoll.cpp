// The poll as the running program makes it: the main window shown, connected through the real serial link to the simulated unit (a separate orrery-simunit
// process on other cores, as a unit is other hardware) on a pseudo-terminal, the read timer at
// its shortest interval driving the polls and the event loop painting what they changed. The
// process's CPU time per poll (everything the program does for a poll, the status timer's
// ticks included) and the GUI thread's part of it, the median of five windows of 4 s, with an
// empty history and with a full one of 100,000 samples side by side, for two units:
//  - a tuned unit whose readings fluctuate from one reply to the next (the panel watching a
//    running process: every reading and plot changes on every poll, the capacitors hold);
//  - a unit tuning a load that wanders, so that its capacitors also move on nearly every poll
//    (the position edits, track bars and capacitances are drawn anew as well).
// Each platform in a process of its own: offscreen, and a real X server (the DISPLAY's, or an
// Xvfb the benchmark starts and stops), where the copies of what was painted to the server count
// too. The X server runs on other cores than the program, as the simulated unit does.

#include "device/Data.h"
#include "device/Device.h"
#include "link/ui/Connectbar.h"
#include "panel/Orrery.h"
#include "panel/ui/Main.h"
#include "Simchild.h"
#include "Xserver.h"
#include "service/ui/Mainserviceside.h"

#include <QApplication>
#include <QTimer>
#include <QToolButton>
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <cstring>
#include <memory>
#include <sched.h>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
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

// Moves another process off the core the calling thread is held on.
void KeepOffThisCore(pid_t pid)
{
    cpu_set_t cores;
    const int here = ::sched_getcpu();
    if (here < 0 || ::sched_getaffinity(pid, sizeof cores, &cores) != 0)
        return;
    CPU_CLR(here, &cores);
    if (CPU_COUNT(&cores) > 0)
        ::sched_setaffinity(pid, sizeof cores, &cores);
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
PollCost MeasurePolls(const Workload& load, int history, pid_t xServer, std::string& error)
{
    PollCost cost;
    benchsupport::SimUnitProcess unit;
    if (!unit.Start(load.unitArgs, error))
        return cost;
    if (unit.KeepApart() && xServer > 0)
        KeepOffThisCore(xServer);
    CData data;
    auto form = std::make_unique<TMainForm>();
    auto side = std::make_unique<TMainServiceSide>(*form); // the main window as the program makes it
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
    std::printf("    %-38s %7.3f ms %7.3f ms   %5.2f   goal <= %.1f ms, ratio <= %.2f\n", what, empty, full,
                full / empty, GoalMsPerPoll, GoalFullToEmpty);
}

const Workload Workloads[] = {
    {"tuned unit, readings fluctuating", {"--auto-tune", "--load", "15,-10", "--noise"}, true},
    {"tuning a wandering load", {"--auto-tune", "--load", "15,-10", "--wander", "5"}, false},
};

constexpr const char* MeasureOption = "--measure"; // [X server pid]: one platform, this process

// The figures on the platform QT_QPA_PLATFORM names; false when a workload failed.
bool MeasureHere(int argc, char** argv, pid_t xServer)
{
    QApplication app(argc, argv);
    bool ok = true;
    for (const Workload& load : Workloads) {
        std::string error;
        const PollCost empty = MeasurePolls(load, 0, xServer, error);
        const PollCost full =
            empty.processMs < 0 ? empty : MeasurePolls(load, FullHistory, xServer, error);
        if (empty.processMs < 0 || full.processMs < 0) {
            std::fprintf(stderr, "bench_realpoll: %s: %s\n", load.name, error.c_str());
            ok = false;
            continue;
        }
        std::printf("   %s\n", load.name);
        PrintRow("process", empty.processMs, full.processMs);
        PrintRow("  of which the GUI thread", empty.guiMs, full.guiMs);
        std::fflush(stdout);
    }
    return ok;
}

// Runs this program with MeasureOption on a platform; true when it measured every workload.
bool MeasureIn(const char* self, const std::string& platform, const std::string& display, pid_t xServer)
{
    setenv("QT_QPA_PLATFORM", platform.c_str(), 1);
    if (!display.empty())
        setenv("DISPLAY", display.c_str(), 1);
    const std::string pid = std::to_string(xServer);
    char* argv[] = {const_cast<char*>(self), const_cast<char*>(MeasureOption), const_cast<char*>(pid.c_str()),
                    nullptr};
    std::fflush(stdout);
    pid_t child = -1;
    if (posix_spawn(&child, "/proc/self/exe", nullptr, nullptr, argv, environ) != 0)
        return false;
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

} // namespace

int main(int argc, char** argv)
{
    setenv("ORRERY_SETTINGS_FILE", "/tmp/orrery-bench-realpoll-settings.ini", 0);
    if (argc >= 2 && std::strcmp(argv[1], MeasureOption) == 0)
        return MeasureHere(argc, argv, argc >= 3 ? std::atoi(argv[2]) : -1) ? 0 : 1;

    std::printf("Real poll: main window shown, serial link to orrery-simunit on a pseudo-terminal,\n"
                "read timer at %d ms, CPU per poll (median of %d windows of %d polls)\n", ReadTimerMs, Windows,
                TimedPolls / Windows);
    std::printf("    %-38s %10s %10s   %5s\n", "", "empty", "full 100k", "ratio");
    int failed = 0;
    std::printf("  offscreen\n");
    if (!MeasureIn(argv[0], "offscreen", "", -1))
        ++failed;
    benchsupport::XServer x;
    std::string error;
    if (!x.Start(error)) {
        std::fprintf(stderr, "bench_realpoll: no X server: %s\n", error.c_str());
        return 1;
    }
    std::printf("  X server %s%s\n", x.Display().c_str(), x.Pid() > 0 ? " (Xvfb, started for the benchmark)" : "");
    if (!MeasureIn(argv[0], "xcb", x.Display(), x.Pid()))
        ++failed;
    return failed == 0 ? 0 : 1;
}

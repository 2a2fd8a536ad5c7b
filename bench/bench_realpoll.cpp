// The poll as the running program makes it: the main window shown (offscreen platform),
// connected through the real serial link to the simulated unit (a separate orrery-simunit
// process, tuning itself with RF on) on a pseudo-terminal, the read timer at its shortest
// interval driving the polls and the event loop painting what they changed. Two figures, each
// with an empty history and with a full one of 100,000 samples, side by side with their ratio:
//  - the process's CPU time per poll while the read timer runs (everything the program does for
//    a poll, the status timer's ticks included);
//  - the GUI thread's CPU time per poll of polls run back to back (the poll's own cost).

#include "device/Data.h"
#include "device/Device.h"
#include "link/ui/Connectbar.h"
#include "panel/Orrery.h"
#include "panel/ui/Main.h"
#include "simunit/Simcommandset.h"
#include "simunit/Simserial.h"
#include "simunit/Simunit.h"
#include "Simchild.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <QToolButton>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <memory>

namespace {

constexpr int Polls = 2000;
constexpr int TimedPolls = 100; // at the shortest read-timer interval: 10 s
constexpr int WarmUpPolls = 50;
constexpr double GoalMsPerPoll = 0.6;
constexpr double GoalFullToEmpty = 1.10;

double CpuMs(clockid_t clock)
{
    timespec ts {};
    clock_gettime(clock, &ts);
    return ts.tv_sec * 1e3 + ts.tv_nsec / 1e6;
}

using benchsupport::SimUnitProcess;

struct PollCost {
    double timedMs = -1;     // process CPU per poll, read timer driving
    double timedGuiMs = -1;  // the GUI thread's part of it
    double backToBackMs = -1; // GUI thread CPU per poll, polls back to back
};

// The costs of a connected, shown main window whose history holds `history` samples.
PollCost MeasurePolls(int history, std::string& error)
{
    PollCost cost;
    SimUnitProcess unit;
    if (!unit.Start({"--auto-tune", "--load", "15,-10"}, error))
        return cost;
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

    // The read timer at its shortest interval drives the polls; the event loop runs as in the
    // program.
    form->SetReadTimerInterval(100);
    int polls = 0;
    QObject::connect(form->ReadTimer, &QTimer::timeout, form.get(), [&] { ++polls; });
    auto runUntil = [&](int count) {
        while (polls < count)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    };
    runUntil(5);
    const int first = polls;
    const double processStart = CpuMs(CLOCK_PROCESS_CPUTIME_ID);
    const double guiStart = CpuMs(CLOCK_THREAD_CPUTIME_ID);
    runUntil(first + TimedPolls);
    cost.timedMs = (CpuMs(CLOCK_PROCESS_CPUTIME_ID) - processStart) / (polls - first);
    cost.timedGuiMs = (CpuMs(CLOCK_THREAD_CPUTIME_ID) - guiStart) / (polls - first);

    // Back to back: the poll itself, then the painting it causes.
    form->ReadTimer->stop();
    auto poll = [&] {
        form->ReadTimerTimer();
        QCoreApplication::processEvents();
    };
    for (int i = 0; i < WarmUpPolls; ++i)
        poll();
    const double threadStart = CpuMs(CLOCK_THREAD_CPUTIME_ID);
    for (int i = 0; i < Polls; ++i)
        poll();
    cost.backToBackMs = (CpuMs(CLOCK_THREAD_CPUTIME_ID) - threadStart) / Polls;

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
    std::printf("  %-44s %7.3f ms %7.3f ms   %5.2f   goal <= %.1f ms, ratio <= %.2f\n", what, empty, full,
                full / empty, GoalMsPerPoll, GoalFullToEmpty);
}

} // namespace

int main(int argc, char** argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    setenv("ORRERY_SETTINGS_FILE", "/tmp/orrery-bench-realpoll-settings.ini", 0);
    QApplication app(argc, argv);
    std::string error;
    const PollCost empty = MeasurePolls(0, error);
    const PollCost full = empty.timedMs < 0 ? PollCost{} : MeasurePolls(100000, error);
    if (empty.timedMs < 0 || full.timedMs < 0) {
        std::fprintf(stderr, "bench_realpoll: %s\n", error.c_str());
        return 1;
    }
    std::printf("Real poll: main window shown offscreen, serial link to orrery-simunit on a pseudo-terminal\n");
    std::printf("  %-44s %10s %10s   %5s\n", "CPU per poll", "empty", "full 100k", "ratio");
    PrintRow("process, read timer at 100 ms", empty.timedMs, full.timedMs);
    PrintRow("  of which the GUI thread", empty.timedGuiMs, full.timedGuiMs);
    PrintRow("GUI thread, polls back to back", empty.backToBackMs, full.backToBackMs);
    return 0;
}

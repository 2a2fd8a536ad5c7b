// What a user feels when the unit stops answering, or when the line carries what is no answer:
// the main window shown with the program's own message boxes, connected at the default settings
// (19200 baud, a 500 ms read time-out, a read every second) through the real serial link to a
// separate orrery-simunit process on a pseudo-terminal.
//  - connecting to a unit that is silent (the process stopped): how long until the connect fails;
//  - the unit falls silent while polled: how long from the first request it leaves unanswered
//    until "Read timer is stopped after 5 communication errors" shows, and the longest the
//    window froze meanwhile;
//  - the same with "Stop after" unticked: for 10 s, the share of the time the window answers;
//  - a unit whose line carries 1.5 s of frames of another command (or of NUL bytes) before every
//    fortieth answer: the longest the window froze over 20 s, which is how long a click waits.
// The window's freezes are the gaps between the ticks of a 5 ms timer on its thread.

#include "common/Hooks.h"
#include "device/Data.h"
#include "device/Device.h"
#include "link/ui/Connectbar.h"
#include "panel/Orrery.h"
#include "panel/ui/Main.h"
#include "panel/ui/Messagehooks.h"
#include "Simchild.h"
#include "service/ui/Mainserviceside.h"

#include <QApplication>
#include <QMessageBox>
#include <QTimer>
#include <QToolButton>
#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

constexpr int ProbeMs = 5;
constexpr int TimeoutMs = 500; // the settings' default read time-out
constexpr double GoalConnectS = 0.7;
constexpr double GoalBoxS = 5.5;
constexpr double GoalFreezeS = 0.6;
constexpr double GoalAnsweringShare = 0.45;
constexpr int UnstoppedSeconds = 10;
constexpr int StreamSeconds = 20;
constexpr int ConnectTries = 5;
// One answer in this many is held behind the stream: a poll reads three commands, a connect more.
constexpr const char* StreamEvery = ",40";

double Seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

// The gaps between the ticks of a short timer on the GUI thread.
class FreezeProbe {
public:
    explicit FreezeProbe(std::function<void()> onTick = {}) : onTick_(std::move(onTick))
    {
        timer_.setInterval(ProbeMs);
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            const auto now = Clock::now();
            const auto gap = now - last_;
            longest_ = std::max(longest_, gap);
            if (gap > std::chrono::milliseconds(ProbeMs * 4))
                blocked_ += gap;
            last_ = now;
            if (onTick_)
                onTick_();
        });
    }
    void Start()
    {
        last_ = started_ = Clock::now();
        longest_ = blocked_ = {};
        timer_.start();
    }
    void Stop() { timer_.stop(); }
    Clock::time_point Last() const { return last_; }
    double LongestS() const { return Seconds(longest_); }
    double AnsweringShare() const { return 1.0 - Seconds(blocked_) / Seconds(last_ - started_); }

private:
    QTimer timer_;
    std::function<void()> onTick_;
    Clock::time_point last_{}, started_{};
    Clock::duration longest_{}, blocked_{};
};

// Closes every message box the program shows, as a user would, noting when each text first showed.
class BoxWatcher {
public:
    BoxWatcher()
    {
        timer_.setInterval(ProbeMs);
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box)
                return;
            shown_.push_back({Clock::now(), box->text().toStdString()});
            box->done(QMessageBox::Ok);
        });
        timer_.start();
    }
    // When a box whose text holds `part` first showed after `since`; the epoch if none did.
    Clock::time_point Shown(const std::string& part, Clock::time_point since = {}) const
    {
        for (const auto& [at, text] : shown_)
            if (at >= since && text.find(part) != std::string::npos)
                return at;
        return {};
    }

private:
    QTimer timer_;
    std::vector<std::pair<Clock::time_point, std::string>> shown_;
};

BoxWatcher* g_boxes = nullptr;

void RunFor(double seconds)
{
    const auto end = Clock::now() + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(seconds));
    while (Clock::now() < end)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
}

struct Window {
    CData data;
    std::unique_ptr<TMainForm> form;
    std::unique_ptr<TMainServiceSide> side;

    Window()
    {
        form = std::make_unique<TMainForm>();
        side = std::make_unique<TMainServiceSide>(*form);
        form->SetData(&data);
        form->Controller()->SetVersionText("D.00");
        form->SetForms(TMainForm::Forms{});
        form->show();
        QCoreApplication::processEvents();
        form->Controller()->Settings().Timeout = TimeoutMs;
    }
    ~Window()
    {
        if (form->Device())
            form->Device()->ClosePort();
    }
    bool Connect(const std::string& path)
    {
        form->SetPortText(path);
        form->ConnectBar->ConnectBtn()->click();
        return form->Device()->IsConnected() && form->ReadTimer->isActive();
    }
};

void Row(const char* what, double value, const char* unit, const char* goal)
{
    std::printf("  %-66s %7.2f %-2s  goal %s\n", what, value, unit, goal);
    std::fflush(stdout);
}

bool ConnectToSilentUnit()
{
    benchsupport::SimUnitProcess unit;
    std::string error;
    if (!unit.Start({}, error)) {
        std::fprintf(stderr, "bench_silentunit: %s\n", error.c_str());
        return false;
    }
    ::kill(unit.Pid(), SIGSTOP);
    Window w;
    const auto start = Clock::now();
    const bool connected = w.Connect(unit.Path());
    // The failure shows as a box, or in the status bar once the click returns.
    const auto box = g_boxes->Shown("", start);
    const double took = Seconds((box != Clock::time_point{} ? box : Clock::now()) - start);
    ::kill(unit.Pid(), SIGCONT);
    if (connected) {
        std::fprintf(stderr, "bench_silentunit: a stopped unit was connected\n");
        return false;
    }
    char goal[32];
    std::snprintf(goal, sizeof goal, "<= %.1f s", GoalConnectS);
    Row("connect to a silent unit: the connect fails after", took, "s", goal);
    return true;
}

bool UnitFallsSilent(bool stopAfterFive)
{
    benchsupport::SimUnitProcess unit;
    std::string error;
    if (!unit.Start({}, error)) {
        std::fprintf(stderr, "bench_silentunit: %s\n", error.c_str());
        return false;
    }
    Window w;
    w.form->Controller()->Settings().UseMaxReadErrors = stopAfterFive;
    if (!w.Connect(unit.Path())) {
        std::fprintf(stderr, "bench_silentunit: the simulated unit did not answer\n");
        return false;
    }
    RunFor(2.5);

    Clock::time_point firstUnanswered{}, boxShown{};
    bool stopped = false;
    FreezeProbe probe([&] { boxShown = g_boxes->Shown("Read timer is stopped", firstUnanswered); });
    // The first read step after the stop writes the first request the unit leaves unanswered:
    // it began at the probe's last tick before it.
    QObject::connect(w.form->ReadTimer, &QTimer::timeout, w.form.get(), [&] {
        if (stopped && firstUnanswered == Clock::time_point{})
            firstUnanswered = probe.Last();
    });
    probe.Start();
    ::kill(unit.Pid(), SIGSTOP);
    stopped = true;
    if (stopAfterFive) {
        const auto limit = Clock::now() + std::chrono::seconds(30);
        while (boxShown == Clock::time_point{} && Clock::now() < limit)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    } else {
        RunFor(UnstoppedSeconds);
    }
    probe.Stop();
    ::kill(unit.Pid(), SIGCONT);
    char goal[48];
    if (stopAfterFive) {
        if (boxShown == Clock::time_point{} || firstUnanswered == Clock::time_point{}) {
            std::fprintf(stderr, "bench_silentunit: no \"Read timer is stopped\" box within 30 s\n");
            return false;
        }
        std::snprintf(goal, sizeof goal, "<= %.1f s", GoalBoxS);
        Row("silent unit: first unanswered request to the stop box", Seconds(boxShown - firstUnanswered), "s", goal);
        std::snprintf(goal, sizeof goal, "<= %.1f s", GoalFreezeS);
        Row("silent unit: longest window freeze until the box", probe.LongestS(), "s", goal);
    } else {
        std::snprintf(goal, sizeof goal, ">= %.0f %%", GoalAnsweringShare * 100);
        Row("silent unit, \"Stop after\" unticked: the window answers", probe.AnsweringShare() * 100, "%", goal);
        std::snprintf(goal, sizeof goal, "<= %.1f s", GoalFreezeS);
        Row("silent unit, \"Stop after\" unticked: longest freeze", probe.LongestS(), "s", goal);
    }
    return true;
}

bool LineCarries(const char* fault, const char* what)
{
    benchsupport::SimUnitProcess unit;
    std::string error;
    if (!unit.Start({"--serial-fault", std::string(fault) + StreamEvery}, error)) {
        std::fprintf(stderr, "bench_silentunit: %s\n", error.c_str());
        return false;
    }
    Window w;
    w.form->Controller()->Settings().UseMaxReadErrors = false;
    // The connect's own requests may meet the fault (a unit that takes 1.5 s fails one): again,
    // as a user would.
    int tries = 1;
    while (!w.Connect(unit.Path())) {
        if (++tries > ConnectTries) {
            std::fprintf(stderr, "bench_silentunit: the simulated unit (%s) did not answer\n", fault);
            return false;
        }
    }
    FreezeProbe probe;
    probe.Start();
    RunFor(StreamSeconds);
    probe.Stop();
    char goal[48], label[96];
    std::snprintf(goal, sizeof goal, "<= %.1f s", GoalFreezeS);
    std::snprintf(label, sizeof label, "%s: longest freeze (a click's wait)", what);
    Row(label, probe.LongestS(), "s", goal);
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    setenv("ORRERY_SETTINGS_FILE", "/tmp/orrery-bench-silentunit-settings.ini", 0);
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    TMessageHooks hooks;
    InstallMessageHooks(&hooks);
    BoxWatcher boxes;
    g_boxes = &boxes;
    std::printf("Silent and noisy units: main window shown, serial link to orrery-simunit, read time-out %d ms,\n"
                "a read every second\n",
                TimeoutMs);
    std::fflush(stdout);
    int failed = 0;
    failed += !ConnectToSilentUnit();
    failed += !UnitFallsSilent(true);
    failed += !UnitFallsSilent(false);
    failed += !LineCarries("stream", "frames of another command 1.5 s");
    failed += !LineCarries("nul", "NUL bytes 1.5 s");
    InstallMessageHooks(nullptr);
    return failed == 0 ? 0 : 1;
}

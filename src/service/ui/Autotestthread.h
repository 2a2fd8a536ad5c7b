#pragma once
// The worker that paces an auto-test run. It runs the pacing (CAutoTestRun) on its own thread
// and has the window's start, step and end routines run on the GUI thread: each is posted as a
// queued call and the worker waits for its answer. The GUI thread never blocks on the worker
// while the worker waits for it: Stop waits in an event loop that answers the queued routines,
// and the dwell wakes at once when a stop is asked for. Destroying the object ends the run
// without running any more routines (the program closing mid-run).

#include "service/Autotestrun.h"

#include <QObject>
#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

class TAutoTestThread : public QObject, private IAutoTestHost {
    Q_OBJECT
public:
    struct SRoutines {
        std::function<void()> Start;
        std::function<int64_t(int row, int cyclesLeft, int64_t msLeft)> Step;
        std::function<void()> End;
    };

    // Created suspended; the routines run on the thread that creates this object.
    TAutoTestThread(const SRoutines& routines, const SAutoTestMode& mode, QObject* parent = nullptr);
    ~TAutoTestThread() override;

    // Before Start: the grid's RowCount - 1.
    void SetRowCount(int rowCount) { rowCount_ = rowCount; }
    // Before Start: a clock in ms and a sleep (tests drive the run with their own).
    void SetClock(std::function<int64_t()> now) { now_ = std::move(now); }
    // The repeat switch; read by the worker at the end of each pass.
    void SetRepeat(bool down) { repeat_ = down; }

    void Start();
    // Asks the run to stop; the worker sees it at once in a dwell, else after the step.
    void Terminate();
    // Waits for the end while the calling (GUI) thread's events run, the routines included.
    void WaitFor();
    bool Ended() const { return ended_; }

signals:
    // On the GUI thread, after the end routine, once the worker is done.
    void Finished();

private:
    // IAutoTestHost
    void SyncStart() override;
    int64_t SyncStep(int row, int cyclesLeft, int64_t msLeft) override;
    void SyncEnd() override;
    bool Terminated() const override { return terminated_; }
    bool RepeatDown() const override { return repeat_; }
    int64_t Now() const override;
    void Sleep(int ms) override;

    // Runs f on the GUI thread and waits for it; false when the object is going away.
    bool Synchronize(std::function<void()> f);
    void Execute();
    void Join();
    // On the GUI thread, posted by name by the worker (so that nothing the worker built, a call
    // object, is read on this thread): the routine the worker waits for, and the run's end.
    Q_INVOKABLE void RunPosted();
    Q_INVOKABLE void FinishRun();

    SRoutines routines_;
    SAutoTestMode mode_;
    int rowCount_ = 0;
    std::function<int64_t()> now_;
    std::function<void(int)> sleep_;
    std::atomic<bool> repeat_{false};
    std::atomic<bool> terminated_{false};
    bool ended_ = false; // GUI thread only

    std::mutex mutex_;
    std::condition_variable cv_;
    bool abandoned_ = false;   // under mutex_
    uint64_t posted_ = 0;      // under mutex_
    uint64_t answered_ = 0;    // under mutex_
    std::function<void()> pending_; // under mutex_: the routine of ticket posted_
    std::thread worker_;
};

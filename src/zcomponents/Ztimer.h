#pragma once
// Two timers that tick without the window system's timer: TzcTimer sleeps in a worker thread of
// its own and hands each tick to the thread that owns the component (queued call; the worker
// waits until the tick has run), and TzcMMTimer runs a periodic high-resolution timer
// (timerfd) on its own thread and fires its event on that thread. Both stop cleanly when freed
// while ticking. An interval of 0 never fires.

#include "zcomponents/Std2.h"

#include <QObject>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <stdexcept>
#include <thread>

enum TThreadPriority : std::uint8_t {
    tpIdle, tpLowest, tpLower, tpNormal, tpHigher, tpHighest, tpTimeCritical
};

// A refused timer period.
class ERangeError : public std::range_error {
public:
    using std::range_error::range_error;
};

class TzcTimer : public QObject {
    Q_OBJECT
public:
    explicit TzcTimer(QObject* owner = nullptr);
    ~TzcTimer() override;

    TzcTimer(const TzcTimer&) = delete;
    TzcTimer& operator=(const TzcTimer&) = delete;

    bool Enabled() const { return enabled_; }
    void SetEnabled(bool b);
    std::uint32_t Interval() const { return interval_; }
    void SetInterval(std::uint32_t ms);
    // The worker's priority, as a nice value of its thread (raising above normal needs the
    // right to do so; without it the worker stays at normal).
    TThreadPriority Priority() const { return priority_; }
    void SetPriority(TThreadPriority p);
    const TNotifyEvent& OnTimer() const { return onTimer_; }
    void SetOnTimer(TNotifyEvent handler);

    // What a tick calls: OnTimer with this timer as sender.
    virtual void Timer();
    // True while the worker is running (not paused).
    bool Running() const;

private:
    void UpdateTimer();
    void Execute();
    // Runs a tick on the owner's thread. The worker posts it by name, so that nothing the worker
    // built (a call object) is read on this thread.
    Q_INVOKABLE void DeliverTick();

    std::atomic<TThreadPriority> priority_{tpNormal};
    bool enabled_ = true;
    std::atomic<std::uint32_t> interval_{1000};
    TNotifyEvent onTimer_;

    mutable std::mutex mutex_;
    std::condition_variable wake_;
    bool running_ = false;
    bool stop_ = false;
    bool tickPending_ = false;
    std::uint64_t generation_ = 0; // counts restarts, so a paused sleep starts over
    std::thread worker_;
};

class TzcMMTimer : public QObject {
public:
    // Sets the periodic event at once; throws ERangeError when the system refuses it.
    explicit TzcMMTimer(QObject* owner = nullptr);
    ~TzcMMTimer() override;

    TzcMMTimer(const TzcMMTimer&) = delete;
    TzcMMTimer& operator=(const TzcMMTimer&) = delete;

    // Ticks reach OnTimer only while enabled; the periodic event keeps running either way.
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool b) { enabled_ = b; }
    std::uint32_t Interval() const { return interval_; }
    // A new period replaces the event; 0 (or more than 1000000 ms) is refused with ERangeError
    // "<Resolution> is not within the valid range", the value stays stored and no event runs
    // until a later setting succeeds.
    void SetInterval(std::uint32_t ms);
    std::uint32_t Resolution() const { return resolution_; }
    void SetResolution(std::uint32_t ms);
    // The handler runs on the timer's own thread; exceptions from it are swallowed.
    void SetOnTimer(TNotifyEvent handler);
    // 0 while no periodic event is set.
    std::uint32_t TimerId() const { return timerId_; }

    // What a tick calls.
    virtual void Timer();

private:
    void SetEvent();
    void KillEvent();
    void Run();

    std::atomic<bool> enabled_{true};
    std::uint32_t interval_ = 1000;
    std::uint32_t resolution_ = 10;
    std::uint32_t timerId_ = 0;
    std::uint32_t nextId_ = 0;
    std::mutex handlerMutex_;
    TNotifyEvent onTimer_;
    int timerFd_ = -1;
    int stopFd_ = -1;
    std::thread thread_;
};

#include "zcomponents/Ztimer.h"

#include <QMetaObject>
#include <QString>
#include <chrono>
#include <poll.h>
#include <sys/resource.h>
#include <sys/eventfd.h>
#include <sys/timerfd.h>
#include <unistd.h>

namespace {

constexpr std::uint32_t MaxPeriodMs = 1000000;
constexpr long NsPerMs = 1000000;
constexpr long MsPerSecond = 1000;
// Nice values of the worker by priority, idle to time-critical.
constexpr int NiceFor[] = {19, 10, 5, 0, -5, -10, -15};

void ApplyPriority(TThreadPriority p)
{
    setpriority(PRIO_PROCESS, id_t(gettid()), NiceFor[p]);
}

} // namespace

// ---- TzcTimer ----

TzcTimer::TzcTimer(QObject* owner) : QObject(owner)
{
    worker_ = std::thread([this] { Execute(); });
    UpdateTimer();
}

TzcTimer::~TzcTimer()
{
    enabled_ = false;
    UpdateTimer();
    {
        std::lock_guard lock(mutex_);
        stop_ = true;
    }
    wake_.notify_all();
    worker_.join();
}

void TzcTimer::SetEnabled(bool b)
{
    if (b == enabled_)
        return;
    enabled_ = b;
    UpdateTimer();
}

void TzcTimer::SetInterval(std::uint32_t ms)
{
    if (ms == interval_)
        return;
    interval_ = ms;
    UpdateTimer();
}

void TzcTimer::SetPriority(TThreadPriority p)
{
    if (p == priority_)
        return;
    priority_ = p;
    UpdateTimer();
}

void TzcTimer::SetOnTimer(TNotifyEvent handler)
{
    onTimer_ = std::move(handler);
    UpdateTimer();
}

void TzcTimer::Timer()
{
    if (onTimer_)
        onTimer_(this);
}

bool TzcTimer::Running() const
{
    std::lock_guard lock(mutex_);
    return running_;
}

void TzcTimer::UpdateTimer()
{
    {
        std::lock_guard lock(mutex_);
        running_ = interval_ != 0 && enabled_ && bool(onTimer_);
        ++generation_;
    }
    wake_.notify_all();
}

void TzcTimer::Execute()
{
    TThreadPriority applied = tpNormal;
    std::unique_lock lock(mutex_);
    while (!stop_) {
        wake_.wait(lock, [this] { return stop_ || running_; });
        if (stop_)
            break;
        if (priority_ != applied) {
            applied = priority_;
            ApplyPriority(applied);
        }
        const std::uint64_t generation = generation_;
        const auto pause = std::chrono::milliseconds(interval_.load());
        // A pause, a restart or the end wakes the sleep early; a restart sleeps afresh.
        if (wake_.wait_for(lock, pause, [&] { return stop_ || generation_ != generation; }))
            continue;
        tickPending_ = true;
        QMetaObject::invokeMethod(this, "DeliverTick", Qt::QueuedConnection);
        wake_.wait(lock, [this] { return stop_ || !tickPending_; });
    }
}

void TzcTimer::DeliverTick()
{
    bool deliver = false;
    {
        std::lock_guard lock(mutex_);
        deliver = running_ && !stop_;
    }
    if (deliver) {
        try {
            Timer();
        } catch (...) {
            // The handler failed: no more ticks until a property is set again.
            std::lock_guard lock(mutex_);
            running_ = false;
        }
    }
    {
        std::lock_guard lock(mutex_);
        tickPending_ = false;
    }
    wake_.notify_all();
}

// ---- TzcMMTimer ----

TzcMMTimer::TzcMMTimer(QObject* owner) : QObject(owner)
{
    timerFd_ = timerfd_create(CLOCK_MONOTONIC, TFD_CLOEXEC | TFD_NONBLOCK);
    stopFd_ = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (timerFd_ >= 0 && stopFd_ >= 0)
        thread_ = std::thread([this] { Run(); });
    SetEvent();
}

TzcMMTimer::~TzcMMTimer()
{
    KillEvent();
    if (thread_.joinable()) {
        const std::uint64_t one = 1;
        (void)!write(stopFd_, &one, sizeof one);
        thread_.join();
    }
    if (timerFd_ >= 0)
        close(timerFd_);
    if (stopFd_ >= 0)
        close(stopFd_);
}

void TzcMMTimer::SetInterval(std::uint32_t ms)
{
    if (ms == interval_)
        return;
    KillEvent();
    interval_ = ms;
    SetEvent();
}

void TzcMMTimer::SetResolution(std::uint32_t ms)
{
    if (ms == resolution_)
        return;
    KillEvent();
    resolution_ = ms;
    SetEvent();
}

void TzcMMTimer::SetOnTimer(TNotifyEvent handler)
{
    std::lock_guard lock(handlerMutex_);
    onTimer_ = std::move(handler);
}

void TzcMMTimer::Timer()
{
    if (!enabled_)
        return;
    TNotifyEvent handler;
    {
        std::lock_guard lock(handlerMutex_);
        handler = onTimer_;
    }
    if (handler)
        handler(this);
}

void TzcMMTimer::SetEvent()
{
    if (interval_ == 0 || interval_ > MaxPeriodMs || !thread_.joinable())
        throw ERangeError(QStringLiteral("%1 is not within the valid range").arg(resolution_).toStdString());
    itimerspec period{};
    period.it_interval.tv_sec = time_t(interval_ / MsPerSecond);
    period.it_interval.tv_nsec = long(interval_ % MsPerSecond) * NsPerMs;
    period.it_value = period.it_interval;
    if (timerfd_settime(timerFd_, 0, &period, nullptr) != 0)
        throw ERangeError(QStringLiteral("%1 is not within the valid range").arg(resolution_).toStdString());
    timerId_ = ++nextId_ == 0 ? ++nextId_ : nextId_;
}

void TzcMMTimer::KillEvent()
{
    if (timerId_ == 0)
        return;
    const itimerspec off{};
    timerfd_settime(timerFd_, 0, &off, nullptr);
    timerId_ = 0;
}

void TzcMMTimer::Run()
{
    pollfd fds[2] = {{timerFd_, POLLIN, 0}, {stopFd_, POLLIN, 0}};
    for (;;) {
        if (poll(fds, 2, -1) < 0)
            continue;
        if (fds[1].revents)
            return;
        std::uint64_t expirations = 0;
        if (fds[0].revents && read(timerFd_, &expirations, sizeof expirations) > 0) {
            try {
                Timer();
            } catch (...) {
                // A failing handler must not end the timer.
            }
        }
    }
}

#include "service/ui/Autotestthread.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <chrono>

TAutoTestThread::TAutoTestThread(const SRoutines& routines, const SAutoTestMode& mode, QObject* parent)
    : QObject(parent), routines_(routines), mode_(mode)
{
}

TAutoTestThread::~TAutoTestThread()
{
    {
        std::lock_guard<std::mutex> lock(mutex_);
        abandoned_ = true;
        terminated_ = true;
    }
    cv_.notify_all();
    Join();
}

void TAutoTestThread::Start()
{
    if (worker_.joinable() || ended_)
        return;
    worker_ = std::thread([this] { Execute(); });
}

void TAutoTestThread::Terminate()
{
    {
        std::lock_guard<std::mutex> lock(mutex_);
        terminated_ = true;
    }
    cv_.notify_all();
}

void TAutoTestThread::WaitFor()
{
    if (!worker_.joinable())
        return;
    // Events are processed (not an event loop run), so an application told to quit meanwhile
    // cannot cut the wait short while the worker still waits for its end routine. User input
    // waits until the run has ended.
    while (!ended_)
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents | QEventLoop::WaitForMoreEvents);
    Join();
}

void TAutoTestThread::Join()
{
    if (worker_.joinable())
        worker_.join();
}

void TAutoTestThread::Execute()
{
    CAutoTestRun run(*this, mode_, rowCount_);
    run.Execute();
    std::lock_guard<std::mutex> lock(mutex_);
    if (abandoned_)
        return;
    QMetaObject::invokeMethod(this, "FinishRun", Qt::QueuedConnection);
}

void TAutoTestThread::FinishRun()
{
    ended_ = true;
    Join(); // the worker has nothing left to do but return
    emit Finished();
}

bool TAutoTestThread::Synchronize(std::function<void()> f)
{
    std::unique_lock<std::mutex> lock(mutex_);
    if (abandoned_)
        return false;
    const uint64_t ticket = ++posted_;
    pending_ = std::move(f);
    QMetaObject::invokeMethod(this, "RunPosted", Qt::QueuedConnection);
    cv_.wait(lock, [&] { return answered_ >= ticket || abandoned_; });
    return answered_ >= ticket;
}

void TAutoTestThread::RunPosted()
{
    std::function<void()> f;
    uint64_t ticket = 0;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        f = std::move(pending_);
        pending_ = nullptr;
        ticket = posted_;
    }
    if (f)
        f();
    {
        std::lock_guard<std::mutex> answered(mutex_);
        answered_ = ticket;
    }
    cv_.notify_all();
}

void TAutoTestThread::SyncStart() { Synchronize(routines_.Start); }

int64_t TAutoTestThread::SyncStep(int row, int cyclesLeft, int64_t msLeft)
{
    int64_t delay = 0;
    // The worker waits for the answer, so the GUI side may write into its frame.
    const bool answered = Synchronize([this, row, cyclesLeft, msLeft, &delay] {
        if (routines_.Step)
            delay = routines_.Step(row, cyclesLeft, msLeft);
    });
    return answered ? delay : 0;
}

void TAutoTestThread::SyncEnd() { Synchronize(routines_.End); }

int64_t TAutoTestThread::Now() const
{
    if (now_)
        return now_();
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

void TAutoTestThread::Sleep(int ms)
{
    if (sleep_) {
        sleep_(ms);
        return;
    }
    std::unique_lock<std::mutex> lock(mutex_);
    cv_.wait_for(lock, std::chrono::milliseconds(ms), [this] { return bool(terminated_); });
}

#include "zcomponents/Ztimer.h"
#include "Zwait.h"

#include <QThread>
#include <chrono>
#include <gtest/gtest.h>
#include <memory>
#include <thread>

TEST(TzcTimer, TicksOnlyWithIntervalEnabledAndHandler)
{
    TzcTimer timer;
    EXPECT_EQ(timer.Interval(), 1000u);
    EXPECT_TRUE(timer.Enabled());
    EXPECT_EQ(timer.Priority(), tpNormal);
    EXPECT_FALSE(timer.Running()); // no handler yet
    int ticks = 0;
    QThread* tickThread = nullptr;
    timer.SetInterval(0);
    timer.SetOnTimer([&](QObject* s) {
        EXPECT_EQ(s, &timer);
        tickThread = QThread::currentThread();
        ++ticks;
    });
    EXPECT_FALSE(timer.Running()); // interval 0 never fires
    timer.SetEnabled(false);
    timer.SetInterval(2);
    EXPECT_FALSE(timer.Running());
    timer.SetEnabled(true);
    EXPECT_TRUE(timer.Running());
    ASSERT_TRUE(zwait::Until([&] { return ticks >= 3; }));
    EXPECT_EQ(tickThread, QThread::currentThread());

    // Paused: a second timer ticks on while this one stays still.
    timer.SetEnabled(false);
    const int frozen = ticks;
    TzcTimer witness;
    int witnessTicks = 0;
    witness.SetInterval(2);
    witness.SetOnTimer([&](QObject*) { ++witnessTicks; });
    ASSERT_TRUE(zwait::Until([&] { return witnessTicks >= 5; }));
    EXPECT_EQ(ticks, frozen);
    timer.SetEnabled(true);
    timer.SetInterval(1);
    ASSERT_TRUE(zwait::Until([&] { return ticks >= frozen + 2; }));
    timer.SetPriority(tpIdle); // a lower priority: the worker goes on ticking
    EXPECT_EQ(timer.Priority(), tpIdle);
    const int before = ticks;
    ASSERT_TRUE(zwait::Until([&] { return ticks >= before + 2; }));
}

TEST(TzcTimer, FreedWhileTickingStopsCleanly)
{
    for (int i = 0; i < 20; ++i) {
        auto timer = std::make_unique<TzcTimer>();
        int ticks = 0;
        timer->SetInterval(1);
        timer->SetOnTimer([&](QObject*) { ++ticks; });
        ASSERT_TRUE(zwait::Until([&] { return ticks >= 1; }));
        timer.reset(); // a tick may be queued or the worker asleep
        QCoreApplication::processEvents();
    }
}

TEST(TzcTimer, ABusyGuiThreadHasOneTickPendingAtATime)
{
    // The GUI thread busy with other work for fifty intervals at a time: the worker waits until
    // the tick it queued is delivered, so the thread finds one tick waiting, not a pile of them.
    constexpr int Rounds = 5;
    constexpr auto Busy = std::chrono::milliseconds(50);
    TzcTimer timer;
    int ticks = 0;
    timer.SetInterval(1);
    timer.SetOnTimer([&](QObject*) { ++ticks; });
    int roundsWithATick = 0;
    for (int round = 0; round < Rounds; ++round) {
        std::this_thread::sleep_for(Busy);
        // What was queued for the timer while the thread was busy, delivered at once.
        const int before = ticks;
        QCoreApplication::sendPostedEvents(&timer, QEvent::MetaCall);
        EXPECT_LE(ticks - before, 1) << "ticks waiting after round " << round;
        roundsWithATick += ticks - before == 1;
    }
    if (roundsWithATick == 0)
        GTEST_SKIP() << "the worker queued no tick while the GUI thread was busy, in " << Rounds << " rounds";
}

TEST(TzcTimer, FailingHandlerStopsTicksUntilResetup)
{
    TzcTimer timer;
    int calls = 0;
    timer.SetInterval(1);
    timer.SetOnTimer([&](QObject*) {
        ++calls;
        throw std::runtime_error("handler failed");
    });
    ASSERT_TRUE(zwait::Until([&] { return calls == 1 && !timer.Running(); }));
    timer.SetOnTimer([&](QObject*) { ++calls; });
    ASSERT_TRUE(zwait::Until([&] { return calls >= 3; }));
}

TEST(TzcMMTimer, PeriodicTicksOnItsOwnThread)
{
    TzcMMTimer timer;
    EXPECT_EQ(timer.Interval(), 1000u);
    EXPECT_EQ(timer.Resolution(), 10u);
    EXPECT_NE(timer.TimerId(), 0u);
    std::atomic<int> ticks{0};
    std::atomic<bool> onGuiThread{false};
    QThread* gui = QThread::currentThread();
    timer.SetOnTimer([&](QObject* s) {
        EXPECT_EQ(s, &timer);
        if (QThread::currentThread() == gui)
            onGuiThread = true;
        if (++ticks == 1)
            throw std::runtime_error("swallowed");
    });
    const std::uint32_t firstId = timer.TimerId();
    timer.SetInterval(1000); // same value: nothing happens
    EXPECT_EQ(timer.TimerId(), firstId);
    timer.SetInterval(2);
    EXPECT_NE(timer.TimerId(), firstId);
    ASSERT_TRUE(zwait::Until([&] { return ticks >= 4; }));
    EXPECT_FALSE(onGuiThread);

    // Disabled: the event runs on (same id) but the handler is not called.
    timer.SetEnabled(false);
    const std::uint32_t id = timer.TimerId();
    TzcMMTimer witness;
    std::atomic<int> witnessTicks{0};
    witness.SetOnTimer([&](QObject*) { ++witnessTicks; });
    witness.SetInterval(2);
    // A tick that had passed the check before the switch has ended two periods later.
    ASSERT_TRUE(zwait::Until([&] { return witnessTicks >= 2; }));
    const int frozen = ticks;
    ASSERT_TRUE(zwait::Until([&] { return witnessTicks >= 7; }));
    EXPECT_EQ(ticks, frozen);
    EXPECT_EQ(timer.TimerId(), id);
    timer.SetEnabled(true);
    ASSERT_TRUE(zwait::Until([&] { return ticks >= frozen + 2; }));
}

TEST(TzcMMTimer, ZeroIntervalRefusedAndNeverFires)
{
    TzcMMTimer timer;
    std::atomic<int> ticks{0};
    timer.SetOnTimer([&](QObject*) { ++ticks; });
    try {
        timer.SetInterval(0);
        FAIL() << "interval 0 accepted";
    } catch (const ERangeError& e) {
        EXPECT_STREQ(e.what(), "10 is not within the valid range");
    }
    EXPECT_EQ(timer.Interval(), 0u);
    EXPECT_EQ(timer.TimerId(), 0u);
    timer.SetInterval(3);
    EXPECT_NE(timer.TimerId(), 0u);
    ASSERT_TRUE(zwait::Until([&] { return ticks >= 1; }));
}

TEST(TzcMMTimer, FreedWhileTickingStopsCleanly)
{
    for (int i = 0; i < 20; ++i) {
        auto timer = std::make_unique<TzcMMTimer>();
        std::atomic<int> ticks{0};
        timer->SetOnTimer([&](QObject*) { ++ticks; });
        timer->SetInterval(1);
        ASSERT_TRUE(zwait::Until([&] { return ticks >= 1; }));
        timer.reset();
    }
}

// The auto-test run's pacing against a fake clock and a fake move: passes in each mode, the
// repeat switch, the dwell in slices and a stop within one slice, rows that do not convert,
// the status texts of the step and the 64-bit dwell and run-time arithmetic.

#include "service/Autotestrun.h"

#include "service/Autotesttable.h"

#include <gtest/gtest.h>
#include <functional>
#include <limits>

namespace {

struct SMove {
    int Row;
    double Load, Tune;
    std::string Status;
    bool operator==(const SMove&) const = default;
};

// The window's side on one thread: rows of cells, a clock that only the sleeps move, and the
// moves and statuses the steps make.
class FakeHost : public IAutoTestHost {
public:
    FakeHost(const std::vector<std::array<std::string, 3>>& rows, SAutoTestMode mode)
        : rows_(rows), mode_(mode)
    {
    }
    int RowCount() const { return int(rows_.size()) + 1; } // data rows and the trailing row

    void SyncStart() override { ++starts; }
    int64_t SyncStep(int row, int cyclesLeft, int64_t msLeft) override
    {
        ++steps;
        std::array<std::string, 3> cells{};
        if (row >= 1 && row <= int(rows_.size()))
            cells = rows_[size_t(row - 1)];
        const SAutoTestStep s = CAutoTestRules::Step(cells[0], cells[1], cells[2], mode_.Mode,
                                                     cyclesLeft, msLeft);
        if (s.ShowStatus)
            status = s.Status;
        if (s.Valid)
            moves.push_back({row, s.Load, s.Tune, status});
        if (onStep)
            onStep(row);
        return s.DelayMs;
    }
    void SyncEnd() override { ++ends; }
    bool Terminated() const override { return terminated; }
    bool RepeatDown() const override { return repeat; }
    int64_t Now() const override { return now; }
    void Sleep(int ms) override
    {
        slices.push_back(ms);
        now += ms;
        if (onSleep)
            onSleep();
    }

    int starts = 0, steps = 0, ends = 0;
    bool terminated = false;
    bool repeat = true;
    int64_t now = 1000;
    std::string status;
    std::vector<SMove> moves;
    std::vector<int> slices;
    std::function<void(int)> onStep;
    std::function<void()> onSleep;

private:
    std::vector<std::array<std::string, 3>> rows_;
    SAutoTestMode mode_;
};

const std::vector<std::array<std::string, 3>> ThreeRows{{"0.25", "10", "20"}, {"0", "30", "40"}, {"0.1", "50", "60"}};

TEST(AutoTestRun, ThreeCyclesCountDownAndEnd)
{
    SAutoTestMode mode{SAutoTestMode::ModeCycles, 3, 10.0};
    FakeHost host(ThreeRows, mode);
    CAutoTestRun run(host, mode, host.RowCount());
    run.Execute();
    EXPECT_EQ(host.starts, 1);
    EXPECT_EQ(host.ends, 1);
    ASSERT_EQ(host.moves.size(), 9u);
    for (size_t i = 0; i < 9; ++i) {
        EXPECT_EQ(host.moves[i].Row, int(i % 3) + 1);
        EXPECT_EQ(host.moves[i].Status, std::to_string(3 - int(i / 3)) + " cycles left");
    }
    EXPECT_EQ(host.moves[4], (SMove{2, 30, 40, "2 cycles left"}));
    // 250 ms in slices of 100, 100, 50, then 100 for the third row, every pass.
    EXPECT_EQ(host.slices, (std::vector<int>{100, 100, 50, 100, 100, 100, 50, 100, 100, 100, 50, 100}));
    EXPECT_EQ(run.PassesDone(), 3);
}

TEST(AutoTestRun, RepeatUpRunsOnePassInEveryMode)
{
    for (int m : {SAutoTestMode::ModeContinuous, SAutoTestMode::ModeCycles, SAutoTestMode::ModeTime}) {
        SAutoTestMode mode{m, 3, 10.0};
        FakeHost host(ThreeRows, mode);
        host.repeat = false;
        CAutoTestRun(host, mode, host.RowCount()).Execute();
        EXPECT_EQ(host.moves.size(), 3u) << m;
        EXPECT_EQ(host.ends, 1) << m;
    }
    // Cycles 0 or less end after the first pass too.
    SAutoTestMode none{SAutoTestMode::ModeCycles, -2, 0};
    FakeHost host(ThreeRows, none);
    CAutoTestRun(host, none, host.RowCount()).Execute();
    EXPECT_EQ(host.moves.size(), 3u);
    EXPECT_EQ(host.moves[0].Status, "-2 cycles left");
}

TEST(AutoTestRun, TimeModeEndsAtTheEndOfThePassAfterItsMinutes)
{
    // One row of 4 s against 0.2 minutes (12 s): passes end at 4, 8, 12 and 16 s; the fourth
    // pass is the first after more than 12 s.
    SAutoTestMode mode{SAutoTestMode::ModeTime, 0, 0.2};
    FakeHost host({{"4", "10", "90"}}, mode);
    CAutoTestRun(host, mode, host.RowCount()).Execute();
    ASSERT_EQ(host.moves.size(), 4u);
    EXPECT_EQ(host.moves[0].Status, "0.2 minutes left");
    EXPECT_EQ(host.moves[1].Status, "0.1 minutes left"); // 8 s left
    EXPECT_EQ(host.moves[3].Status, "0.0 minutes left");
    EXPECT_EQ(host.ends, 1);

    // Minutes 0 end after the first pass that took any time.
    SAutoTestMode zero{SAutoTestMode::ModeTime, 0, 0.0};
    FakeHost quick({{"0.001", "10", "90"}}, zero);
    CAutoTestRun(quick, zero, quick.RowCount()).Execute();
    EXPECT_EQ(quick.moves.size(), 1u);
}

TEST(AutoTestRun, StopEndsWithinOneSliceOfTheRequest)
{
    SAutoTestMode mode{SAutoTestMode::ModeContinuous, 0, 0};
    FakeHost host({{"3600", "10", "20"}, {"3600", "30", "40"}}, mode);
    host.onSleep = [&] {
        if (host.slices.size() == 7)
            host.terminated = true; // asked during the seventh slice of an hour's dwell
    };
    CAutoTestRun(host, mode, host.RowCount()).Execute();
    EXPECT_EQ(host.slices.size(), 7u);
    EXPECT_EQ(host.moves.size(), 1u);
    EXPECT_EQ(host.ends, 1);

    // Rows of time 0 only: the stop ends the run after the current step.
    FakeHost fast({{"0", "10", "20"}, {"0", "30", "40"}}, mode);
    fast.onStep = [&](int) {
        if (fast.steps == 5)
            fast.terminated = true;
    };
    CAutoTestRun(fast, mode, fast.RowCount()).Execute();
    EXPECT_EQ(fast.steps, 5);
    EXPECT_TRUE(fast.slices.empty());
    EXPECT_EQ(fast.ends, 1);
}

TEST(AutoTestRun, RowsThatDoNotConvertAreSkippedWithoutAWait)
{
    SAutoTestMode mode{SAutoTestMode::ModeCycles, 1, 0};
    FakeHost host({{"1", "x", "20"}, {"-5", "30", "40"}, {"0.0004", "50", "60"}}, mode);
    CAutoTestRun(host, mode, host.RowCount()).Execute();
    EXPECT_EQ(host.moves, (std::vector<SMove>{{2, 30, 40, "1 cycles left"}, {3, 50, 60, "1 cycles left"}}));
    EXPECT_TRUE(host.slices.empty());

    // A table with only the trailing row steps it once: no move, no wait.
    FakeHost empty({}, mode);
    empty.repeat = false;
    CAutoTestRun(empty, mode, empty.RowCount()).Execute();
    EXPECT_EQ(empty.steps, 1);
    EXPECT_TRUE(empty.moves.empty());
    EXPECT_EQ(empty.ends, 1);
}

TEST(AutoTestRules, DwellAndRunTimeIn64BitsClamped)
{
    EXPECT_EQ(CAutoTestRules::DelayMs(-5), 0);
    EXPECT_EQ(CAutoTestRules::DelayMs(0.0004), 0);
    EXPECT_EQ(CAutoTestRules::DelayMs(2.9999), 2999);
    EXPECT_EQ(CAutoTestRules::DelayMs(3000000.0), 3000000000LL); // beyond 32 bits signed
    EXPECT_EQ(CAutoTestRules::DelayMs(1e300), CAutoTestRules::MaxDelayMs);
    EXPECT_EQ(CAutoTestRules::DelayMs(std::numeric_limits<double>::quiet_NaN()), 0);
    EXPECT_EQ(CAutoTestRules::RunMs(100000.0), 6000000000LL);
    EXPECT_EQ(CAutoTestRules::RunMs(1e300), CAutoTestRules::MaxRunMs);
    EXPECT_EQ(CAutoTestRules::RunMs(-1e300), -CAutoTestRules::MaxRunMs);

    // A run of 50,000 minutes (3e9 ms) whose move takes 2e9 ms: the second pass starts with
    // 1e9 ms left and the run ends after it.
    SAutoTestMode mode{SAutoTestMode::ModeTime, 0, 50000.0};
    FakeHost host({{"0", "10", "20"}}, mode);
    host.onStep = [&](int) { host.now += 2000000000LL; };
    CAutoTestRun(host, mode, host.RowCount()).Execute();
    ASSERT_EQ(host.moves.size(), 2u);
    EXPECT_EQ(host.moves[0].Status, "50000.0 minutes left");
    EXPECT_EQ(host.moves[1].Status, "16666.7 minutes left");
}

TEST(AutoTestRules, ActionsAndDialogTexts)
{
    using A = EAutoTestAction;
    EXPECT_TRUE(CAutoTestRules::Enabled(A::Plus, false, 2, 3));  // the trailing row
    EXPECT_FALSE(CAutoTestRules::Enabled(A::Plus, false, 0, 3)); // the header
    EXPECT_TRUE(CAutoTestRules::Enabled(A::Minus, false, 1, 3));
    EXPECT_FALSE(CAutoTestRules::Enabled(A::Minus, false, 2, 3));
    EXPECT_FALSE(CAutoTestRules::Enabled(A::Minus, false, 0, 3));
    EXPECT_FALSE(CAutoTestRules::Enabled(A::Delete, false, 1, 2));
    EXPECT_TRUE(CAutoTestRules::Enabled(A::Delete, false, 1, 3));
    EXPECT_FALSE(CAutoTestRules::Enabled(A::Stop, false, 1, 3));
    for (A a : {A::Open, A::Save, A::Plus, A::Minus, A::Delete, A::Run, A::Settings})
        EXPECT_FALSE(CAutoTestRules::Enabled(a, true, 1, 5));
    EXPECT_TRUE(CAutoTestRules::Enabled(A::Stop, true, 1, 5));

    EXPECT_EQ(CAutoTestRules::MinutesText(10.0), "10.0");
    const SAutoTestMode m = CAutoTestRules::FromDialog(2, "x", "2.5");
    EXPECT_EQ(m.Mode, 2);
    EXPECT_EQ(m.Cycles, 0);
    EXPECT_DOUBLE_EQ(m.Minutes, 2.5);
    EXPECT_EQ(CAutoTestRules::RejectedLinesText({4}),
              "Line 4 is not a row of three numbers and was not loaded.");
    EXPECT_EQ(CAutoTestRules::RejectedLinesText({3, 7}),
              "Lines 3, 7 are not rows of three numbers and were not loaded.");
}

} // namespace

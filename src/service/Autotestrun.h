#pragma once
// The pacing of an auto-test run without a thread: it walks the table's rows, has each one
// stepped (the move), dwells the step's delay in slices while watching for a stop request,
// and at the end of each pass decides by mode, cycles, minutes and the repeat switch whether
// to go on. Whatever runs it supplies the step routines, the clock, the sleep and the stop
// request, so a test drives a whole run on one thread with a fake clock.

#include "service/Autotestrules.h"

#include <cstdint>

class IAutoTestHost {
public:
    virtual ~IAutoTestHost() = default;
    // The window's routines: before the first step, each step (returns its delay in ms), and
    // after the last.
    virtual void SyncStart() = 0;
    virtual int64_t SyncStep(int row, int cyclesLeft, int64_t msLeft) = 0;
    virtual void SyncEnd() = 0;
    // A stop was asked for.
    virtual bool Terminated() const = 0;
    // The repeat switch is down (up: one pass only).
    virtual bool RepeatDown() const = 0;
    // Milliseconds of a steady clock.
    virtual int64_t Now() const = 0;
    // Sleeps up to ms; may return early once a stop is asked for.
    virtual void Sleep(int ms) = 0;
};

class CAutoTestRun {
public:
    static constexpr int SliceMs = 100; // a stop request is seen within one slice

    // rowCount: the grid's RowCount - 1, so rowCount - 1 is the last data row.
    CAutoTestRun(IAutoTestHost& host, const SAutoTestMode& mode, int rowCount)
        : host_(host), mode_(mode), rowCount_(rowCount)
    {
    }

    // The whole run, from SyncStart to SyncEnd.
    void Execute();

    int Row() const { return row_; }
    int PassesDone() const { return passesDone_; }

private:
    // Waits the delay in slices; false when a stop request cut it short.
    void Dwell(int64_t delay);
    // The end of a pass: true when the run goes on.
    bool NextPass();

    IAutoTestHost& host_;
    SAutoTestMode mode_;
    int row_ = 1;
    int passesDone_ = 0;
    int cyclesLeft_ = 0;
    int64_t startTick_ = 0;
    int64_t msLeft_ = 0;
    int rowCount_ = 0;
    int64_t stepDelay_ = 0;
};

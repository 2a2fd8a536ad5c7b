#pragma once
// The count-down that makes the user wait while the unit restarts: elapsed time, progress and
// the "seconds left" text.

#include <string>

class CCountdown {
public:
    static constexpr int DefaultDuration = 7000; // ms
    static constexpr int TickInterval = 1000;    // ms

    int Duration = DefaultDuration;
    int Elapsed = 0;

    void Start() { Elapsed = 0; }
    // One tick of the given interval; true when the count-down has ended.
    bool Tick(int intervalMs);
    bool Ended() const { return Elapsed >= Duration; }
    // 0 to 100.
    int Progress() const;
    std::string Text() const;
};

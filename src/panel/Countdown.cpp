#include "panel/Countdown.h"

#include <algorithm>

bool CCountdown::Tick(int intervalMs)
{
    Elapsed += intervalMs;
    return Ended();
}

int CCountdown::Progress() const
{
    if (Duration <= 0)
        return 100;
    return std::clamp(static_cast<int>(100LL * Elapsed / Duration), 0, 100);
}

std::string CCountdown::Text() const
{
    return std::to_string(std::max(0, Duration - Elapsed) / 1000) + " seconds left...";
}

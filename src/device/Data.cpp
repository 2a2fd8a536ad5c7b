#include "device/Data.h"

#include <chrono>

CData::CData(Clock clock) : clock_(clock ? clock : &CData::SteadyMs) {}

int64_t CData::SteadyMs()
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

bool CData::Add()
{
    const int64_t now = clock_();
    if (history_.Empty())
        origin_ = now;
    latest_.SetTime(now - origin_);
    return Appended(history_.Append(latest_));
}

CData& ProgramData()
{
    static CData data;
    return data;
}

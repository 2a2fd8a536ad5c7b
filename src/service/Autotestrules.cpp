#include "service/Autotestrules.h"

#include "common/Helpers.h"
#include "service/Autotesttable.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr size_t MaxListedLines = 10;

int64_t TruncClamped(double v, int64_t lo, int64_t hi)
{
    if (std::isnan(v))
        return 0;
    if (v <= double(lo))
        return lo;
    if (v >= double(hi))
        return hi;
    return int64_t(v);
}

} // namespace

bool CAutoTestRules::Enabled(EAutoTestAction action, bool running, int r, int rowCount)
{
    if (action == EAutoTestAction::Stop)
        return running;
    if (running)
        return false;
    switch (action) {
    case EAutoTestAction::Plus: return r > 0 && r < rowCount;
    case EAutoTestAction::Minus: return r > 0 && r < rowCount - 1;
    case EAutoTestAction::Delete: return rowCount > 2;
    default: return true;
    }
}

int64_t CAutoTestRules::DelayMs(double seconds)
{
    if (!(seconds > 0.0))
        return 0;
    return TruncClamped(seconds * 1000.0, 0, MaxDelayMs);
}

int64_t CAutoTestRules::RunMs(double minutes)
{
    return TruncClamped(minutes * double(MsPerMinute), -MaxRunMs, MaxRunMs);
}

SAutoTestStep CAutoTestRules::Step(const std::string& time, const std::string& load,
                                   const std::string& tune, int mode, int cyclesLeft,
                                   int64_t msLeft)
{
    SAutoTestStep s;
    double seconds = 0;
    if (!CAutoTestTable::CellToFloat(time, seconds) || !CAutoTestTable::CellToFloat(load, s.Load) ||
        !CAutoTestTable::CellToFloat(tune, s.Tune))
        return SAutoTestStep{};
    s.Valid = true;
    s.DelayMs = DelayMs(seconds);
    if (mode == SAutoTestMode::ModeCycles) {
        s.ShowStatus = true;
        s.Status = std::to_string(cyclesLeft) + " cycles left";
    } else if (mode == SAutoTestMode::ModeTime) {
        s.ShowStatus = true;
        s.Status = FloatToText(double(msLeft) / double(MsPerMinute), 1) + " minutes left";
    }
    return s;
}

std::string CAutoTestRules::MinutesText(double minutes) { return FloatToText(minutes, 1); }

SAutoTestMode CAutoTestRules::FromDialog(int radioIndex, const std::string& cycles,
                                         const std::string& minutes)
{
    SAutoTestMode m;
    m.Mode = radioIndex;
    m.Cycles = TextToInt(cycles);
    m.Minutes = TextToDouble(minutes);
    return m;
}

std::string CAutoTestRules::RejectedLinesText(const std::vector<int>& lines)
{
    if (lines.empty())
        return {};
    std::string list;
    for (size_t i = 0; i < lines.size() && i < MaxListedLines; ++i)
        list += (i ? ", " : "") + std::to_string(lines[i]);
    if (lines.size() > MaxListedLines)
        list += " and " + std::to_string(lines.size() - MaxListedLines) + " more";
    if (lines.size() == 1)
        return "Line " + list + " is not a row of three numbers and was not loaded.";
    return "Lines " + list + " are not rows of three numbers and were not loaded.";
}

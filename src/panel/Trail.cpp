#include "panel/Trail.h"

#include <algorithm>
#include <iterator>

int CTrail::Start(int samples, int count, int runStart)
{
    const int start = samples == All ? 0 : std::max(count - samples, 0);
    return std::max(start, std::min(runStart, count));
}

CTrail::EUpdate CTrail::Update(int samples, int count, int trailStart, int runStart)
{
    if (count <= 0)
        return EUpdate::Nothing;
    const int s = samples == All ? count : samples;
    if (s == 1)
        return EUpdate::MoveMarker;
    // The first sample of a new unit: the old unit's trail goes.
    if (trailStart < runStart && runStart < count)
        return EUpdate::Repaint;
    const int newStart = std::max(count - s, 0);
    if (newStart - trailStart > s / RepaintDivisor)
        return EUpdate::Repaint;
    return EUpdate::Extend;
}

bool CTrail::ValidSamples(int samples)
{
    return std::find(std::begin(MenuValues), std::end(MenuValues), samples) != std::end(MenuValues);
}

void CTrail::Begin(int samples, int count, int runStart)
{
    TrailStart = Start(samples, count, runStart);
    PenDown = false;
    HasLast = false;
}

void CTrail::Plot(const STracePoint& p, ITraceSink& sink)
{
    if (!p.Valid || !p.Joined)
        PenDown = false;
    if (!p.Valid)
        return;
    Last = {p.X, p.Y};
    HasLast = true;
    if (PenDown)
        sink.LineTo(p.X, p.Y);
    else
        sink.MoveTo(p.X, p.Y);
    PenDown = p.Joined;
}

int TruncPixel(double v)
{
    constexpr double Limit = 1000000.0;
    return int(std::clamp(v, -Limit, Limit));
}

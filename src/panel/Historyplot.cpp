#include "panel/Historyplot.h"

#include "device/Data.h"
#include "panel/Plotview.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace {

constexpr double NearOneLow = 0.7;
constexpr double NearOneHigh = 1.6;
constexpr double LineFraction = 0.1;
constexpr double PageFraction = 0.5;
constexpr int64_t DayMs = 86400000;

} // namespace

int CHistoryPlot::TruncIndex(double v)
{
    if (std::isnan(v))
        return 0;
    return int(std::clamp(std::trunc(v), double(INT_MIN), double(INT_MAX)));
}

double CHistoryPlot::Zoom() const { return view_.SafeScale(); }

double CHistoryPlot::Span(const SHistoryState& s) const { return s.Width / Zoom(); }

int CHistoryPlot::ScrollPosition(const SHistoryState& s) const
{
    const double span = Span(s);
    const double whole = s.Count + span;
    if (!(whole > 0))
        return 0;
    return std::clamp(TruncIndex((view_.FirstIndex + span) * ScrollRange / whole), 0, ScrollRange);
}

bool CHistoryPlot::ScrollEnabled(const SHistoryState& s)
{
    return s.Count > 0 && !s.TimerOn && s.HasItems && s.Width >= 1;
}

bool CHistoryPlot::Scroll(EScroll code, int position, const SHistoryState& s)
{
    if (!s.HasItems || s.Width <= 0 || s.Count <= 0)
        return false;
    const double span = Span(s);
    const double first = view_.FirstIndex;
    switch (code) {
    case LineLeft: view_.FirstIndex = TruncIndex(first - span * LineFraction); break;
    case LineRight: view_.FirstIndex = TruncIndex(first + span * LineFraction); break;
    case PageLeft: view_.FirstIndex = TruncIndex(first - span * PageFraction); break;
    case PageRight: view_.FirstIndex = TruncIndex(first + span * PageFraction); break;
    case Track:
        view_.FirstIndex = TruncIndex((s.Count + span) * position * 0.001 - span);
        break;
    case Other: break;
    }
    if (view_.FirstIndex < -span)
        view_.FirstIndex = TruncIndex(-span);
    if (view_.FirstIndex > s.Count)
        view_.FirstIndex = s.Count;
    return true;
}

void CHistoryPlot::ZoomAbout(double factor, const SHistoryState& s)
{
    const double centre = view_.FirstIndex + Span(s) * 0.5;
    double zoom = Zoom() * factor;
    if (zoom > NearOneLow && zoom < NearOneHigh)
        zoom = 1.0;
    view_.Scale = zoom;
    view_.FirstIndex = TruncIndex(centre - Span(s) * 0.5);
}

bool CHistoryPlot::ZoomOut(const SHistoryState& s)
{
    if (!(Zoom() > MinZoom))
        return false;
    ZoomAbout(0.5, s);
    return true;
}

bool CHistoryPlot::ZoomIn(const SHistoryState& s)
{
    if (!(Zoom() < MaxZoom))
        return false;
    ZoomAbout(2.0, s);
    return true;
}

bool CHistoryPlot::ZoomAuto(const SHistoryState& s)
{
    if (!s.HasItems || s.Width <= 0 || s.Count <= 0)
        return false;
    view_.FirstIndex = 0;
    view_.Scale = std::min(double(s.Width) / s.Count, MaxZoom);
    return true;
}

bool CHistoryPlot::MouseDown(int x, const SHistoryState& s)
{
    if (ignoreNextPress_) {
        ignoreNextPress_ = false;
        return false;
    }
    if (selecting_ || s.TimerOn || !s.HasItems || s.Width <= 0 || s.Count <= 0)
        return false;
    selecting_ = true;
    startX_ = currentX_ = x;
    DrawSelectionLine(0, startX_);
    DrawSelectionLine(1, currentX_);
    return true;
}

bool CHistoryPlot::MouseMove(int x)
{
    if (!selecting_)
        return false;
    DrawSelectionLine(1, currentX_);
    currentX_ = x;
    DrawSelectionLine(1, currentX_);
    return true;
}

bool CHistoryPlot::MouseUp(bool& zoomed, const SHistoryState& s)
{
    zoomed = false;
    if (!selecting_)
        return false;
    selecting_ = false;
    DrawSelectionLine(0, startX_);
    DrawSelectionLine(1, currentX_);
    const int drag = std::abs(startX_ - currentX_);
    if (drag < MinDrag)
        return true;
    const double zoom = Zoom();
    const double a = view_.FirstIndex + startX_ / zoom;
    const double b = view_.FirstIndex + currentX_ / zoom;
    view_.Scale = std::min(s.Width * zoom / drag, MaxZoom);
    view_.FirstIndex = TruncIndex(std::min(a, b));
    zoomed = true;
    return true;
}

void CHistoryPlot::DrawSelectionLine(int k, int x)
{
    const SSelectionLine line{k, x};
    auto it = std::find(lines_.begin(), lines_.end(), line);
    if (it != lines_.end())
        lines_.erase(it);
    else
        lines_.push_back(line);
}

std::vector<int> CHistoryPlot::LineRows(int k, int height)
{
    std::vector<int> rows;
    for (int y = 0; y < height; y += LinePeriod)
        for (int d = 0; d < LineDash; ++d)
            rows.push_back(y + LineInterleave * k + d);
    return rows;
}

std::vector<STimeTick> CHistoryPlot::TimeTicks(int boxWidth, const CData& data) const
{
    std::vector<STimeTick> ticks;
    const int count = data.Count();
    if (count <= 0)
        return ticks;
    const bool hours = data.At(count - 1)->Time() >= HourMs;
    const double zoom = Zoom();
    for (int x = FirstTickX; x < boxWidth - TickRightMargin; x += TickSpacing) {
        const int i = TruncIndex(view_.FirstIndex + x / zoom);
        if (i < 0)
            continue;
        if (i >= count)
            break;
        ticks.push_back({x, TimeLabel(data.At(i)->Time(), hours)});
    }
    return ticks;
}

std::string CHistoryPlot::TimeLabel(int64_t ms, bool withHours)
{
    const int64_t ofDay = ((ms % DayMs) + DayMs) % DayMs;
    const int64_t seconds = ofDay / 1000;
    char text[16];
    if (withHours)
        std::snprintf(text, sizeof text, "%02d:%02d:%02d", int(seconds / 3600),
                      int(seconds / 60 % 60), int(seconds % 60));
    else
        std::snprintf(text, sizeof text, "%02d:%02d", int(seconds / 60 % 60), int(seconds % 60));
    return text;
}

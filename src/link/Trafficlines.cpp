#include "link/Trafficlines.h"

void CTrafficLines::AddLine(const std::string& line)
{
    if (Active())
        Keep(line);
}

void CTrafficLines::Show()
{
    lines_.clear();
    paused_ = false;
    visible_ = true;
}

bool CTrafficLines::TogglePause()
{
    paused_ = !paused_;
    if (paused_ && visible_)
        Keep(PauseLine);
    return paused_;
}

std::string CTrafficLines::Text() const
{
    std::string text;
    for (const std::string& l : lines_) {
        text += l;
        text += '\n';
    }
    return text;
}

void CTrafficLines::Keep(const std::string& line)
{
    while (lines_.size() >= limit_)
        lines_.pop_front();
    lines_.push_back(line);
    if (onLine_)
        onLine_(line);
}

#pragma once
// What the traffic log window keeps: the link's lines while the window is shown and not
// paused, at most Limit of them (the oldest go first), and one "Pause..." line where a pause
// began. It is the link's traffic-log sink; the window mirrors the lines it accepts.

#include "common/Hooks.h"

#include <cstddef>
#include <deque>
#include <functional>
#include <string>

class CTrafficLines : public ITrafficLog {
public:
    static constexpr size_t DefaultLimit = 10000;
    static constexpr const char* PauseLine = "Pause...";

    explicit CTrafficLines(size_t limit = DefaultLimit) : limit_(limit ? limit : 1) {}

    // --- ITrafficLog --------------------------------------------------------------------
    bool Active() const override { return visible_ && !paused_; }
    void AddLine(const std::string& line) override;

    // Called with each line kept (after the oldest was dropped at the limit).
    void SetOnLine(std::function<void(const std::string&)> onLine) { onLine_ = std::move(onLine); }

    // Shown: starts empty and not paused. Hidden: lines are dropped.
    void Show();
    void Hide() { visible_ = false; }
    // Toggles the pause; pausing adds one "Pause..." line. Returns the new paused state.
    bool TogglePause();
    void Clear() { lines_.clear(); }

    bool Visible() const { return visible_; }
    bool Paused() const { return paused_; }
    size_t Limit() const { return limit_; }
    const std::deque<std::string>& Lines() const { return lines_; }
    // The lines joined by line feeds, as the clipboard gets them.
    std::string Text() const;

private:
    void Keep(const std::string& line);

    size_t limit_;
    bool visible_ = false;
    bool paused_ = false;
    std::deque<std::string> lines_;
    std::function<void(const std::string&)> onLine_;
};

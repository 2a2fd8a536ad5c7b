#pragma once
// The few ways the core reaches the user interface. The GUI installs real implementations at
// start-up; tests install scripted ones. With nothing installed the core stays silent: questions
// are answered "No" and messages are dropped.

#include <string>

class IMessageHooks {
public:
    virtual ~IMessageHooks() = default;
    virtual void Beep() = 0;
    // Question with Yes and No; true for Yes.
    virtual bool AskYesNo(const std::string& caption, const std::string& text) = 0;
    // Warning (exclamation icon, OK); returns the box's result.
    virtual int ShowWarning(const std::string& caption, const std::string& text) = 0;
    // Plain message box with OK; returns the box's result.
    virtual int ShowMessageBox(const std::string& caption, const std::string& text) = 0;
};

// Receives the link's traffic lines. Active() is false while the log window is hidden or
// paused, so the link builds no text then.
class ITrafficLog {
public:
    virtual ~ITrafficLog() = default;
    virtual bool Active() const = 0;
    virtual void AddLine(const std::string& line) = 0;
};

void InstallMessageHooks(IMessageHooks* hooks); // nullptr removes
IMessageHooks* MessageHooks();                  // may be nullptr

void InstallTrafficLog(ITrafficLog* log);        // nullptr removes
ITrafficLog* TrafficLog();                       // may be nullptr

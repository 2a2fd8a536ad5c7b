#pragma once
// The core's questions, warnings and beeps, shown with Qt message boxes on the application.

#include "common/Hooks.h"

class TMessageHooks : public IMessageHooks {
public:
    void Beep() override;
    bool AskYesNo(const std::string& caption, const std::string& text) override;
    int ShowWarning(const std::string& caption, const std::string& text) override;
    int ShowMessageBox(const std::string& caption, const std::string& text) override;
};

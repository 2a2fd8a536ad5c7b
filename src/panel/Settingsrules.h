#pragma once
// Rules of the settings dialog's General and Connection pages.

#include <string>

class CSettingsRules {
public:
    static constexpr int MinReadTimer = 100;
    static constexpr int MaxReadTimer = 10000;
    static constexpr int ReadTimerStep = 100;
    static constexpr int MinMaxReadErrors = 1;
    static constexpr int MaxMaxReadErrors = 1000;
    static constexpr int MinAddr = 1;
    static constexpr int MaxAddr = 31;
    static constexpr int MinTimeout = 100;
    static constexpr int MaxTimeout = 10000;
    static constexpr int MaxUnitNumber = 255;

    // Leading and trailing characters up to and including the space removed.
    static std::string TrimCaption(const std::string& text);
    // A read-timer interval as the timer may run it: within 100..10000 ms.
    static int ClampReadTimer(int ms);
    // "Settings", then " - " and the settings file's name when there is one.
    static std::string Caption(const std::string& settingsFileName);
    // The question of the Clear button for a pane tab.
    static std::string ClearQuestion(int paneTab);
};

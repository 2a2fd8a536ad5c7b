#include "panel/Settingsrules.h"

#include "common/Helpers.h"

#include <algorithm>

std::string CSettingsRules::TrimCaption(const std::string& text)
{
    return TrimText(text);
}

int CSettingsRules::ClampReadTimer(int ms)
{
    return std::clamp(ms, MinReadTimer, MaxReadTimer);
}

std::string CSettingsRules::Caption(const std::string& settingsFileName)
{
    std::string caption = "Settings";
    if (!settingsFileName.empty())
        caption += " - " + settingsFileName;
    return caption;
}

std::string CSettingsRules::ClearQuestion(int paneTab)
{
    return "Do you want to clear Pane " + std::to_string(paneTab + 1) + "?";
}

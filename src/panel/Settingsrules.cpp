#include "panel/Settingsrules.h"

#include <algorithm>

std::string CSettingsRules::TrimCaption(const std::string& text)
{
    auto blank = [](char c) { return static_cast<unsigned char>(c) <= ' '; };
    size_t b = 0, e = text.size();
    while (b < e && blank(text[b]))
        ++b;
    while (e > b && blank(text[e - 1]))
        --e;
    return text.substr(b, e - b);
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

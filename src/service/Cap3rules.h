#pragma once
// The 3 Cap page's rules without the window: texts to and from the page data, the selected
// preset, the defaults and the checks before a send.

#include "service/Unitpages.h"

#include <array>
#include <string>

struct C3capTexts {
    std::string min = "0", max = "100";
    int presetSel = 0;
    std::array<std::string, CUnitState::ThirdCapPresets> presets{"0", "0", "0", "0"};
    std::string error = "0.00", gain = "0", period = "0", maxStep = "0.00", vlevel = "0";
};

C3capTexts Cap3Texts(const C3capData& data);
// Limits and presets 0..100 %, error 0..65.53, gain a signed word, period and level words,
// max step 0..100 %; max step x 100 and error x 1000 rounded half away from zero.
bool ParseCap3Texts(const C3capTexts& texts, C3capData& data, std::string& error);
// Period "100", gain "10", max step "1.00", error "0.10"; limits, presets and level untouched.
void Cap3Defaults(C3capTexts& texts);
// The first checked of presets 0, 1, 2; otherwise 3.
int SelectedCap3Preset(const std::array<bool, CUnitState::ThirdCapPresets>& checked);

#include "service/Cap3rules.h"

#include "common/Helpers.h"
#include "service/Fieldcheck.h"

namespace {

constexpr double StepScale = 100.0;  // the unit's max step word: percent x 100
constexpr double ErrorScale = 1000.0; // the unit's error word: ratio error x 1000
constexpr int WordMax = 65535;

} // namespace

C3capTexts Cap3Texts(const C3capData& d)
{
    C3capTexts t;
    t.min = FloatToText(d.min, 0);
    t.max = FloatToText(d.max, 0);
    t.presetSel = d.presetSel;
    for (int i = 0; i < CUnitState::ThirdCapPresets; ++i)
        t.presets[i] = FloatToText(d.presets[i], 0);
    t.vlevel = std::to_string(d.vlevel);
    t.period = std::to_string(d.control.timer);
    t.gain = std::to_string(d.control.gain);
    t.maxStep = FloatToText(d.control.maxStep / StepScale, 2);
    t.error = FloatToText(d.control.error / ErrorScale, 2);
    return t;
}

bool ParseCap3Texts(const C3capTexts& t, C3capData& d, std::string& error)
{
    CFieldCheck f;
    C3capData out = d;
    f.Double("3rd capacitor min (%)", t.min, 0, 100, out.min);
    f.Double("3rd capacitor max (%)", t.max, 0, 100, out.max);
    out.presetSel = t.presetSel;
    for (int i = 0; i < CUnitState::ThirdCapPresets; ++i)
        f.Double("Preset " + std::to_string(i + 1) + " (%)", t.presets[i], 0, 100, out.presets[i]);
    double errorValue = 0, stepValue = 0;
    f.Double("Error", t.error, 0, WordMax / ErrorScale, errorValue);
    f.Int("Gain", t.gain, -32768, 32767, out.control.gain);
    f.Int("Period (ms)", t.period, 0, WordMax, out.control.timer);
    f.Double("Max step (%)", t.maxStep, 0, 100, stepValue);
    f.Int("OverVoltage Level (V)", t.vlevel, 0, WordMax, out.vlevel);
    if (!f.Ok()) {
        error = f.Error();
        return false;
    }
    out.control.maxStep = static_cast<int>(RoundHalfAway(stepValue * StepScale));
    out.control.error = static_cast<int>(RoundHalfAway(errorValue * ErrorScale));
    d = out;
    return true;
}

void Cap3Defaults(C3capTexts& t)
{
    t.period = "100";
    t.gain = "10";
    t.maxStep = "1.00";
    t.error = "0.10";
}

int SelectedCap3Preset(const std::array<bool, CUnitState::ThirdCapPresets>& checked)
{
    for (int i = 0; i < CUnitState::ThirdCapPresets - 1; ++i)
        if (checked[i])
            return i;
    return CUnitState::ThirdCapPresets - 1;
}

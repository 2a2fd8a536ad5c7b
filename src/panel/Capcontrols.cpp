#include "panel/Capcontrols.h"

#include "device/Datarec.h"
#include "device/Device.h"

#include <algorithm>
#include <chrono>
#include <cmath>

namespace capscale {

int TrackFromPercent(double percent)
{
    const double t = TrackMax - percent * 100.0;
    if (!(t >= 0.0))
        return 0;
    return t > TrackMax ? TrackMax : static_cast<int>(t);
}

double PercentFromTrack(int track) { return 100.0 - 0.01 * track; }

int SelectionStart(double upperPercent)
{
    return static_cast<int>(std::lround(TrackMax - 100.0 * upperPercent));
}

int SelectionEnd(double lowerPercent)
{
    return static_cast<int>(std::lround(TrackMax - 100.0 * lowerPercent));
}

} // namespace capscale

namespace {

// Status flags of the mode and preset buttons.
constexpr int FlagAuto = 30;
constexpr int FlagManual = 31;
constexpr int FlagSerial = 32;
constexpr int FlagPresetOn = 34;
constexpr int Flag3capAuto = 37;
constexpr int Flag3capPresetOn = 39;
constexpr int FlagExtPreset = 41;
constexpr int FlagNotAuto = 42;

int64_t SteadyMs()
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

} // namespace

CCapControls::CCapControls(CDevice& device) : device_(device), now_(SteadyMs) {}

ControlPage CCapControls::SelectPage(const CUnitState& unit)
{
    if (unit.Has3rdCap())
        return ControlPage::ThirdCap;
    if (unit.IsFamily200())
        return ControlPage::Corvina;
    if (unit.PinBit31())
        return ControlPage::IO;
    return ControlPage::Plain;
}

CControlButtons CCapControls::Buttons(const CDataRec& rec)
{
    CControlButtons b;
    b.serial = rec.Flag(FlagSerial) != 0;
    b.manual = rec.Flag(FlagManual) != 0;
    b.autoMode = rec.Flag(FlagAuto) != 0;
    b.notAuto = rec.Flag(FlagNotAuto) != 0;
    const bool on = rec.Flag(FlagPresetOn) != 0;
    const bool ext = rec.Flag(FlagExtPreset) != 0;
    b.presetOnPlain = on && !ext;
    b.presetOn = on;
    b.presetOff = !on;
    b.extPresetOn = on && ext;
    b.thirdCapAuto = rec.Flag(Flag3capAuto) != 0;
    b.thirdCapSerial = !b.thirdCapAuto;
    b.thirdCapPresetOn = rec.Flag(Flag3capPresetOn) != 0;
    b.thirdCapPresetOff = !b.thirdCapPresetOn;
    return b;
}

int CCapControls::SetMode(int mode) { return device_.SetMode(mode); }

int CCapControls::SetPreset(bool on, bool external)
{
    if (on) {
        // A unit that refuses the external preset has not got it: the preset is not turned on
        // as a plain one in its place. Clearing the external mode for a plain preset may be
        // refused in a mode that never set it; the plain preset still follows.
        const int r = device_.SetExtPresetMode(external ? 1 : 0, !external);
        if (r != 0)
            return r;
    }
    return device_.SetPresetMode(on ? 1 : 0);
}

int CCapControls::Set3capMode(bool autoMode) { return device_.Set3capMode(autoMode ? 1 : 0); }

int CCapControls::Set3capPreset(bool on) { return device_.Set3capPresetOn(on ? 1 : 0); }

double CCapControls::ClampRatio(double ratio)
{
    if (!(ratio >= 0.0))
        return 0.0;
    return std::min(ratio, RatioMax);
}

int CCapControls::SetRatio(double ratio)
{
    const int r = device_.Write3capRatio(ClampRatio(ratio));
    if (r != 0)
        return r;
    double stored = 0.0;
    return device_.Read3capRatio(stored);
}

int CCapControls::MoveCapacitors(double loadPercent, double tunePercent)
{
    timedOut_ = false;
    const int64_t t0 = now_();
    const int r = device_.MoveCaps(loadPercent, tunePercent);
    if (r != 0)
        return r;
    movingCaps_ = true;
    int result = 0;
    for (;;) {
        const int m = device_.MotorStatus(MotorMask);
        if (m < 0) {
            result = m;
            break;
        }
        if (now_() - t0 > MoveTimeoutMs) {
            timedOut_ = m != 0;
            break;
        }
        const int p = device_.ReadPositions();
        if (p < 0) {
            result = p;
            break;
        }
        if (progress_)
            progress_();
        if (m == 0)
            break;
    }
    movingCaps_ = false;
    return result;
}

double CCapControls::ClampTo3capLimits(double percent) const
{
    const double lo = device_.CapMin(capindex::Third);
    const double hi = device_.CapMax(capindex::Third);
    if (!(percent >= lo))
        return lo;
    return percent > hi ? hi : percent;
}

int CCapControls::Move3rdCap(double percent)
{
    int r = device_.Write3capPosition(percent);
    if (r != 0)
        return r;
    return device_.Read3capPosition();
}

double CCapControls::KeyValue(PosKey key, double v, double s)
{
    switch (key) {
    case PosKey::Enter: return v;
    case PosKey::Up: return v + s;
    case PosKey::Down: return v - s;
    case PosKey::PageUp: return v + 10 * s;
    case PosKey::PageDown: return v - 10 * s;
    case PosKey::Home: return 0.0;
    case PosKey::End: return 100.0;
    }
    return v;
}

TrackAction CCapControls::TrackChange(bool mouseDown)
{
    if (movingCaps_)
        return TrackAction::Ignore;
    if (mouseDown) {
        trackDragged_ = true;
        return TrackAction::ShowDrag;
    }
    return trackDragged_ ? TrackAction::Send : TrackAction::Restore;
}

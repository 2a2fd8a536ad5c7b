#include "simunit/Simstate.h"

#include "device/Netmodel.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace simunit {

namespace {

// The network model reads a unit state; this one carries the simulated unit's capacitors.
class ModelUnit : public CUnitState {
public:
    ModelUnit(const SimUnitData& d)
    {
        pin_ = d.pin;
        model_ = d.model;
        model_.rtarget = 50.0;
        model_.xtarget = 0.0;
        for (int i = 0; i < CapCount; ++i) {
            caps_[i].cMax = d.caps[i].cMax;
            caps_[i].cMin = d.caps[i].cMin;
            caps_[i].totalSteps = d.caps[i].totalSteps;
        }
    }
};

// Auto tuning stops within this many ohm of 50 + j0.
constexpr double TunedOhm = 0.5;

int16_t Word(double v) { return ClampToShort(std::floor(v + 0.5)); }
int16_t OhmWord(double ohm) { return Word(ohm / 50.0 * 1024.0); }

} // namespace

std::pair<double, double> SimUnitData::Load() const
{
    if (wander <= 0.0)
        return {loadR, loadX};
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    const double angle = 2.0 * std::numbers::pi * seconds / WanderPeriodS;
    // A circle that would reach below WanderMinOhm is squeezed across: a load of no resistance
    // (or less) is one no network tunes.
    const double across = std::clamp(loadR - WanderMinOhm, 0.0, wander);
    return {loadR + across * std::cos(angle), loadX + wander * std::sin(angle)};
}

double SimUnitData::Noise() const
{
    if (!noise)
        return 0.0;
    noiseState = noiseState * 1664525u + 1013904223u;
    return double(noiseState >> 8) / double(1u << 23) - 1.0;
}

bool SimUnitData::MoveMotors()
{
    const auto now = std::chrono::steady_clock::now();
    const double seconds = std::chrono::duration<double>(now - lastMove).count();
    lastMove = now;
    bool moving = false;
    for (SimCap& c : caps) {
        if (c.position == c.target)
            continue;
        if (motorSpeed <= 0.0 || !motorsEnabled) {
            if (motorsEnabled)
                c.position = c.target;
            continue;
        }
        const double step = motorSpeed * seconds;
        if (std::fabs(c.target - c.position) <= step)
            c.position = c.target;
        else
            c.position += c.target > c.position ? step : -step;
        moving = moving || c.position != c.target;
    }
    return moving;
}

void SimUnitData::TuneStep()
{
    if (mode != ModeAuto || !rfOn || !motorsEnabled)
        return;
    if (caps[0].position != caps[0].target || caps[1].position != caps[1].target)
        return; // the last step is still under way
    const ModelUnit unit(*this);
    const auto [r0, x0] = Load();
    const auto z = NetModel::Impedance(unit, r0, x0, caps[0].position, caps[1].position);
    if (!z.valid || (std::fabs(z.r - 50.0) < TunedOhm && std::fabs(z.x) < TunedOhm))
        return;
    const auto step = NetModel::TuneStep(unit, z.r, z.x, caps[0].position, caps[1].position);
    const auto move = [](SimCap& c, double by) {
        c.target = std::clamp(c.position + by, c.minWord * 0.01, c.maxWord * 0.01);
    };
    move(caps[0], step.loadStep);
    move(caps[1], step.tuneStep);
}

uint8_t SimUnitData::MotorStatus()
{
    MoveMotors();
    uint8_t status = 0;
    for (int i = 0; i < 3; ++i)
        if (motorsEnabled && caps[i].position != caps[i].target)
            status |= static_cast<uint8_t>(1u << i);
    return status;
}

void SimUnitData::Settle()
{
    for (SimCap& c : caps)
        c.position = c.target;
    lastMove = std::chrono::steady_clock::now();
}

uint16_t SimUnitData::StatusWord(double gamma) const
{
    uint16_t w = 0;
    if (rfOn)
        w |= 1u << 0;
    if (gamma < 0.1)
        w |= 1u << 1;
    switch (mode) {
    case 0: w |= 1u << 4; break;
    case 1: w |= 1u << 2; break;
    case 2: w |= 1u << 3; break;
    case 3: w |= 1u << 12; break;
    default: break;
    }
    if (presetMode)
        w |= 1u << 5;
    if (extPresetMode)
        w |= 1u << 6;
    if (auto3)
        w |= 1u << 9;
    if (presetOn3)
        w |= 1u << 10;
    return w;
}

std::array<int16_t, 15> SimUnitData::LiveWords() const
{
    if (liveWords)
        return *liveWords;
    const ModelUnit unit(*this);
    std::array<int16_t, 15> w{};
    double r = 0.0, x = 0.0;
    const auto [r0, x0] = Load();
    const auto z = NetModel::Impedance(unit, r0, x0, caps[0].position, caps[1].position);
    if (z.valid) {
        r = z.r;
        x = z.x;
    }
    double gamma = 1.0;
    const Complex zin(r, x);
    const Complex sum = zin + Complex(50.0);
    if (!sum.IsZero())
        gamma = std::min(1.0, ((zin - Complex(50.0)) / sum).Magnitude());
    w[0] = OhmWord(r + NoiseOhm * Noise());
    w[1] = OhmWord(x + NoiseOhm * Noise());
    w[2] = Word(gamma * gamma * 1024.0);
    w[3] = rfOn ? Word((forwardPower + NoiseWatt * Noise()) * (1.0 - gamma * gamma)) : 0;
    if (unit.Has3rdCap()) {
        w[4] = static_cast<int16_t>(ratio3);
        w[5] = rfOn ? Word(150.0) : 0; // I1 x 100
        w[6] = rfOn ? Word(120.0) : 0;
        w[7] = Word(caps[2].position * 100.0);
    } else if (unit.HasOutputSensor()) {
        w[4] = OhmWord(r0);
        w[5] = OhmWord(x0);
        w[6] = outLoadGammaWord;
        w[7] = w[3];
    }
    w[8] = Word(caps[0].position * 100.0);
    w[9] = Word(caps[1].position * 100.0);
    w[10] = static_cast<int16_t>(StatusWord(gamma));
    w[11] = temp;
    w[12] = rfPeak;
    w[13] = dcBias;
    w[14] = rfCap;
    return w;
}

} // namespace simunit

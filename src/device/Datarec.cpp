#include "device/Datarec.h"

#include "device/Unitstate.h"

namespace {
constexpr double VswrInfinite = 9999.0;

// Forward power of delivered power p into r + jx against 50 ohm; 0 unless r and p are positive.
double ForwardPower(double r, double x, double p)
{
    if (r > 0.0 && p > 0.0)
        return p * 0.5 * ((r * r + x * x + 2500.0) / r * 0.01 + 1.0);
    return 0.0;
}
} // namespace

int CDataRec::SlotOf(int id)
{
    switch (id) {
    case varid::R: return 0;
    case varid::X: return 1;
    case varid::Gamma: return 2;
    case varid::DeliveredPower: return 3;
    // Units with a third capacitor carry the currents where others carry the load readings.
    case varid::RLoad: case varid::CurrentRatio: return 4;
    case varid::XLoad: case varid::Current1: return 5;
    case varid::Current2: return 6;
    case varid::LoadPower: case varid::ThirdCapPosition: return 7;
    case varid::LoadPosition: return 8;
    case varid::TunePosition: return 9;
    case varid::Temp: return 10;
    case varid::RfPeak: return 11;
    case varid::DcBias: return 12;
    case varid::RfCap: return 13;
    default: return -1;
    }
}

double CDataRec::Value(int id) const
{
    const int slot = SlotOf(id);
    if (slot >= 0)
        return values_[slot];
    switch (id) {
    case varid::ForwardPower:
        return ForwardPower(Value(varid::R), Value(varid::X), Value(varid::DeliveredPower));
    case varid::ReflectedPower: {
        const double p = Value(varid::DeliveredPower);
        const double fwd = ForwardPower(Value(varid::R), Value(varid::X), p);
        return fwd == 0.0 ? 0.0 : fwd - p;
    }
    case varid::Vswr: {
        const double g = Value(varid::Gamma);
        if (!(g < 1.0))
            return VswrInfinite;
        return (1.0 + g) / (1.0 - g);
    }
    default:
        return 0.0;
    }
}

double CDataRec::Value(int id, const CUnitState& unit) const
{
    switch (id) {
    case varid::LoadPf: return unit.CapToPf(0, Value(varid::LoadPosition));
    case varid::TunePf: return unit.CapToPf(1, Value(varid::TunePosition));
    case varid::ThirdCapPf: return unit.CapToPf(2, Value(varid::ThirdCapPosition));
    default: return Value(id);
    }
}

void CDataRec::SetValue(int id, double value)
{
    const int slot = SlotOf(id);
    if (slot >= 0)
        values_[slot] = static_cast<float>(value);
}

int CDataRec::Flag(int id) const
{
    int bit;
    switch (id) {
    case 30: bit = 2; break;      // Auto
    case 31: bit = 4; break;      // Manual
    case 32: bit = 3; break;      // Serial
    case 33: bit = 0; break;      // RF on
    case 34: bit = 5; break;      // Preset On
    case 36: bit = 1; break;      // tuned
    case 37: bit = 8 + 1; break;  // 3Cap Auto
    case 39: bit = 8 + 2; break;  // 3Cap Preset
    case 40: bit = 8 + 0; break;  // 3Cap Tuned
    case 41: bit = 6; break;      // External Preset
    case 42: bit = 8 + 4; break;  // Preset
    case 45: bit = 8 + 6; break;
    default: return 0;
    }
    return (status_ >> bit) & 1u;
}

#include "device/Datarec.h"

#include "device/Unitstate.h"

namespace {
// Variable ids that the record derives instead of storing.
constexpr int IdForwardPower = 5;
constexpr int IdReflectedPower = 6;
constexpr int IdLoadPf = 16;
constexpr int IdTunePf = 17;
constexpr int Id3rdCapPf = 18;
constexpr int IdVswr = 23;
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
    case 1: return 0;           // R
    case 2: return 1;           // X
    case 3: return 2;           // Gamma
    case 4: return 3;           // delivered power
    case 7: case 12: return 4;  // R load / current ratio
    case 8: case 10: return 5;  // X load / I1
    case 11: return 6;          // I2
    case 9: case 15: return 7;  // P load / third-cap position
    case 13: return 8;          // Load position
    case 14: return 9;          // Tune position
    case 19: return 10;         // Temp
    case 20: return 11;         // RF Peak
    case 21: return 12;         // DC Bias
    case 22: return 13;         // RF Cap
    default: return -1;
    }
}

double CDataRec::Value(int id) const
{
    const int slot = SlotOf(id);
    if (slot >= 0)
        return values_[slot];
    switch (id) {
    case IdForwardPower:
        return ForwardPower(Value(1), Value(2), Value(4));
    case IdReflectedPower: {
        const double fwd = ForwardPower(Value(1), Value(2), Value(4));
        return fwd == 0.0 ? 0.0 : fwd - Value(4);
    }
    case IdVswr: {
        const double g = Value(3);
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
    case IdLoadPf: return unit.CapToPf(0, Value(13));
    case IdTunePf: return unit.CapToPf(1, Value(14));
    case Id3rdCapPf: return unit.CapToPf(2, Value(15));
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

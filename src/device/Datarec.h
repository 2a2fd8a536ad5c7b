#pragma once
// One live sample: the unit's status word, fourteen readings read and written by variable id,
// the eight status bytes of the fault word and the sample time. A plain value, copied into the
// sample history.

#include <array>
#include <cstdint>

class CUnitState;

// Variable ids of the live readings, the values derived from them and the status flags.
namespace varid {
constexpr int R = 1;
constexpr int X = 2;
constexpr int Gamma = 3;
constexpr int DeliveredPower = 4;
constexpr int ForwardPower = 5;
constexpr int ReflectedPower = 6;
constexpr int RLoad = 7;
constexpr int XLoad = 8;
constexpr int LoadPower = 9;
constexpr int Current1 = 10;
constexpr int Current2 = 11;
constexpr int CurrentRatio = 12;
constexpr int LoadPosition = 13;
constexpr int TunePosition = 14;
constexpr int ThirdCapPosition = 15;
constexpr int LoadPf = 16;
constexpr int TunePf = 17;
constexpr int ThirdCapPf = 18;
constexpr int Temp = 19;
constexpr int RfPeak = 20;
constexpr int DcBias = 21;
constexpr int RfCap = 22;
constexpr int Vswr = 23;
// Status flags.
constexpr int FlagRfOn = 33;
constexpr int FlagTuned = 36;
constexpr int Flag3capTuned = 40;
constexpr int FlagCapsDisabled = 45;
} // namespace varid

class CDataRec {
public:
    static constexpr int Slots = 14;

    // Value of a variable id: stored readings, and the derived ids 5 (forward power),
    // 6 (reflected power) and 23 (VSWR; 9999 when Gamma is 1 or more). The capacitances
    // (16, 17, 18) need the unit's capacitor ranges and are 0 from this overload.
    double Value(int id) const;
    double Value(int id, const CUnitState& unit) const;
    // Stores ids 1-4, 7-15 and 19-22; other ids are ignored.
    void SetValue(int id, double value);
    // Status flag by id 30..45: 0 or 1.
    int Flag(int id) const;

    uint32_t Status() const { return status_; }
    void SetStatus(uint32_t status) { status_ = status; }
    void SetStatusBytes(uint32_t low, uint32_t high)
    {
        statusBytes_[0] = low;
        statusBytes_[1] = high;
    }
    // The 64-bit fault word: status byte 0 in the low byte.
    uint64_t FaultWord() const { return (uint64_t(statusBytes_[1]) << 32) | statusBytes_[0]; }

    // Milliseconds since the history's time origin.
    int64_t Time() const { return time_; }
    void SetTime(int64_t ms) { time_ = ms; }

    // The float slot of a stored id, -1 for derived or unknown ids.
    static int SlotOf(int id);

private:
    uint32_t status_ = 0;
    std::array<float, Slots> values_{};
    std::array<uint32_t, 2> statusBytes_{};
    int64_t time_ = 0;
};

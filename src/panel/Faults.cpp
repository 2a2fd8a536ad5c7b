#include "panel/Faults.h"

namespace {

const char* const NoFaultsText = "No Faults";
const char* const MultipleFaultsText = "Multiple Faults Exist";
const char* const UnknownFaultText = "Unknown Fault";

bool BitSet(uint64_t word, int bit) { return (word >> bit) & 1u; }

} // namespace

const std::vector<SFault>& CFaults::FaultTable()
{
    static const std::vector<SFault> table = {
        {0, "Low 24 V", "Low24Led"},
        {1, "Over Voltage", "OverVoltageLed"},
        {2, "Fan is Slow", "SlowFanLed"},
        {3, "Over Temperature", "OverTempLed"},
        {4, "High Current", "HighCurrentLed"},
        {5, "Tune voltage", "SeriesVoltageLed"},
        {6, "Output Current", "OutputCurrentLed"},
        {7, "Fan 2 is Slow", "SlowFan2Led"},
        {8, "Fan 3 is Slow", "SlowFan3Led"},
        {9, "Load/Tune initalization", "LTInitLed"},
        {10, "Load/Tune indexing", "LTIndexLed"},
        {11, "3-rd cap initalization", "_3capInitLed", true},
        {12, "3-rd cap indexing", "_3capIndexLed", true},
        {13, "Motor initialization", "MotorInitLed"},
        {14, "Drip sensor", "DripSensorLed"},
        {16, "Profibus Watch dog", "PBWDLed"},
        {17, "Profibus Master/Slave", "PBMRSLed"},
        {18, "Profibus MAC reaset", "PBMacRLed"},
        {19, "Profibus Buffer overflow", "PBBOLed"},
        {20, "Profibus DPRAM overflow", "DPRAMLed"},
        {56, "Generic fault", "GenericLed"},
        {59, "XILINX initialization fault", "XilinxLed"},
        {61, "Unit pointer", "UnitPointerLed"},
        {62, "EEPROM fault", "EEPROMLed"},
        {63, "NOVRAM fault", "NOVRAMLed"},
    };
    return table;
}

std::string CFaults::FaultName(uint64_t word)
{
    if (word == 0)
        return "";
    for (const SFault& f : FaultTable())
        if (word == (uint64_t(1) << f.Bit))
            return f.Name;
    return UnknownFaultText;
}

bool CFaults::HasUnknownBits(uint64_t word)
{
    uint32_t low = uint32_t(word);
    uint32_t high = uint32_t(word >> 32);
    return (low & ~KnownLowMask) != 0 || (high & UnknownHighMask) != 0;
}

bool CFaults::FindHardFault(uint64_t word, SHardFault& out)
{
    static const std::vector<std::string> memoryLines = {
        "Try to recycle Vantrel power.", "If this message appears again, contact Ostra."};
    static const std::vector<SHardFault> priority = {
        {59, "HARDWARE FAULT (XILINX)", false, memoryLines},
        {62, "HARDWARE FAULT (EEPROM)", true, memoryLines},
        {63, "HARDWARE FAULT (NOVRAM)", true, memoryLines},
        {0, "LOW DC INPUT", false, {"DC input voltage low.", "Repair DC power supply."}},
    };
    for (const SHardFault& h : priority)
        if (BitSet(word, h.Bit)) {
            out = h;
            return true;
        }
    return false;
}

SAlarmState CFaults::Evaluate(uint64_t word, bool disAudio, bool muteDown)
{
    SAlarmState s;
    const auto& table = FaultTable();
    s.Leds.reserve(table.size());
    for (const SFault& f : table)
        s.Leds.push_back(BitSet(word, f.Bit));
    s.UnknownLed = HasUnknownBits(word);

    s.InterlockOpen = BitSet(word, InterlockBit);
    word &= ~(uint64_t(1) << InterlockBit);

    for (uint64_t w = word; w != 0 && s.FaultCount < 2; w &= w - 1)
        ++s.FaultCount;

    bool faults = s.FaultCount > 0;
    s.MutePanelVisible = faults && !disAudio;
    if (faults) {
        if (disAudio)
            s.ReleaseMute = true;
        else if (!muteDown)
            s.Beep = true;
    } else {
        s.ReleaseMute = true;
    }

    if (s.FaultCount == 0)
        s.AlarmText = NoFaultsText;
    else if (s.FaultCount == 1)
        s.AlarmText = FaultName(word);
    else
        s.AlarmText = MultipleFaultsText;
    s.AlarmHighlighted = faults;

    s.HasHardFault = FindHardFault(word, s.HardFault);
    return s;
}

#pragma once
// The unit's 64-bit fault word: one bit per fault. The first four status bytes of the live read
// form the low half, the last four the high half. This unit names the faults, tells which LED
// shows each, decides the alarm texts, the sound and which hard fault (if any) stops the panel.

#include <cstdint>
#include <string>
#include <vector>

struct SFault {
    int Bit;
    const char* Name;     // as shown to the user
    const char* LedName;  // objectName of the fault's LED
    bool ThirdCapOnly = false; // shown only for units with a third capacitor
};

// One hard fault that stops the panel and opens the hard-fault window.
struct SHardFault {
    int Bit;
    std::string Title;
    bool InitMemVisible;
    std::vector<std::string> MemoLines;
};

// Everything the window shows after one sample, computed from the fault word and the two
// user controls of the alarm (sound disabled, mute button down).
struct SAlarmState {
    std::vector<bool> Leds;       // one per FaultTable() row, in table order
    bool UnknownLed = false;
    bool InterlockOpen = false;
    int FaultCount = 0;           // set bits without the interlock bit, counted up to 2
    bool MutePanelVisible = false;
    bool Beep = false;
    bool ReleaseMute = false;     // the mute button is to be released
    std::string AlarmText;        // "No Faults", a fault's name or "Multiple Faults Exist"
    bool AlarmHighlighted = false;// yellow instead of the button face
    bool HasHardFault = false;
    SHardFault HardFault;
};

class CFaults {
public:
    static constexpr int InterlockBit = 60;
    static constexpr uint32_t KnownLowMask = 0x001F7FFFu;
    static constexpr uint32_t UnknownHighMask = 0x06FFFFFFu;

    // The named faults in LED order (26 LEDs with the unknown-fault LED).
    static const std::vector<SFault>& FaultTable();
    static constexpr const char* UnknownLedName = "UnknownFaultsLed";

    // The word from the two status words of a sample.
    static uint64_t Word(uint32_t low, uint32_t high) { return (uint64_t(high) << 32) | low; }
    // Name of a word with exactly one named bit; "" for 0; "Unknown Fault" otherwise.
    static std::string FaultName(uint64_t word);
    // Bits that are neither named nor the interlock bit.
    static bool HasUnknownBits(uint64_t word);
    // The first hard fault in priority order: XILINX, EEPROM, NOVRAM, low DC input.
    static bool FindHardFault(uint64_t word, SHardFault& out);

    // The interlock panel shows only while a local COM port is open to a unit that is neither
    // of family 0x200 nor has PIN bit 31.
    static bool InterlockShown(bool localPortOpen, bool family200, bool pinBit31)
    {
        return localPortOpen && !family200 && !pinBit31;
    }

    static SAlarmState Evaluate(uint64_t word, bool disAudio, bool muteDown);
};

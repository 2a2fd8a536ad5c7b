#include "panel/Faults.h"

#include <gtest/gtest.h>

namespace {

uint64_t Bit(int b) { return uint64_t(1) << b; }

struct FaultCase {
    const char* what;
    uint64_t word;
    bool disAudio;
    bool muteDown;
    std::vector<const char*> leds;  // LEDs that must be lit, by objectName
    bool unknownLed;
    bool interlock;
    const char* alarmText;
    bool beep;
    bool mutePanel;
    bool releaseMute;
    const char* hardTitle;          // nullptr: no hard fault
    bool initMemVisible;
};

TEST(FaultDecoder, DecodesEveryCaseOfTheTable)
{
    const FaultCase cases[] = {
        {"nothing", 0, false, false, {}, false, false, "No Faults", false, false, true, nullptr, false},
        {"interlock alone", Bit(60), false, false, {}, false, true, "No Faults", false, false, true, nullptr, false},
        {"two faults", Bit(1) | Bit(3), false, false, {"OverVoltageLed", "OverTempLed"}, false, false,
         "Multiple Faults Exist", true, true, false, nullptr, false},
        {"unknown low bit", Bit(15), false, false, {}, true, false, "Unknown Fault", true, true, false, nullptr, false},
        {"unknown high bit", Bit(57), false, false, {}, true, false, "Unknown Fault", true, true, false, nullptr, false},
        {"unknown bit 32", Bit(32), false, false, {}, true, false, "Unknown Fault", true, true, false, nullptr, false},
        {"named with interlock", Bit(2) | Bit(60), false, false, {"SlowFanLed"}, false, true, "Fan is Slow", true,
         true, false, nullptr, false},
        {"sound disabled", Bit(4), true, false, {"HighCurrentLed"}, false, false, "High Current", false, false, true,
         nullptr, false},
        {"muted", Bit(14), false, true, {"DripSensorLed"}, false, false, "Drip sensor", false, true, false, nullptr,
         false},
        {"xilinx before low dc", Bit(59) | Bit(0), false, false, {"XilinxLed", "Low24Led"}, false, false,
         "Multiple Faults Exist", true, true, false, "HARDWARE FAULT (XILINX)", false},
        {"eeprom before novram", Bit(62) | Bit(63), false, false, {"EEPROMLed", "NOVRAMLed"}, false, false,
         "Multiple Faults Exist", true, true, false, "HARDWARE FAULT (EEPROM)", true},
        {"novram before low dc", Bit(63) | Bit(0), false, false, {"NOVRAMLed", "Low24Led"}, false, false,
         "Multiple Faults Exist", true, true, false, "HARDWARE FAULT (NOVRAM)", true},
        {"low dc", Bit(0), false, false, {"Low24Led"}, false, false, "Low 24 V", true, true, false, "LOW DC INPUT",
         false},
        {"misspelt names kept", Bit(18), false, false, {"PBMacRLed"}, false, false, "Profibus MAC reaset", true,
         true, false, nullptr, false},
    };
    for (const FaultCase& c : cases) {
        SCOPED_TRACE(c.what);
        SAlarmState s = CFaults::Evaluate(c.word, c.disAudio, c.muteDown);
        const auto& table = CFaults::FaultTable();
        ASSERT_EQ(s.Leds.size(), table.size());
        for (size_t i = 0; i < table.size(); ++i) {
            bool expected = false;
            for (const char* name : c.leds)
                expected |= std::string(name) == table[i].LedName;
            EXPECT_EQ(s.Leds[i], expected) << table[i].LedName;
        }
        EXPECT_EQ(s.UnknownLed, c.unknownLed);
        EXPECT_EQ(s.InterlockOpen, c.interlock);
        EXPECT_EQ(s.AlarmText, c.alarmText);
        EXPECT_EQ(s.AlarmHighlighted, std::string(c.alarmText) != "No Faults");
        EXPECT_EQ(s.Beep, c.beep);
        EXPECT_EQ(s.MutePanelVisible, c.mutePanel);
        EXPECT_EQ(s.ReleaseMute, c.releaseMute);
        EXPECT_EQ(s.HasHardFault, c.hardTitle != nullptr);
        if (c.hardTitle) {
            EXPECT_EQ(s.HardFault.Title, c.hardTitle);
            EXPECT_EQ(s.HardFault.InitMemVisible, c.initMemVisible);
            ASSERT_EQ(s.HardFault.MemoLines.size(), 2u);
        }
    }
}

TEST(FaultDecoder, NamesEveryBitAndTheUnknownMasks)
{
    // 25 named faults plus the unknown LED make the 26 LEDs of the Faults page.
    EXPECT_EQ(CFaults::FaultTable().size(), 25u);
    EXPECT_EQ(CFaults::FaultName(0), "");
    EXPECT_EQ(CFaults::FaultName(Bit(9)), "Load/Tune initalization");
    EXPECT_EQ(CFaults::FaultName(Bit(11)), "3-rd cap initalization");
    EXPECT_EQ(CFaults::FaultName(Bit(60)), "Unknown Fault");
    EXPECT_EQ(CFaults::FaultName(Bit(1) | Bit(2)), "Unknown Fault");
    for (int b = 0; b < 64; ++b) {
        bool named = false;
        for (const SFault& f : CFaults::FaultTable())
            named |= f.Bit == b;
        bool unknown = !named && b != 60;
        EXPECT_EQ(CFaults::HasUnknownBits(Bit(b)), unknown) << "bit " << b;
    }
    EXPECT_EQ(CFaults::Word(0x1, 0x80000000u), Bit(0) | Bit(63));
}

} // namespace

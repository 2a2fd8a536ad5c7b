#pragma once
// Process-wide state of the component collection's standard unit: the processor probe (CPUID
// words, vendor text and a measured clock rate), the shared hint style record, and gradType.

#include "platform/Color.h"
#include "zcomponents/Std2.h"

#include <QFont>
#include <QString>
#include <array>
#include <cstdint>
#include <functional>
#include <string>

// Direction of a colour gradient.
enum gradType : std::uint8_t {
    gHorz, gVert, gCenter, gTopLeftBottomRight, gTopRightBottomLeft, gDiagLeft, gDiagRight
};

// ---- Processor probe ----

struct TCpuidRegs {
    std::uint32_t eax = 0, ebx = 0, ecx = 0, edx = 0;
};

struct TCpuInfo {
    bool CpuidPresent = false;
    std::uint32_t CpuidSignature = 0; // leaf 1 EAX; all bits set without CPUID
    std::uint32_t CpuidMisc = 0;      // leaf 1 EBX
    std::uint32_t CpuidFeaturesEcx = 0;
    std::uint32_t CpuidFeaturesEdx = 0;
    std::int32_t CpuMhz = 0;          // -1 below family 5; 0 without CPUID
    std::string CpuVendor;            // 12 characters of leaf 0; empty without CPUID
};

// Processor names for the application component's report.
extern const std::array<const char*, 5> CpuNames;

// Fills the processor state from the raw CPUID answers; measureMhz runs only for family 5 or
// later.
TCpuInfo BuildCpuInfo(bool cpuidPresent, const TCpuidRegs& leaf0, const TCpuidRegs& leaf1,
                      const std::function<std::int32_t()>& measureMhz);

// The time-stamp counter's rate in MHz over about one second of the tick counter: waits for the
// next tick edge, reads the counter, waits until 1000 ms after the start, reads it again.
// idle(remainingMs) may suspend the thread while waiting (the real probe sleeps). -1 when a
// clock throws or the result is out of range.
std::int32_t MeasureCpuMhz(const std::function<std::uint32_t()>& tickCount,
                           const std::function<std::uint64_t()>& readCounter,
                           const std::function<void(std::uint32_t remainingMs)>& idle = {});

// Milliseconds of a steady clock, wrapping at 32 bits.
std::uint32_t GetTickCount();

// Starts the probe of this processor on a worker thread; later calls do nothing.
void StartCpuProbe();
// The probe's result; starts the probe when needed and waits for it to finish.
const TCpuInfo& CpuInfo();

// Processor family of a probe result: bits 8-11 of the signature with CPUID, 0 without.
int CpuFamily(const TCpuInfo& info);
// Family of this processor (waits for the probe).
int CpuID();

// ---- Hint style ----

enum TzHintPos : std::uint8_t { hpLeftAbove, hpLeftUnder, hpRightAbove, hpRightUnder, hpNormal };
using TzHintDiv = std::uint8_t;  // 1..10
using TzMoveDist = std::uint8_t; // 2..20

using THintShowEvent = std::function<void(QString& HintStr, bool& CanShow)>;

struct THintStyle {
    TzHintPos HintPosition = hpLeftAbove;
    TzHintDiv PartOfScreen = 2;
    TzMoveDist MoveBeforeOff = 5;
    bool MultiLine = true;
    bool Use3D = true;
    TNotifyEvent OnHintPaint;
    THintShowEvent OnHintShow;
    TColor ShadowColor = clBtnShadow;
    TColor HighLightColor = clBtnHighlight;
    QFont Font;
    TColor FontColor = clWindowText;
};

// The shared hint style record; it exists from start-up on.
THintStyle& HintStyle();
// Puts the record back to its start-up values (font included).
void ResetHintStyle();

// The unit's start-up (hint style, processor probe started on its worker thread) and exit.
void MystdStartup();
void MystdShutdown();

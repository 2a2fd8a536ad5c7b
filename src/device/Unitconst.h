#pragma once
// Numbers the program and the simulated unit share: command numbers, the service access code,
// the part numbers that change a reading's scale, and the demo identity texts.
//
// Write and read commands come in pairs: the read command is the write command + 70.

#include <cstdint>

namespace unitcmd {
// Identity, access and memory.
constexpr int StartXilinx = 66;
constexpr int AccessCode1 = 67;
constexpr int AccessCode2 = 68;
constexpr int AccessOff = 69;
constexpr int WriteVariable = 70;
constexpr int WriteTarget = 71;
constexpr int WriteVariableBlock = 72;
constexpr int ReadVariable = 140; // WriteVariable + 70
constexpr int ReadTarget = 141;
constexpr int WritePin = 99;
constexpr int WriteLogId = 113;
constexpr int ResetLogSector = 114;
constexpr int SetBaudRate = 117;
constexpr int InitMemory = 126;
constexpr int SetAddress = 127;
constexpr int Identify = 128;
constexpr int ReadPartNumber = 130;
constexpr int ReadRfOn = 131;
constexpr int ReadVersion = 132;
constexpr int MotorStatus = 135;
constexpr int ReadPin = 169;
constexpr int ReadPinOld = 153; // older units: two option bytes (shares the Max_Ch read number)
constexpr int ReadVariant = 198;
constexpr int ReadSerialNumber = 231;
constexpr int ServiceLogProbe = 242;
constexpr int ApplyPin = 249;
constexpr int BootMode = 250;
constexpr int ServiceLogCount = 251;
constexpr int ServiceLogRecord = 252;
constexpr int ReadStatusBytes = 254;
constexpr int ReadLive = 255;

// Settings (write; the read is + 70).
constexpr int WriteSdac = 81;
constexpr int WriteTuning = 82;
constexpr int WriteMaxCh = 83;
constexpr int WriteCapLimits = 84;
constexpr int WriteSensorCal = 85;
constexpr int WriteSadc = 87;
constexpr int WriteSensorOpt = 88;
constexpr int WriteCapSteps = 89;
constexpr int WriteTrajectory = 90;
constexpr int SelectTrajectory = 91;
constexpr int SetPot = 92;
constexpr int SetMode = 93;
constexpr int SetPresetMode = 94;
constexpr int Write3cap = 95;
constexpr int WriteCapRange = 96;
constexpr int SetExtPresetMode = 97;
constexpr int EnableMotors = 98;
constexpr int WriteTrajectoryValues = 100;
constexpr int MoveLoad = 112;
constexpr int MoveTune = 122;
constexpr int ResetCaps = 125;

constexpr int ReadOffset = 70;
constexpr int ReadSdac = WriteSdac + ReadOffset;              // 151
constexpr int ReadTuning = WriteTuning + ReadOffset;          // 152
constexpr int ReadMaxCh = WriteMaxCh + ReadOffset;            // 153
constexpr int ReadCapLimits = WriteCapLimits + ReadOffset;    // 154
constexpr int ReadSensorCal = WriteSensorCal + ReadOffset;    // 155
constexpr int ReadSadc = WriteSadc + ReadOffset;              // 157
constexpr int ReadSensorOpt = WriteSensorOpt + ReadOffset;    // 158
constexpr int ReadCapSteps = WriteCapSteps + ReadOffset;      // 159
constexpr int ReadTrajectory = WriteTrajectory + ReadOffset;  // 160
constexpr int ReadActiveTrajectory = SelectTrajectory + ReadOffset; // 161
constexpr int ReadPot = SetPot + ReadOffset;                  // 162
constexpr int ReadMode = SetMode + ReadOffset;                // 163
constexpr int ReadPresetMode = SetPresetMode + ReadOffset;    // 164
constexpr int Read3cap = Write3cap + ReadOffset;              // 165
constexpr int ReadCapRange = WriteCapRange + ReadOffset;      // 166
constexpr int ReadExtPresetMode = SetExtPresetMode + ReadOffset; // 167
constexpr int ReadTrajectoryValues = WriteTrajectoryValues + ReadOffset; // 170
constexpr int ReadPositions = 180;
constexpr int MeasureInputAdc = 183;
constexpr int MeasureInput = 185;
} // namespace unitcmd

// Selectors of the third-capacitor commands (first request byte of 95 and 165).
namespace cap3sel {
constexpr uint8_t Position = 0;
constexpr uint8_t Steps = 1;
constexpr uint8_t Limits = 2;
constexpr uint8_t Ratio = 3;
constexpr uint8_t Aver = 4;
constexpr uint8_t Preset = 5;
constexpr uint8_t SensorCal = 6;
constexpr uint8_t PresetSel = 7;
constexpr uint8_t Auto = 8;
constexpr uint8_t PresetOn = 9;
constexpr uint8_t Control = 10;
constexpr uint8_t Range = 11;
constexpr uint8_t SensorCal2 = 12;
constexpr uint8_t VLevel = 13;
constexpr uint8_t Measure = 20;
} // namespace cap3sel

namespace unitconst {
// The two data bytes of commands 67 and 68 that open service access.
constexpr uint8_t AccessByte1 = 0x5A;
constexpr uint8_t AccessByte2 = 0xC3;
// Variables of the unit's variable store reached by commands 70, 72 and 140.
constexpr uint16_t VarSerialLow = 1010;
constexpr uint16_t VarSerialHigh = 1011;
constexpr uint16_t VarSerialBlock = 2036;
// Service-log sectors and ids.
constexpr uint16_t LogIdFirst = 500;
constexpr uint16_t LogIdLast = 537;
// The probe of the service-log read answers this first byte on newer units.
constexpr uint8_t NewerLogMarker = 99;
// Part numbers whose DC-bias word comes in tenths.
constexpr const char* TenthsBiasPart1 = "VT21500";
constexpr const char* TenthsBiasPart2 = "VT23000";
constexpr int PartNumberLength = 7;
// Demo identity.
constexpr const char* DemoProductId = "VT10000D.01";
constexpr const char* DemoVersionText = "Demo 1.00";
// Product family bits of the PIN.
constexpr uint32_t FamilyMask = 0xFE00;
constexpr uint32_t Family200 = 0x200;
constexpr uint32_t Family3Cap = 0x400;
constexpr uint32_t Family3CapFixed = 0xC00;
constexpr uint32_t Family200Alt = 0x80000800; // PIN & ~0x1FF of the older 200 units
constexpr uint32_t PinOutputSensor = 1u << 16;
constexpr uint32_t PinProtocolChoice = 1u << 28;
constexpr uint32_t PinBit30 = 1u << 30;
constexpr uint32_t PinBit31 = 1u << 31;
// Status byte 7 bit 4: the port's CTS does not follow DTR.
constexpr uint8_t DtrCtsBit = 0x10;
} // namespace unitconst

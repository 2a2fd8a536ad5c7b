#pragma once
// The current-sensor calibration's arithmetic without the window: two current channels counted
// in hundredths of an ampere and one voltage channel, each offset + scale x ADC / 1024. All in
// 64-bit integers; offsets and scales are clamped to the unit's signed 16-bit words.

#include "device/Device.h"

#include <array>
#include <string>

// Max: the channel value at ADC reading 4096, whole amperes or volts.
long long CurrentMax(long long offset, long long scale);
long long VoltageMax(long long offset, long long scale);

struct CChannelCal {
    int offset = 0, scale = 0;
    long long max = 0;
};

// The channel's offset and scale from two references (ADC reading, amperes or volts); false
// (nothing computed) when both references have the same ADC reading.
bool CurrentChannelCal(int a1, int a2, double value1, double value2, CChannelCal& out);
bool VoltageChannelCal(int a1, int a2, double value1, double value2, CChannelCal& out);

// The six edits in the order i1 off, i2 off, v off, i1 scale, i2 scale, v scale, checked before
// a send: false with the first bad field's message.
bool Parse3capSensorCal(const std::array<std::string, 6>& texts, C3capSensorCal& cal, std::string& error);
// The words as read, as signed values.
C3capSensorCal Signed3capSensorCal(const C3capSensorCal& cal);

struct C3capPreview {
    int A1 = 0, A2 = 0, AV = 0, AT = 0; // averages
    double i1 = 0, i2 = 0, ratio = 0;
    long long v = 0;
    int tempC = 0;
};

// sums: i1, i2, v, t over count readings; the offsets and scales from the edits.
C3capPreview Cap3Preview(const std::array<long long, 4>& sums, int count, const C3capSensorCal& cal);

#pragma once
// The sensor calibration's arithmetic without the window: the preview from averaged ADC values,
// the matrix from two reference loads and the power factor. The unit keeps eight 16-bit words:
// three offsets, the 2x2 matrix (x1024), all signed, and the power factor (unsigned).

#include <array>
#include <cstdint>
#include <string>

struct CSensorCal {
    int pOff = 0, qOff = 0, i2Off = 0;
    int rr = 1024, rx = 0, xr = 0, xx = 1024;
    int pow = 1;
};

// The eight words in the unit's order and back (signed words for all but the power factor).
std::array<uint16_t, 8> SensorCalWords(const CSensorCal& cal);
CSensorCal SensorCalFromWords(const std::array<uint16_t, 8>& words);
// The eight edits' texts, checked before a send: false with the first bad field's message.
bool ParseSensorCal(const std::array<std::string, 8>& texts, CSensorCal& cal, std::string& error);
extern const char* const SensorCalFieldNames[8];

// n readings summed per channel: p, q, i2, t.
struct CAdcSums {
    std::array<long long, 4> sum{};
    int count = 0;
};

struct CSensorPreview {
    int P = 0, Q = 0, I = 0, T = 0; // raw averages
    int p = 0, q = 0, i = 0;        // less the offsets
    double R = 0, X = 0, G = 0;
    long long Pow = 0;
    double Irf = 0, V = 0;
    long long Pfwd = 0;
    int tempC = 0;
};

// The averaging count of the "Aver" text: at least 1.
int AverageCount(const std::string& text);
CSensorPreview SensorPreview(const CAdcSums& sums, const CSensorCal& cal);

struct CReferenceLoad {
    int p = 0, q = 0, i2 = 0;
    double R = 0, X = 0;
};

// rr, rx, xr, xx from two loads; false (matrix untouched) when their p and q are proportional,
// which leaves no solution.
bool SensorMatrix(const CReferenceLoad& l1, const CReferenceLoad& l2, CSensorCal& cal);
// The power factor for a known power at the offset-corrected p and q: 1 when the matrix's
// R row is zero or the reading gives no positive R signal.
int SensorPowerFactor(const CSensorCal& cal, int p, int q, double power);

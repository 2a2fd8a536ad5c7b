#pragma once
// The circuit model of the matching network: the input impedance for given capacitor positions
// and load (forward), the capacitor positions that match a load (inverse), and one step of the
// unit's tuning rule in its integer arithmetic. All of them read the model parameters and the
// capacitor records of the unit state (CDevice is one).
//
// Units: pF, nH, MHz, ohm. A frequency of 0 or below, or parameters that lead to a value that is
// not a number, give no result rather than a wrong one.

#include "device/Complex.h"

#include <array>
#include <cstdint>

class CUnitState;

// 16-bit signed saturation: above 32767 gives 32767; below -32767 or not a number gives -32767;
// otherwise truncated toward zero.
int16_t ClampToShort(double value);

namespace NetModel {

// The real impedance that stands for an open circuit, and the capacitance used for "open".
constexpr double Open = 99999.0;

struct ImpedanceResult {
    bool valid = false;   // false: the model has no answer (bad frequency, value not a number)
    double r = 0.0;       // input impedance, ohm
    double x = 0.0;
    bool matched = false; // VSWR against the target below vswr_stop
};

struct CapSolution {
    double loadPercent = 0.0;
    double tunePercent = 0.0;
    double loadPf = 0.0;
    double tunePf = 0.0;
};

struct CapSolutions {
    int count = 0; // 0, 1 or 2
    std::array<CapSolution, 2> solution{};
};

struct TuneStepResult {
    double loadStep = 0.0; // percent, never 0
    double tuneStep = 0.0;
    int third = 0;
};

// Angular frequency for a frequency in MHz.
double Omega(double freqMHz);
// Impedance of a capacitance (pF) and of an inductance (nH) at angular frequency w.
Complex Zc(double w, double pF);
Complex Zl(double w, double nH);

ImpedanceResult Impedance(const CUnitState& unit, double loadR, double loadX, double loadPercent,
                          double tunePercent);
CapSolutions SolveCaps(const CUnitState& unit, double loadR, double loadX);
TuneStepResult TuneStep(const CUnitState& unit, double r, double x, double loadPercent,
                        double tunePercent);
// Capacitance to the position of capacitor record cap: below CMin 0 %, above CMax 100 %.
// A capacitance that is not a number, or a record with CMax == CMin, gives 0 %.
double CapToPosition(const CUnitState& unit, int cap, double pF);

} // namespace NetModel

#pragma once
// A tuning run simulated on the network model from a clicked capacitor position: the path the
// capacitors take, the model impedances on the way (for the Smith chart), and the run's time in
// motor steps, as the line the tuning model window lists.

#include <string>
#include <vector>

class CUnitState;

struct STuningRun {
    struct SPosition {
        double Load = 0; // percent
        double Tune = 0;
    };
    struct SImpedance {
        double R = 0;
        double X = 0;
    };
    std::vector<SPosition> Path;        // the start, then every step's new position
    // The start's impedance, then the one evaluated before every step; empty when the model
    // has no answer at the start.
    std::vector<SImpedance> Impedances;
    long long Time = 0;                 // the sum of the steps' times
    std::string Text;                   // "Load\tTune\tTime (s)"
};

class CTuningRun {
public:
    // Time of a step that moves a motor m steps: 0 for none, else m + 12 (12 for one step).
    static int StepTime(int motorSteps);
    // Runs at most stepLimit steps of the model's tuning rule against the load R + jX from
    // Load % and Tune % (held to 0..100); stops early where the model has no answer.
    static STuningRun Simulate(const CUnitState& unit, double loadR, double loadX, int stepLimit,
                               double load, double tune);
};

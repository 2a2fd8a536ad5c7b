#include "panel/Tuningrun.h"

#include "common/Helpers.h"
#include "device/Netmodel.h"
#include "device/Unitstate.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace {

constexpr int LoadCap = 0;
constexpr int TuneCap = 1;
constexpr int StartTime = 12; // a motor that moves at all takes this long to start and stop
constexpr double TimeUnit = 0.001; // seconds per time count

double Percent(double v) { return std::isfinite(v) ? std::clamp(v, 0.0, 100.0) : 0.0; }

// Motor steps between two positions of a capacitor.
int MotorSteps(const CUnitState& unit, int cap, double from, double to)
{
    const double total = unit.CapTotal(cap);
    return std::abs(int(std::trunc(total * to * 0.01)) - int(std::trunc(total * from * 0.01)));
}

// The tune-only phase of the model's third result: the first non-zero value starts it, and it
// lasts while later values keep the first one's sign.
class CTunePhase {
public:
    // True while the step is tune-only.
    bool Active(int third)
    {
        if (third == 0 || state_ == Ended)
            return false;
        const int sign = third > 0 ? 1 : -1;
        if (state_ == None) {
            state_ = Running;
            sign_ = sign;
            return true;
        }
        if (sign == sign_)
            return true;
        state_ = Ended;
        return false;
    }

private:
    enum { None, Running, Ended } state_ = None;
    int sign_ = 0;
};

} // namespace

int CTuningRun::StepTime(int motorSteps)
{
    if (motorSteps <= 0)
        return 0;
    return motorSteps == 1 ? StartTime : motorSteps + StartTime;
}

STuningRun CTuningRun::Simulate(const CUnitState& unit, double loadR, double loadX, int stepLimit,
                                double load, double tune)
{
    STuningRun run;
    load = Percent(load);
    tune = Percent(tune);
    run.Text = FloatToText(load, 2) + "\t" + FloatToText(tune, 2) + "\t";
    run.Path.push_back({load, tune});
    const NetModel::ImpedanceResult start = NetModel::Impedance(unit, loadR, loadX, load, tune);
    if (start.valid)
        run.Impedances.push_back({start.r, start.x});

    CTunePhase phase;
    for (int step = 0; step < stepLimit; ++step) {
        const NetModel::ImpedanceResult z = NetModel::Impedance(unit, loadR, loadX, load, tune);
        if (!z.valid)
            break;
        run.Impedances.push_back({z.r, z.x});
        const NetModel::TuneStepResult s = NetModel::TuneStep(unit, z.r, z.x, load, tune);
        double dLoad = s.loadStep, dTune = s.tuneStep;
        if (phase.Active(s.third)) {
            dLoad = 0.0;
            dTune = s.third * 0.01;
        }
        const double newLoad = Percent(load + dLoad);
        const double newTune = Percent(tune + dTune);
        const int m = std::max(MotorSteps(unit, LoadCap, load, newLoad),
                               MotorSteps(unit, TuneCap, tune, newTune));
        run.Time += StepTime(m);
        load = newLoad;
        tune = newTune;
        run.Path.push_back({load, tune});
    }
    run.Text += FloatToText(double(run.Time) * TimeUnit, 1);
    return run;
}

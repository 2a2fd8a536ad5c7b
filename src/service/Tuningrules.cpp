#include "service/Tuningrules.h"

#include "common/Helpers.h"
#include "service/Fieldcheck.h"

namespace {

constexpr double VswrMin = 1.0, VswrMax = 99.0;
constexpr int RflMax = 32767;
constexpr double CoefLimit = 31.99; // x 1024 in a signed word
constexpr double StepMax = 100.0;   // percent
constexpr double CoefScale = 1024.0; // the unit's coefficient words
constexpr double StepScale = 100.0;  // the unit's step words: percent x 100
constexpr double TargetLimit = 1599.0; // ohm: / 50 x 1024 in a signed word

} // namespace

int TuningCriterion(int criterion, bool pinBit30) { return pinBit30 && criterion == 1 ? 1 : 0; }

void StopStartTexts(int criterion, double vswrStop, double vswrStart, int rflStop, int rflStart,
                    std::string& stop, std::string& start)
{
    if (criterion == 1) {
        stop = std::to_string(rflStop);
        start = std::to_string(rflStart);
    } else {
        stop = FloatToText(vswrStop, 2);
        start = FloatToText(vswrStart, 2);
    }
}

const char* StopHint(int criterion) { return criterion == 1 ? "Stop P rfl" : "Stop VSWR"; }
const char* StartHint(int criterion) { return criterion == 1 ? "Start P rfl" : "Start VSWR"; }

CTuningTexts TuningTexts(const CTuningData& d, bool pinBit30)
{
    const CTuning& t = d.tuning;
    CTuningTexts x;
    x.criterion = TuningCriterion(t.option1, pinBit30);
    StopStartTexts(x.criterion, t.stop, t.start, t.rflStop, t.rflStart, x.stop, x.start);
    x.magSh = FloatToText(t.magToSh, 2);
    x.magSer = FloatToText(t.magToSer, 2);
    x.phaseSh = FloatToText(t.phaseToSh, 2);
    x.phaseSer = FloatToText(t.phaseToSer, 2);
    x.shMaxStep = FloatToText(t.maxShStep, 2);
    x.serMaxStep = FloatToText(t.maxSerStep, 2);
    x.serMinStep = FloatToText(t.minSerStep, 2);
    x.hold = t.option2 != 0;
    x.integral = t.option3;
    x.rTarget = FloatToText(d.rTarget, 1);
    x.xTarget = FloatToText(d.xTarget, 1);
    return x;
}

bool ParseTuningTexts(const CTuningTexts& x, bool pinBit30, const CModelParams& stored,
                      CTuningData& d, std::string& error)
{
    CFieldCheck f;
    CTuningData out;
    CTuning& t = out.tuning;
    const int criterion = TuningCriterion(x.criterion, pinBit30);
    t.stop = stored.vswrStop;
    t.start = stored.vswrStart;
    t.rflStop = stored.rflStop;
    t.rflStart = stored.rflStart;
    if (criterion == 1) {
        f.Int("Stop P rfl", x.stop, 0, RflMax, t.rflStop);
        f.Int("Start P rfl", x.start, 0, RflMax, t.rflStart);
    } else {
        f.Double("Stop VSWR", x.stop, VswrMin, VswrMax, t.stop);
        f.Double("Start VSWR", x.start, VswrMin, VswrMax, t.start);
    }
    f.Double("Load max step", x.shMaxStep, 0, StepMax, t.maxShStep);
    t.minShStep = 0.0;
    f.Double("Tune max step", x.serMaxStep, 0, StepMax, t.maxSerStep);
    f.Double("Tune min step", x.serMinStep, 0, StepMax, t.minSerStep);
    f.Double("Magnitude to Load", x.magSh, -CoefLimit, CoefLimit, t.magToSh);
    f.Double("Phase to Load", x.phaseSh, -CoefLimit, CoefLimit, t.phaseToSh);
    f.Double("Magnitude to Tune", x.magSer, -CoefLimit, CoefLimit, t.magToSer);
    f.Double("Phase to Tune", x.phaseSer, -CoefLimit, CoefLimit, t.phaseToSer);
    f.Double("R target", x.rTarget, 0, TargetLimit, out.rTarget);
    f.Double("X target", x.xTarget, -TargetLimit, TargetLimit, out.xTarget);
    if (!f.Ok()) {
        error = f.Error();
        return false;
    }
    // On the unit's word grid, halves rounded away from zero, so the words sent are exact.
    for (double* v : {&t.magToSh, &t.phaseToSh, &t.magToSer, &t.phaseToSer})
        *v = RoundHalfAway(*v * CoefScale) / CoefScale;
    for (double* v : {&t.maxShStep, &t.maxSerStep, &t.minSerStep})
        *v = RoundHalfAway(*v * StepScale) / StepScale;
    t.option1 = criterion;
    t.option2 = x.hold ? 1 : 0;
    t.option3 = x.integral;
    d = out;
    return true;
}

void TuningDefaults(CTuningTexts& x, bool thirdCap)
{
    if (thirdCap) {
        x.magSh = "0.50";
        x.magSer = "-0.50";
        x.phaseSh = "0.50";
        x.phaseSer = "0.50";
        x.hold = true;
    } else {
        x.magSh = "0.80";
        x.magSer = "-0.20";
        x.phaseSh = "0.20";
        x.phaseSer = "0.80";
        x.hold = false;
    }
    x.stop = "1.06";
    x.start = "1.19";
    x.integral = 3;
    x.shMaxStep = "10";
    x.serMaxStep = "10";
    x.serMinStep = "0.7";
    x.rTarget = "50.0";
    x.xTarget = "0.0";
}

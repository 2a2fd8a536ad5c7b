#include "service/Tuninggrid.h"

#include "common/Helpers.h"
#include "device/Netmodel.h"
#include "panel/Tuningmodel.h"

#include <algorithm>
#include <limits>
#include <new>

STuningEdits CTuningGrid::Texts(const CTuningModel& model)
{
    STuningEdits e;
    e.R = FloatToText(model.R, RDecimals);
    e.X = FloatToText(model.X, RDecimals);
    e.Size = std::to_string(model.GridSize);
    e.Zoom = FloatToText(model.Zoom, ZoomDecimals);
    return e;
}

int CTuningGrid::ClampSize(const std::string& text)
{
    return std::clamp(TextToInt(text), MinSize, CTuningModel::MaxGrid);
}

double CTuningGrid::CellPercent(int i, int n) { return 50.0 / n + i * 100.0 / n; }

std::string CTuningGrid::Refresh(const CUnitState& unit, CTuningModel& model,
                                 const STuningEdits& edits)
{
    const int n = ClampSize(edits.Size);
    model.GridSize = n;
    model.R = TextToDouble(edits.R);
    model.X = TextToDouble(edits.X);
    model.Zoom = TextToDouble(edits.Zoom);
    Compute(unit, model);
    return std::to_string(n);
}

void CTuningGrid::Compute(const CUnitState& unit, CTuningModel& model)
{
    const int n = std::clamp(model.GridSize, 0, int(CTuningModel::MaxGrid));
    const size_t cells = size_t(n) * size_t(n);
    try {
        model.LoadSteps.assign(cells, 0.0);
        model.TuneSteps.assign(cells, 0.0);
    } catch (const std::bad_alloc&) {
        model.LoadSteps.clear();
        model.TuneSteps.clear();
        model.GridSize = 0;
        return;
    }
    model.GridSize = n;
    constexpr double NoAnswer = std::numeric_limits<double>::quiet_NaN();
    for (int i = 0; i < n; ++i) {
        const double load = CellPercent(i, n);
        for (int j = 0; j < n; ++j) {
            const double tune = CellPercent(j, n);
            const size_t k = size_t(i) * size_t(n) + size_t(j);
            const NetModel::ImpedanceResult z = NetModel::Impedance(unit, model.R, model.X, load, tune);
            if (!z.valid) {
                model.LoadSteps[k] = NoAnswer;
                model.TuneSteps[k] = NoAnswer;
                continue;
            }
            const NetModel::TuneStepResult s = NetModel::TuneStep(unit, z.r, z.x, load, tune);
            model.LoadSteps[k] = s.loadStep;
            model.TuneSteps[k] = s.tuneStep;
        }
    }
}

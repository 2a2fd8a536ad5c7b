#pragma once
// What the tuning model window shares with the Smith chart and Capacitors windows and with the
// device object's demo: whether it is shown, the model load R + jX, the grid of tuning steps
// over the capacitor plane, the pens of the arrows and of a simulated run, the step limit of a
// run and the arrow scale; and where a simulated run's time goes. Until that window sets them,
// it is hidden and the overlays stay off.

#include "device/Devicehooks.h"
#include "platform/Color.h"

#include <functional>
#include <string>
#include <vector>

class CTuningModel : public IModelLoad {
public:
    static constexpr int DefaultGrid = 8;
    static constexpr int MaxGrid = 32;

    bool Shown = false;
    double R = 5.0;   // ohm
    double X = -20.0; // ohm
    int GridSize = DefaultGrid; // cells per side; 0 for no grid
    // Steps in percent from cell (i, j), i across (Load) and j up (Tune), at element i * N + j.
    std::vector<double> LoadSteps = std::vector<double>(DefaultGrid * DefaultGrid, 0.0);
    std::vector<double> TuneSteps = std::vector<double>(DefaultGrid * DefaultGrid, 0.0);
    TColor StepColour = clRed;   // the first colour: the grid's crosses
    TColor PathColour = clGreen; // the second colour: arrows, solutions and simulated runs
    int StepLimit = 200;
    double Zoom = 1.0;

    // Adds a line to the window's time list and selects it (a simulated run's result).
    std::function<void(const std::string&)> AddTimeLine;
    // Hides the window (the Capacitors window closes).
    std::function<void()> Hide;

    // IModelLoad
    bool ModelWindowShown() const override { return Shown; }
    double LoadR() const override { return R; }
    double LoadX() const override { return X; }

    // The grid size when both step arrays hold a whole grid, else 0.
    int UsableGrid() const
    {
        if (GridSize <= 0 || GridSize > MaxGrid)
            return 0;
        const size_t cells = size_t(GridSize) * size_t(GridSize);
        return LoadSteps.size() >= cells && TuneSteps.size() >= cells ? GridSize : 0;
    }
};

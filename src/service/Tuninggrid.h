#pragma once
// The tuning model window's rules without the window: the texts of its four edits, the grid
// size they give, the centre of each grid cell on the capacitor plane, and the refresh that
// evaluates the network model and the tuning rule over the whole grid.

#include <string>

class CTuningModel;
class CUnitState;

// The texts of the window's edits as the user left them.
struct STuningEdits {
    std::string R = "5.00";
    std::string X = "-20.00";
    std::string Size = "8";
    std::string Zoom = "1.0";
};

class CTuningGrid {
public:
    static constexpr int MinSize = 1;
    static constexpr int RDecimals = 2; // R and X
    static constexpr int ZoomDecimals = 1;

    // The edits' texts for the model's load, grid size and zoom.
    static STuningEdits Texts(const CTuningModel& model);
    // A size text held to 1 .. the largest grid; text that is not a number counts as 0.
    static int ClampSize(const std::string& text);
    // Percent position of cell index i of an n-cell side: the centre of its division.
    static double CellPercent(int i, int n);
    // Reads the edits into the model (load, size, zoom), then recomputes the steps. Returns the
    // size text the window shows afterwards.
    static std::string Refresh(const CUnitState& unit, CTuningModel& model, const STuningEdits& edits);
    // Recomputes both step arrays for the model's grid size, load R + jX and the unit's network
    // model. A cell where the model has no answer gets steps that are not numbers (no arrow).
    // When the arrays cannot be allocated the grid becomes empty (size 0).
    static void Compute(const CUnitState& unit, CTuningModel& model);
};

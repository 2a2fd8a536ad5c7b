#pragma once
// The rules of the Capacitors window without the window: the Load/Tune plane's geometry in a
// client area, positions to pixels and back, the dotted limit rectangle, the trace point of a
// stored sample, the tuning model's arrow field and solutions, and the status bar's read-out.

#include "panel/Itemcanvas.h"
#include "panel/Trail.h"

#include <array>
#include <string>
#include <vector>

class CDataRec;
class CTuningModel;
class CUnitState;

struct SCapsGeometry {
    int Left = 0;   // x of Load 0 %
    int Bottom = 0; // y of Tune 0 %
    int Width = 0;
    int Height = 0;
};

// One side of the limit rectangle: drawn only where it lies inside the plane's frame.
struct SLimitSide {
    SPoint From;
    SPoint To;
    bool Drawn = false;
};

// One cell of the tuning model's field: a cross at Centre and an arrow to ArrowEnd.
struct SFieldCell {
    SPoint Centre;
    SPoint ArrowEnd;
    bool HasArrow = false; // false when the model's step is not a finite number
};

class CCapsPlane {
public:
    static constexpr const char* Title = "Capacitors";
    enum EStatusMode { ModePosition = 0, ModePf = 1 };
    static constexpr int ModeCount = 2;
    static constexpr int Margin = 4; // left edge of the plane

    // Geometry of a client area width x height (less a visible status bar) for the window's
    // font height.
    static SCapsGeometry Geometry(int width, int height, int fontHeight);
    // Pixel of Load % and Tune %; false when either is not a finite number.
    static bool Map(const SCapsGeometry& g, double load, double tune, SPoint& p);
    // Load % and Tune % under a pixel, each held to 0..100; false when the plane has no width or
    // no height (nothing lies under the mouse then).
    static bool Inverse(const SCapsGeometry& g, int x, int y, double& load, double& tune);
    // Trace point of a stored sample (Load id 13, Tune id 14); samples are always joined.
    static STracePoint SamplePoint(const SCapsGeometry& g, const CDataRec& rec);
    // Sides of the limit rectangle of capacitor 0 (across) and 1 (up), in drawing order from
    // (min, min): bottom, right, top, left.
    static std::array<SLimitSide, 4> LimitSides(const SCapsGeometry& g, const CUnitState& unit);
    // The tuning model's step field; empty when its grid is empty.
    static std::vector<SFieldCell> ModelField(const SCapsGeometry& g, const CTuningModel& model);
    // The positions the model matches the model load with.
    static std::vector<SPoint> Solutions(const SCapsGeometry& g, const CUnitState& unit,
                                         const CTuningModel& model);
    // The status bar text at pixel (x, y); empty where the plane has no size.
    static std::string ReadOut(int mode, const SCapsGeometry& g, int x, int y,
                               const CUnitState& unit);
};

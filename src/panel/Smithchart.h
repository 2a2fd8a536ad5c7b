#pragma once
// The rules of the Smith chart window without the window: the chart's geometry in a client
// area, impedance to chart position, the grid's circles and arcs, the trace point of a stored
// sample, the model overlay's points and the status bar's read-out under the mouse.

#include "device/Complex.h"
#include "panel/Itemcanvas.h"
#include "panel/Trail.h"

#include <string>
#include <vector>

class CDataRec;
class CUnitState;
class CVars;

struct SSmithGeometry {
    int CentreX = 0;
    int CentreY = 0;
    int Radius = 0;
};

// An arc of the ellipse inside Box (right and bottom excluded), counter-clockwise from StartDeg
// (0 at three o'clock) over SpanDeg degrees.
struct SArc {
    SRect Box;
    int StartDeg = 0;
    int SpanDeg = 0;
};

// A point of the model overlay: trajectory point Index at the chart position P.
struct SModelPoint {
    int Index = 0;
    SPoint P;
};

class CSmithChart {
public:
    static constexpr const char* Title = "Smith Chart";
    static constexpr double Z0 = 50.0; // ohm, the chart's reference
    enum EStatusMode { ModeRX = 0, ModeZPhase = 1, ModeGamma = 2, ModeVswr = 3 };
    static constexpr int ModeCount = 4;

    // Geometry of a chart area width x height (the client area less a visible status bar).
    static SSmithGeometry Geometry(int width, int height);
    // Gamma = (Z - 50) / (Z + 50); not finite for Z = -50 or a value that is not a number.
    static Complex Gamma(double r, double x);
    // Chart position of R + jX; false when it has none (Gamma not finite).
    static bool Map(const SSmithGeometry& g, double r, double x, SPoint& p);
    // Trace point of a stored sample (R id 1, X id 2): a negative R (or one that is not a
    // number) is never joined to its neighbours.
    static STracePoint SamplePoint(const SSmithGeometry& g, const CDataRec& rec);

    // The grid: the r = 1 circle, the x = +1 and x = -1 arcs (dotted), the unit circle and the
    // horizontal axis (solid).
    static SRect ResistanceCircle(const SSmithGeometry& g);
    static SArc PlusReactanceArc(const SSmithGeometry& g);
    static SArc MinusReactanceArc(const SSmithGeometry& g);
    static SRect UnitCircle(const SSmithGeometry& g);

    // The active trajectory's points as the network model puts them for the load R + jX;
    // points the model has no answer for, or that land on Z = -50, are left out.
    static std::vector<SModelPoint> ModelPoints(const SSmithGeometry& g, const CUnitState& unit,
                                                double loadR, double loadX);

    // The status bar text at pixel (x, y) in a read-out mode; empty where the mode has no value.
    static std::string ReadOut(int mode, const SSmithGeometry& g, int x, int y, const CVars& vars);
};

#include "panel/Capsplane.h"

#include "common/Helpers.h"
#include "device/Datarec.h"
#include "device/Netmodel.h"
#include "device/Unitstate.h"
#include "panel/Tuningmodel.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr int LoadCap = 0;
constexpr int TuneCap = 1;

double Percent(double v) { return std::clamp(v, 0.0, 100.0); }

} // namespace

SCapsGeometry CCapsPlane::Geometry(int width, int height, int fontHeight)
{
    SCapsGeometry g;
    g.Left = Margin;
    g.Bottom = height - fontHeight - 2;
    g.Width = width - 2 * Margin;
    g.Height = g.Bottom - fontHeight - 2;
    return g;
}

bool CCapsPlane::Map(const SCapsGeometry& g, double load, double tune, SPoint& p)
{
    if (!std::isfinite(load) || !std::isfinite(tune))
        return false;
    p.X = g.Left + TruncPixel(load * g.Width * 0.01);
    p.Y = g.Bottom - TruncPixel(tune * g.Height * 0.01);
    return true;
}

bool CCapsPlane::Inverse(const SCapsGeometry& g, int x, int y, double& load, double& tune)
{
    if (g.Width <= 0 || g.Height <= 0)
        return false;
    load = Percent(double(x - g.Left) * 100.0 / g.Width);
    tune = Percent(double(g.Bottom - y) * 100.0 / g.Height);
    return true;
}

STracePoint CCapsPlane::SamplePoint(const SCapsGeometry& g, const CDataRec& rec)
{
    STracePoint t;
    SPoint p;
    t.Valid = Map(g, rec.Value(varid::LoadPosition), rec.Value(varid::TunePosition), p);
    t.X = p.X;
    t.Y = p.Y;
    return t;
}

std::array<SLimitSide, 4> CCapsPlane::LimitSides(const SCapsGeometry& g, const CUnitState& unit)
{
    SPoint lo, hi;
    Map(g, unit.CapMin(LoadCap), unit.CapMin(TuneCap), lo);
    Map(g, unit.CapMax(LoadCap), unit.CapMax(TuneCap), hi);
    const SPoint a = lo, b{hi.X, lo.Y}, c = hi, d{lo.X, hi.Y};
    return {{{a, b, lo.Y < g.Bottom},
             {b, c, hi.X < g.Left + g.Width},
             {c, d, hi.Y > g.Bottom - g.Height},
             {d, a, lo.X > g.Left}}};
}

std::vector<SFieldCell> CCapsPlane::ModelField(const SCapsGeometry& g, const CTuningModel& model)
{
    std::vector<SFieldCell> cells;
    const int n = model.UsableGrid();
    for (int i = 0; i < n; ++i) {
        for (int j = 0; j < n; ++j) {
            SFieldCell c;
            c.Centre.X = g.Left + g.Width * i / n + (g.Width / n) / 2;
            c.Centre.Y = g.Bottom - (g.Height * j / n + (g.Height / n) / 2);
            const size_t k = size_t(i) * size_t(n) + size_t(j);
            const double dx = model.LoadSteps[k] * model.Zoom * g.Width * 0.01;
            const double dy = model.TuneSteps[k] * model.Zoom * g.Height * 0.01;
            c.HasArrow = std::isfinite(dx) && std::isfinite(dy);
            if (c.HasArrow)
                c.ArrowEnd = {c.Centre.X + TruncPixel(dx), c.Centre.Y - TruncPixel(dy)};
            cells.push_back(c);
        }
    }
    return cells;
}

std::vector<SPoint> CCapsPlane::Solutions(const SCapsGeometry& g, const CUnitState& unit,
                                          const CTuningModel& model)
{
    std::vector<SPoint> points;
    const NetModel::CapSolutions s = NetModel::SolveCaps(unit, model.R, model.X);
    for (int i = 0; i < std::clamp(s.count, 0, int(s.solution.size())); ++i) {
        SPoint p;
        if (Map(g, s.solution[size_t(i)].loadPercent, s.solution[size_t(i)].tunePercent, p))
            points.push_back(p);
    }
    return points;
}

std::string CCapsPlane::ReadOut(int mode, const SCapsGeometry& g, int x, int y,
                                const CUnitState& unit)
{
    double load = 0, tune = 0;
    if (!Inverse(g, x, y, load, tune))
        return {};
    if (mode == ModePf)
        return "Load=" + FloatToText(unit.CapToPf(LoadCap, load), 0) + " pF   Tune=" +
               FloatToText(unit.CapToPf(TuneCap, tune), 0) + " pF";
    return "Load=" + FloatToText(load, 0) + " %   Tune=" + FloatToText(tune, 0) + " %";
}

#include "panel/Smithchart.h"

#include "common/Helpers.h"
#include "device/Datarec.h"
#include "device/Netmodel.h"
#include "device/Unitstate.h"
#include "device/Var.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

constexpr double NearOne = 0.001; // read-outs are empty this close to Gamma = 1 or |Gamma| = 1

double Degrees(const Complex& c)
{
    return std::atan2(c.imag(), c.real()) * 180.0 / std::numbers::pi;
}

} // namespace

SSmithGeometry CSmithChart::Geometry(int width, int height)
{
    SSmithGeometry g;
    g.CentreX = width / 2;
    g.CentreY = height / 2;
    int radius = std::min(g.CentreX, g.CentreY);
    radius -= radius / 10;
    g.Radius = std::max(radius, 0);
    return g;
}

Complex CSmithChart::Gamma(double r, double x)
{
    const Complex z(r, x);
    return (z - Z0) / (z + Z0);
}

bool CSmithChart::Map(const SSmithGeometry& g, double r, double x, SPoint& p)
{
    const Complex gamma = Gamma(r, x);
    if (!gamma.IsFinite())
        return false;
    p.X = TruncPixel(gamma.real() * g.Radius + g.CentreX);
    p.Y = TruncPixel(g.CentreY - gamma.imag() * g.Radius);
    return true;
}

STracePoint CSmithChart::SamplePoint(const SSmithGeometry& g, const CDataRec& rec)
{
    const double r = rec.Value(varid::R);
    const double x = rec.Value(varid::X);
    // Map() written out: a full repaint does this for every stored sample.
    const double a = r + Z0;
    const double d = a * a + x * x;
    const double re = ((r - Z0) * a + x * x) / d;
    const double im = (x * a - (r - Z0) * x) / d;
    STracePoint t;
    t.Valid = std::isfinite(re) && std::isfinite(im);
    if (t.Valid) {
        t.X = TruncPixel(re * g.Radius + g.CentreX);
        t.Y = TruncPixel(g.CentreY - im * g.Radius);
    }
    t.Joined = r >= 0;
    return t;
}

SRect CSmithChart::ResistanceCircle(const SSmithGeometry& g)
{
    const int half = g.Radius / 2;
    return {g.CentreX, g.CentreY - half, g.CentreX + g.Radius, g.CentreY + half};
}

SArc CSmithChart::PlusReactanceArc(const SSmithGeometry& g)
{
    // From its left point (cx, cy - r) down to its bottom point (cx + r, cy).
    return {{g.CentreX, g.CentreY - 2 * g.Radius, g.CentreX + 2 * g.Radius, g.CentreY}, 180, 90};
}

SArc CSmithChart::MinusReactanceArc(const SSmithGeometry& g)
{
    // From its top point (cx + r, cy) round to its left point (cx, cy + r).
    return {{g.CentreX, g.CentreY, g.CentreX + 2 * g.Radius, g.CentreY + 2 * g.Radius}, 90, 90};
}

SRect CSmithChart::UnitCircle(const SSmithGeometry& g)
{
    return {g.CentreX - g.Radius, g.CentreY - g.Radius, g.CentreX + g.Radius,
            g.CentreY + g.Radius};
}

std::vector<SModelPoint> CSmithChart::ModelPoints(const SSmithGeometry& g, const CUnitState& unit,
                                                  double loadR, double loadX)
{
    std::vector<SModelPoint> points;
    const CTrajectory& t = unit.TrajectoryPoints();
    const int last = std::clamp(t.lastIndex, -1, CTrajectory::Points - 1);
    for (int i = 0; i <= last; ++i) {
        const NetModel::ImpedanceResult z =
            NetModel::Impedance(unit, loadR, loadX, t.load[size_t(i)], t.tune[size_t(i)]);
        SPoint p;
        if (z.valid && !(Complex(z.r, z.x) == -Z0) && Map(g, z.r, z.x, p))
            points.push_back({i, p});
    }
    return points;
}

std::string CSmithChart::ReadOut(int mode, const SSmithGeometry& g, int x, int y,
                                 const CVars& vars)
{
    if (g.Radius <= 0)
        return {};
    const Complex gamma(double(x - g.CentreX) / g.Radius, double(g.CentreY - y) / g.Radius);
    const double mag = gamma.Magnitude();
    switch (mode) {
    case ModeRX:
    case ModeZPhase: {
        if ((gamma - 1.0).Magnitude() < NearOne)
            return {};
        const Complex z = Complex(Z0) * (1.0 + gamma) / (1.0 - gamma);
        const int rDecimals = vars.Find(varid::R).decimals;
        if (mode == ModeRX)
            return "R=" + FloatToText(z.real(), rDecimals) + "   X=" +
                   FloatToText(z.imag(), vars.Find(varid::X).decimals);
        return "Z=" + FloatToText(z.Magnitude(), rDecimals) + "   Phase=" +
               FloatToText(Degrees(z), 1);
    }
    case ModeGamma:
        return "Gamma=" + FloatToText(mag, vars.Find(varid::Gamma).decimals) + "   Phi=" +
               FloatToText(Degrees(gamma), 1);
    case ModeVswr:
        if (std::fabs(mag - 1.0) < NearOne)
            return {};
        return "VSWR=" + FloatToText((1.0 + mag) / (1.0 - mag), 1);
    default:
        return {};
    }
}

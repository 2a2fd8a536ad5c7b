#include "panel/Smithchart.h"

#include "common/Helpers.h"
#include "device/Data.h"
#include "device/Unitstate.h"
#include "device/Var.h"

#include <cmath>
#include <gtest/gtest.h>
#include <limits>

namespace {

TEST(SmithChart, GeometryOfTheExampleWindow)
{
    const SSmithGeometry g = CSmithChart::Geometry(200, 150);
    EXPECT_EQ(g.CentreX, 100);
    EXPECT_EQ(g.CentreY, 75);
    EXPECT_EQ(g.Radius, 68);
    EXPECT_EQ(CSmithChart::Geometry(0, 0).Radius, 0);
    EXPECT_EQ(CSmithChart::Geometry(-5, 40).Radius, 0); // never below 0
}

TEST(SmithChart, MappingPutsTheMatchInTheCentreAndReactanceUp)
{
    const SSmithGeometry g = CSmithChart::Geometry(200, 150);
    SPoint p;
    ASSERT_TRUE(CSmithChart::Map(g, 50, 0, p));
    EXPECT_EQ(p, (SPoint{100, 75}));
    ASSERT_TRUE(CSmithChart::Map(g, 0, 0, p));
    EXPECT_EQ(p, (SPoint{32, 75})); // left end of the axis
    ASSERT_TRUE(CSmithChart::Map(g, 50, 50, p));
    EXPECT_LT(p.Y, 75);
    ASSERT_TRUE(CSmithChart::Map(g, 50, -50, p));
    EXPECT_GT(p.Y, 75);
    ASSERT_TRUE(CSmithChart::Map(g, 1e12, 0, p));
    EXPECT_EQ(p, (SPoint{167, 75})); // the right end, truncated toward zero
}

TEST(SmithChart, PointsWithoutAPlaceAreSkippedNotTruncated)
{
    const SSmithGeometry g = CSmithChart::Geometry(200, 150);
    SPoint p{7, 7};
    EXPECT_FALSE(CSmithChart::Map(g, -50, 0, p)); // Z + 50 = 0
    EXPECT_FALSE(CSmithChart::Map(g, std::nan(""), 0, p));
    EXPECT_FALSE(CSmithChart::Map(g, 10, std::numeric_limits<double>::infinity(), p));
    EXPECT_EQ(p, (SPoint{7, 7}));
    // Next to the pole the point lands far off the chart, but inside the int range.
    ASSERT_TRUE(CSmithChart::Map(g, -50 + 1e-12, 0, p));
    EXPECT_EQ(p.X, -1000000);

    CDataRec rec;
    rec.SetValue(varid::R, -50);
    rec.SetValue(varid::X, 0);
    STracePoint t = CSmithChart::SamplePoint(g, rec);
    EXPECT_FALSE(t.Valid);
    rec.SetValue(varid::R, -10);
    t = CSmithChart::SamplePoint(g, rec);
    EXPECT_TRUE(t.Valid);
    EXPECT_FALSE(t.Joined);
    rec.SetValue(varid::R, 25);
    EXPECT_TRUE(CSmithChart::SamplePoint(g, rec).Joined);
}

TEST(SmithChart, GridShapes)
{
    const SSmithGeometry g{100, 75, 68};
    const SRect r = CSmithChart::ResistanceCircle(g);
    EXPECT_EQ(r.Left, 100);
    EXPECT_EQ(r.Top, 41);
    EXPECT_EQ(r.Right, 168);
    EXPECT_EQ(r.Bottom, 109);
    const SArc plus = CSmithChart::PlusReactanceArc(g);
    EXPECT_EQ(plus.Box.Top, 75 - 136);
    EXPECT_EQ(plus.Box.Bottom, 75);
    EXPECT_EQ(plus.StartDeg, 180);
    EXPECT_EQ(plus.SpanDeg, 90);
    const SArc minus = CSmithChart::MinusReactanceArc(g);
    EXPECT_EQ(minus.Box.Top, 75);
    EXPECT_EQ(minus.StartDeg, 90);
    const SRect u = CSmithChart::UnitCircle(g);
    EXPECT_EQ(u.Left, 32);
    EXPECT_EQ(u.Bottom, 143);
}

TEST(SmithChart, ReadOutInEveryMode)
{
    CVars vars;
    const SSmithGeometry g{100, 100, 100};
    // The centre: a match.
    EXPECT_EQ(CSmithChart::ReadOut(CSmithChart::ModeRX, g, 100, 100, vars),
              "R=" + FloatToText(50, vars.Find(1).decimals) + "   X=" +
                  FloatToText(0, vars.Find(2).decimals));
    EXPECT_EQ(CSmithChart::ReadOut(CSmithChart::ModeGamma, g, 100, 100, vars),
              "Gamma=" + FloatToText(0, vars.Find(3).decimals) + "   Phi=" + FloatToText(0, 1));
    // Half way up the imaginary axis: g = j0.5, Z = 50 (0.6 + j0.8), |Z| 50, 53.1 degrees.
    EXPECT_EQ(CSmithChart::ReadOut(CSmithChart::ModeZPhase, g, 100, 50, vars),
              "Z=" + FloatToText(50, vars.Find(1).decimals) + "   Phase=" + FloatToText(53.13, 1));
    EXPECT_EQ(CSmithChart::ReadOut(CSmithChart::ModeVswr, g, 100, 50, vars),
              "VSWR=" + FloatToText(3.0, 1));
    EXPECT_EQ(CSmithChart::ReadOut(CSmithChart::ModeGamma, g, 100, 50, vars),
              "Gamma=" + FloatToText(0.5, vars.Find(3).decimals) + "   Phi=" + FloatToText(90, 1));
    // The right end of the axis (g = 1): no impedance and no VSWR there.
    EXPECT_EQ(CSmithChart::ReadOut(CSmithChart::ModeRX, g, 200, 100, vars), "");
    EXPECT_EQ(CSmithChart::ReadOut(CSmithChart::ModeZPhase, g, 200, 100, vars), "");
    EXPECT_EQ(CSmithChart::ReadOut(CSmithChart::ModeVswr, g, 200, 100, vars), "");
    EXPECT_EQ(CSmithChart::ReadOut(CSmithChart::ModeVswr, g, 100, 0, vars), ""); // |g| = 1
    EXPECT_FALSE(CSmithChart::ReadOut(CSmithChart::ModeGamma, g, 200, 100, vars).empty());
    // Gamma reads outside the unit circle too.
    EXPECT_EQ(CSmithChart::ReadOut(CSmithChart::ModeGamma, g, 300, 100, vars).substr(0, 6),
              "Gamma=");
    // A chart without a radius reads nothing.
    EXPECT_EQ(CSmithChart::ReadOut(CSmithChart::ModeRX, SSmithGeometry{0, 0, 0}, 3, 3, vars), "");
}

TEST(SmithChart, ModelPointsOfTheActiveTrajectory)
{
    CUnitState unit;
    const SSmithGeometry g{100, 100, 100};
    // Trajectory 0 holds one point (last index 0) by default.
    const auto points = CSmithChart::ModelPoints(g, unit, 5.0, -20.0);
    ASSERT_EQ(points.size(), 1u);
    EXPECT_EQ(points[0].Index, 0);
    unit.Model().freq = 0; // the model has no answer
    EXPECT_TRUE(CSmithChart::ModelPoints(g, unit, 5.0, -20.0).empty());
}

} // namespace

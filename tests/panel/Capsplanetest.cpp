#include "panel/Capsplane.h"

#include "device/Datarec.h"
#include "device/Unitstate.h"
#include "panel/Tuningmodel.h"

#include <cmath>
#include <gtest/gtest.h>

namespace {

TEST(CapsPlane, GeometryAndMappingOfTheExampleWindow)
{
    const SCapsGeometry g = CCapsPlane::Geometry(308, 250, 13);
    EXPECT_EQ(g.Left, 4);
    EXPECT_EQ(g.Width, 300);
    EXPECT_EQ(g.Bottom, 235);
    EXPECT_EQ(g.Height, 220);
    SPoint p;
    ASSERT_TRUE(CCapsPlane::Map(g, 50, 50, p));
    EXPECT_EQ(p, (SPoint{154, 125}));
    ASSERT_TRUE(CCapsPlane::Map(g, 0, 0, p));
    EXPECT_EQ(p, (SPoint{4, 235}));
    ASSERT_TRUE(CCapsPlane::Map(g, 100, 100, p));
    EXPECT_EQ(p, (SPoint{304, 15}));
    EXPECT_FALSE(CCapsPlane::Map(g, std::nan(""), 50, p));
}

TEST(CapsPlane, InverseMappingHeldToThePlane)
{
    const SCapsGeometry g = CCapsPlane::Geometry(308, 250, 13);
    double load = -1, tune = -1;
    ASSERT_TRUE(CCapsPlane::Inverse(g, 154, 125, load, tune));
    EXPECT_DOUBLE_EQ(load, 50);
    EXPECT_DOUBLE_EQ(tune, 50);
    ASSERT_TRUE(CCapsPlane::Inverse(g, 0, 300, load, tune)); // left of and below the plane
    EXPECT_DOUBLE_EQ(load, 0);
    EXPECT_DOUBLE_EQ(tune, 0);
    ASSERT_TRUE(CCapsPlane::Inverse(g, 1000, -40, load, tune));
    EXPECT_DOUBLE_EQ(load, 100);
    EXPECT_DOUBLE_EQ(tune, 100);
}

TEST(CapsPlane, APlaneWithoutSizeHasNothingUnderTheMouse)
{
    CUnitState unit;
    // A client area 8 pixels wide leaves a plane of width 0; a low one a plane of height <= 0.
    for (const SCapsGeometry& g :
         {CCapsPlane::Geometry(8, 250, 13), CCapsPlane::Geometry(308, 30, 13),
          CCapsPlane::Geometry(0, 0, 13)}) {
        double load = 7, tune = 7;
        EXPECT_FALSE(CCapsPlane::Inverse(g, 4, 10, load, tune));
        EXPECT_EQ(load, 7);
        EXPECT_EQ(CCapsPlane::ReadOut(CCapsPlane::ModePosition, g, 4, 10, unit), "");
        EXPECT_EQ(CCapsPlane::ReadOut(CCapsPlane::ModePf, g, 4, 10, unit), "");
    }
}

TEST(CapsPlane, ReadOutInPercentAndPicofarads)
{
    CUnitState unit;
    unit.Cap(0).cMin = 100;
    unit.Cap(0).cMax = 1100;
    unit.Cap(1).cMin = 10;
    unit.Cap(1).cMax = 210;
    const SCapsGeometry g = CCapsPlane::Geometry(308, 250, 13);
    EXPECT_EQ(CCapsPlane::ReadOut(CCapsPlane::ModePosition, g, 154, 125, unit),
              "Load=50 %   Tune=50 %");
    EXPECT_EQ(CCapsPlane::ReadOut(CCapsPlane::ModePf, g, 154, 125, unit),
              "Load=600 pF   Tune=110 pF");
    EXPECT_EQ(CCapsPlane::ReadOut(CCapsPlane::ModePosition, g, -20, 125, unit),
              "Load=0 %   Tune=50 %");
}

TEST(CapsPlane, LimitRectangleOnlyInsideTheFrame)
{
    CUnitState unit;
    const SCapsGeometry g = CCapsPlane::Geometry(308, 250, 13);
    for (int c : {0, 1}) {
        unit.Cap(c).minPosition = 20;
        unit.Cap(c).maxPosition = 80;
    }
    auto sides = CCapsPlane::LimitSides(g, unit);
    for (const SLimitSide& s : sides)
        EXPECT_TRUE(s.Drawn);
    EXPECT_EQ(sides[0].From, (SPoint{64, 191}));
    EXPECT_EQ(sides[0].To, (SPoint{244, 191}));
    EXPECT_EQ(sides[2].From, (SPoint{244, 59}));
    for (int c : {0, 1}) {
        unit.Cap(c).minPosition = 0;
        unit.Cap(c).maxPosition = 100;
    }
    sides = CCapsPlane::LimitSides(g, unit);
    for (const SLimitSide& s : sides)
        EXPECT_FALSE(s.Drawn);
}

TEST(CapsPlane, SamplePointAndModelField)
{
    const SCapsGeometry g = CCapsPlane::Geometry(308, 250, 13);
    CDataRec rec;
    rec.SetValue(varid::LoadPosition, 50);
    rec.SetValue(varid::TunePosition, 50);
    const STracePoint t = CCapsPlane::SamplePoint(g, rec);
    EXPECT_TRUE(t.Valid);
    EXPECT_TRUE(t.Joined);
    EXPECT_EQ(t.X, 154);

    CTuningModel model;
    model.GridSize = 2;
    model.LoadSteps = {10, 0, 0, 0};
    model.TuneSteps = {0, 0, 0, -10};
    const auto cells = CCapsPlane::ModelField(g, model);
    ASSERT_EQ(cells.size(), 4u);
    EXPECT_EQ(cells[0].Centre, (SPoint{4 + 75, 235 - 55}));
    EXPECT_EQ(cells[0].ArrowEnd, (SPoint{4 + 75 + 30, 235 - 55}));
    EXPECT_EQ(cells[3].Centre, (SPoint{4 + 150 + 75, 235 - (110 + 55)}));
    EXPECT_EQ(cells[3].ArrowEnd, (SPoint{229, 70 + 22}));
    model.LoadSteps.resize(3); // a grid the arrays do not hold draws nothing
    EXPECT_TRUE(CCapsPlane::ModelField(g, model).empty());
    model.GridSize = 0;
    EXPECT_TRUE(CCapsPlane::ModelField(g, model).empty());
}

} // namespace

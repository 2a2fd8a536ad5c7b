// The tuning model window's grid: cell centres, the size clamp, the steps of every cell against
// the network model and the tuning rule, a model without an answer, and the model dialog's texts.

#include "service/Modelrules.h"
#include "service/Tuninggrid.h"

#include "device/Netmodel.h"
#include "device/Unitstate.h"
#include "panel/Tuningmodel.h"

#include <cmath>
#include <gtest/gtest.h>

namespace {

TEST(TuningGrid, SizeTextsAreClampedToTheGrid)
{
    for (const char* text : {"0", "-3", "abc", ""})
        EXPECT_EQ(CTuningGrid::ClampSize(text), 1) << text;
    EXPECT_EQ(CTuningGrid::ClampSize("40"), 32);
    EXPECT_EQ(CTuningGrid::ClampSize("32"), 32);
    EXPECT_EQ(CTuningGrid::ClampSize("99999999999999"), 1); // not an int: 0, then 1
    EXPECT_DOUBLE_EQ(CTuningGrid::CellPercent(0, 1), 50.0);
    EXPECT_DOUBLE_EQ(CTuningGrid::CellPercent(0, 8), 6.25);
    EXPECT_DOUBLE_EQ(CTuningGrid::CellPercent(7, 8), 93.75);
}

TEST(TuningGrid, RefreshStoresTheRuleStepOfEveryCell)
{
    CUnitState unit;
    CTuningModel model;
    STuningEdits e;
    e.R = "12.5";
    e.X = "-30";
    e.Size = "8";
    e.Zoom = "2.5";
    EXPECT_EQ(CTuningGrid::Refresh(unit, model, e), "8");
    EXPECT_DOUBLE_EQ(model.R, 12.5);
    EXPECT_DOUBLE_EQ(model.X, -30.0);
    EXPECT_DOUBLE_EQ(model.Zoom, 2.5);
    ASSERT_EQ(model.UsableGrid(), 8);

    // Cell (i, j) = (2, 5): Load 6.25 + 2 x 12.5 = 31.25 %, Tune 6.25 + 5 x 12.5 = 68.75 %.
    const NetModel::ImpedanceResult z = NetModel::Impedance(unit, 12.5, -30.0, 31.25, 68.75);
    ASSERT_TRUE(z.valid);
    const NetModel::TuneStepResult s = NetModel::TuneStep(unit, z.r, z.x, 31.25, 68.75);
    EXPECT_DOUBLE_EQ(model.LoadSteps[2 * 8 + 5], s.loadStep);
    EXPECT_DOUBLE_EQ(model.TuneSteps[2 * 8 + 5], s.tuneStep);
    // The transposed cell is another position and another step.
    const NetModel::ImpedanceResult zt = NetModel::Impedance(unit, 12.5, -30.0, 68.75, 31.25);
    const NetModel::TuneStepResult st = NetModel::TuneStep(unit, zt.r, zt.x, 68.75, 31.25);
    EXPECT_DOUBLE_EQ(model.LoadSteps[5 * 8 + 2], st.loadStep);
    EXPECT_NE(model.LoadSteps[5 * 8 + 2], model.LoadSteps[2 * 8 + 5]);
    // Steps are whole hundredths of a percent and never 0.
    for (double v : model.LoadSteps) {
        EXPECT_NE(v, 0.0);
        EXPECT_NEAR(v * 100.0, std::round(v * 100.0), 1e-9);
    }

    // A size of abc gives one cell at 50 % / 50 %, shown as 1.
    e.Size = "abc";
    EXPECT_EQ(CTuningGrid::Refresh(unit, model, e), "1");
    ASSERT_EQ(model.UsableGrid(), 1);
    const NetModel::ImpedanceResult zc = NetModel::Impedance(unit, 12.5, -30.0, 50.0, 50.0);
    EXPECT_DOUBLE_EQ(model.TuneSteps[0], NetModel::TuneStep(unit, zc.r, zc.x, 50.0, 50.0).tuneStep);
    e.Size = "40";
    EXPECT_EQ(CTuningGrid::Refresh(unit, model, e), "32");
    EXPECT_EQ(model.LoadSteps.size(), 32u * 32u);
}

TEST(TuningGrid, AModelWithoutAnAnswerGivesCellsWithoutArrows)
{
    CUnitState unit;
    unit.Model().freq = 0.0;
    unit.Cap(0).cMin = unit.Cap(0).cMax = 100.0; // an empty range too
    CTuningModel model;
    STuningEdits e;
    e.Size = "4";
    e.R = "nonsense";
    EXPECT_EQ(CTuningGrid::Refresh(unit, model, e), "4");
    EXPECT_DOUBLE_EQ(model.R, 0.0);
    ASSERT_EQ(model.UsableGrid(), 4);
    for (size_t k = 0; k < 16; ++k) {
        EXPECT_TRUE(std::isnan(model.LoadSteps[k]));
        EXPECT_TRUE(std::isnan(model.TuneSteps[k]));
    }
}

TEST(ModelRules, TextsAndStoreInTheGivenOrder)
{
    CUnitState unit;
    unit.Cap(0).cMin = 12.4;
    unit.Cap(0).cMax = 999.6;
    SModelTexts t = CModelRules::Texts(unit);
    EXPECT_EQ(t.Freq, "13.560");
    EXPECT_EQ(t.Lser, "1000");
    EXPECT_EQ(t.Lsh, "0");
    EXPECT_EQ(t.LoadRange, "12...1000 pF");
    EXPECT_EQ(t.TuneRange, "0...1000 pF");
    EXPECT_EQ(t.Page, 0);

    t.Freq = "27.12";
    t.Cpar = "15";
    t.Cout = "abc";
    t.Lsh = "40";
    t.Lser = "800";
    t.TCpar = "22";
    t.TLsh = "350";
    t.Page = 1;
    CModelRules::Store(t, unit);
    const CModelParams& m = unit.Model();
    EXPECT_DOUBLE_EQ(m.freq, 27.12);
    EXPECT_DOUBLE_EQ(m.cpar, 15.0);
    EXPECT_DOUBLE_EQ(m.cout, 0.0);
    EXPECT_DOUBLE_EQ(m.lsh, 40.0);
    EXPECT_DOUBLE_EQ(m.lser, 800.0);
    EXPECT_DOUBLE_EQ(m.tcpar, 22.0);
    EXPECT_DOUBLE_EQ(m.tlsh, 350.0);
    EXPECT_EQ(m.modelType, 1);
}

} // namespace

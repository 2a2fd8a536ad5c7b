#include "panel/Tuningrun.h"

#include "common/Helpers.h"
#include "device/Netmodel.h"
#include "device/Unitstate.h"

#include <gtest/gtest.h>

namespace {

TEST(TuningRun, StepTimes)
{
    EXPECT_EQ(CTuningRun::StepTime(0), 0);
    EXPECT_EQ(CTuningRun::StepTime(1), 12);
    EXPECT_EQ(CTuningRun::StepTime(2), 14);
    EXPECT_EQ(CTuningRun::StepTime(100), 112);
}

TEST(TuningRun, RunFollowsTheModelWithinTheStepLimit)
{
    CUnitState unit;
    const STuningRun run = CTuningRun::Simulate(unit, 5.0, -20.0, 200, 30.0, 70.0);
    EXPECT_EQ(run.Text.substr(0, 12), FloatToText(30, 2) + "\t" + FloatToText(70, 2) + "\t");
    ASSERT_FALSE(run.Path.empty());
    EXPECT_LE(run.Path.size(), 201u);
    EXPECT_DOUBLE_EQ(run.Path[0].Load, 30.0);
    EXPECT_EQ(run.Impedances.size(), run.Path.size()); // the start's, then one per step
    for (const auto& p : run.Path) {
        EXPECT_GE(p.Load, 0.0);
        EXPECT_LE(p.Load, 100.0);
        EXPECT_GE(p.Tune, 0.0);
        EXPECT_LE(p.Tune, 100.0);
    }
    EXPECT_EQ(run.Text.substr(12), FloatToText(double(run.Time) * 0.001, 1));
    // The first step's time matches the motor steps between the first two positions.
    ASSERT_GE(run.Path.size(), 2u);

    const STuningRun none = CTuningRun::Simulate(unit, 5.0, -20.0, 0, 130.0, -5.0);
    EXPECT_EQ(none.Path.size(), 1u);
    EXPECT_DOUBLE_EQ(none.Path[0].Load, 100.0); // the start is held to the plane
    EXPECT_DOUBLE_EQ(none.Path[0].Tune, 0.0);
    EXPECT_EQ(none.Time, 0);
}

TEST(TuningRun, StopsWhereTheModelHasNoAnswer)
{
    CUnitState unit;
    unit.Model().freq = 0;
    const STuningRun run = CTuningRun::Simulate(unit, 5.0, -20.0, 200, 50.0, 50.0);
    EXPECT_EQ(run.Path.size(), 1u);
    EXPECT_TRUE(run.Impedances.empty());
    EXPECT_EQ(run.Text, FloatToText(50, 2) + "\t" + FloatToText(50, 2) + "\t" + FloatToText(0, 1));
}

} // namespace

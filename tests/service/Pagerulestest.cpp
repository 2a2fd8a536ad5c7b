// The unit pages' text rules: every field checked before a send, rounding, the criterion and
// the defaults, and the two calibrations' worked examples.

#include "service/Cal3caprules.h"
#include "service/Calinputrules.h"
#include "service/Cap3rules.h"
#include "service/Fieldcheck.h"
#include "service/Setuprules.h"
#include "service/Trajrules.h"
#include "service/Tuningrules.h"

#include <gtest/gtest.h>

namespace {

TEST(FieldCheck, RefusesWhatTheUnitCannotStoreAndNamesTheField)
{
    CSetupData data;
    CSetupTexts t = SetupTexts(data);
    std::string error;
    ASSERT_TRUE(ParseSetupTexts(t, false, data, error)) << error;

    const CSetupData before = data;
    for (auto [field, text] : {std::pair{&t.cMax[0], "12.5"}, {&t.total[1], "abc"}, {&t.offset[0], "-1"},
                               {&t.total[0], "65536"}, {&t.pin, "123456789"}, {&t.pin, "12G4"},
                               {&t.pots[2], "256"}, {&t.inPoff, ""}, {&t.serial, "4294967296"}}) {
        const std::string good = *field;
        *field = text;
        EXPECT_FALSE(ParseSetupTexts(t, false, data, error)) << text;
        *field = good;
        EXPECT_NE(error.find(text), std::string::npos) << error;
        EXPECT_EQ(data.total, before.total);
    }
    t.cMax[0] = "12.5";
    ParseSetupTexts(t, false, data, error);
    EXPECT_EQ(error, "Load C max (pF): \"12.5\" is not a whole number from 0 to 65535.");

    // The third capacitor's fields count only on such a unit.
    t = SetupTexts(data);
    t.total[2] = "x";
    EXPECT_TRUE(ParseSetupTexts(t, false, data, error));
    EXPECT_FALSE(ParseSetupTexts(t, true, data, error));
    EXPECT_EQ(PinText(0x1000ABCD), "1000ABCD");
}

TEST(FieldCheck, RoundsHalfAwayFromZero)
{
    EXPECT_EQ(RoundHalfAway(2.5), 3);
    EXPECT_EQ(RoundHalfAway(-2.5), -3);
    EXPECT_EQ(RoundHalfAway(-204.8), -205);
    EXPECT_EQ(RoundHalfAway(-0.4), 0);
    double v = 0;
    EXPECT_TRUE(ParseDouble(" 1.25 ", v));
    EXPECT_DOUBLE_EQ(v, 1.25);
    EXPECT_FALSE(ParseDouble("1.2.3", v));
    EXPECT_FALSE(ParseDouble("1e5", v));
    EXPECT_EQ(ShortestText(12.5), "12.5");
    EXPECT_EQ(ShortestText(1000), "1000");
}

TEST(TrajRules, EditableEditsAndAllSetsChecked)
{
    EXPECT_TRUE(TrajPointEditable(0, 0));
    EXPECT_FALSE(TrajPointEditable(2, 1));
    EXPECT_TRUE(TrajPointEditable(3, 3));
    EXPECT_TRUE(TrajDelayEditable(0, 0, true));
    EXPECT_FALSE(TrajDelayEditable(0, 3, false));
    EXPECT_EQ(ValidTrajSet(7), 0);

    CTrajData data;
    data.sets[1].lastIndex = 1;
    data.sets[1].load = {10, 20, 30.5, 40};
    CTrajTexts t = TrajTexts(data);
    EXPECT_EQ(t.sets[1].load[2], "30.50");
    t.sets[3].tune[3] = "101"; // a point beyond the last is still stored, so it is checked
    std::string error;
    EXPECT_FALSE(ParseTrajTexts(t, data, error));
    EXPECT_EQ(error, "Set 4 point 3 Tune (%): \"101\" is not a number from 0 to 100.");
    t.sets[3].tune[3] = "99";
    t.sets[0].delay[1] = "4";
    t.selected = 2;
    ASSERT_TRUE(ParseTrajTexts(t, data, error)) << error;
    EXPECT_DOUBLE_EQ(data.sets[0].values[1], 4);
    EXPECT_EQ(data.active, 2);

    // Without per-point delays the empty delay edits are not checked.
    data.perPoint = false;
    t = TrajTexts(data);
    EXPECT_EQ(t.sets[0].delay[0], "");
    EXPECT_TRUE(ParseTrajTexts(t, data, error)) << error;
}

TEST(TuningRules, CriterionStoredPairsAndDefaults)
{
    CModelParams stored;
    stored.vswrStop = 1.7;
    stored.vswrStart = 1.9;
    stored.rflStop = 11;
    stored.rflStart = 22;
    CTuningData data;
    data.tuning.option1 = 1;
    CTuningTexts t = TuningTexts(data, false);
    EXPECT_EQ(t.criterion, 0); // without PIN bit 30 always VSWR
    t = TuningTexts(data, true);
    EXPECT_EQ(t.criterion, 1);
    EXPECT_EQ(t.stop, "100");
    t.stop = "120";
    std::string error;
    ASSERT_TRUE(ParseTuningTexts(t, true, stored, data, error)) << error;
    EXPECT_EQ(data.tuning.rflStop, 120);
    EXPECT_DOUBLE_EQ(data.tuning.stop, 1.7); // the stored VSWR pair, not the edits
    EXPECT_DOUBLE_EQ(data.tuning.minShStep, 0.0);
    ASSERT_TRUE(ParseTuningTexts(t, false, stored, data, error) == false);
    EXPECT_NE(error.find("Stop VSWR"), std::string::npos); // "120" is no VSWR

    // A coefficient half-way between two words rounds away from zero.
    t.magSer = "-0.00048828125"; // -0.5 / 1024
    ASSERT_TRUE(ParseTuningTexts(t, true, stored, data, error)) << error;
    EXPECT_DOUBLE_EQ(data.tuning.magToSer * 1024, -1.0);

    TuningDefaults(t, true);
    EXPECT_EQ(t.magSer, "-0.50");
    EXPECT_TRUE(t.hold);
    TuningDefaults(t, false);
    EXPECT_EQ(t.magSer, "-0.20");
    EXPECT_FALSE(t.hold);
    EXPECT_EQ(t.integral, 3);
    EXPECT_EQ(t.stop, "1.06");
    t.criterion = 0;
    t.rTarget = "-1";
    EXPECT_FALSE(ParseTuningTexts(t, true, stored, data, error));
    EXPECT_EQ(error, "R target: \"-1\" is not a number from 0 to 1599.");
}

TEST(Cap3Rules, DefaultsRoundingAndSelectedPreset)
{
    C3capTexts t;
    Cap3Defaults(t);
    C3capData data;
    std::string error;
    ASSERT_TRUE(ParseCap3Texts(t, data, error)) << error;
    EXPECT_EQ(data.control.maxStep, 100); // "1.00"
    EXPECT_EQ(data.control.error, 100);   // "0.10"
    EXPECT_EQ(data.control.timer, 100);
    EXPECT_EQ(data.control.gain, 10);
    t.maxStep = "0.125";
    ASSERT_TRUE(ParseCap3Texts(t, data, error));
    EXPECT_EQ(data.control.maxStep, 13);
    t.gain = "1.5";
    EXPECT_FALSE(ParseCap3Texts(t, data, error));
    EXPECT_EQ(data.control.gain, 10);
    EXPECT_EQ(SelectedCap3Preset({false, false, false, false}), 3);
    EXPECT_EQ(SelectedCap3Preset({false, true, false, false}), 1);
}

TEST(CurrentSensorCal, WorkedExamplesAndEqualReferences)
{
    CChannelCal c;
    ASSERT_TRUE(CurrentChannelCal(0, 1024, 0.0, 10.0, c));
    EXPECT_EQ(c.scale, 1000);
    EXPECT_EQ(c.offset, 0);
    EXPECT_EQ(c.max, 40);
    ASSERT_TRUE(VoltageChannelCal(100, 200, 10.0, 20.0, c));
    EXPECT_EQ(c.scale, 102);
    EXPECT_EQ(c.offset, 1);
    EXPECT_EQ(c.max, 409);
    CChannelCal untouched = c;
    EXPECT_FALSE(CurrentChannelCal(500, 500, 1.0, 2.0, c));
    EXPECT_EQ(c.scale, untouched.scale);

    // Large references are clamped to the unit's word instead of wrapping.
    ASSERT_TRUE(CurrentChannelCal(0, 10, 0.0, 100.0, c));
    EXPECT_EQ(c.scale, 32767);
    EXPECT_EQ(CurrentMax(0, 0), 0);
    EXPECT_EQ(CurrentMax(250, 0), 2); // a scale that is not a number counts as 0

    // The preview multiplies in 64 bits: 32767 x 4095 stays positive.
    C3capSensorCal cal{0, 0, 0, 32767, 32767, 32767};
    C3capPreview p = Cap3Preview({4095 * 2, 0, 4095 * 2, 0}, 2, cal);
    EXPECT_EQ(p.A1, 4095);
    EXPECT_NEAR(p.i1, 32767LL * 4095 / 1024 * 0.01, 1e-9);
    EXPECT_DOUBLE_EQ(p.i2, 0);
    EXPECT_DOUBLE_EQ(p.ratio, 32.0);
    EXPECT_EQ(p.v, 32767LL * 4095 / 1024);
}

TEST(InputSensorCal, PreviewMatrixAndPower)
{
    CSensorCal cal; // rr = xx = 1024, rx = xr = 0, offsets 0
    CAdcSums sums;
    sums.sum = {100 * 3, 0, 100 * 3, 2000 * 3};
    sums.count = 3;
    CSensorPreview p = SensorPreview(sums, cal);
    EXPECT_DOUBLE_EQ(p.R, 50.0);
    EXPECT_DOUBLE_EQ(p.X, 0.0);
    EXPECT_DOUBLE_EQ(p.G, 0.0);
    EXPECT_EQ(p.Pow, 0); // pow 1 x 100 / 1024 truncates to 0
    EXPECT_EQ(AverageCount("0"), 1);
    EXPECT_EQ(AverageCount("abc"), 1);

    // The matrix from two loads reproduces their R and X.
    CReferenceLoad l1{200, 50, 100, 50.0, 10.0};
    CReferenceLoad l2{60, 300, 120, 25.0, -20.0};
    ASSERT_TRUE(SensorMatrix(l1, l2, cal));
    sums.sum = {200, 50, 100, 0};
    sums.count = 1;
    p = SensorPreview(sums, cal);
    EXPECT_NEAR(p.R, 50.0, 0.5);
    EXPECT_NEAR(p.X, 10.0, 0.5);

    // Proportional loads leave no solution: refused, matrix untouched.
    const CSensorCal before = cal;
    EXPECT_FALSE(SensorMatrix(l1, {400, 100, 90, 10.0, 0.0}, cal));
    EXPECT_EQ(cal.rr, before.rr);

    cal.rr = cal.rx = 0;
    EXPECT_EQ(SensorPowerFactor(cal, 100, 0, 500), 1);
    cal.rr = 1024;
    EXPECT_EQ(SensorPowerFactor(cal, 100, 0, 500), 5120);

    // Words as the unit keeps them: signed matrix, unsigned power factor.
    cal.rx = -5;
    cal.pow = 50000;
    const CSensorCal back = SensorCalFromWords(SensorCalWords(cal));
    EXPECT_EQ(back.rx, -5);
    EXPECT_EQ(back.pow, 50000);
    std::array<std::string, 8> texts{"0", "0", "0", "1024", "0", "0", "1024", "70000"};
    std::string error;
    EXPECT_FALSE(ParseSensorCal(texts, cal, error));
    EXPECT_EQ(error, "pow: \"70000\" is not a whole number from 0 to 65535.");
}

} // namespace

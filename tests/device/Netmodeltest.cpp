// The matching-network model: forward and inverse model agree, the tuning rule's integer
// arithmetic, the saturations, and parameters that would divide by zero.

#include "device/Complex.h"
#include "device/Netmodel.h"
#include "device/Unitstate.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

class TestUnit : public CUnitState {
public:
    void SetPin(uint32_t pin) { pin_ = pin; }
};

TEST(Complex, Arithmetic)
{
    const Complex a(3, 4), b(1, -2);
    EXPECT_DOUBLE_EQ((a * b).real(), 11);
    EXPECT_DOUBLE_EQ((a * b).imag(), -2);
    const Complex q = a / b;
    EXPECT_DOUBLE_EQ(q.real(), -1);
    EXPECT_DOUBLE_EQ(q.imag(), 2);
    const Complex inv = 1.0 / Complex(0, 2);
    EXPECT_DOUBLE_EQ(inv.real(), 0);
    EXPECT_DOUBLE_EQ(inv.imag(), -0.5);
    EXPECT_DOUBLE_EQ(a.Magnitude(), 5);
    EXPECT_TRUE(Complex(0, 0) == 0.0);
    EXPECT_FALSE(Complex(0, 1) == 0.0);
    EXPECT_TRUE((a - a).IsZero());
    EXPECT_DOUBLE_EQ((-a).imag(), -4);
}

TEST(ClampToShort, Saturates)
{
    EXPECT_EQ(ClampToShort(-40000), -32767);
    EXPECT_EQ(ClampToShort(40000), 32767);
    EXPECT_EQ(ClampToShort(-32768), -32767);
    EXPECT_EQ(ClampToShort(std::nan("")), -32767);
    EXPECT_EQ(ClampToShort(-2.9), -2);
    EXPECT_EQ(ClampToShort(2.9), 2);
}

TEST(NetModelImpedance, OpenWhenBothCapacitancesAreZero)
{
    TestUnit u;
    u.Cap(0).cMax = 0; // both capacitances 0 at every position
    u.Cap(1).cMax = 0;
    const auto z = NetModel::Impedance(u, 50, 0, 50, 50);
    ASSERT_TRUE(z.valid);
    EXPECT_DOUBLE_EQ(z.r, 99999.0);
    EXPECT_DOUBLE_EQ(z.x, 0.0);
    EXPECT_FALSE(z.matched);
}

TEST(NetModelImpedance, SeriesBranchAlone)
{
    TestUnit u;
    u.Cap(0).cMax = 0; // Load capacitance 0: only the series branch
    const double w = NetModel::Omega(13.56);
    const double ctune = u.CapToPf(1, 30);
    const auto z = NetModel::Impedance(u, 20, 5, 50, 30);
    ASSERT_TRUE(z.valid);
    EXPECT_NEAR(z.r, 20, 1e-9);
    EXPECT_NEAR(z.x, 5 + w * 1000e-9 - 1e12 / (w * ctune), 1e-9);
}

// A load that resonates with Cout opens the series branch: only the shunt branch is left, and
// with no shunt capacitance the input is open.
TEST(NetModelImpedance, LoadResonantWithCoutOpensTheSeriesBranch)
{
    TestUnit u;
    u.Model().cout = 300;
    const double w = NetModel::Omega(13.56);
    const double x = -NetModel::Zc(w, 300).imag(); // ZL + Zc(Cout) is exactly 0
    const double cload = u.CapToPf(0, 40);
    auto z = NetModel::Impedance(u, 0, x, 40, 60);
    ASSERT_TRUE(z.valid);
    EXPECT_DOUBLE_EQ(z.r, 0);
    EXPECT_DOUBLE_EQ(z.x, NetModel::Zc(w, cload).imag());

    u.Cap(0).cMax = 0; // no shunt branch either
    z = NetModel::Impedance(u, 0, x, 40, 60);
    ASSERT_TRUE(z.valid);
    EXPECT_DOUBLE_EQ(z.r, NetModel::Open);
    EXPECT_DOUBLE_EQ(z.x, 0);
}

TEST(NetModelImpedance, BadParametersGiveNoResult)
{
    for (double freq : {0.0, -1.0, std::nan("")}) {
        TestUnit u;
        u.Model().freq = freq;
        EXPECT_FALSE(NetModel::Impedance(u, 50, 0, 50, 50).valid) << freq;
        EXPECT_EQ(NetModel::SolveCaps(u, 20, 0).count, 0) << freq;
    }
    TestUnit u;
    u.Model().modelType = 7; // no such topology: Z = 0
    const auto z = NetModel::Impedance(u, 50, 0, 50, 50);
    ASSERT_TRUE(z.valid);
    EXPECT_EQ(z.r, 0);
    EXPECT_EQ(z.x, 0);
}

TEST(NetModelSolve, EqualRangeGivesZeroPercent)
{
    TestUnit u;
    for (int c = 0; c < 2; ++c) {
        u.Cap(c).cMin = 300;
        u.Cap(c).cMax = 300;
    }
    EXPECT_EQ(NetModel::CapToPosition(u, 0, 300), 0.0);
    EXPECT_EQ(NetModel::CapToPosition(u, 0, 299), 0.0);
    EXPECT_EQ(NetModel::CapToPosition(u, 0, 301), 100.0);
    EXPECT_EQ(NetModel::CapToPosition(u, 0, std::nan("")), 0.0);
    const auto s = NetModel::SolveCaps(u, 10, 0);
    for (int i = 0; i < s.count; ++i) {
        EXPECT_FALSE(std::isnan(s.solution[i].loadPercent));
        EXPECT_FALSE(std::isnan(s.solution[i].tunePercent));
    }
}

TEST(NetModelSolve, NoSolutionForZeroTarget)
{
    TestUnit u;
    u.Model().rtarget = 0;
    u.Model().xtarget = 0;
    EXPECT_EQ(NetModel::SolveCaps(u, 10, 0).count, 0);
    u.Model().xtarget = 20; // re(1/T) = 0
    EXPECT_EQ(NetModel::SolveCaps(u, 10, 0).count, 0);
}

// Hand-computed solution of topology 0: R 10, X 0 against 50 ohm gives a series reactance
// of +20 ohm and a shunt reactance of -25 ohm.
TEST(NetModelSolve, Type0HandValue)
{
    TestUnit u;
    const double w = NetModel::Omega(13.56);
    const auto s = NetModel::SolveCaps(u, 10, 0);
    ASSERT_EQ(s.count, 1);
    EXPECT_NEAR(s.solution[0].tunePf, 1e12 / (w * (w * 1000e-9 - 20)), 1e-6);
    EXPECT_NEAR(s.solution[0].loadPf, 1e12 / (w * 25), 1e-6);
    EXPECT_NEAR(s.solution[0].loadPercent, s.solution[0].loadPf / 10, 1e-9);
}

struct Topology {
    int type;
    double lser, lsh, cpar, cout, tlsh, tcpar, rtarget, xtarget;
};

// For every load that the network can match inside its capacitor ranges, the input impedance
// at the solved positions is the target.
class SolveRoundTrip : public ::testing::TestWithParam<Topology> {};

TEST_P(SolveRoundTrip, ImpedanceOfSolutionIsTarget)
{
    const Topology& t = GetParam();
    TestUnit u;
    CModelParams& m = u.Model();
    m.modelType = t.type;
    m.lser = t.lser;
    m.lsh = t.lsh;
    m.cpar = t.cpar;
    m.cout = t.cout;
    m.tlsh = t.tlsh;
    m.tcpar = t.tcpar;
    m.rtarget = t.rtarget;
    m.xtarget = t.xtarget;
    for (int c = 0; c < 2; ++c) {
        u.Cap(c).cMin = 2;
        u.Cap(c).cMax = 5000;
    }
    int checked = 0;
    for (double r = 1; r <= 200; r += 3.7) {
        for (double x = -120; x <= 120; x += 9.3) {
            const auto s = NetModel::SolveCaps(u, r, x);
            for (int k = 0; k < s.count; ++k) {
                const auto& sol = s.solution[k];
                ASSERT_FALSE(std::isnan(sol.loadPercent));
                ASSERT_FALSE(std::isnan(sol.tunePercent));
                if (sol.loadPercent <= 0 || sol.loadPercent >= 100 || sol.tunePercent <= 0 ||
                    sol.tunePercent >= 100)
                    continue; // outside the ranges: clamped, not matched
                const auto z = NetModel::Impedance(u, r, x, sol.loadPercent, sol.tunePercent);
                ASSERT_TRUE(z.valid);
                EXPECT_NEAR(z.r, t.rtarget, 1e-6 * (1 + t.rtarget)) << r << " " << x;
                EXPECT_NEAR(z.x, t.xtarget, 1e-6 * (1 + t.rtarget)) << r << " " << x;
                EXPECT_TRUE(z.matched);
                ++checked;
            }
        }
    }
    EXPECT_GT(checked, 20);
}

INSTANTIATE_TEST_SUITE_P(
    Topologies, SolveRoundTrip,
    ::testing::Values(Topology{0, 1000, 0, 0, 0, 0, 0, 50, 0},
                      Topology{0, 1500, 0, 0, 0, 0, 0, 50, 10},
                      Topology{0, 1000, 50, 20, 0, 0, 0, 50, 0},
                      Topology{0, 1200, 0, 0, 300, 0, 0, 50, 0},
                      Topology{1, 0, 0, 0, 0, 600, 0, 50, 0},
                      Topology{1, 0, 0, 0, 0, 800, 20, 50, -5}));

TEST(NetModelSolve, Type1GivesTwoSolutionsWhenDIsPositive)
{
    TestUnit u;
    u.Model().modelType = 1;
    u.Model().tlsh = 600;
    EXPECT_EQ(NetModel::SolveCaps(u, 10, 0).count, 2);
    EXPECT_EQ(NetModel::SolveCaps(u, 1e6, 0).count, 0); // d < 0
}

TEST(NetModelTuneStep, HandValues)
{
    TestUnit u;
    // Matched: r = 1024, x = 0 -> e = 0, phase = 0: the smallest steps.
    auto s = NetModel::TuneStep(u, 50, 0, 50, 50);
    EXPECT_DOUBLE_EQ(s.loadStep, 0.01);
    EXPECT_DOUBLE_EQ(s.tuneStep, 0.01);
    EXPECT_EQ(s.third, 372); // ((5000*1000 >> 13) * 5000) >> 13

    // R 25, X 25: r = a = 512, phase 1024, m = 512, e = -512;
    // dSer = (-204*-512 + 819*1024) >> 10 = 921, dSh = -((819*512 - 204*1024) >> 10) = -205;
    // tune = 921*372 >> 10 = 334, load = 205*(7500000 >> 13 = 915) >> 10 = 183.
    s = NetModel::TuneStep(u, 25, 25, 50, 50);
    EXPECT_DOUBLE_EQ(s.tuneStep, 3.34);
    EXPECT_DOUBLE_EQ(s.loadStep, -1.83);
    EXPECT_EQ(s.third, 372);

    // Negative X: third follows the sign; the second keyless option 0 clears it.
    s = NetModel::TuneStep(u, 25, -25, 50, 50);
    EXPECT_EQ(s.third, -372);
    u.Model().tuneOption3 = 0;
    s = NetModel::TuneStep(u, 25, -25, 50, 50);
    EXPECT_EQ(s.third, 0);
}

TEST(NetModelTuneStep, NeverZeroAndNeverUndefined)
{
    TestUnit u;
    const double bad[] = {0, -1e300, 1e300, std::nan(""), std::numeric_limits<double>::infinity()};
    for (double r : bad)
        for (double x : bad)
            for (double p : {0.0, 100.0, 1e12, -1e12}) {
                const auto s = NetModel::TuneStep(u, r, x, p, p);
                EXPECT_NE(s.loadStep, 0);
                EXPECT_NE(s.tuneStep, 0);
            }
}

TEST(AdcFit, Ends)
{
    EXPECT_EQ(CUnitState::AdcFit(4096, 4.0), 7);  // k limited to 2.0
    EXPECT_EQ(CUnitState::AdcFit(0, 2.0), 59);    // k limited to 0.3
    EXPECT_EQ(CUnitState::AdcFit(4096, 2.0), 17); // v = 2: k = 4/3, 175 * 0.9578 - 150
    EXPECT_EQ(CUnitState::AdcFit(8000, 2.0), 17); // v at most the full scale
    EXPECT_EQ(CUnitState::AdcFit(4096, 5.0), 7);  // v = 5 divides by zero: k limited to 2.0
}

} // namespace

#include "device/Netmodel.h"

#include "device/Unitstate.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>

int16_t ClampToShort(double value)
{
    if (value > 32767.0)
        return 32767;
    if (!(value >= -32767.0)) // also a value that is not a number
        return -32767;
    return static_cast<int16_t>(value);
}

namespace NetModel {

namespace {

const Complex J(0.0, 1.0);

bool Finite(double v) { return std::isfinite(v); }

// Right shift of the unit's arithmetic: a negative value is shifted as its magnitude.
int64_t Shr(int64_t a, int n) { return a < 0 ? -((-a) >> n) : a >> n; }

// Truncation toward zero, saturated to the 32-bit range; not a number gives 0.
int64_t Trunc(double v)
{
    if (!std::isfinite(v)) {
        if (std::isnan(v))
            return 0;
        return v > 0 ? std::numeric_limits<int32_t>::max() : std::numeric_limits<int32_t>::min();
    }
    if (v >= 2147483647.0)
        return std::numeric_limits<int32_t>::max();
    if (v <= -2147483648.0)
        return std::numeric_limits<int32_t>::min();
    return static_cast<int64_t>(v);
}

// Truncation bounded to +-limit, so that the products of the tuning rule cannot overflow for
// percentages and constants far outside their ranges.
int64_t TruncBounded(double v, int64_t limit) { return std::clamp(Trunc(v), -limit, limit); }

bool FrequencyUsable(const CModelParams& m) { return Finite(m.freq) && m.freq > 0.0; }

// Input impedance of topology 0: shunt Load capacitor at the input, series Tune capacitor.
Complex InputType0(const CModelParams& m, double w, Complex zl, double cload, double ctune)
{
    Complex y;
    if (ctune != 0.0) {
        // A load that resonates with Cout makes the pair, and so the series branch, an open
        // circuit: the branch adds no admittance.
        bool open = false;
        if (m.cout > 0.0) {
            const Complex zcout = Zc(w, m.cout);
            const Complex sum = zl + zcout;
            if (sum.IsZero())
                open = true;
            else
                zl = zl * zcout / sum;
        }
        if (!open) {
            const Complex zs = zl + Zl(w, m.lser) + Zc(w, ctune);
            if (zs.IsZero())
                return {};
            y = 1.0 / zs;
        }
    }
    if (cload != 0.0) {
        const Complex zsh = Zc(w, cload) + Zl(w, m.lsh);
        if (zsh.IsZero())
            return {};
        y += 1.0 / zsh;
    }
    if (m.cpar != 0.0)
        y += 1.0 / Zc(w, m.cpar);
    if (y.IsZero())
        return Complex(Open);
    return 1.0 / y;
}

// Input impedance of topology 1: series Load capacitor, shunt inductor TLsh, Tune capacitor
// with TCpar in series with the load.
Complex InputType1(const CModelParams& m, double w, Complex zl, double cload, double ctune)
{
    if (cload == 0.0)
        return Complex(Open);
    Complex y;
    if (ctune != 0.0)
        y = 1.0 / Zc(w, ctune);
    if (m.tcpar != 0.0)
        y += 1.0 / Zc(w, m.tcpar);
    const Complex zsh = Zl(w, m.tlsh);
    if (y.IsZero())
        return zsh + Zc(w, cload);
    const Complex z1 = zl + 1.0 / y;
    const Complex wsum = z1 + zsh;
    if (wsum.IsZero())
        return Complex(Open);
    return z1 * zsh / wsum + Zc(w, cload);
}

} // namespace

double Omega(double freqMHz) { return 6283185.307179586 * freqMHz; }

Complex Zc(double w, double pF) { return J * (1e12 * (-1.0 / w) / pF); }

Complex Zl(double w, double nH) { return J * (w * nH * 1e-9); }

ImpedanceResult Impedance(const CUnitState& unit, double loadR, double loadX, double loadPercent,
                          double tunePercent)
{
    ImpedanceResult res;
    const CModelParams& m = unit.Model();
    if (!FrequencyUsable(m))
        return res;
    const double w = Omega(m.freq);
    const double ctune = unit.CapToPf(1, tunePercent);
    const double cload = unit.CapToPf(0, loadPercent);
    const Complex zl(loadR, loadX);

    Complex z;
    if (m.modelType == 0)
        z = InputType0(m, w, zl, cload, ctune);
    else if (m.modelType == 1)
        z = InputType1(m, w, zl, cload, ctune);
    if (!z.IsFinite())
        return res;

    res.valid = true;
    res.r = z.real();
    res.x = z.imag();
    const Complex t(m.rtarget, m.xtarget);
    const Complex sum = z + t;
    if (!sum.IsZero()) {
        const double gamma = ((z - t) / sum).Magnitude();
        res.matched = gamma < 1.0 && (1.0 + gamma) / (1.0 - gamma) < m.vswrStop;
    }
    return res;
}

double CapToPosition(const CUnitState& unit, int cap, double pF)
{
    const CCapRecord& c = unit.Cap(cap);
    if (std::isnan(pF))
        return 0.0;
    if (pF < c.cMin)
        return 0.0;
    if (pF > c.cMax)
        return 100.0;
    const double span = c.cMax - c.cMin;
    if (!(span > 0.0))
        return 0.0;
    const double pos = (pF - c.cMin) * 100.0 / span;
    return Finite(pos) ? pos : 0.0;
}

CapSolutions SolveCaps(const CUnitState& unit, double loadR, double loadX)
{
    CapSolutions out;
    const CModelParams& m = unit.Model();
    if (!FrequencyUsable(m) || !Finite(loadR) || !Finite(loadX))
        return out;
    const double w = Omega(m.freq);
    const Complex t(m.rtarget, m.xtarget);
    if (t.IsZero() || (1.0 / t).real() == 0.0)
        return out;

    auto add = [&](double cload, double ctune) {
        CapSolution& s = out.solution[out.count++];
        s.loadPf = cload;
        s.tunePf = ctune;
        s.loadPercent = CapToPosition(unit, 0, cload);
        s.tunePercent = CapToPosition(unit, 1, ctune);
    };

    Complex zl(loadR, loadX);
    if (m.modelType == 0) {
        const double g = (1.0 / t).real();
        if (m.cout > 0.0) {
            const Complex zcout = Zc(w, m.cout);
            const Complex sum = zl + zcout;
            if (sum.IsZero())
                return out;
            zl = zl * zcout / sum;
        }
        const double r = zl.real();
        const double x = zl.imag();
        const double d = (1.0 / g - r) * r;
        if (!(d >= 0.0))
            return out;
        const double v = w * 1e-9 * m.lser + (x - std::sqrt(d));
        const double ctune = v > 0.0 ? (1e12 / w) / v : Open;
        const Complex z1 = zl + Zc(w, ctune) + Zl(w, m.lser);
        double cload;
        if (z1.IsZero()) {
            cload = m.lsh == 0.0 ? Open : 1e9 * (1e12 / w / w) / m.lsh;
        } else {
            Complex yn = 1.0 / t - 1.0 / z1;
            if (m.cpar > 0.0)
                yn -= 1.0 / Zc(w, m.cpar);
            if (yn.IsZero()) {
                cload = 0.0;
            } else {
                const Complex zn = 1.0 / yn - Zl(w, m.lsh);
                cload = zn.imag() == 0.0 ? Open : (-1e12 / w) / zn.imag();
            }
        }
        if (Finite(cload) && Finite(ctune))
            add(cload, ctune);
        return out;
    }

    if (m.modelType != 1)
        return out;
    const double xl = w * m.tlsh * 1e-9;
    const double d = xl * xl * loadR / m.rtarget - loadR * loadR;
    if (!(d >= 0.0))
        return out;
    const int solutions = d == 0.0 ? 1 : 2;
    for (int k = 0; k < solutions; ++k) {
        const double s = k == 0 ? -std::sqrt(d) : std::sqrt(d);
        const double a = loadX + xl;
        const double e = a * a - d;
        double ctune;
        if (e == 0.0) {
            ctune = Open;
        } else {
            ctune = 1e12 * ((a + s) / e) / w - m.tcpar;
            if (ctune < 0.0)
                ctune = 0.0;
        }
        double cload = 0.0;
        if (m.tcpar + ctune > 0.0) {
            const Complex z1 = zl + Zc(w, m.tcpar + ctune);
            if (z1.IsZero() || xl == 0.0) {
                cload = Open;
            } else {
                const Complex y = 1.0 / z1 + 1.0 / Complex(0.0, xl);
                if (y.IsZero()) {
                    cload = Open;
                } else {
                    const double xi = (1.0 / y).imag();
                    cload = xi == m.xtarget ? Open : 1e12 * (1.0 / (xi - m.xtarget)) / w;
                }
            }
        } else {
            ctune = 0.0;
        }
        if (Finite(cload) && Finite(ctune))
            add(cload, ctune);
    }
    return out;
}

TuneStepResult TuneStep(const CUnitState& unit, double rIn, double xIn, double loadPercent,
                        double tunePercent)
{
    const CModelParams& m = unit.Model();
    TuneStepResult out;

    const double rtarget = m.rtarget <= 0.0 || std::isnan(m.rtarget) ? 1.0 : m.rtarget;
    int64_t r = std::max<int64_t>(Trunc(0.02 * rIn * 1024.0), 1);
    int64_t x = Trunc(0.02 * xIn * 1024.0);
    r = std::max<int64_t>(Trunc(static_cast<double>(r) * 50.0 / rtarget), 1);
    x = Trunc(static_cast<double>(x) - m.xtarget * 1024.0 * 0.02);

    constexpr int64_t PercentLimit = 1000000;
    constexpr int64_t FactorLimit = 10000000;
    const int64_t pL = TruncBounded(loadPercent * 100.0, PercentLimit);
    const int64_t pT = TruncBounded(tunePercent * 100.0, PercentLimit);
    const int64_t sSh = TruncBounded(m.maxShStep * 100.0, PercentLimit);
    const int64_t sSer = TruncBounded(m.maxSerStep * 100.0, PercentLimit);
    const int64_t sMin = TruncBounded(m.minSerStep * 100.0, PercentLimit);
    const int64_t kRS = TruncBounded(m.rtoshunt * 1024.0, FactorLimit);
    const int64_t kXS = TruncBounded(m.xtoshunt * 1024.0, FactorLimit);
    const int64_t kRR = TruncBounded(m.rtoseries * 1024.0, FactorLimit);
    const int64_t kXR = TruncBounded(m.xtoseries * 1024.0, FactorLimit);

    int64_t ser = Shr(Shr((10000 - pL) * sSer, 13) * pT, 13);
    if (ser < sMin)
        ser = sMin;

    const int64_t a = std::llabs(x);
    int64_t third;
    int64_t phase;
    if (x < 0) {
        third = -ser;
        phase = r >= a ? -((a << 10) / r) : -1024;
    } else {
        third = ser;
        phase = x > r ? 1024 : (a << 10) / r;
    }
    if (m.tuneOption3 == 0)
        third = 0;

    int64_t mag;
    if (std::llabs(phase) < 1024) {
        if (r < 4096 && a < 4096)
            mag = (r <= 256 && a <= 256) ? 256 : r + Shr((a * a) / r, 1);
        else
            mag = 4096;
    } else {
        mag = a;
    }

    int64_t e = mag - 1024;
    if (e < -512)
        e = e + mag - 512;
    if (e > 512)
        e = Shr(e, 2) + 256;
    e = std::clamp<int64_t>(e, -1024, 1024);

    const int64_t dSer = Shr(kRR * e + kXR * phase, 10);
    const int64_t dSh = Shr(kRS * e + kXS * phase, 10);

    int64_t tune = Shr(std::llabs(dSer) * ser, 10);
    int64_t load = Shr(std::llabs(dSh) * Shr((10000 - Shr(pL, 1)) * sSh, 13), 10);
    tune = std::max<int64_t>(std::llabs(tune), 1);
    load = std::max<int64_t>(std::llabs(load), 1);
    if (dSer < 0)
        tune = -tune;
    if (dSh < 0)
        load = -load;

    out.loadStep = static_cast<double>(load) * 0.01;
    out.tuneStep = static_cast<double>(tune) * 0.01;
    out.third = static_cast<int>(std::clamp<int64_t>(third, INT32_MIN, INT32_MAX));
    return out;
}

} // namespace NetModel

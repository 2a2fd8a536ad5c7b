#include "service/Calinputrules.h"

#include "common/Helpers.h"
#include "device/Unitstate.h"
#include "service/Fieldcheck.h"

#include <algorithm>
#include <cmath>

const char* const SensorCalFieldNames[8] = {"p off", "q off", "i2 off", "rr", "rx", "xr", "xx", "pow"};

namespace {

constexpr double TempFullScale = 2.0;
constexpr int ShortMin = -32768, ShortMax = 32767, WordMax = 65535;

int ClampShort(double v)
{
    if (!(v == v))
        return 0;
    return static_cast<int>(std::clamp(std::trunc(v), double(ShortMin), double(ShortMax)));
}

} // namespace

std::array<uint16_t, 8> SensorCalWords(const CSensorCal& c)
{
    const int v[8] = {c.pOff, c.qOff, c.i2Off, c.rr, c.rx, c.xr, c.xx, c.pow};
    std::array<uint16_t, 8> w{};
    for (int i = 0; i < 8; ++i)
        w[i] = static_cast<uint16_t>(v[i]);
    return w;
}

CSensorCal SensorCalFromWords(const std::array<uint16_t, 8>& w)
{
    auto s = [&](int i) { return static_cast<int>(static_cast<int16_t>(w[i])); };
    CSensorCal c;
    c.pOff = s(0);
    c.qOff = s(1);
    c.i2Off = s(2);
    c.rr = s(3);
    c.rx = s(4);
    c.xr = s(5);
    c.xx = s(6);
    c.pow = w[7];
    return c;
}

bool ParseSensorCal(const std::array<std::string, 8>& t, CSensorCal& cal, std::string& error)
{
    CFieldCheck f;
    int v[8] = {};
    for (int i = 0; i < 7; ++i)
        f.Int(SensorCalFieldNames[i], t[i], ShortMin, ShortMax, v[i]);
    f.Int(SensorCalFieldNames[7], t[7], 0, WordMax, v[7]);
    if (!f.Ok()) {
        error = f.Error();
        return false;
    }
    cal = {v[0], v[1], v[2], v[3], v[4], v[5], v[6], v[7]};
    return true;
}

int AverageCount(const std::string& text) { return std::max(1, TextToInt(text)); }

CSensorPreview SensorPreview(const CAdcSums& s, const CSensorCal& c)
{
    CSensorPreview r;
    const long long n = std::max(1, s.count);
    r.P = static_cast<int>(s.sum[0] / n);
    r.Q = static_cast<int>(s.sum[1] / n);
    r.I = static_cast<int>(s.sum[2] / n);
    r.T = static_cast<int>(s.sum[3] / n);
    r.p = r.P - c.pOff;
    r.q = r.Q - c.qOff;
    r.i = r.I - c.i2Off;
    const double d = std::max(1, r.i);
    const double u = (double(c.rr) * r.p + double(c.rx) * r.q) / 1024.0;
    const double v = (double(c.xr) * r.p + double(c.xx) * r.q) / 1024.0;
    r.R = 50.0 * u / d;
    r.X = 50.0 * v / d;
    double den = (u + d) * (u + d) + v * v;
    if (!(den > 0))
        den = 1;
    r.G = ((u - d) * (u - d) + v * v) / den;
    const double sAbs = std::abs(double(c.rr)) + std::abs(double(c.rx));
    r.Pow = sAbs > 0 ? static_cast<long long>(std::trunc(c.pow * u / sAbs)) : 0;
    if (r.R > 0 && r.Pow > 0) {
        r.Irf = std::sqrt(r.Pow / r.R);
        r.V = std::sqrt(r.R * r.R + r.X * r.X) * r.Irf;
        r.Pfwd = static_cast<long long>(
            std::trunc(((r.V * r.V + (50.0 * r.Irf) * (50.0 * r.Irf)) * 0.01 + r.Pow) * 0.5));
    }
    r.tempC = CUnitState::AdcFit(r.T, TempFullScale);
    return r;
}

bool SensorMatrix(const CReferenceLoad& a, const CReferenceLoad& b, CSensorCal& cal)
{
    const long long det = static_cast<long long>(a.p) * b.q - static_cast<long long>(b.p) * a.q;
    if (det == 0)
        return false;
    const double k = 0.02 * 1024.0 / static_cast<double>(det);
    auto term = [](double i, double v, double other) { return i * v * other; };
    cal.rr = ClampShort((term(a.i2, a.R, b.q) - term(b.i2, b.R, a.q)) * k);
    cal.rx = ClampShort((term(b.i2, b.R, a.p) - term(a.i2, a.R, b.p)) * k);
    cal.xr = ClampShort((term(a.i2, a.X, b.q) - term(b.i2, b.X, a.q)) * k);
    cal.xx = ClampShort((term(b.i2, b.X, a.p) - term(a.i2, a.X, b.p)) * k);
    return true;
}

int SensorPowerFactor(const CSensorCal& c, int p, int q, double power)
{
    const double s = std::abs(double(c.rr)) + std::abs(double(c.rx));
    if (!(s > 0))
        return 1;
    const double u = (double(c.rr) * p + double(c.rx) * q) / s;
    if (!(u > 0))
        return 1;
    const double pow = std::trunc(power / u * 1024.0);
    return static_cast<int>(std::clamp(pow, 0.0, double(WordMax)));
}

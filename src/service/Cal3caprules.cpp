#include "service/Cal3caprules.h"

#include "service/Fieldcheck.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr long long ShortMin = -32768, ShortMax = 32767;
constexpr double CurrentScale = 100.0 * 1024.0; // hundredths of an ampere, x1024
constexpr double VoltageScale = 1024.0;
constexpr double TempFullScale = 4.0;
constexpr double RatioWithoutI2 = 32.0;

int ClampShort(long long v) { return static_cast<int>(std::clamp(v, ShortMin, ShortMax)); }

long long Truncated(double v)
{
    if (!std::isfinite(v))
        return v > 0 ? ShortMax : ShortMin;
    return static_cast<long long>(std::trunc(std::clamp(v, -1e15, 1e15)));
}

// offset + scale x a / 1024, the division truncated toward zero.
long long ChannelCounts(long long offset, long long scale, long long a) { return offset + scale * a / 1024; }

bool ChannelCal(int a1, int a2, double v1, double v2, double scaleFactor, double unit, CChannelCal& out)
{
    if (a1 == a2)
        return false;
    const int scale = ClampShort(Truncated((v2 - v1) * scaleFactor / (a2 - a1)));
    const int offset = ClampShort(Truncated(v1 * unit - static_cast<double>(static_cast<long long>(a1) * scale / 1024)));
    out.scale = scale;
    out.offset = offset;
    return true;
}

} // namespace

long long CurrentMax(long long offset, long long scale) { return (offset + 4 * scale) / 100; }
long long VoltageMax(long long offset, long long scale) { return offset + 4 * scale; }

bool CurrentChannelCal(int a1, int a2, double value1, double value2, CChannelCal& out)
{
    if (!ChannelCal(a1, a2, value1, value2, CurrentScale, 100.0, out))
        return false;
    out.max = CurrentMax(out.offset, out.scale);
    return true;
}

bool VoltageChannelCal(int a1, int a2, double value1, double value2, CChannelCal& out)
{
    if (!ChannelCal(a1, a2, value1, value2, VoltageScale, 1.0, out))
        return false;
    out.max = VoltageMax(out.offset, out.scale);
    return true;
}

bool Parse3capSensorCal(const std::array<std::string, 6>& t, C3capSensorCal& cal, std::string& error)
{
    static const char* const Names[6] = {"I1 offset", "I2 offset", "V offset", "I1 scale", "I2 scale", "V scale"};
    CFieldCheck f;
    int v[6] = {};
    for (int i = 0; i < 6; ++i)
        f.Int(Names[i], t[i], ShortMin, ShortMax, v[i]);
    if (!f.Ok()) {
        error = f.Error();
        return false;
    }
    cal = {v[0], v[1], v[2], v[3], v[4], v[5]};
    return true;
}

C3capSensorCal Signed3capSensorCal(const C3capSensorCal& c)
{
    auto s = [](int w) { return static_cast<int>(static_cast<int16_t>(static_cast<uint16_t>(w))); };
    return {s(c.i1off), s(c.i2off), s(c.voff), s(c.i1scale), s(c.i2scale), s(c.vscale)};
}

C3capPreview Cap3Preview(const std::array<long long, 4>& sums, int count, const C3capSensorCal& c)
{
    C3capPreview r;
    const long long n = std::max(1, count);
    r.A1 = static_cast<int>(sums[0] / n);
    r.A2 = static_cast<int>(sums[1] / n);
    r.AV = static_cast<int>(sums[2] / n);
    r.AT = static_cast<int>(sums[3] / n);
    r.i1 = r.A1 > 0 ? ChannelCounts(c.i1off, c.i1scale, r.A1) * 0.01 : 0.0;
    r.i2 = r.A2 > 0 ? ChannelCounts(c.i2off, c.i2scale, r.A2) * 0.01 : 0.0;
    r.ratio = r.i1 > 0 ? (r.i2 > 0 ? r.i1 / r.i2 : RatioWithoutI2) : 0.0;
    r.v = r.AV > 0 ? ChannelCounts(c.voff, c.vscale, r.AV) : 0;
    r.tempC = CUnitState::AdcFit(r.AT, TempFullScale);
    return r;
}

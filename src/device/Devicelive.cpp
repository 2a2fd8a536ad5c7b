// The live read: command 255 (fifteen readings) and 254 (eight status bytes), scaled by unit
// family; and the demo sample made from the network model.

#include "device/Datarec.h"
#include "device/Device.h"
#include "device/Netmodel.h"
#include "device/Unitconst.h"

#include <cmath>

namespace {

// The live reply's signed words, in order.
enum LiveWord : int {
    WordR,         // resistance, 1024 = 50 ohms
    WordX,         // reactance, the same scale
    WordGamma2,    // Gamma squared, 1024 = 1
    WordPower,     // delivered power
    WordAux4,      // three-capacitor units: current ratio (x 0.001); output sensor: load R
    WordAux5,      // current 1 (x 0.01); load X
    WordAux6,      // current 2 (x 0.01); load Gamma squared
    WordAux7,      // third capacitor position (x 0.01); load power
    WordLoad,      // load capacitor position, x 0.01 percent
    WordTune,      // tune capacitor position, x 0.01 percent
    WordStatus,    // the status word
    WordTemp,
    WordRfPeak,
    WordDcBias,    // times the unit's DC-bias scale
    WordRfCap,
    LiveWords
};
constexpr int LiveReplyLength = LiveWords * 2;
constexpr int StatusByteCount = 8;

// Older units have no status bytes: three bits of the status word's high byte stand for three
// faults of status byte 0.
struct OldFaultBit {
    uint32_t highByteMask;
    uint32_t statusByteMask;
};
constexpr OldFaultBit OldFaultBits[] = {
    {0x20, 0x01}, // low 24 V
    {0x08, 0x02}, // over voltage
    {0x80, 0x40}, // output current
};

double Ohms(int16_t w) { return w / 1024.0 * 50.0; }

// Gamma from its squared word: 0 for 0 or below, 1 for 1 or more.
double GammaOf(int16_t w)
{
    const double g2 = w / 1024.0;
    if (!(g2 > 0.0))
        return 0.0;
    if (g2 >= 1.0)
        return 1.0;
    return std::sqrt(g2);
}

// Status bits of the demo sample.
constexpr uint32_t StatusManual = 1u << 4;
constexpr uint32_t StatusAuto = 1u << 2;
constexpr uint32_t StatusSerial = 1u << 3;
constexpr uint32_t StatusPreset = 1u << 12;
constexpr uint32_t StatusPresetOn = 1u << 5;
constexpr uint32_t StatusExtPreset = 1u << 6;
constexpr uint32_t Status3capAuto = 1u << 9;
constexpr uint32_t Status3capPreset = 1u << 10;

} // namespace

int CDevice::ReadLive(CLiveSample& s)
{
    s.valid = true;
    s.status = 0;
    s.statusBytes = {0, 0};
    if (IsDemo())
        return SimulateLive(s);

    int r = Command(unitcmd::ReadLive);
    if (r != 0)
        return r;
    if (ReplyLength() != LiveReplyLength) {
        s.valid = false;
        return 0;
    }
    int16_t w[LiveWords];
    for (int16_t& v : w)
        v = ReadShort();
    s.status = static_cast<uint16_t>(w[WordStatus]);

    r = Command(unitcmd::ReadStatusBytes);
    if (r < 0)
        return r;
    if (ReplyLength() == StatusByteCount) {
        s.statusBytes[0] = ReadU32();
        s.statusBytes[1] = ReadU32();
    } else {
        // Older units: the fault bits come from the status word's high byte.
        const uint32_t high = (s.status >> 8) & 0xFF;
        uint32_t b0 = 0;
        for (const OldFaultBit& bit : OldFaultBits)
            if (high & bit.highByteMask)
                b0 |= bit.statusByteMask;
        s.statusBytes = {b0, 0};
    }
    if (!IsFamily200() && !PinBit31() && ProbeDtrCts())
        s.statusBytes[1] |= uint32_t(unitconst::DtrCtsBit) << 24;

    s.r = Ohms(w[WordR]);
    s.x = Ohms(w[WordX]);
    s.gamma = GammaOf(w[WordGamma2]);
    s.power = w[WordPower];
    if (Has3rdCap()) {
        s.w4 = w[WordAux4] * 0.001;
        s.w5 = w[WordAux5] * 0.01;
        s.w6 = w[WordAux6] * 0.01;
        s.w7 = w[WordAux7] * 0.01;
        caps_[2].position = s.w7;
    } else if (HasOutputSensor()) {
        s.w4 = Ohms(w[WordAux4]);
        s.w5 = Ohms(w[WordAux5]);
        s.w6 = GammaOf(w[WordAux6]);
        s.w7 = w[WordAux7];
    } else {
        s.w4 = s.w5 = s.w6 = s.w7 = 0.0;
    }
    s.load = w[WordLoad] * 0.01;
    s.tune = w[WordTune] * 0.01;
    s.temp = w[WordTemp];
    s.rfPeak = w[WordRfPeak];
    s.dcBias = w[WordDcBias] * dcBiasScale_;
    s.rfCap = w[WordRfCap];
    caps_[0].position = s.load;
    caps_[1].position = s.tune;
    return 0;
}

int CDevice::SimulateLive(CLiveSample& s)
{
    const bool valid = s.valid;
    const auto statusBytes = s.statusBytes;
    s = CLiveSample{};
    s.valid = valid;
    s.statusBytes = statusBytes;

    s.load = caps_[0].position;
    s.tune = caps_[1].position;
    if (Has3rdCap())
        s.w7 = caps_[2].position;

    if (modelLoad_ && modelLoad_->ModelWindowShown()) {
        const double loadR = modelLoad_->LoadR();
        const double loadX = modelLoad_->LoadX();
        const NetModel::ImpedanceResult z = NetModel::Impedance(*this, loadR, loadX, s.load, s.tune);
        if (z.valid) {
            s.r = z.r;
            s.x = z.x;
        }
        if (!Has3rdCap() && HasOutputSensor()) {
            s.w4 = loadR;
            s.w5 = loadX;
        }
    }

    const Complex z(s.r, s.x);
    const Complex t(model_.rtarget, model_.xtarget);
    const Complex sum = z + t;
    if (!sum.IsZero()) {
        const double g = ((z - t) / sum).Magnitude();
        s.gamma = std::isfinite(g) ? (g > 1.0 ? 1.0 : g) : 0.0;
    }

    uint32_t status = 0;
    switch (mode_) {
    case 0: status |= StatusManual; break;
    case 1: status |= StatusAuto; break;
    case 2: status |= StatusSerial; break;
    case 3: status |= StatusPreset; break;
    default: break;
    }
    if (presetMode_ != 0)
        status |= StatusPresetOn;
    if (extPresetMode_ != 0)
        status |= StatusExtPreset;
    if (thirdCapAuto_ != 0)
        status |= Status3capAuto;
    if (thirdCapPresetOn_ != 0)
        status |= Status3capPreset;
    s.status = status;
    return 0;
}

void CDevice::StoreLive(const CLiveSample& s, CDataRec& rec) const
{
    rec.SetValue(varid::LoadPosition, s.load);
    rec.SetValue(varid::TunePosition, s.tune);
    rec.SetValue(varid::R, s.r);
    rec.SetValue(varid::X, s.x);
    rec.SetValue(varid::Gamma, s.gamma);
    rec.SetValue(varid::DeliveredPower, s.power);
    if (Has3rdCap()) {
        rec.SetValue(varid::CurrentRatio, s.w4);
        rec.SetValue(varid::Current1, s.w5);
        rec.SetValue(varid::Current2, s.w6);
        rec.SetValue(varid::ThirdCapPosition, s.w7);
    } else {
        rec.SetValue(varid::RLoad, s.w4);
        rec.SetValue(varid::XLoad, s.w5);
        rec.SetValue(varid::LoadPower, s.w7);
    }
    rec.SetValue(varid::Temp, s.temp);
    rec.SetValue(varid::RfPeak, s.rfPeak);
    rec.SetValue(varid::DcBias, s.dcBias);
    rec.SetValue(varid::RfCap, s.rfCap);
    rec.SetStatus(s.status);
    rec.SetStatusBytes(s.statusBytes[0], s.statusBytes[1]);
}

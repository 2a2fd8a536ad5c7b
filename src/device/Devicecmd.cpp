// The unit's setting commands: modes, presets, capacitors, limits, trajectories, tuning,
// sensors, converters, potentiometers, the third capacitor, address, baud, service log and the
// logic-device image.

#include "common/Helpers.h"
#include "device/Device.h"
#include "device/Netmodel.h"
#include "device/Unitconst.h"
#include "platform/Serialport.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <span>

namespace {

// A capacitor position to move to: above 100 gives 100, below 0 or not a number gives 0.
double ClampPosition(double percent)
{
    if (!(percent >= 0.0))
        return 0.0;
    return percent > 100.0 ? 100.0 : percent;
}

// floor(v * scale + 0.5) with 16-bit signed saturation.
int16_t ScaledShort(double v, double scale) { return ClampToShort(std::floor(v * scale + 0.5)); }

// A per-point trajectory value as its byte: 255 from 2.55 up, 0 for negative values.
uint8_t PointValueByte(double v)
{
    if (!(v > 0.0))
        return 0;
    if (v >= 2.55)
        return 255;
    return static_cast<uint8_t>(std::floor(v * 100.0 + 0.5));
}

int LastIndexFromUnit(int b) { return b >= CTrajectory::Points ? 0 : b; }

} // namespace

// --- modes and presets ---------------------------------------------------------------------

int CDevice::SetMode(int mode)
{
    const int r = SendUnlessDemo(unitcmd::SetMode, [&] {
        AppendByte(static_cast<uint8_t>(mode));
    });
    if (r != 0)
        return r;
    mode_ = mode;
    return 0;
}

int CDevice::ReadMode(int& mode)
{
    return ReadUnlessDemo(unitcmd::ReadMode, {
        .decode = [&] { mode = ReadByte(); },
        .demo = [&] { mode = mode_; },
    });
}

int CDevice::SetPresetMode(int mode)
{
    const int r = SendUnlessDemo(unitcmd::SetPresetMode, [&] {
        AppendByte(static_cast<uint8_t>(mode));
    });
    if (r != 0)
        return r;
    presetMode_ = mode;
    return 0;
}

int CDevice::ReadPresetMode(int& mode)
{
    return ReadUnlessDemo(unitcmd::ReadPresetMode, {
        .decode = [&] { mode = ReadByte(); },
        .demo = [&] { mode = presetMode_; },
    });
}

int CDevice::SetExtPresetMode(int mode, bool ignoreCsr)
{
    const int r = SendUnlessDemo(unitcmd::SetExtPresetMode, [&] {
        AppendByte(static_cast<uint8_t>(mode));
    }, ignoreCsr);
    if (r != 0)
        return r;
    extPresetMode_ = mode;
    return 0;
}

int CDevice::ReadExtPresetMode(int& mode)
{
    return ReadUnlessDemo(unitcmd::ReadExtPresetMode, {
        .decode = [&] { mode = ReadByte(); },
        .demo = [&] { mode = extPresetMode_; },
    });
}

// --- capacitors and motors -----------------------------------------------------------------

int CDevice::MoveCaps(double loadPercent, double tunePercent)
{
    const double load = ClampPosition(loadPercent);
    const double tune = ClampPosition(tunePercent);
    if (IsDemo()) {
        caps_[0].position = load;
        caps_[1].position = tune;
        return 0;
    }
    AppendPercent(load);
    int r = Command(unitcmd::MoveLoad);
    if (r != 0)
        return r;
    AppendPercent(tune);
    return Command(unitcmd::MoveTune);
}

int CDevice::ReadPositions()
{
    return ReadUnlessDemo(unitcmd::ReadPositions, {.decode = [&] {
        caps_[0].position = ReadWord() * 0.01;
        caps_[1].position = ReadWord() * 0.01;
    }});
}

int CDevice::ResetCaps()
{
    if (IsDemo()) {
        for (CCapRecord& c : caps_)
            c.position = 0.0;
        return 0;
    }
    int r = Command(unitcmd::ResetCaps);
    if (r != 0)
        return r;
    Pause(ResetPauseMs);
    r = WaitMotors();
    Pause(ResetPauseMs);
    return r < 0 ? r : 0;
}

int CDevice::MotorStatus(int mask)
{
    int status = 0;
    const int r = ReadUnlessDemo(unitcmd::MotorStatus, {.decode = [&] { status = ReadByte() & mask; }});
    return r != 0 ? r : status;
}

int CDevice::WaitMotors(bool extraBit)
{
    const int mask = extraBit ? 7 : 3;
    auto since = Now();
    int status;
    while ((status = MotorStatus(mask)) > 0) {
        if (Now() - since >= std::chrono::milliseconds(WaitAskMs)) {
            // No ends the wait with the motors still moving: the caller sees that status.
            if (!AskYesNo("", "Motors are still moving.\nDo you want to continue waiting ?"))
                return status;
            since = Now();
        }
    }
    return status;
}

int CDevice::EnableMotors(bool enable)
{
    return SendUnlessDemo(unitcmd::EnableMotors, [&] { AppendByte(enable ? 0 : 1); }, true);
}

// The load and tune capacitors' paired settings travel as four words: load's first value,
// tune's first, load's second, tune's second. One row per pair; one routine writes and one reads.
struct CDevice::CapWordPair {
    int writeCommand;
    int readCommand;
    double wordsPerUnit;      // a value times this, rounded, is its word
    bool oneByteKeeps;        // a one-byte reply means the unit keeps none: the records stay
    void (*store)(CCapRecord& cap, int which, double value); // which: 0 first, 1 second
};

namespace {

const CDevice::CapWordPair CapLimitsPair{unitcmd::WriteCapLimits, unitcmd::ReadCapLimits, 100.0, false,
    [](CCapRecord& c, int which, double v) { (which == 0 ? c.minPosition : c.maxPosition) = v; }};
const CDevice::CapWordPair CapStepsPair{unitcmd::WriteCapSteps, unitcmd::ReadCapSteps, 1.0, false,
    [](CCapRecord& c, int which, double v) { (which == 0 ? c.totalSteps : c.stepOffset) = static_cast<int>(v); }};
const CDevice::CapWordPair CapRangePair{unitcmd::WriteCapRange, unitcmd::ReadCapRange, 1.0, true,
    [](CCapRecord& c, int which, double v) { (which == 0 ? c.cMax : c.cMin) = v; }};

} // namespace

int CDevice::WriteCapWords(const CapWordPair& pair, const std::array<double, 4>& values)
{
    const int r = SendUnlessDemo(pair.writeCommand, [&] {
        for (double v : values)
            AppendWord(ClampToWordRounded(v * pair.wordsPerUnit));
    });
    if (r != 0)
        return r;
    for (size_t i = 0; i < values.size(); ++i)
        pair.store(caps_[i % 2], static_cast<int>(i / 2), values[i]);
    return 0;
}

int CDevice::ReadCapWords(const CapWordPair& pair)
{
    return ReadUnlessDemo(pair.readCommand, {.decode = [&] {
        if (pair.oneByteKeeps && ReplyLength() == 1)
            return;
        for (int i = 0; i < 4; ++i)
            pair.store(caps_[i % 2], i / 2, ReadWord() / pair.wordsPerUnit);
    }});
}

int CDevice::WriteCapLimits(double loadMin, double tuneMin, double loadMax, double tuneMax)
{
    return WriteCapWords(CapLimitsPair, {loadMin, tuneMin, loadMax, tuneMax});
}

int CDevice::ReadCapLimits() { return ReadCapWords(CapLimitsPair); }

int CDevice::WriteCapSteps(int loadTotal, int tuneTotal, int loadOffset, int tuneOffset)
{
    return WriteCapWords(CapStepsPair, {double(loadTotal), double(tuneTotal), double(loadOffset), double(tuneOffset)});
}

int CDevice::ReadCapSteps() { return ReadCapWords(CapStepsPair); }

int CDevice::WriteCapRange(double loadCMax, double tuneCMax, double loadCMin, double tuneCMin)
{
    return WriteCapWords(CapRangePair, {loadCMax, tuneCMax, loadCMin, tuneCMin});
}

int CDevice::ReadCapRange() { return ReadCapWords(CapRangePair); }

// --- trajectories --------------------------------------------------------------------------

int CDevice::WriteTrajectories()
{
    for (int t = 0; t < TrajectoryCount; ++t) {
        if (const int r = WriteTrajectoryPoints(t))
            return r;
        if (const int r = WriteTrajectoryDelays(t))
            return r;
    }
    return 0;
}

int CDevice::WriteTrajectoryPoints(int t)
{
    if (IsDemo() || t < 0 || t >= TrajectoryCount)
        return 0;
    const CTrajectory& tr = trajectories_[t];
    const int last = std::clamp(tr.lastIndex, 0, CTrajectory::Points - 1);
    AppendByte(static_cast<uint8_t>(t + 1));
    AppendByte(static_cast<uint8_t>(last));
    for (int p = 0; p <= last; ++p) {
        AppendPercent(tr.load[p]);
        AppendPercent(tr.tune[p]);
    }
    return Command(unitcmd::WriteTrajectory);
}

int CDevice::WriteTrajectoryDelays(int t)
{
    if (IsDemo() || !perPointValues_ || t < 0 || t >= TrajectoryCount)
        return 0;
    const CTrajectory& tr = trajectories_[t];
    const int last = std::clamp(tr.lastIndex, 0, CTrajectory::Points - 1);
    AppendByte(static_cast<uint8_t>(t + 1));
    AppendByte(static_cast<uint8_t>(last));
    for (int p = 0; p <= last; ++p)
        AppendByte(PointValueByte(tr.values[p]));
    return Command(unitcmd::WriteTrajectoryValues);
}

int CDevice::ReadTrajectories()
{
    if (IsDemo())
        return 0;
    for (int t = 0; t < TrajectoryCount; ++t) {
        CTrajectory& tr = trajectories_[t];
        AppendByte(static_cast<uint8_t>(t + 1));
        int r = Command(unitcmd::ReadTrajectory);
        if (r != 0)
            return r;
        if (ReplyLength() % 2 == 0)
            SkipBytes(1); // the trajectory number echoed
        tr.lastIndex = LastIndexFromUnit(ReadByte());
        for (int p = 0; p <= tr.lastIndex; ++p) {
            tr.load[p] = ReadWord() * 0.01;
            tr.tune[p] = ReadWord() * 0.01;
        }

        AppendByte(static_cast<uint8_t>(t + 1));
        r = Command(unitcmd::ReadTrajectoryValues);
        if (r != 0)
            return r;
        if (ReplyLength() > 1) {
            perPointValues_ = 1;
            SkipBytes(1);
            const int last = LastIndexFromUnit(ReadByte());
            for (int p = 0; p <= last; ++p)
                tr.values[p] = ReadByte() * 0.01;
        } else {
            perPointValues_ = 0;
        }
    }
    return 0;
}

int CDevice::SelectTrajectory(int index)
{
    index = std::clamp(index, 0, TrajectoryCount - 1);
    const int r = SendUnlessDemo(unitcmd::SelectTrajectory, [&] {
        AppendByte(static_cast<uint8_t>(index + 1));
    });
    if (r != 0)
        return r;
    activeTrajectory_ = index;
    return 0;
}

int CDevice::ReadTrajectory()
{
    return ReadUnlessDemo(unitcmd::ReadActiveTrajectory, {.decode = [&] {
        activeTrajectory_ = std::clamp<int>(ReadByte(), 1, TrajectoryCount) - 1;
    }});
}

// --- tuning and target ---------------------------------------------------------------------

int16_t CDevice::VswrToWord(double vswr)
{
    const double g = (vswr - 1.0) / (vswr + 1.0);
    return ClampToShort(std::floor(g * g * 1024.0 + 0.5));
}

double CDevice::WordToVswr(int16_t word)
{
    if (word >= 1024)
        return 0.0;
    const double g = word > 0 ? std::sqrt(word / 1024.0) : 0.0;
    return (1.0 + g) / (1.0 - g);
}

int CDevice::WriteTuning(const CTuning& t)
{
    const int r = SendUnlessDemo(unitcmd::WriteTuning, [&] {
        AppendShort(VswrToWord(t.stop));
        AppendShort(VswrToWord(t.start));
        AppendShort(ClampToShort(t.rflStop));
        AppendShort(ClampToShort(t.rflStart));
        AppendShort(ScaledShort(t.maxShStep, 100));
        AppendShort(ScaledShort(t.minShStep, 100));
        AppendShort(ScaledShort(t.maxSerStep, 100));
        AppendShort(ScaledShort(t.minSerStep, 100));
        AppendShort(ScaledShort(t.magToSh, 1024));
        AppendShort(ScaledShort(t.phaseToSh, 1024));
        AppendShort(ScaledShort(t.magToSer, 1024));
        AppendShort(ScaledShort(t.phaseToSer, 1024));
        AppendByte(static_cast<uint8_t>(t.option1));
        AppendByte(static_cast<uint8_t>(t.option2));
        AppendByte(static_cast<uint8_t>(t.option3));
    });
    if (r != 0)
        return r;
    CModelParams& m = model_;
    m.vswrStop = t.stop;
    m.vswrStart = t.start;
    m.rflStop = t.rflStop;
    m.rflStart = t.rflStart;
    m.maxShStep = t.maxShStep;
    m.maxSerStep = t.maxSerStep;
    m.minSerStep = t.minSerStep;
    m.rtoshunt = t.magToSh;
    m.xtoshunt = t.phaseToSh;
    m.rtoseries = t.magToSer;
    m.xtoseries = t.phaseToSer;
    m.algorithm = t.option1;
    m.tuneOption2 = t.option2;
    m.tuneOption3 = t.option3;
    return 0;
}

int CDevice::ReadTuning(CTuning& t)
{
    const auto decode = [&] {
        t.stop = WordToVswr(ReadShort());
        t.start = WordToVswr(ReadShort());
        t.rflStop = ReadShort();
        t.rflStart = ReadShort();
        t.maxShStep = ReadShort() * 0.01;
        t.minShStep = ReadShort() * 0.01;
        t.maxSerStep = ReadShort() * 0.01;
        t.minSerStep = ReadShort() * 0.01;
        t.magToSh = ReadShort() / 1024.0;
        t.phaseToSh = ReadShort() / 1024.0;
        t.magToSer = ReadShort() / 1024.0;
        t.phaseToSer = ReadShort() / 1024.0;
        t.option1 = ReadByte();
        t.option2 = ReadByte();
        t.option3 = ReadByte();
    };
    const auto held = [&] {
        const CModelParams& m = model_;
        t.stop = m.vswrStop;
        t.start = m.vswrStart;
        t.rflStop = m.rflStop;
        t.rflStart = m.rflStart;
        t.maxShStep = m.maxShStep;
        t.minShStep = 0;
        t.maxSerStep = m.maxSerStep;
        t.minSerStep = m.minSerStep;
        t.magToSh = m.rtoshunt;
        t.phaseToSh = m.xtoshunt;
        t.magToSer = m.rtoseries;
        t.phaseToSer = m.xtoseries;
        t.option1 = m.algorithm;
        t.option2 = m.tuneOption2;
        t.option3 = m.tuneOption3;
    };
    return ReadUnlessDemo(unitcmd::ReadTuning, {.decode = decode, .demo = held});
}

int CDevice::WriteTarget(double r, double x)
{
    const int res = SendUnlessDemo(unitcmd::WriteTarget, [&] {
        AppendShort(ClampToShort(r / 50.0 * 1024.0 + 0.5));
        AppendShort(ClampToShort(x / 50.0 * 1024.0 + (x >= 0 ? 0.5 : -0.5)));
    }, true);
    if (res != 0)
        return res;
    model_.rtarget = r;
    model_.xtarget = x;
    return 0;
}

int CDevice::ReadTarget(double& r, double& x)
{
    r = model_.rtarget;
    x = model_.xtarget;
    return ReadUnlessDemo(unitcmd::ReadTarget, {.decode = [&] {
        if (ReplyLength() == 4) {
            r = ReadShort() / 1024.0 * 50.0;
            x = ReadShort() / 1024.0 * 50.0;
        }
    }});
}

// --- sensors, converters, potentiometers ---------------------------------------------------

int CDevice::WriteSensorCal(int sensor, const std::array<uint16_t, 8>& words)
{
    return SendUnlessDemo(unitcmd::WriteSensorCal, [&] {
        AppendByte(static_cast<uint8_t>(sensor));
        for (uint16_t w : words)
            AppendWord(w);
    });
}

int CDevice::ReadSensorCal(int sensor, std::array<uint16_t, 8>& words)
{
    return ReadEchoed(unitcmd::ReadSensorCal, static_cast<uint8_t>(sensor), [&] {
        for (uint16_t& w : words)
            w = ReadWord();
    });
}

int CDevice::SetSensorAver(int sensor, int aver)
{
    return SendUnlessDemo(unitcmd::WriteSensorOpt, [&] {
        AppendByte(static_cast<uint8_t>(sensor));
        AppendByte(1);
        AppendByte(static_cast<uint8_t>(std::clamp(aver, 0, 3)));
    });
}

int CDevice::ReadSensorAver(int sensor, int& aver)
{
    return ReadUnlessDemo(unitcmd::ReadSensorOpt, {
        .request = [&] {
            AppendByte(static_cast<uint8_t>(sensor));
            AppendByte(1);
        },
        .decode = [&] {
            SkipBytes(1);
            aver = ReadByte();
        },
    });
}

int CDevice::SetSensorPoff(int sensor, int offset)
{
    return SendUnlessDemo(unitcmd::WriteSensorOpt, [&] {
        AppendByte(static_cast<uint8_t>(sensor));
        AppendByte(0);
        AppendWord(static_cast<uint16_t>(offset));
    });
}

int CDevice::ReadSensorPoff(int sensor, int& offset)
{
    return ReadUnlessDemo(unitcmd::ReadSensorOpt, {
        .request = [&] {
            AppendByte(static_cast<uint8_t>(sensor));
            AppendByte(0);
        },
        .decode = [&] {
            SkipBytes(1);
            offset = ReadWord();
        },
    });
}

int CDevice::MeasureInputAdc(int selector, std::array<uint16_t, 4>& words)
{
    words.fill(0);
    return ReadUnlessDemo(unitcmd::MeasureInputAdc, {
        .request = [&] { AppendByte(static_cast<uint8_t>(selector)); },
        .decode = [&] {
            if (ReplyLength() == 9)
                SkipBytes(1);
            for (uint16_t& w : words)
                w = ReadWord();
        },
    });
}

int CDevice::MeasureInput(int selector, double& r, double& x, double& ratio, int& raw)
{
    r = 50.0;
    x = ratio = 0.0;
    raw = 0;
    return ReadUnlessDemo(unitcmd::MeasureInput, {
        .request = [&] { AppendByte(static_cast<uint8_t>(selector)); },
        .decode = [&] {
            if (ReplyLength() == 9)
                SkipBytes(1);
            r = ReadShort() / 1024.0 * 50.0;
            x = ReadShort() / 1024.0 * 50.0;
            ratio = ReadShort() / 1024.0;
            raw = ReadShort();
        },
    });
}

int CDevice::WriteSdac(int channel, int w1, int w2)
{
    return SendUnlessDemo(unitcmd::WriteSdac, [&] {
        AppendByte(static_cast<uint8_t>(channel));
        AppendWord(static_cast<uint16_t>(w1));
        AppendWord(static_cast<uint16_t>(w2));
    });
}

int CDevice::ReadSdac(int channel, int& w1, int& w2)
{
    return ReadEchoed(unitcmd::ReadSdac, static_cast<uint8_t>(channel), [&] {
        w1 = ReadWord();
        w2 = ReadWord();
    });
}

int CDevice::WriteMaxCh(int channel, int w)
{
    return SendUnlessDemo(unitcmd::WriteMaxCh, [&] {
        AppendByte(static_cast<uint8_t>(channel));
        AppendWord(static_cast<uint16_t>(w));
    });
}

int CDevice::ReadMaxCh(int channel, int& w)
{
    return ReadEchoed(unitcmd::ReadMaxCh, static_cast<uint8_t>(channel), [&] { w = ReadWord(); }, true);
}

int CDevice::WriteSadc(int channel, int w1, int w2, int w3)
{
    return SendUnlessDemo(unitcmd::WriteSadc, [&] {
        AppendByte(static_cast<uint8_t>(channel));
        AppendWord(static_cast<uint16_t>(w1));
        AppendWord(static_cast<uint16_t>(w2));
        AppendWord(static_cast<uint16_t>(w3));
    });
}

int CDevice::ReadSadc(int channel, int& w1, int& w2, int& w3)
{
    return ReadEchoed(unitcmd::ReadSadc, static_cast<uint8_t>(channel), [&] {
        w1 = ReadWord();
        w2 = ReadWord();
        w3 = ReadWord();
    });
}

int CDevice::SetPot(int pot, int value)
{
    return SendUnlessDemo(unitcmd::SetPot, [&] {
        AppendByte(static_cast<uint8_t>(pot));
        AppendByte(static_cast<uint8_t>(value));
    }, true);
}

int CDevice::ReadPot(int pot, int& value)
{
    return ReadEchoed(unitcmd::ReadPot, static_cast<uint8_t>(pot), [&] { value = ReadByte(); }, true);
}

// --- third capacitor -----------------------------------------------------------------------

bool CDevice::ThirdCapAllowed(bool range) const
{
    return Has3rdCap() && !(range && Is3rdCapFixed());
}

int CDevice::SendUnlessDemo(int command, const std::function<void()>& appendData, bool ignoreCsr)
{
    if (IsDemo())
        return 0;
    appendData();
    return Command(command, ignoreCsr);
}

int CDevice::ReadUnlessDemo(int command, const ReadSteps& steps)
{
    if (IsDemo()) {
        if (steps.demo)
            steps.demo();
        return 0;
    }
    if (steps.request)
        steps.request();
    const int r = Command(command, steps.ignoreCsr);
    if (r == 0 && steps.decode)
        steps.decode();
    return r;
}

int CDevice::ReadEchoed(int command, uint8_t index, const std::function<void()>& decode, bool ignoreCsr)
{
    // On a serial line a reply that echoes another index answers another request (one that
    // gave up before its reply came): the link passes it over.
    ExpectSelectorEcho(command);
    return ReadUnlessDemo(command, {
        .request = [&] { AppendByte(index); },
        .decode = [&] {
            SkipBytes(1); // the index echoed
            decode();
        },
        .ignoreCsr = ignoreCsr,
    });
}

int CDevice::Send3cap(uint8_t selector, const std::function<void()>& appendData)
{
    return SendUnlessDemo(unitcmd::Write3cap, [&] {
        AppendByte(selector);
        appendData();
    });
}

int CDevice::Read3cap(bool range, uint8_t selector, const std::function<void()>& decode)
{
    if (!ThirdCapAllowed(range))
        return 0;
    return ReadEchoed(unitcmd::Read3cap, selector, decode);
}

int CDevice::Write3capPosition(double percent)
{
    if (!ThirdCapAllowed(false))
        return 1;
    const double pos = ClampPosition(percent);
    const int r = Send3cap(cap3sel::Position, [&] {
        AppendPercent(pos);
    });
    if (r != 0)
        return r;
    caps_[2].position = pos;
    return 0;
}

int CDevice::Read3capPosition()
{
    return Read3cap(false, cap3sel::Position, [&] { caps_[2].position = ReadWord() * 0.01; });
}

int CDevice::Write3capSteps(int total, int offset)
{
    if (!ThirdCapAllowed(true))
        return 0;
    const int r = Send3cap(cap3sel::Steps, [&] {
        AppendWord(ClampToWord(total));
        AppendWord(ClampToWord(offset));
    });
    if (r != 0)
        return r;
    caps_[2].totalSteps = total;
    caps_[2].stepOffset = offset;
    return 0;
}

int CDevice::Read3capSteps()
{
    return Read3cap(true, cap3sel::Steps, [&] {
        caps_[2].totalSteps = ReadWord();
        caps_[2].stepOffset = ReadWord();
    });
}

int CDevice::Write3capLimits(double minPercent, double maxPercent)
{
    if (!ThirdCapAllowed(true))
        return 0;
    const int r = Send3cap(cap3sel::Limits, [&] {
        AppendPercent(minPercent);
        AppendPercent(maxPercent);
    });
    if (r != 0)
        return r;
    caps_[2].minPosition = minPercent;
    caps_[2].maxPosition = maxPercent;
    return 0;
}

int CDevice::Read3capLimits()
{
    return Read3cap(true, cap3sel::Limits, [&] {
        caps_[2].minPosition = ReadWord() * 0.01;
        caps_[2].maxPosition = ReadWord() * 0.01;
    });
}

int CDevice::Write3capRatio(double ratio)
{
    if (!ThirdCapAllowed(true))
        return 0;
    const int r = Send3cap(cap3sel::Ratio, [&] {
        AppendShort(ScaledShort(ratio, 1000));
    });
    if (r != 0)
        return r;
    thirdCapRatio_ = ratio;
    return 0;
}

int CDevice::Read3capRatio(double& ratio)
{
    ratio = thirdCapRatio_;
    return Read3cap(true, cap3sel::Ratio, [&] { ratio = thirdCapRatio_ = ReadShort() / 1000.0; });
}

int CDevice::Write3capAver(int aver)
{
    if (!ThirdCapAllowed(true))
        return 0;
    return Send3cap(cap3sel::Aver, [&] { AppendByte(static_cast<uint8_t>(aver)); });
}

int CDevice::Read3capAver(int& aver)
{
    return Read3cap(true, cap3sel::Aver, [&] { aver = ReadByte(); });
}

int CDevice::Write3capPresetN(int index, double value)
{
    if (!ThirdCapAllowed(false))
        return 0;
    index = std::clamp(index, 0, ThirdCapPresets - 1);
    const int r = Send3cap(cap3sel::Preset, [&] {
        AppendByte(static_cast<uint8_t>(index));
        AppendShort(ScaledShort(value, 100));
    });
    if (r != 0)
        return r;
    thirdCapPresets_[index] = value;
    return 0;
}

int CDevice::Read3capPresetN(int index, double& value)
{
    index = std::clamp(index, 0, ThirdCapPresets - 1);
    value = thirdCapPresets_[index];
    if (!ThirdCapAllowed(false))
        return 0;
    return ReadUnlessDemo(unitcmd::Read3cap, {
        .request = [&] {
            AppendByte(cap3sel::Preset);
            AppendByte(static_cast<uint8_t>(index));
        },
        .decode = [&] {
            SkipBytes(1);
            value = thirdCapPresets_[index] = ReadShort() * 0.01;
        },
    });
}

int CDevice::Write3capSensorCal(const C3capSensorCal& cal)
{
    if (!ThirdCapAllowed(false))
        return 0;
    const int r = Send3cap(cap3sel::SensorCal, [&] {
        AppendWord(static_cast<uint16_t>(cal.i1off));
        AppendWord(static_cast<uint16_t>(cal.i2off));
        AppendWord(static_cast<uint16_t>(cal.voff));
        AppendWord(static_cast<uint16_t>(cal.i1scale));
    });
    if (r != 0)
        return r;
    return Send3cap(cap3sel::SensorCal2, [&] {
        AppendWord(static_cast<uint16_t>(cal.i2scale));
        AppendWord(static_cast<uint16_t>(cal.vscale));
    });
}

int CDevice::Read3capSensorCal(C3capSensorCal& cal)
{
    const int r = Read3cap(false, cap3sel::SensorCal, [&] {
        cal.i1off = ReadWord();
        cal.i2off = ReadWord();
        cal.voff = ReadWord();
        cal.i1scale = ReadWord();
    });
    if (r != 0)
        return r;
    return Read3cap(false, cap3sel::SensorCal2, [&] {
        cal.i2scale = ReadWord();
        cal.vscale = ReadWord();
    });
}

int CDevice::Write3capPresetSel(int index)
{
    if (!ThirdCapAllowed(false))
        return 0;
    // The unit numbers its presets from 0, as the page and the backup do.
    index = std::clamp(index, 0, ThirdCapPresets - 1);
    const int r = Send3cap(cap3sel::PresetSel, [&] {
        AppendByte(static_cast<uint8_t>(index));
    });
    if (r != 0)
        return r;
    thirdCapActivePreset_ = index;
    return 0;
}

int CDevice::Read3capPresetSel()
{
    return Read3cap(false, cap3sel::PresetSel, [&] {
        thirdCapActivePreset_ = std::min<int>(ReadByte(), ThirdCapPresets - 1);
    });
}

int CDevice::Set3capMode(int autoMode)
{
    if (!ThirdCapAllowed(true))
        return 0;
    const int r = Send3cap(cap3sel::Auto, [&] {
        AppendByte(static_cast<uint8_t>(autoMode));
    });
    if (r != 0)
        return r;
    thirdCapAuto_ = autoMode;
    return 0;
}

int CDevice::Set3capPresetOn(int on)
{
    if (!ThirdCapAllowed(true))
        return 0;
    const int r = Send3cap(cap3sel::PresetOn, [&] {
        AppendByte(static_cast<uint8_t>(on));
    });
    if (r != 0)
        return r;
    thirdCapPresetOn_ = on;
    return 0;
}

int CDevice::Write3capControl(const C3capControl& c)
{
    if (!ThirdCapAllowed(false))
        return 0;
    return Send3cap(cap3sel::Control, [&] {
        AppendWord(ClampToWord(c.timer));
        AppendShort(ClampToShort(c.gain));
        AppendWord(ClampToWord(c.maxStep));
        AppendWord(ClampToWord(c.error));
        AppendU32(0);
    });
}

int CDevice::Read3capControl(C3capControl& c)
{
    return Read3cap(false, cap3sel::Control, [&] {
        c.timer = ReadWord();
        c.gain = ReadShort();
        c.maxStep = ReadWord();
        c.error = ReadWord(); // two further words are not used
    });
}

int CDevice::Write3capRange(double cMax, double cMin)
{
    if (!ThirdCapAllowed(true))
        return 0;
    const int r = Send3cap(cap3sel::Range, [&] {
        AppendWord(ClampToWordRounded(cMax));
        AppendWord(ClampToWordRounded(cMin));
    });
    if (r != 0)
        return r;
    caps_[2].cMax = cMax;
    caps_[2].cMin = cMin;
    return 0;
}

int CDevice::Read3capRange()
{
    return Read3cap(true, cap3sel::Range, [&] {
        caps_[2].cMax = ReadWord();
        caps_[2].cMin = ReadWord();
    });
}

int CDevice::Write3capVLevel(int level)
{
    if (!ThirdCapAllowed(false))
        return 0;
    return Send3cap(cap3sel::VLevel, [&] { AppendWord(ClampToWord(level)); });
}

int CDevice::Read3capVLevel(int& level)
{
    return Read3cap(false, cap3sel::VLevel, [&] { level = ReadWord(); });
}

int CDevice::Measure3capSensors(double& ratio, double& i1, double& i2)
{
    ratio = i1 = i2 = 0.0;
    return Read3cap(true, cap3sel::Measure, [&] {
        ratio = ReadWord() * 0.001;
        i1 = ReadWord() * 0.01;
        i2 = ReadWord() * 0.01;
    });
}

int CDevice::Measure3capAdc(std::array<uint16_t, 4>& words)
{
    words.fill(0);
    if (!ThirdCapAllowed(false))
        return 0;
    return ReadUnlessDemo(unitcmd::MeasureInputAdc, {
        .request = [&] { AppendByte(2); },
        .decode = [&] {
            if (ReplyLength() % 2 == 1)
                SkipBytes(1);
            for (uint16_t& w : words) {
                if (ReadBytes(nullptr, 0) < 2)
                    break;
                w = ReadWord();
            }
        },
    });
}

// --- identity and service ------------------------------------------------------------------

int CDevice::SetAddress(int address)
{
    return SendUnlessDemo(unitcmd::SetAddress, [&] { AppendByte(static_cast<uint8_t>(address)); });
}

int CDevice::SetBaudRate(int baud)
{
    return SendUnlessDemo(unitcmd::SetBaudRate, [&] { AppendWord(ClampToWord(baud)); });
}

int CDevice::StartXilinx(int word)
{
    return SendUnlessDemo(unitcmd::StartXilinx, [&] { AppendWord(ClampToWord(word)); });
}

int CDevice::ReadServiceLog()
{
    if (IsDemo())
        return 0;
    AppendByte(255);
    AppendU32(4);
    AppendU32(0);
    int r = Command(unitcmd::ServiceLogProbe, true);
    if (r != 0)
        return r;
    const uint8_t first = ReadByte();

    // One field of a record: slot k gets a byte, word or 32-bit value.
    auto field = [this](LogRecord& rec, int slot, char width) {
        if (width == 'b')
            rec[slot] = ReadByte();
        else if (width == 'w')
            rec[slot] = ReadWord();
        else
            rec[slot] = ReadU32();
    };
    struct Field {
        int slot;
        char width;
    };
    static constexpr Field Common[] = {{1, 'b'}, {2, 'd'}, {3, 'd'}, {4, 'd'}, {5, 'w'}, {6, 'd'},
                                       {7, 'w'}, {8, 'd'}, {9, 'd'}, {10, 'd'}, {11, 'd'}, {12, 'w'},
                                       {13, 'w'}, {14, 'w'}, {15, 'w'}, {16, 'w'}, {17, 'w'}, {18, 'w'},
                                       {19, 'd'}};

    if (first == unitconst::NewerLogMarker) {
        r = Command(unitcmd::ServiceLogCount);
        if (r != 0)
            return r;
        serviceLogCount_ = ReadByte();
        static constexpr Field Tail59[] = {{20, 'd'}};
        static constexpr Field Tail71[] = {{21, 'w'}, {22, 'd'}, {23, 'w'}, {24, 'd'}, {25, 'd'}};
        static constexpr Field Tail75[] = {{20, 'd'}, {21, 'w'}, {22, 'd'}, {23, 'w'}, {24, 'd'}, {25, 'd'}};
        static constexpr Field Tail79[] = {{20, 'd'}, {27, 'd'}, {28, 'd'}, {29, 'd'}, {30, 'd'}, {31, 'd'}};
        for (int i = 0; i < LogRecords; ++i) {
            LogRecord& rec = serviceLog_[i];
            rec.fill(0);
            AppendByte(static_cast<uint8_t>(i));
            r = Command(unitcmd::ServiceLogRecord);
            if (r != 0)
                return r;
            const int length = ReplyLength();
            rec[0] = static_cast<uint32_t>(length);
            for (const Field& f : Common)
                field(rec, f.slot, f.width);
            std::span<const Field> tail;
            if (length == 59)
                tail = Tail59;
            else if (length == 71)
                tail = Tail71;
            else if (length == 75)
                tail = Tail75;
            else if (length == 79)
                tail = Tail79;
            for (const Field& f : tail)
                field(rec, f.slot, f.width);
        }
        return 0;
    }

    // Older units: the probe's first byte is the count.
    serviceLogCount_ = first;
    static constexpr Field Older[] = {
        {1, 'b'}, {2, 'd'}, {3, 'd'}, {4, 'd'}, {5, 'w'}, {6, 'd'}, {7, 'w'}, {8, 'd'}, {9, 'd'},
        {10, 'd'}, {11, 'd'}, {12, 'w'}, {13, 'w'}, {14, 'w'}, {15, 'w'}, {16, 'w'}, {17, 'w'},
        {18, 'w'}, {21, 'w'}, {22, 'd'}, {23, 'w'}, {24, 'd'}, {19, 'd'}, {20, 'd'}, {25, 'd'},
        {26, 'd'}, {32, 'w'}, {35, 'w'}, {38, 'w'}, {33, 'w'}, {34, 'w'}, {36, 'w'}, {37, 'w'},
        {39, 'w'}, {40, 'w'}, {27, 'd'}, {28, 'd'}, {29, 'd'}, {30, 'd'}, {31, 'd'}};
    for (int i = 0; i < LogRecords; ++i) {
        LogRecord& rec = serviceLog_[i];
        rec.fill(0);
        AppendByte(static_cast<uint8_t>(i));
        AppendU32(0xFEFFFFFCu);
        AppendU32(7999);
        r = Command(unitcmd::ServiceLogProbe);
        // A failed read leaves the record as zeros (its reply is empty) and the loop goes on.
        for (const Field& f : Older)
            field(rec, f.slot, f.width);
    }
    return r;
}

int CDevice::SendXilinxBlock(const uint8_t* data, int length)
{
    platform::SerialPort* port = LocalPort();
    if (!port || !port->IsOpen() || length < 0 || (length > 0 && !data))
        return -1;
    const uint8_t len = static_cast<uint8_t>(length);
    if (!port->Write(&len, 1))
        return -1;
    if (length > 0 && !port->Write(data, length))
        return -1;
    uint8_t ack = 0;
    int failures = 0;
    int got;
    while ((got = port->Read(&ack, 1)) < 0) {
        if (++failures >= XilinxReadTries)
            return -1;
    }
    return got == 1 && ack == 0x06 ? 0 : -1;
}

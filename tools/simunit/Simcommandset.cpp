#include "simunit/Simcommandset.h"

#include "device/Netmodel.h"
#include "device/Unitconst.h"

#include <algorithm>
#include <cmath>

namespace simunit {

namespace {

// CSR codes the simulated unit answers with.
constexpr uint8_t CsrOk = 0;
constexpr uint8_t CsrWrongMode = 1;
constexpr uint8_t CsrRange = 4;
constexpr uint8_t CsrCount = 9;
constexpr uint8_t CsrSdac = 33;
constexpr uint8_t CsrPot = 36;
constexpr uint8_t CsrTrajectoryCount = 38;
constexpr uint8_t CsrSensor = 39;
constexpr uint8_t CsrModeParam = 40;
constexpr uint8_t CsrAddress = 41;
constexpr uint8_t CsrLogSector = 42;
constexpr uint8_t CsrSelect = 43;
constexpr uint8_t CsrMotorsDisabled = 47;
constexpr uint8_t CsrInvalidCommand = 99;

constexpr int Channels = 8;

// Request data read in order, little-endian.
class In {
public:
    explicit In(const std::vector<uint8_t>& d) : d_(d) {}
    size_t Size() const { return d_.size(); }
    bool Is(size_t n) const { return d_.size() == n; }
    uint8_t B() { return pos_ < d_.size() ? d_[pos_++] : 0; }
    uint16_t W()
    {
        const uint16_t lo = B();
        return static_cast<uint16_t>(lo | (B() << 8));
    }
    int16_t S() { return static_cast<int16_t>(W()); }
    uint32_t D()
    {
        const uint32_t lo = W();
        return lo | (uint32_t(W()) << 16);
    }

private:
    const std::vector<uint8_t>& d_;
    size_t pos_ = 0;
};

// Reply data, little-endian.
class Out {
public:
    explicit Out(std::vector<uint8_t>& r) : r_(r) {}
    Out& B(uint8_t b)
    {
        r_.push_back(b);
        return *this;
    }
    Out& W(uint16_t w) { return B(static_cast<uint8_t>(w)).B(static_cast<uint8_t>(w >> 8)); }
    Out& D(uint32_t v) { return W(static_cast<uint16_t>(v)).W(static_cast<uint16_t>(v >> 16)); }
    Out& Text(const std::string& s)
    {
        r_.insert(r_.end(), s.begin(), s.end());
        return *this;
    }

private:
    std::vector<uint8_t>& r_;
};

bool Has3rdCap(const SimUnitData& d)
{
    const uint32_t family = d.pin & unitconst::FamilyMask;
    return family == unitconst::Family3Cap || family == unitconst::Family3CapFixed;
}

bool Fixed3rdCap(const SimUnitData& d) { return (d.pin & unitconst::FamilyMask) == unitconst::Family3CapFixed; }

// Third-capacitor selectors that need a movable third capacitor.
bool RangeSelector(uint8_t sel)
{
    using namespace cap3sel;
    return sel == Steps || sel == Limits || sel == Ratio || sel == Aver || sel == Auto ||
           sel == PresetOn || sel == Range || sel == Measure;
}

// A service-log record of the given length: a fixed pattern that tells records apart.
void LogRecordBytes(int index, int length, std::vector<uint8_t>& reply)
{
    for (int j = 0; j < length; ++j)
        reply.push_back(static_cast<uint8_t>(j == 0 ? index : (index * 16 + j) & 0xFF));
}

using Fn = uint8_t (*)(SimUnitData&, In&, Out&);

// A write command (1..127): the handler returns the CSR that leads the reply.
void Write(SimUnit& unit, std::shared_ptr<SimState> state, int command, Fn fn)
{
    unit.Register(command, [state, fn](const std::vector<uint8_t>& data, std::vector<uint8_t>& reply) {
        return state->With([&](SimUnitData& d) {
            In in(data);
            std::vector<uint8_t> rest;
            Out out(rest);
            const uint8_t csr = fn(d, in, out);
            reply.push_back(csr);
            reply.insert(reply.end(), rest.begin(), rest.end());
            return true;
        });
    });
}

// A read command (128..255): the handler fills the reply; a nonzero result refuses the request.
void Read(SimUnit& unit, std::shared_ptr<SimState> state, int command, Fn fn)
{
    unit.Register(command, [state, fn](const std::vector<uint8_t>& data, std::vector<uint8_t>& reply) {
        return state->With([&](SimUnitData& d) {
            In in(data);
            Out out(reply);
            return fn(d, in, out) == 0;
        });
    });
}

uint8_t NeedAccess(const SimUnitData& d) { return d.AccessOpen() ? CsrOk : CsrSelect; }

uint8_t Move(SimUnitData& d, int cap, In& in)
{
    if (!in.Is(2))
        return CsrCount;
    const uint16_t w = in.W();
    if (w > 10000)
        return CsrRange;
    if (!d.motorsEnabled)
        return CsrMotorsDisabled;
    d.MoveMotors();
    d.caps[cap].target = w * 0.01;
    if (d.motorSpeed <= 0.0)
        d.Settle();
    return CsrOk;
}

uint8_t Write3cap(SimUnitData& d, In& in, Out&)
{
    if (!Has3rdCap(d) || in.Size() < 1)
        return CsrInvalidCommand;
    const uint8_t sel = in.B();
    if (RangeSelector(sel) && Fixed3rdCap(d))
        return CsrSelect;
    SimCap& c = d.caps[2];
    switch (sel) {
    case cap3sel::Position: {
        const uint16_t w = in.W();
        if (w > 10000)
            return CsrRange;
        d.MoveMotors();
        c.target = w * 0.01;
        if (d.motorSpeed <= 0.0)
            d.Settle();
        return CsrOk;
    }
    case cap3sel::Steps: c.totalSteps = in.W(); c.stepOffset = in.W(); return CsrOk;
    case cap3sel::Limits: c.minWord = in.W(); c.maxWord = in.W(); return CsrOk;
    case cap3sel::Ratio: d.ratio3 = in.W(); return CsrOk;
    case cap3sel::Aver: d.aver3 = in.B(); return CsrOk;
    case cap3sel::Preset: {
        const uint8_t i = in.B();
        if (i >= d.presets3.size())
            return CsrRange;
        d.presets3[i] = in.S();
        return CsrOk;
    }
    case cap3sel::SensorCal:
        for (int i = 0; i < 4; ++i)
            d.sensorCal3[i] = in.W();
        return CsrOk;
    case cap3sel::SensorCal2:
        d.sensorCal3[4] = in.W();
        d.sensorCal3[5] = in.W();
        return CsrOk;
    case cap3sel::PresetSel: {
        const uint8_t p = in.B();
        if (p >= d.presets3.size())
            return CsrRange;
        d.presetSel3 = p;
        return CsrOk;
    }
    case cap3sel::Auto: d.auto3 = in.B(); return CsrOk;
    case cap3sel::PresetOn: d.presetOn3 = in.B(); return CsrOk;
    case cap3sel::Control:
        if (!in.Is(1 + 8 + 4))
            return CsrCount;
        for (uint16_t& w : d.control3)
            w = in.W();
        return CsrOk;
    case cap3sel::Range: c.cMax = in.W(); c.cMin = in.W(); return CsrOk;
    case cap3sel::VLevel: d.vlevel3 = in.W(); return CsrOk;
    default: return CsrSelect;
    }
}

uint8_t Read3cap(SimUnitData& d, In& in, Out& out)
{
    if (!Has3rdCap(d) || in.Size() < 1)
        return 1;
    const uint8_t sel = in.B();
    if (RangeSelector(sel) && Fixed3rdCap(d))
        return 1;
    d.MoveMotors();
    const SimCap& c = d.caps[2];
    out.B(sel);
    switch (sel) {
    case cap3sel::Position: out.W(static_cast<uint16_t>(std::lround(c.position * 100.0))); return 0;
    case cap3sel::Steps: out.W(static_cast<uint16_t>(c.totalSteps)).W(static_cast<uint16_t>(c.stepOffset)); return 0;
    case cap3sel::Limits: out.W(c.minWord).W(c.maxWord); return 0;
    case cap3sel::Ratio: out.W(d.ratio3); return 0;
    case cap3sel::Aver: out.B(d.aver3); return 0;
    case cap3sel::Preset: {
        const uint8_t i = in.B();
        out.W(static_cast<uint16_t>(d.presets3[std::min<size_t>(i, 3)]));
        return 0;
    }
    case cap3sel::SensorCal:
        for (int i = 0; i < 4; ++i)
            out.W(d.sensorCal3[i]);
        return 0;
    case cap3sel::SensorCal2: out.W(d.sensorCal3[4]).W(d.sensorCal3[5]); return 0;
    case cap3sel::PresetSel: out.B(d.presetSel3); return 0;
    case cap3sel::Control:
        for (uint16_t w : d.control3)
            out.W(w);
        out.W(0).W(0);
        return 0;
    case cap3sel::Range: out.W(c.cMax).W(c.cMin); return 0;
    case cap3sel::VLevel: out.W(d.vlevel3); return 0;
    case cap3sel::Measure: out.W(d.ratio3).W(d.rfOn ? 150 : 0).W(d.rfOn ? 120 : 0); return 0;
    default: return 1;
    }
}

// --- the command groups: each function registers the handlers of one group ---------------------

using namespace unitcmd;
using StatePtr = std::shared_ptr<SimState>;

// The access codes that open the service commands, one step after the other, and the
// read of whether they are open.
void InstallAccessCommands(SimUnit& unit, const StatePtr& s)
{
    Write(unit, s, AccessOff, [](SimUnitData& d, In&, Out&) -> uint8_t {
        d.accessStep = 0;
        return CsrOk;
    });
    Write(unit, s, AccessCode1, [](SimUnitData& d, In& in, Out&) -> uint8_t {
        const bool ok = in.Is(1) && in.B() == unitconst::AccessByte1;
        d.accessStep = ok ? 1 : 0;
        return ok ? CsrOk : CsrSelect;
    });
    Write(unit, s, AccessCode2, [](SimUnitData& d, In& in, Out&) -> uint8_t {
        const bool ok = d.accessStep == 1 && in.Is(1) && in.B() == unitconst::AccessByte2;
        d.accessStep = ok ? 2 : 0;
        return ok ? CsrOk : CsrSelect;
    });
    Read(unit, s, unitcmd::ApplyPin, [](SimUnitData& d, In&, Out& out) -> uint8_t {
        out.B(d.AccessOpen() ? 0 : 1);
        return 0;
    });
}

// Identity: part number, variant, version text, PIN and serial number (as one value, or in
// two variables on older units).
void InstallIdentityCommands(SimUnit& unit, const StatePtr& s)
{
    Write(unit, s, WriteVariable, [](SimUnitData& d, In& in, Out&) -> uint8_t {
        if (const uint8_t a = NeedAccess(d))
            return a;
        if (!in.Is(4))
            return CsrCount;
        const uint16_t var = in.W();
        const uint16_t value = in.W();
        if (var == unitconst::VarSerialLow)
            d.serialNumber = (d.serialNumber & 0xFFFF0000u) | value;
        else if (var == unitconst::VarSerialHigh)
            d.serialNumber = (d.serialNumber & 0xFFFFu) | (uint32_t(value) << 16);
        else
            return CsrSelect;
        return CsrOk;
    });
    Write(unit, s, WriteVariableBlock, [](SimUnitData& d, In& in, Out&) -> uint8_t {
        if (const uint8_t a = NeedAccess(d))
            return a;
        if (d.serialAsVariables)
            return CsrInvalidCommand; // older units keep it in two variables
        if (!in.Is(7) || in.B() != 4 || in.W() != unitconst::VarSerialBlock)
            return CsrSelect;
        d.serialNumber = in.D();
        return CsrOk;
    });
    Write(unit, s, WritePin, [](SimUnitData& d, In& in, Out&) -> uint8_t {
        if (const uint8_t a = NeedAccess(d))
            return a;
        if (!in.Is(4))
            return CsrCount;
        d.pin = in.D();
        return CsrOk;
    });
    Read(unit, s, ReadPartNumber, [](SimUnitData& d, In&, Out& out) -> uint8_t {
        std::string part = d.partNumber;
        part.resize(unitconst::PartNumberLength, ' ');
        out.Text(part);
        return 0;
    });
    Read(unit, s, ReadVariant, [](SimUnitData& d, In&, Out& out) -> uint8_t {
        std::string rev = d.revision;
        rev.resize(2, '0');
        out.B(static_cast<uint8_t>(d.variant)).Text(rev);
        return 0;
    });
    Read(unit, s, ReadVersion, [](SimUnitData& d, In&, Out& out) -> uint8_t {
        out.Text(d.versionText);
        return 0;
    });
    Read(unit, s, unitcmd::ReadPin, [](SimUnitData& d, In&, Out& out) -> uint8_t {
        if (d.pinAs32Bits)
            out.D(d.pin);
        else
            out.B(0).B(0);
        return 0;
    });
    Read(unit, s, unitcmd::ReadSerialNumber, [](SimUnitData& d, In&, Out& out) -> uint8_t {
        if (d.serialAsVariables)
            out.B(0);
        else
            out.D(d.serialNumber);
        return 0;
    });
    Read(unit, s, ReadVariable, [](SimUnitData& d, In& in, Out& out) -> uint8_t {
        const uint16_t var = in.W();
        out.W(var);
        if (var == unitconst::VarSerialLow)
            out.W(static_cast<uint16_t>(d.serialNumber));
        else if (var == unitconst::VarSerialHigh)
            out.W(static_cast<uint16_t>(d.serialNumber >> 16));
        else
            out.W(0);
        return 0;
    });
}

// Memory, link and loader: memory init, baud rate, address, Xilinx start and boot mode.
void InstallMemoryCommands(SimUnit& unit, const StatePtr& s)
{
    Write(unit, s, InitMemory, [](SimUnitData& d, In& in, Out&) -> uint8_t {
        if (const uint8_t a = NeedAccess(d))
            return a;
        if (!in.Is(1))
            return CsrCount;
        ++d.memoryInits;
        return CsrOk;
    });
    Write(unit, s, SetBaudRate, [](SimUnitData& d, In& in, Out&) -> uint8_t {
        d.baud = in.W();
        return CsrOk;
    });
    Write(unit, s, StartXilinx, [](SimUnitData& d, In& in, Out&) -> uint8_t {
        d.xilinxWord = in.W();
        return CsrOk;
    });
    unit.Register(SetAddress, [s, &unit](const std::vector<uint8_t>& data, std::vector<uint8_t>& reply) {
        // The reply still goes out under the old address; later frames use the new one.
        const uint8_t a = data.size() == 1 ? data[0] : 0;
        if (a < 1 || a > 31) {
            reply.push_back(CsrAddress);
            return true;
        }
        s->With([&](SimUnitData& d) { d.address = a; });
        unit.SetAddress(a);
        reply.push_back(CsrOk);
        return true;
    });
    Read(unit, s, BootMode, [](SimUnitData& d, In&, Out& out) -> uint8_t {
        if (d.AccessOpen())
            d.bootMode = 1;
        out.B(0);
        return 0;
    });
}

// Mode, preset mode and external preset mode.
void InstallModeCommands(SimUnit& unit, const StatePtr& s)
{
    Write(unit, s, unitcmd::SetMode, [](SimUnitData& d, In& in, Out&) -> uint8_t {
        const uint8_t m = in.B();
        if (m > 3)
            return CsrModeParam;
        d.mode = m;
        return CsrOk;
    });
    Read(unit, s, unitcmd::ReadMode, [](SimUnitData& d, In&, Out& out) -> uint8_t {
        out.B(d.mode);
        return 0;
    });
    Write(unit, s, unitcmd::SetPresetMode, [](SimUnitData& d, In& in, Out&) -> uint8_t {
        d.presetMode = in.B();
        return CsrOk;
    });
    Read(unit, s, unitcmd::ReadPresetMode, [](SimUnitData& d, In&, Out& out) -> uint8_t {
        out.B(d.presetMode);
        return 0;
    });
    Write(unit, s, unitcmd::SetExtPresetMode, [](SimUnitData& d, In& in, Out&) -> uint8_t {
        if (d.mode != 2)
            return CsrWrongMode;
        d.extPresetMode = in.B();
        return CsrOk;
    });
    Read(unit, s, unitcmd::ReadExtPresetMode, [](SimUnitData& d, In&, Out& out) -> uint8_t {
        out.B(d.extPresetMode);
        return 0;
    });
}

// Load and Tune: moves, motors, positions, limits, steps and capacitance range.
void InstallCapacitorCommands(SimUnit& unit, const StatePtr& s)
{
    Write(unit, s, MoveLoad, [](SimUnitData& d, In& in, Out&) { return Move(d, 0, in); });
    Write(unit, s, MoveTune, [](SimUnitData& d, In& in, Out&) { return Move(d, 1, in); });
    Write(unit, s, unitcmd::ResetCaps, [](SimUnitData& d, In&, Out&) -> uint8_t {
        d.MoveMotors();
        for (SimCap& c : d.caps)
            c.target = 0.0;
        if (d.motorSpeed <= 0.0)
            d.Settle();
        return CsrOk;
    });
    Read(unit, s, unitcmd::MotorStatus, [](SimUnitData& d, In&, Out& out) -> uint8_t {
        out.B(d.MotorStatus());
        return 0;
    });
    Write(unit, s, unitcmd::EnableMotors, [](SimUnitData& d, In& in, Out&) -> uint8_t {
        d.MoveMotors();
        d.motorsEnabled = in.B() == 0;
        return CsrOk;
    });
    Read(unit, s, unitcmd::ReadPositions, [](SimUnitData& d, In&, Out& out) -> uint8_t {
        d.MoveMotors();
        out.W(static_cast<uint16_t>(std::lround(d.caps[0].position * 100.0)));
        out.W(static_cast<uint16_t>(std::lround(d.caps[1].position * 100.0)));
        return 0;
    });
    Write(unit, s, unitcmd::WriteCapLimits, [](SimUnitData& d, In& in, Out&) -> uint8_t {
        if (!in.Is(8))
            return CsrCount;
        d.caps[0].minWord = in.W();
        d.caps[1].minWord = in.W();
        d.caps[0].maxWord = in.W();
        d.caps[1].maxWord = in.W();
        return CsrOk;
    });
    Read(unit, s, unitcmd::ReadCapLimits, [](SimUnitData& d, In&, Out& out) -> uint8_t {
        out.W(d.caps[0].minWord).W(d.caps[1].minWord).W(d.caps[0].maxWord).W(d.caps[1].maxWord);
        return 0;
    });
    Write(unit, s, unitcmd::WriteCapSteps, [](SimUnitData& d, In& in, Out&) -> uint8_t {
        if (!in.Is(8))
            return CsrCount;
        d.caps[0].totalSteps = in.W();
        d.caps[1].totalSteps = in.W();
        d.caps[0].stepOffset = in.W();
        d.caps[1].stepOffset = in.W();
        return CsrOk;
    });
    Read(unit, s, unitcmd::ReadCapSteps, [](SimUnitData& d, In&, Out& out) -> uint8_t {
        out.W(static_cast<uint16_t>(d.caps[0].totalSteps)).W(static_cast<uint16_t>(d.caps[1].totalSteps));
        out.W(static_cast<uint16_t>(d.caps[0].stepOffset)).W(static_cast<uint16_t>(d.caps[1].stepOffset));
        return 0;
    });
    Write(unit, s, unitcmd::WriteCapRange, [](SimUnitData& d, In& in, Out&) -> uint8_t {
        if (!in.Is(8))
            return CsrCount;
        d.caps[0].cMax = in.W();
        d.caps[1].cMax = in.W();
        d.caps[0].cMin = in.W();
        d.caps[1].cMin = in.W();
        return CsrOk;
    });
    Read(unit, s, unitcmd::ReadCapRange, [](SimUnitData& d, In&, Out& out) -> uint8_t {
        if (!d.rangeSupported) {
            out.B(0);
            return 0;
        }
        out.W(d.caps[0].cMax).W(d.caps[1].cMax).W(d.caps[0].cMin).W(d.caps[1].cMin);
        return 0;
    });
}

// Trajectories: the points of each set, their per-point values and the active set.
void InstallTrajectoryCommands(SimUnit& unit, const StatePtr& s)
{
    Write(unit, s, WriteTrajectory, [](SimUnitData& d, In& in, Out&) -> uint8_t {
        const uint8_t n = in.B();
        const uint8_t last = in.B();
        if (n < 1 || n > 4 || last > 3)
            return CsrTrajectoryCount;
        if (!in.Is(2 + 4 * (last + 1u)))
            return CsrCount;
        SimTrajectory& t = d.trajectories[n - 1];
        t.last = last;
        for (int p = 0; p <= last; ++p) {
            t.load[p] = in.W();
            t.tune[p] = in.W();
        }
        return CsrOk;
    });
    Read(unit, s, unitcmd::ReadTrajectory, [](SimUnitData& d, In& in, Out& out) -> uint8_t {
        const uint8_t n = in.B();
        if (n < 1 || n > 4)
            return 1;
        const SimTrajectory& t = d.trajectories[n - 1];
        out.B(n).B(t.last);
        for (int p = 0; p <= t.last; ++p)
            out.W(t.load[p]).W(t.tune[p]);
        return 0;
    });
    Write(unit, s, WriteTrajectoryValues, [](SimUnitData& d, In& in, Out&) -> uint8_t {
        if (!d.perPointSupported)
            return CsrInvalidCommand;
        const uint8_t n = in.B();
        const uint8_t last = in.B();
        if (n < 1 || n > 4 || last > 3)
            return CsrTrajectoryCount;
        if (!in.Is(2 + (last + 1u)))
            return CsrCount;
        SimTrajectory& t = d.trajectories[n - 1];
        for (int p = 0; p <= last; ++p)
            t.values[p] = in.B();
        return CsrOk;
    });
    Read(unit, s, ReadTrajectoryValues, [](SimUnitData& d, In& in, Out& out) -> uint8_t {
        const uint8_t n = in.B();
        if (!d.perPointSupported || n < 1 || n > 4) {
            out.B(0);
            return 0;
        }
        const SimTrajectory& t = d.trajectories[n - 1];
        out.B(n).B(t.last);
        for (int p = 0; p <= t.last; ++p)
            out.B(t.values[p]);
        return 0;
    });
    Write(unit, s, unitcmd::SelectTrajectory, [](SimUnitData& d, In& in, Out&) -> uint8_t {
        const uint8_t n = in.B();
        if (n < 1 || n > 4)
            return CsrTrajectoryCount;
        d.activeTrajectory = n;
        return CsrOk;
    });
    Read(unit, s, ReadActiveTrajectory, [](SimUnitData& d, In&, Out& out) -> uint8_t {
        out.B(d.activeTrajectory);
        return 0;
    });
}

// Tuning parameters and the target impedance.
void InstallTuningCommands(SimUnit& unit, const StatePtr& s)
{
    Write(unit, s, unitcmd::WriteTuning, [](SimUnitData& d, In& in, Out&) -> uint8_t {
        if (!in.Is(27))
            return CsrCount;
        for (int16_t& w : d.tuningWords)
            w = in.S();
        for (uint8_t& b : d.tuningOptions)
            b = in.B();
        return CsrOk;
    });
    Read(unit, s, unitcmd::ReadTuning, [](SimUnitData& d, In&, Out& out) -> uint8_t {
        for (int16_t w : d.tuningWords)
            out.W(static_cast<uint16_t>(w));
        for (uint8_t b : d.tuningOptions)
            out.B(b);
        return 0;
    });
    Write(unit, s, unitcmd::WriteTarget, [](SimUnitData& d, In& in, Out&) -> uint8_t {
        if (!in.Is(4))
            return CsrCount;
        d.targetR = in.S();
        d.targetX = in.S();
        return CsrOk;
    });
    Read(unit, s, unitcmd::ReadTarget, [](SimUnitData& d, In&, Out& out) -> uint8_t {
        out.W(static_cast<uint16_t>(d.targetR)).W(static_cast<uint16_t>(d.targetX));
        return 0;
    });
}

// Sensors: calibration words, averaging and power-off threshold, input measurements.
void InstallSensorCommands(SimUnit& unit, const StatePtr& s)
{
    Write(unit, s, unitcmd::WriteSensorCal, [](SimUnitData& d, In& in, Out&) -> uint8_t {
        const uint8_t sensor = in.B();
        if (sensor > 1)
            return CsrSensor;
        if (!in.Is(17))
            return CsrCount;
        for (uint16_t& w : d.sensorCal[sensor])
            w = in.W();
        return CsrOk;
    });
    Read(unit, s, unitcmd::ReadSensorCal, [](SimUnitData& d, In& in, Out& out) -> uint8_t {
        const uint8_t sensor = in.B();
        if (sensor > 1)
            return 1;
        out.B(sensor);
        for (uint16_t w : d.sensorCal[sensor])
            out.W(w);
        return 0;
    });
    Write(unit, s, WriteSensorOpt, [](SimUnitData& d, In& in, Out&) -> uint8_t {
        const uint8_t sensor = in.B();
        const uint8_t sel = in.B();
        if (sensor > 1)
            return CsrSensor;
        if (sel == 1) {
            const uint8_t aver = in.B();
            if (aver > 3)
                return CsrRange;
            d.sensorAver[sensor] = aver;
        } else if (sel == 0) {
            d.sensorPoff[sensor] = in.W();
        } else {
            return CsrSelect;
        }
        return CsrOk;
    });
    Read(unit, s, ReadSensorOpt, [](SimUnitData& d, In& in, Out& out) -> uint8_t {
        const uint8_t sensor = in.B();
        const uint8_t sel = in.B();
        if (sensor > 1)
            return 1;
        out.B(sensor);
        if (sel == 1)
            out.B(d.sensorAver[sensor]);
        else
            out.W(d.sensorPoff[sensor]);
        return 0;
    });
    Read(unit, s, unitcmd::MeasureInputAdc, [](SimUnitData& d, In& in, Out& out) -> uint8_t {
        out.B(in.B());
        for (uint16_t w : d.inputAdc)
            out.W(w);
        return 0;
    });
    Read(unit, s, unitcmd::MeasureInput, [](SimUnitData& d, In& in, Out& out) -> uint8_t {
        const auto w = d.LiveWords();
        out.B(in.B()).W(static_cast<uint16_t>(w[0])).W(static_cast<uint16_t>(w[1]));
        out.W(static_cast<uint16_t>(w[2])).W(static_cast<uint16_t>(w[3]));
        return 0;
    });
}

// Converter trims (SDAC, Max_Ch, SADC) and potentiometers.
void InstallConverterCommands(SimUnit& unit, const StatePtr& s)
{
    Write(unit, s, unitcmd::WriteSdac, [](SimUnitData& d, In& in, Out&) -> uint8_t {
        const uint8_t ch = in.B();
        if (ch >= Channels)
            return CsrSdac;
        d.sdac[ch][0] = in.W();
        d.sdac[ch][1] = in.W();
        return CsrOk;
    });
    Read(unit, s, unitcmd::ReadSdac, [](SimUnitData& d, In& in, Out& out) -> uint8_t {
        const uint8_t ch = in.B();
        if (ch >= Channels)
            return 1;
        out.B(ch).W(d.sdac[ch][0]).W(d.sdac[ch][1]);
        return 0;
    });
    Write(unit, s, unitcmd::WriteMaxCh, [](SimUnitData& d, In& in, Out&) -> uint8_t {
        const uint8_t ch = in.B();
        if (ch >= Channels)
            return CsrSdac;
        d.maxCh[ch] = in.W();
        return CsrOk;
    });
    // 153 is the Max_Ch read with a channel byte, and the older units' option bytes without.
    Read(unit, s, unitcmd::ReadMaxCh, [](SimUnitData& d, In& in, Out& out) -> uint8_t {
        if (in.Size() == 0) {
            out.B(d.olderPinOptions).B(0);
            return 0;
        }
        const uint8_t ch = in.B();
        if (ch >= Channels)
            return 1;
        out.B(ch).W(d.maxCh[ch]);
        return 0;
    });
    Write(unit, s, unitcmd::WriteSadc, [](SimUnitData& d, In& in, Out&) -> uint8_t {
        const uint8_t ch = in.B();
        if (ch >= Channels)
            return CsrSdac;
        for (uint16_t& w : d.sadc[ch])
            w = in.W();
        return CsrOk;
    });
    Read(unit, s, unitcmd::ReadSadc, [](SimUnitData& d, In& in, Out& out) -> uint8_t {
        const uint8_t ch = in.B();
        if (ch >= Channels)
            return 1;
        out.B(ch);
        for (uint16_t w : d.sadc[ch])
            out.W(w);
        return 0;
    });
    Write(unit, s, unitcmd::SetPot, [](SimUnitData& d, In& in, Out&) -> uint8_t {
        const uint8_t pot = in.B();
        if (pot >= Channels)
            return CsrPot;
        d.pots[pot] = in.B();
        return CsrOk;
    });
    Read(unit, s, unitcmd::ReadPot, [](SimUnitData& d, In& in, Out& out) -> uint8_t {
        const uint8_t pot = in.B();
        if (pot >= Channels)
            return 1;
        out.B(pot).B(d.pots[pot]);
        return 0;
    });
}

// The third capacitor: one write and one read, each with a selector.
void InstallThirdCapCommands(SimUnit& unit, const StatePtr& s)
{
    Write(unit, s, unitcmd::Write3cap, Write3cap);
    Read(unit, s, unitcmd::Read3cap, Read3cap);
}

// Service log: setting its ID, resetting a sector, the probe, the count and the records.
void InstallServiceLogCommands(SimUnit& unit, const StatePtr& s)
{
    Write(unit, s, WriteLogId, [](SimUnitData& d, In& in, Out&) -> uint8_t {
        if (const uint8_t a = NeedAccess(d))
            return a;
        const uint16_t id = in.W();
        if (id < unitconst::LogIdFirst || id > unitconst::LogIdLast)
            return CsrLogSector;
        ++d.logResets;
        return CsrOk;
    });
    Write(unit, s, ResetLogSector, [](SimUnitData& d, In& in, Out&) -> uint8_t {
        if (const uint8_t a = NeedAccess(d))
            return a;
        if (!d.logBySectors)
            return CsrInvalidCommand;
        const uint8_t sector = in.B();
        if (sector == 0)
            return CsrOk; // the probe
        if (!((sector >= 1 && sector <= 23) || (sector >= 30 && sector <= 33)))
            return CsrLogSector;
        ++d.logResets;
        return CsrOk;
    });
    Read(unit, s, ServiceLogProbe, [](SimUnitData& d, In& in, Out& out) -> uint8_t {
        const uint8_t which = in.B();
        if (which == 255) {
            out.B(d.newerServiceLog ? unitconst::NewerLogMarker : d.logCount);
            return 0;
        }
        if (d.newerServiceLog || which >= 10)
            return 1;
        std::vector<uint8_t> rec;
        LogRecordBytes(which, 117, rec);
        for (uint8_t b : rec)
            out.B(b);
        return 0;
    });
    Read(unit, s, unitcmd::ServiceLogCount, [](SimUnitData& d, In&, Out& out) -> uint8_t {
        out.B(d.newerServiceLog ? d.logCount : 0);
        return 0;
    });
    Read(unit, s, unitcmd::ServiceLogRecord, [](SimUnitData& d, In& in, Out& out) -> uint8_t {
        const uint8_t i = in.B();
        if (i >= 10)
            return 1;
        std::vector<uint8_t> rec;
        LogRecordBytes(i, d.logRecordLength, rec);
        for (uint8_t b : rec)
            out.B(b);
        return 0;
    });
}

// Live read: the readings, the fault status bytes and the RF-on flag.
void InstallLiveCommands(SimUnit& unit, const StatePtr& s)
{
    Read(unit, s, unitcmd::ReadRfOn, [](SimUnitData& d, In&, Out& out) -> uint8_t {
        out.B(d.rfOn ? 1 : 0);
        return 0;
    });
    Read(unit, s, unitcmd::ReadLive, [](SimUnitData& d, In&, Out& out) -> uint8_t {
        d.MoveMotors();
        d.TuneStep();
        const auto w = d.LiveWords();
        for (int i = 0; i < d.liveReplyLength; ++i) {
            const uint16_t word = static_cast<uint16_t>(w[std::min(i / 2, 14)]);
            out.B(static_cast<uint8_t>(i % 2 == 0 ? word : word >> 8));
        }
        return 0;
    });
    Read(unit, s, ReadStatusBytes, [](SimUnitData& d, In&, Out& out) -> uint8_t {
        for (int i = 0; i < d.statusReplyLength; ++i)
            out.B(static_cast<uint8_t>(d.faults >> (8 * (i % 8))));
        return 0;
    });
}

} // namespace

std::shared_ptr<SimState> InstallDeviceCommands(SimUnit& unit, std::shared_ptr<SimState> state)
{
    if (!state)
        state = std::make_shared<SimState>();
    // The unit's address is read before the state is taken: the unit's lock comes first.
    const auto address = static_cast<uint8_t>(unit.Address());
    state->With([&](SimUnitData& d) { d.address = address; });
    InstallAccessCommands(unit, state);
    InstallIdentityCommands(unit, state);
    InstallMemoryCommands(unit, state);
    InstallModeCommands(unit, state);
    InstallCapacitorCommands(unit, state);
    InstallTrajectoryCommands(unit, state);
    InstallTuningCommands(unit, state);
    InstallSensorCommands(unit, state);
    InstallConverterCommands(unit, state);
    InstallThirdCapCommands(unit, state);
    InstallServiceLogCommands(unit, state);
    InstallLiveCommands(unit, state);
    return state;
}

} // namespace simunit

#include "service/Configbackup.h"

#include "common/Helpers.h"
#include "common/Registry.h"
#include "device/Device.h"
#include "panel/Statusstate.h"
#include "platform/Inifile.h"

#include "service/Fieldcheck.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <iterator>
#include <limits>
#include <map>
#include <tuple>

namespace calfile {

int AverToCount(int index) { return 1 << std::clamp(index, 0, 3); }

int CountToAver(int count)
{
    if (count >= 8)
        return 3;
    if (count >= 4)
        return 2;
    if (count >= 2)
        return 1;
    return 0;
}

double OldWordToVswr(int v)
{
    if (v >= 1024)
        return 0.0;
    const double g = std::sqrt(std::max(v, 0) / 1024.0);
    return (1.0 + g) / (1.0 - g);
}

} // namespace calfile

namespace {

constexpr int Refused = CConfigBackup::Refused;

// --- the table --------------------------------------------------------------------------------
//
// Every value of the file is one row: its section and key, the unit command that reads it for the
// backup and takes it on the restore, its field in that command's values, and the range the
// restore accepts (the range the unit page that edits the value applies, else the width of the
// unit's field). The rows stand in file order; the commands are declared in the order the restore
// sends them.

enum class Cmd {
    Id,            // identification texts: written, never restored
    Serial,        // compared only
    Pin,           // asked before it is written
    CapSteps,
    CapRange,
    Mode,          // sent at the very end
    PresetMode,
    ExtPresetMode,
    Cap3Steps,
    Cap3Range,
    CapLimits,
    SensorAver,    // index: sensor
    SensorPoff,
    SensorCal,
    OldTuning,     // the older [Tuning] section: restored, never written
    OldTarget,
    Tuning,
    Target,
    Trajectories,
    Cap3Aver,
    Cap3Limits,
    Cap3PresetN,   // index: preset
    Cap3PresetSel,
    Cap3Control,
    Cap3VLevel,
    Cap3SensorCal,
    Sdac,          // index: channel
    MaxCh,
    Sadc,
    Pot,           // index: potentiometer
    Positions,
    Cap3Position,
};

enum class Kind { Int, Double, Text, Ints };
enum class Part { Id, Factory, User };
enum class Units { All, ThirdCap, OutputSensor };

struct Row {
    std::string section, key;
    Cmd cmd;
    int index = 0;
    int field = 0;
    Kind kind = Kind::Int;
    double lo = 0, hi = 0;
    int count = 1;          // Ints: how many integers the value holds
    bool optional = false;  // missing or empty: passed over without a word
    Units units = Units::All; // the units that have the value
};

struct CommandInfo {
    Part part;
    Units units;
    bool readTolerant;   // the backup ends on a link error only (else on any non-zero result)
    bool writeTolerant;  // the restore stops on a link error only
    bool whenSection;    // restored only when the section is in the file
};

CommandInfo Info(Cmd c)
{
    switch (c) {
    case Cmd::Id: return {Part::Id, Units::All, false, false, false};
    case Cmd::Serial: return {Part::Factory, Units::All, true, false, false};
    case Cmd::Pin: return {Part::Factory, Units::All, false, false, false};
    case Cmd::Mode:
    case Cmd::PresetMode:
    case Cmd::ExtPresetMode: return {Part::User, Units::All, true, true, false};
    case Cmd::CapSteps:
    case Cmd::CapRange: return {Part::Factory, Units::All, false, false, false};
    case Cmd::Cap3Steps:
    case Cmd::Cap3Range: return {Part::Factory, Units::ThirdCap, false, false, false};
    case Cmd::CapLimits: return {Part::User, Units::All, false, true, false};
    case Cmd::SensorAver:
    case Cmd::SensorPoff:
    case Cmd::SensorCal: return {Part::Factory, Units::All, false, true, false};
    case Cmd::OldTuning:
    case Cmd::OldTarget: return {Part::User, Units::All, false, true, true};
    case Cmd::Tuning: return {Part::User, Units::All, false, true, true};
    case Cmd::Target: return {Part::User, Units::All, true, true, true};
    case Cmd::Trajectories: return {Part::User, Units::All, false, true, false};
    case Cmd::Cap3Aver:
    case Cmd::Cap3Limits:
    case Cmd::Cap3PresetN:
    case Cmd::Cap3PresetSel:
    case Cmd::Cap3Control:
    case Cmd::Cap3VLevel: return {Part::User, Units::ThirdCap, false, true, false};
    case Cmd::Cap3SensorCal: return {Part::Factory, Units::ThirdCap, false, true, false};
    case Cmd::Sdac:
    case Cmd::MaxCh:
    case Cmd::Sadc: return {Part::Factory, Units::All, false, true, false};
    case Cmd::Pot: return {Part::Factory, Units::All, false, true, false};
    // A move that fails or is refused leaves the capacitors where they were: it ends the restore.
    case Cmd::Positions: return {Part::User, Units::All, false, false, false};
    case Cmd::Cap3Position: return {Part::User, Units::ThirdCap, true, false, false};
    }
    return {Part::Id, Units::All, false, false, false};
}

// Ranges of the values.
constexpr double WordMax = 65535;
constexpr double ShortMin = -32768, ShortMax = 32767;
constexpr double IntMin = std::numeric_limits<int>::min(), IntMax = std::numeric_limits<int>::max();
constexpr double PercentMax = 100;
constexpr double ModeMax = 3;          // manual, auto, serial, not auto
constexpr double FlagMax = 1;
constexpr double VswrMin = 1.0, VswrMax = 99.0;
constexpr double RflMax = 32767;
constexpr double CoefLimit = 31.99;    // x 1024 in a signed word
constexpr double IntegralMax = 8;      // item index of the integral list
constexpr double TargetLimit = 1599.0; // ohm: / 50 x 1024 in a signed word
constexpr double DelayMax = 2.55;      // seconds in a byte of hundredths
constexpr double IndexMax = 3;         // trajectory sets, their points, third-capacitor presets
constexpr double PotMax = 255;
constexpr double MaxStepWordMax = 10000; // percent x 100
constexpr double OldStepWordMax = 10000;

const char* const SensorKeys[8] = {"p0", "q0", "i20", "rr", "rx", "xr", "xx", "pwr"};
const char* const SensorSections[2] = {"Input Sensor", "Output Sensor"};
const char* const PotKeys[6] = {"DC_bias", "RF_peak", "Pot0", "Pot1", "Pot2", "Pot3"};
const char* const Cap3SensorKeys[6] = {"i1off", "i2off", "voff", "i1scale", "i2scale", "vscale"};
const char* const Cap3ControlKeys[4] = {"Timer", "Gain", "MaxStep", "Error"};
const double Cap3ControlLo[4] = {0, ShortMin, 0, 0};
const double Cap3ControlHi[4] = {WordMax, ShortMax, MaxStepWordMax, WordMax};

// The tuning keys in the order of the unit's tuning command: VSWR pair, reflected-power pair,
// the four steps, the four coefficients, then criterion, hold and integral.
const char* const TuningKeys[15] = {"Stop", "Start", "RflStop", "RflStart", "MaxShStep", "MinShStep",
                                    "MaxSertep", "MinSerStep", "MagtoSh", "PhasetoSh", "MagtoSer",
                                    "PhasetoSer", "Alg", "HoldShunt", "Integral"};

std::vector<Row> BuildTable()
{
    std::vector<Row> t;
    auto add = [&](const std::string& section, const std::string& key, Cmd cmd, int index, int field,
                   Kind kind, double lo = 0, double hi = 0) -> Row& {
        t.push_back(Row{section, key, cmd, index, field, kind, lo, hi});
        t.back().units = Info(cmd).units;
        return t.back();
    };
    const std::string id = calfile::IdSection;
    add(id, "Type", Cmd::Id, 0, 0, Kind::Text);
    add(id, "PartNum", Cmd::Id, 0, 1, Kind::Text);
    add(id, "Xilinx", Cmd::Id, 0, 2, Kind::Text);
    add(id, "Orrery ID", Cmd::Id, 0, 3, Kind::Text);
    add(id, "Orrery Date", Cmd::Id, 0, 4, Kind::Text);

    add("Config", "SN", Cmd::Serial, 0, 0, Kind::Int, IntMin, IntMax).optional = true;
    add("Config", "PIN_String", Cmd::Pin, 0, 0, Kind::Text);
    add("Config", "Mode", Cmd::Mode, 0, 0, Kind::Int, 0, ModeMax);
    add("Config", "PresetMode", Cmd::PresetMode, 0, 0, Kind::Int, 0, FlagMax);
    add("Config", "ExtPresetMode", Cmd::ExtPresetMode, 0, 0, Kind::Int, 0, FlagMax);
    const char* const steps[4] = {"ShTotal", "ShOffset", "SerTotal", "SerOffset"};
    for (int i = 0; i < 4; ++i)
        add("Config", steps[i], Cmd::CapSteps, 0, i, Kind::Int, 0, WordMax);
    const char* const range[4] = {"ShCMax", "ShCMin", "SerCMax", "SerCMin"};
    for (int i = 0; i < 4; ++i)
        add("Config", range[i], Cmd::CapRange, 0, i, Kind::Double, 0, WordMax);
    add("Config", "3CapTotal", Cmd::Cap3Steps, 0, 0, Kind::Int, 0, WordMax);
    add("Config", "3CapOffset", Cmd::Cap3Steps, 0, 1, Kind::Int, 0, WordMax);
    add("Config", "3CapCMax", Cmd::Cap3Range, 0, 0, Kind::Double, 0, WordMax);
    add("Config", "3CapCMin", Cmd::Cap3Range, 0, 1, Kind::Double, 0, WordMax);

    const char* const limits[4] = {"ShMax", "ShMin", "SerMax", "SerMin"};
    for (int i = 0; i < 4; ++i)
        add("Capacitors", limits[i], Cmd::CapLimits, 0, i, Kind::Double, 0, PercentMax);

    for (int sensor = 0; sensor < 2; ++sensor) {
        const std::string section = SensorSections[sensor];
        const Units units = sensor == 0 ? Units::All : Units::OutputSensor;
        // Every count maps to an averaging index: below 2 the first, 8 or more the last.
        add(section, "Aver", Cmd::SensorAver, sensor, 0, Kind::Int, IntMin, IntMax).units = units;
        add(section, "Poff", Cmd::SensorPoff, sensor, 0, Kind::Int, 0, WordMax).units = units;
        for (int i = 0; i < 8; ++i)
            add(section, SensorKeys[i], Cmd::SensorCal, sensor, i, Kind::Int, 0, WordMax).units = units;
    }

    // The older section holds the unit's raw words.
    for (int i = 0; i < 15; ++i) {
        const bool coef = i >= 8 && i < 12;
        const bool step = i >= 4 && i < 8;
        add("Tuning", TuningKeys[i], Cmd::OldTuning, 0, i, Kind::Int, coef ? ShortMin : 0,
            coef ? ShortMax : step ? OldStepWordMax : i < 4 ? ShortMax : i == 14 ? IntegralMax : FlagMax);
    }
    add("Tuning", "RTarget", Cmd::OldTarget, 0, 0, Kind::Double, 0, TargetLimit);
    add("Tuning", "XTarget", Cmd::OldTarget, 0, 1, Kind::Double, -TargetLimit, TargetLimit);
    for (int i = 0; i < 15; ++i) {
        const Kind kind = (i == 2 || i == 3 || i >= 12) ? Kind::Int : Kind::Double;
        double lo = 0, hi = FlagMax;
        if (i < 2) {
            lo = VswrMin;
            hi = VswrMax;
        } else if (i < 4) {
            hi = RflMax;
        } else if (i < 8) {
            hi = PercentMax;
        } else if (i < 12) {
            lo = -CoefLimit;
            hi = CoefLimit;
        } else if (i == 14) {
            hi = IntegralMax;
        }
        add("Tuning_new", TuningKeys[i], Cmd::Tuning, 0, i, kind, lo, hi);
    }
    add("Tuning_new", "RTarget", Cmd::Target, 0, 0, Kind::Double, 0, TargetLimit);
    add("Tuning_new", "XTarget", Cmd::Target, 0, 1, Kind::Double, -TargetLimit, TargetLimit);

    // Preset, then per set its last point and the points' Load, Tune and delay.
    add("Trajectories", "Preset", Cmd::Trajectories, 0, 0, Kind::Int, 0, IndexMax);
    int field = 1;
    for (int i = 0; i < CUnitState::TrajectoryCount; ++i) {
        const std::string n = std::to_string(i);
        add("Trajectories", "N" + n, Cmd::Trajectories, 0, field++, Kind::Int, 0, IndexMax);
        for (int j = 0; j < CTrajectory::Points; ++j) {
            const std::string ij = n + std::to_string(j);
            add("Trajectories", "Sh" + ij, Cmd::Trajectories, 0, field++, Kind::Double, 0, PercentMax);
            add("Trajectories", "Ser" + ij, Cmd::Trajectories, 0, field++, Kind::Double, 0, PercentMax);
            add("Trajectories", "Delay" + ij, Cmd::Trajectories, 0, field++, Kind::Double, 0, DelayMax);
        }
    }

    add("3Cap", "Max", Cmd::Cap3Limits, 0, 0, Kind::Double, 0, PercentMax);
    add("3Cap", "Min", Cmd::Cap3Limits, 0, 1, Kind::Double, 0, PercentMax);
    add("3Cap", "Preset", Cmd::Cap3PresetSel, 0, 0, Kind::Int, 0, IndexMax);
    for (int i = 0; i < CUnitState::ThirdCapPresets; ++i)
        add("3Cap", "Preset" + std::to_string(i), Cmd::Cap3PresetN, i, 0, Kind::Double, 0, PercentMax);
    add("3Cap", "Aver", Cmd::Cap3Aver, 0, 0, Kind::Int, IntMin, IntMax);
    for (int i = 0; i < 6; ++i)
        add("3Cap", Cap3SensorKeys[i], Cmd::Cap3SensorCal, 0, i, Kind::Int, 0, WordMax);
    for (int i = 0; i < 4; ++i)
        add("3Cap", Cap3ControlKeys[i], Cmd::Cap3Control, 0, i, Kind::Int, Cap3ControlLo[i], Cap3ControlHi[i]);
    add("3Cap", "VLevel", Cmd::Cap3VLevel, 0, 0, Kind::Int, 0, WordMax);

    for (int ch = 0; ch < 4; ++ch) {
        Row& r = add("SDAC", "Ch" + std::to_string(ch), Cmd::Sdac, ch, 0, Kind::Ints, 0, WordMax);
        r.count = 2;
        r.optional = true;
    }
    for (int ch = 2; ch < 4; ++ch)
        add("SDAC", "Max_Ch" + std::to_string(ch), Cmd::MaxCh, ch, 0, Kind::Int, 0, WordMax).optional = true;
    for (int ch = 0; ch < 8; ++ch) {
        Row& r = add("SADC", "Ch" + std::to_string(ch), Cmd::Sadc, ch, 0, Kind::Ints, ShortMin, ShortMax);
        r.count = 3;
        r.optional = true;
    }
    for (int pot = 0; pot < 6; ++pot)
        add("Potentiometer", PotKeys[pot], Cmd::Pot, pot, 0, Kind::Int, 0, PotMax).optional = true;

    add("Position", "Sh", Cmd::Positions, 0, 0, Kind::Double, 0, PercentMax);
    add("Position", "Ser", Cmd::Positions, 0, 1, Kind::Double, 0, PercentMax);
    add("Position", "3cap", Cmd::Cap3Position, 0, 0, Kind::Double, 0, PercentMax);
    return t;
}

const std::vector<Row>& Table()
{
    static const std::vector<Row> table = BuildTable();
    return table;
}

// The values of one command: numbers by field, and the texts of the identification.
struct Values {
    std::vector<double> n;
    std::vector<std::string> text;
    bool complete = true; // restore: every row of the command was read from the file
    double& operator[](size_t i)
    {
        if (n.size() <= i)
            n.resize(i + 1);
        return n[i];
    }
    int Int(size_t i) const { return i < n.size() ? static_cast<int>(n[i]) : 0; }
    double At(size_t i) const { return i < n.size() ? n[i] : 0.0; }
};

using CommandKey = std::pair<Cmd, int>;

std::string Hex8(uint32_t v)
{
    char text[16];
    std::snprintf(text, sizeof text, "%08X", v);
    return text;
}

// Integers joined by commas, and scanned back: exactly `count` integers or nothing.
std::string Joined(const std::vector<double>& values, size_t from, int count)
{
    std::string s;
    for (int i = 0; i < count; ++i)
        s += (i ? "," : "") + std::to_string(static_cast<int>(from + i < values.size() ? values[from + i] : 0));
    return s;
}

bool ScanInts(const std::string& text, int count, std::vector<int>& out)
{
    out.clear();
    size_t pos = 0;
    for (int i = 0; i < count; ++i) {
        const size_t comma = i + 1 < count ? text.find(',', pos) : std::string::npos;
        if (i + 1 < count && comma == std::string::npos)
            return false;
        int v = 0;
        if (!platform::IniFile::IniTextToInteger(TrimText(text.substr(pos, comma - pos)), v))
            return false;
        out.push_back(v);
        pos = comma + 1;
    }
    return true;
}

bool Applies(Units units, bool third, bool output)
{
    return units == Units::All || (units == Units::ThirdCap && third) ||
           (units == Units::OutputSensor && output);
}

// --- the commands -----------------------------------------------------------------------------
//
// Each command's read from the unit (backup) stands beside its send to the unit (restore). The
// read fills the command's values by field, the fields of its rows in the table; the send takes
// the same fields back. Both return 0 or the unit's result. A command without a read is never
// written to the file; one without a send is not sent with the others (the restore compares the
// serial number, asks before the PIN and sends the mode last).

// What a command's read and send reach.
struct Unit {
    CDevice& d;
    int index;                         // the sensor, channel, preset or potentiometer
    const std::string& orreryId;       // backup: the program's product-ID text
    const CConfigBackup::Moves& moves; // restore: the main window's capacitor moves
    std::vector<std::string>* notes;   // restore: what a send left undone or unconfirmed
};

// A restore's notes, each a clause the closing box shows.
constexpr const char* StillMovingNote =
    "the motors were still moving when the wait for them ended: the capacitor positions of the file are not confirmed";

// The trajectory sets from index (0-based) to the last, as the unit numbers them: "set 4",
// "sets 2, 3, 4".
std::string SetsFrom(int index)
{
    std::string list;
    for (int i = index; i < CUnitState::TrajectoryCount; ++i)
        list += (list.empty() ? "" : ", ") + std::to_string(i + 1);
    return (index + 1 < CUnitState::TrajectoryCount ? "sets " : "set ") + list;
}

// What a trajectory write the unit did not take leaves unwritten: "trajectory sets 2, 3, 4 not
// written" when the points of set 2 were not taken; "trajectory set 2 written without its
// delays, sets 3, 4 not written" when its delays were not.
std::string SetsNotWrittenNote(int index, bool pointsTaken)
{
    if (!pointsTaken)
        return "trajectory " + SetsFrom(index) + " not written";
    std::string note = "trajectory set " + std::to_string(index + 1) + " written without its delays";
    if (index + 1 < CUnitState::TrajectoryCount)
        note += ", " + SetsFrom(index + 1) + " not written";
    return note;
}

struct Command {
    Cmd cmd;
    int (*read)(const Unit&, Values&);
    int (*write)(const Unit&, const Values&);
};

// The tuning fields in the order of the unit's tuning command; the older [Tuning] section holds
// the unit's raw words.
CTuning TuningFromFile(const Values& v, bool old)
{
    auto scaled = [&](int i, double scale) { return old ? v.Int(i) * scale : v.At(i); };
    CTuning t;
    t.stop = old ? calfile::OldWordToVswr(v.Int(0)) : v.At(0);
    t.start = old ? calfile::OldWordToVswr(v.Int(1)) : v.At(1);
    t.rflStop = v.Int(2);
    t.rflStart = v.Int(3);
    t.maxShStep = scaled(4, 0.01);
    t.minShStep = scaled(5, 0.01);
    t.maxSerStep = scaled(6, 0.01);
    t.minSerStep = scaled(7, 0.01);
    t.magToSh = scaled(8, 1 / 1024.0);
    t.phaseToSh = scaled(9, 1 / 1024.0);
    t.magToSer = scaled(10, 1 / 1024.0);
    t.phaseToSer = scaled(11, 1 / 1024.0);
    t.option1 = v.Int(12);
    t.option2 = v.Int(13);
    t.option3 = v.Int(14);
    return t;
}

constexpr Command Commands[] = {
    {Cmd::Id,
     [](const Unit& u, Values& v) {
         std::string partNum, xilinx;
         int r = 0;
         if ((r = u.d.ReadProductId(partNum)) != 0 || (r = u.d.ReadVersionText(xilinx)) != 0)
             return r;
         v.text = {u.d.ModelText(), partNum, xilinx, u.orreryId, calfile::OrreryDate};
         return 0;
     },
     nullptr}, // never restored
    {Cmd::Serial,
     [](const Unit& u, Values& v) {
         uint32_t serial = 0;
         const int r = u.d.ReadSerialNumber(serial);
         v[0] = static_cast<int>(serial);
         return r;
     },
     nullptr}, // compared before the first command
    {Cmd::Pin,
     [](const Unit& u, Values& v) {
         v.text = {Hex8(u.d.Pin())}; // read as the backup starts
         return 0;
     },
     nullptr}, // asked, and written before the first command
    {Cmd::CapSteps,
     [](const Unit& u, Values& v) {
         if (const int r = u.d.ReadCapSteps())
             return r;
         v[0] = u.d.CapTotal(0);
         v[1] = u.d.CapOffset(0);
         v[2] = u.d.CapTotal(1);
         v[3] = u.d.CapOffset(1);
         return 0;
     },
     [](const Unit& u, const Values& v) { return u.d.WriteCapSteps(v.Int(0), v.Int(2), v.Int(1), v.Int(3)); }},
    {Cmd::CapRange,
     [](const Unit& u, Values& v) {
         if (const int r = u.d.ReadCapRange())
             return r;
         v[0] = u.d.CapToPf(0, 100.0);
         v[1] = u.d.CapToPf(0, 0.0);
         v[2] = u.d.CapToPf(1, 100.0);
         v[3] = u.d.CapToPf(1, 0.0);
         return 0;
     },
     [](const Unit& u, const Values& v) { return u.d.WriteCapRange(v.At(0), v.At(2), v.At(1), v.At(3)); }},
    {Cmd::Mode,
     [](const Unit& u, Values& v) {
         int mode = 0;
         const int r = u.d.ReadMode(mode);
         v[0] = mode;
         return r;
     },
     nullptr}, // sent at the very end
    {Cmd::PresetMode,
     [](const Unit& u, Values& v) {
         int mode = 0;
         const int r = u.d.ReadPresetMode(mode);
         v[0] = mode;
         return r;
     },
     [](const Unit& u, const Values& v) { return u.d.SetPresetMode(v.Int(0)); }},
    {Cmd::ExtPresetMode,
     [](const Unit& u, Values& v) {
         int mode = 0;
         const int r = u.d.ReadExtPresetMode(mode);
         v[0] = mode;
         return r;
     },
     [](const Unit& u, const Values& v) { return u.d.SetExtPresetMode(v.Int(0), false); }},
    {Cmd::Cap3Steps,
     [](const Unit& u, Values& v) {
         if (const int r = u.d.Read3capSteps())
             return r;
         v[0] = u.d.CapTotal(2);
         v[1] = u.d.CapOffset(2);
         return 0;
     },
     [](const Unit& u, const Values& v) { return u.d.Write3capSteps(v.Int(0), v.Int(1)); }},
    {Cmd::Cap3Range,
     [](const Unit& u, Values& v) {
         if (const int r = u.d.Read3capRange())
             return r;
         v[0] = u.d.CapToPf(2, 100.0);
         v[1] = u.d.CapToPf(2, 0.0);
         return 0;
     },
     [](const Unit& u, const Values& v) { return u.d.Write3capRange(v.At(0), v.At(1)); }},
    {Cmd::CapLimits,
     [](const Unit& u, Values& v) {
         if (const int r = u.d.ReadCapLimits())
             return r;
         v[0] = u.d.CapMax(0);
         v[1] = u.d.CapMin(0);
         v[2] = u.d.CapMax(1);
         v[3] = u.d.CapMin(1);
         return 0;
     },
     [](const Unit& u, const Values& v) { return u.d.WriteCapLimits(v.At(1), v.At(3), v.At(0), v.At(2)); }},
    {Cmd::SensorAver,
     [](const Unit& u, Values& v) {
         int aver = 0;
         const int r = u.d.ReadSensorAver(u.index, aver);
         v[0] = calfile::AverToCount(aver);
         return r;
     },
     [](const Unit& u, const Values& v) { return u.d.SetSensorAver(u.index, calfile::CountToAver(v.Int(0))); }},
    {Cmd::SensorPoff,
     [](const Unit& u, Values& v) {
         int poff = 0;
         const int r = u.d.ReadSensorPoff(u.index, poff);
         v[0] = poff;
         return r;
     },
     [](const Unit& u, const Values& v) { return u.d.SetSensorPoff(u.index, v.Int(0)); }},
    {Cmd::SensorCal,
     [](const Unit& u, Values& v) {
         std::array<uint16_t, 8> words{};
         const int r = u.d.ReadSensorCal(u.index, words);
         for (int i = 0; i < 8; ++i)
             v[i] = words[i];
         return r;
     },
     [](const Unit& u, const Values& v) {
         std::array<uint16_t, 8> words{};
         for (int i = 0; i < 8; ++i)
             words[i] = static_cast<uint16_t>(v.Int(i));
         return u.d.WriteSensorCal(u.index, words);
     }},
    {Cmd::OldTuning,
     nullptr, // the older section: restored, never written
     [](const Unit& u, const Values& v) { return u.d.WriteTuning(TuningFromFile(v, true)); }},
    {Cmd::OldTarget,
     nullptr,
     [](const Unit& u, const Values& v) { return u.d.WriteTarget(v.At(0), v.At(1)); }},
    {Cmd::Tuning,
     [](const Unit& u, Values& v) {
         CTuning t;
         const int r = u.d.ReadTuning(t);
         const double fields[15] = {t.stop, t.start, double(t.rflStop), double(t.rflStart), t.maxShStep,
                                    t.minShStep, t.maxSerStep, t.minSerStep, t.magToSh, t.phaseToSh,
                                    t.magToSer, t.phaseToSer, double(t.option1), double(t.option2),
                                    double(t.option3)};
         for (int i = 0; i < 15; ++i)
             v[i] = fields[i];
         return r;
     },
     [](const Unit& u, const Values& v) { return u.d.WriteTuning(TuningFromFile(v, false)); }},
    {Cmd::Target,
     [](const Unit& u, Values& v) {
         double rt = 50.0, xt = 0.0;
         const int r = u.d.ReadTarget(rt, xt);
         v[0] = rt;
         v[1] = xt;
         return r;
     },
     [](const Unit& u, const Values& v) { return u.d.WriteTarget(v.At(0), v.At(1)); }},
    // Field 0 the active set; then per set its last point and the points' Load, Tune and delay.
    {Cmd::Trajectories,
     [](const Unit& u, Values& v) {
         int r = 0;
         if ((r = u.d.ReadTrajectories()) != 0 || (r = u.d.ReadTrajectory()) != 0)
             return r;
         size_t f = 0;
         v[f++] = u.d.ActiveTrajectory();
         for (int i = 0; i < CUnitState::TrajectoryCount; ++i) {
             const CTrajectory& tr = u.d.Trajectory(i);
             v[f++] = tr.lastIndex;
             for (int j = 0; j < CTrajectory::Points; ++j) {
                 v[f++] = tr.load[j];
                 v[f++] = tr.tune[j];
                 v[f++] = tr.values[j];
             }
         }
         return 0;
     },
     [](const Unit& u, const Values& v) {
         size_t f = 1;
         for (int i = 0; i < CUnitState::TrajectoryCount; ++i) {
             CTrajectory tr;
             tr.lastIndex = v.Int(f++);
             for (int j = 0; j < CTrajectory::Points; ++j) {
                 tr.load[j] = v.At(f++);
                 tr.tune[j] = v.At(f++);
                 tr.values[j] = v.At(f++);
             }
             u.d.Trajectory(i) = tr;
         }
         if (const int r = u.d.SelectTrajectory(v.Int(0)); r < 0)
             return r;
         // The sets go in order up to the first the unit does not take; the rest are not sent.
         for (int i = 0; i < CUnitState::TrajectoryCount; ++i) {
             if (const int r = u.d.WriteTrajectoryPoints(i)) {
                 u.notes->push_back(SetsNotWrittenNote(i, false));
                 return r;
             }
             if (const int r = u.d.WriteTrajectoryDelays(i)) {
                 u.notes->push_back(SetsNotWrittenNote(i, true));
                 return r;
             }
         }
         return 0;
     }},
    {Cmd::Cap3Aver,
     [](const Unit& u, Values& v) {
         int aver = 0;
         const int r = u.d.Read3capAver(aver);
         v[0] = calfile::AverToCount(aver);
         return r;
     },
     [](const Unit& u, const Values& v) { return u.d.Write3capAver(calfile::CountToAver(v.Int(0))); }},
    {Cmd::Cap3Limits,
     [](const Unit& u, Values& v) {
         if (const int r = u.d.Read3capLimits())
             return r;
         v[0] = u.d.CapMax(2);
         v[1] = u.d.CapMin(2);
         return 0;
     },
     [](const Unit& u, const Values& v) { return u.d.Write3capLimits(v.At(1), v.At(0)); }},
    {Cmd::Cap3PresetN,
     [](const Unit& u, Values& v) {
         double p = 0;
         const int r = u.d.Read3capPresetN(u.index, p);
         v[0] = p;
         return r;
     },
     [](const Unit& u, const Values& v) { return u.d.Write3capPresetN(u.index, v.At(0)); }},
    {Cmd::Cap3PresetSel,
     [](const Unit& u, Values& v) {
         const int r = u.d.Read3capPresetSel();
         v[0] = u.d.ThirdCapActivePreset();
         return r;
     },
     [](const Unit& u, const Values& v) { return u.d.Write3capPresetSel(v.Int(0)); }},
    {Cmd::Cap3Control,
     [](const Unit& u, Values& v) {
         C3capControl c;
         const int r = u.d.Read3capControl(c);
         v[0] = c.timer;
         v[1] = c.gain;
         v[2] = c.maxStep;
         v[3] = c.error;
         return r;
     },
     [](const Unit& u, const Values& v) {
         C3capControl c;
         c.timer = v.Int(0);
         c.gain = v.Int(1);
         c.maxStep = v.Int(2);
         c.error = v.Int(3);
         return u.d.Write3capControl(c);
     }},
    {Cmd::Cap3VLevel,
     [](const Unit& u, Values& v) {
         int level = 0;
         const int r = u.d.Read3capVLevel(level);
         v[0] = level;
         return r;
     },
     [](const Unit& u, const Values& v) { return u.d.Write3capVLevel(v.Int(0)); }},
    {Cmd::Cap3SensorCal,
     [](const Unit& u, Values& v) {
         C3capSensorCal c;
         const int r = u.d.Read3capSensorCal(c);
         const int fields[6] = {c.i1off, c.i2off, c.voff, c.i1scale, c.i2scale, c.vscale};
         for (int i = 0; i < 6; ++i)
             v[i] = fields[i];
         return r;
     },
     [](const Unit& u, const Values& v) {
         return u.d.Write3capSensorCal(C3capSensorCal{v.Int(0), v.Int(1), v.Int(2), v.Int(3), v.Int(4), v.Int(5)});
     }},
    {Cmd::Sdac,
     [](const Unit& u, Values& v) {
         int w1 = 0, w2 = 0;
         const int r = u.d.ReadSdac(u.index, w1, w2);
         v[0] = w1;
         v[1] = w2;
         return r;
     },
     [](const Unit& u, const Values& v) { return u.d.WriteSdac(u.index, v.Int(0), v.Int(1)); }},
    {Cmd::MaxCh,
     [](const Unit& u, Values& v) {
         int w = 0;
         const int r = u.d.ReadMaxCh(u.index, w);
         v[0] = w;
         return r;
     },
     [](const Unit& u, const Values& v) { return u.d.WriteMaxCh(u.index, v.Int(0)); }},
    {Cmd::Sadc,
     [](const Unit& u, Values& v) {
         int w1 = 0, w2 = 0, w3 = 0;
         const int r = u.d.ReadSadc(u.index, w1, w2, w3);
         v[0] = int16_t(w1);
         v[1] = int16_t(w2);
         v[2] = int16_t(w3);
         return r;
     },
     [](const Unit& u, const Values& v) { return u.d.WriteSadc(u.index, v.Int(0), v.Int(1), v.Int(2)); }},
    {Cmd::Pot,
     [](const Unit& u, Values& v) {
         int p = 0;
         const int r = u.d.ReadPot(u.index, p);
         v[0] = p;
         return r;
     },
     [](const Unit& u, const Values& v) { return u.d.SetPot(u.index, v.Int(0)); }},
    {Cmd::Positions,
     [](const Unit& u, Values& v) {
         if (const int r = u.d.ReadPositions())
             return r;
         v[0] = u.d.Position(0);
         v[1] = u.d.Position(1);
         return 0;
     },
     [](const Unit& u, const Values& v) {
         if (!u.moves.MoveCapacitors)
             return 0;
         const int r = u.moves.MoveCapacitors(v.At(0), v.At(1));
         if (r == 0 && u.moves.MotorsStillMoving && u.moves.MotorsStillMoving())
             u.notes->push_back(StillMovingNote);
         return r;
     }},
    {Cmd::Cap3Position,
     [](const Unit& u, Values& v) {
         const int r = u.d.Read3capPosition();
         v[0] = u.d.Position(2);
         return r;
     },
     [](const Unit& u, const Values& v) { return u.moves.Move3rdCap ? u.moves.Move3rdCap(v.At(0)) : 0; }},
};

constexpr bool OneRowPerCommandInOrder()
{
    for (size_t i = 0; i < std::size(Commands); ++i)
        if (Commands[i].cmd != static_cast<Cmd>(i))
            return false;
    return std::size(Commands) == static_cast<size_t>(Cmd::Cap3Position) + 1;
}
static_assert(OneRowPerCommandInOrder(), "the commands stand in the order they are declared");

const Command& Of(Cmd c) { return Commands[static_cast<size_t>(c)]; }

// What a double of an older file may exceed its range by: the last digits of a float text
// written with 17 digits (2.5500000000000003 for the largest delay).
double Slack(double limit) { return 1e-12 * std::max(1.0, std::fabs(limit)); }

// "\nSection/Key=text (lo to hi)"
std::string OutOfRangeLine(const Row& row, const std::string& text)
{
    return "\n" + row.section + "/" + row.key + "=" + text + " (" + ShortestText(row.lo) + " to " +
           ShortestText(row.hi) + ")";
}

} // namespace

// --- save -------------------------------------------------------------------------------------

int CConfigBackup::WriteConfiguration(CRegistry& s, const std::string& orreryId)
{
    CDevice& d = device_;
    int r = d.ReadPin();
    if (r != 0)
        return r;
    const bool third = d.Has3rdCap();
    const bool output = d.HasOutputSensor();
    s.ClearAllSections();

    const Moves noMoves;
    std::map<CommandKey, Values> read;
    std::map<CommandKey, bool> failed; // a read that leaves its keys out of the file
    std::string section;
    for (const Row& row : Table()) {
        const CommandInfo info = Info(row.cmd);
        if (!Of(row.cmd).read || !Applies(row.units, third, output))
            continue;
        const CommandKey key{row.cmd, row.index};
        if (!read.count(key)) {
            Values v;
            r = Of(row.cmd).read(Unit{d, row.index, orreryId, noMoves, nullptr}, v);
            // Potentiometers 2..5 are not on every unit.
            const bool tolerant = info.readTolerant || (row.cmd == Cmd::Pot && row.index >= 2);
            if (row.cmd == Cmd::MaxCh && r != 0) {
                failed[key] = true; // a channel the unit does not answer is left out
            } else if (tolerant ? r < 0 : r != 0) {
                return r;
            }
            read[key] = std::move(v);
        }
        if (failed.count(key))
            continue;
        if (row.section != section) {
            section = row.section;
            s.SetSection(section);
        }
        Values& v = read[key];
        switch (row.kind) {
        case Kind::Text: s.ExchangeString(row.key, row.field < int(v.text.size()) ? v.text[row.field] : ""); break;
        case Kind::Int: s.ExchangeInt(row.key, v.Int(row.field)); break;
        case Kind::Double: s.ExchangeDouble(row.key, v.At(row.field)); break;
        case Kind::Ints: s.ExchangeString(row.key, Joined(v.n, row.field, row.count)); break;
        }
    }
    return 0;
}

// --- restore ----------------------------------------------------------------------------------

namespace {

bool Chosen(Part part, bool factory, bool user)
{
    return (part == Part::Factory && factory) || (part == Part::User && user);
}

// The file as the restore reads it: every value of the parts chosen, by command, whatever the
// unit, read and checked before the first command.
struct FileValues {
    std::map<CommandKey, Values> values;
    std::map<CommandKey, Units> unitsOf;
    std::vector<CommandKey> order;      // the commands in file order
    std::vector<const Row*> unreadable; // missing or not scanning
    std::string pinText;
    bool hasSerial = false;
    std::string outOfRange;             // a line per value out of its range
};

// Scans one row's text into its command's values; a value out of its range adds its line to
// outOfRange. False when the text does not scan.
bool ScanRow(const Row& row, const std::string& text, Values& v, std::string& outOfRange)
{
    bool ok = true;
    std::vector<int> numbers;
    switch (row.kind) {
    case Kind::Text: break;
    case Kind::Int: {
        int n = 0;
        ok = platform::IniFile::IniTextToInteger(text, n);
        numbers = {n};
        v[row.field] = n;
        break;
    }
    case Kind::Double: {
        double n = 0;
        ok = platform::IniFile::IniTextToFloat(text, n) && std::isfinite(n);
        v[row.field] = n;
        if (ok && (n < row.lo - Slack(row.lo) || n > row.hi + Slack(row.hi)))
            outOfRange += OutOfRangeLine(row, text);
        break;
    }
    case Kind::Ints:
        ok = ScanInts(text, row.count, numbers);
        for (size_t i = 0; ok && i < numbers.size(); ++i)
            v[row.field + i] = numbers[i];
        break;
    }
    if (ok && row.kind != Kind::Double && row.kind != Kind::Text) {
        for (int n : numbers)
            if (n < row.lo || n > row.hi) {
                outOfRange += OutOfRangeLine(row, text);
                break;
            }
    }
    return ok;
}

FileValues ReadFileValues(const platform::IniFile& ini, bool factory, bool user)
{
    FileValues file;
    for (const Row& row : Table()) {
        const CommandInfo info = Info(row.cmd);
        if (!Chosen(info.part, factory, user))
            continue;
        if (info.whenSection && !ini.SectionExists(row.section))
            continue;
        const CommandKey key{row.cmd, row.index};
        if (!file.values.count(key)) {
            file.order.push_back(key);
            file.unitsOf[key] = row.units;
        }
        Values& v = file.values[key];
        const std::string text = TrimText(ini.ReadString(row.section, row.key, ""));
        const bool present = ini.ValueExists(row.section, row.key);
        if (row.optional && (!present || text.empty())) {
            v.complete = false;
            continue;
        }
        const bool ok = present && ScanRow(row, text, v, file.outOfRange);
        if (row.cmd == Cmd::Pin) {
            if (!present || text.empty() || text.size() > 8 ||
                text.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos)
                file.unreadable.push_back(&row);
            else
                file.pinText = text;
            continue;
        }
        if (row.cmd == Cmd::Serial) {
            file.hasSerial = ok;
            if (!ok)
                file.unreadable.push_back(&row);
            continue;
        }
        if (!ok) {
            v.complete = false;
            file.unreadable.push_back(&row);
        }
    }
    return file;
}

// Runs the device's commands through the step it had and notes every command the unit refused
// (a CSR the command does not fold to 0), in the order refused.
class RefusalRecorder final : public ITransactStep {
public:
    explicit RefusalRecorder(CDevice& d) : d_(d), inner_(d.TransactStep()) { d_.SetTransactStep(this); }
    ~RefusalRecorder() override { d_.SetTransactStep(inner_); }
    RefusalRecorder(const RefusalRecorder&) = delete;
    RefusalRecorder& operator=(const RefusalRecorder&) = delete;

    int Transact(CDevice& device, int command, bool ignoreCsr) override
    {
        // A CSR the command ignores comes back from the step as 0: no refusal.
        const int r = inner_ ? inner_->Transact(device, command, ignoreCsr) : device.LinkTransact(command, ignoreCsr);
        if (r > 0)
            refused_.push_back({command, r});
        return r;
    }
    // How many refusals so far.
    size_t Count() const { return refused_.size(); }
    // The refusals the restore went on past, alike ones counted together: all of them, or when it
    // stopped on a refusal (result, a CSR) all but that last one.
    std::vector<CConfigBackup::Refusal> PassedOver(int result = 0) const
    {
        size_t n = refused_.size();
        if (result > 0 && n > 0 && refused_.back().second == result)
            --n;
        std::vector<CConfigBackup::Refusal> out;
        for (size_t i = 0; i < n; ++i) {
            const int command = refused_[i].first;
            const int csr = refused_[i].second;
            const auto alike = std::find_if(out.begin(), out.end(), [&](const CConfigBackup::Refusal& f) {
                return f.command == command && f.csr == csr;
            });
            if (alike != out.end())
                ++alike->times;
            else
                out.push_back({command, csr, 1});
        }
        return out;
    }

private:
    CDevice& d_;
    ITransactStep* inner_;
    std::vector<std::pair<int, int>> refused_; // command, CSR
};

// "3 refusals: Cmd 84: CSR <text>; Cmd 87: CSR <text> (2 times)"
std::string RefusalsText(const std::vector<CConfigBackup::Refusal>& refusals)
{
    int count = 0;
    std::string list;
    for (const CConfigBackup::Refusal& f : refusals) {
        count += f.times;
        list += (list.empty() ? "" : "; ") + CStatusState::CommandResultText(f.command, f.csr, "", CDevice::CsrText(f.csr));
        if (f.times > 1)
            list += " (" + std::to_string(f.times) + " times)";
    }
    return std::to_string(count) + (count == 1 ? " refusal: " : " refusals: ") + list;
}

// A note as a line of its own: "\nTrajectory sets 3, 4 not written."
std::string NoteLine(const std::string& note)
{
    std::string line = "\n" + note + ".";
    line[1] = static_cast<char>(std::toupper(static_cast<unsigned char>(line[1])));
    return line;
}

// One restore's run: its device, the refusals noted on the way, what its sends left undone
// (notes), and the text of its closing box.
struct Run {
    CDevice& d;
    RefusalRecorder& recorder;
    std::string& outcome;
    std::vector<std::string> notes;
};

// How far a restore got: the commands the unit took of all it sends, or not counted yet
// (nothing of the file sent).
struct Progress {
    int done = 0;
    int total = -1;
};

// The restore's closing box, a warning, its text kept as the restore's outcome.
void Warn(std::string& outcome, const std::string& text)
{
    outcome = text;
    ShowWarning(calfile::RestoreWarnCaption, text);
}

// A command that fails ends the restore; the user is told how far it got and why, what it went
// on past before, and what the sends left undone. The result.
int Stopped(Run& run, const Progress& p, int result)
{
    const std::string why = result < 0 ? run.d.LastError() : "CSR " + CDevice::CsrText(result);
    std::string text;
    if (p.total < 0)
        text = "Restore stopped before the first command: " + why + ". Nothing of the file was sent.";
    else
        text = "Restore stopped after " + std::to_string(p.done) + " of " + std::to_string(p.total) +
               " commands: " + why + "." + (p.done > 0 ? " The unit holds part of the file." : "");
    const std::vector<CConfigBackup::Refusal> passed = run.recorder.PassedOver(result);
    if (!passed.empty())
        text += "\nBefore the stop the restore went on past " + RefusalsText(passed);
    for (const std::string& note : run.notes)
        text += NoteLine(note);
    Warn(run.outcome, text);
    return result;
}

// The PIN the unit will have once restored; the sections that apply follow it.
struct PinAfter {
    uint32_t pin = 0;
    bool write = false; // the file's PIN, written before the first command
};

// The unit's PIN as the restore starts, or in the factory part the file's when the user agrees
// to write it; the factory part first checks the file's serial number against the unit's. 0,
// Refused, or the failing result (reported).
int SettlePin(Run& run, const FileValues& file, bool factory, PinAfter& after)
{
    CDevice& d = run.d;
    int r = d.ReadPin();
    if (r != 0)
        return Stopped(run, {}, r);
    after = {d.Pin(), false};
    if (!factory)
        return 0;
    const auto serial = file.values.find({Cmd::Serial, 0});
    const int sn = serial == file.values.end() ? 0 : serial->second.Int(0);
    if (file.hasSerial && sn != 0) {
        uint32_t unitSn = 0;
        if ((r = d.ReadSerialNumber(unitSn)) != 0)
            return Stopped(run, {}, r);
        if (unitSn != 0 && unitSn != static_cast<uint32_t>(sn)) {
            Warn(run.outcome, "Serial number of calibration file (" + std::to_string(sn) +
                                  ")\ndoes not match serial number of the unit (" + std::to_string(unitSn) + ")");
            return Refused;
        }
    }
    if (!file.pinText.empty()) {
        const auto pin = static_cast<uint32_t>(std::stoul(file.pinText, nullptr, 16));
        if (pin != d.Pin()) {
            if (!AskYesNo(calfile::RestoreWarnCaption,
                          "New PIN (" + Hex8(pin) + ") does not match current Vantrel PIN (" + Hex8(d.Pin()) +
                              ")\nSet new PIN and continue ?"))
                return Refused;
            after = {pin, true};
        }
    }
    return 0;
}

// The commands the unit is sent, in the order they are declared, the sensors one after the
// other, each with all of its commands: those the unit has, whose values the file holds.
std::vector<CommandKey> SendOrder(const FileValues& file, bool third, bool output)
{
    std::vector<CommandKey> order = file.order;
    std::erase_if(order, [&](const CommandKey& k) {
        return !Applies(file.unitsOf.at(k), third, output) || !file.values.at(k).complete || !Of(k.first).write;
    });
    auto rank = [](const CommandKey& k) {
        const bool sensor = k.first == Cmd::SensorAver || k.first == Cmd::SensorPoff || k.first == Cmd::SensorCal;
        return std::make_tuple(sensor ? Cmd::SensorAver : k.first, sensor ? k.second : 0, k.first, k.second);
    };
    std::stable_sort(order.begin(), order.end(),
                     [&](const CommandKey& a, const CommandKey& b) { return rank(a) < rank(b); });
    return order;
}

// Sends the PIN when it changes, the commands, and the mode last: the file's when the user part
// was restored, else the mode 2 the restore began with. A command counts as taken when it
// succeeded with no refusal on the way. 0 or the failing result (reported).
int SendFile(Run& run, const FileValues& file, const PinAfter& pin, const std::vector<CommandKey>& order,
             bool user, const CConfigBackup::Moves& moves)
{
    CDevice& d = run.d;
    Progress progress{0, int(pin.write) + int(order.size()) + 1};
    int r = 0;
    if (pin.write) {
        if ((r = d.WritePin(pin.pin)) != 0)
            return Stopped(run, progress, r);
        ++progress.done;
    }
    const std::string noId;
    for (const CommandKey& key : order) {
        const size_t refusedBefore = run.recorder.Count();
        r = Of(key.first).write(Unit{d, key.second, noId, moves, &run.notes}, file.values.at(key));
        if (Info(key.first).writeTolerant ? r < 0 : r != 0)
            return Stopped(run, progress, r);
        if (r == 0 && run.recorder.Count() == refusedBefore)
            ++progress.done;
    }
    int mode = 2;
    const auto fileMode = file.values.find({Cmd::Mode, 0});
    if (user && fileMode != file.values.end() && fileMode->second.complete)
        mode = fileMode->second.Int(0);
    if ((r = d.SetMode(mode)) < 0)
        return Stopped(run, progress, r);
    return 0;
}

} // namespace

int CConfigBackup::ReadConfiguration(const platform::IniFile& ini, bool factory, bool user,
                                     const Moves& moves)
{
    CDevice& d = device_;
    skipped_.clear();
    refusals_.clear();
    outcome_.clear();
    if (!ini.SectionExists(calfile::IdSection)) {
        Warn(outcome_, calfile::WrongFile);
        return Refused;
    }
    // Every value the restore could send is read and checked before the first command, whatever
    // the unit: which sections apply is known only once the PIN the unit will have is settled.
    const FileValues file = ReadFileValues(ini, factory, user);
    if (!file.outOfRange.empty()) {
        Warn(outcome_, std::string(calfile::OutOfRangeText) + file.outOfRange);
        return Refused;
    }

    RefusalRecorder recorder(d);
    Run run{d, recorder, outcome_, {}};
    int r = d.SetMode(2);
    if (r != 0)
        return Stopped(run, {}, r);
    PinAfter pin;
    if ((r = SettlePin(run, file, factory, pin)) != 0)
        return r;
    const bool third = CUnitState::PinHas3rdCap(pin.pin);
    const bool output = CUnitState::PinHasOutputSensor(pin.pin);
    for (const Row* row : file.unreadable)
        if (Applies(row->units, third, output))
            skipped_.push_back(row->section + "/" + row->key);

    r = SendFile(run, file, pin, SendOrder(file, third, output), user, moves);
    refusals_ = recorder.PassedOver(r);
    if (r != 0)
        return r;
    if (!skipped_.empty()) {
        std::string list;
        for (const std::string& key : skipped_)
            list += "\n" + key;
        ShowWarning(calfile::RestoreWarnCaption, std::string(calfile::SkippedText) + list);
    }
    if (refusals_.empty() && run.notes.empty()) {
        outcome_ = calfile::CompletedOk;
        ShowMessageBox(calfile::RestoreCaption, outcome_);
        return 0;
    }
    // All sent, not all taken or confirmed: the commands the restore went on past when the unit
    // refused them, and what the sends left undone.
    size_t note = 0;
    if (!refusals_.empty())
        outcome_ = "Completed with " + RefusalsText(refusals_);
    else
        outcome_ = "Completed, but " + run.notes[note++] + ".";
    for (; note < run.notes.size(); ++note)
        outcome_ += NoteLine(run.notes[note]);
    ShowWarning(calfile::RestoreCaption, outcome_);
    return 0;
}

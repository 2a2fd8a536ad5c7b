#include "service/Configbackup.h"

#include "common/Helpers.h"
#include "common/Registry.h"
#include "device/Device.h"
#include "platform/Inifile.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <optional>
#include <sstream>

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

const char* const SensorKeys[8] = {"p0", "q0", "i20", "rr", "rx", "xr", "xx", "pwr"};
const char* const SensorSections[2] = {"Input Sensor", "Output Sensor"};

std::string Hex8(uint32_t v)
{
    char text[16];
    std::snprintf(text, sizeof text, "%08X", v);
    return text;
}

// A trajectory point index as the unit reads it: 4 or more is 0.
int PointIndex(int n) { return n >= 0 && n < CTrajectory::Points ? n : 0; }

// Integers joined by commas, and scanned back: exactly `count` integers or nothing.
std::string Joined(std::initializer_list<int> values)
{
    std::string s;
    for (int v : values)
        s += (s.empty() ? "" : ",") + std::to_string(v);
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

// Reads keys of one section of the restored file; a key that is missing or does not scan is
// noted as skipped and gives nothing.
class KeyReader {
public:
    KeyReader(const platform::IniFile& ini, std::vector<std::string>& skipped)
        : ini_(ini), skipped_(skipped)
    {
    }
    void Section(const char* name) { section_ = name; }
    bool Exists() const { return ini_.SectionExists(section_); }
    bool Has(const std::string& key) const { return ini_.ValueExists(section_, key); }
    std::string Text(const std::string& key) const { return TrimText(ini_.ReadString(section_, key, "")); }
    std::optional<int> Int(const std::string& key)
    {
        int v = 0;
        if (Has(key) && platform::IniFile::IniTextToInteger(Text(key), v))
            return v;
        Skip(key);
        return std::nullopt;
    }
    std::optional<double> Double(const std::string& key)
    {
        double v = 0;
        if (Has(key) && platform::IniFile::IniTextToFloat(Text(key), v) && std::isfinite(v))
            return v;
        Skip(key);
        return std::nullopt;
    }
    void Skip(const std::string& key) { skipped_.push_back(section_ + "/" + key); }

private:
    const platform::IniFile& ini_;
    std::vector<std::string>& skipped_;
    std::string section_;
};

// All present, or none used.
template <typename... T> bool All(const std::optional<T>&... v) { return (v.has_value() && ...); }

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

    // Each read ends the save on any non-zero result, or (tolerant) only on a link error.
    auto fails = [&](int result, bool tolerant = false) {
        r = result;
        return tolerant ? result < 0 : result != 0;
    };

    s.SetSection(calfile::IdSection);
    s.ExchangeString("Type", d.ModelText());
    std::string text;
    if (fails(d.ReadProductId(text)))
        return r;
    s.ExchangeString("PartNum", text);
    if (fails(d.ReadVersionText(text)))
        return r;
    s.ExchangeString("Xilinx", text);
    s.ExchangeString("Orrery ID", orreryId);
    s.ExchangeString("Orrery Date", calfile::OrreryDate);

    s.SetSection("Config");
    uint32_t serial = 0;
    if (fails(d.ReadSerialNumber(serial), true))
        return r;
    s.ExchangeInt("SN", static_cast<int>(serial));
    s.ExchangeString("PIN_String", Hex8(d.Pin()));
    int mode = 0;
    if (fails(d.ReadMode(mode), true))
        return r;
    s.ExchangeInt("Mode", mode);
    if (fails(d.ReadPresetMode(mode), true))
        return r;
    s.ExchangeInt("PresetMode", mode);
    if (fails(d.ReadExtPresetMode(mode), true))
        return r;
    s.ExchangeInt("ExtPresetMode", mode);
    if (fails(d.ReadCapSteps()))
        return r;
    s.ExchangeInt("ShTotal", d.CapTotal(0));
    s.ExchangeInt("ShOffset", d.CapOffset(0));
    s.ExchangeInt("SerTotal", d.CapTotal(1));
    s.ExchangeInt("SerOffset", d.CapOffset(1));
    if (fails(d.ReadCapRange()))
        return r;
    s.ExchangeDouble("ShCMax", d.CapToPf(0, 100.0));
    s.ExchangeDouble("ShCMin", d.CapToPf(0, 0.0));
    s.ExchangeDouble("SerCMax", d.CapToPf(1, 100.0));
    s.ExchangeDouble("SerCMin", d.CapToPf(1, 0.0));
    if (third) {
        if (fails(d.Read3capSteps()))
            return r;
        s.ExchangeInt("3CapTotal", d.CapTotal(2));
        s.ExchangeInt("3CapOffset", d.CapOffset(2));
        if (fails(d.Read3capRange()))
            return r;
        s.ExchangeDouble("3CapCMax", d.CapToPf(2, 100.0));
        s.ExchangeDouble("3CapCMin", d.CapToPf(2, 0.0));
    }

    s.SetSection("Capacitors");
    if (fails(d.ReadCapLimits()))
        return r;
    s.ExchangeDouble("ShMax", d.CapMax(0));
    s.ExchangeDouble("ShMin", d.CapMin(0));
    s.ExchangeDouble("SerMax", d.CapMax(1));
    s.ExchangeDouble("SerMin", d.CapMin(1));

    for (int sensor = 0; sensor < (output ? 2 : 1); ++sensor) {
        s.SetSection(SensorSections[sensor]);
        int aver = 0, poff = 0;
        std::array<uint16_t, 8> words{};
        if (fails(d.ReadSensorAver(sensor, aver)))
            return r;
        s.ExchangeInt("Aver", calfile::AverToCount(aver));
        if (fails(d.ReadSensorPoff(sensor, poff)))
            return r;
        s.ExchangeInt("Poff", poff);
        if (fails(d.ReadSensorCal(sensor, words)))
            return r;
        for (int i = 0; i < 8; ++i)
            s.ExchangeInt(SensorKeys[i], words[i]);
    }

    s.SetSection("Tuning_new");
    CTuning t;
    if (fails(d.ReadTuning(t)))
        return r;
    double rTarget = 50.0, xTarget = 0.0;
    if (fails(d.ReadTarget(rTarget, xTarget), true))
        return r;
    s.ExchangeDouble("Stop", t.stop);
    s.ExchangeDouble("Start", t.start);
    s.ExchangeInt("RflStop", t.rflStop);
    s.ExchangeInt("RflStart", t.rflStart);
    s.ExchangeDouble("MaxShStep", t.maxShStep);
    s.ExchangeDouble("MinShStep", t.minShStep);
    s.ExchangeDouble("MaxSertep", t.maxSerStep);
    s.ExchangeDouble("MinSerStep", t.minSerStep);
    s.ExchangeDouble("MagtoSh", t.magToSh);
    s.ExchangeDouble("PhasetoSh", t.phaseToSh);
    s.ExchangeDouble("MagtoSer", t.magToSer);
    s.ExchangeDouble("PhasetoSer", t.phaseToSer);
    s.ExchangeInt("Alg", t.option1);
    s.ExchangeInt("HoldShunt", t.option2);
    s.ExchangeInt("Integral", t.option3);
    s.ExchangeDouble("RTarget", rTarget);
    s.ExchangeDouble("XTarget", xTarget);

    s.SetSection("Trajectories");
    if (fails(d.ReadTrajectories()) || fails(d.ReadTrajectory()))
        return r;
    s.ExchangeInt("Preset", d.ActiveTrajectory());
    for (int i = 0; i < CUnitState::TrajectoryCount; ++i) {
        const CTrajectory& tr = d.Trajectory(i);
        const std::string n = std::to_string(i);
        s.ExchangeInt("N" + n, tr.lastIndex);
        for (int j = 0; j < CTrajectory::Points; ++j) {
            const std::string ij = n + std::to_string(j);
            s.ExchangeDouble("Sh" + ij, tr.load[j]);
            s.ExchangeDouble("Ser" + ij, tr.tune[j]);
            s.ExchangeDouble("Delay" + ij, tr.values[j]);
        }
    }

    if (third) {
        s.SetSection("3Cap");
        if (fails(d.Read3capLimits()) || fails(d.Read3capPresetSel()))
            return r;
        s.ExchangeDouble("Max", d.CapMax(2));
        s.ExchangeDouble("Min", d.CapMin(2));
        s.ExchangeInt("Preset", d.ThirdCapActivePreset());
        for (int i = 0; i < CUnitState::ThirdCapPresets; ++i) {
            double v = 0;
            if (fails(d.Read3capPresetN(i, v)))
                return r;
            s.ExchangeDouble("Preset" + std::to_string(i), v);
        }
        int aver = 0;
        if (fails(d.Read3capAver(aver)))
            return r;
        s.ExchangeInt("Aver", calfile::AverToCount(aver));
        C3capSensorCal cal;
        if (fails(d.Read3capSensorCal(cal)))
            return r;
        s.ExchangeInt("i1off", cal.i1off);
        s.ExchangeInt("i2off", cal.i2off);
        s.ExchangeInt("voff", cal.voff);
        s.ExchangeInt("i1scale", cal.i1scale);
        s.ExchangeInt("i2scale", cal.i2scale);
        s.ExchangeInt("vscale", cal.vscale);
        C3capControl c;
        if (fails(d.Read3capControl(c)))
            return r;
        s.ExchangeInt("Timer", c.timer);
        s.ExchangeInt("Gain", c.gain);
        s.ExchangeInt("MaxStep", c.maxStep);
        s.ExchangeInt("Error", c.error);
        int level = 0;
        if (fails(d.Read3capVLevel(level)))
            return r;
        s.ExchangeInt("VLevel", level);
    }

    s.SetSection("SDAC");
    for (int ch = 0; ch < 4; ++ch) {
        int w1 = 0, w2 = 0;
        if (fails(d.ReadSdac(ch, w1, w2)))
            return r;
        s.ExchangeString("Ch" + std::to_string(ch), Joined({w1, w2}));
    }
    for (int ch = 2; ch < 4; ++ch) {
        int w = 0;
        if (d.ReadMaxCh(ch, w) == 0) // a channel the unit does not answer is left out
            s.ExchangeInt("Max_Ch" + std::to_string(ch), w);
    }

    s.SetSection("SADC");
    for (int ch = 0; ch < 8; ++ch) {
        int w1 = 0, w2 = 0, w3 = 0;
        if (fails(d.ReadSadc(ch, w1, w2, w3)))
            return r;
        s.ExchangeString("Ch" + std::to_string(ch),
                         Joined({int16_t(w1), int16_t(w2), int16_t(w3)}));
    }

    s.SetSection("Potentiometer");
    const char* const potKeys[6] = {"DC_bias", "RF_peak", "Pot0", "Pot1", "Pot2", "Pot3"};
    for (int pot = 0; pot < 6; ++pot) {
        int v = 0;
        if (fails(d.ReadPot(pot, v), pot >= 2))
            return r;
        s.ExchangeInt(potKeys[pot], v);
    }

    s.SetSection("Position");
    if (fails(d.ReadPositions()))
        return r;
    s.ExchangeDouble("Sh", d.Position(0));
    s.ExchangeDouble("Ser", d.Position(1));
    if (third) {
        if (fails(d.Read3capPosition(), true))
            return r;
        s.ExchangeDouble("3cap", d.Position(2));
    }
    return 0;
}

// --- restore ----------------------------------------------------------------------------------

int CConfigBackup::ReadConfiguration(const platform::IniFile& ini, bool factory, bool user,
                                     const Moves& moves)
{
    CDevice& d = device_;
    skipped_.clear();
    KeyReader k(ini, skipped_);
    k.Section(calfile::IdSection);
    if (!k.Exists()) {
        ShowWarning(calfile::RestoreWarnCaption, calfile::WrongFile);
        return Refused;
    }
    int r = d.SetMode(2);
    if (r != 0)
        return r;
    // Runs a command and tells whether the restore stops: on any non-zero result, or (tolerant)
    // only on a link error.
    auto stops = [&](int result, bool tolerant = false) {
        r = result;
        return tolerant ? result < 0 : result != 0;
    };

    k.Section("Config");
    if (factory) {
        if (stops(d.ReadPin()))
            return r;
        if (k.Has("SN")) {
            const auto sn = k.Int("SN");
            if (sn && *sn != 0) {
                uint32_t unitSn = 0;
                if (stops(d.ReadSerialNumber(unitSn)))
                    return r;
                if (unitSn != 0 && unitSn != static_cast<uint32_t>(*sn)) {
                    ShowWarning(calfile::RestoreWarnCaption,
                                "Serial number of calibration file (" + std::to_string(*sn) +
                                    ")\ndoes not match serial number of the unit (" +
                                    std::to_string(unitSn) + ")");
                    return Refused;
                }
            }
        }
        uint32_t pin = 0;
        const std::string pinText = k.Text("PIN_String");
        if (!k.Has("PIN_String") || pinText.empty() || pinText.size() > 8 ||
            pinText.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos) {
            k.Skip("PIN_String");
        } else {
            pin = static_cast<uint32_t>(std::stoul(pinText, nullptr, 16));
            if (pin != d.Pin()) {
                if (!AskYesNo(calfile::RestoreWarnCaption,
                              "New PIN (" + Hex8(pin) + ") does not match current Vantrel PIN (" +
                                  Hex8(d.Pin()) + ")\nSet new PIN and continue ?"))
                    return Refused;
                if (stops(d.WritePin(pin)))
                    return r;
            }
        }
        const auto shT = k.Int("ShTotal"), shO = k.Int("ShOffset"), seT = k.Int("SerTotal"),
                   seO = k.Int("SerOffset");
        if (All(shT, shO, seT, seO) && stops(d.WriteCapSteps(*shT, *seT, *shO, *seO)))
            return r;
        const auto shMax = k.Double("ShCMax"), shMin = k.Double("ShCMin"),
                   seMax = k.Double("SerCMax"), seMin = k.Double("SerCMin");
        if (All(shMax, shMin, seMax, seMin) && stops(d.WriteCapRange(*shMax, *seMax, *shMin, *seMin)))
            return r;
    }
    std::optional<int> finalMode;
    if (user) {
        finalMode = k.Int("Mode");
        if (const auto v = k.Int("PresetMode"); v && stops(d.SetPresetMode(*v), true))
            return r;
        if (const auto v = k.Int("ExtPresetMode"); v && stops(d.SetExtPresetMode(*v, false), true))
            return r;
    }
    const bool third = d.Has3rdCap();
    if (third && factory) {
        const auto total = k.Int("3CapTotal"), offset = k.Int("3CapOffset");
        if (All(total, offset) && stops(d.Write3capSteps(*total, *offset)))
            return r;
        const auto cMax = k.Double("3CapCMax"), cMin = k.Double("3CapCMin");
        if (All(cMax, cMin) && stops(d.Write3capRange(*cMax, *cMin)))
            return r;
    }

    if (user) {
        k.Section("Capacitors");
        const auto shMax = k.Double("ShMax"), shMin = k.Double("ShMin"), seMax = k.Double("SerMax"),
                   seMin = k.Double("SerMin");
        if (All(shMax, shMin, seMax, seMin) && stops(d.WriteCapLimits(*shMin, *seMin, *shMax, *seMax), true))
            return r;
    }

    if (factory) {
        for (int sensor = 0; sensor < (d.HasOutputSensor() ? 2 : 1); ++sensor) {
            k.Section(SensorSections[sensor]);
            if (const auto v = k.Int("Aver"); v && stops(d.SetSensorAver(sensor, calfile::CountToAver(*v)), true))
                return r;
            if (const auto v = k.Int("Poff"); v && stops(d.SetSensorPoff(sensor, *v), true))
                return r;
            std::array<uint16_t, 8> words{};
            bool all = true;
            for (int i = 0; i < 8; ++i) {
                const auto v = k.Int(SensorKeys[i]);
                all = all && v;
                if (v)
                    words[i] = ClampToWord(*v);
            }
            if (all && stops(d.WriteSensorCal(sensor, words), true))
                return r;
        }
    }

    if (user) {
        // The older section first, converted; the newer one wins when both are there.
        for (const bool older : {true, false}) {
            k.Section(older ? "Tuning" : "Tuning_new");
            if (!k.Exists())
                continue;
            CTuning t;
            bool all = true;
            auto vswr = [&](const char* key, double& out) {
                if (older) {
                    const auto v = k.Int(key);
                    all = all && v;
                    if (v)
                        out = calfile::OldWordToVswr(*v);
                } else {
                    const auto v = k.Double(key);
                    all = all && v;
                    if (v)
                        out = *v;
                }
            };
            auto scaled = [&](const char* key, double& out, double scale) {
                if (older) {
                    const auto v = k.Int(key);
                    all = all && v;
                    if (v)
                        out = *v * scale;
                } else {
                    const auto v = k.Double(key);
                    all = all && v;
                    if (v)
                        out = *v;
                }
            };
            auto integer = [&](const char* key, int& out) {
                const auto v = k.Int(key);
                all = all && v;
                if (v)
                    out = *v;
            };
            vswr("Stop", t.stop);
            vswr("Start", t.start);
            integer("RflStop", t.rflStop);
            integer("RflStart", t.rflStart);
            scaled("MaxShStep", t.maxShStep, 0.01);
            scaled("MinShStep", t.minShStep, 0.01);
            scaled("MaxSertep", t.maxSerStep, 0.01);
            scaled("MinSerStep", t.minSerStep, 0.01);
            scaled("MagtoSh", t.magToSh, 1 / 1024.0);
            scaled("PhasetoSh", t.phaseToSh, 1 / 1024.0);
            scaled("MagtoSer", t.magToSer, 1 / 1024.0);
            scaled("PhasetoSer", t.phaseToSer, 1 / 1024.0);
            integer("Alg", t.option1);
            integer("HoldShunt", t.option2);
            integer("Integral", t.option3);
            if (all && stops(d.WriteTuning(t), true))
                return r;
            const auto rt = k.Double("RTarget"), xt = k.Double("XTarget");
            if (All(rt, xt) && stops(d.WriteTarget(*rt, *xt), true))
                return r;
        }

        k.Section("Trajectories");
        const auto preset = k.Int("Preset");
        bool all = true;
        std::array<CTrajectory, CUnitState::TrajectoryCount> sets{};
        for (int i = 0; i < CUnitState::TrajectoryCount; ++i) {
            const std::string n = std::to_string(i);
            const auto last = k.Int("N" + n);
            all = all && last;
            sets[i].lastIndex = last ? PointIndex(*last) : 0;
            for (int j = 0; j < CTrajectory::Points; ++j) {
                const std::string ij = n + std::to_string(j);
                const auto sh = k.Double("Sh" + ij), ser = k.Double("Ser" + ij), delay = k.Double("Delay" + ij);
                all = all && All(sh, ser, delay);
                if (All(sh, ser, delay)) {
                    sets[i].load[j] = *sh;
                    sets[i].tune[j] = *ser;
                    sets[i].values[j] = *delay;
                }
            }
        }
        if (all && preset) {
            for (int i = 0; i < CUnitState::TrajectoryCount; ++i)
                d.Trajectory(i) = sets[i];
            if (stops(d.SelectTrajectory(PointIndex(*preset)), true) || stops(d.WriteTrajectories(), true))
                return r;
        }
    }

    if (third) {
        k.Section("3Cap");
        if (user) {
            if (const auto v = k.Int("Aver"); v && stops(d.Write3capAver(calfile::CountToAver(*v)), true))
                return r;
            const auto max = k.Double("Max"), min = k.Double("Min");
            if (All(max, min) && stops(d.Write3capLimits(*min, *max), true))
                return r;
            const auto preset = k.Int("Preset");
            for (int i = 0; i < CUnitState::ThirdCapPresets; ++i)
                if (const auto v = k.Double("Preset" + std::to_string(i)); v && stops(d.Write3capPresetN(i, *v), true))
                    return r;
            if (preset && stops(d.Write3capPresetSel(PointIndex(*preset)), true))
                return r;
            const auto timer = k.Int("Timer"), gain = k.Int("Gain"), maxStep = k.Int("MaxStep"),
                       error = k.Int("Error");
            if (All(timer, gain, maxStep, error)) {
                C3capControl c;
                c.timer = *timer;
                c.gain = *gain;
                c.maxStep = *maxStep;
                c.error = *error;
                if (stops(d.Write3capControl(c), true))
                    return r;
            }
            if (const auto v = k.Int("VLevel"); v && stops(d.Write3capVLevel(*v), true))
                return r;
        }
        if (factory) {
            const auto a = k.Int("i1off"), b = k.Int("i2off"), c = k.Int("voff"), e = k.Int("i1scale"),
                       f = k.Int("i2scale"), g = k.Int("vscale");
            if (All(a, b, c, e, f, g)) {
                C3capSensorCal cal{*a, *b, *c, *e, *f, *g};
                if (stops(d.Write3capSensorCal(cal), true))
                    return r;
            }
        }
    }

    if (factory) {
        std::vector<int> w;
        k.Section("SDAC");
        for (int ch = 0; ch < 4; ++ch) {
            const std::string key = "Ch" + std::to_string(ch);
            const std::string text = k.Text(key);
            if (text.empty())
                continue;
            if (!ScanInts(text, 2, w)) {
                k.Skip(key);
                continue;
            }
            if (stops(d.WriteSdac(ch, w[0], w[1]), true))
                return r;
        }
        for (int ch = 2; ch < 4; ++ch) {
            const std::string key = "Max_Ch" + std::to_string(ch);
            if (!k.Has(key))
                continue;
            if (const auto v = k.Int(key); v && stops(d.WriteMaxCh(ch, *v), true))
                return r;
        }
        k.Section("SADC");
        for (int ch = 0; ch < 8; ++ch) {
            const std::string key = "Ch" + std::to_string(ch);
            const std::string text = k.Text(key);
            if (text.empty())
                continue;
            if (!ScanInts(text, 3, w)) {
                k.Skip(key);
                continue;
            }
            if (stops(d.WriteSadc(ch, w[0], w[1], w[2]), true))
                return r;
        }
        k.Section("Potentiometer");
        const char* const potKeys[6] = {"DC_bias", "RF_peak", "Pot0", "Pot1", "Pot2", "Pot3"};
        for (int pot = 0; pot < 6; ++pot) {
            if (k.Text(potKeys[pot]).empty())
                continue;
            if (const auto v = k.Int(potKeys[pot]); v && stops(d.SetPot(pot, *v), true))
                return r;
        }
    }

    if (user) {
        k.Section("Position");
        const auto sh = k.Double("Sh"), ser = k.Double("Ser");
        if (All(sh, ser) && moves.MoveCapacitors)
            moves.MoveCapacitors(*sh, *ser);
        if (third) {
            if (const auto v = k.Double("3cap"); v && moves.Move3rdCap)
                moves.Move3rdCap(*v);
        }
        if (finalMode && stops(d.SetMode(*finalMode), true))
            return r;
    }
    if (!skipped_.empty()) {
        std::string list;
        for (const std::string& key : skipped_)
            list += "\n" + key;
        ShowWarning(calfile::RestoreWarnCaption, std::string(calfile::SkippedText) + list);
    }
    ShowMessageBox(calfile::RestoreCaption, calfile::CompletedOk);
    return 0;
}

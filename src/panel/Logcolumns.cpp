#include "panel/Logcolumns.h"

#include "common/Helpers.h"
#include "common/Registry.h"
#include "device/Datarec.h"
#include "device/Var.h"

#include <cstdio>

namespace {

using V = LogValue;
constexpr int Logger = CLogColumn::SourceLogger;
constexpr int Unit = CLogColumn::SourceUnit;

CLogColumn Col(const char* name, int source, LogValue value, int varId = 0)
{
    CLogColumn c;
    c.Name = name;
    c.Source = source;
    c.Value = value;
    c.VarId = varId;
    return c;
}

CLogTable Start(bool extended)
{
    if (!extended)
        return {Col("Sample number", Logger, V::SampleNumber),
                Col("Timestamp (ms)", Logger, V::Milliseconds), Col("Status", Unit, V::Status)};
    return {Col("Sample number", Logger, V::SampleNumber), Col("Milliseconds", Logger, V::Milliseconds),
            Col("Hours", Logger, V::Hours), Col("Minutes", Logger, V::Minutes),
            Col("Seconds", Logger, V::Seconds), Col("Status", Unit, V::Status)};
}

void Add(CLogTable& t, std::initializer_list<CLogColumn> cols) { t.insert(t.end(), cols); }

const CLogColumn RxgP[] = {Col("R", Unit, V::R, varid::R), Col("X", Unit, V::X, varid::X),
                           Col("Gamma", Unit, V::Gamma, varid::Gamma),
                           Col("P", Unit, V::Power, varid::DeliveredPower)};

void AddRxgP(CLogTable& t) { t.insert(t.end(), std::begin(RxgP), std::end(RxgP)); }
void AddThirdCap(CLogTable& t)
{
    Add(t, {Col("Ratio", Unit, V::Model0, varid::CurrentRatio), Col("I1", Unit, V::Model1, varid::Current1),
            Col("I2", Unit, V::Model2, varid::Current2)});
}
void AddLoadTune(CLogTable& t)
{
    Add(t, {Col("Load", Unit, V::Load, varid::LoadPosition), Col("Tune", Unit, V::Tune, varid::TunePosition)});
}
void AddExtras(CLogTable& t)
{
    Add(t, {Col("Temp", Unit, V::Temp, varid::Temp), Col("RF peak", Unit, V::RfPeak, varid::RfPeak),
            Col("DC bias", Unit, V::DcBias, varid::DcBias), Col("RF cap", Unit, V::RfCap, varid::RfCap)});
}
void AddFaults(CLogTable& t)
{
    Add(t, {Col("Fault0", Unit, V::Fault0), Col("Fault1", Unit, V::Fault1)});
}
const CLogColumn ThirdCapPosition = Col("3rd Cap", Unit, V::Model3, varid::ThirdCapPosition);

std::string Hex(uint32_t value, int digits)
{
    char buf[16];
    std::snprintf(buf, sizeof buf, "%0*X", digits, value);
    return buf;
}

std::string TwoDigits(int value)
{
    char buf[16];
    std::snprintf(buf, sizeof buf, "%02d", value);
    return buf;
}

} // namespace

CLogColumns::CLogColumns()
{
    CLogTable& t1 = tables_[0]; // Basic, two capacitors
    t1 = Start(false);
    AddRxgP(t1);
    AddLoadTune(t1);
    AddFaults(t1);

    CLogTable& t2 = tables_[1]; // Extended, two capacitors
    t2 = Start(true);
    AddRxgP(t2);
    AddLoadTune(t2);
    AddExtras(t2);
    AddFaults(t2);

    CLogTable& t3 = tables_[2]; // Basic, third capacitor
    t3 = Start(false);
    AddRxgP(t3);
    AddThirdCap(t3);
    AddLoadTune(t3);
    t3.push_back(ThirdCapPosition);
    AddFaults(t3);

    CLogTable& t4 = tables_[3]; // Extended, third capacitor
    t4 = Start(true);
    AddRxgP(t4);
    AddThirdCap(t4);
    AddLoadTune(t4);
    t4.push_back(ThirdCapPosition);
    AddExtras(t4);
    AddFaults(t4);

    CLogTable& t5 = tables_[4]; // Extended, output sensor
    t5 = Start(true);
    AddRxgP(t5);
    Add(t5, {Col("R load", Unit, V::Model0, varid::RLoad), Col("X load", Unit, V::Model1, varid::XLoad),
             Col("P load", Unit, V::Model3, varid::LoadPower)});
    AddLoadTune(t5);
    AddExtras(t5);
    AddFaults(t5);
}

int CLogColumns::TableFor(int format, bool has3rdCap, bool hasOutputSensor)
{
    if (format == FormatBasic)
        return has3rdCap ? 3 : 1;
    if (format == FormatExtended)
        return has3rdCap ? 4 : hasOutputSensor ? 5 : 2;
    return 0;
}

CLogTable& CLogColumns::Table(int table)
{
    if (table < 1 || table > TableCount) {
        none_.clear();
        return none_;
    }
    return tables_[table - 1];
}

const CLogTable& CLogColumns::Table(int table) const
{
    return const_cast<CLogColumns*>(this)->Table(table);
}

std::string CLogColumns::Flags(int table) const
{
    std::string flags;
    for (const CLogColumn& c : Table(table))
        flags += c.Enabled ? '1' : '0';
    return flags;
}

void CLogColumns::SetFlags(int table, const std::string& flags)
{
    CLogTable& t = Table(table);
    for (size_t i = 0; i < flags.size() && i < t.size(); ++i)
        t[i].Enabled = flags[i] == '1';
}

void CLogColumns::ExchangeColumnFlags(CRegistry& store, const std::string& key, int table)
{
    if (store.Reading())
        SetFlags(table, store.ExchangeString(key, ""));
    else
        store.ExchangeString(key, Flags(table));
}

bool CLogColumns::NeedsUnit(const CLogTable& columns)
{
    for (const CLogColumn& c : columns)
        if (c.Enabled && c.Source == CLogColumn::SourceUnit)
            return true;
    return false;
}

// --- lines ------------------------------------------------------------------------------------

CLogLineFormat::CLogLineFormat(const CVars& vars, platform::NumberFormat format)
    : vars_(vars), format_(format)
{
}

std::string CLogLineFormat::Names(const CLogTable& columns) const
{
    std::string line;
    for (const CLogColumn& c : columns) {
        if (!c.Enabled || c.Source < 0)
            continue;
        if (!line.empty())
            line += format_.ListSeparator();
        line += c.Name;
    }
    return line;
}

std::string CLogLineFormat::Values(const CLogTable& columns, const CLogRecord& record) const
{
    std::string line;
    line.reserve(256);
    for (const CLogColumn& c : columns) {
        if (!c.Enabled || c.Source < 0)
            continue;
        if (!line.empty())
            line += format_.ListSeparator();
        line += ValueText(c, record);
    }
    return line;
}

std::string CLogLineFormat::ValueText(const CLogColumn& c, const CLogRecord& rec) const
{
    const CLiveSample& s = rec.Live;
    double value = 0;
    switch (c.Value) {
    case V::SampleNumber: return std::to_string(rec.SampleNumber);
    case V::Milliseconds: return std::to_string(rec.Milliseconds);
    case V::Hours: return TwoDigits(rec.Hour);
    case V::Minutes: return TwoDigits(rec.Minute);
    case V::Seconds: return TwoDigits(rec.Second);
    case V::Status: return Hex(s.status & 0xFFFF, 4);
    case V::Fault0: return Hex(s.statusBytes[0], 8);
    case V::Fault1: return Hex(s.statusBytes[1], 8);
    case V::R: value = s.r; break;
    case V::X: value = s.x; break;
    case V::Gamma: value = s.gamma; break;
    case V::Power: value = s.power; break;
    case V::Model0: value = s.w4; break;
    case V::Model1: value = s.w5; break;
    case V::Model2: value = s.w6; break;
    case V::Model3: value = s.w7; break;
    case V::Load: value = s.load; break;
    case V::Tune: value = s.tune; break;
    case V::Temp: value = s.temp; break;
    case V::RfPeak: value = s.rfPeak; break;
    case V::DcBias: value = s.dcBias; break;
    case V::RfCap: value = s.rfCap; break;
    }
    return FloatToText(value, vars_.Find(c.VarId).decimals, format_.DecimalSeparator());
}

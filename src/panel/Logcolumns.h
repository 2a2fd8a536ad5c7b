#pragma once
// The data logger's column tables. Five tables, chosen by the log format ("Basic" or
// "Extended") and the unit type; each column can be switched off, and the switches are kept in
// the settings as one character per column. The same tables give the header and record lines.

#include "device/Device.h"
#include "platform/Numberformat.h"

#include <cstdint>
#include <string>
#include <vector>

class CRegistry;
class CVars;

// What one log record shows: the logger's own counters and clock, and the unit's live reading.
struct CLogRecord {
    int SampleNumber = 0;
    int64_t Milliseconds = 0; // since the file was opened
    int Hour = 0;
    int Minute = 0;
    int Second = 0;
    CLiveSample Live;
};

// Which value a column shows.
enum class LogValue {
    SampleNumber, Milliseconds, Hours, Minutes, Seconds, Status,
    R, X, Gamma, Power, Model0, Model1, Model2, Model3,
    Load, Tune, Temp, RfPeak, DcBias, RfCap, Fault0, Fault1
};

struct CLogColumn {
    static constexpr int SourceLogger = 0;
    static constexpr int SourceUnit = 1;

    std::string Name;
    int Source = SourceLogger;
    LogValue Value = LogValue::SampleNumber;
    int VarId = 0; // the variable whose decimals a number takes
    bool Enabled = true;
};

using CLogTable = std::vector<CLogColumn>;

class CLogColumns {
public:
    static constexpr int TableCount = 5;
    static constexpr int FormatBasic = 0;
    static constexpr int FormatExtended = 1;

    CLogColumns();

    // Table 1..5 for a format and unit type; 0 (no columns) for another format.
    static int TableFor(int format, bool has3rdCap, bool hasOutputSensor);
    // Table 1..5; any other number gives an empty table.
    CLogTable& Table(int table);
    const CLogTable& Table(int table) const;
    // The columns of a format for the unit type (`GetLogColumns`).
    CLogTable& GetLogColumns(int format, bool has3rdCap, bool hasOutputSensor)
    {
        return Table(TableFor(format, has3rdCap, hasOutputSensor));
    }

    // "1" per enabled column, "0" per disabled one, in table order.
    std::string Flags(int table) const;
    // Column i is enabled exactly when character i is '1'; columns beyond the text keep theirs.
    void SetFlags(int table, const std::string& flags);
    // Key "LogFormat1".."LogFormat5" of the current section (a missing key reads as "").
    void ExchangeColumnFlags(CRegistry& store, const std::string& key, int table);

    // True when an enabled column needs the unit's live reading.
    static bool NeedsUnit(const CLogTable& columns);

private:
    CLogTable tables_[TableCount];
    CLogTable none_;
};

// Header and record lines of a column table (`FormatLogLine`): the enabled columns joined by the
// list separator, numbers in the decimal separator of the number format given.
class CLogLineFormat {
public:
    CLogLineFormat(const CVars& vars, platform::NumberFormat format);

    std::string Names(const CLogTable& columns) const;
    std::string Values(const CLogTable& columns, const CLogRecord& record) const;
    std::string ValueText(const CLogColumn& column, const CLogRecord& record) const;

private:
    const CVars& vars_;
    platform::NumberFormat format_;
};

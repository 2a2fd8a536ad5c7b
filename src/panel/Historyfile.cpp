#include "panel/Historyfile.h"

#include "common/Helpers.h"
#include "device/Datamem.h"
#include "panel/Version.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <cstdio>
#include <string_view>

namespace {

constexpr const char* LineEnd = "\r\n";
constexpr int Decimals = 6;
constexpr std::string_view ByteOrderMark = "\xEF\xBB\xBF";

// The reader's column names; a column's id is its position.
constexpr const char* ColumnNames[] = {
    "Sample number", "Timestamp (ms)", "Milliseconds", "Hours", "Minutes", "Seconds", "Status",
    "RF cap", "RF peak", "Ratio", "3rd Cap", "Temp", "DC bias", "Fault0", "Fault1", "Gamma",
    "Load", "Tune", "I1", "I2", "R", "X", "P"};

enum ColumnKind { Ignored, Time, StatusWord, Value };

struct Column {
    ColumnKind kind = Ignored;
    int var = 0;
};

Column ColumnOf(int id)
{
    switch (id) {
    case 1: case 2: return {Time, 0};
    case 6: return {StatusWord, 0};
    case 7: return {Value, varid::RfCap};
    case 8: return {Value, varid::RfPeak};
    case 9: return {Value, varid::CurrentRatio};
    case 10: return {Value, varid::ThirdCapPosition};
    case 11: return {Value, varid::Temp};
    case 12: return {Value, varid::DcBias};
    case 15: return {Value, varid::Gamma};
    case 16: return {Value, varid::LoadPosition};
    case 17: return {Value, varid::TunePosition};
    case 18: return {Value, varid::Current1};
    case 19: return {Value, varid::Current2};
    case 20: return {Value, varid::R};
    case 21: return {Value, varid::X};
    case 22: return {Value, varid::DeliveredPower};
    default: return {Ignored, 0};
    }
}

// The values of a record in the file's order (the record's own slot order).
constexpr int SavedIds[] = {varid::R, varid::X, varid::Gamma, varid::DeliveredPower,
                            varid::CurrentRatio, varid::Current1, varid::Current2,
                            varid::ThirdCapPosition, varid::LoadPosition, varid::TunePosition,
                            varid::Temp, varid::RfPeak, varid::DcBias, varid::RfCap};

std::string_view Trim(std::string_view s)
{
    while (!s.empty() && static_cast<unsigned char>(s.front()) <= ' ')
        s.remove_prefix(1);
    while (!s.empty() && static_cast<unsigned char>(s.back()) <= ' ')
        s.remove_suffix(1);
    return s;
}

void Split(std::string_view line, char sep, std::vector<std::string_view>& fields)
{
    fields.clear();
    size_t start = 0;
    for (;;) {
        const size_t pos = line.find(sep, start);
        fields.push_back(Trim(line.substr(start, pos == std::string_view::npos ? pos : pos - start)));
        if (pos == std::string_view::npos)
            return;
        start = pos + 1;
    }
}

// Lines, without their line ends: CR LF, LF or CR alone. Blank lines carry nothing and are
// passed over; a line of NUL bytes or other control characters is damage, not a blank.
std::vector<std::string_view> Lines(std::string_view rest)
{
    std::vector<std::string_view> lines;
    while (!rest.empty()) {
        const size_t end = rest.find_first_of("\r\n");
        const std::string_view line = rest.substr(0, end);
        if (end == std::string_view::npos)
            rest = {};
        else
            rest.remove_prefix(end + (rest.compare(end, 2, "\r\n") == 0 ? 2 : 1));
        if (line.find_first_not_of(" \t") != std::string_view::npos)
            lines.push_back(line);
    }
    return lines;
}

// The first line that is not a comment; lines.size() when every line is one.
size_t FirstDataLine(const std::vector<std::string_view>& lines)
{
    size_t first = 0;
    while (first < lines.size() && lines[first].front() == ';')
        ++first;
    return first;
}

// The names of a column header line (";" and the names between separators) and the separator.
// A data log written where the list separator is ';' separates its fields with ';'.
void HeaderFields(std::string_view line, char& sep, std::vector<std::string_view>& fields)
{
    const std::string_view header = Trim(line.substr(1));
    sep = header.find(',') == std::string_view::npos && header.find(';') != std::string_view::npos ? ';' : ',';
    Split(header, sep, fields);
}

bool ParseInt64(std::string_view s, int64_t& v)
{
    const auto r = std::from_chars(s.data(), s.data() + s.size(), v);
    return !s.empty() && r.ec == std::errc() && r.ptr == s.data() + s.size();
}

bool ParseHex32(std::string_view s, uint32_t& v)
{
    const auto r = std::from_chars(s.data(), s.data() + s.size(), v, 16);
    return !s.empty() && s.size() <= 8 && r.ec == std::errc() && r.ptr == s.data() + s.size();
}

constexpr double Pow10[] = {1e0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8, 1e9, 1e10, 1e11,
                            1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18};

// A decimal number with '.' or ',' as its separator. Plain fixed-point text of up to 15
// digits, as the files hold, is read directly: digits and power of ten are both exact, so their
// quotient is the correctly rounded value, the same as the general conversion gives.
bool ParseNumber(std::string_view s, double& v)
{
    if (s.empty() || s.size() > 64)
        return false;
    size_t i = 0;
    const bool negative = s[0] == '-';
    if (s[0] == '-' || s[0] == '+')
        ++i;
    uint64_t digits = 0;
    int count = 0, decimals = 0;
    bool point = false, plain = i < s.size();
    for (; i < s.size(); ++i) {
        const char c = s[i];
        if (c >= '0' && c <= '9') {
            digits = digits * 10 + uint64_t(c - '0');
            ++count;
            decimals += point;
        } else if ((c == '.' || c == ',') && !point) {
            point = true;
        } else {
            plain = false;
            break;
        }
    }
    if (plain && count > 0 && count <= 15) {
        v = double(digits) / Pow10[decimals];
        if (negative)
            v = -v;
    } else {
        char buf[65];
        for (size_t k = 0; k < s.size(); ++k)
            buf[k] = s[k] == ',' ? '.' : s[k];
        const char* begin = buf[0] == '+' ? buf + 1 : buf;
        const auto r = std::from_chars(begin, buf + s.size(), v);
        if (r.ec != std::errc() || r.ptr != buf + s.size())
            return false;
    }
    // A reading is kept in single precision: larger numbers are not readings.
    return std::isfinite(v) && std::fabs(v) <= std::numeric_limits<float>::max();
}

// Appends n in decimal.
void AppendUnsigned(std::string& out, uint64_t n)
{
    char buf[24];
    const auto r = std::to_chars(buf, buf + sizeof buf, n);
    out.append(buf, r.ptr);
}

// Fixed notation with 6 decimals, correctly rounded (ties to even), as the general conversion
// writes it. A reading is a single-precision number: times 10^6 it is exact in a double, so
// rounding that product to an integer gives the digits directly.
void AppendFixed(std::string& out, double value)
{
    constexpr double Scale = 1e6;
    if (std::fabs(value) < 1e12 && double(float(value)) == value) {
        const double scaled = std::nearbyint(value * Scale);
        if (std::signbit(value))
            out += '-'; // also a negative value that rounds to zero, as the general conversion
        const uint64_t n = uint64_t(std::fabs(scaled));
        AppendUnsigned(out, n / 1000000);
        char frac[7];
        uint64_t f = n % 1000000;
        for (int k = 5; k >= 0; --k) {
            frac[k] = char('0' + f % 10);
            f /= 10;
        }
        out += '.';
        out.append(frac, 6);
        return;
    }
    char buf[400];
    const auto r = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed, Decimals);
    if (r.ec == std::errc())
        out.append(buf, r.ptr);
    else
        out += '0';
}

} // namespace

int CHistoryFile::ColumnId(const std::string& name)
{
    for (int i = 0; i < static_cast<int>(std::size(ColumnNames)); ++i)
        if (name == ColumnNames[i])
            return i;
    return -1;
}

std::string CHistoryFile::FileMark() { return std::string(";Log File of ") + orrery::ProgramTitle; }

std::string CHistoryFile::FirstLine(const std::string& dateTimeText)
{
    return FileMark() + ". Created: " + dateTimeText;
}

std::string CHistoryFile::Write(const CDataMem& history, const std::string& dateTimeText,
                                const std::string& unitId)
{
    std::string out;
    out.reserve(size_t(history.Count()) * 160 + 256);
    out += FirstLine(dateTimeText) + LineEnd;
    out += ";" + unitId + LineEnd;
    out += std::string(";") + HeaderNames + LineEnd;
    const int count = history.Count();
    const int64_t origin = count > 0 ? history.At(0)->Time() : 0;
    char buf[64];
    for (int i = 0; i < count; ++i) {
        const CDataRec& rec = *history.At(i);
        const int n = std::snprintf(buf, sizeof buf, "%d,%lld,%08X", i,
                                    static_cast<long long>(rec.Time() - origin), rec.Status());
        out.append(buf, static_cast<size_t>(n));
        for (int id : SavedIds) {
            out += ',';
            AppendFixed(out, rec.Value(id));
        }
        out += LineEnd;
    }
    return out;
}

bool CHistoryFile::HeadIsNotOurs(const std::string& head)
{
    std::string_view rest(head);
    if (rest.starts_with(ByteOrderMark))
        rest.remove_prefix(ByteOrderMark.size());
    const std::string mark = FileMark();
    while (!rest.empty()) {
        const size_t end = rest.find_first_of("\r\n");
        const std::string_view line = rest.substr(0, end);
        if (line.find_first_not_of(" \t") != std::string_view::npos) {
            if (line.starts_with(mark))
                return false;
            // A line the head cuts off may still go on with the mark.
            return end != std::string_view::npos || !std::string_view(mark).starts_with(line);
        }
        if (end == std::string_view::npos)
            return false;
        rest.remove_prefix(end + 1);
    }
    return false;
}

CHistoryFile::Result CHistoryFile::Read(const std::string& text, bool head)
{
    Result result;
    std::string_view rest(text);
    if (rest.starts_with(ByteOrderMark))
        rest.remove_prefix(ByteOrderMark.size());
    // An empty file is an empty history.
    if (rest.empty())
        return result;
    if (head) // the line the read cut off is left out
        rest = rest.substr(0, rest.find_last_of("\r\n") + 1);
    const std::vector<std::string_view> lines = Lines(rest);
    // Text without a line of its own (NUL bytes a power loss left, blanks) is no history file.
    if (lines.empty() || !lines[0].starts_with(FileMark())) {
        result.Error = NotOurFormat;
        return result;
    }
    const size_t first = FirstDataLine(lines);
    // Comment lines only, a column header among them or not: there is no data line for a header
    // to stand before, and the history shown is not replaced by nothing.
    if (first == lines.size()) {
        result.Error = NoHeader;
        return result;
    }
    char sep = ',';
    std::vector<std::string_view> fields;
    HeaderFields(lines[first - 1], sep, fields);
    std::vector<Column> columns;
    for (std::string_view name : fields)
        columns.push_back(ColumnOf(ColumnId(std::string(name))));

    bool haveOrigin = false;
    int64_t origin = 0;
    for (size_t i = first; i < lines.size(); ++i) {
        Split(lines[i], sep, fields);
        if (fields.size() < columns.size()) {
            ++result.Skipped;
            continue;
        }
        CDataRec rec;
        bool good = true;
        int64_t time = 0;
        bool hasTime = false;
        for (size_t k = 0; k < columns.size() && good; ++k) {
            switch (columns[k].kind) {
            case Ignored: break;
            case Time: good = ParseInt64(fields[k], time); hasTime = true; break;
            case StatusWord: {
                uint32_t status = 0;
                good = ParseHex32(fields[k], status);
                rec.SetStatus(status);
                break;
            }
            case Value: {
                double v = 0;
                good = ParseNumber(fields[k], v);
                rec.SetValue(columns[k].var, v);
                break;
            }
            }
        }
        if (!good) {
            ++result.Skipped;
            continue;
        }
        if (hasTime) {
            if (!haveOrigin) {
                origin = time;
                haveOrigin = true;
            }
            int64_t relative = 0;
            if (__builtin_sub_overflow(time, origin, &relative)) {
                ++result.Skipped;
                continue;
            }
            rec.SetTime(relative);
        }
        result.Records.push_back(rec);
        if (static_cast<int>(result.Records.size()) > KeepRecords)
            result.Records.pop_front();
    }
    // Data lines of which not one could be read are no history either.
    if (result.Records.empty() && result.Skipped > 0)
        result.Error = result.Skipped == 1 ? std::string("The data line could not be read")
                                           : "None of the " + std::to_string(result.Skipped) + " data lines could be read";
    return result;
}

std::string CHistoryFile::SkippedNote(int skipped)
{
    if (skipped <= 0)
        return "";
    if (skipped == 1)
        return "1 line could not be read and was skipped";
    return std::to_string(skipped) + " lines could not be read and were skipped";
}

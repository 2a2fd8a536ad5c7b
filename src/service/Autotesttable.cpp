#include "service/Autotesttable.h"

#include "common/Commatext.h"
#include "platform/Inifile.h"
#include "platform/Numberformat.h"
#include "platform/Textfile.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace {

constexpr std::array<const char*, CAutoTestTable::Columns> Header{"N", "time, s", "Load, %", "Tune, %"};
constexpr const char* LineEnd = "\r\n";

bool IsBlankChar(char c) { return c == ' ' || c == '\t'; }

} // namespace

bool CAutoTestTable::CellToFloat(const std::string& text, double& value)
{
    size_t b = 0, e = text.size();
    while (b < e && IsBlankChar(text[b]))
        ++b;
    while (e > b && IsBlankChar(text[e - 1]))
        --e;
    std::string s = text.substr(b, e - b);
    const char sep = platform::NumberFormat::Current().DecimalSeparator();
    if (sep != '.') {
        if (s.find('.') != std::string::npos)
            return false;
        std::replace(s.begin(), s.end(), sep, '.');
    }
    if (!s.empty() && s[0] == '+')
        s.erase(0, 1);
    if (s.empty())
        return false;
    double v = 0;
    const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
    if (ec != std::errc() || end != s.data() + s.size() || !std::isfinite(v))
        return false;
    value = v;
    return true;
}

bool CAutoTestTable::Blank(const Row& row)
{
    return std::all_of(row.begin(), row.end(), [](const std::string& c) { return c.empty(); });
}

void CAutoTestTable::Reset() { rows_.assign(1, Row{}); }

std::string CAutoTestTable::Cell(int row, int col) const
{
    if (col < 0 || col >= Columns || row < 0 || row >= RowCount())
        return {};
    if (row == 0)
        return Header[size_t(col)];
    if (col == 0)
        return std::to_string(row);
    return rows_[size_t(row - 1)][size_t(col - 1)];
}

bool CAutoTestTable::SetCell(int row, int col, const std::string& text, bool grow, bool* grew)
{
    if (grew)
        *grew = false;
    if (row < 1 || row >= RowCount() || col < 1 || col >= Columns)
        return false;
    std::string cell = text;
    std::replace(cell.begin(), cell.end(), '\r', ' ');
    std::replace(cell.begin(), cell.end(), '\n', ' ');
    rows_[size_t(row - 1)][size_t(col - 1)] = std::move(cell);
    if (grow && !Blank(rows_.back())) {
        rows_.emplace_back();
        if (grew)
            *grew = true;
    }
    return true;
}

bool CAutoTestTable::Insert(int r)
{
    if (r < 1 || r >= RowCount())
        return false;
    rows_.insert(rows_.begin() + (r - 1), Row{});
    return true;
}

bool CAutoTestTable::Remove(int r)
{
    if (r < 1 || r >= RowCount() - 1)
        return false;
    rows_.erase(rows_.begin() + (r - 1));
    return true;
}

void CAutoTestTable::LoadText(const std::string& text, std::vector<int>* rejected)
{
    rows_.clear();
    if (rejected)
        rejected->clear();
    int lineNo = 0;
    size_t p = 0;
    while (p < text.size()) {
        // Lines end at CR LF, LF or CR.
        size_t e = text.find_first_of("\r\n", p);
        if (e == std::string::npos)
            e = text.size();
        const std::string line = text.substr(p, e - p);
        p = e;
        if (p < text.size() && text[p] == '\r')
            ++p;
        if (p < text.size() && text[p] == '\n' && (p == e || p == e + 1))
            ++p;
        ++lineNo;

        const std::vector<std::string> fields = CommaTextToList(line);
        double v = 0;
        const bool ok = fields.size() >= size_t(ValueColumns) &&
                        std::all_of(fields.begin(), fields.begin() + ValueColumns,
                                    [&](const std::string& f) { return CellToFloat(f, v); });
        if (ok) {
            rows_.push_back({fields[0], fields[1], fields[2]});
            continue;
        }
        const bool blank = std::all_of(line.begin(), line.end(),
                                       [](char c) { return static_cast<unsigned char>(c) <= ' '; });
        if (rejected && !blank && lineNo > 1)
            rejected->push_back(lineNo);
    }
    rows_.emplace_back();
}

std::string CAutoTestTable::SaveText() const
{
    std::string out = std::string(FileHeader) + LineEnd;
    for (size_t i = 0; i + 1 < rows_.size(); ++i)
        out += ListToCommaText({rows_[i][0], rows_[i][1], rows_[i][2]}) + LineEnd;
    return out;
}

bool CAutoTestTable::LoadFile(const std::string& path, std::string& error, std::vector<int>* rejected)
{
    std::string text;
    if (!platform::ReadFileText(path, text, error, MaxFileSize))
        return false;
    LoadText(text, rejected);
    return true;
}

bool CAutoTestTable::SaveFile(const std::string& path, std::string& error) const
{
    return platform::WriteFileAtomically(path, SaveText(), error);
}

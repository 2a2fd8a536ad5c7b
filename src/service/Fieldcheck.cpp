#include "service/Fieldcheck.h"

#include "common/Helpers.h"
#include "platform/Numberformat.h"

#include <charconv>
#include <cmath>

namespace {

std::string Trimmed(const std::string& text)
{
    size_t b = 0, e = text.size();
    while (b < e && (text[b] == ' ' || text[b] == '\t'))
        ++b;
    while (e > b && (text[e - 1] == ' ' || text[e - 1] == '\t'))
        --e;
    return text.substr(b, e - b);
}

} // namespace

long long RoundHalfAway(double value)
{
    if (!std::isfinite(value))
        return 0;
    return static_cast<long long>(std::round(value)); // std::round: halves away from zero
}

std::string ShortestText(double value)
{
    char buf[64];
    const auto res = std::to_chars(buf, buf + sizeof buf, value);
    if (res.ec != std::errc())
        return "0";
    std::string text(buf, res.ptr);
    const char sep = platform::NumberFormat::Current().DecimalSeparator();
    for (char& c : text)
        if (c == '.')
            c = sep;
    return text;
}

bool ParseInt(const std::string& text, long long& value)
{
    std::string s = Trimmed(text);
    if (!s.empty() && s[0] == '+')
        s.erase(0, 1);
    if (s.empty())
        return false;
    const auto res = std::from_chars(s.data(), s.data() + s.size(), value, 10);
    return res.ec == std::errc() && res.ptr == s.data() + s.size();
}

bool ParseDouble(const std::string& text, double& value)
{
    std::string s = Trimmed(text);
    const char sep = platform::NumberFormat::Current().DecimalSeparator();
    for (char& c : s)
        if (c == sep)
            c = '.';
    if (!s.empty() && s[0] == '+')
        s.erase(0, 1);
    if (s.empty())
        return false;
    const auto res = std::from_chars(s.data(), s.data() + s.size(), value, std::chars_format::fixed);
    return res.ec == std::errc() && res.ptr == s.data() + s.size() && std::isfinite(value);
}

bool ParseHex(const std::string& text, uint32_t& value)
{
    const std::string s = Trimmed(text);
    if (s.empty() || s.size() > 8)
        return false;
    const auto res = std::from_chars(s.data(), s.data() + s.size(), value, 16);
    return res.ec == std::errc() && res.ptr == s.data() + s.size();
}

bool CFieldCheck::Fail(const std::string& field, const std::string& text, const std::string& rule)
{
    if (error_.empty())
        error_ = field + ": \"" + text + "\" is not " + rule + ".";
    return false;
}

bool CFieldCheck::Int(const std::string& field, const std::string& text, long long lo, long long hi, int& out)
{
    if (!Ok())
        return false;
    long long v = 0;
    if (!ParseInt(text, v) || v < lo || v > hi)
        return Fail(field, text, "a whole number from " + std::to_string(lo) + " to " + std::to_string(hi));
    out = static_cast<int>(v);
    return true;
}

bool CFieldCheck::UInt32(const std::string& field, const std::string& text, uint32_t& out)
{
    if (!Ok())
        return false;
    long long v = 0;
    if (!ParseInt(text, v) || v < 0 || v > 0xFFFFFFFFLL)
        return Fail(field, text, "a whole number from 0 to 4294967295");
    out = static_cast<uint32_t>(v);
    return true;
}

bool CFieldCheck::Double(const std::string& field, const std::string& text, double lo, double hi, double& out)
{
    if (!Ok())
        return false;
    double v = 0;
    if (!ParseDouble(text, v) || v < lo || v > hi)
        return Fail(field, text, "a number from " + ShortestText(lo) + " to " + ShortestText(hi));
    out = v;
    return true;
}

bool CFieldCheck::Hex32(const std::string& field, const std::string& text, uint32_t& out)
{
    if (!Ok())
        return false;
    if (!ParseHex(text, out))
        return Fail(field, text, "1 to 8 hexadecimal digits");
    return true;
}

void RefuseSend(const std::string& error) { ShowWarning("Send", error + "\nNothing was sent."); }

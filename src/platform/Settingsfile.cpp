#include "platform/Settingsfile.h"

#include "platform/Userdirs.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

constexpr std::string_view kDwordPrefix = "dword:";
constexpr std::string_view kBinaryPrefix = "hex:";
constexpr char kQuote = '"';
constexpr char kEscape = '\\';
constexpr const char* kHexDigits = "0123456789abcdef";

// Written at the top of a new file so that a reader of the file knows its value forms.
constexpr std::string_view kNewFileText =
    "; Vantrel Orrery settings: one section per sub-key.\r\n"
    "; Name=dword:0000002a is an integer, Name=hex:01,02 binary, Name=text or Name=\"text\" a string.\r\n";

bool StartsWithNoCase(std::string_view s, std::string_view prefix)
{
    if (s.size() < prefix.size())
        return false;
    for (size_t i = 0; i < prefix.size(); ++i) {
        const char c = (s[i] >= 'A' && s[i] <= 'Z') ? static_cast<char>(s[i] - 'A' + 'a') : s[i];
        if (c != prefix[i])
            return false;
    }
    return true;
}

bool IsControl(char c)
{
    const auto u = static_cast<unsigned char>(c);
    return u < 0x20 || u == 0x7f;
}

bool IsBlank(char c)
{
    return c == ' ' || IsControl(c);
}

int HexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

bool NeedsQuotes(std::string_view s)
{
    if (s.empty())
        return false;
    if (IsBlank(s.front()) || IsBlank(s.back()) || s.front() == kQuote
        || StartsWithNoCase(s, kDwordPrefix) || StartsWithNoCase(s, kBinaryPrefix))
        return true;
    for (char c : s) {
        if (IsControl(c))
            return true;
    }
    return false;
}

std::string Quote(std::string_view s)
{
    std::string out(1, kQuote);
    for (char c : s) {
        switch (c) {
        case kQuote: out += "\\\""; break;
        case kEscape: out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        default:
            if (IsControl(c)) {
                const auto u = static_cast<unsigned char>(c);
                out += "\\x";
                out += kHexDigits[u >> 4];
                out += kHexDigits[u & 15];
            } else {
                out += c;
            }
        }
    }
    out += kQuote;
    return out;
}

std::optional<std::string> Unquote(std::string_view s)
{
    if (s.size() < 2 || s.front() != kQuote || s.back() != kQuote)
        return std::nullopt;
    s = s.substr(1, s.size() - 2);
    std::string out;
    for (size_t i = 0; i < s.size(); ++i) {
        const char c = s[i];
        if (c == kQuote)
            return std::nullopt;
        if (c != kEscape) {
            out += c;
            continue;
        }
        if (++i >= s.size())
            return std::nullopt;
        switch (s[i]) {
        case kQuote: out += kQuote; break;
        case kEscape: out += kEscape; break;
        case 'n': out += '\n'; break;
        case 'r': out += '\r'; break;
        case 't': out += '\t'; break;
        case 'x': {
            const int hi = i + 1 < s.size() ? HexValue(s[i + 1]) : -1;
            const int lo = i + 2 < s.size() ? HexValue(s[i + 2]) : -1;
            if (hi < 0 || lo < 0)
                return std::nullopt;
            out += static_cast<char>(hi * 16 + lo);
            i += 2;
            break;
        }
        default:
            return std::nullopt;
        }
    }
    return out;
}

std::string KeyFileName(const std::string& keyPath)
{
    std::string name = keyPath;
    while (!name.empty() && name.back() == '\\')
        name.pop_back();
    const size_t slash = name.rfind('\\');
    if (slash != std::string::npos)
        name.erase(0, slash + 1);
    for (char& c : name) {
        if (c == '/' || IsControl(c))
            c = '_';
    }
    if (name.empty() || name == "." || name == "..")
        name = "settings";
    return name + ".ini";
}

std::string ConfigHome() { return XdgFolder("XDG_CONFIG_HOME", ".config"); }

// Creates the folder and its parents; true when it exists afterwards.
bool MakeFolders(const std::string& dir, std::string& errorText)
{
    std::string partial;
    size_t pos = 0;
    while (pos != std::string::npos) {
        pos = dir.find('/', pos + 1);
        partial = dir.substr(0, pos);
        if (partial.empty())
            continue;
        if (mkdir(partial.c_str(), 0700) != 0 && errno != EEXIST) {
            errorText = "Cannot create folder " + partial + ": " + std::strerror(errno);
            return false;
        }
    }
    struct stat st {};
    if (stat(dir.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
        errorText = "Cannot create folder " + dir + ": " + std::strerror(ENOTDIR);
        return false;
    }
    return true;
}

} // namespace

std::string SettingsFile::PathForKey(const std::string& keyPath)
{
    const char* overridden = std::getenv(kPathVariable);
    if (overridden && overridden[0])
        return overridden;
    return ConfigHome() + "/" + kVendorFolder + "/" + KeyFileName(keyPath);
}

SettingsFile::SettingsFile(const std::string& keyPath)
    : path_(PathForKey(keyPath))
{
    Load();
}

bool SettingsFile::Load()
{
    struct stat st {};
    const bool existed = stat(path_.c_str(), &st) == 0;
    const bool ok = ini_.Load(path_);
    lastError_ = ini_.LastError();
    if (ok && !existed)
        ini_.LoadFromText(kNewFileText);
    if (ok && ini_.DroppedLines() > 0) {
        // Binary data or endless lines: not settings text, and saving would lose them.
        lastError_ = "Cannot read \"" + path_ + "\": not a settings file (it holds lines that are not text)";
        ini_.Clear();
        return false;
    }
    return ok;
}

bool SettingsFile::Save()
{
    lastError_.clear();
    const size_t slash = path_.rfind('/');
    if (slash != std::string::npos && slash > 0 && !MakeFolders(path_.substr(0, slash), lastError_))
        return false;
    const bool ok = ini_.SaveAs(path_);
    lastError_ = ini_.LastError();
    return ok;
}

bool SettingsFile::KeyExists(const std::string& subKey) const
{
    return subKey.empty() || ini_.SectionExists(subKey);
}

bool SettingsFile::CreateKey(const std::string& subKey)
{
    return subKey.empty() || ini_.AddSection(subKey);
}

void SettingsFile::DeleteValues(const std::string& subKey)
{
    ini_.DeleteKeys(subKey);
}

std::optional<RegistryValue> SettingsFile::ReadValue(
    const std::string& subKey, const std::string& name) const
{
    if (!ini_.ValueExists(subKey, name))
        return std::nullopt;
    return DecodeValue(ini_.ReadString(subKey, name, ""));
}

bool SettingsFile::WriteValue(const std::string& subKey, const std::string& name, const RegistryValue& value)
{
    return ini_.WriteString(subKey, name, EncodeValue(value));
}

bool SettingsFile::WriteString(const std::string& subKey, const std::string& name, const std::string& text)
{
    RegistryValue value;
    value.text = text;
    return WriteValue(subKey, name, value);
}

bool SettingsFile::WriteDword(const std::string& subKey, const std::string& name, uint32_t dword)
{
    RegistryValue value;
    value.type = RegistryValue::Type::Dword;
    value.dword = dword;
    return WriteValue(subKey, name, value);
}

bool SettingsFile::WriteBinary(
    const std::string& subKey, const std::string& name, const std::vector<uint8_t>& bytes)
{
    RegistryValue value;
    value.type = RegistryValue::Type::Binary;
    value.bytes = bytes;
    return WriteValue(subKey, name, value);
}

std::string SettingsFile::EncodeValue(const RegistryValue& value)
{
    switch (value.type) {
    case RegistryValue::Type::Dword: {
        char buf[16];
        std::snprintf(buf, sizeof buf, "%08x", static_cast<unsigned>(value.dword));
        return std::string(kDwordPrefix) + buf;
    }
    case RegistryValue::Type::Binary: {
        std::string out(kBinaryPrefix);
        for (size_t i = 0; i < value.bytes.size(); ++i) {
            if (i > 0)
                out += ',';
            out += kHexDigits[value.bytes[i] >> 4];
            out += kHexDigits[value.bytes[i] & 15];
        }
        return out;
    }
    case RegistryValue::Type::String:
        break;
    }
    return NeedsQuotes(value.text) ? Quote(value.text) : value.text;
}

std::optional<RegistryValue> SettingsFile::DecodeValue(std::string_view text)
{
    RegistryValue value;
    if (text.substr(0, kDwordPrefix.size()) == kDwordPrefix) {
        const std::string_view digits = text.substr(kDwordPrefix.size());
        if (digits.empty() || digits.size() > 8)
            return std::nullopt;
        uint32_t v = 0;
        for (char c : digits) {
            const int h = HexValue(c);
            if (h < 0)
                return std::nullopt;
            v = v * 16 + static_cast<uint32_t>(h);
        }
        value.type = RegistryValue::Type::Dword;
        value.dword = v;
        return value;
    }
    if (text.substr(0, kBinaryPrefix.size()) == kBinaryPrefix) {
        std::string_view rest = text.substr(kBinaryPrefix.size());
        value.type = RegistryValue::Type::Binary;
        while (!rest.empty()) {
            const size_t comma = rest.find(',');
            std::string_view item = rest.substr(0, comma);
            while (!item.empty() && item.front() == ' ')
                item.remove_prefix(1);
            while (!item.empty() && item.back() == ' ')
                item.remove_suffix(1);
            if (item.size() != 2 || HexValue(item[0]) < 0 || HexValue(item[1]) < 0)
                return std::nullopt;
            value.bytes.push_back(static_cast<uint8_t>(HexValue(item[0]) * 16 + HexValue(item[1])));
            if (comma == std::string_view::npos)
                break;
            rest.remove_prefix(comma + 1);
            if (rest.empty())
                return std::nullopt; // trailing comma
        }
        return value;
    }
    if (auto unquoted = Unquote(text))
        value.text = std::move(*unquoted);
    else
        value.text = std::string(text);
    return value;
}

} // namespace platform

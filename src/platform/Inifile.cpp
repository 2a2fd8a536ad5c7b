#include "platform/Inifile.h"

#include "platform/Textfile.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace platform {

namespace {

constexpr std::string_view kLineEnd = "\r\n";
constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

std::string ErrnoText(int err)
{
    char buf[256];
    // GNU strerror_r returns the text, which may or may not be in buf.
    const char* text = strerror_r(err, buf, sizeof buf);
    return text ? std::string(text) : std::string("error ") + std::to_string(err);
}

// Why a path that exists is no file to save into, as the reader says it.
std::string NotRegularText(const std::string& path)
{
    return "not a regular file (" + platform::FileKindText(path) + ")";
}

bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\v' || c == '\f' || c == '\r';
}

std::string_view Trim(std::string_view s)
{
    while (!s.empty() && IsBlank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back()))
        s.remove_suffix(1);
    return s;
}

char LowerAscii(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool SameName(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (LowerAscii(a[i]) != LowerAscii(b[i]))
            return false;
    }
    return true;
}

std::string Folded(std::string_view s)
{
    std::string folded(s);
    for (char& c : folded)
        c = LowerAscii(c);
    return folded;
}

bool HasLineBreakOrNul(std::string_view s)
{
    return s.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos;
}

bool ValidSectionName(std::string_view s)
{
    return !HasLineBreakOrNul(s) && s.find(']') == std::string_view::npos && Trim(s) == s;
}

bool ValidKeyName(std::string_view s)
{
    return !s.empty() && !HasLineBreakOrNul(s) && s.find('=') == std::string_view::npos
        && Trim(s) == s && s.front() != ';' && s.front() != '[';
}

bool ValidValue(std::string_view s)
{
    return !HasLineBreakOrNul(s);
}

std::string DirName(const std::string& path)
{
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    if (slash == 0)
        return "/";
    return path.substr(0, slash);
}

std::string BaseName(const std::string& path)
{
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Temporary files of a save are named "." + base name + TempMark + pid + "-" + counter.
constexpr std::string_view TempMark = ".tmp";

// Removes the temporary files that an earlier save of target left behind when its process was
// killed: those of our naming whose process no longer runs.
void RemoveStaleTemporaries(const std::string& dir, const std::string& target)
{
    // Appended piece by piece: GCC 12 misreads a text put in front of a temporary string as an
    // overlapping copy (-Wrestrict) at -O2 and above.
    std::string prefix = ".";
    prefix += BaseName(target);
    prefix += TempMark;
    DIR* d = opendir(dir.c_str());
    if (!d)
        return;
    while (const dirent* entry = readdir(d)) {
        const std::string_view name(entry->d_name);
        if (name.substr(0, prefix.size()) != prefix)
            continue;
        const std::string_view rest = name.substr(prefix.size());
        long pid = 0;
        const auto [end, ec] = std::from_chars(rest.data(), rest.data() + rest.size(), pid);
        if (ec != std::errc() || end == rest.data() || end == rest.data() + rest.size() || *end != '-'
            || pid <= 0 || pid == getpid())
            continue;
        if (kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH)
            unlinkat(dirfd(d), entry->d_name, 0);
    }
    closedir(d);
}

// Whether the user may write an existing file. Replacing it goes through a rename, which only
// the folder's permissions govern, so without this check a read-only file would be replaced
// silently. Root may write anything, but a file with no write permission bit at all is
// read-only for root too.
bool MayWrite(const std::string& path, const struct stat& st)
{
    if (access(path.c_str(), W_OK) != 0)
        return false;
    return geteuid() != 0 || (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) != 0;
}

} // namespace

bool WriteFileAtomically(const std::string& path, std::string_view data, std::string& errorText)
{
    if (path.empty()) {
        errorText = "No file name";
        return false;
    }
    std::string target = path;
    struct stat st {};
    bool keepMode = false;
    if (lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
        if (char* real = realpath(path.c_str(), nullptr)) {
            target = real;
            std::free(real);
        }
    }
    if (stat(target.c_str(), &st) == 0) {
        // A pipe, device or folder is no file to save into (a pipe would block the save).
        if (!S_ISREG(st.st_mode)) {
            errorText = "Cannot replace " + target + ": " + NotRegularText(target);
            return false;
        }
        keepMode = true;
        if (!MayWrite(target, st)) {
            errorText = "Cannot replace " + target + ": " + ErrnoText(EACCES);
            return false;
        }
    }

    const std::string dir = DirName(target);
    RemoveStaleTemporaries(dir, target);
    static std::atomic<unsigned> counter { 0 };
    std::string temp;
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        temp = dir + "/." + BaseName(target) + std::string(TempMark) + std::to_string(getpid()) + "-"
            + std::to_string(counter++);
        fd = open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST)
            break;
    }
    auto fail = [&](const char* step, int err) {
        if (fd >= 0)
            close(fd);
        if (!temp.empty())
            unlink(temp.c_str());
        errorText = std::string(step) + " " + target + ": " + ErrnoText(err);
        return false;
    };
    if (fd < 0) {
        const int err = errno;
        temp.clear(); // nothing of ours to remove
        return fail("Cannot create a temporary file for", err);
    }
    if (keepMode)
        fchmod(fd, st.st_mode & 07777);
    size_t done = 0;
    while (done < data.size()) {
        const ssize_t n = write(fd, data.data() + done, data.size() - done);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return fail("Cannot write", errno);
        }
        done += static_cast<size_t>(n);
    }
    if (fsync(fd) != 0)
        return fail("Cannot write", errno);
    const int closed = close(fd);
    fd = -1;
    if (closed != 0)
        return fail("Cannot write", errno);
    if (rename(temp.c_str(), target.c_str()) != 0)
        return fail("Cannot replace", errno);
    const int dirFd = open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd >= 0) {
        fsync(dirFd);
        close(dirFd);
    }
    return true;
}

IniFile::IniFile(const std::string& fileName)
{
    Load(fileName);
}

void IniFile::Clear()
{
    preamble_.clear();
    sections_.clear();
    sectionIndex_.clear();
}

void IniFile::IndexSections()
{
    sectionIndex_.clear();
    for (size_t i = 0; i < sections_.size(); ++i)
        sectionIndex_.try_emplace(Folded(sections_[i].name), i);
}

bool IniFile::Load(const std::string& fileName)
{
    Clear();
    fileName_ = fileName;
    lastError_.clear();
    std::string text;
    FileReadFault fault = FileReadFault::None;
    if (!ReadFileText(fileName, text, lastError_, kMaxFileSize, &fault)) {
        if (fault != FileReadFault::Missing)
            return false;
        lastError_.clear(); // a missing file is empty
        return true;
    }
    LoadFromText(text);
    return true;
}

void IniFile::LoadFromText(std::string_view text)
{
    Clear();
    droppedLines_ = 0;
    if (text.substr(0, kUtf8Bom.size()) == kUtf8Bom)
        text.remove_prefix(kUtf8Bom.size());
    Section* current = nullptr;
    while (!text.empty()) {
        const size_t nl = text.find('\n');
        std::string_view raw = text.substr(0, nl);
        text.remove_prefix(nl == std::string_view::npos ? text.size() : nl + 1);
        if (!raw.empty() && raw.back() == '\r')
            raw.remove_suffix(1);
        if (raw.size() > kMaxLineLength || raw.find('\0') != std::string_view::npos) {
            ++droppedLines_; // garbage
            continue;
        }
        // A carriage return inside a line is dropped: no value can be written holding one, so
        // a value must not be read holding one either.
        std::string stripped;
        if (raw.find('\r') != std::string_view::npos) {
            stripped = std::string(raw);
            std::erase(stripped, '\r');
            raw = stripped;
        }
        const std::string_view t = Trim(raw);
        Line line;
        line.raw = std::string(raw);
        if (!t.empty() && t.front() == '[') {
            const size_t close = t.find(']');
            if (close != std::string_view::npos) {
                sections_.push_back(Section { std::string(Trim(t.substr(1, close - 1))),
                    std::string(raw), {}, {} });
                sectionIndex_.try_emplace(Folded(sections_.back().name), sections_.size() - 1);
                current = &sections_.back();
                continue;
            }
        } else if (!t.empty() && t.front() != ';') {
            const size_t eq = t.find('=');
            if (eq != std::string_view::npos && !Trim(t.substr(0, eq)).empty()) {
                line.isKey = true;
                line.key = std::string(Trim(t.substr(0, eq)));
                line.value = std::string(Trim(t.substr(eq + 1)));
            }
        }
        // Key lines before any section are kept but cannot be looked up.
        if (!current) {
            preamble_.push_back(std::move(line));
            continue;
        }
        if (line.isKey)
            current->keys.try_emplace(Folded(line.key), current->lines.size());
        current->lines.push_back(std::move(line));
    }
}

std::string IniFile::ToText() const
{
    std::string text;
    auto put = [&](const Line& line) {
        if (line.isKey && line.changed)
            text.append(line.key).append("=").append(line.value);
        else
            text.append(line.raw);
        text.append(kLineEnd);
    };
    for (const Line& line : preamble_)
        put(line);
    for (const Section& section : sections_) {
        if (section.header.empty())
            text.append("[").append(section.name).append("]");
        else
            text.append(section.header);
        text.append(kLineEnd);
        for (const Line& line : section.lines)
            put(line);
    }
    // A first line that starts with a byte-order mark (after lines that were dropped at load)
    // would lose it when read back: one more mark in front keeps it.
    if (text.compare(0, kUtf8Bom.size(), kUtf8Bom) == 0)
        text.insert(0, kUtf8Bom);
    return text;
}

bool IniFile::Save()
{
    lastError_.clear();
    if (fileName_.empty()) {
        lastError_ = "No file name";
        return false;
    }
    return WriteFileAtomically(fileName_, ToText(), lastError_);
}

bool IniFile::SaveAs(const std::string& fileName)
{
    fileName_ = fileName;
    return Save();
}

const IniFile::Section* IniFile::FindSection(const std::string& name) const
{
    const auto found = sectionIndex_.find(Folded(name));
    return found == sectionIndex_.end() ? nullptr : &sections_[found->second];
}

IniFile::Section* IniFile::FindSection(const std::string& name)
{
    return const_cast<Section*>(std::as_const(*this).FindSection(name));
}

const IniFile::Line* IniFile::FindKey(const Section& section, const std::string& key)
{
    const auto found = section.keys.find(Folded(key));
    return found == section.keys.end() ? nullptr : &section.lines[found->second];
}

bool IniFile::SectionExists(const std::string& section) const
{
    return FindSection(section) != nullptr;
}

bool IniFile::ValueExists(const std::string& section, const std::string& key) const
{
    const Section* s = FindSection(section);
    return s && FindKey(*s, key);
}

std::vector<std::string> IniFile::Sections() const
{
    // The first section of each name is the one the index holds.
    std::vector<std::string> names;
    for (size_t i = 0; i < sections_.size(); ++i) {
        if (sectionIndex_.at(Folded(sections_[i].name)) == i)
            names.push_back(sections_[i].name);
    }
    return names;
}

std::vector<std::string> IniFile::ReadSection(const std::string& section) const
{
    std::vector<std::string> keys;
    const Section* s = FindSection(section);
    if (!s)
        return keys;
    for (size_t i = 0; i < s->lines.size(); ++i) {
        const Line& line = s->lines[i];
        if (line.isKey && s->keys.at(Folded(line.key)) == i)
            keys.push_back(line.key);
    }
    return keys;
}

void IniFile::EraseSection(const std::string& section)
{
    if (std::erase_if(sections_, [&](const Section& s) { return SameName(s.name, section); }) > 0)
        IndexSections();
}

void IniFile::DeleteKeys(const std::string& section)
{
    for (Section& s : sections_) {
        if (SameName(s.name, section)) {
            std::erase_if(s.lines, [](const Line& line) { return line.isKey; });
            s.keys.clear();
        }
    }
}

bool IniFile::AddSection(const std::string& section)
{
    if (!ValidSectionName(section))
        return false;
    if (!FindSection(section)) {
        sections_.push_back(Section { section, "", {}, {} });
        sectionIndex_.emplace(Folded(section), sections_.size() - 1);
    }
    return true;
}

bool IniFile::ReadValue(const std::string& section, const std::string& key, std::string& value) const
{
    const Section* s = FindSection(section);
    const Line* line = s ? FindKey(*s, key) : nullptr;
    if (!line)
        return false;
    value = line->value;
    return true;
}

std::string IniFile::ReadString(
    const std::string& section, const std::string& key, const std::string& def) const
{
    std::string value;
    return ReadValue(section, key, value) ? value : def;
}

bool IniFile::WriteString(const std::string& section, const std::string& key, const std::string& value)
{
    if (!ValidSectionName(section) || !ValidKeyName(key) || !ValidValue(value))
        return false;
    AddSection(section);
    Section& s = *FindSection(section);
    if (Line* line = const_cast<Line*>(FindKey(s, key))) {
        if (line->value != value) {
            line->value = value;
            line->changed = true;
        }
        return true;
    }
    Line line;
    line.isKey = true;
    line.changed = true;
    line.key = key;
    line.value = value;
    // After the last line that is not blank, so blank lines before the next section stay there.
    // Only blank lines follow the insertion point, so no indexed key line moves.
    auto pos = s.lines.end();
    while (pos != s.lines.begin() && Trim((pos - 1)->raw).empty() && !(pos - 1)->isKey)
        --pos;
    s.keys.emplace(Folded(key), static_cast<size_t>(pos - s.lines.begin()));
    s.lines.insert(pos, std::move(line));
    return true;
}

bool IniFile::IniTextToInteger(std::string_view text, int& value)
{
    text = Trim(text);
    bool negative = false;
    if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    int base = 10;
    if (!text.empty() && text.front() == '$') {
        base = 16;
        text.remove_prefix(1);
    } else if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        base = 16;
        text.remove_prefix(2);
    }
    if (text.empty())
        return false;
    uint64_t magnitude = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), magnitude, base);
    if (ec != std::errc() || end != text.data() + text.size())
        return false;
    if (base == 16) {
        // Hexadecimal covers the 32 bits, as the framework reads "$FFFFFFFF" as -1.
        if (magnitude > UINT32_MAX)
            return false;
        const auto bits = static_cast<uint32_t>(magnitude);
        value = static_cast<int>(negative ? 0u - bits : bits);
        return true;
    }
    const uint64_t limit = negative ? uint64_t(INT_MAX) + 1 : uint64_t(INT_MAX);
    if (magnitude > limit)
        return false;
    value = negative ? static_cast<int>(-static_cast<int64_t>(magnitude)) : static_cast<int>(magnitude);
    return true;
}

int IniFile::ReadInteger(const std::string& section, const std::string& key, int def) const
{
    std::string text;
    int value = 0;
    return ReadValue(section, key, text) && IniTextToInteger(text, value) ? value : def;
}

bool IniFile::WriteInteger(const std::string& section, const std::string& key, int value)
{
    return WriteString(section, key, std::to_string(value));
}

bool IniFile::ReadBool(const std::string& section, const std::string& key, bool def) const
{
    std::string text;
    if (!ReadValue(section, key, text))
        return def;
    int number = 0;
    if (IniTextToInteger(text, number))
        return number != 0;
    if (SameName(text, "true"))
        return true;
    if (SameName(text, "false"))
        return false;
    return def;
}

bool IniFile::WriteBool(const std::string& section, const std::string& key, bool value)
{
    return WriteString(section, key, value ? "1" : "0");
}

std::string IniFile::FloatToIniText(double value)
{
    if (std::isnan(value))
        return "NAN";
    if (std::isinf(value))
        return value > 0 ? "INF" : "-INF";
    // At most kFloatDigits significant digits, trailing zeros dropped, laid out as the
    // framework's general format: plain decimals for exponents -5 to 14, else mantissa and "E"
    // exponent. So 0.7000000000000001 is written 0.7.
    char buf[64];
    auto res = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::scientific,
                             kFloatDigits - 1);
    double back = 0;
    if (std::from_chars(buf, res.ptr, back).ec != std::errc())
        // Rounded past the largest double: the shortest exact digits still read back.
        res = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::scientific);
    std::string_view sci(buf, static_cast<size_t>(res.ptr - buf));
    std::string text;
    if (sci.front() == '-') {
        text = "-";
        sci.remove_prefix(1);
    }
    const size_t e = sci.find('e');
    std::string digits;
    for (char c : sci.substr(0, e)) {
        if (c != '.')
            digits += c;
    }
    int exponent = 0;
    std::string_view expText = sci.substr(e + 1);
    if (!expText.empty() && expText.front() == '+')
        expText.remove_prefix(1);
    std::from_chars(expText.data(), expText.data() + expText.size(), exponent);
    while (digits.size() > 1 && digits.back() == '0')
        digits.pop_back();
    const int count = static_cast<int>(digits.size());
    if (exponent >= -5 && exponent < 15) {
        if (exponent < 0) {
            text += "0." + std::string(static_cast<size_t>(-exponent - 1), '0') + digits;
        } else if (count <= exponent + 1) {
            text += digits + std::string(static_cast<size_t>(exponent + 1 - count), '0');
        } else {
            text += digits.substr(0, static_cast<size_t>(exponent + 1)) + "."
                + digits.substr(static_cast<size_t>(exponent + 1));
        }
    } else {
        text += digits.substr(0, 1);
        if (count > 1)
            text += "." + digits.substr(1);
        text += "E" + std::to_string(exponent);
    }
    return text;
}

bool IniFile::IniTextToFloat(std::string_view text, double& value)
{
    text = Trim(text);
    std::string s(text);
    if (s.find('.') == std::string::npos && std::count(s.begin(), s.end(), ',') == 1)
        std::replace(s.begin(), s.end(), ',', '.');
    std::string_view v(s);
    if (!v.empty() && v.front() == '+')
        v.remove_prefix(1);
    if (v.empty() || v.front() == '+' || v.front() == ' ')
        return false;
    double parsed = 0;
    const auto [end, ec] = std::from_chars(v.data(), v.data() + v.size(), parsed);
    if (ec != std::errc() || end != v.data() + v.size())
        return false;
    value = parsed;
    return true;
}

double IniFile::ReadFloat(const std::string& section, const std::string& key, double def) const
{
    std::string text;
    double value = 0;
    return ReadValue(section, key, text) && IniTextToFloat(text, value) ? value : def;
}

bool IniFile::WriteFloat(const std::string& section, const std::string& key, double value)
{
    return WriteString(section, key, FloatToIniText(value));
}

} // namespace platform

#pragma once
// INI file with the plain Windows semantics: "[Section]" headers, "Key=Value" lines, section and
// key names compared without regard to ASCII case, names and values trimmed of blanks, the first
// of duplicate sections or keys wins. Comment lines (';'), blank lines and lines that are not
// understood are kept in place when the file is written back, and so are untouched key lines
// (their spacing included). The order of sections and keys is kept; new keys go to the end of
// their section, new sections to the end of the file.
//
// Reading accepts LF or CRLF line ends and a UTF-8 byte-order mark; writing uses CRLF. The file
// is untrusted: lines longer than kMaxLineLength and lines holding NUL bytes are dropped, and a
// file larger than kMaxFileSize is refused.
//
// Values are written as given and read back trimmed; a name or value that could not be read back
// as written (line breaks, '=' or a leading ';' or '[' in a key, ']' in a section name) is
// refused: the write returns false and changes nothing.
//
// Saving is atomic: the text goes to a temporary file in the same folder, which is flushed to
// disk and renamed over the file, so a failed save leaves the old file as it was.

#include <cstddef>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace platform {

// Writes data to path atomically (temporary file in the same folder, fsync, rename, then fsync
// of the folder). A symbolic link at path is followed, so the link stays. On failure returns
// false, removes the temporary file, leaves any old file untouched and sets errorText to a text
// naming the failing step and the system's error text.
bool WriteFileAtomically(const std::string& path, std::string_view data, std::string& errorText);

class IniFile {
public:
    static constexpr size_t kMaxLineLength = 64 * 1024;
    static constexpr size_t kMaxFileSize = 32 * 1024 * 1024;
    // Significant digits of the float text.
    static constexpr int kFloatDigits = 15;

    IniFile() = default;
    // Loads the file; a missing file gives an empty INI file with that name.
    explicit IniFile(const std::string& fileName);

    // Replaces the contents with the file's. A missing file is empty and not an error. False when
    // the file exists but cannot be read or is too large; the contents are then empty too.
    bool Load(const std::string& fileName);
    // Replaces the contents with the given text (same rules as a file).
    void LoadFromText(std::string_view text);
    // The contents as file text (CRLF line ends).
    std::string ToText() const;
    // Writes the contents to the file name (atomically). False on failure, see LastError().
    bool Save();
    // Writes the contents to another file and takes its name.
    bool SaveAs(const std::string& fileName);
    // Removes every line.
    void Clear();

    const std::string& FileName() const { return fileName_; }
    // Text of the last failed Load or Save.
    const std::string& LastError() const { return lastError_; }
    // Lines the last load dropped as garbage (NUL bytes, longer than kMaxLineLength): they are
    // not written back.
    size_t DroppedLines() const { return droppedLines_; }

    bool SectionExists(const std::string& section) const;
    bool ValueExists(const std::string& section, const std::string& key) const;
    // Section names in file order, each once.
    std::vector<std::string> Sections() const;
    // Key names of the section in file order.
    std::vector<std::string> ReadSection(const std::string& section) const;
    // Removes every section of that name with all its lines.
    void EraseSection(const std::string& section);
    // Removes every key line of the section; the section, its comments and blank lines stay.
    void DeleteKeys(const std::string& section);
    // Adds an empty section when it does not exist; false for a name that cannot be written.
    bool AddSection(const std::string& section);

    std::string ReadString(const std::string& section, const std::string& key,
        const std::string& def) const;
    bool WriteString(const std::string& section, const std::string& key, const std::string& value);

    // Decimal, or hexadecimal with "$" or "0x"; the default when the text is not a 32-bit integer.
    int ReadInteger(const std::string& section, const std::string& key, int def) const;
    bool WriteInteger(const std::string& section, const std::string& key, int value);

    // Reads 0/1 (any integer: non-zero is true) or true/false; writes "1" or "0".
    bool ReadBool(const std::string& section, const std::string& key, bool def) const;
    bool WriteBool(const std::string& section, const std::string& key, bool value);

    // Writes the double with at most kFloatDigits significant digits ("0.1", "13560000",
    // "1E-300", 0.1 + 0.6 as "0.7"); reads '.' or ',' as the decimal point and never depends on
    // the process locale.
    double ReadFloat(const std::string& section, const std::string& key, double def) const;
    bool WriteFloat(const std::string& section, const std::string& key, double value);

    static std::string FloatToIniText(double value);
    // False when the text is not a number.
    static bool IniTextToFloat(std::string_view text, double& value);
    static bool IniTextToInteger(std::string_view text, int& value);

private:
    struct Line {
        std::string raw;   // the text as read (kept when untouched)
        std::string key;   // trimmed key of a key line; empty for any other line
        std::string value; // trimmed value of a key line
        bool isKey = false;
        bool changed = false;
    };
    // Names folded to lower case -> position of the first entry of that name, so that a lookup
    // does not scan the file.
    using NameIndex = std::unordered_map<std::string, size_t>;
    struct Section {
        std::string name;
        std::string header; // the header line as read; empty for a new section
        std::vector<Line> lines;
        NameIndex keys;     // key -> index in lines of its first key line
    };

    void IndexSections();
    const Section* FindSection(const std::string& name) const;
    Section* FindSection(const std::string& name);
    static const Line* FindKey(const Section& section, const std::string& key);
    bool ReadValue(const std::string& section, const std::string& key, std::string& value) const;

    std::vector<Line> preamble_; // lines before the first section
    std::vector<Section> sections_;
    NameIndex sectionIndex_; // section -> index in sections_ of its first section
    std::string fileName_;
    std::string lastError_;
    size_t droppedLines_ = 0;
};

} // namespace platform

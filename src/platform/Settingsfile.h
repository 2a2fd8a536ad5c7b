#pragma once
// The user's settings store that stands in for the registry key of the program: one file,
// $XDG_CONFIG_HOME (default ~/.config) + "/Quorvane/" + the key path's last part + ".ini", or the
// file named by the environment variable ORRERY_SETTINGS_FILE when that is set (tests always set
// it, so that they never touch the user's real settings).
//
// The file is INI text with one section per sub-key: the section name is the sub-key below the
// key path ("Main"; "" for values of the key itself). Values carry the type the registry gives
// them:
//   Name=dword:000000ff          32-bit integer (REG_DWORD), 1 to 8 hexadecimal digits
//   Name=hex:9a,99,99,99,99,99,b9,3f   binary (REG_BINARY), bytes in hexadecimal, comma separated
//   Name=plain text              string (REG_SZ)
//   Name="quoted \"text\"\n"     string written in quotes with backslash escapes (\\ \" \n \r
//                                \t \xHH) when plain text would not read back the same: with
//                                of surrounding blanks, holding control characters, starting
//                                with a quote or with a type prefix ("dword:", "hex:", any case)
// A typed value that does not decode (a hand-edited "dword:xyz") counts as missing. A quoted
// string that does not decode is taken as plain text.
//
// Saving writes the whole file atomically and creates its folder when missing.

#include "platform/Inifile.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

struct RegistryValue {
    enum class Type { String, Dword, Binary };
    Type type = Type::String;
    std::string text;           // String
    uint32_t dword = 0;         // Dword
    std::vector<uint8_t> bytes; // Binary
};

class SettingsFile {
public:
    static constexpr const char* kPathVariable = "ORRERY_SETTINGS_FILE";
    static constexpr const char* kVendorFolder = "Quorvane";

    // The file that holds the key path's settings.
    static std::string PathForKey(const std::string& keyPath);

    // Loads PathForKey(keyPath); an unreadable file leaves the store empty (see LastError()).
    explicit SettingsFile(const std::string& keyPath);

    // Reloads the file. A missing file is empty. False when it exists but cannot be read, or
    // holds lines that are not text (the store is then empty, see LastError()).
    bool Load();
    // Writes the file (atomically), creating its folder. False on failure, see LastError().
    bool Save();
    const std::string& FileName() const { return path_; }
    const std::string& LastError() const { return lastError_; }

    // Sub-keys: names compare without regard to ASCII case; "" is the key itself, which always
    // exists.
    bool KeyExists(const std::string& subKey) const;
    // False for a name the file cannot hold (']' or a line break).
    bool CreateKey(const std::string& subKey);
    // Removes every value of the sub-key; the sub-key itself stays.
    void DeleteValues(const std::string& subKey);

    // The value, or none when it is missing or does not decode.
    std::optional<RegistryValue> ReadValue(const std::string& subKey, const std::string& name) const;
    // False for a name the file cannot hold (empty, '=', a line break, a leading ';' or '[').
    bool WriteValue(const std::string& subKey, const std::string& name, const RegistryValue& value);
    bool WriteString(const std::string& subKey, const std::string& name, const std::string& text);
    bool WriteDword(const std::string& subKey, const std::string& name, uint32_t value);
    bool WriteBinary(const std::string& subKey, const std::string& name, const std::vector<uint8_t>& bytes);

    static std::string EncodeValue(const RegistryValue& value);
    static std::optional<RegistryValue> DecodeValue(std::string_view text);

private:
    std::string path_;
    IniFile ini_;
    std::string lastError_;
};

} // namespace platform

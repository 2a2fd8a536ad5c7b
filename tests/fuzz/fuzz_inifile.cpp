// The INI class on any text: every lookup works, and what it writes reads back the same.
#include "fuzz/Fuzzcheck.h"
#include "platform/Inifile.h"

#include <cstdint>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    platform::IniFile ini;
    ini.LoadFromText(std::string_view(reinterpret_cast<const char*>(data), size));
    for (const std::string& section : ini.Sections()) {
        for (const std::string& key : ini.ReadSection(section)) {
            FUZZ_CHECK(ini.ValueExists(section, key));
            ini.ReadInteger(section, key, 0);
            ini.ReadFloat(section, key, 0);
            ini.ReadBool(section, key, false);
            // A loaded value can be written back unchanged.
            FUZZ_CHECK(ini.WriteString(section, key, ini.ReadString(section, key, "")));
        }
    }
    const std::string text = ini.ToText();
    platform::IniFile again;
    again.LoadFromText(text);
    FUZZ_CHECK(again.ToText() == text);
    FUZZ_CHECK(again.Sections() == ini.Sections());
    for (const std::string& section : ini.Sections()) {
        FUZZ_CHECK(again.ReadSection(section) == ini.ReadSection(section));
        for (const std::string& key : ini.ReadSection(section))
            FUZZ_CHECK(again.ReadString(section, key, "\x01") == ini.ReadString(section, key, "\x02"));
    }
    return 0;
}

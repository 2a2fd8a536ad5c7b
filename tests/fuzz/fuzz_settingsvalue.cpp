// The settings store's typed values: any text decodes or is refused, and a decoded value encodes
// to a text that decodes to the same value.
#include "fuzz/Fuzzcheck.h"
#include "platform/Settingsfile.h"

#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using platform::SettingsFile;
    const auto value = SettingsFile::DecodeValue(std::string_view(reinterpret_cast<const char*>(data), size));
    if (!value)
        return 0;
    const auto again = SettingsFile::DecodeValue(SettingsFile::EncodeValue(*value));
    FUZZ_CHECK(again.has_value());
    FUZZ_CHECK(again->type == value->type);
    FUZZ_CHECK(again->text == value->text);
    FUZZ_CHECK(again->dword == value->dword);
    FUZZ_CHECK(again->bytes == value->bytes);
    return 0;
}

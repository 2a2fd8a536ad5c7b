// The comma-text codec: any text splits into items, and the items joined split back the same.
#include "common/Commatext.h"
#include "fuzz/Fuzzcheck.h"

#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    const auto items = CommaTextToList(text);
    FUZZ_CHECK(CommaTextToList(ListToCommaText(items)) == items);
    return 0;
}

// The Intel-hex check of a firmware image on any text: it accepts or names what is wrong, and an
// accepted image holds data.
#include "fuzz/Fuzzcheck.h"
#include "service/Hexcheck.h"

#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > 1 << 16)
        return 0;
    const CHexCheckResult r = CHexCheck::Check(std::string_view(reinterpret_cast<const char*>(data), size));
    FUZZ_CHECK(r.ok ? (r.error.empty() && r.dataRecords > 0 && r.dataBytes >= 0) : !r.error.empty());
    return 0;
}

// The command console's line on any text: a request with at most one frame's data, or a refusal.
#include "fuzz/Fuzzcheck.h"
#include "service/Techconsole.h"

#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > 4096)
        return 0;
    const CTechRequest r = CTechConsole::ParseWriteText(std::string(reinterpret_cast<const char*>(data), size));
    if (r.ok)
        FUZZ_CHECK(static_cast<int>(r.data.size()) <= CTechConsole::MaxData);
    CTechConsole::DumpLines(std::vector<uint8_t>(data, data + size));
    return 0;
}

// A sample-history or data-log file of any text: refused with a reason, or read into a history
// that, when it holds records, writes a file which reads back to the same history.
#include "device/Datamem.h"
#include "fuzz/Fuzzcheck.h"
#include "panel/Historyfile.h"

#include <cstdint>
#include <string>

namespace {

std::string Rewritten(const CHistoryFile::Result& read)
{
    CDataMem history;
    for (const CDataRec& rec : read.Records)
        history.Append(rec);
    return CHistoryFile::Write(history, "1.2.2026 10:00:00", "");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > 1 << 18)
        return 0;
    const CHistoryFile::Result first = CHistoryFile::Read(std::string(reinterpret_cast<const char*>(data), size));
    if (!first.Error.empty()) {
        FUZZ_CHECK(first.Records.empty());
        return 0;
    }
    FUZZ_CHECK(first.Records.size() <= size_t(CHistoryFile::KeepRecords));
    if (first.Records.empty())
        return 0; // a file with a header and no record reads as "No header line", as it should
    const std::string text = Rewritten(first);
    const CHistoryFile::Result second = CHistoryFile::Read(text);
    FUZZ_CHECK(second.Error.empty());
    FUZZ_CHECK(second.Skipped == 0);
    FUZZ_CHECK(second.Records.size() == first.Records.size());
    FUZZ_CHECK(Rewritten(second) == text);
    return 0;
}

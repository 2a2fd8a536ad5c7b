// The auto-test step table file on any text: what loads saves to a text that loads to the same
// table.
#include "fuzz/Fuzzcheck.h"
#include "service/Autotesttable.h"

#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > 1 << 16)
        return 0;
    CAutoTestTable table;
    table.LoadText(std::string(reinterpret_cast<const char*>(data), size));
    const std::string saved = table.SaveText();
    CAutoTestTable again;
    again.LoadText(saved);
    FUZZ_CHECK(again.RowCount() == table.RowCount());
    for (int row = 1; row < table.RowCount(); ++row)
        for (int col = 0; col < CAutoTestTable::Columns; ++col)
            FUZZ_CHECK(again.Cell(row, col) == table.Cell(row, col));
    FUZZ_CHECK(again.SaveText() == saved);
    return 0;
}

// The expression calculator on any line: it evaluates or reports where the error is, and its
// texts can always be made.
#include "fuzz/Fuzzcheck.h"
#include "zcomponents/Zcalc.h"

#include <QString>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > 1024)
        return 0;
    static TzCalc calc;
    calc.SetPush(size % 2 == 1);
    calc.SetCalcLine(QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<int>(size)));
    calc.Number();
    for (int r = 1; r <= 9; ++r)
        calc.GetReg(r);
    FUZZ_CHECK(calc.WhereIsLastError() <= 255);
    return 0;
}

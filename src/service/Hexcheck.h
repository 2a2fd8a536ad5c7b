#pragma once
// Checks a firmware image in Intel-hex form: record syntax, byte counts, checksums, record
// types and addresses. Used by the flash library before anything is programmed.

#include <string>
#include <string_view>

struct CHexCheckResult {
    bool ok = false;
    std::string error;  // what is wrong and on which line, when not ok
    int dataRecords = 0;
    int dataBytes = 0;
};

class CHexCheck {
public:
    static constexpr int RecordData = 0;
    static constexpr int RecordEnd = 1;
    static constexpr int RecordSegment = 2;
    static constexpr int RecordStartSegment = 3;
    static constexpr int RecordLinear = 4;
    static constexpr int RecordStartLinear = 5;
    static constexpr long AddressSpan = 0x10000; // one record stays inside its 64 KiB window

    // Lines end in LF or CR LF; blank lines are allowed. The image must hold at least one data
    // record and end with an end-of-file record, with no record after it.
    static CHexCheckResult Check(std::string_view text);
};

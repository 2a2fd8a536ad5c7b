#include "service/Hexcheck.h"

#include <cstdint>
#include <vector>

namespace {

int HexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

std::string_view TrimLine(std::string_view line)
{
    while (!line.empty() && (line.back() == '\r' || line.back() == ' ' || line.back() == '\t'))
        line.remove_suffix(1);
    while (!line.empty() && (line.front() == ' ' || line.front() == '\t'))
        line.remove_prefix(1);
    return line;
}

// The record's bytes after the colon; an empty string when a digit is not hexadecimal.
bool DecodeRecord(std::string_view line, std::vector<uint8_t>& bytes)
{
    bytes.clear();
    for (size_t i = 1; i + 1 < line.size(); i += 2) {
        const int hi = HexDigit(line[i]);
        const int lo = HexDigit(line[i + 1]);
        if (hi < 0 || lo < 0)
            return false;
        bytes.push_back(static_cast<uint8_t>(hi * 16 + lo));
    }
    return true;
}

} // namespace

CHexCheckResult CHexCheck::Check(std::string_view text)
{
    CHexCheckResult r;
    auto fail = [&r](int line, const std::string& what) {
        r.ok = false;
        r.error = line > 0 ? "Line " + std::to_string(line) + ": " + what : what;
        return r;
    };
    bool ended = false;
    int lineNo = 0;
    std::vector<uint8_t> bytes;
    size_t pos = 0;
    while (pos <= text.size()) {
        size_t end = text.find('\n', pos);
        if (end == std::string_view::npos)
            end = text.size();
        const std::string_view line = TrimLine(text.substr(pos, end - pos));
        pos = end + 1;
        ++lineNo;
        if (line.empty())
            continue;
        if (ended)
            return fail(lineNo, "record after the end-of-file record");
        if (line.front() != ':')
            return fail(lineNo, "not a hex record (no ':')");
        if (line.size() % 2 == 0)
            return fail(lineNo, "odd number of hex digits");
        if (!DecodeRecord(line, bytes))
            return fail(lineNo, "not a hex digit");
        if (bytes.size() < 5)
            return fail(lineNo, "record too short");
        const int count = bytes[0];
        if (static_cast<size_t>(count) + 5 != bytes.size())
            return fail(lineNo, "byte count " + std::to_string(count) + " does not match the record");
        uint8_t sum = 0;
        for (uint8_t b : bytes)
            sum = static_cast<uint8_t>(sum + b);
        if (sum != 0)
            return fail(lineNo, "bad checksum");
        const long address = bytes[1] * 256L + bytes[2];
        const int type = bytes[3];
        switch (type) {
        case RecordData:
            if (address + count > AddressSpan)
                return fail(lineNo, "data beyond the 64 KiB address window");
            ++r.dataRecords;
            r.dataBytes += count;
            break;
        case RecordEnd:
            if (count != 0)
                return fail(lineNo, "end-of-file record with data");
            ended = true;
            break;
        case RecordSegment:
        case RecordLinear:
            if (count != 2 || address != 0)
                return fail(lineNo, "malformed extended address record");
            break;
        case RecordStartSegment:
        case RecordStartLinear:
            if (count != 4 || address != 0)
                return fail(lineNo, "malformed start address record");
            break;
        default:
            return fail(lineNo, "unknown record type " + std::to_string(type));
        }
    }
    if (!ended)
        return fail(0, "No end-of-file record");
    if (r.dataRecords == 0)
        return fail(0, "No data records");
    r.ok = true;
    return r;
}

// The Intel-hex check of the flash library: good images pass with their byte count, each kind
// of damage is refused naming the line.

#include "service/Hexcheck.h"

#include <gtest/gtest.h>

namespace {

const char* const Good =
    ":0300000002003BC0\r\n"
    ":10003B00758130D2B4C2B5D2B6C2B71201008000FE\r\n"
    ":00000001FF\r\n";

TEST(HexCheck, GoodImagePassesWithItsBytes)
{
    const CHexCheckResult r = CHexCheck::Check(Good);
    EXPECT_TRUE(r.ok) << r.error;
    EXPECT_EQ(r.dataRecords, 2);
    EXPECT_EQ(r.dataBytes, 19);
    // LF only, blank lines and an extended address record are fine too.
    EXPECT_TRUE(CHexCheck::Check("\n:020000040000FA\n:0100000055AA\n\n:00000001FF\n").ok);
}

TEST(HexCheck, DamageIsRefusedNamingTheLine)
{
    struct Case {
        const char* text;
        const char* error;
    } cases[] = {
        {":0300000002003BC1\n:00000001FF\n", "Line 1: bad checksum"},
        {":0300000002003BC0\nX0300000002003BC0\n:00000001FF\n", "Line 2: not a hex record (no ':')"},
        {":03000000G2003BC0\n:00000001FF\n", "Line 1: not a hex digit"},
        {":03000000\n:00000001FF\n", "Line 1: record too short"},
        {":0400000002003BBF\n:00000001FF\n", "Line 1: byte count 4 does not match the record"},
        {":0300000002003BC\n:00000001FF\n", "Line 1: odd number of hex digits"},
        {":02FFFF00AABB9B\n:00000001FF\n", "Line 1: data beyond the 64 KiB address window"},
        {":0000000AF6\n:00000001FF\n", "Line 1: unknown record type 10"},
        {":0300000002003BC0\n", "No end-of-file record"},
        {":00000001FF\n", "No data records"},
        {":00000001FF\n:0300000002003BC0\n", "Line 2: record after the end-of-file record"},
        {"", "No end-of-file record"},
    };
    for (const Case& c : cases) {
        const CHexCheckResult r = CHexCheck::Check(c.text);
        EXPECT_FALSE(r.ok) << c.text;
        EXPECT_EQ(r.error, c.error) << c.text;
    }
}

} // namespace

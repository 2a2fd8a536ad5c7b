// The logic device's image file: the count after the first ";", the "0x" tokens in file order,
// and every refusal, before anything reaches the unit.

#include "service/Xilinxfile.h"

#include <gtest/gtest.h>

namespace {

TEST(XilinxFile, CountAndTokensInFileOrder)
{
    CXilinxImage image;
    // The count's own line gives one token ("N=5") that takes byte 0 as a zero.
    ASSERT_TRUE(image.Read({";N=5", "0x12,0x34;0x1FF", "0xab", "0x99,0x77"})) << image.Error();
    EXPECT_EQ(image.Bytes(), (std::vector<uint8_t>{0x00, 0x12, 0x34, 0xFF, 0xAB}));

    // The count behind blanks; more tokens than the count are ignored.
    ASSERT_TRUE(image.Read({"0x01,0x02", ";; 3", "0x03,0x04,zz"})) << image.Error();
    EXPECT_EQ(image.Bytes(), (std::vector<uint8_t>{0x01, 0x02, 0x00}));
}

TEST(XilinxFile, RefusalsKeepNothing)
{
    CXilinxImage image;
    ASSERT_TRUE(image.Read({";N=2", "0x01"}));
    struct Case {
        std::vector<std::string> lines;
        const char* error;
    } cases[] = {
        {{}, "File is empty"},
        {{"0x01,0x02"}, "Bytes count not found"},
        {{";N=0", "0x01"}, "Wrong bytes count"},
        {{";N=-4", "0x01"}, "Wrong bytes count"},
        {{";N=x", "0x01"}, "Wrong bytes count"},
        {{";N=65536", "0x01"}, "Wrong bytes count"},
        {{";N=99999999999999999999", "0x01"}, "Wrong bytes count"},
        {{";N=3", "0x01,0xZZ,0x03"}, "Wrong data in line 2: \"0xZZ\""},
        {{";N=3", "0x01", "12,0x03"}, "Wrong data in line 3: \"12\""},
        {{";N=4", "0x01,0x02"}, "The file holds 3 of 4 bytes"},
    };
    for (const Case& c : cases) {
        EXPECT_FALSE(image.Read(c.lines)) << c.error;
        EXPECT_EQ(image.Error(), c.error);
        EXPECT_EQ(image.Count(), 0);
    }
}

TEST(XilinxFile, BlocksOfAtMost255)
{
    using B = std::vector<std::pair<int, int>>;
    EXPECT_EQ(CXilinxImage::Blocks(300), (B{{0, 255}, {255, 45}}));
    EXPECT_EQ(CXilinxImage::Blocks(510), (B{{0, 255}, {255, 255}}));
    EXPECT_EQ(CXilinxImage::Blocks(1), (B{{0, 1}}));
    EXPECT_TRUE(CXilinxImage::Blocks(0).empty());
}

} // namespace

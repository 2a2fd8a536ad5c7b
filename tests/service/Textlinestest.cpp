// The images the service tools send, read as lines: what is not a regular file is named.

#include "service/Textlines.h"
#include "support/Tempdir.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

namespace {

TEST(ReadTextLines, LinesOfAFileAndRefusalsThatSayWhatThePathIs)
{
    testsupport::TempDir dir;
    const std::string path = dir.File("image.isp");
    testsupport::WriteAll(path, ";N=2\r\n0x01,0x02\n");
    std::vector<std::string> lines;
    std::string text, error;
    ASSERT_TRUE(ReadTextLines(path, lines, text, error)) << error;
    EXPECT_EQ(lines, (std::vector<std::string>{";N=2", "0x01,0x02"}));
    EXPECT_EQ(text, ";N=2\r\n0x01,0x02\r\n");

    EXPECT_FALSE(ReadTextLines(dir.Path(), lines, text, error));
    EXPECT_EQ(error, "Cannot read \"" + dir.Path() + "\": not a regular file (a folder)");
    const std::string fifo = dir.File("pipe.isp");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_FALSE(ReadTextLines(fifo, lines, text, error));
    EXPECT_EQ(error, "Cannot read \"" + fifo + "\": not a regular file (a named pipe)");
    EXPECT_EQ(lines.size(), 2u); // unchanged
}

} // namespace

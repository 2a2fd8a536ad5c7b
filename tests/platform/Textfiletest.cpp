// The one reader of outside files: a regular file whole; a named pipe, folder or device refused
// at once without blocking, each named; the size limit; the system's text for the rest.

#include "platform/Textfile.h"
#include "support/Tempdir.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

using platform::FileReadFault;
using platform::ReadFileText;
using testsupport::TempDir;

namespace {

TEST(ReadFileText, RegularFileWhole)
{
    TempDir dir;
    const std::string path = dir.File("a.txt");
    testsupport::WriteAll(path, std::string("one\r\ntwo\0three", 15));
    std::string text, error;
    FileReadFault fault = FileReadFault::System;
    ASSERT_TRUE(ReadFileText(path, text, error, 15, &fault)) << error;
    EXPECT_EQ(text, std::string("one\r\ntwo\0three", 15));
    EXPECT_EQ(fault, FileReadFault::None);
}

TEST(ReadFileText, NamedPipeIsRefusedWithoutBlocking)
{
    TempDir dir;
    const std::string fifo = dir.File("history.csv");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    std::string text = "old", error;
    FileReadFault fault = FileReadFault::None;
    EXPECT_FALSE(ReadFileText(fifo, text, error, 1000, &fault));
    EXPECT_EQ(error, "Cannot read \"" + fifo + "\": not a regular file (a named pipe)");
    EXPECT_EQ(fault, FileReadFault::NotRegular);
    EXPECT_TRUE(text.empty());
    EXPECT_EQ(platform::FileKindText(fifo), "a named pipe");
}

TEST(ReadFileText, FolderAndDeviceAreNamed)
{
    TempDir dir;
    std::string text, error;
    FileReadFault fault = FileReadFault::None;
    EXPECT_FALSE(ReadFileText(dir.Path(), text, error, 1000, &fault));
    EXPECT_EQ(error, "Cannot read \"" + dir.Path() + "\": not a regular file (a folder)");
    EXPECT_EQ(fault, FileReadFault::NotRegular);
    EXPECT_FALSE(ReadFileText("/dev/zero", text, error, 1000, &fault));
    EXPECT_EQ(error, "Cannot read \"/dev/zero\": not a regular file (a device)");
    EXPECT_EQ(platform::FileKindText("/dev/zero"), "a device");
    EXPECT_EQ(platform::FileKindText(dir.Path()), "a folder");
    EXPECT_EQ(platform::FileKindText(dir.File("none")), "");
}

TEST(ReadFileText, SizeLimitAndSystemTexts)
{
    TempDir dir;
    const std::string path = dir.File("big.txt");
    testsupport::WriteAll(path, std::string(101, 'x'));
    std::string text, error;
    FileReadFault fault = FileReadFault::None;
    EXPECT_FALSE(ReadFileText(path, text, error, 100, &fault));
    EXPECT_EQ(error, "Cannot read \"" + path + "\": the file is larger than 100 bytes");
    EXPECT_EQ(fault, FileReadFault::TooLarge);
    EXPECT_TRUE(ReadFileText(path, text, error, 101, &fault));

    EXPECT_FALSE(ReadFileText(dir.File("none.txt"), text, error, 100, &fault));
    EXPECT_EQ(error, "Cannot read \"" + dir.File("none.txt") + "\": No such file or directory");
    EXPECT_EQ(fault, FileReadFault::Missing);
    if (geteuid() != 0) { // root reads whatever the mode says
        chmod(path.c_str(), 0);
        EXPECT_FALSE(ReadFileText(path, text, error, 1000, &fault));
        EXPECT_EQ(error, "Cannot read \"" + path + "\": Permission denied");
        EXPECT_EQ(fault, FileReadFault::System);
    }
}

} // namespace

namespace {

TEST(ReadFileHead, ReadsOnlyTheHeadAndSaysWhetherMoreFollows)
{
    TempDir dir;
    const std::string path = dir.File("a.csv");
    testsupport::WriteAll(path, "0123456789");
    std::string text, error;
    bool cut = false;
    ASSERT_TRUE(platform::ReadFileHead(path, text, error, 4, &cut)) << error;
    EXPECT_EQ(text, "0123");
    EXPECT_TRUE(cut);
    ASSERT_TRUE(platform::ReadFileHead(path, text, error, 10, &cut));
    EXPECT_EQ(text, "0123456789");
    EXPECT_FALSE(cut);
    ASSERT_TRUE(platform::ReadFileHead(path, text, error, 100000, &cut));
    EXPECT_EQ(text, "0123456789");
    EXPECT_FALSE(cut);

    // A file far larger than any whole read takes (sparse: it costs no disk).
    std::filesystem::resize_file(path, std::uintmax_t(1) << 33);
    ASSERT_TRUE(platform::ReadFileHead(path, text, error, 1 << 16, &cut));
    EXPECT_EQ(text.size(), size_t(1) << 16);
    EXPECT_EQ(text.substr(0, 10), "0123456789");
    EXPECT_TRUE(cut);

    // What is not a regular file is refused as by the whole read.
    const std::string fifo = dir.File("pipe.csv");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    FileReadFault fault = FileReadFault::None;
    EXPECT_FALSE(platform::ReadFileHead(fifo, text, error, 100, &cut, &fault));
    EXPECT_EQ(error, "Cannot read \"" + fifo + "\": not a regular file (a named pipe)");
    EXPECT_EQ(fault, FileReadFault::NotRegular);
    EXPECT_TRUE(text.empty());
    EXPECT_FALSE(platform::ReadFileHead(dir.File("none.csv"), text, error, 100, &cut, &fault));
    EXPECT_EQ(fault, FileReadFault::Missing);
}

} // namespace

#include "platform/Inifile.h"
#include "support/Tempdir.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

using platform::IniFile;
using testsupport::ReadAll;
using testsupport::TempDir;
using testsupport::WriteAll;

namespace {

// As a Windows editor leaves a settings file: CRLF, mixed case, comments, blanks around '='.
const std::string kWindowsFixture =
    "; saved by hand\r\n"
    "[Vantrel Orrery]\r\n"
    "ComPort = COM3 \r\n"
    "CONNMODE=2\r\n"
    "\r\n"
    "[main]\r\n"
    "; window place\r\n"
    "Top  =  120\r\n"
    "Visible=1\r\n"
    "this line is not understood\r\n"
    "Ratio=0.25\r\n"
    "\r\n"
    "[Main]\r\n"
    "Top=999\r\n";

TEST(IniFile, ReadsWindowsFixture)
{
    IniFile ini;
    ini.LoadFromText(kWindowsFixture);
    EXPECT_EQ(ini.ReadString("VANTREL ORRERY", "comport", "x"), "COM3");
    EXPECT_EQ(ini.ReadInteger("Vantrel Orrery", "ConnMode", -1), 2);
    EXPECT_EQ(ini.ReadInteger("MAIN", "top", -1), 120); // the first of two [Main] sections wins
    EXPECT_TRUE(ini.ReadBool("Main", "Visible", false));
    EXPECT_DOUBLE_EQ(ini.ReadFloat("Main", "Ratio", 0), 0.25);
    EXPECT_EQ(ini.ReadString("Main", "Missing", "dflt"), "dflt");
    EXPECT_EQ(ini.Sections(), (std::vector<std::string> { "Vantrel Orrery", "main" }));
    EXPECT_EQ(ini.ReadSection("Main"), (std::vector<std::string> { "Top", "Visible", "Ratio" }));
    EXPECT_TRUE(ini.ValueExists("main", "RATIO"));
    EXPECT_FALSE(ini.ValueExists("Nope", "Top"));
}

TEST(IniFile, RewriteKeepsCommentsOrderAndUntouchedLines)
{
    IniFile ini;
    ini.LoadFromText(kWindowsFixture);
    ASSERT_TRUE(ini.WriteInteger("MAIN", "TOP", 7));
    ASSERT_TRUE(ini.WriteString("Vantrel Orrery", "Remote", "site a"));
    ASSERT_TRUE(ini.WriteBool("Smith", "Visible", false));
    EXPECT_EQ(ini.ToText(),
        "; saved by hand\r\n"
        "[Vantrel Orrery]\r\n"
        "ComPort = COM3 \r\n"
        "CONNMODE=2\r\n"
        "Remote=site a\r\n"
        "\r\n"
        "[main]\r\n"
        "; window place\r\n"
        "Top=7\r\n"
        "Visible=1\r\n"
        "this line is not understood\r\n"
        "Ratio=0.25\r\n"
        "\r\n"
        "[Main]\r\n"
        "Top=999\r\n"
        "[Smith]\r\n"
        "Visible=0\r\n");
}

TEST(IniFile, EraseAndDelete)
{
    IniFile ini;
    ini.LoadFromText("[A]\nx=1\ny=2\n[b]\nz=3\n[a]\nx=4\n");
    EXPECT_EQ(ini.ReadInteger("A", "y", 0), 2);
    ini.EraseSection("A");
    EXPECT_FALSE(ini.SectionExists("a"));
    EXPECT_EQ(ini.ToText(), "[b]\r\nz=3\r\n");
}

TEST(IniFile, TypedReadsOfForeignText)
{
    IniFile ini;
    ini.LoadFromText("[S]\nhex=$FF\nhex2=0x10\nneg=-5\nbig=2147483648\nword=abc\nmin=-2147483648\n"
                     "t=True\nf=false\nb2=2\nbz=yes\n"
                     "comma=1,5\nexp=1e20\nplus=+3.5\nbad=1.5x\nhuge=1e999\n");
    EXPECT_EQ(ini.ReadInteger("S", "hex", 0), 255);
    EXPECT_EQ(ini.ReadInteger("S", "hex2", 0), 16);
    EXPECT_EQ(ini.ReadInteger("S", "neg", 0), -5);
    EXPECT_EQ(ini.ReadInteger("S", "big", 9), 9);
    EXPECT_EQ(ini.ReadInteger("S", "word", 9), 9);
    EXPECT_EQ(ini.ReadInteger("S", "min", 0), INT32_MIN);
    EXPECT_TRUE(ini.ReadBool("S", "t", false));
    EXPECT_FALSE(ini.ReadBool("S", "f", true));
    EXPECT_TRUE(ini.ReadBool("S", "b2", false));
    EXPECT_FALSE(ini.ReadBool("S", "bz", false));
    EXPECT_TRUE(ini.ReadBool("S", "bz", true));
    EXPECT_DOUBLE_EQ(ini.ReadFloat("S", "comma", 0), 1.5);
    EXPECT_DOUBLE_EQ(ini.ReadFloat("S", "exp", 0), 1e20);
    EXPECT_DOUBLE_EQ(ini.ReadFloat("S", "plus", 0), 3.5);
    EXPECT_DOUBLE_EQ(ini.ReadFloat("S", "bad", 7), 7);
    EXPECT_DOUBLE_EQ(ini.ReadFloat("S", "huge", 7), 7);
}

TEST(IniFile, FloatTextHasAtMostFifteenSignificantDigits)
{
    const struct {
        double value;
        const char* text;
    } cases[] = {
        { 0.7000000000000001, "0.7" }, { 2.5500000000000003, "2.55" }, { 0.30000000000000004, "0.3" },
        { 0.1, "0.1" }, { 1e-300, "1E-300" }, { -123.456789012345, "-123.456789012345" },
        { 1.2345678901234567, "1.23456789012346" }, { 13.56e6, "13560000" }, { 0, "0" },
        { 1e20, "1E20" }, { 123456789012345.0, "123456789012345" }, { 1e15, "1E15" }, { 0.0001, "0.0001" },
        // Fifteen digits would round past the largest double: written exactly instead.
        { 1.7976931348623157e308, "1.7976931348623157E308" },
    };
    for (const auto& c : cases) {
        IniFile ini;
        ini.WriteFloat("S", "v", c.value);
        EXPECT_EQ(ini.ReadString("S", "v", ""), c.text);
        IniFile again;
        again.LoadFromText(ini.ToText());
        const double back = again.ReadFloat("S", "v", 99);
        EXPECT_NEAR(back, c.value, std::fabs(c.value) * 5e-15) << c.text; // half a unit of the 15th digit
    }
    EXPECT_EQ(IniFile::FloatToIniText(-0.0), "-0");
    double v = 0;
    EXPECT_TRUE(IniFile::IniTextToFloat("NAN", v));
    EXPECT_TRUE(std::isnan(v));
}

TEST(IniFile, RefusesWritesThatWouldNotReadBack)
{
    IniFile ini;
    ini.LoadFromText("[S]\r\nk=1\r\n");
    const std::string before = ini.ToText();
    EXPECT_FALSE(ini.WriteString("S", "k", "two\r\n[Evil]\r\nx=1"));
    EXPECT_FALSE(ini.WriteString("S", "a=b", "1"));
    EXPECT_FALSE(ini.WriteString("S", ";c", "1"));
    EXPECT_FALSE(ini.WriteString("S", "", "1"));
    EXPECT_FALSE(ini.WriteString("S]x", "k", "1"));
    EXPECT_EQ(ini.ToText(), before);
}

TEST(IniFile, UntrustedBytesDoNotCrash)
{
    std::string text = "[Good]\nkeep=yes\n";
    text += std::string(IniFile::kMaxLineLength + 10, 'x') + "\n"; // too long: dropped
    text += std::string("bin\0ary=1\n", 10);                         // NUL: dropped
    for (int i = 0; i < 4096; ++i)
        text += static_cast<char>((i * 37) & 0xFF);
    text += "\n[Good2]\nk=v\n[unterminated\n=novalue\n";
    IniFile ini;
    ini.LoadFromText(text);
    EXPECT_EQ(ini.ReadString("Good", "keep", ""), "yes");
    EXPECT_EQ(ini.ReadString("Good2", "k", ""), "v");
    EXPECT_EQ(ini.ToText().find(std::string(IniFile::kMaxLineLength, 'x')), std::string::npos);
}

TEST(IniFile, LoadAndSaveFiles)
{
    TempDir dir;
    IniFile missing(dir.File("none.orrery"));
    EXPECT_TRUE(missing.Sections().empty());
    EXPECT_TRUE(missing.LastError().empty());

    WriteAll(dir.File("a.ini"), "\xEF\xBB\xBF[S]\nk=1\n"); // byte-order mark, LF ends
    IniFile ini(dir.File("a.ini"));
    EXPECT_EQ(ini.ReadInteger("S", "k", 0), 1);
    ini.WriteInteger("S", "k", 2);
    ASSERT_TRUE(ini.Save()) << ini.LastError();
    EXPECT_EQ(ReadAll(dir.File("a.ini")), "[S]\r\nk=2\r\n");

    IniFile notAFile;
    EXPECT_FALSE(notAFile.Load(dir.Path()));
    EXPECT_FALSE(notAFile.LastError().empty());
}

TEST(IniFile, FailedSaveLeavesOldFileIntact)
{
    TempDir dir;
    const std::string path = dir.File("s.orrery");
    const std::string old = "[S]\r\nk=old\r\n";
    WriteAll(path, old);
    IniFile ini(path);
    ini.WriteString("S", "k", std::string(4096, 'n'));
    {
        testsupport::FileSizeLimit limit(100); // the write stops after 100 bytes
        EXPECT_FALSE(ini.Save());
    }
    EXPECT_NE(ini.LastError().find("Cannot write"), std::string::npos) << ini.LastError();
    EXPECT_EQ(ReadAll(path), old);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()),
                  std::filesystem::directory_iterator()),
        1); // no temporary file left

    // A folder that is a file, and a target that is a folder.
    EXPECT_FALSE(ini.SaveAs(path + "/inner.orrery"));
    EXPECT_FALSE(ini.LastError().empty());
    std::filesystem::create_directory(dir.File("folder"));
    EXPECT_FALSE(ini.SaveAs(dir.File("folder")));
    EXPECT_TRUE(std::filesystem::is_directory(dir.File("folder")));
    EXPECT_EQ(ReadAll(path), old);
}

TEST(IniFile, ReadOnlyFileIsNotReplaced)
{
    TempDir dir;
    const std::string path = dir.File("s.orrery");
    const std::string old = "[S]\r\nk=old\r\n";
    WriteAll(path, old);
    std::filesystem::permissions(path, std::filesystem::perms::owner_read | std::filesystem::perms::group_read
                                           | std::filesystem::perms::others_read); // 444
    IniFile ini(path);
    ini.WriteString("S", "k", "new");
    EXPECT_FALSE(ini.Save());
    EXPECT_EQ(ini.LastError(), "Cannot replace " + path + ": Permission denied");
    EXPECT_EQ(ReadAll(path), old);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()),
                  std::filesystem::directory_iterator()),
        1); // no temporary file left

    // Made writable again, the same file saves.
    std::filesystem::permissions(path, std::filesystem::perms::owner_write, std::filesystem::perm_options::add);
    EXPECT_TRUE(ini.Save()) << ini.LastError();
    EXPECT_NE(ReadAll(path).find("k=new"), std::string::npos);
}

} // namespace

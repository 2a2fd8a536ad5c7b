// What a damaged or hostile settings file, a pipe in place of a file and a save killed half-way
// must not do: block, lose values, slow to a crawl or leave litter.

#include "platform/Inifile.h"
#include "support/Tempdir.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using platform::IniFile;
using testsupport::ReadAll;
using testsupport::TempDir;
using testsupport::WriteAll;

namespace {

TEST(IniFileSafety, LookupsFollowInsertsDeletesAndErasedSections)
{
    IniFile ini;
    ini.LoadFromText("[A]\r\nx=1\r\nX=2\r\n\r\n[B]\r\ny=3\r\n[a]\r\nz=4\r\n");
    EXPECT_EQ(ini.ReadString("a", "X", ""), "1"); // the first key and section of a name win
    EXPECT_EQ(ini.ReadString("A", "z", "none"), "none");
    ASSERT_TRUE(ini.WriteString("A", "new", "5"));
    EXPECT_EQ(ini.ReadString("A", "NEW", ""), "5");
    EXPECT_EQ(ini.ReadSection("A"), (std::vector<std::string> { "x", "new" }));
    EXPECT_EQ(ini.ReadString("A", "new", ""), "5");
    ini.EraseSection("A"); // both sections of that name
    EXPECT_FALSE(ini.SectionExists("A"));
    EXPECT_EQ(ini.ReadString("B", "y", ""), "3");
    EXPECT_EQ(ini.Sections(), (std::vector<std::string> { "B" }));
    ASSERT_TRUE(ini.WriteString("A", "k", "6"));
    EXPECT_EQ(ini.ReadString("a", "K", ""), "6");
    ini.DeleteKeys("B");
    EXPECT_TRUE(ini.SectionExists("B"));
    EXPECT_TRUE(ini.ReadSection("B").empty());
    ASSERT_TRUE(ini.WriteString("B", "y", "7"));
    EXPECT_EQ(ini.ToText(), "[B]\r\ny=7\r\n[A]\r\nk=6\r\n");
}

TEST(IniFileSafety, ManyKeysLoadSaveAndLoadAgain)
{
    // Lookups by index: a file of 100,000 keys goes through in one pass, not one per key.
    std::string text = "[Pane0]\r\n";
    for (int i = 0; i < 100000; ++i)
        text += "Item" + std::to_string(i) + "=v" + std::to_string(i) + "\r\n";
    IniFile ini;
    ini.LoadFromText(text);
    for (int i = 0; i < 100000; i += 997) {
        const std::string n = std::to_string(i);
        ASSERT_EQ(ini.ReadString("pane0", "item" + n, ""), "v" + n);
    }
    for (int i = 100000; i < 100100; ++i)
        ASSERT_TRUE(ini.WriteString("Pane0", "Item" + std::to_string(i), "n"));
    IniFile again;
    again.LoadFromText(ini.ToText());
    EXPECT_EQ(again.ReadSection("Pane0").size(), 100100u);
    EXPECT_EQ(again.ReadString("Pane0", "Item100099", ""), "n");
}

TEST(IniFileSafety, BareCarriageReturnIsDroppedAtLoadSoEveryValueSavesAgain)
{
    IniFile ini;
    ini.LoadFromText("[S]\r\nList Count=2\r\nList1=a\rb\r\nList2=c\r\nKey\r=d\r\n");
    EXPECT_EQ(ini.ReadString("S", "List1", ""), "ab");
    EXPECT_EQ(ini.ReadString("S", "Key", ""), "d");
    const std::string saved = ini.ToText();
    EXPECT_EQ(saved.find("\r\r"), std::string::npos);
    IniFile again;
    again.LoadFromText(saved);
    for (const char* key : { "List Count", "List1", "List2", "Key" })
        EXPECT_EQ(again.ReadString("S", key, "missing"), ini.ReadString("S", key, "x")) << key;
    // Writing a value with the same character is refused, as loading it strips it.
    EXPECT_FALSE(ini.WriteString("S", "List1", "a\rb"));
    EXPECT_EQ(ini.ReadString("S", "List1", ""), "ab");
}

TEST(IniFileSafety, PipeInPlaceOfTheFileIsRefusedWithoutBlocking)
{
    TempDir dir;
    const std::string fifo = dir.File("settings.ini");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    IniFile ini;
    errno = EISDIR; // left over from an earlier call: not this one's reason
    EXPECT_FALSE(ini.Load(fifo));
    EXPECT_NE(ini.LastError().find("not a regular file"), std::string::npos) << ini.LastError();
    ASSERT_TRUE(ini.WriteString("S", "k", "v"));
    EXPECT_FALSE(ini.SaveAs(fifo));
    EXPECT_NE(ini.LastError().find("not a regular file"), std::string::npos) << ini.LastError();
    struct stat st {};
    ASSERT_EQ(stat(fifo.c_str(), &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode)); // left as it was
    std::string error;
    EXPECT_FALSE(platform::WriteFileAtomically(dir.Path(), "x", error)); // a folder neither
}

TEST(IniFileSafety, FolderInPlaceOfTheFileSaysSo)
{
    TempDir dir;
    const std::string folder = dir.File("settings.ini");
    ASSERT_EQ(mkdir(folder.c_str(), 0700), 0);
    IniFile ini;
    errno = EAGAIN; // left by an earlier call: not the reason
    EXPECT_FALSE(ini.Load(folder));
    EXPECT_EQ(ini.LastError(), "Cannot read \"" + folder + "\": not a regular file (a folder)");
    ASSERT_TRUE(ini.WriteString("S", "k", "v"));
    EXPECT_FALSE(ini.SaveAs(folder));
    EXPECT_EQ(ini.LastError(), "Cannot replace " + folder + ": not a regular file (a folder)");
}

TEST(IniFileSafety, SaveRemovesTemporariesOfKilledSaves)
{
    TempDir dir;
    const std::string file = dir.File("a.orrery");
    // A process that has ended: its pid is free.
    const pid_t child = fork();
    if (child == 0)
        _exit(0);
    ASSERT_GT(child, 0);
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    const std::string dead = dir.File(".a.orrery.tmp" + std::to_string(child) + "-3");
    const std::string alive = dir.File(".a.orrery.tmp" + std::to_string(getppid()) + "-0");
    const std::string ours = dir.File(".a.orrery.tmp" + std::to_string(getpid()) + "-9");
    const std::string other = dir.File(".b.orrery.tmp" + std::to_string(child) + "-0");
    const std::string foreign = dir.File(".a.orrery.tmpX-0");
    for (const std::string& f : { dead, alive, ours, other, foreign })
        WriteAll(f, "half");
    IniFile ini;
    ASSERT_TRUE(ini.WriteString("S", "k", "v"));
    ASSERT_TRUE(ini.SaveAs(file)) << ini.LastError();
    EXPECT_FALSE(std::filesystem::exists(dead));
    for (const std::string& f : { alive, ours, other, foreign })
        EXPECT_TRUE(std::filesystem::exists(f)) << f;
    EXPECT_EQ(ReadAll(file), "[S]\r\nk=v\r\n");
}

} // namespace

namespace {

TEST(IniFileSafety, ByteOrderMarkOfALaterLineSurvivesARoundTrip)
{
    // The first line holds a NUL and is dropped; the mark that starts the next must stay.
    IniFile ini;
    const char text[] = "bad\0line\r\n\xEF\xBB\xBFkept\r\n[S]\r\nk=v\r\n";
    ini.LoadFromText(std::string(text, sizeof text - 1));
    IniFile again;
    again.LoadFromText(ini.ToText());
    EXPECT_EQ(again.ToText(), ini.ToText());
    EXPECT_EQ(again.ReadString("S", "k", ""), "v");
}

} // namespace

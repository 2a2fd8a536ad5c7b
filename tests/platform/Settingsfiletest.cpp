#include "platform/Settingsfile.h"
#include "support/Tempdir.h"

#include <gtest/gtest.h>

#include <cstdlib>

using platform::RegistryValue;
using platform::SettingsFile;
using testsupport::ReadAll;
using testsupport::ScopedEnv;
using testsupport::TempDir;
using testsupport::WriteAll;

namespace {

const std::string kKeyPath = "Software\\Quorvane\\Vantrel Orrery";

TEST(SettingsFile, StringsReadBackExactly)
{
    const std::string strings[] = { "", "plain text", "dword:0000002a", "DWORD:1", "hex:01,02",
        "\"quoted\"", "\"", " lead", "trail\t", "a\r\nb", "back\\slash", "x=y;z", "bell\x07",
        "[Section]", "caf\xC3\xA9" };
    for (const std::string& s : strings) {
        RegistryValue v;
        v.text = s;
        const auto back = SettingsFile::DecodeValue(SettingsFile::EncodeValue(v));
        ASSERT_TRUE(back) << s;
        EXPECT_EQ(back->type, RegistryValue::Type::String) << s;
        EXPECT_EQ(back->text, s);
    }
}

TEST(SettingsFile, TypedEncodings)
{
    RegistryValue d;
    d.type = RegistryValue::Type::Dword;
    d.dword = 0xFF;
    EXPECT_EQ(SettingsFile::EncodeValue(d), "dword:000000ff");
    RegistryValue b;
    b.type = RegistryValue::Type::Binary;
    b.bytes = { 0x9a, 0x99, 0xb9, 0x3f };
    EXPECT_EQ(SettingsFile::EncodeValue(b), "hex:9a,99,b9,3f");
    EXPECT_EQ(SettingsFile::DecodeValue("hex:9A, 99,b9,3f")->bytes, b.bytes);
    EXPECT_EQ(SettingsFile::DecodeValue("dword:FFFFFFFF")->dword, 0xFFFFFFFFu);
    EXPECT_TRUE(SettingsFile::DecodeValue("hex:")->bytes.empty());
    // Damaged typed values count as missing; a damaged quoted string is plain text.
    for (const char* bad : { "dword:", "dword:123456789", "dword:xyz", "hex:1", "hex:01,", "hex:zz" })
        EXPECT_FALSE(SettingsFile::DecodeValue(bad)) << bad;
    EXPECT_EQ(SettingsFile::DecodeValue("\"a\"b\"")->text, "\"a\"b\"");
    EXPECT_EQ(SettingsFile::DecodeValue("\"a\\q\"")->text, "\"a\\q\"");
}

TEST(SettingsFile, PathFromEnvironment)
{
    ScopedEnv file(SettingsFile::kPathVariable, nullptr);
    {
        ScopedEnv xdg("XDG_CONFIG_HOME", "/cfg");
        EXPECT_EQ(SettingsFile::PathForKey(kKeyPath), "/cfg/Quorvane/Vantrel Orrery.ini");
    }
    {
        ScopedEnv xdg("XDG_CONFIG_HOME", "relative");
        ScopedEnv home("HOME", "/home/u");
        EXPECT_EQ(SettingsFile::PathForKey(kKeyPath), "/home/u/.config/Quorvane/Vantrel Orrery.ini");
    }
    ScopedEnv set(SettingsFile::kPathVariable, "/tmp/x.ini");
    EXPECT_EQ(SettingsFile::PathForKey(kKeyPath), "/tmp/x.ini");
}

TEST(SettingsFile, SavesCreatingFoldersAndLoadsBack)
{
    TempDir dir;
    ScopedEnv file(SettingsFile::kPathVariable, nullptr);
    ScopedEnv xdg("XDG_CONFIG_HOME", (dir.Path() + "/config").c_str());
    SettingsFile store(kKeyPath);
    ASSERT_TRUE(store.CreateKey("Main"));
    store.WriteDword("Main", "Top", 42);
    store.WriteString("Main", "Name", "dword:7");
    store.WriteBinary("Main", "F", { 1, 2 });
    ASSERT_TRUE(store.Save()) << store.LastError();
    const std::string path = dir.Path() + "/config/Quorvane/Vantrel Orrery.ini";
    const std::string text = ReadAll(path);
    EXPECT_NE(text.find("[Main]\r\nTop=dword:0000002a\r\nName=\"dword:7\"\r\nF=hex:01,02\r\n"),
        std::string::npos)
        << text;
    EXPECT_EQ(text.front(), ';'); // a new file explains its value forms

    SettingsFile again(kKeyPath);
    EXPECT_TRUE(again.KeyExists("main"));
    EXPECT_FALSE(again.KeyExists("Smith"));
    EXPECT_EQ(again.ReadValue("Main", "Top")->dword, 42u);
    EXPECT_EQ(again.ReadValue("Main", "Name")->text, "dword:7");
    again.DeleteValues("Main");
    EXPECT_FALSE(again.ReadValue("Main", "Top"));
    EXPECT_TRUE(again.KeyExists("Main"));
}

TEST(SettingsFile, InterruptedSaveKeepsOldFile)
{
    TempDir dir;
    const std::string path = dir.File("settings.ini");
    ScopedEnv file(SettingsFile::kPathVariable, path.c_str());
    const std::string old = "[Main]\r\nTop=dword:00000001\r\n";
    WriteAll(path, old);
    SettingsFile store(kKeyPath);
    store.WriteString("Main", "Long", std::string(5000, 'z'));
    {
        testsupport::FileSizeLimit limit(64);
        EXPECT_FALSE(store.Save());
    }
    EXPECT_FALSE(store.LastError().empty());
    EXPECT_EQ(ReadAll(path), old);
}

} // namespace

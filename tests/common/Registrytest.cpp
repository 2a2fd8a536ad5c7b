#include "common/Registry.h"
#include "platform/Inifile.h"
#include "support/Tempdir.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>

using platform::IniFile;
using testsupport::ReadAll;
using testsupport::TempDir;
using testsupport::WriteAll;

namespace {

const std::string kKeyPath = "Software\\Quorvane\\Vantrel Orrery";

// Runs each case over both stores: the user's settings file (registry mode) and an INI file.
class RegistryTest : public ::testing::TestWithParam<bool> {
protected:
    bool IniMode() const { return GetParam(); }

    std::unique_ptr<CRegistry> Open(bool reading)
    {
        if (IniMode()) {
            if (!ini_)
                ini_ = std::make_unique<IniFile>(iniPath_);
            return std::make_unique<CRegistry>(kKeyPath, reading, ini_.get());
        }
        return std::make_unique<CRegistry>(kKeyPath, reading);
    }
    // Ends a saving store and brings what it wrote back from the disk.
    void Close(std::unique_ptr<CRegistry>& store)
    {
        const bool reading = store->Reading();
        store.reset();
        if (IniMode() && !reading) {
            ASSERT_TRUE(ini_->Save()) << ini_->LastError();
            ini_.reset();
        }
    }
    // The stored file, whichever store is used.
    std::string StoredFile() const { return IniMode() ? iniPath_ : settingsPath_; }

    TempDir dir_;
    std::string settingsPath_ = dir_.File("registry.ini");
    std::string iniPath_ = dir_.File("panel.orrery");
    testsupport::ScopedEnv env_ { "ORRERY_SETTINGS_FILE", settingsPath_.c_str() };
    std::unique_ptr<IniFile> ini_;
};

TEST_P(RegistryTest, ValuesRoundTripAndMissingKeysKeepDefaults)
{
    const double doubles[] = { 0.1, 1e-300, -123.456789012345, 13.56e6, -0.0, 5e-324 };
    auto store = Open(false);
    store->SetSection("Main");
    store->ExchangeInt("Int", -7);
    store->ExchangeBool("Bool", true);
    store->ExchangeString("Str", "dword:1 \"x\"");
    for (size_t i = 0; i < std::size(doubles); ++i)
        store->ExchangeDouble("D" + std::to_string(i), doubles[i]);
    Close(store);

    store = Open(true);
    store->SetSection("main");
    EXPECT_TRUE(store->SectionExists());
    EXPECT_EQ(store->ExchangeInt("Int", 0), -7);
    EXPECT_TRUE(store->ExchangeBool("Bool", false));
    EXPECT_EQ(store->ExchangeString("Str", ""), "dword:1 \"x\"");
    for (size_t i = 0; i < std::size(doubles); ++i) {
        const std::string n = std::to_string(i);
        const double back = store->ExchangeDouble("D" + n, 42);
        EXPECT_EQ(std::memcmp(&back, &doubles[i], sizeof back), 0) << doubles[i];
    }
    EXPECT_EQ(store->ExchangeInt("Missing", 17), 17);
    EXPECT_FALSE(store->ExchangeBool("Missing", false));
    EXPECT_EQ(store->ExchangeDouble("Missing", 2.5), 2.5);
    EXPECT_EQ(store->ExchangeString("Missing", "dflt"), "dflt");
    EXPECT_EQ(store->ExchangeColor("Missing", 0x80000005u), 0x80000005u);
    EXPECT_EQ(store->ExchangeStringList("Missing", "a,b"), "a,b");
}

TEST_P(RegistryTest, ColourText)
{
    auto store = Open(false);
    store->SetSection("Smith");
    EXPECT_EQ(store->ExchangeColor("Color", 0x0000FF), 0x0000FFu);
    EXPECT_EQ(store->ExchangeString("Other", "0,128,255"), "0,128,255");
    store->ExchangeString("Part", "10,x,7");
    store->ExchangeString("Wrap", "256,-1,511");
    Close(store);
    EXPECT_NE(ReadAll(StoredFile()).find("Color=255,0,0\r\n"), std::string::npos);

    store = Open(true);
    store->SetSection("Smith");
    EXPECT_EQ(store->ExchangeColor("Color", 0), 0x0000FFu);
    EXPECT_EQ(store->ExchangeColor("Other", 0), 0xFF8000u);
    EXPECT_EQ(store->ExchangeColor("Part", 0x332211), 0x33220Au); // scanning stops at "x"
    EXPECT_EQ(store->ExchangeColor("Wrap", 0), 0xFFFF00u);          // each byte modulo 256
}

TEST_P(RegistryTest, StringListWithCount)
{
    auto store = Open(false);
    store->SetSection("Vantrel Orrery");
    store->ExchangeStringList("ModbusList", "site1,\"site 2\",10.0.0.3");
    Close(store);
    const std::string text = ReadAll(StoredFile());
    const char* expected = IniMode()
        ? "ModbusListN=3\r\nModbusList1=site1\r\nModbusList2=site 2\r\nModbusList3=10.0.0.3\r\n"
        : "ModbusListN=dword:00000003\r\nModbusList1=site1\r\nModbusList2=site 2\r\n"
          "ModbusList3=10.0.0.3\r\n";
    EXPECT_NE(text.find(expected), std::string::npos) << text;

    store = Open(true);
    store->SetSection("Vantrel Orrery");
    EXPECT_EQ(store->ExchangeStringList("ModbusList", "old"), "site1,\"site 2\",10.0.0.3");
    EXPECT_EQ(store->ExchangeStringList("ComPortList", "COM1,COM2"), "COM1,COM2");
}

TEST_P(RegistryTest, ClearSectionOnlyWhenSaving)
{
    auto store = Open(false);
    store->SetSection("Vars");
    store->ExchangeString("Var0", "3,3,0,0.5");
    store->ExchangeString("Var1", "1,2,0,100");
    Close(store);

    store = Open(true);
    store->SetSection("Vars");
    store->ClearSection();
    store->ClearAllSections();
    EXPECT_EQ(store->ExchangeString("Var1", ""), "1,2,0,100");
    Close(store);

    store = Open(false);
    store->SetSection("Vars");
    store->ClearSection();
    store->ExchangeString("Var0", "1,1,0,1");
    Close(store);
    store = Open(true);
    store->SetSection("Vars");
    EXPECT_EQ(store->ExchangeString("Var0", ""), "1,1,0,1");
    EXPECT_EQ(store->ExchangeString("Var1", "gone"), "gone");
}

TEST_P(RegistryTest, MissingSectionLeavesLaterSectionsLoading)
{
    auto store = Open(false);
    store->SetSection("Main");
    store->ExchangeInt("Top", 5);
    store->SetSection("Logging");
    store->ExchangeInt("Interval", 250);
    Close(store);

    store = Open(true);
    store->SetSection("Smith");
    EXPECT_FALSE(store->SectionExists());
    EXPECT_EQ(store->ExchangeInt("Top", 9), 9);
    store->SetSection("Logging");
    EXPECT_TRUE(store->SectionExists());
    EXPECT_EQ(store->ExchangeInt("Interval", 1000), 250);
    store->SetSection("Main");
    EXPECT_EQ(store->ExchangeInt("Top", 0), 5);
}

TEST_P(RegistryTest, InterruptedSaveKeepsOldContent)
{
    auto store = Open(false);
    store->SetSection("Main");
    store->ExchangeInt("Top", 1);
    Close(store);
    const std::string old = ReadAll(StoredFile());
    ASSERT_FALSE(old.empty());

    store = Open(false);
    store->SetSection("Main");
    store->ExchangeString("Big", std::string(8000, 'q'));
    bool saved = true;
    {
        testsupport::FileSizeLimit limit(old.size() + 16);
        if (IniMode()) {
            saved = ini_->Save();
        } else {
            saved = store->Flush();
            EXPECT_FALSE(store->LastError().empty());
            saved = saved || store->Flush(); // a retry fails the same way
        }
    }
    EXPECT_FALSE(saved);
    EXPECT_EQ(ReadAll(StoredFile()), old);

    // With room on the disk again the same store saves everything (the destructor retries).
    Close(store);
    store = Open(true);
    store->SetSection("Main");
    EXPECT_EQ(store->ExchangeInt("Top", 0), 1);
    EXPECT_EQ(store->ExchangeString("Big", "").size(), 8000u);
}

INSTANTIATE_TEST_SUITE_P(Stores, RegistryTest, ::testing::Values(false, true),
    [](const auto& info) { return info.param ? "IniFile" : "SettingsFile"; });

TEST(Registry, IntegerColourInSettingsFileLoadsAsIs)
{
    TempDir dir;
    const std::string path = dir.File("registry.ini");
    testsupport::ScopedEnv env("ORRERY_SETTINGS_FILE", path.c_str());
    WriteAll(path, "[Caps]\r\nColor=dword:00ff0080\r\nSys=dword:8000000f\r\nN=2\r\n");
    CRegistry store(kKeyPath, true);
    store.SetSection("Caps");
    EXPECT_EQ(store.ExchangeColor("Color", 0), 0xFF0080u);
    EXPECT_EQ(store.ExchangeColor("Sys", 0), 0x8000000Fu);
    EXPECT_EQ(store.ExchangeInt("N", 5), 5); // a string is not an integer value
}

TEST(Registry, UnreadableSettingsFileIsNeverReplaced)
{
    TempDir dir;
    const std::string path = dir.File("registry.ini");
    testsupport::ScopedEnv env("ORRERY_SETTINGS_FILE", path.c_str());
    WriteAll(path, "[Main]\r\nTop=dword:00000001\r\n");
    const auto tooLarge = static_cast<std::uintmax_t>(IniFile::kMaxFileSize) + 1;
    std::filesystem::resize_file(path, tooLarge); // sparse: refused by its size alone
    {
        CRegistry store(kKeyPath, false);
        store.SetSection("Main");
        store.ExchangeInt("Top", 5);
        EXPECT_FALSE(store.Flush());
        EXPECT_FALSE(store.LastError().empty());
    }
    EXPECT_EQ(std::filesystem::file_size(path), tooLarge);
    std::string head(6, '\0');
    std::ifstream(path, std::ios::binary).read(head.data(), 6);
    EXPECT_EQ(head, "[Main]");
}

TEST(Registry, IniSavingAndOddStores)
{
    IniFile ini;
    ini.LoadFromText("[Other program]\r\nx=1\r\n[Main]\r\nTop=3\r\n");
    {
        CRegistry store(kKeyPath, false, &ini);
        store.ClearAllSections();
        store.SetSection("Vantrel Orrery");
        store.ExchangeBool("B", false);
        store.ExchangeDouble("F", 13.56e6);
    }
    EXPECT_EQ(ini.ToText(), "[Vantrel Orrery]\r\nB=0\r\nF=13560000\r\n");

    // An empty key path without an INI file does nothing at all.
    CRegistry none("", false);
    none.SetSection("Main");
    EXPECT_FALSE(none.SectionExists());
    EXPECT_EQ(none.ExchangeInt("Top", 4), 4);
    EXPECT_EQ(none.ExchangeColor("C", 0x123456), 0x123456u);
    EXPECT_TRUE(none.Flush());
}

TEST(Registry, DamagedCountIsBounded)
{
    IniFile ini;
    ini.LoadFromText("[S]\r\nLN=2000000000\r\nL1=a\r\n");
    CRegistry store(kKeyPath, true, &ini);
    store.SetSection("S");
    const std::string list = store.ExchangeStringList("L", "");
    EXPECT_EQ(list.substr(0, 3), "a,,");
    EXPECT_EQ(std::count(list.begin(), list.end(), ','), CRegistry::MaxListItems - 1);
}

} // namespace

// Sections "Vars" and "Model" of the settings store, through an INI file.

#include "common/Registry.h"
#include "device/Device.h"
#include "device/Var.h"
#include "platform/Inifile.h"

#include <gtest/gtest.h>

#include <regex>

namespace {

std::vector<std::string> Keys(const std::string& text)
{
    std::vector<std::string> keys;
    std::regex key(R"(^([^=\[\r\n]+)=)", std::regex::multiline);
    for (auto it = std::sregex_iterator(text.begin(), text.end(), key); it != std::sregex_iterator(); ++it)
        keys.push_back((*it)[1]);
    return keys;
}

TEST(VarsExchange, SavesSeventeenKeys)
{
    CVars vars;
    vars.Find(2).min = -12.5;
    platform::IniFile ini;
    ini.LoadFromText("[Vars]\r\nVar40=stale\r\n");
    {
        CRegistry store("", false, &ini);
        vars.Exchange(store);
    }
    const std::string text = ini.ToText();
    const auto keys = Keys(text);
    ASSERT_EQ(keys.size(), 17u);
    EXPECT_EQ(keys.front(), "Var0");
    EXPECT_EQ(keys.back(), "Var16");
    EXPECT_NE(text.find("Var0=1,1,0,100"), std::string::npos);
    EXPECT_NE(text.find("Var1=2,1,-12.5,50"), std::string::npos);
    EXPECT_NE(text.find("Var3=23,2,0,1"), std::string::npos);
    EXPECT_NE(text.find("Var10=12,2,0,10"), std::string::npos);
    EXPECT_EQ(text.find("stale"), std::string::npos);
}

TEST(VarsExchange, LoadStopsAtTheFirstMissingKey)
{
    CVars vars;
    platform::IniFile ini;
    ini.LoadFromText("[Vars]\r\nVar0=3,3,0,0.5\r\nVar2=1,5,0,10\r\n");
    CRegistry store("", true, &ini);
    vars.Exchange(store);
    EXPECT_EQ(vars.Find(3).decimals, 3);
    EXPECT_EQ(vars.Find(3).max, 0.5);
    EXPECT_EQ(vars.Find(1).decimals, 1); // Var2 is behind the gap

    // Malformed texts change at most what scans; an unknown id reaches only the "Unknown" row.
    ini.LoadFromText("[Vars]\r\nVar0=4,x,7,7\r\nVar1=99,4,1,2\r\nVar2=5,2,abc\r\n");
    CRegistry again("", true, &ini);
    vars.Exchange(again);
    EXPECT_EQ(vars.Find(4).decimals, 0);
    EXPECT_EQ(vars.Find(4).max, 1000);
    EXPECT_EQ(vars.Find(5).decimals, 2);
    EXPECT_EQ(vars.Find(5).min, 0);
    EXPECT_EQ(vars.Find(-1).decimals, 4);
}

TEST(VarsExchange, LoadKeepsDecimalsInTheDialogsRangeAndRangesOrdered)
{
    const CVars defaults;
    CVars vars;
    platform::IniFile ini;
    ini.LoadFromText("[Vars]\r\nVar0=1,99,5,-5\r\nVar1=2,-3,10,10\r\nVar2=3,4,nan,1\r\n"
                     "Var3=23,12,0.2,0.8\r\nVar4=4,1,-inf,5\r\nVar5=5,3,2000\r\n");
    CRegistry store("", true, &ini);
    vars.Exchange(store);
    EXPECT_EQ(vars.Find(1).decimals, CVars::MaxDecimals);
    EXPECT_EQ(vars.Find(2).decimals, CVars::MinDecimals);
    EXPECT_EQ(vars.Find(3).decimals, 4);
    EXPECT_EQ(vars.Find(23).decimals, CVars::MaxDecimals);
    // A minimum not below the maximum, or not a finite number, leaves the range as it was.
    for (int id : {1, 2, 3, 4, 5}) {
        EXPECT_EQ(vars.Find(id).min, defaults.Find(id).min) << id;
        EXPECT_EQ(vars.Find(id).max, defaults.Find(id).max) << id;
    }
    EXPECT_EQ(vars.Find(23).min, 0.2);
    EXPECT_EQ(vars.Find(23).max, 0.8);
}

TEST(ModelExchange, KeysInOrderAndRoundTrip)
{
    CDevice a;
    a.Model().freq = 27.12;
    a.Model().modelType = 1;
    a.Cap(2).cMax = 250;
    a.Model().xtarget = -3.5;
    platform::IniFile ini;
    {
        CRegistry store("", false, &ini);
        a.LoadModel(store);
    }
    const std::vector<std::string> expected{
        "Freq", "Lser", "Lsh", "Cpar", "Cout", "TLsh", "TCpar", "ModelType", "CShMin", "CShMax",
        "CSerMin", "CSerMax", "C3capMin", "C3capMax", "vswr_stop", "vswr_start", "rfl_stop",
        "rfl_start", "max_sh_step", "max_ser_step", "min_ser_step", "rtoshunt", "xtoshunt",
        "rtoseries", "xtoseries", "algorithm", "rtarget", "xtarget"};
    EXPECT_EQ(Keys(ini.ToText()), expected);

    CDevice b;
    CRegistry load("", true, &ini);
    b.LoadModel(load);
    EXPECT_EQ(b.Model().freq, 27.12);
    EXPECT_EQ(b.Model().modelType, 1);
    EXPECT_EQ(b.Cap(2).cMax, 250);
    EXPECT_EQ(b.Model().xtarget, -3.5);
    EXPECT_EQ(b.Model().lser, 1000);

    // Missing keys keep their values.
    platform::IniFile empty;
    CRegistry none("", true, &empty);
    b.LoadModel(none);
    EXPECT_EQ(b.Model().freq, 27.12);
}

} // namespace

#include "panel/Chartsettings.h"

#include "common/Registry.h"
#include "panel/Smithchart.h"
#include "platform/Inifile.h"
#include "support/Tempdir.h"

#include <gtest/gtest.h>

namespace {

constexpr int ScreenW = 1280;
constexpr int ScreenH = 1024;

CChartSettings RoundTrip(const CChartSettings& saved, const std::string& section,
                         std::string* text = nullptr)
{
    testsupport::TempDir dir;
    const std::string file = dir.File("rig.orrery");
    {
        platform::IniFile ini(file);
        CRegistry store("", false, &ini);
        CChartSettings copy = saved;
        copy.Exchange(store, section, CSmithChart::ModeCount, ScreenW, ScreenH);
        EXPECT_TRUE(ini.Save()) << ini.LastError();
    }
    if (text)
        *text = testsupport::ReadAll(file);
    platform::IniFile ini;
    EXPECT_TRUE(ini.Load(file));
    CRegistry store("", true, &ini);
    CChartSettings loaded;
    loaded.Exchange(store, section, CSmithChart::ModeCount, ScreenW, ScreenH);
    return loaded;
}

TEST(ChartSettings, SectionRoundTripWithItsKeysInOrder)
{
    CChartSettings s;
    s.Top = 120;
    s.Left = 640;
    s.PlaceStored = true;
    s.Width = 333;
    s.Height = 444;
    s.Visible = true;
    s.StatusVisible = false;
    s.StatusMode = 3;
    s.Samples = 100;
    s.Style = CChartSettings::StyleNormal;
    s.Color = 0x0080FF;
    std::string text;
    const CChartSettings l = RoundTrip(s, "Smith", &text);
    EXPECT_EQ(l.Top, 120);
    EXPECT_EQ(l.Left, 640);
    EXPECT_EQ(l.Width, 333);
    EXPECT_EQ(l.Height, 444);
    EXPECT_TRUE(l.Visible);
    EXPECT_FALSE(l.StatusVisible);
    EXPECT_EQ(l.StatusMode, 3);
    EXPECT_EQ(l.Samples, 100);
    EXPECT_EQ(l.Style, CChartSettings::StyleNormal);
    EXPECT_EQ(l.Color, 0x0080FFu);
    EXPECT_EQ(text, "[Smith]\r\nTop=120\r\nLeft=640\r\nWidth=333\r\nHeight=444\r\nVisible=1\r\n"
                    "Status=0\r\nStatusMode=3\r\nSamples=100\r\nStyle=0\r\nColor=255,128,0\r\n");
    EXPECT_EQ(RoundTrip(s, "Caps").Samples, 100);
}

TEST(ChartSettings, AWindowWithoutAPlaceOfItsOwnSavesNoneAndLoadsNone)
{
    // Never shown, so placed nowhere yet: the next start places it beside the main window.
    CChartSettings s;
    s.Top = 0;
    s.Left = 0;
    std::string text;
    CChartSettings l = RoundTrip(s, "Smith", &text);
    EXPECT_EQ(text.find("Top="), std::string::npos) << text;
    EXPECT_EQ(text.find("Left="), std::string::npos) << text;
    EXPECT_FALSE(l.PlaceStored);
    s.PlaceStored = true;
    s.Top = 70;
    l = RoundTrip(s, "Smith", &text);
    EXPECT_TRUE(l.PlaceStored);
    EXPECT_EQ(l.Top, 70);
}

TEST(ChartSettings, PositionPulledBackOntoTheScreen)
{
    CChartSettings s;
    s.Top = 5000;
    s.Left = 5000;
    s.PlaceStored = true;
    CChartSettings l = RoundTrip(s, "Caps");
    EXPECT_EQ(l.Top, ScreenH - 100);
    EXPECT_EQ(l.Left, ScreenW - 100);
    s.Top = -400; // a screen on the left that is gone
    s.Left = -1;
    l = RoundTrip(s, "Caps");
    EXPECT_EQ(l.Top, 0);
    EXPECT_EQ(l.Left, 0);
}

TEST(ChartSettings, ValuesOutOfRangeKeepTheCurrentOnes)
{
    testsupport::TempDir dir;
    const std::string file = dir.File("bad.orrery");
    testsupport::WriteAll(file, "[Smith]\r\nWidth=-3\r\nHeight=0\r\nStatusMode=4\r\nSamples=1000\r\n"
                                "Style=7\r\nVisible=1\r\n");
    platform::IniFile ini;
    ASSERT_TRUE(ini.Load(file));
    CRegistry store("", true, &ini);
    CChartSettings s;
    s.Width = 250;
    s.Height = 260;
    s.StatusMode = 2;
    s.Samples = 10;
    s.Exchange(store, "Smith", CSmithChart::ModeCount, ScreenW, ScreenH);
    EXPECT_EQ(s.Width, 250);
    EXPECT_EQ(s.Height, 260);
    EXPECT_EQ(s.StatusMode, 2);
    EXPECT_EQ(s.Samples, 10);
    EXPECT_EQ(s.Style, CChartSettings::StyleStayOnTop);
    EXPECT_TRUE(s.Visible);
    EXPECT_EQ(CChartSettings::Caption("", "Capacitors"), "Capacitors");
    EXPECT_EQ(CChartSettings::Caption("Rig 2", "Smith Chart"), "Rig 2 - Smith Chart");
}

TEST(ChartSettings, ATitleBesideTheProgramsCaptionNamesTheHeaderOnce)
{
    EXPECT_EQ(CChartSettings::BesideProgram("Bench A - Capacitors", "Bench A - Vantrel Orrery"),
              "Capacitors");
    EXPECT_EQ(CChartSettings::BesideProgram("Capacitors", "Vantrel Orrery"), "Capacitors");
    // A header the program's caption does not carry stays.
    EXPECT_EQ(CChartSettings::BesideProgram("Bench A - Logging", "Vantrel Orrery"),
              "Bench A - Logging");
    EXPECT_EQ(CChartSettings::BesideProgram("Bench A - Logging", "Bench B - Vantrel Orrery"),
              "Bench A - Logging");
    // A header with the separator in it goes whole.
    EXPECT_EQ(CChartSettings::BesideProgram("Rig - 2 - Smith Chart", "Rig - 2 - Vantrel Orrery"),
              "Smith Chart");
    EXPECT_EQ(CChartSettings::BesideProgram("A - Smith Chart", ""), "A - Smith Chart");
}

} // namespace

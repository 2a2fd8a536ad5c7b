#include "common/Helpers.h"
#include "common/Registry.h"
#include "panel/Mainsettings.h"
#include "panel/Settings.h"
#include "platform/Inifile.h"
#include "support/Tempdir.h"

#include <gtest/gtest.h>

namespace {

CSettings Changed()
{
    CSettings s;
    s.ReadTimerInterval = 250;
    s.MaxReadErrors = 9;
    s.UseMaxReadErrors = false;
    s.InterfaceIndex = 1;
    s.BaudRate = "38400";
    s.Addr = 7;
    s.Timeout = 900;
    s.TCPPort = 1502;
    s.UnitNumber = 3;
    s.AutoFinding = true;
    s.ConnectAtStartup = true;
    s.Caption = "Bench 4";
    s.Transport = 1;
    return s;
}

TEST(Settings, SectionRoundTripThroughSettingsFile)
{
    platform::IniFile ini;
    CSettings saved = Changed();
    {
        CRegistry store("Software\\Quorvane\\Vantrel Orrery", false, &ini);
        saved.Exchange(store, true);
    }
    EXPECT_EQ(ini.ReadString("Settings", "Header", "?"), "Bench 4");
    EXPECT_EQ(ini.ReadInteger("Settings", "ReadTimer", 0), 250);
    EXPECT_FALSE(ini.ValueExists("Settings", "Transport"));
    EXPECT_EQ(ini.ReadSection("Settings"),
              (std::vector<std::string>{"ReadTimer", "MaxReadErrors", "UseMaxReadErrors",
                                        "Interface", "BaudRate", "Addr", "Timeout", "TCPPort",
                                        "UnitNumber", "AutoFinding", "ConnectAtStartup",
                                        "Header"}));

    CSettings loaded;
    CRegistry store("Software\\Quorvane\\Vantrel Orrery", true, &ini);
    loaded.Exchange(store, true);
    EXPECT_EQ(loaded.ReadTimerInterval, 250);
    EXPECT_EQ(loaded.MaxReadErrors, 9);
    EXPECT_FALSE(loaded.UseMaxReadErrors);
    EXPECT_EQ(loaded.InterfaceIndex, 1);
    EXPECT_EQ(loaded.BaudRate, "38400");
    EXPECT_EQ(loaded.Addr, 7);
    EXPECT_EQ(loaded.Timeout, 900);
    EXPECT_EQ(loaded.TCPPort, 1502);
    EXPECT_EQ(loaded.UnitNumber, 3);
    EXPECT_TRUE(loaded.AutoFinding);
    EXPECT_TRUE(loaded.ConnectAtStartup);
    EXPECT_EQ(loaded.Caption, "Bench 4");
    EXPECT_EQ(loaded.Transport, 0); // not exchanged
}

TEST(Settings, RegistryKeepsNoHeader)
{
    CSettings saved = Changed();
    {
        CRegistry store("Software\\Quorvane\\Vantrel Orrery", false);
        saved.Exchange(store, false);
    }
    CSettings loaded;
    CRegistry store("Software\\Quorvane\\Vantrel Orrery", true);
    loaded.Exchange(store, false);
    EXPECT_EQ(loaded.Caption, "");
    EXPECT_EQ(loaded.ReadTimerInterval, 250);
    EXPECT_EQ(loaded.BaudRate, "38400");
}

TEST(Settings, MissingKeysKeepCurrentValues)
{
    platform::IniFile ini;
    ini.LoadFromText("[Settings]\r\nAddr=5\r\n");
    CSettings s;
    s.Addr = 2;
    s.Timeout = 500;
    CRegistry store("k", true, &ini);
    s.Exchange(store, true);
    EXPECT_EQ(s.Addr, 5);
    EXPECT_EQ(s.Timeout, 500);
    EXPECT_EQ(s.BaudRate, "19200");
}

TEST(Settings, BaudTextAndLists)
{
    CSettings s;
    s.BaudRate = "fast";
    EXPECT_EQ(s.BaudRateValue(), 0);
    s.BaudRate = "9600";
    EXPECT_EQ(s.BaudRateValue(), 9600);
    s.InterfaceIndex = 1;
    EXPECT_EQ(s.CurrentBaudList(), "57600,38400,19200,9600");
    s.InterfaceIndex = 7;
    EXPECT_EQ(s.CurrentBaudList(), "19200,9600,4800,1200");
}

TEST(MainSettings, AutoTestKeysGoToModelAndPositionIsPulledBack)
{
    platform::IniFile ini;
    CMainSettings saved;
    saved.Top = 3000;
    saved.Left = 4000;
    saved.TracesRFOn = true;
    saved.Style.PlotSize = 120;
    saved.AutoTestMode = 2;
    saved.AutoTestN = 17;
    saved.AutoTestT = 2.5;
    std::vector<std::string> order;
    CMainSettings::Parts parts;
    parts.Vars = [&](CRegistry& s) { order.push_back("Vars"); s.SetSection("Vars"); };
    parts.Model = [&](CRegistry& s) {
        order.push_back("Model");
        s.SetSection("Model");
        s.ExchangeDouble("Freq", 13.56);
    };
    parts.Pane0 = [&](CRegistry& s) { order.push_back("Pane0"); s.SetSection("Pane0"); };
    parts.Pane1 = [&](CRegistry& s) { order.push_back("Pane1"); s.SetSection("Pane1"); };
    {
        CRegistry store("k", false, &ini);
        saved.Exchange(store, parts, 1280, 1024);
    }
    EXPECT_EQ(order, (std::vector<std::string>{"Vars", "Model", "Pane0", "Pane1", "Model"}));
    EXPECT_EQ(ini.ReadInteger("Model", "AutoTestN", 0), 17);
    EXPECT_FALSE(ini.ValueExists("Main", "AutoTestN"));
    EXPECT_EQ(ini.ReadSection("Main"),
              (std::vector<std::string>{"Top", "Left", "DisAudio", "ValueFontSize",
                                        "BarFontSize", "PlotFontSize", "PlotSize", "TracesRFOn",
                                        "LogFormat1", "LogFormat2", "LogFormat3", "LogFormat4",
                                        "LogFormat5"}));

    CMainSettings loaded;
    CRegistry store("k", true, &ini);
    loaded.Exchange(store, {}, 1280, 1024);
    EXPECT_EQ(loaded.Top, 924);
    EXPECT_EQ(loaded.Left, 1180);
    EXPECT_TRUE(loaded.TracesRFOn);
    EXPECT_EQ(loaded.Style.PlotSize, 120);
    EXPECT_EQ(loaded.AutoTestMode, 2);
    EXPECT_EQ(loaded.AutoTestN, 17);
    EXPECT_DOUBLE_EQ(loaded.AutoTestT, 2.5);
}

TEST(MainSettings, PositionLeftOfOrAboveTheScreenIsPulledBack)
{
    platform::IniFile ini;
    CMainSettings saved;
    saved.Top = -2000; // a monitor that is gone
    saved.Left = -40;
    {
        CRegistry store("k", false, &ini);
        saved.Exchange(store, {}, 1280, 1024);
    }
    EXPECT_EQ(ini.ReadInteger("Main", "Left", 0), -40);
    CMainSettings loaded;
    CRegistry store("k", true, &ini);
    loaded.Exchange(store, {}, 1280, 1024);
    EXPECT_EQ(loaded.Top, 0);
    EXPECT_EQ(loaded.Left, 0);
    // A screen smaller than the margin keeps the window at its start.
    EXPECT_EQ(PositionOnScreen(500, 60, CMainSettings::ScreenMargin), 0);
    EXPECT_EQ(PositionOnScreen(300, 1280, CMainSettings::ScreenMargin), 300);
}

} // namespace

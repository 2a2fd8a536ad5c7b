#include "Scripted.h"

#include "common/Registry.h"
#include "device/Device.h"
#include "panel/Mainsettings.h"
#include "panel/Orrery.h"
#include "panel/Version.h"
#include "platform/Inifile.h"
#include "platform/Settingsfile.h"
#include "simunit/Simcommandset.h"
#include "support/Simfixture.h"
#include "support/Tempdir.h"

#include <cstdio>
#include <sys/stat.h>
#include <filesystem>
#include <gtest/gtest.h>

namespace {

class ControllerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::remove(platform::SettingsFile::PathForKey("Software\\Quorvane\\Vantrel Orrery").c_str());
        controller.AttachDevice(&device);
        view.programDir = dir.Path() + "/";
    }
    void TearDown() override
    {
        controller.AttachDevice(nullptr);
        std::remove(platform::SettingsFile::PathForKey("Software\\Quorvane\\Vantrel Orrery").c_str());
    }

    // Start-up as the main window runs it, for a released build.
    void Start()
    {
        controller.SetVersionText("D.00");
        ASSERT_TRUE(controller.Startup());
    }

    bool Shown(const std::string& kind, const std::string& caption, const std::string& text) const
    {
        for (const auto& m : hooks.shown)
            if (m.kind == kind && m.caption == caption && m.text == text)
                return true;
        return false;
    }

    testsupport::TempDir dir;
    ScriptedHooks hooks;
    ScriptedView view;
    CDevice device;
    COrrery controller{view};
};

// --- start-up ---------------------------------------------------------------------------------

TEST_F(ControllerTest, StartupRunsOnceAndLeavesDemoMode)
{
    EXPECT_TRUE(controller.IsDemo());
    Start();
    EXPECT_EQ(view.splashShown, 1);
    EXPECT_EQ(view.disclaimerShown, 0);
    EXPECT_EQ(view.allPageReads, 1); // the demo unit's pages
    EXPECT_EQ(view.unitSetupReads, 0);
    EXPECT_FALSE(controller.IsDemo());
    EXPECT_TRUE(view.statusTimerOn);
    EXPECT_EQ(view.mainCaption, "Vantrel Orrery");
    EXPECT_EQ(view.siteItems, (std::vector<std::string>{"Local gateway"}));
    EXPECT_TRUE(view.ui.DemoEnabled);
    EXPECT_FALSE(view.ui.DemoChecked);

    EXPECT_FALSE(controller.Startup());
    EXPECT_EQ(view.splashShown, 1);
    EXPECT_EQ(view.allPageReads, 1);
}

TEST_F(ControllerTest, UnreleasedBuildAsksAndCarriesTheCaptionSuffix)
{
    controller.SetVersionText("D.01");
    view.acceptDisclaimer = true;
    ASSERT_TRUE(controller.Startup());
    EXPECT_EQ(view.disclaimerShown, 1);
    EXPECT_EQ(view.disclaimerCaption, "Vantrel Orrery");
    EXPECT_EQ(hooks.beeps, 1);
    EXPECT_EQ(view.mainCaption, "Vantrel Orrery   (UNRELEASED PRELIMINARY VERSION)");
    for (const char* v : {"_.00", "D.10", "D.01"})
        EXPECT_TRUE(orrery::IsUnreleased(v)) << v;
    EXPECT_FALSE(orrery::IsUnreleased("D.00"));
}

TEST_F(ControllerTest, DecliningTheDisclaimerLeavesTheSettingsStoreUntouched)
{
    const std::string store = platform::SettingsFile::PathForKey("Software\\Quorvane\\Vantrel Orrery");
    const std::string before = "[Vantrel Orrery]\r\nConnMode=dword:00000001\r\n";
    testsupport::WriteAll(store, before);

    controller.SetVersionText("_.00");
    view.acceptDisclaimer = false;
    EXPECT_FALSE(controller.Startup());
    EXPECT_EQ(view.unitSetupReads, 0);
    EXPECT_EQ(controller.ConnMode(), 0); // nothing was loaded
    EXPECT_TRUE(controller.CloseQuery());
    EXPECT_EQ(testsupport::ReadAll(store), before);
}

TEST_F(ControllerTest, CloseSavesTheLoadedSettings)
{
    Start();
    view.portText = "/dev/ttyS3";
    controller.PushSite("unit-a");
    EXPECT_TRUE(controller.CloseQuery());

    ScriptedView view2;
    COrrery second(view2);
    second.SetVersionText("D.00");
    ASSERT_TRUE(second.Startup());
    EXPECT_EQ(view2.portText, "/dev/ttyS3");
    EXPECT_EQ(second.ModbusList(), "unit-a");
}

TEST(SettingsFileArgument, LastOrreryArgumentWinsAndBareNamesAreInTheProgramFolder)
{
    struct Case {
        std::vector<std::string> args;
        std::string expected;
    };
    const std::vector<Case> cases = {
        {{}, ""},
        {{"a.orrery"}, "/opt/o/a.orrery"},
        {{"/home/u/a.orrery", "b.ORRERY", "c.orrery", "-x"}, "/opt/o/c.orrery"},
        {{"x/a.orrery", "b.ORRERY"}, "x/a.orrery"},
        {{"dir.orrery/file"}, ""},
        {{"C:\\s\\a.orrery"}, "C:\\s\\a.orrery"},
        {{"dir.v2/settings.orrery"}, "dir.v2/settings.orrery"},
        {{".orrery"}, "/opt/o/.orrery"},
        {{"a.orrery.bak"}, ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(COrrery::SettingsFileFromArguments(c.args, "/opt/o/"), c.expected)
            << (c.args.empty() ? "" : c.args.front());
}

TEST_F(ControllerTest, StartupLoadsTheSettingsFileOfTheCommandLine)
{
    const std::string file = dir.File("bench.orrery");
    testsupport::WriteAll(file, "[Vantrel Orrery]\r\nComPort=/dev/pts/9\r\n[Settings]\r\nHeader=Rig 2\r\n");
    view.args = {"bench.orrery"}; // taken from the program's folder
    Start();
    EXPECT_EQ(controller.SettingsFileName(), file);
    EXPECT_EQ(view.portText, "/dev/pts/9");
    EXPECT_EQ(view.mainCaption, "Rig 2 - Vantrel Orrery");
    EXPECT_EQ(view.loggingCaption, "Rig 2 - Logging");
}

TEST_F(ControllerTest, MissingCommandLineFileIsReportedAndNotKept)
{
    view.args = {dir.File("none.orrery")};
    Start();
    EXPECT_TRUE(Shown("warning", "Load settings", "File  " + dir.File("none.orrery") + "  does not exist"));
    EXPECT_EQ(controller.SettingsFileName(), "");
}

// --- settings files ---------------------------------------------------------------------------

TEST_F(ControllerTest, SettingsFileRoundTripOfProgramAndMainSections)
{
    CMainSettings main;
    view.mainExchange = [&](CRegistry& s) { main.Exchange(s, {}, 1920, 1080); };
    Start();
    view.portText = "/dev/pts/4";
    view.siteText = "unit-b";
    controller.PushSite("unit-a");
    controller.PushSite("unit-b");
    main.Top = 120;
    main.TracesRFOn = true;
    main.Style.ValueFontSize = 22;
    controller.Settings().Caption = "Rig";
    controller.Settings().ReadTimerInterval = 400;

    const std::string file = dir.File("s.orrery");
    testsupport::WriteAll(file, "[Other program]\r\nKey=1\r\n");
    ASSERT_TRUE(controller.WriteSettingsFile(file));
    EXPECT_EQ(controller.SettingsFileName(), file);

    platform::IniFile ini(file);
    EXPECT_FALSE(ini.SectionExists("Other program")); // the file is rewritten from scratch
    EXPECT_EQ(ini.Sections()[0], "Vantrel Orrery");
    EXPECT_EQ(ini.ReadSection("Vantrel Orrery"),
              (std::vector<std::string>{"ComPort", "Remote", "ModbusListN", "ModbusList1",
                                        "ModbusList2", "ComPortListN", "ConnMode"}));
    EXPECT_EQ(ini.ReadString("Vantrel Orrery", "ModbusList1", ""), "unit-b");

    view.portText = "x";
    view.siteText = "y";
    controller.PushSite("unit-c");
    main = CMainSettings{};
    controller.Settings().Caption = "";
    ASSERT_TRUE(controller.LoadSettingsFile(file));
    EXPECT_EQ(view.portText, "/dev/pts/4");
    EXPECT_EQ(view.siteText, "unit-b");
    EXPECT_EQ(controller.ModbusList(), "unit-b,unit-a");
    EXPECT_EQ(view.siteItems, (std::vector<std::string>{"Local gateway", "unit-b", "unit-a"}));
    EXPECT_EQ(main.Top, 120);
    EXPECT_TRUE(main.TracesRFOn);
    EXPECT_EQ(main.Style.ValueFontSize, 22);
    EXPECT_EQ(controller.Settings().Caption, "Rig");
    EXPECT_EQ(view.timerInterval, 400);
}

TEST_F(ControllerTest, FileWithoutProgramSectionIsRefusedAndChangesNothing)
{
    CMainSettings main;
    view.mainExchange = [&](CRegistry& s) { main.Exchange(s, {}, 1920, 1080); };
    Start();
    const std::string good = dir.File("good.orrery");
    ASSERT_TRUE(controller.WriteSettingsFile(good));

    const std::string bad = dir.File("bad.orrery");
    testsupport::WriteAll(bad, "[Main]\r\nTop=5\r\n[Settings]\r\nAddr=9\r\nHeader=X\r\n");
    view.portText = "keep";
    main.Top = 77;
    EXPECT_FALSE(controller.LoadSettingsFile(bad));
    EXPECT_TRUE(Shown("warning", "Load settings",
                      "Wrong settings file\nSection 'Vantrel Orrery' does not exist"));
    EXPECT_EQ(view.portText, "keep");
    EXPECT_EQ(main.Top, 77);
    EXPECT_EQ(controller.Settings().Addr, 1);
    EXPECT_EQ(controller.Settings().Caption, "");
    EXPECT_EQ(controller.SettingsFileName(), good);
}

TEST_F(ControllerTest, EmptyProgramSectionLoadsAndKeepsEveryValue)
{
    Start();
    const std::string file = dir.File("empty.orrery");
    testsupport::WriteAll(file, "[Vantrel Orrery]\r\n");
    view.portText = "keep";
    controller.PushSite("a");
    EXPECT_TRUE(controller.LoadSettingsFile(file));
    EXPECT_EQ(view.portText, "keep");
    EXPECT_EQ(controller.ModbusList(), "a");
    EXPECT_EQ(controller.SettingsFileName(), file);
}

TEST_F(ControllerTest, PipeFolderOrDeviceAsSettingsFileSaysWhatItIs)
{
    Start();
    const std::string fifo = dir.File("pipe.orrery");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    const std::pair<std::string, std::string> cases[] = {
        {fifo, "a named pipe"}, {dir.Path(), "a folder"}, {"/dev/null", "a device"}};
    for (const auto& [path, kind] : cases) {
        view.openName = path;
        controller.LoadSettings();
        ASSERT_FALSE(hooks.shown.empty());
        const ShownMessage& m = hooks.shown.back();
        EXPECT_EQ(m.caption, "Load settings");
        EXPECT_EQ(m.text, "Can't read " + path + "\nCannot read \"" + path + "\": not a regular file (" + kind + ")");
        EXPECT_EQ(controller.SettingsFileName(), "");
    }
}

TEST_F(ControllerTest, StoreThatIsNotSettingsTextIsToldOnceAndNeverWrittenOver)
{
    const std::string path = dir.File("registry.ini");
    testsupport::ScopedEnv env("ORRERY_SETTINGS_FILE", path.c_str());
    static const char bytes[] = "[Vantrel Orrery]\r\nComPort=COM9\r\n\x89PNG\0\0\x01\r\n";
    const std::string binary(bytes, sizeof bytes - 1);
    testsupport::WriteAll(path, binary);
    Start();
    ASSERT_EQ(hooks.shown.size(), 1u);
    EXPECT_EQ(hooks.shown[0].caption, "Vantrel Orrery");
    EXPECT_EQ(hooks.shown[0].text, "Can't read the settings\nCannot read \"" + path +
                                       "\": not a settings file (it holds lines that are not text)");
    EXPECT_TRUE(controller.CloseQuery());
    EXPECT_EQ(hooks.shown.size(), 1u);
    EXPECT_EQ(testsupport::ReadAll(path), binary);
}

TEST_F(ControllerTest, UnwritableSettingsFileIsReportedWithTheSystemText)
{
    Start();
    const std::string file = dir.File("missing-folder/s.orrery");
    EXPECT_FALSE(controller.WriteSettingsFile(file));
    ASSERT_FALSE(hooks.shown.empty());
    const ShownMessage& m = hooks.shown.back();
    EXPECT_EQ(m.kind, "warning");
    EXPECT_EQ(m.caption, "Save settings");
    EXPECT_NE(m.text.find("No such file or directory"), std::string::npos) << m.text;
    EXPECT_EQ(controller.SettingsFileName(), "");
}

TEST_F(ControllerTest, UnreadableStoreIsToldOnceAndNeverWrittenOver)
{
    const std::string path = dir.File("registry.ini");
    testsupport::ScopedEnv env("ORRERY_SETTINGS_FILE", path.c_str());
    testsupport::WriteAll(path, "[Vantrel Orrery]\r\nComPort=COM9\r\n");
    const auto tooLarge = static_cast<std::uintmax_t>(platform::IniFile::kMaxFileSize) + 1;
    std::filesystem::resize_file(path, tooLarge); // refused by its size alone
    Start();
    ASSERT_EQ(hooks.shown.size(), 1u);
    EXPECT_EQ(hooks.shown[0].kind, "warning");
    EXPECT_EQ(hooks.shown[0].caption, "Vantrel Orrery");
    EXPECT_EQ(hooks.shown[0].text.rfind("Can't read the settings\n", 0), 0u) << hooks.shown[0].text;
    EXPECT_NE(hooks.shown[0].text.find(path), std::string::npos) << hooks.shown[0].text;
    EXPECT_TRUE(controller.CloseQuery());
    EXPECT_EQ(hooks.shown.size(), 1u); // the refusal to save is not told again
    EXPECT_EQ(std::filesystem::file_size(path), tooLarge);
}

TEST_F(ControllerTest, StoreThatCannotBeSavedAtCloseIsTold)
{
    const std::string path = dir.File("registry.ini");
    testsupport::ScopedEnv env("ORRERY_SETTINGS_FILE", path.c_str());
    testsupport::WriteAll(path, "[Vantrel Orrery]\r\nComPort=COM9\r\n");
    std::filesystem::permissions(path, std::filesystem::perms::owner_read | std::filesystem::perms::group_read
                                           | std::filesystem::perms::others_read);
    Start();
    EXPECT_TRUE(hooks.shown.empty());
    EXPECT_EQ(view.portText, "COM9");
    EXPECT_TRUE(controller.CloseQuery());
    ASSERT_EQ(hooks.shown.size(), 1u);
    EXPECT_EQ(hooks.shown[0].caption, "Vantrel Orrery");
    EXPECT_EQ(hooks.shown[0].text, "Can't save the settings\nCannot replace " + path + ": Permission denied");
    EXPECT_EQ(testsupport::ReadAll(path), "[Vantrel Orrery]\r\nComPort=COM9\r\n");
}

TEST_F(ControllerTest, ReadOnlySettingsFileIsRefusedAndKept)
{
    Start();
    const std::string file = dir.File("kept.orrery");
    testsupport::WriteAll(file, "[Vantrel Orrery]\r\nComPort=COM9\r\n");
    std::filesystem::permissions(file, std::filesystem::perms::owner_read | std::filesystem::perms::group_read
                                           | std::filesystem::perms::others_read);
    EXPECT_FALSE(controller.WriteSettingsFile(file));
    ASSERT_FALSE(hooks.shown.empty());
    EXPECT_EQ(hooks.shown.back().caption, "Save settings");
    EXPECT_NE(hooks.shown.back().text.find("Permission denied"), std::string::npos) << hooks.shown.back().text;
    EXPECT_EQ(testsupport::ReadAll(file), "[Vantrel Orrery]\r\nComPort=COM9\r\n");
}

TEST_F(ControllerTest, SaveWithoutFileNameAsksForOne)
{
    Start();
    view.saveName = dir.File("asked.orrery");
    controller.SaveSettings();
    EXPECT_EQ(controller.SettingsFileName(), view.saveName);
    EXPECT_TRUE(std::filesystem::exists(view.saveName));
    view.saveName.clear();
    controller.SaveSettings(); // saves to the same file without asking
    EXPECT_EQ(controller.SettingsFileName(), dir.File("asked.orrery"));
}

// --- lock -------------------------------------------------------------------------------------

TEST_F(ControllerTest, LockDisablesWhatItGuardsAndNeedsThePassword)
{
    Start();
    view.passwords = {"secret"};
    controller.LockUnlock();
    ASSERT_TRUE(controller.IsLocked());
    EXPECT_EQ(view.passwordCaptions.back(), "Lock Orrery");
    EXPECT_FALSE(view.ui.SettingsFileItemsEnabled);
    EXPECT_FALSE(view.ui.DemoEnabled);
    EXPECT_FALSE(view.ui.ReadTimerEnabled);
    EXPECT_TRUE(view.ui.LockDown);
    EXPECT_EQ(view.ui.LockHint, "Unlock Orrery");
    EXPECT_EQ(view.ui.LockCaption, "&Unlock Orrery");

    view.passwords = {"Secret"};
    controller.LockUnlock();
    EXPECT_TRUE(controller.IsLocked());
    EXPECT_TRUE(Shown("warning", "Vantrel Orrery", "Wrong password"));
    EXPECT_EQ(view.passwordCaptions.back(), "Unlock Orrery");

    controller.LockUnlock(); // cancelled
    EXPECT_TRUE(controller.IsLocked());

    hooks.answers = {false};
    EXPECT_FALSE(controller.CloseQuery());
    EXPECT_TRUE(Shown("question", "Close Orrery", "Orrery is locked. Close Orrery anyway?"));

    view.passwords = {"secret"};
    controller.LockUnlock();
    EXPECT_FALSE(controller.IsLocked());
    EXPECT_TRUE(view.ui.SettingsFileItemsEnabled);
    EXPECT_TRUE(view.ui.ReadTimerEnabled);
    EXPECT_EQ(view.ui.LockCaption, "&Lock Orrery...");
}

TEST_F(ControllerTest, LockWithoutPasswordUnlocksWithoutAsking)
{
    Start();
    view.passwords = {""};
    controller.LockUnlock();
    ASSERT_TRUE(controller.IsLocked());
    const size_t asked = view.passwordCaptions.size();
    controller.LockUnlock();
    EXPECT_FALSE(controller.IsLocked());
    EXPECT_EQ(view.passwordCaptions.size(), asked);
}

// --- help -------------------------------------------------------------------------------------

TEST_F(ControllerTest, HelpFallsBackToReadmeThenWarns)
{
    controller.ShowHelp(COrrery::HelpFile);
    // The warning names the places looked at.
    EXPECT_TRUE(Shown("warning", "Help",
                      "No help file\n" + dir.File("help/index.htm") + "\n" + dir.File("Readme.txt")));
    testsupport::WriteAll(dir.File("Readme.txt"), "read me");
    controller.ShowHelp(COrrery::HelpFile);
    ASSERT_EQ(view.opened.size(), 1u);
    EXPECT_EQ(view.opened.back(), dir.File("Readme.txt"));
    std::filesystem::create_directory(dir.File("help"));
    testsupport::WriteAll(dir.File("help/index.htm"), "<html/>");
    controller.ShowHelp(COrrery::HelpFile);
    EXPECT_EQ(view.opened.back(), dir.File("help/index.htm"));
}

// --- read step and transactions ---------------------------------------------------------------

TEST_F(ControllerTest, FifthConsecutiveReadErrorStopsTheTimerAndSuccessResetsTheCount)
{
    Start();
    controller.SetReadTimer(true);
    view.readingResults = {-3, -3, -3, -3, 0, -3, -3, -3, -3};
    for (int i = 0; i < 9; ++i)
        controller.OnReadTimer();
    EXPECT_TRUE(view.timerOn);
    EXPECT_EQ(controller.ReadErrorCount(), 4);
    EXPECT_TRUE(hooks.shown.empty());
    EXPECT_EQ(view.disconnectedShown, 0);

    view.readingResults = {-2};
    controller.OnReadTimer();
    EXPECT_FALSE(view.timerOn);
    EXPECT_EQ(view.readingsLostShown, 1); // no reading left standing for the unit's
    EXPECT_EQ(view.disconnectedShown, 0); // the unit may still be on: not shown as off
    EXPECT_EQ(controller.ReadErrorCount(), 0);
    ASSERT_EQ(hooks.shown.size(), 1u);
    EXPECT_TRUE(Shown("warning", "Vantrel Orrery", "Read timer is stopped after\n5 communication errors"));
}

TEST_F(ControllerTest, ReadErrorLimitOffNeverStopsTheTimerButTheCountStillLosesTheReadings)
{
    Start();
    for (bool use : {false, true}) {
        controller.Settings().UseMaxReadErrors = use;
        controller.Settings().MaxReadErrors = use ? 0 : 5;
        controller.SetReadTimer(true);
        view.readingResults = {0};
        controller.OnReadTimer();
        view.readingsLostShown = 0;
        int lostAt = 0;
        for (int i = 1; i <= 12; ++i) {
            view.readingResults = {-3};
            controller.OnReadTimer();
            if (!lostAt && view.readingsLostShown > 0)
                lostAt = i;
        }
        EXPECT_TRUE(view.timerOn);
        // At the count of the limit's field; a count of 0 (from a file) counts as 1.
        EXPECT_EQ(lostAt, use ? 1 : 5);
    }
    EXPECT_TRUE(hooks.shown.empty());
}

TEST_F(ControllerTest, StoredErrorLimitOutOfRangeLosesTheReadingsWithinTheFieldsRange)
{
    // A settings file may hold any count: the readings count as lost after the count the
    // settings dialog's field can hold (1 to 1000), and a text that is no number keeps the limit.
    struct Case {
        const char* stored;
        int lostAt;
    };
    const Case cases[] = {
        {"0", 1},   {"-7", 1},     {"-2147483648", 1}, {"1", 1},      {"999", 999},
        {"1000", 1000}, {"1001", 1000}, {"2147483647", 1000}, {"many", 5}, {"", 5},
    };
    Start();
    const std::string file = dir.File("limit.orrery");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.stored);
        controller.Settings().MaxReadErrors = 5;
        testsupport::WriteAll(file, std::string("[Vantrel Orrery]\r\n[Settings]\r\nMaxReadErrors=") + c.stored
                                        + "\r\nUseMaxReadErrors=0\r\n");
        ASSERT_TRUE(controller.LoadSettingsFile(file));
        controller.SetReadTimer(true);
        view.readingResults = {0};
        controller.OnReadTimer();
        view.readingsLostShown = 0;
        int lostAt = 0;
        for (int i = 1; i <= 1100 && lostAt == 0; ++i) {
            view.readingResults = {-3};
            controller.OnReadTimer();
            if (view.readingsLostShown > 0)
                lostAt = i;
        }
        EXPECT_EQ(lostAt, c.lostAt);
        EXPECT_TRUE(view.timerOn); // the limit is off: only the readings are lost
    }
    EXPECT_TRUE(hooks.shown.empty());
}

TEST_F(ControllerTest, NoLinkStopsTheTimerSilently)
{
    Start();
    controller.SetReadTimer(true);
    view.readingResults = {-3, -102};
    controller.OnReadTimer();
    controller.OnReadTimer();
    EXPECT_FALSE(view.timerOn);
    EXPECT_EQ(controller.ReadErrorCount(), 0);
    EXPECT_TRUE(hooks.shown.empty());
    EXPECT_EQ(view.readingsLostShown, 1); // a link the program dropped: the state is unknown
}

TEST_F(ControllerTest, ReadStepIsNotReentered)
{
    Start();
    int inner = 0;
    view.readings = [&] {
        if (view.readingsUpdates == 1)
            controller.OnReadTimer(); // a tick that arrives inside the step
        ++inner;
        return 0;
    };
    controller.OnReadTimer();
    EXPECT_EQ(inner, 1);
    controller.OnReadTimer();
    EXPECT_EQ(inner, 2);
}

TEST_F(ControllerTest, DemoTransactSendsNothingAndReportsZero)
{
    testsupport::SimPty sim;
    ASSERT_TRUE(sim.Ok()) << sim.Error();
    ASSERT_EQ(device.OpenPort(sim.Path(), 9600, 500, 2), 0);
    const int before = sim.Unit().RequestCount();
    ASSERT_TRUE(controller.IsDemo());
    device.AppendByte(1);
    EXPECT_EQ(controller.Transact(93, false), 0);
    EXPECT_EQ(sim.Unit().RequestCount(), before);
    EXPECT_TRUE(view.commStates.empty());
    ASSERT_EQ(view.commandResults.size(), 1u);
    EXPECT_EQ(view.commandResults[0], std::make_pair(0, 93));
    device.ClosePort();
}

TEST_F(ControllerTest, ToggleDemoOnlyWhileUnlockedAndDisconnected)
{
    Start();
    controller.ToggleDemo();
    EXPECT_TRUE(controller.IsDemo());
    EXPECT_TRUE(view.ui.DemoChecked);
    controller.ToggleDemo();
    EXPECT_FALSE(controller.IsDemo());
    view.passwords = {""};
    controller.LockUnlock();
    controller.ToggleDemo();
    EXPECT_FALSE(controller.IsDemo());
}

// --- connection over a COM port ---------------------------------------------------------------

class SimControllerTest : public ControllerTest {
protected:
    void SetUp() override
    {
        ControllerTest::SetUp();
        ASSERT_TRUE(sim.Ok()) << sim.Error();
        Start();
        controller.Settings().BaudRate = "9600";
        controller.Settings().Addr = 2;
        controller.Settings().Timeout = 500;
    }
    void TearDown() override
    {
        device.ClosePort();
        ControllerTest::TearDown();
    }
    testsupport::SimPty sim;
};

TEST_F(SimControllerTest, ConnectIdentifiesReadsSetupAndStartsPolling)
{
    controller.ConnectPort("  " + sim.Path() + " ", true);
    ASSERT_TRUE(device.IsConnected());
    EXPECT_EQ(view.allPageReads, 1);   // start-up
    EXPECT_EQ(view.unitSetupReads, 1); // after identification
    EXPECT_TRUE(view.timerOn);
    EXPECT_FALSE(view.ui.DemoEnabled);
    EXPECT_EQ(device.ModelText(), "VANT");
    EXPECT_TRUE(hooks.shown.empty());

    // A real command runs through the step: busy mark, then the result.
    view.commStates.clear();
    view.commandResults.clear();
    device.AppendByte(2);
    const int r = controller.Transact(93, false);
    EXPECT_GE(r, 0);
    ASSERT_FALSE(view.commStates.empty());
    EXPECT_EQ(view.commStates.front(), 1);
    ASSERT_EQ(view.commandResults.size(), 1u);
    EXPECT_EQ(view.commandResults[0].second, 93);

    controller.Disconnect();
    EXPECT_FALSE(device.IsConnected());
    EXPECT_FALSE(view.timerOn);
    EXPECT_TRUE(view.ui.DemoEnabled);
}

TEST_F(SimControllerTest, ReadingsBackAfterTheyWereLostCheckTheUnitFirst)
{
    // After the readings were lost the next step reads what names the unit (128, product ID,
    // version, PIN, serial number) before its state. The same unit is polled on and nothing
    // else is read; one that names itself otherwise is read as at connection, and edits not
    // sent on the pages that read replaces are named; a unit that still does not answer counts
    // as a failed read, and one the program no longer knows is asked about as at connection.
    struct Case {
        const char* what;
        const char* model;   // what the unit says it is when it answers again
        void (*change)(simunit::SimUnitData&);
        const char* unsent;  // the pages holding edits not sent
        bool silent;         // it still does not answer
        bool answer;         // to the question about an unknown model
        bool connected, polled;
        int setupReads, readings; // of the step after the readings were lost
        int shown;                // messages
    };
    using D = simunit::SimUnitData;
    const Case cases[] = {
        {"the same unit", "VANT", [](D&) {}, "Setup, Tuning", false, false, true, true, 0, 1, 0},
        {"another serial number", "VANT", [](D& d) { d.serialNumber = 654321; }, "", false, false, true, true, 1, 1, 0},
        {"another configuration word", "VANT", [](D& d) { d.pin = 0x400; }, "", false, false, true, true, 1, 1, 0},
        {"another version", "VANT", [](D& d) { d.versionText = "Sim 2.00"; }, "", false, false, true, true, 1, 1, 0},
        {"another variant", "VANT", [](D& d) { d.variant = 'B'; }, "", false, false, true, true, 1, 1, 0},
        {"another part number", "VANT", [](D& d) { d.partNumber = "VT20000"; }, "", false, false, true, true, 1, 1, 0},
        {"changed, with edits not sent", "VANT", [](D& d) { d.pin = 0x400; }, "Setup, Tuning", false, false, true,
         true, 1, 1, 1},
        {"changed, with edits not sent on one page", "VANT", [](D& d) { d.serialNumber = 1; }, "Setup", false, false,
         true, true, 1, 1, 1},
        {"still silent", "VANT", [](D&) {}, "", true, false, true, true, 0, 0, 0},
        {"an unknown unit, kept", "Other Match", [](D&) {}, "", false, true, true, true, 0, 1, 1},
        {"an unknown unit, refused", "Other Match", [](D&) {}, "", false, false, false, false, 0, 0, 1},
    };
    const auto state = simunit::InstallDeviceCommands(sim.Unit());
    // The main window's set-up read starts with what names the unit.
    view.unitSetup = [this] { return device.ReadUnitNames(); };
    controller.Settings().UseMaxReadErrors = false;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        sim.Unit().SetModel("VANT");
        state->With([](D& d) { d = D{}; });
        controller.ConnectPort(sim.Path(), true);
        ASSERT_TRUE(device.IsConnected());
        ASSERT_TRUE(view.timerOn);
        view.readingsLostShown = 0;
        view.readingResults = {-3, -3, -3, -3, -3};
        for (int i = 0; i < 5; ++i)
            controller.OnReadTimer();
        ASSERT_EQ(view.readingsLostShown, 1);

        sim.Unit().SetModel(c.model);
        state->With(c.change);
        view.unsentPages = c.unsent;
        if (c.silent)
            sim.Server().SetFault(simunit::SimSerialServer::Fault::Stall, -1);
        hooks.shown.clear();
        hooks.answers = {c.answer};
        view.unitSetupReads = 0;
        view.readingsUpdates = 0;
        view.readingsLostShown = 0;
        controller.OnReadTimer();
        sim.Server().SetFault(simunit::SimSerialServer::Fault::None, 0);
        EXPECT_EQ(device.IsConnected(), c.connected);
        EXPECT_EQ(view.timerOn, c.polled);
        EXPECT_EQ(view.unitSetupReads, c.setupReads);
        EXPECT_EQ(view.readingsUpdates, c.readings);
        EXPECT_EQ(view.readingsLostShown, c.silent ? 1 : 0); // still lost, or known again
        ASSERT_EQ(int(hooks.shown.size()), c.shown);
        if (c.shown && c.setupReads) {
            EXPECT_EQ(hooks.shown[0].kind, "warning");
            const std::string pages = c.unsent;
            const std::string said = "the changes not sent on the " + pages +
                                     (pages.find(',') != std::string::npos ? " pages were" : " page was") + " replaced";
            EXPECT_NE(hooks.shown[0].text.find(said), std::string::npos)
                << hooks.shown[0].text;
        }
        if (c.silent) {
            EXPECT_EQ(controller.ReadErrorCount(), 6);
        }
        // The step after a good check reads the readings alone and asks nothing.
        if (c.polled && !c.silent) {
            controller.OnReadTimer();
            EXPECT_EQ(view.unitSetupReads, c.setupReads);
            EXPECT_EQ(view.readingsUpdates, 2);
            EXPECT_EQ(int(hooks.shown.size()), c.shown);
        }
        controller.Disconnect();
        view.unsentPages.clear();
    }
    view.unitSetup = nullptr;
    sim.Unit().SetModel("VANT");
}

TEST_F(SimControllerTest, AnUnknownUnitKeptAtConnectionThatComesBackTheSameIsNotAskedAboutAgain)
{
    const auto state = simunit::InstallDeviceCommands(sim.Unit());
    controller.Settings().UseMaxReadErrors = false;
    sim.Unit().SetModel("Other Match");
    hooks.answers = {true};
    controller.ConnectPort(sim.Path(), true);
    ASSERT_TRUE(device.IsConnected());
    ASSERT_EQ(hooks.shown.size(), 1u);
    EXPECT_FALSE(view.timerOn); // kept without polling until the user starts it
    controller.ToggleReadTimer();
    ASSERT_TRUE(view.timerOn);
    view.readingResults = {-3, -3, -3, -3, -3};
    for (int i = 0; i < 5; ++i)
        controller.OnReadTimer();
    ASSERT_EQ(view.readingsLostShown, 1);
    view.readingsUpdates = 0;
    controller.OnReadTimer();
    controller.OnReadTimer();
    EXPECT_EQ(hooks.shown.size(), 1u);
    EXPECT_TRUE(view.timerOn);
    EXPECT_EQ(view.readingsUpdates, 2);
    controller.Disconnect();
    sim.Unit().SetModel("VANT");
}

TEST_F(SimControllerTest, BlankPortNameDoesNothing)
{
    controller.ConnectPort("   ", true);
    EXPECT_FALSE(device.IsConnected());
    EXPECT_TRUE(hooks.shown.empty());
}

TEST_F(SimControllerTest, FailedOpenWarnsWithTheLinkError)
{
    controller.ConnectPort(dir.File("no-such-port"), true);
    EXPECT_FALSE(device.IsConnected());
    ASSERT_EQ(hooks.shown.size(), 1u);
    EXPECT_EQ(hooks.shown[0].caption, "Connect");
    EXPECT_EQ(hooks.shown[0].text.rfind("Can't connect to " + dir.File("no-such-port") + "\n", 0), 0u);
}

TEST_F(SimControllerTest, UnknownModelAcceptedStaysConnectedWithoutPolling)
{
    sim.Unit().SetModel("Other Match");
    hooks.answers = {true};
    controller.ConnectPort(sim.Path(), true);
    EXPECT_TRUE(Shown("question", "Connect",
                      "Unit type 'Other Match' is not supported by Orrery\nConnect anyway ?"));
    EXPECT_TRUE(device.IsConnected());
    EXPECT_FALSE(view.timerOn);
    EXPECT_EQ(view.connectionText, "Other Match");
}

TEST_F(SimControllerTest, UnknownModelDeclinedDisconnects)
{
    sim.Unit().SetModel("Other Match");
    hooks.answers = {false};
    controller.ConnectPort(sim.Path(), true);
    EXPECT_FALSE(device.IsConnected());
    EXPECT_EQ(view.disconnectedShown, 1); // the refused unit's readings do not stay lit
}

TEST_F(SimControllerTest, SilentUnitAsksToKeepThePort)
{
    controller.Settings().Addr = 5; // nobody answers there
    controller.Settings().Timeout = 100;
    hooks.answers = {true};
    controller.ConnectPort(sim.Path(), true);
    EXPECT_TRUE(Shown("question", "Connect",
                      "Unit on " + sim.Path() + ", " + std::to_string(device.Baud()) +
                          ", Addr 5\nNo response from unit.\nMaintain Com port connection ?"));
    EXPECT_TRUE(device.IsConnected());
    EXPECT_FALSE(view.timerOn);
}

TEST_F(SimControllerTest, AutoFindingOpensItsWindowWhenTheFirstTryFails)
{
    controller.Settings().AutoFinding = true;
    controller.Settings().Addr = 5;
    controller.Settings().Timeout = 100;
    view.autoFindingResult = findresult::NotFound;
    controller.ConnectPort(sim.Path(), true);
    EXPECT_EQ(view.autoFindingShown, 1);
    EXPECT_FALSE(view.autoFindingSkip); // a link error, not a wrong unit
    EXPECT_TRUE(Shown("warning", "Connect", "Can't find unit"));
    EXPECT_FALSE(device.IsConnected());

    controller.Settings().Addr = 2;
    const int clears = view.statusClears;
    controller.ConnectPort(sim.Path(), true);
    EXPECT_EQ(view.autoFindingShown, 1); // found at once
    EXPECT_TRUE(device.IsConnected());
    EXPECT_GT(view.statusClears, clears); // the failed attempt's message goes
}

TEST_F(SimControllerTest, OutputOnAsksBeforeDisconnecting)
{
    sim.Unit().Register(131, [](const std::vector<uint8_t>&, std::vector<uint8_t>& reply) {
        reply = {1};
        return true;
    });
    controller.SetOutputOnText("RF is On");
    controller.ConnectPort(sim.Path(), true);
    ASSERT_TRUE(device.IsConnected());
    hooks.answers = {false};
    EXPECT_FALSE(controller.DisconnectConfirm());
    EXPECT_TRUE(Shown("question", "Disconnect", "RF is On !\nDisconnect Orrery anyway ?"));
    EXPECT_TRUE(device.IsConnected());
    hooks.answers = {true};
    EXPECT_TRUE(controller.CloseQuery());
    EXPECT_TRUE(Shown("question", "Disconnect and close",
                      "RF is On !\nDisconnect and close Orrery anyway ?"));
    EXPECT_FALSE(device.IsConnected());
}

} // namespace

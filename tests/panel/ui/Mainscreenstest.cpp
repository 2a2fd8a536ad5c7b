// The main window and its tool windows on screens of 1024 x 768 and 1280 x 1024. The platform
// takes its screen's size when the program starts, so each test runs this test program again
// on an offscreen screen of that size, with the tests of MainOnScreen (which are skipped in a
// run on any other screen).

#include "panel/Scripted.h"
#include "panel/ui/Screenchild.h"
#include "panel/ui/Toolwindowchecks.h"

#include "device/Data.h"
#include "device/Device.h"
#include "link/ui/Connectbar.h"
#include "link/ui/Ostrabuslog.h"
#include "panel/Orrery.h"
#include "panel/Plotview.h"
#include "panel/ui/Capsdlg.h"
#include "panel/ui/Logging.h"
#include "panel/ui/Main.h"
#include "panel/ui/Smithdlg.h"
#include "panel/ui/Status.h"
#include "platform/Settingsfile.h"
#include "qtsupport/Xdisplay.h"
#include "service/ui/Mainserviceside.h"
#include "service/ui/Tuningdlg.h"
#include "simunit/Simcommandset.h"
#include "support/Simfixture.h"
#include "support/Tempdir.h"

#include <QAction>
#include <QCoreApplication>
#include <QLayout>
#include <QProcess>
#include <QScrollArea>
#include <QScrollBar>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>
#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <gtest/gtest.h>
#include <string>
#include <thread>
#include <vector>

namespace {

const char* const KeyPath = "Software\\Quorvane\\Vantrel Orrery";
const char* const PlacesTest = "WhollyOnTheScreenWithItsControlsInSightAndTheToolWindowsClearOfItsBars";

using testsupport::MainPlaceVar;
using testsupport::ScreenChild;
using testsupport::ScreenVar;

bool PassOnScreen(int w, int h, const std::string& mainAt, const std::string& test = PlacesTest,
                  const std::string& display = {})
{
    ScreenChild child(w, h, mainAt, test, display);
    return child.Passed();
}

TEST(MainScreens, On1024x768TheMainWindowFitsAndTheToolWindowsKeepClear)
{
    EXPECT_TRUE(PassOnScreen(1024, 768, ""));
}

TEST(MainScreens, On1024x768AfterARestartWithTheMainWindowMoved)
{
    EXPECT_TRUE(PassOnScreen(1024, 768, "150,300"));
}

TEST(MainScreens, On1280x1024TheMainWindowFitsAndTheToolWindowsKeepClear)
{
    EXPECT_TRUE(PassOnScreen(1280, 1024, ""));
}

TEST(MainScreens, On1280x1024AfterARestartWithTheMainWindowMoved)
{
    EXPECT_TRUE(PassOnScreen(1280, 1024, "300,250"));
}

// Under a window manager, which frames each window with a title bar and borders and places it
// where the program asks only once it gets to it; and on X without one.
void PassOnX(int w, int h, testsupport::VirtualDisplay::Manager manager, const std::string& config = {})
{
    testsupport::VirtualDisplay x(w, h, manager, config);
    if (!x.Missing().empty())
        GTEST_SKIP() << x.Missing() << ": the windows are not tried on X";
    ASSERT_FALSE(x.Display().empty()) << x.Error();
    // Then after a restart with the main window left at 300, 200.
    const std::vector<std::pair<std::string, std::string>> runs{
        {"", PlacesTest},
        {"200,300", PlacesTest},
        {"", "TheWindowsTheSettingsOpenAtTheStartKeepClearAndCascadeFromTheBars"}};
    std::string skipped;
    for (const auto& [mainAt, test] : runs) {
        ScreenChild child(w, h, mainAt, test, x.Display());
        std::string why;
        const ScreenChild::Outcome outcome = child.Wait(&why);
        EXPECT_NE(outcome, ScreenChild::Outcome::Failed) << test << " with the main window at " << mainAt;
        if (outcome == ScreenChild::Outcome::Skipped)
            skipped += test + ": " + why + "\n";
    }
    if (!skipped.empty() && !::testing::Test::HasFailure())
        GTEST_SKIP() << skipped;
}

TEST(MainScreens, UnderAWindowManagerOn1024x768TheToolWindowsKeepClearInTheirFrames)
{
    PassOnX(1024, 768, testsupport::VirtualDisplay::Manager::Openbox);
}

TEST(MainScreens, UnderAWindowManagerOn1280x1024TheToolWindowsKeepClearInTheirFrames)
{
    PassOnX(1280, 1024, testsupport::VirtualDisplay::Manager::Openbox);
}

TEST(MainScreens, UnderAWindowManagerOn800x600TheTrafficLogOpenedByHandKeepsClearOfTheBars)
{
    testsupport::VirtualDisplay x(800, 600, testsupport::VirtualDisplay::Manager::Openbox);
    if (!x.Missing().empty())
        GTEST_SKIP() << x.Missing() << ": the window is not tried on X";
    ASSERT_FALSE(x.Display().empty()) << x.Error();
    ScreenChild child(800, 600, "", "TheTrafficLogOpenedByHandKeepsClearOfTheBars", x.Display());
    std::string why;
    const ScreenChild::Outcome outcome = child.Wait(&why);
    EXPECT_NE(outcome, ScreenChild::Outcome::Failed);
    if (outcome == ScreenChild::Outcome::Skipped && !HasFailure())
        GTEST_SKIP() << why;
}

TEST(MainScreens, On800x600TheTrafficLogOpenedByHandKeepsClearOfTheBars)
{
    EXPECT_TRUE(PassOnScreen(800, 600, "", "TheTrafficLogOpenedByHandKeepsClearOfTheBars"));
}

TEST(MainScreens, UnderAWindowManagerThatFramesToolWindowsUnlikeTheMainWindowTheyKeepClear)
{
    // The main window without a frame, the tool windows with title bars: a tool window's place
    // cannot be worked out with the main window's frame.
    PassOnX(1024, 768, testsupport::VirtualDisplay::Manager::Openbox,
            "<?xml version=\"1.0\"?>\n<openbox_config xmlns=\"http://openbox.org/3.4/rc\">\n"
            "<applications><application type=\"normal\"><decor>no</decor></application></applications>\n"
            "</openbox_config>\n");
}

// Loops that keep every core of the machine busy for as long as the object lives, as other
// programs do on a busy machine.
class BusyLoops {
public:
    BusyLoops()
    {
        for (unsigned i = 0; i < std::max(2u, std::thread::hardware_concurrency()); ++i)
            loops_.emplace_back([this] {
                while (!stop_.load(std::memory_order_relaxed)) {
                }
            });
    }
    ~BusyLoops()
    {
        stop_ = true;
        for (std::thread& t : loops_)
            t.join();
    }
    BusyLoops(const BusyLoops&) = delete;
    BusyLoops& operator=(const BusyLoops&) = delete;

private:
    std::atomic<bool> stop_{false};
    std::vector<std::thread> loops_;
};

// On a busy machine a window manager frames the windows and answers the program's requests
// late, and in an order of its own that changes from start to start: the windows the settings
// show at the start keep clear at every start. Several programs start at once under the one
// window manager, which gets the processors last, beside loops that keep every core busy, a few
// rounds over; at 1024x768 the main window was left at 300, 200.
TEST(MainScreens, UnderABusyWindowManagerTheWindowsTheSettingsOpenKeepClearAtEveryStart)
{
    constexpr int Starts = 8; // at once on each screen
    constexpr int Rounds = 3;
    struct Screen {
        int Width;
        int Height;
        const char* MainAt;
    };
    const std::vector<Screen> screens{{1280, 1024, ""}, {1024, 768, "200,300"}};
    std::vector<std::unique_ptr<testsupport::VirtualDisplay>> displays;
    for (const Screen& s : screens) {
        displays.push_back(std::make_unique<testsupport::VirtualDisplay>(s.Width, s.Height,
                                                                          testsupport::VirtualDisplay::Manager::Openbox));
        if (!displays.back()->Missing().empty())
            GTEST_SKIP() << displays.back()->Missing() << ": the windows are not tried on X";
        ASSERT_FALSE(displays.back()->Display().empty()) << displays.back()->Error();
        ASSERT_TRUE(displays.back()->ManagerComesLast());
    }
    const BusyLoops busy;
    // Starts whose window manager did not answer in time are not judged; some must be.
    int judged = 0;
    std::string skipped;
    std::vector<int> failed(screens.size(), 0);
    for (int round = 0; round < Rounds; ++round) {
        std::vector<std::unique_ptr<ScreenChild>> children;
        for (size_t i = 0; i < screens.size(); ++i)
            for (int n = 0; n < Starts; ++n)
                children.push_back(std::make_unique<ScreenChild>(
                    screens[i].Width, screens[i].Height, screens[i].MainAt,
                    "TheWindowsTheSettingsOpenAtTheStartKeepClearAndCascadeFromTheBars", displays[i]->Display()));
        for (size_t i = 0; i < children.size(); ++i) {
            std::string why;
            switch (children[i]->Wait(&why)) {
            case ScreenChild::Outcome::Passed: ++judged; break;
            case ScreenChild::Outcome::Skipped: skipped += why + "\n"; break;
            case ScreenChild::Outcome::Failed: ++judged, ++failed[i / Starts]; break;
            }
        }
    }
    for (size_t i = 0; i < screens.size(); ++i)
        EXPECT_EQ(failed[i], 0) << "starts on " << screens[i].Width << "x" << screens[i].Height
                                << " where the windows did not keep clear, of " << Rounds * Starts;
    if (judged == 0)
        GTEST_SKIP() << "no start judged:\n" << skipped;
}

TEST(MainScreens, OnXWithoutAWindowManagerTheToolWindowsKeepClear)
{
    PassOnX(1024, 768, testsupport::VirtualDisplay::Manager::None);
}

TEST(MainScreens, On1280x1024AThirdCapacitorsControlsWidenTheWindowWithinTheScreen)
{
    EXPECT_TRUE(PassOnScreen(1280, 1024, "", "AThirdCapacitorsControlsWidenTheWindowWithinTheScreen"));
}

TEST(MainScreens, On1024x768AThirdCapacitorsControlsWidenTheWindowToTheScreen)
{
    EXPECT_TRUE(PassOnScreen(1024, 768, "", "AThirdCapacitorsControlsWidenTheWindowWithinTheScreen"));
}

TEST(MainScreens, OnXWithOrWithoutAWindowManagerAThirdCapacitorsControlsLeaveTheStatusBarWhole)
{
    for (const auto manager : {testsupport::VirtualDisplay::Manager::Openbox, testsupport::VirtualDisplay::Manager::None}) {
        testsupport::VirtualDisplay x(1024, 768, manager);
        if (!x.Missing().empty())
            GTEST_SKIP() << x.Missing() << ": the window is not tried on X";
        ASSERT_FALSE(x.Display().empty()) << x.Error();
        EXPECT_TRUE(PassOnScreen(1024, 768, "", "AThirdCapacitorsControlsWidenTheWindowWithinTheScreen", x.Display()));
    }
}

TEST(MainScreens, On1280x1024AWindowMadeSmallerStaysSoUntilAnAlarmShownLaterGrowsItInsteadOfScrolling)
{
    EXPECT_TRUE(PassOnScreen(1280, 1024, "", "AWindowMadeSmallerStaysSoUntilAnAlarmShownLaterGrowsItInsteadOfScrolling"));
}

// A control on the screen and in sight inside the window: not scrolled out of its view.
void ExpectInSight(TMainForm& form, QWidget* w, const QRect& local, const char* what)
{
    const QRect global(w->mapToGlobal(local.topLeft()), local.size());
    EXPECT_TRUE(form.screen()->availableGeometry().contains(global)) << what;
    EXPECT_TRUE(form.geometry().contains(global)) << what;
    auto* scroll = form.findChild<QScrollArea*>("BodyScroll");
    ASSERT_TRUE(scroll);
    const QRect view(scroll->viewport()->mapToGlobal(QPoint(0, 0)), scroll->viewport()->size());
    if (scroll->isAncestorOf(w)) {
        EXPECT_TRUE(view.contains(global)) << what << ": " << global.x() << "," << global.y() << " "
                                           << global.width() << "x" << global.height() << " in "
                                           << view.x() << "," << view.y() << " " << view.width() << "x"
                                           << view.height();
    }
}

// The main window's place as the last exit stored it, where the parent asked for one ("Top,Left"
// or empty); the store holds nothing else.
std::string StoreMainPlace()
{
    const std::string mainAt = std::getenv(MainPlaceVar) ? std::getenv(MainPlaceVar) : "";
    const std::string store = platform::SettingsFile::PathForKey(KeyPath);
    if (mainAt.empty()) {
        std::remove(store.c_str());
        return mainAt;
    }
    const size_t comma = mainAt.find(',');
    char text[80];
    std::snprintf(text, sizeof text, "[Main]\r\nTop=dword:%08x\r\nLeft=dword:%08x\r\n",
                  std::stoi(mainAt.substr(0, comma)), std::stoi(mainAt.substr(comma + 1)));
    testsupport::WriteAll(store, text);
    return mainAt;
}

// The status frame whole at the window's bottom: inside the window, and what the window shows
// there is the status frame's own picture, no scroll bar or other control over any of it.
void ExpectStatusBarWhole(TMainForm& form)
{
    QCoreApplication::processEvents();
    TStatusFrame* status = form.Status;
    ASSERT_TRUE(status->isVisible());
    const QRect inWindow(status->mapTo(&form, QPoint(0, 0)), status->size());
    EXPECT_TRUE(form.rect().contains(inWindow)) << testsupport::Text(inWindow) << " in " << testsupport::Text(form.rect());
    const QImage window = form.grab().toImage();
    const QImage own = status->grab().toImage();
    ASSERT_EQ(own.size(), status->size());
    int differ = 0;
    for (int y = 0; y < own.height(); ++y)
        for (int x = 0; x < own.width(); ++x)
            differ += window.pixel(inWindow.x() + x, inWindow.y() + y) != own.pixel(x, y);
    EXPECT_EQ(differ, 0) << "of " << own.width() * own.height() << " pixels of the status bar at "
                         << testsupport::Text(inWindow);
    for (const char* name : {"RemotePanel", "PortPanel", "CommPanel", "InfoPanel", "ErrorPanel", "LogPanel"})
        if (QWidget* panel = status->findChild<QWidget*>(name); panel && panel->isVisible()) {
            const QRect r(panel->mapTo(&form, QPoint(0, 0)), panel->size());
            EXPECT_TRUE(form.rect().contains(r)) << name << " " << testsupport::Text(r);
        }
}

TEST(MainOnScreen, WhollyOnTheScreenWithItsControlsInSightAndTheToolWindowsClearOfItsBars)
{
    const char* size = std::getenv(ScreenVar);
    if (!size)
        GTEST_SKIP() << "runs in a child of its own on a screen of the size asked for";
    const std::string mainAt = StoreMainPlace();
    const std::string store = platform::SettingsFile::PathForKey(KeyPath);
    testsupport::MainWithToolWindows w;
    TMainForm& form = w.form;
    if (!w.Show())
        return;
    const QRect screen = form.screen()->availableGeometry();
    ASSERT_EQ(std::to_string(screen.width()) + "x" + std::to_string(screen.height()), size);

    // The main window: wholly on the screen, its minimum what its bars need, not its first size.
    const QRect frame = testsupport::ShownWindow(&form).Frame;
    EXPECT_TRUE(screen.contains(frame)) << testsupport::Text(frame);
    EXPECT_LT(form.minimumSizeHint().width(), 828);
    EXPECT_LT(form.minimumSizeHint().height(), 552);
    if (!mainAt.empty()) { // where it was left, as far as the screen lets it be
        EXPECT_EQ(frame.top(), std::min(std::stoi(mainAt), screen.bottom() + 1 - frame.height()));
    }
    // The tool bar's Smith button and the Config page's tab in sight.
    ASSERT_TRUE(form.SmithBtn->isVisible());
    ExpectInSight(form, form.SmithBtn, form.SmithBtn->rect(), "SmithBtn");
    QTabBar* tabs = form.PageControl->tabBar();
    int config = -1;
    for (int i = 0; i < form.PageControl->count(); ++i)
        if (form.PageControl->tabText(i) == "Config")
            config = i;
    ASSERT_GE(config, 0);
    ExpectInSight(form, tabs, tabs->tabRect(config), "Config tab");

    ExpectStatusBarWhole(form);
    // Opened in menu order: Window, then Tools.
    w.OpenInMenuOrderClear();
    if (!testsupport::GoesOn())
        return;
    // The Smith chart stays on top: it leaves the tool bar's Smith button uncovered.
    const QRect smithBtn(form.SmithBtn->mapToGlobal(QPoint(0, 0)), form.SmithBtn->size());
    for (QWidget* tool : w.ToolWindows())
        EXPECT_FALSE(testsupport::ShownWindow(tool).Frame.intersects(smithBtn)) << tool->objectName().toStdString();
    std::remove(store.c_str());
}

TEST(MainOnScreen, TheWindowsTheSettingsOpenAtTheStartKeepClearAndCascadeFromTheBars)
{
    if (!std::getenv(ScreenVar))
        GTEST_SKIP() << "runs in a child of its own on a screen of the size asked for";
    StoreMainPlace();
    // Shown while the main window starts, before a window manager has framed it.
    testsupport::MainWithToolWindows w("[Vantrel Orrery]\r\nConnMode=0\r\n[Smith]\r\nVisible=1\r\n"
                                       "[Caps]\r\nVisible=1\r\n[Logging]\r\nVisible=1\r\n");
    if (!w.Show())
        return;
    const std::vector<QWidget*> opened{&w.smith, &w.caps, w.logging};
    if (!testsupport::Settle(opened, "the tool windows"))
        return;
    testsupport::ExpectToolWindowsClear(w.form, opened, {true, true, true});
    // With no room beside the main window, the first goes just below its tool bar, as it does
    // when opened by hand.
    const QRect toolBar = testsupport::MainBars(w.form).at(1);
    EXPECT_EQ(testsupport::ShownWindow(&w.smith).Frame.top(), toolBar.bottom() + 1 + toolplaces::Gap)
        << testsupport::Text(testsupport::ShownWindow(&w.smith).Frame);
}

TEST(MainOnScreen, TheTrafficLogOpenedByHandKeepsClearOfTheBars)
{
    if (!std::getenv(ScreenVar))
        GTEST_SKIP() << "runs in a child of its own on a screen of the size asked for";
    StoreMainPlace();
    testsupport::MainWithToolWindows w;
    if (!w.Show())
        return;
    testsupport::OpenFromMenu(w.form.OstraBuslogMenuItem, w.log);
    if (!testsupport::GoesOn())
        return;
    testsupport::ExpectToolWindowsClear(w.form, {w.log}, {false});
    ExpectStatusBarWhole(w.form);
    std::remove(platform::SettingsFile::PathForKey(KeyPath).c_str());
}

// A main window shown on the child's screen with a simulated unit beside it, which the
// test sets up before the window connects to it.
struct WindowAndUnit {
    testsupport::SimPty sim;
    std::shared_ptr<simunit::SimState> state;
    testsupport::TempDir dir;
    ScriptedHooks hooks;
    CData data;
    TMainForm form;
    TMainServiceSide side{form};

    explicit WindowAndUnit(const std::function<void(simunit::SimUnitData&)>& unit)
    {
        std::remove(platform::SettingsFile::PathForKey(KeyPath).c_str());
        state = simunit::InstallDeviceCommands(sim.Unit());
        state->With([&](simunit::SimUnitData& d) {
            d.motorSpeed = 0;
            unit(d);
        });
        PlotView().Reset();
        form.SetData(&data);
        form.SetCommandLine({}, dir.Path());
        form.Controller()->SetVersionText("D.00");
    }
    ~WindowAndUnit() { form.Device()->ClosePort(); }
    // Shows the window with the given tool windows; true when the program started.
    bool Show(const TMainForm::Forms& forms)
    {
        form.SetForms(forms);
        form.show();
        QCoreApplication::processEvents();
        // On X the window manager places the window in its own time.
        // Where it did not answer in time the test is skipped (see GoesOn).
        testsupport::Settle({&form}, "the main window shown");
        return form.Controller()->StartupDone();
    }
    // Connects through the connect bar, as a user does; true when connected.
    bool Connect()
    {
        form.Controller()->Settings().BaudRate = "9600";
        form.SetPortText(sim.Path());
        form.ConnectBar->ConnectBtn()->click();
        return form.Device()->IsConnected();
    }
};

TEST(MainOnScreen, AThirdCapacitorsControlsWidenTheWindowWithinTheScreen)
{
    if (!std::getenv(ScreenVar))
        GTEST_SKIP() << "runs in a child of its own on a screen of the size asked for";
    TSmithForm smith; // outlives the window that knows it
    WindowAndUnit w([](simunit::SimUnitData& d) { d.pin = 0x400; }); // a third capacitor
    ASSERT_TRUE(w.sim.Ok()) << w.sim.Error();
    TMainForm& form = w.form;
    TMainForm::Forms forms;
    forms.Smith = &smith;
    const bool started = w.Show(forms);
    if (!testsupport::GoesOn())
        return;
    ASSERT_TRUE(started);
    const QRect screen = form.screen()->availableGeometry();
    const int before = form.frameGeometry().width();

    ASSERT_TRUE(w.Connect());
    form.ReadTimer->stop();
    ASSERT_TRUE(form.Device()->Has3rdCap());
    auto* scroll = form.findChild<QScrollArea*>("BodyScroll");
    ASSERT_TRUE(scroll);
    // The third capacitor's controls, shown at the connection, ask their layout again, and the
    // window grows to them from a later turn of the event loop; on X only once the server has
    // resized it. Judged when it has grown as far as it may: to what they need, or the screen
    // (where it never does, the checks below say how far it came).
    (void)QTest::qWaitFor([&] {
        return scroll->viewport()->width() >= scroll->widget()->minimumSizeHint().width()
            || form.frameGeometry().width() >= screen.width();
    }, 30000);
    if (!testsupport::Settle({&form}, "the widened window"))
        return;
    const QSize need = scroll->widget()->minimumSizeHint();
    ASSERT_GT(need.width() + (form.frameGeometry().width() - scroll->width()), before);
    // As wide as the third capacitor's column needs, where the screen has the room; else as
    // wide as the screen, the rest reached by scrolling.
    EXPECT_TRUE(screen.contains(form.frameGeometry()));
    if (need.width() + form.frameGeometry().width() - scroll->width() <= screen.width()) {
        EXPECT_GE(scroll->viewport()->width(), need.width());
        ExpectInSight(form, form.PageControl->tabBar(),
                      form.PageControl->tabBar()->tabRect(form.PageControl->count() - 1), "last tab");
    } else {
        EXPECT_EQ(form.frameGeometry().width(), screen.width());
        // Scrolled sideways only: the window took the scroll bar's height as well, so the
        // alarm row below the pages is not under it.
        if (form.frameGeometry().height() < screen.height()) {
            EXPECT_FALSE(scroll->verticalScrollBar()->isVisible());
            const QRect view(scroll->viewport()->mapToGlobal(QPoint(0, 0)), scroll->viewport()->size());
            const QRect alarms(form.AlarmArea->mapToGlobal(QPoint(0, 0)), form.AlarmArea->size());
            EXPECT_GE(alarms.top(), view.top());
            EXPECT_LE(alarms.bottom(), view.bottom()) << "the alarm row's bottom under the scroll bar";
        }
    }
    // The status bar stays whole below the controls, whether or not they scroll.
    ExpectStatusBarWhole(form);
    // The Smith chart shown now goes beside the window as it is now, and stays off its bars.
    form.SmithBtn->click();
    ASSERT_TRUE(smith.isVisible());
    if (!testsupport::Settle({&smith}, "the Smith chart shown"))
        return;
    testsupport::ExpectToolWindowsClear(form, std::vector<QWidget*>{&smith}, {true});
    const QRect smithBtn(form.SmithBtn->mapToGlobal(QPoint(0, 0)), form.SmithBtn->size());
    EXPECT_FALSE(smith.frameGeometry().intersects(smithBtn));
    smith.hide();
}

TEST(MainOnScreen, AWindowMadeSmallerStaysSoUntilAnAlarmShownLaterGrowsItInsteadOfScrolling)
{
    if (!std::getenv(ScreenVar))
        GTEST_SKIP() << "runs in a child of its own on a screen of the size asked for";
    WindowAndUnit w([](simunit::SimUnitData& d) {
        d.faults = uint64_t(1) << 3; // the alarm row then shows the interlock, the fault and Mute
    });
    ASSERT_TRUE(w.sim.Ok()) << w.sim.Error();
    TMainForm& form = w.form;
    const bool started = w.Show({});
    if (!testsupport::GoesOn())
        return;
    ASSERT_TRUE(started);
    auto* scroll = form.findChild<QScrollArea*>("BodyScroll");
    ASSERT_TRUE(scroll);
    // Made smaller than its controls need, the window keeps that size while they need no more
    // (their layout asked again).
    const QSize smaller = form.size() - QSize(0, 80);
    form.resize(smaller);
    QCoreApplication::processEvents();
    scroll->widget()->layout()->invalidate();
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
    EXPECT_EQ(form.width(), smaller.width());
    EXPECT_EQ(form.height(), smaller.height());
    ASSERT_TRUE(w.Connect());
    form.ReadTimerTimer();
    form.ReadTimer->stop();
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
    auto* mute = form.findChild<QToolButton*>("MuteBtn");
    ASSERT_TRUE(mute);
    ASSERT_TRUE(mute->isVisible());
    // The window took the room the alarm row needs: no scroll bar, the Mute button in sight.
    EXPECT_FALSE(scroll->horizontalScrollBar()->isVisible());
    EXPECT_FALSE(scroll->verticalScrollBar()->isVisible());
    EXPECT_TRUE(form.screen()->availableGeometry().contains(form.frameGeometry()));
    ExpectInSight(form, mute, mute->rect(), "MuteBtn");
    ExpectInSight(form, form.Status, form.Status->rect(), "status bar");
    ExpectStatusBarWhole(form);
}

} // namespace

// The tool windows' first places against the main window's frame as a window manager made it:
// with its title bar and borders, and with the tool windows closed meanwhile out of the way.

#include "panel/ui/Screenchild.h"
#include "panel/ui/Toolwindowchecks.h"

#include "panel/Toolplaces.h"
#include "panel/ui/Main.h"
#include "qtsupport/Xdisplay.h"

#include <QScreen>
#include <QTest>
#include <QToolButton>
#include <cstdlib>
#include <gtest/gtest.h>
#include <string>

namespace {

const char* const BesideTest = "AToolWindowOpensBesideTheMainWindowsFrameAndOneClosedLeavesItsPlace";
// A screen with room for a tool window to the right of the main window.
constexpr int ScreenWidth = 1920;
constexpr int ScreenHeight = 1200;

// The child's test on an X display of its own under a window manager; skipped where it was not
// judged, with the reason.
void PassUnderOpenbox(const std::string& test)
{
    testsupport::VirtualDisplay x(ScreenWidth, ScreenHeight, testsupport::VirtualDisplay::Manager::Openbox);
    if (!x.Missing().empty())
        GTEST_SKIP() << x.Missing() << ": the windows are not tried under a window manager";
    ASSERT_FALSE(x.Display().empty()) << x.Error();
    testsupport::ScreenChild child(ScreenWidth, ScreenHeight, "", test, x.Display());
    std::string why;
    const testsupport::ScreenChild::Outcome outcome = child.Wait(&why);
    ASSERT_NE(outcome, testsupport::ScreenChild::Outcome::Failed);
    if (outcome == testsupport::ScreenChild::Outcome::Skipped)
        GTEST_SKIP() << why;
}

TEST(MainFrames, UnderAWindowManagerAToolWindowOpensBesideTheMainWindowsFrameAndOneClosedLeavesItsPlace)
{
    PassUnderOpenbox(BesideTest);
}

TEST(MainFrames, OffscreenAToolWindowOpensBesideTheMainWindowAndOneClosedLeavesItsPlace)
{
    testsupport::ScreenChild child(ScreenWidth, ScreenHeight, "", BesideTest, "");
    EXPECT_TRUE(child.Passed());
}

TEST(MainOnScreen, AToolWindowOpensBesideTheMainWindowsFrameAndOneClosedLeavesItsPlace)
{
    if (!std::getenv(testsupport::ScreenVar))
        GTEST_SKIP() << "runs in a child of its own on a screen of the size asked for";
    testsupport::MainWithToolWindows w;
    if (!w.Show())
        return;
    TMainForm& form = w.form;
    const QRect screen = form.screen()->availableGeometry();
    const QRect main = testsupport::ShownWindow(&form).Frame;

    // The Smith chart goes a gap to the right of the main window's frame, level with the top
    // of its title bar.
    testsupport::OpenFromMenu(form.SmithMenuItem, &w.smith);
    if (!testsupport::GoesOn())
        return;
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w.smith)); // in sight, where a user would close it
    const QRect smith = testsupport::ShownWindow(&w.smith).Frame;
    ASSERT_LE(main.right() + toolplaces::Gap + smith.width(), screen.right())
        << "no room right of the main window at " << testsupport::Text(main);
    const QPoint beside(main.right() + 1 + toolplaces::Gap, main.top());
    EXPECT_EQ(smith.topLeft(), beside) << "the Smith chart at " << testsupport::Text(smith) << ", the main window at "
                                       << testsupport::Text(main) << ", beside it at " << beside.x() << ","
                                       << beside.y();

    // Closed from its tool button, it is in the way of none: the Capacitors window opened next
    // goes where it was.
    form.SmithBtn->click();
    ASSERT_FALSE(w.smith.isVisible());
    testsupport::OpenFromMenu(form.CapsMenuItem, &w.caps);
    if (!testsupport::GoesOn())
        return;
    const QRect caps = testsupport::ShownWindow(&w.caps).Frame;
    EXPECT_EQ(caps.topLeft(), beside) << "the Capacitors window at " << testsupport::Text(caps)
                                      << ", the Smith chart was at " << testsupport::Text(smith);
}

} // namespace

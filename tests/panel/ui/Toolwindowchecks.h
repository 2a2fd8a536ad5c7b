#pragma once
// Checks of the tool windows' first places against the main window on the screen.

#include "panel/Scripted.h"

#include "device/Data.h"
#include "link/ui/Ostrabuslog.h"
#include "panel/Orrery.h"
#include "panel/Plotview.h"
#include "panel/Toolplaces.h"
#include "panel/ui/Capsdlg.h"
#include "panel/ui/Logging.h"
#include "panel/ui/Main.h"
#include "panel/ui/Smithdlg.h"
#include "panel/ui/Status.h"
#include "qtsupport/Xdisplay.h"
#include "service/ui/Mainserviceside.h"
#include "service/ui/Tuningdlg.h"
#include "support/Tempdir.h"

#include <QAction>
#include <QCoreApplication>

#include <QMenuBar>
#include <QScreen>
#include <QToolBar>
#include <algorithm>
#include <gtest/gtest.h>
#include <string>
#include <utility>
#include <vector>

namespace testsupport {

// A window as the user sees it: on X as the X server shows it, in the frame of the window
// manager if one runs; offscreen, with a title bar of the height the places expect where there
// is no frame.
inline SShownWindow ShownWindow(QWidget* w) { return Shown(w, toolplaces::DefaultTitleBar); }

// The main window's menu bar, tool bar and status bar on the screen.
inline std::vector<QRect> MainBars(TMainForm& form)
{
    QToolBar* bar = form.findChild<QToolBar*>("ToolBar");
    EXPECT_TRUE(bar);
    if (!bar)
        return {};
    const QPoint client = ShownWindow(&form).Client.topLeft();
    auto onScreen = [&form, client](QWidget* w) { return QRect(client + w->mapTo(&form, QPoint(0, 0)), w->size()); };
    return {onScreen(form.menuBar()), onScreen(bar), onScreen(form.Status)};
}

inline std::string Text(const QRect& r)
{
    return std::to_string(r.x()) + "," + std::to_string(r.y()) + " " + std::to_string(r.width()) + "x" +
           std::to_string(r.height());
}

// Tool windows in the order they were opened: each on the screen, over none of the main
// window's bars nor the title bar of one opened before it; one that stays on top leaves
// enough of a later one's title bar in sight.
inline void ExpectToolWindowsClear(TMainForm& form, const std::vector<SShownWindow>& shown,
                                   const std::vector<bool>& onTop)
{
    const QRect screen = form.screen()->availableGeometry();
    const std::vector<QRect> bars = MainBars(form);
    auto title = [](const SShownWindow& s) {
        return QRect(s.Frame.x(), s.Frame.y(), s.Frame.width(), s.TitleBar);
    };
    for (size_t i = 0; i < shown.size(); ++i) {
        const QRect& frame = shown[i].Frame;
        const std::string name = shown[i].Name + " at " + Text(frame);
        EXPECT_TRUE(screen.contains(frame)) << name;
        for (const QRect& b : bars)
            EXPECT_FALSE(frame.intersects(b)) << name << " over the bar at " << Text(b);
        // The longest run of the title bar that windows staying above it leave in sight.
        const QRect strip = title(shown[i]);
        std::vector<bool> covered(size_t(strip.width()), false);
        for (size_t j = 0; j < i; ++j) {
            EXPECT_FALSE(frame.intersects(title(shown[j])))
                << name << " over the title bar of " << shown[j].Name << " at " << Text(shown[j].Frame);
            if (onTop[j] && !onTop[i] && shown[j].Frame.intersects(strip))
                for (int x = std::max(shown[j].Frame.left(), strip.left());
                     x <= std::min(shown[j].Frame.right(), strip.right()); ++x)
                    covered[size_t(x - strip.left())] = true;
        }
        int run = 0, longest = 0;
        for (bool c : covered)
            longest = std::max(longest, run = c ? 0 : run + 1);
        EXPECT_GE(longest, std::min(toolplaces::TitleShown, frame.width())) << name;
    }
}

inline void ExpectToolWindowsClear(TMainForm& form, const std::vector<QWidget*>& windows,
                                   const std::vector<bool>& onTop)
{
    std::vector<SShownWindow> shown;
    for (QWidget* w : windows)
        shown.push_back(ShownWindow(w));
    ExpectToolWindowsClear(form, shown, onTop);
}

// Waits until windows are on the screen where the program put them; true when they are. Where
// the window manager did not answer in time, what they show cannot be judged: the test is
// skipped, with the reason. Windows that do not settle though it answered fail it (fatally).
inline bool Settle(const std::vector<QWidget*>& windows, const std::string& what)
{
    const Settled settled = WaitSettled(windows);
    if (settled == Settled::ManagerLate)
        [&what] { GTEST_SKIP() << Text(Settled::ManagerLate) << ": " << what << " not judged"; }();
    else if (settled != Settled::Yes)
        [&what, settled] { FAIL() << what << ": " << Text(settled); }();
    return settled == Settled::Yes;
}

// Whether the test goes on: it has not failed fatally nor been skipped.
inline bool GoesOn() { return !::testing::Test::HasFatalFailure() && !::testing::Test::IsSkipped(); }

// Opens a tool window through its menu item and waits until it is on the screen in its frame.
inline void OpenFromMenu(QAction* item, QWidget* window)
{
    item->trigger();
    ASSERT_TRUE(window->isVisible()) << window->objectName().toStdString();
    Settle({window}, window->objectName().toStdString());
}

// The main window with every tool window that takes a first place beside it, none placed yet;
// started with a settings file of the text given, if any.
struct MainWithToolWindows {
    TempDir dir;
    ScriptedHooks hooks;
    CData data;
    TSmithForm smith;
    TCapsForm caps;
    TMainForm form;
    TMainServiceSide side{form};
    TTuningForm* tuning = new TTuningForm(&form);
    TOstraBusLogForm* log = new TOstraBusLogForm(&form);
    TLoggingForm* logging = new TLoggingForm(*form.Device(), &form);

    explicit MainWithToolWindows(const std::string& settings = {})
    {
        PlotView().Reset();
        form.SetData(&data);
        std::vector<std::string> args;
        if (!settings.empty()) {
            args.push_back(dir.File("start.orrery"));
            WriteAll(args.back(), settings);
        }
        form.SetCommandLine(args, dir.Path());
        form.Controller()->SetVersionText("D.00");
        TMainServiceSide::Forms serviceForms;
        serviceForms.Tuning = tuning;
        side.SetForms(serviceForms);
        TMainForm::Forms forms;
        forms.Smith = &smith;
        forms.Caps = &caps;
        forms.OstraBusLog = log;
        forms.Logging = logging;
        form.SetForms(forms);
    }
    ~MainWithToolWindows()
    {
        smith.hide();
        caps.hide();
        tuning->SetVisible(false);
        log->hide();
        logging->hide();
        form.Device()->ClosePort();
    }
    // Shows the main window; true when the program started and the window has settled on the
    // screen, its body without scroll bars where the screen has room for it. Where it did not,
    // the test has failed, or has been skipped where the window manager did not answer in time.
    bool Show()
    {
        form.show();
        QCoreApplication::processEvents();
        if (!Settle({&form}, "the main window"))
            return false;
        QCoreApplication::processEvents();
        EXPECT_TRUE(form.Controller()->StartupDone()) << "the program did not start";
        return form.Controller()->StartupDone();
    }
    // Opens the tool windows in menu order (Window, then Tools) and checks their places.
    void OpenInMenuOrderClear()
    {
        const std::vector<std::pair<QAction*, QWidget*>> menuOrder{{form.CapsMenuItem, &caps},
                                                                   {form.SmithMenuItem, &smith},
                                                                   {form.LoggingMenuItem, logging},
                                                                   {form.TuningMenuItem, tuning},
                                                                   {form.OstraBuslogMenuItem, log}};
        for (const auto& [item, window] : menuOrder) {
            OpenFromMenu(item, window);
            if (!GoesOn())
                return;
        }
        ExpectToolWindowsClear(form, {&caps, &smith, logging, tuning, log}, {true, true, true, true, false});
    }
    std::vector<QWidget*> ToolWindows() { return {&smith, &caps, tuning, logging, log}; }
};

} // namespace testsupport

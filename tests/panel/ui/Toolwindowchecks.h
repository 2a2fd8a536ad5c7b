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
#include <vector>

namespace testsupport {

// The main window's menu bar, tool bar and status bar on the screen.
inline std::vector<QRect> MainBars(TMainForm& form)
{
    QToolBar* bar = form.findChild<QToolBar*>("ToolBar");
    EXPECT_TRUE(bar);
    if (!bar)
        return {};
    return {QRect(form.menuBar()->mapToGlobal(QPoint(0, 0)), form.menuBar()->size()),
            QRect(bar->mapToGlobal(QPoint(0, 0)), bar->size()),
            QRect(form.Status->mapToGlobal(QPoint(0, 0)), form.Status->size())};
}

// Tool windows in the order they were opened: each on the screen, over none of the main
// window's bars nor the title bar of one opened before it; one that stays on top leaves
// enough of a later one's title bar in sight.
inline void ExpectToolWindowsClear(TMainForm& form, const std::vector<QRect>& frames,
                            const std::vector<bool>& onTop)
{
    const QRect screen = form.screen()->availableGeometry();
    const std::vector<QRect> bars = MainBars(form);
    auto title = [](const QRect& f) { return QRect(f.x(), f.y(), f.width(), toolplaces::DefaultTitleBar); };
    for (size_t i = 0; i < frames.size(); ++i) {
        EXPECT_TRUE(screen.contains(frames[i])) << i;
        for (const QRect& b : bars)
            EXPECT_FALSE(frames[i].intersects(b)) << i;
        // The longest run of the title bar that windows staying above it leave in sight.
        const QRect strip = title(frames[i]);
        std::vector<bool> covered(size_t(strip.width()), false);
        for (size_t j = 0; j < i; ++j) {
            EXPECT_FALSE(frames[i].intersects(title(frames[j]))) << i << " over " << j;
            if (onTop[j] && !onTop[i] && frames[j].intersects(strip))
                for (int x = std::max(frames[j].left(), strip.left());
                     x <= std::min(frames[j].right(), strip.right()); ++x)
                    covered[size_t(x - strip.left())] = true;
        }
        int run = 0, longest = 0;
        for (bool c : covered)
            longest = std::max(longest, run = c ? 0 : run + 1);
        EXPECT_GE(longest, std::min(toolplaces::TitleShown, frames[i].width()))
            << i << " at " << frames[i].x() << "," << frames[i].y() << " " << frames[i].width() << "x"
            << frames[i].height();
    }
}

// The main window with every tool window that takes a first place beside it, none placed yet.
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

    MainWithToolWindows()
    {
        PlotView().Reset();
        form.SetData(&data);
        form.SetCommandLine({}, dir.Path());
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
    // Shows the main window; true when the program started.
    bool Show()
    {
        form.show();
        QCoreApplication::processEvents();
        return form.Controller()->StartupDone();
    }
    // Opens the tool windows in menu order (Window, then Tools) and checks their places.
    void OpenInMenuOrderClear()
    {
        form.CapsMenuItem->trigger();
        form.SmithMenuItem->trigger();
        form.LoggingMenuItem->trigger();
        form.TuningMenuItem->trigger();
        form.OstraBuslogMenuItem->trigger();
        ASSERT_TRUE(smith.isVisible() && caps.isVisible() && tuning->isVisible() && log->isVisible() &&
                    logging->isVisible());
        ExpectToolWindowsClear(form,
                               {caps.frameGeometry(), smith.frameGeometry(), logging->frameGeometry(),
                                tuning->frameGeometry(), log->frameGeometry()},
                               {true, true, true, true, false});
    }
    std::vector<QWidget*> ToolWindows() { return {&smith, &caps, tuning, logging, log}; }
};

} // namespace testsupport

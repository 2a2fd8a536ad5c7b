// The main window reaches the service side only through the interface the service side attaches
// when the program makes it on the window: without it the window has its own pages and no
// service ones, and the service side's menu items do nothing; with it, the unit and service pages
// are there.

#include "panel/ui/Main.h"
#include "service/ui/Mainserviceside.h"

#include <QAction>
#include <QTabWidget>
#include <gtest/gtest.h>

namespace {

QStringList Tabs(const TMainForm& form)
{
    QStringList tabs;
    for (int i = 0; i < form.PageControl->count(); ++i)
        tabs << form.PageControl->tabText(i);
    return tabs;
}

TEST(MainServiceSide, WithoutItTheMainWindowHasOnlyItsOwnPages)
{
    {
        TMainForm form;
        EXPECT_EQ(Tabs(form), (QStringList{"Display", "Faults"}));
        EXPECT_EQ(form.findChild<QWidget*>("SetupPage"), nullptr);
        EXPECT_EQ(form.findChild<QWidget*>("ConfigPage"), nullptr);
        form.TechMenuItem->trigger(); // wired by nobody: nothing happens
        form.FlashingMenuItem->trigger();
    }

    TMainForm form;
    TMainServiceSide side(form);
    const QStringList tabs = Tabs(form);
    for (const char* page : {"Trajectories", "Tuning", "Setup (Ostra)", "Config"})
        EXPECT_TRUE(tabs.contains(page)) << page;
    EXPECT_NE(side.SetupPage, nullptr);
}

} // namespace

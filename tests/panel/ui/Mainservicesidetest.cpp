// The main window reaches the service side only through the interface the service side attaches
// when the program makes it on the window: without it the window has its own pages and no
// service ones, and the service side's menu items do nothing; with it, the unit and service pages
// are there.

#include "panel/ui/Main.h"
#include "service/ui/Mainserviceside.h"

#include <QAction>
#include <QDialog>
#include <QPointer>
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

namespace {

// The service side goes before the main window, as in the program: its pages and dialogs go
// with it, and the main window neither tells it nor reads its pages any more.
TEST(MainServiceSide, GoneFirstItTakesItsPagesAlongAndIsToldNothingMore)
{
    TMainForm form;
    {
        TMainServiceSide side(form);
        ASSERT_TRUE(Tabs(form).contains("Setup (Ostra)"));
    }
    EXPECT_EQ(Tabs(form), (QStringList{"Display", "Faults"}));
    EXPECT_EQ(form.findChild<QWidget*>("SetupPage"), nullptr);
    EXPECT_EQ(form.findChild<QDialog*>(), nullptr);
    EXPECT_EQ(form.ReadAllPages(), 0); // nothing left to read
    form.UpdateControls();
    form.MarkActiveTrajectory(0);
    form.TechMenuItem->trigger(); // wired to a side that is gone: nothing happens
    form.TuningMenuItem->trigger();
}

// A main window that goes first takes the pages along; the side left behind lets go of nothing.
TEST(MainServiceSide, MainWindowGoneFirstLeavesTheSideNothingToLetGoOf)
{
    auto form = std::make_unique<TMainForm>();
    TMainServiceSide side(*form);
    QPointer<QWidget> setup = form->findChild<QWidget*>("SetupPage");
    ASSERT_FALSE(setup.isNull());
    form.reset();
    EXPECT_TRUE(setup.isNull());
}

} // namespace

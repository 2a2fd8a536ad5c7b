// The main window's Auto-test item: the window opens modally, its settings dialog writes the
// main window's auto-test settings (saved in section "Model"), a run moves the capacitors
// through the main window's move in demo mode, and the main window going away mid-run ends
// the run cleanly.

#include "panel/Scripted.h"

#include "device/Data.h"
#include "device/Device.h"
#include "panel/Orrery.h"
#include "panel/ui/Main.h"
#include "platform/Settingsfile.h"
#include "service/ui/Autotest.h"
#include "service/ui/Autotestsettings.h"
#include "service/ui/Autotestthread.h"
#include "support/Tempdir.h"
#include "service/ui/Toolsfixture.h"

#include <QAction>
#include <QApplication>
#include <QButtonGroup>
#include <QAbstractButton>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <cstdio>
#include <fstream>
#include <gtest/gtest.h>

namespace {

class MainTools : public ::testing::Test {
protected:
    void SetUp() override
    {
        form = toolstest::NewMainForm(data, dir.Path());
        side = toolstest::NewServiceSide(*form);
        autoTest = new TAutoTestForm(form.get());
        TMainServiceSide::Forms forms;
        forms.AutoTest = autoTest;
        ASSERT_TRUE(toolstest::Start(*form, *side, {}, forms));
        form->DemoMenuItem->trigger();
        ASSERT_TRUE(form->Controller()->IsDemo());
    }
    void TearDown() override { form.reset(); }
    void Click(QAction* a) { qobject_cast<QToolButton*>(autoTest->ToolBar->widgetForAction(a))->click(); }

    testsupport::TempDir dir;
    ScriptedHooks hooks;
    CData data;
    TAutoTestForm* autoTest = nullptr;
    std::unique_ptr<TMainForm> form;
    std::unique_ptr<TMainServiceSide> side; // goes before the main window
};

TEST_F(MainTools, AutoTestItemOpensTheWindowAndItsSettingsReachTheMainSettings)
{
    bool seen = false;
    QTimer::singleShot(0, autoTest, [&] {
        seen = autoTest->isVisible() && autoTest->isModal();
        TAutoTestSettingsForm* dlg = autoTest->SettingsForm;
        QTimer::singleShot(0, dlg, [dlg] {
            dlg->CMButtons->button(1)->click();
            dlg->NEdit->setFocus();
            QTest::keyClick(dlg->NEdit, Qt::Key_A, Qt::ControlModifier);
            QTest::keyClicks(dlg->NEdit, "7");
            dlg->OkBtn->click();
        });
        Click(autoTest->SettingsAction);
        autoTest->close();
    });
    form->AutoTestMenuItem->trigger();
    EXPECT_TRUE(seen);
    EXPECT_FALSE(autoTest->isVisible());
    EXPECT_EQ(form->MainSettings().AutoTestMode, 1);
    EXPECT_EQ(form->MainSettings().AutoTestN, 7);
}

TEST_F(MainTools, RunMovesThroughTheMainWindowAndEndsWithIt)
{
    const std::string table = dir.File("steps.csv");
    {
        std::ofstream out(table, std::ios::binary);
        out << "time,Load,Tune\r\n0,30,60\r\n3600,70,40\r\n";
    }
    autoTest->AskFile = [&](const auto&, std::string& name) {
        name = table;
        return true;
    };
    QTimer::singleShot(0, autoTest, [&] {
        Click(autoTest->OpenAction);
        Click(autoTest->RunAction);
    });
    // The second row's move is made by the main window; its hour-long dwell is cut short when
    // the main window goes away.
    QObject watcher;
    QTimer poll;
    bool reached = false;
    QObject::connect(&poll, &QTimer::timeout, &watcher, [&] {
        if (form && form->Device()->Position(0) > 69.0 && autoTest->Running()) {
            reached = true;
            form.reset();
        }
    });
    poll.start(0);
    QTimer::singleShot(60000, &watcher, [&] { form.reset(); }); // a run that never got there
    form->AutoTestMenuItem->trigger(); // returns when the window closes with the program
    poll.stop();
    ASSERT_EQ(form, nullptr);
    EXPECT_TRUE(reached);
    EXPECT_EQ(hooks.shown.size(), 0u); // nothing refused or reported on the way out
}

} // namespace

// The auto-test window as a user drives it: typing into the table, insert, remove and clear,
// saving and opening the step table, the settings dialog; runs with a fake move in each mode,
// Stop during an hour's dwell, closing refused while running, the window destroyed mid-run;
// and a run against the simulated unit that moves its capacitors to each row's positions.

#include "panel/Scripted.h"

#include "device/Device.h"
#include "panel/Capcontrols.h"
#include "service/ui/Autotest.h"
#include "service/ui/Autotestsettings.h"
#include "service/ui/Autotestthread.h"
#include "service/ui/Fileask.h"
#include "simunit/Simcommandset.h"
#include "support/Simfixture.h"
#include "support/Tempdir.h"
#include "qtsupport/Widgets.h"

#include <QAction>
#include <QApplication>
#include <QButtonGroup>
#include <QEventLoop>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTableWidget>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <fstream>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace {

constexpr int RunLimitMs = 60000; // a run that does not end by then has failed

struct SMoveCall {
    double Load, Tune;
    bool operator==(const SMoveCall&) const = default;
};

class AutoTestWindow : public ::testing::Test {
protected:
    void SetUp() override
    {
        form = std::make_unique<TAutoTestForm>();
        TAutoTestForm::SLinks links;
        links.GetMode = [this] { return mode; };
        links.SetMode = [this](const SAutoTestMode& m) { mode = m; };
        links.MoveCapacitors = [this](double load, double tune) {
            moves.push_back({load, tune});
            statuses.push_back(form->StatusBar->currentMessage().toStdString());
            if (onMove)
                onMove();
            return 0;
        };
        form->Bind(links);
        form->AskFile = [this](const SFileQuery& q, std::string& name) {
            queries.push_back(q);
            name = fileName;
            return !fileName.empty();
        };
        form->show();
        QApplication::setActiveWindow(form.get());
    }
    QTableWidget* Grid() { return form->ATStringGrid; }
    // The tool-bar button of an action, clicked.
    void Click(QAction* action)
    {
        auto* b = qobject_cast<QToolButton*>(form->ToolBar->widgetForAction(action));
        ASSERT_NE(b, nullptr) << action->objectName().toStdString();
        b->click();
    }
    // A cell typed into: selected, the text typed, Enter.
    void TypeCell(int row, int col, const QString& text)
    {
        Grid()->setCurrentCell(row - 1, col);
        // The first key opens the cell's editor with that character; the rest go to the editor.
        QWidget* editor = testsupport::PressKeyIn(Grid(), text[0].unicode(), text.left(1));
        ASSERT_NE(editor, nullptr);
        for (QChar c : text.mid(1))
            QTest::keyClick(QApplication::focusWidget(), c.toLatin1());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QCoreApplication::processEvents(); // the editor hands its text over in a queued call
    }
    void FillRows(const std::vector<std::array<const char*, 3>>& rows)
    {
        for (size_t i = 0; i < rows.size(); ++i)
            for (int c = 1; c <= 3; ++c)
                TypeCell(int(i) + 1, c, rows[i][size_t(c - 1)]);
    }
    std::vector<std::string> Column(int col)
    {
        std::vector<std::string> out;
        for (int r = 0; r < Grid()->rowCount(); ++r)
            out.push_back(Grid()->item(r, col)->text().toStdString());
        return out;
    }
    // Runs and waits (with the events running) for the run's worker to finish.
    bool RunToEnd()
    {
        Click(form->RunAction);
        if (!form->Thread())
            return false;
        QSignalSpy finished(form->Thread(), &TAutoTestThread::Finished);
        return form->Thread()->Ended() || finished.wait(RunLimitMs);
    }

    ScriptedHooks hooks;
    SAutoTestMode mode;
    std::vector<SMoveCall> moves;
    std::vector<std::string> statuses;
    std::function<void()> onMove;
    std::string fileName;
    std::vector<SFileQuery> queries;
    std::unique_ptr<TAutoTestForm> form;
};

TEST_F(AutoTestWindow, TypingInsertRemoveAndClear)
{
    EXPECT_EQ(form->windowTitle(), "Auto-test");
    EXPECT_EQ(Grid()->horizontalHeaderItem(1)->text(), "time, s");
    EXPECT_EQ(Grid()->rowCount(), 1);
    EXPECT_FALSE(form->StopAction->isEnabled());
    EXPECT_FALSE(form->DeleteAction->isEnabled()); // nothing to clear
    EXPECT_FALSE(form->MinusAction->isEnabled());  // the trailing row
    EXPECT_TRUE(form->PlusAction->isEnabled());

    TypeCell(1, 2, "20"); // the trailing row: a new one appears
    EXPECT_EQ(Grid()->rowCount(), 2);
    TypeCell(1, 1, "1");  // not the trailing row
    EXPECT_EQ(Grid()->rowCount(), 2);
    FillRows({{"1", "20", "30"}, {"2", "40", "50"}});
    EXPECT_EQ(Column(0), (std::vector<std::string>{"1", "2", "3"}));
    EXPECT_TRUE(form->DeleteAction->isEnabled());

    Grid()->setCurrentCell(1, 1); // row 2
    EXPECT_TRUE(form->MinusAction->isEnabled());
    Click(form->PlusAction);
    EXPECT_EQ(Column(0), (std::vector<std::string>{"1", "2", "3", "4"}));
    EXPECT_EQ(Column(1), (std::vector<std::string>{"1", "", "2", ""}));
    EXPECT_EQ(Column(3), (std::vector<std::string>{"30", "", "50", ""}));
    Grid()->setCurrentCell(0, 1);
    Click(form->MinusAction);
    EXPECT_EQ(Column(1), (std::vector<std::string>{"", "2", ""}));
    Grid()->setCurrentCell(2, 1);
    EXPECT_FALSE(form->MinusAction->isEnabled());

    hooks.answers = {false};
    Click(form->DeleteAction);
    EXPECT_EQ(Grid()->rowCount(), 3);
    ASSERT_EQ(hooks.shown.size(), 1u);
    EXPECT_EQ(hooks.shown[0].caption, "");
    EXPECT_EQ(hooks.shown[0].text, "Clear the table?");
    hooks.answers = {true};
    Click(form->DeleteAction);
    EXPECT_EQ(Grid()->rowCount(), 1);
    EXPECT_EQ(Column(0), (std::vector<std::string>{"1"}));
}

TEST_F(AutoTestWindow, SaveAndOpenTheStepTable)
{
    testsupport::TempDir dir;
    FillRows({{"2.50", "20", "30"}, {"1", "a,b", "40"}});
    fileName = dir.File("steps.csv");
    Click(form->SaveAction);
    ASSERT_EQ(queries.size(), 1u);
    EXPECT_TRUE(queries[0].Save);
    EXPECT_EQ(queries[0].Title, "Save");
    EXPECT_EQ(queries[0].Extension, "csv");
    std::ifstream in(fileName, std::ios::binary);
    const std::string saved((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(saved, "time,Load,Tune\r\n2.50,20,30\r\n1,\"a,b\",40\r\n");

    // The row holding "a,b" is not a row of numbers: the rest loads and the line is named.
    hooks.shown.clear();
    Click(form->OpenAction);
    EXPECT_EQ(queries.back().Title, "Open");
    EXPECT_FALSE(queries.back().Save);
    EXPECT_EQ(Column(1), (std::vector<std::string>{"2.50", ""}));
    ASSERT_EQ(hooks.shown.size(), 1u);
    EXPECT_EQ(hooks.shown[0].text, "Line 3 is not a row of three numbers and was not loaded.");

    // A file that cannot be read: "Open error", the table as it was.
    hooks.shown.clear();
    fileName = dir.File("missing.csv");
    Click(form->OpenAction);
    ASSERT_EQ(hooks.shown.size(), 1u);
    EXPECT_EQ(hooks.shown[0].kind, "warning");
    EXPECT_EQ(hooks.shown[0].caption, "Open error");
    EXPECT_EQ(Column(1), (std::vector<std::string>{"2.50", ""}));
    // A named pipe is refused at once, saying what it is.
    hooks.shown.clear();
    fileName = dir.File("pipe.csv");
    ASSERT_EQ(mkfifo(fileName.c_str(), 0600), 0);
    Click(form->OpenAction);
    ASSERT_EQ(hooks.shown.size(), 1u);
    EXPECT_EQ(hooks.shown[0].caption, "Open error");
    EXPECT_EQ(hooks.shown[0].text, "Cannot read \"" + fileName + "\": not a regular file (a named pipe)");
    EXPECT_EQ(Column(1), (std::vector<std::string>{"2.50", ""}));
    // A file that cannot be written: a warning, no file.
    hooks.shown.clear();
    fileName = dir.File("no/such/folder.csv");
    Click(form->SaveAction);
    ASSERT_EQ(hooks.shown.size(), 1u);
    EXPECT_EQ(hooks.shown[0].caption, "Save");
}

TEST_F(AutoTestWindow, SettingsDialogChangesTheModeOnlyOnOk)
{
    TAutoTestSettingsForm* dlg = form->SettingsForm;
    QTimer::singleShot(0, dlg, [dlg] {
        EXPECT_TRUE(dlg->CMButtons->button(0)->isChecked());
        EXPECT_EQ(dlg->NEdit->text(), "999");
        EXPECT_EQ(dlg->TEdit->text(), "10.0");
        dlg->CMButtons->button(1)->click();
        dlg->NEdit->setFocus();
        QTest::keyClick(dlg->NEdit, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(dlg->NEdit, "3");
        dlg->CancelBtn->click();
    });
    Click(form->SettingsAction);
    EXPECT_EQ(mode.Mode, 0);
    EXPECT_EQ(mode.Cycles, 999);
    QTimer::singleShot(0, dlg, [dlg] {
        dlg->CMButtons->button(2)->click();
        dlg->TEdit->setFocus();
        QTest::keyClick(dlg->TEdit, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(dlg->TEdit, "2.5");
        dlg->OkBtn->click();
    });
    Click(form->SettingsAction);
    EXPECT_EQ(mode.Mode, 2);
    EXPECT_DOUBLE_EQ(mode.Minutes, 2.5);
    EXPECT_EQ(mode.Cycles, 999);
}

TEST_F(AutoTestWindow, CyclesRunCountsDownAndEnds)
{
    FillRows({{"0", "10", "20"}, {"0.01", "30", "40"}, {"0", "50", "60"}});
    mode = {SAutoTestMode::ModeCycles, 3, 10.0};
    form->ContModeBtn->click();
    ASSERT_TRUE(form->ContModeBtn->isChecked());
    onMove = [this] {
        EXPECT_FALSE(Grid()->isEnabled());
        EXPECT_TRUE(form->StopAction->isEnabled());
        EXPECT_FALSE(form->RunAction->isEnabled());
        EXPECT_FALSE(form->SettingsAction->isEnabled());
    };
    ASSERT_TRUE(RunToEnd());
    ASSERT_EQ(moves.size(), 9u);
    EXPECT_EQ(moves[4], (SMoveCall{30, 40}));
    EXPECT_EQ(statuses[0], "3 cycles left");
    EXPECT_EQ(statuses[3], "2 cycles left");
    EXPECT_EQ(statuses[8], "1 cycles left");
    EXPECT_FALSE(form->Running());
    EXPECT_TRUE(Grid()->isEnabled());
    EXPECT_EQ(form->StatusBar->currentMessage(), "");
    EXPECT_TRUE(form->RunAction->isEnabled());
    EXPECT_FALSE(form->StopAction->isEnabled());

    // Repeat switch up: one pass.
    moves.clear();
    form->ContModeBtn->click();
    ASSERT_TRUE(RunToEnd());
    EXPECT_EQ(moves.size(), 3u);
}

TEST_F(AutoTestWindow, StopDuringAnHoursDwellAndCloseRefusedWhileRunning)
{
    FillRows({{"3600", "10", "20"}, {"3600", "30", "40"}});
    form->ContModeBtn->click();
    bool stopped = false;
    onMove = [this, &stopped] {
        // After the move returns the worker dwells; then the user tries to close, then stops.
        QTimer::singleShot(0, form.get(), [this, &stopped] {
            form->close();
            EXPECT_TRUE(form->isVisible());
            ASSERT_FALSE(hooks.shown.empty());
            EXPECT_EQ(hooks.shown.back().text, "Auto-test is running");
            EXPECT_EQ(hooks.shown.back().caption, "");
            Click(form->StopAction);
            // Stop returns once the run has ended: its end routine already ran.
            stopped = !form->Running() && Grid()->isEnabled();
        });
    };
    ASSERT_TRUE(RunToEnd());
    EXPECT_TRUE(stopped);
    EXPECT_EQ(moves.size(), 1u);
    EXPECT_FALSE(form->StopAction->isEnabled());
    form->close();
    EXPECT_FALSE(form->isVisible());
}

TEST_F(AutoTestWindow, StopStillEndsTheRunWhenTheApplicationIsToldToQuit)
{
    FillRows({{"3600", "10", "20"}});
    form->ContModeBtn->click();
    bool stopped = false;
    onMove = [this, &stopped] {
        QTimer::singleShot(0, form.get(), [this, &stopped] {
            // Arrives while Stop waits: every running event loop is told to exit.
            QTimer::singleShot(0, form.get(), [] { QCoreApplication::exit(0); });
            Click(form->StopAction);
            stopped = !form->Running();
        });
    };
    Click(form->RunAction);
    ASSERT_NE(form->Thread(), nullptr);
    QEventLoop loop;
    QObject::connect(form->Thread(), &TAutoTestThread::Finished, &loop, &QEventLoop::quit);
    QTimer::singleShot(RunLimitMs, &loop, &QEventLoop::quit);
    for (int i = 0; i < 3 && !stopped; ++i) // the exit may end this loop too
        loop.exec();
    EXPECT_TRUE(stopped);
    EXPECT_TRUE(form->Thread()->Ended());
    EXPECT_EQ(moves.size(), 1u);
    EXPECT_TRUE(testsupport::ApplicationToldToQuit());
    testsupport::TakeBackApplicationQuit();
    EXPECT_FALSE(testsupport::ApplicationToldToQuit());
}

TEST_F(AutoTestWindow, DestroyedMidRunEndsCleanly)
{
    FillRows({{"3600", "10", "20"}});
    form->ContModeBtn->click();
    // Mid-dwell.
    QEventLoop loop;
    onMove = [&] {
        QTimer::singleShot(0, &loop, [&] {
            form.reset();
            loop.quit();
        });
    };
    Click(form->RunAction);
    QTimer::singleShot(RunLimitMs, &loop, &QEventLoop::quit);
    loop.exec();
    EXPECT_EQ(form, nullptr);
    EXPECT_EQ(moves.size(), 1u);

    // Before the worker's first routine has been answered.
    SetUp();
    FillRows({{"3600", "10", "20"}});
    Click(form->RunAction);
    form.reset();
    EXPECT_EQ(moves.size(), 1u);
}

TEST(AutoTestAgainstUnit, RunMovesTheCapacitorsToEachRow)
{
    testsupport::SimPty pty;
    ASSERT_TRUE(pty.Ok()) << pty.Error();
    auto state = simunit::InstallDeviceCommands(pty.Unit());
    state->With([](simunit::SimUnitData& d) { d.motorSpeed = 0; });
    CDevice dev;
    ASSERT_EQ(dev.OpenPort(pty.Path(), 9600, 500, 2), 0) << dev.LastError();
    CCapControls caps(dev);

    std::vector<std::pair<double, double>> reached;
    TAutoTestForm form;
    TAutoTestForm::SLinks links;
    links.GetMode = [] { return SAutoTestMode{}; };
    links.MoveCapacitors = [&](double load, double tune) {
        const int r = caps.MoveCapacitors(load, tune);
        EXPECT_EQ(r, 0);
        reached.push_back(state->With([](simunit::SimUnitData& d) {
            return std::pair{d.caps[0].position, d.caps[1].position};
        }));
        return r;
    };
    form.Bind(links);
    testsupport::TempDir dir;
    {
        std::ofstream out(dir.File("three.csv"), std::ios::binary);
        out << "time,Load,Tune\r\n0,25,70\r\n0.05,60,30\r\n0,45.5,55\r\n";
    }
    form.AskFile = [&](const SFileQuery&, std::string& name) {
        name = dir.File("three.csv");
        return true;
    };
    form.show();
    auto click = [&](QAction* a) {
        qobject_cast<QToolButton*>(form.ToolBar->widgetForAction(a))->click();
    };
    click(form.OpenAction);
    ASSERT_EQ(form.ATStringGrid->rowCount(), 4);
    click(form.RunAction); // repeat switch up: one pass
    ASSERT_NE(form.Thread(), nullptr);
    QSignalSpy finished(form.Thread(), &TAutoTestThread::Finished);
    ASSERT_TRUE(form.Thread()->Ended() || finished.wait(RunLimitMs));
    ASSERT_EQ(reached.size(), 3u);
    EXPECT_NEAR(reached[0].first, 25, 0.1);
    EXPECT_NEAR(reached[0].second, 70, 0.1);
    EXPECT_NEAR(reached[1].first, 60, 0.1);
    EXPECT_NEAR(reached[1].second, 30, 0.1);
    EXPECT_NEAR(reached[2].first, 45.5, 0.1);
    EXPECT_NEAR(reached[2].second, 55, 0.1);
    dev.ClosePort();
}

} // namespace

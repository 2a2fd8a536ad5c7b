// The program with all its windows, made as the program makes them: closing the main window (or
// Orrery > Exit) ends it with every window it opened, whatever is open; in this process, and as
// a process of its own that must end.

#include "app/Program.h"
#include "panel/Orrery.h"
#include "panel/Scripted.h"
#include "panel/ui/Capsdlg.h"
#include "panel/ui/Logging.h"
#include "panel/ui/Smithdlg.h"
#include "platform/Settingsfile.h"
#include "qtsupport/Modaldriver.h"
#include "qtsupport/Widgets.h"
#include "qtsupport/Xdisplay.h"
#include "service/ui/Tuningdlg.h"
#include "support/Tempdir.h"

#include <QAction>
#include <QApplication>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <xcb/xcb.h>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

namespace {

const char* const KeyPath = "Software\\Quorvane\\Vantrel Orrery";
// Set in the environment of the program run as a child process.
const char* const ChildVariable = "ORRERY_TEST_PROGRAM_CHILD";

// The windows a user opens, each through its menu item.
enum class Opened { CapsThenTuning, SmithCapsLoggingTuning };

void OpenWindows(TMainForm& form, Opened which)
{
    if (which == Opened::SmithCapsLoggingTuning)
        form.SmithMenuItem->trigger();
    form.CapsMenuItem->trigger();
    if (which == Opened::SmithCapsLoggingTuning)
        form.LoggingMenuItem->trigger();
    form.TuningMenuItem->trigger();
}

std::vector<std::string> VisibleWindows()
{
    std::vector<std::string> names;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->isVisible())
            names.push_back(w->objectName().toStdString());
    return names;
}

class ProgramTest : public ::testing::Test {
protected:
    void SetUp() override { std::remove(platform::SettingsFile::PathForKey(KeyPath).c_str()); }
    void TearDown() override { std::remove(platform::SettingsFile::PathForKey(KeyPath).c_str()); }
    // The program started: its main window shown and its start-up run.
    void Start()
    {
        program = std::make_unique<TProgram>(std::vector<std::string>{}, dir.Path());
        program->MainForm().show();
        QCoreApplication::processEvents();
        ASSERT_TRUE(program->MainForm().Controller()->StartupDone());
    }
    // Ends it as the user chose, and checks that nothing of it is left.
    void ExpectEndedWithEveryWindow(const std::function<void(TMainForm&)>& end)
    {
        TMainForm& form = program->MainForm();
        auto& forms = form.GetForms();
        ASSERT_TRUE(forms.Caps->isVisible());
        ASSERT_TRUE(program->ServiceSide().GetForms().Tuning->isVisible());
        end(form);
        EXPECT_EQ(VisibleWindows(), std::vector<std::string>{});
        EXPECT_TRUE(testsupport::ApplicationToldToQuit());
        testsupport::TakeBackApplicationQuit();
    }

    testsupport::TempDir dir;
    ScriptedHooks hooks;
    std::unique_ptr<TProgram> program;
};

} // namespace

TEST_F(ProgramTest, ExitWithCapacitorsAndTuningOpenClosesEveryWindowAndEndsTheProgram)
{
    Start();
    OpenWindows(program->MainForm(), Opened::CapsThenTuning);
    ExpectEndedWithEveryWindow([](TMainForm& form) { form.ExitMenuItem->trigger(); });
}

TEST_F(ProgramTest, ClosingTheMainWindowWithEveryToolWindowOpenEndsTheProgram)
{
    Start();
    OpenWindows(program->MainForm(), Opened::SmithCapsLoggingTuning);
    ASSERT_TRUE(program->MainForm().GetForms().Smith->isVisible());
    ASSERT_TRUE(program->MainForm().GetForms().Logging->isVisible());
    ExpectEndedWithEveryWindow([](TMainForm& form) { form.close(); }); // the title bar's close box
}

// The program run in a process of its own, as `./build.sh run` runs it: the windows opened
// through the menus, then Orrery > Exit. Runs only in that process.
TEST(ProgramChild, OpensWindowsAndExits)
{
    const char* which = std::getenv(ChildVariable);
    if (!which)
        GTEST_SKIP() << "runs as a child process of ProgramRun";
    testsupport::TempDir dir;
    TProgram program({}, dir.Path());
    TMainForm& form = program.MainForm();
    // Once the start-up has run, as a user would after the window came up.
    QTimer driver;
    QObject::connect(&driver, &QTimer::timeout, &form, [&] {
        if (!form.Controller()->StartupDone())
            return;
        driver.stop();
        OpenWindows(form, std::string(which) == "all" ? Opened::SmithCapsLoggingTuning : Opened::CapsThenTuning);
        form.ExitMenuItem->trigger();
    });
    driver.start(10);
    EXPECT_EQ(program.Run(), 0);
    EXPECT_EQ(VisibleWindows(), std::vector<std::string>{});
}

TEST(ProgramRun, ExitWithToolWindowsOpenEndsTheProcess)
{
    // Which window the application tried to close first changed from run to run: several runs,
    // side by side.
    constexpr int Runs = 8;
    constexpr int LimitMs = 90000; // a program that does not end stays far beyond it
    std::vector<std::unique_ptr<QProcess>> runs;
    for (int i = 0; i < Runs; ++i) {
        auto p = std::make_unique<QProcess>();
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(ChildVariable, i % 2 == 0 ? "all" : "caps-tuning");
        env.insert("QT_QPA_PLATFORM", "offscreen");
        p->setProcessEnvironment(env);
        p->setProcessChannelMode(QProcess::MergedChannels);
        p->start(QCoreApplication::applicationFilePath(),
                 {"--gtest_filter=ProgramChild.OpensWindowsAndExits"});
        ASSERT_TRUE(p->waitForStarted(LimitMs)) << p->errorString().toStdString();
        runs.push_back(std::move(p));
    }
    for (int i = 0; i < Runs; ++i) {
        QProcess& p = *runs[size_t(i)];
        const bool ended = p.waitForFinished(LimitMs);
        if (!ended) {
            p.kill();
            p.waitForFinished(-1);
        }
        const std::string output = p.readAll().toStdString();
        EXPECT_TRUE(ended) << "run " << i << " did not end:\n" << output;
        EXPECT_EQ(p.exitStatus(), QProcess::NormalExit) << output;
        EXPECT_EQ(p.exitCode(), 0) << output;
        EXPECT_NE(output.find("[  PASSED  ] 1 test"), std::string::npos) << output;
    }
}

// --- captions as the window system shows them ---------------------------------------------------

namespace {

// The title the X server holds for a window (what a window manager shows), read on the
// application's own connection.
std::string ShownTitle(QWidget* w)
{
    xcb_connection_t* c = testsupport::AppConnection();
    if (!c)
        return "(not on X)";
    const xcb_atom_t name = testsupport::x::Atom(c, "_NET_WM_NAME");
    const xcb_atom_t utf8 = testsupport::x::Atom(c, "UTF8_STRING");
    xcb_get_property_reply_t* r = xcb_get_property_reply(
        c, xcb_get_property(c, 0, xcb_window_t(w->winId()), name, utf8, 0, 1024), nullptr);
    if (!r)
        return "(no title)";
    std::string title(static_cast<const char*>(xcb_get_property_value(r)), size_t(xcb_get_property_value_length(r)));
    std::free(r);
    return title;
}

} // namespace

// On the X window system, as a user sees the program; run by the test below under Xvfb.
TEST_F(ProgramTest, AWindowShownAgainCarriesTheCaptionSetWhileItWasHidden)
{
    if (QGuiApplication::platformName() != "xcb")
        GTEST_SKIP() << "runs on X, as a child process of ProgramOnX";
    Start();
    TMainForm& form = program->MainForm();
    auto& forms = form.GetForms();
    const std::vector<std::pair<QAction*, QWidget*>> windows{
        {form.SmithMenuItem, forms.Smith}, {form.CapsMenuItem, forms.Caps}, {form.LoggingMenuItem, forms.Logging}};
    for (int pass = 0; pass < 2; ++pass) // shown, then hidden
        for (const auto& [item, window] : windows) {
            item->trigger();
            ASSERT_EQ(window->isVisible(), pass == 0) << window->objectName().toStdString();
        }
    QCoreApplication::processEvents();

    testsupport::ModalDriver driver;
    driver.Then("SettingsForm", [](QWidget* dialog) {
        auto* edit = dialog->findChild<QLineEdit*>("CaptionEdit");
        edit->setFocus();
        edit->selectAll();
        QTest::keyClicks(edit, "Rig X");
        QTest::mouseClick(dialog->findChild<QPushButton*>("OKBtn"), Qt::LeftButton);
        return true;
    });
    form.SettingsMenuItem->trigger();
    ASSERT_TRUE(driver.Done());
    for (const auto& [item, window] : windows)
        item->trigger();
    QCoreApplication::processEvents();

    const std::string program = "Rig X - Vantrel Orrery";
    EXPECT_EQ(ShownTitle(&form), program);
    for (const auto& [item, window] : windows) {
        ASSERT_TRUE(window->isVisible());
        EXPECT_EQ(ShownTitle(window), window->windowTitle().toStdString() + " \u2014 " + program)
            << window->objectName().toStdString();
    }
    form.close();
    testsupport::TakeBackApplicationQuit();
}

TEST(ProgramOnX, AWindowShownAgainCarriesTheCaptionSetWhileItWasHidden)
{
    testsupport::VirtualDisplay display;
    ASSERT_FALSE(display.Display().empty()) << display.Error();
    QProcess run;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("DISPLAY", QString::fromStdString(display.Display()));
    env.insert("QT_QPA_PLATFORM", "xcb");
    env.remove("WAYLAND_DISPLAY");
    run.setProcessEnvironment(env);
    run.setProcessChannelMode(QProcess::MergedChannels);
    run.start(QCoreApplication::applicationFilePath(),
              {"--gtest_filter=ProgramTest.AWindowShownAgainCarriesTheCaptionSetWhileItWasHidden"});
    ASSERT_TRUE(run.waitForStarted(testsupport::VirtualDisplay::LimitMs)) << run.errorString().toStdString();
    const bool ended = run.waitForFinished(testsupport::VirtualDisplay::LimitMs);
    if (!ended) {
        run.kill();
        run.waitForFinished(-1);
    }
    const std::string output = run.readAll().toStdString();
    ASSERT_TRUE(ended) << output;
    EXPECT_EQ(run.exitCode(), 0) << output;
    EXPECT_NE(output.find("[  PASSED  ] 1 test"), std::string::npos) << output;
}

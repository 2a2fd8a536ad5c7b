#include "zcomponents/Zshowapp.h"
#include "Zwait.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QApplication>
#include <QHelpEvent>
#include <QProcess>
#include <QScopeGuard>
#include <QWidget>
#include <cstdlib>
#include <gtest/gtest.h>

namespace {

const char* const kChildMode = "ORRERY_SHOWAPP_CHILD";
const char* const kChildInstance = "ORRERY_SHOWAPP_INSTANCE";

// The instance name the two processes share: one of this run's own, so that another run of
// the same test program at the same time (a second test run on a busy machine) is not taken
// for the first instance.
QString RunInstanceName()
{
    return QStringLiteral("orrery-showapp-two-processes-%1").arg(QCoreApplication::applicationPid());
}

// Starts this test program again as a second instance running the child case below.
std::unique_ptr<QProcess> StartChild(const char* mode)
{
    auto child = std::make_unique<QProcess>();
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QString::fromLatin1(kChildMode), QString::fromLatin1(mode));
    env.insert(QString::fromLatin1(kChildInstance), RunInstanceName());
    child->setProcessEnvironment(env);
    child->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child->start(QCoreApplication::applicationFilePath(),
                 {"--gtest_filter=TzShowAppChild.SecondStart", "handed-over-argument"});
    return child;
}

} // namespace

// Runs only inside the child process started by the single-instance test.
TEST(TzShowAppChild, SecondStart)
{
    const char* mode = std::getenv(kChildMode);
    if (!mode)
        GTEST_SKIP() << "runs as the second instance only";
    const bool single = std::string(mode) == "single";
    QWidget form;
    form.resize(120, 80);
    TzShowApp app(&form);
    app.SetInstanceName(QString::fromLocal8Bit(qgetenv(kChildInstance)));
    app.SetOnlyOneInstance(single);
    bool askedToNotify = false;
    app.OnSecondInstance = [&](QObject* s, bool& notify) {
        EXPECT_EQ(s, &app);
        EXPECT_TRUE(notify);
        askedToNotify = true;
    };
    app.Loaded();
    EXPECT_EQ(app.IsClosing(), single);
    EXPECT_EQ(askedToNotify, single);
    if (single) {
        EXPECT_EQ(form.x(), -130);
        QCoreApplication::exec(); // the queued quit ends it at once
    }
}

TEST(TzShowApp, SingleInstanceWithTwoProcesses)
{
    QWidget form;
    TzShowApp app(&form);
    app.SetInstanceName(RunInstanceName());
    app.SetOnlyOneInstance(true);
    int others = 0;
    app.OnAnotherInstance = [&](QObject* s) {
        EXPECT_EQ(s, &app);
        ++others;
    };
    app.Loaded();
    ASSERT_FALSE(app.IsClosing());
    form.showMinimized();

    auto child = StartChild("single");
    ASSERT_TRUE(zwait::Until([&] { return others == 1 && child->state() == QProcess::NotRunning; }, 60000));
    EXPECT_EQ(child->exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(child->exitCode(), 0);
    EXPECT_TRUE(app.AnotherInstanceArguments().contains("handed-over-argument"));
    EXPECT_FALSE(form.isMinimized());

    // A second start without the rule runs normally and tells nobody.
    app.SetOnlyOneInstance(false);
    auto free = StartChild("free");
    ASSERT_TRUE(zwait::Until([&] { return free->state() == QProcess::NotRunning; }, 60000));
    EXPECT_EQ(free->exitCode(), 0);
    EXPECT_EQ(others, 1);
}

TEST(TzShowApp, InstanceKeyFollowsTheProgramPath)
{
    const QString program = QCoreApplication::applicationFilePath();
    const QString key = TzShowApp::InstanceKey(program);
    EXPECT_EQ(TzShowApp::InstanceKey(program), key);
    EXPECT_TRUE(key.startsWith(QFileInfo(program).fileName() + u'+')) << key.toStdString();
    // The same program in another folder is another program.
    EXPECT_NE(TzShowApp::InstanceKey(QStringLiteral("/elsewhere/") + QFileInfo(program).fileName()), key);

    // Without a name of its own, the instance is known by that key while it runs.
    QWidget form;
    TzShowApp app(&form);
    EXPECT_TRUE(app.InstanceName().isEmpty());
    const QString lock = QDir::temp().filePath(key + QStringLiteral(".lock"));
    app.Loaded();
    EXPECT_TRUE(QFileInfo::exists(lock));
}

TEST(TzShowApp, StartStateAndTaskBarButton)
{
    QWidget form;
    TzShowApp app(&form);
    EXPECT_TRUE(app.ShowMainForm());
    EXPECT_EQ(app.HintPause(), 500);
    EXPECT_EQ(app.HintHidePause(), 2500);
    EXPECT_EQ(app.HintColor(), clInfoBk);
    app.SetUseCmdShow(true);
    app.SetShowOnStatusBar(false);
    app.SetShowNonOnStatusBar(true);
    int restores = 0;
    app.OnRestore = [&](QObject*) { ++restores; };
    // A name of its own, so this start never meets the two-process test's instances.
    app.SetInstanceName("orrery-showapp-state-test-1");
    SetStartupShowCommand(SW_SHOWMINNOACTIVE);
    app.Loaded();
    SetStartupShowCommand(SW_SHOWNORMAL);
    EXPECT_TRUE(form.windowState() & Qt::WindowMinimized);
    EXPECT_FALSE(app.ShowMainForm());
    EXPECT_TRUE(form.windowFlags() & Qt::Tool);
    EXPECT_TRUE(form.windowFlags() & Qt::WindowStaysOnTopHint);
    form.show();
    form.setWindowState(Qt::WindowNoState); // the user restores it
    EXPECT_TRUE(app.ShowMainForm());
    EXPECT_EQ(restores, 0); // the temporary handler ran instead
    form.setWindowState(Qt::WindowMinimized);
    form.setWindowState(Qt::WindowNoState);
    EXPECT_EQ(restores, 1);

    QWidget big;
    TzShowApp maxi(&big);
    maxi.SetUseCmdShow(true);
    maxi.SetInstanceName("orrery-showapp-state-test-2");
    SetStartupShowCommand(SW_SHOWMAXIMIZED);
    maxi.Loaded();
    SetStartupShowCommand(SW_SHOWNORMAL);
    EXPECT_TRUE(big.windowState() & Qt::WindowMaximized);
}

TEST(TzShowApp, TextsAndInformation)
{
    EXPECT_EQ(ShortDateFor("d/M/yy", sdf4DigitYear, "x"), "d/M/yyyy");
    EXPECT_EQ(ShortDateFor("dd.MM.yyyy", sdf2DigitYear, "x"), "dd.MM.yy");
    EXPECT_EQ(ShortDateFor("dd.MM.yyyy", sdfDontTouch, "saved"), "saved");
    EXPECT_EQ(ShortDateFor("dd.MM", sdf4DigitYear, "x"), "dd.MM");
    EXPECT_EQ(WindowsStringFor(z_NT, 6, 1, 7601), "Windows NT 6.1 (Build: 7601)");
    EXPECT_EQ(WindowsStringFor(z_Windows, 3, 11, 0), "Windows 3.11");
    EXPECT_EQ(WindowsStringFor(z_95, 4, 0, 950), "Windows'95 4.0 (Build: 950)");
    EXPECT_EQ(TrimTempDir("/tmp/"), "/tmp");
    EXPECT_EQ(TrimTempDir("/"), "/");

    auto cpu = [](int family, int model, int type, const char* vendor) {
        TCpuInfo info;
        info.CpuidPresent = true;
        info.CpuidSignature = std::uint32_t(family << 8 | model << 4 | type << 12);
        info.CpuVendor = vendor;
        return CpuStringFor(info, family);
    };
    EXPECT_EQ(cpu(6, 8, 0, "GenuineIntel"), "Intel Pentium P6");
    EXPECT_EQ(cpu(6, 3, 1, "GenuineIntel"), "Intel Pentium II Overdrive");
    EXPECT_EQ(cpu(5, 4, 0, "GenuineIntel"), "Pentium MMX 166/200 MHz");
    EXPECT_EQ(cpu(5, 2, 1, "GenuineIntel"), "Pentium Overdrive 75-200 MHz");
    EXPECT_EQ(cpu(5, 4, 0, "CyrixInstead"), "Cyrix Gxm");
    EXPECT_EQ(cpu(4, 8, 0, "GenuineIntel"), "80486 DX4");
    EXPECT_EQ(cpu(4, 6, 0, "GenuineIntel"), "80486");
    EXPECT_EQ(cpu(4, 1, 0, "AuthenticAMD"), "AMD Am486/Am5x86");
    EXPECT_EQ(cpu(15, 1, 0, "AuthenticAMD"), "");
    TCpuInfo none;
    EXPECT_EQ(CpuStringFor(none, 3), "80386");
    EXPECT_EQ(CpuStringFor(none, 6), "PentiumPro");
    EXPECT_EQ(CpuStringFor(none, 9), "P9");

    QWidget form;
    TzShowApp app(&form);
    EXPECT_EQ(app.IPHostName(), "-Unknown-");
    EXPECT_TRUE(app.SetEnvironmentString("ORRERY_SHOWAPP_PROBE", "42"));
    EXPECT_EQ(app.GetEnvironmentString("ORRERY_SHOWAPP_PROBE"), "42");
    EXPECT_TRUE(app.EnvironmentLines().contains("ORRERY_SHOWAPP_PROBE=42"));
    EXPECT_FALSE(app.SetEnvironmentString("", "x"));
    EXPECT_GT(app.BitsPerColor(), 0);
    EXPECT_EQ(app.NumberOfColors(), std::pow(2.0, app.BitsPerColor()));
    EXPECT_FALSE(app.TempDir().endsWith('/'));
    app.SetEnabledHostInfo(true);
    EXPECT_FALSE(app.IPHostAddress().isEmpty());
}

TEST(TzShowApp, IdleHintAndShowHintEvents)
{
    QWidget form;
    form.resize(100, 100);
    QWidget* button = new QWidget(&form);
    button->setToolTip("Starts the pump");
    form.show();
    TzShowApp app(&form);
    // The hint is the application's, kept between objects: start from none and leave none.
    app.SetHint(QString());
    const auto clearHint = qScopeGuard([&] { app.SetHint(QString()); });
    int hints = 0, idles = 0;
    app.OnHint = [&](QObject*) { ++hints; };
    QEnterEvent enter(QPointF(1, 1), QPointF(1, 1), QPointF(1, 1));
    QApplication::sendEvent(button, &enter);
    EXPECT_EQ(hints, 1);
    EXPECT_EQ(app.Hint(), "Starts the pump");

    QString shownText;
    app.OnShowHint = [&](QString& text, bool& canShow) {
        shownText = text;
        canShow = false;
    };
    QHelpEvent help(QEvent::ToolTip, {1, 1}, button->mapToGlobal(QPoint(1, 1)));
    EXPECT_TRUE(QApplication::sendEvent(button, &help)); // taken: no hint appears
    EXPECT_EQ(shownText, "Starts the pump");

    // Asking for more idle calls keeps them coming until the handler is done.
    app.OnIdle = [&](QObject*, bool& done) { done = ++idles >= 3; };
    ASSERT_TRUE(zwait::Until([&] { return idles >= 3; }));
}

#pragma once
// A test of the main window on a screen of its own size: this test program run again as a
// child, on an offscreen screen of that size or on an X display, running one of MainOnScreen's
// tests (which are skipped in a run on any other screen).

#include "support/Tempdir.h"

#include <QCoreApplication>
#include <QProcess>
#include <cstdio>
#include <string>

namespace testsupport {

inline const char* const ScreenVar = "ORRERY_TEST_SCREEN";     // "1024x768": the child's screen
inline const char* const MainPlaceVar = "ORRERY_TEST_MAIN_AT"; // "Top,Left" stored at the last exit

// One of MainOnScreen's tests running in a child of this program on an offscreen screen of
// w x h, or on the X display given (whose screen has that size), with the main window's place
// stored at top, left when given.
class ScreenChild {
public:
    static constexpr int LimitMs = 100000;

    ScreenChild(int w, int h, const std::string& mainAt, const std::string& test, const std::string& display)
    {
        const std::string config = dir_.File("screen.json");
        WriteAll(config, "{\"screens\": [{\"name\": \"Screen\", \"x\": 0, \"y\": 0, \"width\": " +
                                          std::to_string(w) + ", \"height\": " + std::to_string(h) +
                                          ", \"logicalDpi\": 96, \"logicalBaseDpi\": 96, \"dpr\": 1}]}");
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        if (display.empty()) {
            env.insert("QT_QPA_PLATFORM", QString::fromStdString("offscreen:configfile=" + config));
        } else {
            env.insert("QT_QPA_PLATFORM", "xcb");
            env.insert("DISPLAY", QString::fromStdString(display));
            env.remove("WAYLAND_DISPLAY");
        }
        env.insert(ScreenVar, QString::fromStdString(std::to_string(w) + "x" + std::to_string(h)));
        env.insert(MainPlaceVar, QString::fromStdString(mainAt));
        env.insert("ORRERY_SETTINGS_FILE", QString::fromStdString(dir_.File("s.ini")));
        child_.setProcessEnvironment(env);
        child_.setProcessChannelMode(QProcess::MergedChannels);
        child_.start(QCoreApplication::applicationFilePath(),
                     {QString::fromStdString("--gtest_filter=MainOnScreen." + test)});
    }
    ~ScreenChild()
    {
        if (child_.state() != QProcess::NotRunning) {
            child_.kill();
            child_.waitForFinished(-1);
        }
    }
    ScreenChild(const ScreenChild&) = delete;
    ScreenChild& operator=(const ScreenChild&) = delete;

    enum class Outcome { Passed, Skipped, Failed };

    // Waits until the child has ended: how its test ended, and where it was skipped, why. What
    // it printed goes to the error output where it did not pass.
    Outcome Wait(std::string* skipped = nullptr)
    {
        const bool ended = child_.waitForFinished(LimitMs);
        const QByteArray out = child_.readAll();
        const bool clean = ended && child_.exitStatus() == QProcess::NormalExit && child_.exitCode() == 0;
        if (clean && out.contains("[  PASSED  ] 1 test") && !out.contains("SKIPPED"))
            return Outcome::Passed;
        std::fprintf(stderr, "%s%s\n", out.constData(), ended ? "" : "(did not end)");
        const qsizetype from = out.indexOf(": Skipped\n");
        const qsizetype to = out.indexOf("[  SKIPPED ]", from);
        if (!clean || from < 0 || to < 0)
            return Outcome::Failed;
        if (skipped)
            *skipped = out.mid(from + 10, to - from - 10).trimmed().toStdString();
        return Outcome::Skipped;
    }
    bool Passed() { return Wait() == Outcome::Passed; }

private:
    TempDir dir_;
    QProcess child_;
};

} // namespace testsupport

#include "zcomponents/Zrunprog.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QProcess>
#include <QTimer>
#include <cerrno>
#include <spawn.h>
#include <thread>
#include <sys/wait.h>
#include <vector>

extern char** environ;

namespace {

constexpr int ApplicationErrorBit = 1 << 29;
constexpr int SignalExitBase = 128;
// How often a soft wait looks at the child between events.
constexpr int PollMs = 5;

int ExitCodeOf(int status)
{
    if (WIFEXITED(status))
        return WEXITSTATUS(status);
    if (WIFSIGNALED(status))
        return SignalExitBase + WTERMSIG(status);
    return RunStillActive;
}

} // namespace

TzcRunError RunErrorFor(int e)
{
    if (e == 0)
        return zre_OK;
    if (e == 1 || e == 2)
        return zre_FileNotFound;
    if (e == 3)
        return zre_PathNotFound;
    if (e == 4)
        return zre_FileError;
    if (e == 5)
        return zre_networkerror;
    if (e >= 6 && e <= 14)
        return zre_MemoryError;
    if (e >= 15 && e <= 31)
        return zre_FileError;
    if (e >= 32 && e <= 36)
        return zre_networkerror;
    if (e == 37)
        return zre_UnknownError;
    if (e >= 38 && e <= 52)
        return zre_FileError;
    if (e >= 53 && e <= 55)
        return zre_networkerror;
    return zre_UnknownError;
}

int PlatformErrorForErrno(int err)
{
    switch (err) {
    case 0: return 0;
    case ENOENT: return RunErrorFileNotFound;
    case ENOTDIR: return RunErrorPathNotFound;
    case EACCES:
    case EPERM: return RunErrorAccessDenied;
    case ENOMEM:
    case EAGAIN: return RunErrorNotEnoughMemory;
    case ENOEXEC: return RunErrorBadFormat;
    case E2BIG:
    case ENAMETOOLONG: return RunErrorCommandTooLong;
    default: return ApplicationErrorBit | err;
    }
}

TzcRunProg::TzcRunProg(QObject* owner) : QObject(owner) {}

void TzcRunProg::Run()
{
    RunThis(cmdLine_);
}

void TzcRunProg::Fail(int platformError)
{
    savedError_ = platformError;
    lastResult_ = RunErrorFor(platformError);
    if (OnError)
        OnError(this, lastResult_, savedError_);
}

void TzcRunProg::RunThis(const QString& commandLine)
{
    returnCode_ = 0;
    if (OnBeforeRun)
        OnBeforeRun(this);
    if (commandLine.size() > MaxCommandLine) {
        Fail(RunErrorCommandTooLong);
        return;
    }
    const QStringList parts = QProcess::splitCommand(commandLine);
    if (parts.isEmpty()) {
        Fail(RunErrorFileNotFound);
        return;
    }
    std::vector<QByteArray> args;
    for (const QString& p : parts)
        args.push_back(p.toLocal8Bit());
    std::vector<char*> argv;
    for (QByteArray& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);

    pid_t pid = 0;
    const int err = posix_spawnp(&pid, argv[0], nullptr, nullptr, argv.data(), environ);
    if (err != 0) {
        Fail(PlatformErrorForErrno(err));
        return;
    }
    if (wait_) {
        if (OnBeforeWait)
            OnBeforeWait(this);
        if (hardWait_) {
            int status = 0;
            while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
            }
            returnCode_ = ExitCodeOf(status);
        } else {
            SoftWait(pid);
        }
        if (OnFinish)
            OnFinish(this);
    } else {
        // Nobody waits: a reaper thread collects the exit so no zombie is left behind.
        std::thread([pid] {
            int status = 0;
            while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
            }
        }).detach();
    }
    lastResult_ = zre_OK;
    savedError_ = 0;
}

void TzcRunProg::SoftWait(long pid)
{
    returnCode_ = RunStillActive;
    auto check = [&] {
        int status = 0;
        const pid_t done = waitpid(pid_t(pid), &status, WNOHANG);
        if (done == pid_t(pid))
            returnCode_ = ExitCodeOf(status);
        else if (done < 0 && errno != EINTR)
            returnCode_ = -1;
        return returnCode_ != RunStillActive;
    };
    if (check())
        return;
    // The event loop runs while the program does; quitting the application ends the wait
    // early with the code still 259.
    QEventLoop loop;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (check())
            loop.quit();
    });
    if (QCoreApplication::instance())
        QObject::connect(QCoreApplication::instance(), &QCoreApplication::aboutToQuit, &loop,
                         &QEventLoop::quit);
    poll.start(PollMs);
    loop.exec();
    if (returnCode_ == RunStillActive) {
        std::thread([pid] {
            int status = 0;
            while (waitpid(pid_t(pid), &status, 0) < 0 && errno == EINTR) {
            }
        }).detach();
    }
}

#pragma once
// TzcRunProg: starts another program from a command line, optionally waits for it to end
// while the calling GUI stays responsive (or blocks, with HardWait), and reports the outcome
// (start errors as the platform's error numbers, and the exit code) through properties and
// events.

#include "zcomponents/Std2.h"

#include <QObject>
#include <QString>
#include <cstdint>
#include <functional>

enum TzcRunShow : std::uint8_t {
    zrs_HIDE, zrs_SHOWNORMAL, zrs_SHOWMINIMIZED, zrs_SHOWMAXIMIZED, zrs_SHOWNOACTIVATE, zrs_SHOW,
    zrs_MINIMIZE, zrs_SHOWMINNOACTIVE, zrs_SHOWNA, zrs_RESTORE, zrs_SHOWDEFAULT
};

enum TzcRunError : std::uint8_t {
    zre_OK, zre_MemoryError, zre_FileNotFound, zre_PathNotFound, zre_TaskError,
    zre_WrongOpSystem, zre_WrongFileFormat, zre_networkerror, zre_FileError, zre_UnknownError
};

using TzcError = std::function<void(QObject* Sender, TzcRunError Error, int RealErrorCode)>;

// Platform error numbers a failed start reports.
constexpr int RunErrorFileNotFound = 2;
constexpr int RunErrorPathNotFound = 3;
constexpr int RunErrorAccessDenied = 5;
constexpr int RunErrorNotEnoughMemory = 8;
constexpr int RunErrorBadFormat = 193;
constexpr int RunErrorCommandTooLong = 206;
// Exit code of a process that is still running.
constexpr int RunStillActive = 259;

// The outcome class of a platform error number.
TzcRunError RunErrorFor(int platformError);
// The platform error number of a start failure's errno (unknown ones carry the
// application-defined bit 29 over the errno).
int PlatformErrorForErrno(int err);

class TzcRunProg : public QObject {
public:
    static constexpr int MaxCommandLine = 511;

    explicit TzcRunProg(QObject* owner = nullptr);

    TzcRunError LastResultCode() const { return lastResult_; }
    void SetLastResultCode(TzcRunError) {} // shown only
    QString CmdLine() const { return cmdLine_; }
    void SetCmdLine(const QString& s) { cmdLine_ = s; }
    // The window-show mode asked for the new program (kept for it; no effect on this desktop).
    TzcRunShow Visiblility() const { return visibility_; }
    void SetVisiblility(TzcRunShow v) { visibility_ = v; }
    bool Wait() const { return wait_; }
    void SetWait(bool b) { wait_ = b; }
    // Exit code of the last waited program (128 + signal number when a signal ended it).
    int ReturnCode() const { return returnCode_; }
    void SetReturnCode(int) {} // shown only
    bool HardWait() const { return hardWait_; }
    void SetHardWait(bool b) { hardWait_ = b; }

    TzcError OnError;
    TNotifyEvent OnBeforeRun;
    TNotifyEvent OnBeforeWait;
    TNotifyEvent OnFinish;

    virtual void Run();
    // Starts the command line (program and arguments split as a shell would for plain quoting).
    // A command line longer than 511 characters is refused.
    virtual void RunThis(const QString& commandLine);
    // The platform error number of the last failed start; 0 after a success.
    virtual int SavedErrorCode() const { return savedError_; }

private:
    void Fail(int platformError);
    void SoftWait(long pid);

    TzcRunError lastResult_ = zre_OK;
    QString cmdLine_;
    int returnCode_ = 0;
    TzcRunShow visibility_ = zrs_SHOWNORMAL;
    bool wait_ = true;
    int savedError_ = 0;
    bool hardWait_ = false;
};

#pragma once
// TzShowApp: gathers application-wide settings and information on a program's main form: it
// mirrors the application's properties and events, limits the program to one running instance
// (a lock file plus a local socket that hands the second start's command line to the running
// one), starts the form in the requested state, hides the task-bar button (tool window), lists
// the environment and reports system and processor information.

#include "zcomponents/Mystd.h"
#include "zcomponents/Std2.h"
#include "zcomponents/Zhelper.h"

#include <QIcon>
#include <QLockFile>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <functional>
#include <memory>

class QLocalServer;
class QWidget;

enum TzShortDateFormat : std::uint8_t { sdfDontTouch, sdf4DigitYear, sdf2DigitYear };

// Window-show commands of a program start.
constexpr int SW_SHOWNORMAL = 1;
constexpr int SW_SHOWMINIMIZED = 2;
constexpr int SW_SHOWMAXIMIZED = 3;
constexpr int SW_MINIMIZE = 6;
constexpr int SW_SHOWMINNOACTIVE = 7;

// The application's main form: the one a program registers, or else any form without a parent.
void SetMainForm(QWidget* form);
bool IsMainForm(const QWidget* form);

// How this program was asked to show its first window (normal unless a launcher set it).
int StartupShowCommand();
void SetStartupShowCommand(int command);

// The application's short date format (process-wide; starts as the locale's).
QString ShortDateFormat();
void SetShortDateFormat(const QString& format);
// The format edited by a style: 4-digit pads the first run of 'y' to four, 2-digit deletes
// one 'y' while "yyy" occurs; don't-touch gives the saved format.
QString ShortDateFor(const QString& format, TzShortDateFormat style, const QString& saved);

// "Windows NT 6.1 (Build: 7601)" and the like.
QString WindowsStringFor(WTypes kind, std::uint32_t major, std::uint32_t minor, std::uint32_t build);
// The processor's name from a probe result (with CPUID by family, model, type and vendor,
// without by the family number cpuType).
QString CpuStringFor(const TCpuInfo& info, int cpuType);
// A temporary folder without its trailing separator (the root keeps it).
QString TrimTempDir(QString path);
// This computer's host name and first IPv4 address; both "-none-" when the lookup fails.
void GetHostInfo(QString& name, QString& address);

using TIdleEvent = std::function<void(QObject* Sender, bool& Done)>;
using TAskEndSessionEvent = std::function<void(QObject* Sender, bool& MayEnd)>;
using TSecondInstanceEvent = std::function<void(QObject* Sender, bool& Notify)>;

class TzShowApp : public QObject {
public:
    // owner: the form the component sits on.
    explicit TzShowApp(QWidget* owner);
    ~TzShowApp() override;

    // Applies the start state, task-bar settings and the single-instance rule.
    void Loaded();

    // ---- Information ----
    int BitsPerColor() const;
    double NumberOfColors() const;
    QString WinDir() const;
    QString SystemDir() const;
    QString TempDir() const;
    QString ComputerName() const;
    QString UserName() const;
    QString IPHostName() const;
    QString IPHostAddress() const;
    bool EnabledHostInfo() const { return enabledHostInfo_; }
    void SetEnabledHostInfo(bool b) { enabledHostInfo_ = b; }
    WTypes WindowKind() const { return WindowsType(); }
    std::uint32_t WinVerMajor() const { return MajorVersion(); }
    std::uint32_t WinVerMinor() const { return MinorVersion(); }
    std::uint32_t WinVerBuild() const { return BuildVersion(); }
    QString WindowsString() const;
    int CPUType() const { return cpuType_; }
    QString CPUString() const;
    QString CPUVendor() const;
    bool CPUMMX() const;
    int CPUStepping() const;
    int CPUModel() const;
    int CPUSpeed() const;

    // ---- Environment ----
    const QStringList& EnvironmentLines() const { return environment_; }
    QString GetEnvironmentString(const QString& name) const;
    bool SetEnvironmentString(const QString& name, const QString& value);
    void UpdateEnvironment();

    // ---- Settings ----
    TzShortDateFormat ShortDate() const { return shortDate_; }
    void SetShortDate(TzShortDateFormat style);
    bool OnlyOneInstance() const { return onlyOne_; }
    void SetOnlyOneInstance(bool b) { onlyOne_ = b; }
    bool UseCmdShow() const { return useCmdShow_; }
    void SetUseCmdShow(bool b) { useCmdShow_ = b; }
    bool ShowOnStatusBar() const { return showOnStatusBar_; }
    void SetShowOnStatusBar(bool b) { showOnStatusBar_ = b; }
    bool ShowNonOnStatusBar() const { return showNonOnStatusBar_; }
    void SetShowNonOnStatusBar(bool b) { showNonOnStatusBar_ = b; }

    // Mirrored application properties (process-wide).
    QString Title() const;
    void SetTitle(const QString& s);
    QIcon Icon() const;
    void SetIcon(const QIcon& icon);
    QString HelpFile() const;
    void SetHelpFile(const QString& s);
    QString Hint() const;
    void SetHint(const QString& s);
    TColor HintColor() const;
    void SetHintColor(TColor c);
    int HintPause() const;
    void SetHintPause(int ms);
    int HintHidePause() const;
    void SetHintHidePause(int ms);
    bool ShowHint() const;
    void SetShowHint(bool b);
    bool ShowMainForm() const;
    void SetShowMainForm(bool b);

    // ---- Single instance ----
    // This start found another one running (with OnlyOneInstance) and is closing.
    bool IsClosing() const { return closing_; }
    // The command line the last other start handed over.
    QStringList AnotherInstanceArguments() const { return otherArguments_; }
    // Names of the lock file and local socket for a program file.
    static QString InstanceKey(const QString& programPath);
    // The name instances meet under; empty (the default) takes it from the program file.
    QString InstanceName() const { return instanceName_; }
    void SetInstanceName(const QString& name) { instanceName_ = name; }

    // ---- Events ----
    TNotifyEvent OnActivate;
    TNotifyEvent OnDeActivate;
    TNotifyEvent OnMinimize;
    TNotifyEvent OnRestore;
    TNotifyEvent OnActiveControlChange;
    TNotifyEvent OnActiveFormChange;
    TAskEndSessionEvent OnAskEndSession;
    TNotifyEvent OnEndSession;
    TSecondInstanceEvent OnSecondInstance;
    TNotifyEvent OnAnotherInstance;
    // The event loop is about to wait; Done false asks for another call before it waits.
    TIdleEvent OnIdle;
    // The mouse entered a control: Hint holds that control's hint text.
    TNotifyEvent OnHint;
    // A hint is about to show; the handler may change its text or stop it.
    THintShowEvent OnShowHint;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void ApplyStartState();
    void TakeInstanceLock();
    void HandOverToFirst();
    void ReceiveFromOther();
    void TempRestore();
    void BringOwnerForward();

    QPointer<QWidget> owner_;
    TzShortDateFormat shortDate_ = sdfDontTouch;
    QString savedShortDate_;
    QStringList environment_;
    bool onlyOne_ = false;
    bool useCmdShow_ = false;
    bool showOnStatusBar_ = true;
    bool showNonOnStatusBar_ = false;
    bool enabledHostInfo_ = false;
    bool closing_ = false;
    int cpuType_ = 0;
    TNotifyEvent savedOnRestore_;
    bool restoreSaved_ = false;
    std::unique_ptr<QLockFile> lock_;
    QLocalServer* server_ = nullptr;
    QStringList otherArguments_;
    QString instanceName_;
};

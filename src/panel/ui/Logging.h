#pragma once
// The data-logging window: the current file name, the file's size on a gauge, and Start, Stop,
// Pause and Settings. Its timer drives the logger (CLogger), which reads the unit itself.

#include "panel/Logger.h"

#include <QWidget>
#include <functional>
#include <memory>

class CDevice;
class CRegistry;
class QLineEdit;
class QPushButton;
class QTimer;
class QToolButton;
class TLogSettingsForm;
class TStatusFrame;
class TzGauge;

class TLoggingForm : public QWidget, public ILogWindow {
    Q_OBJECT
public:
    static constexpr int GaugeMargin = 20;
    // The gauge: 17 pixels high, the window's width less GaugeMargin wide (260 in a window of
    // the default width), a black bar on silver in a lowered bevel, its value in an 11-pixel
    // black font.
    static constexpr int GaugeHeight = 17;
    static constexpr int GaugeFontPixels = 11;

    // Reads the device through its live read; the clock is the system's.
    explicit TLoggingForm(CDevice& device, QWidget* parent = nullptr);
    // A given unit and clock (tests); both outlive the window.
    TLoggingForm(ILogUnit& unit, ILogClock& clock, QWidget* parent = nullptr);
    ~TLoggingForm() override;

    CLogger& Logger() { return *logger_; }
    void SetStatus(TStatusFrame* status) { status_ = status; }
    void SetSettingsForm(TLogSettingsForm* form) { settingsForm_ = form; }
    // Told when the window is shown or hidden (the main window's button and menu item).
    std::function<void(bool)> OnShown;
    // Start and Stop are enabled while unlocked, Pause while unlocked and logging.
    void SetLocked(bool locked);
    bool Locked() const { return locked_; }

    void StartLogging() { logger_->StartLogging(); }
    void StopLogging() { logger_->StopLogging(); }
    void ShowWindow(bool show);
    // Section "Logging": position, visibility and the logger's settings.
    void Exchange(CRegistry& store);

    QLineEdit* FileNameEdit;
    TzGauge* Gauge;
    QToolButton* StartBtn;
    QToolButton* StopBtn;
    QToolButton* PauseBtn;
    QPushButton* SettingsBtn;
    QTimer* LogTimer;

    void StartBtnClick();
    void StopBtnClick();
    void PauseBtnClick();
    void SettingsBtnClick();
    void LogTimerTimer() { logger_->LogTimerTimer(); }

    // ILogWindow
    void SetLogTimer(bool on, int intervalMs) override;
    void ShowFileName(const std::string& name) override;
    void ShowGauge(const std::string& caption, int value) override;
    void SetStatusHint(const std::string& hint) override;
    void SetLogState(int state) override;
    void ShowRunning(bool running) override;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void Build();

    std::unique_ptr<ILogUnit> ownUnit_;
    std::unique_ptr<ILogClock> ownClock_;
    std::unique_ptr<CLogger> logger_;
    TStatusFrame* status_ = nullptr;
    TLogSettingsForm* settingsForm_ = nullptr;
    bool locked_ = false;
};

#pragma once
// The status bar at the bottom of the main window: network site, COM port, communication
// indicator, unit name, message and logging indicator. The rules live in CStatusState; this
// frame shows them and runs the 250 ms timer.

#include "panel/Statusstate.h"

#include <QFrame>
#include <QLabel>
#include <QPixmap>
#include <QTimer>
#include <functional>
#include <optional>
#include <string>
#include <vector>

class TzGauge;

// A status panel: a sunken label that reports double-clicks.
class TStatusPanel : public QLabel {
public:
    explicit TStatusPanel(const QString& name, QWidget* parent = nullptr);
    std::function<void()> OnDblClick;

protected:
    void mouseDoubleClickEvent(QMouseEvent* event) override;
};

class TStatusFrame : public QFrame {
public:
    static constexpr int TimerIntervalMs = 250;
    static constexpr int ImageSize = 16;

    explicit TStatusFrame(QWidget* parent = nullptr);
    ~TStatusFrame() override;

    void SetContext(IStatusContext* context) { context_ = context; }

    void SetCommState(int state);
    // The unit's readings were lost (true) or are the unit's again: see CStatusState.
    void SetReadingsLost(bool lost);
    void UpdateConnection(int mode);
    void SetConnectionText(const std::string& text);
    void SetRemoteText(const std::string& text);
    void SetErrorText(const std::string& text);
    void ClearMessage();
    void ShowMessage(const std::string& text);
    void CommandAccepted();
    // The end of a read: "Command accepted", or the first failed command since the message was
    // cleared with what was not read (CStatusState::ReadDone).
    void ReadDone(const std::string& notRead);
    void ShowCommandResult(int result, int command);
    void SetLogState(int state);
    void SetLogPanelVisible(bool visible);
    // The log panel's hint: the log file's name and size.
    void SetLogHint(const std::string& hint);

    // The 250 ms tick (public so that tests drive it).
    void StatusTimerTimer();
    QTimer* StatusTimer() { return &statusTimer_; }
    TzGauge* ProgressBar() { return progressBar_; }
    const CStatusState& State() const { return state_; }

    // Double-click handlers of the panels.
    void PortPanelDblClick();
    void LogImageDblClick();

    // The indicator pictures (left to the implementer): 0 idle, 1 busy, 2 error,
    // 3 disconnected, 4 gateway without a unit port; log 0 off, 1-2 logging, 3-5 error.
    static QPixmap CommPicture(int index);
    static QPixmap LogPicture(int index);

protected:
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Sync();
    // Sync, then the error panel drawn at once when its text or colour changed.
    void SyncErrorPanel();
    void PlaceProgressBar();
    static void SetPanelColor(QWidget* panel, TColor colour);

    CStatusState state_;
    IStatusContext* context_ = nullptr;
    TStatusPanel* remotePanel_;
    TStatusPanel* portPanel_;
    TStatusPanel* commPanel_;
    QLabel* commImage_;
    TStatusPanel* infoPanel_;
    TStatusPanel* errorPanel_;
    TStatusPanel* logPanel_;
    TStatusPanel* logImage_;
    TzGauge* progressBar_;
    QTimer statusTimer_;
    int drawnComm_ = -1;
    int drawnLog_ = -1;
    // The state's texts and colours as the panels show them: a transaction syncs several
    // times, and mostly nothing changed.
    struct Shown {
        std::optional<std::string> error, portCaption, portHint, remoteCaption, remoteHint, commHint;
        std::optional<TColor> errorColor, portColor, remoteColor;
        std::optional<bool> portVisible, remoteVisible;
    } shown_;
};

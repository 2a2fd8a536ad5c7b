#pragma once
// What the application controller needs from the windows. The main window implements it and
// forwards to its menus, tool bar, connect bar, status frame and dialogs; tests install a
// scripted one. Plain C++: no window type appears here.

#include <string>
#include <vector>

class CRegistry;

// Enabled, checked and caption states of the menu items and tool-bar buttons that follow the
// controller's state.
struct COrreryUiState {
    bool TechEnabled = true;
    bool BootPEnabled = true;
    bool SettingsFileItemsEnabled = true; // load, save, save as
    bool DemoChecked = false;
    bool DemoEnabled = false;
    bool ReadTimerEnabled = true; // ReadTimerBtn, ReadTimerMenuItem
    bool LoggingEnabled = true;   // LoggingBtn, LoggingMenuItem, the status frame's log panel
    bool LockDown = false;        // LockBtn down, LockMenuItem checked
    std::string LockHint = "Lock Orrery";
    std::string LockCaption = "&Lock Orrery...";
};

// Modal results of the auto-finding and site-finding windows.
namespace findresult {
constexpr int Found = 1;
constexpr int Stopped = 2;
constexpr int NotFound = 3;
} // namespace findresult

class IOrreryView {
public:
    virtual ~IOrreryView() = default;

    // --- the program ----------------------------------------------------------------------
    // Command-line arguments after the program name.
    virtual std::vector<std::string> Arguments() const = 0;
    // The program's own folder, ending in '/'.
    virtual std::string ProgramDirectory() const = 0;

    // --- start-up windows -----------------------------------------------------------------
    virtual void ShowSplash() = 0;
    // The disclaimer, modal, with the caption given; true only when the user accepted.
    virtual bool ShowDisclaimer(const std::string& caption) = 0;
    virtual void ShowAbout() = 0;

    // --- captions -------------------------------------------------------------------------
    // Main window (and application title) and data-logging window.
    virtual void SetCaptions(const std::string& mainCaption, const std::string& loggingCaption) = 0;
    // The caption header for the Smith chart and Capacitors windows.
    virtual void ApplyHeader(const std::string& header) = 0;

    // --- main window ----------------------------------------------------------------------
    virtual int ReadUnitSetup() = 0;
    // Reads every unit page (the demo unit while in demo mode).
    virtual int ReadAllPages() = 0;
    // The unit pages that hold edits not sent to the unit, as "Setup, Tuning"; empty when none.
    virtual std::string UnsentPages() = 0;
    virtual int UpdateReadings() = 0;
    // No readings from the unit any more (disconnected, or polling ended for errors): the RF,
    // tuned and interlock panels and the readings lose the last unit's values until a read
    // succeeds again.
    virtual void ShowDisconnected() = 0;
    // Readings failed (polling ended for errors, or the program lost the link): the RF, tuned
    // and third-capacitor panels show that the unit's state is unknown, and the readings, pane
    // values and capacitor read-outs show no number, until a read succeeds again.
    virtual void ShowReadingsLost() = 0;
    virtual void UpdateControls() = 0;
    virtual void ApplyUiState(const COrreryUiState& state) = 0;
    // Sections of the main window, pane lists, variables and model ("Main" ... "Model").
    virtual void ExchangeMainSettings(CRegistry& store) = 0;
    // Sections of the tool windows that follow "Settings" ("Logging", "BootP").
    virtual void ExchangeToolSettings(CRegistry& store) = 0;

    // --- read timer -----------------------------------------------------------------------
    virtual bool ReadTimerEnabled() const = 0;
    // Timer, button and menu item; redraws the history plot and the timer buttons.
    virtual void SetReadTimer(bool on) = 0;
    virtual void SetReadTimerInterval(int ms) = 0;

    // --- data logging ---------------------------------------------------------------------
    virtual void StopLogging() = 0;
    // Starts logging when the log settings ask for it at connection.
    virtual void StartLoggingAtConnect() = 0;
    // The data-logging window.
    virtual void ShowLoggingWindow(bool) {}
    virtual bool LoggingWindowVisible() const { return false; }

    // --- status frame ---------------------------------------------------------------------
    virtual void SetCommState(int state) = 0;
    virtual void ShowCommandResult(int result, int command) = 0;
    virtual void SetConnectionText(const std::string& text) = 0;
    virtual void SetRemoteText(const std::string& text) = 0;
    virtual void ClearStatus() = 0;
    virtual void StartStatusTimer() = 0;
    // The connect bar's state and the status frame's connection texts for the mode.
    virtual void UpdateConnection(int connMode) = 0;

    // --- connect bar ----------------------------------------------------------------------
    virtual std::string PortText() const = 0;
    virtual void SetPortText(const std::string& text) = 0;
    virtual std::string SiteText() const = 0;
    virtual void SetSiteText(const std::string& text) = 0;
    virtual void SetSiteItems(const std::vector<std::string>& items) = 0;
    virtual void SetPortItems(const std::vector<std::string>& items) = 0;
    virtual void SetRemoteButtonEnabled(bool enabled) = 0;
    virtual void ResetComboCarets() = 0;

    // --- modal windows and the desktop ----------------------------------------------------
    // Auto-finding window; skipCurrentPort is the first-try-failed mark. Returns a findresult.
    virtual int ShowAutoFinding(bool fromConnectBar, bool skipCurrentPort) = 0;
    // Site-finding window for the link's site. Returns a findresult.
    virtual int ShowSiteFinding(bool fromConnectBar) = 0;
    virtual void ShowConnectionDialog() = 0;
    // Settings dialog, modal, with the settings button held down while it is open.
    virtual void ShowSettingsDialog() = 0;
    // Password window; text is what the user typed. True for OK.
    virtual bool ShowPasswordDialog(const std::string& caption, const std::string& prompt,
                                    std::string& text) = 0;
    // Open and Save As dialogs for settings files; true when the user chose a name.
    virtual bool AskOpenSettingsFile(std::string& fileName) = 0;
    virtual bool AskSaveSettingsFile(std::string& fileName) = 0;
    // Opens a document with the desktop's default program.
    virtual void OpenDocument(const std::string& path) = 0;
    virtual void SetBusyCursor(bool busy) = 0;
};

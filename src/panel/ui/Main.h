#pragma once
// The main window: menus, tool bar, readings panes, pages, alarm panel and status frame. It owns
// the application controller and the device object, implements the controller's view, and hosts
// the service side (IMainHost), which the program's entry makes on it.

#include "panel/Capcontrols.h"
#include "panel/Mainsettings.h"
#include "panel/Toolplaces.h"
#include "panel/Pagereads.h"
#include "panel/Orreryview.h"
#include "panel/Readings.h"
#include "panel/Tuningmodel.h"
#include "panel/ui/Mainhost.h"

#include <QMainWindow>
#include <QMargins>
#include <QPointer>
#include <QRect>
#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class COrrery;
class CConnectionBridge;
class CData;
class CPaneList;
class CReadingsPanes;
class TAlarmPanel;
class TEditDisplayForm;
class TFaultsFrame;
class THardFaultForm;
class TPaneListBox;
class TSettingsForm;
class TAutoFindingForm;
class TLoggingForm;
class TLogSettingsForm;
class QFileDialog;
class TConnectBarFrame;
class TConnectionForm;
class TIPFindForm;
class TStatusFrame;
class CDevice;
class QAction;
class QLabel;
class QMenu;
class QPrinter;
class QHBoxLayout;
class QScrollArea;
class QSplitter;
class QTabWidget;
class QTimer;
class QToolButton;
class QVBoxLayout;
class QWindow;
class TAboutForm;
class TCapsForm;
class THistoryPlotFrame;
class TSmithForm;
class QToolBar;
class TCtrlPanel;
class QBoxLayout;
class TAcceptForm;
class TPasswordForm;
class TSplashForm;
class TOstraBusLogForm;

class TMainForm : public QMainWindow, public IOrreryView, public IReadingsView, public IMainHost {
    Q_OBJECT
public:
    static constexpr int StartupInterval = 200; // ms, one shot

    // The windows that the main window shows; created once by the program's entry. The service
    // side's windows are handed to it (src/service/ui/Mainserviceside.h).
    struct Forms {
        QPointer<TSplashForm> Splash;
        TAcceptForm* Accept = nullptr;
        TAboutForm* About = nullptr;
        TPasswordForm* Password = nullptr;
        TAutoFindingForm* AutoFinding = nullptr;
        TIPFindForm* IPFind = nullptr;
        TConnectionForm* Connection = nullptr;
        THardFaultForm* HardFault = nullptr;
        TSettingsForm* Settings = nullptr;
        TEditDisplayForm* EditDisplay = nullptr;
        TOstraBusLogForm* OstraBusLog = nullptr;
        TSmithForm* Smith = nullptr;
        TCapsForm* Caps = nullptr;
        TLogSettingsForm* LogSettings = nullptr;
        TLoggingForm* Logging = nullptr;
    };

    explicit TMainForm(QWidget* parent = nullptr);
    ~TMainForm() override;

    // Hands the windows over and wires them to the connect bar, the status frame, the pane
    // lists and the settings.
    void SetForms(const Forms& forms);
    Forms& GetForms() { return forms_; }
    COrrery* Controller() const override { return controller_.get(); }
    CDevice* Device() const override { return device_.get(); }
    CConnectionBridge* Bridge() const { return bridge_.get(); }
    CMainSettings& MainSettings() override { return main_; }
    // The sample store the readings go to (the program's one store unless a test gives another).
    CData& Data() const override { return *data_; }
    void SetData(CData* data);
    // What the readings panes show.
    CReadingsPanes& Panes() const { return *panes_; }
    bool TracesRFOn() const { return main_.TracesRFOn; }
    // Command-line arguments (after the program name) and the program's folder.
    void SetCommandLine(const std::vector<std::string>& args, const std::string& programDir);

    // --- menus ------------------------------------------------------------------------------
    QMenu* OrreryMenu = nullptr;
    QAction* ConnectionMenuItem = nullptr;
    QAction* SettingsMenuItem = nullptr;
    QAction* LoadSettingsMenuItem = nullptr;
    QAction* SaveSettingsMenuItem = nullptr;
    QAction* SaveSettingsAsMenuItem = nullptr;
    QAction* ReadTimerMenuItem = nullptr;
    QAction* LockMenuItem = nullptr;
    QAction* PrintMenuItem = nullptr;
    QAction* CopyToClipboardMenuItem = nullptr;
    QAction* ExitMenuItem = nullptr;
    QMenu* ToolsMenu = nullptr;
    QAction* LoggingMenuItem = nullptr;
    QAction* TuningMenuItem = nullptr;
    QAction* TechMenuItem = nullptr;
    QAction* BootPMenuItem = nullptr;
    QAction* FlashingMenuItem = nullptr;
    QAction* XilinxMenuItem = nullptr;
    QAction* OstraBuslogMenuItem = nullptr;
    QAction* AutoTestMenuItem = nullptr;
    QMenu* WindowMenu = nullptr;
    QAction* CapsMenuItem = nullptr;
    QAction* SmithMenuItem = nullptr;
    QAction* ClearMenuItem = nullptr;
    QMenu* HelpMenu = nullptr;
    QAction* HelpMenuItem = nullptr;
    QAction* AboutMenuItem = nullptr;
    QAction* DemoMenuItem = nullptr;

    // --- tool bar ---------------------------------------------------------------------------
    TConnectBarFrame* ConnectBar = nullptr;
    QToolButton* ReadTimerBtn = nullptr;
    QToolButton* LockBtn = nullptr;
    QToolButton* LoggingBtn = nullptr;
    QToolButton* SettingsBtn = nullptr;
    QToolButton* HelpBtn = nullptr;
    QToolButton* CapsBtn = nullptr;
    QToolButton* SmithBtn = nullptr;
    // The history's file buttons beside the lower pane.
    QToolButton* SaveBtn = nullptr;
    QToolButton* OpenBtn = nullptr;
    QToolButton* ExportTRVBtn = nullptr;
    QToolButton* ClearBtn = nullptr; // empties the history, as Window > Clear

    // --- body -------------------------------------------------------------------------------
    QSplitter* Splitter1 = nullptr;
    QWidget* PaneArea0 = nullptr; // holds PaneListBox
    QWidget* PaneArea1 = nullptr; // holds PaneListBox1 and the history plot
    TPaneListBox* PaneListBox = nullptr;
    TPaneListBox* PaneListBox1 = nullptr;
    QLabel* RFOnPanel = nullptr;
    QLabel* TunedPanel = nullptr;
    QLabel* _3capTunedPanel = nullptr;
    QTabWidget* PageControl = nullptr;
    QWidget* DisplayPage = nullptr;
    QWidget* FaultsPage = nullptr;
    TFaultsFrame* FaultsFrame = nullptr; // on FaultsPage
    QWidget* AlarmArea = nullptr;  // holds the alarm panel
    TAlarmPanel* AlarmPanel = nullptr;
    TStatusFrame* Status = nullptr;
    THistoryPlotFrame* HistoryPlot = nullptr; // below PaneListBox1

    QTimer* StartupTimer = nullptr;
    QTimer* ReadTimer = nullptr;

    // --- operations -------------------------------------------------------------------------
    void ClearStatus() override;
    // Pane list 0 or 1; nullptr for any other index.
    CPaneList* GetPaneList(int index) const;
    // Default window position, item sizes, RF-on option and pane layout.
    void SetDefaultDisplay();
    void RefreshAllItems(bool force);
    void RefreshValuePanes();
    void RefreshPlotPanes();
    void ValidatePanes() override;
    void RefreshUnitView() override;
    // LEDs, interlock, summary, sound; a hard fault stops the read timer and opens its window.
    void UpdateAlarms();
    void ExchangeSettings(CRegistry& store);
    // The history plot's scroll bar from the view, and its time axis.
    void RefreshPlot();
    // The zoom, save and open buttons work only while the read timer is off.
    void UpdateTimerButtons();
    // What the tuning model window shares with the Smith chart and Capacitors windows.
    CTuningModel& TuningModel() override { return tuning_; }
    void PrintImage(QPrinter& printer);
    QImage WindowImage();

    // --- handlers ---------------------------------------------------------------------------
    void FormShow();
    void StartupTimerTimer();
    void ReadTimerTimer();
    void ConnectionMenuItemClick();
    void SettingsBtnClick();
    void LoadSettingsMenuItemClick();
    void SaveSettingsMenuItemClick();
    void SaveSettingsAsMenuItemClick();
    void ReadTimerBtnClick();
    void LockBtnClick();
    void PrintMenuItemClick();
    void CopyToClipboardMenuItemClick();
    void ExitMenuItemClick();
    void HelpBtnClick();
    void AboutMenuItemClick();
    void DemoMenuItemClick();
    void ClearBtnClick();
    void SmithBtnClick();
    void CapsBtnClick();
    void RefreshFaultsBtnClick();
    // Opens the settings dialog on its Display page with that pane and entry selected.
    void PaneListBoxDblClick(int pane, int index);
    void LoggingBtnClick();

    // --- sample-history files (Mainfiles.cpp) ---------------------------------------------
    void SaveBtnClick();
    void OpenBtnClick();
    void OpenDataDialogSelectionChange(const QString& path);
    void ExportTRVBtnClick();
    // Reads a history or data-log file into the history; the error text, empty on success. A
    // preview reads only the head of the file (PreviewBytes), whatever its size; an open reads
    // the head first and the rest only when the head's first line is the file's own.
    static constexpr size_t PreviewBytes = size_t(1) << 20;
    std::string LoadDataLog(const std::string& fileName, bool preview = false);
    // Writes the history to a file; the error text, empty on success.
    std::string SaveDataLog(const std::string& fileName);
    // Runs a file dialog modally; tests replace it to act as the user in the dialog.
    std::function<int(QFileDialog&)> RunFileDialog;

    // The traffic log, the tools' items' states and the page controls (Maintools.cpp).
    void OstraBuslogMenuItemClick();
    // Enabled states of the tools' menu items.
    void UpdateToolItems();
    // Alarm panels, audio-alarm box.
    void WirePageControls();
    void AlarmsPanelClick();
    void DisAudioCheckBoxClick();

    // --- control notebook and capacitor controls (Maincontrols.cpp) --------------------------
    TCtrlPanel* CtrlPanel = nullptr;
    CCapControls& CapControls() { return *capControls_; }
    // Where the unit pages plug their reads into the read-all.
    CPageReads& PageReads() override { return *pageReads_; }
    int ReadAllPages() override;
    std::string UnsentPages() override;
    void SelectControlPage(bool withRatio);
    void SetupCapacitorPanel();
    void SetupTrackBars();
    void UpdateCapacitorPanel();
    int MoveCapacitors(double loadPercent, double tunePercent) override;
    bool MotorsStillMoving() const override;
    int Move3rdCap(double percent) override;
    void HighlightCap(int cap);
    double ClampTo3capLimits(double percent) const;
    void ModeBtnClick(QToolButton* sender);
    void PresetBtnClick(QToolButton* sender);
    void _3capModeBtnClick(QToolButton* sender);
    void _3capPresetBtnClick(QToolButton* sender);
    void SetRatioBtnClick();
    void SpinButtonClick(int cap, int direction);
    void PosEditKeyDown(int cap, PosKey key);
    void TrackBarChange(int cap);
    void EditMouseDown(int cap);

    // --- IOrreryView ------------------------------------------------------------------------
    std::vector<std::string> Arguments() const override { return args_; }
    std::string ProgramDirectory() const override { return programDir_; }
    void ShowSplash() override;
    bool ShowDisclaimer(const std::string& caption) override;
    void ShowAbout() override;
    void SetCaptions(const std::string& mainCaption, const std::string& loggingCaption) override;
    void ApplyHeader(const std::string& header) override;
    int ReadUnitSetup() override;
    int UpdateReadings() override;
    bool ReadingsLost() const override { return readingsLost_; }
    void UpdateControls() override;
    void ApplyUiState(const COrreryUiState& state) override;
    void ExchangeMainSettings(CRegistry& store) override { ExchangeSettings(store); }
    void ExchangeToolSettings(CRegistry& store) override;
    bool ReadTimerEnabled() const override;
    void SetReadTimer(bool on) override;
    void SetReadTimerInterval(int ms) override;
    void StopLogging() override;
    void StartLoggingAtConnect() override;
    void ShowLoggingWindow(bool show) override;
    bool LoggingWindowVisible() const override;
    void SetCommState(int state) override;
    void ShowCommandResult(int result, int command) override;
    void SetConnectionText(const std::string& text) override;
    void SetRemoteText(const std::string& text) override;
    void StartStatusTimer() override;
    void UpdateConnection(int connMode) override;
    std::string PortText() const override;
    void SetPortText(const std::string& text) override;
    std::string SiteText() const override;
    void SetSiteText(const std::string& text) override;
    void SetSiteItems(const std::vector<std::string>& items) override;
    void SetPortItems(const std::vector<std::string>& items) override;
    void SetRemoteButtonEnabled(bool enabled) override;
    void ResetComboCarets() override;
    int ShowAutoFinding(bool fromConnectBar, bool skipCurrentPort) override;
    int ShowSiteFinding(bool fromConnectBar) override;
    void ShowConnectionDialog() override;
    void ShowSettingsDialog() override;
    bool ShowPasswordDialog(const std::string& caption, const std::string& prompt,
                            std::string& text) override;
    bool AskOpenSettingsFile(std::string& fileName) override;
    bool AskSaveSettingsFile(std::string& fileName) override;
    void OpenDocument(const std::string& path) override;
    void SetBusyCursor(bool busy) override;

    // --- IMainHost (the rest of it is above) ---------------------------------------------------
    QWidget* Window() override { return this; }
    QTabWidget* Pages() override { return PageControl; }
    QWidget* UnitPagesBefore() override { return FaultsPage; }
    SToolItems ToolItems() override;
    TStatusFrame* StatusFrame() override { return Status; }
    void RepaintChartWindows() override { RefreshChartWindows(false); }
    bool ShuttingDown() const override { return shutDown_; }
    void SetServiceSide(IMainServiceSide* side) override { service_ = side; }

    // --- IReadingsView ----------------------------------------------------------------------
    void MarkActiveTrajectory(int index) override;
    void ResetPlotView() override;
    void RefreshAll() override;
    void RefreshIncremental() override;
    void ShowStatusPanels(bool rfOn, bool tuned, bool thirdCap, bool thirdCapTuned,
                          bool capsDisabled) override;
    void ShowLatest() override;
    void ShowDisconnected() override;
    void ShowReadingsLost() override;
    // Texts of the status panels while the unit's state is unknown.
    static constexpr const char* RfUnknownText = "RF ?";
    static constexpr const char* TunedUnknownText = "Tuned ?";
    static constexpr const char* ThirdCapUnknownText = "3rd cap ?";

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    // The body's layout asked again (a panel shown or grown): the window grows to what its
    // controls need, as far as the screen lets it, once the layout has settled. A window placed
    // in turn is shown in its frame: those in turn are placed again (PlaceInTurn).
    bool eventFilter(QObject* watched, QEvent* event) override;
    // Below its minimum size the window takes the minimum back (see Main.cpp).
    void resizeEvent(QResizeEvent* event) override;

private:
    void CreateMenus();
    void CreateToolBar();
    void CreateBody();
    void CreatePanes();
    // Smith and Capacitors buttons of the tool bar, the history plot below the lower pane, and
    // the links of the history plot and the two chart windows (again when the store changes).
    void CreateChartButtons(QToolBar* bar);
    void CreateHistoryPlot();
    void BindChartWindows();
    // The chart, tuning, model, traffic-log and logging windows each take a first place beside
    // this window when they are first shown, unless they have a place of their own
    // (Mainwindows.cpp).
    void WatchToolWindows();
    std::array<QWidget*, toolplaces::Count> ToolWindows() const;
    void PlaceToolWindow(QWidget* window);
    // The window at its first size, grown to what its controls need, on the screen; or, only
    // to grow, when controls shown later (a third capacitor's) need more than it has and more
    // than it was last fitted to.
    void FitOnScreen(bool onlyToGrow = false);
    // The window fitted as FitOnScreen does with its frame's top left corner at a place.
    void FitOnScreenAt(const QPoint& frameAt);
    void FitWanted(const QRect& wanted);
    // Puts the window's frame at the wanted place and size, grown and kept on the screen as
    // FitOnScreen does, with a frame of these margins; the frame it was given.
    QRect FitFrame(const QRect& wanted, const QMargins& frame);
    // What the window's client area needs to show its controls and the status frame whole.
    QSize BodyNeed() const;
    // This window's frame margins once it is framed; none before.
    QMargins OwnFrameMargins() const;
    // The main window's frame at a place, with its bars, for a frame of these margins.
    toolplaces::SMainFrame MainFrameAt(const QRect& frame, const QMargins& margins) const;

    // First places in turn. A window manager frames a window some time after it is shown, and
    // tells its frame's margins only then; it answers the requests to move windows in its own
    // time, so that where a window is meanwhile may be where an earlier request put it. The
    // windows shown before they were all framed (the settings show tool windows while this
    // window starts) are placed together: this window at its wanted frame, fitted as
    // FitOnScreen does, or where it was when the placing began, and the tool windows in the
    // order they were first shown, each at its first size beside it and clear of those before.
    // Each time one of them gets its frame, all are placed again from those places and the
    // margins known then (a window not yet framed expecting one like this window's), never
    // from where the windows are meanwhile; once all are framed the places are final, whatever
    // the order in which the frames came.
    void PlaceInTurn();
    // A window joins those placed in turn: watched until it is framed.
    void WatchFrame(QWidget* window);
    void WindowFramed(QWindow* handle);
    // The Smith chart and Capacitors windows repaint, or add the newest sample.
    void RefreshChartWindows(bool incremental);
    // The Smith chart and Capacitors windows begin a new trail at the next sample.
    void StartNewTrails();
    // Section "Caps" (caps) or "Smith" of the window.
    void ExchangeChartWindow(bool caps, CRegistry& store);
    // The upper pane's width as its list box asks for it.
    void ApplyPaneWidth();
    // The logging window, its settings dialog and the history buttons (Mainfiles.cpp).
    void CreateHistoryButtons();
    void BindLogging();
    void ApplyLoggingState(const COrreryUiState& state);
    // Section "Logging" of the logging window.
    void ExchangeLoggingSettings(CRegistry& store);
    void SetLoggingCaption(const std::string& caption);
    // Shows a file's records in place of the history: plot view reset and a full redraw.
    void ShowLoadedHistory();
    // The column flags' exchange of the logger, or none without a logging window.
    std::function<void(CRegistry&, const std::string&, int)> LogFormatExchange();
    // Stops every timer and the controller's activity before anything is freed.
    void ShutDown();
    // Closes every window this window opened and tells the application to leave its event
    // loop: the program ends with this window.
    void EndProgram();
    static void SetPanel(QLabel* panel, bool on, const char* onText, const char* offText);
    void PaintStatusPanels(bool rfOn, bool tuned, bool thirdCap, bool thirdCapTuned, bool capsDisabled);
    // Whether the panels and readings show the unit's last read; the interlock panel shows only
    // then.
    void SetReadingsKnown(bool known);
    void SetReadingsLost(bool lost);
    void UpdateInterlockPanel();
    void CreateControls(QBoxLayout* into);
    void UpdateCapControls();
    void ShowCapLabels(bool disabled);

    Forms forms_;
    IMainServiceSide* service_ = nullptr; // the service side, when one is attached
    std::unique_ptr<COrrery> controller_;
    std::unique_ptr<CDevice> device_;
    std::unique_ptr<CConnectionBridge> bridge_;
    CData* data_ = nullptr;
    CMainSettings main_;
    std::unique_ptr<CReadingsPanes> panes_;
    std::vector<std::string> args_;
    std::string programDir_;
    bool shownOnce_ = false;
    QObject* toolWatch_ = nullptr; // sees the tool windows shown
    // The windows placed in turn (see PlaceInTurn): the tool windows in the order they were first
    // shown, with their first sizes; and this window's frame, wanted (Fits) or held.
    struct SInTurn {
        QPointer<QWidget> Window;
        QSize Client;
    };
    struct SMainInTurn {
        QRect Frame;
        bool Fits = false;
    };
    std::vector<SInTurn> inTurn_;
    std::optional<SMainInTurn> mainInTurn_;
    bool growQueued_ = false;      // a FitOnScreen to grow is on its way
    QSize fittedNeed_;             // what the body needed when the window was last fitted to it
    QScrollArea* bodyScroll_ = nullptr; // the controls, which scroll where the window is too small
    QHBoxLayout* statusRow_ = nullptr;  // the status frame below them
    QSize refusedSize_; // a size below the minimum that the window has asked to leave
    bool shutDown_ = false;
    bool applyingUi_ = false;
    CTuningModel tuning_;
    std::unique_ptr<CCapControls> capControls_;
    std::unique_ptr<CPageReads> pageReads_;
    int loadSkipped_ = 0; // rows the last history read passed over
    bool readingsKnown_ = false;
    bool readingsLost_ = false; // the readings failed: no number stands for the unit's
};

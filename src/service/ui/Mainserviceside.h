#pragma once
// The service side of the main window: the unit pages (Trajectories, Tuning, 3 Cap, Setup) and
// their calibration dialogs, the service pages (service log, Info, Config), and the Tools
// menu's service windows (tuning model, technician console, BootP, flashing, Xilinx, auto-test)
// with their handlers. It is made on a main window, which it reaches only through IMainHost;
// the program's entry makes it after the main window and hands it its windows.

#include "panel/ui/Mainhost.h"

#include <QObject>
#include <QPointer>
#include <functional>
#include <string>

class QPlainTextEdit;
class TAutoTestForm;
class TBootPForm;
class TCal3capForm;
class TCalInputForm;
class TConfigPage;
class TDelayForm;
class TFlashProgressForm;
class TInfoPage;
class TRestoreFromFileForm;
class TServLogFrame;
class TSetupPage;
class TStartFlashingForm;
class TTechForm;
class TTrajPage;
class TTuningForm;
class TTuningPage;
class T3capPage;
struct SFileQuery;

class TMainServiceSide : public QObject, public IMainServiceSide {
public:
    // Makes the pages on the host's page control, wires the host's service items and attaches
    // itself to the host.
    explicit TMainServiceSide(IMainHost& host);
    // Made after the main window and gone before it, as the program's entry has it: a running
    // auto-test ends, the side lets go of the host, and its pages and dialogs go with it. Gone
    // after the main window, it has nothing left to let go of.
    ~TMainServiceSide() override;

    // The service side's windows; created once by the program's entry.
    struct Forms {
        TTechForm* Tech = nullptr;
        TBootPForm* BootP = nullptr;
        TStartFlashingForm* StartFlashing = nullptr;
        TFlashProgressForm* FlashProgress = nullptr;
        TTuningForm* Tuning = nullptr;
        TAutoTestForm* AutoTest = nullptr;
        // The count-down while the unit restarts (Setup page, Xilinx loading).
        TDelayForm* Delay = nullptr;
    };
    // Hands the windows over and links the tuning model and auto-test windows; before the main
    // window's own windows are handed to it, which places the tuning windows beside it.
    void SetForms(const Forms& forms);
    Forms& GetForms() { return forms_; }
    IMainHost& Host() const { return host_; }

    // --- unit pages (Mainunitpages.cpp) -----------------------------------------------------
    TTrajPage* TrajPage = nullptr;
    TTuningPage* TuningPage = nullptr;
    T3capPage* _3capPage = nullptr;
    TSetupPage* SetupPage = nullptr;
    TCalInputForm* CalInputForm = nullptr;
    TCal3capForm* Cal3capForm = nullptr;
    // Each fills its page from the unit; 0 or the first failing result.
    int ReadSetup();
    int ReadTrajectories();
    int ReadTuning();
    int Read3Cap();
    // The pF read-outs beside the percent edits of the Trajectories and 3 Cap pages.
    void UpdateCTexts();
    // The Setup page's motor buttons.
    void EnableMotorsBtnClick();
    void DisableMotorsBtnClick();

    // --- programming and technician tools (Mainprogramming.cpp) ------------------------------
    void TechBtnClick();
    void BootPMenuItemClick();
    void FlashingMenuItemClick();
    void XilinxMenuItemClick();
    // Section "BootP" of the BootP window.
    void ExchangeBootPSettings(CRegistry& store);

    // --- service log, Info and Config pages (Mainservice.cpp, Mainbackup.cpp) ----------------
    TInfoPage* InfoPage = nullptr;
    TServLogFrame* ServLogTab = nullptr;
    TConfigPage* ConfigPage = nullptr;
    // Asks the user for a file name; the file dialog unless a test gives its own.
    std::function<bool(const SFileQuery&, std::string&)> AskFile;
    void StatisticsText(int sector, QPlainTextEdit* memo);
    int FillSectorList();
    void SectorListBoxClick();
    void SaveServLogBtnClick();
    void ConfigInfoBtnClick();
    void ServLogBtnClick();
    void FaultsInfoBtnClick();
    void SaveToFileBtnClick();
    void RestoreFromFileBtnClick();
    TRestoreFromFileForm& RestoreForm();

    // --- tuning model and auto-test windows (Maintools.cpp) -----------------------------------
    void TuningMenuItemClick();
    void AutoTestMenuItemClick();

    // --- IMainServiceSide (Mainserviceside.cpp) -----------------------------------------------
    STuningWindows TuningWindows() override;
    void UpdateUnitPages() override;
    void ClearInfoPage() override;
    void MarkActiveTrajectorySet(int index) override;
    void EnableUnlockedControls(bool unlocked) override;
    void EndAutoTest() override;
    void ExchangeToolSettings(CRegistry& store) override;

private:
    void CreateUnitPages();
    void CreateServicePages();
    void WireToolItems();
    // The tuning model and auto-test windows' links; a running auto-test ends with the program.
    void BindToolWindows();
    void ClearStatus() { host_.ClearStatus(); }

    IMainHost& host_;
    QPointer<QWidget> window_; // the host's window, gone when the host is
    // What the handlers reach of the host, taken once: they live as long as the host.
    COrrery* controller_;
    CDevice* device_;
    TStatusFrame* Status;
    QTabWidget* PageControl;
    Forms forms_;
    int flashFrequency_ = 32; // MHz, the start-flashing dialog's last value
    TRestoreFromFileForm* restoreForm_ = nullptr;
};

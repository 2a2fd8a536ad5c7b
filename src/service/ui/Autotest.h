#pragma once
// The auto-test window: the step table (time, Load and Tune per row) in a grid with its tool
// bar (open, save, insert, remove, clear, run, stop, the repeat switch, settings) and a status
// bar. A run walks the rows on a worker (TAutoTestThread); each row's move runs here, on the
// GUI thread, through the main window's move operation.

#include "service/Autotestrules.h"
#include "service/Autotesttable.h"

#include <QDialog>
#include <functional>
#include <memory>

class QAction;
class QStatusBar;
class QTableWidget;
class QToolBar;
class QToolButton;
class TAutoTestSettingsForm;
class TAutoTestThread;
struct SFileQuery;

class TAutoTestForm : public QDialog {
    Q_OBJECT
public:
    static constexpr int RowHeight = 18;

    explicit TAutoTestForm(QWidget* parent = nullptr);
    ~TAutoTestForm() override;

    struct SLinks {
        std::function<SAutoTestMode()> GetMode;
        std::function<void(const SAutoTestMode&)> SetMode;
        // The main window's capacitor move (Load %, Tune %); returns the unit's result.
        std::function<int(double, double)> MoveCapacitors;
    };
    void Bind(const SLinks& links);
    // Asks for a file name; the file dialog unless a test gives its own.
    std::function<bool(const SFileQuery&, std::string&)> AskFile;
    // Given to each run's worker before it starts (tests give a clock and a sleep).
    std::function<void(TAutoTestThread&)> PrepareThread;

    QToolBar* ToolBar = nullptr;
    QAction* OpenAction = nullptr;
    QAction* SaveAction = nullptr;
    QAction* PlusAction = nullptr;
    QAction* MinusAction = nullptr;
    QAction* DeleteAction = nullptr;
    QAction* RunAction = nullptr;
    QAction* StopAction = nullptr;
    QToolButton* ContModeBtn = nullptr;
    QAction* SettingsAction = nullptr;
    QTableWidget* ATStringGrid = nullptr;
    QStatusBar* StatusBar = nullptr;
    TAutoTestSettingsForm* SettingsForm = nullptr;

    const CAutoTestTable& Table() const { return table_; }
    bool Running() const { return running_; }
    // The worker of the current or last run (null before the first).
    TAutoTestThread* Thread() const { return thread_.get(); }
    // Ends a run without running any more of its routines (the program is closing).
    void Abandon();

    // --- handlers ---------------------------------------------------------------------------
    void OpenActionExecute();
    void SaveActionExecute();
    void PlusActionExecute();
    void MinusActionExecute();
    void DeleteActionExecute();
    void RunActionExecute();
    void StopActionExecute();
    void SettingsActionExecute();
    void UpdateActions();
    void ATStringGridSetEditText(int row, int col);

    // --- routines of the worker, on the GUI thread --------------------------------------------
    void SyncStartRoutine();
    int64_t StepRoutine(int row, int cyclesLeft, int64_t msLeft);
    void SyncEndRoutine();

protected:
    void closeEvent(QCloseEvent* event) override;
    void reject() override;

private:
    // The grid shows the table again, or one of its rows.
    void ShowTable();
    void ShowRow(int r);
    int SelectedRow() const;
    bool RefuseWhileRunning();

    SLinks links_;
    CAutoTestTable table_;
    std::unique_ptr<TAutoTestThread> thread_;
    SAutoTestMode runMode_; // the settings a run started with (they cannot change while it runs)
    bool running_ = false;
    bool stopping_ = false;
    bool inStep_ = false;
    bool filling_ = false;
};

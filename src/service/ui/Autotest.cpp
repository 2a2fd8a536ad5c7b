#include "service/ui/Autotest.h"

#include "common/Helpers.h"
#include "service/ui/Autotestsettings.h"
#include "service/ui/Autotestthread.h"
#include "service/ui/Fileask.h"
#include "zcomponents/Zwidgets.h"

#include <QAction>
#include <QCloseEvent>
#include <QHeaderView>
#include <QStatusBar>
#include <QStyle>
#include <QTableWidget>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>
#include <array>

namespace {

constexpr std::array<int, CAutoTestTable::Columns> ColumnWidths{64, 95, 96, 94};

} // namespace

TAutoTestForm::TAutoTestForm(QWidget* parent) : QDialog(parent)
{
    setObjectName("AutoTestForm");
    setWindowTitle(CAutoTestRules::Caption);
    resize(380, 320);
    AskFile = [this](const SFileQuery& q, std::string& name) { return AskFileName(this, q, name); };

    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->setSpacing(0);
    ToolBar = new QToolBar(this);
    ToolBar->setObjectName("ToolBar");
    outer->addWidget(ToolBar);

    auto action = [this](const char* name, const char* hint, QStyle::StandardPixmap icon,
                         void (TAutoTestForm::*handler)()) {
        QAction* a = ToolBar->addAction(style()->standardIcon(icon), hint);
        a->setObjectName(name);
        a->setToolTip(hint);
        connect(a, &QAction::triggered, this, handler);
        return a;
    };
    OpenAction = action("OpenAction", "Open", QStyle::SP_DialogOpenButton, &TAutoTestForm::OpenActionExecute);
    SaveAction = action("SaveAction", "Save", QStyle::SP_DialogSaveButton, &TAutoTestForm::SaveActionExecute);
    ToolBar->addSeparator();
    PlusAction = action("PlusAction", "Insert row", QStyle::SP_FileDialogNewFolder,
                        &TAutoTestForm::PlusActionExecute);
    MinusAction = action("MinusAction", "Remove row", QStyle::SP_DialogDiscardButton,
                         &TAutoTestForm::MinusActionExecute);
    DeleteAction = action("DeleteAction", "Clear all", QStyle::SP_TrashIcon,
                          &TAutoTestForm::DeleteActionExecute);
    ToolBar->addSeparator();
    RunAction = action("RunAction", "Run", QStyle::SP_MediaPlay, &TAutoTestForm::RunActionExecute);
    StopAction = action("StopAction", "Stop", QStyle::SP_MediaStop, &TAutoTestForm::StopActionExecute);
    ToolBar->addSeparator();
    ContModeBtn = new QToolButton(ToolBar);
    ContModeBtn->setObjectName("ContModeBtn");
    ContModeBtn->setCheckable(true);
    ContModeBtn->setIcon(style()->standardIcon(QStyle::SP_BrowserReload));
    ContModeBtn->setToolButtonStyle(Qt::ToolButtonIconOnly);
    ToolBar->addWidget(ContModeBtn);
    SettingsAction = action("SettingsAction", "Settings", QStyle::SP_FileDialogDetailedView,
                            &TAutoTestForm::SettingsActionExecute);

    ATStringGrid = new QTableWidget(0, CAutoTestTable::Columns, this);
    ATStringGrid->setObjectName("ATStringGrid");
    ATStringGrid->verticalHeader()->hide();
    ATStringGrid->verticalHeader()->setDefaultSectionSize(RowHeight);
    ATStringGrid->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    ATStringGrid->setSelectionMode(QAbstractItemView::SingleSelection);
    for (int c = 0; c < CAutoTestTable::Columns; ++c)
        ATStringGrid->setColumnWidth(c, ColumnWidths[size_t(c)]);
    outer->addWidget(ATStringGrid, 1);

    StatusBar = new QStatusBar(this);
    StatusBar->setObjectName("StatusBar");
    StatusBar->setSizeGripEnabled(false);
    outer->addWidget(StatusBar);

    SettingsForm = new TAutoTestSettingsForm(this);

    connect(ATStringGrid, &QTableWidget::cellChanged, this, &TAutoTestForm::ATStringGridSetEditText);
    connect(ATStringGrid, &QTableWidget::itemSelectionChanged, this, &TAutoTestForm::UpdateActions);
    connect(ATStringGrid, &QTableWidget::currentCellChanged, this, &TAutoTestForm::UpdateActions);
    connect(ContModeBtn, &QToolButton::toggled, this, [this](bool down) {
        if (thread_)
            thread_->SetRepeat(down);
    });

    ShowTable();
}

TAutoTestForm::~TAutoTestForm()
{
    Abandon();
    // The grid and the button outlive this part of the window while they are taken down.
    disconnect(ATStringGrid, nullptr, this, nullptr);
    disconnect(ContModeBtn, nullptr, this, nullptr);
}

void TAutoTestForm::Bind(const SLinks& links)
{
    links_ = links;
    TAutoTestSettingsForm::SLinks s;
    s.Get = links.GetMode;
    s.Set = links.SetMode;
    SettingsForm->Bind(s);
}

void TAutoTestForm::Abandon()
{
    thread_.reset(); // stops the worker at once and waits for it; no routine runs any more
    if (running_) {
        running_ = false;
        ATStringGrid->setEnabled(true);
        UpdateActions();
    }
}

// --- table ------------------------------------------------------------------------------------

void TAutoTestForm::ShowRow(int r)
{
    for (int c = 0; c < CAutoTestTable::Columns; ++c) {
        auto* item = new QTableWidgetItem(Q(table_.Cell(r, c)));
        if (c == 0) {
            item->setFlags(Qt::ItemIsEnabled);
            item->setBackground(palette().color(QPalette::Button));
        }
        ATStringGrid->setItem(r - 1, c, item);
    }
}

void TAutoTestForm::ShowTable()
{
    filling_ = true;
    const int rows = table_.RowCount() - 1;
    ATStringGrid->setRowCount(rows);
    for (int c = 0; c < CAutoTestTable::Columns; ++c)
        ATStringGrid->setHorizontalHeaderItem(c, new QTableWidgetItem(Q(table_.Cell(0, c))));
    for (int r = 1; r <= rows; ++r)
        ShowRow(r);
    filling_ = false;
    if (ATStringGrid->currentRow() < 0 || ATStringGrid->currentRow() >= rows)
        ATStringGrid->setCurrentCell(0, 1);
    UpdateActions();
}

int TAutoTestForm::SelectedRow() const
{
    const QList<QTableWidgetSelectionRange> ranges = ATStringGrid->selectedRanges();
    int top = ranges.isEmpty() ? ATStringGrid->currentRow() : ranges.first().topRow();
    for (const QTableWidgetSelectionRange& r : ranges)
        top = std::min(top, r.topRow());
    return top < 0 ? 0 : top + 1;
}

void TAutoTestForm::UpdateActions()
{
    const int r = SelectedRow();
    const int rows = table_.RowCount();
    auto set = [&](QAction* a, EAutoTestAction what) {
        a->setEnabled(CAutoTestRules::Enabled(what, running_, r, rows));
    };
    set(OpenAction, EAutoTestAction::Open);
    set(SaveAction, EAutoTestAction::Save);
    set(PlusAction, EAutoTestAction::Plus);
    set(MinusAction, EAutoTestAction::Minus);
    set(DeleteAction, EAutoTestAction::Delete);
    set(RunAction, EAutoTestAction::Run);
    set(StopAction, EAutoTestAction::Stop);
    set(SettingsAction, EAutoTestAction::Settings);
}

void TAutoTestForm::ATStringGridSetEditText(int row, int col)
{
    if (filling_)
        return;
    QTableWidgetItem* item = ATStringGrid->item(row, col);
    bool grew = false;
    if (!item || !table_.SetCell(row + 1, col, item->text().toStdString(), !running_, &grew))
        return;
    const QString stored = Q(table_.Cell(row + 1, col)); // line breaks became blanks
    if (item->text() != stored) {
        filling_ = true;
        item->setText(stored);
        filling_ = false;
    }
    if (grew) {
        // Only the new trailing row: the cell being edited keeps its item.
        filling_ = true;
        const int r = table_.RowCount() - 1;
        ATStringGrid->setRowCount(r);
        ShowRow(r);
        filling_ = false;
    }
    UpdateActions();
}

void TAutoTestForm::OpenActionExecute()
{
    if (running_)
        return;
    std::string name;
    if (!AskFile || !AskFile({"Open", CAutoTestRules::FileFilter, CAutoTestRules::FileExtension, false}, name))
        return;
    std::string error;
    std::vector<int> rejected;
    if (!table_.LoadFile(name, error, &rejected)) {
        ShowWarning(CAutoTestRules::OpenErrorCaption, error);
        return;
    }
    ATStringGrid->setCurrentCell(0, 1);
    ShowTable();
    if (!rejected.empty())
        ShowWarning("Open", CAutoTestRules::RejectedLinesText(rejected));
}

void TAutoTestForm::SaveActionExecute()
{
    if (running_)
        return;
    std::string name;
    if (!AskFile || !AskFile({"Save", CAutoTestRules::FileFilter, CAutoTestRules::FileExtension, true}, name))
        return;
    std::string error;
    if (!table_.SaveFile(name, error))
        ShowWarning("Save", error);
}

void TAutoTestForm::PlusActionExecute()
{
    const int r = SelectedRow();
    if (running_ || !table_.Insert(r))
        return;
    ShowTable();
    ATStringGrid->setCurrentCell(r - 1, 1);
}

void TAutoTestForm::MinusActionExecute()
{
    const int r = SelectedRow();
    if (running_ || !table_.Remove(r))
        return;
    ShowTable();
    ATStringGrid->setCurrentCell(r - 1, 1);
}

void TAutoTestForm::DeleteActionExecute()
{
    if (!CAutoTestRules::Enabled(EAutoTestAction::Delete, running_, SelectedRow(), table_.RowCount()))
        return;
    if (!AskYesNo("", CAutoTestRules::ClearQuestion))
        return;
    table_.Reset();
    ShowTable();
}

void TAutoTestForm::SettingsActionExecute()
{
    if (!running_)
        SettingsForm->exec();
}

// --- run --------------------------------------------------------------------------------------

void TAutoTestForm::RunActionExecute()
{
    if (running_)
        return;
    thread_.reset(); // the worker of the last run has ended; let it go
    TAutoTestThread::SRoutines routines;
    routines.Start = [this] { SyncStartRoutine(); };
    routines.Step = [this](int row, int cycles, int64_t ms) { return StepRoutine(row, cycles, ms); };
    routines.End = [this] { SyncEndRoutine(); };
    runMode_ = links_.GetMode ? links_.GetMode() : SAutoTestMode{};
    thread_ = std::make_unique<TAutoTestThread>(routines, runMode_);
    thread_->SetRowCount(table_.RowCount() - 1);
    thread_->SetRepeat(ContModeBtn->isChecked());
    if (PrepareThread)
        PrepareThread(*thread_);
    running_ = true;
    UpdateActions();
    thread_->Start();
}

void TAutoTestForm::StopActionExecute()
{
    if (!running_ || stopping_ || !thread_)
        return;
    stopping_ = true;
    thread_->Terminate();
    // The wait answers the worker's routines, its end routine included. Inside a step (a move
    // that lets events run) the end routine comes later, by itself.
    if (!inStep_)
        thread_->WaitFor();
    stopping_ = false;
    UpdateActions();
}

void TAutoTestForm::SyncStartRoutine()
{
    ATStringGrid->setEnabled(false);
    StatusBar->showMessage("");
}

int64_t TAutoTestForm::StepRoutine(int row, int cyclesLeft, int64_t msLeft)
{
    if (row >= 1 && row < table_.RowCount())
        ATStringGrid->setCurrentCell(row - 1, 1); // selects the time cell and keeps it in view
    const SAutoTestStep step = CAutoTestRules::Step(table_.Cell(row, 1), table_.Cell(row, 2),
                                                    table_.Cell(row, 3), runMode_.Mode, cyclesLeft, msLeft);
    if (!step.Valid)
        return 0;
    if (step.ShowStatus)
        StatusBar->showMessage(Q(step.Status));
    if (links_.MoveCapacitors) {
        inStep_ = true;
        links_.MoveCapacitors(step.Load, step.Tune);
        inStep_ = false;
    }
    return step.DelayMs;
}

void TAutoTestForm::SyncEndRoutine()
{
    ATStringGrid->setEnabled(true);
    running_ = false;
    StatusBar->showMessage("");
    UpdateActions();
}

// --- closing ----------------------------------------------------------------------------------

bool TAutoTestForm::RefuseWhileRunning()
{
    if (!running_)
        return false;
    ShowWarning("", CAutoTestRules::RunningWarning);
    return true;
}

void TAutoTestForm::closeEvent(QCloseEvent* event)
{
    if (RefuseWhileRunning())
        event->ignore();
    else
        QDialog::closeEvent(event);
}

void TAutoTestForm::reject()
{
    if (!RefuseWhileRunning())
        QDialog::reject();
}

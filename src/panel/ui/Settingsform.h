#pragma once
// The settings dialog: read timer and error limit, caption (General); serial and network
// connection (Connection); the layout of the two readings panes (Display).

#include "panel/Displaylist.h"

#include <QDialog>
#include <functional>
#include <string>

class CPaneList;
class CSettings;
class QCheckBox;
class QComboBox;
class QLineEdit;
class QListWidget;
class QPushButton;
class QSpinBox;
class QTabBar;
class QTabWidget;
class TEditDisplayForm;

class TSettingsForm : public QDialog {
    Q_OBJECT
public:
    explicit TSettingsForm(QWidget* parent = nullptr);

    // What the dialog edits and asks; set once by the main window.
    struct SLinks {
        CSettings* Settings = nullptr;
        const IPaneSource* Source = nullptr;
        std::function<bool()> Locked;
        std::function<std::string()> SettingsFileName;
        std::function<CPaneList*(int)> GetPaneList;
        std::function<void()> SetDefaultDisplay;
        // After OK: apply the read-timer interval and update the captions.
        std::function<void()> Applied;
        TEditDisplayForm* EditDisplay = nullptr;
    };
    void Bind(const SLinks& links);

    // The pane double click: that pane's tab and item on the Display page.
    void SelectPaneItem(int pane, int item);
    // The connection dialog's "Settings...": the Connection page.
    void SelectConnectionPage();

    // General
    QTabWidget* PageControl;
    QSpinBox* ReadTimerSpinEdit;
    QCheckBox* UseMaxReadErrorsCheckBox;
    QSpinBox* MaxReadErrorsSpinEdit;
    QLineEdit* CaptionEdit;
    QCheckBox* ConnectAtStartupCheckBox;
    // Connection
    QComboBox* BaudComboBox;
    QSpinBox* AddrSpinEdit;
    QSpinBox* TimeoutSpinEdit;
    QComboBox* InterfaceComboBox;
    QCheckBox* AutoFindingCheckBox;
    QLineEdit* TCPPortEdit;
    QSpinBox* UnitNumberSpinEdit;
    QComboBox* ProtocolComboBox;
    QComboBox* TransportComboBox;
    // Display
    QListWidget* TypeListBox;
    QListWidget* VarListBox;
    QTabBar* PanesTabControl;
    QListWidget* SelectionListBox;
    QPushButton* AddBtn;
    QPushButton* RemoveBtn;
    QPushButton* UpBtn;
    QPushButton* DownBtn;
    QPushButton* ClearBtn;
    QPushButton* EditDisplayBtn;
    QPushButton* DefaultDisplayBtn;
    QPushButton* OKBtn;
    QPushButton* CancelBtn;

    void FormShow();
    void OKBtnClick();
    void UseMaxReadErrorsCheckBoxClick();
    void InterfaceComboBoxChange();
    void FillVarListBox();
    void TypeListBoxDblClick();
    void VarListBoxClick();
    void AddBtnClick();
    void RemoveBtnClick();
    void UpBtnClick();
    void DownBtnClick();
    void ClearBtnClick();
    void EditDisplayBtnClick();
    void DefaultDisplayBtnClick();
    void PanesTabControlChange();
    void SelectionListBoxClick();

    void ShowPane(int itemIndex);
    void ShowItem(int i);
    void UpdateButtons();


protected:
    void showEvent(QShowEvent* event) override;

private:
    QWidget* CreateGeneralPage();
    QWidget* CreateConnectionPage();
    QWidget* CreateDisplayPage();
    void ConnectHandlers();
    bool Locked() const;
    int Kind() const;
    CPaneList* CurrentPane() const;
    void SetBaudItems(int interfaceIndex);
    void SyncSelectionToList();
    void SyncSelectionFromList();
    std::vector<int> SelectedVarIds() const;

    SLinks links_;
    QWidget* connectionPage_ = nullptr;
    CDisplayList display_{nullptr};
    bool syncing_ = false;
};

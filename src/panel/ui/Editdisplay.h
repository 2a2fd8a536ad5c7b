#pragma once
// The display settings dialog: item sizes, the RF-on option of the history, and the display
// range and decimals of one variable.

#include "panel/Displayedit.h"

#include <QDialog>
#include <functional>

class CPaneList;
class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;
class QSpinBox;

class TEditDisplayForm : public QDialog {
    Q_OBJECT
public:
    explicit TEditDisplayForm(QWidget* parent = nullptr);

    // What the dialog edits; set once by the main window.
    struct SLinks {
        IPaneSource* Source = nullptr;
        CItemStyle* Style = nullptr;
        bool* TracesRFOn = nullptr;
        std::function<bool()> Locked;
        std::function<CPaneList*(int)> GetPaneList;
    };
    void Bind(const SLinks& links);

    // Set by the caller before showing.
    std::vector<int>& VarIds() { return logic_.VarIds; }
    int& CurrentVarId() { return logic_.CurrentVarId; }

    QSpinBox* ValueFontSizeSpinEdit;
    QSpinBox* BarFontSizeSpinEdit;
    QSpinBox* PlotFontSizeSpinEdit;
    QSpinBox* PlotSizeSpinEdit;
    QCheckBox* TracesRFOnCheckBox;
    QComboBox* VarComboBox;
    QLineEdit* MinEdit;
    QLineEdit* MaxEdit;
    QSpinBox* DigSpinEdit;
    QPushButton* OkBtn;
    QPushButton* CancelBtn;
    QPushButton* ApplyBtn;

    void FormShow();
    void VarComboBoxChange();
    void SetApply();
    void ApplyBtnClick();
    void OkBtnClick();

protected:
    void showEvent(QShowEvent* event) override;

private:
    bool Locked() const;
    void ShowVar();

    SLinks links_;
    CDisplayEdit logic_{nullptr};
    bool filling_ = false;
};

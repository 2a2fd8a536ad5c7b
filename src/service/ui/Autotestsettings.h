#pragma once
// The auto-test settings dialog: the mode (continuous, cycles or minutes), the cycle count and
// the minutes. It changes the settings only on OK.

#include "service/Autotestrules.h"

#include <QDialog>
#include <functional>

class QButtonGroup;
class QGroupBox;
class QLineEdit;
class QPushButton;

class TAutoTestSettingsForm : public QDialog {
public:
    explicit TAutoTestSettingsForm(QWidget* parent = nullptr);

    // Where the three settings live.
    struct SLinks {
        std::function<SAutoTestMode()> Get;
        std::function<void(const SAutoTestMode&)> Set;
    };
    void Bind(const SLinks& links) { links_ = links; }

    QGroupBox* CMRadioGroup = nullptr;
    QButtonGroup* CMButtons = nullptr; // ids 0 .. 2
    QLineEdit* NEdit = nullptr;
    QLineEdit* TEdit = nullptr;
    QPushButton* OkBtn = nullptr;
    QPushButton* CancelBtn = nullptr;

    void FormShow();
    void OkBtnClick();

protected:
    void showEvent(QShowEvent* event) override;

private:
    SLinks links_;
};

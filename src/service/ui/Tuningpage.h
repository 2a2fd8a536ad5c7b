#pragma once
// The main window's Tuning tab: the constants of the unit's automatic matching loop and the
// target impedance.

#include "service/Tuningrules.h"
#include "service/ui/Pagecontrols.h"

class QCheckBox;

class TTuningPage : public TUnitPage {
public:
    explicit TTuningPage(TMainServiceSide& side);

    QComboBox* StopStartComboBox = nullptr;
    QLabel* StopStartLabel = nullptr;
    QLineEdit* StopEdit = nullptr;
    QLineEdit* StartEdit = nullptr;
    QLineEdit* MagShEdit = nullptr;
    QLineEdit* PhaseShEdit = nullptr;
    QLineEdit* MagSerEdit = nullptr;
    QLineEdit* PhaseSerEdit = nullptr;
    QLineEdit* ShMaxStepEdit = nullptr;
    QLineEdit* SerMaxStepEdit = nullptr;
    QLineEdit* SerMinStepEdit = nullptr;
    QLineEdit* ShMinStepEdit = nullptr;
    QCheckBox* HoldShuntCheckBox = nullptr;
    QComboBox* IntegralComboBox = nullptr;
    QLineEdit* RTargetEdit = nullptr;
    QLineEdit* XTargetEdit = nullptr;
    QPushButton* SendTuningBtn = nullptr;
    QPushButton* ReadTuningBtn = nullptr;
    QPushButton* DefTuningBtn = nullptr;

    int ReadTuning();
    void ReadTuningBtnClick();
    void SendTuningBtnClick();
    void StopStartComboBoxChange();
    void DefTuningBtnClick();
    void TuningEditChange();
    // The criterion choice only for units with PIN bit 30.
    void UpdateUnitType();

private:
    void ShowTexts(const CTuningTexts& t);
    CTuningTexts Texts() const;
    void ShowHints(int criterion);

    bool filling_ = false;
};

#pragma once
// The main window's 3 Cap tab (third-capacitor units only): the third capacitor's travel limits,
// four presets with the active one, its automatic loop's constants and the over-voltage level.

#include "service/Cap3rules.h"
#include "service/ui/Pagecontrols.h"

#include <array>

class QRadioButton;

class T3capPage : public TUnitPage {
public:
    static constexpr int Presets = CUnitState::ThirdCapPresets;

    explicit T3capPage(TMainServiceSide& side);

    QLineEdit* _3capMinEdit = nullptr;
    QLineEdit* _3capMaxEdit = nullptr;
    QLabel* _3capMinText = nullptr;
    QLabel* _3capMaxText = nullptr;
    std::array<QRadioButton*, Presets> _3capPresets{};
    std::array<QLineEdit*, Presets> _3capPresetEdits{};
    std::array<QLabel*, Presets> _3capPresetTexts{};
    QLineEdit* _3capErrorEdit = nullptr;
    QLineEdit* _3capGainEdit = nullptr;
    QLineEdit* _3capPeriodEdit = nullptr;
    QLineEdit* _3capMaxStepEdit = nullptr;
    QLineEdit* VLevelEdit = nullptr;
    QLabel* VLevelLabel = nullptr;
    QPushButton* Send3capBtn = nullptr;
    QPushButton* Read3capBtn = nullptr;
    QPushButton* SetDef3capBtn = nullptr;

    // 0 at once for a unit without a third capacitor.
    int Read3Cap();
    void Read3capBtnClick();
    void Send3capBtnClick();
    void SetDef3capBtnClick();
    void _3capEditChange();
    void Enable3capPresetItems();
    int Selected3capPreset() const;
    void Enable3capPresetEdits();
    void UpdateCTexts();

private:
    void ShowTexts(const C3capTexts& t);
    C3capTexts Texts() const;

    bool filling_ = false;
};

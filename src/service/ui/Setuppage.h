#pragma once
// The main window's Setup tab: the unit's address, baud, protocol, S/N and PIN, the capacitors'
// steps and pF ranges, the sensors, the potentiometers, the resets and the calibration openers.

#include "service/Setuprules.h"
#include "service/ui/Calibrationhost.h"
#include "service/ui/Pagecontrols.h"

#include <array>
#include <memory>

class QCheckBox;
class QSlider;
class QSpinBox;
class QTabWidget;
class TDelayForm;

class TSetupPage : public TUnitPage, private ISetupHost, public ICalibrationHost {
public:
    explicit TSetupPage(TMainServiceSide& side);
    ~TSetupPage() override;

    QTabWidget* SetupPageControl = nullptr;
    QWidget* SetupTab = nullptr;
    QWidget* CapsTab = nullptr;
    QWidget* SensorTab = nullptr;
    QWidget* PotTab = nullptr;
    QPushButton* SendSetupBtn = nullptr;
    QPushButton* ReadSetupBtn = nullptr;
    // Setup tab
    QLineEdit* PinEdit = nullptr;
    QLineEdit* SNEdit = nullptr;
    QSpinBox* OstrabusAddrSpinEdit = nullptr;
    QComboBox* ProtocolComboBox = nullptr;
    QComboBox* BaudComboBox = nullptr;
    QLineEdit* SWText = nullptr;
    QLineEdit* XilinxText = nullptr;
    QPushButton* ResetMemoryBtn = nullptr;
    QCheckBox* ServLogCheckBox = nullptr;
    QPushButton* ResetServLogBtn = nullptr;
    // Capacitors tab: Load, Tune, third capacitor
    std::array<QLineEdit*, 3> TotalEdits{}, OffsetEdits{}, CmaxEdits{}, CminEdits{};
    QPushButton* ResetCapsBtn = nullptr;
    QPushButton* EnableMotorsBtn = nullptr;
    QPushButton* DisableMotorsBtn = nullptr;
    // Sensors tab
    QComboBox* InAverComboBox = nullptr;
    QComboBox* OutAverComboBox = nullptr;
    QLineEdit* InPoffEdit = nullptr;
    QLineEdit* OutPoffEdit = nullptr;
    QPushButton* CalInputBtn = nullptr;
    QPushButton* CalOutputBtn = nullptr;
    // Potentiometers tab (unit numbers 2..5)
    std::array<QSlider*, CSetupData::Pots> PotTrackBars{};
    std::array<QLineEdit*, CSetupData::Pots> PotEdits{};

    // Fills the page from the unit; 0 or the first failing result.
    int ReadSetup();
    void ReadSetupBtnClick();
    void SendSetupBtnClick();
    void SetupEditChange();
    // The track bars' positions into the potentiometer edits; sent with the page's Send.
    void PotTrackBarChange();
    void ProtocolComboBoxChange();
    void ResetMemoryBtnClick();
    void ResetServLogBtnClick();
    void ResetCapsBtnClick();
    void CalInputBtnClick();
    void CalOutputBtnClick();
    // Enables the calibration buttons (unless locked); called when a calibration dialog closes.
    void EnableCalibrateButtons();
    // The Send, reset and calibration buttons: disabled while locked; unlocked, the calibration
    // buttons stay disabled while a calibration dialog is open.
    void EnableUnlockedControls(bool unlocked);
    // Shows the third capacitor's and the output sensor's fields for the unit type.
    void UpdateUnitType();
    // The page's own, for the setup rules (ISetupHost) and the calibration dialogs
    // (ICalibrationHost), which it opens with itself as their host.
    CDevice& Device() const override { return TUnitPage::Device(); }
    void ClearStatus() override { TUnitPage::ClearStatus(); }
    void CommandAccepted() override { TUnitPage::CommandAccepted(); }
    void ReadDone(const std::string& notRead) override { TUnitPage::ReadDone(notRead); }
    // A calibration dialog closed: its openers are enabled again.
    void CalibrationClosed() override { EnableCalibrateButtons(); }

private:
    // ISetupHost
    int SettingsAddress() const override;
    std::string SettingsBaudText() const override;
    bool IsDemo() const override;
    void SetReadTimer(bool on) override;
    void ShowStatusMessage(const std::string& text) override;
    void WaitForRestart(int ms) override;
    void ReloadUnit() override;

    QWidget* CreateSetupTab();
    QWidget* CreateCapsTab();
    QWidget* CreateSensorTab();
    QWidget* CreatePotTab();
    void ShowTexts(const CSetupTexts& t);
    CSetupTexts Texts() const;
    void SelectBaud(const std::string& text);

    std::vector<QWidget*> thirdCapWidgets_;
    std::vector<QWidget*> outputSensorWidgets_;
    std::unique_ptr<TDelayForm> ownDelay_;
    bool filling_ = false;
    std::string notRead_; // what the last read did not get (SetupNotRead)
};

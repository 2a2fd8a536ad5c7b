#pragma once
// The input or output sensor's calibration dialog: raw ADC readings, offsets, the matrix from two
// reference loads, the power factor, and the eight calibration words read from and sent to the
// unit.

#include "service/Calinputrules.h"

#include <QDialog>
#include <array>

class ICalibrationHost;
class QLabel;
class QLineEdit;
class QPushButton;

class TCalInputForm : public QDialog {
public:
    // Opened from a page (the Setup page), which it reaches the unit through and tells when it
    // closes.
    TCalInputForm(ICalibrationHost& host, QWidget* parent);

    // The calibration words: p off, q off, i2 off, rr, rx, xr, xx, pow.
    QLineEdit* OffpEdit = nullptr;
    QLineEdit* OffqEdit = nullptr;
    QLineEdit* Offi2Edit = nullptr;
    QLineEdit* CalrrEdit = nullptr;
    QLineEdit* CalrxEdit = nullptr;
    QLineEdit* CalxrEdit = nullptr;
    QLineEdit* CalxxEdit = nullptr;
    QLineEdit* CalPowEdit = nullptr;
    // Reference loads: p, q, i2, R, X.
    std::array<QLineEdit*, 5> Load1Edits{}, Load2Edits{};
    QLineEdit* PowerEdit = nullptr;
    QLineEdit* AverEdit = nullptr;
    QLabel* ADCpText = nullptr;
    QLabel* ADCqText = nullptr;
    QLabel* ADCi2Text = nullptr;
    QLabel* ADCOffpText = nullptr;
    QLabel* ADCOffqText = nullptr;
    QLabel* ADCOffi2Text = nullptr;
    QLabel* ADCtText = nullptr;
    QLabel* MeasRText = nullptr;
    QLabel* MeasXText = nullptr;
    QLabel* MeasGText = nullptr;
    QLabel* MeasPowText = nullptr;
    QLabel* MeasIText = nullptr;
    QLabel* MeasVText = nullptr;
    QLabel* MeasPfwdText = nullptr;
    QLabel* TempText = nullptr;
    QPushButton* ReadBtn = nullptr;
    QPushButton* SendBtn = nullptr;
    QPushButton* ADCMeasBtn = nullptr;
    QPushButton* OffsetBtn = nullptr;
    QPushButton* Load1Btn = nullptr;
    QPushButton* Load2Btn = nullptr;
    QPushButton* CalBtn = nullptr;
    QPushButton* PowerBtn = nullptr;
    QPushButton* MeasBtn = nullptr;
    QPushButton* CloseBtn = nullptr;

    // 0 input sensor, 1 output sensor; set by the opener before showing.
    void SetSensor(int sensor) { sensor_ = sensor; }
    int Sensor() const { return sensor_; }

    // Locked, the dialog sends the unit nothing: Send and both measurements are disabled, as the
    // page's own Send is. Read stays, as the pages' Read buttons do.
    void EnableUnlockedControls(bool unlocked);

    void ReadBtnClick();
    void SendBtnClick();
    void ADCMeasBtnClick();
    void OffsetBtnClick();
    void LoadBtnClick(int load); // 1 or 2
    void CalBtnClick();
    void PowerBtnClick();
    void MeasBtnClick();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    std::array<QLineEdit*, 8> WordEdits() const;
    // The words as the edits hold them, non-numbers as 0.
    CSensorCal EditedCal() const;
    CReferenceLoad Load(const std::array<QLineEdit*, 5>& edits) const;

    ICalibrationHost& host_;
    int sensor_ = 0;
};

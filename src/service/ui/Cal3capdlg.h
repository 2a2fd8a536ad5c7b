#pragma once
// The current-sensor calibration dialog of third-capacitor units: two current channels and one
// voltage channel, each offset and scale from two references, read from and sent to the unit.

#include "service/Cal3caprules.h"

#include <QDialog>
#include <array>

class ICalibrationHost;
class QLabel;
class QLineEdit;
class QPushButton;
class QTabWidget;

class TCal3capForm : public QDialog {
public:
    static constexpr int Channels = 3; // i1, i2, v

    // Opened from a page (the Setup page), which it reaches the unit through and tells when it
    // closes.
    TCal3capForm(ICalibrationHost& host, QWidget* parent);

    // Per channel i1, i2, v.
    std::array<QLineEdit*, Channels> OffEdits{};   // Offi1Edit, Offi2Edit, OffvEdit
    std::array<QLineEdit*, Channels> ScaleEdits{}; // Scalei1Edit, Scalei2Edit, ScalevEdit
    std::array<QLabel*, Channels> MaxTexts{};      // Maxi1Text, Maxi2Text, MaxvText
    std::array<QLabel*, Channels> ADCTexts{};      // ADCi1Text, ADCi2Text, ADCvText
    // References, two per channel: value, ADC value, "--->" copy button.
    std::array<std::array<QLineEdit*, 2>, Channels> RefEdits{}, RefADCEdits{};
    std::array<std::array<QPushButton*, 2>, Channels> RefBtns{};
    std::array<QPushButton*, Channels> CalBtns{}; // I1CalBtn, I2CalBtn, VCalBtn
    QTabWidget* PageControl1 = nullptr;
    QLineEdit* AverEdit = nullptr;
    QLabel* ADCtText = nullptr;
    QLabel* Measi1Text = nullptr;
    QLabel* Measi2Text = nullptr;
    QLabel* MeasRatioText = nullptr;
    QLabel* MeasvText = nullptr;
    QLabel* TempText = nullptr;
    QPushButton* ReadBtn = nullptr;
    QPushButton* SendBtn = nullptr;
    QPushButton* ADCMeasBtn = nullptr;
    QPushButton* MeasBtn = nullptr;
    QPushButton* CloseBtn = nullptr;

    // Locked, the dialog sends the unit nothing: Send and both measurements are disabled, as the
    // page's own Send is. Read stays, as the pages' Read buttons do.
    void EnableUnlockedControls(bool unlocked);

    void ReadBtnClick();
    void SendBtnClick();
    void ADCMeasBtnClick();
    void MeasBtnClick();
    void CalBtnClick(int channel);
    void RecalcMax(int channel);

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    C3capSensorCal EditedCal() const;

    ICalibrationHost& host_;
};

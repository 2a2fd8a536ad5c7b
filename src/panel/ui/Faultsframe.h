#pragma once
// The Faults page: one square yellow LED per known fault and one for unknown faults, each with
// its name, the alarm-sound option and the refresh button.

#include "panel/Faults.h"

#include <QWidget>
#include <vector>

class QCheckBox;
class QPushButton;
class TzLed;

class TFaultsFrame : public QWidget {
    Q_OBJECT
public:
    explicit TFaultsFrame(QWidget* parent = nullptr);

    // The LEDs in the order of CFaults::FaultTable(), then UnknownFaultsLed.
    const std::vector<TzLed*>& Leds() const { return leds_; }
    TzLed* UnknownFaultsLed;
    QCheckBox* DisAudioCheckBox;
    QPushButton* RefreshFaultsBtn;

    void ShowLeds(const SAlarmState& state);
    // Faults not known (no readings): every LED unlit in grey, neither a fault's yellow nor the
    // unlit yellow of no fault. ShowLeds gives them their colour back.
    void ShowUnknown();
    // Shows or hides the third capacitor's LEDs and labels.
    void ShowThirdCap(bool shown);

private:
    std::vector<TzLed*> leds_;
    std::vector<QWidget*> thirdCapOnly_; // LEDs and labels of the third capacitor's faults
};

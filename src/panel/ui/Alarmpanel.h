#pragma once
// The alarm panel of the main window: the interlock state, the fault summary and the mute
// button of the audible alarm. Update decodes one sample's fault word for it and the Faults page.

#include "panel/Faults.h"

#include <QWidget>

class QLabel;
class QToolButton;
class TFaultsFrame;

class TAlarmPanel : public QWidget {
    Q_OBJECT
public:
    explicit TAlarmPanel(QWidget* parent = nullptr);

    QLabel* InterlockPanel;
    QLabel* AlarmsPanel;
    QWidget* MutePanel;
    QToolButton* MuteBtn;

    // The alarm update of one sample: LEDs of faults, interlock, sound, summary. Returns the
    // state, whose hard fault (if any) the caller acts on.
    SAlarmState Update(uint64_t faultWord, TFaultsFrame& faults);
    // Without readings the faults are not known: neither "No Faults" nor a fault, the Faults
    // page's LEDs in their unknown look, no alarm sound.
    void ShowUnknown(TFaultsFrame& faults);
    static constexpr const char* FaultsUnknownText = "Faults ?";

private:
    void SetMuteHint();
};

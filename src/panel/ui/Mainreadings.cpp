// The main window's readings: the two panes, the status panels and the alarms that each poll
// refreshes, and the pane double click that opens the settings dialog.

#include "panel/ui/Main.h"

#include "device/Data.h"
#include "device/Device.h"
#include "panel/Orrery.h"
#include "panel/Plotview.h"
#include "panel/Readingspanes.h"
#include "panel/ui/Alarmpanel.h"
#include "panel/ui/Capsdlg.h"
#include "panel/ui/Chartform.h"
#include "panel/ui/Hardfault.h"
#include "panel/ui/Settingsform.h"
#include "panel/ui/Smithdlg.h"
#include "panel/ui/Status.h"
#include "zcomponents/Zwidgets.h"

#include <QApplication>
#include <QLabel>

CPaneList* TMainForm::GetPaneList(int index) const { return panes_->Get(index); }

// --- IReadingsView ------------------------------------------------------------------------------

void TMainForm::MarkActiveTrajectory(int index)
{
    // Which set is active is the unit's state as well: not known while the readings are lost.
    if (service_)
        service_->MarkActiveTrajectorySet(readingsLost_ ? -1 : index);
}

void TMainForm::ResetPlotView() { PlotView().Reset(); }

void TMainForm::RefreshAll()
{
    panes_->RefreshPlots(true);
    RefreshPlot();
    RefreshChartWindows(false);
}

void TMainForm::RefreshIncremental()
{
    if (panes_->ApplyPlots())
        RefreshPlot();
    RefreshChartWindows(true);
}

void TMainForm::ShowStatusPanels(bool rfOn, bool tuned, bool thirdCap, bool thirdCapTuned,
                                 bool capsDisabled)
{
    SetReadingsLost(false);
    PaintStatusPanels(rfOn, tuned, thirdCap, thirdCapTuned, capsDisabled);
    SetReadingsKnown(true);
}

void TMainForm::SetReadingsLost(bool lost)
{
    const bool changed = lost != readingsLost_;
    readingsLost_ = lost;
    panes_->SetLatestKnown(!lost);
    Status->SetReadingsLost(lost);
    for (TChartForm* chart : {static_cast<TChartForm*>(forms_.Smith), static_cast<TChartForm*>(forms_.Caps)})
        if (chart)
            chart->SetLatestKnown(!lost);
    if (changed)
        MarkActiveTrajectory(device_->ActiveTrajectory());
}

void TMainForm::PaintStatusPanels(bool rfOn, bool tuned, bool thirdCap, bool thirdCapTuned,
                                  bool capsDisabled)
{
    ShowCapLabels(capsDisabled);
    SetPanel(RFOnPanel, rfOn, "RF On", "RF Off");
    SetPanel(TunedPanel, tuned, "Tuned", "Not tuned");
    if (thirdCap)
        SetPanel(_3capTunedPanel, thirdCapTuned, "3rd cap tuned", "3rd cap not tuned");
}

void TMainForm::SetReadingsKnown(bool known)
{
    if (known == readingsKnown_)
        return;
    readingsKnown_ = known;
    UpdateInterlockPanel();
}

void TMainForm::ShowLatest()
{
    SelectControlPage(false);
    RefreshValuePanes();
    UpdateCapacitorPanel();
    UpdateAlarms();
}

void TMainForm::ShowDisconnected()
{
    SetReadingsLost(false);
    PaintStatusPanels(false, false, true, false, false);
    SetReadingsKnown(false);
    data_->Latest() = CDataRec(); // the readings as before the first sample
    ShowLatest();
}

void TMainForm::ShowReadingsLost()
{
    // Neither on nor off: the unit may well still have RF on.
    const QColor face = QApplication::palette().color(QPalette::Button);
    const std::pair<QLabel*, const char*> panels[] = {
        {RFOnPanel, RfUnknownText}, {TunedPanel, TunedUnknownText}, {_3capTunedPanel, ThirdCapUnknownText}};
    for (const auto& [panel, text] : panels) {
        panel->setText(text);
        SetPaletteColor(panel, QPalette::Window, face);
    }
    ShowCapLabels(false); // the capacitors' names; whether they are disabled is not known
    SetReadingsLost(true);
    SetReadingsKnown(false);
    data_->Latest() = CDataRec();
    ShowLatest();
}

// --- panes --------------------------------------------------------------------------------------

void TMainForm::RefreshAllItems(bool force) { panes_->RefreshAllItems(force); }

void TMainForm::RefreshValuePanes() { panes_->ApplyValues(); }

void TMainForm::RefreshPlotPanes() { panes_->RefreshPlots(false); }

void TMainForm::ValidatePanes() { panes_->Validate(); }

void TMainForm::RefreshUnitView()
{
    RefreshAll();
    RefreshAllItems(true);
    SetupTrackBars();
    SelectControlPage(true);
}

void TMainForm::PaneListBoxDblClick(int pane, int index)
{
    if (forms_.Settings)
        forms_.Settings->SelectPaneItem(pane, index);
    controller_->ShowSettings();
}

// --- alarms -------------------------------------------------------------------------------------

void TMainForm::UpdateAlarms()
{
    if (readingsLost_) {
        AlarmPanel->ShowUnknown(*FaultsFrame);
        return;
    }
    const SAlarmState s = AlarmPanel->Update(data_->Latest().FaultWord(), *FaultsFrame);
    if (!s.HasHardFault)
        return;
    controller_->SetReadTimer(false);
    if (forms_.HardFault)
        forms_.HardFault->ShowFault(s.HardFault);
}

void TMainForm::RefreshFaultsBtnClick() { UpdateReadings(); }

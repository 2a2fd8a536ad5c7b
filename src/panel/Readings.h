#pragma once
// One poll of the unit for the main window: the active trajectory set, the live sample into the
// store's work record, the commit to the history (not while RF is off when traces are kept only
// with RF on), and what the window must redraw.

class CData;
class CDevice;

class IReadingsView {
public:
    virtual ~IReadingsView() = default;
    virtual void MarkActiveTrajectory(int index) = 0;
    // First index 0, scale 1.0 of the shared plot view.
    virtual void ResetPlotView() = 0;
    virtual void RefreshAll() = 0;
    virtual void RefreshIncremental() = 0;
    // RF, tuned and third-cap panels and the capacitor labels.
    virtual void ShowStatusPanels(bool rfOn, bool tuned, bool thirdCap, bool thirdCapTuned,
                                  bool capsDisabled) = 0;
    // Control page, value panes, capacitor read-outs and alarms from the latest sample.
    virtual void ShowLatest() = 0;
};

class CReadings {
public:
    // 0, or the first non-zero device result (the displays then stay as they were).
    static int Update(CDevice& device, CData& data, bool tracesRfOn, IReadingsView& view);
};

#include "panel/Readings.h"

#include "device/Data.h"
#include "device/Device.h"

int CReadings::Update(CDevice& device, CData& data, bool tracesRfOn, IReadingsView& view)
{
    int r = device.ReadTrajectory();
    if (r != 0)
        return r;
    view.MarkActiveTrajectory(device.ActiveTrajectory());

    CLiveSample sample;
    r = device.ReadLive(sample);
    if (r != 0)
        return r;
    if (!sample.valid)
        return 0; // no new sample: every display stays as it is

    CDataRec& rec = data.Latest();
    device.StoreLive(sample, rec);
    const bool rfOn = rec.Flag(varid::FlagRfOn) != 0;

    if (!(tracesRfOn && !rfOn)) {
        if (data.Count() == 0) {
            view.ResetPlotView();
            view.RefreshAll();
        }
        if (data.Add())
            view.RefreshAll();
        else
            view.RefreshIncremental();
    }

    view.ShowStatusPanels(rfOn, rec.Flag(varid::FlagTuned) != 0, device.Has3rdCap(),
                          rec.Flag(varid::Flag3capTuned) != 0, rec.Flag(varid::FlagCapsDisabled) != 0);
    view.ShowLatest();
    return 0;
}

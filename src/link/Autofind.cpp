#include "link/Autofind.h"

#include "common/Commatext.h"
#include "common/Helpers.h"

AutoFindResult CAutoFind::Run(const AutoFindParams& params, IUnitProbe& unit, IAutoFindView& view)
{
    AutoFindResult out;
    out.result = NotFound;
    const std::vector<std::string> ports = CommaTextToList(params.portList);
    const int bauds = static_cast<int>(params.bauds.size());
    const int total = static_cast<int>(ports.size()) * bauds;
    view.ShowGauge(total);

    for (int i = 0; i < static_cast<int>(ports.size()) && total > 0; ++i) {
        const std::string& port = ports[i];
        if (port.empty())
            continue;
        if (params.skipCurrentPort && port == params.currentPort)
            continue;
        for (int j = 0; j < bauds; ++j) {
            view.ProcessMessages();
            if (view.StopRequested()) {
                out.result = Stopped;
                view.HideGauge();
                return out;
            }
            const std::string& baud = params.bauds[j];
            if (port == params.currentPort && baud == params.currentBaud)
                continue; // tried already
            view.SetGauge(bauds * i + j + 1, port);
            if (!unit.OpenPort(port, TextToInt(baud), params.readTimeoutMs, params.unitAddress))
                break; // next port
            int r = unit.Identify();
            if (r != 0)
                r = unit.Identify();
            if (r == 0) {
                out.result = Found;
                out.port = port;
                out.baud = baud;
                view.HideGauge();
                return out;
            }
            unit.ClosePort();
            if (r > 0)
                break; // a unit of an unknown model answers here: next port
        }
    }
    view.HideGauge();
    return out;
}

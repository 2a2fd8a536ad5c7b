#include "link/Autofind.h"

#include <charconv>

std::vector<std::string> SplitPortList(const std::string& text)
{
    std::vector<std::string> items;
    std::string item;
    for (char c : text) {
        if (c == ',') {
            if (!item.empty())
                items.push_back(item);
            item.clear();
        } else {
            item += c;
        }
    }
    if (!item.empty())
        items.push_back(item);
    return items;
}

namespace {
// Baud text to a number; 0 when it is not one (the open then fails on its own).
int BaudOf(const std::string& text)
{
    int value = 0;
    auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    return (ec == std::errc() && ptr == text.data() + text.size()) ? value : 0;
}
} // namespace

AutoFindResult CAutoFind::Run(const AutoFindParams& params, IUnitProbe& unit, IAutoFindView& view)
{
    AutoFindResult out;
    out.result = NotFound;
    const std::vector<std::string> ports = SplitPortList(params.portList);
    const int bauds = static_cast<int>(params.bauds.size());
    const int total = static_cast<int>(ports.size()) * bauds;
    view.ShowGauge(total);

    for (int i = 0; i < static_cast<int>(ports.size()) && total > 0; ++i) {
        const std::string& port = ports[i];
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
            if (!unit.OpenPort(port, BaudOf(baud), params.readTimeoutMs, params.unitAddress))
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

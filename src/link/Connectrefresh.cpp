#include "link/Connectrefresh.h"

#include "common/Helpers.h"

namespace {
std::string UnitText(const IUnitProbe& unit) { return unit.ModelText() + "\t" + unit.DisplayName(); }
} // namespace

PortListRefresh CPortListRefresh::Run(bool probe, const std::vector<std::string>& ports, const LinkState& link,
                                      const ConnectionSettings& settings, IUnitProbe& mainUnit,
                                      IUnitProbe& probeUnit)
{
    PortListRefresh out;
    if (probe && link.gateway) {
        if (!probeUnit.ConnectNetwork(link.ipAddress, settings.tcpPort, settings.unitNumber)) {
            out.gatewayFailed = true;
            out.error = probeUnit.LastError();
            return out;
        }
    }

    for (const std::string& name : ports) {
        std::string row = name + "\t";
        if (name.find(':') != std::string::npos) {
            // listed as it is
        } else if (link.hasPort && name == link.portName) {
            const int r = mainUnit.Identify();
            if (r >= 0) {
                row += UnitText(mainUnit);
                out.selected = static_cast<int>(out.rows.size());
            } else {
                row += mainUnit.LastError();
            }
        } else if (probe) {
            if (probeUnit.OpenPort(name, TextToInt(settings.baudText), settings.readTimeoutMs, settings.unitAddress)) {
                const int r = probeUnit.Identify();
                row += r >= 0 ? UnitText(probeUnit) : probeUnit.LastError();
                probeUnit.ClosePort();
            } else {
                row += probeUnit.LastError();
            }
        }
        out.rows.push_back(row);
    }
    return out;
}

std::string CPortListRefresh::PortOfRow(const std::string& row)
{
    const auto tab = row.find('\t');
    return tab == std::string::npos ? row : row.substr(0, tab);
}

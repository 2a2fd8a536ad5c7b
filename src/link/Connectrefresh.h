#pragma once
// The connection dialog's port list: one row per port of the connect bar's list, "name<TAB>"
// followed by the unit's model text, a tab and its display name, or by the error text of a
// probe that failed. The port the main device has open is identified through it and selected.

#include "link/Autofind.h"
#include "link/Connectcontroller.h"

#include <string>
#include <vector>

struct PortListRefresh {
    std::vector<std::string> rows;
    int selected = -1;           // row of the open port, -1 when none
    bool gatewayFailed = false;  // the probe could not reach the gateway
    std::string error;           // the link's error text then
};

class CPortListRefresh {
public:
    // ports: the connect bar's port list; link: the main link; mainUnit: the main device;
    // probeUnit: a temporary device with its own link (used only when probing).
    static PortListRefresh Run(bool probe, const std::vector<std::string>& ports, const LinkState& link,
                               const ConnectionSettings& settings, IUnitProbe& mainUnit, IUnitProbe& probeUnit);
    // The port name of a row (the text before the first tab).
    static std::string PortOfRow(const std::string& row);
};

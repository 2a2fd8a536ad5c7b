#pragma once
// A scripted controller and unit for the connection windows' tests.

#include "link/Autofind.h"
#include "link/Connectcontroller.h"

#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace testsupport {

// A unit per port name: the identify result (missing: the port does not open).
class ScriptedUnit : public IUnitProbe {
public:
    std::map<std::string, int> ports;
    std::string model = "VM-1000";
    std::string display = "Vantrel 1000";
    std::string open;
    std::string error;
    std::vector<std::string> log;
    std::function<void()> onIdentify; // e.g. a user pressing Stop meanwhile

    bool OpenPort(const std::string& name, int baud, int, int) override
    {
        log.push_back("open " + name + " " + std::to_string(baud));
        if (!ports.count(name)) {
            error = "No such file or directory";
            return false;
        }
        open = name;
        return true;
    }
    void ClosePort() override { open.clear(); }
    int Identify() override
    {
        log.push_back("identify " + open);
        if (onIdentify)
            onIdentify();
        const int r = ports.count(open) ? ports[open] : -3;
        if (r < 0)
            error = "Time-out";
        return r;
    }
    std::string ModelText() const override { return model; }
    std::string DisplayName() const override { return display; }
    std::string LastError() const override { return error; }
    bool ConnectNetwork(const std::string&, int, int) override { return true; }
};

// A link to a gateway with one of its ports open.
inline LinkState GatewayPortOpen(const std::string& port, const std::string& portList)
{
    LinkState link;
    link.socketOpen = link.gateway = link.hasPort = link.connected = true;
    link.portName = port;
    link.portList = portList;
    return link;
}

class ScriptedController : public IConnectionController, public IStatusContext {
public:
    int mode = connmode::Local;
    bool locked = false;
    bool demo = false;
    bool readTimerOn = false;
    bool autoFinding = false;
    LinkState link;
    ConnectionSettings settings;
    ScriptedUnit mainUnit;
    std::vector<std::string> recentPorts;
    std::map<std::string, int> probePorts; // the ports a temporary unit finds
    int gatewayResult = 0;
    std::string gatewayText;
    std::vector<std::string> calls;

    int ConnMode() const override { return mode; }
    bool Locked() const override { return locked; }
    bool Demo() const override { return demo; }
    LinkState Link() const override { return link; }
    ConnectionSettings Settings() const override { return settings; }
    std::vector<std::string> RecentPorts() const override { return recentPorts; }
    void SetBaudText(const std::string& baud) override
    {
        settings.baudText = baud;
        calls.push_back("baud " + baud);
    }
    void ConnectPort(const std::string& name, bool bar) override
    {
        calls.push_back("port " + name + (bar ? " bar" : " dialog"));
    }
    bool ConnectSite(const std::string& site, bool bar) override
    {
        calls.push_back("site " + site + (bar ? " bar" : " dialog"));
        return true;
    }
    bool DisconnectConfirm() override
    {
        calls.push_back("disconnect");
        return true;
    }
    void SetConnectionMode(int m) override
    {
        calls.push_back("mode " + std::to_string(m));
        mode = m;
    }
    void ShowConnectionDialog() override { calls.push_back("dialog"); }
    void ShowConnectionSettings() override { calls.push_back("settings"); }
    IUnitProbe& MainUnit() override { return mainUnit; }
    std::unique_ptr<IUnitProbe> NewUnit() override
    {
        auto unit = std::make_unique<ScriptedUnit>();
        unit->ports = probePorts;
        return unit;
    }
    int ReadGatewayInformation(std::string& text) override
    {
        text = gatewayText;
        return gatewayResult;
    }
    void SetIPAddress(const std::string& ip) override { calls.push_back("ip " + ip); }

    bool ReadTimerOn() const override { return readTimerOn; }
    bool AutoFindingVisible() const override { return autoFinding; }
    std::string LastLinkError() const override { return "Time-out"; }
    std::string CsrText(int code) const override { return "code " + std::to_string(code); }
    void ShowLoggingWindow() override { calls.push_back("logging"); }
};

} // namespace testsupport

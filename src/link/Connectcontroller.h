#pragma once
// What the connect bar, the connection dialog, the auto-finding and site-finding windows and the
// status frame need from the application controller. The controller implements it; tests drive
// the windows with a scripted implementation.

#include "link/Ostrabus.h"

#include <memory>
#include <string>
#include <vector>

class IUnitProbe;

// Connection modes kept by the controller.
namespace connmode {
constexpr int Local = 0;   // local COM port
constexpr int Network = 1; // network site with a unit directly behind it
constexpr int Gateway = 2; // network site that is a gateway
} // namespace connmode

// A snapshot of the link as the connection windows show it.
struct LinkState {
    bool socketOpen = false;    // a network socket is open (gateway or networked unit)
    bool gateway = false;       // the socket leads to a gateway
    bool directNetwork = false; // the socket leads to a unit directly
    bool hasPort = false;       // a unit port is open (local or through the gateway)
    bool connected = false;     // a unit is reachable (direct network or an open port)
    std::string site;
    std::string ipAddress;
    std::string hostName;
    std::string portName;       // open port
    std::string portList;       // comma text: local ports, or the gateway's
    int baud = 0;
    int unitAddress = 0;
};

// The snapshot of a real link.
inline LinkState LinkStateOf(const COstraBus& link)
{
    LinkState s;
    s.socketOpen = link.HasSocket();
    s.gateway = link.IsGateway();
    s.directNetwork = link.IsDirectNetwork();
    s.hasPort = link.HasPort();
    s.connected = link.IsConnected();
    s.site = link.Site();
    s.ipAddress = link.IPAddress();
    s.hostName = link.HostName();
    s.portName = link.PortName();
    s.portList = link.PortList();
    s.baud = link.Baud();
    s.unitAddress = link.UnitAddress();
    return s;
}

// The connection settings of the settings dialog that the connection windows use.
struct ConnectionSettings {
    std::string baudText = "9600";       // current baud rate as text
    std::vector<std::string> baudRates;  // the settings dialog's list of baud rates
    int readTimeoutMs = 500;
    int unitAddress = 2;
    int tcpPort = COstraBus::DefaultNetworkPort;
    int unitNumber = 1;                  // Modbus unit id
};

class IConnectionController {
public:
    virtual ~IConnectionController() = default;

    // --- state --------------------------------------------------------------------------
    virtual int ConnMode() const = 0;
    virtual bool Locked() const = 0;
    virtual bool Demo() const = 0;
    virtual LinkState Link() const = 0;
    virtual ConnectionSettings Settings() const = 0;
    // The recently used gateway ports, newest first.
    virtual std::vector<std::string> RecentPorts() const = 0;
    virtual void SetBaudText(const std::string& baud) = 0;

    // --- actions ------------------------------------------------------------------------
    virtual void ConnectPort(const std::string& name, bool fromConnectBar) = 0;
    virtual bool ConnectSite(const std::string& site, bool fromConnectBar) = 0;
    virtual bool DisconnectConfirm() = 0;
    virtual void SetConnectionMode(int mode) = 0;
    virtual void ShowConnectionDialog() = 0;
    // Selects the settings dialog's connection page, then shows the settings.
    virtual void ShowConnectionSettings() = 0;

    // --- the unit -----------------------------------------------------------------------
    // The main device (its link is the program's link).
    virtual IUnitProbe& MainUnit() = 0;
    // A temporary device with a link of its own, for probing ports.
    virtual std::unique_ptr<IUnitProbe> NewUnit() = 0;
    // Gateway sub-command 7 on the main device: 0 and the text, or the failing result.
    virtual int ReadGatewayInformation(std::string& text) = 0;
    // After a site lookup: the link's IP address.
    virtual void SetIPAddress(const std::string& ip) = 0;
};

// What the status frame needs besides the link.
class IStatusContext {
public:
    virtual ~IStatusContext() = default;
    virtual int ConnMode() const = 0;
    virtual bool Demo() const = 0;
    virtual LinkState Link() const = 0;
    virtual bool ReadTimerOn() const = 0;
    virtual bool AutoFindingVisible() const = 0;
    virtual std::string LastLinkError() const = 0;
    virtual std::string CsrText(int code) const = 0;
    virtual void ShowConnectionDialog() = 0;
    virtual void ShowLoggingWindow() = 0;
};

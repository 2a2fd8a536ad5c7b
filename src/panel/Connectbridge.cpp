#include "panel/Connectbridge.h"

#include "common/Commatext.h"
#include "device/Device.h"
#include "panel/Orrery.h"

CConnectionBridge::CConnectionBridge(COrrery& controller, CDevice& device)
    : controller_(controller), device_(device), mainUnit_(device)
{
}

int CConnectionBridge::ConnMode() const { return controller_.ConnMode(); }
bool CConnectionBridge::Demo() const { return controller_.IsDemo(); }
LinkState CConnectionBridge::Link() const { return LinkStateOf(device_); }
void CConnectionBridge::ShowConnectionDialog() { controller_.ShowConnectionDialog(); }
bool CConnectionBridge::Locked() const { return controller_.IsLocked(); }

ConnectionSettings CConnectionBridge::Settings() const
{
    const CSettings& s = controller_.Settings();
    ConnectionSettings c;
    c.baudText = s.BaudRate;
    c.baudRates = CommaTextToList(s.CurrentBaudList());
    c.readTimeoutMs = s.Timeout;
    c.unitAddress = s.Addr;
    c.tcpPort = s.TCPPort;
    c.unitNumber = s.UnitNumber;
    return c;
}

std::vector<std::string> CConnectionBridge::RecentPorts() const
{
    return CommaTextToList(controller_.ComPortList());
}

void CConnectionBridge::SetBaudText(const std::string& baud) { controller_.Settings().BaudRate = baud; }

void CConnectionBridge::ConnectPort(const std::string& name, bool fromConnectBar)
{
    controller_.ConnectPort(name, fromConnectBar);
}

bool CConnectionBridge::ConnectSite(const std::string& site, bool fromConnectBar)
{
    return controller_.ConnectSite(site, fromConnectBar);
}

bool CConnectionBridge::DisconnectConfirm() { return controller_.DisconnectConfirm(); }
void CConnectionBridge::SetConnectionMode(int mode) { controller_.SetConnectionMode(mode); }

void CConnectionBridge::ShowConnectionSettings()
{
    if (hooks_.ShowConnectionSettings)
        hooks_.ShowConnectionSettings();
    else
        controller_.ShowSettings();
}

std::unique_ptr<IUnitProbe> CConnectionBridge::NewUnit() { return std::make_unique<CDeviceProbe>(); }

int CConnectionBridge::ReadGatewayInformation(std::string& text)
{
    const bool hadSocket = device_.HasSocket();
    const int r = device_.ReadGatewayInformation(text);
    // A read that found the gateway gone dropped the link: the bar, the status frame and the
    // dialog learn it as they learn of any other lost link.
    if (r < 0 && hadSocket && !device_.HasSocket())
        controller_.LinkLost();
    return r;
}

void CConnectionBridge::SetIPAddress(const std::string& ip) { device_.SetIPAddress(ip); }

bool CConnectionBridge::ReadTimerOn() const { return hooks_.ReadTimerOn && hooks_.ReadTimerOn(); }

bool CConnectionBridge::AutoFindingVisible() const
{
    return hooks_.AutoFindingVisible && hooks_.AutoFindingVisible();
}

std::string CConnectionBridge::LastLinkError() const { return device_.LastError(); }
std::string CConnectionBridge::CsrText(int code) const { return CDevice::CsrText(code); }

void CConnectionBridge::ShowLoggingWindow()
{
    if (hooks_.ShowLoggingWindow)
        hooks_.ShowLoggingWindow();
}

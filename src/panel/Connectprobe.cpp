#include "panel/Connectprobe.h"

#include "device/Device.h"

CDeviceProbe::CDeviceProbe(CDevice& device) : device_(device) {}

CDeviceProbe::CDeviceProbe() : owned_(std::make_unique<CDevice>()), device_(*owned_) {}

CDeviceProbe::~CDeviceProbe()
{
    if (owned_) {
        owned_->ClosePort();
        owned_->DisconnectNetwork();
    }
}

bool CDeviceProbe::OpenPort(const std::string& name, int baud, int readTimeoutMs, int unitAddress)
{
    return device_.OpenPort(name, baud, readTimeoutMs, unitAddress) == 0;
}

void CDeviceProbe::ClosePort() { device_.ClosePort(); }

int CDeviceProbe::Identify() { return device_.Identify(); }

std::string CDeviceProbe::ModelText() const { return device_.ModelText(); }

std::string CDeviceProbe::DisplayName() const { return device_.CopyDisplayName(); }

std::string CDeviceProbe::LastError() const { return device_.LastError(); }

bool CDeviceProbe::ConnectNetwork(const std::string& ip, int port, int unitId)
{
    device_.SetIPAddress(ip);
    return device_.ConnectNetwork(port, unitId, false) == 0 && device_.HasSocket();
}

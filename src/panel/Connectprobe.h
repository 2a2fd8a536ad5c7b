#pragma once
// The device object as the port search and the port-list refresh see it: either the main
// device (borrowed) or a temporary one with a link of its own (owned, its link closed when the
// probe is freed).

#include "link/Autofind.h"

#include <memory>

class CDevice;

class CDeviceProbe : public IUnitProbe {
public:
    explicit CDeviceProbe(CDevice& device); // borrows
    CDeviceProbe();                         // a temporary device of its own
    ~CDeviceProbe() override;

    bool OpenPort(const std::string& name, int baud, int readTimeoutMs, int unitAddress) override;
    void ClosePort() override;
    int Identify() override;
    std::string ModelText() const override;
    std::string DisplayName() const override;
    std::string LastError() const override;
    bool ConnectNetwork(const std::string& ip, int port, int unitId) override;

    CDevice& Device() { return device_; }

private:
    std::unique_ptr<CDevice> owned_;
    CDevice& device_;
};

#pragma once
// What the connect bar, the connection dialog, the finding windows and the status frame see of
// the controller: COrrery and its device, with the few window facts they need supplied by the
// main window.

#include "link/Connectcontroller.h"
#include "panel/Connectprobe.h"

#include <functional>

class COrrery;

class CConnectionBridge : public IConnectionController, public IStatusContext {
public:
    // Window facts and actions the main window supplies; empty ones answer false or do nothing.
    struct WindowHooks {
        std::function<bool()> ReadTimerOn;
        std::function<bool()> AutoFindingVisible;
        std::function<void()> ShowConnectionSettings;
        std::function<void()> ShowLoggingWindow;
    };

    CConnectionBridge(COrrery& controller, CDevice& device);
    void SetWindowHooks(WindowHooks hooks) { hooks_ = std::move(hooks); }

    // Shared by both interfaces.
    int ConnMode() const override;
    bool Demo() const override;
    LinkState Link() const override;
    void ShowConnectionDialog() override;

    // IConnectionController
    bool Locked() const override;
    ConnectionSettings Settings() const override;
    std::vector<std::string> RecentPorts() const override;
    void SetBaudText(const std::string& baud) override;
    void ConnectPort(const std::string& name, bool fromConnectBar) override;
    bool ConnectSite(const std::string& site, bool fromConnectBar) override;
    bool DisconnectConfirm() override;
    void SetConnectionMode(int mode) override;
    void ShowConnectionSettings() override;
    IUnitProbe& MainUnit() override { return mainUnit_; }
    std::unique_ptr<IUnitProbe> NewUnit() override;
    int ReadGatewayInformation(std::string& text) override;
    void SetIPAddress(const std::string& ip) override;

    // IStatusContext
    bool ReadTimerOn() const override;
    bool AutoFindingVisible() const override;
    std::string LastLinkError() const override;
    std::string CsrText(int code) const override;
    void ShowLoggingWindow() override;

private:
    COrrery& controller_;
    CDevice& device_;
    CDeviceProbe mainUnit_;
    WindowHooks hooks_;
};

#pragma once
// The application controller: start-up, connecting and disconnecting, the transaction step of
// every unit command, the read step of the read timer, demo mode, the lock, settings files and
// the settings store, the connection lists and help. It runs on the GUI thread and reaches the
// windows only through IOrreryView.

#include "device/Devicehooks.h"
#include "device/Unitstate.h"
#include "panel/Orreryview.h"
#include "panel/Recentlist.h"
#include "panel/Settings.h"

#include <string>
#include <vector>

class CDevice;
class CRegistry;
class IOrreryView;
namespace platform {
class IniFile;
}

class COrrery : public ITransactStep, public IDemoFlag {
public:
    // Connection modes.
    static constexpr int ModeLocal = 0;
    static constexpr int ModeNetwork = 1;
    static constexpr int ModeGateway = 2;

    static constexpr const char* LocalGateway = "Local gateway";
    static constexpr const char* HelpFile = "help/index.htm";

    explicit COrrery(IOrreryView& view);
    ~COrrery() override;
    COrrery(const COrrery&) = delete;
    COrrery& operator=(const COrrery&) = delete;

    // The device is created after the controller; it lives as long as the controller uses it.
    // Installs the controller's transaction step and demo flag on it.
    void AttachDevice(CDevice* device);
    CDevice* Device() const { return device_; }

    // --- state --------------------------------------------------------------------------
    bool IsDemo() const override { return demo_; }
    bool IsLocked() const { return locked_; }
    int ReadErrorCount() const { return readErrorCount_; }
    int ConnMode() const { return connMode_; }
    const std::string& ProductId() const { return productId_; }
    std::string ComPortList() const { return comPorts_.CommaText(); }
    std::string ModbusList() const { return sites_.CommaText(); }
    const std::string& SettingsFileName() const { return settingsFileName_; }
    const std::string& OutputOnText() const { return outputOnText_; }
    void SetOutputOnText(const std::string& text) { outputOnText_ = text; }
    CSettings& Settings() { return settings_; }
    const CSettings& Settings() const { return settings_; }
    bool StartupDone() const { return !startupPending_; }
    // The build's version text; replaceable so that an unreleased build can be exercised.
    const std::string& VersionText() const { return versionText_; }
    void SetVersionText(const std::string& text) { versionText_ = text; }
    bool IsUnreleased() const;

    // --- start-up and life --------------------------------------------------------------
    bool Startup();
    void OnStartupTimer() {}
    bool CloseQuery();

    // --- connection ---------------------------------------------------------------------
    void ConnectPort(const std::string& portName, bool fromConnectBar);
    bool ConnectSite(const std::string& siteName, bool fromConnectBar);
    bool CheckUnit();
    bool DisconnectConfirm();
    void Disconnect();
    // The link dropped itself (a gateway or networked unit gone): disconnected as by the user,
    // but the readings show that the unit's state is unknown, not that RF is off.
    void LinkLost();
    void StopActivity();
    bool ConfirmOutputOn(const std::string& verb);
    void SetConnectionMode(int mode);
    bool IsConnected() const;
    // The unit as messages about it name it: "Unit on " the port with its speed and address
    // (and the gateway's site), or the networked unit's number and site; empty without a link.
    std::string UnitLinkText() const;
    // A message about the unit: that line first, then the text.
    std::string AboutUnit(const std::string& text) const;

    // --- commands and polling -----------------------------------------------------------
    // The transaction step of every command the device builds.
    int Transact(int command, bool positiveAsZero);
    int Transact(CDevice& device, int command, bool positiveAsZero) override;
    void OnReadTimer();
    void SetReadTimer(bool on);
    void ToggleReadTimer();
    // Shows the data-logging window when hidden, hides it when shown.
    void ToggleLogging();
    void ToggleDemo();

    // --- menus and captions -------------------------------------------------------------
    void UpdateUi();
    COrreryUiState UiState() const;
    void UpdateCaptions();
    std::string MainCaption() const;
    void ShowConnectionDialog();
    void ShowSettings();
    void ShowAbout();
    // After the settings dialog's OK: the read-timer interval and the captions.
    void ApplySettings();

    // --- settings store and files -------------------------------------------------------
    // Load (true) or save (false), with a settings file or the registry substitute. False only
    // when a file lacks the program section.
    bool ExchangeSettings(bool load, platform::IniFile* file);
    void LoadSettings();
    bool LoadSettingsFile(const std::string& fileName);
    void SaveSettings();
    void SaveSettingsAs();
    bool WriteSettingsFile(const std::string& fileName);
    // The last argument whose extension is exactly ".orrery"; a name without a folder is
    // taken from the program's folder. Empty when there is none.
    static std::string SettingsFileFromArguments(const std::vector<std::string>& args,
                                                 const std::string& programDirectory);

    // --- connection lists ---------------------------------------------------------------
    void FillSiteList();
    void FillPortList();
    void PushSite(const std::string& name);
    void PushPort(const std::string& name);

    // --- lock and help ------------------------------------------------------------------
    void LockUnlock();
    bool AskPassword(const std::string& caption, const std::string& prompt,
                     const std::string& expected);
    bool AskNewPassword(const std::string& caption, const std::string& prompt,
                        std::string& password);
    void ShowHelp(const std::string& path);

private:
    IOrreryView& view_;
    CDevice* device_ = nullptr;
    CSettings settings_;

    std::string password_; // memory only
    int readErrorCount_ = 0;
    bool demo_ = true;
    bool locked_ = false;
    std::string productId_;
    std::string versionText_;
    bool winsockStarted_ = true; // sockets need no start-up here
    CRecentList comPorts_;
    CRecentList sites_;
    std::string settingsFileName_;
    std::string outputOnText_ = "DC output is On";
    int connMode_ = ModeLocal;

    bool startupPending_ = true;
    bool readStepActive_ = false;
    bool settingsLoaded_ = false; // the store is saved at close only after it was loaded
    bool storeFailureTold_ = false; // the settings store's failure is told once a run
    // The readings were lost: what answers next may not be the unit that was checked at
    // connection.
    bool unitInDoubt_ = false;
    // The identity of the unit as it was polled before its readings were lost.
    CUnitIdentity identityBeforeLoss_;

    // The read step's result when the unit that answered is no longer polled.
    static constexpr int UnitNotPolled = 1;
    // The unit's model is not one the program knows: the user decides whether the link stays
    // open (without polling; true) or is closed.
    bool KeepUnknownUnit();
    // The unit checked again after its readings were lost: what names it (ReadIdentity); only a
    // unit that answers otherwise than before is read as at connection (its set-up, the
    // windows laid out for it). 0, a failing read's result, or UnitNotPolled.
    int CheckUnitAgain();
    // The warning after a changed unit's set-up replaced edits not sent on the named pages.
    static std::string UnitChangedText(const std::string& pages);
    // No reading stands for the unit's any more.
    void ReadingsLost();
    void TellStoreFailure(const std::string& what, const std::string& error);
};

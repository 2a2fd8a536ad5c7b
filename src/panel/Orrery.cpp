#include "panel/Orrery.h"

#include "common/Commatext.h"
#include "common/Helpers.h"
#include "common/Registry.h"
#include "device/Device.h"
#include "link/Connectrules.h"
#include "panel/Orreryview.h"
#include "panel/Statusstate.h"
#include "panel/Version.h"
#include "platform/Inifile.h"

#include <filesystem>
#include <limits>
#include <system_error>

namespace {

constexpr const char* CaptionConnect = "Connect";
constexpr const char* CaptionLoadSettings = "Load settings";
constexpr const char* CaptionSaveSettings = "Save settings";

bool FileExists(const std::string& path)
{
    std::error_code ec;
    return !path.empty() && std::filesystem::is_regular_file(path, ec);
}

// Anything at all at the path: a pipe, folder or device is there, and the reader says what it is.
bool PathExists(const std::string& path)
{
    std::error_code ec;
    return !path.empty() && std::filesystem::exists(path, ec);
}

// Clears a flag when the scope ends, however it ends.
class FlagGuard {
public:
    explicit FlagGuard(bool& flag) : flag_(flag) { flag_ = true; }
    ~FlagGuard() { flag_ = false; }
    FlagGuard(const FlagGuard&) = delete;
    FlagGuard& operator=(const FlagGuard&) = delete;

private:
    bool& flag_;
};

} // namespace

COrrery::COrrery(IOrreryView& view)
    : view_(view), productId_(orrery::ProductIdText()), versionText_(orrery::VersionText)
{
}

bool COrrery::IsUnreleased() const { return orrery::IsUnreleased(versionText_.c_str()); }

COrrery::~COrrery()
{
    if (device_) {
        device_->SetTransactStep(nullptr);
        device_->SetDemoFlag(nullptr);
    }
}

void COrrery::AttachDevice(CDevice* device)
{
    device_ = device;
    if (device_) {
        device_->SetTransactStep(this);
        device_->SetDemoFlag(this);
    }
}

bool COrrery::IsConnected() const { return device_ && device_->IsConnected(); }

std::string COrrery::UnitLinkText() const
{
    if (!IsConnected())
        return std::string();
    // The unit, not the connection: the message may come right after the unit went silent.
    if (device_->IsDirectNetwork())
        return "Unit " + std::to_string(device_->ModbusUnitId()) + " on " + device_->Site();
    std::string text = "Unit on " + device_->PortName();
    if (device_->IsGateway())
        text += " of " + device_->Site();
    return text + ", " + std::to_string(device_->Baud()) + ", Addr " + std::to_string(device_->UnitAddress());
}

std::string COrrery::AboutUnit(const std::string& text) const
{
    const std::string unit = UnitLinkText();
    return unit.empty() ? text : unit + "\n" + text;
}

// --- start-up and close ---------------------------------------------------------------------

bool COrrery::Startup()
{
    if (!startupPending_)
        return false;
    startupPending_ = false;

    view_.ShowSplash();
    if (IsUnreleased()) {
        Beep();
        if (!view_.ShowDisclaimer(orrery::ProgramTitle))
            return false;
    }

    ExchangeSettings(true, nullptr);
    settingsLoaded_ = true;

    // Only a file that loaded becomes the settings file in use, so a later Save can never
    // overwrite a file that was refused.
    settingsFileName_.clear();
    std::string fileName = SettingsFileFromArguments(view_.Arguments(), view_.ProgramDirectory());
    if (!fileName.empty())
        LoadSettingsFile(fileName);

    UpdateCaptions();
    FillPortList();
    view_.ReadAllPages(); // still in demo mode: the unit pages show the demo unit
    demo_ = false;
    UpdateUi();
    view_.StartStatusTimer();
    return true;
}

bool COrrery::CloseQuery()
{
    if (locked_ && !AskYesNo("Close Orrery", "Orrery is locked. Close Orrery anyway?")) {
        UpdateUi();
        return false;
    }
    if (IsConnected() && !ConfirmOutputOn("Disconnect and close"))
        return false;
    Disconnect();
    // Settings that were never loaded (start-up ended early) are not written over the store.
    if (settingsLoaded_)
        ExchangeSettings(false, nullptr);
    return true;
}

// --- connection -----------------------------------------------------------------------------

void COrrery::ConnectPort(const std::string& portName, bool fromConnectBar)
{
    const std::string name = TrimText(portName);
    if (name.empty() || !device_)
        return;
    if (device_->IsConnected()) {
        if (!ConfirmOutputOn("Reconnect"))
            return;
        Disconnect();
    }
    demo_ = false;
    bool firstTryFailed = false;

    // In a network mode a port is one of a gateway's: without the gateway link it is not
    // opened at all, least of all as a local device of the same name.
    if (connMode_ != ModeLocal && !device_->IsGateway()) {
        UpdateUi();
        ShowWarning(CaptionConnect, "Can't connect to " + name + "\n" + linkerr::NotConnectedText);
        return;
    }

    if (!settings_.AutoFinding && device_->IsGateway() && name.find(':') != std::string::npos)
        PushPort(name);

    const int opened =
        device_->OpenPort(name, settings_.BaudRateValue(), settings_.Timeout, settings_.Addr);

    if (!settings_.AutoFinding) {
        if (opened == 0) {
            CheckUnit();
        } else {
            UpdateUi();
            ShowWarning(CaptionConnect, "Can't connect to " + name + "\n" + device_->LastError());
        }
        return;
    }

    if (opened == 0) {
        const int r = device_->Identify();
        if (r == 0) {
            CheckUnit();
            return;
        }
        device_->ClosePort();
        if (r > 0)
            firstTryFailed = true;
    } else {
        firstTryFailed = true;
    }

    const int found = view_.ShowAutoFinding(fromConnectBar, firstTryFailed);
    if (found == findresult::Found) {
        CheckUnit();
    } else if (found == findresult::Stopped) {
        UpdateUi();
    } else {
        UpdateUi();
        ShowWarning(CaptionConnect, "Can't find unit");
    }
}

bool COrrery::ConnectSite(const std::string& siteName, bool fromConnectBar)
{
    if (!device_)
        return false;
    const std::string name = TrimText(siteName);
    if (device_->IsConnected()) {
        if (!ConfirmOutputOn(name.empty() ? "Disconnect" : "Reconnect"))
            return false;
        Disconnect();
    }
    demo_ = false;
    if (!name.empty() && name != LocalGateway)
        PushSite(name);

    int r = device_->SetSite(name);
    if (r == 1) {
        view_.SetBusyCursor(true);
        view_.SetRemoteText("Finding site...");
        const int found = view_.ShowSiteFinding(fromConnectBar);
        view_.SetBusyCursor(false);
        if (found == findresult::Found) {
            r = 0;
        } else if (found == findresult::Stopped) {
            r = 1;
        } else {
            ShowWarning(CaptionConnect, "Can't find site:\n" + device_->Site());
            r = -1;
        }
    }
    if (r == 0) {
        view_.SetRemoteButtonEnabled(false);
        view_.SetRemoteText("Connecting...");
        const std::string address = device_->IPAddress(); // a failed connect drops it
        r = device_->ConnectNetwork(settings_.TCPPort, settings_.UnitNumber,
                                    settings_.Transport == 1);
        if (r != 0)
            ShowWarning(CaptionConnect, "Can't connect to " + address + ":"
                                            + std::to_string(settings_.TCPPort) + "\n"
                                            + device_->LastError());
        view_.SetRemoteButtonEnabled(true);
    }
    if (r != 0)
        device_->SetSite("");
    FillPortList();
    UpdateUi();

    if (r == 0) {
        if (device_->IsGateway()) {
            if (connMode_ != ModeGateway) {
                connMode_ = ModeGateway;
                UpdateUi();
                FillSiteList();
            }
        } else if (device_->IsDirectNetwork()) {
            if (connMode_ != ModeNetwork) {
                connMode_ = ModeNetwork;
                UpdateUi();
                FillSiteList();
            }
            if (!CheckUnit()) {
                device_->SetSite("");
                UpdateUi();
                return false;
            }
        }
    }
    return true;
}

bool COrrery::CheckUnit()
{
    if (!device_)
        return false;
    // The status frame shows the open link first, so that the identification's busy and error
    // marks show there like those of every command.
    UpdateUi();
    const std::string noResponse = AboutUnit("No response from unit.\nMaintain Com port connection ?");
    const int r = device_->Identify();
    bool result = false;
    bool poll = false;
    if (r < 0) {
        if (!device_->IsConnected()) {
            // The link was lost on the way: the transaction step has disconnected and shows
            // why; there is nothing to keep.
        } else if (AskYesNo(CaptionConnect, noResponse)) {
            result = true;
        } else {
            Disconnect();
        }
    } else if (r > 0) {
        result = KeepUnknownUnit();
    } else {
        view_.ClearStatus(); // a message left by an earlier failed attempt is stale now
        poll = view_.ReadUnitSetup() >= 0;
        result = poll;
    }
    unitInDoubt_ = false;
    UpdateUi();
    if (poll) {
        readErrorCount_ = 0; // the failed reads of an earlier link are not this one's
        SetReadTimer(true);
        view_.StartLoggingAtConnect();
    }
    return result;
}

bool COrrery::KeepUnknownUnit()
{
    const std::string model = device_->ModelText();
    if (AskYesNo(CaptionConnect, "Unit type '" + model + "' is not supported by Orrery\nConnect anyway ?")) {
        view_.SetConnectionText(model);
        return true;
    }
    Disconnect();
    return false;
}

int COrrery::CheckUnitAgain()
{
    // What names the unit and its configuration is read first; a unit that answers with the
    // same is the one whose pages the user may have edited meanwhile: nothing else is read and
    // the pages keep what they show.
    const int model = device_->Identify();
    if (model < 0)
        return model;
    if (model > 0) {
        // A model the program does not know. The same as the one the user kept at connection
        // is polled on; another is asked about as at connection: the link stays open only when
        // the user says so, and then the unit is polled as the running read timer asks.
        if (device_->ModelText() != identityBeforeLoss_.model && !KeepUnknownUnit()) {
            UpdateUi();
            return UnitNotPolled;
        }
        unitInDoubt_ = false;
        UpdateUi();
        return 0;
    }
    const int names = device_->ReadUnitNames();
    if (names < 0)
        return names;
    if (names == 0 && device_->Identity() == identityBeforeLoss_) {
        unitInDoubt_ = false;
        return 0;
    }
    // Another unit, or the same one configured anew (or one that would not say): read as at
    // connection, which replaces what the pages show; edits not sent are named so that they
    // are not lost unseen.
    const std::string unsent = view_.UnsentPages();
    const int setup = view_.ReadUnitSetup();
    if (setup < 0)
        return setup;
    unitInDoubt_ = false;
    UpdateUi(); // the panels, pages and controls of the unit as it is now
    if (!unsent.empty())
        ShowWarning(orrery::ProgramTitle, AboutUnit(UnitChangedText(unsent)));
    return 0;
}

std::string COrrery::UnitChangedText(const std::string& pages)
{
    const bool several = pages.find(',') != std::string::npos;
    return "The unit answers again as another unit or with another configuration.\n"
           "Its set-up was read again: the changes not sent on the " + pages +
           (several ? " pages were" : " page was") + " replaced with the unit's values.";
}

void COrrery::StopActivity()
{
    SetReadTimer(false);
    view_.StopLogging();
}

void COrrery::Disconnect()
{
    StopActivity();
    unitInDoubt_ = false; // a unit connected later is checked at its connection
    if (device_)
        device_->ClosePort();
    view_.SetConnectionText("");
    view_.ClearStatus();
    view_.ShowDisconnected();
    UpdateUi();
}

void COrrery::LinkLost()
{
    Disconnect();
    view_.ShowReadingsLost();
}

bool COrrery::DisconnectConfirm()
{
    if (IsConnected() && !ConfirmOutputOn("Disconnect"))
        return false;
    Disconnect();
    return true;
}

bool COrrery::ConfirmOutputOn(const std::string& verb)
{
    if (!device_ || device_->ReadRfOn() <= 0)
        return true;
    if (!AskYesNo(verb, outputOnText_ + " !\n" + verb + " Orrery anyway ?")) {
        UpdateUi();
        return false;
    }
    return true;
}

void COrrery::SetConnectionMode(int mode)
{
    if (mode == connMode_)
        return;
    if (device_ && device_->HasSocket()) {
        if (!ConnectSite("", true))
            return;
    } else if (!DisconnectConfirm()) {
        return;
    }
    connMode_ = mode;
    UpdateUi();
    FillSiteList();
}

// --- commands and polling -------------------------------------------------------------------

int COrrery::Transact(int command, bool positiveAsZero)
{
    if (!device_) {
        if (!demo_)
            return linkerr::NotConnected;
        view_.ShowCommandResult(0, command);
        return 0;
    }
    return Transact(*device_, command, positiveAsZero);
}

int COrrery::Transact(CDevice& device, int command, bool positiveAsZero)
{
    int r = 0;
    if (!demo_) {
        view_.SetCommState(1);
        r = device.LinkTransact(command, false);
        if (r == linkerr::ConnectionLost)
            LinkLost();
    }
    if (r < 0)
        view_.SetCommState(2);
    if (positiveAsZero && r >= 1)
        r = 0;
    view_.ShowCommandResult(r, command);
    return r;
}

void COrrery::OnReadTimer()
{
    if (readStepActive_)
        return;
    FlagGuard guard(readStepActive_);

    // Readings that come back after they were lost may come from a unit that changed meanwhile
    // (restarted with another configuration, or another unit on the port): it is checked as at
    // connection, identity and configuration, before its state shows.
    int r = 0;
    if (unitInDoubt_ && IsConnected()) {
        r = CheckUnitAgain();
        if (r == UnitNotPolled) {
            readErrorCount_ = 0;
            return;
        }
    }
    if (r >= 0)
        r = view_.UpdateReadings();
    // A link that dropped itself (a gateway or networked unit gone) changes the connection
    // state: the connect bar, the status frame and an open connection dialog show it now.
    if (r == linkerr::ConnectionLost)
        UpdateUi();
    // Polling that ends leaves no readings that could pass for the unit's.
    // The unit may well still be on: its state shows as unknown until a read succeeds again.
    if (r == linkerr::NotConnected) {
        SetReadTimer(false);
        readErrorCount_ = 0;
        ReadingsLost();
    } else if (r < 0) {
        if (readErrorCount_ < std::numeric_limits<int>::max())
            ++readErrorCount_;
        // Reads that keep failing leave no reading standing for the unit's, whether or not
        // they stop polling; polling that goes on brings the state back at its first good read.
        if (readErrorCount_ >= settings_.ReadsLostAfter())
            ReadingsLost();
        if (settings_.UseMaxReadErrors && settings_.MaxReadErrors > 0 &&
            readErrorCount_ >= settings_.MaxReadErrors) {
            SetReadTimer(false);
            ShowWarning(orrery::ProgramTitle,
                        AboutUnit("Read timer is stopped after\n" + std::to_string(readErrorCount_) +
                                  " communication errors"));
            readErrorCount_ = 0;
        }
    } else {
        readErrorCount_ = 0;
    }
}

void COrrery::ReadingsLost()
{
    // What names the unit that was polled, kept to tell the unit that answers next by.
    if (!unitInDoubt_ && device_)
        identityBeforeLoss_ = device_->Identity();
    unitInDoubt_ = true;
    view_.ShowReadingsLost();
}

void COrrery::SetReadTimer(bool on) { view_.SetReadTimer(on); }

void COrrery::ToggleLogging() { view_.ShowLoggingWindow(!view_.LoggingWindowVisible()); }

void COrrery::ToggleReadTimer()
{
    SetReadTimer(!view_.ReadTimerEnabled());
    view_.ClearStatus();
}

void COrrery::ToggleDemo()
{
    if (!UiState().DemoEnabled)
        return;
    demo_ = !demo_;
    view_.ClearStatus();
    UpdateUi();
}

// --- menus and captions ---------------------------------------------------------------------

COrreryUiState COrrery::UiState() const
{
    COrreryUiState s;
    s.TechEnabled = true;
    s.BootPEnabled = winsockStarted_;
    s.SettingsFileItemsEnabled = !locked_;
    s.DemoChecked = demo_;
    s.DemoEnabled = !locked_ && !(device_ && (device_->HasSocket() || device_->IsConnected()));
    s.ReadTimerEnabled = !locked_;
    s.LoggingEnabled = true;
    s.LockDown = locked_;
    s.LockHint = locked_ ? "Unlock Orrery" : "Lock Orrery";
    s.LockCaption = locked_ ? "&Unlock Orrery" : "&Lock Orrery...";
    return s;
}

void COrrery::UpdateUi()
{
    UpdateCaptions();
    view_.ApplyUiState(UiState());
    view_.UpdateConnection(connMode_);
    view_.UpdateControls();
}

std::string COrrery::MainCaption() const
{
    std::string caption = settings_.Caption.empty()
                              ? std::string(orrery::ProgramTitle)
                              : settings_.Caption + " - " + orrery::ProgramTitle;
    if (IsUnreleased())
        caption += orrery::UnreleasedSuffix;
    return caption;
}

void COrrery::UpdateCaptions()
{
    const std::string logging =
        settings_.Caption.empty() ? std::string("Logging") : settings_.Caption + " - Logging";
    view_.SetCaptions(MainCaption(), logging);
    view_.ApplyHeader(settings_.Caption);
}

void COrrery::ShowConnectionDialog()
{
    view_.ShowConnectionDialog();
    view_.ResetComboCarets();
}

void COrrery::ShowSettings() { view_.ShowSettingsDialog(); }

void COrrery::ShowAbout() { view_.ShowAbout(); }

void COrrery::ApplySettings()
{
    view_.SetReadTimerInterval(settings_.ReadTimerInterval);
    UpdateCaptions();
}

// --- settings store and files ---------------------------------------------------------------

bool COrrery::ExchangeSettings(bool load, platform::IniFile* file)
{
    CRegistry store(orrery::RegistryKeyPath, load, file);
    if (!file && load && !store.LastError().empty())
        TellStoreFailure("Can't read the settings", store.LastError());
    store.SetSection(orrery::ProgramTitle);
    if (file) {
        if (!load)
            store.ClearAllSections();
        else if (!store.SectionExists())
            return false;
    }

    const std::string port = store.ExchangeString("ComPort", view_.PortText());
    const std::string site = store.ExchangeString("Remote", view_.SiteText());
    const std::string sites = store.ExchangeStringList("ModbusList", sites_.CommaText());
    const std::string ports = store.ExchangeStringList("ComPortList", comPorts_.CommaText());
    const int mode = store.ExchangeInt("ConnMode", connMode_);
    if (load) {
        view_.SetPortText(port);
        view_.SetSiteText(site);
        sites_.SetCommaText(sites);
        comPorts_.SetCommaText(ports);
        if (mode >= ModeLocal && mode <= ModeGateway)
            connMode_ = mode;
    }
    FillSiteList();

    view_.ExchangeMainSettings(store);
    settings_.Exchange(store, file != nullptr);
    view_.ExchangeToolSettings(store);
    if (load)
        view_.SetReadTimerInterval(settings_.ReadTimerInterval);
    // An unreadable store is never written over: Flush refuses it, and the user was told.
    if (!file && !load && !store.Flush())
        TellStoreFailure("Can't save the settings", store.LastError());
    return true;
}

void COrrery::TellStoreFailure(const std::string& what, const std::string& error)
{
    if (storeFailureTold_)
        return;
    storeFailureTold_ = true;
    ShowWarning(orrery::ProgramTitle, what + "\n" + error);
}

void COrrery::LoadSettings()
{
    std::string name;
    if (view_.AskOpenSettingsFile(name)) {
        LoadSettingsFile(name);
        UpdateCaptions();
    }
}

bool COrrery::LoadSettingsFile(const std::string& fileName)
{
    if (!PathExists(fileName)) {
        ShowWarning(CaptionLoadSettings, "File  " + fileName + "  does not exist");
        return false;
    }
    platform::IniFile ini;
    if (!ini.Load(fileName)) {
        ShowWarning(CaptionLoadSettings, "Can't read " + fileName + "\n" + ini.LastError());
        return false;
    }
    if (!ExchangeSettings(true, &ini)) {
        ShowWarning(CaptionLoadSettings, std::string("Wrong settings file\nSection '") +
                                             orrery::ProgramTitle + "' does not exist");
        return false;
    }
    settingsFileName_ = fileName;
    return true;
}

void COrrery::SaveSettings()
{
    if (!settingsFileName_.empty())
        WriteSettingsFile(settingsFileName_);
    else
        SaveSettingsAs();
}

void COrrery::SaveSettingsAs()
{
    std::string name;
    if (view_.AskSaveSettingsFile(name))
        WriteSettingsFile(name);
}

bool COrrery::WriteSettingsFile(const std::string& name)
{
    // A copy: the name may be the settings file in use, which a failure forgets.
    const std::string fileName = name;
    platform::IniFile ini;
    bool written = ini.Load(fileName);
    if (written) {
        ExchangeSettings(false, &ini);
        written = ini.SaveAs(fileName);
    }
    if (!written) {
        settingsFileName_.clear();
        ShowWarning(CaptionSaveSettings, "Can't write " + fileName + "\n" + ini.LastError());
        return false;
    }
    settingsFileName_ = fileName;
    return true;
}

std::string COrrery::SettingsFileFromArguments(const std::vector<std::string>& args,
                                               const std::string& programDirectory)
{
    std::string result;
    for (const std::string& arg : args) {
        const size_t sep = arg.find_last_of("\\:/");
        const size_t dot = arg.find_last_of('.');
        if (dot == std::string::npos || (sep != std::string::npos && dot < sep))
            continue;
        if (arg.compare(dot, std::string::npos, orrery::SettingsFileExtension) != 0)
            continue;
        result = sep != std::string::npos ? arg : programDirectory + arg;
    }
    return result;
}

// --- connection lists -----------------------------------------------------------------------

void COrrery::FillSiteList()
{
    std::vector<std::string> items{LocalGateway};
    for (const std::string& s : sites_.Items())
        items.push_back(s);
    view_.SetSiteItems(items);
}

void COrrery::FillPortList()
{
    // The same list the connect bar's state update shows, so neither replaces the other's.
    std::vector<std::string> items;
    if (device_)
        items = CConnectRules::PortItems(LinkStateOf(*device_), comPorts_.Items());
    view_.SetPortItems(items);
}

void COrrery::PushSite(const std::string& name)
{
    sites_.Push(name);
    FillSiteList();
}

void COrrery::PushPort(const std::string& name)
{
    comPorts_.Push(name);
    FillPortList();
}

// --- lock and help --------------------------------------------------------------------------

void COrrery::LockUnlock()
{
    if (locked_) {
        if (password_.empty() ||
            AskPassword("Unlock Orrery", "Enter password and click OK", password_))
            locked_ = false;
    } else {
        std::string entered;
        if (AskNewPassword("Lock Orrery",
                           "Click OK to lock Orrery without password\nor enter a password and "
                           "click OK",
                           entered)) {
            password_ = entered;
            locked_ = true;
        }
    }
    UpdateUi();
}

bool COrrery::AskPassword(const std::string& caption, const std::string& prompt,
                          const std::string& expected)
{
    std::string text;
    if (!view_.ShowPasswordDialog(caption, prompt, text))
        return false;
    if (text == expected)
        return true;
    ShowWarning(orrery::ProgramTitle, "Wrong password");
    return false;
}

bool COrrery::AskNewPassword(const std::string& caption, const std::string& prompt,
                             std::string& password)
{
    std::string text;
    if (!view_.ShowPasswordDialog(caption, prompt, text))
        return false;
    password = text;
    return true;
}

void COrrery::ShowHelp(const std::string& path)
{
    const std::string dir = view_.ProgramDirectory();
    const std::string help = dir + path;
    const std::string readme = dir + "Readme.txt";
    if (FileExists(help))
        view_.OpenDocument(help);
    else if (FileExists(readme))
        view_.OpenDocument(readme);
    else
        ShowWarning("Help", "No help file\n" + help + "\n" + readme);
}

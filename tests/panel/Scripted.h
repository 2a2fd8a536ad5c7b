#pragma once
// Scripted message hooks and a scripted controller view for the controller's tests.

#include "common/Hooks.h"
#include "panel/Orreryview.h"

#include <deque>
#include <functional>
#include <string>
#include <vector>

struct ShownMessage {
    std::string kind; // "question", "warning", "message"
    std::string caption;
    std::string text;
};

// Records every message; questions take their answers from a queue (No when it is empty).
class ScriptedHooks : public IMessageHooks {
public:
    ScriptedHooks() { InstallMessageHooks(this); }
    ~ScriptedHooks() override { InstallMessageHooks(nullptr); }

    void Beep() override { ++beeps; }
    bool AskYesNo(const std::string& caption, const std::string& text) override
    {
        shown.push_back({"question", caption, text});
        if (answers.empty())
            return false;
        bool a = answers.front();
        answers.pop_front();
        return a;
    }
    int ShowWarning(const std::string& caption, const std::string& text) override
    {
        shown.push_back({"warning", caption, text});
        return 1;
    }
    int ShowMessageBox(const std::string& caption, const std::string& text) override
    {
        shown.push_back({"message", caption, text});
        return 1;
    }

    int beeps = 0;
    std::deque<bool> answers;
    std::vector<ShownMessage> shown;
};

class ScriptedView : public IOrreryView {
public:
    std::vector<std::string> Arguments() const override { return args; }
    std::string ProgramDirectory() const override { return programDir; }
    void ShowSplash() override { ++splashShown; }
    bool ShowDisclaimer(const std::string& caption) override
    {
        disclaimerCaption = caption;
        ++disclaimerShown;
        return acceptDisclaimer;
    }
    void ShowAbout() override {}
    void SetCaptions(const std::string& m, const std::string& l) override
    {
        mainCaption = m;
        loggingCaption = l;
    }
    void ApplyHeader(const std::string& h) override { header = h; }
    int ReadUnitSetup() override
    {
        ++unitSetupReads;
        return unitSetup ? unitSetup() : unitSetupResult;
    }
    int ReadAllPages() override
    {
        ++allPageReads;
        return 0;
    }
    std::string UnsentPages() override { return unsentPages; }
    int UpdateReadings() override
    {
        ++readingsUpdates;
        if (readings)
            return readings();
        if (!readingResults.empty()) {
            int r = readingResults.front();
            readingResults.pop_front();
            return r;
        }
        return 0;
    }
    void UpdateControls() override { ++controlUpdates; }
    void ShowDisconnected() override { ++disconnectedShown; }
    void ShowReadingsLost() override { ++readingsLostShown; }
    void ApplyUiState(const COrreryUiState& s) override { ui = s; }
    void ExchangeMainSettings(CRegistry& store) override
    {
        if (mainExchange)
            mainExchange(store);
    }
    void ExchangeToolSettings(CRegistry&) override {}
    bool ReadTimerEnabled() const override { return timerOn; }
    void SetReadTimer(bool on) override
    {
        timerOn = on;
        ++timerSets;
    }
    void SetReadTimerInterval(int ms) override { timerInterval = ms; }
    void StopLogging() override {}
    void StartLoggingAtConnect() override {}
    void SetCommState(int state) override { commStates.push_back(state); }
    void ShowCommandResult(int result, int command) override
    {
        commandResults.push_back({result, command});
    }
    void SetConnectionText(const std::string& t) override { connectionText = t; }
    void SetRemoteText(const std::string& t) override { remoteTexts.push_back(t); }
    void ClearStatus() override { ++statusClears; }
    void StartStatusTimer() override { statusTimerOn = true; }
    void UpdateConnection(int mode) override { connMode = mode; }
    std::string PortText() const override { return portText; }
    void SetPortText(const std::string& t) override { portText = t; }
    std::string SiteText() const override { return siteText; }
    void SetSiteText(const std::string& t) override { siteText = t; }
    void SetSiteItems(const std::vector<std::string>& items) override { siteItems = items; }
    void SetPortItems(const std::vector<std::string>& items) override { portItems = items; }
    void SetRemoteButtonEnabled(bool) override {}
    void ResetComboCarets() override {}
    int ShowAutoFinding(bool, bool skip) override
    {
        autoFindingSkip = skip;
        ++autoFindingShown;
        return autoFindingResult;
    }
    int ShowSiteFinding(bool) override { return siteFindingResult; }
    void ShowConnectionDialog() override {}
    void ShowSettingsDialog() override {}
    bool ShowPasswordDialog(const std::string& caption, const std::string&,
                            std::string& text) override
    {
        passwordCaptions.push_back(caption);
        if (passwords.empty())
            return false;
        text = passwords.front();
        passwords.pop_front();
        return true;
    }
    bool AskOpenSettingsFile(std::string& name) override
    {
        name = openName;
        return !openName.empty();
    }
    bool AskSaveSettingsFile(std::string& name) override
    {
        name = saveName;
        return !saveName.empty();
    }
    void OpenDocument(const std::string& path) override { opened.push_back(path); }
    void SetBusyCursor(bool) override {}

    std::vector<std::string> args;
    std::string programDir = "/opt/orrery/";
    int splashShown = 0;
    int disclaimerShown = 0;
    bool acceptDisclaimer = true;
    std::string disclaimerCaption;
    std::string mainCaption, loggingCaption, header;
    int unitSetupReads = 0;
    int allPageReads = 0;
    int unitSetupResult = 0;
    std::function<int()> unitSetup; // when set, what ReadUnitSetup does and returns
    std::string unsentPages; // what UnsentPages answers
    int readingsUpdates = 0;
    std::function<int()> readings;
    std::deque<int> readingResults;
    int controlUpdates = 0;
    int disconnectedShown = 0;
    int readingsLostShown = 0;
    COrreryUiState ui;
    std::function<void(CRegistry&)> mainExchange;
    bool timerOn = false;
    int timerSets = 0;
    int timerInterval = 0;
    std::vector<int> commStates;
    std::vector<std::pair<int, int>> commandResults;
    std::string connectionText;
    std::vector<std::string> remoteTexts;
    int statusClears = 0;
    bool statusTimerOn = false;
    int connMode = -1;
    std::string portText, siteText;
    std::vector<std::string> siteItems, portItems;
    int autoFindingShown = 0;
    bool autoFindingSkip = false;
    int autoFindingResult = findresult::Stopped;
    int siteFindingResult = findresult::Stopped;
    std::vector<std::string> passwordCaptions;
    std::deque<std::string> passwords;
    std::string openName, saveName;
    std::vector<std::string> opened;
};

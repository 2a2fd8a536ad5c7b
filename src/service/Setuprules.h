#pragma once
// The Setup page's rules without the window: its field texts to and from the page data, the
// checks before a send, and the send itself with its questions (address, baud, serial number,
// PIN with the restart wait).

#include "service/Unitpages.h"

#include <array>
#include <string>

class CDevice;

// What the Setup page's edits and lists hold.
struct CSetupTexts {
    std::string productId, versionText;
    std::string pin, serial;
    std::array<std::string, 3> total, offset, cMax, cMin;
    std::string inPoff;
    int inAver = 0, outAver = 0;
    std::array<std::string, CSetupData::Pots> pots;
};

// The baud lists of the protocol items.
extern const char* const BaudItemsRS232; // "19200,9600,4800,1200"
extern const char* const BaudItemsRS485; // "57600,38400,19200,9600"
const char* BaudItems(int protocolItem);

CSetupTexts SetupTexts(const CSetupData& data);
// The page's texts after a read: the fields of the steps the read got through take the new
// values, the rest keep what the page showed.
CSetupTexts ReadSetupTexts(const CSetupData& data, const CSetupTexts& shown);
// What a read that stopped part-way did not get, by the page's labels in the read's order
// ("C max/min, Input sensor, Pot 2-5"); "" when it got through. The third capacitor's and the
// output sensor's fields count only for a unit that has them.
std::string SetupNotRead(const CSetupData& data, bool thirdCap, bool outputSensor);
// The PIN as 8 upper-case hexadecimal digits.
std::string PinText(uint32_t pin);
// Every field of the page, checked before anything is sent: false with the first bad field's
// message. The third-capacitor fields count only for such a unit.
bool ParseSetupTexts(const CSetupTexts& texts, bool thirdCap, CSetupData& data, std::string& error);

// What the Setup send needs of the program around it.
class ISetupHost {
public:
    virtual ~ISetupHost() = default;
    // The settings dialog's unit address and baud text (the link uses them).
    virtual int SettingsAddress() const = 0;
    virtual std::string SettingsBaudText() const = 0;
    virtual bool IsDemo() const = 0;
    virtual void SetReadTimer(bool on) = 0;
    virtual void ClearStatus() = 0;
    virtual void ShowStatusMessage(const std::string& text) = 0;
    // The count-down window while the unit restarts with its new PIN.
    virtual void WaitForRestart(int ms) = 0;
    // The connect path's re-read: unit set-up, controls and readings.
    virtual void ReloadUnit() = 0;
};

// The Setup send up to the re-read: questions for a changed address, baud, serial number or
// PIN, then the configuration. The page's texts are checked first; a bad field is refused with
// a warning and nothing is sent (result SendRefused). Otherwise the result convention.
class CSetupSend {
public:
    static constexpr int SendRefused = -1000;
    static constexpr int RestartWaitMs = 7000;

    CSetupSend(CDevice& device, ISetupHost& host) : device_(device), host_(host) {}

    struct Input {
        CSetupTexts texts;
        int address = 2;
        std::string baudText;
        int protocolItem = 0; // 0 RS232, 1 RS485: PIN bit 28
        std::string protocolText;
    };
    int Send(const Input& in);

private:
    CDevice& device_;
    ISetupHost& host_;
};

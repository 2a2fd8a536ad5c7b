#include "service/Setuprules.h"

#include "common/Helpers.h"
#include "device/Device.h"
#include "device/Unitconst.h"
#include "service/Fieldcheck.h"

#include <cstdio>

const char* const BaudItemsRS232 = "19200,9600,4800,1200";
const char* const BaudItemsRS485 = "57600,38400,19200,9600";

namespace {

constexpr int WordMax = 65535;
constexpr int PotMax = 255;
constexpr int DefaultBaud = 19200;
const char* const CapNames[3] = {"Load", "Tune", "3rd capacitor"};

std::string IntText(long long v) { return std::to_string(v); }

} // namespace

const char* BaudItems(int protocolItem) { return protocolItem == 1 ? BaudItemsRS485 : BaudItemsRS232; }

std::string PinText(uint32_t pin)
{
    char buf[16];
    std::snprintf(buf, sizeof buf, "%08X", static_cast<unsigned>(pin));
    return buf;
}

CSetupTexts SetupTexts(const CSetupData& d)
{
    CSetupTexts t;
    t.productId = d.productId;
    t.versionText = d.versionText;
    t.pin = PinText(d.pin);
    t.serial = IntText(d.serial);
    for (int c = 0; c < 3; ++c) {
        t.total[c] = IntText(d.total[c]);
        t.offset[c] = IntText(d.offset[c]);
        t.cMax[c] = ShortestText(d.cMax[c]);
        t.cMin[c] = ShortestText(d.cMin[c]);
    }
    t.inPoff = IntText(d.inPoff);
    t.inAver = d.inAver;
    t.outAver = d.outAver;
    for (int i = 0; i < CSetupData::Pots; ++i)
        t.pots[i] = IntText(d.pots[i]);
    return t;
}

CSetupTexts ReadSetupTexts(const CSetupData& d, const CSetupTexts& shown)
{
    const CSetupTexts read = SetupTexts(d);
    CSetupTexts t = shown;
    const auto got = [&d](CSetupData::ReadStep step) { return d.read >= step; };
    if (got(CSetupData::ProductIdRead))
        t.productId = read.productId;
    if (got(CSetupData::VersionRead))
        t.versionText = read.versionText;
    if (got(CSetupData::PinRead))
        t.pin = read.pin;
    if (got(CSetupData::SerialRead))
        t.serial = read.serial;
    constexpr int Third = 2;
    for (int c = 0; c < 3; ++c) {
        if (got(c == Third ? CSetupData::ThirdStepsRead : CSetupData::StepsRead)) {
            t.total[c] = read.total[c];
            t.offset[c] = read.offset[c];
        }
        if (got(c == Third ? CSetupData::ThirdRangeRead : CSetupData::RangeRead)) {
            t.cMax[c] = read.cMax[c];
            t.cMin[c] = read.cMin[c];
        }
    }
    if (got(CSetupData::InPoffRead))
        t.inPoff = read.inPoff;
    if (got(CSetupData::InAverRead))
        t.inAver = read.inAver;
    if (got(CSetupData::OutAverRead))
        t.outAver = read.outAver;
    for (int i = 0; i < d.potsRead && i < CSetupData::Pots; ++i)
        t.pots[i] = read.pots[i];
    return t;
}

std::string SetupNotRead(const CSetupData& d, bool thirdCap, bool outputSensor)
{
    if (d.read == CSetupData::PotsRead)
        return "";
    struct Part {
        CSetupData::ReadStep step; // the step that reads it
        const char* label;
        bool shown;
    };
    const Part parts[] = {
        {CSetupData::ProductIdRead, "Product", true},
        {CSetupData::VersionRead, "Xilinx", true},
        {CSetupData::PinRead, "PIN", true},
        {CSetupData::SerialRead, "S/N", true},
        {CSetupData::StepsRead, "Total steps/Offset", true},
        {CSetupData::RangeRead, "C max/min", true},
        {CSetupData::ThirdRangeRead, "3rd cap", thirdCap},
        {CSetupData::InAverRead, "Input sensor", true},
        {CSetupData::OutAverRead, "Output sensor", thirdCap || outputSensor},
    };
    std::string text;
    const auto add = [&text](const std::string& label) {
        if (!text.empty())
            text += ", ";
        text += label;
    };
    for (const Part& p : parts)
        if (p.shown && d.read < p.step)
            add(p.label);
    const int firstPot = CSetupData::FirstPot + d.potsRead;
    const int lastPot = CSetupData::FirstPot + CSetupData::Pots - 1;
    std::string pots = "Pot " + IntText(firstPot);
    if (firstPot < lastPot) {
        pots += '-';
        pots += IntText(lastPot);
    }
    add(pots);
    return text;
}

bool ParseSetupTexts(const CSetupTexts& t, bool thirdCap, CSetupData& d, std::string& error)
{
    CFieldCheck f;
    CSetupData out = d;
    f.Hex32("PIN", t.pin, out.pin);
    f.UInt32("S/N", t.serial, out.serial);
    const int caps = thirdCap ? 3 : 2;
    for (int c = 0; c < caps; ++c) {
        const std::string name = CapNames[c];
        f.Int(name + " total steps", t.total[c], 0, WordMax, out.total[c]);
        f.Int(name + " offset", t.offset[c], 0, WordMax, out.offset[c]);
        int pf = 0;
        if (f.Int(name + " C max (pF)", t.cMax[c], 0, WordMax, pf))
            out.cMax[c] = pf;
        if (f.Int(name + " C min (pF)", t.cMin[c], 0, WordMax, pf))
            out.cMin[c] = pf;
    }
    f.Int("Input sensor power-off level", t.inPoff, 0, WordMax, out.inPoff);
    out.inAver = t.inAver;
    out.outAver = t.outAver;
    for (int i = 0; i < CSetupData::Pots; ++i)
        f.Int("Potentiometer " + std::to_string(i + CSetupData::FirstPot), t.pots[i], 0, PotMax, out.pots[i]);
    if (!f.Ok()) {
        error = f.Error();
        return false;
    }
    d = out;
    return true;
}

int CSetupSend::Send(const Input& in)
{
    host_.ClearStatus();
    CSetupData data;
    std::string error;
    if (!ParseSetupTexts(in.texts, device_.Has3rdCap(), data, error)) {
        RefuseSend(error);
        return SendRefused;
    }
    bool restart = false;

    // 1. Address.
    if (in.address != host_.SettingsAddress() &&
        AskYesNo("", "Do you want to set new Ostrabus address = " + std::to_string(in.address) + " ?")) {
        const int r = device_.SetAddress(in.address);
        if (r != 0)
            return r;
        restart = true;
    }

    // 2. Baud rate.
    long long baudValue = 0;
    const int baud = ParseInt(in.baudText, baudValue) ? static_cast<int>(baudValue) : DefaultBaud;
    if (std::to_string(baud) != host_.SettingsBaudText() &&
        AskYesNo("", "Do you want to set new baud rate = " + std::to_string(baud) + " ?")) {
        const int r = device_.SetBaudRate(baud);
        if (r != 0)
            return r;
        restart = true;
    }

    // 3. Serial number.
    uint32_t unitSerial = 0;
    int r = device_.ReadSerialNumber(unitSerial);
    if (r != 0)
        return r;
    if (data.serial != unitSerial &&
        AskYesNo("", "Do you want to set new S/N = " + std::to_string(data.serial) + " ?")) {
        if ((r = device_.WriteSerialNumber(data.serial)) != 0)
            return r;
    }

    // 4. PIN, with the protocol choice in bit 28.
    uint32_t pin = data.pin & ~unitconst::PinProtocolChoice;
    if (in.protocolItem == 1)
        pin |= unitconst::PinProtocolChoice;
    if (pin != device_.Pin() &&
        AskYesNo("", "Do you want to set new PIN = " + PinText(pin) + " (" + in.protocolText + ") ?")) {
        host_.SetReadTimer(false);
        if ((r = device_.WritePin(pin)) != 0)
            return r;
        if (device_.ApplyPin() == 0) {
            if (!host_.IsDemo()) {
                host_.ShowStatusMessage("Wait...");
                host_.WaitForRestart(RestartWaitMs);
                host_.ClearStatus();
            }
            restart = false;
            host_.ClearStatus();
            host_.ReloadUnit();
            host_.SetReadTimer(true);
        } else {
            restart = true;
        }
    }

    // 5. Address or baud changed, or the new PIN was not applied.
    if (restart)
        ShowMessageBox("", "Restart Vantrel to make new settings effective");

    // 6 to 11. The configuration.
    return SendSetupConfig(device_, data);
}

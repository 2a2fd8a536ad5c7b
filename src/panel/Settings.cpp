#include "panel/Settings.h"

#include "common/Helpers.h"
#include "common/Registry.h"
#include "panel/Settingsrules.h"

#include <algorithm>

int CSettings::BaudRateValue() const { return TextToInt(BaudRate); }

int CSettings::ReadsLostAfter() const
{
    return std::clamp(MaxReadErrors, CSettingsRules::MinMaxReadErrors, CSettingsRules::MaxMaxReadErrors);
}

const std::string& CSettings::CurrentBaudList() const
{
    return BaudLists[InterfaceIndex == 1 ? 1 : 0];
}

void CSettings::Exchange(CRegistry& store, bool settingsFile)
{
    store.SetSection(Section);
    if (!store.Reading())
        store.ClearSection();
    // A stored interval outside 100..10000 ms is pulled into that range (0 would make the timer
    // spin).
    ReadTimerInterval = CSettingsRules::ClampReadTimer(store.ExchangeInt("ReadTimer", ReadTimerInterval));
    MaxReadErrors = store.ExchangeInt("MaxReadErrors", MaxReadErrors);
    UseMaxReadErrors = store.ExchangeBool("UseMaxReadErrors", UseMaxReadErrors);
    InterfaceIndex = store.ExchangeInt("Interface", InterfaceIndex);
    BaudRate = store.ExchangeString("BaudRate", BaudRate);
    Addr = store.ExchangeInt("Addr", Addr);
    Timeout = store.ExchangeInt("Timeout", Timeout);
    TCPPort = store.ExchangeInt("TCPPort", TCPPort);
    UnitNumber = store.ExchangeInt("UnitNumber", UnitNumber);
    AutoFinding = store.ExchangeBool("AutoFinding", AutoFinding);
    ConnectAtStartup = store.ExchangeBool("ConnectAtStartup", ConnectAtStartup);
    if (settingsFile)
        Caption = store.ExchangeString("Header", Caption);
}

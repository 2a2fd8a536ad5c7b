#include "panel/Mainsettings.h"

#include "common/Helpers.h"
#include "common/Registry.h"
#include "panel/Displayedit.h"

#include <algorithm>

void CMainSettings::SetDefaultDisplay()
{
    Top = 36;
    Left = 49;
    Style.Reset();
    TracesRFOn = false;
}

void CMainSettings::Exchange(CRegistry& store, const Parts& parts, int screenWidth,
                             int screenHeight)
{
    store.SetSection(Section);
    if (!store.Reading())
        store.ClearSection();
    Top = store.ExchangeInt("Top", Top);
    Left = store.ExchangeInt("Left", Left);
    if (store.Reading()) {
        Top = PositionOnScreen(Top, screenHeight, ScreenMargin);
        Left = PositionOnScreen(Left, screenWidth, ScreenMargin);
        if (parts.Placed)
            parts.Placed();
    }
    DisAudio = store.ExchangeBool("DisAudio", DisAudio);
    const int valueFont = store.ExchangeInt("ValueFontSize", Style.ValueFontSize);
    const int barFont = store.ExchangeInt("BarFontSize", Style.BarFontSize);
    const int plotFont = store.ExchangeInt("PlotFontSize", Style.PlotFontSize);
    const int plotSize = store.ExchangeInt("PlotSize", Style.PlotSize);
    if (store.Reading())
        Style = CDisplayEdit::ClampedStyle(valueFont, barFont, plotFont, plotSize);
    TracesRFOn = store.ExchangeBool("TracesRFOn", TracesRFOn);
    for (int i = 0; i < LogFormatCount; ++i) {
        const std::string key = "LogFormat" + std::to_string(i + 1);
        if (parts.LogFormat)
            parts.LogFormat(store, key, i + 1);
        else
            LogFormats[i] = store.ExchangeString(key, LogFormats[i]);
    }
    if (parts.Vars)
        parts.Vars(store);
    if (parts.Model)
        parts.Model(store);
    if (parts.Pane0)
        parts.Pane0(store);
    if (parts.Pane1)
        parts.Pane1(store);
    if (parts.Smith)
        parts.Smith(store);
    if (parts.Caps)
        parts.Caps(store);
    if (parts.Model)
        parts.Model(store);
    else
        store.SetSection("Model");
    // These three go into the section that is current now: "Model".
    AutoTestMode = store.ExchangeInt("AutoTestMode", AutoTestMode);
    AutoTestN = store.ExchangeInt("AutoTestN", AutoTestN);
    AutoTestT = store.ExchangeDouble("AutoTestT", AutoTestT);
}

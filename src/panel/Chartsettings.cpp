#include "panel/Chartsettings.h"

#include "common/Registry.h"
#include "panel/Trail.h"

#include <algorithm>

void CChartSettings::Exchange(CRegistry& store, const std::string& section, int modeCount,
                              int screenWidth, int screenHeight)
{
    store.SetSection(section);
    const int top = store.ExchangeInt("Top", Top);
    const int left = store.ExchangeInt("Left", Left);
    const int width = store.ExchangeInt("Width", Width);
    const int height = store.ExchangeInt("Height", Height);
    Visible = store.ExchangeBool("Visible", Visible);
    StatusVisible = store.ExchangeBool("Status", StatusVisible);
    const int mode = store.ExchangeInt("StatusMode", StatusMode);
    const int samples = store.ExchangeInt("Samples", Samples);
    const int style = store.ExchangeInt("Style", Style);
    Color = store.ExchangeColor("Color", Color);
    if (!store.Reading())
        return;
    Top = PullBack(top, screenHeight);
    Left = PullBack(left, screenWidth);
    if (width > 0)
        Width = width;
    if (height > 0)
        Height = height;
    if (mode >= 0 && mode < modeCount)
        StatusMode = mode;
    if (CTrail::ValidSamples(samples))
        Samples = samples;
    if (style == StyleNormal || style == StyleStayOnTop)
        Style = style;
}

int CChartSettings::PullBack(int value, int screenSize)
{
    return std::max(std::min(value, screenSize - ScreenMargin), 0);
}

std::string CChartSettings::Caption(const std::string& header, const std::string& title)
{
    return header.empty() ? title : header + " - " + title;
}

std::string CChartSettings::BesideProgram(const std::string& caption,
                                          const std::string& programCaption)
{
    static const std::string Separator = " - ";
    // The longest such prefix: a header may hold the separator itself.
    for (size_t at = caption.rfind(Separator); at != std::string::npos && at > 0;
         at = caption.rfind(Separator, at - 1)) {
        const size_t end = at + Separator.size();
        if (end < caption.size() && programCaption.compare(0, end, caption, 0, end) == 0)
            return caption.substr(end);
    }
    return caption;
}

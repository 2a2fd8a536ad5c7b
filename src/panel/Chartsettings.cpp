#include "panel/Chartsettings.h"

#include "common/Registry.h"
#include "panel/Trail.h"

#include <algorithm>
#include <climits>

namespace {
constexpr int NoPlace = INT_MIN; // a key that is not stored
}

void CChartSettings::Exchange(CRegistry& store, const std::string& section, int modeCount,
                              int screenWidth, int screenHeight)
{
    store.SetSection(section);
    int top = Top;
    int left = Left;
    if (store.Reading() || PlaceStored) {
        top = store.ExchangeInt("Top", store.Reading() ? NoPlace : Top);
        left = store.ExchangeInt("Left", store.Reading() ? NoPlace : Left);
    }
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
    if (top != NoPlace)
        Top = PullBack(top, screenHeight);
    if (left != NoPlace)
        Left = PullBack(left, screenWidth);
    PlaceStored = PlaceStored || top != NoPlace || left != NoPlace;
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

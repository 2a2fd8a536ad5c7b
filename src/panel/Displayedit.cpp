#include "panel/Displayedit.h"

#include "common/Helpers.h"
#include "panel/Panesource.h"

#include <algorithm>
#include <charconv>

std::vector<std::string> CDisplayEdit::VarNames() const
{
    std::vector<std::string> names;
    for (int id : VarIds)
        names.push_back(source_ ? source_->Var(id).ShortName : "");
    return names;
}

int CDisplayEdit::SelectFirst()
{
    auto it = std::find(VarIds.begin(), VarIds.end(), CurrentVarId);
    if (it != VarIds.end())
        return int(it - VarIds.begin());
    CurrentVarId = VarIds.empty() ? -1 : VarIds.front();
    return VarIds.empty() ? -1 : 0;
}

void CDisplayEdit::Select(int index)
{
    if (index >= 0 && index < int(VarIds.size()))
        CurrentVarId = VarIds[size_t(index)];
}

std::string CDisplayEdit::GeneralText(double v)
{
    char buf[64];
    auto result = std::to_chars(buf, buf + sizeof buf, v);
    return std::string(buf, result.ptr);
}

SVarFormatText CDisplayEdit::CurrentFormat() const
{
    SVarFormatText t;
    if (!source_ || CurrentVarId < 0)
        return t;
    SVarInfo v = source_->Var(CurrentVarId);
    t.Min = GeneralText(v.Min);
    t.Max = GeneralText(v.Max);
    t.Decimals = v.Decimals;
    return t;
}

void CDisplayEdit::ApplyFormat(const std::string& minText, const std::string& maxText, int decimals)
{
    if (!source_ || CurrentVarId < 0)
        return;
    source_->SetVarFormat(CurrentVarId, std::clamp(decimals, CVars::MinDecimals, MaxDecimals), TextToDouble(minText),
                          TextToDouble(maxText));
}

CItemStyle CDisplayEdit::ClampedStyle(int valueFont, int barFont, int plotFont, int plotSize)
{
    CItemStyle s;
    s.ValueFontSize = std::clamp(valueFont, CItemStyle::MinFontSize, CItemStyle::MaxFontSize);
    s.BarFontSize = std::clamp(barFont, CItemStyle::MinFontSize, CItemStyle::MaxFontSize);
    s.PlotFontSize = std::clamp(plotFont, CItemStyle::MinFontSize, CItemStyle::MaxFontSize);
    s.PlotSize = std::clamp(plotSize, CItemStyle::MinPlotSize, CItemStyle::MaxPlotSize);
    return s;
}

#include "device/Var.h"

#include "common/Registry.h"
#include "device/Datarec.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <charconv>
#include <span>
#include <string_view>

CVar::CVar(int id_, std::string shortName_, std::string longName_, std::string unit_, int decimals_,
           double min_, double max_)
    : id(id_), shortName(std::move(shortName_)), longName(std::move(longName_)),
      unit(std::move(unit_)), decimals(decimals_), min(min_), max(max_)
{
}

namespace {

const char* const VarsSection = "Vars";

// Variables whose format the settings keep, in key order "Var0".."Var16".
constexpr std::array<int, 17> SavedIds{1, 2, 3, 23, 4, 5, 6, 7, 8, 9, 12, 10, 11, 19, 20, 21, 22};

constexpr int ValueThirdCap[] = {1, 2, 3, 23, 4, 5, 6, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 21, 22};
constexpr int ValueOutput[] = {1, 2, 3, 23, 4, 5, 6, 7, 8, 9, 13, 14, 16, 17, 19, 20, 21, 22};
constexpr int ValuePlain[] = {1, 2, 3, 23, 4, 5, 6, 13, 14, 16, 17, 19, 20, 21, 22};
constexpr int BarThirdCap[] = {3, 4, 5, 6, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 21, 22};
constexpr int BarOutput[] = {3, 4, 5, 6, 9, 13, 14, 16, 17, 19, 20, 21, 22};
constexpr int BarPlain[] = {3, 4, 5, 6, 13, 14, 16, 17, 19, 20, 21, 22};
constexpr int PlotThirdCap[] = {1, 2, 3, 4, 5, 6, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 21, 22};
constexpr int PlotOutput[] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 13, 14, 16, 17, 19, 20, 21, 22};
constexpr int PlotPlain[] = {1, 2, 3, 4, 5, 6, 13, 14, 16, 17, 19, 20, 21, 22};

std::span<const int> SelectableList(int kind, UnitType type)
{
    switch (kind) {
    case PaneValue:
        return type == UnitType::ThirdCap ? std::span<const int>(ValueThirdCap)
             : type == UnitType::OutputSensor ? std::span<const int>(ValueOutput)
                                              : std::span<const int>(ValuePlain);
    case PaneBar:
        return type == UnitType::ThirdCap ? std::span<const int>(BarThirdCap)
             : type == UnitType::OutputSensor ? std::span<const int>(BarOutput)
                                              : std::span<const int>(BarPlain);
    case PanePlot:
        return type == UnitType::ThirdCap ? std::span<const int>(PlotThirdCap)
             : type == UnitType::OutputSensor ? std::span<const int>(PlotOutput)
                                              : std::span<const int>(PlotPlain);
    default:
        return {};
    }
}

std::string_view Trim(std::string_view s)
{
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t'))
        s.remove_suffix(1);
    return s;
}

// Reads the next comma-separated field as T; false when it does not parse (scanning stops).
template <typename T>
bool ScanField(std::string_view& rest, T& out)
{
    if (rest.empty())
        return false;
    const size_t comma = rest.find(',');
    std::string_view field = Trim(rest.substr(0, comma));
    rest = comma == std::string_view::npos ? std::string_view{} : rest.substr(comma + 1);
    if (!field.empty() && field.front() == '+')
        field.remove_prefix(1);
    T value{};
    const auto [ptr, ec] = std::from_chars(field.data(), field.data() + field.size(), value);
    if (ec != std::errc() || ptr == field.data())
        return false;
    out = value;
    return true;
}

// A double as C's "%lg" writes it, independent of the process locale.
std::string FormatG(double v)
{
    char buf[64];
    const auto res = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::general, 6);
    return std::string(buf, res.ptr);
}

} // namespace

CVars::CVars()
{
    rows_ = {
        {1, "R", "R", "Ohms", 1, 0, 100},
        {2, "X", "X", "Ohms", 1, -50, 50},
        {3, "Gamma", "Gamma", "", 2, 0, 1},
        {23, "VSWR", "VSWR", "", 2, 0, 1},
        {4, "P dlv", "Delivered Power", "Watts", 0, 0, 1000},
        {5, "P fwd", "Forward Power", "Watts", 0, 0, 1000},
        {6, "P rfl", "Reflected Power", "Watts", 0, 0, 1000},
        {7, "R load", "R load", "Ohms", 1, 0, 100},
        {8, "X load", "X load", "Ohms", 1, -50, 50},
        {9, "P load", "Load Power", "Watts", 0, 0, 1000},
        {12, "Ratio", "Current Ratio", "", 2, 0, 10},
        {10, "I1", "Current 1", "A", 2, 0, 40},
        {11, "I2", "Current 2", "A", 2, 0, 40},
        {13, "Load", "Load Position", "%", 2, 0, 100},
        {14, "Tune", "Tune Position", "%", 2, 0, 100},
        {15, "3rd Cap", "3rd Cap.Position", "%", 2, 0, 100},
        {16, "Load (pF)", "Load C", "pF", 0, 0, 1000},
        {17, "Tune (pF)", "Tune C", "pF", 0, 0, 1000},
        {18, "3rd Cap (pF)", "3rd Cap.C", "pF", 0, 0, 1000},
        {19, "Temp", "Temp", "", 0, 0, 4096},
        {20, "RF Peak", "RF Peak", "", 0, 0, 4096},
        {21, "DC Bias", "DC Bias", "", 0, 0, 4096},
        {22, "RF Cap", "RF Cap", "", 0, 0, 4096},
        {30, "Auto", "Auto", "", 0, 0, 1},
        {31, "Manual", "Manual", "", 0, 0, 1},
        {32, "Serial", "Serial", "", 0, 0, 1},
        {42, "Preset", "Preset", "", 0, 0, 1},
        {34, "Preset On", "Preset On", "", 0, 0, 1},
        {41, "External Preset", "External Preset", "", 0, 0, 1},
        {37, "3Cap Auto", "3Cap Auto", "", 0, 0, 1},
        {39, "3Cap Preset", "3Cap Preset", "", 0, 0, 1},
        {40, "3Cap Tuned", "3Cap Tuned", "", 0, 0, 1},
        {UnknownId, "Unknown", "Unknown", "", 0, 0, 0},
    };
}

CVar& CVars::Find(int id)
{
    for (CVar& row : rows_)
        if (row.id == id)
            return row;
    return rows_.back();
}

const CVar& CVars::Find(int id) const { return const_cast<CVars*>(this)->Find(id); }

const CVar& CVars::Row(int index) const
{
    if (index < 0 || index >= RowCount())
        return rows_.back();
    return rows_[index];
}

void CVars::Exchange(CRegistry& store)
{
    store.SetSection(VarsSection);
    if (!store.Reading()) {
        store.ClearSection();
        for (size_t n = 0; n < SavedIds.size(); ++n) {
            const CVar& v = Find(SavedIds[n]);
            const std::string text = std::to_string(v.id) + "," + std::to_string(v.decimals) + "," +
                                     FormatG(v.min) + "," + FormatG(v.max);
            store.ExchangeString("Var" + std::to_string(n), text);
        }
        return;
    }
    // A file holds one entry per row at most; entries past that are never read.
    for (int n = 0; n < RowCount(); ++n) {
        const std::string text = store.ExchangeString("Var" + std::to_string(n), "");
        if (text.empty())
            break;
        std::string_view rest(text);
        int id = 0;
        // A text without an id reaches the "Unknown" row, which nothing displays.
        CVar& row = ScanField(rest, id) ? Find(id) : rows_.back();
        int decimals = 0;
        if (!ScanField(rest, decimals))
            continue;
        row.decimals = std::clamp(decimals, MinDecimals, MaxDecimals);
        double min = 0, max = row.max;
        if (!ScanField(rest, min))
            continue;
        ScanField(rest, max);
        if (std::isfinite(min) && std::isfinite(max) && min < max) {
            row.min = min;
            row.max = max;
        }
    }
}

void CVars::SetCapMaxima(const CUnitState& unit)
{
    Find(varid::LoadPf).max = unit.CapToPf(0, 100.0);
    Find(varid::TunePf).max = unit.CapToPf(1, 100.0);
    Find(varid::ThirdCapPf).max = unit.CapToPf(2, 100.0);
}

int CVars::Selectable(int kind, int index, UnitType type)
{
    const std::span<const int> list = SelectableList(kind, type);
    if (index < 0 || index >= static_cast<int>(list.size()))
        return -1;
    return list[index];
}

std::vector<CLayoutEntry> CVars::DefaultLayout(UnitType type)
{
    std::vector<CLayoutEntry> layout{
        {0, PaneValue, 1}, {0, PaneValue, 2}, {0, PaneValue, 3}, {0, PaneBar, 3},
        {0, PaneValue, 13}, {0, PaneValue, 14},
    };
    if (type == UnitType::ThirdCap) {
        layout.insert(layout.end(), {{0, PaneValue, 15}, {0, PaneSeparator, 0}, {0, PaneValue, 12},
                                     {0, PaneValue, 10}, {0, PaneValue, 11}});
    } else if (type == UnitType::OutputSensor) {
        layout.insert(layout.end(), {{0, PaneSeparator, 0}, {0, PaneValue, 7}, {0, PaneValue, 8}});
    }
    layout.push_back({1, PanePlot, 3});
    return layout;
}

CVars& ProgramVars()
{
    static CVars vars;
    return vars;
}

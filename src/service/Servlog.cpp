#include "service/Servlog.h"

#include "device/Unitstate.h"

namespace servlog {

namespace {

// Record fields by slot, with the name each line starts with.
struct Field {
    int slot;
    const char* name;
};

constexpr Field Common[] = {
    {2, "n_of_writes\t"},        {3, "sh_count\t\t"},       {4, "ser_count\t\t"},
    {5, "sh_rev_count\t"},       {6, "sh_rev10k_count\t"},  {7, "ser_rev_count\t"},
    {8, "ser_rev10k_count\t"},   {9, "auto_starts_count\t"}, {10, "tuned_count\t"},
    {11, "rfon_count\t"},        {12, "acon_count\t"},      {13, "acon_hours\t"},
    {14, "rfon_hours\t"},        {15, "caps_init_count\t"}, {16, "maxp_at_tune\t"},
    {17, "maxp_sh_pos\t"},       {18, "maxp_ser_pos\t"},    {19, "low_DC_voltage\t"},
};
constexpr Field HighCurrent[] = {{20, "High_current_faults\t"}};
constexpr Field ThirdCap[] = {
    {21, "maxp_3cap_pos\t"}, {22, "3cap_count\t"}, {23, "3cap_rev_count\t"},
    {24, "3cap_rev10k_cnt\t"}, {25, "overv_limit_count\t"},
};
constexpr Field Profibus[] = {
    {27, "Profibus_watch_dog_faults\t"},
    {28, "Profibus_master_released_slave_faults\t"},
    {29, "Profibus_mac_reset_faults\t"},
    {30, "Profibus_buffer_overflow_faults\t"},
    {31, "Profibus_dpram_busy_faults\t"},
};
constexpr Field EncoderInit[] = {{32, "sh_encoder_init_fault_count\t"}, {35, "ser_encoder_init_fault_count\t"}};
constexpr Field EncoderInit3[] = {{38, "3cap_encoder_init_fault_count\t"}};
constexpr Field Encoder[] = {
    {33, "sh_encoder_fault_count\t"}, {34, "sh_encoder_delta_step_count\t"},
    {36, "ser_encoder_fault_count\t"}, {37, "ser_encoder_delta_step_count\t"},
};
constexpr Field Encoder3[] = {{39, "3cap_encoder_fault_count\t"}, {40, "3cap_encoder_delta_step_count\t"}};

constexpr int LengthHighCurrent = 59;
constexpr int LengthThirdCap = 71;
constexpr int LengthBoth = 75;
constexpr int LengthProfibus = 79;

template <size_t N>
void Add(std::vector<std::string>& out, const CUnitState::LogRecord& r, const Field (&fields)[N])
{
    for (const Field& f : fields)
        out.push_back(f.name + std::to_string(r[f.slot]));
}

} // namespace

std::vector<std::string> StatisticsLines(const CUnitState& unit, int sector)
{
    std::vector<std::string> out;
    if (sector < 0 || sector >= Sectors)
        return out;
    const CUnitState::LogRecord& r = unit.ServiceLogRecord(sector);
    const int length = static_cast<int>(r[0]);
    Add(out, r, Common);
    if (length == LengthHighCurrent || length == LengthBoth || length == LengthProfibus)
        Add(out, r, HighCurrent);
    if (length == LengthThirdCap || length == LengthBoth)
        Add(out, r, ThirdCap);
    if (length == LengthProfibus)
        Add(out, r, Profibus);
    if (length > LengthProfibus) {
        Add(out, r, EncoderInit);
        if (unit.Has3rdCap())
            Add(out, r, EncoderInit3);
        Add(out, r, Encoder);
        if (unit.Has3rdCap())
            Add(out, r, Encoder3);
    }
    return out;
}

bool IsSector(int sector) { return sector >= 0 && sector < Sectors; }

std::string NoActiveSectorText(int count)
{
    return "The unit names no active sector (" + std::to_string(count) + ")";
}

std::vector<std::string> SectorItems(int active)
{
    std::vector<std::string> out;
    for (int n = 0; n < Sectors; ++n)
        out.push_back(std::to_string(n) + (n == active ? ActiveMark : ""));
    return out;
}

std::vector<std::string> FileLines(const CUnitState& unit)
{
    std::vector<std::string> out;
    for (int n = 0; n < Sectors; ++n) {
        out.push_back("Sector " + std::to_string(n) + (n == unit.ServiceLogCount() ? " (Active)" : ""));
        for (std::string& line : StatisticsLines(unit, n))
            out.push_back(std::move(line));
        out.emplace_back();
    }
    return out;
}

std::string JoinLines(const std::vector<std::string>& lines)
{
    std::string text;
    for (const std::string& line : lines) {
        text += line;
        text += "\r\n";
    }
    return text;
}

} // namespace servlog

#include "service/Inforeport.h"

#include "device/Device.h"
#include "panel/Faults.h"
#include "service/Fieldcheck.h"
#include "service/Servlog.h"

#include <cstdio>

namespace inforeport {

namespace {

std::string Hex8(uint32_t v)
{
    char text[16];
    std::snprintf(text, sizeof text, "%08X", v);
    return text;
}

std::string Shortest(double v) { return ShortestText(v); }

std::string RangeLine(const CDevice& d, const char* name, int cap)
{
    return std::string(name) + " = " + Shortest(d.CapToPf(cap, 0.0)) + " ... " +
           Shortest(d.CapToPf(cap, 100.0)) + " pF";
}

} // namespace

int Configuration(CDevice& d, std::vector<std::string>& lines, bool* rangeRead)
{
    lines.clear();
    if (rangeRead)
        *rangeRead = false;
    std::string text;
    int r = d.ReadProductId(text);
    if (r != 0)
        return r;
    lines.push_back("SW = " + text);
    r = d.ReadVersionText(text);
    if (r != 0)
        return r;
    lines.push_back("Xilinx = " + text);
    // A positive CSR from these reads still gives their line.
    r = d.ReadPin();
    if (r < 0)
        return r;
    lines.push_back("PIN = " + Hex8(d.Pin()));
    uint32_t serial = 0;
    r = d.ReadSerialNumber(serial);
    if (r < 0)
        return r;
    lines.push_back("S/N = " + std::to_string(serial));
    r = d.ReadCapRange();
    if (r != 0)
        return r;
    if (rangeRead)
        *rangeRead = true;
    lines.push_back(RangeLine(d, "Load", 0));
    lines.push_back(RangeLine(d, "Tune", 1));
    if (d.Has3rdCap()) {
        r = d.Read3capRange();
        if (r < 0)
            return r;
        lines.push_back(RangeLine(d, "3 cap", 2));
    }
    return 0;
}

int Statistics(CDevice& d, std::vector<std::string>& lines)
{
    lines.clear();
    const int r = d.ReadServiceLog();
    if (r != 0)
        return r;
    lines = servlog::StatisticsLines(d, d.ServiceLogCount());
    return 0;
}

std::vector<std::string> Faults(uint64_t word)
{
    word &= ~(uint64_t(1) << CFaults::InterlockBit);
    if (word == 0)
        return {NoFaults};
    std::vector<std::string> out;
    for (int bit = 0; bit < 64; ++bit)
        if (word & (uint64_t(1) << bit))
            out.push_back(CFaults::FaultName(uint64_t(1) << bit));
    return out;
}

} // namespace inforeport

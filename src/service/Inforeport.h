#pragma once
// The Info page's three reports as text lines: the unit's configuration (identity, PIN, serial
// number, capacitor ranges), its service statistics (the active sector of the service log) and
// its active faults. A query that fails ends the report with its result; the caller then shows
// nothing new.

#include <cstdint>
#include <string>
#include <vector>

class CDevice;

namespace inforeport {

constexpr const char* ConfigurationTitle = "Configuration";
constexpr const char* StatisticsTitle = "Statistics";
constexpr const char* FaultsTitle = "Faults";
constexpr const char* NoFaults = "No faults";
constexpr const char* ClickToUpdate = "Click the button to update";

// 0 with the lines, or the first failing result (lines then hold what was read before).
// rangeRead tells whether the capacitor ranges were read (the Setup page shows them then).
int Configuration(CDevice& device, std::vector<std::string>& lines, bool* rangeRead = nullptr);
int Statistics(CDevice& device, std::vector<std::string>& lines);
// The names of the set bits of a fault word, bit 0 first; the interlock bit is no fault.
std::vector<std::string> Faults(uint64_t faultWord);

} // namespace inforeport

#pragma once
// The unit's service log as text: the lines of one stored record (a fixed name with its tabs,
// then the value in decimal, chosen by the record's length), the sector list with the active
// sector marked, and the whole log as the service-log text file.

#include <string>
#include <vector>

class CUnitState;

namespace servlog {

constexpr int Sectors = 10;
constexpr const char* ActiveMark = "   Active";
constexpr const char* SavedOk = "Service Log Saved Ok";
constexpr const char* SaveTitle = "Save Service Log";
constexpr const char* SaveFilter = "Text files (*.txt);;All files (*.*)";
constexpr const char* SaveExtension = "txt";

// The lines of stored record `sector` (0..9); none for a sector outside that range.
std::vector<std::string> StatisticsLines(const CUnitState& unit, int sector);
// True for a sector the unit keeps (0..9).
bool IsSector(int sector);
// What is shown in place of a record when the unit's count byte names no sector:
// "The unit names no active sector (<count>)".
std::string NoActiveSectorText(int count);
// "0".."9", the active one followed by ActiveMark.
std::vector<std::string> SectorItems(int active);
// For every sector: "Sector n" (" (Active)" for the active one), its lines, an empty line.
std::vector<std::string> FileLines(const CUnitState& unit);
// The lines joined with CRLF, each line ended.
std::string JoinLines(const std::vector<std::string>& lines);

} // namespace servlog

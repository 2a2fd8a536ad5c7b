#pragma once

#include <string>
// The program's identity: title, version text, product ID and the settings key path. Named here
// once; everything else refers to these.

namespace orrery {

// The program title: window captions, message-box captions, settings section.
inline constexpr const char* ProgramTitle = "Vantrel Orrery";
// Four characters. Unreleased when the first is '_' or the third or fourth is not '0'.
inline constexpr const char* VersionText = "D.00";
// The program's part number; the product ID is the part number followed by the version text.
inline constexpr const char* PartNumber = "QV-ORR-";
// Settings store key path (the registry substitute file keeps one section per sub-key).
inline constexpr const char* RegistryKeyPath = "Software\\Quorvane\\Vantrel Orrery";
// Caption suffix of an unreleased build (three blanks before the parenthesis).
inline constexpr const char* UnreleasedSuffix = "   (UNRELEASED PRELIMINARY VERSION)";
// Extension of settings files.
inline constexpr const char* SettingsFileExtension = ".orrery";

bool IsUnreleased(const char* versionText);
// PartNumber followed by VersionText.
std::string ProductIdText();

} // namespace orrery

#pragma once
// A text file read whole and split into lines (LF or CR LF), as the service tools load the
// images they send.

#include <string>
#include <vector>

constexpr long long MaxTextFileBytes = 16 * 1024 * 1024;

// False with a reason when the file cannot be read or is larger than MaxTextFileBytes. text is
// the lines joined by CR LF, each line ended, as a string list gives its whole text.
bool ReadTextLines(const std::string& path, std::vector<std::string>& lines, std::string& text,
                   std::string& error);

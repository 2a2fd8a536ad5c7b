#pragma once
// A text file read whole and split into lines (LF or CR LF), as the service tools load the
// images they send.

#include <cstddef>
#include <string>
#include <vector>

constexpr size_t MaxTextFileBytes = 16 * 1024 * 1024;

// False with a reason when the file cannot be read, is not a regular file or is larger than
// MaxTextFileBytes (the platform's outside-file reader, which never blocks). text is
// the lines joined by CR LF, each line ended, as a string list gives its whole text.
bool ReadTextLines(const std::string& path, std::vector<std::string>& lines, std::string& text,
                   std::string& error);

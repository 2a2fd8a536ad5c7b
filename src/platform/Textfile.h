#pragma once
// Reading a whole file into memory in one go, with a size limit.

#include <cstddef>
#include <string>

namespace platform {

// Reads the file into text. On failure (missing, unreadable, larger than maxSize) returns false,
// leaves text empty and sets errorText to a text naming the file and the reason.
bool ReadFileText(const std::string& path, std::string& text, std::string& errorText,
                  size_t maxSize);

} // namespace platform

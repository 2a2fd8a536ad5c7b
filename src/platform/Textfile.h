#pragma once
// Reading a file from outside the program whole into memory: the one way every reader of a
// user's file (history, step tables, device images, settings, regions) opens it.
//
// The read never blocks: what is not a regular file (a named pipe, a device, a socket, a folder)
// is refused as "not a regular file" before it is opened, and the open itself does not wait, so
// that a pipe swapped in at the last moment is refused too. A file larger than the reader's limit
// is refused; every other failure gives the system's text.

#include <cstddef>
#include <string>

namespace platform {

enum class FileReadFault { None, Missing, NotRegular, TooLarge, System };

// Reads the file into text. On failure returns false, leaves text empty, sets errorText to
// "Cannot read \"<path>\": " and the reason, and fault (when given) to the kind of failure.
bool ReadFileText(const std::string& path, std::string& text, std::string& errorText,
                  size_t maxSize, FileReadFault* fault = nullptr);

// Reads at most maxBytes from the start of the file, with the same refusals as ReadFileText but
// no size limit: what a preview shows of a file that may be very large. cut (when given) tells
// whether the file holds more than was read.
bool ReadFileHead(const std::string& path, std::string& text, std::string& errorText, size_t maxBytes,
                  bool* cut = nullptr, FileReadFault* fault = nullptr);

// What the path names when that is not a regular file: "a folder", "a named pipe", "a device",
// "a socket"; empty for a regular file, or when nothing is there.
std::string FileKindText(const std::string& path);

} // namespace platform

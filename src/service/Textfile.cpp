#include "service/Textfile.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <sstream>

bool ReadTextLines(const std::string& path, std::vector<std::string>& lines, std::string& text,
                   std::string& error)
{
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    if (!in) {
        error = "Cannot open " + path + ": " + std::strerror(errno);
        return false;
    }
    const long long size = in.tellg();
    if (size > MaxTextFileBytes) {
        error = "File " + path + " is too large (" + std::to_string(size) + " bytes)";
        return false;
    }
    in.seekg(0);
    std::string raw(static_cast<size_t>(size < 0 ? 0 : size), '\0');
    if (size > 0 && !in.read(raw.data(), size)) {
        error = "Cannot read " + path;
        return false;
    }
    std::vector<std::string> out;
    std::string joined;
    size_t pos = 0;
    while (pos < raw.size()) {
        size_t end = raw.find('\n', pos);
        if (end == std::string::npos)
            end = raw.size();
        std::string line = raw.substr(pos, end - pos);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        joined += line + "\r\n";
        out.push_back(std::move(line));
        pos = end + 1;
    }
    lines = std::move(out);
    text = std::move(joined);
    return true;
}

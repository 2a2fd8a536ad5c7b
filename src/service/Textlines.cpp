#include "service/Textlines.h"

#include "platform/Textfile.h"

bool ReadTextLines(const std::string& path, std::vector<std::string>& lines, std::string& text,
                   std::string& error)
{
    std::string raw;
    if (!platform::ReadFileText(path, raw, error, MaxTextFileBytes))
        return false;
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

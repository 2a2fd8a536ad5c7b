#pragma once
// The commands the program sends, as the link's traffic log reports them: command number and
// request bytes, in order. Recorded on the program's side, so a test reads them as soon as the
// operation returns.

#include "support/Simfixture.h"

#include <sstream>
#include <string>
#include <vector>

namespace testsupport {

struct SentCommand {
    int command = 0;
    std::vector<int> data;
    bool operator==(const SentCommand& o) const { return command == o.command && data == o.data; }
};

inline std::ostream& operator<<(std::ostream& os, const SentCommand& c)
{
    os << c.command << ":[";
    for (size_t i = 0; i < c.data.size(); ++i)
        os << (i ? " " : "") << c.data[i];
    return os << "]";
}

class SentLog : public RecordingTrafficLog {
public:
    // Every request since the last Clear.
    std::vector<SentCommand> Sent() const
    {
        std::vector<SentCommand> out;
        const std::string head = "Wr:  Cmd=";
        for (const std::string& line : lines) {
            if (line.rfind(head, 0) != 0)
                continue;
            std::istringstream in(line.substr(head.size()));
            SentCommand c;
            std::string bytes;
            int count = 0;
            in >> c.command >> bytes; // "Bytes=n"
            count = std::stoi(bytes.substr(bytes.find('=') + 1));
            for (int i = 0, b = 0; i < count && in >> b; ++i)
                c.data.push_back(b);
            out.push_back(c);
        }
        return out;
    }
    // Only the requests of these commands.
    std::vector<SentCommand> Sent(std::initializer_list<int> commands) const
    {
        std::vector<SentCommand> out;
        for (const SentCommand& c : Sent())
            for (int want : commands)
                if (c.command == want)
                    out.push_back(c);
        return out;
    }
    std::vector<int> Commands() const
    {
        std::vector<int> out;
        for (const SentCommand& c : Sent())
            out.push_back(c.command);
        return out;
    }
    int Count(int command) const
    {
        int n = 0;
        for (const SentCommand& c : Sent())
            n += c.command == command;
        return n;
    }
    void Clear() { lines.clear(); }
};

} // namespace testsupport

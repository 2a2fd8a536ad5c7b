#include "service/Techconsole.h"

#include "common/Helpers.h"
#include "device/Device.h"

#include <cctype>
#include <chrono>
#include <cstdio>

namespace {

bool ParseDecimal(const std::string& token, long long& value)
{
    size_t i = 0;
    bool negative = false;
    if (token[i] == '+' || token[i] == '-')
        negative = token[i++] == '-';
    if (i >= token.size())
        return false;
    unsigned long long v = 0;
    for (; i < token.size(); ++i) {
        if (!std::isdigit(static_cast<unsigned char>(token[i])))
            return false;
        v = v * 10 + static_cast<unsigned>(token[i] - '0');
        if (v > 0xFFFFFFFFull)
            return false;
    }
    value = negative ? -static_cast<long long>(v) : static_cast<long long>(v);
    return true;
}

// An optional sign and at least one digit.
bool IsDecimalText(const std::string& text)
{
    const size_t digits = !text.empty() && (text[0] == '+' || text[0] == '-') ? 1 : 0;
    return digits < text.size() && text.find_first_not_of("0123456789", digits) == std::string::npos;
}

} // namespace

CTechCommand CTechConsole::ParseCommandText(const std::string& text)
{
    CTechCommand r;
    const std::string token = TrimText(text);
    if (!IsDecimalText(token)) {
        r.ok = true; // not a number: command 0
        return r;
    }
    long long v = 0;
    if (!ParseDecimal(token, v) || v < 0 || v > MaxCommand) {
        r.error = "Command " + token + " is out of range (0 to " + std::to_string(MaxCommand) + ")";
        return r;
    }
    r.ok = true;
    r.command = static_cast<int>(v);
    return r;
}

CTechRequest CTechConsole::ParseWriteText(const std::string& text)
{
    CTechRequest r;
    size_t pos = 0;
    while (pos < text.size()) {
        const size_t start = text.find_first_not_of(" ,\t", pos);
        if (start == std::string::npos)
            break;
        size_t end = text.find_first_of(" ,\t", start);
        if (end == std::string::npos)
            end = text.size();
        const std::string token = text.substr(start, end - start);
        long long v = 0;
        if (!ParseDecimal(token, v)) {
            r.error = "\"" + token + "\" is not a decimal number";
            r.data.clear();
            return r;
        }
        r.data.push_back(static_cast<uint8_t>(v & 0xFF));
        pos = end;
    }
    if (static_cast<int>(r.data.size()) > MaxData) {
        r.error = "Too many data bytes: " + std::to_string(r.data.size()) + " (at most " +
                  std::to_string(MaxData) + ")";
        r.data.clear();
        return r;
    }
    r.ok = true;
    return r;
}

std::vector<std::string> CTechConsole::DumpLines(const std::vector<uint8_t>& bytes)
{
    std::vector<std::string> lines;
    std::string line;
    const size_t n = bytes.size();
    for (size_t i = 0; i < n; ++i) {
        if (i % BytesPerLine != 0)
            line += ",";
        char field[8];
        std::snprintf(field, sizeof field, "%3u", static_cast<unsigned>(bytes[i]));
        line += field;
        if (i % BytesPerLine == BytesPerLine - 1 || i == n - 1) {
            lines.push_back(line);
            line.clear();
        }
    }
    return lines;
}

CTechReply CTechConsole::Execute(CDevice& device, int command, const std::vector<uint8_t>& data)
{
    CTechReply r;
    if (!device.IsDemo())
        for (uint8_t b : data)
            r.requestLength = device.AppendByte(b);
    const auto t0 = std::chrono::steady_clock::now();
    r.result = device.Command(command);
    const auto t1 = std::chrono::steady_clock::now();
    r.elapsedMs = std::chrono::duration_cast<std::chrono::milliseconds>(t1 - t0).count();

    std::vector<uint8_t> reply;
    if (!device.IsDemo()) {
        r.replyBytes = device.ReadBytes(nullptr, 0);
        reply.resize(static_cast<size_t>(r.replyBytes));
        if (r.replyBytes > 0)
            device.ReadBytes(reply.data(), r.replyBytes);
    }
    r.lines = DumpLines(reply);
    if (r.result < 0)
        r.resultText = device.LastError();
    else if (r.result == 0)
        r.resultText = "OK";
    else
        r.resultText = CDevice::CsrText(r.result);
    return r;
}

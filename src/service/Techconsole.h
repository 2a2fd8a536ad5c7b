#pragma once
// The command console's rules: the data bytes typed as decimal numbers, one raw command run
// through the device's command path, and the reply laid out ten bytes to a line.

#include <cstdint>
#include <string>
#include <vector>

class CDevice;

struct CTechRequest {
    bool ok = false;
    std::vector<uint8_t> data; // each number's low byte: 300 gives 44, -1 gives 255
    std::string error;         // why the text was refused
};

struct CTechCommand {
    bool ok = false;
    int command = 0;
    std::string error;         // why the number was refused
};

struct CTechReply {
    int result = 0;
    int requestLength = 0;     // after the last appended byte
    int replyBytes = 0;
    std::vector<std::string> lines;
    std::string resultText;    // "OK", the CSR text or the link's error text
    long long elapsedMs = 0;
};

class CTechConsole {
public:
    static constexpr const char* Caption = "Technical";
    static constexpr int MaxData = 255; // one frame's data
    static constexpr int BytesPerLine = 10;
    static constexpr int MaxCommand = 255; // one byte in the frame

    // The command number: a text that is not a decimal number is command 0; a decimal number
    // outside 0..255 is refused (it would go out as its low byte, another command).
    static CTechCommand ParseCommandText(const std::string& text);

    // Splits at blanks and commas (runs count as one). A token that is not a decimal integer,
    // or more than 255 bytes, refuses the whole text.
    static CTechRequest ParseWriteText(const std::string& text);
    // "%3d" fields joined by ",", ten to a line.
    static std::vector<std::string> DumpLines(const std::vector<uint8_t>& bytes);
    // Builds the request, runs it through CDevice::Command and reads the reply.
    static CTechReply Execute(CDevice& device, int command, const std::vector<uint8_t>& data);
};

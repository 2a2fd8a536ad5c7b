#pragma once
// BOOTP for one client: the configured hardware address, IP address, subnet mask and router,
// their text forms, and the 300-byte reply built from a request.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

namespace bootp {
constexpr int ServerPort = 67;
constexpr int ClientPort = 68;
constexpr const char* BroadcastAddress = "255.255.255.255";
constexpr size_t ReplySize = 300;
constexpr size_t MaxDatagram = 1024;
constexpr uint8_t BootRequest = 1;
constexpr uint8_t BootReply = 2;
constexpr size_t OffsetYiaddr = 16;
constexpr size_t OffsetChaddr = 28;
constexpr size_t ChaddrSize = 16;
// The shortest request answered: one that holds the client's hardware address. The bytes past
// its end (server name, boot file, vendor cookie) read as 0.
constexpr size_t MinRequestSize = OffsetChaddr + ChaddrSize;
constexpr size_t OffsetOptions = 240;
constexpr uint8_t OptionSubnetMask = 1;
constexpr uint8_t OptionRouter = 3;
constexpr uint8_t OptionEnd = 255;
} // namespace bootp

using CIPv4 = std::array<uint8_t, 4>;          // first number first (network order)
using CHardwareAddress = std::array<uint8_t, bootp::ChaddrSize>;

// "a.b.c.d" with four decimal numbers 0..255. False with a reason otherwise.
bool ParseIPv4Text(const std::string& text, CIPv4& address, std::string& error);
// "x:x:x:x:x:x" with six hexadecimal numbers 0..FF; bytes 6 to 15 are 0.
bool ParseMacText(const std::string& text, CHardwareAddress& mac, std::string& error);
// The first six bytes as two-digit upper-case hexadecimal joined by ":".
std::string MacText(const uint8_t* mac);

struct CBootPConfig {
    std::string macText, ipText, maskText, gateText;
    CHardwareAddress mac{};
    CIPv4 ip{}, mask{}, gate{};

    // Parses the four texts; false with a message naming the field when one is refused.
    bool Parse(const std::string& macT, const std::string& ipT, const std::string& maskT,
               const std::string& gateT, std::string& error);
};

class CBootPPacket {
public:
    // A BOOTREQUEST long enough to hold the client's hardware address.
    static bool IsRequest(const uint8_t* data, size_t length);
    // The request's 16-byte client hardware address equals the configured one.
    static bool FromClient(const uint8_t* data, size_t length, const CHardwareAddress& mac);
    // The reply: the request's bytes (zeros past its end) with op, yiaddr and the options set.
    static std::array<uint8_t, bootp::ReplySize> BuildReply(const uint8_t* request, size_t length,
                                                           const CBootPConfig& config);
};

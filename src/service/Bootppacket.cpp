#include "service/Bootppacket.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <vector>

namespace {

// Splits at sep; each part must be 1..maxDigits digits of the base.
bool SplitNumbers(const std::string& text, char sep, int base, size_t count, std::vector<unsigned>& out)
{
    out.clear();
    size_t pos = 0;
    for (;;) {
        size_t end = text.find(sep, pos);
        if (end == std::string::npos)
            end = text.size();
        std::string part = text.substr(pos, end - pos);
        while (!part.empty() && std::isspace(static_cast<unsigned char>(part.front())))
            part.erase(part.begin());
        while (!part.empty() && std::isspace(static_cast<unsigned char>(part.back())))
            part.pop_back();
        if (part.empty() || part.size() > 8)
            return false;
        unsigned v = 0;
        for (char c : part) {
            const unsigned char u = static_cast<unsigned char>(c);
            if (base == 10 ? !std::isdigit(u) : !std::isxdigit(u))
                return false;
            v = v * static_cast<unsigned>(base) +
                static_cast<unsigned>(std::isdigit(u) ? u - '0' : std::tolower(u) - 'a' + 10);
        }
        out.push_back(v);
        if (end == text.size())
            break;
        pos = end + 1;
    }
    return out.size() == count;
}

} // namespace

bool ParseIPv4Text(const std::string& text, CIPv4& address, std::string& error)
{
    std::vector<unsigned> n;
    if (!SplitNumbers(text, '.', 10, 4, n)) {
        error = "\"" + text + "\" is not an address of four numbers joined by \".\"";
        return false;
    }
    for (unsigned v : n)
        if (v > 255) {
            error = "\"" + text + "\": " + std::to_string(v) + " is above 255";
            return false;
        }
    for (size_t i = 0; i < 4; ++i)
        address[i] = static_cast<uint8_t>(n[i]);
    return true;
}

bool ParseMacText(const std::string& text, CHardwareAddress& mac, std::string& error)
{
    std::vector<unsigned> n;
    if (!SplitNumbers(text, ':', 16, 6, n)) {
        error = "\"" + text + "\" is not six hexadecimal numbers joined by \":\"";
        return false;
    }
    for (unsigned v : n)
        if (v > 0xFF) {
            error = "\"" + text + "\": a number is above FF";
            return false;
        }
    mac.fill(0);
    for (size_t i = 0; i < 6; ++i)
        mac[i] = static_cast<uint8_t>(n[i]);
    return true;
}

std::string MacText(const uint8_t* mac)
{
    char text[24];
    std::snprintf(text, sizeof text, "%02X:%02X:%02X:%02X:%02X:%02X", mac[0], mac[1], mac[2], mac[3],
                  mac[4], mac[5]);
    return text;
}

bool CBootPConfig::Parse(const std::string& macT, const std::string& ipT, const std::string& maskT,
                         const std::string& gateT, std::string& error)
{
    CBootPConfig c;
    std::string why;
    if (!ParseMacText(macT, c.mac, why)) {
        error = "Unit MAC address: " + why;
        return false;
    }
    const struct {
        const char* name;
        const std::string& text;
        CIPv4& out;
    } fields[] = {{"IP address", ipT, c.ip}, {"Subnet mask", maskT, c.mask}, {"Default gateway", gateT, c.gate}};
    for (const auto& f : fields)
        if (!ParseIPv4Text(f.text, f.out, why)) {
            error = std::string(f.name) + ": " + why;
            return false;
        }
    c.macText = macT;
    c.ipText = ipT;
    c.maskText = maskT;
    c.gateText = gateT;
    *this = c;
    return true;
}

bool CBootPPacket::IsRequest(const uint8_t* data, size_t length)
{
    return data && length >= bootp::MinRequestSize && data[0] == bootp::BootRequest;
}

bool CBootPPacket::FromClient(const uint8_t* data, size_t length, const CHardwareAddress& mac)
{
    return IsRequest(data, length) &&
           std::memcmp(data + bootp::OffsetChaddr, mac.data(), bootp::ChaddrSize) == 0;
}

std::array<uint8_t, bootp::ReplySize> CBootPPacket::BuildReply(const uint8_t* request, size_t length,
                                                              const CBootPConfig& config)
{
    std::array<uint8_t, bootp::ReplySize> reply{};
    if (request)
        std::memcpy(reply.data(), request, std::min(length, reply.size()));
    reply[0] = bootp::BootReply;
    std::memcpy(reply.data() + bootp::OffsetYiaddr, config.ip.data(), 4);
    uint8_t* o = reply.data() + bootp::OffsetOptions;
    *o++ = bootp::OptionSubnetMask;
    *o++ = 4;
    std::memcpy(o, config.mask.data(), 4);
    o += 4;
    *o++ = bootp::OptionRouter;
    *o++ = 4;
    std::memcpy(o, config.gate.data(), 4);
    o += 4;
    *o = bootp::OptionEnd;
    return reply;
}

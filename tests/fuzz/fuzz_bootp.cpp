// A BootP datagram of any bytes: only a whole request from the configured client is answered,
// and the reply is built from the bytes present alone.
#include "fuzz/Fuzzcheck.h"
#include "service/Bootppacket.h"

#include <cstdint>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > 2048)
        return 0;
    static const CBootPConfig config = [] {
        CBootPConfig c;
        std::string error;
        c.Parse("00-50-C2-12-34-56", "192.168.1.20", "255.255.255.0", "192.168.1.1", error);
        return c;
    }();
    const std::vector<uint8_t> datagram(data, data + size); // exact size: a read past it is caught
    if (!CBootPPacket::IsRequest(datagram.data(), datagram.size()))
        return 0;
    FUZZ_CHECK(size >= bootp::MinRequestSize);
    if (CBootPPacket::FromClient(datagram.data(), datagram.size(), config.mac)) {
        const auto reply = CBootPPacket::BuildReply(datagram.data(), datagram.size(), config);
        FUZZ_CHECK(reply[0] == 2); // a reply
    }
    return 0;
}

// BootP: the address texts, the 300-byte reply field by field, and the server on loopback with
// its ports injected: the configured client gets its reply on the interface it asked from;
// other clients, replies and short datagrams get nothing and the server goes on.

#include "service/Bootpserver.h"

#include <gtest/gtest.h>

#include <array>
#include <cstring>

namespace {

CBootPConfig Config()
{
    CBootPConfig c;
    std::string error;
    EXPECT_TRUE(c.Parse("2:1a:b:3:4:5", "192.168.7.20", "255.255.0.0", "192.168.7.1", error)) << error;
    return c;
}

std::vector<uint8_t> Request(size_t length = 300)
{
    std::vector<uint8_t> r(length);
    for (size_t i = 0; i < length; ++i)
        r[i] = static_cast<uint8_t>(0x40 + i % 64);
    r[0] = 1;
    const uint8_t mac[16] = {0x02, 0x1A, 0x0B, 0x03, 0x04, 0x05};
    if (length >= 44)
        std::memcpy(r.data() + 28, mac, 16);
    return r;
}

TEST(BootPText, AddressesAndRefusals)
{
    CIPv4 ip{};
    CHardwareAddress mac{};
    std::string error;
    ASSERT_TRUE(ParseMacText("2:1a:b:3:4:5", mac, error));
    EXPECT_EQ(mac, (CHardwareAddress{0x02, 0x1A, 0x0B, 0x03, 0x04, 0x05}));
    EXPECT_EQ(MacText(mac.data()), "02:1A:0B:03:04:05");
    ASSERT_TRUE(ParseIPv4Text("10.0.200.255", ip, error));
    EXPECT_EQ(ip, (CIPv4{10, 0, 200, 255}));

    EXPECT_FALSE(ParseIPv4Text("10.0.0.256", ip, error));
    EXPECT_EQ(error, "\"10.0.0.256\": 256 is above 255");
    for (const char* bad : {"10.0.0", "10.0.0.1.2", "a.b.c.d", "", "10..0.1"})
        EXPECT_FALSE(ParseIPv4Text(bad, ip, error)) << bad;
    EXPECT_EQ(ip, (CIPv4{10, 0, 200, 255})); // unchanged
    for (const char* bad : {"100:0:0:0:0:0", "0:0:0:0:0", "g:0:0:0:0:0"})
        EXPECT_FALSE(ParseMacText(bad, mac, error)) << bad;

    CBootPConfig c = Config();
    EXPECT_FALSE(c.Parse("2:1a:b:3:4:5", "192.168.7.20", "255.255.0.300", "192.168.7.1", error));
    EXPECT_EQ(error, "Subnet mask: \"255.255.0.300\": 300 is above 255");
    EXPECT_EQ(c.maskText, "255.255.0.0"); // the refused texts change nothing
}

TEST(BootPPacket, ReplyFieldByField)
{
    const CBootPConfig c = Config();
    const std::vector<uint8_t> req = Request();
    ASSERT_TRUE(CBootPPacket::FromClient(req.data(), req.size(), c.mac));
    const auto reply = CBootPPacket::BuildReply(req.data(), req.size(), c);
    ASSERT_EQ(reply.size(), 300u);
    EXPECT_EQ(reply[0], 2);
    for (size_t i = 1; i < 16; ++i)
        EXPECT_EQ(reply[i], req[i]) << i;
    EXPECT_EQ((std::vector<uint8_t>(reply.begin() + 16, reply.begin() + 20)),
              (std::vector<uint8_t>{192, 168, 7, 20}));
    for (size_t i = 20; i < 240; ++i)
        EXPECT_EQ(reply[i], req[i]) << i;
    const std::vector<uint8_t> options{1, 4, 255, 255, 0, 0, 3, 4, 192, 168, 7, 1, 255};
    EXPECT_EQ((std::vector<uint8_t>(reply.begin() + 240, reply.begin() + 253)), options);
    for (size_t i = 253; i < 300; ++i)
        EXPECT_EQ(reply[i], req[i]) << i;

    // A request of 240 bytes: the bytes past its end are zero.
    const std::vector<uint8_t> shortReq = Request(240);
    const auto r2 = CBootPPacket::BuildReply(shortReq.data(), shortReq.size(), c);
    for (size_t i = 253; i < 300; ++i)
        EXPECT_EQ(r2[i], 0) << i;

    // The hardware address compares all 16 bytes; op and length are checked.
    std::vector<uint8_t> other = req;
    other[34] = 1;
    EXPECT_FALSE(CBootPPacket::FromClient(other.data(), other.size(), c.mac));
    other = req;
    other[0] = 2;
    EXPECT_FALSE(CBootPPacket::IsRequest(other.data(), other.size()));
    EXPECT_FALSE(CBootPPacket::IsRequest(req.data(), 43)); // the hardware address cut short
    EXPECT_FALSE(CBootPPacket::IsRequest(req.data(), 0));
}

TEST(BootPPacket, RequestWithoutVendorAreaIsAnsweredWithZerosForTheMissingBytes)
{
    const CBootPConfig c = Config();
    for (const size_t length : {236u, 239u}) {
        const std::vector<uint8_t> req = Request(length);
        ASSERT_TRUE(CBootPPacket::FromClient(req.data(), req.size(), c.mac)) << length;
    }
    // The shortest request answered ends with the hardware address.
    const std::vector<uint8_t> req = Request(44);
    ASSERT_TRUE(CBootPPacket::FromClient(req.data(), req.size(), c.mac));
    const auto reply = CBootPPacket::BuildReply(req.data(), req.size(), c);
    std::array<uint8_t, 300> golden{};
    golden[0] = 2;
    for (size_t i = 1; i < 16; ++i)
        golden[i] = static_cast<uint8_t>(0x40 + i);
    const uint8_t yiaddr[4] = {192, 168, 7, 20};
    std::memcpy(golden.data() + 16, yiaddr, 4);
    for (size_t i = 20; i < 28; ++i)
        golden[i] = static_cast<uint8_t>(0x40 + i);
    const uint8_t chaddr[16] = {0x02, 0x1A, 0x0B, 0x03, 0x04, 0x05};
    std::memcpy(golden.data() + 28, chaddr, 16);
    const uint8_t options[13] = {1, 4, 255, 255, 0, 0, 3, 4, 192, 168, 7, 1, 255};
    std::memcpy(golden.data() + 240, options, 13);
    EXPECT_EQ(reply, golden);
}

class BootPServerLoopback : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(client.Open(), 0);
        ASSERT_EQ(client.Bind(0), 0);
        CBootPPorts ports;
        ports.server = 0;
        ports.client = client.LocalPort();
        server.SetPorts(ports);
        ASSERT_TRUE(server.Open()) << Log();
    }
    std::string Log() const
    {
        std::string s;
        for (const auto& l : log)
            s += l + "\n";
        return s;
    }
    void Send(const std::vector<uint8_t>& d)
    {
        ASSERT_EQ(client.Send(d.data(), d.size(), "127.0.0.1", server.LocalPort(), 0),
                  static_cast<ssize_t>(d.size()));
    }
    // The reply the client got, or an empty vector when nothing came within the wait.
    std::vector<uint8_t> Reply(int waitMs)
    {
        int err = 0;
        if (client.WaitReadable(waitMs, err) != platform::SocketWait::Ready)
            return {};
        std::vector<uint8_t> buffer(1024);
        platform::DatagramSource from;
        const ssize_t n = client.Receive(buffer.data(), buffer.size(), from);
        buffer.resize(n > 0 ? static_cast<size_t>(n) : 0);
        return buffer;
    }

    platform::UdpSocket client;
    std::vector<std::string> log;
    CBootPServer server{[this](const std::string& l) { log.push_back(l); }};
    CBootPConfig config = Config();
};

TEST_F(BootPServerLoopback, ConfiguredClientGetsTheBroadcastReply)
{
    const std::vector<uint8_t> req = Request();
    Send(req);
    EXPECT_EQ(server.ServeOnce(config, 5000), CBootPServer::Pass::Answered) << Log();
    const std::vector<uint8_t> reply = Reply(5000);
    const auto expected = CBootPPacket::BuildReply(req.data(), req.size(), config);
    EXPECT_EQ(reply, std::vector<uint8_t>(expected.begin(), expected.end()));
    ASSERT_EQ(log.size(), 6u) << Log();
    EXPECT_EQ(log[0], "");
    EXPECT_EQ(log[1].rfind("Received from 127.0.0.1  Port ", 0), 0u);
    EXPECT_EQ(log[2], "MAC=02:1A:0B:03:04:05");
    EXPECT_EQ(log[4], "Sent to 255.255.255.255  Port " + std::to_string(client.LocalPort()) + " :");
    EXPECT_EQ(log[5], "IP=192.168.7.20  Mask=255.255.0.0  Gate=192.168.7.1");
}

TEST_F(BootPServerLoopback, OthersAndShortDatagramsGetNothingAndTheServerGoesOn)
{
    std::vector<uint8_t> other = Request();
    other[34] = 9; // same six bytes, a non-zero byte 6
    Send(other);
    EXPECT_EQ(server.ServeOnce(config, 5000), CBootPServer::Pass::Ignored);
    EXPECT_EQ(log.size(), 3u) << Log(); // its MAC line is logged
    std::vector<uint8_t> replyOp = Request();
    replyOp[0] = 2;
    Send(replyOp);
    EXPECT_EQ(server.ServeOnce(config, 5000), CBootPServer::Pass::Ignored);
    Send(Request(43));
    EXPECT_EQ(server.ServeOnce(config, 5000), CBootPServer::Pass::Ignored);
    Send({});
    EXPECT_EQ(server.ServeOnce(config, 5000), CBootPServer::Pass::Ignored);
    EXPECT_EQ(log.size(), 3u) << Log();
    EXPECT_TRUE(server.IsOpen());
    EXPECT_TRUE(Reply(0).empty());
    // Still serving.
    Send(Request());
    EXPECT_EQ(server.ServeOnce(config, 5000), CBootPServer::Pass::Answered) << Log();
    EXPECT_EQ(Reply(5000).size(), 300u);
}

TEST_F(BootPServerLoopback, RequestShorterThanTheHeaderIsAnswered)
{
    const std::vector<uint8_t> req = Request(236); // no vendor cookie
    Send(req);
    EXPECT_EQ(server.ServeOnce(config, 5000), CBootPServer::Pass::Answered) << Log();
    const auto expected = CBootPPacket::BuildReply(req.data(), req.size(), config);
    EXPECT_EQ(Reply(5000), std::vector<uint8_t>(expected.begin(), expected.end()));
    ASSERT_GE(log.size(), 3u) << Log();
    EXPECT_EQ(log[2], "MAC=02:1A:0B:03:04:05");
}

TEST_F(BootPServerLoopback, PortInUseIsReportedWithWhatToDo)
{
    CBootPServer second([this](const std::string& l) { log.push_back(l); });
    CBootPPorts ports;
    ports.server = server.LocalPort();
    second.SetPorts(ports);
    EXPECT_FALSE(second.Open());
    ASSERT_EQ(log.size(), 3u) << Log();
    EXPECT_EQ(log[0], "Bind error");
    EXPECT_EQ(log[1].rfind("[10048] ", 0), 0u) << log[1];
    EXPECT_NE(log[2].find("stop it, then Listen again"), std::string::npos);
    EXPECT_FALSE(second.IsOpen());
}

} // namespace

// The network link against the simulated gateway and networked unit on loopback.

#include "link/Modbusframe.h"
#include "link/Ostrabus.h"
#include "simunit/Simgateway.h"
#include "simunit/Simunit.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <cstring>
#include <netinet/in.h>
#include <string>
#include <sys/socket.h>
#include <unistd.h>

using simunit::SimGateway;

namespace {

const char* const FakeModel = "NET-TEST";

// A stand-in unit: command 128 answers a model text, 1..127 a CSR of 0 followed by the request.
SimGateway::UnitAnswer EchoUnit()
{
    return [](uint8_t command, const std::vector<uint8_t>& data, std::vector<uint8_t>& reply) {
        if (command == 128) {
            reply.assign(FakeModel, FakeModel + std::strlen(FakeModel) + 1);
        } else {
            reply = {0};
            reply.insert(reply.end(), data.begin(), data.end());
        }
        return true;
    };
}

std::string ReplyText(COstraBus& bus)
{
    return std::string(reinterpret_cast<const char*>(bus.Buffer()),
                       strnlen(reinterpret_cast<const char*>(bus.Buffer()), static_cast<size_t>(bus.ReplyLength())));
}

class NetLink : public ::testing::Test {
protected:
    SimGateway gateway{SimGateway::Role::Gateway};
    SimGateway unit{SimGateway::Role::NetworkUnit};
    COstraBus bus;
    std::string localList;

    void SetUp() override
    {
        gateway.AddPort("COM1", 2, EchoUnit());
        gateway.AddPort("COM2", 3, EchoUnit());
        unit.SetUnit(EchoUnit());
        ASSERT_TRUE(gateway.Start(0));
        ASSERT_TRUE(unit.Start(0));
        ASSERT_NE(gateway.Port(), 0);
        bus.SetNetworkTimeout(5000);
        localList = bus.PortList();
    }

    void ConnectGateway(bool udp = false)
    {
        ASSERT_EQ(bus.SetSite("Local gateway"), 0);
        ASSERT_EQ(bus.ConnectNetwork(gateway.Port(), 7, udp), 0) << bus.LastError();
        ASSERT_TRUE(bus.IsGateway());
        ASSERT_EQ(bus.OpenPort("COM1", 9600, 500, 2), 0) << bus.LastError();
    }
};

} // namespace

TEST(NetSite, SiteKinds)
{
    COstraBus bus;
    EXPECT_EQ(bus.SetSite(""), 0);
    EXPECT_EQ(bus.IPAddress(), "");
    EXPECT_EQ(bus.SetSite("Local gateway"), 0);
    EXPECT_EQ(bus.IPAddress(), "127.0.0.1");
    EXPECT_EQ(bus.Site(), "Local gateway");
    EXPECT_EQ(bus.SetSite("192.168.10.20"), 0);
    EXPECT_EQ(bus.IPAddress(), "192.168.10.20");
    EXPECT_EQ(bus.HostName(), "");
    EXPECT_EQ(bus.SetSite("matcher.lab"), 1);
    EXPECT_EQ(bus.HostName(), "matcher.lab");
    EXPECT_EQ(bus.IPAddress(), "");
    // No address yet: nothing to connect.
    EXPECT_EQ(bus.ConnectNetwork(502, 1, false), 0);
    EXPECT_FALSE(bus.HasSocket());
}

TEST_F(NetLink, GatewayIsProbedWithUnitIdZero)
{
    ASSERT_EQ(bus.SetSite("127.0.0.1"), 0);
    ASSERT_EQ(bus.ConnectNetwork(gateway.Port(), 7, false), 0) << bus.LastError();
    EXPECT_TRUE(bus.IsGateway());
    EXPECT_FALSE(bus.IsConnected()); // no port open yet
    EXPECT_EQ(bus.PortList(), "COM1,COM2");
    EXPECT_EQ(bus.GatewayVersion(), 105);
    auto frames = gateway.Requests();
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_EQ(frames[0][6], 0);  // unit id
    EXPECT_EQ(frames[0][17], 0); // command 0
    EXPECT_EQ(frames[0][19], 2); // port list
    EXPECT_EQ(frames[0].size(), 23u);
    EXPECT_EQ(frames[1][6], 0);
    EXPECT_EQ(frames[1][19], 1); // version
}

TEST_F(NetLink, VersionReplies)
{
    const struct {
        const char* text;
        int version;
    } cases[] = {{"A05", 105}, {"_07", 7}, {"C21", 321}, {"A5", 0}, {"A0x", 0}};
    for (const auto& c : cases) {
        gateway.SetVersionText(c.text);
        ASSERT_EQ(bus.SetSite("Local gateway"), 0);
        ASSERT_EQ(bus.ConnectNetwork(gateway.Port(), 0, false), 0) << bus.LastError();
        EXPECT_EQ(bus.GatewayVersion(), c.version) << c.text;
        bus.DisconnectNetwork();
    }
}

TEST_F(NetLink, NetworkedUnitIsToldApartFromGateway)
{
    ASSERT_EQ(bus.SetSite("127.0.0.1"), 0);
    ASSERT_EQ(bus.ConnectNetwork(unit.Port(), 9, false), 0) << bus.LastError();
    EXPECT_TRUE(bus.IsDirectNetwork());
    EXPECT_TRUE(bus.IsConnected());
    EXPECT_EQ(bus.PortList(), "");
    EXPECT_EQ(bus.GatewayVersion(), 0);
    EXPECT_EQ(bus.OpenPort("COM1", 9600, 500, 2), 0); // nothing to open on a unit
    ASSERT_EQ(bus.Transact(128), 0) << bus.LastError();
    EXPECT_EQ(ReplyText(bus), FakeModel);
    auto frames = unit.Requests();
    ASSERT_EQ(frames.size(), 3u);
    EXPECT_EQ(frames[0][6], 0); // probe while the local list is still held
    EXPECT_EQ(frames[1][6], 9);
    EXPECT_EQ(frames[2][6], 9);
    EXPECT_EQ(frames[2][17], 128);
}

TEST_F(NetLink, GatewaySubCommands)
{
    ConnectGateway();
    EXPECT_EQ(bus.GatewayHandle(), gateway.LastHandle());
    EXPECT_EQ(bus.GatewayHandle(), SimGateway::FirstHandle);
    EXPECT_EQ(bus.PortName(), "COM1");
    EXPECT_TRUE(bus.IsConnected());

    gateway.SetInformationText("Two ports, both idle");
    std::string info;
    EXPECT_EQ(bus.ReadGatewayInformation(info), 0);
    EXPECT_EQ(info, "Two ports, both idle");
    EXPECT_EQ(bus.Purge(), 0);

    const uint8_t data[] = {10, 20, 30};
    bus.AppendBytes(data, 3);
    ASSERT_EQ(bus.Transact(40), 0) << bus.LastError();
    ASSERT_EQ(bus.ReplyLength(), 4);
    EXPECT_EQ(bus.Buffer()[3], 30);
    EXPECT_EQ(gateway.Requests().back()[6], 0); // gateway link: unit id 0

    EXPECT_EQ(bus.ClosePort(), 0);
    EXPECT_EQ(bus.GatewayHandle(), 0u);
    EXPECT_EQ(bus.Transact(128), linkerr::NotConnected);
}

TEST_F(NetLink, DisconnectForgetsTheGatewayPort)
{
    ConnectGateway();
    bus.DisconnectNetwork();
    EXPECT_FALSE(bus.HasSocket());
    EXPECT_EQ(bus.GatewayHandle(), 0u);
    EXPECT_EQ(bus.PortName(), "");
    EXPECT_FALSE(bus.IsConnected());
    EXPECT_EQ(bus.PortList(), localList);
    EXPECT_EQ(bus.Transact(128), linkerr::NotConnected);
    // Without a gateway there is no information to read, not an empty one.
    std::string info = "stale";
    EXPECT_EQ(bus.ReadGatewayInformation(info), linkerr::NotConnected);
    EXPECT_EQ(info, "");
    EXPECT_EQ(bus.LastError(), "Disconnected");
}

TEST_F(NetLink, UnknownGatewayPortIsRefusedWithItsText)
{
    ASSERT_EQ(bus.SetSite("Local gateway"), 0);
    ASSERT_EQ(bus.ConnectNetwork(gateway.Port(), 0, false), 0);
    EXPECT_EQ(bus.OpenPort("COM9", 9600, 500, 2), linkerr::NetworkError);
    EXPECT_EQ(bus.LastError(), "Port not found");
    EXPECT_EQ(bus.GatewayHandle(), 0u);
    EXPECT_TRUE(bus.HasSocket()); // a refusal keeps the link
}

TEST_F(NetLink, ReplySplitAcrossSegmentsIsReassembled)
{
    ConnectGateway();
    gateway.SplitReplies(1);
    ASSERT_EQ(bus.Transact(128), 0) << bus.LastError();
    EXPECT_EQ(ReplyText(bus), FakeModel);
}

TEST_F(NetLink, BusyIsRepeatedThenSucceeds)
{
    ConnectGateway();
    const size_t before = gateway.RequestCount();
    gateway.AnswerBusy(2);
    ASSERT_EQ(bus.Transact(128), 0) << bus.LastError();
    EXPECT_EQ(ReplyText(bus), FakeModel);
    auto frames = gateway.Requests();
    ASSERT_EQ(frames.size(), before + 3);
    // The same request each time, each in a transaction of its own.
    ASSERT_EQ(frames[before].size(), frames[before + 2].size());
    EXPECT_TRUE(std::equal(frames[before].begin() + 2, frames[before].end(), frames[before + 2].begin() + 2));
    EXPECT_NE(modbusframe::TransactionId(frames[before].data()),
              modbusframe::TransactionId(frames[before + 2].data()));
}

TEST_F(NetLink, BusyPastTheBoundGivesBusy)
{
    ConnectGateway();
    gateway.AnswerBusy(COstraBus::MaxBusyRepeats + 10);
    EXPECT_EQ(bus.Transact(128), linkerr::GatewayBusy);
    EXPECT_EQ(bus.LastError().rfind("Gateway still busy", 0), 0u) << bus.LastError();
    EXPECT_NE(bus.LastError().find("Gateway busy"), std::string::npos) << bus.LastError();
    EXPECT_TRUE(bus.HasSocket());
}

TEST_F(NetLink, PeerCloseDropsTheLinkAndRestoresThePortList)
{
    ConnectGateway();
    gateway.CloseMidReply();
    EXPECT_EQ(bus.Transact(128), linkerr::ConnectionLost);
    EXPECT_EQ(bus.LastError(), "Unexpected close of connection");
    EXPECT_FALSE(bus.HasSocket());
    EXPECT_EQ(bus.PortList(), localList);
    EXPECT_EQ(bus.GatewayHandle(), 0u);
    EXPECT_EQ(bus.PortName(), "");
    EXPECT_EQ(bus.IPAddress(), "");
    EXPECT_EQ(bus.Transact(128), linkerr::NotConnected);
}

TEST_F(NetLink, LateAnswerTimesOut)
{
    ConnectGateway();
    bus.SetNetworkTimeout(50);
    gateway.AnswerLate(400);
    EXPECT_EQ(bus.Transact(128), linkerr::ConnectionLost);
    EXPECT_EQ(bus.LastError(), "Time-out (recv)");
    EXPECT_FALSE(bus.HasSocket());
}

TEST_F(NetLink, WrongLengthFieldIsRefusedAndTheLinkStays)
{
    ConnectGateway();
    for (int field : {4, 1019}) {
        gateway.WrongLength(field);
        EXPECT_EQ(bus.Transact(128), linkerr::NetworkError) << field;
        EXPECT_EQ(bus.LastError(), "Wrong packet length") << field;
        EXPECT_EQ(bus.ReplyLength(), 0);
        ASSERT_TRUE(bus.HasSocket());
    }
}

TEST_F(NetLink, PaddedReplyDoesNotShiftTheNextOne)
{
    ConnectGateway();
    gateway.PadReplies(2);
    ASSERT_EQ(bus.Transact(128), 0) << bus.LastError();
    EXPECT_EQ(ReplyText(bus), FakeModel);
    // The two bytes behind the first frame must not be taken as the start of this reply.
    ASSERT_EQ(bus.Transact(128), 0) << bus.LastError();
    EXPECT_EQ(ReplyText(bus), FakeModel);
}

TEST_F(NetLink, OpenReplyWithoutAWholeHandleIsRefused)
{
    ASSERT_EQ(bus.SetSite("Local gateway"), 0);
    ASSERT_EQ(bus.ConnectNetwork(gateway.Port(), 0, false), 0) << bus.LastError();
    gateway.TruncateReplies(2);
    EXPECT_EQ(bus.OpenPort("COM1", 9600, 500, 2), linkerr::NetworkError);
    EXPECT_EQ(bus.LastError(), "Wrong packet length");
    EXPECT_EQ(bus.GatewayHandle(), 0u);
    EXPECT_EQ(bus.PortName(), "");
    EXPECT_FALSE(bus.IsConnected());
    EXPECT_TRUE(bus.HasSocket());
    // A whole reply opens the port.
    ASSERT_EQ(bus.OpenPort("COM1", 9600, 500, 2), 0) << bus.LastError();
    EXPECT_EQ(bus.GatewayHandle(), gateway.LastHandle());
}

TEST_F(NetLink, UdpRoundTrip)
{
    ConnectGateway(true);
    EXPECT_TRUE(bus.Udp());
    EXPECT_EQ(bus.PortList(), "COM1,COM2");
    ASSERT_EQ(bus.Transact(128), 0) << bus.LastError();
    EXPECT_EQ(ReplyText(bus), FakeModel);

    gateway.AnswerBusy(1);
    ASSERT_EQ(bus.Transact(128), 0) << bus.LastError();

    // A datagram shorter than its length field.
    gateway.WrongLength(60);
    EXPECT_EQ(bus.Transact(128), linkerr::NetworkError);
    EXPECT_EQ(bus.LastError(), "Wrong packet length");
}

TEST_F(NetLink, UdpToNetworkedUnit)
{
    ASSERT_EQ(bus.SetSite("127.0.0.1"), 0);
    ASSERT_EQ(bus.ConnectNetwork(unit.Port(), 4, true), 0) << bus.LastError();
    EXPECT_TRUE(bus.IsDirectNetwork());
    ASSERT_EQ(bus.Transact(128), 0) << bus.LastError();
    EXPECT_EQ(ReplyText(bus), FakeModel);
}

TEST(NetConnect, RefusedConnectGivesTheMappedText)
{
    // A bound TCP socket that does not listen refuses every connection to its port.
    int fd = socket(AF_INET, SOCK_STREAM, 0);
    ASSERT_GE(fd, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof addr;
    ASSERT_EQ(bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
    ASSERT_EQ(getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len), 0);

    COstraBus bus;
    const std::string localList = bus.PortList();
    ASSERT_EQ(bus.SetSite("Local gateway"), 0);
    EXPECT_EQ(bus.ConnectNetwork(ntohs(addr.sin_port), 0, false), 10061);
    EXPECT_EQ(bus.LastError(), "[10061] No server application running");
    EXPECT_FALSE(bus.HasSocket());
    EXPECT_EQ(bus.PortList(), localList);
    close(fd);
}

// The whole way through: a simulated unit identifies itself behind the gateway and as a
// networked unit, over TCP and over UDP.
TEST(NetIdentify, SimulatedUnitAnswersEveryWay)
{
    simunit::SimUnit unit(2);
    unit.SetModel("VANT-NET");
    SimGateway gateway(SimGateway::Role::Gateway);
    gateway.AddPort("COM1", unit.Address(), SimGateway::AnswerFrom(unit));
    SimGateway networked(SimGateway::Role::NetworkUnit);
    networked.SetUnit(SimGateway::AnswerFrom(unit));
    ASSERT_TRUE(gateway.Start(0));
    ASSERT_TRUE(networked.Start(0));

    for (bool udp : {false, true}) {
        for (SimGateway* peer : {&gateway, &networked}) {
            SCOPED_TRACE(std::string(udp ? "UDP " : "TCP ")
                         + (peer == &gateway ? "gateway" : "networked unit"));
            COstraBus bus;
            bus.SetNetworkTimeout(5000);
            ASSERT_EQ(bus.SetSite("Local gateway"), 0);
            ASSERT_EQ(bus.ConnectNetwork(peer->Port(), 1, udp), 0) << bus.LastError();
            ASSERT_EQ(bus.OpenPort("COM1", 9600, 500, 2), 0) << bus.LastError();
            ASSERT_TRUE(bus.IsConnected());
            ASSERT_EQ(bus.Transact(simunit::SimUnit::IdentifyCommand), 0) << bus.LastError();
            EXPECT_EQ(ReplyText(bus), "VANT-NET");
            // An unknown command comes back with the unit's CSR.
            EXPECT_EQ(bus.Transact(50), simunit::SimUnit::CsrUnknownCommand);
        }
    }
}

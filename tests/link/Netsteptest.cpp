// A reply must answer the request that was sent: late bytes of an earlier exchange never pass for
// the answer to a later one, over TCP or UDP.

#include "link/Modbusframe.h"
#include "link/Ostrabus.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <atomic>
#include <functional>
#include <netinet/in.h>
#include <string>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

using Frame = std::vector<uint8_t>;

// A data reply frame: header, function, byte count, command, length, data.
Frame DataReply(uint16_t transactionId, uint8_t unitId, uint8_t command, const std::string& data)
{
    const int l = 5 + static_cast<int>(data.size());
    Frame f { uint8_t(transactionId >> 8), uint8_t(transactionId), 0, 0, uint8_t(l >> 8), uint8_t(l),
        unitId, modbusframe::FunctionReadWrite, uint8_t(data.size() + 2), command, uint8_t(data.size()) };
    for (const char c : data)
        f.push_back(uint8_t(c));
    return f;
}

// A networked unit on loopback (TCP or UDP) whose answer to each request is scripted: the
// request number (1 = the port list of the connect, 2 = the version) and the request frame give
// the bytes to send back.
class ScriptedPeer {
public:
    using Script = std::function<Frame(int number, const Frame& request)>;

    ScriptedPeer(bool udp, Script script)
        : udp_(udp)
        , script_(std::move(script))
    {
        fd_ = ::socket(AF_INET, udp ? SOCK_DGRAM : SOCK_STREAM, 0);
        sockaddr_in addr {};
        addr.sin_family = AF_INET;
        addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ::bind(fd_, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
        socklen_t len = sizeof addr;
        ::getsockname(fd_, reinterpret_cast<sockaddr*>(&addr), &len);
        port_ = ntohs(addr.sin_port);
        if (!udp)
            ::listen(fd_, 1);
        thread_ = std::thread([this] { udp_ ? ServeUdp() : ServeTcp(); });
    }
    ~ScriptedPeer()
    {
        stop_ = true;
        ::shutdown(fd_, SHUT_RDWR);
        if (conn_ >= 0)
            ::shutdown(conn_, SHUT_RDWR);
        thread_.join();
        ::close(fd_);
    }
    int Port() const { return port_; }

    // The connect's two requests: a networked unit (one-byte port list), version "A05".
    static Frame ConnectReply(int number, const Frame& request)
    {
        const uint16_t id = modbusframe::TransactionId(request.data());
        return number == 1 ? DataReply(id, request[6], 0, std::string(1, '\0')) : DataReply(id, request[6], 0, "A05");
    }

private:
    void ServeTcp()
    {
        conn_ = ::accept(fd_, nullptr, nullptr);
        if (conn_ < 0)
            return;
        uint8_t in[1024];
        ssize_t n;
        while ((n = ::recv(conn_, in, sizeof in, 0)) > 0) {
            const Frame out = script_(++count_, Frame(in, in + n));
            for (size_t sent = 0; sent < out.size();) {
                const ssize_t k = ::send(conn_, out.data() + sent, out.size() - sent, MSG_NOSIGNAL);
                if (k <= 0)
                    break;
                sent += static_cast<size_t>(k);
            }
        }
        ::close(conn_);
    }
    void ServeUdp()
    {
        uint8_t in[1024];
        sockaddr_in peer {};
        socklen_t len = sizeof peer;
        ssize_t n;
        while ((n = ::recvfrom(fd_, in, sizeof in, 0, reinterpret_cast<sockaddr*>(&peer), &len)) > 0) {
            const Frame request(in, in + n);
            const int number = ++count_;
            // Each frame of the script goes as a datagram of its own, as far as its length field
            // reaches; bytes short of a header go as they are.
            Frame out = script_(number, request);
            size_t at = 0;
            while (at < out.size()) {
                size_t size = out.size() - at;
                if (size >= size_t(modbusframe::HeaderSize))
                    size = std::min(size, modbusframe::HeaderSize + size_t(modbusframe::LengthField(out.data() + at)));
                ::sendto(fd_, out.data() + at, size, 0, reinterpret_cast<sockaddr*>(&peer), len);
                at += size;
            }
        }
    }

    bool udp_;
    Script script_;
    int fd_ = -1;
    std::atomic<int> conn_ { -1 };
    int port_ = 0;
    std::atomic<int> count_ { 0 };
    std::atomic<bool> stop_ { false };
    std::thread thread_;
};

std::string ReplyText(COstraBus& bus)
{
    return std::string(reinterpret_cast<const char*>(bus.Buffer()), static_cast<size_t>(bus.ReplyLength()));
}

void Connect(COstraBus& bus, const ScriptedPeer& peer, bool udp)
{
    bus.SetNetworkTimeout(5000);
    ASSERT_EQ(bus.SetSite("127.0.0.1"), 0);
    ASSERT_EQ(bus.ConnectNetwork(peer.Port(), 1, udp), 0) << bus.LastError();
    ASSERT_TRUE(bus.IsDirectNetwork());
}

TEST(NetStep, TcpReplyOfAnEarlierTransactionDropsTheConnection)
{
    // The third request is answered with a length no reply can have, and the rest of that frame
    // arrives only in front of the answer to the fourth: that rest is a well-formed frame of the
    // third transaction, which must not pass for the fourth's answer.
    Frame stale;
    ScriptedPeer peer(false, [&](int number, const Frame& request) {
        const uint16_t id = modbusframe::TransactionId(request.data());
        if (number <= 2)
            return ScriptedPeer::ConnectReply(number, request);
        if (number == 3) {
            stale = DataReply(id, request[6], request[17], "STALE");
            return Frame { uint8_t(id >> 8), uint8_t(id), 0, 0, 0x04, 0x00 }; // length 1024
        }
        Frame out = stale;
        const Frame fresh = DataReply(id, request[6], request[17], "FRESH");
        out.insert(out.end(), fresh.begin(), fresh.end());
        return out;
    });
    COstraBus bus;
    Connect(bus, peer, false);
    EXPECT_EQ(bus.Transact(128), linkerr::NetworkError);
    EXPECT_EQ(bus.LastError(), "Wrong packet length");
    ASSERT_TRUE(bus.HasSocket());

    EXPECT_EQ(bus.Transact(128), linkerr::ConnectionLost);
    EXPECT_NE(ReplyText(bus), "STALE");
    EXPECT_EQ(bus.ReplyLength(), 0);
    EXPECT_NE(bus.LastError().find("does not answer"), std::string::npos) << bus.LastError();
    EXPECT_FALSE(bus.HasSocket());
}

TEST(NetStep, TcpFloodBehindAReplyDropsTheConnection)
{
    // More bytes behind a reply than the link discards: whatever the next read finds, it is not
    // taken as an answer.
    ScriptedPeer peer(false, [](int number, const Frame& request) {
        if (number <= 2)
            return ScriptedPeer::ConnectReply(number, request);
        const uint16_t id = modbusframe::TransactionId(request.data());
        Frame out = DataReply(id, request[6], request[17], "FIRST");
        const Frame copy = DataReply(uint16_t(id - 7), request[6], request[17], "STALE");
        while (out.size() < 80 * 1024)
            out.insert(out.end(), copy.begin(), copy.end());
        return out;
    });
    COstraBus bus;
    Connect(bus, peer, false);
    // Where the discard stops mid-frame the next header may be nonsense ("Wrong packet
    // length"); a whole frame of another transaction drops the connection.
    for (int i = 0; i < 20 && bus.HasSocket(); ++i) {
        const int rc = bus.Transact(128);
        if (rc == 0) {
            EXPECT_EQ(ReplyText(bus), "FIRST");
        } else if (rc != linkerr::NetworkError) {
            EXPECT_EQ(rc, linkerr::ConnectionLost) << bus.LastError();
        }
    }
    EXPECT_FALSE(bus.HasSocket());
}

TEST(NetStep, UdpLateDatagramIsPassedOverForTheRightOne)
{
    // Datagrams of earlier transactions arrive first: the link waits on and takes the one that
    // answers its request.
    ScriptedPeer peer(true, [](int number, const Frame& request) {
        if (number <= 2)
            return ScriptedPeer::ConnectReply(number, request);
        const uint16_t id = modbusframe::TransactionId(request.data());
        Frame out = DataReply(uint16_t(id - 1), request[6], request[17], "STALE");
        for (const Frame& f : { DataReply(uint16_t(id + 9), request[6], request[17], "OTHER"),
                                DataReply(id, request[6], request[17], "FRESH") })
            out.insert(out.end(), f.begin(), f.end());
        return out;
    });
    COstraBus bus;
    Connect(bus, peer, true);
    ASSERT_EQ(bus.Transact(128), 0) << bus.LastError();
    EXPECT_EQ(ReplyText(bus), "FRESH");
    ASSERT_EQ(bus.Transact(128), 0) << bus.LastError();
    EXPECT_EQ(ReplyText(bus), "FRESH");
}

TEST(NetStep, UdpMalformedReplyToThisRequestIsRefusedAtOnceAndTheLinkStays)
{
    // Each odd request is answered by one datagram with its transaction id that is no reply:
    // a length field of 0, fewer bytes than a header, no command echo, a wrong command echo,
    // another unit, a frame cut in half. Each even request gets its proper answer.
    const auto malformed = [](int index, uint16_t id, uint8_t unit, uint8_t command) -> Frame {
        const uint8_t hi = uint8_t(id >> 8), lo = uint8_t(id);
        switch (index) {
        case 0: return { hi, lo, 0, 0, 0, 0 };
        case 1: return { hi, lo, 0, 0, 0 };
        case 2: return { hi, lo, 0, 0, 0, 3, unit, modbusframe::FunctionReadWrite, 2 };
        case 3: return DataReply(id, unit, uint8_t(command + 1), "WRONG");
        case 4: return DataReply(id, uint8_t(unit + 1), command, "OTHER");
        default: {
            Frame f = DataReply(id, unit, command, "HALVED");
            f.resize(f.size() / 2);
            return f;
        }
        }
    };
    constexpr int Kinds = 6;
    ScriptedPeer peer(true, [&](int number, const Frame& request) {
        if (number <= 2)
            return ScriptedPeer::ConnectReply(number, request);
        const uint16_t id = modbusframe::TransactionId(request.data());
        if (number % 2 == 1)
            return malformed((number - 3) / 2, id, request[6], request[17]);
        return DataReply(id, request[6], request[17], "FRESH");
    });
    COstraBus bus;
    Connect(bus, peer, true);
    // A refusal must not wait for a reply that never comes; the time-out stays short so that
    // waiting shows as a lost link, not as a slow test.
    bus.SetNetworkTimeout(2000);
    for (int kind = 0; kind < Kinds; ++kind) {
        SCOPED_TRACE(kind);
        EXPECT_EQ(bus.Transact(128), linkerr::NetworkError);
        EXPECT_EQ(bus.LastError(), "Wrong packet length");
        EXPECT_EQ(bus.ReplyLength(), 0);
        ASSERT_TRUE(bus.HasSocket());
        ASSERT_EQ(bus.Transact(128), 0) << bus.LastError();
        EXPECT_EQ(ReplyText(bus), "FRESH");
    }
}

TEST(NetStep, RequestsCarryRisingTransactionIdsAndRepliesMustEchoThem)
{
    uint8_t frame[64];
    ASSERT_GT(modbusframe::BuildRequest(frame, sizeof frame, 3, 128, nullptr, 0, 0x1234), 0);
    EXPECT_EQ(frame[0], 0x12);
    EXPECT_EQ(frame[1], 0x34);
    const Frame good = DataReply(0x1234, 3, 128, "OK");
    EXPECT_TRUE(modbusframe::ReplyAnswers(good.data(), int(good.size()), 0x1234, 3, 128));
    EXPECT_FALSE(modbusframe::ReplyAnswers(good.data(), int(good.size()), 0x1235, 3, 128));
    EXPECT_FALSE(modbusframe::ReplyAnswers(good.data(), int(good.size()), 0x1234, 4, 128));
    EXPECT_FALSE(modbusframe::ReplyAnswers(good.data(), int(good.size()), 0x1234, 3, 129));
    Frame protocol = good;
    protocol[3] = 1;
    EXPECT_FALSE(modbusframe::ReplyAnswers(protocol.data(), int(protocol.size()), 0x1234, 3, 128));
    // An exception carries no command; it answers by its transaction and unit.
    const Frame busy { 0x12, 0x34, 0, 0, 0, 4, 3, modbusframe::FunctionException, 6, 0 };
    EXPECT_TRUE(modbusframe::ReplyAnswers(busy.data(), int(busy.size()), 0x1234, 3, 128));
    EXPECT_FALSE(modbusframe::ReplyAnswers(busy.data(), 7, 0x1234, 3, 128));
}

} // namespace

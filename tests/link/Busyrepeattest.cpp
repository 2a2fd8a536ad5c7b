// A gateway that answers busy for ever: the link gives up after its repeat bound.
#include "link/Ostrabus.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <atomic>
#include <netinet/in.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace {

// A networked unit on loopback TCP that answers the port list with one byte, the version with
// "A05", and every later request with the busy exception.
class BusyUnit {
public:
    BusyUnit()
    {
        listen_ = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in addr {};
        addr.sin_family = AF_INET;
        addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ::bind(listen_, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
        socklen_t len = sizeof addr;
        ::getsockname(listen_, reinterpret_cast<sockaddr*>(&addr), &len);
        port_ = ntohs(addr.sin_port);
        ::listen(listen_, 1);
        thread_ = std::thread([this] { Serve(); });
    }
    ~BusyUnit()
    {
        ::shutdown(listen_, SHUT_RDWR);
        if (conn_ >= 0)
            ::shutdown(conn_, SHUT_RDWR);
        thread_.join();
        ::close(listen_);
    }
    int Port() const { return port_; }
    int Frames() const { return frames_; }

private:
    void Serve()
    {
        conn_ = ::accept(listen_, nullptr, nullptr);
        if (conn_ < 0)
            return;
        uint8_t in[1024];
        while (::recv(conn_, in, sizeof in, 0) > 0) {
            const int n = ++frames_;
            std::vector<uint8_t> out(11, 0);
            if (n <= 2) {
                const std::vector<uint8_t> data = n == 1 ? std::vector<uint8_t> { 0 }
                                                         : std::vector<uint8_t> { 'A', '0', '5' };
                const int l = 5 + static_cast<int>(data.size());
                out[4] = static_cast<uint8_t>(l >> 8);
                out[5] = static_cast<uint8_t>(l);
                out[7] = 0x17;
                out[10] = static_cast<uint8_t>(data.size());
                out.insert(out.end(), data.begin(), data.end());
            } else {
                out = { 0, 0, 0, 0, 0, 8, 0, 0x97, 6, 'B', 'u', 's', 'y', 0 };
            }
            out[0] = in[0]; // the transaction id and unit id of the request
            out[1] = in[1];
            out[6] = in[6];
            ::send(conn_, out.data(), out.size(), MSG_NOSIGNAL);
        }
        ::close(conn_);
    }
    int listen_ = -1;
    std::atomic<int> conn_ { -1 };
    int port_ = 0;
    std::atomic<int> frames_ { 0 };
    std::thread thread_;
};

TEST(BusyRepeatTest, EndlessBusyEndsWithGatewayBusy)
{
    BusyUnit unit;
    COstraBus bus;
    ASSERT_EQ(bus.SetSite("127.0.0.1"), 0);
    ASSERT_EQ(bus.ConnectNetwork(unit.Port(), 1, false), 0) << bus.LastError();
    ASSERT_TRUE(bus.IsDirectNetwork());
    const int framesBefore = unit.Frames();
    bus.AppendByte(1);
    EXPECT_EQ(bus.Transact(5), linkerr::GatewayBusy);
    EXPECT_EQ(unit.Frames() - framesBefore, COstraBus::MaxBusyRepeats + 1);
    EXPECT_NE(bus.LastError().find("busy"), std::string::npos) << bus.LastError();
    EXPECT_EQ(bus.RequestLength(), 0);
    EXPECT_TRUE(bus.IsConnected()); // busy is not a lost connection
}

} // namespace

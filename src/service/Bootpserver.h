#pragma once
// The BootP server's socket work, one pass at a time so that the window can keep its messages
// flowing between passes: open (broadcast allowed, bound to the server port), wait up to a
// time-out for one datagram and answer it when it is a request from the configured client,
// close. Every step is logged through the log function. The ports and the reply address can
// be changed so that tests run unprivileged on loopback.

#include "platform/Udpsocket.h"
#include "service/Bootppacket.h"

#include <functional>
#include <string>
#include <vector>

struct CBootPPorts {
    int server = bootp::ServerPort;
    int client = bootp::ClientPort;
    std::string replyAddress = bootp::BroadcastAddress;
};

class CBootPServer {
public:
    using Log = std::function<void(const std::string&)>;
    static constexpr int WaitMs = 500;

    enum class Pass { Waited, Ignored, Answered, Failed };

    explicit CBootPServer(Log log) : log_(std::move(log)) {}

    void SetPorts(const CBootPPorts& ports) { ports_ = ports; }
    const CBootPPorts& Ports() const { return ports_; }
    // False after logging why (the socket is closed again then).
    bool Open();
    // One wait of at most waitMs and the datagram that came, if any. Failed ends the server.
    Pass ServeOnce(const CBootPConfig& config, int waitMs = WaitMs);
    void Close() { socket_.Close(); }
    bool IsOpen() const { return socket_.IsOpen(); }
    int LocalPort() const { return socket_.LocalPort(); }

    // "Host name: ..." and "Address i:..." lines, or what went wrong.
    static std::vector<std::string> HostIdentity();

private:
    void Fail(const std::string& what, int err);

    Log log_;
    CBootPPorts ports_;
    platform::UdpSocket socket_;
};

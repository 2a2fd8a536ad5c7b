#include "service/Bootpserver.h"

#include "common/Helpers.h"

#include <arpa/inet.h>
#include <cerrno>
#include <netdb.h>
#include <netinet/in.h>
#include <unistd.h>

namespace {

constexpr int HostNameLength = 80;

} // namespace

void CBootPServer::Fail(const std::string& what, int err)
{
    errno = err;
    log_(what);
    log_(LastSocketErrorText());
    socket_.Close();
}

bool CBootPServer::Open()
{
    if (socket_.Open() != 0) {
        log_("Invalid Socket");
        log_(LastSocketErrorText());
        return false;
    }
    if (int err = socket_.EnableBroadcast()) {
        Fail("Setsockopt error", err);
        return false;
    }
    if (int err = socket_.EnablePacketInfo()) {
        Fail("Setsockopt error", err);
        return false;
    }
    if (int err = socket_.Bind(ports_.server)) {
        Fail("Bind error", err);
        if ((err == EACCES || err == EPERM) && ports_.server < 1024)
            log_("Port " + std::to_string(ports_.server) +
                 " needs privileges: run Orrery as root, or give it the capability once with "
                 "\"sudo setcap cap_net_bind_service=+ep\" and the program's path.");
        else if (err == EADDRINUSE)
            log_("Another program serves port " + std::to_string(ports_.server) +
                 " (a DHCP or BootP server): stop it, then Listen again.");
        return false;
    }
    return true;
}

CBootPServer::Pass CBootPServer::ServeOnce(const CBootPConfig& config, int waitMs)
{
    int err = 0;
    switch (socket_.WaitReadable(waitMs, err)) {
    case platform::SocketWait::Timeout:
        return Pass::Waited;
    case platform::SocketWait::Error:
        Fail("Select error", err);
        return Pass::Failed;
    case platform::SocketWait::Ready:
        break;
    }
    uint8_t buffer[bootp::MaxDatagram];
    platform::DatagramSource from;
    const ssize_t n = socket_.Receive(buffer, sizeof buffer, from);
    if (n < 0) {
        Fail("recvfrom error", errno);
        return Pass::Failed;
    }
    const size_t length = static_cast<size_t>(n);
    // Empty, short and non-request datagrams are not for this server.
    if (!CBootPPacket::IsRequest(buffer, length))
        return Pass::Ignored;
    log_("");
    log_("Received from " + from.address + "  Port " + std::to_string(from.port) + " :");
    log_("MAC=" + MacText(buffer + bootp::OffsetChaddr));
    if (!CBootPPacket::FromClient(buffer, length, config.mac))
        return Pass::Ignored;
    const auto reply = CBootPPacket::BuildReply(buffer, length, config);
    log_("");
    log_("Sent to " + ports_.replyAddress + "  Port " + std::to_string(ports_.client) + " :");
    const ssize_t sent =
        socket_.Send(reply.data(), reply.size(), ports_.replyAddress, ports_.client, from.interfaceIndex);
    if (sent < 0) {
        Fail("send error", errno);
        return Pass::Failed;
    }
    if (static_cast<size_t>(sent) < reply.size())
        log_("Failed to send all data");
    log_("IP=" + config.ipText + "  Mask=" + config.maskText + "  Gate=" + config.gateText);
    return Pass::Answered;
}

std::vector<std::string> CBootPServer::HostIdentity()
{
    std::vector<std::string> lines;
    char name[HostNameLength + 1] = {};
    if (gethostname(name, HostNameLength) != 0) {
        lines.push_back("Error getting local host name");
        lines.push_back(LastSocketErrorText());
        return lines;
    }
    lines.push_back(std::string("Host name: ") + name);
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_DGRAM;
    addrinfo* list = nullptr;
    if (getaddrinfo(name, nullptr, &hints, &list) != 0 || !list) {
        lines.push_back("Bad host lookup");
        return lines;
    }
    int i = 0;
    for (addrinfo* a = list; a; a = a->ai_next) {
        char text[INET_ADDRSTRLEN] = {};
        inet_ntop(AF_INET, &reinterpret_cast<sockaddr_in*>(a->ai_addr)->sin_addr, text, sizeof text);
        lines.push_back("Address " + std::to_string(i++) + ":" + text);
    }
    freeaddrinfo(list);
    return lines;
}

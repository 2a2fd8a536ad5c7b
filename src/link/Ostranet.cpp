// The network side of the link: site handling, connecting and probing a gateway or a networked
// unit, and one OstraBus request carried in a Modbus/TCP function-23 frame over TCP or UDP.

#include "link/Ostrabus.h"

#include "common/Helpers.h"
#include "link/Modbusframe.h"
#include "platform/Socket.h"

#include <cerrno>
#include <chrono>
#include <cstring>

namespace {

const char* const LocalGatewaySite = "Local gateway";
const char* const LocalGatewayAddress = "127.0.0.1";
const char* const OutOfStepText = " (connection dropped)";

// Text of a zero-terminated reply, bounded by the bytes the reply carries.
std::string ReplyText(const uint8_t* data, int length)
{
    std::string text;
    for (int i = 0; i < length && data[i] != 0; ++i)
        text.push_back(static_cast<char>(data[i]));
    return text;
}

std::string ErrnoText(int err)
{
    return SocketErrorText(WinsockErrorFromErrno(err));
}

} // namespace

int COstraBus::SetSite(const std::string& site)
{
    DisconnectNetwork();
    if (site.empty())
        return 0;
    site_ = site;
    if (site == LocalGatewaySite) {
        ipAddress_ = LocalGatewayAddress;
        return 0;
    }
    if (platform::IsDottedAddress(site)) {
        ipAddress_ = site;
        return 0;
    }
    hostName_ = site;
    return 1;
}

int COstraBus::ConnectSocket(const std::string& ip, int port)
{
    lastError_.clear();
    if (socket_ >= 0) {
        platform::SocketClose(socket_);
        socket_ = -1;
    }
    int fd = platform::SocketCreate(udp_);
    int err = fd < 0 ? errno : platform::SocketConnect(fd, ip, port, networkTimeoutMs_);
    if (err != 0) {
        platform::SocketClose(fd);
        const int code = WinsockErrorFromErrno(err);
        lastError_ = SocketErrorText(code);
        return code;
    }
    socket_ = fd;
    return 0;
}

int COstraBus::ConnectNetwork(int port, int unitId, bool udp)
{
    if (ipAddress_.empty())
        return 0;
    udp_ = udp;
    // The probe goes out with unit id 0 while the port list still holds the local list.
    modbusUnitId_ = 0;
    int rc = ConnectSocket(ipAddress_, port);
    if (rc != 0) {
        DisconnectNetwork();
        return rc;
    }

    requestLength_ = 0;
    requestOverflow_ = false;
    AppendByte(gatewaycmd::PortList);
    rc = Transact(0);
    if (rc < 0) {
        DisconnectNetwork();
        return rc;
    }
    portList_ = replyLength_ > 1 ? ReplyText(buffer_, replyLength_) : std::string();
    modbusUnitId_ = unitId;

    AppendByte(gatewaycmd::Version);
    rc = Transact(0);
    if (rc < 0) {
        DisconnectNetwork();
        return rc;
    }
    gatewayVersion_ = replyLength_ == 3 ? ParseGatewayVersion(buffer_, 3) : 0;
    return 0;
}

void COstraBus::DisconnectNetwork()
{
    if (socket_ >= 0)
        platform::SocketClose(socket_);
    socket_ = -1;
    site_.clear();
    ipAddress_.clear();
    hostName_.clear();
    gatewayVersion_ = 0;
    // A gateway's port handle means nothing once its link is gone.
    if (gatewayHandle_ != 0) {
        gatewayHandle_ = 0;
        portName_.clear();
    }
    RefreshLocalPortList();
}

int COstraBus::ParseGatewayVersion(const uint8_t* text, int length)
{
    if (length != 3)
        return 0;
    auto digit = [](uint8_t c) { return c >= '0' && c <= '9'; };
    if (!digit(text[1]) || !digit(text[2]))
        return 0;
    int version = 10 * (text[1] - '0') + (text[2] - '0');
    if (text[0] != '_')
        version += 100 * (text[0] - 64);
    return version;
}

int COstraBus::ReadGatewayInformation(std::string& text)
{
    text.clear();
    // Without a network link command 0 goes nowhere and "succeeds" with nothing: no answer.
    if (!HasSocket()) {
        replyLength_ = 0;
        lastError_ = linkerr::NotConnectedText;
        return linkerr::NotConnected;
    }
    requestLength_ = 0;
    requestOverflow_ = false;
    AppendByte(gatewaycmd::Information);
    int rc = Transact(0);
    if (rc < 0)
        return rc;
    text = ReplyText(buffer_, replyLength_);
    return 0;
}

int COstraBus::NetworkTransact(int command)
{
    using Clock = std::chrono::steady_clock;
    uint8_t frame[modbusframe::MaxFrameSize];
    int err = 0;

    // The whole frame in one send. A request is far smaller than the socket's send buffer, so
    // the send completes at once; only when it cannot does the link wait for room, within the
    // time-out.
    const uint8_t unitId = IsGateway() ? 0 : static_cast<uint8_t>(modbusUnitId_);
    const uint16_t transactionId = ++transactionId_;
    const int size = modbusframe::BuildRequest(frame, sizeof frame, unitId, static_cast<uint8_t>(command),
                                               buffer_, requestLength_, transactionId);
    if (size == 0) {
        lastError_ = linkerr::WrongPacketLengthText;
        return linkerr::NetworkError;
    }
    ssize_t sent = platform::SocketSend(socket_, frame, static_cast<size_t>(size), platform::SendNow);
    if (sent < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
        switch (platform::SocketWaitReady(socket_, true, networkTimeoutMs_, err)) {
        case platform::SocketWait::Error:
            lastError_ = ErrnoText(err) + " (select)";
            return linkerr::ConnectionLost;
        case platform::SocketWait::Timeout:
            lastError_ = "Time-out (send)";
            return linkerr::ConnectionLost;
        case platform::SocketWait::Ready:
            break;
        }
        sent = platform::SocketSend(socket_, frame, static_cast<size_t>(size));
    }
    if (sent < 0) {
        lastError_ = ErrnoText(errno) + " (send)";
        return linkerr::ConnectionLost;
    }
    if (sent != size) {
        lastError_ = "Failed to send all data";
        return linkerr::ConnectionLost;
    }

    // The reply: one datagram over UDP; over TCP the 6-byte header, then the length it
    // announces, reassembled from as many segments as it takes, all before one deadline. Each
    // receive takes whatever is there, so a frame that arrived whole is read in one call; bytes
    // behind it are trailing bytes.
    std::memset(buffer_, 0, sizeof buffer_);
    replyLength_ = 0;
    const auto deadline = Clock::now() + std::chrono::milliseconds(networkTimeoutMs_);
    int received = 0;
    int wanted = udp_ ? static_cast<int>(sizeof frame) : modbusframe::HeaderSize;
    bool headerSeen = udp_;
    while (received < wanted) {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left < 0)
            left = 0;
        switch (platform::SocketWaitReady(socket_, false, static_cast<int>(left), err)) {
        case platform::SocketWait::Error:
            lastError_ = ErrnoText(err) + " (select)";
            return linkerr::ConnectionLost;
        case platform::SocketWait::Timeout:
            lastError_ = "Time-out (recv)";
            return linkerr::ConnectionLost;
        case platform::SocketWait::Ready:
            break;
        }
        const ssize_t n = platform::SocketRecv(socket_, frame + received, sizeof frame - static_cast<size_t>(received));
        if (n < 0) {
            lastError_ = ErrnoText(errno) + " (recv)";
            return linkerr::ConnectionLost;
        }
        if (n == 0 && !udp_) {
            lastError_ = "Unexpected close of connection";
            return linkerr::ConnectionLost;
        }
        received += static_cast<int>(n);
        if (udp_) {
            // A datagram of another transaction answers an earlier request: wait on for ours.
            // One of ours that does not answer as a reply must (protocol, unit, command echo)
            // is refused at once; the link stays, as datagrams cannot lose step.
            if (!modbusframe::CarriesTransaction(frame, received, transactionId)) {
                received = 0;
                continue;
            }
            if (!modbusframe::ReplyAnswers(frame, received, transactionId, unitId, static_cast<uint8_t>(command))) {
                lastError_ = linkerr::WrongPacketLengthText;
                return linkerr::NetworkError;
            }
            break;
        }
        if (!headerSeen && received >= modbusframe::HeaderSize) {
            headerSeen = true;
            const int length = modbusframe::LengthField(frame);
            if (!modbusframe::LengthFieldPlausible(length)) {
                // Whatever of this frame is still on its way answers no request: the next reply
                // that does not echo its request's transaction drops the connection.
                platform::SocketDiscardPending(socket_);
                lastError_ = linkerr::WrongPacketLengthText;
                return linkerr::NetworkError;
            }
            wanted = modbusframe::HeaderSize + length;
        }
    }

    if (!udp_) {
        received = wanted; // bytes read behind the frame are dropped with the rest below
        // Bytes behind the frame belong to no request (a peer that pads its replies): left in the
        // socket they would be read as the next reply's header. A reply to another request, or
        // more trailing bytes than can be discarded, means the stream has lost step: the
        // connection is dropped rather than read on.
        const bool drained = platform::SocketDiscardPending(socket_);
        if (!drained
            || !modbusframe::ReplyAnswers(frame, received, transactionId, unitId, static_cast<uint8_t>(command))) {
            lastError_ = std::string("Reply does not answer the request") + OutOfStepText;
            return linkerr::ConnectionLost;
        }
    }

    // Exception, length checks, then the data to the buffer's start.
    const modbusframe::Reply reply = modbusframe::ParseReply(frame, received);
    switch (reply.kind) {
    case modbusframe::Reply::Exception:
        lastError_ = reply.text;
        return reply.exceptionCode == modbusframe::ExceptionBusy ? linkerr::GatewayBusy
                                                                  : linkerr::NetworkError;
    case modbusframe::Reply::WrongLength:
        lastError_ = linkerr::WrongPacketLengthText;
        return linkerr::NetworkError;
    case modbusframe::Reply::Data:
        break;
    }
    std::memcpy(buffer_, frame + reply.dataOffset, static_cast<size_t>(reply.dataCount));
    replyLength_ = reply.replyLength;
    return 0;
}

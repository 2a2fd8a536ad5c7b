#pragma once
// The one link to a matching unit: a local serial port, a port of a gateway reached over the
// network, or a networked unit. A command is built in the shared buffer (AppendBytes), run
// (Transact) and its reply read back from the same buffer (ReadBytes).
//
// Results: below 0 a link error (text in LastError()), 0 accepted, above 0 the unit's CSR code.

#include "link/Serialaccount.h"

#include <bitset>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace platform {
class SerialPort;
}

// Link error codes.
namespace linkerr {
constexpr int WriteFailed = -1;
constexpr int ReadFailed = -2;
constexpr int Timeout = -3;
constexpr int BadChecksum = -4;
constexpr int NakReceived = -5;
constexpr int BadAck = -6;
constexpr int NetworkError = -100;    // refused or malformed network reply
constexpr int ConnectionLost = -101;  // the network link is no longer usable
constexpr int NotConnected = -102;    // no link open
constexpr int GatewayBusy = -103;     // gateway answered busy (past the repeat bound)
// Text of NotConnected.
constexpr const char* NotConnectedText = "Disconnected";
// Text of a network reply whose lengths do not add up.
constexpr const char* WrongPacketLengthText = "Wrong packet length";
} // namespace linkerr

// Gateway sub-commands, sent as command 0 with the sub-command as the first request byte.
namespace gatewaycmd {
constexpr uint8_t Version = 1;
constexpr uint8_t PortList = 2;
constexpr uint8_t OpenPort = 3;
constexpr uint8_t ClosePort = 4;
constexpr uint8_t Information = 7;
constexpr uint8_t Purge = 8;
} // namespace gatewaycmd

class COstraBus {
public:
    static constexpr int BufferSize = 1024;
    static constexpr int MaxRequestData = 255;     // one serial frame carries at most 255 bytes
    static constexpr int MaxBusyRepeats = 50;      // repeats of a request the gateway called busy
    static constexpr int NetworkTimeoutMs = 10000; // waits on send and receive over the network
    static constexpr int DefaultNetworkPort = 502;
    // Ends the traffic-log line of a frame that answered no request of this exchange; one from
    // another unit names its address before it.
    static constexpr const char* StaleMark = " (stale)";
    static constexpr const char* OtherUnitMark = " (from address ";

    COstraBus();
    virtual ~COstraBus();
    COstraBus(const COstraBus&) = delete;
    COstraBus& operator=(const COstraBus&) = delete;

    // --- request/reply buffer -----------------------------------------------------------
    // Appends to the request; bytes past the buffer or past 255 request bytes are refused
    // (Transact then fails with -1). Returns the new request length.
    int AppendBytes(const void* data, int count);
    int AppendByte(uint8_t b);
    // Copies count reply bytes from the read position (zeros past the reply) and advances it.
    // Returns the reply bytes left. dest may be null when count is 0.
    int ReadBytes(void* dest, int count);
    uint8_t* Buffer() { return buffer_; }
    const uint8_t* Buffer() const { return buffer_; }
    int RequestLength() const { return requestLength_; }
    int ReplyLength() const { return replyLength_; }

    // --- transactions -------------------------------------------------------------------
    int Transact(int command);
    // The command's reply begins with the request's first byte (a selector) again: on a serial
    // line a reply that echoes another byte answers another request and is passed over.
    void ExpectSelectorEcho(int command) { selectorEchoed_.set(static_cast<uint8_t>(command)); }
    bool SelectorEchoed(int command) const { return selectorEchoed_.test(static_cast<uint8_t>(command)); }

    // --- port ---------------------------------------------------------------------------
    int OpenPort(const std::string& portName, int baud, int readTimeoutMs, int unitAddress);
    int ClosePort();
    int Purge();
    static std::string SerialErrorText(int code);

    // Derived transport state.
    bool IsSerial() const { return socket_ < 0; }
    bool IsGateway() const { return socket_ >= 0 && !portList_.empty(); }
    bool IsDirectNetwork() const { return socket_ >= 0 && portList_.empty(); }
    bool IsConnected() const { return IsDirectNetwork() || HasPort(); }
    bool HasPort() const { return serial_ != nullptr || gatewayHandle_ != 0; }

    // The local serial port when one is open (for the modem-line probe), else nullptr.
    platform::SerialPort* LocalPort() const { return serial_.get(); }
    // The gateway's port handle number (0 when none).
    uint32_t GatewayHandle() const { return gatewayHandle_; }

    // --- network (gateway or networked unit) --------------------------------------------
    // 0 = ready to connect (or nothing to do), 1 = the site is a host name to look up first.
    int SetSite(const std::string& site);
    int ConnectNetwork(int port, int unitId, bool udp);
    int ConnectSocket(const std::string& ip, int port);
    void DisconnectNetwork();
    int NetworkTransact(int command);
    // Gateway sub-commands that carry a text reply: the information text (bounded by the reply).
    // Without a network link: NotConnected.
    int ReadGatewayInformation(std::string& text);
    // The wait on send and on receive over the network (NetworkTimeoutMs unless shortened).
    void SetNetworkTimeout(int ms) { networkTimeoutMs_ = ms; }

    // --- accessors ----------------------------------------------------------------------
    const std::string& LastError() const { return lastError_; }
    const std::string& PortName() const { return portName_; }
    const std::string& IPAddress() const { return ipAddress_; }
    void SetIPAddress(const std::string& ip) { ipAddress_ = ip; }
    const std::string& Site() const { return site_; }
    const std::string& HostName() const { return hostName_; }
    const std::string& PortList() const { return portList_; }
    int GatewayVersion() const { return gatewayVersion_; }
    int Baud() const { return baud_; }
    int UnitAddress() const { return unitAddress_; }
    int ReadTimeout() const { return readTimeout_; }
    int ModbusUnitId() const { return modbusUnitId_; }
    bool Udp() const { return udp_; }
    bool HasSocket() const { return socket_ >= 0; }

    // Re-reads the local port list (done at construction and when a network link drops).
    void RefreshLocalPortList();

protected:
    // Serial exchange of one request (local link, command != 0).
    int SerialTransact(int command);
    // Gateway version text "A05" -> 105, "_07" -> 7; 0 when not three characters.
    static int ParseGatewayVersion(const uint8_t* text, int length);
    void LogRequest(int command);
    void LogReply(int command, int result);
    void LogStale(int address, int command, const uint8_t* data, int length);

    std::unique_ptr<platform::SerialPort> serial_;
    CSerialAccount serialAccount_; // what the unit on serial_ may still send
    uint32_t gatewayHandle_ = 0;
    int socket_ = -1;
    std::string site_;
    std::string ipAddress_;
    std::string hostName_;
    int gatewayVersion_ = 0;
    std::string portList_;
    std::string portName_;
    int baud_ = 0;
    int unitAddress_ = 0;
    int readTimeout_ = 0;
    int modbusUnitId_ = 0;
    uint16_t transactionId_ = 0; // of the last network request; a reply must echo it
    bool udp_ = false;
    int networkTimeoutMs_ = NetworkTimeoutMs;
    uint8_t buffer_[BufferSize] = {};
    int requestLength_ = 0;
    int readPosition_ = 0;
    int replyLength_ = 0;
    bool requestOverflow_ = false;
    std::bitset<256> selectorEchoed_;
    std::string lastError_;
};

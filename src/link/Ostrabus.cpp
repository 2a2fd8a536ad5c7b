#include "link/Ostrabus.h"

#include "common/Helpers.h"
#include "common/Hooks.h"
#include "link/Serialexchange.h"
#include "link/Serialframe.h"
#include "platform/Serialport.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace {

constexpr int FirstCsrCommand = 1;
constexpr int LastCsrCommand = 127;
constexpr uint8_t OddParity = platform::SerialPort::ParityOdd;

bool LogActive()
{
    ITrafficLog* log = TrafficLog();
    return log && log->Active();
}

void AppendBytesText(std::string& line, const uint8_t* bytes, int count)
{
    for (int i = 0; i < count; ++i) {
        line += std::to_string(bytes[i]);
        line += ' ';
    }
}

void AppendLe32(COstraBus& bus, uint32_t v)
{
    const uint8_t b[4] = { static_cast<uint8_t>(v), static_cast<uint8_t>(v >> 8),
                           static_cast<uint8_t>(v >> 16), static_cast<uint8_t>(v >> 24) };
    bus.AppendBytes(b, 4);
}

} // namespace

COstraBus::COstraBus() { RefreshLocalPortList(); }

COstraBus::~COstraBus()
{
    ClosePort();
    DisconnectNetwork();
}

void COstraBus::RefreshLocalPortList() { portList_ = serialframe::ListPorts(); }

// --- buffer ------------------------------------------------------------------------------

int COstraBus::AppendBytes(const void* data, int count)
{
    if (count <= 0)
        return requestLength_;
    if (requestOverflow_ || !data || requestLength_ + count > MaxRequestData) {
        requestOverflow_ = true; // refused whole; the next transaction fails without sending
        return requestLength_;
    }
    std::memcpy(buffer_ + requestLength_, data, static_cast<size_t>(count));
    requestLength_ += count;
    return requestLength_;
}

int COstraBus::AppendByte(uint8_t b) { return AppendBytes(&b, 1); }

int COstraBus::ReadBytes(void* dest, int count)
{
    if (count > 0 && dest) {
        const int available = std::max(0, replyLength_ - readPosition_);
        const int n = std::min(count, available);
        if (n > 0)
            std::memcpy(dest, buffer_ + readPosition_, static_cast<size_t>(n));
        if (count > n) // past the reply: zeros, never what the buffer held before
            std::memset(static_cast<uint8_t*>(dest) + n, 0, static_cast<size_t>(count - n));
        readPosition_ = std::min(replyLength_, readPosition_ + count);
    }
    return replyLength_ - readPosition_;
}

// --- transaction -------------------------------------------------------------------------

void COstraBus::LogRequest(int command)
{
    if (!LogActive())
        return;
    std::string line = "Wr:  Cmd=" + std::to_string(command) + " Bytes=" + std::to_string(requestLength_) + "  ";
    AppendBytesText(line, buffer_, requestLength_);
    TrafficLog()->AddLine(line);
}

void COstraBus::LogStale(int address, int command, const uint8_t* data, int length)
{
    if (!LogActive())
        return;
    std::string line = "Rd:  Cmd=" + std::to_string(command) + " Bytes=" + std::to_string(length) + "  ";
    AppendBytesText(line, data, length);
    if (address != unitAddress_)
        line += OtherUnitMark + std::to_string(address) + ")";
    line += StaleMark;
    TrafficLog()->AddLine(line);
}

void COstraBus::LogReply(int command, int result)
{
    if (!LogActive())
        return;
    if (result < 0) {
        TrafficLog()->AddLine(lastError_);
        return;
    }
    std::string line = "Rd:  Cmd=" + std::to_string(command) + " Bytes=" + std::to_string(replyLength_) + "  ";
    AppendBytesText(line, buffer_, replyLength_);
    if (result > 0)
        line += " (CSR)";
    TrafficLog()->AddLine(line);
}

int COstraBus::SerialTransact(int command)
{
    if (!serial_) {
        lastError_ = linkerr::NotConnectedText;
        return linkerr::NotConnected;
    }
    SSerialRequest request;
    request.address = static_cast<uint8_t>(unitAddress_);
    request.command = static_cast<uint8_t>(command);
    request.data = buffer_;
    request.length = requestLength_;
    request.echoesFirstByte = SelectorEchoed(command);
    CPortLine line(*serial_);
    CSerialExchange exchange(line, serialAccount_, [this](uint8_t address, uint8_t cmd, const uint8_t* data, int length) {
        LogStale(address, cmd, data, length);
    });
    const int r = exchange.Run(request, buffer_, replyLength_);
    if (r < 0)
        lastError_ = SerialErrorText(r);
    return r;
}

int COstraBus::Transact(int command)
{
    int result = 0;
    replyLength_ = 0;
    readPosition_ = 0;

    if (!IsConnected() && command >= 1) {
        result = linkerr::NotConnected;
        lastError_ = linkerr::NotConnectedText;
    } else {
        LogRequest(command);
        if (requestOverflow_) {
            // The request did not fit one frame: nothing is sent.
            result = linkerr::WriteFailed;
            lastError_ = SerialErrorText(result);
        } else if (HasSocket()) {
            // The reply overwrites the buffer: keep the request for the busy repeats.
            uint8_t request[MaxRequestData];
            const int length = requestLength_;
            std::memcpy(request, buffer_, static_cast<size_t>(length));
            result = NetworkTransact(command);
            for (int repeat = 0; result == linkerr::GatewayBusy && repeat < MaxBusyRepeats; ++repeat) {
                std::memcpy(buffer_, request, static_cast<size_t>(length));
                requestLength_ = length;
                replyLength_ = 0;
                readPosition_ = 0;
                result = NetworkTransact(command);
            }
            if (result == linkerr::GatewayBusy) {
                replyLength_ = 0;
                const std::string said = lastError_;
                lastError_ = "Gateway still busy after " + std::to_string(MaxBusyRepeats) + " repeats";
                if (!said.empty())
                    lastError_ += ": " + said;
            } else if (result == linkerr::ConnectionLost) {
                const std::string said = lastError_;
                replyLength_ = 0;
                gatewayHandle_ = 0;
                portName_.clear();
                DisconnectNetwork();
                lastError_ = said;
            }
        } else if (command != 0) {
            result = SerialTransact(command);
        }
        if (result == 0 && command >= FirstCsrCommand && command <= LastCsrCommand && replyLength_ > 0)
            result = buffer_[0];
    }

    LogReply(command, result);
    requestLength_ = 0;
    requestOverflow_ = false;
    return result;
}

// --- port --------------------------------------------------------------------------------

int COstraBus::OpenPort(const std::string& portName, int baud, int readTimeoutMs, int unitAddress)
{
    requestLength_ = 0;
    requestOverflow_ = false;
    if (IsDirectNetwork())
        return 0;

    if (IsSerial()) {
        if (serial_) { // a second open replaces the port instead of leaking it
            serialframe::ClosePort(*serial_);
            serial_.reset();
            portName_.clear();
        }
        int err = 0;
        serialAccount_.Clear();
        serial_ = serialframe::OpenPort(portName, baud, OddParity, readTimeoutMs, err);
        if (!serial_) {
            errno = err;
            lastError_ = LastWindowsErrorText();
            return err;
        }
    } else {
        AppendByte(gatewaycmd::OpenPort);
        AppendLe32(*this, static_cast<uint32_t>(baud));
        AppendLe32(*this, static_cast<uint32_t>(readTimeoutMs));
        AppendLe32(*this, static_cast<uint32_t>(unitAddress));
        AppendBytes(portName.c_str(), static_cast<int>(portName.size()) + 1);
        const int r = Transact(0);
        if (r != 0)
            return r;
        uint8_t h[4];
        if (ReadBytes(nullptr, 0) < static_cast<int>(sizeof h)) {
            // No handle in the reply: the port is not open, whatever the gateway meant.
            lastError_ = linkerr::WrongPacketLengthText;
            return linkerr::NetworkError;
        }
        ReadBytes(h, 4);
        gatewayHandle_ = static_cast<uint32_t>(h[0]) | static_cast<uint32_t>(h[1]) << 8
            | static_cast<uint32_t>(h[2]) << 16 | static_cast<uint32_t>(h[3]) << 24;
    }
    portName_ = portName;
    baud_ = baud;
    unitAddress_ = unitAddress;
    readTimeout_ = readTimeoutMs;
    return 0;
}

int COstraBus::ClosePort()
{
    if (IsDirectNetwork())
        return 0;
    int result = 0;
    if (IsSerial()) {
        if (serial_) {
            serialframe::ClosePort(*serial_);
            serial_.reset();
        }
        serialAccount_.Clear();
    } else {
        requestLength_ = 0;
        requestOverflow_ = false;
        AppendByte(gatewaycmd::ClosePort);
        result = Transact(0);
    }
    gatewayHandle_ = 0;
    portName_.clear();
    return result;
}

int COstraBus::Purge()
{
    if (IsSerial()) {
        if (serial_)
            serialframe::PurgePort(*serial_);
        return 0;
    }
    if (IsGateway()) {
        requestLength_ = 0;
        requestOverflow_ = false;
        AppendByte(gatewaycmd::Purge);
        return Transact(0);
    }
    return 0;
}

std::string COstraBus::SerialErrorText(int code)
{
    switch (code) {
    case linkerr::WriteFailed: return "Unable to write packet";
    case linkerr::ReadFailed: return "Unable to read packet";
    case linkerr::Timeout: return "Time-out";
    case linkerr::BadChecksum: return "Bad checksum";
    case linkerr::NakReceived: return "NAK received";
    case linkerr::BadAck: return "Bad ACK or NAK";
    default: return "Unknown error";
    }
}

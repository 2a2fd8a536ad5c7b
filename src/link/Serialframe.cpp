#include "link/Serialframe.h"

#include "link/Ostrabus.h"
#include "platform/Portlist.h"
#include "platform/Serialport.h"

namespace serialframe {

uint8_t Checksum(const uint8_t* bytes, int count)
{
    uint8_t x = 0;
    for (int i = 0; i < count; ++i)
        x ^= bytes[i];
    return x;
}

int FrameSize(int length) { return length < ShortLengthLimit ? 3 + length : 4 + length; }

int EncodeFrame(uint8_t address, uint8_t command, const uint8_t* data, int length, uint8_t* out)
{
    if (length < 0)
        length = 0;
    if (length > MaxData)
        length = MaxData;
    int size = 0;
    const uint8_t l = length < ShortLengthLimit ? static_cast<uint8_t>(length) : ShortLengthLimit;
    out[size++] = static_cast<uint8_t>((address << 3) | l);
    out[size++] = command;
    if (length >= ShortLengthLimit)
        out[size++] = static_cast<uint8_t>(length);
    for (int i = 0; i < length; ++i)
        out[size++] = data[i];
    out[size] = Checksum(out, size);
    return size + 1;
}

std::vector<uint8_t> BuildFrame(uint8_t address, uint8_t command, const uint8_t* data, int length)
{
    std::vector<uint8_t> frame(MaxFrameSize);
    frame.resize(static_cast<size_t>(EncodeFrame(address, command, data, length, frame.data())));
    return frame;
}

std::unique_ptr<platform::SerialPort> OpenPort(const std::string& name, int baud, uint8_t parity,
                                               int readTimeoutMs, int& error)
{
    auto port = std::make_unique<platform::SerialPort>();
    error = port->Open(name, baud, parity, readTimeoutMs);
    if (error != 0)
        return nullptr;
    return port;
}

bool ClosePort(platform::SerialPort& port) { return port.Close(); }

void PurgePort(platform::SerialPort& port) { port.Purge(); }

int SendFrame(platform::SerialPort& port, uint8_t address, uint8_t command, uint8_t length,
              const uint8_t* data)
{
    uint8_t frame[MaxFrameSize];
    const int size = EncodeFrame(address, command, data, length, frame);
    return port.Write(frame, size) ? 0 : linkerr::WriteFailed;
}

int WriteFrame(platform::SerialPort& port, uint8_t address, uint8_t command, uint8_t length,
               const uint8_t* data)
{
    if (SendFrame(port, address, command, length, data) != 0)
        return linkerr::WriteFailed;
    if (address == BroadcastAddress)
        return 0;
    uint8_t answer = 0;
    const int n = port.Read(&answer, 1);
    if (n < 0)
        return linkerr::ReadFailed;
    if (n == 0)
        return linkerr::Timeout;
    if (answer == Nak)
        return linkerr::NakReceived;
    if (answer != Ack)
        return linkerr::BadAck;
    return 0;
}

int ReadFrame(platform::SerialPort& port, uint8_t& address, uint8_t& command, uint8_t& length,
              uint8_t* buffer)
{
    constexpr int HeadSize = 3;
    const auto allowance = std::chrono::milliseconds(port.ReadTimeout() + platform::SerialPort::MsPerByte * HeadSize);
    return ReadFrameBy(port, Deadline::clock::now() + allowance, nullptr, address, command, length, buffer);
}

int ReadFrameBy(platform::SerialPort& port, Deadline headDeadline, const uint8_t* first, uint8_t& address,
                uint8_t& command, uint8_t& length, uint8_t* buffer)
{
    uint8_t head[3];
    const int known = first ? 1 : 0;
    if (first)
        head[0] = *first;
    int n = port.ReadUntil(head + known, 3 - known, headDeadline);
    if (n < 0)
        return linkerr::ReadFailed;
    if (n < 3 - known)
        return linkerr::Timeout;
    address = static_cast<uint8_t>(head[0] >> 3);
    command = head[1];
    const uint8_t l = head[0] & 7;
    int rest;     // bytes still to come: the rest of the data and the checksum
    uint8_t* into;
    if (l < ShortLengthLimit) {
        length = l;
        buffer[0] = head[2];
        rest = l;
        into = buffer + 1;
    } else {
        length = head[2];
        rest = length + 1;
        into = buffer;
    }
    bool complete = true;
    if (rest > 0) {
        n = port.Read(into, rest);
        if (n < 0)
            return linkerr::ReadFailed;
        complete = n == rest;
    }
    // A frame cut short fails its check like a bad checksum, whatever its last bytes happen to
    // be: the unit gets a NAK either way, never silence.
    const int stored = l < ShortLengthLimit ? l + 1 : length + 1;
    const uint8_t x = static_cast<uint8_t>(head[0] ^ head[1] ^ (l < ShortLengthLimit ? 0 : head[2]))
        ^ Checksum(buffer, stored);
    const bool good = complete && x == 0;
    const uint8_t answer = good ? Ack : Nak;
    if (!port.Write(&answer, 1))
        return linkerr::WriteFailed;
    return good ? 0 : linkerr::BadChecksum;
}

std::string ListPorts() { return platform::PortList().CommaText(); }

} // namespace serialframe

#include "link/Serialframe.h"

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

std::string ListPorts() { return platform::PortList().CommaText(); }

} // namespace serialframe

#pragma once
// One OstraBus frame on a serial port: its bytes, and the port it goes out on. The exchange of a
// request and its reply is Serialexchange.h's.
//
// Frame: byte 0 = address << 3 | L (L = data length below 7, else 7), command, the length byte
// when L is 7, the data, then the XOR of every byte before it.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace platform {
class SerialPort;
}

namespace serialframe {

constexpr uint8_t Ack = 0x06;
constexpr uint8_t Nak = 0x15;
constexpr uint8_t BroadcastAddress = 0;
constexpr int MaxData = 255;
constexpr int ShortLengthLimit = 7; // data lengths from 7 on carry a length byte
// Room a reply buffer needs: 255 data bytes and the checksum.
constexpr int ReplyBufferSize = MaxData + 1;

// Room a whole frame needs at most: header, command, length, 255 data bytes, checksum.
constexpr int MaxFrameSize = MaxData + 4;

// Writes the frame into out (MaxFrameSize bytes) and returns its size (data length capped at 255).
int EncodeFrame(uint8_t address, uint8_t command, const uint8_t* data, int length, uint8_t* out);
// The whole frame for a request or a reply (data length capped at 255).
std::vector<uint8_t> BuildFrame(uint8_t address, uint8_t command, const uint8_t* data, int length);
// XOR of the bytes.
uint8_t Checksum(const uint8_t* bytes, int count);

// Opens a port with the bus's line settings. The port, or nullptr with error = the errno value.
std::unique_ptr<platform::SerialPort> OpenPort(const std::string& name, int baud, uint8_t parity,
                                               int readTimeoutMs, int& error);
// Drops pending I/O and closes. True when the close succeeded.
bool ClosePort(platform::SerialPort& port);
// Clears both driver buffers.
void PurgePort(platform::SerialPort& port);

// The serial ports of the system as a "," separated text of device paths.
std::string ListPorts();

} // namespace serialframe

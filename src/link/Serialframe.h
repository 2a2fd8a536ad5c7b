#pragma once
// One OstraBus frame on a serial port: the request with its ACK/NAK handshake and the reply
// with the acknowledgement the program sends back. No retries, no state.
//
// Frame: byte 0 = address << 3 | L (L = data length below 7, else 7), command, the length byte
// when L is 7, the data, then the XOR of every byte before it.

#include <chrono>
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

using Deadline = std::chrono::steady_clock::time_point;

// Size of the frame that carries length data bytes (3 + n below 7, else 4 + n).
int FrameSize(int length);
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

// Writes one request frame and, except for broadcast, waits for the unit's ACK.
// 0, -1 write failed, -2 acknowledgement read failed, -3 no acknowledgement in time,
// -5 NAK received, -6 a byte other than ACK or NAK.
int WriteFrame(platform::SerialPort& port, uint8_t address, uint8_t command, uint8_t length,
               const uint8_t* data);
// Writes one frame and waits for nothing: 0, or -1 when the write failed.
int SendFrame(platform::SerialPort& port, uint8_t address, uint8_t command, uint8_t length,
              const uint8_t* data);
// Reads one reply frame into buffer (at least ReplyBufferSize bytes: data then checksum) and
// answers it with ACK or NAK. 0, -1 writing the acknowledgement failed, -2 read failed,
// -3 the frame's first three bytes did not arrive in time, -4 bad checksum or a frame cut short
// (both answered with NAK).
int ReadFrame(platform::SerialPort& port, uint8_t& address, uint8_t& command, uint8_t& length,
              uint8_t* buffer);
// The same with the frame's first three bytes due by headDeadline. When first is not null the
// frame's first byte was read already (it came where an acknowledgement was awaited).
int ReadFrameBy(platform::SerialPort& port, Deadline headDeadline, const uint8_t* first, uint8_t& address,
                uint8_t& command, uint8_t& length, uint8_t* buffer);

// The serial ports of the system as a "," separated text of device paths.
std::string ListPorts();

} // namespace serialframe

#pragma once
// A serial port on termios with the line settings of the unit's bus: raw, 8 data bits, the
// given parity, 1 stop bit, no flow control. Reads wait at most the read time-out plus 5 ms per
// byte asked for; writes are whole. Opened exclusively (TIOCEXCL and an flock). A read takes
// whatever has come in (up to a frame's worth) and keeps what was not asked for yet, so that a
// reply's acknowledgement, head and data cost one system call, not three; right after a write
// it waits for the answer before it reads.

#include <array>
#include <chrono>
#include <cstdint>
#include <string>

namespace platform {

class SerialPort {
public:
    static constexpr int MsPerByte = 5; // read deadline grows by this per byte asked for
    using Clock = std::chrono::steady_clock;

    enum Parity : uint8_t { ParityNone = 0, ParityOdd = 1, ParityEven = 2 };

    SerialPort() = default;
    ~SerialPort();
    SerialPort(const SerialPort&) = delete;
    SerialPort& operator=(const SerialPort&) = delete;

    // "COMn" names the n-th built-in port (/dev/ttyS(n-1)); anything else is a device path.
    static std::string DevicePath(const std::string& name);

    // 0 on success, else an errno value: EINVAL for a parity above even or a baud of 0 or
    // less; a rate the device refuses gives the device's error.
    int Open(const std::string& name, int baud, uint8_t parity, int readTimeoutMs);
    bool IsOpen() const { return fd_ >= 0; }
    const std::string& Path() const { return path_; }
    int ReadTimeout() const { return readTimeoutMs_; }
    int Baud() const { return baud_; }

    // Reads up to count bytes until the deadline; the number read (fewer on time-out), or -1
    // when the device failed (errno is kept).
    int Read(uint8_t* dest, int count);
    // The same with a deadline of the caller's: for a wait that several reads share.
    int ReadUntil(uint8_t* dest, int count, Clock::time_point deadline);
    // Copies up to count bytes that have come (waiting for them until the deadline) without
    // taking them: the next read gets them again. The number copied, or -1 as Read.
    int PeekUntil(uint8_t* dest, int count, Clock::time_point deadline);
    // When a byte last came from the device.
    Clock::time_point LastByteTime() const { return lastByte_; }
    // Writes all bytes; false when the device failed or stopped taking bytes.
    bool Write(const uint8_t* data, int count);
    // Discards what the driver holds in both directions, and what was read ahead.
    void Purge();
    // Discards what came in (and what was read ahead) without waiting; pending output still
    // goes out (after a failed exchange: the acknowledgement already written must still reach
    // the unit).
    void DiscardInput();
    // Reads and throws away what comes in until nothing has come for quietMs, counting from
    // the last byte this port received (a line silent through the wait before is quiet at
    // once), but for no longer than limitMs in all and no further than byteLimit bytes read
    // (continuous noise ends it there). True when the line fell quiet; false when it went on
    // talking up to a limit or the device failed.
    bool DrainUntilQuiet(int quietMs, int limitMs, int byteLimit);
    // Drops pending I/O and closes; true when the close succeeded (false when not open).
    bool Close();

    // Modem lines. False where the device has none (a pseudo-terminal) or the call failed.
    bool SetDtr(bool on);
    // Reads the CTS line into cts; false when the modem status cannot be read.
    bool ReadCts(bool& cts);

private:
    static constexpr int AheadSize = 512; // more than the longest frame
    int TakeAhead(uint8_t* dest, int count);
    // Reads what has come into the read-ahead buffer, waiting until the deadline for at least
    // want bytes (at most AheadSize) to be held. The bytes held, or -1 when the device failed.
    int FillAhead(int want, Clock::time_point deadline);

    int fd_ = -1;
    bool modemLines_ = false; // a pseudo-terminal has none: no call asks it for them
    bool wrote_ = false;      // the last call wrote: a read waits before it tries
    Clock::time_point lastByte_{}; // when a byte last came from the device
    std::array<uint8_t, AheadSize> ahead_{}; // read from the device, not yet asked for
    int aheadBegin_ = 0;
    int aheadEnd_ = 0;
    std::string path_;
    int readTimeoutMs_ = 0;
    int baud_ = 0;
};

} // namespace platform

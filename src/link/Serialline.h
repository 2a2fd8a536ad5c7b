#pragma once
// What the serial exchange needs of a port: its clock, reads with a deadline, writes, and the
// line's settings. The link runs it on a serial port; tests run it on a line of their own with
// a clock of their own.

#include "platform/Serialport.h"

#include <chrono>
#include <cstdint>

class ISerialLine {
public:
    using Clock = std::chrono::steady_clock;
    virtual ~ISerialLine() = default;

    virtual Clock::time_point Now() const = 0;
    virtual int ReadTimeoutMs() const = 0;
    virtual int Baud() const = 0;
    // Reads up to count bytes until the deadline: the number read, or -1 when the device failed.
    virtual int ReadUntil(uint8_t* dest, int count, Clock::time_point deadline) = 0;
    // Copies up to count bytes that have come (waiting until the deadline) without taking them.
    virtual int PeekUntil(uint8_t* dest, int count, Clock::time_point deadline) = 0;
    virtual bool Write(const uint8_t* data, int count) = 0;
    // When a byte last came.
    virtual Clock::time_point LastByteTime() const = 0;
    // Throws away what came in; what was written still goes out.
    virtual void DiscardInput() = 0;
    // Reads and throws away what comes until the line was quiet for quietMs, for at most limitMs
    // and byteLimit bytes. True when it fell quiet.
    virtual bool DrainUntilQuiet(int quietMs, int limitMs, int byteLimit) = 0;
};

// The line of a serial port, on the steady clock.
class CPortLine final : public ISerialLine {
public:
    explicit CPortLine(platform::SerialPort& port) : port_(port) {}
    Clock::time_point Now() const override { return Clock::now(); }
    int ReadTimeoutMs() const override { return port_.ReadTimeout(); }
    int Baud() const override { return port_.Baud(); }
    int ReadUntil(uint8_t* dest, int count, Clock::time_point deadline) override
    {
        return port_.ReadUntil(dest, count, deadline);
    }
    int PeekUntil(uint8_t* dest, int count, Clock::time_point deadline) override
    {
        return port_.PeekUntil(dest, count, deadline);
    }
    bool Write(const uint8_t* data, int count) override { return port_.Write(data, count); }
    Clock::time_point LastByteTime() const override { return port_.LastByteTime(); }
    void DiscardInput() override { port_.DiscardInput(); }
    bool DrainUntilQuiet(int quietMs, int limitMs, int byteLimit) override
    {
        return port_.DrainUntilQuiet(quietMs, limitMs, byteLimit);
    }

private:
    platform::SerialPort& port_;
};

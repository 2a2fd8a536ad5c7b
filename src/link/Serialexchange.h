#pragma once
// One request and its answer on a serial line: the request frame written, the unit's
// acknowledgement and reply awaited, and after a failure the line drained before the next.
//
// A reply frame carries the unit's address and the command it answers (a command whose reply
// begins with the request's first byte carries that byte too). A frame that is not this
// request's answer - a reply that came after its own request had given up, a reply sent
// twice, a reply held back into the next request - is acknowledged as the handshake asks,
// reported, and passed over; the wait for the request's own answer goes on within its
// time-out. Where the same command follows, a late reply cannot be told from the real one:
// the drain after a failure covers the near case.

#include <cstdint>
#include <functional>

namespace platform {
class SerialPort;
}

struct SSerialRequest {
    uint8_t address = 0;
    uint8_t command = 0;
    const uint8_t* data = nullptr;
    int length = 0;
    bool echoesFirstByte = false; // the reply begins with the request's first byte again
};

class CSerialExchange {
public:
    // A frame passed over: its address, command, data and data length.
    using StaleSink = std::function<void(uint8_t address, uint8_t command, const uint8_t* data, int length)>;

    // After a failure the line is drained until it has been quiet this long (and two
    // characters' time at the line's rate), counting from the last byte that came...
    static constexpr int DrainQuietMs = 20;
    // ... for one read time-out at most, and no further than a whole frame's worth of bytes.

    CSerialExchange(platform::SerialPort& port, StaleSink onStale);

    // Runs the request. The reply's data goes to reply (ReplyBufferSize bytes at least; it may
    // be the buffer the request's data is in) and its length to replyLength. A broadcast gets
    // no reply: one zero byte stands for it. 0 or a serial error code (-1 to -6).
    int Run(const SSerialRequest& request, uint8_t* reply, int& replyLength);

    // How long the drain waits for quiet on a line of the given rate.
    static int QuietMs(int baud);

private:
    int AwaitAck(const SSerialRequest& request, uint8_t* scratch);
    int AwaitReply(const SSerialRequest& request, uint8_t selector, uint8_t* reply, int& replyLength);
    void Drain();

    platform::SerialPort& port_;
    StaleSink onStale_;
};

#pragma once
// One request and its answer on a serial line: the request frame written, then everything the
// unit sends read in order until the request's own reply has come or its time is up.
//
// What comes is read as acknowledgements and frames. A frame is acknowledged as the handshake
// asks; it is the request's answer only when it carries the unit's address, the request's
// command (and, for a command whose reply repeats the request's first byte, that byte), comes
// after an acknowledgement, and no earlier request of the account (see Serialaccount.h) may own
// it. Anything else is reported and passed over. Where a frame could be either an earlier
// request's late reply or this one's, it is taken as the earlier one's: the request then fails
// rather than take an answer that may not be its own.
//
// The wait has a hard end: the read time-out and the acknowledgement's and a reply head's
// allowance from the moment the request was written, and past that only the rest of a frame
// that may be the request's reply, at the line's rate. Frames, acknowledgements and noise that
// keep coming move it no further.

#include "link/Serialaccount.h"

#include <chrono>
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
    using Clock = std::chrono::steady_clock;
    // A frame passed over: its address, command, data and data length.
    using StaleSink = std::function<void(uint8_t address, uint8_t command, const uint8_t* data, int length)>;

    // After noise the line is drained until it has been quiet this long (and two characters'
    // time at the line's rate), within what is left of the exchange's time and no further than
    // a whole frame's worth of bytes.
    static constexpr int DrainQuietMs = 20;
    // Bytes of one frame may come this much further apart than the line's rate gives (a USB
    // adapter hands them over in packets).
    static constexpr int ByteSlackMs = 20;
    // A frame whose bytes stopped coming this long before its exchange ended is dead: it is
    // answered with NAK. One still coming is kept for the next exchange to finish.
    static constexpr int FrameGapMs = 100;
    // Before a request goes out, what has come is read for at most this many events.
    static constexpr int MaxSettleEvents = 16;

    CSerialExchange(platform::SerialPort& port, CSerialAccount& account, StaleSink onStale);

    // Runs the request. The reply's data goes to reply (ReplyBufferSize bytes at least; it may
    // be the buffer the request's data is in) and its length to replyLength. A broadcast gets
    // no reply: one zero byte stands for it. 0 or a serial error code (-1 to -6).
    int Run(const SSerialRequest& request, uint8_t* reply, int& replyLength);

    // How long the drain waits for quiet on a line of the given rate.
    static int QuietMs(int baud);
    // Time on a line of the given rate for count bytes of one frame: twice a character's time
    // each, and the slack of an adapter.
    static Clock::duration LineTime(int baud, int count);

private:
    enum class Event {
        Ack,
        Nak,
        Frame,      // a whole frame with a good checksum, acknowledged (address 0: noise, not acknowledged)
        BadFrame,   // a frame with a bad checksum or cut off dead, answered with NAK
        Timeout,    // nothing more came in time (a frame under way is kept in the account)
        ReadFailed,
        WriteFailed,
    };
    struct SFrame {
        uint8_t bytes[260] = {};
        int size = 0;
        uint8_t address = 0;
        uint8_t command = 0;
        const uint8_t* data = nullptr;
        int length = 0;
    };

    Event Next(const SSerialRequest& request, Clock::time_point deadline, SFrame& frame);
    // A NAK byte may also begin a frame (address 2, five data bytes): it is one when the rest of
    // a frame with a good checksum follows it at once.
    bool FrameFollows(uint8_t first);
    Event FinishFrame(const SSerialRequest& request, Clock::time_point deadline, SFrame& frame);
    // A frame that did not come whole by the end of its wait.
    Event Cut(const SSerialRequest& request, const SFrame& frame);
    bool MayBeAnswer(const SSerialRequest& request, uint8_t address, uint8_t command) const;
    void Settle(const SSerialRequest& request);
    int Wait(const SSerialRequest& request, uint8_t selector, Clock::time_point sent, uint8_t* reply,
             int& replyLength);
    void Drain();

    platform::SerialPort& port_;
    CSerialAccount& account_;
    StaleSink onStale_;
    bool noise_ = false;       // the exchange met bytes that were no frame of a unit
    bool ackSeen_ = false;     // an acknowledgement came in the exchange
    bool ownAck_ = false;      // ... one that the account did not give to an earlier request
    bool inherited_ = false;   // a frame that could have been the reply was given to an earlier request
    bool settled_ = false;     // ... and silence after it showed that request dropped: nothing is owed
    Clock::time_point debtSince_{};
    Clock::time_point end_{}; // of the wait for the answer
};

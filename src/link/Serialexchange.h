#pragma once
// One request and its answer on a serial line: what came since the exchange before is read,
// the request frame written, then everything the unit sends read in order until the request's
// own reply has come or its time is up.
//
// What comes is read as acknowledgements and frames; a frame is acknowledged as the handshake
// asks, and whose reply it may be is the account's to say (Serialaccount.h, which also states
// the unit model the exchange reads by). Anything that is not the request's own reply is
// reported and passed over.
//
// The wait goes in stages, each ending at its own time-out, counted from the moment the unit
// could begin it: the ACK (or NAK) within a read time-out of the write, or of the end of the last
// answer the wait saw the unit give to an earlier request; the reply's head within a read
// time-out of its ACK; the rest of a frame that may be a reply at the line's rate, or slower
// while each byte comes within a read time-out of the one before (a frame still coming holds
// the unit at work, within the hard end). NUL bytes,
// noise and frames of other units or commands move no stage's end. Three read time-outs and the
// line time of an ACK and the reply are the hard end of the whole wait, reached only by a unit
// that takes each stage's whole time; only the size of a frame that may be the request's reply
// moves it, to that frame's line time. The NAK look-ahead, where a reply is due, reads at the
// line's rate within the hard end an eight-byte reply would have.

#include "link/Serialaccount.h"
#include "link/Serialline.h"

#include <chrono>
#include <cstdint>
#include <functional>

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
    // Before a request goes out, what has come is read for at most this many events.
    static constexpr int MaxSettleEvents = 16;

    CSerialExchange(ISerialLine& line, CSerialAccount& account, StaleSink onStale);

    // Runs the request. The reply's data goes to reply (ReplyBufferSize bytes at least; it may
    // be the buffer the request's data is in) and its length to replyLength. A broadcast gets
    // no reply: one zero byte stands for it. 0 or a serial error code (-1 to -6).
    int Run(const SSerialRequest& request, uint8_t* reply, int& replyLength);

    // How long the drain waits for quiet on a line of the given rate.
    static int QuietMs(int baud);
    // A frame whose bytes stopped coming this long (a read time-out) is dead: it is answered
    // with NAK. One still coming when its exchange ends is kept for the next exchange to finish.
    Clock::duration FrameGap() const { return times_.timeout; }

private:
    enum class Event {
        Ack,
        Nak,
        Nul,        // a byte of address 0 that is no ACK: no unit sends it
        Stray,      // where the ACK belongs, a byte that begins no good frame of another unit
        Frame,      // a whole frame with a good checksum, acknowledged
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
    // What the wait for the request's answer saw.
    struct SSeen {
        bool ack = false;   // an acknowledgement
        bool noise = false; // bytes that were no frame of a unit
        bool stray = false; // a stray byte where the ACK belongs, and no ACK after it
    };

    Event Next(Clock::time_point deadline, SFrame& frame);
    // A NAK byte may also begin a frame (address 2, five data bytes): it does when the rest of a
    // frame with a good checksum follows it at once and, where no reply is due, that rest is
    // not a whole frame of the unit itself.
    bool FrameFollows(uint8_t first);
    // Where the unit's ACK belongs, a byte of another address is a byte on its own (a garbled
    // ACK) when the unit's ACK, NAK or a good frame of its own follows it at once, or when its
    // own frame does not come whole at the line's rate with a good checksum.
    bool StrayByte(uint8_t first);
    // The wait for an ACK or a NAK, from when the unit could begin it; the wait for a reply's
    // head, from its ACK.
    void AckStage(Clock::time_point from);
    void HeadStage(Clock::time_point from);
    void SetStageEnd(Clock::time_point stageEnd);
    // What a wait that ended without its answer returns.
    int TimedOut() const;
    Event FinishFrame(Clock::time_point deadline, SFrame& frame);
    // A frame that did not come whole by the end of its wait.
    Event Cut(const SFrame& frame);
    // What came before the request was written.
    void Settle();
    int Wait(uint8_t* reply, int& replyLength);
    void Drain();
    void PassOver(const SFrame& frame) const;

    ISerialLine& line_;
    CSerialAccount& account_;
    StaleSink onStale_;
    SLineTimes times_;
    SSerialKey key_;
    bool waiting_ = false; // the request was written: a frame that fits it may move the end
    Clock::time_point sent_{};
    Clock::time_point outer_{}; // the hard end of the wait for the answer
    Clock::time_point stage_{}; // the end of the stage the wait is in
    Clock::time_point end_{};   // the earlier of the two: where reads stop
    SSeen seen_;
};

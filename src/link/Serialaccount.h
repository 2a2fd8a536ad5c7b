#pragma once
// The unit on a serial line, as the link reads it, and the account of what it may still send.
//
// What a unit on the line may do (T: the read time-out; a byte's time: 5 ms, or twice a
// character's time at the line's rate where that is longer; line time: a byte's time for each
// byte and an adapter's 20 ms):
//  U1 It hears a request whole, or not at all (dropped). It answers each request it heard
//     exactly once, in the order heard: an ACK then the reply frame, or a NAK alone; it may
//     lose the reply after its ACK. Nothing it sends answers a request it has not heard yet.
//  U2 In time, the ACK comes within T of the moment it could answer (the request's write, or
//     the end of its answer to the request before, a copy of its reply included, whichever is
//     later), the reply frame within T of the ACK, and the frame's bytes at the line's rate or
//     slower, each within T of the one before: a frame still coming holds the unit at work. A
//     frame whose bytes stop for T is cut off, and read as broken (U5).
//  U3 Busy, it may take a request late: its whole answer (ACK and reply, or NAK) ends within
//     LateTimeouts (five) T and the reply's line time of the request's write. Requests that
//     reach it while it is still answering are answered in time behind it (U2), or dropped.
//     A unit at work says nothing on the line: it may be late after a silence too.
//  U4 It may send a reply again, once: the copy comes within CopyQuarters quarters of T (T/2)
//     of the reply's end, and the unit answers nothing else before it.
//  U5 One byte of what it sends may come garbled. A garbled byte never makes a good frame of
//     the unit's address with the bytes around it, nor an ACK or a NAK out of another byte.
//  U6 Between its answers, and inside them, the line may carry NUL bytes and frames of other
//     units or commands; no such frame fits a request that may still be answered.
// A reply "fits" a request when it has the unit's address and the request's command and, for
// a command whose reply repeats the request's first byte, that byte (CouldAnswer).
//
// What the link promises then:
//  P1 A request never takes a frame that is not its own reply (no wrong answer).
//  P2 Each stage of a request's wait ends at its own time-out, counted from the moment the
//     unit could begin it: the ACK (or NAK) within T and an ACK's line time of the write, or of
//     the end of the last answer (or copy of a reply) the wait saw the unit give to an earlier
//     request; the reply's head within T of its ACK; the rest as it comes (U2). NUL bytes,
//     noise and frames of other units or commands move no stage's end. A request whose answer
//     comes so, within P3's bound, is answered, unless a garbled byte came in its wait or P4
//     lets it fail. A byte on its own where its ACK belongs (a garbled ACK), with no ACK after
//     it, fails it with "Bad ACK or NAK" at the ACK stage's end.
//  P3 A request ends within 3 T and its own reply's line time of its write, whatever comes:
//     only the size of a frame that fits it moves the end, and to no further than that; nothing
//     in a reply's data lengthens it. (A NAK byte near the end is given the time of the eight-
//     byte frame it may begin.) Only a unit that takes each stage's whole time reaches it.
//  P4 A fault (a drop, a NAK, a garbled byte, a late answer) fails its own request; a late
//     answer fails too the requests that saw no ACK within their ACK stage while it was still
//     to come. A later request fails too only where the account cannot tell its reply from that
//     of an earlier request of the same command and selector that was dropped, garbled or
//     failed: with a request of another command answered between, never; with one command
//     throughout (or only failed requests between), the next one may fail, and each one after it only while its answer comes at least T/2 sooner after its
//     write than the one before's did (R6): at most four after one fault.
// What the link cannot tell apart, outside the model: a unit that sends a whole answer (ACK and
// reply) twice, with one command throughout, gives the next request the copy.
//
// The account's rules, each from the model:
//  R1 (U1) An ACK belongs to one of the requests still open; the first frame that fits one of
//     them behind it is that request's reply, and the unit has then passed every open request
//     up to the oldest that fits: those are settled. An ACK or a NAK where a reply is due says
//     that reply was lost: the oldest request that may have owned it is settled, unless that is
//     the request in hand alone (the unit heard no other, and answers it once).
//  R2 (U1) The reply is the request's own only when no older open request fits it.
//  R3 (U1, U4) A frame with no ACK before it answers nothing: a copy, or another unit's. The
//     copy of the reply just taken ends that answer anew (U2).
//  R4 (U1) A NAK settles the oldest open request; it refuses the request in hand only when
//     that one is the oldest.
//  R5 (U3) A request that failed stays open until its late answer would have ended.
//  R6 (U2, U3, U4) A request that was written before an earlier one's answer ended was heard
//     while the unit was at work: it is answered within a copy's time and the in-time stages
//     behind it, never late, and its time to stay open becomes that (shorter than a late
//     answer's bound, or longer, behind a late answer).
//  R7 (U5) A broken frame where a reply is due is that reply: it settles the oldest request
//     that may own it, as a NAK does. Anywhere else a broken frame, and what the link throws
//     away as noise, tell nothing of the unit's answers.
//  R8 (U1) A request's own reply settles every request before it: the account is empty.
//  R9 (U2, U3) The oldest open request, heard while the unit was at work, whose ACK or NAK has
//     not begun within T of the end of the last answer (or copy) the account saw, was dropped.
// No rule decides from silence alone: a unit that was silent may be late (U3). A unit that comes
// back after silence has its first answer taken for the oldest request still open of that
// command; the request that gets it fails, and R6 and R9 clear the rest by the next request.
// The account holds MaxOpen requests at most; past that the oldest is forgotten.

#include <chrono>
#include <cstdint>
#include <deque>
#include <vector>

// What a reply must carry to answer a request.
struct SSerialKey {
    uint8_t address = 0;
    uint8_t command = 0;
    bool echoes = false; // the reply begins with selector
    uint8_t selector = 0;
};

// Whether a frame of this address and command, with these data bytes, can be the reply to the
// request. data is null while the frame's data have not been read: then address and command
// alone decide.
bool CouldAnswer(const SSerialKey& request, uint8_t address, uint8_t command, const uint8_t* data, int length);

// The times the model gives on a line of a read time-out and a rate.
struct SLineTimes {
    using Clock = std::chrono::steady_clock;
    static constexpr int MsPerByte = 5;     // the per-byte allowance of a read
    static constexpr int BitsPerChar = 11;  // start, 8 data, parity, stop
    static constexpr int AdapterSlackMs = 20; // a USB adapter hands bytes over in packets
    static constexpr int WaitTimeouts = 3;  // the ACK's, the reply head's and the rest's read
    static constexpr int StageTimeouts = 2; // U2: ACK, then the reply's frame
    static constexpr int LateTimeouts = 5;  // U3
    static constexpr int CopyQuarters = 2;  // U4

    SLineTimes(int readTimeoutMs, int baud);
    Clock::duration timeout;
    Clock::duration byte;
    // The longest a copy of a reply comes after it (U4).
    Clock::duration Copy() const { return timeout * CopyQuarters / 4; }
    // count bytes on the line, the adapter's slack included.
    Clock::duration Line(int count) const;
};

class CSerialAccount {
public:
    using Clock = std::chrono::steady_clock;
    static constexpr int MaxOpen = 64;

    enum class Take {
        Stale,   // no open request's reply: passed over
        Copy,    // the copy of the reply before it, with no ACK before it: passed over (U4)
        Earlier, // may be an earlier request's reply: passed over, and settles what it can
        Own,     // the reply of the request in hand
    };

    void Clear();
    void SetTimes(const SLineTimes& times) { times_ = times; }
    // An ACK came, and the reply it begins is still to come.
    bool ReplyDue() const { return owners_ > 0; }

    // Forgets the requests whose answer can no longer come.
    void Expire(Clock::time_point now);
    // The request in hand was written.
    void Written(const SSerialKey& key, Clock::time_point at);
    // It failed: it stays open (R5). It got its reply: nothing is open any more (R8).
    void Failed() { inHand_ = false; }
    void Answered();

    void Ack(Clock::time_point now);
    // True when the NAK refused the request in hand.
    bool Nak(Clock::time_point now);
    Take Frame(uint8_t address, uint8_t command, const uint8_t* data, int length, int size, Clock::time_point now);
    // Whether a frame of this address and command may be an open request's reply.
    bool MayOwn(uint8_t address, uint8_t command) const;
    // A frame came broken: the reply that was due (R7), or where none was due, noise.
    void Garbled(Clock::time_point now);

    // The bytes of a frame that was cut off when its exchange ended, and when its last byte came.
    void KeepPartial(const uint8_t* bytes, int count, Clock::time_point last);
    // Hands the cut-off frame over (empty when none) and forgets it.
    std::vector<uint8_t> TakePartial(Clock::time_point& last);
    void DropPartial() { partial_.clear(); }

private:
    struct SOpen {
        SSerialKey key;
        Clock::time_point written;
        Clock::time_point answerBy; // the latest its answer may end, but for its reply's line time
        bool behind = false;        // heard while the unit was at work: answered in time or dropped
    };
    bool Alive(const SOpen& o, int frameSize, Clock::time_point now) const;
    // The unit answered the first settled requests by now: they go, and the ones it heard
    // while answering are due in time behind it (R6).
    void Settle(int settled, Clock::time_point now);

    SLineTimes times_ { 0, 0 };
    std::deque<SOpen> open_; // in the order written
    bool inHand_ = false;    // the newest open request is the exchange in hand
    // An ACK came: a reply of one of the first owners_ requests is next. None: the unit's next
    // answer begins with an ACK or a NAK.
    int owners_ = 0;
    // The last reply taken, and when it ended, while its copy may still come (U4).
    bool copyDue_ = false;
    uint8_t copyAddress_ = 0;
    uint8_t copyCommand_ = 0;
    Clock::time_point replyEnd_{};
    Clock::time_point answerEnd_{}; // of the last answer the account saw end, or of its copy
    std::vector<uint8_t> partial_;
    Clock::time_point partialLast_{};
};

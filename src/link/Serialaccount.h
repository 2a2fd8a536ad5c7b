#pragma once
// What a unit on a serial line may still send: the replies it owes to requests that gave up
// before their answer came, and the rest of a frame that was under way when a request ended.
//
// A unit answers its requests one after the other, in the order heard: an acknowledgement, then
// the reply. A request that timed out may still be answered: by its reply alone when its
// acknowledgement had come, or by both together when the unit was busy. The account keeps such
// requests in the order sent, so that an answer that comes later is passed over as theirs
// instead of being taken by a later request that looks the same. Since the acknowledgements come
// in order too, each one that comes settles the requests before it: a reply they still owed
// would have come first.
//
// The account is bounded: it is forgotten whole once its newest debt is older than a few read
// time-outs, and it holds a few requests at most, so a unit that drops requests costs a few
// failed requests, never a run of them.

#include <chrono>
#include <cstdint>
#include <deque>
#include <vector>

struct SOwedReply {
    using Clock = std::chrono::steady_clock;
    uint8_t address = 0;
    uint8_t command = 0;
    bool echoes = false;   // the reply begins with selector
    uint8_t selector = 0;
    bool acked = false;    // the unit acknowledged the request
    bool ackedNow = false; // ... by an acknowledgement of the exchange in hand, which may have been that exchange's own
    Clock::time_point since; // when the debt began

    // Whether a frame of this address and command, whose data begins with first (when it has
    // data), can be this request's reply.
    bool Fits(uint8_t frameAddress, uint8_t frameCommand, const uint8_t* data, int length) const;
};

class CSerialAccount {
public:
    using Clock = std::chrono::steady_clock;
    static constexpr int MaxOwed = 8;
    // The account is forgotten once its newest debt is this many read time-outs old (and the
    // time of a longest frame at the line's rate)...
    static constexpr int SpanTimeouts = 5;
    // ... or once nothing at all has come from the line since its oldest debt began, for longer
    // than a busy unit takes to answer (four read time-outs) and half a read time-out more: the
    // unit did not hear those requests, or is gone.
    static constexpr int SilenceHalfTimeouts = 9;

    // Forgets the account when its newest debt is older than span, or when the line has said
    // nothing since its oldest debt began (lastByte: when a byte last came) for longer than
    // silence; clears the marks of the exchange before.
    void Begin(Clock::time_point now, Clock::duration span, Clock::duration silence, Clock::time_point lastByte);
    bool Empty() const { return owed_.empty() && partial_.empty(); }
    // The account was forgotten for the line's silence, and nothing has come since: requests
    // that go unanswered meanwhile are not owed either.
    bool Deaf() const { return deaf_; }
    void Clear();
    const std::deque<SOwedReply>& Owed() const { return owed_; }

    // A request that may still be answered. The oldest is forgotten past MaxOwed.
    void Owe(const SOwedReply& owed);

    // An acknowledgement came. Settles the requests acknowledged before (their replies would
    // have come first) and gives it to the oldest request still waiting for one: true. False
    // when none is waiting: the acknowledgement is the exchange's own.
    bool TakeAck();
    // A NAK came: the oldest request waiting for an acknowledgement was refused. False when
    // none is waiting: the NAK is the exchange's own.
    bool TakeNak();
    // A frame came: true when an acknowledged request may own it as its reply; that request
    // and all before it are settled. since gets the debt's start when the acknowledgement was
    // taken in the exchange in hand (the frame could then have been the exchange's own).
    bool TakeReply(uint8_t address, uint8_t command, const uint8_t* data, int length, bool& takenNow,
                   Clock::time_point& since);
    // Whether some request of the account may still be answered with this command.
    bool Expects(uint8_t address, uint8_t command) const;

    // The bytes of a frame that was cut off when its exchange ended, and when its last byte came.
    void KeepPartial(const uint8_t* bytes, int count, Clock::time_point last);
    // Hands the cut-off frame over (empty when none) and forgets it.
    std::vector<uint8_t> TakePartial(Clock::time_point& last);
    void DropPartial() { partial_.clear(); }

private:
    std::deque<SOwedReply> owed_;
    bool deaf_ = false;
    Clock::time_point deafSince_{};
    std::vector<uint8_t> partial_;
    Clock::time_point partialLast_{};
};

#include "link/Serialaccount.h"

#include "link/Serialframe.h"

#include <algorithm>

bool CouldAnswer(const SSerialKey& request, uint8_t address, uint8_t command, const uint8_t* data, int length)
{
    if (address != request.address || command != request.command)
        return false;
    return !request.echoes || !data || (length > 0 && data[0] == request.selector);
}

SLineTimes::SLineTimes(int readTimeoutMs, int baud)
    : timeout(std::chrono::milliseconds(std::max(readTimeoutMs, 0)))
    , byte(std::max<Clock::duration>(
          std::chrono::milliseconds(MsPerByte),
          std::chrono::microseconds(baud > 0 ? 2 * (BitsPerChar * 1000000LL + baud - 1) / baud : 0)))
{
}

SLineTimes::Clock::duration SLineTimes::Line(int count) const
{
    return byte * std::max(count, 0) + std::chrono::milliseconds(AdapterSlackMs);
}

void CSerialAccount::Clear()
{
    open_.clear();
    inHand_ = false;
    owners_ = 0;
    copyDue_ = false;
    partial_.clear();
}

bool CSerialAccount::Alive(const SOpen& o, int frameSize, Clock::time_point now) const
{
    return now <= o.answerBy + times_.Line(1 + frameSize);
}

void CSerialAccount::Expire(Clock::time_point now)
{
    for (size_t i = 0; i < open_.size();) {
        if (Alive(open_[i], serialframe::MaxFrameSize, now) || (inHand_ && i + 1 == open_.size())) {
            ++i;
            continue;
        }
        open_.erase(open_.begin() + static_cast<long>(i));
        if (static_cast<int>(i) < owners_)
            --owners_;
    }
    // With no ACK under way, the oldest request that is due in time and has seen no ACK was
    // dropped (R9).
    while (owners_ == 0 && open_.size() > (inHand_ ? 1u : 0u) && open_.front().behind
           && now >= std::max(open_.front().written, answerEnd_) + times_.timeout + times_.Line(1))
        open_.pop_front();
}

void CSerialAccount::Written(const SSerialKey& key, Clock::time_point at)
{
    open_.push_back({ key, at, at + times_.timeout * SLineTimes::LateTimeouts });
    while (open_.size() > MaxOpen) {
        open_.pop_front();
        owners_ = std::max(0, owners_ - 1);
    }
    inHand_ = true;
}

void CSerialAccount::Answered()
{
    open_.clear();
    inHand_ = false;
    owners_ = 0;
}

void CSerialAccount::Ack(Clock::time_point now)
{
    // The ACK of one of the open requests. One that comes where a reply was due says that
    // reply was lost: the oldest request that may have owned it is answered (R1).
    copyDue_ = false;
    // With the request in hand the only one open, the ACK before was no answer of its (a unit
    // answers it once, and it heard no other): it stays open for its reply.
    if (owners_ > 0 && !(inHand_ && open_.size() == 1))
        Settle(1, now);
    // None open: it answers nothing, a stray byte.
    owners_ = static_cast<int>(open_.size());
}

bool CSerialAccount::Nak(Clock::time_point now)
{
    copyDue_ = false;
    if (owners_ > 0 && !(inHand_ && open_.size() == 1))
        Settle(1, now); // the reply that was due was lost (R1)
    owners_ = 0;
    if (open_.empty())
        return false;
    const bool refused = inHand_ && open_.size() == 1;
    Settle(1, now);
    if (refused)
        inHand_ = false;
    return refused;
}

bool CSerialAccount::MayOwn(uint8_t address, uint8_t command) const
{
    return std::any_of(open_.begin(), open_.end(),
                       [&](const SOpen& o) { return CouldAnswer(o.key, address, command, nullptr, 0); });
}

void CSerialAccount::Garbled(Clock::time_point now)
{
    if (owners_ == 0)
        return; // noise: it tells nothing of the unit's answers
    // The reply that was due came broken: its request is answered, as a NAK answers one.
    owners_ = 0;
    Settle(1, now);
    inHand_ = inHand_ && !open_.empty();
}

CSerialAccount::Take CSerialAccount::Frame(uint8_t address, uint8_t command, const uint8_t* data, int length,
                                           int size, Clock::time_point now)
{
    if (owners_ == 0) {
        // A frame with no ACK before it answers nothing (R3); the copy of the reply before it
        // ends that answer anew.
        const bool copy = copyDue_ && address == copyAddress_ && command == copyCommand_
            && now <= replyEnd_ + times_.Copy() + times_.Line(size);
        copyDue_ = copyDue_ && !copy;
        if (!copy)
            return Take::Stale;
        answerEnd_ = now;
        return Take::Copy;
    }
    int first = -1;
    for (int i = 0; i < owners_ && i < static_cast<int>(open_.size()); ++i) {
        const SOpen& o = open_[static_cast<size_t>(i)];
        const bool waiting = inHand_ && i + 1 == static_cast<int>(open_.size()); // its wait bounds it
        if (!CouldAnswer(o.key, address, command, data, length) || !(waiting || Alive(o, size, now)))
            continue;
        first = i;
        break;
    }
    if (first < 0)
        return Take::Stale; // no open request's: the reply is still to come
    owners_ = 0;
    copyDue_ = true;
    copyAddress_ = address;
    copyCommand_ = command;
    replyEnd_ = now;
    if (inHand_ && first + 1 == static_cast<int>(open_.size()))
        return Take::Own;
    Settle(first + 1, now);
    return Take::Earlier;
}

void CSerialAccount::Settle(int settled, Clock::time_point now)
{
    open_.erase(open_.begin(), open_.begin() + std::min(settled, static_cast<int>(open_.size())));
    const auto stage = times_.timeout * SLineTimes::StageTimeouts;
    answerEnd_ = now;
    auto due = now;
    for (SOpen& o : open_) {
        if (o.written >= now)
            break;
        o.behind = true;
        due += times_.Copy() + stage;
        o.answerBy = due; // heard while the unit was at work: in time behind, never late (U3)
        due += times_.Line(1 + serialframe::MaxFrameSize);
    }
}

void CSerialAccount::KeepPartial(const uint8_t* bytes, int count, Clock::time_point last)
{
    partial_.assign(bytes, bytes + count);
    partialLast_ = last;
}

std::vector<uint8_t> CSerialAccount::TakePartial(Clock::time_point& last)
{
    last = partialLast_;
    std::vector<uint8_t> bytes;
    bytes.swap(partial_);
    return bytes;
}

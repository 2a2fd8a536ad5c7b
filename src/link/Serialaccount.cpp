#include "link/Serialaccount.h"

#include <algorithm>

bool SOwedReply::Fits(uint8_t frameAddress, uint8_t frameCommand, const uint8_t* data, int length) const
{
    if (frameAddress != address || frameCommand != command)
        return false;
    return !echoes || (length > 0 && data[0] == selector);
}

void CSerialAccount::Begin(Clock::time_point now, Clock::duration span, Clock::duration silence,
                           Clock::time_point lastByte)
{
    if (!owed_.empty() && now - owed_.back().since > span)
        owed_.clear();
    if (deaf_ && lastByte >= deafSince_)
        deaf_ = false;
    if (!owed_.empty() && lastByte < owed_.front().since && now - owed_.front().since > silence) {
        owed_.clear();
        deaf_ = true;
        deafSince_ = now;
    }
    for (SOwedReply& o : owed_)
        o.ackedNow = false;
}

void CSerialAccount::Clear()
{
    owed_.clear();
    partial_.clear();
    deaf_ = false;
}

void CSerialAccount::Owe(const SOwedReply& owed)
{
    owed_.push_back(owed);
    while (owed_.size() > MaxOwed)
        owed_.pop_front();
}

bool CSerialAccount::TakeAck()
{
    // Requests acknowledged before this acknowledgement whose reply has not come: a unit sends a
    // reply before it acknowledges the next request, so theirs will not come now.
    while (!owed_.empty() && owed_.front().acked)
        owed_.pop_front();
    if (owed_.empty())
        return false;
    owed_.front().acked = true;
    owed_.front().ackedNow = true;
    return true;
}

bool CSerialAccount::TakeNak()
{
    while (!owed_.empty() && owed_.front().acked)
        owed_.pop_front();
    if (owed_.empty())
        return false;
    owed_.pop_front();
    return true;
}

bool CSerialAccount::TakeReply(uint8_t address, uint8_t command, const uint8_t* data, int length, bool& takenNow,
                               Clock::time_point& since)
{
    // Only an acknowledged request can be answered now; acknowledged ones stand at the front.
    for (auto it = owed_.begin(); it != owed_.end() && it->acked; ++it) {
        if (!it->Fits(address, command, data, length))
            continue;
        takenNow = it->ackedNow;
        since = it->since;
        owed_.erase(owed_.begin(), it + 1);
        return true;
    }
    return false;
}

bool CSerialAccount::Expects(uint8_t address, uint8_t command) const
{
    return std::any_of(owed_.begin(), owed_.end(),
                       [&](const SOwedReply& o) { return o.address == address && o.command == command; });
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

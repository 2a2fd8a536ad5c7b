#include "link/Serialexchange.h"

#include "link/Ostrabus.h"
#include "link/Serialframe.h"

#include <algorithm>

namespace {

using Ms = std::chrono::milliseconds;

constexpr int HeadSize = 3;     // address and length, command, and the length or first data byte
constexpr int NakFrameSize = 8; // a frame whose first byte is the NAK's: five data bytes

// Whether the first bytes of a frame tell its size yet.
bool SizeKnown(const uint8_t* bytes, int known)
{
    return known >= 3 || (known == 2 && (bytes[0] & 7) < serialframe::ShortLengthLimit);
}

// Size of the frame whose first bytes are these, as far as they tell it (at least one more
// byte than known while the length is not known yet).
int SizeOf(const uint8_t* bytes, int known)
{
    if (known < 2)
        return 2;
    const int l = bytes[0] & 7;
    if (l < serialframe::ShortLengthLimit)
        return 3 + l;
    if (known < 3)
        return 3;
    return 4 + bytes[2];
}

} // namespace

CSerialExchange::CSerialExchange(ISerialLine& line, CSerialAccount& account, StaleSink onStale)
    : line_(line)
    , account_(account)
    , onStale_(std::move(onStale))
    , times_(line.ReadTimeoutMs(), line.Baud())
{
}

int CSerialExchange::QuietMs(int baud)
{
    const int charMs = baud > 0 ? (SLineTimes::BitsPerChar * 1000 + baud - 1) / baud : 0;
    return DrainQuietMs + 2 * charMs;
}

int CSerialExchange::Run(const SSerialRequest& request, uint8_t* reply, int& replyLength)
{
    replyLength = 0;
    seen_ = {};
    waiting_ = false;
    // The reply may land where the request is: what the answer must echo is taken first.
    key_.address = request.address;
    key_.command = request.command;
    key_.echoes = request.echoesFirstByte && request.length > 0;
    key_.selector = request.length > 0 ? request.data[0] : 0;
    account_.SetTimes(times_);
    account_.Expire(line_.Now());
    end_ = outer_ = stage_ = line_.Now();
    Settle();
    uint8_t frame[serialframe::MaxFrameSize];
    const int size = serialframe::EncodeFrame(request.address, request.command, request.data, request.length, frame);
    if (!line_.Write(frame, size))
        return linkerr::WriteFailed;
    if (request.address == serialframe::BroadcastAddress) {
        reply[0] = 0; // no reply to a broadcast: one zero byte stands for it
        replyLength = 1;
        return 0;
    }
    sent_ = line_.Now();
    account_.Written(key_, sent_);
    waiting_ = true;
    outer_ = sent_ + times_.timeout * SLineTimes::WaitTimeouts + times_.Line(1 + HeadSize);
    AckStage(sent_);
    const int r = Wait(reply, replyLength);
    waiting_ = false;
    if (r == 0) {
        account_.Answered();
        return 0;
    }
    replyLength = 0;
    account_.Failed();
    if (seen_.noise) {
        account_.DropPartial(); // whatever was under way goes with the noise
        Drain();
    }
    return r;
}

void CSerialExchange::SetStageEnd(Clock::time_point stageEnd)
{
    stage_ = stageEnd;
    end_ = std::min(outer_, stage_);
}

void CSerialExchange::AckStage(Clock::time_point from)
{
    seen_.ack = false;
    seen_.stray = false;
    SetStageEnd(from + times_.timeout + times_.Line(1));
}

void CSerialExchange::HeadStage(Clock::time_point from)
{
    seen_.ack = true;
    seen_.stray = false;
    SetStageEnd(from + times_.timeout + times_.Line(HeadSize));
}

int CSerialExchange::TimedOut() const
{
    // A stray byte where the ACK belongs, and no ACK after it: the unit's ACK came garbled.
    return seen_.stray ? linkerr::BadAck : linkerr::Timeout;
}

void CSerialExchange::PassOver(const SFrame& frame) const
{
    if (onStale_)
        onStale_(frame.address, frame.command, frame.data, frame.length);
}

void CSerialExchange::Settle()
{
    // What came since the exchange before came before this request: answers that earlier
    // requests owed, copies of replies, stray bytes. None of it can be this request's answer.
    SFrame frame;
    for (int events = 0; events < MaxSettleEvents; ++events) {
        switch (Next(line_.Now(), frame)) {
        case Event::Ack: account_.Ack(line_.Now()); continue;
        case Event::Nak: account_.Nak(line_.Now()); continue;
        case Event::Nul: seen_.noise = true; continue;
        case Event::Frame:
            account_.Frame(frame.address, frame.command, frame.data, frame.length, frame.size, line_.Now());
            PassOver(frame);
            continue;
        case Event::Timeout:
            if (!seen_.noise)
                return;
            break;
        default: seen_.noise = true; break;
        }
        break;
    }
    // Noise, or more than a line at rest holds: thrown away whole.
    account_.DropPartial();
    line_.DiscardInput();
    seen_.noise = false;
}

int CSerialExchange::Wait(uint8_t* reply, int& replyLength)
{
    SFrame frame;
    bool afterStray = false; // the event before was a stray byte
    while (line_.Now() <= end_) {
        const Event event = Next(end_, frame);
        const bool garbledAck = afterStray;
        afterStray = event == Event::Stray;
        switch (event) {
        case Event::Ack:
            account_.Ack(line_.Now());
            HeadStage(line_.Now());
            continue;
        case Event::Nak:
            if (account_.Nak(line_.Now()))
                return linkerr::NakReceived;
            AckStage(line_.Now()); // an earlier request's answer ended here
            continue;
        case Event::Nul: seen_.noise = true; continue;
        case Event::Stray:
            seen_.noise = true;
            seen_.stray = true;
            continue;
        case Event::Timeout: return TimedOut();
        case Event::ReadFailed: return linkerr::ReadFailed;
        case Event::WriteFailed: return linkerr::WriteFailed;
        case Event::BadFrame:
            seen_.noise = true;
            // Where the acknowledgement belongs it was no acknowledgement.
            return seen_.ack ? linkerr::BadChecksum : linkerr::BadAck;
        case Event::Frame: break;
        }
        const auto take = account_.Frame(frame.address, frame.command, frame.data, frame.length, frame.size, line_.Now());
        if (take == CSerialAccount::Take::Own) {
            std::copy(frame.data, frame.data + frame.length, reply);
            replyLength = frame.length;
            return 0;
        }
        // An earlier request's answer, or its copy, ended here; or one whose ACK came garbled.
        if (take == CSerialAccount::Take::Earlier || take == CSerialAccount::Take::Copy
            || (garbledAck && account_.MayOwn(frame.address, frame.command)))
            AckStage(line_.Now());
        PassOver(frame);
    }
    return TimedOut();
}

bool CSerialExchange::FrameFollows(uint8_t first)
{
    // The rest comes at the line's rate: within the wait, and where a reply is due, within the
    // time the wait gives a reply this long.
    uint8_t rest[serialframe::MaxFrameSize];
    auto deadline = line_.Now() + times_.Line(NakFrameSize - 1);
    if (waiting_) {
        const auto asReply = sent_ + times_.timeout * SLineTimes::WaitTimeouts + times_.Line(1 + NakFrameSize);
        deadline = std::min(deadline, account_.ReplyDue() ? std::max(outer_, asReply) : end_);
    }
    int n = line_.PeekUntil(rest, NakFrameSize - 1, deadline);
    if (n < NakFrameSize - 1 || (first ^ serialframe::Checksum(rest, n)) != 0)
        return false;
    if (account_.ReplyDue())
        return true; // where a reply is due, a good frame is that reply
    // The bytes behind a NAK may happen to give it a good checksum as a frame's first byte; when
    // they are a whole frame of the unit themselves (its reply right behind its NAK), it is a NAK.
    if ((rest[0] >> 3) != key_.address)
        return true;
    const int size = SizeOf(rest, n);
    if (size > n)
        n = line_.PeekUntil(rest, size, std::min(line_.Now() + times_.Line(size), std::max(end_, line_.Now())));
    return n < 0 || n < size || serialframe::Checksum(rest, size) != 0;
}

bool CSerialExchange::StrayByte(uint8_t first)
{
    // The unit's ACK or NAK, or a good frame of its own, right behind it: it was a garbled ACK.
    uint8_t bytes[serialframe::MaxFrameSize];
    int behind = line_.PeekUntil(bytes, 1, std::min(line_.Now() + times_.Line(1), end_));
    if (behind == 1 && (bytes[0] == serialframe::Ack || bytes[0] == serialframe::Nak))
        return true;
    if (behind == 1 && (bytes[0] >> 3) == key_.address) {
        // Its frame's bytes come at the line's rate, within the wait's hard end.
        int size = SizeOf(bytes, behind);
        while (behind < size) {
            const int n = line_.PeekUntil(bytes, size, std::min(line_.Now() + times_.Line(size - behind), outer_));
            if (n <= behind)
                break;
            behind = n;
            size = SizeOf(bytes, behind);
        }
        if (behind >= size && serialframe::Checksum(bytes, size) == 0)
            return true;
    }
    // Each byte of a frame comes within a byte's line time of the one before; one that does not
    // come by the stage's end is not known to be missing.
    bytes[0] = first;
    int known = 1;
    for (int size = SizeOf(bytes, known); known < size; size = SizeOf(bytes, known)) {
        const auto byRate = line_.Now() + times_.Line(1);
        const int n = line_.PeekUntil(bytes + 1, known, std::min(byRate, end_));
        if (n < 0)
            return false;
        if (n < known)
            return byRate <= end_;
        known = n + 1;
    }
    return serialframe::Checksum(bytes, known) != 0;
}

CSerialExchange::Event CSerialExchange::Next(Clock::time_point deadline, SFrame& frame)
{
    frame.size = 0;
    // A frame that was still coming when the exchange before ended goes on, if its bytes do.
    Clock::time_point last;
    const std::vector<uint8_t> carried = account_.TakePartial(last);
    if (!carried.empty()) {
        // Before the request is written nothing waits for it; in the wait, a frame that may be an
        // open request's reply holds the unit at work until it is dead, any other the stage.
        const auto gapEnd = last + FrameGap();
        const bool held = waiting_ && carried.size() >= 2 && account_.ReplyDue()
            && account_.MayOwn(static_cast<uint8_t>(carried[0] >> 3), carried[1]);
        const auto until = !waiting_ ? line_.Now() : std::min(gapEnd, held ? outer_ : deadline);
        uint8_t next = 0;
        const int n = line_.PeekUntil(&next, 1, std::max(line_.Now(), until));
        if (n < 0)
            return Event::ReadFailed;
        if (n == 1) {
            std::copy(carried.begin(), carried.end(), frame.bytes);
            frame.size = static_cast<int>(carried.size());
            return FinishFrame(deadline, frame);
        }
        if (line_.Now() < gapEnd) {
            account_.KeepPartial(carried.data(), static_cast<int>(carried.size()), last);
            return Event::Timeout; // it may still go on
        }
        seen_.noise = true; // it stopped: what was kept of it is no frame
    }
    uint8_t first = 0;
    const int n = line_.ReadUntil(&first, 1, deadline);
    if (n < 0)
        return Event::ReadFailed;
    if (n == 0)
        return Event::Timeout;
    // No unit answers from address 0: the ACK byte is an acknowledgement, the others of that
    // address are noise (a line of NUL bytes reads so). The NAK byte is the head of a frame
    // from address 2 with five data bytes too.
    if (first == serialframe::Ack)
        return Event::Ack;
    if (first == serialframe::Nak && !FrameFollows(first))
        return Event::Nak;
    if ((first >> 3) == serialframe::BroadcastAddress)
        return Event::Nul;
    if (waiting_ && !account_.ReplyDue() && (first >> 3) != key_.address && StrayByte(first))
        return Event::Stray;
    frame.bytes[0] = first;
    frame.size = 1;
    return FinishFrame(deadline, frame);
}

CSerialExchange::Event CSerialExchange::FinishFrame(Clock::time_point deadline, SFrame& frame)
{
    // Where a reply is due, a frame that may be an open request's reply holds the unit at work
    // while its bytes keep coming, each within FrameGap() of the one before, up to the wait's
    // hard end; one that may be the request's own moves that end to its own line time.
    bool held = false;
    bool sized = false;
    for (int size = SizeOf(frame.bytes, frame.size); frame.size < size; size = SizeOf(frame.bytes, frame.size)) {
        if (!sized && SizeKnown(frame.bytes, frame.size)) {
            sized = true;
            const auto address = static_cast<uint8_t>(frame.bytes[0] >> 3);
            held = waiting_ && account_.ReplyDue() && account_.MayOwn(address, frame.bytes[1]);
            if (held && CouldAnswer(key_, address, frame.bytes[1], nullptr, 0))
                outer_ = std::max(outer_, sent_ + times_.timeout * SLineTimes::WaitTimeouts + times_.Line(1 + size));
        }
        const int asked = size - frame.size;
        const auto until = held ? std::min(outer_, std::max(deadline, line_.LastByteTime() + FrameGap())) : deadline;
        const int got = line_.ReadUntil(frame.bytes + frame.size, asked, until);
        if (got < 0)
            return Event::ReadFailed;
        frame.size += got;
        if (got < asked && !(held && got > 0))
            return Cut(frame);
    }
    frame.address = static_cast<uint8_t>(frame.bytes[0] >> 3);
    frame.command = frame.bytes[1];
    const bool longForm = (frame.bytes[0] & 7) == serialframe::ShortLengthLimit;
    frame.data = frame.bytes + (longForm ? 3 : 2);
    frame.length = longForm ? frame.bytes[2] : (frame.bytes[0] & 7);
    const bool good = serialframe::Checksum(frame.bytes, frame.size) == 0;
    if (!good)
        account_.Garbled(line_.Now());
    const uint8_t answer = good ? serialframe::Ack : serialframe::Nak;
    if (!line_.Write(&answer, 1))
        return Event::WriteFailed;
    return good ? Event::Frame : Event::BadFrame;
}

CSerialExchange::Event CSerialExchange::Cut(const SFrame& frame)
{
    // Cut off by the end of the exchange. Still coming from this unit, it is kept for the next
    // exchange to finish; a head that stopped is lost; a frame that stopped is answered with NAK
    // as a bad one.
    const auto lastByte = line_.LastByteTime();
    if ((frame.bytes[0] >> 3) == key_.address && line_.Now() - lastByte < FrameGap()) {
        account_.KeepPartial(frame.bytes, frame.size, lastByte);
        return Event::Timeout;
    }
    seen_.noise = true;
    account_.Garbled(line_.Now());
    if (frame.size < HeadSize)
        return Event::Timeout;
    const uint8_t nak = serialframe::Nak;
    return line_.Write(&nak, 1) ? Event::BadFrame : Event::WriteFailed;
}

void CSerialExchange::Drain()
{
    // Noise may still be coming: the line is drained until it falls quiet, within what is left of
    // the exchange's time (noise that goes on fails the next request as quickly). A NAK just
    // written must still go out, so output is left to the driver, not thrown away.
    const auto left = std::chrono::duration_cast<Ms>(end_ - line_.Now()).count();
    if (left <= 0) {
        line_.DiscardInput();
        return;
    }
    line_.DrainUntilQuiet(QuietMs(line_.Baud()), static_cast<int>(left), serialframe::MaxFrameSize);
}

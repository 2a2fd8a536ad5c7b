#include "link/Serialexchange.h"

#include "link/Ostrabus.h"
#include "link/Serialframe.h"
#include "platform/Serialport.h"

#include <algorithm>

namespace {

using platform::SerialPort;
using Ms = std::chrono::milliseconds;

constexpr int HeadSize = 3;     // address and length, command, and the length or first data byte
constexpr int BitsPerChar = 11; // start, 8 data, parity, stop
constexpr int NakFrameSize = 8; // a frame whose first byte is the NAK's: five data bytes

// What the per-byte allowance of the reads gives for bytes still to come.
Ms AllowanceOf(int bytes) { return Ms(static_cast<long long>(SerialPort::MsPerByte) * bytes); }

// Size of the frame whose first bytes are these, as far as they tell it (at least one more
// byte than known while the length is not known yet).
bool SizeKnown(const uint8_t* bytes, int known)
{
    return known >= 3 || (known == 2 && (bytes[0] & 7) < serialframe::ShortLengthLimit);
}

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

CSerialExchange::CSerialExchange(platform::SerialPort& port, CSerialAccount& account, StaleSink onStale)
    : port_(port)
    , account_(account)
    , onStale_(std::move(onStale))
{
}

int CSerialExchange::QuietMs(int baud)
{
    const int charMs = baud > 0 ? (BitsPerChar * 1000 + baud - 1) / baud : 0;
    return DrainQuietMs + 2 * charMs;
}

CSerialExchange::Clock::duration CSerialExchange::LineTime(int baud, int count)
{
    const long long charUs = baud > 0 ? (BitsPerChar * 1000000LL + baud - 1) / baud : 0;
    return std::chrono::microseconds(2 * charUs * std::max(count, 0)) + Ms(ByteSlackMs);
}

int CSerialExchange::Run(const SSerialRequest& request, uint8_t* reply, int& replyLength)
{
    replyLength = 0;
    noise_ = ackSeen_ = ownAck_ = inherited_ = settled_ = false;
    // The reply may land where the request is: what the answer must echo is taken first.
    const uint8_t selector = request.length > 0 ? request.data[0] : 0;
    const auto span = Ms(static_cast<long long>(CSerialAccount::SpanTimeouts) * port_.ReadTimeout())
        + LineTime(port_.Baud(), serialframe::MaxFrameSize);
    const auto silence = Ms(static_cast<long long>(CSerialAccount::SilenceHalfTimeouts) * port_.ReadTimeout() / 2);
    account_.Begin(Clock::now(), span, silence, port_.LastByteTime());
    Settle(request);
    int r = serialframe::SendFrame(port_, request.address, request.command, static_cast<uint8_t>(request.length),
                                   request.data);
    if (r != 0)
        return r;
    if (request.address == serialframe::BroadcastAddress) {
        reply[0] = 0; // no reply to a broadcast: one zero byte stands for it
        replyLength = 1;
        return 0;
    }
    const auto sent = Clock::now();
    r = Wait(request, selector, sent, reply, replyLength);
    if (r == 0)
        return 0;
    replyLength = 0;
    const bool deaf = account_.Deaf() && port_.LastByteTime() < sent;
    if (settled_) {
        account_.Clear();
    } else if (!deaf && (r == linkerr::Timeout || r == linkerr::BadChecksum || r == linkerr::BadAck)) {
        // A request that got no answer it could take may still be answered: its reply is owed.
        // Refused (NAK) or never sent, it is not.
        SOwedReply owed;
        owed.address = request.address;
        owed.command = request.command;
        owed.echoes = request.echoesFirstByte && request.length > 0;
        owed.selector = selector;
        owed.acked = ownAck_;
        // A frame that may have been its reply went to an earlier debt: this one goes on from there.
        owed.since = inherited_ ? debtSince_ : sent;
        account_.Owe(owed);
    }
    if (noise_) {
        account_.DropPartial(); // whatever was under way goes with the noise
        Drain();
    }
    return r;
}

void CSerialExchange::Settle(const SSerialRequest& request)
{
    // What came since the exchange before came before this request: answers that earlier
    // requests owed, copies of replies, stray bytes. None of it can be this request's answer.
    SFrame frame;
    for (int events = 0; events < MaxSettleEvents; ++events) {
        switch (Next(request, Clock::now(), frame)) {
        case Event::Ack: account_.TakeAck(); continue; // one owed nothing is a stray byte
        case Event::Nak: account_.TakeNak(); continue;
        case Event::Frame: break;
        case Event::Timeout:
            if (noise_)
                break;
            return;
        default: noise_ = true; break;
        }
        if (noise_)
            break;
        bool takenNow = false;
        Clock::time_point since;
        if (frame.address != serialframe::BroadcastAddress
            && !account_.TakeReply(frame.address, frame.command, frame.data, frame.length, takenNow, since) && onStale_)
            onStale_(frame.address, frame.command, frame.data, frame.length);
    }
    // Noise, or more than a line at rest holds: thrown away whole.
    account_.DropPartial();
    port_.DiscardInput();
    noise_ = false;
}

int CSerialExchange::Wait(const SSerialRequest& request, uint8_t selector, Clock::time_point sent, uint8_t* reply,
                          int& replyLength)
{
    // The hard end: frames, acknowledgements and noise that come meanwhile move it no further.
    const auto end = end_ = sent + Ms(port_.ReadTimeout()) + AllowanceOf(1 + HeadSize);
    Clock::time_point lastClaim{};
    Clock::time_point lastEvent{};
    SFrame frame;
    while (Clock::now() <= end) {
        const Event event = Next(request, end, frame);
        if (event != Event::Timeout)
            lastEvent = Clock::now();
        switch (event) {
        case Event::Ack:
            ackSeen_ = true;
            if (!account_.TakeAck())
                ownAck_ = true; // a repeat of it changes nothing
            continue;
        case Event::Nak:
            if (account_.TakeNak())
                continue;
            return linkerr::NakReceived;
        case Event::Timeout:
            // A frame given to an earlier request that was followed by silence: a unit that had
            // been busy with that request would have answered this one right behind it. That
            // request was dropped, and the frame was this one's: this one fails, and nothing is
            // owed any more.
            settled_ = inherited_ && lastEvent == lastClaim && end - lastClaim >= Ms(port_.ReadTimeout() / 2);
            return linkerr::Timeout;
        case Event::ReadFailed: return linkerr::ReadFailed;
        case Event::WriteFailed: return linkerr::WriteFailed;
        case Event::BadFrame:
            noise_ = true;
            // Where the acknowledgement belongs it was no acknowledgement.
            return ackSeen_ ? linkerr::BadChecksum : linkerr::BadAck;
        case Event::Frame: break;
        }
        if (frame.address == serialframe::BroadcastAddress) {
            noise_ = true; // no unit answers from address 0: a line of NUL bytes reads so
            continue;
        }
        const bool fits = frame.address == request.address && frame.command == request.command
            && (!request.echoesFirstByte || request.length == 0 || (frame.length > 0 && frame.data[0] == selector));
        bool takenNow = false;
        Clock::time_point since;
        if (account_.TakeReply(frame.address, frame.command, frame.data, frame.length, takenNow, since)) {
            if (fits && takenNow) {
                // It could have been this request's own: if this one fails, its debt is the same.
                debtSince_ = inherited_ ? std::min(debtSince_, since) : since;
                inherited_ = true;
                lastClaim = lastEvent;
            }
        } else if (fits && ackSeen_) {
            // The unit acknowledges a request before it answers it: a frame before any
            // acknowledgement is an earlier one's.
            std::copy(frame.data, frame.data + frame.length, reply);
            replyLength = frame.length;
            account_.Clear(); // what was owed before was answered or dropped: replies come in order
            return 0;
        }
        if (onStale_)
            onStale_(frame.address, frame.command, frame.data, frame.length);
    }
    return linkerr::Timeout;
}

bool CSerialExchange::MayBeAnswer(const SSerialRequest& request, uint8_t address, uint8_t command) const
{
    return address == request.address && (command == request.command || account_.Expects(address, command));
}

bool CSerialExchange::FrameFollows(uint8_t first)
{
    uint8_t rest[serialframe::MaxFrameSize];
    int n = port_.PeekUntil(rest, NakFrameSize - 1, Clock::now() + LineTime(port_.Baud(), NakFrameSize - 1));
    if (n < NakFrameSize - 1 || (first ^ serialframe::Checksum(rest, n)) != 0)
        return false;
    // The bytes behind a NAK may happen to give it a good checksum as a frame's first byte; when
    // they are a whole frame themselves (a unit's reply right behind its NAK), it is a NAK.
    const int size = SizeOf(rest, n);
    if (size > n)
        n = port_.PeekUntil(rest, size, Clock::now() + LineTime(port_.Baud(), size));
    return n < 0 || n < size || serialframe::Checksum(rest, size) != 0;
}

CSerialExchange::Event CSerialExchange::Next(const SSerialRequest& request, Clock::time_point deadline, SFrame& frame)
{
    frame.size = 0;
    // A frame that was still coming when the exchange before ended goes on, if its bytes do.
    Clock::time_point last;
    const std::vector<uint8_t> carried = account_.TakePartial(last);
    if (!carried.empty()) {
        uint8_t next = 0;
        const int n = port_.PeekUntil(&next, 1, std::max(Clock::now(), last + Ms(FrameGapMs)));
        if (n < 0)
            return Event::ReadFailed;
        if (n == 1) {
            std::copy(carried.begin(), carried.end(), frame.bytes);
            frame.size = static_cast<int>(carried.size());
            return FinishFrame(request, deadline, frame);
        }
        noise_ = true; // it stopped: what was kept of it is no frame
    }
    uint8_t first = 0;
    const int n = port_.ReadUntil(&first, 1, deadline);
    if (n < 0)
        return Event::ReadFailed;
    if (n == 0)
        return Event::Timeout;
    // No unit answers from address 0: the ACK byte is an acknowledgement. The NAK byte is the
    // head of a frame from address 2 with five data bytes too.
    if (first == serialframe::Ack)
        return Event::Ack;
    if (first == serialframe::Nak && !FrameFollows(first))
        return Event::Nak;
    frame.bytes[0] = first;
    frame.size = 1;
    return FinishFrame(request, deadline, frame);
}

CSerialExchange::Event CSerialExchange::FinishFrame(const SSerialRequest& request, Clock::time_point deadline,
                                                    SFrame& frame)
{
    auto until = deadline;
    bool extended = false;
    for (int size = SizeOf(frame.bytes, frame.size); frame.size < size; size = SizeOf(frame.bytes, frame.size)) {
        if (!extended && SizeKnown(frame.bytes, frame.size)) {
            // A frame that may be the request's answer (or an earlier request's) gets the time
            // its rest needs on the line, past the end if need be.
            extended = true;
            if (MayBeAnswer(request, static_cast<uint8_t>(frame.bytes[0] >> 3), frame.bytes[1]))
                until = std::max(deadline, Clock::now() + LineTime(port_.Baud(), size - frame.size));
        }
        const int asked = size - frame.size;
        const int got = port_.ReadUntil(frame.bytes + frame.size, asked, until);
        if (got < 0)
            return Event::ReadFailed;
        frame.size += got;
        if (got < asked)
            return Cut(request, frame);
    }
    frame.address = static_cast<uint8_t>(frame.bytes[0] >> 3);
    frame.command = frame.bytes[1];
    const bool longForm = (frame.bytes[0] & 7) == serialframe::ShortLengthLimit;
    frame.data = frame.bytes + (longForm ? 3 : 2);
    frame.length = longForm ? frame.bytes[2] : (frame.bytes[0] & 7);
    const bool good = serialframe::Checksum(frame.bytes, frame.size) == 0;
    if (good && frame.address == serialframe::BroadcastAddress)
        return Event::Frame; // noise: not acknowledged
    const uint8_t answer = good ? serialframe::Ack : serialframe::Nak;
    if (!port_.Write(&answer, 1))
        return Event::WriteFailed;
    return good ? Event::Frame : Event::BadFrame;
}

CSerialExchange::Event CSerialExchange::Cut(const SSerialRequest& request, const SFrame& frame)
{
    // Cut off by the end of the exchange. Still coming from this unit, it is kept for the next
    // exchange to finish; a head that stopped is lost; a frame that stopped is answered with NAK
    // as a bad one.
    const auto lastByte = port_.LastByteTime();
    const auto gapLimit = std::min(Ms(FrameGapMs), Ms(port_.ReadTimeout() / 2));
    if ((frame.bytes[0] >> 3) == request.address && Clock::now() - lastByte <= gapLimit) {
        account_.KeepPartial(frame.bytes, frame.size, lastByte);
        return Event::Timeout;
    }
    noise_ = true;
    if (frame.size < HeadSize)
        return Event::Timeout;
    const uint8_t nak = serialframe::Nak;
    return port_.Write(&nak, 1) ? Event::BadFrame : Event::WriteFailed;
}

void CSerialExchange::Drain()
{
    // Noise may still be coming: the line is drained until it falls quiet, within what is left of
    // the exchange's time (noise that goes on fails the next request as quickly). A NAK just
    // written must still go out, so output is left to the driver, not thrown away.
    const int quietMs = QuietMs(port_.Baud());
    const auto left = std::chrono::duration_cast<Ms>(end_ - Clock::now()).count();
    port_.DrainUntilQuiet(quietMs, std::max(quietMs, static_cast<int>(left)), serialframe::MaxFrameSize);
}

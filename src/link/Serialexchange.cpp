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

// What the per-byte allowance of the reads gives for bytes that came and were passed over.
Ms AllowanceOf(int bytes) { return Ms(static_cast<long long>(SerialPort::MsPerByte) * bytes); }

} // namespace

CSerialExchange::CSerialExchange(platform::SerialPort& port, StaleSink onStale)
    : port_(port)
    , onStale_(std::move(onStale))
{
}

int CSerialExchange::QuietMs(int baud)
{
    const int charMs = baud > 0 ? (BitsPerChar * 1000 + baud - 1) / baud : 0;
    return DrainQuietMs + 2 * charMs;
}

int CSerialExchange::Run(const SSerialRequest& request, uint8_t* reply, int& replyLength)
{
    replyLength = 0;
    // The reply may land where the request is: what the answer must echo is taken first.
    const uint8_t selector = request.length > 0 ? request.data[0] : 0;
    // Whatever the line holds now belongs to an earlier exchange (a reply that came after its
    // time-out, stray bytes behind a reply): it must never be read as this request's answer.
    port_.DiscardInput();
    int r = serialframe::SendFrame(port_, request.address, request.command, static_cast<uint8_t>(request.length),
                                   request.data);
    if (r == 0 && request.address == serialframe::BroadcastAddress) {
        reply[0] = 0; // no reply to a broadcast: one zero byte stands for it
        replyLength = 1;
        return 0;
    }
    if (r == 0)
        r = AwaitAck(request, reply);
    if (r == 0)
        r = AwaitReply(request, selector, reply, replyLength);
    if (r < 0) {
        replyLength = 0;
        Drain();
    }
    return r;
}

int CSerialExchange::AwaitAck(const SSerialRequest& request, uint8_t* scratch)
{
    auto deadline = SerialPort::Clock::now() + Ms(port_.ReadTimeout()) + AllowanceOf(1);
    for (;;) {
        uint8_t answer = 0;
        const int n = port_.ReadUntil(&answer, 1, deadline);
        if (n < 0)
            return linkerr::ReadFailed;
        if (n == 0)
            return linkerr::Timeout;
        if (answer == serialframe::Ack)
            return 0;
        if (answer == serialframe::Nak)
            return linkerr::NakReceived;
        // A frame of this unit where the acknowledgement belongs is an earlier request's reply
        // (sent late, or twice): the unit waits for its acknowledgement, then for this request.
        if ((answer >> 3) != request.address)
            return linkerr::BadAck;
        uint8_t address = 0, command = 0, length = 0;
        const int r = serialframe::ReadFrameBy(port_, deadline + AllowanceOf(HeadSize), &answer, address, command,
                                               length, scratch);
        if (r == linkerr::WriteFailed || r == linkerr::ReadFailed)
            return r;
        if (r != 0)
            return linkerr::BadAck; // no frame: whatever it was, it was no acknowledgement
        if (onStale_)
            onStale_(address, command, scratch, length);
        deadline += AllowanceOf(serialframe::FrameSize(length));
    }
}

int CSerialExchange::AwaitReply(const SSerialRequest& request, uint8_t selector, uint8_t* reply, int& replyLength)
{
    auto deadline = SerialPort::Clock::now() + Ms(port_.ReadTimeout()) + AllowanceOf(HeadSize);
    for (;;) {
        uint8_t first = 0;
        int n = port_.ReadUntil(&first, 1, deadline);
        if (n < 0)
            return linkerr::ReadFailed;
        if (n == 0)
            return linkerr::Timeout;
        // An acknowledgement here repeats one that came already (a unit answering an earlier
        // request's reply late): no reply starts with it, since no unit answers from address 0.
        if (first == serialframe::Ack) {
            deadline += AllowanceOf(1);
            continue;
        }
        uint8_t address = 0, command = 0, length = 0;
        const int r = serialframe::ReadFrameBy(port_, deadline, &first, address, command, length, reply);
        if (r != 0)
            return r;
        const bool echoed = !request.echoesFirstByte || length == 0 || reply[0] == selector;
        if (address == request.address && command == request.command && echoed) {
            replyLength = length;
            return 0;
        }
        if (onStale_)
            onStale_(address, command, reply, length);
        deadline += AllowanceOf(serialframe::FrameSize(length));
    }
}

void CSerialExchange::Drain()
{
    // A unit that answers late, or sends its reply behind a NAK, may still be talking. A
    // NAK just written must still go out, so output is left to the driver, not thrown away.
    const int quietMs = QuietMs(port_.Baud());
    port_.DrainUntilQuiet(quietMs, std::max(port_.ReadTimeout(), quietMs), serialframe::MaxFrameSize);
}

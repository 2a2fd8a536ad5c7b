// The serial exchange against a unit that does what the unit model (Serialaccount.h) allows, on a
// line with a clock of the test's own: short runs of requests, each answered by one of the
// model's behaviours, with every promise of the model checked on every run.
#include "link/Ostrabus.h"
#include "link/Serialexchange.h"
#include "link/Serialframe.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <functional>
#include <optional>
#include <random>
#include <sstream>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
using Us = std::chrono::microseconds;
using Ms = std::chrono::milliseconds;

constexpr int TimeoutMs = 200;
constexpr int Baud = 9600;
constexpr uint8_t Address = 2;
constexpr uint8_t CommandA = 20;
constexpr uint8_t CommandB = 22;
constexpr int NakHeadedFrameSize = 8; // address 2, five data bytes
constexpr int HeadSizeForTest = 3;      // the bytes that tell a reply's size
// The model's times, as it states them (the test's own: a change of the link's is a change of
// the model): a request waits three time-outs and its reply's line time; an answer is at most
// five time-outs late; a copy comes within half a time-out.
constexpr int WaitTimeouts = 3;
constexpr int LateTimeouts = 5;
constexpr int CopyQuarters = 2;
constexpr Clock::duration Quarter = Ms(TimeoutMs / 4);
const Clock::duration CharTime = Us((SLineTimes::BitsPerChar * 1000000LL + Baud - 1) / Baud);

// A line whose bytes come at the times the unit gives them, read on the test's clock: a read
// that waits moves the clock to the byte it waited for, or to its deadline.
class VirtualLine final : public ISerialLine {
public:
    using WriteSink = std::function<void(const std::vector<uint8_t>&, Clock::time_point)>;
    VirtualLine() : now_(Clock::time_point() + std::chrono::hours(1)) {}

    void OnWrite(WriteSink sink) { onWrite_ = std::move(sink); }
    void Send(Clock::time_point at, uint8_t byte)
    {
        const auto pos = std::upper_bound(in_.begin(), in_.end(), at,
                                          [](Clock::time_point t, const auto& b) { return t < b.first; });
        in_.insert(pos, { at, byte });
        arrivals_.insert(std::upper_bound(arrivals_.begin(), arrivals_.end(), at), at);
    }
    void Pass(Clock::duration d) { now_ += d; }

    Clock::time_point Now() const override { return now_; }
    int ReadTimeoutMs() const override { return TimeoutMs; }
    int Baud() const override { return ::Baud; }
    int ReadUntil(uint8_t* dest, int count, Clock::time_point deadline) override
    {
        int got = 0;
        while (got < count && !in_.empty() && in_.front().first <= std::max(deadline, now_)) {
            now_ = std::max(now_, in_.front().first);
            dest[got++] = in_.front().second;
            in_.pop_front();
        }
        if (got < count)
            now_ = std::max(now_, deadline);
        return got;
    }
    int PeekUntil(uint8_t* dest, int count, Clock::time_point deadline) override
    {
        int got = 0;
        for (const auto& b : in_) {
            if (got == count || b.first > std::max(deadline, now_))
                break;
            dest[got++] = b.second;
            now_ = std::max(now_, b.first);
        }
        if (got < count)
            now_ = std::max(now_, deadline);
        return got;
    }
    bool Write(const uint8_t* data, int count) override
    {
        const std::vector<uint8_t> bytes(data, data + count);
        if (onWrite_)
            onWrite_(bytes, now_);
        return true;
    }
    Clock::time_point LastByteTime() const override
    {
        const auto it = std::upper_bound(arrivals_.begin(), arrivals_.end(), now_);
        return it == arrivals_.begin() ? Clock::time_point() : *(it - 1);
    }
    void DiscardInput() override
    {
        while (!in_.empty() && in_.front().first <= now_)
            in_.pop_front();
    }
    bool DrainUntilQuiet(int quietMs, int limitMs, int byteLimit) override
    {
        const auto limit = now_ + Ms(std::max(0, limitMs));
        int drained = 0;
        for (;;) {
            while (!in_.empty() && in_.front().first <= now_) {
                in_.pop_front();
                ++drained;
            }
            const auto quietUntil = LastByteTime() + Ms(quietMs);
            if (now_ >= quietUntil)
                return true;
            if (now_ >= limit || drained > byteLimit)
                return false;
            auto next = std::min(quietUntil, limit);
            if (!in_.empty())
                next = std::min(next, in_.front().first);
            now_ = next;
        }
    }

private:
    Clock::time_point now_;
    std::deque<std::pair<Clock::time_point, uint8_t>> in_; // in the order of their times
    std::vector<Clock::time_point> arrivals_;
    WriteSink onWrite_;
};

// What the unit does with one request it is sent; delays in quarters of the read time-out.
struct SBehaviour {
    enum Kind { InTime, Drop, Nak, Late, LateNak, GarbledAck, GarbledReply, LostReply, Copy, Noise } kind = InTime;
    int ackQ = 0;   // InTime and the like: quarters from when it could answer to its ACK (3.8 at most)
    int replyQ = 0; // ... and from its ACK to its reply
    int lateQ = 0;  // Late: quarters from the write to its ACK and reply together; Copy: to the copy
    uint8_t garble = 0;
    int extra = 0; // data bytes of the reply past its CSR and tag
    int copyQ = -1; // Late: quarters from the reply's end to a copy of it (none when negative)
    bool Fault() const { return kind != InTime && kind != Copy && kind != Noise; }
    // A fault that leaves the request's answer unseen or unread: a later reply of its command
    // may then be its as well.
    bool Unseen() const { return kind == Drop || kind == GarbledAck || kind == GarbledReply; }
    std::string Text() const
    {
        std::ostringstream s;
        const char* names[] = { "in time", "drop", "NAK", "late", "late NAK", "garbled ACK", "garbled reply", "lost reply", "copy", "noise" };
        s << names[kind];
        if (kind == InTime || kind == Copy || kind == Noise || kind == GarbledAck)
            s << " ack " << ackQ / 10.0 << "q reply " << replyQ / 10.0 << "q";
        if (kind == Late || kind == LateNak || kind == Copy)
            s << " at " << lateQ << "q";
        if (copyQ >= 0)
            s << ", copy at " << copyQ << "q";
        if (kind == GarbledAck)
            s << " as " << int(garble);
        if (extra > 0)
            s << ", " << extra + 2 << " data bytes";
        return s.str();
    }
};

// The unit: answers what it hears in order, each request as the run's behaviour for it says.
// Its replies carry CSR 0 and the request's first byte, so a reply taken by another request shows.
class ModelUnit {
public:
    ModelUnit(VirtualLine& line, std::vector<SBehaviour> script) : line_(line), script_(std::move(script))
    {
        line_.OnWrite([this](const std::vector<uint8_t>& bytes, Clock::time_point at) { Heard(bytes, at); });
    }
    Clock::time_point WrittenAt(size_t i) const { return written_.at(i); }
    // When the last byte of its answer came (none for a dropped request), and when a garbled
    // byte of it came (none when nothing was garbled).
    std::optional<Clock::time_point> AnswerEnd(size_t i) const { return answerEnd_.at(i); }
    std::optional<Clock::time_point> GarbledAt(size_t i) const { return garbledAt_.at(i); }
    // When the head of its reply (the bytes that tell the reply's size) had come.
    std::optional<Clock::time_point> HeadAt(size_t i) const { return headAt_.at(i); }
    // When its answer began (its ACK or NAK, or the byte where its ACK belonged), and when the
    // unit was done with it, a copy of its reply included.
    std::optional<Clock::time_point> AnswerStart(size_t i) const { return answerStart_.at(i); }
    std::optional<Clock::time_point> DoneAt(size_t i) const { return doneAt_.at(i); }

private:
    Clock::time_point SendFrame(Clock::time_point at, const std::vector<uint8_t>& frame)
    {
        for (uint8_t b : frame) {
            line_.Send(at, b);
            at += CharTime;
        }
        return at;
    }
    void Heard(const std::vector<uint8_t>& bytes, Clock::time_point at)
    {
        if (bytes.size() == 1)
            return; // the link's ACK or NAK
        const size_t index = written_.size();
        written_.push_back(at);
        const auto heard = at + CharTime * static_cast<int>(bytes.size());
        answerEnd_.emplace_back();
        garbledAt_.emplace_back();
        headAt_.emplace_back();
        answerStart_.emplace_back();
        doneAt_.emplace_back();
        SBehaviour b = index < script_.size() ? script_[index] : SBehaviour {};
        // Heard while answering: it is answered in time.
        if (b.kind == SBehaviour::Late && heard < freeAt_)
            b.kind = SBehaviour::InTime;
        if (b.kind == SBehaviour::LateNak && heard < freeAt_)
            b.kind = SBehaviour::Nak;
        const uint8_t tag = bytes.size() > 3 ? bytes[2] : 0;
        std::vector<uint8_t> data(static_cast<size_t>(2 + b.extra), 7);
        data[0] = 0;
        data[1] = tag;
        auto reply = serialframe::BuildFrame(Address, bytes[1], data.data(), static_cast<int>(data.size()));
        const auto start = std::max(heard, freeAt_);
        auto ackAt = start + Quarter * b.ackQ / 10;
        switch (b.kind) {
        case SBehaviour::Drop: return;
        case SBehaviour::Nak:
            line_.Send(ackAt, serialframe::Nak);
            freeAt_ = ackAt + CharTime;
            Answered(ackAt);
            return;
        case SBehaviour::LateNak:
            line_.Send(std::max(at + Quarter * b.lateQ, start), serialframe::Nak);
            freeAt_ = std::max(at + Quarter * b.lateQ, start) + CharTime;
            Answered(freeAt_ - CharTime);
            return;
        case SBehaviour::LostReply:
            line_.Send(ackAt, serialframe::Ack);
            freeAt_ = ackAt + CharTime;
            Answered(ackAt);
            return;
        case SBehaviour::Late: {
            const auto t = at + Quarter * b.lateQ;
            line_.Send(std::max(t, start), serialframe::Ack);
            freeAt_ = SendFrame(std::max(t, start) + CharTime, reply);
            Answered(std::max(t, start));
            if (b.copyQ >= 0)
                doneAt_.back() = freeAt_ = SendFrame(freeAt_ + Quarter * b.copyQ, reply);
            headAt_.back() = std::max(t, start) + CharTime * 3;
            return;
        }
        case SBehaviour::Noise: {
            // NUL bytes and a frame of another unit before its answer, NUL bytes right behind
            // its ACK.
            for (int i = 0; i < 4; ++i)
                line_.Send(start + CharTime * i, 0);
            // The other unit's frame carries another tag: taking it shows.
            const uint8_t otherData[2] = { 0, static_cast<uint8_t>(tag ^ 0x80) };
            const auto other = serialframe::BuildFrame(Address + 1, bytes[1], otherData, 2);
            ackAt = std::max(ackAt, SendFrame(start + CharTime * 4, other));
            line_.Send(ackAt, serialframe::Ack);
            for (int i = 1; i <= 2; ++i)
                line_.Send(ackAt + CharTime * i, 0);
            freeAt_ = SendFrame(ackAt + CharTime * 3 + Quarter * b.replyQ / 10, reply);
            Answered(ackAt);
            headAt_.back() = ackAt + CharTime * 5 + Quarter * b.replyQ / 10;
            return;
        }
        default: break;
        }
        line_.Send(ackAt, b.kind == SBehaviour::GarbledAck ? b.garble : serialframe::Ack);
        const auto replyAt = ackAt + CharTime + Quarter * b.replyQ / 10;
        if (b.kind == SBehaviour::GarbledAck)
            garbledAt_.back() = ackAt;
        if (b.kind == SBehaviour::GarbledReply) {
            reply[2] ^= 0x5A;
            garbledAt_.back() = replyAt + CharTime * 2;
        }
        freeAt_ = SendFrame(replyAt, reply);
        Answered(ackAt);
        headAt_.back() = replyAt + CharTime * 2;
        if (b.kind == SBehaviour::Copy)
            freeAt_ = SendFrame(freeAt_ + Quarter * b.lateQ, reply);
        doneAt_.back() = freeAt_;
    }
    void Answered(Clock::time_point began)
    {
        answerStart_.back() = began;
        answerEnd_.back() = freeAt_;
        doneAt_.back() = freeAt_;
    }

    VirtualLine& line_;
    std::vector<SBehaviour> script_;
    std::vector<Clock::time_point> written_;
    std::vector<std::optional<Clock::time_point>> answerEnd_;
    std::vector<std::optional<Clock::time_point>> garbledAt_;
    std::vector<std::optional<Clock::time_point>> headAt_;
    std::vector<std::optional<Clock::time_point>> answerStart_;
    std::vector<std::optional<Clock::time_point>> doneAt_;
    Clock::time_point freeAt_ {};
};

// The behaviours a run draws from: in time at the edges of each stage, each fault, copies.
std::vector<SBehaviour> Behaviours()
{
    std::vector<SBehaviour> all;
    for (int ackQ : { 0, 20, 38 })
        for (int replyQ : { 0, 20, 38 })
            all.push_back({ SBehaviour::InTime, ackQ, replyQ, 0, 0 });
    all.push_back({ SBehaviour::InTime, 38, 38, 0, 0, 248 }); // a long reply, late in its stages
    all.push_back({ SBehaviour::Drop });
    all.push_back({ SBehaviour::Nak, 10 });
    for (int lateQ : { 5, 8, 12, 14, 16, 19, LateTimeouts * 4 })
        all.push_back({ SBehaviour::Late, 0, 0, lateQ, 0 });
    // At the bound with the longest reply; late, then a copy.
    all.push_back({ SBehaviour::Late, 0, 0, LateTimeouts * 4, 0, serialframe::MaxData - 2 });
    all.push_back({ SBehaviour::Late, 0, 0, LateTimeouts * 4, 0, 0, CopyQuarters });
    for (int lateQ : { 14, 19 })
        all.push_back({ SBehaviour::LateNak, 0, 0, lateQ, 0 });
    for (uint8_t garble : { 0x00, 0x12, 0x55, 0xFF })
        all.push_back({ SBehaviour::GarbledAck, 10, 10, 0, garble });
    all.push_back({ SBehaviour::GarbledReply, 10, 10 });
    all.push_back({ SBehaviour::LostReply, 10 });
    for (int copyQ : { 0, 1, CopyQuarters })
        all.push_back({ SBehaviour::Copy, 10, 10, copyQ, 0 });
    all.push_back({ SBehaviour::Noise, 10, 10 });
    return all;
}

struct SRunResult {
    std::string broken; // the promises broken, empty when none
    int wrong = 0;
    int failed = 0;
};

// One run: the requests (commands in order, tagged 1, 2, ...) a gap apart, each answered by its
// behaviour; every promise checked.
SRunResult RunModel(const std::vector<uint8_t>& commands, const std::vector<SBehaviour>& script, Clock::duration gap)
{
    VirtualLine line;
    ModelUnit unit(line, script);
    CSerialAccount account;
    SLineTimes times(TimeoutMs, Baud);
    SRunResult result;
    std::ostringstream broken;
    std::vector<bool> failed;
    std::vector<bool> chain; // failed, answered in its wait, for want of telling replies apart
    for (size_t i = 0; i < commands.size(); ++i) {
        const uint8_t tag = static_cast<uint8_t>(i + 1);
        SSerialRequest request;
        request.address = Address;
        request.command = commands[i];
        request.data = &tag;
        request.length = 1;
        uint8_t reply[serialframe::ReplyBufferSize] = {};
        int length = 0;
        CSerialExchange exchange(line, account, nullptr);
        const int r = exchange.Run(request, reply, length);
        const auto written = unit.WrittenAt(i);
        const auto end = line.Now();
        // P1: never another request's reply.
        if (r == 0 && (length < 2 || reply[1] != tag)) {
            ++result.wrong;
            broken << " request " << i + 1 << " took " << (length >= 2 ? int(reply[1]) : -1) << ";";
        }
        // P3: it ends within three time-outs and its reply's line time of its write.
        // P3 counts the line time of the longest reply of the command in the run: any of them
        // may be this request's as far as its head tells.
        int replyLength = 0;
        for (size_t j = 0; j < commands.size(); ++j)
            if (commands[j] == commands[i])
                replyLength = std::max(replyLength, 2 + script[j].extra);
        // A NAK byte near the end may begin an eight-byte frame: that one's time is given too.
        const int replySize = std::max(replyLength < serialframe::ShortLengthLimit ? 3 + replyLength : 4 + replyLength,
                                       NakHeadedFrameSize);
        const auto waitEnd = written + times.timeout * WaitTimeouts + times.Line(1 + replySize);
        if (end > waitEnd)
            broken << " request " << i + 1 << " ended "
                   << std::chrono::duration_cast<Ms>(end - written).count() << " ms after its write;";
        if (r != 0)
            ++result.failed;
        // P2 and P4: a request whose answer came within its wait, in time, is answered, unless
        // a garbled byte came in its wait, or the request before it of the same command was
        // dropped or garbled, or failed for want of telling replies apart.
        const SBehaviour& b = script[i];
        failed.push_back(r != 0);
        const auto answerEnd = unit.AnswerEnd(i);
        const int ownLength = 2 + b.extra;
        const int ownSize = ownLength < serialframe::ShortLengthLimit ? 3 + ownLength : 4 + ownLength;
        const auto head = unit.HeadAt(i);
        // Each stage within its time-out: the ACK within one of the write or of the end of the
        // last answer the wait saw the unit give to an earlier request (its copy included), the
        // reply's head within one of its ACK; the whole within the wait's hard end.
        Clock::time_point from = written;
        bool seen = true; // the wait saw every earlier answer that ended after its write
        for (size_t j = 0; j < i && seen; ++j) {
            const auto began = unit.AnswerStart(j);
            const auto done = unit.DoneAt(j);
            if (!began || !done || *done <= written)
                continue; // no answer, or one done before the write
            // The wait's stage ends before the unit is done with it, or it ends an ACK stage.
            seen = *began <= from + times.timeout + times.Line(1)
                && !(unit.HeadAt(j) && *unit.HeadAt(j) > *began + times.timeout + times.Line(3));
            from = std::max(from, *done);
        }
        const auto began = unit.AnswerStart(i);
        const bool answeredInWait = !b.Fault() && answerEnd && head && seen && began
            && *began <= from + times.timeout + times.Line(1)
            && *head <= *began + times.timeout + times.Line(3)
            && *head <= written + times.timeout * WaitTimeouts + times.Line(1 + 3)
            && *answerEnd <= written + times.timeout * WaitTimeouts + times.Line(1 + ownSize);
        // P4. A garbled byte costs the request in whose wait it came, and the next one when what
        // it seemed to begin was still coming as that wait ended.
        bool excused = false;
        for (size_t j = 0; j < i; ++j) {
            const auto garbled = unit.GarbledAt(j);
            excused |= garbled && *garbled >= written - times.timeout && *garbled <= end;
        }
        // A fault, or a failure, leaves the account unable to tell the next reply of its command
        // from its own while no request between took its own reply (the unit had passed it): the
        // next request of that command may fail, and each one after it only while its answer
        // comes at least T/2 sooner after its write than the one before's did.
        std::optional<size_t> before;
        for (size_t j = i; j-- > 0 && failed[j];) {
            if (commands[j] == commands[i]) {
                before = j;
                break;
            }
        }
        const auto delay = [&](size_t k) { return *unit.AnswerEnd(k) - unit.WrittenAt(k); };
        // A request the account may still expect an answer of: within a late answer's bound of
        // its write, or heard while the unit was at work, and so answered behind.
        const auto mayOwn = [&](size_t j) {
            bool behind = false;
            for (size_t k = 0; k < j; ++k)
                behind |= unit.DoneAt(k) && *unit.DoneAt(k) > unit.WrittenAt(j);
            return behind || *answerEnd - unit.WrittenAt(j)
                <= times.timeout * LateTimeouts + times.Line(1 + serialframe::MaxFrameSize);
        };
        bool chained = false;
        if (before && answerEnd && mayOwn(*before)) {
            const bool sooner = !chain[*before] || delay(i) <= delay(*before) - Quarter * 2;
            chained = r != 0 && answeredInWait && !excused && sooner;
            excused |= sooner;
        }
        chain.push_back(chained);
        if (answeredInWait && !excused && r != 0)
            broken << " request " << i + 1 << " (" << b.Text() << ") failed with " << r << ";";
        line.Pass(gap);
    }
    result.broken = broken.str();
    return result;
}

std::string Describe(const std::vector<uint8_t>& commands, const std::vector<SBehaviour>& script, Clock::duration gap)
{
    std::ostringstream s;
    s << "gap " << std::chrono::duration_cast<Ms>(gap).count() << " ms:";
    for (size_t i = 0; i < script.size(); ++i)
        s << " [" << int(commands[i]) << " " << script[i].Text() << "]";
    return s.str();
}

struct SPattern {
    const char* name;
    std::vector<uint8_t> commands;
};

const SPattern Patterns[] = {
    { "one command", { CommandA, CommandA, CommandA, CommandA } },
    { "two commands alternating", { CommandA, CommandB, CommandA, CommandB } },
};

// Every run of three requests, each answered by any of the behaviours, one after the other; the
// runs whose first request has the given half of the behaviours.
void CheckEveryRunOfThree(const SPattern& pattern, int half)
{
    const auto behaviours = Behaviours();
    const std::vector<uint8_t> commands(pattern.commands.begin(), pattern.commands.begin() + 3);
    const size_t middle = behaviours.size() / 2;
    const size_t from = half == 0 ? 0 : middle;
    const size_t to = half == 0 ? middle : behaviours.size();
    int brokenRuns = 0;
    for (size_t first = from; first < to; ++first)
        for (const auto& b : behaviours)
            for (const auto& c : behaviours) {
                const std::vector<SBehaviour> script { behaviours[first], b, c };
                const auto r = RunModel(commands, script, Ms(0));
                if (!r.broken.empty() && ++brokenRuns <= 5)
                    ADD_FAILURE() << pattern.name << ", " << Describe(commands, script, Ms(0)) << ":" << r.broken;
            }
    EXPECT_EQ(brokenRuns, 0) << pattern.name;
}

TEST(SerialModel, EveryRunOfThreeOfOneCommandKeepsEveryPromise) { CheckEveryRunOfThree(Patterns[0], 0); }
TEST(SerialModel, EveryRunOfThreeOfOneCommandKeepsEveryPromiseToo) { CheckEveryRunOfThree(Patterns[0], 1); }
TEST(SerialModel, EveryRunOfThreeOfTwoCommandsKeepsEveryPromise) { CheckEveryRunOfThree(Patterns[1], 0); }
TEST(SerialModel, EveryRunOfThreeOfTwoCommandsKeepsEveryPromiseToo) { CheckEveryRunOfThree(Patterns[1], 1); }

// Runs of four requests drawn at random, at once behind each other, 50 ms, 250 ms or 4 s (past
// the latest answer) apart.
void CheckRunsOfFour(const SPattern& pattern, unsigned seed)
{
    const auto behaviours = Behaviours();
    std::mt19937 random(seed);
    std::uniform_int_distribution<size_t> pick(0, behaviours.size() - 1);
    int brokenRuns = 0;
    for (int gapMs : { 0, 50, 250, 4000 }) {
        for (int run = 0; run < 4000; ++run) {
            std::vector<SBehaviour> script;
            for (int i = 0; i < 4; ++i)
                script.push_back(behaviours[pick(random)]);
            const auto r = RunModel(pattern.commands, script, Ms(gapMs));
            if (!r.broken.empty() && ++brokenRuns <= 5)
                ADD_FAILURE() << pattern.name << ", " << Describe(pattern.commands, script, Ms(gapMs)) << ":"
                              << r.broken;
        }
    }
    EXPECT_EQ(brokenRuns, 0) << pattern.name;
}

TEST(SerialModel, RunsOfFourOfOneCommandKeepEveryPromise) { CheckRunsOfFour(Patterns[0], 49); }
TEST(SerialModel, RunsOfFourOfTwoCommandsKeepEveryPromise) { CheckRunsOfFour(Patterns[1], 54); }

// A reply whose first byte is the NAK's (address 2, five data bytes) is read as the reply it is,
// at once: nothing in its data makes the request wait longer, even where the byte behind the
// NAK byte would be a long frame's head of the unit's own address.
TEST(SerialModel, NakHeadedReplyIsReadAtOnce)
{
    const struct {
        uint8_t command;
        std::vector<uint8_t> data;
    } cases[] = {
        { 151, { 0, 255, 1, 2, 3 } }, // ReadSdac: its second data byte would be a long frame's length
        { 23, { 0, 250, 9, 9, 9 } },  // 0x17: address 2, long form, behind the NAK byte
    };
    for (const auto& c : cases) {
        VirtualLine line;
        const auto reply = serialframe::BuildFrame(Address, c.command, c.data.data(), 5);
        ASSERT_EQ(reply.front(), serialframe::Nak);
        Clock::time_point replyEnd {};
        line.OnWrite([&](const std::vector<uint8_t>& bytes, Clock::time_point at) {
            if (bytes.size() == 1)
                return;
            const auto ackAt = at + CharTime * static_cast<int>(bytes.size()) + Quarter;
            line.Send(ackAt, serialframe::Ack);
            replyEnd = ackAt + CharTime * static_cast<int>(1 + reply.size());
            for (size_t i = 0; i < reply.size(); ++i)
                line.Send(ackAt + CharTime * static_cast<int>(1 + i), reply[i]);
        });
        CSerialAccount account;
        CSerialExchange exchange(line, account, nullptr);
        const uint8_t selector = 1;
        SSerialRequest request { Address, c.command, &selector, 1, false };
        uint8_t buffer[serialframe::ReplyBufferSize] = {};
        int length = 0;
        EXPECT_EQ(exchange.Run(request, buffer, length), 0) << int(c.command);
        EXPECT_EQ(std::vector<uint8_t>(buffer, buffer + length), c.data) << int(c.command);
        EXPECT_LE(line.Now() - replyEnd, CharTime) << int(c.command) << ": the reply was held "
                                                   << std::chrono::duration_cast<Ms>(line.Now() - replyEnd).count()
                                                   << " ms";
    }
}

// One request on a line of the test's own, the unit answering each write as the case's sender
// says; the result, and how long after the write the request ended.
struct SOneRequest {
    int result = 0;
    uint8_t tag = 0; // the reply's second data byte
    Clock::duration took {};
};
using Sender = std::function<void(VirtualLine&, Clock::time_point heard, const std::vector<uint8_t>& reply)>;

std::vector<SOneRequest> RunRequests(const std::vector<Sender>& senders, const std::vector<uint8_t>& commands = {})
{
    VirtualLine line;
    size_t index = 0;
    line.OnWrite([&](const std::vector<uint8_t>& bytes, Clock::time_point at) {
        if (bytes.size() == 1 || index >= senders.size())
            return;
        const uint8_t data[2] = { 0, bytes[2] };
        senders[index++](line, at + CharTime * static_cast<int>(bytes.size()),
                         serialframe::BuildFrame(Address, bytes[1], data, 2));
    });
    CSerialAccount account;
    std::vector<SOneRequest> results;
    for (size_t i = 0; i < senders.size(); ++i) {
        const uint8_t tag = static_cast<uint8_t>(i + 1);
        SSerialRequest request { Address, commands.empty() ? CommandA : commands[i], &tag, 1, false };
        uint8_t reply[serialframe::ReplyBufferSize] = {};
        int length = 0;
        CSerialExchange exchange(line, account, nullptr);
        const auto start = line.Now();
        SOneRequest r;
        r.result = exchange.Run(request, reply, length);
        r.tag = length >= 2 ? reply[1] : 0;
        r.took = line.Now() - start;
        results.push_back(r);
        line.Pass(Ms(10));
    }
    return results;
}

void SendBytes(VirtualLine& line, Clock::time_point at, const std::vector<uint8_t>& bytes)
{
    for (uint8_t b : bytes) {
        line.Send(at, b);
        at += CharTime;
    }
}

// A request that sees no ACK ends within a time-out (and an ACK's line time) of its write, whatever
// else the line carries; one that sees its ACK and no reply, within a time-out of the ACK.
TEST(SerialModel, EachStageEndsAtItsOwnTimeOut)
{
    const SLineTimes times(TimeoutMs, Baud);
    const auto ackStage = times.timeout + times.Line(1);
    const struct {
        const char* name;
        Sender send;
        Clock::duration end; // after the write
    } cases[] = {
        { "silent", [](VirtualLine&, Clock::time_point, const std::vector<uint8_t>&) {}, ackStage },
        { "NUL bytes", [](VirtualLine& line, Clock::time_point at, const std::vector<uint8_t>&) {
              for (int i = 0; i < 400; ++i)
                  line.Send(at + Ms(2) * i, 0);
          }, ackStage },
        { "frames of another command", [](VirtualLine& line, Clock::time_point at, const std::vector<uint8_t>&) {
              const uint8_t data[3] = { 0, 9, 9 };
              const auto other = serialframe::BuildFrame(Address, CommandB, data, 3);
              for (int i = 0; i < 60; ++i)
                  SendBytes(line, at + Ms(15) * i, other);
          }, ackStage },
        { "an ACK and no reply", [](VirtualLine& line, Clock::time_point at, const std::vector<uint8_t>&) {
              line.Send(at + Quarter * 3, serialframe::Ack);
          }, Quarter * 3 + CharTime * 6 + times.timeout + times.Line(HeadSizeForTest) },
    };
    for (const auto& c : cases) {
        const auto r = RunRequests({ c.send });
        EXPECT_NE(r[0].result, 0) << c.name;
        EXPECT_LE(r[0].took, c.end + CharTime * 6) << c.name << ": ended after "
                                                   << std::chrono::duration_cast<Ms>(r[0].took).count() << " ms";
    }
}

// A byte on its own where the unit's ACK belongs: the request fails with "Bad ACK or NAK" at the
// end of its ACK stage, or, when its own ACK and reply come in time behind the byte, is answered,
// and the next request with its own reply.
TEST(SerialModel, StrayByteWhereTheAckBelongs)
{
    const SLineTimes times(TimeoutMs, Baud);
    const Sender inTime = [](VirtualLine& line, Clock::time_point at, const std::vector<uint8_t>& reply) {
        line.Send(at + Ms(3), serialframe::Ack);
        SendBytes(line, at + Ms(3) + CharTime, reply);
    };
    for (uint8_t stray : { 0x41, 0x55, 0xFF }) {
        const auto alone = RunRequests({ [stray](VirtualLine& line, Clock::time_point at, const std::vector<uint8_t>&) {
            line.Send(at + Quarter, stray);
        } });
        EXPECT_EQ(alone[0].result, linkerr::BadAck) << int(stray);
        EXPECT_LE(alone[0].took, times.timeout + times.Line(1) + CharTime * 6) << int(stray);
        const auto behind = RunRequests({ [stray](VirtualLine& line, Clock::time_point at, const std::vector<uint8_t>& reply) {
            line.Send(at + Quarter, stray);
            line.Send(at + Quarter + CharTime, serialframe::Ack);
            SendBytes(line, at + Quarter + CharTime * 2, reply);
        }, inTime });
        EXPECT_EQ(behind[0].result, 0) << int(stray);
        EXPECT_EQ(behind[0].tag, 1) << int(stray);
        EXPECT_EQ(behind[1].result, 0) << int(stray);
        EXPECT_EQ(behind[1].tag, 2) << int(stray);
    }
}

// A late answer (3.4 T after its write) whose ACK came garbled, in the wait of a later request of
// another command: no other request fails for the garbled byte, none takes another's reply, and
// the requests whose answers come behind it once it is read are answered.
TEST(SerialModel, GarbledAckOfALateAnswerCostsNoOtherRequest)
{
    Clock::time_point freeAt {};
    const auto late = [&](VirtualLine& line, Clock::time_point at, const std::vector<uint8_t>& reply) {
        const auto t = at + Quarter * 136 / 10;
        line.Send(t, 0x55);
        SendBytes(line, t + CharTime, reply);
        freeAt = t + CharTime * static_cast<int>(1 + reply.size());
    };
    const auto behind = [&](VirtualLine& line, Clock::time_point at, const std::vector<uint8_t>& reply) {
        const auto t = std::max(at, freeAt) + Ms(5);
        line.Send(t, serialframe::Ack);
        SendBytes(line, t + CharTime, reply);
        freeAt = t + CharTime * static_cast<int>(1 + reply.size());
    };
    const auto r = RunRequests({ late, behind, behind, behind, behind, behind },
                               { CommandA, CommandB, CommandA, CommandB, CommandA, CommandB });
    EXPECT_NE(r[0].result, 0);
    for (size_t i = 1; i < r.size(); ++i) {
        EXPECT_NE(r[i].result, linkerr::BadAck) << "request " << i + 1;
        EXPECT_TRUE(r[i].result != 0 || r[i].tag == i + 1) << "request " << i + 1 << " took " << int(r[i].tag);
    }
    for (size_t i = r.size() - 2; i < r.size(); ++i)
        EXPECT_EQ(r[i].result, 0) << "request " << i + 1;
}

// A unit that sends each whole answer (ACK and reply) twice, the copy 0.45 T after the reply: with
// the commands alternating, a copy is no answer to the request in hand, whether it comes before
// that request's ACK or inside its answer.
TEST(SerialModel, RepeatedWholeAnswerOfAnotherCommandCostsNothing)
{
    for (const Clock::duration ackDelay : { Clock::duration(Ms(19)), Quarter * 2 }) {
        std::vector<Sender> senders;
        std::vector<uint8_t> commands;
        for (int i = 0; i < 6; ++i) {
            commands.push_back(i % 2 ? CommandB : CommandA);
            senders.push_back([ackDelay](VirtualLine& line, Clock::time_point at, const std::vector<uint8_t>& reply) {
                const auto copyAt = at + ackDelay + CharTime * static_cast<int>(1 + reply.size()) + Quarter * 18 / 10;
                for (const auto t : { at + ackDelay, copyAt }) {
                    line.Send(t, serialframe::Ack);
                    SendBytes(line, t + CharTime, reply);
                }
            });
        }
        const auto r = RunRequests(senders, commands);
        for (size_t i = 0; i < r.size(); ++i) {
            EXPECT_EQ(r[i].result, 0) << "request " << i + 1 << ", ACK after "
                                      << std::chrono::duration_cast<Ms>(ackDelay).count() << " ms";
            EXPECT_EQ(r[i].tag, i + 1) << "request " << i + 1;
        }
    }
}

// A unit whose replies dribble, a byte every 0.9 T: a reply still coming holds the unit at work,
// so no request takes another's reply, and none waits past its hard end.
TEST(SerialModel, DribblingRepliesAreNeverTakenByAnotherRequest)
{
    const SLineTimes times(TimeoutMs, Baud);
    Clock::time_point freeAt {};
    std::vector<Sender> senders(30, [&](VirtualLine& line, Clock::time_point at, const std::vector<uint8_t>& reply) {
        auto t = std::max(at, freeAt) + Ms(5);
        line.Send(t, serialframe::Ack);
        for (uint8_t b : reply) {
            t += Quarter * 36 / 10;
            line.Send(t, b);
        }
        freeAt = t + CharTime;
    });
    const auto r = RunRequests(senders);
    for (size_t i = 0; i < r.size(); ++i) {
        EXPECT_TRUE(r[i].result != 0 || r[i].tag == i + 1) << "request " << i + 1 << " took " << int(r[i].tag);
        EXPECT_LE(r[i].took, times.timeout * WaitTimeouts + times.Line(1 + NakHeadedFrameSize) + CharTime * 4)
            << "request " << i + 1;
    }
}

// A copy of a reply that begins with the NAK byte (address 2, five data bytes), where the ACK of
// the next request belongs: the bytes behind its NAK byte happen to make a whole frame of another
// unit, which does not make it a NAK; it is a frame, and the next request takes its own answer.
TEST(SerialModel, NakHeadedCopyBeforeTheAckIsAFrame)
{
    constexpr uint8_t Command = 8; // behind the NAK byte: address 1 and no data
    const uint8_t data[5] = { 0, 0x08, 1, 2, 3 };
    const auto first = serialframe::BuildFrame(Address, Command, data, 5);
    ASSERT_EQ(first.front(), serialframe::Nak);
    ASSERT_EQ(serialframe::Checksum(first.data() + 1, 3), 0);
    const auto answerWithCopy = [&](VirtualLine& line, Clock::time_point at, const std::vector<uint8_t>&) {
        line.Send(at + Ms(3), serialframe::Ack);
        SendBytes(line, at + Ms(3) + CharTime, first);
        SendBytes(line, at + Ms(3) + CharTime * static_cast<int>(1 + first.size()) + Quarter, first);
    };
    const auto later = [](VirtualLine& line, Clock::time_point at, const std::vector<uint8_t>& reply) {
        line.Send(at + Quarter * 2, serialframe::Ack);
        SendBytes(line, at + Quarter * 2 + CharTime, reply);
    };
    const auto r = RunRequests({ answerWithCopy, later }, { Command, Command });
    EXPECT_EQ(r[0].result, 0);
    EXPECT_EQ(r[1].result, 0);
    EXPECT_EQ(r[1].tag, 2);
}

} // namespace

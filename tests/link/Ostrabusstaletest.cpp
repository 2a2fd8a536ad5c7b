// Frames that answer no request of the exchange in hand, from a unit of the test's own on a
// pseudo-terminal: it answers each request with the bytes the test scripts for it.
#include "link/Ostrabus.h"
#include "link/Serialframe.h"
#include "support/Scriptedunit.h"
#include "support/Simfixture.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace {

using testsupport::ScriptedUnit;

constexpr int Address = 2;
constexpr int TimeoutMs = 150;
constexpr uint8_t EchoCommand = 20;  // the unit's reply: CSR 0, then the request's data
constexpr uint8_t OtherCommand = 21; // the same kind of reply

std::vector<uint8_t> Frame(uint8_t command, std::vector<uint8_t> data, uint8_t address = Address)
{
    return serialframe::BuildFrame(address, command, data.data(), static_cast<int>(data.size()));
}

std::vector<uint8_t> Echo(uint8_t command, uint8_t tag) { return Frame(command, { 0, tag }); }

std::vector<uint8_t> Join(std::initializer_list<std::vector<uint8_t>> parts)
{
    std::vector<uint8_t> all;
    for (const auto& p : parts)
        all.insert(all.end(), p.begin(), p.end());
    return all;
}

class OstraBusPassOverTest : public ::testing::Test {
protected:
    void Start(ScriptedUnit::Script script)
    {
        unit = std::make_unique<ScriptedUnit>(std::move(script));
        ASSERT_TRUE(unit->Ok());
        ASSERT_EQ(bus.OpenPort(unit->Path(), 9600, TimeoutMs, Address), 0) << bus.LastError();
    }
    int Tagged(uint8_t command, uint8_t tag, int& echoed) { return testsupport::TaggedTransact(bus, command, tag, echoed); }
    testsupport::RecordingTrafficLog log;
    std::unique_ptr<ScriptedUnit> unit;
    COstraBus bus;
};

TEST_F(OstraBusPassOverTest, ReplyOfAnotherCommandAddressOrSelectorIsPassedOver)
{
    // Each request is acknowledged, then a frame that answers something else comes before the
    // request's own reply: another command's, another unit's, one echoing another selector or
    // none.
    Start([](int index, const ScriptedUnit::Request& req) {
        const uint8_t tag = req.data.at(0);
        const std::vector<uint8_t> ack { serialframe::Ack };
        switch (index) {
        case 0: return Join({ ack, Echo(OtherCommand, 99), Echo(req.command, tag) });
        case 1: return Join({ ack, Frame(req.command, { 0, 98 }, Address + 1), Echo(req.command, tag) });
        default: return Join({ ack, Frame(req.command, { 97, 1, 2 }), Frame(req.command, {}), Frame(req.command, { tag, 1, 2 }) });
        }
    });
    int echoed = 0;
    EXPECT_EQ(Tagged(EchoCommand, 7, echoed), 0) << bus.LastError();
    EXPECT_EQ(echoed, 7);
    EXPECT_EQ(Tagged(EchoCommand, 8, echoed), 0) << bus.LastError();
    EXPECT_EQ(echoed, 8);
    // A command whose reply begins with the selector asked for.
    constexpr uint8_t SelectorCommand = 165;
    bus.ExpectSelectorEcho(SelectorCommand);
    bus.AppendByte(4);
    EXPECT_EQ(bus.Transact(SelectorCommand), 0) << bus.LastError();
    ASSERT_EQ(bus.ReplyLength(), 3);
    EXPECT_EQ(bus.Buffer()[0], 4);

    const std::vector<std::string> expected {
        "Wr:  Cmd=20 Bytes=1  7 ",   "Rd:  Cmd=21 Bytes=2  0 99  (stale)", "Rd:  Cmd=20 Bytes=2  0 7 ",
        "Wr:  Cmd=20 Bytes=1  8 ",   "Rd:  Cmd=20 Bytes=2  0 98  (from address 3) (stale)", "Rd:  Cmd=20 Bytes=2  0 8 ",
        "Wr:  Cmd=165 Bytes=1  4 ",  "Rd:  Cmd=165 Bytes=3  97 1 2  (stale)", "Rd:  Cmd=165 Bytes=0   (stale)",
        "Rd:  Cmd=165 Bytes=3  4 1 2 ",
    };
    EXPECT_EQ(log.lines, expected);
    // Every frame was acknowledged as the handshake asks, the passed-over ones too.
    ASSERT_TRUE(unit->WaitForAcks(7));
    EXPECT_EQ(unit->Acks(), std::vector<uint8_t>(7, serialframe::Ack));
}

TEST_F(OstraBusPassOverTest, EarlierReplyWhereTheAcknowledgementBelongsIsPassedOver)
{
    // A reply sent twice: its copy comes before the next request's acknowledgement.
    Start([](int index, const ScriptedUnit::Request& req) {
        const uint8_t tag = req.data.at(0);
        const std::vector<uint8_t> ack { serialframe::Ack };
        if (index == 0)
            return Join({ ack, Echo(req.command, tag) });
        return Join({ Echo(EchoCommand, 1), ack, Echo(req.command, tag) });
    });
    int echoed = 0;
    EXPECT_EQ(Tagged(EchoCommand, 1, echoed), 0) << bus.LastError();
    EXPECT_EQ(echoed, 1);
    // The same command follows: where the acknowledgement belongs no frame can be its reply.
    EXPECT_EQ(Tagged(EchoCommand, 2, echoed), 0) << bus.LastError();
    EXPECT_EQ(echoed, 2);
    const std::vector<std::string> expected {
        "Wr:  Cmd=20 Bytes=1  1 ", "Rd:  Cmd=20 Bytes=2  0 1 ",
        "Wr:  Cmd=20 Bytes=1  2 ", "Rd:  Cmd=20 Bytes=2  0 1  (stale)", "Rd:  Cmd=20 Bytes=2  0 2 ",
    };
    EXPECT_EQ(log.lines, expected);
    ASSERT_TRUE(unit->WaitForAcks(3));
}

TEST_F(OstraBusPassOverTest, RestOfAReplyGivenUpIsNotTakenByTheNextRequest)
{
    // The unit acknowledges the first request and starts its reply, which stops after the
    // first byte: the request times out. The rest of that reply comes only once the next
    // request has gone out, then that request's own answer: the rest is no frame, and the
    // request fails rather than read anything of it; the one after it is answered.
    Start([](int index, const ScriptedUnit::Request& req) {
        const uint8_t tag = req.data.at(0);
        const std::vector<uint8_t> ack { serialframe::Ack };
        const std::vector<uint8_t> late = Echo(EchoCommand, 1);
        if (index == 0)
            return Join({ ack, { late.front() } });
        if (index == 1)
            return Join({ std::vector<uint8_t>(late.begin() + 1, late.end()), ack, Echo(req.command, tag) });
        return Join({ ack, Echo(req.command, tag) });
    });
    int echoed = 0;
    EXPECT_EQ(Tagged(EchoCommand, 1, echoed), linkerr::Timeout);
    EXPECT_EQ(Tagged(OtherCommand, 2, echoed), linkerr::BadAck);
    EXPECT_EQ(Tagged(EchoCommand, 3, echoed), 0) << bus.LastError();
    EXPECT_EQ(echoed, 3);
}

TEST_F(OstraBusPassOverTest, NakFollowedByAWholeFrameIsANak)
{
    // A NAK with the unit's reply right behind it, whose first seven bytes happen to give the
    // NAK byte a good checksum as the head of a frame (address 2, five data bytes): the frame
    // behind it is whole, so the NAK is one. The reply is passed over by the next request.
    std::vector<uint8_t> reply;
    for (int x = 0; x < 256 && (reply.empty() || reply.back() != serialframe::Nak); ++x)
        reply = Frame(OtherCommand, { 0, static_cast<uint8_t>(x), 0, 0, 0 });
    ASSERT_EQ(reply.back(), serialframe::Nak); // its checksum: the seven bytes before it XOR to the NAK byte
    Start([reply](int index, const ScriptedUnit::Request& req) {
        if (index == 0)
            return Join({ { serialframe::Nak }, reply });
        return Join({ { serialframe::Ack }, Echo(req.command, req.data.at(0)) });
    });
    int echoed = 0;
    EXPECT_EQ(Tagged(OtherCommand, 1, echoed), linkerr::NakReceived);
    const std::vector<std::string> first { "Wr:  Cmd=21 Bytes=1  1 ", "NAK received" };
    EXPECT_EQ(log.lines, first); // nothing read as a frame in between
    EXPECT_EQ(Tagged(OtherCommand, 2, echoed), 0) << bus.LastError();
    EXPECT_EQ(echoed, 2);
}

TEST_F(OstraBusPassOverTest, NoiseAfterABadFrameIsDrainedBeforeTheNextRequest)
{
    // The unit's reply is garbled, and on the NAK for it the line carries noise for a while, a
    // burst every few milliseconds: the link waits for the line to fall quiet before the next
    // request goes out, so the noise does not fail that one too. At 300 baud the quiet it
    // waits for is long beside the bursts' gaps.
    unit = std::make_unique<ScriptedUnit>([](int index, const ScriptedUnit::Request& req) {
        std::vector<uint8_t> reply = Echo(req.command, req.data.at(0));
        if (index == 0)
            reply.back() ^= 0x5A;
        return Join({ { serialframe::Ack }, reply });
    });
    ASSERT_TRUE(unit->Ok());
    // The handler runs on the unit's thread: it uses the unit alone, which outlives that thread.
    unit->OnHandshake([noisy = unit.get()](uint8_t b) {
        if (b != serialframe::Nak)
            return;
        for (int burst = 0; burst < 12; ++burst) {
            noisy->Write({ 0x55, 0xAA, 0x55 });
            std::this_thread::sleep_for(std::chrono::milliseconds(5)); // the noise's pace
        }
    });
    ASSERT_EQ(bus.OpenPort(unit->Path(), 300, 600, Address), 0) << bus.LastError();
    int echoed = 0;
    EXPECT_EQ(Tagged(EchoCommand, 1, echoed), linkerr::BadChecksum);
    EXPECT_EQ(Tagged(EchoCommand, 2, echoed), 0) << bus.LastError();
    EXPECT_EQ(echoed, 2);
}

TEST_F(OstraBusPassOverTest, WaitEndsWhileFramesOrNoiseKeepComing)
{
    // After the request's acknowledgement the unit keeps sending something that is no answer,
    // far longer than the request waits: the request still ends, with a time-out, while it
    // comes.
    constexpr int Cap = 3000; // about three seconds of it
    const struct {
        const char* what;
        std::vector<uint8_t> chunk;
    } streams[] = {
        { "frames of another command", Frame(201, { 0, 0 }) },
        { "NUL bytes", { 0 } },
        { "acknowledgements", { serialframe::Ack } },
    };
    for (const auto& stream : streams) {
        Start([](int, const ScriptedUnit::Request&) { return std::vector<uint8_t> { serialframe::Ack }; });
        std::atomic<bool> stop { false };
        std::atomic<int> written { 0 };
        std::thread streamer([&] {
            if (!unit->WaitForRequests(1))
                return;
            while (!stop && written < Cap && unit->Write(stream.chunk)) {
                ++written;
                std::this_thread::sleep_for(std::chrono::milliseconds(1)); // the unit's pace
            }
        });
        int echoed = 0;
        const int r = Tagged(EchoCommand, 1, echoed);
        const int atReturn = written;
        stop = true;
        streamer.join();
        EXPECT_EQ(r, linkerr::Timeout) << stream.what;
        EXPECT_LT(atReturn, Cap) << "the request waited as long as " << stream.what << " came";
    }
}

// A busy unit answers late (within five read time-outs), in the order it heard its requests, an
// acknowledgement and a reply for each; or it drops what it heard while busy. Each request carries a tag that the unit's
// reply gives back, so a reply taken for a later request shows. The link compares address and
// command, and (here) no selector: what keeps a late reply of the same command from being taken
// is the account of the requests still owed.
TEST_F(OstraBusPassOverTest, LateAnswersAreNeverTakenByALaterRequest)
{
    using Steps = std::vector<std::vector<uint8_t>>; // what the unit sends on hearing each request
    const std::vector<uint8_t> ack { serialframe::Ack };
    const struct {
        const char* what;
        std::vector<uint8_t> commands; // of the requests, tagged 1, 2, ...
        Steps steps;
        std::vector<int> results; // of the requests; 0: the request's own tag came back
    } cases[] = {
        { "busy, then answering its queue",
          { EchoCommand, OtherCommand, EchoCommand },
          { {}, Join({ ack, Echo(EchoCommand, 1), ack, Echo(OtherCommand, 2) }), Join({ ack, Echo(EchoCommand, 3) }) },
          { linkerr::Timeout, 0, 0 } },
        { "busy, dropping what it heard meanwhile",
          { EchoCommand, OtherCommand, EchoCommand, OtherCommand },
          { {}, Join({ ack, Echo(EchoCommand, 1) }), Join({ ack, Echo(EchoCommand, 3) }), Join({ ack, Echo(OtherCommand, 4) }) },
          { linkerr::Timeout, linkerr::Timeout, 0, 0 } },
        { "the same command, its reply late behind its acknowledgement",
          { EchoCommand, EchoCommand, EchoCommand },
          { ack, Join({ Echo(EchoCommand, 1), ack, Echo(EchoCommand, 2) }), Join({ ack, Echo(EchoCommand, 3) }) },
          { linkerr::Timeout, 0, 0 } },
        { "the same command, a request dropped",
          { EchoCommand, EchoCommand, EchoCommand },
          { {}, Join({ ack, Echo(EchoCommand, 2) }), Join({ ack, Echo(EchoCommand, 3) }) },
          { linkerr::Timeout, linkerr::Timeout, 0 } },
    };
    for (const auto& c : cases) {
        // The script is the unit's own copy: its thread never reads the test's stack.
        Start([steps = c.steps](int index, const ScriptedUnit::Request&) {
            return index < static_cast<int>(steps.size()) ? steps[static_cast<size_t>(index)] : std::vector<uint8_t> {};
        });
        for (size_t i = 0; i < c.commands.size(); ++i) {
            const uint8_t tag = static_cast<uint8_t>(i + 1);
            int echoed = 0;
            EXPECT_EQ(Tagged(c.commands[i], tag, echoed), c.results[i]) << c.what << ", request " << i + 1;
            EXPECT_TRUE(echoed == -1 || echoed == tag) << c.what << ": request " << i + 1 << " took " << echoed;
        }
    }
}

} // namespace

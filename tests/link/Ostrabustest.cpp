#include "link/Ostrabus.h"
#include "link/Serialframe.h"
#include "platform/Serialport.h"
#include "simunit/Simoptions.h"
#include "support/Simfixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace {

using Fault = simunit::SimSerialServer::Fault;

class OstraBusTest : public ::testing::Test {
protected:
    static constexpr int TimeoutMs = 150;
    static constexpr int EchoCommand = 20;
    static constexpr int OtherEchoCommand = 22;
    void SetUp() override
    {
        ASSERT_TRUE(sim.Ok()) << sim.Error();
        // 20 and 22: echo their data behind CSR 0; 21: CSR 3; 200: a first reply byte of 7.
        for (int echo : { EchoCommand, OtherEchoCommand }) {
            sim.Unit().Register(echo, [](const std::vector<uint8_t>& d, std::vector<uint8_t>& r) {
                r = { 0 };
                r.insert(r.end(), d.begin(), d.end());
                return true;
            });
        }
        sim.Unit().Register(21, [](const std::vector<uint8_t>&, std::vector<uint8_t>& r) { r = { 3 }; return true; });
        sim.Unit().Register(200, [](const std::vector<uint8_t>&, std::vector<uint8_t>& r) { r = { 7, 1 }; return true; });
    }
    void Open(int address = 2) { ASSERT_EQ(bus.OpenPort(sim.Path(), 9600, TimeoutMs, address), 0) << bus.LastError(); }
    std::string Reply()
    {
        std::string s(static_cast<size_t>(bus.ReplyLength()), '\0');
        bus.ReadBytes(s.data(), bus.ReplyLength());
        return s;
    }
    testsupport::SimPty sim;
    COstraBus bus;
};

TEST_F(OstraBusTest, IdentifyOverThePseudoTerminal)
{
    Open();
    EXPECT_TRUE(bus.IsSerial());
    EXPECT_TRUE(bus.IsConnected());
    EXPECT_EQ(bus.PortName(), sim.Path());
    EXPECT_EQ(bus.Transact(128), 0);
    EXPECT_EQ(Reply(), "VANT");
    ASSERT_TRUE(sim.Server().WaitForProgramAcks(1));
    EXPECT_EQ(sim.Server().ProgramAcks().at(0), serialframe::Ack);
}

TEST_F(OstraBusTest, HeaderBoundaryBetweenSixAndSevenBytes)
{
    Open();
    for (int n : { 6, 7 }) {
        sim.Server().ClearLog();
        for (int i = 0; i < n; ++i)
            bus.AppendByte(static_cast<uint8_t>(100 + i));
        ASSERT_EQ(bus.Transact(20), 0);
        ASSERT_TRUE(sim.Server().WaitForRequests(1));
        const auto raw = sim.Server().Requests().at(0).raw;
        if (n == 6) {
            EXPECT_EQ(raw.size(), 9u);
            EXPECT_EQ(raw[0], 0x16);
            EXPECT_EQ(raw[2], 100);
        } else {
            EXPECT_EQ(raw.size(), 11u);
            EXPECT_EQ(raw[0], 0x17);
            EXPECT_EQ(raw[2], 7);
            EXPECT_EQ(raw[3], 100);
        }
        EXPECT_EQ(bus.ReplyLength(), n + 1); // CSR and the echo
        EXPECT_EQ(bus.RequestLength(), 0);
    }
}

TEST_F(OstraBusTest, BroadcastReturnsZeroWithoutReading)
{
    Open(0);
    EXPECT_EQ(bus.Transact(128), 0);
    EXPECT_EQ(bus.ReplyLength(), 1);
    EXPECT_EQ(bus.Buffer()[0], 0);
    ASSERT_TRUE(sim.Server().WaitForRequests(1));
    EXPECT_EQ(sim.Server().Requests().at(0).address, 0);
    EXPECT_EQ(sim.Unit().RequestCount(), 1); // the unit acted on it
    EXPECT_TRUE(sim.Server().ProgramAcks().empty()); // and acknowledged nothing
    // Nothing was waiting in the input: the next broadcast goes through the same way.
    EXPECT_EQ(bus.Transact(20), 0);
}

TEST_F(OstraBusTest, SerialFaultsGiveTheirCodesAndTexts)
{
    Open();
    const struct {
        Fault fault;
        int result;
        const char* text;
    } cases[] = {
        { Fault::AnswerNak, linkerr::NakReceived, "NAK received" },
        { Fault::Stall, linkerr::Timeout, "Time-out" },
        { Fault::DropReply, linkerr::Timeout, "Time-out" },
        { Fault::ShortFrame, linkerr::BadChecksum, "Bad checksum" }, // a frame cut short gets a NAK
        { Fault::CorruptChecksum, linkerr::BadChecksum, "Bad checksum" },
    };
    for (const auto& c : cases) {
        sim.Server().SetFault(c.fault);
        EXPECT_EQ(bus.Transact(128), c.result) << static_cast<int>(c.fault);
        EXPECT_EQ(bus.LastError(), c.text);
        EXPECT_EQ(bus.ReplyLength(), 0);
        // The port stays open and the next transactions work: one of another command, whose
        // reply cannot be taken for the failed request's, then the failed one again.
        EXPECT_TRUE(bus.HasPort());
        EXPECT_EQ(bus.Transact(200), 0) << bus.LastError();
        EXPECT_EQ(Reply(), std::string("\x07\x01"));
        EXPECT_EQ(bus.Transact(128), 0) << bus.LastError();
        EXPECT_EQ(Reply(), "VANT");
    }
}

TEST_F(OstraBusTest, UnitTakingEachStageLateInItsTimeOutIsServed)
{
    // The ACK 0.85 of a time-out after the request, the reply 0.85 of one after the ACK: each
    // read's own time-out holds both, and so does the request's wait.
    Open();
    sim.Server().SetProgramTimeoutMs(TimeoutMs);
    sim.Server().SetRecurringFault(Fault::SlowStages, 1);
    for (int command : { 128, 200, 128, 128 }) {
        EXPECT_EQ(bus.Transact(command), 0) << command << ": " << bus.LastError();
        EXPECT_EQ(Reply(), command == 128 ? std::string("VANT") : std::string("\x07\x01"));
    }
    sim.Server().SetRecurringFault(Fault::None, 0);
}

TEST_F(OstraBusTest, CorruptedReplyIsAnsweredWithNak)
{
    Open();
    sim.Server().SetFault(Fault::CorruptChecksum);
    EXPECT_EQ(bus.Transact(128), linkerr::BadChecksum);
    ASSERT_TRUE(sim.Server().WaitForProgramAcks(1));
    EXPECT_EQ(sim.Server().ProgramAcks().at(0), serialframe::Nak);
}

TEST_F(OstraBusTest, FailedTransactionPurgesThePortAndLeavesItOpen)
{
    Open();
    // NAK with a stale reply frame right behind it: without the purge the next request would
    // read that frame's first byte as its acknowledgement.
    sim.Server().SetFault(Fault::NakThenReply);
    EXPECT_EQ(bus.Transact(128), linkerr::NakReceived);
    ASSERT_NE(bus.LocalPort(), nullptr);
    EXPECT_TRUE(bus.LocalPort()->IsOpen());
    EXPECT_EQ(bus.Transact(128), 0) << bus.LastError();
    EXPECT_EQ(Reply(), "VANT");
}

// Each request carries a tag of its own that the unit's command 20 sends back: a reply taken
// for a later request shows another request's tag.
class OstraBusStaleTest : public OstraBusTest {
protected:
    // One tagged transaction: its result, and the tag its reply carried back (-1 for none).
    int Tagged(uint8_t tag, int& echoed, int command = EchoCommand)
    {
        return testsupport::TaggedTransact(bus, command, tag, echoed);
    }
};

TEST_F(OstraBusStaleTest, ReplyAfterTheTimeOutIsNeverTakenForALaterRequest)
{
    Open();
    testsupport::RecordingTrafficLog log;
    int echoed = 0;
    // The unit holds its reply back until the requester has given up, then sends it before
    // the next request: the line is cleared of it before that request goes out.
    sim.Server().SetFault(Fault::HeldReply);
    EXPECT_EQ(Tagged(1, echoed), linkerr::Timeout);
    EXPECT_EQ(bus.LastError(), "Time-out");
    sim.Server().ReleaseHeldReply();
    ASSERT_TRUE(sim.Server().WaitForStaleFramesSent(1));
    EXPECT_EQ(Tagged(2, echoed), 0) << bus.LastError();
    EXPECT_EQ(echoed, 2);

    // The unit holds its reply back into the next request: it comes as that request starts,
    // where the acknowledgement belongs, and is passed over.
    sim.Server().SetFault(Fault::HeldReply);
    EXPECT_EQ(Tagged(3, echoed), linkerr::Timeout);
    for (uint8_t tag : {4, 5, 6}) {
        EXPECT_EQ(Tagged(tag, echoed), 0) << bus.LastError();
        EXPECT_EQ(echoed, tag);
    }
    EXPECT_NE(std::find(log.lines.begin(), log.lines.end(), "Rd:  Cmd=20 Bytes=2  0 3  (stale)"), log.lines.end());
    EXPECT_EQ(sim.Server().StaleFramesSent(), 2);
}

TEST_F(OstraBusStaleTest, LateRepliesOfTheSimulatedUnitAreNeverTakenForALaterRequest)
{
    // Each fault of the unit answers one request apart from its own time; the requests after it
    // alternate between two commands as a poll's do. The faulted request's reply has five data
    // bytes, so its first byte is the NAK byte (address 2, length 5): where an acknowledgement
    // belongs it is still a frame, not a NAK. The requests after it may fail while the unit is
    // busy, never take another request's reply, and the last of them is answered.
    constexpr int After = 4;
    constexpr int Either = 1; // the unit's time decides: its own reply, or a time-out
    const struct {
        Fault fault;
        int result; // of the faulted request
    } cases[] = {
        { Fault::ReplyTwice, 0 },
        { Fault::HeldReply, linkerr::Timeout },
        { Fault::ReplyAfterTwoTimeouts, linkerr::Timeout }, // the reply's head is due within a time-out of the ACK
        { Fault::BusyReply, Either },
        { Fault::BusyDropping, Either },
        { Fault::LateReply, linkerr::Timeout },
    };
    Open();
    sim.Server().SetProgramTimeoutMs(TimeoutMs);
    sim.Server().SetLateReplyMs(TimeoutMs * 4); // past the request's wait
    sim.Server().SetCopyDelayMs(TimeoutMs);
    uint8_t tag = 0;
    for (const auto& c : cases) {
        const uint8_t faulted = ++tag;
        sim.Server().SetFault(c.fault);
        const uint8_t data[4] = { faulted, 1, 2, 3 };
        bus.AppendBytes(data, 4);
        const int r = bus.Transact(EchoCommand);
        if (c.result == Either) {
            EXPECT_TRUE(r == 0 || r == linkerr::Timeout) << static_cast<int>(c.fault) << ": " << bus.LastError();
        } else {
            EXPECT_EQ(r, c.result) << static_cast<int>(c.fault) << ": " << bus.LastError();
        }
        if (r == 0) {
            ASSERT_EQ(bus.ReplyLength(), 5);
            EXPECT_EQ(bus.Buffer()[1], faulted);
        }
        for (int i = 1; i <= After; ++i) {
            int echoed = 0;
            const uint8_t mine = ++tag;
            const int next = Tagged(mine, echoed, i % 2 ? OtherEchoCommand : EchoCommand);
            EXPECT_NE(next, linkerr::NakReceived) << static_cast<int>(c.fault) << ", request " << i;
            EXPECT_TRUE(echoed == -1 || echoed == mine) << static_cast<int>(c.fault) << ": took " << echoed;
            if (i == After) {
                EXPECT_EQ(next, 0) << static_cast<int>(c.fault) << ": " << bus.LastError();
            }
        }
    }
}

TEST_F(OstraBusStaleTest, ReplyDribblingPastItsTimeOutIsFinishedByTheNextRequest)
{
    // The unit sends its reply a byte every 40 ms, slower than the line by far: it is still
    // coming when its request gives up (three time-outs and the reply's line time). The next
    // request finishes reading it, passes it over, and takes its own answer; nothing of it is
    // read as noise.
    constexpr int SlowTimeoutMs = 400;
    ASSERT_EQ(bus.OpenPort(sim.Path(), 9600, SlowTimeoutMs, 2), 0) << bus.LastError();
    sim.Server().SetDribbleGapMs(40);
    testsupport::RecordingTrafficLog log;
    for (uint8_t round : { 0, 10 }) {
        sim.Server().SetFault(Fault::DribbleReply);
        std::vector<uint8_t> data(40, 7); // a reply of 41 data bytes: 1.8 s on the way
        data[0] = static_cast<uint8_t>(round + 1);
        bus.AppendBytes(data.data(), static_cast<int>(data.size()));
        EXPECT_EQ(bus.Transact(EchoCommand), linkerr::Timeout);
        int echoed = 0;
        EXPECT_EQ(Tagged(static_cast<uint8_t>(round + 2), echoed, OtherEchoCommand), 0) << bus.LastError();
        EXPECT_EQ(echoed, round + 2);
        EXPECT_EQ(Tagged(static_cast<uint8_t>(round + 3), echoed), 0) << bus.LastError();
        EXPECT_EQ(echoed, round + 3);
    }
    std::string passedOver = "Rd:  Cmd=20 Bytes=41  0 11 ";
    for (int i = 1; i < 40; ++i)
        passedOver += "7 ";
    EXPECT_NE(std::find(log.lines.begin(), log.lines.end(), passedOver + " (stale)"), log.lines.end());
}

TEST_F(OstraBusStaleTest, ReplyWrittenApartBehindANakIsNeverTaken)
{
    Open();
    int echoed = 0;
    for (uint8_t tag : {10, 20, 30}) {
        sim.Server().SetFault(Fault::NakApartReply);
        EXPECT_EQ(Tagged(tag, echoed), linkerr::NakReceived);
        EXPECT_EQ(Tagged(tag + 1, echoed), 0) << bus.LastError();
        EXPECT_EQ(echoed, tag + 1);
    }
}

TEST_F(OstraBusStaleTest, StrayBytesBehindAGoodReplyAreNotReadAsTheNextAnswer)
{
    Open();
    int echoed = 0;
    for (uint8_t tag : {40, 50, 60}) {
        sim.Server().SetFault(Fault::StrayAfterReply);
        EXPECT_EQ(Tagged(tag, echoed), 0) << bus.LastError();
        EXPECT_EQ(echoed, tag);
        EXPECT_EQ(Tagged(tag + 1, echoed), 0) << bus.LastError();
        EXPECT_EQ(echoed, tag + 1);
    }
    ASSERT_TRUE(sim.Server().WaitForProgramAcks(6));
    for (uint8_t ack : sim.Server().ProgramAcks())
        EXPECT_EQ(ack, serialframe::Ack);
}

TEST_F(OstraBusStaleTest, LineFaultFromTheSimulatedUnitsCommandLineComesEveryNthFrame)
{
    simunit::SimOptions options;
    std::string error;
    ASSERT_TRUE(simunit::ParseSimOptions({"--serial-fault", "nak-apart,3"}, options, error)) << error;
    EXPECT_EQ(options.serialFault, "nak-apart");
    EXPECT_EQ(options.serialFaultEvery, 3);
    for (const char* kind : {"after-two", "held", "twice"}) {
        simunit::SimOptions more;
        ASSERT_TRUE(simunit::ParseSimOptions({"--serial-fault", kind}, more, error)) << error;
        EXPECT_EQ(more.serialFault, kind);
        EXPECT_EQ(more.serialFaultEvery, 10);
    }
    for (auto args : std::vector<std::vector<std::string>>{
             {"--serial-fault"}, {"--serial-fault", "noise"}, {"--serial-fault", "late,0"}, {"--serial-fault", "stray,x"}}) {
        simunit::SimOptions bad;
        EXPECT_FALSE(simunit::ParseSimOptions(args, bad, error)) << args.back();
        EXPECT_TRUE(bad.serialFault.empty());
    }

    Open();
    sim.Server().SetRecurringFault(Fault::NakApartReply, options.serialFaultEvery);
    std::vector<int> results;
    int echoed = 0;
    for (int i = 1; i <= 6; ++i) {
        results.push_back(Tagged(static_cast<uint8_t>(i), echoed));
        if (results.back() == 0) {
            EXPECT_EQ(echoed, i);
        }
    }
    EXPECT_EQ(results, (std::vector<int>{0, 0, linkerr::NakReceived, 0, 0, linkerr::NakReceived}));
    sim.Server().SetRecurringFault(Fault::None, 0);
}

TEST_F(OstraBusTest, CsrOnlyForCommandsBelow128)
{
    Open();
    EXPECT_EQ(bus.Transact(21), 3);
    EXPECT_EQ(bus.Transact(200), 0); // first reply byte 7, but no CSR from 128 on
    EXPECT_EQ(bus.ReplyLength(), 2);
    EXPECT_EQ(bus.Transact(50), simunit::SimUnit::CsrUnknownCommand);
}

TEST_F(OstraBusTest, NoLinkGivesDisconnected)
{
    testsupport::RecordingTrafficLog log;
    bus.AppendByte(1);
    EXPECT_EQ(bus.Transact(5), linkerr::NotConnected);
    EXPECT_EQ(bus.LastError(), "Disconnected");
    EXPECT_EQ(bus.RequestLength(), 0);
    EXPECT_EQ(log.lines, std::vector<std::string> { "Disconnected" });
    EXPECT_EQ(bus.Transact(255), linkerr::NotConnected);
    EXPECT_EQ(bus.Transact(0), 0); // command 0 passes without a link and sends nothing
}

TEST_F(OstraBusTest, CommandZeroOnASerialPortSendsNothing)
{
    Open();
    bus.AppendByte(3);
    EXPECT_EQ(bus.Transact(0), 0);
    EXPECT_EQ(bus.ReplyLength(), 0);
    EXPECT_EQ(bus.Transact(128), 0);
    ASSERT_TRUE(sim.Server().WaitForRequests(1));
    const auto reqs = sim.Server().Requests();
    ASSERT_EQ(reqs.size(), 1u);
    EXPECT_EQ(reqs[0].command, 128);
}

TEST_F(OstraBusTest, TrafficLogLines)
{
    Open();
    testsupport::RecordingTrafficLog log;
    const uint8_t data[] = { 1, 2, 250 };
    bus.AppendBytes(data, 3);
    EXPECT_EQ(bus.Transact(20), 0);
    EXPECT_EQ(bus.Transact(21), 3);
    sim.Server().SetFault(Fault::AnswerNak);
    EXPECT_EQ(bus.Transact(128), linkerr::NakReceived);
    const std::vector<std::string> expected {
        "Wr:  Cmd=20 Bytes=3  1 2 250 ", "Rd:  Cmd=20 Bytes=4  0 1 2 250 ",
        "Wr:  Cmd=21 Bytes=0  ",         "Rd:  Cmd=21 Bytes=1  3  (CSR)",
        "Wr:  Cmd=128 Bytes=0  ",        "NAK received",
    };
    EXPECT_EQ(log.lines, expected);
    log.active = false;
    EXPECT_EQ(bus.Transact(128), 0);
    EXPECT_EQ(log.lines.size(), expected.size());
}

TEST_F(OstraBusTest, OversizedRequestIsRefusedWithoutSending)
{
    Open();
    std::vector<uint8_t> data(256, 0xAB);
    bus.AppendBytes(data.data(), 200);
    EXPECT_EQ(bus.AppendBytes(data.data(), 56), 200); // 256 would not fit one frame
    EXPECT_EQ(bus.Transact(20), linkerr::WriteFailed);
    EXPECT_EQ(bus.LastError(), "Unable to write packet");
    EXPECT_EQ(bus.RequestLength(), 0);
    // The largest request goes through whole.
    EXPECT_EQ(bus.AppendBytes(data.data(), 255), 255);
    EXPECT_EQ(bus.Transact(20), 0);
    ASSERT_TRUE(sim.Server().WaitForRequests(1));
    const auto reqs = sim.Server().Requests();
    ASSERT_EQ(reqs.size(), 1u); // the refused request never reached the unit
    EXPECT_EQ(reqs[0].data.size(), 255u);
}

TEST_F(OstraBusTest, ReadingPastTheReplyGivesZeros)
{
    Open();
    const uint8_t data[] = { 9, 9, 9, 9, 9, 9, 9, 9 };
    bus.AppendBytes(data, 8);
    ASSERT_EQ(bus.Transact(20), 0); // leaves nines in the buffer
    ASSERT_EQ(bus.Transact(128), 0);
    EXPECT_EQ(bus.ReadBytes(nullptr, 0), 4);
    uint8_t out[10];
    std::memset(out, 0xEE, sizeof out);
    EXPECT_EQ(bus.ReadBytes(out, 10), 0);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(out), 4), "VANT");
    for (int i = 4; i < 10; ++i)
        EXPECT_EQ(out[i], 0) << i;
    uint8_t more = 0xEE;
    EXPECT_EQ(bus.ReadBytes(&more, 1), 0);
    EXPECT_EQ(more, 0);
}

TEST_F(OstraBusTest, OpenFailureAndClose)
{
    EXPECT_EQ(bus.OpenPort("/dev/orrery-no-such-port", 9600, 100, 2), ENOENT);
    EXPECT_EQ(bus.LastError(), "No such file or directory");
    EXPECT_FALSE(bus.HasPort());
    EXPECT_EQ(bus.PortName(), "");
    Open();
    EXPECT_EQ(bus.Baud(), 9600);
    EXPECT_EQ(bus.UnitAddress(), 2);
    EXPECT_EQ(bus.ReadTimeout(), TimeoutMs);
    EXPECT_EQ(bus.Purge(), 0);
    EXPECT_EQ(bus.ClosePort(), 0);
    EXPECT_FALSE(bus.HasPort());
    EXPECT_EQ(bus.PortName(), "");
    EXPECT_EQ(bus.Transact(128), linkerr::NotConnected);
    Open(); // the port is free again
    EXPECT_EQ(bus.Transact(128), 0);
    // A failed open in place of an open port leaves no port and no stale name behind.
    EXPECT_EQ(bus.OpenPort("/dev/orrery-no-such-port", 9600, 100, 2), ENOENT);
    EXPECT_FALSE(bus.HasPort());
    EXPECT_EQ(bus.PortName(), "");
    EXPECT_EQ(bus.Transact(128), linkerr::NotConnected);
}

TEST(OstraBusTextTest, SerialErrorTexts)
{
    const char* texts[] = { "Unable to write packet", "Unable to read packet", "Time-out",
                            "Bad checksum", "NAK received", "Bad ACK or NAK" };
    for (int code = -1; code >= -6; --code)
        EXPECT_EQ(COstraBus::SerialErrorText(code), texts[-code - 1]);
    EXPECT_EQ(COstraBus::SerialErrorText(-7), "Unknown error");
    EXPECT_EQ(COstraBus::SerialErrorText(0), "Unknown error");
}

} // namespace

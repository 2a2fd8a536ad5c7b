#include "link/Ostrabus.h"
#include "link/Serialframe.h"
#include "platform/Serialport.h"
#include "support/Simfixture.h"

#include <gtest/gtest.h>

#include <numeric>

namespace {

std::vector<uint8_t> Bytes(int n)
{
    std::vector<uint8_t> v(static_cast<size_t>(n));
    std::iota(v.begin(), v.end(), uint8_t { 1 });
    return v;
}

TEST(SerialFrameTest, GoldenFrames)
{
    const struct {
        uint8_t address, command;
        int length;
        std::vector<uint8_t> frame;
    } cases[] = {
        { 2, 128, 0, { 0x10, 0x80, 0x90 } },
        { 2, 5, 1, { 0x11, 0x05, 0x01, 0x15 } },
        { 2, 5, 6, { 0x16, 0x05, 1, 2, 3, 4, 5, 6, 0x16 ^ 0x05 ^ 1 ^ 2 ^ 3 ^ 4 ^ 5 ^ 6 } },
        { 2, 5, 7, { 0x17, 0x05, 7, 1, 2, 3, 4, 5, 6, 7, 0x17 ^ 0x05 ^ 7 ^ 1 ^ 2 ^ 3 ^ 4 ^ 5 ^ 6 ^ 7 } },
        { 31, 255, 0, { 0xF8, 0xFF, 0x07 } },
        { 0, 10, 0, { 0x00, 0x0A, 0x0A } },
    };
    for (const auto& c : cases) {
        const auto data = Bytes(c.length);
        EXPECT_EQ(serialframe::BuildFrame(c.address, c.command, data.data(), c.length), c.frame)
            << "length " << c.length;
        EXPECT_EQ(serialframe::Checksum(c.frame.data(), static_cast<int>(c.frame.size())), 0);
    }
    const auto big = Bytes(255);
    const auto frame = serialframe::BuildFrame(2, 9, big.data(), 255);
    ASSERT_EQ(frame.size(), 259u);
    EXPECT_EQ(frame[0], 0x17);
    EXPECT_EQ(frame[2], 255);
}

class SerialFramePtyTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(sim.Ok()) << sim.Error();
        ASSERT_EQ(port.Open(sim.Path(), 9600, platform::SerialPort::ParityOdd, 200), 0);
    }
    testsupport::SimPty sim;
    platform::SerialPort port;
    uint8_t buffer[serialframe::ReplyBufferSize] = {};
};

TEST_F(SerialFramePtyTest, HeaderGrowsAtSevenDataBytes)
{
    sim.Unit().Register(40, [](const std::vector<uint8_t>&, std::vector<uint8_t>& r) { r = { 0 }; return true; });
    for (int n : { 6, 7 }) {
        sim.Server().ClearLog();
        const auto data = Bytes(n);
        ASSERT_EQ(serialframe::WriteFrame(port, 2, 40, static_cast<uint8_t>(n), data.data()), 0);
        uint8_t a, c, l;
        ASSERT_EQ(serialframe::ReadFrame(port, a, c, l, buffer), 0);
        ASSERT_TRUE(sim.Server().WaitForRequests(1));
        const auto req = sim.Server().Requests().at(0);
        EXPECT_EQ(req.raw, serialframe::BuildFrame(2, 40, data.data(), n));
        EXPECT_EQ(req.raw.size(), static_cast<size_t>(n == 6 ? 9 : 11));
        EXPECT_EQ(req.data, data);
    }
}

TEST_F(SerialFramePtyTest, EmptyReplyLeavesOnlyTheChecksum)
{
    sim.Unit().Register(200, [](const std::vector<uint8_t>&, std::vector<uint8_t>& r) { r.clear(); return true; });
    ASSERT_EQ(serialframe::WriteFrame(port, 2, 200, 0, nullptr), 0);
    uint8_t a = 0, c = 0, l = 99;
    ASSERT_EQ(serialframe::ReadFrame(port, a, c, l, buffer), 0);
    EXPECT_EQ(a, 2);
    EXPECT_EQ(c, 200);
    EXPECT_EQ(l, 0);
    EXPECT_EQ(buffer[0], 0x10 ^ 200);
    ASSERT_TRUE(sim.Server().WaitForProgramAcks(1));
    EXPECT_EQ(sim.Server().ProgramAcks().at(0), serialframe::Ack);
}

TEST_F(SerialFramePtyTest, HandshakeFaults)
{
    using Fault = simunit::SimSerialServer::Fault;
    const struct {
        Fault fault;
        int write, read;
    } cases[] = {
        { Fault::AnswerNak, linkerr::NakReceived, 0 },
        { Fault::Stall, linkerr::Timeout, 0 },
        { Fault::DropReply, 0, linkerr::Timeout },
        { Fault::ShortFrame, 0, linkerr::BadChecksum },
        { Fault::CorruptChecksum, 0, linkerr::BadChecksum },
    };
    size_t acks = 0;
    for (const auto& c : cases) {
        port.Purge();
        sim.Server().SetFault(c.fault);
        const int w = serialframe::WriteFrame(port, 2, 128, 0, nullptr);
        EXPECT_EQ(w, c.write) << static_cast<int>(c.fault);
        if (w == 0) {
            uint8_t a, cmd, l;
            const int r = serialframe::ReadFrame(port, a, cmd, l, buffer);
            EXPECT_EQ(r, c.read) << static_cast<int>(c.fault);
            // A frame that arrived is answered; the unit takes the answer before the next purge.
            if (r != linkerr::Timeout) {
                ASSERT_TRUE(sim.Server().WaitForProgramAcks(++acks));
            }
        }
    }
}

TEST_F(SerialFramePtyTest, FrameCutShortIsAnsweredWithNak)
{
    sim.Server().SetFault(simunit::SimSerialServer::Fault::ShortFrame);
    ASSERT_EQ(serialframe::WriteFrame(port, 2, 128, 0, nullptr), 0);
    uint8_t a, cmd, l;
    EXPECT_EQ(serialframe::ReadFrame(port, a, cmd, l, buffer), linkerr::BadChecksum);
    ASSERT_TRUE(sim.Server().WaitForProgramAcks(1));
    EXPECT_EQ(sim.Server().ProgramAcks(), (std::vector<uint8_t>{serialframe::Nak}));
}

TEST_F(SerialFramePtyTest, ARequestInPlaceOfALostAcknowledgementIsAnswered)
{
    // The reply is taken off the line without its acknowledgement, as when the program closes
    // the port right after it (the close discards the unsent acknowledgement): the next request
    // comes while the unit still waits for one, and is answered all the same.
    ASSERT_TRUE(port.Write(serialframe::BuildFrame(2, 128, nullptr, 0).data(), 3));
    ASSERT_EQ(port.Read(buffer, 1), 1);
    ASSERT_EQ(buffer[0], serialframe::Ack);
    ASSERT_TRUE(sim.Server().WaitForRequests(1));
    // The reply, read whole by its length.
    uint8_t head[3] = {};
    ASSERT_EQ(port.Read(head, 2), 2);
    ASSERT_EQ(head[0] >> 3, 2);
    int length = head[0] & 7;
    if (length == serialframe::ShortLengthLimit) {
        ASSERT_EQ(port.Read(head + 2, 1), 1);
        length = head[2];
    }
    ASSERT_EQ(port.Read(buffer, length + 1), length + 1);

    uint8_t a = 0, cmd = 0, l = 0;

    ASSERT_EQ(serialframe::WriteFrame(port, 2, 128, 0, nullptr), 0);
    ASSERT_EQ(serialframe::ReadFrame(port, a, cmd, l, buffer), 0);
    EXPECT_EQ(cmd, 128);
    ASSERT_TRUE(sim.Server().WaitForProgramAcks(1));
    EXPECT_EQ(sim.Server().ProgramAcks(), (std::vector<uint8_t>{serialframe::Ack}));
    EXPECT_EQ(sim.Server().Requests().size(), 2u);
}

TEST_F(SerialFramePtyTest, BroadcastIsNotAcknowledged)
{
    ASSERT_EQ(serialframe::WriteFrame(port, 0, 128, 0, nullptr), 0);
    ASSERT_TRUE(sim.Server().WaitForRequests(1));
    EXPECT_EQ(sim.Server().Requests().at(0).address, 0);
    EXPECT_TRUE(sim.Server().ProgramAcks().empty());
}

} // namespace

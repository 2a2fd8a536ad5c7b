#include "link/Ostrabus.h"
#include "link/Serialexchange.h"
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

// The exchange the link runs, on the test's own port.
class SerialExchangePtyTest : public SerialFramePtyTest {
protected:
    int Run(uint8_t command, int& length)
    {
        SSerialRequest request;
        request.address = 2;
        request.command = command;
        CPortLine line(port);
        CSerialExchange exchange(line, account, nullptr);
        return exchange.Run(request, buffer, length);
    }
    CSerialAccount account;
};

TEST_F(SerialExchangePtyTest, EmptyReplyHasNoData)
{
    sim.Unit().Register(200, [](const std::vector<uint8_t>&, std::vector<uint8_t>& r) { r.clear(); return true; });
    int length = 99;
    ASSERT_EQ(Run(200, length), 0);
    EXPECT_EQ(length, 0);
    ASSERT_TRUE(sim.Server().WaitForProgramAcks(1));
    EXPECT_EQ(sim.Server().ProgramAcks().at(0), serialframe::Ack);
}

TEST_F(SerialExchangePtyTest, FrameCutShortIsAnsweredWithNak)
{
    sim.Server().SetFault(simunit::SimSerialServer::Fault::ShortFrame);
    int length = 0;
    EXPECT_EQ(Run(128, length), linkerr::BadChecksum);
    ASSERT_TRUE(sim.Server().WaitForProgramAcks(1));
    EXPECT_EQ(sim.Server().ProgramAcks(), (std::vector<uint8_t>{serialframe::Nak}));
}

TEST_F(SerialExchangePtyTest, ARequestInPlaceOfALostAcknowledgementIsAnswered)
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

    ASSERT_EQ(Run(128, length), 0);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(buffer), static_cast<size_t>(length)), "VANT");
    ASSERT_TRUE(sim.Server().WaitForProgramAcks(1));
    EXPECT_EQ(sim.Server().ProgramAcks(), (std::vector<uint8_t>{serialframe::Ack}));
    EXPECT_EQ(sim.Server().Requests().size(), 2u);
}

} // namespace

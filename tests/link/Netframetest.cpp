// Golden bytes of the function-23 request frame and the reply parser's bounds.

#include "link/Modbusframe.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

using namespace modbusframe;

namespace {

std::vector<uint8_t> Build(uint8_t unitId, uint8_t command, const std::vector<uint8_t>& data)
{
    std::vector<uint8_t> frame(MaxFrameSize, 0xEE);
    int size = BuildRequest(frame.data(), static_cast<int>(frame.size()), unitId, command,
                            data.data(), static_cast<int>(data.size()));
    frame.resize(static_cast<size_t>(size));
    return frame;
}

} // namespace

TEST(NetFrame, RequestWithoutDataIs21Bytes)
{
    const std::vector<uint8_t> expected = {
        0x00, 0x00, 0x00, 0x00, 0x00, 15,   // ids, length B + 13
        0x05, 0x17,                          // unit id, function 23
        0xFF, 0xFF, 0x00, 0x00,              // read start, read quantity
        0xFF, 0xFF, 0x00, 0x01, 0x02,        // write start, W = 1, B = 2
        255, 0,                              // command, data length
        0x00, 0x00};                         // filler
    EXPECT_EQ(Build(5, 255, {}), expected);
}

TEST(NetFrame, GatewayPortListRequestIs23Bytes)
{
    const std::vector<uint8_t> expected = {
        0x00, 0x00, 0x00, 0x00, 0x00, 17,
        0x00, 0x17,
        0xFF, 0xFF, 0x00, 0x00,
        0xFF, 0xFF, 0x00, 0x02, 0x04,
        0, 1, 2,                             // command 0, one byte: sub-command 2
        0x00, 0x00, 0x00};
    EXPECT_EQ(Build(0, 0, {2}), expected);
}

TEST(NetFrame, RequestWith18DataBytes)
{
    std::vector<uint8_t> data;
    for (uint8_t i = 1; i <= 18; ++i)
        data.push_back(static_cast<uint8_t>(0xA0 + i));
    std::vector<uint8_t> expected = {
        0x00, 0x00, 0x00, 0x00, 0x00, 33,    // W = 10, B = 20, frame 39 bytes
        0x07, 0x17,
        0xFF, 0xFF, 0x00, 0x00,
        0xFF, 0xFF, 0x00, 0x0A, 20,
        42, 18};
    expected.insert(expected.end(), data.begin(), data.end());
    expected.insert(expected.end(), {0x00, 0x00});
    EXPECT_EQ(Build(7, 42, data), expected);
}

TEST(NetFrame, LengthFieldIsBytesSentMinusSix)
{
    for (int n = 0; n <= 255; ++n) {
        std::vector<uint8_t> data(static_cast<size_t>(n), 0x5A);
        auto frame = Build(1, 9, data);
        // B + 19 bytes, with B = 2 * ((n + 3) / 2) bytes of registers.
        ASSERT_EQ(static_cast<int>(frame.size()), 2 * ((n + 3) / 2) + 19) << n;
        EXPECT_EQ(LengthField(frame.data()), static_cast<int>(frame.size()) - 6) << n;
        // The byte count is one byte: for 253 data bytes and more it keeps the low 8 bits.
        EXPECT_EQ(frame[16], (2 * frame[15]) & 0xFF) << n;
        for (size_t i = 19 + static_cast<size_t>(n); i < frame.size(); ++i)
            EXPECT_EQ(frame[i], 0) << "filler at " << i << " for n=" << n;
    }
}

TEST(NetFrame, OversizedRequestIsRefused)
{
    uint8_t frame[MaxFrameSize];
    uint8_t data[300] = {};
    EXPECT_EQ(BuildRequest(frame, sizeof frame, 0, 1, data, 256), 0);
    EXPECT_EQ(BuildRequest(frame, 20, 0, 1, data, 0), 0);
}

namespace {

std::vector<uint8_t> ReplyFrame(int lengthField, std::vector<uint8_t> tail)
{
    tail.insert(tail.begin(), {0, 0, 0, 0, static_cast<uint8_t>(lengthField >> 8),
                               static_cast<uint8_t>(lengthField & 0xFF)});
    return tail;
}

} // namespace

TEST(NetFrame, ReplyData)
{
    auto f = ReplyFrame(8, {1, 0x17, 5, 128, 3, 'A', 'B', 'C'});
    Reply r = ParseReply(f.data(), static_cast<int>(f.size()));
    ASSERT_EQ(r.kind, Reply::Data);
    EXPECT_EQ(r.dataCount, 3);
    EXPECT_EQ(r.replyLength, 3);
    EXPECT_EQ(r.dataOffset, 11);
}

TEST(NetFrame, ReplyExceptionTextStaysInsideTheFrame)
{
    // Text without a terminating zero: it ends where the frame ends, not past it.
    auto f = ReplyFrame(7, {0, 0x97, 6, 'B', 'u', 's', 'y', 'X', 'X'});
    Reply r = ParseReply(f.data(), static_cast<int>(f.size()));
    ASSERT_EQ(r.kind, Reply::Exception);
    EXPECT_EQ(r.exceptionCode, 6);
    EXPECT_EQ(r.text, "Busy");

    auto g = ReplyFrame(3, {0, 0x97, 2});
    r = ParseReply(g.data(), static_cast<int>(g.size()));
    ASSERT_EQ(r.kind, Reply::Exception);
    EXPECT_EQ(r.exceptionCode, 2);
    EXPECT_EQ(r.text, "");
}

TEST(NetFrame, MalformedRepliesAreWrongLength)
{
    struct Case {
        const char* what;
        std::vector<uint8_t> frame;
    } cases[] = {
        {"length below 5", ReplyFrame(4, {1, 0x17, 0, 0})},
        {"length zero", ReplyFrame(0, {})},
        {"length past the buffer", ReplyFrame(1019, std::vector<uint8_t>(1019, 0))},
        {"shorter than announced", ReplyFrame(9, {1, 0x17, 5, 128, 3, 'A'})},
        {"reply length byte past the data", ReplyFrame(7, {1, 0x17, 5, 128, 9, 'A', 'B'})},
        {"header cut short", {0, 0, 0, 0, 0}},
    };
    for (const auto& c : cases) {
        Reply r = ParseReply(c.frame.data(), static_cast<int>(c.frame.size()));
        EXPECT_EQ(r.kind, Reply::WrongLength) << c.what;
    }
}

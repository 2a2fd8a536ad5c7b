// Frames that answer no request of the exchange in hand, from a unit of the test's own on a
// pseudo-terminal: it answers each request with the bytes the test scripts for it.
#include "link/Ostrabus.h"
#include "link/Serialframe.h"
#include "support/Simfixture.h"

#include <gtest/gtest.h>

#include <condition_variable>
#include <cstdlib>
#include <fcntl.h>
#include <functional>
#include <mutex>
#include <poll.h>
#include <thread>
#include <unistd.h>

namespace {

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

// Reads the program's frames on the master side of a pseudo-terminal and writes, for the n-th
// request (from 0), what the script gives for it. Acknowledgements the program sends are kept.
class ScriptedUnit {
public:
    struct Request {
        uint8_t command = 0;
        std::vector<uint8_t> data;
    };
    using Script = std::function<std::vector<uint8_t>(int index, const Request& request)>;

    explicit ScriptedUnit(Script script) : script_(std::move(script))
    {
        master_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
        char name[128];
        if (master_ >= 0 && ::grantpt(master_) == 0 && ::unlockpt(master_) == 0
            && ::ptsname_r(master_, name, sizeof name) == 0) {
            path_ = name;
            // Held open so that the terminal outlives the program's closes.
            hold_ = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
        }
        if (::pipe2(stop_, O_CLOEXEC) == 0 && hold_ >= 0)
            thread_ = std::thread([this] { Serve(); });
    }
    ~ScriptedUnit()
    {
        if (thread_.joinable()) {
            const uint8_t b = 1;
            [[maybe_unused]] const ssize_t n = ::write(stop_[1], &b, 1);
            thread_.join();
        }
        for (int fd : { master_, hold_, stop_[0], stop_[1] })
            if (fd >= 0)
                ::close(fd);
    }
    bool Ok() const { return thread_.joinable(); }
    const std::string& Path() const { return path_; }
    std::vector<uint8_t> Acks() const
    {
        std::lock_guard<std::mutex> lock(mutex_);
        return acks_;
    }
    bool WaitForAcks(size_t n) const
    {
        std::unique_lock<std::mutex> lock(mutex_);
        return changed_.wait_for(lock, std::chrono::seconds(5), [&] { return acks_.size() >= n; });
    }

private:
    // One byte, or false when stopped.
    bool ReadByte(uint8_t& b)
    {
        for (;;) {
            pollfd fds[2] = { { master_, POLLIN, 0 }, { stop_[0], POLLIN, 0 } };
            if (::poll(fds, 2, -1) < 0 || (fds[1].revents & POLLIN))
                return false;
            if ((fds[0].revents & POLLIN) && ::read(master_, &b, 1) == 1)
                return true;
        }
    }
    void Serve()
    {
        int index = 0;
        uint8_t first = 0;
        while (ReadByte(first)) {
            if (first == serialframe::Ack || first == serialframe::Nak) {
                std::lock_guard<std::mutex> lock(mutex_);
                acks_.push_back(first);
                changed_.notify_all();
                continue;
            }
            Request req;
            uint8_t b = 0;
            if (!ReadByte(req.command))
                return;
            int length = first & 7;
            if (length == serialframe::ShortLengthLimit) {
                if (!ReadByte(b))
                    return;
                length = b;
            }
            for (int i = 0; i < length; ++i) {
                if (!ReadByte(b))
                    return;
                req.data.push_back(b);
            }
            if (!ReadByte(b)) // the checksum
                return;
            const std::vector<uint8_t> out = script_(index++, req);
            if (!out.empty() && ::write(master_, out.data(), out.size()) != static_cast<ssize_t>(out.size()))
                return;
        }
    }

    Script script_;
    int master_ = -1;
    int hold_ = -1;
    int stop_[2] = { -1, -1 };
    std::string path_;
    std::thread thread_;
    mutable std::mutex mutex_;
    mutable std::condition_variable changed_;
    std::vector<uint8_t> acks_;
};

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
    // request's own reply: another command's, another unit's, one echoing another selector.
    Start([](int index, const ScriptedUnit::Request& req) {
        const uint8_t tag = req.data.at(0);
        const std::vector<uint8_t> ack { serialframe::Ack };
        switch (index) {
        case 0: return Join({ ack, Echo(OtherCommand, 99), Echo(req.command, tag) });
        case 1: return Join({ ack, Frame(req.command, { 0, 98 }, Address + 1), Echo(req.command, tag) });
        default: return Join({ ack, Frame(req.command, { 97, 1, 2 }), Frame(req.command, { tag, 1, 2 }) });
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
        "Wr:  Cmd=165 Bytes=1  4 ",  "Rd:  Cmd=165 Bytes=3  97 1 2  (stale)", "Rd:  Cmd=165 Bytes=3  4 1 2 ",
    };
    EXPECT_EQ(log.lines, expected);
    // Every frame was acknowledged as the handshake asks, the passed-over ones too.
    ASSERT_TRUE(unit->WaitForAcks(6));
    EXPECT_EQ(unit->Acks(), std::vector<uint8_t>(6, serialframe::Ack));
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

TEST_F(OstraBusPassOverTest, ReplyStillArrivingWhenTheDrainEndsIsNotTakenByTheNextRequest)
{
    // The unit acknowledges the first request and starts its reply, which stops after the
    // first byte: the request times out and the link drains the line. The rest of that reply
    // comes only once the next request has gone out - after the drain - and behind it, as a
    // unit that queues its output sends it, the late reply once more whole, then the
    // request's own.
    Start([](int index, const ScriptedUnit::Request& req) {
        const uint8_t tag = req.data.at(0);
        const std::vector<uint8_t> ack { serialframe::Ack };
        const std::vector<uint8_t> late = Echo(EchoCommand, 1);
        if (index == 0)
            return Join({ ack, { late.front() } });
        if (index == 1)
            return Join({ ack, std::vector<uint8_t>(late.begin() + 1, late.end()), late, Echo(req.command, tag) });
        return Join({ ack, Echo(req.command, tag) });
    });
    int echoed = 0;
    EXPECT_EQ(Tagged(EchoCommand, 1, echoed), linkerr::Timeout);
    const int next = Tagged(OtherCommand, 2, echoed);
    EXPECT_NE(echoed, 1) << "the late reply was taken";
    if (next == 0) {
        EXPECT_EQ(echoed, 2);
    }
    EXPECT_EQ(Tagged(EchoCommand, 3, echoed), 0) << bus.LastError();
    EXPECT_EQ(echoed, 3);
}

} // namespace

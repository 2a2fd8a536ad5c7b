#include "simunit/Simserial.h"

#include "link/Serialframe.h"

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

namespace simunit {

namespace {

speed_t SpeedOf(int baud)
{
    switch (baud) {
    case 1200: return B1200;
    case 2400: return B2400;
    case 4800: return B4800;
    case 19200: return B19200;
    case 38400: return B38400;
    case 57600: return B57600;
    default: return B9600;
    }
}

void CloseFd(int& fd)
{
    if (fd >= 0)
        ::close(fd);
    fd = -1;
}

} // namespace

SimSerialServer::SimSerialServer(SimUnit& unit, int baud) : unit_(unit), baud_(baud) {}

SimSerialServer::~SimSerialServer() { Stop(); }

bool SimSerialServer::Start(std::string* error)
{
    auto fail = [&](const char* what) {
        if (error)
            *error = std::string(what) + ": " + std::strerror(errno);
        CloseFd(master_);
        CloseFd(slaveHold_);
        CloseFd(wakeRead_);
        CloseFd(wakeWrite_);
        CloseFd(releaseRead_);
        CloseFd(releaseWrite_);
        return false;
    };
    if (Running())
        return true;
    master_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master_ < 0)
        return fail("posix_openpt");
    if (::grantpt(master_) != 0 || ::unlockpt(master_) != 0)
        return fail("grantpt");
    char name[128];
    if (::ptsname_r(master_, name, sizeof name) != 0)
        return fail("ptsname");
    ptyPath_ = name;
    slaveHold_ = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (slaveHold_ < 0)
        return fail("open terminal");
    termios tio {};
    if (::tcgetattr(slaveHold_, &tio) != 0)
        return fail("tcgetattr");
    ::cfmakeraw(&tio);
    tio.c_cflag |= CLOCAL | CREAD | PARENB | PARODD;
    ::cfsetispeed(&tio, SpeedOf(baud_));
    ::cfsetospeed(&tio, SpeedOf(baud_));
    if (::tcsetattr(slaveHold_, TCSANOW, &tio) != 0)
        return fail("tcsetattr");
    ::fcntl(master_, F_SETFL, ::fcntl(master_, F_GETFL) | O_NONBLOCK);
    int pipefd[2];
    if (::pipe2(pipefd, O_CLOEXEC | O_NONBLOCK) != 0)
        return fail("pipe");
    wakeRead_ = pipefd[0];
    wakeWrite_ = pipefd[1];
    if (::pipe2(pipefd, O_CLOEXEC | O_NONBLOCK) != 0)
        return fail("pipe");
    releaseRead_ = pipefd[0];
    releaseWrite_ = pipefd[1];
    stopping_ = false;
    thread_ = std::thread([this] { Serve(); });
    return true;
}

void SimSerialServer::Stop()
{
    if (thread_.joinable()) {
        stopping_ = true;
        const uint8_t b = 1;
        [[maybe_unused]] const ssize_t n = ::write(wakeWrite_, &b, 1);
        thread_.join();
    }
    CloseFd(master_);
    CloseFd(slaveHold_);
    CloseFd(wakeRead_);
    CloseFd(wakeWrite_);
    CloseFd(releaseRead_);
    CloseFd(releaseWrite_);
    held_.clear();
    owedAcks_.clear();
}

void SimSerialServer::SetFault(Fault fault, int times)
{
    std::lock_guard<std::mutex> lock(mutex_);
    fault_ = fault;
    faultTimes_ = times;
}

void SimSerialServer::SetRecurringFault(Fault fault, int every)
{
    std::lock_guard<std::mutex> lock(mutex_);
    recurring_ = every > 0 ? fault : Fault::None;
    recurringEvery_ = every > 0 ? every : 0;
    recurringCount_ = 0;
}

void SimSerialServer::SetMs(int& field, int ms)
{
    std::lock_guard<std::mutex> lock(mutex_);
    field = ms < 0 ? 0 : ms;
}

void SimSerialServer::SetLateReplyMs(int ms) { SetMs(lateReplyMs_, ms); }

void SimSerialServer::SetProgramTimeoutMs(int ms) { SetMs(programTimeoutMs_, ms); }

void SimSerialServer::SetCopyDelayMs(int ms) { SetMs(copyDelayMs_, ms); }

void SimSerialServer::SetDribbleGapMs(int ms) { SetMs(dribbleGapMs_, ms); }

void SimSerialServer::SetStreamMs(int ms) { SetMs(streamMs_, ms); }

void SimSerialServer::ReleaseHeldReply()
{
    const uint8_t b = 1;
    if (releaseWrite_ >= 0)
        [[maybe_unused]] const ssize_t n = ::write(releaseWrite_, &b, 1);
}

int SimSerialServer::StaleFramesSent() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return staleSent_;
}

bool SimSerialServer::WaitForStaleFramesSent(int n, int timeoutMs) const
{
    std::unique_lock<std::mutex> lock(mutex_);
    return changed_.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] { return staleSent_ >= n; });
}

void SimSerialServer::SendStale(const std::vector<uint8_t>& frame, std::optional<uint8_t> before)
{
    std::vector<uint8_t> bytes;
    if (before)
        bytes.push_back(*before);
    bytes.insert(bytes.end(), frame.begin(), frame.end());
    if (!WriteAll(bytes.data(), bytes.size()))
        return;
    OweAck();
    {
        std::lock_guard<std::mutex> lock(mutex_);
        ++staleSent_;
    }
    changed_.notify_all();
}

void SimSerialServer::OweAck() { owedAcks_.push_back(std::chrono::steady_clock::now()); }

void SimSerialServer::DropInput()
{
    uint8_t junk[256];
    while (::read(master_, junk, sizeof junk) > 0) {
    }
}

bool SimSerialServer::ServeApart(Fault fault, const std::vector<uint8_t>& frame)
{
    using serialframe::Ack;
    int timeoutMs = 0, dribbleMs = 0, streamMs = 0;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        timeoutMs = programTimeoutMs_;
        dribbleMs = dribbleGapMs_;
        streamMs = streamMs_ > 0 ? streamMs_ : 3 * programTimeoutMs_;
    }
    switch (fault) {
    case Fault::SlowStages: {
        // Each stage within the program's read time-out, but late in it.
        const int stageMs = timeoutMs * SlowStagePercent / 100;
        if (!Pause(stageMs) || !WriteAll(&Ack, 1) || !Pause(stageMs) || !WriteAll(frame.data(), frame.size()))
            return true;
        OweAck();
        return true;
    }
    case Fault::BusyReply:
    case Fault::BusyDropping: {
        // Busy with this request, the unit reads nothing until it answers.
        busySeed_ = busySeed_ * 1103515245u + 12345u;
        const int tenths = fault == Fault::BusyReply ? 22 + static_cast<int>((busySeed_ >> 16) % 19) : 30;
        if (!Pause(timeoutMs * tenths / 10))
            return true;
        if (fault == Fault::BusyDropping)
            DropInput();
        SendStale(frame, Ack); // acknowledgement and reply together
        return true;
    }
    case Fault::DribbleReply:
        if (!WriteAll(&Ack, 1))
            return true;
        for (uint8_t b : frame) {
            if (!Pause(dribbleMs) || !WriteAll(&b, 1))
                return true;
        }
        OweAck();
        return true;
    case Fault::FrameStream:
    case Fault::NulStream: {
        if (!WriteAll(&Ack, 1))
            return true;
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(streamMs);
        const uint8_t status[2] = { 0, 0 };
        const auto other = serialframe::BuildFrame(static_cast<uint8_t>(unit_.Address()), StreamCommand, status, 2);
        const uint8_t nul = 0;
        while (std::chrono::steady_clock::now() < end) {
            if (fault == Fault::FrameStream)
                SendStale(other);
            else if (!WriteAll(&nul, 1))
                return true;
            if (!Pause(StreamGapMs))
                return true;
        }
        SendStale(frame);
        return true;
    }
    default: return false;
    }
}

void SimSerialServer::SendHeld()
{
    if (held_.empty())
        return;
    const std::vector<uint8_t> frame = std::move(held_);
    held_.clear();
    SendStale(frame);
}

bool SimSerialServer::IsOwedAcknowledgement(uint8_t first)
{
    if (first != serialframe::Ack && first != serialframe::Nak)
        return false;
    // A stale frame the program threw away is never acknowledged: its debt lapses.
    const auto now = std::chrono::steady_clock::now();
    while (!owedAcks_.empty() && now - owedAcks_.front() > std::chrono::milliseconds(AckWaitMs))
        owedAcks_.pop_front();
    if (!owedAcks_.empty()) {
        owedAcks_.pop_front();
        return true;
    }
    // The program sends no broadcast with six data bytes: an ACK byte is always one.
    if (first == serialframe::Ack)
        return true;
    // Owed nothing, a lone NAK is still an acknowledgement: the program writes a frame in one
    // piece, so a frame's first byte (a NAK is also the start of a frame to unit 2 with five
    // data bytes) never comes alone.
    pollfd more { master_, POLLIN, 0 };
    return ::poll(&more, 1, 0) == 0;
}

SimSerialServer::Fault SimSerialServer::TakeFault()
{
    std::lock_guard<std::mutex> lock(mutex_);
    if (fault_ == Fault::None || faultTimes_ == 0) {
        if (recurring_ != Fault::None && ++recurringCount_ >= recurringEvery_) {
            recurringCount_ = 0;
            return recurring_;
        }
        return Fault::None;
    }
    const Fault f = fault_;
    if (faultTimes_ > 0 && --faultTimes_ == 0)
        fault_ = Fault::None;
    return f;
}

std::vector<SimSerialServer::Request> SimSerialServer::Requests() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return requests_;
}

std::vector<uint8_t> SimSerialServer::ProgramAcks() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return acks_;
}

void SimSerialServer::ClearLog()
{
    std::lock_guard<std::mutex> lock(mutex_);
    requests_.clear();
    acks_.clear();
}

bool SimSerialServer::WaitForRequests(size_t n, int timeoutMs) const
{
    std::unique_lock<std::mutex> lock(mutex_);
    return changed_.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] { return requests_.size() >= n; });
}

bool SimSerialServer::WaitForProgramAcks(size_t n, int timeoutMs) const
{
    std::unique_lock<std::mutex> lock(mutex_);
    return changed_.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] { return acks_.size() >= n; });
}

void SimSerialServer::Record(const Request& r)
{
    // The answer ended with its last byte written; a request not answered ends now.
    answers_.Note(r.command, r.data.data(), r.data.size(), answerBytes_,
                  answerBytes_ > 0 ? lastWritten_ : std::chrono::steady_clock::now());
    {
        std::lock_guard<std::mutex> lock(mutex_);
        requests_.push_back(r);
    }
    changed_.notify_all();
}

void SimSerialServer::RecordAck(uint8_t b)
{
    {
        std::lock_guard<std::mutex> lock(mutex_);
        acks_.push_back(b);
    }
    changed_.notify_all();
}

bool SimSerialServer::ReadExact(uint8_t* dest, int n, int timeoutMs)
{
    int got = 0;
    while (got < n) {
        if (stopping_)
            return false;
        const ssize_t r = ::read(master_, dest + got, static_cast<size_t>(n - got));
        if (r > 0) {
            got += static_cast<int>(r);
            continue;
        }
        if (r < 0 && errno != EAGAIN && errno != EINTR && errno != EIO)
            return false;
        pollfd fds[2] = { { master_, POLLIN, 0 }, { wakeRead_, POLLIN, 0 } };
        const int p = ::poll(fds, 2, timeoutMs);
        if (p == 0 || (fds[1].revents & POLLIN))
            return false;
        if (p < 0 && errno != EINTR)
            return false;
    }
    return true;
}

bool SimSerialServer::WriteAll(const uint8_t* data, size_t n)
{
    size_t done = 0;
    while (done < n) {
        if (stopping_)
            return false;
        const ssize_t r = ::write(master_, data + done, n - done);
        if (r > 0) {
            done += static_cast<size_t>(r);
            answerBytes_ += static_cast<int>(r);
            lastWritten_ = std::chrono::steady_clock::now();
            continue;
        }
        if (r < 0 && errno != EAGAIN && errno != EINTR)
            return false;
        pollfd fds[2] = { { master_, POLLOUT, 0 }, { wakeRead_, POLLIN, 0 } };
        if (::poll(fds, 2, AckWaitMs) <= 0 || (fds[1].revents & POLLIN))
            return false;
    }
    return true;
}

bool SimSerialServer::Pause(int ms)
{
    pollfd wake { wakeRead_, POLLIN, 0 };
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    for (;;) {
        if (stopping_)
            return false;
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now());
        if (left.count() <= 0)
            return true;
        if (::poll(&wake, 1, static_cast<int>(left.count())) > 0)
            return false;
    }
}

void SimSerialServer::Serve()
{
    while (!stopping_) {
        pollfd fds[3] = { { master_, POLLIN, 0 }, { wakeRead_, POLLIN, 0 }, { releaseRead_, POLLIN, 0 } };
        const int p = ::poll(fds, 3, -1);
        if (p < 0 && errno != EINTR)
            break;
        if (fds[1].revents & POLLIN)
            break;
        if (fds[2].revents & POLLIN) {
            uint8_t asked[16];
            while (::read(releaseRead_, asked, sizeof asked) > 0) {
            }
            SendHeld();
        }
        if (!(fds[0].revents & POLLIN))
            continue;
        uint8_t first = 0;
        const ssize_t r = ::read(master_, &first, 1);
        if (r != 1)
            continue;
        if (xilinxLeft_ > 0) {
            ServeXilinxBlock(first);
        } else if (IsOwedAcknowledgement(first)) {
            RecordAck(first); // for a frame sent apart from its exchange
        } else {
            SendHeld(); // a reply held back goes out as the next frame starts
            ServeFrame(first);
        }
    }
}

void SimSerialServer::ServeFrame(uint8_t first)
{
    using serialframe::Ack;
    using serialframe::Nak;
    answerBytes_ = 0;
    Request req;
    req.raw.push_back(first);
    uint8_t b = 0;
    if (!ReadExact(&b, 1, ByteGapMs))
        return;
    req.raw.push_back(b);
    int length = first & 7;
    if (length == serialframe::ShortLengthLimit) {
        if (!ReadExact(&b, 1, ByteGapMs))
            return;
        req.raw.push_back(b);
        length = b;
    }
    const size_t head = req.raw.size();
    req.raw.resize(head + static_cast<size_t>(length) + 1);
    if (!ReadExact(req.raw.data() + head, length + 1, ByteGapMs))
        return; // a broken frame is dropped; the program times out
    req.address = static_cast<uint8_t>(first >> 3);
    req.command = req.raw[1];
    req.data.assign(req.raw.begin() + static_cast<long>(head), req.raw.end() - 1);
    req.checksumOk = serialframe::Checksum(req.raw.data(), static_cast<int>(req.raw.size())) == 0;

    const int address = unit_.Address();
    const bool broadcast = req.address == serialframe::BroadcastAddress;
    const bool mine = req.address == address;
    if (!broadcast && !mine) {
        Record(req); // another unit's frame
        return;
    }
    if (!req.checksumOk) {
        if (mine)
            WriteAll(&Nak, 1);
        Record(req);
        return;
    }
    std::vector<uint8_t> reply;
    if (broadcast) {
        unit_.Answer(req.command, req.data, reply); // act, but say nothing
        Record(req);
        return;
    }
    const Fault fault = TakeFault();
    if (fault == Fault::Stall) {
        Record(req);
        return;
    }
    if (fault == Fault::AnswerNak) {
        WriteAll(&Nak, 1);
        Record(req);
        return;
    }
    unit_.Answer(req.command, req.data, reply);
    if (fault == Fault::NakThenReply) {
        const auto frame = serialframe::BuildFrame(static_cast<uint8_t>(address), req.command, reply.data(),
                                                   static_cast<int>(reply.size()));
        SendStale(frame, Nak); // one write: the stale frame waits behind the NAK
        Record(req);
        return;
    }
    std::vector<uint8_t> frame = serialframe::BuildFrame(static_cast<uint8_t>(address), req.command,
                                                         reply.data(), static_cast<int>(reply.size()));
    if (fault == Fault::NakApartReply) {
        // The reply follows the NAK in a write of its own; the program has its answer by then.
        if (WriteAll(&Nak, 1) && Pause(NakApartGapMs))
            SendStale(frame);
        Record(req);
        return;
    }
    if (ServeApart(fault, frame)) {
        Record(req);
        return;
    }
    if (!WriteAll(&Ack, 1)) {
        Record(req);
        return;
    }
    if (fault == Fault::DropReply) {
        Record(req);
        return;
    }
    if (fault == Fault::LateReply || fault == Fault::ReplyAfterTwoTimeouts) {
        int lateMs = 0;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            lateMs = fault == Fault::LateReply ? lateReplyMs_ : 2 * programTimeoutMs_;
        }
        // The program has given up on this reply when it comes: no acknowledgement is waited
        // for, a byte now would be the start of its next request.
        if (Pause(lateMs))
            SendStale(frame);
        Record(req);
        return;
    }
    if (fault == Fault::HeldReply) {
        held_ = frame;
        Record(req);
        return;
    }
    if (fault == Fault::StrayAfterReply)
        frame.insert(frame.end(), std::begin(StrayBytes), std::end(StrayBytes));
    if (fault == Fault::CorruptChecksum)
        frame.back() ^= 0x5A;
    if (fault == Fault::ShortFrame)
        frame.pop_back();
    const bool sent = WriteAll(frame.data(), frame.size());
    Record(req);
    if (!sent)
        return;
    // A frame cut short is answered too (with NAK), so the acknowledgement is read as for any.
    uint8_t answer = 0;
    const bool answered = ReadExact(&answer, 1, AckWaitMs);
    const bool acknowledged = answered && (answer == serialframe::Ack || answer == serialframe::Nak);
    if (acknowledged)
        RecordAck(answer);
    if (fault == Fault::ReplyTwice) {
        // The copy comes while the program may be sending its next request already.
        copyDelaySeed_ = copyDelaySeed_ * 1103515245u + 12345u;
        int copyDelayMs = 0;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            copyDelayMs = copyDelayMs_;
        }
        if (Pause(static_cast<int>((copyDelaySeed_ >> 16) % static_cast<unsigned>(copyDelayMs + 1))))
            SendStale(frame);
    }
    StartXilinxLoad(req, reply);
    // An acknowledgement can be lost (a port closed right after the reply discards what it had
    // not sent yet): a byte that is none is the start of the program's next frame.
    if (answered && !acknowledged) {
        if (xilinxLeft_ > 0)
            ServeXilinxBlock(answer);
        else
            ServeFrame(answer);
    }
}

} // namespace simunit

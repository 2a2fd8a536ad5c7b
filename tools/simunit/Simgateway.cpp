#include "simunit/Simgateway.h"

#include "link/Modbusframe.h"
#include "link/Ostrabus.h"
#include "simunit/Simunit.h"

#include <arpa/inet.h>
#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <map>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

constexpr int ExceptionIllegalFunction = 1;
constexpr int ExceptionIllegalAddress = 2;
constexpr int ExceptionDeviceFailure = 4;
constexpr int SplitPauseMs = 20; // lets the first part leave as its own segment

uint32_t GetLong(const uint8_t* p)
{
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

std::vector<uint8_t> Header(int lengthField, uint8_t unitId, uint8_t function)
{
    return {0, 0, 0, 0, uint8_t(lengthField >> 8), uint8_t(lengthField & 0xFF), unitId, function};
}

std::vector<uint8_t> DataReply(uint8_t unitId, uint8_t command, const std::vector<uint8_t>& data)
{
    const int n = static_cast<int>(data.size());
    auto f = Header(n + 5, unitId, modbusframe::FunctionReadWrite);
    f.push_back(static_cast<uint8_t>((n + 2) & 0xFF));
    f.push_back(command);
    f.push_back(static_cast<uint8_t>(n & 0xFF));
    f.insert(f.end(), data.begin(), data.end());
    return f;
}

std::vector<uint8_t> ExceptionReply(uint8_t unitId, int code, const std::string& text)
{
    auto f = Header(static_cast<int>(text.size()) + 4, unitId, modbusframe::FunctionException);
    f.push_back(static_cast<uint8_t>(code));
    f.insert(f.end(), text.begin(), text.end());
    f.push_back(0);
    return f;
}

// A reply carries the transaction id of the request it answers.
void EchoTransactionId(std::vector<uint8_t>& reply, const uint8_t* request)
{
    if (reply.size() >= 2) {
        reply[0] = request[0];
        reply[1] = request[1];
    }
}

void SendAll(int fd, const uint8_t* data, size_t count, const void* peer, unsigned peerLength)
{
    if (peer) {
        sendto(fd, data, count, MSG_NOSIGNAL, static_cast<const sockaddr*>(peer), peerLength);
        return;
    }
    while (count > 0) {
        ssize_t n = send(fd, data, count, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return;
        data += n;
        count -= static_cast<size_t>(n);
    }
}

bool Take(std::mutex& m, int& count)
{
    std::lock_guard<std::mutex> lock(m);
    if (count <= 0)
        return false;
    --count;
    return true;
}

} // namespace

namespace simunit {

SimGateway::UnitAnswer SimGateway::AnswerFrom(SimUnit& unit)
{
    return [&unit](uint8_t command, const std::vector<uint8_t>& data, std::vector<uint8_t>& reply) {
        unit.Answer(command, data, reply);
        return true;
    };
}

struct SimGateway::Session {
    int port = -1; // index into ports_, -1 = none open
    int address = 0;
};

struct SimGateway::Connection {
    int fd = -1;
    Session session;
    std::vector<uint8_t> pending;
};

SimGateway::SimGateway(Role role) : role_(role)
{
    if (role_ == Role::NetworkUnit)
        versionText_.clear();
}

SimGateway::~SimGateway() { Stop(); }

void SimGateway::AddPort(const std::string& name, int unitAddress, UnitAnswer answer)
{
    std::lock_guard<std::mutex> lock(mutex_);
    ports_.push_back(GatewayPort{name, unitAddress, std::move(answer)});
}

void SimGateway::SetUnit(UnitAnswer answer)
{
    std::lock_guard<std::mutex> lock(mutex_);
    unit_ = std::move(answer);
}

void SimGateway::SetVersionText(const std::string& text)
{
    std::lock_guard<std::mutex> lock(mutex_);
    versionText_ = text;
}

void SimGateway::SetInformationText(const std::string& text)
{
    std::lock_guard<std::mutex> lock(mutex_);
    informationText_ = text;
}

std::string SimGateway::PortList() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    std::string list;
    for (const auto& p : ports_) {
        if (!list.empty())
            list += ',';
        list += p.name;
    }
    return list;
}

void SimGateway::SplitReplies(int n) { std::lock_guard<std::mutex> l(mutex_); splitCount_ = n; }
void SimGateway::AnswerBusy(int n) { std::lock_guard<std::mutex> l(mutex_); busyCount_ = n; }
void SimGateway::CloseMidReply(int n) { std::lock_guard<std::mutex> l(mutex_); closeCount_ = n; }

void SimGateway::AnswerLate(int delayMs, int n)
{
    std::lock_guard<std::mutex> l(mutex_);
    lateMs_ = delayMs;
    lateCount_ = n;
}

void SimGateway::WrongLength(int lengthField, int n)
{
    std::lock_guard<std::mutex> l(mutex_);
    wrongLengthField_ = lengthField;
    wrongLengthCount_ = n;
}

void SimGateway::PadReplies(int bytes, int n)
{
    std::lock_guard<std::mutex> l(mutex_);
    padBytes_ = bytes;
    padCount_ = n;
}

void SimGateway::TruncateReplies(int keep, int n)
{
    std::lock_guard<std::mutex> l(mutex_);
    truncateKeep_ = keep < 0 ? 0 : static_cast<size_t>(keep);
    truncateCount_ = n;
}

std::vector<std::vector<uint8_t>> SimGateway::Requests() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return requests_;
}

size_t SimGateway::RequestCount() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return requests_.size();
}

void SimGateway::ClearRequests()
{
    std::lock_guard<std::mutex> lock(mutex_);
    requests_.clear();
}

uint32_t SimGateway::LastHandle() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return lastHandle_;
}

bool SimGateway::Start(int port)
{
    if (thread_.joinable())
        return true;
    for (int attempt = 0; attempt < 20; ++attempt) {
        tcpFd_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        udpFd_ = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
        int one = 1;
        setsockopt(tcpFd_, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        addr.sin_port = htons(static_cast<uint16_t>(port));
        socklen_t len = sizeof addr;
        bool ok = tcpFd_ >= 0 && udpFd_ >= 0
            && bind(tcpFd_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0
            && listen(tcpFd_, 16) == 0
            && getsockname(tcpFd_, reinterpret_cast<sockaddr*>(&addr), &len) == 0
            && bind(udpFd_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0;
        if (ok) {
            port_ = ntohs(addr.sin_port);
            break;
        }
        close(tcpFd_);
        close(udpFd_);
        tcpFd_ = udpFd_ = -1;
        if (port != 0) // a fixed port that is taken: no second try
            return false;
    }
    if (tcpFd_ < 0 || pipe2(wakeFds_, O_CLOEXEC) != 0) {
        Stop();
        return false;
    }
    thread_ = std::thread([this] { Serve(); });
    return true;
}

void SimGateway::Stop()
{
    if (thread_.joinable()) {
        const char b = 'x';
        ssize_t ignored = write(wakeFds_[1], &b, 1);
        (void)ignored;
        thread_.join();
    }
    for (int* fd : {&tcpFd_, &udpFd_, &wakeFds_[0], &wakeFds_[1]}) {
        if (*fd >= 0)
            close(*fd);
        *fd = -1;
    }
}

void SimGateway::Serve()
{
    std::vector<Connection> conns;
    std::map<std::string, Session> udpSessions;
    for (;;) {
        std::vector<pollfd> fds = {{wakeFds_[0], POLLIN, 0}, {tcpFd_, POLLIN, 0}, {udpFd_, POLLIN, 0}};
        for (const auto& c : conns)
            fds.push_back({c.fd, POLLIN, 0});
        if (poll(fds.data(), fds.size(), -1) < 0) {
            if (errno == EINTR)
                continue;
            break;
        }
        if (fds[0].revents)
            break;
        const size_t polled = conns.size();
        if (fds[1].revents & POLLIN) {
            int fd = accept4(tcpFd_, nullptr, nullptr, SOCK_CLOEXEC);
            if (fd >= 0) {
                int one = 1;
                setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
                conns.push_back(Connection{fd, {}, {}});
            }
        }
        if (fds[2].revents & POLLIN) {
            uint8_t frame[2048];
            sockaddr_in peer{};
            socklen_t len = sizeof peer;
            ssize_t n = recvfrom(udpFd_, frame, sizeof frame, 0, reinterpret_cast<sockaddr*>(&peer), &len);
            if (n > 0) {
                std::string key(reinterpret_cast<const char*>(&peer), len);
                auto reply = Answer(udpSessions[key], frame, static_cast<int>(n));
                EchoTransactionId(reply, frame);
                bool closeAfter = false;
                const size_t replyBytes = reply.size();
                if (!reply.empty())
                    SendReply(udpFd_, std::move(reply), &peer, len, closeAfter);
                NoteAnswered(frame, static_cast<size_t>(n), replyBytes);
            }
        }
        // Connections: read what arrived and answer each whole frame.
        std::vector<int> closed;
        for (size_t i = 0; i < polled; ++i) {
            if (!fds[3 + i].revents)
                continue;
            Connection& c = conns[i];
            uint8_t chunk[2048];
            ssize_t n = recv(c.fd, chunk, sizeof chunk, 0);
            if (n <= 0) {
                closed.push_back(c.fd);
                continue;
            }
            c.pending.insert(c.pending.end(), chunk, chunk + n);
            bool closeAfter = false;
            while (!closeAfter && c.pending.size() >= modbusframe::HeaderSize) {
                const size_t size = modbusframe::HeaderSize + modbusframe::LengthField(c.pending.data());
                if (size > modbusframe::MaxFrameSize) {
                    closeAfter = true; // not a request this program understands
                    break;
                }
                if (c.pending.size() < size)
                    break;
                auto reply = Answer(c.session, c.pending.data(), static_cast<int>(size));
                EchoTransactionId(reply, c.pending.data());
                const std::vector<uint8_t> request(c.pending.begin(), c.pending.begin() + static_cast<long>(size));
                c.pending.erase(c.pending.begin(), c.pending.begin() + static_cast<long>(size));
                const size_t replyBytes = reply.size();
                if (!reply.empty())
                    SendReply(c.fd, std::move(reply), nullptr, 0, closeAfter);
                NoteAnswered(request.data(), request.size(), replyBytes);
            }
            if (closeAfter)
                closed.push_back(c.fd);
        }
        for (int fd : closed) {
            close(fd);
            std::erase_if(conns, [fd](const Connection& c) { return c.fd == fd; });
        }
    }
    for (auto& c : conns)
        close(c.fd);
}

std::vector<uint8_t> SimGateway::Answer(Session& session, const uint8_t* frame, int size)
{
    if (size < modbusframe::RequestHeaderSize || frame[7] != modbusframe::FunctionReadWrite)
        return {};
    const uint8_t unitId = frame[6];
    const uint8_t command = frame[17];
    const int n = frame[18];
    {
        std::lock_guard<std::mutex> lock(mutex_);
        requests_.emplace_back(frame, frame + size);
    }
    if (modbusframe::RequestHeaderSize + n > size)
        return ExceptionReply(unitId, ExceptionIllegalAddress, "Wrong packet length");
    const std::vector<uint8_t> data(frame + modbusframe::RequestHeaderSize,
                                    frame + modbusframe::RequestHeaderSize + n);

    if (Take(mutex_, busyCount_))
        return ExceptionReply(unitId, modbusframe::ExceptionBusy, "Gateway busy");

    int exceptionCode = 0;
    std::string exceptionText;
    std::vector<uint8_t> reply;
    if (command == 0) {
        reply = AnswerSubCommand(session, data, exceptionCode, exceptionText);
    } else {
        UnitAnswer answer;
        int address = -1;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            if (role_ == Role::NetworkUnit) {
                answer = unit_;
            } else if (session.port >= 0 && session.port < static_cast<int>(ports_.size())) {
                answer = ports_[static_cast<size_t>(session.port)].answer;
                address = ports_[static_cast<size_t>(session.port)].unitAddress;
            }
        }
        if (!answer) {
            exceptionCode = ExceptionDeviceFailure;
            exceptionText = "Port not open";
        } else if (role_ == Role::Gateway && session.address == 0) {
            std::vector<uint8_t> ignored;
            answer(command, data, ignored);
            reply = {0};
        } else if ((role_ == Role::Gateway && session.address != address)
                   || !answer(command, data, reply)) {
            exceptionCode = ExceptionDeviceFailure;
            exceptionText = "Time-out";
        }
    }
    if (exceptionCode != 0)
        return ExceptionReply(unitId, exceptionCode, exceptionText);
    if (Take(mutex_, truncateCount_)) {
        std::lock_guard<std::mutex> lock(mutex_);
        if (reply.size() > truncateKeep_)
            reply.resize(truncateKeep_);
    }
    return DataReply(unitId, command, reply);
}

std::vector<uint8_t> SimGateway::AnswerSubCommand(Session& session, const std::vector<uint8_t>& data,
                                                  int& exceptionCode, std::string& exceptionText)
{
    const uint8_t sub = data.empty() ? 0 : data[0];
    std::lock_guard<std::mutex> lock(mutex_);
    if (role_ == Role::NetworkUnit)
        return {0}; // one byte: a unit, not a gateway
    switch (sub) {
    case gatewaycmd::Version:
        return std::vector<uint8_t>(versionText_.begin(), versionText_.end());
    case gatewaycmd::PortList: {
        std::string list;
        for (const auto& p : ports_)
            list += (list.empty() ? "" : ",") + p.name;
        std::vector<uint8_t> r(list.begin(), list.end());
        r.push_back(0);
        return r;
    }
    case gatewaycmd::OpenPort: {
        if (data.size() < 14 || data.back() != 0) {
            exceptionCode = ExceptionIllegalAddress;
            exceptionText = "Bad open request";
            return {};
        }
        const int address = static_cast<int>(GetLong(&data[9]));
        const std::string name(reinterpret_cast<const char*>(&data[13]));
        for (size_t i = 0; i < ports_.size(); ++i) {
            if (ports_[i].name == name) {
                session.port = static_cast<int>(i);
                session.address = address;
                lastHandle_ = nextHandle_++;
                const uint32_t h = lastHandle_;
                return {uint8_t(h), uint8_t(h >> 8), uint8_t(h >> 16), uint8_t(h >> 24)};
            }
        }
        exceptionCode = ExceptionIllegalAddress;
        exceptionText = "Port not found";
        return {};
    }
    case gatewaycmd::ClosePort:
        session.port = -1;
        return {};
    case gatewaycmd::Information: {
        std::vector<uint8_t> r(informationText_.begin(), informationText_.end());
        r.push_back(0);
        return r;
    }
    case gatewaycmd::Purge:
        return {};
    default:
        exceptionCode = ExceptionIllegalFunction;
        exceptionText = "Unknown sub-command";
        return {};
    }
}

void SimGateway::NoteAnswered(const uint8_t* frame, size_t size, size_t replyBytes)
{
    constexpr size_t CommandAt = modbusframe::RequestHeaderSize - 2; // then the data's length
    if (size < modbusframe::RequestHeaderSize)
        return;
    const size_t length = std::min<size_t>(frame[CommandAt + 1], size - modbusframe::RequestHeaderSize);
    answers_.Note(frame[CommandAt], frame + modbusframe::RequestHeaderSize, length, static_cast<int>(replyBytes),
                  SimAnswerTimes::Clock::now());
}

void SimGateway::SendReply(int fd, std::vector<uint8_t> reply, const void* peer, unsigned peerLength,
                           bool& closeAfter)
{
    if (Take(mutex_, wrongLengthCount_)) {
        int field;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            field = wrongLengthField_;
        }
        reply[4] = static_cast<uint8_t>((field >> 8) & 0xFF);
        reply[5] = static_cast<uint8_t>(field & 0xFF);
        const size_t body = reply.size() - modbusframe::HeaderSize;
        if (static_cast<size_t>(field) < body)
            reply.resize(modbusframe::HeaderSize + static_cast<size_t>(field));
    }
    if (Take(mutex_, padCount_)) {
        std::lock_guard<std::mutex> lock(mutex_);
        reply.resize(reply.size() + static_cast<size_t>(padBytes_ < 0 ? 0 : padBytes_), 0);
    }
    if (Take(mutex_, lateCount_)) {
        int ms;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            ms = lateMs_;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(ms));
    }
    if (Take(mutex_, closeCount_)) {
        SendAll(fd, reply.data(), reply.size() / 2, peer, peerLength);
        closeAfter = peer == nullptr;
        return;
    }
    if (Take(mutex_, splitCount_)) {
        // The header and part of the body first, the rest a moment later.
        const size_t first = modbusframe::HeaderSize + 1;
        if (peer == nullptr && reply.size() > first) {
            SendAll(fd, reply.data(), first, nullptr, 0);
            std::this_thread::sleep_for(std::chrono::milliseconds(SplitPauseMs));
            SendAll(fd, reply.data() + first, reply.size() - first, nullptr, 0);
            return;
        }
    }
    SendAll(fd, reply.data(), reply.size(), peer, peerLength);
}

} // namespace simunit

#pragma once
// A simulated gateway program, or a simulated networked unit, on loopback. It listens on
// 127.0.0.1 with TCP and UDP on the same port number and answers OstraBus requests carried in
// Modbus/TCP function-23 frames.
//
// As a gateway it owns named ports with a simulated unit behind each; a client opens one port per
// connection (sub-command 3) and its commands 1..255 are forwarded to that port's unit. As a
// networked unit it answers the sub-commands with one byte (so it is told apart from a gateway)
// and every other command itself.
//
// Misbehaviour can be asked for, to test the link: replies split across segments, busy answers,
// a close in the middle of a reply, late answers and a wrong length field.

#include "simunit/Simanswertimes.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace simunit {

class SimUnit;

class SimGateway {
public:
    enum class Role { Gateway, NetworkUnit };

    // Answers one OstraBus request (command, data) with the reply data. False: no answer (the
    // gateway then reports a time-out on that port).
    using UnitAnswer = std::function<bool(uint8_t command, const std::vector<uint8_t>& data,
                                          std::vector<uint8_t>& reply)>;

    // The answers of a simulated unit (which must outlive the gateway).
    static UnitAnswer AnswerFrom(SimUnit& unit);

    explicit SimGateway(Role role);
    ~SimGateway();
    SimGateway(const SimGateway&) = delete;
    SimGateway& operator=(const SimGateway&) = delete;

    // Gateway: a port with a unit answering at unitAddress (commands to another address go
    // unanswered; address 0 is a broadcast and gets one zero byte, as on a local port).
    void AddPort(const std::string& name, int unitAddress, UnitAnswer answer);
    // Networked unit: the unit that answers every command.
    void SetUnit(UnitAnswer answer);
    void SetVersionText(const std::string& text);
    void SetInformationText(const std::string& text);

    // Binds 127.0.0.1 (0 = an ephemeral port, read back) and starts serving. False on failure.
    bool Start(int port = 0);
    void Stop();
    int Port() const { return port_; }
    // Comma-separated names of the gateway's ports.
    std::string PortList() const;

    // --- misbehaviour, each for the next n replies -----------------------------------------
    void SplitReplies(int n);                 // reply sent in two segments
    void AnswerBusy(int n);                   // exception 0x97, code 6, instead of answering
    void CloseMidReply(int n = 1);            // half the reply, then the connection is closed
    void AnswerLate(int delayMs, int n = 1);  // reply only after delayMs
    void WrongLength(int lengthField, int n = 1); // reply carries this length field
    void PadReplies(int bytes, int n = 1);    // zero bytes sent behind the reply frame
    void TruncateReplies(int keep, int n = 1); // data replies cut to their first `keep` bytes

    // Every request frame received, in order.
    std::vector<std::vector<uint8_t>> Requests() const;
    size_t RequestCount() const;
    // Forgets the requests received so far (a long run keeps its memory flat).
    void ClearRequests();
    // When the peer was done with each request (its reply sent, or none to send).
    const SimAnswerTimes& Answers() const { return answers_; }
    // The last port handle number the gateway gave out (0 = none).
    uint32_t LastHandle() const;

    static constexpr uint32_t FirstHandle = 0x5A000001;

private:
    struct GatewayPort {
        std::string name;
        int unitAddress;
        UnitAnswer answer;
    };
    struct Session; // one TCP connection or one UDP peer
    struct Connection;

    void Serve();
    // Builds the reply frame(s) to one request; empty when the request is not a frame.
    std::vector<uint8_t> Answer(Session& session, const uint8_t* frame, int size);
    std::vector<uint8_t> AnswerSubCommand(Session& session, const std::vector<uint8_t>& data,
                                          int& exceptionCode, std::string& exceptionText);
    void SendReply(int fd, std::vector<uint8_t> reply, const void* peer, unsigned peerLength,
                   bool& closeAfter);
    // The peer is done with a request frame: its answer of so many bytes went out.
    void NoteAnswered(const uint8_t* frame, size_t size, size_t replyBytes);

    const Role role_;
    int tcpFd_ = -1;
    int udpFd_ = -1;
    int wakeFds_[2] = {-1, -1};
    int port_ = 0;
    std::thread thread_;

    mutable std::mutex mutex_;
    std::vector<GatewayPort> ports_;
    UnitAnswer unit_;
    std::string versionText_ = "A05";
    std::string informationText_ = "Simulated gateway";
    int splitCount_ = 0;
    int busyCount_ = 0;
    int closeCount_ = 0;
    int lateCount_ = 0;
    int lateMs_ = 0;
    int wrongLengthCount_ = 0;
    int wrongLengthField_ = 0;
    int padCount_ = 0;
    int padBytes_ = 0;
    int truncateCount_ = 0;
    size_t truncateKeep_ = 0;
    uint32_t nextHandle_ = FirstHandle;
    uint32_t lastHandle_ = 0;
    std::vector<std::vector<uint8_t>> requests_;
    SimAnswerTimes answers_;
};

} // namespace simunit

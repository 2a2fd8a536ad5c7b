#pragma once
// The simulated unit behind a pseudo-terminal: the program opens PtyPath() as its serial port.
// A thread serves OstraBus frames: a bad checksum is answered with NAK, a good frame to the
// unit's address with ACK, then the reply frame, then the program's ACK or NAK is read. A frame
// to address 0 (broadcast) is acted on without ACK or reply; frames to other addresses are
// ignored. Faults can be asked for at run time from any thread.

#include "simunit/Simanswertimes.h"
#include "simunit/Simunit.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace simunit {

class SimSerialServer {
public:
    enum class Fault {
        None,
        DropReply,       // ACK, then no reply frame
        CorruptChecksum, // the reply frame's checksum is wrong
        AnswerNak,       // NAK instead of ACK, no reply
        Stall,           // no ACK, no reply
        ShortFrame,      // the reply frame lacks its last byte
        NakThenReply,    // NAK followed at once by a reply frame the program must not take
        LateReply,       // ACK, then the reply only after LateReplyMs (past the program's time-out)
        NakApartReply,   // NAK, then a moment later the reply frame, in a write of its own
        StrayAfterReply, // a good reply with two stray bytes behind it
        ReplyAfterTwoTimeouts, // ACK, then the reply only after two of the program's time-outs
        HeldReply,       // ACK, then the reply held back until the next frame starts (or a release)
        ReplyTwice,      // the reply, then after its acknowledgement a copy 0 to the copy delay later
        BusyReply,       // no ACK until 2.2 to 4 of the program's time-outs later: then ACK and reply together
        BusyDropping,    // as BusyReply after three time-outs, dropping whatever it heard meanwhile
        DribbleReply,    // ACK, then the reply a byte at a time, the dribble gap apart
        FrameStream,     // ACK, frames of another command for the stream's time, then the reply
        NulStream,       // ACK, NUL bytes for the stream's time, then the reply
        SlowStages,      // the ACK, then the reply, each SlowStagePercent of the program's time-out late
    };

    struct Request {
        uint8_t address = 0;
        uint8_t command = 0;
        std::vector<uint8_t> data;
        std::vector<uint8_t> raw; // the frame as received, checksum included
        bool checksumOk = false;
    };

    static constexpr int ByteGapMs = 250;   // a longer gap inside a frame discards it
    static constexpr int AckWaitMs = 2000;  // how long the unit waits for the program's ACK/NAK
    static constexpr int DefaultBaud = 9600;
    static constexpr int DefaultLateReplyMs = 700; // past the program's default time-out of 500 ms
    static constexpr int NakApartGapMs = 5;        // between the NAK and the reply behind it
    static constexpr uint8_t StrayBytes[2] = { 0x06, 0x06 }; // read as ACKs by a careless reader
    static constexpr int DefaultProgramTimeoutMs = 500; // the program's default read time-out
    static constexpr int DefaultCopyDelayMs = 20;
    static constexpr int DefaultDribbleGapMs = 40;
    static constexpr int StreamGapMs = 2;        // between the frames or NULs of a stream
    static constexpr uint8_t StreamCommand = 201; // the command of a stream's frames
    static constexpr int SlowStagePercent = 85;

    explicit SimSerialServer(SimUnit& unit, int baud = DefaultBaud);
    ~SimSerialServer();
    SimSerialServer(const SimSerialServer&) = delete;
    SimSerialServer& operator=(const SimSerialServer&) = delete;

    // Opens the pseudo-terminal and starts serving. False with a reason on failure.
    bool Start(std::string* error = nullptr);
    // Stops serving and closes the pseudo-terminal; returns promptly.
    void Stop();
    bool Running() const { return thread_.joinable(); }
    const std::string& PtyPath() const { return ptyPath_; }

    // The fault for the next `times` frames to this unit (times < 0: until set again).
    void SetFault(Fault fault, int times = 1);
    // The fault for every `every`-th frame to this unit from now on (every <= 0: none).
    void SetRecurringFault(Fault fault, int every);
    // How long a LateReply fault holds the reply back after the ACK.
    void SetLateReplyMs(int ms);
    // The program's read time-out, which a ReplyAfterTwoTimeouts fault waits twice.
    void SetProgramTimeoutMs(int ms);
    // The longest delay of a ReplyTwice copy, the gap between a DribbleReply's bytes, and how
    // long a FrameStream or NulStream goes on (three of the program's time-outs unless set).
    void SetCopyDelayMs(int ms);
    void SetDribbleGapMs(int ms);
    void SetStreamMs(int ms);
    // Sends a reply a HeldReply fault holds back now, without waiting for the next frame.
    void ReleaseHeldReply();
    // Frames sent apart from their own exchange (late, held back, repeated or behind a NAK),
    // and a bounded wait until at least n were written.
    int StaleFramesSent() const;
    bool WaitForStaleFramesSent(int n, int timeoutMs = 5000) const;

    // What the unit saw (frames of every address, in order) and how the program acknowledged
    // the unit's replies.
    std::vector<Request> Requests() const;
    std::vector<uint8_t> ProgramAcks() const;
    void ClearLog();
    // When the unit was done with each request it heard (Record: its answer written or dropped).
    const SimAnswerTimes& Answers() const { return answers_; }
    // Bounded waits for the serving thread: true once at least n frames (or acknowledgements)
    // were handled completely.
    bool WaitForRequests(size_t n, int timeoutMs = 5000) const;
    bool WaitForProgramAcks(size_t n, int timeoutMs = 5000) const;

    // After an accepted command 66 the unit takes the announced number of bytes as raw blocks
    // (a length byte, the bytes, answered by ACK) before it reads frames again.
    std::vector<std::vector<uint8_t>> XilinxBlocks() const;

private:
    void Serve();
    void ServeFrame(uint8_t first);
    void ServeXilinxBlock(uint8_t length); // Simxilinx.cpp
    void StartXilinxLoad(const Request& req, const std::vector<uint8_t>& reply);
    Fault TakeFault();
    // Sets one of the times the faults take (below 0: 0).
    void SetMs(int& field, int ms);
    // Reads exactly n bytes, each within ByteGapMs (or timeoutMs for all); false on a gap or stop.
    bool ReadExact(uint8_t* dest, int n, int timeoutMs);
    bool WriteAll(const uint8_t* data, size_t n);
    // Waits ms unless stopped first; false when stopped.
    bool Pause(int ms);
    // Writes a frame that is no answer to the frame in hand and waits for no acknowledgement:
    // one that comes is read where the next frame may start.
    // A byte before it (an acknowledgement) goes out in the same write.
    void SendStale(const std::vector<uint8_t>& frame, std::optional<uint8_t> before = std::nullopt);
    void SendHeld();
    // Acknowledgements the program owes for frames the unit wrote and did not wait on.
    void OweAck();
    // The faults that answer apart from the request's own time: true when one was served.
    bool ServeApart(Fault fault, const std::vector<uint8_t>& frame);
    // Reads and throws away what the program sent meanwhile.
    void DropInput();
    // An ACK or NAK where a frame may start: the program acknowledging a stale frame (or the
    // reply of a frame served since, whose acknowledgement the stale one's took).
    bool IsOwedAcknowledgement(uint8_t first);
    void Record(const Request& r);
    void RecordAck(uint8_t b);

    SimUnit& unit_;
    int baud_;
    int master_ = -1;
    int slaveHold_ = -1; // keeps the terminal alive while the program has it closed
    int wakeRead_ = -1;
    int wakeWrite_ = -1;
    int releaseRead_ = -1;
    int releaseWrite_ = -1;
    std::string ptyPath_;
    std::thread thread_;
    std::atomic<bool> stopping_ { false };

    mutable std::mutex mutex_;
    mutable std::condition_variable changed_;
    Fault fault_ = Fault::None;
    int faultTimes_ = 0;
    Fault recurring_ = Fault::None;
    int recurringEvery_ = 0;
    int recurringCount_ = 0;
    int lateReplyMs_ = DefaultLateReplyMs;
    int programTimeoutMs_ = DefaultProgramTimeoutMs;
    int copyDelayMs_ = DefaultCopyDelayMs;
    int dribbleGapMs_ = DefaultDribbleGapMs;
    int streamMs_ = 0; // 0: three of the program's time-outs
    unsigned busySeed_ = 1; // serving thread only
    int staleSent_ = 0;
    std::vector<uint8_t> held_; // serving thread only: the reply a HeldReply fault keeps back
    unsigned copyDelaySeed_ = 1; // serving thread only
    // Serving thread only: when each stale frame not yet acknowledged was sent.
    std::deque<std::chrono::steady_clock::time_point> owedAcks_;
    std::vector<Request> requests_;
    std::vector<uint8_t> acks_;
    SimAnswerTimes answers_;
    int answerBytes_ = 0; // serving thread only: written since the frame in hand came
    std::chrono::steady_clock::time_point lastWritten_ {}; // serving thread only: the last write's end
    int xilinxLeft_ = 0; // serving thread only
    std::vector<std::vector<uint8_t>> xilinxBlocks_;
};

} // namespace simunit

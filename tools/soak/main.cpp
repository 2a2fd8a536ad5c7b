// orrery-soak: many transactions against the simulated unit with faults injected at a given
// rate, over the serial link and over the network (a networked unit by TCP and UDP, a gateway by
// TCP). Every fault must give its error, no transaction may outlast its time-out by far, and the
// transaction after a fault must succeed (after a reconnect where the fault dropped the link).
// A time-out where an answer was due is judged by when the simulated peer was done answering and
// by how long the link's own thread was kept from a processor: an answer that ended later than
// the link waits from the transaction's start (a busy machine held the peer up), or one that came
// in time while the link's thread waited for a processor at least as long as the time the answer
// left it, excuses the time-out, and such transactions are counted as excused by cause; an answer
// the link missed otherwise, or one that never came, breaks the rule. A reply of an earlier
// request that the unit sent later than the model lets a busy unit answer (the machine held it
// up) is outside the model, which the link may take as a later request's: such a stale reply is
// counted apart; every other one breaks the rule.
// Every request carries a tag of its own (the channel byte of the input measures, which the unit
// sends back), so a reply taken for a later request is counted as stale. The requests alternate
// between two commands, as a poll's do: a late reply of the one is passed over by the other.
// The serial unit's faults include a busy unit that answers several time-outs late, one that drops
// what it heard meanwhile, a reply that dribbles in, and streams of frames or NUL bytes; the link
// does not know that the tag comes back, so only the account of what the unit still owes keeps a
// late reply from being taken (--same-command leaves even the command alike).
// A run that could not run (an unknown link, a link that would not connect) prints only why.
// Prints transactions per second, the results counted by kind, the longest transaction and the
// resident memory at start and end; exits 1 when a rule was broken.
//
//   orrery-soak [--transactions N] [--rate R] [--links serial,tcp,udp,gateway] [--seed S]
//               [--gap MS] [--same-command] [--rounds N]
//
// --rounds N runs each fault of each link N times instead, each followed by three transactions,
// and counts what every fault family and the transactions after it gave.

#include "device/Unitconst.h"
#include "link/Serialaccount.h"
#include "common/Hooks.h"
#include "link/Ostrabus.h"
#include "simunit/Simanswertimes.h"
#include "simunit/Simcommandset.h"
#include "simunit/Simgateway.h"
#include "simunit/Simserial.h"
#include "simunit/Simunit.h"

#include <array>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <functional>
#include <memory>
#include <fstream>
#include <map>
#include <random>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
using simunit::SimGateway;
using simunit::SimSerialServer;

// Their replies begin with the request's byte.
constexpr int TaggedCommands[2] = { unitcmd::MeasureInputAdc, unitcmd::MeasureInput };
constexpr long LogClearInterval = 1000;
constexpr int MinReconnectAttempts = 10;

// How long the links wait, all in proportion: a busy machine (tests running beside a build)
// may hold a process up for longer than the shortest time-outs, and then runs the soak with
// every wait made longer by --patience.
struct Waits {
    explicit Waits(int patience)
        : serialReadMs(40 * patience)
        // A late reply comes this long after the ACK: past the link's time-out for the reply's
        // first bytes (the time-out and three bytes' allowance), well before the line has fallen
        // quiet again.
        , serialLateReplyMs(serialReadMs + 3 * 5 + 10 * patience)
        , networkMs(60 * patience)
        , lateMs(networkMs + 40 * patience) // a late reply misses its transaction
        , hangMs(1000.0 * patience)
        , reconnectMs(10 * hangMs)
    {
    }
    int serialReadMs;
    int serialLateReplyMs;
    int networkMs;
    int lateMs;
    // A transaction may take its time-out and the per-byte allowance of its reads; past this it
    // counts as hanging.
    double hangMs;
    // How long a link dropped by a fault may take to come back (the peer may still be busy).
    double reconnectMs;
};
constexpr long WarmUp = 1000; // transactions before memory is first measured

struct Options {
    long transactions = 1000000;
    double rate = 0.01;
    std::vector<std::string> links { "serial", "tcp", "udp", "gateway" };
    unsigned seed = 1;
    int patience = 1;
    int gapMs = 0;             // between two transactions
    bool sameCommand = false;  // every request the same command
    int rounds = 0;            // > 0: each fault this many times, each followed by FollowingTransactions
};
constexpr int FollowingTransactions = 3;
constexpr size_t RecentShown = 6; // transactions printed before a broken one

long ResidentKb()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmRSS:", 0) == 0)
            return std::strtol(line.c_str() + 6, nullptr, 10);
    }
    return -1;
}

// How long the calling thread has waited for a processor while ready to run, by the kernel's
// scheduler statistics; negative where the kernel does not keep them.
double RunDelayMs()
{
    std::ifstream stat("/proc/thread-self/schedstat");
    long long onCpuNs = 0, waitedNs = -1;
    if (!(stat >> onCpuNs >> waitedNs))
        return -1;
    return static_cast<double>(waitedNs) / 1e6;
}

std::vector<std::string> Split(const std::string& text)
{
    std::vector<std::string> parts;
    std::stringstream ss(text);
    std::string part;
    while (std::getline(ss, part, ','))
        if (!part.empty())
            parts.push_back(part);
    return parts;
}

bool ParseOptions(int argc, char** argv, Options& o)
{
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        const bool hasValue = i + 1 < argc;
        if (a == "--transactions" && hasValue)
            o.transactions = std::strtol(argv[++i], nullptr, 10);
        else if (a == "--rate" && hasValue)
            o.rate = std::strtod(argv[++i], nullptr);
        else if (a == "--links" && hasValue)
            o.links = Split(argv[++i]);
        else if (a == "--seed" && hasValue)
            o.seed = static_cast<unsigned>(std::strtoul(argv[++i], nullptr, 10));
        else if (a == "--patience" && hasValue)
            o.patience = static_cast<int>(std::strtol(argv[++i], nullptr, 10));
        else if (a == "--gap" && hasValue)
            o.gapMs = static_cast<int>(std::strtol(argv[++i], nullptr, 10));
        else if (a == "--rounds" && hasValue)
            o.rounds = static_cast<int>(std::strtol(argv[++i], nullptr, 10));
        else if (a == "--same-command")
            o.sameCommand = true;
        else
            return false;
    }
    return o.gapMs >= 0 && o.gapMs <= 10000 && o.rounds >= 0 && o.rounds <= 100000 && o.transactions > 0 && o.rate >= 0 && o.rate <= 1 && !o.links.empty() && o.patience >= 1 &&
           o.patience <= 100;
}

// One fault of a link and the result it must give.
struct Fault {
    const char* name;
    int expected;         // the transaction's result
    // The error is a time-out that the fault's time may or may not reach (a busy machine holds
    // either side up): the request may also be answered, by its own reply.
    bool timed;
    std::function<void()> arm;
    // The unit is still busy with the fault's late answer when the next requests come: so many
    // of them may fail (never take the late answer); the one after them must succeed.
    int mayFailAfter = 0;
    // Another result it may give (0: none).
    int alsoExpected = 0;
};

struct Tally {
    long transactions = 0;
    long faults = 0;
    long broken = 0; // rules broken
    long rssAfterWarmUp = -1;
    long reconnects = 0;
    long stale = 0; // replies that answered another request
    long staleOutside = 0; // of them, replies the unit sent past the model's bound for late answers
    long peerLate = 0; // time-outs excused: the peer's answer ended after the link's wait
    double latestAnswerMs = 0; // the latest such answer's end after its transaction's start
    long faultStretched = 0; // failures while the unit still wrote a fault's answer
    long linkHeld = 0; // time-outs excused: the link's thread was kept from a processor
    double longestHeldMs = 0; // the longest it was kept so in such a transaction
    long passedOver = 0; // frames the link passed over as another request's answer
    double longestMs = 0;
    std::map<std::string, long> results;
    void Count(const std::string& kind) { ++results[kind]; }
};

std::string ResultName(int rc)
{
    switch (rc) {
    case 0: return "ok";
    case linkerr::Timeout: return "time-out";
    case linkerr::BadChecksum: return "bad checksum";
    case linkerr::NakReceived: return "NAK";
    case linkerr::BadAck: return "bad ACK";
    case linkerr::NetworkError: return "network error";
    case linkerr::ConnectionLost: return "connection lost";
    case linkerr::GatewayBusy: return "gateway busy";
    case linkerr::NotConnected: return "not connected";
    default: return "result " + std::to_string(rc);
    }
}

class Link {
public:
    virtual ~Link() = default;
    virtual bool Connect(COstraBus& bus, std::string& error) = 0;
    virtual std::vector<Fault> Faults() = 0;
    // Drops what the simulated peer recorded, so that memory measures the link alone.
    virtual void ClearLogs() = 0;
    // When the simulated peer was done with each request.
    virtual const simunit::SimAnswerTimes& Answers() const = 0;
    // How long from its request the link waits for an answer of so many bytes.
    virtual Clock::duration Wait(int answerBytes) const = 0;
    // The link's result when the answer did not come in its wait.
    virtual bool TimedOut(int rc) const = 0;
    // How many transactions after an answer that came past the link's wait may fail, as the
    // model lets them after any late answer.
    virtual int MayFailAfterLate() const = 0;
    // The latest the model lets an answer of so many bytes end after its request, however busy
    // the peer.
    virtual Clock::duration Latest(int answerBytes) const = 0;
};

class SerialLink : public Link {
public:
    explicit SerialLink(const Waits& waits) : waits_(waits), server_(unit_)
    {
        server_.SetLateReplyMs(waits_.serialLateReplyMs);
        server_.SetProgramTimeoutMs(waits_.serialReadMs);
        // A copy up to two time-outs late; a reply dribbling in slower than the line but fast
        // enough to be still coming when its request gives up.
        server_.SetCopyDelayMs(2 * waits_.serialReadMs);
        server_.SetDribbleGapMs(waits_.serialReadMs / 4);
        // Streams outlast a request's wait (three time-outs and its reply's line time), and the
        // answer behind them still comes within a late answer's bound (five time-outs).
        server_.SetStreamMs(4 * waits_.serialReadMs);
    }
    bool Connect(COstraBus& bus, std::string& error) override
    {
        if (!server_.Running() && !server_.Start(&error))
            return false;
        const int rc = bus.OpenPort(server_.PtyPath(), SimSerialServer::DefaultBaud, waits_.serialReadMs,
                                    simunit::SimUnit::DefaultAddress);
        error = rc == 0 ? "" : bus.LastError();
        return rc == 0;
    }
    std::vector<Fault> Faults() override
    {
        auto arm = [this](SimSerialServer::Fault f) { return [this, f] { server_.SetFault(f); }; };
        return {
            { "drop", linkerr::Timeout, false, arm(SimSerialServer::Fault::DropReply) },
            { "corrupt checksum", linkerr::BadChecksum, false, arm(SimSerialServer::Fault::CorruptChecksum) },
            { "NAK", linkerr::NakReceived, false, arm(SimSerialServer::Fault::AnswerNak) },
            // A dropped request: the next one of the same command cannot tell its own answer
            // from the dropped one's late answer, and may fail once.
            { "stall", linkerr::Timeout, false, arm(SimSerialServer::Fault::Stall), 1 },
            { "short frame", linkerr::BadChecksum, false, arm(SimSerialServer::Fault::ShortFrame) },
            // Taken in time by a process held up past its time-out, the late reply is this
            // request's own and right.
            { "late reply", linkerr::Timeout, true, arm(SimSerialServer::Fault::LateReply) },
            { "NAK, reply apart", linkerr::NakReceived, false, arm(SimSerialServer::Fault::NakApartReply) },
            { "stray bytes", 0, false, arm(SimSerialServer::Fault::StrayAfterReply) },
            { "reply after two time-outs", linkerr::Timeout, true, arm(SimSerialServer::Fault::ReplyAfterTwoTimeouts),
              1 },
            { "reply held into the next request", linkerr::Timeout, false, arm(SimSerialServer::Fault::HeldReply) },
            { "reply sent twice", 0, false, arm(SimSerialServer::Fault::ReplyTwice), 1 },
            { "busy unit", linkerr::Timeout, true, arm(SimSerialServer::Fault::BusyReply), 4 },
            { "busy unit dropping", linkerr::Timeout, true, arm(SimSerialServer::Fault::BusyDropping), 4 },
            // Its bytes come slower than the line's: a gap longer than a frame may hold breaks the frame.
            { "dribbled reply", linkerr::Timeout, true, arm(SimSerialServer::Fault::DribbleReply), 2, linkerr::BadChecksum },
            { "frame stream", linkerr::Timeout, false, arm(SimSerialServer::Fault::FrameStream), 3 },
            { "NUL stream", linkerr::Timeout, false, arm(SimSerialServer::Fault::NulStream), 3 },
            // Each stage late in its read time-out: served.
            { "slow stages", 0, false, arm(SimSerialServer::Fault::SlowStages) },
        };
    }

    void ClearLogs() override { server_.ClearLog(); }
    const simunit::SimAnswerTimes& Answers() const override { return server_.Answers(); }
    // Three read time-outs and the line time of what comes before the reply frame's size is
    // known (the ACK and the frame's head): the unit writes an answer in one piece, so the
    // frame's head comes with its end.
    Clock::duration Wait(int answerBytes) const override
    {
        const SLineTimes times(waits_.serialReadMs, SimSerialServer::DefaultBaud);
        return times.timeout * SLineTimes::WaitTimeouts + times.Line(std::min(answerBytes, 1 + FrameHeadBytes));
    }
    bool TimedOut(int rc) const override { return rc == linkerr::Timeout; }
    // With one command throughout, up to four requests after a late answer may fail.
    int MayFailAfterLate() const override { return MaxFailingAfterLateAnswer; }
    // A busy unit's answer ends within five read time-outs and its line time.
    Clock::duration Latest(int answerBytes) const override
    {
        const SLineTimes times(waits_.serialReadMs, SimSerialServer::DefaultBaud);
        return times.timeout * SLineTimes::LateTimeouts + times.Line(answerBytes);
    }

private:
    static constexpr int MaxFailingAfterLateAnswer = 4;
    // A frame's size is known from its first three bytes: address and length, command, and the
    // length byte or the first data byte.
    static constexpr int FrameHeadBytes = 3;
    Waits waits_;
    simunit::SimUnit unit_;
    SimSerialServer server_;
};

class NetLink : public Link {
public:
    NetLink(const Waits& waits, bool gateway, bool udp)
        : waits_(waits)
        , gateway_(gateway ? SimGateway::Role::Gateway : SimGateway::Role::NetworkUnit)
        , udp_(udp)
    {
        if (gateway)
            gateway_.AddPort("COM1", unit_.Address(), SimGateway::AnswerFrom(unit_));
        else
            gateway_.SetUnit(SimGateway::AnswerFrom(unit_));
    }
    bool Connect(COstraBus& bus, std::string& error) override
    {
        if (gateway_.Port() == 0 && !gateway_.Start(0)) {
            error = "cannot start the simulated peer";
            return false;
        }
        bus.SetNetworkTimeout(waits_.networkMs);
        bus.SetSite("127.0.0.1");
        int rc = bus.ConnectNetwork(gateway_.Port(), 1, udp_);
        if (rc == 0 && bus.IsGateway())
            rc = bus.OpenPort("COM1", 9600, 500, unit_.Address());
        error = rc == 0 ? "" : bus.LastError();
        return rc == 0;
    }
    std::vector<Fault> Faults() override
    {
        std::vector<Fault> f {
            { "split", 0, false, [this] { gateway_.SplitReplies(1); } },
            { "busy", 0, false, [this] { gateway_.AnswerBusy(1); } },
            { "late", linkerr::ConnectionLost, true, [this] { gateway_.AnswerLate(waits_.lateMs, 1); } },
            { "wrong length", linkerr::NetworkError, false, [this] { gateway_.WrongLength(1019, 1); } },
        };
        if (!udp_)
            f.push_back({ "close", linkerr::ConnectionLost, false, [this] { gateway_.CloseMidReply(1); } });
        return f;
    }

    void ClearLogs() override { gateway_.ClearRequests(); }
    const simunit::SimAnswerTimes& Answers() const override { return gateway_.Answers(); }
    // The network time-out covers the whole reply, however long.
    Clock::duration Wait(int) const override { return std::chrono::milliseconds(waits_.networkMs); }
    // A reply that does not come in time drops the connection (over UDP the time-out stands).
    bool TimedOut(int rc) const override { return rc == linkerr::ConnectionLost || rc == linkerr::Timeout; }
    // A late reply comes on a connection since dropped, or with another transaction's number.
    int MayFailAfterLate() const override { return 0; }
    // A reply carries its request's number: one that comes at any time answers only its own.
    Clock::duration Latest(int) const override { return Clock::duration::max(); }

private:
    Waits waits_;
    simunit::SimUnit unit_;
    SimGateway gateway_;
    bool udp_;
};

std::unique_ptr<Link> MakeLink(const std::string& name, const Waits& waits)
{
    if (name == "serial")
        return std::make_unique<SerialLink>(waits);
    if (name == "tcp")
        return std::make_unique<NetLink>(waits, false, false);
    if (name == "udp")
        return std::make_unique<NetLink>(waits, false, true);
    if (name == "gateway")
        return std::make_unique<NetLink>(waits, true, false);
    return nullptr;
}

// Counts the frames the link passed over as another request's answer.
class PassedOverCount : public ITrafficLog {
public:
    explicit PassedOverCount(long& count) : count_(count) { InstallTrafficLog(this); }
    ~PassedOverCount() override { InstallTrafficLog(nullptr); }
    PassedOverCount(const PassedOverCount&) = delete;
    PassedOverCount& operator=(const PassedOverCount&) = delete;
    bool Active() const override { return true; }
    void AddLine(const std::string& line) override
    {
        const std::string mark = COstraBus::StaleMark;
        if (line.size() >= mark.size() && line.compare(line.size() - mark.size(), mark.size(), mark) == 0)
            ++count_;
    }

private:
    long& count_;
};

// The request a fault was injected into.
struct FaultRequest {
    uint8_t command = 0;
    uint8_t tag = 0;
    Clock::time_point start {};
};

// Whether the unit was still answering the fault's request when a later transaction began: its
// answer ended after that, or has not ended yet (within the longest a transaction may take).
bool FaultUnderWay(const Link& link, const FaultRequest& fault, Clock::time_point later, const Waits& waits)
{
    const auto answer = link.Answers().WaitFor(fault.command, fault.tag, fault.start, Clock::duration::zero());
    if (answer)
        return answer->end > later;
    return Clock::now() - fault.start < std::chrono::duration<double, std::milli>(waits.hangMs);
}

// Runs count transactions on one link (with --rounds, each fault that many times and the
// transactions after it); false when the link could not be set up at all.
bool Soak(const std::string& name, long count, const Options& o, const Waits& waits, std::mt19937& rng, Tally& tally)
{
    auto link = MakeLink(name, waits);
    COstraBus bus;
    std::string error;
    if (!link->Connect(bus, error)) {
        std::fprintf(stderr, "%s: cannot connect: %s\n", name.c_str(), error.c_str());
        return false;
    }
    PassedOverCount passedOver(tally.passedOver);
    const std::vector<Fault> faults = link->Faults();
    std::uniform_real_distribution<double> chance(0.0, 1.0);
    constexpr long Round = 1 + FollowingTransactions;
    if (o.rounds > 0)
        count = static_cast<long>(o.rounds) * static_cast<long>(faults.size()) * Round;
    const Fault* last = nullptr; // the fault before
    FaultRequest lastFault;       // its request
    long since = 0;              // transactions since it
    int mayFail = 0;             // how many of the transactions after it may still fail
    std::array<Clock::time_point, 256> startOf {}; // of the latest transaction of each tag
    std::deque<std::string> recent;
    for (long i = 0; i < count; ++i) {
        if (i % LogClearInterval == 0)
            link->ClearLogs();
        if (i == std::min(WarmUp, count / 2) && tally.rssAfterWarmUp < 0)
            tally.rssAfterWarmUp = ResidentKb();
        const Fault* fault = nullptr;
        if (o.rounds > 0) {
            if (i % Round == 0)
                fault = &faults[static_cast<size_t>(i / Round) % faults.size()];
        } else if ((!last || since > FollowingTransactions) && chance(rng) < o.rate) {
            fault = &faults[rng() % faults.size()];
        }
        if (fault) {
            fault->arm();
            ++tally.faults;
        }
        if (o.gapMs > 0 && i > 0)
            std::this_thread::sleep_for(std::chrono::milliseconds(o.gapMs));
        const uint8_t tag = static_cast<uint8_t>(i);
        const int command = TaggedCommands[o.sameCommand ? 0 : i % 2];
        bus.AppendByte(tag);
        const double delayedBefore = RunDelayMs();
        const long passedOverBefore = tally.passedOver;
        const auto start = Clock::now();
        startOf[tag] = start;
        const int rc = bus.Transact(command);
        const double heldMs = RunDelayMs() - delayedBefore;
        const double ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
        ++tally.transactions;
        tally.longestMs = std::max(tally.longestMs, ms);
        uint8_t echoed = 0;
        const bool stale = rc == 0 && (bus.ReplyLength() < 1 || (bus.ReadBytes(&echoed, 1), echoed != tag));
        tally.stale += stale;
        bool staleOutside = false;
        if (stale) {
            // The reply of the latest request with the tag it carries: answered outside the model?
            const auto answer = link->Answers().WaitFor(static_cast<uint8_t>(command), echoed, startOf[echoed],
                                                        Clock::duration::zero());
            staleOutside = answer && answer->end - startOf[echoed] > link->Latest(answer->bytes);
            tally.staleOutside += staleOutside;
        }
        ++since;
        std::string kind;
        if (fault)
            kind = std::string(fault->name) + ": ";
        else if (last && since <= FollowingTransactions)
            kind = "after " + std::string(last->name) + ": ";
        tally.Count(name + " " + kind +
                    (stale ? std::string(staleOutside ? "stale reply, sent outside the model" : "stale reply") : ResultName(rc)));
        bool broken = ms > waits.hangMs || (stale && !staleOutside);
        if (fault) {
            // A fault whose time decides may also be served in time: the reply's tag says
            // whether it was its own.
            broken |= rc != fault->expected && (fault->alsoExpected == 0 || rc != fault->alsoExpected) &&
                      !(fault->timed && rc == 0);
        } else if (rc != 0) {
            // After a fault, and at every other time, a transaction succeeds; while the unit may
            // still be busy with a fault's late answer it may fail, but never take that answer.
            // The transactions the fault may fail are counted from its answer's end: one that
            // began while the unit was still writing that answer (a busy machine stretches it)
            // may fail as well.
            if (last && FaultUnderWay(*link, lastFault, start, waits)) {
                ++tally.faultStretched;
            } else {
                broken |= mayFail <= 0;
                --mayFail;
            }
        } else {
            mayFail = 0;
        }
        bool excused = false;
        std::string why;
        if (broken && !stale && ms <= waits.hangMs && link->TimedOut(rc)) {
            // An answer that ended past the link's wait from the start was late because the
            // machine held the peer up: the time-out is right. One that ended in the wait could
            // be missed only by a link kept from a processor for the rest of the wait. Any other
            // was missed, and one that never came was lost.
            const auto answer = link->Answers().WaitFor(
                static_cast<uint8_t>(command), tag, start,
                std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double, std::milli>(waits.hangMs)));
            if (!answer) {
                why = " (no answer came)";
            } else {
                const double endMs = std::chrono::duration<double, std::milli>(answer->end - start).count();
                const double waitMs = std::chrono::duration<double, std::milli>(link->Wait(answer->bytes)).count();
                if (endMs > waitMs) {
                    excused = true;
                    ++tally.peerLate;
                    tally.latestAnswerMs = std::max(tally.latestAnswerMs, endMs);
                } else if (heldMs >= waitMs - endMs) {
                    excused = true;
                    ++tally.linkHeld;
                    tally.longestHeldMs = std::max(tally.longestHeldMs, heldMs);
                } else {
                    char text[200];
                    std::snprintf(text, sizeof text,
                                  " (answered %.1f ms after the start, the link waits %.1f ms; its thread waited %.1f ms "
                                  "for a processor; %ld frames passed over)",
                                  endMs, waitMs, heldMs, tally.passedOver - passedOverBefore);
                    why = text;
                }
            }
            broken = !excused;
        }
        if (broken) {
            ++tally.broken;
            if (tally.broken <= 10) {
                for (const std::string& before : recent)
                    std::fprintf(stderr, "  before it: %s\n", before.c_str());
                std::fprintf(stderr, "%s #%ld%s%s: %s (%s) in %.1f ms%s\n", name.c_str(), i,
                             fault ? " with fault " : (kind.empty() ? "" : " "), fault ? fault->name : kind.c_str(),
                             stale ? "stale reply" : ResultName(rc).c_str(), bus.LastError().c_str(), ms, why.c_str());
            }
        }
        // What a broken transaction is printed with: the ones just before it.
        char line[160];
        std::snprintf(line, sizeof line, "#%ld command %d%s%s: %s in %.1f ms%s", i, command, fault ? ", fault " : "",
                      fault ? fault->name : "", stale ? "stale reply" : ResultName(rc).c_str(), ms,
                      excused ? " (excused)" : "");
        recent.push_back(line);
        if (recent.size() > RecentShown)
            recent.pop_front();
        if (fault) {
            last = fault;
            lastFault = { static_cast<uint8_t>(command), tag, start };
            since = 0;
            mayFail = fault->mayFailAfter;
        }
        if (excused)
            mayFail = std::max(mayFail, link->MayFailAfterLate());
        if (!bus.IsConnected()) {
            // The peer may still be busy with the late answer that dropped the link: try again,
            // as a user presses Connect again, for a while and a few times at least.
            const auto lost = Clock::now();
            int attempt = 0;
            while (!link->Connect(bus, error)) {
                const double waited = std::chrono::duration<double, std::milli>(Clock::now() - lost).count();
                if (++attempt >= MinReconnectAttempts && waited > waits.reconnectMs) {
                    std::fprintf(stderr, "%s: reconnect failed: %s\n", name.c_str(), error.c_str());
                    return false;
                }
            }
            ++tally.reconnects;
        }
    }
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    Options o;
    if (!ParseOptions(argc, argv, o)) {
        std::fprintf(stderr, "usage: %s [--transactions N] [--rate R] [--links serial,tcp,udp,gateway] [--seed S] "
                             "[--patience 1-100] [--gap MS] [--same-command] [--rounds N]\n",
                     argv[0]);
        return 2;
    }
    // A link that is not known is said before anything runs, and nothing is reported.
    for (const std::string& name : o.links) {
        if (!MakeLink(name, Waits(o.patience))) {
            std::fprintf(stderr, "unknown link %s (known: serial, tcp, udp, gateway)\n", name.c_str());
            return 2;
        }
    }
    std::mt19937 rng(o.seed);
    const Waits waits(o.patience);
    Tally tally;
    const auto start = Clock::now();
    const long share = o.transactions / static_cast<long>(o.links.size());
    for (size_t i = 0; i < o.links.size(); ++i) {
        const long count = i + 1 == o.links.size() ? o.transactions - share * long(i) : share;
        // A link that could not be set up leaves a run that did not run: only why is printed.
        if (!Soak(o.links[i], count, o, waits, rng, tally))
            return 1;
    }
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    const long rssEnd = ResidentKb();

    std::printf("transactions: %ld in %.1f s, %.0f per second\n", tally.transactions, seconds,
                tally.transactions / (seconds > 0 ? seconds : 1));
    std::printf("faults injected: %ld (rate %.3f), reconnects after a dropped link: %ld\n", tally.faults, o.rate,
                tally.reconnects);
    for (const auto& [kind, n] : tally.results)
        std::printf("  %-40s %ld\n", kind.c_str(), n);
    std::printf("longest transaction: %.1f ms (goal: below %.0f ms)\n", tally.longestMs, waits.hangMs);
    std::printf("resident memory: %ld kB after the first transactions, %ld kB at end\n", tally.rssAfterWarmUp, rssEnd);
    std::printf("frames passed over as another request's answer: %ld\n", tally.passedOver);
    std::printf("stale replies (another request's answer taken): %ld (goal: 0)", tally.stale - tally.staleOutside);
    std::printf(", and %ld the unit sent past the model's bound for a late answer (a busy machine)\n", tally.staleOutside);
    std::printf("time-outs excused (a busy machine): %ld with the peer's answer ending past the link's wait",
                tally.peerLate);
    if (tally.peerLate > 0)
        std::printf(" (the latest %.1f ms after its start)", tally.latestAnswerMs);
    std::printf(", %ld with the link's thread kept from a processor for the rest of its wait", tally.linkHeld);
    if (tally.linkHeld > 0)
        std::printf(" (the longest %.1f ms)", tally.longestHeldMs);
    std::printf("\nfailures while the unit was still writing a fault's answer (a busy machine stretches it): %ld\n",
                tally.faultStretched);
    std::printf("rules broken: %ld (goal: 0)\n", tally.broken);
    return tally.broken == 0 ? 0 : 1;
}

#pragma once
// Shared test helpers for the link: the simulated unit on an in-process pseudo-terminal, a
// recording traffic log, and the orrery-simunit program started as a child process.

#include "common/Hooks.h"
#include "simunit/Simserial.h"
#include "simunit/Simunit.h"

#include <cstdint>
#include <map>
#include <string>
#include <sys/types.h>
#include <vector>

class COstraBus;

namespace testsupport {

// A simulated unit served on its own pseudo-terminal for as long as the object lives.
class SimPty {
public:
    explicit SimPty(int address = simunit::SimUnit::DefaultAddress);
    ~SimPty();
    bool Ok() const { return ok_; }
    const std::string& Error() const { return error_; }
    const std::string& Path() const { return server_.PtyPath(); }
    simunit::SimUnit& Unit() { return unit_; }
    simunit::SimSerialServer& Server() { return server_; }

private:
    simunit::SimUnit unit_;
    simunit::SimSerialServer server_;
    bool ok_ = false;
    std::string error_;
};

// A watcher for the simulated unit that answers each of the given commands with its CSR.
inline simunit::SimUnit::Watcher RefuseCommands(std::map<int, uint8_t> csrs)
{
    return [csrs = std::move(csrs)](int command, const std::vector<uint8_t>&) -> uint8_t {
        const auto it = csrs.find(command);
        return it == csrs.end() ? 0 : it->second;
    };
}

// One request to a command that sends its data back behind CSR 0, carrying one tag byte: the
// request's result, and the tag its reply carried back in echoed (-1 for none).
int TaggedTransact(COstraBus& bus, int command, uint8_t tag, int& echoed);

// Collects the link's traffic lines while installed (it installs itself).
class RecordingTrafficLog : public ITrafficLog {
public:
    RecordingTrafficLog();
    ~RecordingTrafficLog() override;
    bool Active() const override { return active; }
    void AddLine(const std::string& line) override { lines.push_back(line); }
    bool active = true;
    std::vector<std::string> lines;
};

// orrery-simunit as a child process: started with arguments, its "unit:" line read.
class SimProcess {
public:
    // The built program: $ORRERY_SIMUNIT, else orrery-simunit in the build folder that holds
    // the running test program.
    static std::string ProgramPath();
    ~SimProcess();
    // Starts the program and waits (bounded) for its "unit: <path>" line. False with a reason.
    bool Start(const std::vector<std::string>& args, std::string& error);
    const std::string& UnitPath() const { return unitPath_; }
    // SIGTERM and wait; the exit status (or -1).
    int Stop();

private:
    pid_t pid_ = -1;
    int out_ = -1;
    std::string unitPath_;
};

} // namespace testsupport

#include "support/Simfixture.h"

#include "link/Ostrabus.h"

#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace testsupport {

SimPty::SimPty(int address) : unit_(address), server_(unit_)
{
    ok_ = server_.Start(&error_);
}

SimPty::~SimPty() { server_.Stop(); }

int TaggedTransact(COstraBus& bus, int command, uint8_t tag, int& echoed)
{
    bus.AppendByte(tag);
    const int r = bus.Transact(command);
    echoed = -1;
    if (r == 0 && bus.ReplyLength() == 2) {
        uint8_t reply[2] = {};
        bus.ReadBytes(reply, 2);
        echoed = reply[1];
    }
    return r;
}

RecordingTrafficLog::RecordingTrafficLog() { InstallTrafficLog(this); }

RecordingTrafficLog::~RecordingTrafficLog()
{
    if (TrafficLog() == this)
        InstallTrafficLog(nullptr);
}

std::string SimProcess::ProgramPath()
{
    if (const char* env = std::getenv("ORRERY_SIMUNIT"))
        return env;
    char exe[PATH_MAX];
    const ssize_t n = ::readlink("/proc/self/exe", exe, sizeof exe - 1);
    if (n <= 0)
        return {};
    std::string dir(exe, static_cast<size_t>(n));
    // Test programs live in <build>/tests; the simulated unit in <build>.
    for (int up = 0; up < 3; ++up) {
        const size_t slash = dir.rfind('/');
        if (slash == std::string::npos)
            break;
        dir.erase(slash);
        const std::string candidate = dir + "/orrery-simunit";
        struct stat st {};
        if (::stat(candidate.c_str(), &st) == 0 && (st.st_mode & S_IXUSR))
            return candidate;
    }
    return {};
}

SimProcess::~SimProcess() { Stop(); }

bool SimProcess::Start(const std::vector<std::string>& args, std::string& error)
{
    const std::string program = ProgramPath();
    if (program.empty()) {
        error = "orrery-simunit not found";
        return false;
    }
    int pipefd[2];
    if (::pipe2(pipefd, O_CLOEXEC) != 0) {
        error = std::strerror(errno);
        return false;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipefd[1], STDOUT_FILENO);
    std::vector<std::string> all { program };
    all.insert(all.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (auto& a : all)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    const int rc = ::posix_spawn(&pid_, program.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(pipefd[1]);
    out_ = pipefd[0];
    if (rc != 0) {
        pid_ = -1;
        error = std::strerror(rc);
        return false;
    }
    // Read the first line, bounded by a generous deadline.
    std::string line;
    for (;;) {
        pollfd p { out_, POLLIN, 0 };
        if (::poll(&p, 1, 10000) <= 0) {
            error = "no unit line from orrery-simunit";
            return false;
        }
        char c = 0;
        if (::read(out_, &c, 1) != 1) {
            error = "orrery-simunit ended: " + line;
            return false;
        }
        if (c == '\n')
            break;
        line += c;
    }
    const std::string prefix = "unit: ";
    if (line.compare(0, prefix.size(), prefix) != 0) {
        error = "unexpected first line: " + line;
        return false;
    }
    unitPath_ = line.substr(prefix.size());
    return true;
}

int SimProcess::Stop()
{
    int status = -1;
    if (pid_ > 0) {
        ::kill(pid_, SIGTERM);
        int st = 0;
        if (::waitpid(pid_, &st, 0) == pid_)
            status = WIFEXITED(st) ? WEXITSTATUS(st) : -1;
        pid_ = -1;
    }
    if (out_ >= 0) {
        ::close(out_);
        out_ = -1;
    }
    return status;
}

} // namespace testsupport

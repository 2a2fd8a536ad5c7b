#pragma once
// orrery-simunit as a separate process for the benchmarks: the program built next to the running
// benchmark's folder, started with arguments, its announcement lines read ("unit: <terminal>",
// then "gateway: 127.0.0.1:PORT ..." and "network-unit: 127.0.0.1:PORT" when asked for). Stopped
// with SIGTERM when the object goes.

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <sched.h>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace benchsupport {

class SimUnitProcess {
public:
    SimUnitProcess() = default;
    SimUnitProcess(const SimUnitProcess&) = delete;
    SimUnitProcess& operator=(const SimUnitProcess&) = delete;

    bool Start(const std::vector<std::string>& args, std::string& error)
    {
        char exe[4096];
        const ssize_t n = ::readlink("/proc/self/exe", exe, sizeof exe - 1);
        std::string dir(exe, n > 0 ? size_t(n) : 0);
        dir.erase(dir.rfind('/')); // <build>/bench
        dir.erase(dir.rfind('/')); // <build>
        const std::string program = dir + "/orrery-simunit";
        int out[2];
        if (::pipe(out) != 0) {
            error = "pipe failed";
            return false;
        }
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
        posix_spawn_file_actions_addclose(&actions, out[0]);
        std::vector<char*> argv{const_cast<char*>(program.c_str())};
        for (const auto& a : args)
            argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        const int rc = posix_spawn(&pid_, program.c_str(), &actions, nullptr, argv.data(), environ);
        posix_spawn_file_actions_destroy(&actions);
        ::close(out[1]);
        if (rc != 0) {
            ::close(out[0]);
            pid_ = -1;
            error = "cannot start " + program;
            return false;
        }
        bool wantGateway = false, wantNetworkUnit = false;
        for (const auto& a : args) {
            wantGateway = wantGateway || a == "--gateway";
            wantNetworkUnit = wantNetworkUnit || a == "--network-unit";
        }
        reader_ = ::fdopen(out[0], "r");
        char line[512];
        while (reader_ && std::fgets(line, sizeof line, reader_)) {
            std::string text(line);
            text.erase(text.find_last_not_of("\r\n") + 1);
            if (text.rfind("unit: ", 0) == 0)
                path_ = text.substr(6);
            else if (text.rfind("gateway: ", 0) == 0)
                gatewayPort_ = PortOf(text);
            else if (text.rfind("network-unit: ", 0) == 0)
                networkUnitPort_ = PortOf(text);
            if (!path_.empty() && (!wantGateway || gatewayPort_ > 0) && (!wantNetworkUnit || networkUnitPort_ > 0))
                return true;
        }
        error = "the simulated unit did not announce what was asked of it";
        return false;
    }

    ~SimUnitProcess()
    {
        if (apart_)
            ::sched_setaffinity(0, sizeof callerCores_, &callerCores_);
        if (pid_ > 0) {
            ::kill(pid_, SIGTERM);
            ::waitpid(pid_, nullptr, 0);
        }
        if (reader_)
            std::fclose(reader_);
    }

    // Runs the unit on other cores than the calling thread, which stays on the core it is on
    // until the unit stops: a real unit is other hardware, and its work would otherwise be
    // counted as the program's (a write that wakes the unit hands it the caller's core). False
    // on a single core.
    bool KeepApart()
    {
        cpu_set_t allowed;
        CPU_ZERO(&allowed);
        const int here = ::sched_getcpu();
        if (pid_ <= 0 || here < 0 || ::sched_getaffinity(0, sizeof allowed, &allowed) != 0)
            return false;
        callerCores_ = allowed;
        cpu_set_t mine;
        CPU_ZERO(&mine);
        CPU_SET(here, &mine);
        CPU_CLR(here, &allowed);
        if (CPU_COUNT(&allowed) == 0 || ::sched_setaffinity(pid_, sizeof allowed, &allowed) != 0)
            return false;
        apart_ = ::sched_setaffinity(0, sizeof mine, &mine) == 0;
        return apart_;
    }

    const std::string& Path() const { return path_; }
    pid_t Pid() const { return pid_; }
    int GatewayPort() const { return gatewayPort_; }
    int NetworkUnitPort() const { return networkUnitPort_; }

private:
    // "<role>: 127.0.0.1:PORT [...]" -> PORT
    static int PortOf(const std::string& line)
    {
        const auto colon = line.find(':', line.find("127.0.0.1"));
        return colon == std::string::npos ? 0 : std::atoi(line.c_str() + colon + 1);
    }

    pid_t pid_ = -1;
    cpu_set_t callerCores_ {};
    bool apart_ = false;
    FILE* reader_ = nullptr;
    std::string path_;
    int gatewayPort_ = 0;
    int networkUnitPort_ = 0;
};

} // namespace benchsupport

#pragma once
// An X server for a benchmark that measures the program on a real display: the one DISPLAY
// names, or else an Xvfb started for the benchmark (it picks a free display number and says
// which once it takes connections) and stopped with SIGTERM when the object goes.

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace benchsupport {

class XServer {
public:
    XServer() = default;
    XServer(const XServer&) = delete;
    XServer& operator=(const XServer&) = delete;

    ~XServer()
    {
        if (pid_ > 0) {
            ::kill(pid_, SIGTERM);
            ::waitpid(pid_, nullptr, 0);
        }
    }

    // The display of the environment, else a new Xvfb's. False with the reason when neither.
    bool Start(std::string& error)
    {
        if (const char* d = std::getenv("DISPLAY"); d && *d) {
            display_ = d;
            return true;
        }
        int ready[2];
        if (::pipe2(ready, O_CLOEXEC) != 0) {
            error = "pipe failed";
            return false;
        }
        const std::string fd = std::to_string(ready[1]);
        std::vector<std::string> args{"Xvfb", "-displayfd", fd, "-screen", "0", "1280x1024x24", "-nolisten", "tcp"};
        std::vector<char*> argv;
        for (auto& a : args)
            argv.push_back(a.data());
        argv.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        // The write end stays open in the server (the same number, without close-on-exec).
        posix_spawn_file_actions_adddup2(&actions, ready[1], ready[1]);
        posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
        const int rc = ::posix_spawnp(&pid_, "Xvfb", &actions, nullptr, argv.data(), environ);
        posix_spawn_file_actions_destroy(&actions);
        ::close(ready[1]);
        if (rc != 0) {
            ::close(ready[0]);
            pid_ = -1;
            error = "cannot start Xvfb (no DISPLAY either)";
            return false;
        }
        // The server writes its display number when it takes connections.
        std::string number;
        pollfd pfd{ready[0], POLLIN, 0};
        while (number.find('\n') == std::string::npos) {
            const int r = ::poll(&pfd, 1, StartTimeoutMs);
            if (r < 0 && errno == EINTR)
                continue;
            char buffer[16];
            const ssize_t n = r > 0 ? ::read(ready[0], buffer, sizeof buffer) : 0;
            if (n <= 0)
                break;
            number.append(buffer, size_t(n));
        }
        ::close(ready[0]);
        if (number.find('\n') == std::string::npos) {
            error = "Xvfb did not start";
            return false;
        }
        number.erase(number.find('\n'));
        display_ = ":" + number;
        return true;
    }

    const std::string& Display() const { return display_; }
    // The server's process when the benchmark started it, else -1.
    pid_t Pid() const { return pid_; }

private:
    static constexpr int StartTimeoutMs = 10000;
    pid_t pid_ = -1;
    std::string display_;
};

} // namespace benchsupport

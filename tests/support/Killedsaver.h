#pragma once
// A saver killed wherever it is: a child process saves over and over, and is killed after a
// number of whole saves and a random amount of work of the parent's own.

#include <csignal>
#include <functional>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

namespace testsupport {

// saveForever(tick) runs in the child: it writes a byte to tick after each whole save and never
// returns. Waits for `saves` of them, spins `work` rounds, then kills the child. Fails when the
// child could not be made or stopped by itself.
inline ::testing::AssertionResult KillSaverMidway(const std::function<void(int)>& saveForever, int saves,
                                                  unsigned work)
{
    int fds[2];
    if (pipe(fds) != 0)
        return ::testing::AssertionFailure() << "no pipe";
    const pid_t child = fork();
    if (child < 0) {
        close(fds[0]);
        close(fds[1]);
        return ::testing::AssertionFailure() << "no child process";
    }
    if (child == 0) {
        close(fds[0]);
        saveForever(fds[1]);
        _exit(3);
    }
    close(fds[1]);
    for (int i = 0; i < saves; ++i) {
        char tick;
        if (read(fds[0], &tick, 1) != 1)
            break; // the child is gone: said below
    }
    volatile unsigned spin = 0;
    for (unsigned i = 0; i < work; ++i)
        spin = spin + i;
    kill(child, SIGKILL);
    int status = 0;
    const bool waited = waitpid(child, &status, 0) == child;
    close(fds[0]);
    if (!waited)
        return ::testing::AssertionFailure() << "the saver was not waited for";
    if (!WIFSIGNALED(status))
        return ::testing::AssertionFailure() << "the saver stopped by itself: " << WEXITSTATUS(status);
    return ::testing::AssertionSuccess();
}

} // namespace testsupport

#include "support/Testenv.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

namespace testsupport {

namespace {

std::string& StorePath()
{
    static std::string path;
    return path;
}

void RemoveStore() { std::remove(StorePath().c_str()); }

} // namespace

void PrepareEnvironment()
{
    // One settings store per test process: the tests of one program run side by side as
    // processes of their own, and a store they shared would carry values from one to another.
    const char* given = std::getenv("ORRERY_SETTINGS_FILE");
    StorePath() = (given ? std::string(given) : std::string("/tmp/orrery-test-settings.ini")) + "."
        + std::to_string(getpid());
    setenv("ORRERY_SETTINGS_FILE", StorePath().c_str(), 1);
    std::atexit(RemoveStore);
}

} // namespace testsupport

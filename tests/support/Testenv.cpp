#include "support/Testenv.h"

#include <cstdlib>
#include <string>
#include <unistd.h>

namespace testsupport {

void PrepareEnvironment()
{
    if (!std::getenv("ORRERY_SETTINGS_FILE")) {
        std::string path = "/tmp/orrery-test-settings-" + std::to_string(getpid()) + ".ini";
        setenv("ORRERY_SETTINGS_FILE", path.c_str(), 1);
    }
}

} // namespace testsupport

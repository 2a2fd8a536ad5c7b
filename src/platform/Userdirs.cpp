#include "platform/Userdirs.h"

#include <cstdlib>
#include <pwd.h>
#include <unistd.h>

namespace platform {

std::string XdgFolder(const char* variable, const char* defaultUnderHome)
{
    const char* xdg = std::getenv(variable);
    if (xdg && xdg[0] == '/') // a relative value is invalid and ignored
        return xdg;
    const char* home = std::getenv("HOME");
    if (!home || !home[0]) {
        if (const passwd* pw = getpwuid(getuid()))
            home = pw->pw_dir;
    }
    return std::string(home && home[0] ? home : ".") + "/" + defaultUnderHome;
}

} // namespace platform

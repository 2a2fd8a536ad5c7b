#include "panel/Version.h"

#include <cstring>

namespace orrery {

static_assert(sizeof("D.00") == 5, "the version text has four characters");

bool IsUnreleased(const char* versionText)
{
    if (!versionText || std::strlen(versionText) < 4)
        return true;
    return versionText[0] == '_' || versionText[2] != '0' || versionText[3] != '0';
}

std::string ProductIdText() { return std::string(PartNumber) + VersionText; }

} // namespace orrery

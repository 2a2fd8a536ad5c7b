#pragma once
// Main windows made in this program have the service side's pages and tool windows, as the
// program's own have: the service side is installed before main() and removed after it.
// Included by one source file of each test or benchmark program that makes main windows.

#include "service/ui/Mainserviceside.h"

namespace testsupport {

struct ServiceSideInstalled {
    ServiceSideInstalled() { InstallMainServiceSide(&side); }
    ~ServiceSideInstalled() { InstallMainServiceSide(nullptr); }
    TMainServiceSide side;
};

inline ServiceSideInstalled serviceSideInstalled;

} // namespace testsupport

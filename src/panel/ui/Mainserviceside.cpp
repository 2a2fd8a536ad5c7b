#include "panel/ui/Mainserviceside.h"

namespace {

IMainServiceSide*& Installed()
{
    static IMainServiceSide* side = nullptr;
    return side;
}

} // namespace

void InstallMainServiceSide(IMainServiceSide* side) { Installed() = side; }

IMainServiceSide* InstalledMainServiceSide() { return Installed(); }

// The command sets of the simulated unit. Each set lives in its own file; add its installer here.
#include "simunit/Simunit.h"

namespace simunit {

void InstallCommandSets(SimUnit& unit)
{
    InstallIdentify(unit);
}

} // namespace simunit

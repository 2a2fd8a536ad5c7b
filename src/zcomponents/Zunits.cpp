#include "zcomponents/Zunits.h"

#include "zcomponents/Mystd.h"
#include "zcomponents/Std2.h"
#include "zcomponents/Zhelper.h"

void ZUnitsStartup()
{
    MystdStartup();
    Std2Startup();
    ZhelperStartup();
}

void ZUnitsShutdown()
{
    Std2Shutdown();
    MystdShutdown();
}

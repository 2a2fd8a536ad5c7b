// orrery-simunit: a simulated matching unit on a pseudo-terminal.
#include "simunit/Simoptions.h"
#include "simunit/Simserial.h"
#include "simunit/Simunit.h"

#include <csignal>
#include <cstdio>
#include <iostream>
#include <pthread.h>

int main(int argc, char** argv)
{
    simunit::SimOptions options;
    std::string error;
    if (!simunit::ParseSimOptions(std::vector<std::string>(argv + 1, argv + argc), options, error)) {
        std::cerr << "orrery-simunit: " << error << "\n" << simunit::SimUsage();
        return 2;
    }
    if (options.help) {
        std::cout << simunit::SimUsage();
        return 0;
    }

    // Signals are taken by sigwait below; the serving threads never see them.
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);

    simunit::SimUnit unit(options.address);
    unit.SetModel(options.model);
    simunit::SimSerialServer serial(unit, options.baud);
    if (!serial.Start(&error)) {
        std::cerr << "orrery-simunit: " << error << "\n";
        return 1;
    }
    std::cout << "unit: " << serial.PtyPath() << std::endl;

    int sig = 0;
    sigwait(&signals, &sig);
    serial.Stop();
    return 0;
}

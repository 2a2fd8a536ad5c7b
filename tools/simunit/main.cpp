// orrery-simunit: a simulated matching unit on a pseudo-terminal.
#include "simunit/Simcommandset.h"
#include "simunit/Simgateway.h"
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

    auto configure = [&](simunit::SimUnit& u) {
        u.SetModel(options.model);
        auto state = simunit::InstallDeviceCommands(u);
        state->With([&](simunit::SimUnitData& d) {
            d.pin = options.pin;
            d.loadR = options.loadR;
            d.loadX = options.loadX;
            d.wander = options.wander;
            d.noise = options.noise;
            d.faults = options.faults;
            if (options.autoTune) {
                d.rfOn = true;
                d.mode = simunit::SimUnitData::ModeAuto;
            }
        });
        return state;
    };
    simunit::SimUnit unit(options.address);
    auto state = configure(unit);
    simunit::SimSerialServer serial(unit, options.baud);
    if (!serial.Start(&error)) {
        std::cerr << "orrery-simunit: " << error << "\n";
        return 1;
    }
    if (!options.serialFault.empty()) {
        using Fault = simunit::SimSerialServer::Fault;
        const Fault fault = options.serialFault == "late"        ? Fault::LateReply
                            : options.serialFault == "nak-apart" ? Fault::NakApartReply
                            : options.serialFault == "after-two" ? Fault::ReplyAfterTwoTimeouts
                            : options.serialFault == "held"      ? Fault::HeldReply
                            : options.serialFault == "twice"     ? Fault::ReplyTwice
                            : options.serialFault == "busy"      ? Fault::BusyReply
                            : options.serialFault == "busy-drop" ? Fault::BusyDropping
                            : options.serialFault == "dribble"   ? Fault::DribbleReply
                            : options.serialFault == "stream"    ? Fault::FrameStream
                            : options.serialFault == "nul"       ? Fault::NulStream
                            : options.serialFault == "slow"      ? Fault::SlowStages
                                                                 : Fault::StrayAfterReply;
        serial.SetRecurringFault(fault, options.serialFaultEvery);
    }
    std::cout << "unit: " << serial.PtyPath() << std::endl;

    // The same unit behind a gateway port (with a second unit on another port), and as a
    // networked unit.
    simunit::SimUnit second(options.address);
    auto secondState = configure(second);
    simunit::SimGateway gateway(simunit::SimGateway::Role::Gateway);
    simunit::SimGateway networked(simunit::SimGateway::Role::NetworkUnit);
    if (options.gatewayPort >= 0) {
        gateway.AddPort("COM1", unit.Address(), simunit::SimGateway::AnswerFrom(unit));
        gateway.AddPort("COM2", second.Address(), simunit::SimGateway::AnswerFrom(second));
        if (!gateway.Start(options.gatewayPort)) {
            std::cerr << "orrery-simunit: cannot listen on port " << options.gatewayPort << "\n";
            return 1;
        }
        std::cout << "gateway: 127.0.0.1:" << gateway.Port() << " " << gateway.PortList() << std::endl;
    }
    if (options.networkUnitPort >= 0) {
        networked.SetUnit(simunit::SimGateway::AnswerFrom(unit));
        if (!networked.Start(options.networkUnitPort)) {
            std::cerr << "orrery-simunit: cannot listen on port " << options.networkUnitPort << "\n";
            return 1;
        }
        std::cout << "network-unit: 127.0.0.1:" << networked.Port() << std::endl;
    }

    int sig = 0;
    sigwait(&signals, &sig);
    networked.Stop();
    gateway.Stop();
    serial.Stop();
    return 0;
}

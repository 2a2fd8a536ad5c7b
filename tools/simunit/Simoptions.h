#pragma once
// Command line of orrery-simunit.

#include <cstdint>
#include <string>
#include <vector>

namespace simunit {

struct SimOptions {
    int address = 2;
    std::string model = "VANT";
    int baud = 9600;
    uint32_t pin = 1;          // the unit's configuration word (family and options)
    double loadR = 25.0;       // the load the matching network sees
    double loadX = 10.0;
    uint64_t faults = 0;       // fault bits set in the status bytes
    bool autoTune = false;     // RF on in Auto mode: the unit tunes itself toward 50 ohm
    double wander = 0.0;       // radius in ohm of the load's circle about loadR, loadX
    bool noise = false;        // the readings fluctuate a little from one reply to the next
    std::string serialFault;   // "" or one of SerialFaultKinds: a fault of the serial line
    int serialFaultEvery = 10; // ... on every n-th frame to the unit
    bool help = false;
    int gatewayPort = -1;     // -1 = none, 0 = an ephemeral port
    int networkUnitPort = -1; // -1 = none, 0 = an ephemeral port
};

// The kinds of --serial-fault.
inline constexpr const char* SerialFaultKinds[] = { "late",  "nak-apart", "stray",   "after-two", "held",  "twice",
                                                    "busy",  "busy-drop", "dribble", "stream",    "nul",  "slow" };

// Parses the arguments after the program name. False with a message on a bad argument.
bool ParseSimOptions(const std::vector<std::string>& args, SimOptions& options, std::string& error);
std::string SimUsage();

} // namespace simunit

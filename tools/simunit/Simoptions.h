#pragma once
// Command line of orrery-simunit.

#include <string>
#include <vector>

namespace simunit {

struct SimOptions {
    int address = 2;
    std::string model = "VANT";
    int baud = 9600;
    bool help = false;
    int gatewayPort = -1;     // -1 = none, 0 = an ephemeral port
    int networkUnitPort = -1; // -1 = none, 0 = an ephemeral port
};

// Parses the arguments after the program name. False with a message on a bad argument.
bool ParseSimOptions(const std::vector<std::string>& args, SimOptions& options, std::string& error);
std::string SimUsage();

} // namespace simunit

#pragma once
// The simulated unit's command set: every unit command the program sends, answered from a
// SimState. Installed on every SimUnit by InstallCommandSets with a state of its own; a test or
// the program installs it again with a state it keeps, to configure and watch the unit.

#include "simunit/Simstate.h"
#include "simunit/Simunit.h"

#include <memory>

namespace simunit {

// Registers the command set on the unit, answering from state (a new one when null); returns
// the state in use.
std::shared_ptr<SimState> InstallDeviceCommands(SimUnit& unit, std::shared_ptr<SimState> state = nullptr);

} // namespace simunit

// A ".cal" configuration file of any text restored onto a unit that accepts every command.
#include "device/Scriptedstep.h"
#include "panel/Scripted.h"
#include "platform/Inifile.h"
#include "service/Configbackup.h"

#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > 65536)
        return 0;
    ScriptedHooks hooks;
    for (int i = 0; i < 8; ++i)
        hooks.answers.push_back(true); // every question answered Yes: the furthest road
    platform::IniFile file;
    file.LoadFromText(std::string_view(reinterpret_cast<const char*>(data), size));
    devicetest::TestDevice device;
    device.SetPin(size > 0 ? 0x10C00u : 0u);
    devicetest::ScriptedStep step(device);
    CConfigBackup backup(device);
    CConfigBackup::Moves moves;
    moves.MoveCapacitors = [](double, double) { return 0; };
    moves.Move3rdCap = [](double) { return 0; };
    for (bool factory : { false, true })
        backup.ReadConfiguration(file, factory, true, moves);
    return 0;
}

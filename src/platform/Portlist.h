#pragma once
// The serial ports the system has: built-in ports with a UART behind them (ttyS), USB serial
// adapters (ttyUSB) and USB modems (ttyACM), named by device path.

#include <string>
#include <vector>

namespace platform {

class PortList {
public:
    static constexpr const char* DefaultSysRoot = "/sys/class/tty";
    static constexpr const char* DefaultDevDir = "/dev";

    // sysRoot is scanned for tty entries; the paths returned lie in devDir.
    explicit PortList(std::string sysRoot = DefaultSysRoot, std::string devDir = DefaultDevDir);

    // Device paths in natural order (ttyS2 before ttyS10). When sysRoot cannot be read at all,
    // the first two built-in ports (devDir/ttyS0, devDir/ttyS1), as the system has always
    // offered COM1 and COM2 when it could not list its ports.
    std::vector<std::string> Ports() const;
    // The same as one text, separated by ",".
    std::string CommaText() const;

private:
    bool IsRealPort(const std::string& name) const;

    std::string sysRoot_;
    std::string devDir_;
};

} // namespace platform

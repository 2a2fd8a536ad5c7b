#pragma once
// The search for a unit over every COM port and baud rate, run by the auto-finding window.
// The unit is reached through IUnitProbe (the main device) so that the search can be driven by
// a scripted unit.

#include <string>
#include <vector>

// A unit on a link of its own, as the port search and the port-list refresh use it.
class IUnitProbe {
public:
    virtual ~IUnitProbe() = default;
    virtual bool OpenPort(const std::string& name, int baud, int readTimeoutMs, int unitAddress) = 0;
    virtual void ClosePort() = 0;
    // Identification: 0 a known model, above 0 an unknown model answered, below 0 a link error.
    virtual int Identify() = 0;
    virtual std::string ModelText() const = 0;
    virtual std::string DisplayName() const = 0;
    virtual std::string LastError() const = 0;
    // Network link over TCP to ip:port with the Modbus unit id (for probing a gateway's ports).
    virtual bool ConnectNetwork(const std::string& ip, int port, int unitId) = 0;
};

// The window side of a search: message pumping, the stop buttons and the progress gauge.
class IAutoFindView {
public:
    virtual ~IAutoFindView() = default;
    virtual void ProcessMessages() = 0;
    virtual bool StopRequested() = 0;
    virtual void ShowGauge(int maximum) = 0;
    virtual void SetGauge(int value, const std::string& caption) = 0;
    virtual void HideGauge() = 0;
};

struct AutoFindParams {
    std::string portList;             // comma text, in search order
    std::vector<std::string> bauds;   // baud rates as text, in search order
    bool skipCurrentPort = false;     // the current port failed already: leave it out
    std::string currentPort;          // the connect bar's port text
    std::string currentBaud;          // the settings' baud text
    int readTimeoutMs = 500;
    int unitAddress = 2;
};

struct AutoFindResult {
    int result = 3;                   // CAutoFind::Found, Stopped or NotFound
    std::string port;                 // where the unit was found
    std::string baud;
};

class CAutoFind {
public:
    static constexpr int Found = 1;
    static constexpr int Stopped = 2;
    static constexpr int NotFound = 3;

    static AutoFindResult Run(const AutoFindParams& params, IUnitProbe& unit, IAutoFindView& view);
};

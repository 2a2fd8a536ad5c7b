#pragma once
// The simulated matching unit: its state and its answers to OstraBus commands, whatever carries
// them (a pseudo-terminal, a gateway, a network socket). Every transport calls Answer().
//
// Command sets live in their own files and register handlers; InstallCommandSets (Simcommands.cpp)
// lists them, so a new set is one line there.

#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <vector>

namespace simunit {

class SimUnit {
public:
    // A handler fills reply with the reply data. For commands 1..127 the first reply byte is
    // the CSR (0 accepted). Returning false refuses the request: the unit then answers as for
    // an unknown command.
    using Handler = std::function<bool(const std::vector<uint8_t>& data, std::vector<uint8_t>& reply)>;

    static constexpr int DefaultAddress = 2;
    static constexpr const char* DefaultModel = "VANT";
    static constexpr int IdentifyCommand = 128;
    static constexpr uint8_t CsrOk = 0;
    static constexpr uint8_t CsrUnknownCommand = 1;

    // With installCommandSets, every command set of InstallCommandSets is registered.
    explicit SimUnit(int address = DefaultAddress, bool installCommandSets = true);

    int Address() const;
    void SetAddress(int address);
    std::string Model() const;
    void SetModel(const std::string& model);

    void Register(int command, Handler handler);

    // The reply data for one request. Handlers run one at a time under the unit's lock (which
    // they may take again: it is recursive).
    void Answer(int command, const std::vector<uint8_t>& data, std::vector<uint8_t>& reply);

    // Requests answered so far (any command).
    int RequestCount() const;

    // Sees every request before its handler, under the unit's lock. A result above 0 answers a
    // command 1..127 with that CSR instead of running its handler (tests inject CSRs this way).
    using Watcher = std::function<uint8_t(int command, const std::vector<uint8_t>& data)>;
    void SetWatcher(Watcher watcher);

    // The unit's lock, for command sets that keep state of their own. It is taken before any
    // lock of theirs (SimState's): never while holding one.
    std::recursive_mutex& Mutex() const { return mutex_; }

private:
    mutable std::recursive_mutex mutex_;
    int address_;
    std::string model_ = DefaultModel;
    std::map<int, Handler> handlers_;
    Watcher watcher_;
    int requestCount_ = 0;
};

// Registers the identify command and every other command set of the simulated unit.
void InstallCommandSets(SimUnit& unit);
// The identify command (128): the model text, without a terminator.
void InstallIdentify(SimUnit& unit);

} // namespace simunit

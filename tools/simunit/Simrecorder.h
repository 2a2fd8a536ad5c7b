#pragma once
// Records the requests a simulated unit receives and can answer a chosen one with a CSR: what
// command-sequence tests watch the unit through.

#include "simunit/Simunit.h"

#include <cstdint>
#include <vector>

namespace simunit {

struct SimRequest {
    int command = 0;
    std::vector<uint8_t> data;
};

class SimRecorder {
public:
    // Installs itself as the unit's watcher until it is destroyed.
    explicit SimRecorder(SimUnit& unit);
    ~SimRecorder();
    SimRecorder(const SimRecorder&) = delete;
    SimRecorder& operator=(const SimRecorder&) = delete;

    // Forgets the requests so far and any pending CSR.
    void Clear();
    // The nth request from the last Clear (1 = the first) is answered with csr, when it is a
    // command 1..127.
    void InjectCsr(int nth, uint8_t csr);

    std::vector<SimRequest> Requests() const;
    std::vector<int> Commands() const;
    // The commands without the service-access commands 67, 68 and 69 around service writes.
    std::vector<int> CommandsWithoutAccess() const;

private:
    SimUnit& unit_;
    std::vector<SimRequest> requests_;
    int csrAt_ = 0;
    uint8_t csr_ = 0;
};

} // namespace simunit

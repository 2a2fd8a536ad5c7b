#pragma once
// Live-read answers for a simulated unit: active trajectory (161), motor status (135), RF on
// (131), live words (255) and status bytes (254), with the RF-on bit under the test's control.

#include "simunit/Simunit.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <vector>

struct SimLive {
    std::atomic<bool> rfOn{true};
    std::atomic<int> liveReads{0};
};

inline std::shared_ptr<SimLive> InstallLiveCommands(simunit::SimUnit& unit)
{
    auto live = std::make_shared<SimLive>();
    auto fixed = [](std::vector<uint8_t> bytes) {
        return [bytes](const std::vector<uint8_t>&, std::vector<uint8_t>& reply) {
            reply = bytes;
            return true;
        };
    };
    unit.Register(161, fixed({1}));
    unit.Register(135, fixed({0}));
    unit.Register(131, [live](const std::vector<uint8_t>&, std::vector<uint8_t>& reply) {
        reply = {static_cast<uint8_t>(live->rfOn ? 1 : 0)};
        return true;
    });
    unit.Register(255, [live](const std::vector<uint8_t>&, std::vector<uint8_t>& reply) {
        const int16_t words[15] = {1024, 0, 16, 100, 0, 0, 0, 0, 5000, 2500,
                                   static_cast<int16_t>((live->rfOn ? 1 : 0) | 2), 35, 10, 0, 0};
        reply.clear();
        for (int16_t w : words) {
            reply.push_back(static_cast<uint8_t>(w & 0xFF));
            reply.push_back(static_cast<uint8_t>((w >> 8) & 0xFF));
        }
        ++live->liveReads;
        return true;
    });
    unit.Register(254, fixed({0, 0, 0, 0, 0, 0, 0, 0}));
    return live;
}

#pragma once
// When a simulated peer was done with each request it heard: its answer's last byte written (or
// the answer dropped), and how many bytes the answer took, by the request's command and first
// data byte. What a soak reads to tell a link that missed an answer from a peer that the machine
// held up past the link's wait.

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <map>
#include <mutex>
#include <optional>
#include <utility>

namespace simunit {

class SimAnswerTimes {
public:
    using Clock = std::chrono::steady_clock;
    struct Answer {
        Clock::time_point end;
        int bytes = 0; // what the answer wrote
    };

    // The peer was done with a request of this command and data at end.
    void Note(uint8_t command, const uint8_t* data, size_t length, int bytes, Clock::time_point end);
    // The answer to the latest request of this command and first data byte, once one the peer
    // was done with at or after since is known; nothing when none is within the wait.
    std::optional<Answer> WaitFor(uint8_t command, uint8_t first, Clock::time_point since,
                                  Clock::duration wait) const;

private:
    mutable std::mutex mutex_;
    mutable std::condition_variable changed_;
    // One entry for each command and first byte: a long run keeps its memory flat.
    std::map<std::pair<uint8_t, int>, Answer> latest_;
};

} // namespace simunit

#include "simunit/Simanswertimes.h"

namespace simunit {

namespace {
constexpr int NoData = -1; // the key's first byte of a request without data
}

void SimAnswerTimes::Note(uint8_t command, const uint8_t* data, size_t length, int bytes, Clock::time_point end)
{
    {
        std::lock_guard<std::mutex> lock(mutex_);
        latest_[{ command, length > 0 ? data[0] : NoData }] = Answer { end, bytes };
    }
    changed_.notify_all();
}

std::optional<SimAnswerTimes::Answer> SimAnswerTimes::WaitFor(uint8_t command, uint8_t first,
                                                              Clock::time_point since, Clock::duration wait) const
{
    std::unique_lock<std::mutex> lock(mutex_);
    std::optional<Answer> found;
    changed_.wait_for(lock, wait, [&] {
        const auto it = latest_.find({ command, first });
        if (it != latest_.end() && it->second.end >= since)
            found = it->second;
        return found.has_value();
    });
    return found;
}

} // namespace simunit

#include "simunit/Simrecorder.h"

#include "device/Unitconst.h"

#include <mutex>

namespace simunit {

SimRecorder::SimRecorder(SimUnit& unit) : unit_(unit)
{
    unit_.SetWatcher([this](int command, const std::vector<uint8_t>& data) -> uint8_t {
        requests_.push_back({command, data});
        return static_cast<int>(requests_.size()) == csrAt_ ? csr_ : 0;
    });
}

SimRecorder::~SimRecorder() { unit_.SetWatcher(nullptr); }

void SimRecorder::Clear()
{
    std::lock_guard<std::recursive_mutex> lock(unit_.Mutex());
    requests_.clear();
    csrAt_ = 0;
    csr_ = 0;
}

void SimRecorder::InjectCsr(int nth, uint8_t csr)
{
    std::lock_guard<std::recursive_mutex> lock(unit_.Mutex());
    csrAt_ = nth;
    csr_ = csr;
}

std::vector<SimRequest> SimRecorder::Requests() const
{
    std::lock_guard<std::recursive_mutex> lock(unit_.Mutex());
    return requests_;
}

std::vector<int> SimRecorder::Commands() const
{
    std::vector<int> out;
    for (const SimRequest& r : Requests())
        out.push_back(r.command);
    return out;
}

std::vector<int> SimRecorder::CommandsWithoutAccess() const
{
    std::vector<int> out;
    for (int c : Commands())
        if (c != unitcmd::AccessCode1 && c != unitcmd::AccessCode2 && c != unitcmd::AccessOff)
            out.push_back(c);
    return out;
}

} // namespace simunit

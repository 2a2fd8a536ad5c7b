#include "simunit/Simunit.h"

namespace simunit {

SimUnit::SimUnit(int address, bool installCommandSets) : address_(address)
{
    if (installCommandSets)
        InstallCommandSets(*this);
}

int SimUnit::Address() const
{
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    return address_;
}

void SimUnit::SetAddress(int address)
{
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    address_ = address;
}

std::string SimUnit::Model() const
{
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    return model_;
}

void SimUnit::SetModel(const std::string& model)
{
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    model_ = model;
}

void SimUnit::Register(int command, Handler handler)
{
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    handlers_[command] = std::move(handler);
}

int SimUnit::RequestCount() const
{
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    return requestCount_;
}

void SimUnit::SetWatcher(Watcher watcher)
{
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    watcher_ = std::move(watcher);
}

void SimUnit::Answer(int command, const std::vector<uint8_t>& data, std::vector<uint8_t>& reply)
{
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    ++requestCount_;
    reply.clear();
    if (watcher_) {
        const uint8_t csr = watcher_(command, data);
        if (csr != 0 && command >= 1 && command <= 127) {
            reply.push_back(csr);
            return;
        }
    }
    const auto it = handlers_.find(command);
    if (it != handlers_.end() && it->second(data, reply))
        return;
    reply.clear();
    if (command >= 1 && command <= 127)
        reply.push_back(CsrUnknownCommand);
}

void InstallIdentify(SimUnit& unit)
{
    unit.Register(SimUnit::IdentifyCommand, [&unit](const std::vector<uint8_t>&, std::vector<uint8_t>& reply) {
        const std::string model = unit.Model();
        reply.assign(model.begin(), model.end());
        return true;
    });
}

} // namespace simunit

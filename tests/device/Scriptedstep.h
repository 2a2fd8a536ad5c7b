#pragma once
// A device whose commands never reach a link: a scripted transaction step captures each request
// and answers it from a script, so tests see the exact request bytes and choose the replies.

#include "device/Device.h"

#include <cstdint>
#include <deque>
#include <vector>

namespace devicetest {

class TestDevice : public CDevice {
public:
    void SetPin(uint32_t pin) { pin_ = pin; }
    void SetReply(const std::vector<uint8_t>& reply)
    {
        for (size_t i = 0; i < reply.size(); ++i)
            buffer_[i] = reply[i];
        replyLength_ = static_cast<int>(reply.size());
        readPosition_ = 0;
        requestLength_ = 0;
    }
};

struct Sent {
    int command;
    std::vector<uint8_t> data;
    bool ignoreCsr;
};

struct Answer {
    int result = 0;
    std::vector<uint8_t> reply;
};

class ScriptedStep : public ITransactStep {
public:
    explicit ScriptedStep(TestDevice& dev) : dev_(dev) { dev.SetTransactStep(this); }
    ~ScriptedStep() override { dev_.SetTransactStep(nullptr); }

    int Transact(CDevice&, int command, bool ignoreCsr) override
    {
        sent.push_back({command, std::vector<uint8_t>(dev_.Buffer(), dev_.Buffer() + dev_.RequestLength()), ignoreCsr});
        Answer a;
        if (!script.empty()) {
            a = script.front();
            script.pop_front();
        } else if (command >= 1 && command <= 127) {
            a.reply = {0}; // accepted
        }
        dev_.SetReply(a.reply);
        int result = a.result;
        if (result == 0 && command >= 1 && command <= 127 && !a.reply.empty())
            result = a.reply[0];
        if (ignoreCsr && result > 0)
            result = 0;
        return result;
    }

    void Then(std::vector<uint8_t> reply, int result = 0) { script.push_back({result, std::move(reply)}); }
    std::vector<int> Commands() const
    {
        std::vector<int> out;
        for (const Sent& s : sent)
            out.push_back(s.command);
        return out;
    }

    std::vector<Sent> sent;
    std::deque<Answer> script;

private:
    TestDevice& dev_;
};

class DemoOn : public IDemoFlag {
public:
    bool IsDemo() const override { return on; }
    bool on = true;
};

} // namespace devicetest

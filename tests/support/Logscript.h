#pragma once
// A scripted unit and a fixed clock for the data logger's tests.

#include "panel/Logger.h"

#include <deque>

namespace testsupport {

class ScriptedLogUnit : public ILogUnit {
public:
    int ReadRfOn() override
    {
        ++rfOnReads;
        return rfOn;
    }
    int ReadLive(CLiveSample& s) override
    {
        ++liveReads;
        if (!liveResults.empty()) {
            const int r = liveResults.front();
            liveResults.pop_front();
            if (r != 0)
                return r;
        }
        s = sample;
        return 0;
    }
    bool Has3rdCap() const override { return thirdCap; }
    bool HasOutputSensor() const override { return outputSensor; }
    std::string UnitIdText() override { return idText; }

    // A sample whose every value shows in the log with a distinct text.
    static CLiveSample TypicalSample()
    {
        CLiveSample s;
        s.status = 0x0123;
        s.statusBytes = {0x1, 0xA0000000};
        s.r = 50.04;
        s.x = -1.26;
        s.gamma = 0.034;
        s.power = 100;
        s.w4 = 1.5;
        s.w5 = 2.26;
        s.w6 = 3.5;
        s.w7 = 42.6;
        s.load = 33.3;
        s.tune = 66.6;
        s.temp = 35;
        s.rfPeak = 1200;
        s.dcBias = -12;
        s.rfCap = 512;
        return s;
    }

    int rfOn = 1;
    std::deque<int> liveResults; // results of the next live reads (0 gives the sample)
    CLiveSample sample = TypicalSample();
    bool thirdCap = false;
    bool outputSensor = false;
    std::string idText = "Unit 1 SN:1234 PIN:00000400";
    int rfOnReads = 0;
    int liveReads = 0;
};

class FixedLogClock : public ILogClock {
public:
    int64_t TickMs() override
    {
        const int64_t t = tick;
        tick += step;
        return t;
    }
    CLocalTime Now() override { return now; }

    int64_t tick = 10000;
    int64_t step = 250;
    CLocalTime now{8, 5, 9, "07.12.2026 08:05:09"};
};

} // namespace testsupport

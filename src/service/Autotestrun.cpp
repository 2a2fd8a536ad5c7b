#include "service/Autotestrun.h"

#include <algorithm>

void CAutoTestRun::Execute()
{
    host_.SyncStart();
    startTick_ = host_.Now();
    msLeft_ = CAutoTestRules::RunMs(mode_.Minutes);
    for (;;) {
        if (mode_.Mode == SAutoTestMode::ModeCycles)
            cyclesLeft_ = mode_.Cycles - passesDone_;
        stepDelay_ = host_.SyncStep(row_, cyclesLeft_, msLeft_);
        Dwell(stepDelay_);
        if (host_.Terminated())
            break;
        if (row_ >= rowCount_ - 1) {
            row_ = 0;
            if (!NextPass())
                break;
        }
        ++row_;
    }
    host_.SyncEnd();
}

void CAutoTestRun::Dwell(int64_t delay)
{
    int64_t d = std::clamp<int64_t>(delay, 0, CAutoTestRules::MaxDelayMs);
    while (d > 0 && !host_.Terminated()) {
        const int s = int(std::min<int64_t>(d, SliceMs));
        host_.Sleep(s);
        d -= s;
    }
}

bool CAutoTestRun::NextPass()
{
    if (!host_.RepeatDown())
        return false;
    if (mode_.Mode == SAutoTestMode::ModeCycles) {
        ++passesDone_;
        return passesDone_ < mode_.Cycles;
    }
    if (mode_.Mode == SAutoTestMode::ModeTime) {
        const int64_t runMs = CAutoTestRules::RunMs(mode_.Minutes);
        const int64_t elapsed = host_.Now() - startTick_;
        if (elapsed > runMs)
            return false;
        msLeft_ = runMs - elapsed;
    }
    return true;
}

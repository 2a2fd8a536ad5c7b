#include "device/Unitstate.h"

#include "device/Unitconst.h"

#include <algorithm>
#include <cmath>

namespace {
int ClampIndex(int index, int count) { return std::clamp(index, 0, count - 1); }
} // namespace

uint32_t CUnitState::Family() const { return pin_ & unitconst::FamilyMask; }

bool CUnitState::PinHas3rdCap(uint32_t pin)
{
    const uint32_t family = pin & unitconst::FamilyMask;
    return family == unitconst::Family3Cap || family == unitconst::Family3CapFixed;
}

bool CUnitState::PinHasOutputSensor(uint32_t pin) { return (pin & unitconst::PinOutputSensor) != 0; }

bool CUnitState::Has3rdCap() const { return PinHas3rdCap(pin_); }

bool CUnitState::Is3rdCapFixed() const { return Family() == unitconst::Family3CapFixed; }

bool CUnitState::HasOutputSensor() const { return PinHasOutputSensor(pin_); }

bool CUnitState::IsFamily200() const
{
    return Family() == unitconst::Family200 || (pin_ & ~0x1FFu) == unitconst::Family200Alt;
}

bool CUnitState::PinBit31() const { return (pin_ & unitconst::PinBit31) != 0; }
bool CUnitState::PinBit30() const { return (pin_ & unitconst::PinBit30) != 0; }

UnitType CUnitState::Type() const
{
    if (Has3rdCap())
        return UnitType::ThirdCap;
    if (HasOutputSensor())
        return UnitType::OutputSensor;
    return UnitType::Plain;
}

const CCapRecord& CUnitState::Cap(int index) const { return caps_[ClampIndex(index, CapCount)]; }
CCapRecord& CUnitState::Cap(int index) { return caps_[ClampIndex(index, CapCount)]; }

double CUnitState::Position(int cap) const { return Cap(cap).position; }

double CUnitState::CapMin(int cap) const
{
    if (cap == 2 && Is3rdCapFixed())
        return 0.0;
    return Cap(cap).minPosition;
}

double CUnitState::CapMax(int cap) const
{
    if (cap == 2 && Is3rdCapFixed())
        return 100.0;
    return Cap(cap).maxPosition;
}

int CUnitState::CapTotal(int cap) const { return Cap(cap).totalSteps; }
int CUnitState::CapOffset(int cap) const { return Cap(cap).stepOffset; }

double CUnitState::CapToPf(int cap, double percent) const
{
    if (cap < 0 || cap >= CapCount)
        return 0.0;
    if (cap == 2 && Is3rdCapFixed())
        return 0.0;
    const CCapRecord& c = caps_[cap];
    if (c.totalSteps == 0)
        return 0.0;
    return c.cMin + (c.cMax - c.cMin) * percent * 0.01;
}

const CTrajectory& CUnitState::Trajectory(int index) const
{
    return trajectories_[ClampIndex(index, TrajectoryCount)];
}

CTrajectory& CUnitState::Trajectory(int index)
{
    return trajectories_[ClampIndex(index, TrajectoryCount)];
}

const CUnitState::LogRecord& CUnitState::ServiceLogRecord(int index) const
{
    return serviceLog_[ClampIndex(index, LogRecords)];
}

int CUnitState::AdcFit(int count, double fullScale)
{
    double v = count / 4096.0 * fullScale;
    if (v > fullScale)
        v = fullScale;
    double k = 0.2 * (10.0 * v / (5.0 - v));
    if (!(k >= 0.3)) // also a value that is not a number
        k = 0.3;
    if (k > 2.0)
        k = 2.0;
    return static_cast<int>(175.0 * std::pow(k, -0.15) - 150.0);
}

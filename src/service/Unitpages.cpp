#include "service/Unitpages.h"

namespace {

constexpr int Load = 0, Tune = 1, Third = 2;

} // namespace

int ReadSetupData(CDevice& dev, CSetupData& d)
{
    d.read = CSetupData::NothingRead;
    d.potsRead = 0;
    const auto steps = [&](int c) {
        d.total[c] = dev.CapTotal(c);
        d.offset[c] = dev.CapOffset(c);
    };
    const auto range = [&](int c) {
        d.cMax[c] = dev.CapToPf(c, 100.0);
        d.cMin[c] = dev.CapToPf(c, 0.0);
    };
    int r = dev.ReadProductId(d.productId);
    if (r != 0)
        return r;
    d.read = CSetupData::ProductIdRead;
    if ((r = dev.ReadVersionText(d.versionText)) != 0)
        return r;
    d.read = CSetupData::VersionRead;
    if ((r = dev.ReadPin()) != 0)
        return r;
    d.pin = dev.Pin();
    d.read = CSetupData::PinRead;
    if ((r = dev.ReadSerialNumber(d.serial)) != 0)
        return r;
    d.read = CSetupData::SerialRead;
    if ((r = dev.ReadCapSteps()) != 0)
        return r;
    steps(Load);
    steps(Tune);
    d.read = CSetupData::StepsRead;
    if ((r = dev.ReadCapRange()) != 0)
        return r;
    range(Load);
    range(Tune);
    d.read = CSetupData::RangeRead;
    // A unit without a third capacitor gives the device's own values for its fields.
    const bool third = dev.Has3rdCap();
    if (third && (r = dev.Read3capSteps()) != 0)
        return r;
    steps(Third);
    d.read = CSetupData::ThirdStepsRead;
    if (third && (r = dev.Read3capRange()) != 0)
        return r;
    range(Third);
    d.read = CSetupData::ThirdRangeRead;
    if ((r = dev.ReadSensorPoff(0, d.inPoff)) != 0)
        return r;
    d.read = CSetupData::InPoffRead;
    if ((r = dev.ReadSensorAver(0, d.inAver)) != 0)
        return r;
    d.read = CSetupData::InAverRead;
    if (third)
        r = dev.Read3capAver(d.outAver);
    else if (dev.HasOutputSensor())
        r = dev.ReadSensorAver(1, d.outAver);
    if (r != 0)
        return r;
    d.read = CSetupData::OutAverRead;
    int csr = 0;
    for (int i = 0; i < CSetupData::Pots; ++i) {
        r = dev.ReadPot(CSetupData::FirstPot + i, d.pots[i]);
        if (r < 0)
            return r;
        if (r > 0 && csr == 0)
            csr = r;
        d.potsRead = i + 1;
    }
    d.read = CSetupData::PotsRead;
    return csr;
}

int SendSetupConfig(CDevice& dev, const CSetupData& d)
{
    int r = dev.WriteCapSteps(d.total[Load], d.total[Tune], d.offset[Load], d.offset[Tune]);
    if (r != 0)
        return r;
    if ((r = dev.WriteCapRange(d.cMax[Load], d.cMax[Tune], d.cMin[Load], d.cMin[Tune])) != 0)
        return r;
    const bool third = dev.Has3rdCap();
    if (third) {
        if ((r = dev.Write3capSteps(d.total[Third], d.offset[Third])) != 0)
            return r;
        if ((r = dev.Write3capRange(d.cMax[Third], d.cMin[Third])) != 0)
            return r;
    }
    if ((r = dev.SetSensorAver(0, d.inAver)) != 0 || (r = dev.SetSensorPoff(0, d.inPoff)) != 0)
        return r;
    if (third) {
        r = dev.Write3capAver(d.outAver);
    } else if (dev.HasOutputSensor()) {
        if ((r = dev.SetSensorAver(1, d.outAver)) == 0)
            r = dev.SetSensorPoff(1, 0);
    }
    if (r != 0)
        return r;
    for (int i = 0; i < CSetupData::Pots; ++i) {
        r = dev.SetPot(CSetupData::FirstPot + i, d.pots[i]);
        if (r < 0)
            return r;
    }
    return 0;
}

int ReadTrajData(CDevice& dev, CTrajData& d)
{
    int r = dev.ReadTrajectories();
    if (r != 0 || (r = dev.ReadTrajectory()) != 0 || (r = dev.ReadCapLimits()) != 0)
        return r;
    for (int i = 0; i < CUnitState::TrajectoryCount; ++i)
        d.sets[i] = dev.Trajectory(i);
    d.perPoint = dev.PerPointValuesEnabled();
    d.active = dev.ActiveTrajectory();
    d.loadMin = dev.CapMin(Load);
    d.loadMax = dev.CapMax(Load);
    d.tuneMin = dev.CapMin(Tune);
    d.tuneMax = dev.CapMax(Tune);
    return 0;
}

int SendTrajData(CDevice& dev, const CTrajData& d)
{
    for (int i = 0; i < CUnitState::TrajectoryCount; ++i)
        dev.Trajectory(i) = d.sets[i];
    dev.SetPerPointValuesEnabled(d.perPoint);
    int r = dev.WriteTrajectories();
    if (r != 0 || (r = dev.SelectTrajectory(d.active)) != 0)
        return r;
    return dev.WriteCapLimits(d.loadMin, d.tuneMin, d.loadMax, d.tuneMax);
}

int ReadTuningData(CDevice& dev, CTuningData& d)
{
    const int r = dev.ReadTuning(d.tuning);
    if (r != 0)
        return r;
    CModelParams& m = dev.Model();
    m.vswrStop = d.tuning.stop;
    m.vswrStart = d.tuning.start;
    m.rflStop = d.tuning.rflStop;
    m.rflStart = d.tuning.rflStart;
    dev.ReadTarget(d.rTarget, d.xTarget);
    return 0;
}

int SendTuningData(CDevice& dev, const CTuningData& d)
{
    const int r = dev.WriteTuning(d.tuning);
    if (r != 0)
        return r;
    return dev.WriteTarget(d.rTarget, d.xTarget);
}

int Read3capData(CDevice& dev, C3capData& d)
{
    if (!dev.Has3rdCap())
        return 0;
    int r = dev.Read3capLimits();
    if (r != 0 || (r = dev.Read3capPresetSel()) != 0)
        return r;
    for (int i = 0; i < CUnitState::ThirdCapPresets; ++i)
        if ((r = dev.Read3capPresetN(i, d.presets[i])) != 0)
            return r;
    if ((r = dev.Read3capControl(d.control)) != 0 || (r = dev.Read3capVLevel(d.vlevel)) != 0)
        return r;
    d.min = dev.CapMin(Third);
    d.max = dev.CapMax(Third);
    d.presetSel = dev.ThirdCapActivePreset();
    return 0;
}

int Send3capData(CDevice& dev, const C3capData& d)
{
    if (!dev.Has3rdCap())
        return 0;
    int r = dev.Write3capLimits(d.min, d.max);
    if (r != 0 || (r = dev.Write3capPresetSel(d.presetSel)) != 0)
        return r;
    for (int i = 0; i < CUnitState::ThirdCapPresets; ++i)
        if ((r = dev.Write3capPresetN(i, d.presets[i])) != 0)
            return r;
    if ((r = dev.Write3capControl(d.control)) != 0)
        return r;
    return dev.Write3capVLevel(d.vlevel);
}

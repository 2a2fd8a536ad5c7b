#include "service/Modelrules.h"

#include "common/Helpers.h"
#include "device/Unitstate.h"

namespace {

constexpr int LoadCap = 0;
constexpr int TuneCap = 1;

} // namespace

std::string CModelRules::RangeText(const CUnitState& unit, int cap)
{
    return FloatToText(unit.CapToPf(cap, 0.0), ValueDecimals) + "..." +
           FloatToText(unit.CapToPf(cap, 100.0), ValueDecimals) + " pF";
}

SModelTexts CModelRules::Texts(const CUnitState& unit)
{
    const CModelParams& m = unit.Model();
    SModelTexts t;
    t.Freq = FloatToText(m.freq, FreqDecimals);
    t.Lsh = FloatToText(m.lsh, ValueDecimals);
    t.Cpar = FloatToText(m.cpar, ValueDecimals);
    t.Lser = FloatToText(m.lser, ValueDecimals);
    t.Cout = FloatToText(m.cout, ValueDecimals);
    t.TLsh = FloatToText(m.tlsh, ValueDecimals);
    t.TCpar = FloatToText(m.tcpar, ValueDecimals);
    t.Page = m.modelType;
    t.LoadRange = RangeText(unit, LoadCap);
    t.TuneRange = RangeText(unit, TuneCap);
    return t;
}

void CModelRules::Store(const SModelTexts& t, CUnitState& unit)
{
    CModelParams& m = unit.Model();
    m.freq = TextToDouble(t.Freq);
    m.cpar = TextToDouble(t.Cpar);
    m.cout = TextToDouble(t.Cout);
    m.lsh = TextToDouble(t.Lsh);
    m.lser = TextToDouble(t.Lser);
    m.tcpar = TextToDouble(t.TCpar);
    m.tlsh = TextToDouble(t.TLsh);
    m.modelType = t.Page;
}

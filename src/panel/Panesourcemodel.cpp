#include "panel/Panesourcemodel.h"

#include "device/Data.h"
#include "device/Unitstate.h"
#include "device/Var.h"

#include <limits>

CModelPaneSource::CModelPaneSource(CVars& vars, const CData& data, const CUnitState* unit)
    : vars_(vars), data_(&data), unit_(unit)
{
}

SVarInfo CModelPaneSource::Var(int id) const
{
    const CVar& v = vars_.Find(id);
    return {v.shortName, v.longName, v.unit, v.decimals, v.min, v.max};
}

double CModelPaneSource::LatestValue(int id) const
{
    if (!latestKnown_)
        return std::numeric_limits<double>::quiet_NaN();
    return unit_ ? data_->Latest().Value(id, *unit_) : data_->Latest().Value(id);
}

int CModelPaneSource::SampleCount() const
{
    return data_->Count();
}

double CModelPaneSource::SampleValue(int index, int id) const
{
    const CDataRec* rec = data_->At(index);
    if (!rec)
        return 0;
    return unit_ ? rec->Value(id, *unit_) : rec->Value(id);
}

int CModelPaneSource::Selectable(int kind, int index) const
{
    return CVars::Selectable(kind, index, unit_ ? unit_->Type() : UnitType::Plain);
}

void CModelPaneSource::SetVarFormat(int id, int decimals, double min, double max)
{
    CVar& v = vars_.Find(id);
    v.decimals = decimals;
    v.min = min;
    v.max = max;
}

#pragma once
// The readings panes' view of the program's variable table, sample store and connected unit.

#include "panel/Panesource.h"

class CData;
class CUnitState;
class CVars;

class CModelPaneSource : public IPaneSource {
public:
    // unit gives the unit type and the capacitor ranges; may be null (a plain unit).
    CModelPaneSource(CVars& vars, const CData& data, const CUnitState* unit);

    SVarInfo Var(int id) const override;
    double LatestValue(int id) const override;
    int SampleCount() const override;
    double SampleValue(int index, int id) const override;
    int Selectable(int kind, int index) const override;
    void SetVarFormat(int id, int decimals, double min, double max) override;

    // Another sample store to read from.
    void SetData(const CData& data) { data_ = &data; }
    // Without a known latest sample (the readings failed) LatestValue is NaN: no number.
    void SetLatestKnown(bool known) { latestKnown_ = known; }

private:
    CVars& vars_;
    const CData* data_;
    const CUnitState* unit_;
    bool latestKnown_ = true;
};

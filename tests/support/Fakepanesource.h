#pragma once
// A pane source with settable rows, latest values, history and selectable lists, for tests of
// the readings panes without a unit.

#include "panel/Panesource.h"

#include <map>
#include <vector>

class CFakePaneSource : public IPaneSource {
public:
    std::map<int, SVarInfo> Vars;
    std::map<int, double> Latest;
    std::vector<double> History; // one value per sample, the same for every variable
    std::map<int, std::vector<int>> SelectableLists;

    CFakePaneSource()
    {
        Vars[1] = {"R", "R", "Ohms", 1, 0, 100};
        Vars[2] = {"X", "X", "Ohms", 1, -50, 50};
        Vars[3] = {"Gamma", "Gamma", "", 2, 0, 1};
        Vars[13] = {"Load", "Load Position", "%", 2, 0, 100};
        SelectableLists[0] = {1, 2, 3, 13};
        SelectableLists[1] = {2, 3, 13};
        SelectableLists[2] = {1, 2, 3, 13};
    }

    SVarInfo Var(int id) const override
    {
        auto it = Vars.find(id);
        return it != Vars.end() ? it->second : SVarInfo{"Unknown", "Unknown", "", 0, 0, 0};
    }
    double LatestValue(int id) const override
    {
        auto it = Latest.find(id);
        return it != Latest.end() ? it->second : 0.0;
    }
    int SampleCount() const override { return int(History.size()); }
    double SampleValue(int index, int) const override
    {
        if (History.empty())
            return 0;
        if (index < 0)
            index = 0;
        if (index >= int(History.size()))
            index = int(History.size()) - 1;
        return History[size_t(index)];
    }
    void SetVarFormat(int id, int decimals, double min, double max) override
    {
        SVarInfo& v = Vars[id];
        v.Decimals = decimals;
        v.Min = min;
        v.Max = max;
    }
    int Selectable(int kind, int index) const override
    {
        auto it = SelectableLists.find(kind);
        if (it == SelectableLists.end() || index < 0 || index >= int(it->second.size()))
            return -1;
        return it->second[size_t(index)];
    }
};

#pragma once
// What the readings panes read: the rows of the variable table, the sample store's latest record
// and history, and which variables a pane kind may show on the connected unit.

#include <string>

struct SVarInfo {
    std::string ShortName;
    std::string LongName;
    std::string Unit;
    int Decimals = 0;
    double Min = 0;
    double Max = 0;
};

class IPaneSource {
public:
    virtual ~IPaneSource() = default;
    virtual SVarInfo Var(int id) const = 0;
    // The variable's value in the latest (work) record.
    virtual double LatestValue(int id) const = 0;
    // Number of committed samples and the value of sample index (0 = oldest).
    virtual int SampleCount() const = 0;
    virtual double SampleValue(int index, int id) const = 0;
    // The index-th selectable id of a pane kind on the connected unit; -1 past the end.
    virtual int Selectable(int kind, int index) const = 0;
    // The user's format of a variable (the display settings dialog edits it).
    virtual void SetVarFormat(int id, int decimals, double min, double max) = 0;

    bool IsSelectable(int kind, int id) const
    {
        for (int i = 0;; ++i) {
            int v = Selectable(kind, i);
            if (v < 0)
                return false;
            if (v == id)
                return true;
        }
    }
};

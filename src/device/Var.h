#pragma once
// The table of displayable variables: one row per variable id with its names, unit, decimals
// and display range; the lists of variables each pane kind may show on a unit type, and the
// default pane layouts.

#include "device/Unitstate.h"

#include <string>
#include <vector>

class CRegistry;

class CVar {
public:
    CVar(int id, std::string shortName, std::string longName, std::string unit, int decimals,
         double min, double max);
    virtual ~CVar() = default;

    int id;
    std::string shortName;
    std::string longName;
    std::string unit;
    int decimals;
    double min; // display range of bars and plots
    double max;
};

// Pane kinds of the readings panes; a layout entry of kind Separator has variable 0.
enum PaneKind { PaneValue = 0, PaneBar = 1, PanePlot = 2, PaneSeparator = 3 };

struct CLayoutEntry {
    int pane; // 0 the main readings pane, 1 the second pane
    int kind;
    int var;
    bool operator==(const CLayoutEntry&) const = default;
};

class CVars {
public:
    static constexpr int UnknownId = -1;
    // The decimals a row may show (the display settings dialog's "Digits").
    static constexpr int MinDecimals = 0, MaxDecimals = 10;

    CVars();
    virtual ~CVars() = default;
    CVars(const CVars&) = delete;
    CVars& operator=(const CVars&) = delete;

    // The row of an id; the "Unknown" row (id -1) when there is none.
    CVar& Find(int id);
    const CVar& Find(int id) const;
    int RowCount() const { return static_cast<int>(rows_.size()); }
    const CVar& Row(int index) const;

    // Loads or saves section "Vars" (the user's decimals and ranges). Loaded decimals are kept
    // within MinDecimals..MaxDecimals; a loaded range whose minimum is not below its maximum
    // (or is not finite) leaves the row's range as it was.
    void Exchange(CRegistry& store);
    // Maximum of the capacitance rows 16, 17, 18 := capacitance of capacitor 0, 1, 2 at 100 %.
    void SetCapMaxima(const CUnitState& unit);

    // The index-th variable a pane kind may show on a unit type; -1 past the end or for any
    // other kind.
    static int Selectable(int kind, int index, UnitType type);
    static std::vector<CLayoutEntry> DefaultLayout(UnitType type);

private:
    std::vector<CVar> rows_; // the last row is "Unknown"
};

// The one variable table of the program.
CVars& ProgramVars();

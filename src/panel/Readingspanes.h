#pragma once
// The main window's two readings panes without their list boxes: what they read, their items,
// the default layout and the refresh rules. Plot items belong to the lower pane (list 1) and
// share one plot view; when list 1 moves the view while it repaints, its plots are painted once
// more so that every trace starts at the same sample.

#include "panel/Panelist.h"
#include "panel/Panesourcemodel.h"

#include <memory>
#include <string>

class CData;
class CPlotView;
class CRegistry;
class CUnitState;
class CVars;

class CReadingsPanes {
public:
    static constexpr int PaneCount = 2;
    static constexpr int DefaultPaneWidth = 160; // the upper pane's width in the default display

    // unit gives the unit type of the default layout and of validation; style and view are the
    // program's item sizes and plot view. All of them outlive the panes.
    CReadingsPanes(CVars& vars, const CData& data, const CUnitState& unit, const CItemStyle& style,
                   CPlotView& view);
    CReadingsPanes(const CReadingsPanes&) = delete;
    CReadingsPanes& operator=(const CReadingsPanes&) = delete;

    // Pane list 0 or 1; nullptr for any other index.
    CPaneList* Get(int pane) const;
    IPaneSource& Source() { return source_; }
    // Whether the latest sample is the unit's (false after the readings failed: no numbers).
    void SetLatestKnown(bool known) { source_.SetLatestKnown(known); }
    // The sample store the items read from.
    void SetData(const CData& data) { source_.SetData(data); }

    // Clears both panes, gives the upper one its default width and adds the unit type's default
    // layout.
    void SetDefault();
    // Every item of both panes repaints (plots with autoScroll = force).
    void RefreshAllItems(bool force);
    // The plot items of both panes repaint (autoScroll = force).
    void RefreshPlots(bool force);
    // Value and bar items take the latest values.
    void ApplyValues();
    // Each plot draws its newest segment. True when the lower pane's plots scrolled: they were
    // repainted in full, and so must the history plot be.
    bool ApplyPlots();
    // Drops the items the unit cannot show, then repaints every item.
    void Validate();
    // The hosts ask every height again and repaint (after the item sizes changed).
    void Remeasure();
    // Section "Pane0" or "Pane1" of a pane.
    void Exchange(CRegistry& store, int pane);
    static std::string Section(int pane);

private:
    const CUnitState& unit_;
    CModelPaneSource source_;
    std::unique_ptr<CPaneList> lists_[PaneCount];
};

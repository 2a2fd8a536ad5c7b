#pragma once
// The items of one readings pane in display order, and the pane's settings section. The list box
// that shows them is the host: it lays the entries out by the items' heights and hands out the
// canvas and rectangle of each entry that is on screen.

#include "panel/Item.h"

#include <memory>
#include <string>
#include <vector>

class CRegistry;

class IPaneHost {
public:
    virtual ~IPaneHost() = default;
    // The entries changed: ask every item's height again, repaint, show the button-face colour.
    virtual void ItemsChanged() = 0;
    // Canvas and rectangle of entry index while it is on screen; nullptr when it is not.
    virtual IItemCanvas* ItemCanvas(int index, SRect& rect) = 0;
    // The drawing of one refresh is complete.
    virtual void ItemsPainted() = 0;
    virtual int PaneWidth() const = 0;
    virtual void SetPaneWidth(int width) = 0;
};

class CPaneList {
public:
    static constexpr const char* InvalidVersionText = "Invalid Config. Version";
    // Entries read from a pane section at most: more than a pane can show.
    static constexpr int MaxItems = 1000;

    explicit CPaneList(const CPaneContext& context, IPaneHost* host = nullptr);
    virtual ~CPaneList();
    CPaneList(const CPaneList&) = delete;
    CPaneList& operator=(const CPaneList&) = delete;

    void SetHost(IPaneHost* host);
    IPaneHost* Host() const { return host_; }
    const CPaneContext& Context() const { return context_; }

    int Count() const { return int(items_.size()); }
    CItem* Item(int i) const;
    CItem* Add(int kind, int varId);
    void AddItem(std::unique_ptr<CItem> item);
    void Delete(int i);
    void Swap(int i, int j);
    void Clear();
    // The host asks every height again, then every item repaints with force.
    void Remeasure();

    // Full paint of every item (plot items with autoScroll = force); true when a plot scrolled.
    bool RefreshAll(bool force);
    bool RefreshPlots(bool force);
    // Incremental refresh of the value and bar items.
    void ApplyValues();
    // Incremental refresh of the plot items; true when a plot scrolled (repaint the plots then).
    bool ApplyPlots();

    // Drops the items the connected unit cannot show, and a separator right after a kept one.
    void Validate();
    // Section "Pane0" or "Pane1": "Item0".. and "Width", one routine for load and save.
    void Exchange(CRegistry& store, const std::string& section);

private:
    template <class Fn> bool ForEachShown(Fn fn);
    void Changed();

    CPaneContext context_;
    IPaneHost* host_;
    std::vector<std::unique_ptr<CItem>> items_;
    int width_ = 0; // the pane width while there is no host
};

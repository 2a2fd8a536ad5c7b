#pragma once
// A pane host for tests of the pane lists without a list box: counts the layout changes and the
// entries handed out for drawing. Without a canvas no entry is on screen; with one, every entry
// is, in a rectangle of the given size.

#include "panel/Panelist.h"

class CFakePaneHost : public IPaneHost {
public:
    IItemCanvas* Canvas = nullptr;
    SRect EntryRect{0, 0, 100, 80};
    int Changes = 0;
    int Handed = 0;
    int Width = 160;

    void ItemsChanged() override { ++Changes; }
    IItemCanvas* ItemCanvas(int, SRect& r) override
    {
        if (!Canvas)
            return nullptr;
        ++Handed;
        r = EntryRect;
        return Canvas;
    }
    void ItemsPainted() override {}
    int PaneWidth() const override { return Width; }
    void SetPaneWidth(int w) override { Width = w; }
};

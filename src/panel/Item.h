#pragma once
// One entry of a readings pane: a value line, a bar, a small trend plot or a separator. An item
// knows its height, paints itself in full and refreshes itself cheaply when a sample arrives.

#include "panel/Itemcanvas.h"

#include <cstdint>
#include <string>

struct SVarInfo;

class IPaneSource;
class CPlotView;

// The program-wide item sizes; the main window's settings own and save them.
struct CItemStyle {
    static constexpr int DefaultFontSize = 16;
    static constexpr int DefaultPlotSize = 80;
    static constexpr int MinFontSize = 6;
    static constexpr int MaxFontSize = 64;
    static constexpr int MinPlotSize = 6;
    static constexpr int MaxPlotSize = 256;

    int ValueFontSize = DefaultFontSize;
    int BarFontSize = DefaultFontSize;
    int PlotFontSize = DefaultFontSize;
    int PlotSize = DefaultPlotSize;

    void Reset() { *this = CItemStyle(); }
};

// What an item reads while it paints.
struct CPaneContext {
    const IPaneSource* Source = nullptr;
    const CItemStyle* Style = nullptr;
    CPlotView* View = nullptr;
};

// Bar layout inside an item rectangle of text height h.
struct SBarGeometry {
    int X0 = 0;           // split between the bar and the value box, from the left edge
    SRect BarBox;         // framed box of the bar
    SRect BarInterior;    // the part that shows the bar
    SRect ValueBox;       // framed box of the value
    SRect ValueInterior;
};

// Plot layout inside an item rectangle.
struct SPlotGeometry {
    int H = 1;      // drawing height
    int YBottom = 0;
    int YMiddle = 0;
    int YTop = 0;
};

class CItem {
public:
    enum EKind { Value = 0, Bar = 1, Plot = 2, Separator = 3 };
    static constexpr int NoPoint = -1000;
    static constexpr int SeparatorHeight = 5;
    static constexpr int FormatVersion = 0;

    // How a pane-section string parsed.
    enum EParse { Parsed, BadVersion, Malformed };

    double LastValue = 0;
    int LastX = NoPoint;
    int LastY = 0;
    int Kind = -1;
    int VarId = 0;

    CItem() = default;
    CItem(int kind, int varId) : Kind(kind), VarId(varId) {}
    virtual ~CItem() = default;

    int Height(const CItemStyle& style) const;
    // Full paint; true when a plot item changed the view's first shown sample.
    bool Paint(IItemCanvas& canvas, const SRect& r, bool autoScroll, const CPaneContext& ctx);
    // Incremental refresh; true when a plot item had to scroll.
    bool Apply(IItemCanvas& canvas, const SRect& r, bool onlyIfChanged, const CPaneContext& ctx);

    // The pane-section string "0,kind,variable".
    std::string Text() const;
    // Sets kind and variable from a pane-section string. A string whose version is not 0 is
    // refused with BadVersion; one that does not hold three numbers or names a kind outside
    // 0..3 is refused with Malformed. A refused string changes nothing.
    EParse Parse(const std::string& text);

    uint32_t Colour() const;
    bool IsPlot() const { return Kind == Plot; }
    bool IsSeparator() const { return Kind == Separator; }

    // --- geometry, pure --------------------------------------------------------------------
    // valueWidth: the text width of the widest value the bar shows; the value box grows from
    // its 3 x textHeight to hold it, the bar keeping at least half the item.
    static SBarGeometry BarGeometry(const SRect& r, int textHeight, int valueWidth = 0);
    // The text width of the widest value a variable's range gives with its decimals, in the
    // canvas's present text height.
    static int WidestValue(IItemCanvas& canvas, const SVarInfo& var);
    // Pixel offset of value v in a bar of width w for the range min..max, clamped to 0..w. A
    // range of 0 (or one that is not a number) counts as 1. False when v is not finite.
    static bool BarPixel(double v, double min, double max, int w, int& pixel);
    static SPlotGeometry PlotGeometry(const SRect& r, int plotFontSize);
    // Point of a sample, relative to the item rectangle. False when the value is not finite.
    static bool PlotPoint(int index, double value, int firstIndex, double scale, double min, double max,
                          int rectHeight, int plotFontSize, int& x, int& y);
    // Rounds a double clamped to lo..hi in floating point (a NaN gives lo).
    static int RoundClamped(double v, int lo, int hi);

private:
    bool PaintValue(IItemCanvas& canvas, const SRect& r, const CPaneContext& ctx);
    bool ApplyValue(IItemCanvas& canvas, const SRect& r, bool onlyIfChanged, const CPaneContext& ctx);
    bool PaintBar(IItemCanvas& canvas, const SRect& r, const CPaneContext& ctx);
    bool ApplyBar(IItemCanvas& canvas, const SRect& r, bool onlyIfChanged, const CPaneContext& ctx);
    bool PaintPlot(IItemCanvas& canvas, const SRect& r, bool autoScroll, const CPaneContext& ctx);
    bool ApplyPlot(IItemCanvas& canvas, const SRect& r, bool onlyIfChanged, const CPaneContext& ctx);
    void DrawMarker(IItemCanvas& canvas, const SRect& r) const;
};

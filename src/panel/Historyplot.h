#pragma once
// The history plot's rules: the horizontal view over the sample history that the lower pane's
// plot items share (first shown sample and pixels per sample), its scroll bar, the zoom
// buttons, zooming by dragging across the pane with two marker lines, and the time axis
// below the pane. Plain logic over the program's plot view; the window shows what it says.

#include <cstdint>
#include <string>
#include <vector>

class CData;
class CPlotView;

// What the rules read from the main window at the moment.
struct SHistoryState {
    int Count = 0;         // samples stored
    int Width = 0;         // the lower pane's client width w
    bool TimerOn = false;  // the read timer runs
    bool HasItems = false; // the lower pane holds at least one item
};

// A tick of the time axis at X with its label.
struct STimeTick {
    int X = 0;
    std::string Label;
};

// A marker line drawn on the pane: line K (0 or 1) at pixel column X.
struct SSelectionLine {
    int K = 0;
    int X = 0;
    bool operator==(const SSelectionLine&) const = default;
};

class CHistoryPlot {
public:
    static constexpr int ScrollRange = 1000;
    static constexpr double MaxZoom = 16.0;
    static constexpr double MinZoom = 0.000001;
    static constexpr int MinDrag = 4;              // a shorter drag changes nothing
    static constexpr int64_t HourMs = 3600000;     // from here on the axis shows hours
    static constexpr int FirstTickX = 30;
    static constexpr int TickSpacing = 100;
    static constexpr int TickRightMargin = 20;
    static constexpr int TickLength = 5;
    static constexpr int LabelOffsetX = 15;
    static constexpr int LabelHeight = 10;
    static constexpr int LinePeriod = 8;           // a marker line's pattern repeats every 8 rows
    static constexpr int LineDash = 3;             // of which 3 are drawn
    static constexpr int LineInterleave = 4;       // line 1 is shifted by 4 rows against line 0

    enum EScroll { LineLeft, LineRight, PageLeft, PageRight, Track, Other };

    explicit CHistoryPlot(CPlotView& view) : view_(view) {}

    CPlotView& View() const { return view_; }

    // Scroll bar, 0..1000: where the right edge of the view lies in the history.
    int ScrollPosition(const SHistoryState& s) const;
    // The scroll bar (and the time axis) works only on a history that is not empty, while the
    // read timer is off, with an item in the lower pane and a pane at least 1 pixel wide.
    static bool ScrollEnabled(const SHistoryState& s);

    // Each of these changes the view and returns true when the plots must be repainted.
    bool Scroll(EScroll code, int position, const SHistoryState& s);
    bool ZoomOut(const SHistoryState& s);
    bool ZoomIn(const SHistoryState& s);
    bool ZoomAuto(const SHistoryState& s);

    // --- drag zoom ------------------------------------------------------------------------
    // A double click on the pane opens the settings: the mouse press that comes with it is
    // ignored.
    void DoubleClicked() { ignoreNextPress_ = true; }
    // True when a selection started.
    bool MouseDown(int x, const SHistoryState& s);
    // True when the marker line moved.
    bool MouseMove(int x);
    // True when the selection ended (the lines are gone); zoomed tells whether the view changed.
    bool MouseUp(bool& zoomed, const SHistoryState& s);
    // Marker line k at x: drawing a line that is shown removes it.
    void DrawSelectionLine(int k, int x);
    // The marker lines shown now.
    const std::vector<SSelectionLine>& Lines() const { return lines_; }
    // The rows [y, y + LineDash) of marker line k in a pane of the given height.
    static std::vector<int> LineRows(int k, int height);

    // --- time axis ------------------------------------------------------------------------
    // Ticks for a box width; the history's times come from data.
    std::vector<STimeTick> TimeTicks(int boxWidth, const CData& data) const;
    // A sample's time as time of day: "hh:nn:ss" with hours, else "nn:ss".
    static std::string TimeLabel(int64_t ms, bool withHours);

    // A view computation to a sample index: truncated toward zero and held to the int range
    // (not a number gives 0).
    static int TruncIndex(double v);

private:
    double Zoom() const;
    double Span(const SHistoryState& s) const; // w / zoom
    // Zoom by factor about the view's centre; near 1 becomes exactly 1.
    void ZoomAbout(double factor, const SHistoryState& s);

    CPlotView& view_;
    bool selecting_ = false;
    bool ignoreNextPress_ = false;
    int startX_ = 0;
    int currentX_ = 0;
    std::vector<SSelectionLine> lines_;
};

#pragma once
// The horizontal view shared by every plot item and the history plot: which history sample is
// at the left edge and how many pixels one sample takes. One view exists for the program.

class CPlotView {
public:
    static constexpr double DefaultScale = 1.0;

    int FirstIndex = 0;          // may be negative: room on the left
    double Scale = DefaultScale; // pixels per sample

    void Reset()
    {
        FirstIndex = 0;
        Scale = DefaultScale;
    }
    // The scale to compute with: a scale that is not a positive finite number counts as 1.
    double SafeScale() const;
};

// The program's one view.
CPlotView& PlotView();

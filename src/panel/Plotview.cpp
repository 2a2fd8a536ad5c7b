#include "panel/Plotview.h"

#include <cmath>

double CPlotView::SafeScale() const
{
    return std::isfinite(Scale) && Scale > 0 ? Scale : DefaultScale;
}

CPlotView& PlotView()
{
    static CPlotView view;
    return view;
}

#include "panel/Item.h"

#include "common/Helpers.h"
#include "panel/Panesource.h"
#include "panel/Plotview.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>


namespace {

// Shown in place of a reading that does not fit its room even without decimals.
const char* const TooWideMark = "##";

// The reading as it fits in room pixels: with the variable's decimals, else with as many fewer
// as it takes, else the mark that it does not fit (nothing when not even that fits). A number is
// shown whole or not at all, never with a digit cut off. No reading (NaN) shows no number at
// all, never one made up.
std::string FittedReading(IItemCanvas& canvas, double v, int decimals, int room)
{
    if (std::isnan(v))
        return std::string();
    for (int d = std::max(0, decimals); d >= 0; --d) {
        std::string text = FloatToText(v, d);
        if (canvas.TextWidth(text) <= room)
            return text;
    }
    return canvas.TextWidth(TooWideMark) <= room ? TooWideMark : std::string();
}

bool SameValue(double a, double b) { return a == b || (std::isnan(a) && std::isnan(b)); }

} // namespace

namespace {

const char* const EqualsText = "=";
constexpr int TextInset = 2;   // gap between a text and its box edge
constexpr int TitleInset = 4;  // gap between a right-aligned title and the right edge
constexpr int GridStep = 6;    // pixels between the grid dots of a plot
constexpr int PlotBottomGap = 5;
constexpr int PlotScrollStep = 10; // samples a plot scrolls by while updated incrementally
constexpr int MarkerRadius = 3;

double SafeRange(double min, double max)
{
    double range = max - min;
    return (range == 0 || !std::isfinite(range)) ? 1.0 : range;
}

} // namespace

int CItem::Height(const CItemStyle& style) const
{
    switch (Kind) {
    case Value:
        return style.ValueFontSize;
    case Bar:
        return 2 * style.BarFontSize + 6;
    case Plot:
        return style.PlotSize;
    default:
        return SeparatorHeight;
    }
}

uint32_t CItem::Colour() const
{
    switch (Kind) {
    case Value:
    case Plot:
        return itemcolour::White;
    case Bar:
        return itemcolour::Grey;
    default:
        return itemcolour::Window;
    }
}

std::string CItem::Text() const
{
    char buf[48];
    std::snprintf(buf, sizeof buf, "%d,%d,%d", FormatVersion, Kind, VarId);
    return buf;
}

CItem::EParse CItem::Parse(const std::string& text)
{
    int version = 0, kind = 0, id = 0, used = 0;
    if (std::sscanf(text.c_str(), "%d", &version) != 1)
        return Malformed;
    if (version != FormatVersion)
        return BadVersion;
    if (std::sscanf(text.c_str(), "%d,%d,%d%n", &version, &kind, &id, &used) != 3)
        return Malformed;
    for (size_t i = size_t(used); i < text.size(); ++i)
        if (text[i] != ' ' && text[i] != '\t')
            return Malformed;
    if (kind < Value || kind > Separator)
        return Malformed;
    Kind = kind;
    VarId = id;
    return Parsed;
}

// --- geometry -------------------------------------------------------------------------------

int CItem::RoundClamped(double v, int lo, int hi)
{
    if (std::isnan(v))
        return lo;
    v = std::clamp(v, double(lo), double(hi));
    return int(std::lround(v));
}

SBarGeometry CItem::BarGeometry(const SRect& r, int h, int valueWidth)
{
    SBarGeometry g;
    int w = r.Width();
    // The value's text ends TextInset before the box's interior, which lies 3 pixels inside
    // the split on the left and the item's edge on the right.
    g.X0 = w - std::max(3 * h, valueWidth + 2 * TextInset + 6);
    if (g.X0 < w / 2)
        g.X0 = w / 2;
    g.BarBox = {r.Left + 2, r.Top + h + 1, r.Left + g.X0, r.Top + 2 * h + 3};
    g.BarInterior = {r.Left + 3, r.Top + h + 2, r.Left + g.X0 - 1, r.Top + 2 * h + 2};
    g.ValueBox = {r.Left + g.X0 + 2, r.Top + h + 1, r.Right - 2, r.Top + 2 * h + 3};
    g.ValueInterior = {r.Left + g.X0 + 3, r.Top + h + 2, r.Right - 3, r.Top + 2 * h + 2};
    return g;
}

int CItem::WidestValue(IItemCanvas& canvas, const SVarInfo& var)
{
    int widest = 0;
    for (double v : {var.Min, var.Max})
        if (std::isfinite(v))
            widest = std::max(widest, canvas.TextWidth(FloatToText(v, var.Decimals)));
    return widest;
}

bool CItem::BarPixel(double v, double min, double max, int w, int& pixel)
{
    if (w < 0)
        w = 0;
    if (!std::isfinite(v)) {
        pixel = 0;
        return false;
    }
    pixel = RoundClamped((v - min) / SafeRange(min, max) * w, 0, w);
    return true;
}

SPlotGeometry CItem::PlotGeometry(const SRect& r, int plotFontSize)
{
    SPlotGeometry g;
    g.H = r.Height() - plotFontSize - 6;
    g.YBottom = r.Bottom - PlotBottomGap;
    g.YMiddle = g.YBottom - g.H / 2;
    g.YTop = g.YBottom - g.H;
    return g;
}

bool CItem::PlotPoint(int index, double value, int firstIndex, double scale, double min, double max,
                      int rectHeight, int plotFontSize, int& x, int& y)
{
    if (!std::isfinite(value))
        return false;
    int h = std::max(1, rectHeight - plotFontSize - 6);
    // Far outside the rectangle a point only needs to stay far outside it.
    x = RoundClamped((double(index) - firstIndex) * scale, -1000000, 1000000);
    double dy = (value - min) / SafeRange(min, max) * h;
    y = RoundClamped((rectHeight - PlotBottomGap) - std::clamp(dy, -1e6, 1e6), 0, std::max(0, rectHeight - 1));
    return true;
}

// --- painting -------------------------------------------------------------------------------

bool CItem::Paint(IItemCanvas& canvas, const SRect& r, bool autoScroll, const CPaneContext& ctx)
{
    canvas.Clip(r);
    switch (Kind) {
    case Value:
        return PaintValue(canvas, r, ctx);
    case Bar:
        return PaintBar(canvas, r, ctx);
    case Plot:
        return PaintPlot(canvas, r, autoScroll, ctx);
    default:
        canvas.FillRect(r, itemcolour::ButtonFace);
        return false;
    }
}

bool CItem::Apply(IItemCanvas& canvas, const SRect& r, bool onlyIfChanged, const CPaneContext& ctx)
{
    canvas.Clip(r);
    switch (Kind) {
    case Value:
        return ApplyValue(canvas, r, onlyIfChanged, ctx);
    case Bar:
        return ApplyBar(canvas, r, onlyIfChanged, ctx);
    case Plot:
        return ApplyPlot(canvas, r, onlyIfChanged, ctx);
    default:
        return false;
    }
}

bool CItem::PaintValue(IItemCanvas& canvas, const SRect& r, const CPaneContext& ctx)
{
    canvas.FillRect(r, itemcolour::White);
    canvas.SetTextHeight(ctx.Style->ValueFontSize);
    canvas.Text(r.Left + TextInset, r.Top, ctx.Source->Var(VarId).ShortName, itemcolour::Black);
    ApplyValue(canvas, r, false, ctx);
    return false;
}

bool CItem::ApplyValue(IItemCanvas& canvas, const SRect& r, bool onlyIfChanged, const CPaneContext& ctx)
{
    double v = ctx.Source->LatestValue(VarId);
    if (onlyIfChanged && SameValue(v, LastValue))
        return false;
    LastValue = v;
    SVarInfo var = ctx.Source->Var(VarId);
    SRect half{r.Left + r.Width() / 2, r.Top, r.Right, r.Bottom};
    canvas.FillRect(half, itemcolour::White);
    canvas.SetTextHeight(ctx.Style->ValueFontSize);
    canvas.Text(half.Left, r.Top, EqualsText, itemcolour::Black);
    // The value keeps clear of the "=": it lies between it and the right edge, a gap each side.
    const int room = r.Right - TextInset - (half.Left + canvas.TextWidth(EqualsText) + TextInset);
    const std::string text = FittedReading(canvas, v, var.Decimals, room);
    canvas.Text(r.Right - TextInset - canvas.TextWidth(text), r.Top, text, itemcolour::Black);
    return false;
}

bool CItem::PaintBar(IItemCanvas& canvas, const SRect& r, const CPaneContext& ctx)
{
    int h = ctx.Style->BarFontSize;
    SVarInfo var = ctx.Source->Var(VarId);
    canvas.SetTextHeight(h);
    SBarGeometry g = BarGeometry(r, h, WidestValue(canvas, var));

    canvas.FillRect(r, itemcolour::Grey);
    canvas.Line(r.Right - 1, r.Top, r.Right - 1, r.Bottom - 1, itemcolour::White);
    canvas.Line(r.Left, r.Bottom - 1, r.Right - 1, r.Bottom - 1, itemcolour::White);
    canvas.Line(r.Left, r.Top, r.Right - 2, r.Top, itemcolour::Silver);
    canvas.Line(r.Left, r.Top, r.Left, r.Bottom - 2, itemcolour::Silver);

    canvas.SetTextHeight(h);
    canvas.TextClipped({r.Left + TextInset, r.Top + 1, r.Left + g.X0, r.Top + h}, r.Left + TextInset, r.Top + 1,
                       var.LongName, itemcolour::White);
    canvas.Text(r.Right - TitleInset - canvas.TextWidth(var.Unit), r.Top + 1, var.Unit, itemcolour::White);

    canvas.FillRect(g.BarBox, itemcolour::White);
    canvas.FrameRect(g.BarBox, itemcolour::Black);
    canvas.FillRect(g.ValueBox, itemcolour::White);
    canvas.FrameRect(g.ValueBox, itemcolour::Black);
    ApplyBar(canvas, r, false, ctx);
    return false;
}

bool CItem::ApplyBar(IItemCanvas& canvas, const SRect& r, bool onlyIfChanged, const CPaneContext& ctx)
{
    double v = ctx.Source->LatestValue(VarId);
    if (onlyIfChanged && SameValue(v, LastValue))
        return false;
    LastValue = v;
    SVarInfo var = ctx.Source->Var(VarId);
    int h = ctx.Style->BarFontSize;
    canvas.SetTextHeight(h);
    SBarGeometry g = BarGeometry(r, h, WidestValue(canvas, var));
    const SRect& in = g.BarInterior;

    canvas.FillRect(in, itemcolour::White);
    int w = std::max(0, in.Width());
    int z = 0, p = 0;
    BarPixel(0.0, var.Min, var.Max, w, z);
    if (!std::isnan(v) && BarPixel(v, var.Min, var.Max, w, p)) {
        int a = std::min(z, p), b = std::max(z, p);
        canvas.FillRect({in.Left + a, in.Top, in.Left + b, in.Bottom}, itemcolour::Blue);
        canvas.Line(in.Left + p, in.Top, in.Left + p, in.Bottom - 1, itemcolour::Black);
    }
    canvas.Line(in.Left + z, in.Top, in.Left + z, in.Bottom - 1, itemcolour::Black);

    const SRect& vb = g.ValueInterior;
    canvas.FillRect(vb, itemcolour::White);
    canvas.SetTextHeight(h);
    const std::string text = FittedReading(canvas, v, var.Decimals, vb.Width() - 2 * TextInset);
    // Clipped to its box all the same: nothing of it ever reaches the bar.
    canvas.TextClipped(vb, vb.Right - TextInset - canvas.TextWidth(text), vb.Top, text, itemcolour::Black);
    return false;
}

bool CItem::PaintPlot(IItemCanvas& canvas, const SRect& r, bool autoScroll, const CPaneContext& ctx)
{
    const int fontSize = ctx.Style->PlotFontSize;
    CPlotView& view = *ctx.View;
    SVarInfo var = ctx.Source->Var(VarId);
    SPlotGeometry g = PlotGeometry(r, fontSize);

    canvas.FillRect(r, itemcolour::White);
    canvas.FrameRect(r, itemcolour::Black);
    for (int x = r.Left; x < r.Right; x += GridStep) {
        canvas.Pixel(x, g.YBottom, itemcolour::Black);
        canvas.Pixel(x, g.YMiddle, itemcolour::Black);
        canvas.Pixel(x, g.YTop, itemcolour::Black);
    }

    canvas.SetTextHeight(fontSize);
    int th = canvas.TextHeight();
    std::string maxText = FloatToText(var.Max, var.Decimals);
    canvas.Text(r.Left + TextInset, r.Top + 1, maxText, itemcolour::Black);
    canvas.Text(r.Left + TextInset, g.YMiddle - th, FloatToText((var.Max + var.Min) * 0.5, var.Decimals),
                itemcolour::Black);
    canvas.Text(r.Left + TextInset, g.YBottom - th, FloatToText(var.Min, var.Decimals), itemcolour::Black);

    int maxWidth = canvas.TextWidth(maxText);
    std::string title = var.LongName;
    if (!var.Unit.empty()) {
        std::string longer = var.LongName + ", " + var.Unit;
        if (canvas.TextWidth(longer) <= r.Width() - maxWidth - 2 * TitleInset)
            title = longer;
    }
    int tx = std::max(r.Right - TitleInset - canvas.TextWidth(title), r.Left + maxWidth + TitleInset);
    canvas.Text(tx, r.Top + 1, title, itemcolour::Black);

    // Which sample is at the left edge.
    bool changed = false;
    int n = ctx.Source->SampleCount();
    double scale = view.SafeScale();
    if (n < 2 && view.FirstIndex != 0) {
        view.FirstIndex = 0;
        changed = true;
    }
    if (autoScroll && (double(n) - view.FirstIndex) * scale > r.Width() - 4) {
        // Computed in floating point: a narrow item or a small scale stays within int.
        const double visible = std::trunc((r.Width() - 4) / scale);
        const int first = RoundClamped(n - visible, 0, std::numeric_limits<int>::max());
        changed |= first != view.FirstIndex;
        view.FirstIndex = first;
    }

    // The trace; samples before the history's start do not exist and are not drawn. Joined
    // samples in one pixel column (many samples a pixel when zoomed out) make one vertical line
    // from the lowest to the highest of them, the same pixels as their segments one by one.
    bool penDown = false;
    int px = 0, py = 0;
    bool column = false;
    int columnTop = 0, columnBottom = 0;
    const auto endColumn = [&] {
        if (column)
            canvas.Line(r.Left + px, r.Top + columnTop, r.Left + px, r.Top + columnBottom, itemcolour::Blue);
        column = false;
    };
    for (int i = std::max(0, view.FirstIndex); i < n; ++i) {
        int x, y;
        if (!PlotPoint(i, ctx.Source->SampleValue(i, VarId), view.FirstIndex, scale, var.Min, var.Max, r.Height(),
                       fontSize, x, y)) {
            endColumn();
            penDown = false;
            continue;
        }
        if (penDown && x == px) {
            if (!column) {
                column = true;
                columnTop = columnBottom = py;
            }
            columnTop = std::min(columnTop, y);
            columnBottom = std::max(columnBottom, y);
        } else if (penDown) {
            endColumn();
            canvas.Line(r.Left + px, r.Top + py, r.Left + x, r.Top + y, itemcolour::Blue);
        }
        penDown = true;
        px = x;
        py = y;
        if (x > r.Width())
            break;
    }
    endColumn();
    LastX = NoPoint;
    if (n >= 1) {
        int x, y;
        if (PlotPoint(n - 1, ctx.Source->SampleValue(n - 1, VarId), view.FirstIndex, scale, var.Min, var.Max,
                      r.Height(), fontSize, x, y)) {
            LastX = x;
            LastY = y;
            DrawMarker(canvas, r);
        }
    }
    return changed;
}

bool CItem::ApplyPlot(IItemCanvas& canvas, const SRect& r, bool onlyIfChanged, const CPaneContext& ctx)
{
    if (!onlyIfChanged)
        return false;
    CPlotView& view = *ctx.View;
    double scale = view.SafeScale();
    int n = ctx.Source->SampleCount();
    double limit = r.Width() - 6;
    if ((double(n) - view.FirstIndex) * scale > limit) {
        // Scroll in steps of 10 samples until the newest sample fits; computed in floating
        // point so that a narrow item or a small scale cannot overflow.
        const double target = double(n) - limit / scale;
        double first = view.FirstIndex +
                       PlotScrollStep * std::max(1.0, std::ceil((target - view.FirstIndex) / PlotScrollStep));
        if ((double(n) - first) * scale > limit) // rounding
            first += PlotScrollStep;
        view.FirstIndex = RoundClamped(first, std::numeric_limits<int>::min(), std::numeric_limits<int>::max());
        return true;
    }

    SVarInfo var = ctx.Source->Var(VarId);
    bool hadPoint = LastX >= 0;
    if (hadPoint)
        DrawMarker(canvas, r);
    int oldX = LastX, oldY = LastY;
    LastX = NoPoint;
    if (n < 1)
        return false;
    int x, y;
    if (!PlotPoint(n - 1, ctx.Source->SampleValue(n - 1, VarId), view.FirstIndex, scale, var.Min, var.Max,
                   r.Height(), ctx.Style->PlotFontSize, x, y))
        return false;
    if (n > 1 && hadPoint)
        canvas.Line(r.Left + oldX, r.Top + oldY, r.Left + x, r.Top + y, itemcolour::Blue);
    LastX = x;
    LastY = y;
    DrawMarker(canvas, r);
    return false;
}

void CItem::DrawMarker(IItemCanvas& canvas, const SRect& r) const
{
    int x = r.Left + LastX, y = r.Top + LastY;
    canvas.NotXorFrame({x - MarkerRadius, y - MarkerRadius, x + MarkerRadius + 1, y + MarkerRadius + 1},
                       itemcolour::Blue);
}

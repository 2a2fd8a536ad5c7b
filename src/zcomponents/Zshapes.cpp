#include "zcomponents/Zshapes.h"

#include "zcomponents/Zdraw.h"

#include <QPainter>
#include <QPolygon>
#include <vector>

namespace {

int CeilDiv(int a, int b)
{
    return (a + b - 1) / b;
}

// Values the outlines are measured in, along one axis.
struct AxisMeasure {
    int full;  // the region's extent
    int third; // third of plus, bar and trapezoids
    int diag;  // third of the diagonal triangles
    int last;  // the last pixel (size - 1), for edges
    int half;  // half of the last pixel, for edges
    int eThird; // third of the last pixel for the plus, bar and trapezoid edges
};

AxisMeasure Measure(int size, TzShapeMeasure m)
{
    AxisMeasure a;
    a.last = size - 1;
    if (m == smWindow) {
        a.full = size;
        a.third = CeilDiv(size, 3);
        a.diag = size / 3;
        a.half = CeilDiv(a.last, 2);
        a.eThird = CeilDiv(a.last, 3);
    } else {
        a.full = a.last;
        a.third = a.last / 3;
        a.diag = a.last / 3;
        a.half = a.last / 2;
        a.eThird = a.last / 3;
    }
    return a;
}

QRegion Poly(std::initializer_list<QPoint> pts)
{
    return QRegion(QPolygon(QList<QPoint>(pts)), Qt::OddEvenFill);
}

// ---- Edge lines as data ----

// A coordinate: a named measure of the axis plus a pixel offset.
enum V : std::uint8_t {
    Z,  // 0
    F,  // last pixel
    H,  // half
    T,  // diagonal third
    FT, // last pixel minus diagonal third
    U,  // third of plus, bar and trapezoids
    U2, // two thirds
    U3, // three thirds
    MA, // lower end of the bar shape's upper tab
    MB, // upper end of its lower tab
    UB, // last pixel minus the third, minus one (the windowed bar shape)
    TT, // the windowed bar shape's upper tab end
    TU  // the windowed bar shape's lower tab start
};

struct Pt {
    V xv;
    int xa;
    V yv;
    int ya;
};

enum Pen : std::uint8_t { S, L, K };

struct Line {
    Pen pen;
    std::vector<Pt> pts;
};

int Eval(V v, const AxisMeasure& a)
{
    const int u2 = 2 * (a.last / 3);
    switch (v) {
    case Z: return 0;
    case F: return a.last;
    case H: return a.half;
    case T: return a.last / 3;
    case FT: return a.last - a.last / 3;
    case U: return a.eThird;
    case U2: return u2;
    case U3: return 3 * (a.last / 3);
    case MA: return a.eThird - a.eThird / 4;
    case MB: return u2 + a.eThird / 4;
    case UB: return a.last - a.eThird - 1;
    case TT: return a.eThird - a.eThird / 4 - 1;
    case TU: return a.eThird / 4 + (a.last - a.eThird - 1) + 2;
    }
    return 0;
}

using Table = std::vector<Line>;

const Table kRectangle = {
    {S, {{Z, 0, F, 0}, {Z, 0, Z, 0}, {F, 0, Z, 0}}},
    {S, {{F, -1, Z, 1}, {F, -1, F, -1}, {Z, 1, F, -1}}},
    {L, {{Z, 1, F, -1}, {Z, 1, Z, 1}, {F, -1, Z, 1}}},
    {K, {{F, 0, Z, 0}, {F, 0, F, 0}, {Z, 0, F, 0}}},
};
const Table kUp = {
    {S, {{H, 0, Z, 0}, {Z, 0, F, 0}}},
    {S, {{H, 0, Z, 2}, {F, -2, F, -1}, {Z, 1, F, -1}}},
    {L, {{H, 0, Z, 2}, {Z, 2, F, -1}}},
    {K, {{H, 0, Z, 1}, {F, 0, F, 0}, {Z, 0, F, 0}}},
};
const Table kDown = {
    {S, {{H, 0, F, 0}, {Z, 0, Z, 0}, {F, 0, Z, 0}}},
    {S, {{F, -2, Z, 1}, {H, -1, F, -1}}},
    {L, {{H, 0, F, -2}, {Z, 2, Z, 1}, {F, -2, Z, 1}}},
    {K, {{F, 0, Z, 0}, {H, 0, F, 0}}},
};
const Table kLeft = {
    {S, {{Z, 0, H, 0}, {F, 0, Z, 0}}},
    {S, {{F, -1, Z, 1}, {F, -1, F, -2}, {Z, 1, H, -1}}},
    {L, {{Z, 2, H, 0}, {F, -1, Z, 2}}},
    {K, {{F, 0, Z, 0}, {F, 0, F, 0}, {Z, 0, H, 0}}},
};
const Table kRight = {
    {S, {{Z, 0, F, 0}, {Z, 0, Z, 0}, {F, 0, H, 0}}},
    {S, {{Z, 1, F, -1}, {F, -1, H, 0}}},
    {L, {{Z, 1, F, -1}, {Z, 1, Z, 2}, {F, -2, H, 0}}},
    {K, {{Z, 0, F, 0}, {F, 0, H, 0}}},
};
const Table kTopLeft = {
    {S, {{Z, 0, F, 0}, {Z, 0, Z, 0}, {F, 0, Z, 0}}},
    {S, {{F, -3, Z, 2}, {Z, 2, F, -3}}},
    {L, {{Z, 1, F, -2}, {Z, 1, Z, 1}, {F, -2, Z, 1}}},
    {K, {{F, 0, Z, 0}, {Z, 0, F, 0}}},
};
const Table kTopRight = {
    {S, {{F, 0, F, 0}, {Z, 0, Z, 0}, {F, 0, Z, 0}}},
    {S, {{F, -1, Z, 0}, {F, -1, F, 0}}},
    {L, {{F, -2, F, -3}, {Z, 2, Z, 1}, {F, -1, Z, 1}}},
    {K, {{F, 0, Z, 0}, {F, 0, F, 0}}},
};
const Table kBottomLeft = {
    {S, {{Z, 0, F, 0}, {Z, 0, Z, 0}}},
    {S, {{Z, 2, Z, 3}, {F, -2, F, -1}, {Z, 1, F, -1}}},
    {L, {{Z, 1, Z, 2}, {Z, 1, F, 0}}},
    {K, {{Z, 2, Z, 2}, {F, 0, F, 0}, {Z, 0, F, 0}}},
};
const Table kBottomRight = {
    {S, {{F, 0, Z, 0}, {Z, 0, F, 0}}},
    {S, {{F, -1, Z, 2}, {F, -1, F, -1}, {Z, 1, F, -1}}},
    {L, {{Z, 1, F, 0}, {F, -1, Z, 2}}},
    {K, {{Z, 1, F, 0}, {F, 0, F, 0}, {F, 0, Z, 1}}},
};
const Table kUpLeft = {
    {S, {{Z, 0, Z, 0}, {T, 0, F, 0}}},
    {S, {{Z, 0, Z, 0}, {F, 0, T, 0}}},
    {S, {{T, -1, F, -1}, {F, -1, T, -1}}},
    {L, {{Z, 2, Z, 2}, {T, 1, F, -1}}},
    {L, {{Z, 2, Z, 2}, {F, -1, T, 1}}},
    {K, {{F, 0, T, 0}, {T, 0, F, 0}}},
};
const Table kUpRight = {
    {S, {{F, -1, Z, 0}, {FT, -1, F, 0}}},
    {S, {{FT, 0, F, 0}, {Z, 0, T, 0}}},
    {S, {{Z, 0, T, 0}, {F, 0, Z, 0}}},
    {L, {{F, -2, Z, 2}, {Z, 2, T, 1}}},
    {L, {{Z, 2, T, 1}, {FT, -1, F, -2}}},
    {K, {{F, 0, Z, 0}, {FT, 0, F, 0}}},
};
const Table kDownRight = {
    {S, {{FT, 0, Z, 0}, {Z, 0, FT, 0}}},
    {S, {{FT, -1, Z, 1}, {F, -2, F, -2}}},
    {S, {{Z, 2, FT, -1}, {F, -1, F, -2}}},
    {L, {{FT, 0, Z, 2}, {Z, 2, FT, 0}}},
    {K, {{FT, 0, Z, 0}, {F, 0, F, 0}}},
    {K, {{Z, 0, FT, 0}, {F, 0, F, 0}}},
};
const Table kDownLeft = {
    {S, {{Z, 0, F, 0}, {T, 0, Z, 0}}},
    {S, {{T, 0, Z, 0}, {F, 0, FT, 0}}},
    {S, {{Z, 2, F, -2}, {F, -1, FT, -1}}},
    {L, {{Z, 2, F, -2}, {T, 1, Z, 2}}},
    {L, {{T, 1, Z, 2}, {F, -1, FT, 0}}},
    {K, {{Z, 0, F, 0}, {F, 0, FT, 0}}},
};
const Table kUpTrapezoid = {
    {L, {{Z, 2, F, -1}, {U, 1, Z, 1}, {U2, 0, Z, 1}}},
    {K, {{Z, 0, F, 0}, {F, 0, F, 0}, {U2, 0, Z, 1}}},
    {S, {{Z, 0, F, 0}, {U, 0, Z, 0}, {U2, 0, Z, 0}}},
    {S, {{Z, 2, F, -1}, {F, -2, F, -1}, {U2, -1, Z, 2}}},
};
const Table kDownTrapezoid = {
    {L, {{U, 1, F, -1}, {Z, 2, Z, 1}, {F, -1, Z, 1}}},
    {K, {{U, 0, F, 0}, {U2, 0, F, 0}, {F, 0, Z, 1}}},
    {S, {{U, 0, F, 0}, {Z, 0, Z, 0}, {F, 1, Z, 0}}},
    {S, {{U, 1, F, -1}, {U2, -1, F, -1}, {F, -1, Z, 1}}},
};
const Table kRightTrapezoid = {
    {L, {{F, -1, U, 1}, {Z, 1, Z, 1}, {Z, 1, F, -1}}},
    {K, {{F, 0, U, 0}, {F, 0, U2, 0}, {Z, 1, F, 0}}},
    {S, {{Z, 0, F, 0}, {Z, 0, Z, 0}, {F, 0, U, 0}}},
    {S, {{F, -1, U, 0}, {F, -1, U2, -1}, {Z, 1, F, -1}}},
};
const Table kLeftTrapezoid = {
    {L, {{Z, 1, U2, 0}, {Z, 1, U, 1}, {F, -1, Z, 1}}},
    {K, {{Z, 0, U2, 0}, {F, 0, F, 0}, {F, 0, Z, 0}}},
    {S, {{Z, 0, U2, 0}, {Z, 0, U, 0}, {F, 0, Z, 0}}},
    {S, {{Z, 1, U2, -1}, {F, -1, F, -2}, {F, -1, Z, 2}}},
};
const Table kPlus = {
    {S, {{U, 0, U3, 0}, {U, 0, U2, 0}}},
    {S, {{Z, 0, U2, 0}, {Z, 0, U, 0}, {U, 0, U, 0}, {U, 0, Z, 0}, {U2, 0, Z, 0}}},
    {S, {{U2, 0, U, 0}, {U3, 0, U, 0}}},
    {S, {{Z, 1, U2, -1}, {U, 1, U2, -1}}},
    {S, {{U2, -1, Z, 1}, {U2, -1, U, 1}}},
    {S, {{U3, -1, U, 1}, {U3, -1, U2, -1}, {U2, -1, U2, -1}, {U2, -1, U3, -1}, {U, 1, U3, -1}}},
    {L, {{U3, -1, U, 1}, {U2, -1, U, 1}}},
    {L, {{U2, -1, Z, 1}, {U, 1, Z, 1}, {U, 1, U, 1}, {Z, 1, U, 1}, {Z, 1, U2, -1}}},
    {L, {{U, 1, U2, -1}, {U, 1, U3, -1}}},
    {K, {{U2, 0, Z, 0}, {U2, 0, U, 0}}},
    {K, {{U3, 0, U, 0}, {U3, 0, U2, 0}, {U2, 0, U2, 0}, {U2, 0, U3, 0}, {U, 0, U3, 0}}},
    {K, {{Z, 0, U2, 0}, {U, 0, U2, 0}}},
};
const Table kMinus = {
    {S, {{U, 0, MA, 0}, {U, 0, Z, 0}, {U2, 0, Z, 0}}},
    {S, {{U, 1, MA, -1}, {U2, -1, MA, -1}, {U2, -1, Z, 0}}},
    {S, {{U, 0, F, 0}, {U, 0, MB, 0}, {U2, 0, MB, 0}}},
    {S, {{U, 1, F, -1}, {U2, -1, F, -1}, {U2, -1, MB, 0}}},
    {S, {{Z, 0, U2, 0}, {Z, 0, U, 0}, {F, 0, U, 0}}},
    {S, {{Z, 1, U2, -1}, {F, -1, U2, -1}, {F, -1, U, 0}}},
    {L, {{U, 1, MA, -1}, {U, 1, Z, 1}, {U2, -1, Z, 1}}},
    {L, {{U, 1, F, -1}, {U, 1, MB, 1}, {U2, -1, MB, 1}}},
    {L, {{Z, 1, U2, -1}, {Z, 1, U, 1}, {F, -1, U, 1}}},
    {K, {{U2, 0, Z, 0}, {U2, 0, MA, 0}, {U, 0, MA, 0}}},
    {K, {{U2, 0, MB, 0}, {U2, 0, F, 0}, {U, 0, F, 0}}},
    {K, {{F, 0, U, 0}, {F, 0, U2, 0}, {Z, 0, U2, 0}}},
};

// The windowed button draws these outlines with lines of its own.
const Table kWindowBottomLeft = {
    {S, {{Z, 0, F, 0}, {Z, 0, Z, 0}}},
    {S, {{Z, 2, Z, 4}, {F, -3, F, -1}, {Z, 1, F, -1}}},
    {L, {{Z, 1, Z, 2}, {Z, 1, F, 0}}},
    {K, {{Z, 2, Z, 3}, {F, -1, F, 0}, {Z, 0, F, 0}}},
};
const Table kWindowBottomRight = {
    {S, {{F, 0, Z, 1}, {Z, 1, F, 0}}},
    {S, {{F, -1, Z, 2}, {F, -1, F, -1}, {Z, 1, F, -1}}},
    {L, {{Z, 2, F, 0}, {F, 0, Z, 2}}},
    {K, {{Z, 1, F, 0}, {F, 0, F, 0}, {F, 0, Z, 1}}},
};
const Table kWindowDownRight = {
    {S, {{FT, 0, Z, 1}, {Z, 0, FT, 1}}},
    {S, {{FT, -1, Z, 1}, {F, -2, F, -2}}},
    {S, {{Z, 2, FT, -1}, {F, -1, F, -2}}},
    {L, {{FT, -1, Z, 4}, {Z, 1, FT, 2}}},
    {K, {{FT, 0, Z, 0}, {F, 0, F, 0}}},
    {K, {{Z, 0, FT, 0}, {F, 0, F, 0}}},
};
const Table kWindowDownLeft = {
    {S, {{Z, 0, F, 0}, {T, 0, Z, 0}}},
    {S, {{T, -1, Z, 0}, {F, -1, FT, 0}}},
    {S, {{Z, 2, F, -2}, {F, -1, FT, -1}}},
    {L, {{Z, 2, F, -2}, {T, 1, Z, 2}}},
    {L, {{T, 0, Z, 2}, {F, -2, FT, 0}}},
    {K, {{Z, 0, F, 0}, {F, 0, FT, 0}}},
};
const Table kWindowBar = {
    {S, {{U, 0, TT, 0}, {U, 0, Z, 0}, {UB, 0, Z, 0}}},
    {S, {{U, 1, TT, -1}, {UB, -1, TT, -1}, {UB, -1, Z, 0}}},
    {S, {{U, 0, F, 0}, {U, 0, TU, 0}, {UB, 0, TU, 0}}},
    {S, {{U, 1, F, -1}, {UB, -1, F, -1}, {UB, -1, TU, 0}}},
    {S, {{Z, 0, UB, 0}, {Z, 0, U, 0}, {F, 0, U, 0}}},
    {S, {{Z, 1, UB, -1}, {F, -1, UB, -1}, {F, -1, U, 0}}},
    {L, {{U, 1, TT, -1}, {U, 1, Z, 1}, {UB, -1, Z, 1}}},
    {L, {{U, 1, F, -1}, {U, 1, TU, 1}, {UB, -1, TU, 1}}},
    {L, {{Z, 1, UB, -1}, {Z, 1, U, 1}, {F, -1, U, 1}}},
    {K, {{UB, 0, Z, 0}, {UB, 0, TT, 0}, {U, 0, TT, 0}}},
    {K, {{UB, 0, TU, 0}, {UB, 0, F, 0}, {U, 0, F, 0}}},
    {K, {{F, 0, U, 0}, {F, 0, UB, 0}, {Z, 0, UB, 0}}},
};

const Table& EdgeTable(sbType shape, TzShapeMeasure measure)
{
    if (measure == smWindow) {
        switch (shape) {
        case sbBLTriangle: return kWindowBottomLeft;
        case sbBRTriangle: return kWindowBottomRight;
        case sbDnRTriangle: case sb135: return kWindowDownRight;
        case sbDnLTriangle: case sb225: return kWindowDownLeft;
        case sbMinus: return kWindowBar;
        default: break;
        }
    }
    switch (shape) {
    case sbUpTriangle: case sb000: case sb360: return kUp;
    case sbDnTriangle: case sb180: return kDown;
    case sbLTriangle: case sb270: return kLeft;
    case sbRTriangle: case sb090: return kRight;
    case sbTLTriangle: return kTopLeft;
    case sbTRTriangle: return kTopRight;
    case sbBLTriangle: return kBottomLeft;
    case sbBRTriangle: return kBottomRight;
    case sbUpLTriangle: case sb315: return kUpLeft;
    case sbUpRTriangle: case sb045: return kUpRight;
    case sbDnRTriangle: case sb135: return kDownRight;
    case sbDnLTriangle: case sb225: return kDownLeft;
    case sbUpTrapezoid: return kUpTrapezoid;
    case sbDnTrapezoid: return kDownTrapezoid;
    case sbLTrapezoid: return kLeftTrapezoid;
    case sbRTrapezoid: return kRightTrapezoid;
    case sbPlus: return kPlus;
    case sbMinus: return kMinus;
    default: return kRectangle;
    }
}

void DrawEllipseEdge(QPainter& p, int width, int height, const QColor& shadow, const QColor& light,
                     const QColor& dark)
{
    const int r = width - 1, b = height - 1;
    const int h = r / 2, q = h / 2, t = q + h;
    const QRect outer(0, 0, r, b), inner(1, 1, r - 2, b - 2);
    Arc(p, outer, {t, 0}, {q, b}, shadow);
    Arc(p, inner, {q - 2, b - 2}, {t - 2, 2}, shadow);
    Arc(p, inner, {t - 2, 2}, {q - 2, b - 2}, light);
    Arc(p, outer, {q, b}, {t, 0}, dark);
}

} // namespace

QRegion ShapeRegion(sbType shape, int width, int height, TzShapeMeasure measure)
{
    const AxisMeasure ax = Measure(width, measure), ay = Measure(height, measure);
    const int W = ax.full, Hh = ay.full;
    const int w3 = ax.third, h3 = ay.third, dx = ax.diag, dy = ay.diag;
    switch (shape) {
    case sbUpTriangle: case sb000: case sb360: return Poly({{W / 2, 0}, {0, Hh}, {W, Hh}});
    case sbDnTriangle: case sb180: return Poly({{0, 0}, {W / 2, Hh}, {W, 0}});
    case sbLTriangle: case sb270: return Poly({{0, Hh / 2}, {W, 0}, {W, Hh}});
    case sbRTriangle: case sb090: return Poly({{0, 0}, {W, Hh / 2}, {0, Hh}});
    case sbTLTriangle: return Poly({{0, Hh}, {0, 0}, {W, 0}});
    case sbTRTriangle: return Poly({{0, 0}, {W, 0}, {W, Hh}});
    case sbBLTriangle: return Poly({{0, 0}, {0, Hh}, {W, Hh}});
    case sbBRTriangle: return Poly({{W, 0}, {W, Hh}, {0, Hh}});
    case sbPlus:
        return Poly({{w3, 0}, {2 * w3, 0}, {2 * w3, h3}, {3 * w3, h3}, {3 * w3, 2 * h3},
                     {2 * w3, 2 * h3}, {2 * w3, 3 * h3}, {w3, 3 * h3}, {w3, 2 * h3},
                     {0, 2 * h3}, {0, h3}, {w3, h3}});
    case sbMinus: {
        const int q = h3 / 4;
        // The windowed outline closes its lower tab one pixel higher.
        const int lowTab = 2 * h3 + q + (measure == smWindow ? -1 : 0);
        return Poly({{w3, 0}, {2 * w3, 0}, {2 * w3, h3 - q}, {w3, h3 - q}}) +
               Poly({{w3, 3 * h3}, {2 * w3, 3 * h3}, {2 * w3, lowTab}, {w3, lowTab}}) +
               Poly({{0, h3}, {0, 2 * h3}, {W, 2 * h3}, {W, h3}});
    }
    case sbCircle: return QRegion(QRect(0, 0, W, Hh), QRegion::Ellipse);
    case sbUpTrapezoid: return Poly({{w3, 0}, {2 * w3, 0}, {W, Hh}, {0, Hh}});
    case sbDnTrapezoid: return Poly({{0, 0}, {W, 0}, {2 * w3, Hh}, {w3, Hh}});
    case sbLTrapezoid: return Poly({{W, 0}, {W, Hh}, {0, 2 * h3}, {0, h3}});
    case sbRTrapezoid: return Poly({{0, 0}, {0, Hh}, {W, 2 * h3}, {W, h3}});
    case sbUpLTriangle: case sb315: return Poly({{0, 0}, {dx, Hh}, {W, dy}});
    case sbUpRTriangle: case sb045: return Poly({{W, 0}, {W - dx, Hh}, {0, dy}});
    case sbDnRTriangle: case sb135: return Poly({{W, Hh}, {0, Hh - dy}, {W - dx, 0}});
    case sbDnLTriangle: case sb225: return Poly({{0, Hh}, {dx, 0}, {W, Hh - dy}});
    default: return QRegion(0, 0, W, Hh);
    }
}

void DrawShapeEdge(QPainter& p, sbType shape, int width, int height, TzShapeMeasure measure,
                   bool down, const QColor& shadow, const QColor& highlight)
{
    const QColor light = down ? QColor(Qt::black) : highlight;
    const QColor dark = down ? highlight : QColor(Qt::black);
    if (shape == sbCircle) {
        DrawEllipseEdge(p, width, height, shadow, light, dark);
        return;
    }
    const AxisMeasure ax = Measure(width, measure), ay = Measure(height, measure);
    for (const Line& line : EdgeTable(shape, measure)) {
        std::vector<QPoint> pts;
        pts.reserve(line.pts.size());
        for (const Pt& pt : line.pts)
            pts.emplace_back(Eval(pt.xv, ax) + pt.xa, Eval(pt.yv, ay) + pt.ya);
        Polyline(p, pts, line.pen == S ? shadow : line.pen == L ? light : dark);
    }
}

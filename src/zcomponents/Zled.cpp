#include "zcomponents/Zled.h"

#include "zcomponents/Std2.h"
#include "zcomponents/Zcolor.h"

#include <QPainter>
#include <QTimer>
#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>
#include <vector>

const std::array<TColor, 9> LedOnColors = {clRed,     clBlue,   clLime,  clYellow, clFuchsia,
                                           clSilver,  clAqua,   clWhite, clRed};
const std::array<TColor, 9> LedOffColors = {clMaroon, clNavy,  clGreen, clOlive, clPurple,
                                            clBlack,  clTeal,  clGray,  clMaroon};

namespace {

constexpr int kDefaultSize = 17;
constexpr std::int32_t DefaultBlinkInterval = 500;
constexpr int UnitDivisor = 17; // the line unit is the width in 17ths
constexpr int MaxUnit = 6;
constexpr std::int64_t MsPerPulseStep = 100;
constexpr std::uint32_t FlashSteps = 5;
constexpr int kAngleSteps = 16; // QPainter arcs count 16ths of a degree

// Starts the timer with the given interval; an interval of 0 or less never fires.
void StartTimer(QTimer* timer, std::int64_t ms)
{
    timer->stop();
    ms = std::min<std::int64_t>(ms, std::numeric_limits<int>::max());
    timer->setInterval(int(std::max<std::int64_t>(ms, 0)));
    if (ms > 0)
        timer->start();
}

// Screen geometry of a GDI-style box (right and bottom excluded) stroked with a pen of width w.
QRectF StrokeBox(int l, int t, int r, int b, int w)
{
    return QRectF(l + w / 2.0, t + w / 2.0, (r - l) - w, (b - t) - w);
}

// Angle in degrees, counterclockwise from three o'clock, of the radial from the box's centre
// through (x, y).
double RadialAngle(int l, int t, int r, int b, int x, int y)
{
    const double cx = (l + r) / 2.0, cy = (t + b) / 2.0;
    return std::atan2(-(y - cy), x - cx) * 180.0 / std::numbers::pi;
}

class LampPainter {
public:
    LampPainter(QPainter& p, int t) : p_(p), t_(t) {}

    void Ellipse(int l, int t, int r, int b, const QColor& pen, const QColor& brush)
    {
        p_.setPen(QPen(pen, t_));
        p_.setBrush(brush);
        p_.drawEllipse(StrokeBox(l, t, r, b, t_));
    }

    // Counterclockwise arc from the radial through (x1, y1) to the radial through (x2, y2).
    void Arc(int l, int t, int r, int b, int x1, int y1, int x2, int y2, const QColor& pen, int w)
    {
        const double from = RadialAngle(l, t, r, b, x1, y1);
        double span = RadialAngle(l, t, r, b, x2, y2) - from;
        if (span <= 0)
            span += 360.0;
        p_.setPen(QPen(pen, w));
        p_.setBrush(Qt::NoBrush);
        p_.drawArc(StrokeBox(l, t, r, b, w), int(std::lround(from * kAngleSteps)),
                   int(std::lround(span * kAngleSteps)));
    }

    // Polyline of horizontal and vertical segments with a pen t wide. A one-pixel pen leaves
    // out the final point, as a line drawn to a point does not colour that point.
    void Polyline(const std::vector<QPoint>& points, const QColor& color)
    {
        const int lo = t_ / 2, hi = t_ - 1 - lo;
        for (size_t i = 0; i + 1 < points.size(); ++i) {
            QPoint a = points[i], b = points[i + 1];
            if (t_ == 1 && i + 2 == points.size()) {
                // shorten the last segment by its end point
                b -= QPoint((b.x() > a.x()) - (b.x() < a.x()), (b.y() > a.y()) - (b.y() < a.y()));
            }
            const int l = std::min(a.x(), b.x()) - lo, r = std::max(a.x(), b.x()) + hi;
            const int tp = std::min(a.y(), b.y()) - lo, bt = std::max(a.y(), b.y()) + hi;
            if (t_ == 1 && i + 2 == points.size() && a == points[i + 1])
                continue;
            p_.fillRect(QRect(QPoint(l, tp), QPoint(r, bt)), color);
        }
    }

    void Fill(int l, int t, int r, int b, const QColor& color)
    {
        if (r > l && b > t)
            p_.fillRect(QRect(l, t, r - l, b - t), color);
    }

private:
    QPainter& p_;
    int t_;
};

} // namespace

TzLed::TzLed(QWidget* parent) : TzGraphicControl(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    blinkInterval_ = DefaultBlinkInterval;
    resize(kDefaultSize, kDefaultSize);
}

TzLed::~TzLed()
{
    FreeTimer();
}

void TzLed::FreeTimer()
{
    if (!timer_)
        return;
    timer_->stop();
    timer_->disconnect(this);
    // The timer may be the sender whose signal is running: delete it once control is back in
    // the event loop (or with the LED).
    timer_->deleteLater();
    timer_ = nullptr;
}

void TzLed::CreateBlinkTimer()
{
    timer_ = new QTimer(this);
    QTimer* timer = timer_;
    connect(timer, &QTimer::timeout, this, [this, timer] { DoTheBlink(timer); });
    StartTimer(timer, blinkInterval_);
}

void TzLed::writeLedOn(bool b)
{
    if (b == ledOn_)
        return;
    ledOn_ = b;
    Repaint();
    if (OnChange)
        OnChange(this);
}

void TzLed::WriteLedColor(LedColorType c)
{
    ledColor_ = c;
    Repaint();
}

void TzLed::SetSteel(bool b)
{
    steelLook_ = b;
    Invalidate();
}

void TzLed::SetStyle(LedStyleType s)
{
    if (s == ledStyle_)
        return;
    ledStyle_ = s;
    Invalidate();
}

void TzLed::SetBlink(bool b)
{
    if (b == blink_)
        return;
    FreeTimer();
    blink_ = b;
    if (b)
        CreateBlinkTimer();
    Repaint();
}

void TzLed::SetInterval(std::int32_t ms)
{
    if (ms == blinkInterval_)
        return;
    FreeTimer();
    blinkInterval_ = ms;
    if (blink_)
        CreateBlinkTimer();
    Repaint();
}

void TzLed::DoTheBlink(QObject*)
{
    writeLedOn(!ledOn_);
}

void TzLed::Pulse(std::uint32_t n)
{
    if (blink_)
        return;
    if (!timer_)
        timer_ = new QTimer(this);
    timer_->stop();
    timer_->disconnect(this);
    QTimer* timer = timer_;
    connect(timer, &QTimer::timeout, this, [this, timer] { DoThePulse(timer); });
    StartTimer(timer, std::int64_t(n) * MsPerPulseStep);
    writeLedOn(true);
}

void TzLed::DoThePulse(QObject*)
{
    writeLedOn(false);
    FreeTimer();
}

void TzLed::Flash()
{
    Pulse(FlashSteps);
}

TColor TzLed::LampColor()
{
    TColor color = ledOn_ ? LedOnColors[ledColor_] : LedOffColors[ledColor_];
    if (ledColor_ == lctUser) {
        const zcGetColor& event = ledOn_ ? OnGetOnColor : OnGetOffColor;
        if (event)
            event(this, color);
    }
    return color;
}

void TzLed::paintEvent(QPaintEvent*)
{
    const int W = width(), H = height();
    if (W <= 0 || H <= 0)
        return;
    const int t = std::clamp(W / UnitDivisor, 1, MaxUnit);
    const int h = std::max(t / 2, 1);

    QImage image(W, H, QImage::Format_RGB32);
    {
        QPainter p(&image);
        p.setRenderHint(QPainter::Antialiasing, false);
        const QImage* steel = TSteel();
        if (steelLook_ && steel)
            p.fillRect(QRect(0, 0, W, H), QBrush(*steel));
        else
            p.fillRect(QRect(0, 0, W, H), ParentBrushColor(this));

        const QColor lamp = ColorToQColor(LampColor());
        const QColor black = ColorToQColor(clBlack);
        const QColor white = ColorToQColor(clWhite);
        const QColor silver = ColorToQColor(clSilver);
        const QColor grey = ColorToQColor(clGray);
        LampPainter lp(p, t);

        auto highlights = [&] {
            const int l = 4 * t, tp = 4 * t, r = W - 4 * t, b = H - 4 * t;
            lp.Arc(l, tp, r, b, W - 4 * t, H - 2 * t, W - 4 * t, H - 9 * t, grey, h);
            lp.Arc(l, tp, r, b, 8 * t, 0, 7 * t, 9 * t, white, h);
            lp.Arc(l, tp, r, b, 8 * t, 0, 7 * t, 8 * t, silver, h);
        };

        switch (ledStyle_) {
        case lstSimpleRound:
            lp.Ellipse(0, 0, W, H, black, lamp);
            highlights();
            break;
        case lstRound: {
            lp.Ellipse(0, 0, W, H, black, lamp);
            lp.Ellipse(t, t, W - t, H - t, silver, lamp);
            lp.Arc(t, t, W - t, H - t, t, H - t, W - t, t, grey, t);
            lp.Ellipse(2 * t, 2 * t, W - 2 * t, H - 2 * t, black, lamp);
            const int cx = W / 2, cy = H / 2;
            lp.Arc(t, t, W - t, H - t, cx + 3 * t, t, cx - 3 * t, t, black, t);
            lp.Arc(t, t, W - t, H - t, cx - 3 * t, H - t, cx + 3 * t, H - t, black, t);
            lp.Arc(t, t, W - t, H - t, t, cy - 3 * t, t, cy + 3 * t, black, t);
            lp.Arc(t, t, W - t, H - t, W - t, cy + 3 * t, W - t, cy - 3 * t, black, t);
            highlights();
            break;
        }
        case lstSquare:
            lp.Fill(0, 0, W, H, lamp);
            lp.Polyline({{t - 1, t - 1}, {W - 1, t - 1}, {W - 1, H - 1}, {t - 1, H - 1},
                         {t - 1, t - 1}},
                        black);
            lp.Polyline({{3 * t - 1, 3 * t - 1}, {W - 1 - 2 * t, 3 * t - 1},
                         {W - 1 - 2 * t, H - 1 - 2 * t}, {3 * t - 1, H - 1 - 2 * t},
                         {3 * t - 1, 3 * t - 1}},
                        black);
            lp.Polyline({{2 * t - 1, H - t - 1}, {2 * t - 1, 2 * t - 1}, {W - 2 * t + 1, 2 * t - 1}},
                        silver);
            lp.Polyline({{W - t - 1, 3 * t - 1}, {W - t - 1, H - t - 1}, {2 * t - 1, H - t - 1}},
                        grey);
            lp.Fill(W - 6 * t, H - 5 * t, W - 4 * t, H - 4 * t, grey);
            lp.Fill(W - 9 * t, H - 5 * t, W - 7 * t, H - 4 * t, grey);
            lp.Fill(4 * t, 4 * t, 6 * t, 5 * t, white);
            lp.Fill(7 * t, 4 * t, 9 * t, 5 * t, silver);
            break;
        }
    }
    QPainter canvas(this);
    canvas.drawImage(0, 0, image);
    canvas.end();
    if (OnPaint)
        OnPaint(this);
}

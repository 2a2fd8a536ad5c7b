#include "zcomponents/Zgauge.h"

#include "zcomponents/Zcolor.h"

#include <QFontMetrics>
#include <QPainter>
#include <algorithm>
#include <limits>

namespace {

constexpr int DefaultWidth = 75;
constexpr int DefaultHeight = 30;
constexpr int PercentScale = 100;

// Rectangle from left, top, right and bottom with right and bottom excluded.
QRect Ltrb(std::int64_t l, std::int64_t t, std::int64_t r, std::int64_t b)
{
    return QRect(int(l), int(t), int(r - l), int(b - t));
}

void Fill(QPainter& p, const QRect& r, const QColor& c)
{
    if (r.width() > 0 && r.height() > 0)
        p.fillRect(r, c);
}

// Rings of a 3-D frame, the outermost first: left and top in topLeft, right and bottom in
// bottomRight (which also takes the two corners they share). Shrinks r by one pixel per ring.
void Frame3D(QPainter& p, QRect& r, const QColor& topLeft, const QColor& bottomRight, int width)
{
    for (int i = 0; i < width; ++i) {
        const int l = r.left(), t = r.top();
        const int rr = l + r.width() - 1, bb = t + r.height() - 1;
        if (rr < l || bb < t)
            break;
        Fill(p, Ltrb(l, t, rr, t + 1), topLeft);           // top row
        Fill(p, Ltrb(l, t, l + 1, bb), topLeft);           // left column
        Fill(p, Ltrb(rr, t, rr + 1, bb + 1), bottomRight); // right column
        Fill(p, Ltrb(l, bb, rr + 1, bb + 1), bottomRight); // bottom row
        r.adjust(1, 1, -1, -1);
    }
}

void BevelColors(TBevelCut cut, QColor& topLeft, QColor& bottomRight)
{
    const bool lowered = cut == bvLowered;
    topLeft = ColorToQColor(lowered ? clBtnShadow : clBtnHighlight);
    bottomRight = ColorToQColor(lowered ? clBtnHighlight : clBtnShadow);
}

QString FormatInteger(std::int64_t value, QChar type, int precision)
{
    QString digits;
    bool negative = false;
    switch (type.toLatin1()) {
    case 'd':
        negative = value < 0;
        digits = QString::number(negative ? -value : value);
        break;
    case 'u':
        digits = QString::number(std::uint32_t(value));
        break;
    default: // 'x'
        digits = QString::number(std::uint32_t(value), 16).toUpper();
        break;
    }
    if (precision > digits.size())
        digits = QString(precision - digits.size(), QLatin1Char('0')) + digits;
    return negative ? QLatin1Char('-') + digits : digits;
}

// Reads a decimal number at format[i]; -1 when there is none.
int ReadCount(const QString& format, qsizetype& i)
{
    int n = -1;
    while (i < format.size() && format[i].isDigit()) {
        n = std::min(std::max(n, 0) * 10 + format[i].digitValue(), 9999);
        ++i;
    }
    return n;
}

} // namespace

bool FormatCaption(const QString& format, const std::vector<std::int64_t>& args, QString& out)
{
    QString text;
    size_t next = 0;
    for (qsizetype i = 0; i < format.size(); ++i) {
        if (format[i] != QLatin1Char('%')) {
            text += format[i];
            continue;
        }
        ++i;
        if (i < format.size() && format[i] == QLatin1Char('%')) {
            text += QLatin1Char('%');
            continue;
        }
        int number = ReadCount(format, i);
        if (number >= 0 && i < format.size() && format[i] == QLatin1Char(':')) {
            next = size_t(number);
            ++i;
            number = -1;
        }
        bool leftAlign = false;
        if (number < 0 && i < format.size() && format[i] == QLatin1Char('-')) {
            leftAlign = true;
            ++i;
        }
        const int width = number >= 0 ? number : ReadCount(format, i);
        int precision = -1;
        if (i < format.size() && format[i] == QLatin1Char('.')) {
            ++i;
            precision = ReadCount(format, i);
        }
        if (i >= format.size())
            return false;
        const QChar type = format[i].toLower();
        if (type != QLatin1Char('d') && type != QLatin1Char('u') && type != QLatin1Char('x'))
            return false;
        if (next >= args.size())
            return false;
        QString field = FormatInteger(args[next++], type, precision);
        if (width > field.size()) {
            const QString pad(width - field.size(), QLatin1Char(' '));
            field = leftAlign ? field + pad : pad + field;
        }
        text += field;
    }
    out = text;
    return true;
}

TzGauge::TzGauge(QWidget* parent) : TzGraphicControl(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    SetMin(0);
    SetMax(100);
    SetValue(0);
    SetMargin(1);
    SetledSpace(0);
    SetLedThick(1);
    resize(DefaultWidth, DefaultHeight);
    SetBevelWidth(1);
    SetBarColor(clFuchsia);
    SetBevelInner(bvNone);
    SetBevelOuter(bvRaised);
    SetPCTDraw(false);
}

std::int64_t TzGauge::ShownValue() const
{
    return std::clamp<std::int64_t>(value_, min_, max_);
}

std::int64_t TzGauge::FillWidth(std::int64_t barWidth) const
{
    const std::int64_t range = std::int64_t(max_) - min_;
    return (ShownValue() - min_) * std::max<std::int64_t>(barWidth, 0) / range;
}

std::uint8_t TzGauge::GetPercent() const
{
    const std::int64_t range = std::int64_t(max_) - min_;
    return std::uint8_t((ShownValue() - min_) * PercentScale / range);
}

void TzGauge::SetPercent(std::uint8_t p)
{
    p = std::min<std::uint8_t>(p, PercentScale);
    const double range = double(std::int64_t(max_) - min_);
    SetValue(std::int32_t(range * (p / 100.0) + min_));
}

void TzGauge::SetValue(std::int32_t v)
{
    if (v == value_)
        return;
    const bool onlyOnPercent = drawOnlyWhenPctChange_;
    const int before = onlyOnPercent ? GetPercent() : 0;
    value_ = v < min_ ? min_ : (v > max_ ? max_ : v);
    if (value_ == min_)
        CallMinimum();
    else if (value_ == max_)
        CallMaximum();
    if (!onlyOnPercent || GetPercent() != before)
        Repaint();
}

void TzGauge::SetMax(std::int32_t v)
{
    max_ = v > min_ ? v : min_ + 1;
    Repaint();
}

void TzGauge::SetMin(std::int32_t v)
{
    // The range needs room for Max above Min.
    min_ = std::min(v, std::numeric_limits<std::int32_t>::max() - 1);
    SetMax(max_);
}

void TzGauge::AddValue(std::int32_t n)
{
    const std::int64_t sum = std::int64_t(value_) + n;
    SetValue(std::int32_t(std::clamp<std::int64_t>(sum, std::numeric_limits<std::int32_t>::min(),
                                                   std::numeric_limits<std::int32_t>::max())));
}

void TzGauge::SetCaption(const QString& s)
{
    caption_ = s;
    Repaint();
}

void TzGauge::SetCaptionStyle(gaCaptionStyle style)
{
    captionStyle_ = style;
    Repaint();
}

void TzGauge::SetBarColor(TColor c)
{
    barColor_ = c;
    Repaint();
}

void TzGauge::SetColor(TColor c)
{
    color_ = c;
    parentColor_ = false;
    Invalidate();
}

void TzGauge::SetParentColor(bool b)
{
    parentColor_ = b;
    Invalidate();
}

void TzGauge::SetParentFont(bool b)
{
    if (b)
        setFont(QFont());
    setAttribute(Qt::WA_SetFont, !b);
    Invalidate();
}

void TzGauge::SetBitmap(const QImage& bmp)
{
    glyph_ = bmp.copy();
    DoTheBitmap();
    Invalidate();
}

void TzGauge::SetfWidth(std::uint8_t w)
{
    frameWidth_ = w;
    Repaint();
}

void TzGauge::SetMargin(std::uint8_t m)
{
    margin_ = m;
    Repaint();
}

void TzGauge::SetLedThick(std::uint8_t space)
{
    spaceBetweenLed_ = space;
    Repaint();
}

void TzGauge::SetledSpace(std::int32_t count)
{
    numberOfLed_ = count;
    Repaint();
}

void TzGauge::SetPCTDraw(bool b)
{
    drawOnlyWhenPctChange_ = b;
}

void TzGauge::SetBevelInner(TBevelCut cut)
{
    bevelInner_ = cut;
    Repaint();
}

void TzGauge::SetBevelOuter(TBevelCut cut)
{
    bevelOuter_ = cut;
    Repaint();
}

void TzGauge::SetBevelWidth(int w)
{
    bevelWidth_ = std::max(w, 1);
    Repaint();
}

void TzGauge::Loaded()
{
    DoTheBitmap();
}

void TzGauge::DoTheBitmap()
{
    tile_ = QImage();
    const int gw = glyph_.width(), gh = glyph_.height();
    if (gw <= 0 || gh <= 0 || width() <= 0 || height() <= 0)
        return;
    tile_ = QImage(width(), height(), QImage::Format_RGB32);
    tile_.fill(Qt::black);
    QPainter p(&tile_);
    for (int row = 0; row <= height() / gh; ++row)
        for (int col = 0; col <= width() / gw; ++col)
            p.drawImage(col * gw, row * gh, glyph_);
}

void TzGauge::CallMinimum()
{
    if (OnMinimum)
        OnMinimum(this);
}

void TzGauge::CallMaximum()
{
    if (OnMaximum)
        OnMaximum(this);
}

QColor TzGauge::BackgroundQColor() const
{
    return parentColor_ ? ParentBrushColor(this) : ColorToQColor(color_);
}

void TzGauge::paintEvent(QPaintEvent*)
{
    const int W = width(), H = height();
    if (glyph_.width() > 0 && tile_.size() != QSize(W, H))
        DoTheBitmap();

    QPainter p(this);
    const QColor back = BackgroundQColor();
    const QColor bar = ColorToQColor(barColor_);
    QColor topLeft, bottomRight;

    QRect r(0, 0, W, H);
    int inset = 0;
    if (bevelOuter_ != bvNone) {
        BevelColors(bevelOuter_, topLeft, bottomRight);
        Frame3D(p, r, topLeft, bottomRight, bevelWidth_);
        inset += bevelWidth_;
    }
    Frame3D(p, r, back, back, frameWidth_);
    if (bevelInner_ != bvNone) {
        BevelColors(bevelInner_, topLeft, bottomRight);
        Frame3D(p, r, topLeft, bottomRight, bevelWidth_);
        inset += bevelWidth_;
    }
    inset += frameWidth_;
    r = Ltrb(inset, inset, W - inset, H - inset);
    for (int i = 0; i < margin_; ++i) {
        Frame3D(p, r, back, back, 1);
    }
    const std::int64_t left = std::int64_t(inset) + margin_;
    const std::int64_t top = left;
    const std::int64_t right = std::int64_t(W) - inset - margin_;
    const std::int64_t bottom = std::int64_t(H) - inset - margin_;
    const std::int64_t barWidth = right - left;
    const bool tiled = tile_.width() > 0;

    if (numberOfLed_ > 0) {
        const std::int64_t n = numberOfLed_;
        const std::int64_t segment =
            std::max<std::int64_t>((barWidth - std::int64_t(spaceBetweenLed_) * (n - 1)) / n, 1);
        const std::int64_t pitch = barWidth / n;
        const std::int64_t end = left + FillWidth(barWidth);
        std::int64_t x = left;
        while (end > x) {
            if (x + segment > right)
                break;
            const QRect seg = Ltrb(x, top, x + segment, bottom);
            if (tiled)
                p.drawImage(seg, tile_, QRect(int(x - left), 0, seg.width(), seg.height()));
            else
                Fill(p, seg, bar);
            if (x + pitch <= right) {
                Fill(p, Ltrb(x + segment, top, x + pitch, bottom), back);
                x += spaceBetweenLed_;
            }
            x += segment;
        }
        if (x < right)
            Fill(p, Ltrb(x, top, right, bottom), back);
    } else {
        const std::int64_t fill = FillWidth(barWidth);
        const QRect barPart = Ltrb(left, top, left + fill, bottom);
        const QRect restPart = Ltrb(left + fill, top, right, bottom);
        Fill(p, restPart, back);
        if (tiled) {
            if (barPart.width() > 0 && barPart.height() > 0)
                p.drawImage(barPart, tile_, QRect(0, 0, barPart.width(), barPart.height()));
        } else {
            Fill(p, barPart, bar);
        }
        if (!caption_.isEmpty()) {
            const std::int64_t value = value_;
            const std::int64_t percent = GetPercent();
            std::vector<std::int64_t> args;
            switch (captionStyle_) {
            case gaPctBar: args = {percent}; break;
            case gaTotalBar: args = {value}; break;
            case gaTotPct: args = {value, percent}; break;
            case gaPctTot: args = {percent, value}; break;
            }
            // A format that does not fit the style's numbers is shown as it stands.
            QString text;
            if (!FormatCaption(caption_, args, text))
                text = caption_;
            formattedCaption_ = text;

            p.setFont(font());
            const QFontMetrics fm(font());
            const std::int64_t tw = fm.horizontalAdvance(text), th = fm.height();
            const std::int64_t barHeight = bottom - top;
            std::int64_t x = left, y = top;
            if (barWidth > tw)
                x += (barWidth - tw) / 2;
            if (barHeight > th)
                y += (barHeight - th) / 2;
            const QRect textRect = Ltrb(x, y, x + tw, y + th);
            const int flags = Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine;
            if (tiled) {
                p.setPen(bar);
                p.setBackgroundMode(Qt::TransparentMode);
                p.drawText(textRect, flags, text);
            } else {
                p.setBackgroundMode(Qt::OpaqueMode);
                p.setClipRect(barPart);
                p.setPen(back);
                p.setBackground(bar);
                p.drawText(textRect, flags, text);
                p.setClipRect(restPart);
                p.setPen(bar);
                p.setBackground(back);
                p.drawText(textRect, flags, text);
                p.setClipping(false);
            }
        }
    }
    p.end();
    if (OnPaint)
        OnPaint(this);
}

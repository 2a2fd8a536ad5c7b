#include "zcomponents/Zlabels.h"

#include "zcomponents/Zcolor.h"

#include <QDesktopServices>
#include <QEvent>
#include <QFontMetrics>
#include <QKeySequence>
#include <QPainter>
#include <QPolygonF>
#include <QUrl>
#include <cmath>
#include <numbers>

namespace {

constexpr int DefaultWidth = 65;
constexpr int DefaultHeight = 17;
constexpr int AnglePadding = 16;
constexpr int BoxExtraWidth = 7;
constexpr int BoxExtraHeight = 5;
constexpr int MaxAngle = 359;
constexpr int SpotSize = 20;
constexpr int UrlFontPixels = 16;
const char* const kUrlFont = "Arial";

} // namespace

// ---- TzBigLabel ----

TzBigLabel::TzBigLabel(QWidget* parent) : TzGraphicControl(parent)
{
    resize(DefaultWidth, DefaultHeight);
    AdjustBounds();
}

void TzBigLabel::SetCaption(const QString& s)
{
    if (s == caption_)
        return;
    caption_ = s;
    update();
    AdjustBounds();
    CaptionChanged();
}

void TzBigLabel::SetAutoSize(bool b)
{
    if (b == autoSize_)
        return;
    autoSize_ = b;
    AdjustBounds();
}

void TzBigLabel::SetWordWrap(bool b)
{
    if (b == wordWrap_)
        return;
    wordWrap_ = b;
    AdjustBounds();
    update();
}

void TzBigLabel::SetAlignment(TAlignment a)
{
    alignment_ = a;
    update();
}

void TzBigLabel::SetLayout(TTextLayout l)
{
    layout_ = l;
    update();
}

void TzBigLabel::SetTransparent(bool b)
{
    transparent_ = b;
    update();
}

void TzBigLabel::SetColor(TColor c)
{
    color_ = c;
    update();
}

void TzBigLabel::SetFontColor(TColor c)
{
    fontColor_ = c;
    update();
}

void TzBigLabel::SetShowAccelChar(bool b)
{
    showAccelChar_ = b;
    AdjustBounds();
    update();
    CaptionChanged();
}

void TzBigLabel::SetLabelFont(const QFont& font)
{
    setFont(font); // the font-change event sizes and repaints
}

void TzBigLabel::changeEvent(QEvent* event)
{
    TzGraphicControl::changeEvent(event);
    if (event->type() == QEvent::FontChange) {
        update();
        AdjustBounds();
    } else if (event->type() == QEvent::EnabledChange) {
        update();
    }
}

int TzBigLabel::BaseFlags() const
{
    int flags = Qt::TextExpandTabs;
    if (wordWrap_ || caption_.size() >= LongCaption)
        flags |= Qt::TextWordWrap;
    if (showAccelChar_)
        flags |= Qt::TextShowMnemonic;
    return flags;
}

QRect TzBigLabel::MeasureText(const QRect& rect, int flags) const
{
    QString text = caption_;
    if (text.isEmpty() || (showAccelChar_ && text == QLatin1String("&")))
        text = QStringLiteral(" ");
    const QRect limit(rect.left(), rect.top(), (flags & Qt::TextWordWrap) ? rect.width() : 0, 0);
    const QRect r = QFontMetrics(font()).boundingRect(limit, flags & ~(Qt::AlignRight | Qt::AlignHCenter), text);
    return QRect(rect.topLeft(), r.size());
}

void TzBigLabel::AdjustBounds()
{
    if (!autoSize_)
        return;
    const QRect measured = MeasureText(rect(), BaseFlags());
    int x = geometry().x();
    if (alignment_ == taRightJustify)
        x += width() - measured.width();
    setGeometry(x, geometry().y(), measured.width(), measured.height());
}

TColor TzBigLabel::TextColor() const
{
    return isEnabled() ? fontColor_ : clGrayText;
}

void TzBigLabel::DrawCaption(QPainter& p, const QRect& rect, int flags, TColor color)
{
    p.setPen(ColorToQColor(color));
    p.drawText(rect, flags, caption_);
}

void TzBigLabel::DoDrawText(QPainter& p, const QRect& rect, int flags)
{
    DrawCaption(p, rect, flags, TextColor());
}

void TzBigLabel::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    if (!transparent_)
        p.fillRect(rect(), ColorToQColor(color_));
    p.setFont(font());
    int flags = BaseFlags();
    flags |= alignment_ == taRightJustify ? Qt::AlignRight
             : alignment_ == taCenter     ? Qt::AlignHCenter
                                          : Qt::AlignLeft;
    QRect r = rect();
    if (layout_ != tlTop) {
        const int textHeight = MeasureText(r, flags).height();
        r.translate(0, layout_ == tlCenter ? (height() - textHeight) / 2 : height() - textHeight);
    }
    DoDrawText(p, r, flags);
}

// ---- Tz3DLabel ----

Tz3DLabel::Tz3DLabel(QWidget* parent) : TzBigLabel(parent) {}

void Tz3DLabel::SetRaised(bool b) { raised_ = b; repaint(); }
void Tz3DLabel::SetUse3D(bool b) { use3D_ = b; repaint(); }
void Tz3DLabel::SetHighlightColor(TColor c) { highlightColor_ = c; repaint(); }
void Tz3DLabel::SetShadowColor(TColor c) { shadowColor_ = c; repaint(); }
void Tz3DLabel::SetUseDropShadow(bool b) { useDropShadow_ = b; repaint(); }
void Tz3DLabel::SetDropShadowSize(int n) { dropShadowSize_ = n; repaint(); }

void Tz3DLabel::DoDrawText(QPainter& p, const QRect& rect, int flags)
{
    if (use3D_) {
        if (useDropShadow_) {
            DrawCaption(p, rect.translated(dropShadowSize_, dropShadowSize_), flags, shadowColor_);
        } else {
            DrawCaption(p, rect.translated(-1, -1), flags, raised_ ? highlightColor_ : shadowColor_);
            DrawCaption(p, rect.translated(1, 1), flags, raised_ ? shadowColor_ : highlightColor_);
        }
    }
    DrawCaption(p, rect, flags, TextColor());
}

// ---- TzcURLLabel ----

TzcURLLabel::TzcURLLabel(QWidget* parent) : Tz3DLabel(parent)
{
    QFont f{QString::fromLatin1(kUrlFont)};
    f.setPixelSize(UrlFontPixels);
    f.setUnderline(true);
    SetLabelFont(f);
    SetFontColor(clGreen);
    setCursor(Qt::PointingHandCursor);
    SetUse3D(false);
}

void TzcURLLabel::Click()
{
    Tz3DLabel::Click();
    if (url_.isEmpty())
        return;
    lastClickOK_ = QDesktopServices::openUrl(QUrl(url_));
}

void TzcURLLabel::CaptionChanged()
{
    if (shortcutId_)
        releaseShortcut(shortcutId_);
    shortcutId_ = 0;
    const QKeySequence key = QKeySequence::mnemonic(Caption());
    if (ShowAccelChar() && !key.isEmpty())
        shortcutId_ = grabShortcut(key);
}

bool TzcURLLabel::event(QEvent* e)
{
    if (e->type() == QEvent::Shortcut) {
        if (isEnabled())
            Click();
        return true;
    }
    return Tz3DLabel::event(e);
}

// ---- TzAngleLabel ----

TzAngleLabel::TzAngleLabel(QWidget* parent) : TzGraphicControl(parent)
{
    AdjustSquare();
}

void TzAngleLabel::SetCaption(const QString& s)
{
    caption_ = s;
    AdjustSquare();
    update();
}

void TzAngleLabel::SetAngle(int degrees)
{
    if (degrees < 0 || degrees > MaxAngle || degrees == angle_)
        return;
    angle_ = degrees;
    const double radians = degrees * std::numbers::pi / 180.0;
    cos_ = std::cos(radians);
    sin_ = std::sin(radians);
    AdjustSquare();
    update();
}

void TzAngleLabel::SetDropShadowSize(int n) { dropShadowSize_ = n; repaint(); }
void TzAngleLabel::SetUseDropShadow(bool b) { useDropShadow_ = b; repaint(); }
void TzAngleLabel::SetHighlightColor(TColor c) { highlightColor_ = c; repaint(); }
void TzAngleLabel::SetShadowColor(TColor c) { shadowColor_ = c; repaint(); }
void TzAngleLabel::SetRaised(bool b) { raised_ = b; repaint(); }
void TzAngleLabel::SetUse3D(bool b) { use3D_ = b; repaint(); }
void TzAngleLabel::SetTransparent(bool b) { transparent_ = b; repaint(); }
void TzAngleLabel::SetColor(TColor c) { color_ = c; repaint(); }
void TzAngleLabel::SetFontColor(TColor c) { fontColor_ = c; repaint(); }

void TzAngleLabel::SetLabelFont(const QFont& font)
{
    setFont(font);
    AdjustSquare();
    update();
}

void TzAngleLabel::AdjustSquare()
{
    const int side = QFontMetrics(font()).horizontalAdvance(caption_) + AnglePadding;
    resize(side, side);
}

void TzAngleLabel::DrawAt(QPainter& p, double x, double y, TColor color)
{
    p.save();
    p.translate(x, y);
    p.rotate(-angle_);
    p.setPen(ColorToQColor(color));
    p.drawText(QPointF(0, QFontMetrics(font()).ascent()), caption_);
    p.restore();
}

void TzAngleLabel::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setFont(font());
    const double cx = width() / 2, cy = height() / 2;
    const QFontMetrics metrics(font());
    const double tw = metrics.horizontalAdvance(caption_), th = metrics.height();
    const double x = std::nearbyint(cx - tw / 2 * cos_ - th / 2 * sin_);
    const double y = std::nearbyint(cy + tw / 2 * sin_ - th / 2 * cos_);
    if (!transparent_) {
        const double w = tw + BoxExtraWidth, h = th + BoxExtraHeight;
        QPolygonF box;
        for (auto [a, b] : {std::pair{-1, -1}, {1, -1}, {1, 1}, {-1, 1}})
            box << QPointF(std::nearbyint(cx + a * w / 2 * cos_ + b * h / 2 * sin_),
                           std::nearbyint(cy - a * w / 2 * sin_ + b * h / 2 * cos_));
        p.setPen(ColorToQColor(color_));
        p.setBrush(ColorToQColor(color_));
        p.drawPolygon(box);
        p.setBrush(Qt::NoBrush);
    }
    if (use3D_) {
        if (useDropShadow_) {
            DrawAt(p, x + dropShadowSize_, y + dropShadowSize_, shadowColor_);
        } else {
            DrawAt(p, x - 1, y - 1, raised_ ? highlightColor_ : shadowColor_);
            DrawAt(p, x + 1, y + 1, raised_ ? shadowColor_ : highlightColor_);
        }
    }
    DrawAt(p, x, y, isEnabled() ? fontColor_ : clGrayText);
    if (OnPaint)
        OnPaint(this);
}

// ---- TzMouseSpot ----

TzMouseSpot::TzMouseSpot(QWidget* parent) : TzGraphicControl(parent)
{
    resize(SpotSize, SpotSize);
}

void TzMouseSpot::paintEvent(QPaintEvent*)
{
    if (OnParentPaint)
        OnParentPaint(this);
}

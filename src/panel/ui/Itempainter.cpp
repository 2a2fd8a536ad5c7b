#include "panel/ui/Itempainter.h"

#include "zcomponents/Zcolor.h"

#include <QFontMetrics>
#include <QImage>
#include <QPalette>
#include <algorithm>

namespace {

QRect ToQRect(const SRect& r)
{
    return QRect(r.Left, r.Top, r.Width(), r.Height());
}

} // namespace

TItemPainter::TItemPainter(QImage& image, const QFont& baseFont, const QPalette& palette)
    : painter_(&image), palette_(palette), baseFont_(baseFont)
{
    painter_.setRenderHint(QPainter::Antialiasing, false);
    painter_.setRenderHint(QPainter::TextAntialiasing, true);
}

TItemPainter::~TItemPainter() = default;

QColor TItemPainter::Colour(uint32_t colour) const
{
    return ColorToQColor(colour, palette_);
}

void TItemPainter::Clip(const SRect& r)
{
    painter_.setClipRect(ToQRect(r));
}

void TItemPainter::FillRect(const SRect& r, uint32_t colour)
{
    if (r.Width() > 0 && r.Height() > 0) {
        painter_.fillRect(ToQRect(r), Colour(colour));
        Touch(ToQRect(r));
    }
}

void TItemPainter::FrameRect(const SRect& r, uint32_t colour)
{
    if (r.Width() <= 0 || r.Height() <= 0)
        return;
    QColor c = Colour(colour);
    Touch(ToQRect(r));
    painter_.fillRect(QRect(r.Left, r.Top, r.Width(), 1), c);
    painter_.fillRect(QRect(r.Left, r.Bottom - 1, r.Width(), 1), c);
    painter_.fillRect(QRect(r.Left, r.Top, 1, r.Height()), c);
    painter_.fillRect(QRect(r.Right - 1, r.Top, 1, r.Height()), c);
}

void TItemPainter::Line(int x1, int y1, int x2, int y2, uint32_t colour)
{
    painter_.setPen(QPen(Colour(colour), 0));
    painter_.drawLine(x1, y1, x2, y2);
    Touch(QRect(QPoint(std::min(x1, x2), std::min(y1, y2)), QPoint(std::max(x1, x2), std::max(y1, y2))));
}

void TItemPainter::Pixel(int x, int y, uint32_t colour)
{
    painter_.fillRect(QRect(x, y, 1, 1), Colour(colour));
    Touch(QRect(x, y, 1, 1));
}

void TItemPainter::NotXorFrame(const SRect& r, uint32_t colour)
{
    if (r.Width() <= 2 || r.Height() <= 2)
        return;
    // Four strips that do not overlap, so that every pixel is combined exactly once.
    QColor c = Colour(colour);
    Touch(ToQRect(r));
    painter_.setCompositionMode(QPainter::RasterOp_NotSourceXorDestination);
    painter_.fillRect(QRect(r.Left, r.Top, r.Width(), 1), c);
    painter_.fillRect(QRect(r.Left, r.Bottom - 1, r.Width(), 1), c);
    painter_.fillRect(QRect(r.Left, r.Top + 1, 1, r.Height() - 2), c);
    painter_.fillRect(QRect(r.Right - 1, r.Top + 1, 1, r.Height() - 2), c);
    painter_.setCompositionMode(QPainter::CompositionMode_SourceOver);
}

QFont TItemPainter::FontForHeight(const QFont& base, int height)
{
    static std::map<std::pair<QString, int>, QFont> cache;
    auto key = std::make_pair(base.key(), height);
    if (auto it = cache.find(key); it != cache.end())
        return it->second;
    QFont f(base);
    int size = std::max(1, height);
    f.setPixelSize(size);
    while (size > 1 && QFontMetrics(f).height() > height) {
        --size;
        f.setPixelSize(size);
    }
    cache.emplace(key, f);
    return f;
}

void TItemPainter::SetTextHeight(int height)
{
    if (height == textHeight_)
        return;
    textHeight_ = height;
    auto it = fonts_.find(height);
    if (it == fonts_.end())
        it = fonts_.emplace(height, FontForHeight(baseFont_, height)).first;
    painter_.setFont(it->second);
}

int TItemPainter::TextWidth(const std::string& text)
{
    return painter_.fontMetrics().horizontalAdvance(QString::fromStdString(text));
}

int TItemPainter::TextHeight()
{
    return painter_.fontMetrics().height();
}

void TItemPainter::Text(int x, int y, const std::string& text, uint32_t colour)
{
    painter_.setPen(Colour(colour));
    const QString shown = QString::fromStdString(text);
    const QFontMetrics metrics = painter_.fontMetrics();
    painter_.drawText(x, y + metrics.ascent(), shown);
    // The glyphs' ink may reach a little beyond their advance.
    Touch(metrics.boundingRect(shown).translated(x, y + metrics.ascent()).adjusted(-2, -2, 2, 2)
          | QRect(x, y, metrics.horizontalAdvance(shown), metrics.height()));
}

void TItemPainter::TextClipped(const SRect& clip, int x, int y, const std::string& text, uint32_t colour)
{
    painter_.save();
    painter_.setClipRect(ToQRect(clip), Qt::IntersectClip);
    Text(x, y, text, colour);
    painter_.restore();
}

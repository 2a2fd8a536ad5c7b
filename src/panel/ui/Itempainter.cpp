#include "panel/ui/Itempainter.h"

#include "zcomponents/Zcolor.h"

#include <QFontMetrics>
#include <QImage>
#include <QPalette>
#include <algorithm>
#include <cmath>
#include <limits>

namespace {

QRect ToQRect(const SRect& r)
{
    return QRect(r.Left, r.Top, r.Width(), r.Height());
}

} // namespace

TItemPainter::TItemPainter(QImage& image, const QFont& baseFont, const QPalette& palette,
                           SItemTextCache* cache)
    : painter_(&image), palette_(palette), cache_(cache ? *cache : ownCache_)
{
    if (cache_.base != baseFont) {
        cache_ = SItemTextCache{};
        cache_.base = baseFont;
    }
    painter_.setRenderHint(QPainter::Antialiasing, false);
    painter_.setRenderHint(QPainter::TextAntialiasing, true);
}

TItemPainter::~TItemPainter() = default;

const QColor& TItemPainter::Colour(uint32_t colour)
{
    // A plot draws hundreds of segments and grid dots in one colour.
    if (!lastColour_ || lastColour_->first != colour)
        lastColour_.emplace(colour, ColorToQColor(colour, palette_));
    return lastColour_->second;
}

void TItemPainter::SetPen(uint32_t colour)
{
    if (penColour_ == colour)
        return;
    painter_.setPen(QPen(Colour(colour), 0));
    penColour_ = colour;
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
    const QColor c = Colour(colour);
    Touch(ToQRect(r));
    painter_.fillRect(QRect(r.Left, r.Top, r.Width(), 1), c);
    painter_.fillRect(QRect(r.Left, r.Bottom - 1, r.Width(), 1), c);
    painter_.fillRect(QRect(r.Left, r.Top, 1, r.Height()), c);
    painter_.fillRect(QRect(r.Right - 1, r.Top, 1, r.Height()), c);
}

void TItemPainter::Line(int x1, int y1, int x2, int y2, uint32_t colour)
{
    SetPen(colour);
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
    auto it = cache_.fonts.find(height);
    if (it == cache_.fonts.end())
        it = cache_.fonts.emplace(height, FontForHeight(cache_.base, height)).first;
    painter_.setFont(it->second);
}

const SItemTextCache::Metrics& TItemPainter::FontMetrics()
{
    auto it = cache_.metrics.find(textHeight_);
    if (it == cache_.metrics.end()) {
        const QFontMetrics m = painter_.fontMetrics();
        // The font's largest bearings bound the ink, with the margin of anti-aliasing.
        const int bearing = std::max(0, -std::min(m.minLeftBearing(), m.minRightBearing()));
        it = cache_.metrics
                 .emplace(textHeight_, SItemTextCache::Metrics{m.ascent(), m.height(), bearing + 2,
                                                               QRawFont::fromFont(painter_.font())})
                 .first;
    }
    return it->second;
}

std::optional<QGlyphRun> NumberGlyphRun(const QRawFont& raw, SItemTextCache::NumberGlyphs& known,
                                        const std::string& text, int& width)
{
    using Cache = SItemTextCache;
    if (!raw.isValid() || text.empty())
        return std::nullopt;
    QList<quint32> glyphs;
    std::array<size_t, 64> at{};
    if (text.size() > at.size())
        return std::nullopt;
    glyphs.reserve(qsizetype(text.size()));
    for (size_t i = 0; i < text.size(); ++i) {
        at[i] = Cache::NumberChars.find(text[i]);
        if (at[i] == std::string_view::npos)
            return std::nullopt;
        int& g = known.glyph[at[i]];
        if (g < 0) {
            const QList<quint32> one = raw.glyphIndexesForString(QString(QChar(text[i])));
            g = one.size() == 1 ? int(one[0]) : 0;
        }
        if (g == 0)
            return std::nullopt;
        glyphs.append(quint32(g));
    }
    QList<QPointF> positions;
    positions.reserve(glyphs.size());
    qreal x = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        positions.append(QPointF(x, 0));
        const bool last = i + 1 == text.size();
        qreal& a = last ? known.advance[at[i]] : known.pairAdvance[at[i] * Cache::NumberCharCount + at[i + 1]];
        if (std::isnan(a)) {
            const QList<quint32> these = last ? QList<quint32>{glyphs[qsizetype(i)]}
                                              : QList<quint32>{glyphs[qsizetype(i)], glyphs[qsizetype(i) + 1]};
            a = raw.advancesForGlyphIndexes(these, QRawFont::KernedAdvances | QRawFont::UseDesignMetrics).value(0).x();
        }
        x += a;
    }
    QGlyphRun run;
    run.setRawFont(raw);
    run.setGlyphIndexes(glyphs);
    run.setPositions(positions);
    width = qRound(x);
    return run;
}

SItemTextCache::NumberGlyphs::NumberGlyphs()
{
    glyph.fill(-1);
    advance.fill(std::numeric_limits<qreal>::quiet_NaN());
    pairAdvance.fill(std::numeric_limits<qreal>::quiet_NaN());
}

namespace {

// Numbers and what stands beside one: no font shapes them into anything but their glyphs side
// by side.
bool IsNumberText(const std::string& text)
{
    return text.find_first_not_of(SItemTextCache::NumberChars) == std::string::npos;
}

} // namespace

const SItemTextCache::Measured& TItemPainter::Measure(const std::string& text)
{
    auto key = std::make_pair(textHeight_, text);
    auto it = cache_.texts.find(key);
    if (it != cache_.texts.end())
        return it->second;
    if (cache_.texts.size() >= SItemTextCache::MaxTexts)
        cache_.texts.clear(); // the values of long ago
    const QString shown = QString::fromStdString(text);
    SItemTextCache::Measured measured;
    if (IsNumberText(text)) {
        const SItemTextCache::Metrics& m = FontMetrics();
        measured.glyphs = NumberGlyphRun(m.raw, *m.numbers, text, measured.width);
    }
    if (!measured.glyphs)
        measured.width = painter_.fontMetrics().horizontalAdvance(shown);
    return cache_.texts.emplace(std::move(key), std::move(measured)).first->second;
}

int TItemPainter::TextWidth(const std::string& text)
{
    return Measure(text).width;
}

int TItemPainter::TextHeight()
{
    return FontMetrics().height;
}

void TItemPainter::Text(int x, int y, const std::string& text, uint32_t colour)
{
    SetPen(colour);
    const SItemTextCache::Metrics& m = FontMetrics();
    const SItemTextCache::Measured& measured = Measure(text);
    if (measured.glyphs)
        painter_.drawGlyphRun(QPointF(x, y + m.ascent), *measured.glyphs);
    else
        painter_.drawText(x, y + m.ascent, QString::fromStdString(text));
    Touch(QRect(x - m.overhang, y - 2, measured.width + 2 * m.overhang, m.height + 4));
}

void TItemPainter::TextClipped(const SRect& clip, int x, int y, const std::string& text, uint32_t colour)
{
    const auto pen = penColour_;
    painter_.save();
    painter_.setClipRect(ToQRect(clip), Qt::IntersectClip);
    Text(x, y, text, colour);
    painter_.restore(); // the pen as it was
    penColour_ = pen;
}

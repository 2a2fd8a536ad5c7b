#pragma once
// The pane items' canvas on a QImage: the primitives of IItemCanvas through a QPainter.

#include "panel/Itemcanvas.h"

#include <QFont>
#include <QGlyphRun>
#include <QRawFont>
#include <QPainter>
#include <array>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

class QImage;
class QPalette;

// What the items' texts need of the fonts, kept by a pane from one painter to the next (every
// QFontMetrics call looks the font engine up again, and a poll draws a dozen values): the fonts
// by line height, their metrics, and the texts measured lately.
struct SItemTextCache {
    // The characters a number is drawn from (digits, separators, signs, exponents, and what
    // stands beside one): their glyphs and advances, alone and kerned before each other, are
    // looked up in the font once.
    static constexpr std::string_view NumberChars = "0123456789.,-+eE =%";
    static constexpr size_t NumberCharCount = NumberChars.size();
    struct NumberGlyphs {
        std::array<int, NumberCharCount> glyph;             // -1 not looked up yet, 0 missing
        std::array<qreal, NumberCharCount> advance;         // alone; NaN not looked up yet
        std::array<qreal, NumberCharCount * NumberCharCount> pairAdvance; // the first's, kerned
        NumberGlyphs();
    };
    struct Metrics {
        int ascent = 0;
        int height = 0;
        int overhang = 0; // how far a glyph's ink may reach beyond its advance
        QRawFont raw;     // the glyphs of the font at this height
        std::shared_ptr<NumberGlyphs> numbers = std::make_shared<NumberGlyphs>();
    };
    // A measured text. Numbers are drawn from their glyphs and kerned advances directly: shaping
    // digits and signs gives just that, at three times the cost.
    struct Measured {
        int width = 0;
        std::optional<QGlyphRun> glyphs;
    };
    static constexpr size_t MaxTexts = 512;

    QFont base;
    std::map<int, QFont> fonts;
    std::map<int, Metrics> metrics;
    std::map<std::pair<int, std::string>, Measured> texts;
};

// The glyphs of a number text side by side at their kerned advances (a glyph's advance is
// kerned by the glyph after it alone), as shaping would place them, from what known holds of
// the font and what it looks up once more; none when the text is not made of NumberChars or the
// font lacks one of them (then the text goes through shaping and font fallback). width: the
// advance of the whole.
std::optional<QGlyphRun> NumberGlyphRun(const QRawFont& raw, SItemTextCache::NumberGlyphs& known,
                                        const std::string& text, int& width);

class TItemPainter : public IItemCanvas {
public:
    // Draws on image with the fonts' family of baseFont; colours resolve in palette. A cache
    // kept by the caller (forgotten when baseFont changes) saves measuring the fonts again.
    TItemPainter(QImage& image, const QFont& baseFont, const QPalette& palette,
                 SItemTextCache* cache = nullptr);
    ~TItemPainter() override;

    void Clip(const SRect& r) override;
    void FillRect(const SRect& r, uint32_t colour) override;
    void FrameRect(const SRect& r, uint32_t colour) override;
    void Line(int x1, int y1, int x2, int y2, uint32_t colour) override;
    void Pixel(int x, int y, uint32_t colour) override;
    void NotXorFrame(const SRect& r, uint32_t colour) override;
    void SetTextHeight(int height) override;
    int TextWidth(const std::string& text) override;
    int TextHeight() override;
    void Text(int x, int y, const std::string& text, uint32_t colour) override;
    void TextClipped(const SRect& clip, int x, int y, const std::string& text, uint32_t colour) override;

    // The part of the image drawn on so far (a bound, never smaller than what changed).
    QRect Touched() const { return touched_; }
    // Touched, and starts collecting anew.
    QRect TakeTouched() { return std::exchange(touched_, QRect()); }

    // A font of the base family whose line height is at most height pixels.
    static QFont FontForHeight(const QFont& base, int height);

private:
    const QColor& Colour(uint32_t colour);
    // The pen for lines and text; set only when its colour changes.
    void SetPen(uint32_t colour);
    void Touch(const QRect& r) { touched_ |= r; }
    const SItemTextCache::Metrics& FontMetrics();
    const SItemTextCache::Measured& Measure(const std::string& text);

    QPainter painter_;
    const QPalette& palette_;
    SItemTextCache ownCache_;
    SItemTextCache& cache_;
    int textHeight_ = 0;
    std::optional<std::pair<uint32_t, QColor>> lastColour_;
    std::optional<uint32_t> penColour_;
    QRect touched_;
};

#pragma once
// The pane items' canvas on a QImage: the primitives of IItemCanvas through a QPainter.

#include "panel/Itemcanvas.h"

#include <QFont>
#include <QPainter>
#include <map>

class QImage;
class QPalette;

class TItemPainter : public IItemCanvas {
public:
    // Draws on image with the fonts' family of baseFont; colours resolve in palette.
    TItemPainter(QImage& image, const QFont& baseFont, const QPalette& palette);
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

    // A font of the base family whose line height is at most height pixels.
    static QFont FontForHeight(const QFont& base, int height);

private:
    QColor Colour(uint32_t colour) const;
    void Touch(const QRect& r) { touched_ |= r; }

    QPainter painter_;
    const QPalette& palette_;
    QFont baseFont_;
    int textHeight_ = 0;
    std::map<int, QFont> fonts_;
    QRect touched_;
};

#pragma once
// TzFastBmp: a 24-bit pixel buffer (blue, green, red per pixel, rows top-down, each row padded to
// a multiple of 4 bytes) with a table of row addresses, so effects walk the bytes directly; it
// carries its own in-place effects. TzDesktop: a canvas on an image of the whole screen.

#include "platform/Color.h"

#include <QImage>
#include <QPainter>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

class TzFastBmp {
public:
    // A zeroed buffer of the given size (negative sizes count as 0).
    TzFastBmp(int width, int height);
    // A copy of the bitmap's pixels.
    explicit TzFastBmp(const QImage& bitmap);
    virtual ~TzFastBmp() = default;

    TzFastBmp(const TzFastBmp&) = delete;
    TzFastBmp& operator=(const TzFastBmp&) = delete;

    std::int32_t Width = 0;
    std::int32_t Height = 0;
    std::int32_t Size = 0;   // RowInc x Height
    std::int32_t RowInc = 0; // bytes from one row to the next
    std::uint8_t* Bits = nullptr;
    std::vector<std::uint8_t*> Lines;

    // Bytes per row for a width: 3 x width padded to a multiple of 4.
    static std::int32_t StrideFor(std::int32_t width);

    // Colour stored at (x, y) as blue, green, red bytes; system colours are resolved first.
    // Outside the buffer nothing happens.
    void SetPixel(int x, int y, TColor color);
    // The plain RGB colour at (x, y); -1 outside the buffer.
    std::int64_t GetPixel(int x, int y) const;

    // Row copies of 3 x Width bytes; y must lie within 0..Height-1.
    void SetLine(int y, const std::uint8_t* source);
    void GetScanLine(int y, std::uint8_t* destination) const;
    std::uint8_t* GetLine(int y) { return Lines[std::size_t(y)]; }

    // Draws the buffer with its own size at (x, y).
    void Draw(QPainter& canvas, int x, int y) const;
    // The buffer as an image (shares nothing with the buffer).
    QImage ToImage() const;

    // In-place effects; channels are clamped to 0..255. The noises do nothing for an amount of
    // 0 or below.
    void ColorNoise(int Amount);
    void BWNoise(int Amount);
    void Saturation(int Amount);
    void Contrast(int Amount);
    // Centre-weighted average of the four neighbours; edges reuse the nearest row or column
    // inside the buffer. Amount + 4 must be positive, else nothing changes.
    void Sharpen(int Amount);
    // Four-corner average at the given radius; substitute rows and columns are kept inside the
    // buffer. A radius of 0 or below does nothing.
    void Blur(int Radius);
    // Blur with the radius, radius - 1, ..., 1.
    void GaussianBlur(int Radius);

    // The pseudo-random source of the noise effects: Random(n) gives 0..n-1 (0 for n <= 0).
    static void SetRandomSource(std::function<int(int n)> random);
    static int Random(int n);

private:
    void Allocate(std::int32_t width, std::int32_t height);
    void DoCalcLines();
    template <class F> void ForEachPixel(F&& f);

    QImage image_; // owns the pixel bytes (24-bit, BGR order)
};

// A canvas on the whole screen: a picture of the screen where the platform lets it be grabbed,
// otherwise an image of the screen's size (black) that drawing goes into.
class TzDesktop {
public:
    TzDesktop();
    ~TzDesktop();

    TzDesktop(const TzDesktop&) = delete;
    TzDesktop& operator=(const TzDesktop&) = delete;

    int Width() const { return image_.width(); }
    int Height() const { return image_.height(); }
    // Bits per pixel of the screen.
    int Depth() const { return depth_; }

    QPainter& Canvas() { return *canvas_; }
    // A copy of what has been drawn so far.
    QImage Image();

private:
    QImage image_;
    std::unique_ptr<QPainter> canvas_;
    int depth_ = 24;
};

#pragma once
// What a pane item draws on: a few primitives in pixels, rectangles with the right and bottom
// edges excluded. The windows implement it over their back buffer; tests may record the calls.

#include "platform/Color.h"

#include <cstdint>
#include <string>

struct SRect {
    int Left = 0;
    int Top = 0;
    int Right = 0;  // excluded
    int Bottom = 0; // excluded
    int Width() const { return Right - Left; }
    int Height() const { return Bottom - Top; }
};

// Colours of the items, 0x00BBGGRR.
namespace itemcolour {
constexpr TColor Black = clBlack;
constexpr TColor White = clWhite;
constexpr TColor Grey = clGray;
constexpr TColor Silver = clSilver;
constexpr TColor Blue = clBlue;
constexpr TColor Window = clWindow;
constexpr TColor ButtonFace = clBtnFace;
} // namespace itemcolour

class IItemCanvas {
public:
    virtual ~IItemCanvas() = default;
    // Limits the following drawing to r.
    virtual void Clip(const SRect& r) = 0;
    virtual void FillRect(const SRect& r, uint32_t colour) = 0;
    // A one-pixel outline of r.
    virtual void FrameRect(const SRect& r, uint32_t colour) = 0;
    virtual void Line(int x1, int y1, int x2, int y2, uint32_t colour) = 0;
    virtual void Pixel(int x, int y, uint32_t colour) = 0;
    // Outline of r combined with the screen by "not xor": drawing it twice restores the pixels.
    virtual void NotXorFrame(const SRect& r, uint32_t colour) = 0;
    // Text of the given cell height; x, y is the top left of the text.
    virtual void SetTextHeight(int height) = 0;
    virtual int TextWidth(const std::string& text) = 0;
    virtual int TextHeight() = 0;
    virtual void Text(int x, int y, const std::string& text, uint32_t colour) = 0;
    virtual void TextClipped(const SRect& clip, int x, int y, const std::string& text, uint32_t colour) = 0;
};

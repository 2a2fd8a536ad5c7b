#pragma once
// Window-less colour buttons: TzNWColorBtn and its picture forms TzNWBitColBtn (glyph strip)
// and TzNWIconColBtn (three icons). They take no focus and no keyboard press and have no
// default look; they can be transparent (showing what lies behind them, optionally lightened by
// a glass level), place the caption by offsets, keep the face still when pressed and hide the
// edge.

#include "zcomponents/Zbuttonbase.h"
#include "zcomponents/Zpicturebtn.h"

// Grey level ORed onto a transparent button's background, 0..255.
using TzGlassValue = std::uint8_t;

// The grey of a colour: the rounded mean of its three components (halves to even), as a
// palette-relative colour (bit 0x02000000 set).
TColor Grey(TColor color);

class TzNWColorBtn : public TzEdgedButton {
public:
    explicit TzNWColorBtn(QWidget* parent = nullptr);

    int LeftOffSet() const { return leftOffSet_; }
    void SetLeftOffSet(int v);
    int TopOffSet() const { return topOffSet_; }
    void SetTopOffSet(int v);
    TzGlassValue GlassValue() const { return glassValue_; }
    void SetGlass(TzGlassValue v);
    bool Transparent() const { return transparent_; }
    void SetTransparent(bool b);
    bool Flat() const { return flat_; }
    void SetFlat(bool b);
    bool Movement() const { return movement_; }
    void SetMove(bool b);
    bool Frame() const { return frame_; }
    void SetFrame(bool b);

protected:
    int ButtonKind() const override;
    void PaintBehind(QPainter& canvas) override;
    void PaintButton(QPainter& canvas) override;
    // What lies in the caption rectangle: the caption.
    virtual void PaintContent(QPainter& canvas, const QRect& caption);
    // Pressed and moving: the caption and picture move by one pixel.
    bool Moves() const { return down_ && movement_; }
    void resizeEvent(QResizeEvent* e) override;

private:
    int leftOffSet_ = 5;
    int topOffSet_ = 5;
    TzGlassValue glassValue_ = 0;
    bool transparent_ = false;
    bool flat_ = false;
    bool movement_ = true;
    bool frame_ = true;
};

class TzNWBitColBtn : public TzStripButton<TzSideButton<TzNWColorBtn>> {
public:
    explicit TzNWBitColBtn(QWidget* parent = nullptr);

    unsigned GlyphMargin() const { return glyphMargin_; }
    void SetGlyphMargin(unsigned m);
    bool TextOnTop() const { return textOnTop_; }
    void SetTextOnTop(bool b);
    tBitWhere BitmapWhere() const { return PictureSide(); }

protected:
    void PaintContent(QPainter& canvas, const QRect& caption) override;

private:
    unsigned glyphMargin_ = 5;
    bool textOnTop_ = false;
};

class TzNWIconColBtn : public TzIconButton<TzSideButton<TzNWColorBtn>> {
public:
    explicit TzNWIconColBtn(QWidget* parent = nullptr);

    unsigned GlyphMargin() const { return glyphMargin_; }
    void SetGlyphMargin(unsigned m);
    tBitWhere IconWhere() const { return PictureSide(); }

protected:
    void PaintContent(QPainter& canvas, const QRect& caption) override;

private:
    unsigned glyphMargin_ = 5;
};

#pragma once
// What the picture and gradient buttons add to a button, written once for every family: a
// glyph strip split into its state images, three state icons that fill each other in, the side
// the picture sits on, and a banded gradient face. Each button derives from these with its own
// base (windowed colour button, window-less colour button, shaped colour button).

#include "zcomponents/Zbuttonbase.h"
#include "zcomponents/Zcolor.h"
#include "zcomponents/Zpicture.h"

#include <QPainter>

template <class Button> class TzStripButton : public Button {
public:
    using Button::Button;

    const QImage& Glyph() const { return strip_.Glyph(); }
    void SetBitmap(const QImage& strip)
    {
        strip_.SetGlyph(strip);
        SplitBitmap();
    }
    tBitNumber NumGlyphs() const { return strip_.NumGlyphs(); }
    // Counts outside 1..4 are refused and change nothing.
    void SetNumberOfBitmaps(int n)
    {
        if (strip_.SetNumGlyphs(n))
            SplitBitmap();
    }
    TColor TransparentColor() const { return strip_.TransparentColor(); }
    // Stores the colour and stops taking it from the picture.
    void SetTransColor(TColor c)
    {
        strip_.SetTransparentColor(c);
        SplitBitmap();
    }
    bool AutoBackColor() const { return strip_.AutoBackColor(); }
    void SetAuto(bool b)
    {
        strip_.SetAutoBackColor(b);
        SplitBitmap();
    }
    void SetColor(TColor c) override
    {
        Button::SetColor(c);
        SplitBitmap();
    }
    const TzGlyphStrip& Strip() const { return strip_; }

    // Splits the strip into the state images (the made disabled image on the face colour).
    void SplitBitmap()
    {
        strip_.SplitBitmap(this->FaceColor());
        this->Invalidate();
    }

protected:
    TzGlyphStrip strip_;
};

template <class Button> class TzIconButton : public Button {
public:
    using Button::Button;

    const TzIconSet& Icons() const { return icons_; }
    void SetOnIcon(const QImage& icon)
    {
        icons_.SetOnIcon(icon);
        SetIcons();
    }
    void SetOffIcon(const QImage& icon)
    {
        icons_.SetOffIcon(icon);
        SetIcons();
    }
    void SetDownIcon(const QImage& icon)
    {
        icons_.SetDownIcon(icon);
        SetIcons();
    }
    bool AutoAllIcons() const { return icons_.AutoAllIcons(); }
    void SetAuto(bool b) { icons_.SetAuto(b); }

    // Fills empty icons from the others (with AutoAllIcons) and repaints.
    virtual void SetIcons()
    {
        icons_.SetIcons();
        this->Invalidate();
    }

protected:
    TzIconSet icons_;
};

template <class Button> class TzSideButton : public Button {
public:
    using Button::Button;

    // The side of the caption the picture sits on.
    tBitWhere PictureSide() const { return where_; }
    void SetBitWhere(tBitWhere w)
    {
        where_ = w;
        this->Invalidate();
    }

private:
    tBitWhere where_ = z_BWLeft;
};

template <class Button> class TzGradientButton : public Button {
public:
    using Button::Button;

    gradType FillType() const { return fillType_; }
    void SetGrad(gradType g)
    {
        fillType_ = g;
        this->Invalidate();
    }
    TColor EndColor() const { return endColor_; }
    void SetEndColor(TColor c)
    {
        endColor_ = c;
        this->Invalidate();
    }
    int Bands() const { return bands_; }
    // Band counts below 1 are refused and change nothing.
    void SetBands(int n)
    {
        if (n < 1)
            return;
        bands_ = n;
        this->Invalidate();
    }

protected:
    // The gradient from the face colour to EndColor, moved by one pixel while pressed. System
    // colours are resolved before they are compared or split into components.
    void PaintGradientFace(QPainter& canvas)
    {
        PaintGradient(canvas, this->size(), fillType_, this->FaceColor(),
                      ColorToQColor(endColor_, this->palette()), bands_, this->Down() ? 1 : 0);
    }

private:
    gradType fillType_ = gVert;
    TColor endColor_ = clBtnFace;
    int bands_ = 75;
};

#pragma once
// TzColorBtn: a push button painted in any colour with a three-dimensional edge, an optional
// flat look (edge only under the pointer or while pressed) and three ways of marking the
// default button. TzGradBtn fills its face with a colour gradient; TzBitColBtn shows an image
// of a glyph strip beside the caption, TzIconColBtn one of three icons.

#include "zcomponents/Mystd.h"
#include "zcomponents/Zbuttonbase.h"
#include "zcomponents/Zpicture.h"

// How the default or focused button shows itself.
enum TzcDefLook : std::uint8_t { dlBold, dlFrame, dlNone };

class TzColorBtn : public TzEdgedButton {
public:
    explicit TzColorBtn(QWidget* parent = nullptr);

    bool ShowFocus() const { return showFocus_; }
    void SetFocusRect(bool b);
    bool Flat() const { return flat_; }
    void SetFlat(bool b);
    bool AutoFocus() const { return autoFocus_; }
    void SetAutoFocus(bool b) { autoFocus_ = b; }
    TzcDefLook DefaultLook() const { return defaultLook_; }
    void SetDefLook(TzcDefLook look);

protected:
    int ButtonKind() const override;
    bool TrackHover() const override { return flat_; }
    void PaintButton(QPainter& canvas) override;
    // The face under edge and caption: a plain fill.
    virtual void PaintFace(QPainter& canvas);
    // What lies in the caption rectangle: the caption.
    virtual void PaintContent(QPainter& canvas, const QRect& caption);
    // The caption with this button's flags, in its enabled or disabled look.
    void DrawCaptionText(QPainter& canvas, const QRect& caption);
    void enterEvent(QEnterEvent* e) override;

private:
    bool showFocus_ = true;
    bool flat_ = false;
    bool autoFocus_ = false;
    TzcDefLook defaultLook_ = dlBold;
};

class TzGradBtn : public TzColorBtn {
public:
    explicit TzGradBtn(QWidget* parent = nullptr);

    gradType FillType() const { return fillType_; }
    void SetGrad(gradType g);
    TColor EndColor() const { return endColor_; }
    void SetEndColor(TColor c);
    int Bands() const { return bands_; }
    // Band counts below 1 are refused and change nothing.
    void SetBands(int n);

protected:
    void PaintFace(QPainter& canvas) override;

private:
    gradType fillType_ = gVert;
    TColor endColor_ = clBtnFace;
    int bands_ = 75;
};

class TzBitColBtn : public TzColorBtn {
public:
    explicit TzBitColBtn(QWidget* parent = nullptr);

    const QImage& Glyph() const { return strip_.Glyph(); }
    void SetBitmap(const QImage& strip);
    tBitNumber NumGlyphs() const { return strip_.NumGlyphs(); }
    void SetNumberOfBitmaps(int n);
    TColor TransparentColor() const { return strip_.TransparentColor(); }
    void SetTransColor(TColor c);
    bool AutoBackColor() const { return strip_.AutoBackColor(); }
    void SetAuto(bool b);
    bool TextOnTop() const { return textOnTop_; }
    void SetTextOnTop(bool b);
    tBitWhere BitmapWhere() const { return where_; }
    void SetBitWhere(tBitWhere w);
    void SetColor(TColor c) override;
    const TzGlyphStrip& Strip() const { return strip_; }

    // Splits the strip into the state images and repaints.
    void SplitBitmap();

protected:
    void PaintContent(QPainter& canvas, const QRect& caption) override;

private:
    TzGlyphStrip strip_;
    bool textOnTop_ = false;
    tBitWhere where_ = z_BWLeft;
};

class TzIconColBtn : public TzColorBtn {
public:
    explicit TzIconColBtn(QWidget* parent = nullptr);

    const TzIconSet& Icons() const { return icons_; }
    void SetOnIcon(const QImage& icon);
    void SetOffIcon(const QImage& icon);
    void SetDownIcon(const QImage& icon);
    bool AutoAllIcons() const { return icons_.AutoAllIcons(); }
    void SetAuto(bool b) { icons_.SetAuto(b); }
    tBitWhere IconWhere() const { return where_; }
    void SetBitWhere(tBitWhere w);

    virtual void SetIcons();

protected:
    void PaintContent(QPainter& canvas, const QRect& caption) override;

private:
    TzIconSet icons_;
    tBitWhere where_ = z_BWLeft;
};

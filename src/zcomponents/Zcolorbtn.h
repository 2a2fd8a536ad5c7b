#pragma once
// TzColorBtn: a push button painted in any colour with a three-dimensional edge, an optional
// flat look (edge only under the pointer or while pressed) and three ways of marking the
// default button. TzGradBtn fills its face with a colour gradient; TzBitColBtn shows an image
// of a glyph strip beside the caption, TzIconColBtn one of three icons.

#include "zcomponents/Mystd.h"
#include "zcomponents/Zbuttonbase.h"
#include "zcomponents/Zpicturebtn.h"

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

class TzGradBtn : public TzGradientButton<TzColorBtn> {
public:
    explicit TzGradBtn(QWidget* parent = nullptr);

protected:
    void PaintFace(QPainter& canvas) override;
};

class TzBitColBtn : public TzStripButton<TzSideButton<TzColorBtn>> {
public:
    explicit TzBitColBtn(QWidget* parent = nullptr);

    bool TextOnTop() const { return textOnTop_; }
    void SetTextOnTop(bool b);
    tBitWhere BitmapWhere() const { return PictureSide(); }

protected:
    void PaintContent(QPainter& canvas, const QRect& caption) override;

private:
    bool textOnTop_ = false;
};

class TzIconColBtn : public TzIconButton<TzSideButton<TzColorBtn>> {
public:
    explicit TzIconColBtn(QWidget* parent = nullptr);

    tBitWhere IconWhere() const { return PictureSide(); }

protected:
    void PaintContent(QPainter& canvas, const QRect& caption) override;
};

#pragma once
// Five label controls: TzBigLabel (a label of any caption length with mouse-enter and -leave
// events, sizing itself to its text), Tz3DLabel (raised, sunken or drop-shadowed text),
// TzcURLLabel (opens its address when clicked), TzAngleLabel (text rotated by an angle) and
// TzMouseSpot (an invisible hot spot with mouse events).

#include "platform/Color.h"
#include "zcomponents/Zcontrol.h"

#include <QFont>
#include <QString>
#include <cstdint>

class QPainter;

enum TTextLayout : std::uint8_t { tlTop, tlCenter, tlBottom };

class TzBigLabel : public TzGraphicControl {
public:
    // Captions of this length or more are wrapped when sized, whatever WordWrap says.
    static constexpr int LongCaption = 256;

    explicit TzBigLabel(QWidget* parent = nullptr);

    QString Caption() const { return caption_; }
    void SetCaption(const QString& s);
    bool AutoSize() const { return autoSize_; }
    void SetAutoSize(bool b);
    bool WordWrap() const { return wordWrap_; }
    void SetWordWrap(bool b);
    TAlignment Alignment() const { return alignment_; }
    void SetAlignment(TAlignment a);
    TTextLayout Layout() const { return layout_; }
    void SetLayout(TTextLayout l);
    bool Transparent() const { return transparent_; }
    void SetTransparent(bool b);
    // Background colour (when not transparent) and text colour.
    TColor Color() const { return color_; }
    void SetColor(TColor c);
    TColor FontColor() const { return fontColor_; }
    void SetFontColor(TColor c);
    // '&' marks an accelerator character (underlined) when on; it is drawn as is when off.
    bool ShowAccelChar() const { return showAccelChar_; }
    void SetShowAccelChar(bool b);
    void SetLabelFont(const QFont& font);

    // Sizes the control to its text (with AutoSize).
    void AdjustBounds();

protected:
    // Runs after the caption or the accelerator rule changed.
    virtual void CaptionChanged() {}
    // Draws the caption into the rectangle with the given text flags.
    virtual void DoDrawText(QPainter& p, const QRect& rect, int flags);
    // Draws one pass of the caption in a colour.
    void DrawCaption(QPainter& p, const QRect& rect, int flags, TColor color);
    // The caption's extent within the rectangle's width.
    QRect MeasureText(const QRect& rect, int flags) const;
    int BaseFlags() const;
    // The text colour, grey when disabled.
    TColor TextColor() const;
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    QString caption_;
    bool autoSize_ = true;
    bool wordWrap_ = false;
    TAlignment alignment_ = taLeftJustify;
    TTextLayout layout_ = tlTop;
    bool transparent_ = false;
    TColor color_ = clBtnFace;
    TColor fontColor_ = clWindowText;
    bool showAccelChar_ = true;
};

class Tz3DLabel : public TzBigLabel {
public:
    explicit Tz3DLabel(QWidget* parent = nullptr);

    bool Raised() const { return raised_; }
    void SetRaised(bool b);
    bool Use3D() const { return use3D_; }
    void SetUse3D(bool b);
    TColor HighlightColor() const { return highlightColor_; }
    void SetHighlightColor(TColor c);
    TColor ShadowColor() const { return shadowColor_; }
    void SetShadowColor(TColor c);
    bool UseDropShadow() const { return useDropShadow_; }
    void SetUseDropShadow(bool b);
    int DropShadowSize() const { return dropShadowSize_; }
    void SetDropShadowSize(int n);

protected:
    void DoDrawText(QPainter& p, const QRect& rect, int flags) override;

private:
    bool raised_ = true;
    bool use3D_ = true;
    TColor highlightColor_ = clBtnHighlight;
    TColor shadowColor_ = clBtnShadow;
    bool useDropShadow_ = false;
    int dropShadowSize_ = 2;
};

class TzcURLLabel : public Tz3DLabel {
public:
    explicit TzcURLLabel(QWidget* parent = nullptr);

    QString URL() const { return url_; }
    void SetURL(const QString& url) { url_ = url; }
    // Whether the last click could open the address.
    bool LastClickOK() const { return lastClickOK_; }

    // The click event, then the address opened with the desktop's handler.
    void Click() override;

protected:
    bool event(QEvent* event) override;
    void CaptionChanged() override;

private:

    QString url_;
    bool lastClickOK_ = true;
    int shortcutId_ = 0;
};

class TzAngleLabel : public TzGraphicControl {
public:
    explicit TzAngleLabel(QWidget* parent = nullptr);

    QString Caption() const { return caption_; }
    void SetCaption(const QString& s);
    // 0..359 degrees counter-clockwise; other values are refused.
    int Angle() const { return angle_; }
    void SetAngle(int degrees);
    int DropShadowSize() const { return dropShadowSize_; }
    void SetDropShadowSize(int n);
    bool UseDropShadow() const { return useDropShadow_; }
    void SetUseDropShadow(bool b);
    TColor HighlightColor() const { return highlightColor_; }
    void SetHighlightColor(TColor c);
    TColor ShadowColor() const { return shadowColor_; }
    void SetShadowColor(TColor c);
    bool Raised() const { return raised_; }
    void SetRaised(bool b);
    bool Use3D() const { return use3D_; }
    void SetUse3D(bool b);
    bool Transparent() const { return transparent_; }
    void SetTransparent(bool b);
    TColor Color() const { return color_; }
    void SetColor(TColor c);
    TColor FontColor() const { return fontColor_; }
    void SetFontColor(TColor c);
    void SetLabelFont(const QFont& font);

    TNotifyEvent OnPaint;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void AdjustSquare();
    void DrawAt(QPainter& p, double x, double y, TColor color);

    QString caption_;
    int angle_ = 0;
    double cos_ = 1.0, sin_ = 0.0;
    int dropShadowSize_ = 2;
    bool useDropShadow_ = false;
    TColor highlightColor_ = clBtnHighlight;
    TColor shadowColor_ = clBtnShadow;
    bool raised_ = true;
    bool use3D_ = false;
    bool transparent_ = true;
    TColor color_ = clBtnFace;
    TColor fontColor_ = clWindowText;
};

class TzMouseSpot : public TzGraphicControl {
public:
    explicit TzMouseSpot(QWidget* parent = nullptr);

    // Fired when the spot paints (it draws nothing itself).
    TNotifyEvent OnParentPaint;

protected:
    void paintEvent(QPaintEvent* event) override;
};

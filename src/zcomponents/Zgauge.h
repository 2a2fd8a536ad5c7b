#pragma once
// TzGauge: a horizontal progress gauge showing Value between Min and Max as one solid bar or a
// row of segments, filled with BarColor or a tiled Glyph, framed by an outer bevel, a plain
// frame and an inner bevel, the solid bar carrying a two-colour caption.

#include "platform/Color.h"
#include "zcomponents/Zcontrol.h"

#include <QImage>
#include <QString>
#include <cstdint>
#include <vector>

// Which numbers fill the caption's format string.
enum gaCaptionStyle : std::uint8_t { gaPctBar, gaTotalBar, gaTotPct, gaPctTot };

class TzGauge : public TzGraphicControl {
public:
    explicit TzGauge(QWidget* parent = nullptr);

    // Bar range and position. Max > Min always; Value is kept within them by SetValue.
    std::int32_t Min() const { return min_; }
    std::int32_t Max() const { return max_; }
    std::int32_t Value() const { return value_; }
    void SetMin(std::int32_t v);
    void SetMax(std::int32_t v);
    void SetValue(std::int32_t v);
    virtual void AddValue(std::int32_t n);

    // Position in whole percent of the range (0..100; a stored value outside the range counts
    // as its nearer end).
    std::uint8_t Percent() const { return GetPercent(); }
    std::uint8_t GetPercent() const;
    void SetPercent(std::uint8_t p);

    QString Caption() const { return caption_; }
    void SetCaption(const QString& s);
    gaCaptionStyle CaptionStyle() const { return captionStyle_; }
    void SetCaptionStyle(gaCaptionStyle style);
    // The caption as the last paint formatted it.
    QString FormattedCaption() const { return formattedCaption_; }

    TColor BarColor() const { return barColor_; }
    void SetBarColor(TColor c);
    // Background colour; setting it stops taking the parent's colour.
    TColor Color() const { return color_; }
    void SetColor(TColor c);
    bool ParentColor() const { return parentColor_; }
    void SetParentColor(bool b);
    // Font: the control's QWidget font; a parent font is taken while none is set of its own.
    bool ParentFont() const { return !testAttribute(Qt::WA_SetFont); }
    void SetParentFont(bool b);

    const QImage& Glyph() const { return glyph_; }
    void SetBitmap(const QImage& bmp);

    std::uint8_t FrameWidth() const { return frameWidth_; }
    void SetfWidth(std::uint8_t w);
    std::uint8_t Margin() const { return margin_; }
    void SetMargin(std::uint8_t m);
    // Gap between segments (its setter is named SetLedThick).
    std::uint8_t SpaceBetweenLed() const { return spaceBetweenLed_; }
    void SetLedThick(std::uint8_t space);
    // Number of segments, 0 for a solid bar (its setter is named SetledSpace).
    std::int32_t NumberOfLed() const { return numberOfLed_; }
    void SetledSpace(std::int32_t count);

    bool DrawOnlyWhenPCTChange() const { return drawOnlyWhenPctChange_; }
    void SetPCTDraw(bool b);

    TBevelCut BevelInner() const { return bevelInner_; }
    void SetBevelInner(TBevelCut cut);
    TBevelCut BevelOuter() const { return bevelOuter_; }
    void SetBevelOuter(TBevelCut cut);
    int BevelWidth() const { return bevelWidth_; }
    void SetBevelWidth(int w);

    TNotifyEvent OnMinimum;
    TNotifyEvent OnMaximum;
    TNotifyEvent OnPaint;

    // Rebuilds the tile bitmap from Glyph (after loading a stored form).
    void Loaded();
    virtual void DoTheBitmap();
    virtual void CallMinimum();
    virtual void CallMaximum();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QColor BackgroundQColor() const;
    // Value limited to the range: what the bar and the percent show.
    std::int64_t ShownValue() const;
    // Pixels of a bar BW wide that the shown value fills.
    std::int64_t FillWidth(std::int64_t barWidth) const;

    QImage tile_;
    QImage glyph_;
    gaCaptionStyle captionStyle_ = gaPctBar;
    TColor barColor_ = clFuchsia;
    std::uint8_t frameWidth_ = 0;
    std::int32_t min_ = 0;
    std::int32_t max_ = 100;
    std::int32_t value_ = 0;
    std::uint8_t margin_ = 1;
    std::uint8_t spaceBetweenLed_ = 1;
    std::int32_t numberOfLed_ = 0;
    bool drawOnlyWhenPctChange_ = false;
    TBevelCut bevelInner_ = bvNone;
    TBevelCut bevelOuter_ = bvRaised;
    int bevelWidth_ = 1;
    QString formattedCaption_;
    QString caption_;
    TColor color_ = clBtnFace;
    bool parentColor_ = true;
};

// Fills a caption format string ("%d", "%3d", "%1:d", "%x", "%%") with integer arguments.
// Answers false, leaving out untouched, when a placeholder has no matching integer argument.
bool FormatCaption(const QString& format, const std::vector<std::int64_t>& args, QString& out);

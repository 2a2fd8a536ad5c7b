#pragma once
// Two decorations for forms: TzDivider draws a two-pixel etched or raised line along the top
// or the left edge of its area; TzFrame draws a panel-style bevelled frame, optionally filled,
// and by default lets mouse input pass to the control beneath it.

#include "platform/Color.h"
#include "zcomponents/Zcontrol.h"

enum doType : std::uint8_t { doHorz, doVert };

class TzDivider : public TzGraphicControl {
public:
    explicit TzDivider(QWidget* parent = nullptr);

    doType Orientation() const { return orientation_; }
    void SetOrientation(doType o);
    bool Raised() const { return raised_; }
    void SetRaised(bool b);
    // Sizes below 2 are raised to 2.
    void SetWidth(int w);
    void SetHeight(int h);

    TNotifyEvent OnPaint;

protected:
    void paintEvent(QPaintEvent* e) override;

private:
    doType orientation_ = doHorz;
    bool raised_ = false;
};

class TzFrame : public TzGraphicControl {
public:
    explicit TzFrame(QWidget* parent = nullptr);

    bool Filled() const { return filled_; }
    void SetFilled(bool b);
    TBevelCut BevelInner() const { return bevelInner_; }
    void SetBevelInner(TBevelCut cut);
    TBevelCut BevelOuter() const { return bevelOuter_; }
    void SetBevelOuter(TBevelCut cut);
    int BevelWidth() const { return bevelWidth_; }
    void SetBevelWidth(int w);
    int BorderWidth() const { return borderWidth_; }
    void SetBorderWidth(int w);
    // Background colour; setting it stops taking the parent's colour.
    TColor Color() const { return color_; }
    void SetColor(TColor c);
    // True: the frame is disabled and mouse input reaches the control beneath it.
    bool PassMouseOn() const { return !isEnabled(); }
    void SetPassMouseOn(bool b);

    TNotifyEvent OnPaint;

protected:
    void paintEvent(QPaintEvent* e) override;

private:
    bool filled_ = false;
    TBevelCut bevelInner_ = bvNone;
    TBevelCut bevelOuter_ = bvRaised;
    int bevelWidth_ = 1;
    int borderWidth_ = 0;
    TColor color_ = clWindow;
    bool parentColor_ = true;
};

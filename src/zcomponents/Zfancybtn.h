#pragma once
// Bitmap-skinned buttons: a push button, a check box and a radio button whose look comes
// wholly from material set for each visual state: a glyph (with a transparent colour), its
// offset, the caption rectangle and a region (TzcRgn) that gives the control its outline. Each
// state change applies that state's region (sizing the control to its bounding box).

#include "zcomponents/Zbuttonbase.h"
#include "zcomponents/Zregion.h"

#include <QImage>
#include <memory>
#include <vector>

enum TCheckBoxState : std::uint8_t { cbUnchecked, cbChecked, cbGrayed };

// The material of one state under its own names (TextSizeUp, BtnRgnUp, GlyphUp, SetGlyphUp,
// OffsetGlyphUp for the state fbUp, and so on).
#define ZFANCY_STATE_ACCESSORS(Suffix, state) \
    TzcTextSize* TextSize##Suffix() { return TzcFancyBase::TextSize(state); } \
    TzcRgn* BtnRgn##Suffix() { return TzcFancyBase::BtnRgn(state); } \
    const QImage& Glyph##Suffix() const { return TzcFancyBase::Glyph(state); } \
    void SetGlyph##Suffix(const QImage& glyph) { TzcFancyBase::SetGlyph(state, glyph); } \
    TzcBmpOffset* OffsetGlyph##Suffix() { return TzcFancyBase::OffsetGlyph(state); }

// Shared part of the skinned buttons: the per-state material, the loaded flag, the state's
// outline and the paint.
class TzcFancyBase : public TzButtonBase {
public:
    TColor TransparentColor() const { return transparentColor_; }
    void SetTransparentColor(TColor c);
    TzcFanceDefLook DefaultLook() const { return defaultLook_; }
    void SetDefaultLook(TzcFanceDefLook look);

    // The material of a state (states are numbered by each button's own enumeration).
    TzcTextSize* TextSize(int state);
    void SetTextSize(int state, const TzcTextSize& value);
    TzcRgn* BtnRgn(int state);
    void SetBtnRgn(int state, const TzcRgn* value);
    const QImage& Glyph(int state) const;
    void SetGlyph(int state, const QImage& glyph);
    TzcBmpOffset* OffsetGlyph(int state);
    void SetOffsetGlyph(int state, const TzcBmpOffset& value);

    // The owner has finished setting properties: from now on the states' outlines apply.
    void Loaded();
    bool IsLoaded() const { return loaded_; }
    // The state the button shows now.
    virtual int CurrentState() const = 0;
    // The outline it has now.
    const QRegion& Outline() const { return outline_; }

protected:
    // One text area default per state; fallback: the state whose region and glyph stand in
    // for a state that has none.
    TzcFancyBase(QWidget* parent, const std::vector<QRect>& textAreas, int fallback);
    ~TzcFancyBase() override;

    // The caption is bold (with dlfBold) when this is true.
    virtual bool BoldCaption() const = 0;
    bool PointInside(const QPoint& p) const override;
    void StateChanged() override;
    void PaintButton(QPainter& canvas) override;

private:
    struct Look;
    std::vector<std::unique_ptr<Look>> looks_;
    int fallback_;
    TColor transparentColor_ = clBlack;
    TzcFanceDefLook defaultLook_ = dlfBold;
    bool loaded_ = false;
    QRegion outline_;
};

class TzcFancyButton : public TzcFancyBase {
public:
    enum State { fbDisabled, fbUp, fbDown, fbFocused };

    explicit TzcFancyButton(QWidget* parent = nullptr);
    int CurrentState() const override;

    ZFANCY_STATE_ACCESSORS(Disabled, fbDisabled)
    ZFANCY_STATE_ACCESSORS(Up, fbUp)
    ZFANCY_STATE_ACCESSORS(Down, fbDown)
    ZFANCY_STATE_ACCESSORS(Focused, fbFocused)

protected:
    int ButtonKind() const override;
    bool BoldCaption() const override { return ShowsDefault(); }
};

// Common base of the skinned check box and radio button.
class TzcFancyCustomBtn : public TzcFancyBase {
public:
    enum State { fcDisabled, fcFocusedChecked, fcFocused, fcChecked, fcPlain, fcFocusedGrayed,
                 fcGrayed };

    int CurrentState() const override;

    ZFANCY_STATE_ACCESSORS(Disabled, fcDisabled)
    ZFANCY_STATE_ACCESSORS(FocusedChecked, fcFocusedChecked)
    ZFANCY_STATE_ACCESSORS(Focused, fcFocused)
    ZFANCY_STATE_ACCESSORS(Checked, fcChecked)
    ZFANCY_STATE_ACCESSORS(, fcPlain)
    using TzcFancyBase::BtnRgn;
    using TzcFancyBase::Glyph;
    using TzcFancyBase::OffsetGlyph;
    using TzcFancyBase::SetGlyph;
    using TzcFancyBase::TextSize;

protected:
    TzcFancyCustomBtn(QWidget* parent, int stateCount);
    bool EnterClicks() const override { return false; }
    bool BoldCaption() const override { return hasFocus(); }
    virtual bool IsChecked() const = 0;
    virtual bool IsGrayed() const { return false; }
};

class TzcCustomFancyCheckBox : public TzcFancyCustomBtn {
public:
    explicit TzcCustomFancyCheckBox(QWidget* parent = nullptr);

    ZFANCY_STATE_ACCESSORS(FocusedGrayed, fcFocusedGrayed)
    ZFANCY_STATE_ACCESSORS(Grayed, fcGrayed)

    TCheckBoxState State() const { return state_; }
    // A change stores the state and clicks (OnClick).
    void SetState(TCheckBoxState s);
    bool Checked() const { return state_ == cbChecked; }
    void SetChecked(bool b) { SetState(b ? cbChecked : cbUnchecked); }
    bool AllowGrayed() const { return allowGrayed_; }
    void SetAllowGrayed(bool b) { allowGrayed_ = b; }

    // Unchecked goes to grayed (when allowed) or checked, checked to unchecked, grayed to
    // checked.
    virtual void Toggle();
    // A click toggles.
    void Click() override;

protected:
    int ButtonKind() const override;
    bool IsChecked() const override { return state_ == cbChecked; }
    bool IsGrayed() const override { return state_ == cbGrayed; }

private:
    TCheckBoxState state_ = cbUnchecked;
    bool allowGrayed_ = false;
};

class TzcFancyCheckBox : public TzcCustomFancyCheckBox {
public:
    using TzcCustomFancyCheckBox::TzcCustomFancyCheckBox;
};

class TzcCustomFancyRadioButton : public TzcFancyCustomBtn {
public:
    explicit TzcCustomFancyRadioButton(QWidget* parent = nullptr);

    bool Checked() const { return checked_; }
    // Checking unchecks the other radio buttons of the parent with the same GroupIndex and
    // clicks (OnClick). The button is reached with Tab only while checked.
    void SetChecked(bool b);
    int GroupIndex() const { return groupIndex_; }
    void SetGroupIndex(int g) { groupIndex_ = g; }

    // A click checks it.
    void Click() override;

protected:
    int ButtonKind() const override;
    bool IsChecked() const override { return checked_; }
    void focusInEvent(QFocusEvent* e) override;

private:
    bool checked_ = false;
    int groupIndex_ = 0;
};

class TzcFancyRadioButton : public TzcCustomFancyRadioButton {
public:
    using TzcCustomFancyRadioButton::TzcCustomFancyRadioButton;
};

#include "zcomponents/Zfancybtn.h"

#include <QPainter>

namespace {

constexpr int kWidth = 89;
constexpr int kHeight = 33;
constexpr int kFancyButtonKind = 5;
constexpr int kFancyCheckKind = 6;
constexpr int kFancyRadioKind = 7;
constexpr int kPushStates = 4;
constexpr int kRadioStates = 5;
constexpr int kCheckStates = 7;

const QRect kPushText(2, 2, 84, 28);
const QRect kPushDownText(3, 3, 84, 28);
const QRect kPlainText(0, 0, 89, 33);
const QRect kCheckedText(1, 1, 89, 33);

std::vector<QRect> PushTextAreas()
{
    // Disabled, up, down, focused
    return {kPushText, kPushText, kPushDownText, kPushText};
}

std::vector<QRect> CheckTextAreas(int states)
{
    // Disabled, focused-checked, focused, checked, plain, focused-grayed, grayed
    std::vector<QRect> areas = {kPlainText, kCheckedText, kPlainText, kCheckedText, kPlainText,
                                kPlainText, kPlainText};
    areas.resize(size_t(states));
    return areas;
}

} // namespace

struct TzcFancyBase::Look {
    explicit Look(const QRect& text)
        : textSize(text.left(), text.top(), text.width(), text.height()), offset(0, 0)
    {
    }
    TzcTextSize textSize;
    TzcRgn region;
    QImage glyph;
    TzcBmpOffset offset;
};

// ---- TzcFancyBase ----

TzcFancyBase::TzcFancyBase(QWidget* parent, const std::vector<QRect>& textAreas, int fallback)
    : TzButtonBase(parent), fallback_(fallback)
{
    for (const QRect& area : textAreas) {
        looks_.push_back(std::make_unique<Look>(area));
        looks_.back()->textSize.OnChange = [this](QObject*) { Invalidate(); };
        looks_.back()->offset.OnChange = [this](QObject*) { Invalidate(); };
    }
    resize(kWidth, kHeight);
}

TzcFancyBase::~TzcFancyBase() = default;

void TzcFancyBase::SetTransparentColor(TColor c)
{
    transparentColor_ = c;
    Invalidate();
}

void TzcFancyBase::SetDefaultLook(TzcFanceDefLook look)
{
    if (look == defaultLook_)
        return;
    defaultLook_ = look;
    Invalidate();
}

TzcTextSize* TzcFancyBase::TextSize(int state)
{
    return &looks_.at(size_t(state))->textSize;
}

void TzcFancyBase::SetTextSize(int state, const TzcTextSize& value)
{
    TextSize(state)->Assign(value);
}

TzcRgn* TzcFancyBase::BtnRgn(int state)
{
    return &looks_.at(size_t(state))->region;
}

void TzcFancyBase::SetBtnRgn(int state, const TzcRgn* value)
{
    BtnRgn(state)->Assign(value);
    Invalidate();
}

const QImage& TzcFancyBase::Glyph(int state) const
{
    return looks_.at(size_t(state))->glyph;
}

void TzcFancyBase::SetGlyph(int state, const QImage& glyph)
{
    looks_.at(size_t(state))->glyph = glyph;
    Invalidate();
}

TzcBmpOffset* TzcFancyBase::OffsetGlyph(int state)
{
    return &looks_.at(size_t(state))->offset;
}

void TzcFancyBase::SetOffsetGlyph(int state, const TzcBmpOffset& value)
{
    OffsetGlyph(state)->Assign(value);
}

void TzcFancyBase::Loaded()
{
    mouseIn_ = false;
    SetMouseIn();
    loaded_ = true;
    Invalidate();
}

bool TzcFancyBase::PointInside(const QPoint& p) const
{
    return outline_.isEmpty() ? rect().contains(p) : outline_.contains(p);
}

void TzcFancyBase::StateChanged()
{
    QRegion outline(0, 0, width(), height());
    if (loaded_) {
        const TzcRgn& own = looks_[size_t(CurrentState())]->region;
        const TzcRgn& fallback = looks_[size_t(fallback_)]->region;
        // The control takes the size of the region's box, so the outline goes where that
        // box starts: the control's origin.
        if (own.ExsistData())
            outline = OutlineAtOrigin(own.Handle());
        else if (fallback.ExsistData())
            outline = OutlineAtOrigin(fallback.Handle());
    }
    if (outline == outline_)
        return;
    outline_ = outline;
    const QRect box = outline_.boundingRect();
    if (box.size() != size())
        resize(box.width(), box.height());
    setMask(outline_);
}

void TzcFancyBase::PaintButton(QPainter& canvas)
{
    const Look& look = *looks_[size_t(CurrentState())];
    const QColor face = FaceColor();
    canvas.fillRect(rect(), face);
    const QImage& glyph = !look.glyph.isNull() ? look.glyph : looks_[size_t(fallback_)]->glyph;
    const QRect source = QRect(QPoint(0, 0), size()).intersected(glyph.rect());
    BrushCopy(canvas, QRect(look.offset.Point(), source.size()), glyph, source,
              transparentColor_, face);
    QFont f = font();
    if (defaultLook_ == dlfBold)
        f.setBold(BoldCaption());
    canvas.setFont(f);
    DrawButtonCaption(canvas, look.textSize.Rect());
}

// ---- TzcFancyButton ----

TzcFancyButton::TzcFancyButton(QWidget* parent) : TzcFancyBase(parent, PushTextAreas(), fbUp)
{
    static_assert(fbFocused + 1 == kPushStates);
}

int TzcFancyButton::ButtonKind() const
{
    return kFancyButtonKind;
}

int TzcFancyButton::CurrentState() const
{
    if (!IsLoaded())
        return fbFocused;
    if (!isEnabled())
        return fbDisabled;
    if (down_)
        return fbDown;
    return hasFocus() ? fbFocused : fbUp;
}

// ---- TzcFancyCustomBtn ----

TzcFancyCustomBtn::TzcFancyCustomBtn(QWidget* parent, int stateCount)
    : TzcFancyBase(parent, CheckTextAreas(stateCount), fcPlain)
{
}

int TzcFancyCustomBtn::CurrentState() const
{
    if (!IsLoaded())
        return fcPlain;
    if (!isEnabled())
        return fcDisabled;
    if (hasFocus())
        return IsChecked() ? fcFocusedChecked : IsGrayed() ? fcFocusedGrayed : fcFocused;
    return IsChecked() ? fcChecked : IsGrayed() ? fcGrayed : fcPlain;
}

// ---- TzcCustomFancyCheckBox ----

TzcCustomFancyCheckBox::TzcCustomFancyCheckBox(QWidget* parent)
    : TzcFancyCustomBtn(parent, kCheckStates)
{
}

int TzcCustomFancyCheckBox::ButtonKind() const
{
    return kFancyCheckKind;
}

void TzcCustomFancyCheckBox::SetState(TCheckBoxState s)
{
    if (s == state_)
        return;
    state_ = s;
    TzButtonBase::Click();
}

void TzcCustomFancyCheckBox::Toggle()
{
    switch (state_) {
    case cbUnchecked: SetState(allowGrayed_ ? cbGrayed : cbChecked); break;
    case cbChecked: SetState(cbUnchecked); break;
    case cbGrayed: SetState(cbChecked); break;
    }
}

void TzcCustomFancyCheckBox::Click()
{
    Toggle();
}

// ---- TzcCustomFancyRadioButton ----

TzcCustomFancyRadioButton::TzcCustomFancyRadioButton(QWidget* parent)
    : TzcFancyCustomBtn(parent, kRadioStates)
{
    setFocusPolicy(Qt::ClickFocus);
}

int TzcCustomFancyRadioButton::ButtonKind() const
{
    return kFancyRadioKind;
}

void TzcCustomFancyRadioButton::SetChecked(bool b)
{
    if (b == checked_)
        return;
    checked_ = b;
    setFocusPolicy(b ? Qt::StrongFocus : Qt::ClickFocus);
    Invalidate();
    if (!b)
        return;
    if (QWidget* p = parentWidget())
        for (auto* other : p->findChildren<TzcCustomFancyRadioButton*>(Qt::FindDirectChildrenOnly))
            if (other != this && other->groupIndex_ == groupIndex_)
                other->SetChecked(false);
    TzButtonBase::Click();
}

void TzcCustomFancyRadioButton::Click()
{
    SetChecked(true);
}

void TzcCustomFancyRadioButton::focusInEvent(QFocusEvent* e)
{
    TzcFancyCustomBtn::focusInEvent(e);
    SetChecked(true);
}

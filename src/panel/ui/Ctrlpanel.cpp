#include "panel/ui/Ctrlpanel.h"

#include "panel/Capcontrols.h"
#include "zcomponents/Zwidgets.h"

#include <QApplication>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QGlyphRun>
#include <QPaintEvent>
#include <QPainter>
#include <QRawFont>
#include <QPixmap>
#include <QProxyStyle>
#include <QStyleOptionFrame>
#include <QSignalBlocker>
#include <QStackedWidget>
#include <QStyleOptionSlider>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>
#include <utility>
#include <iterator>
#include <vector>

namespace {

QToolButton* SpeedButton(QWidget* parent, const QString& name, const char* text)
{
    auto* b = new QToolButton(parent);
    b->setObjectName(name);
    b->setText(text);
    b->setCheckable(true);
    b->setMinimumWidth(64);
    return b;
}

QWidget* Page(QStackedWidget* book, const char* name)
{
    auto* w = new QWidget(book);
    w->setObjectName(name);
    book->addWidget(w);
    return w;
}

QString Suffixed(const char* base, int index) { return index == 0 ? base : base + QString::number(index); }

constexpr int EditWidth = 56;

// The style of the capacitor position edits: the application's, with the edit's frame drawn
// once per size and state and then copied. A poll that moves a capacitor repaints its edit, and
// the style's antialiased frame cost more than the rest of the edit.
class TFramePictureStyle : public QProxyStyle {
public:
    explicit TFramePictureStyle(QObject* owner) : QProxyStyle(QApplication::style()->name()) { setParent(owner); }

    void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                       const QWidget* widget) const override
    {
        const auto* frame = qstyleoption_cast<const QStyleOptionFrame*>(option);
        if (element != PE_PanelLineEdit || !frame || option->rect.isEmpty()) {
            QProxyStyle::drawPrimitive(element, option, painter, widget);
            return;
        }
        const qreal ratio = painter->device()->devicePixelRatio();
        const Key key{option->rect.size(), int(option->state), option->palette.cacheKey(), int(option->direction),
                      frame->lineWidth, frame->midLineWidth, int(frame->features), ratio};
        auto it = std::find_if(pictures_.begin(), pictures_.end(), [&](const auto& p) { return p.first == key; });
        if (it == pictures_.end()) {
            QPixmap picture(option->rect.size() * ratio);
            picture.setDevicePixelRatio(ratio);
            picture.fill(Qt::transparent);
            QStyleOptionFrame at = *frame;
            at.rect = QRect(QPoint(0, 0), option->rect.size());
            QPainter p(&picture);
            QProxyStyle::drawPrimitive(element, &at, &p, widget);
            p.end();
            if (pictures_.size() >= MaxPictures)
                pictures_.erase(pictures_.begin());
            pictures_.emplace_back(key, picture);
            it = std::prev(pictures_.end());
        }
        painter->drawPixmap(option->rect.topLeft(), it->second);
    }

private:
    struct Key {
        QSize size;
        int state;
        qint64 palette;
        int direction, lineWidth, midLineWidth, features;
        qreal ratio;
        bool operator==(const Key&) const = default;
    };
    static constexpr size_t MaxPictures = 16;
    mutable std::vector<std::pair<Key, QPixmap>> pictures_;
};

// Numbers that change on every poll skip the text shaper: digits and signs are their glyphs
// side by side in any font, and shaping them cost more than the rest of the widget's update.
void NumbersUnshaped(QWidget* w)
{
    QFont f = w->font();
    f.setStyleStrategy(QFont::PreferNoShaping);
    w->setFont(f);
}

// The capacitor controls stand on a plain panel: they fill what the panel would show behind
// them themselves and so are drawn without the panel and the window beneath, as most polls
// redraw a number or a handle and nothing else of the window.
void StandOnPlainPanel(QWidget* w) { w->setAttribute(Qt::WA_OpaquePaintEvent); }

// What shows behind a widget where it draws nothing: the background of the nearest widget
// below it that fills one.
QBrush BackgroundBehind(const QWidget* w)
{
    for (const QWidget* below = w->parentWidget(); below; below = below->parentWidget())
        if (below->autoFillBackground() || below->isWindow())
            return below->palette().brush(below->backgroundRole());
    return w->palette().window();
}

} // namespace

// --- number glyphs ----------------------------------------------------------------------------

TNumberGlyphs::Number TNumberGlyphs::Of(const QFont& font, const QString& text)
{
    if (!raw_ || font_ != font) {
        font_ = font;
        raw_ = QRawFont::fromFont(font);
        known_ = SItemTextCache::NumberGlyphs();
        const QFontMetrics fm(font);
        ascent_ = fm.ascent();
        height_ = fm.height();
        const QFontMetricsF exact(font);
        exactAscent_ = exact.ascent();
        exactHeight_ = exact.ascent() + exact.descent();
    }
    Number n;
    n.text = text;
    n.font = &font_;
    n.ascent = ascent_;
    n.height = height_;
    n.exactAscent = exactAscent_;
    n.exactHeight = exactHeight_;
    int width = 0;
    n.run = NumberGlyphRun(*raw_, known_, text.toStdString(), width);
    // Another text is drawn as a text, with the fonts that have its characters.
    n.width = n.run ? width : QFontMetrics(font_).horizontalAdvance(text);
    return n;
}

void TNumberGlyphs::Number::Draw(QPainter& p, const QPointF& baseline) const
{
    if (run) {
        p.drawGlyphRun(baseline, *run);
    } else {
        p.setFont(*font);
        p.drawText(baseline, text);
    }
}

// --- track bar ------------------------------------------------------------------------------

TCapTrackBar::TCapTrackBar(QWidget* parent) : QSlider(Qt::Vertical, parent)
{
    setRange(0, capscale::TrackMax);
    setPageStep(capscale::TrackPage);
    setSingleStep(capscale::TrackLine);
    setTickInterval(capscale::TrackTicks);
    setTickPosition(QSlider::TicksRight);
    setInvertedAppearance(true); // position 0 at the top
    setInvertedControls(true);
    setMinimumHeight(120);
    StandOnPlainPanel(this);
}

void TCapTrackBar::SetSelection(int start, int end)
{
    selStart_ = start;
    selEnd_ = end;
    update();
}

const QStyleOptionSlider& TCapTrackBar::HandleOption() const
{
    // What the option is made of, apart from the position and the state.
    const QStyleOptionSlider* kept = handleOption_ ? &*handleOption_ : nullptr;
    if (!kept || kept->rect != rect() || kept->minimum != minimum() || kept->maximum != maximum()
        || kept->orientation != orientation() || kept->tickPosition != tickPosition()
        || kept->tickInterval != tickInterval() || kept->direction != layoutDirection()
        || invertedAppearance() != keptInverted_ || style() != keptStyle_) {
        handleOption_.emplace();
        initStyleOption(&*handleOption_);
        keptInverted_ = invertedAppearance();
        keptStyle_ = style();
    }
    handleOption_->sliderPosition = sliderPosition();
    handleOption_->sliderValue = value();
    return *handleOption_;
}

QRect TCapTrackBar::HandleRect() const
{
    return style()->subControlRect(QStyle::CC_Slider, &HandleOption(), QStyle::SC_SliderHandle, this);
}

void TCapTrackBar::SetPositionQuietly(int position)
{
    const QSignalBlocker block(this);
    setValue(position);
}

void TCapTrackBar::sliderChange(SliderChange change)
{
    if (change != SliderValueChange) {
        handleOption_.reset();
        QSlider::sliderChange(change);
        return;
    }
    const QRect handle = HandleRect();
    if (handle == shownHandle_)
        return;
    // The strips across the bar where the handle was and where it goes.
    const auto strip = [this](const QRect& h) {
        return orientation() == Qt::Vertical ? QRect(0, h.top(), width(), h.height())
                                             : QRect(h.left(), 0, h.width(), height());
    };
    // The strip across the bar from where the handle was to where it goes: the groove between
    // may be drawn in the colour of the part the handle has passed.
    update(strip(shownHandle_.isNull() ? handle : shownHandle_ | handle));
    shownHandle_ = handle;
}

bool TCapTrackBar::event(QEvent* event)
{
    const bool handled = QSlider::event(event);
    // A style may take the slider for one that draws only its groove and handle.
    if (event->type() == QEvent::Polish || event->type() == QEvent::StyleChange)
        StandOnPlainPanel(this);
    return handled;
}

void TCapTrackBar::paintEvent(QPaintEvent* event)
{
    shownHandle_ = HandleRect();
    QPainter(this).fillRect(event->rect(), BackgroundBehind(this));
    QSlider::paintEvent(event);
    if (selEnd_ <= selStart_)
        return;
    QStyleOptionSlider opt;
    initStyleOption(&opt);
    const QRect groove = style()->subControlRect(QStyle::CC_Slider, &opt, QStyle::SC_SliderGroove, this);
    const int span = groove.height();
    auto y = [&](int v) { return groove.top() + int(qint64(span) * v / capscale::TrackMax); };
    QPainter p(this);
    p.fillRect(QRect(groove.left() - 4, y(selStart_), 3, std::max(1, y(selEnd_) - y(selStart_))),
               QColor(0x00, 0x00, 0xFF));
}

// --- position edit --------------------------------------------------------------------------

namespace {
// The line edit's text margins inside its contents (QLineEdit's horizontal and vertical margin).
constexpr int EditTextMargin = 2;
} // namespace

TCapPosEdit::TCapPosEdit(const QString& text, QWidget* parent) : QLineEdit(text, parent)
{
    StandOnPlainPanel(this);
    // Whoever sets the text itself takes the number drawn back.
    connect(this, &QLineEdit::textChanged, this, [this] { drawn_.reset(); });
}

void TCapPosEdit::ShowNumber(const QString& number)
{
    if (hasFocus() || alignment() != (Qt::AlignLeft | Qt::AlignVCenter) || layoutDirection() != Qt::LeftToRight) {
        if (drawn_ || text() != number)
            setText(number); // the edit draws its own text as ever
        drawn_.reset();
        return;
    }
    if (drawn_ ? *drawn_ == number : text() == number)
        return;
    drawn_ = number;
    // The frame stays: only the text's area is drawn anew.
    update(!textArea_.isEmpty() && rect().contains(textArea_) ? textArea_ : rect());
}

void TCapPosEdit::TakeOver()
{
    if (drawn_)
        setText(std::exchange(drawn_, std::nullopt).value());
}

void TCapPosEdit::focusInEvent(QFocusEvent* event)
{
    TakeOver();
    QLineEdit::focusInEvent(event);
}

void TCapPosEdit::dragEnterEvent(QDragEnterEvent* event)
{
    TakeOver();
    QLineEdit::dragEnterEvent(event);
}

void TCapPosEdit::paintEvent(QPaintEvent* event)
{
    if (!drawn_ || hasFocus()) {
        QPainter(this).fillRect(event->rect(), BackgroundBehind(this));
        QLineEdit::paintEvent(event);
        return;
    }
    // As the line edit draws a text that fits, left aligned and vertically centred, without
    // its cursor (it has no focus).
    QPainter p(this);
    p.fillRect(event->rect(), BackgroundBehind(this));
    QStyleOptionFrame panel;
    initStyleOption(&panel);
    style()->drawPrimitive(QStyle::PE_PanelLineEdit, &panel, &p, this);
    const QRect r = style()->subElementRect(QStyle::SE_LineEditContents, &panel, this).marginsRemoved(textMargins());
    textArea_ = r;
    const TNumberGlyphs::Number number = glyphs_.Of(font(), *drawn_);
    const int lineTop = r.y() + (r.height() - number.height + 1) / 2;
    const int lineWidth = r.width() - 2 * EditTextMargin;
    // A text wider than the line shows its end, where the line edit leaves its cursor.
    const int used = number.width + 1;
    const int scroll = used > lineWidth ? used - lineWidth : 0;
    if (scroll > 0 || number.height > r.height())
        p.setClipRect(r); // a text that fits stays inside without
    p.setPen(palette().text().color());
    number.Draw(p, QPointF(r.x() + EditTextMargin - scroll, lineTop + number.ascent));
}

// --- number label -----------------------------------------------------------------------------

TNumberLabel::TNumberLabel(QWidget* parent) : QLabel(parent) { StandOnPlainPanel(this); }

void TNumberLabel::ShowNumber(const QString& number)
{
    const bool plain = frameShape() == QFrame::NoFrame && margin() == 0 && indent() <= 0 && !wordWrap()
        && alignment() == (Qt::AlignLeft | Qt::AlignVCenter) && layoutDirection() == Qt::LeftToRight;
    if (!plain) {
        drawn_.reset();
        setText(number);
        return;
    }
    if (Shown() == number)
        return;
    drawn_ = number;
    textWhenDrawn_ = text();
    update();
}

void TNumberLabel::paintEvent(QPaintEvent* event)
{
    if (drawn_ && text() != textWhenDrawn_)
        drawn_.reset(); // a text set directly since
    if (!drawn_ || drawn_->isEmpty()) {
        QPainter(this).fillRect(event->rect(), BackgroundBehind(this));
        QLabel::paintEvent(event);
        return;
    }
    // Where the label puts a line of plain text, left aligned and vertically centred.
    QPainter p(this);
    p.fillRect(event->rect(), BackgroundBehind(this));
    const QRect r = contentsRect();
    const TNumberGlyphs::Number number = glyphs_.Of(font(), *drawn_);
    p.setPen(QPen(palette().brush(foregroundRole()), 0));
    number.Draw(p, QPointF(r.x(), r.y() + (r.height() - number.exactHeight) / 2 + number.exactAscent));
}

// --- spin button ----------------------------------------------------------------------------

TSpinButton::TSpinButton(QWidget* parent) : QWidget(parent)
{
    auto* l = new QVBoxLayout(this);
    l->setContentsMargins(0, 0, 0, 0);
    l->setSpacing(0);
    UpBtn = new QToolButton(this);
    UpBtn->setObjectName("UpBtn");
    UpBtn->setArrowType(Qt::UpArrow);
    DownBtn = new QToolButton(this);
    DownBtn->setObjectName("DownBtn");
    DownBtn->setArrowType(Qt::DownArrow);
    l->addWidget(UpBtn);
    l->addWidget(DownBtn);
}

// --- the panel ------------------------------------------------------------------------------

TCtrlPanel::TCtrlPanel(QWidget* parent) : QWidget(parent)
{
    setObjectName("CtrlPanel");
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);

    CtrlNotebook = new QStackedWidget(this);
    CtrlNotebook->setObjectName("CtrlNotebook");
    CtrlPage = Page(CtrlNotebook, "CtrlPage");
    CtrlCorvinaPage = Page(CtrlNotebook, "CtrlCorvinaPage");
    CtrlIOPage = Page(CtrlNotebook, "CtrlIOPage");
    Ctrl3capPage = Page(CtrlNotebook, "Ctrl3capPage");
    row->addWidget(CtrlNotebook);

    // Page i (0 plain, 1 Corvina, 2 I/O, 3 third capacitor) gets Auto i, Serial i, Preset i.
    const std::array<QWidget*, 4> pages{CtrlPage, CtrlCorvinaPage, CtrlIOPage, Ctrl3capPage};
    for (int i = 0; i < 4; ++i) {
        QWidget* page = pages[i];
        auto* grid = new QGridLayout(page);
        grid->setContentsMargins(2, 2, 2, 2);
        grid->addWidget(new QLabel("Mode", page), 0, 0);
        AutoBtns[i] = SpeedButton(page, Suffixed("AutoBtn", i), "Auto");
        SerialBtns[i] = SpeedButton(page, Suffixed("SerialBtn", i), "Serial");
        grid->addWidget(AutoBtns[i], 1, 0);
        grid->addWidget(SerialBtns[i], 2, 0);
        grid->addWidget(new QLabel("Preset", page), 0, 1);
        PresetOnBtns[i] = SpeedButton(page, Suffixed("PresetOnBtn", i), "On");
        PresetOffBtns[i] = SpeedButton(page, Suffixed("PresetOffBtn", i), "Off");
        grid->addWidget(PresetOnBtns[i], 1, 1);
        grid->addWidget(PresetOffBtns[i], 2, 1);
    }
    ManualBtns[0] = SpeedButton(CtrlPage, "ManualBtn", "Manual");
    ManualBtns[1] = SpeedButton(CtrlIOPage, "ManualBtn2", "Manual");
    NotAutoBtn = SpeedButton(CtrlCorvinaPage, "NotAutoBtn", "Not Auto");
    ExtPresetOnBtns[0] = SpeedButton(CtrlPage, "ExtPresetOnBtn", "External");
    ExtPresetOnBtns[1] = SpeedButton(CtrlIOPage, "ExtPresetOnBtn2", "External");
    static_cast<QGridLayout*>(CtrlPage->layout())->addWidget(ManualBtns[0], 3, 0);
    static_cast<QGridLayout*>(CtrlPage->layout())->addWidget(ExtPresetOnBtns[0], 3, 1);
    static_cast<QGridLayout*>(CtrlIOPage->layout())->addWidget(ManualBtns[1], 3, 0);
    static_cast<QGridLayout*>(CtrlIOPage->layout())->addWidget(ExtPresetOnBtns[1], 3, 1);
    static_cast<QGridLayout*>(CtrlCorvinaPage->layout())->addWidget(NotAutoBtn, 3, 0);

    auto* grid3 = static_cast<QGridLayout*>(Ctrl3capPage->layout());
    grid3->addWidget(new QLabel("3 Cap", Ctrl3capPage), 0, 2);
    _3capAutoBtn = SpeedButton(Ctrl3capPage, "_3capAutoBtn", "Auto");
    _3capSerialBtn = SpeedButton(Ctrl3capPage, "_3capSerialBtn", "Serial");
    _3capPresetOnBtn = SpeedButton(Ctrl3capPage, "_3capPresetOnBtn", "Preset On");
    _3capPresetOffBtn = SpeedButton(Ctrl3capPage, "_3capPresetOffBtn", "Preset Off");
    grid3->addWidget(_3capAutoBtn, 1, 2);
    grid3->addWidget(_3capSerialBtn, 2, 2);
    grid3->addWidget(_3capPresetOnBtn, 1, 3);
    grid3->addWidget(_3capPresetOffBtn, 2, 3);
    _3capRatioEdit = NewNamedEdit(Ctrl3capPage, "_3capRatioEdit", "9.99", EditWidth);
    SetRatioBtn = SpeedButton(Ctrl3capPage, "SetRatioBtn", "Ratio");
    grid3->addWidget(_3capRatioEdit, 3, 2);
    grid3->addWidget(SetRatioBtn, 3, 3);

    CapsCtrlPanel = new QWidget(this);
    CapsCtrlPanel->setObjectName("CapsCtrlPanel");
    auto* caps = new QHBoxLayout(CapsCtrlPanel);
    caps->setContentsMargins(2, 2, 2, 2);
    const char* prefixes[3] = {"Sh", "Ser", "_3cap"};
    const char* captions[3] = {"Load", "Tune", "3 Cap"};
    for (int c = 0; c < 3; ++c) {
        const QString p = prefixes[c];
        auto* col = new QWidget(CapsCtrlPanel);
        col->setObjectName(p + "Column");
        auto* v = new QGridLayout(col);
        v->setContentsMargins(0, 0, 0, 0);
        Labels[c] = new QLabel(captions[c], col);
        Labels[c]->setObjectName(p + "Label");
        TrackBars[c] = new TCapTrackBar(col);
        TrackBars[c]->setObjectName(p + "TrackBar");
        PosEdits[c] = new TCapPosEdit("0.00", col);
        PosEdits[c]->setObjectName(p + "PosEdit");
        PosEdits[c]->setMaximumWidth(EditWidth);
        StepEdits[c] = NewNamedEdit(col, (p + "StepEdit").toLatin1().constData(), "1.00", EditWidth);
        SpinButtons[c] = new TSpinButton(col);
        SpinButtons[c]->setObjectName(p + "SpinButton");
        CTexts[c] = new TNumberLabel(col);
        CTexts[c]->setObjectName(p + "CText");
        NumbersUnshaped(PosEdits[c]);
        PosEdits[c]->setStyle(new TFramePictureStyle(PosEdits[c]));
        NumbersUnshaped(CTexts[c]);
        // Wide enough for any capacitance and fixed, so that a new value on every poll does
        // not lay the whole window out again.
        CTexts[c]->setFixedSize(CTexts[c]->fontMetrics().horizontalAdvance(QStringLiteral("00000")) + 4,
                                CTexts[c]->sizeHint().height());
        v->addWidget(Labels[c], 0, 0, 1, 2);
        v->addWidget(TrackBars[c], 1, 0, 4, 1);
        v->addWidget(PosEdits[c], 1, 1);
        v->addWidget(SpinButtons[c], 2, 1);
        v->addWidget(StepEdits[c], 3, 1);
        v->addWidget(CTexts[c], 4, 1);
        CapColumns[c] = col;
        caps->addWidget(col);
    }
    row->addWidget(CapsCtrlPanel);
    row->addStretch(1);
}

#include "zcomponents/Zpanels.h"

#include "zcomponents/Zcolor.h"

#include <QApplication>
#include <QFontMetrics>
#include <QHeaderView>
#include <QMouseEvent>
#include <QPainter>
#include <QRubberBand>
#include <QScrollBar>
#include <QStyle>
#include <QStyledItemDelegate>
#include <QTextOption>
#include <QWindow>
#include <cmath>
#include <vector>

namespace {

const char* const kAlphabet = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ";
constexpr double AlphabetLength = 52.0;
constexpr int DlgUnitsX = 4;
constexpr int DlgUnitsY = 8;
constexpr int DefaultTab = 32;
constexpr int LoadedTabStep = 25;
constexpr int LoadedTabCount = 8;
constexpr int ScrollBarHorizontal = 0;
constexpr int ScrollBarVertical = 1;

int BaseUnitX()
{
    return std::max(1, QFontMetrics(QApplication::font()).averageCharWidth());
}

int BaseUnitY()
{
    return std::max(1, QFontMetrics(QApplication::font()).height());
}

// Draws list lines with the list's tab stops and sizes every row to the widest line.
class TabDelegate : public QStyledItemDelegate {
public:
    explicit TabDelegate(TzTabListbox* list) : QStyledItemDelegate(list), list_(list) {}

    void paint(QPainter* p, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        QStyleOptionViewItem opt = option;
        initStyleOption(&opt, index);
        const QString text = opt.text;
        opt.text.clear();
        QApplication::style()->drawControl(QStyle::CE_ItemViewItem, &opt, p, opt.widget);
        QTextOption layout;
        QList<qreal> tabs;
        for (int t : list_->TabStops())
            tabs << t;
        layout.setTabArray(tabs);
        layout.setWrapMode(QTextOption::NoWrap);
        p->setPen(opt.palette.color(opt.state & QStyle::State_Selected ? QPalette::HighlightedText
                                                                        : QPalette::Text));
        p->drawText(QRectF(opt.rect), text, layout);
    }

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        const QSize base = QStyledItemDelegate::sizeHint(option, index);
        return {list_->HorizontalExtent(), base.height()};
    }

private:
    TzTabListbox* list_;
};

} // namespace

QWidget* FindForm(QObject* component)
{
    for (QObject* o = component; o; o = o->parent())
        if (o->isWidgetType() && static_cast<QWidget*>(o)->isWindow())
            return static_cast<QWidget*>(o);
    throw EComponentError("NoForm");
}

bool IsPrevius()
{
    return false;
}

int DlgUnitsToPixelsX(int units) { return std::int16_t(units * BaseUnitX() / DlgUnitsX); }
int DlgUnitsToPixelsY(int units) { return std::int16_t(units * BaseUnitY() / DlgUnitsY); }
int PixelsToDlgUnitsX(int pixels) { return std::int16_t(pixels * DlgUnitsX / BaseUnitX()); }
int PixelsToDlgUnitsY(int pixels) { return std::int16_t(pixels * DlgUnitsY / BaseUnitY()); }

double AverageCharWidth(const QFont& font)
{
    return QFontMetrics(font).horizontalAdvance(QString::fromLatin1(kAlphabet)) / AlphabetLength;
}

// ---- TzMovePanel ----

TzMovePanel::TzMovePanel(QWidget* parent) : TzGraphicControl(parent)
{
    raise();
    if (parent)
        parent->installEventFilter(this);
}

TzMovePanel::~TzMovePanel() = default;

void TzMovePanel::Loaded()
{
    DoStick();
}

void TzMovePanel::SetCaption(const QString& s)
{
    caption_ = s;
    update();
}

void TzMovePanel::SetColor(TColor c)
{
    color_ = c;
    update();
}

void TzMovePanel::SetBevelOuter(TBevelCut cut)
{
    bevelOuter_ = cut;
    update();
}

void TzMovePanel::SetOldStyle(bool b)
{
    if (b == stickOldStyle_)
        return;
    stickOldStyle_ = b;
    DoStick();
}

void TzMovePanel::SetStick(TzStickType where)
{
    stickWhere_ = where;
    DoStick();
}

void TzMovePanel::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    const QRect r = rect();
    p.fillRect(r, ColorToQColor(color_));
    if (bevelOuter_ == bvRaised || bevelOuter_ == bvLowered) {
        const QColor light = ColorToQColor(clBtnHighlight), dark = ColorToQColor(clBtnShadow);
        const bool raised = bevelOuter_ == bvRaised;
        p.setPen(raised ? light : dark);
        p.drawLine(r.left(), r.bottom(), r.left(), r.top());
        p.drawLine(r.left(), r.top(), r.right(), r.top());
        p.setPen(raised ? dark : light);
        p.drawLine(r.right(), r.top() + 1, r.right(), r.bottom());
        p.drawLine(r.right(), r.bottom(), r.left() + 1, r.bottom());
    }
    p.setPen(ColorToQColor(clBtnText));
    p.drawText(r, Qt::AlignCenter, caption_);
}

void TzMovePanel::ShowFocusRect()
{
    if (!band_)
        band_ = std::make_unique<QRubberBand>(QRubberBand::Rectangle);
    band_->setGeometry(focusRect_);
    band_->show();
}

void TzMovePanel::mousePressEvent(QMouseEvent* event)
{
    TzGraphicControl::mousePressEvent(event);
    if (event->button() != Qt::LeftButton)
        return;
    grabMouse();
    focusRect_ = QRect(mapToGlobal(QPoint(0, 0)), size());
    dragging_ = true;
    start_ = last_ = event->globalPosition().toPoint();
    ShowFocusRect();
}

void TzMovePanel::mouseMoveEvent(QMouseEvent* event)
{
    TzGraphicControl::mouseMoveEvent(event);
    if (!dragging_)
        return;
    last_ = event->globalPosition().toPoint();
    focusRect_ = QRect(mapToGlobal(QPoint(0, 0)) + (last_ - start_), size());
    ShowFocusRect();
}

void TzMovePanel::mouseReleaseEvent(QMouseEvent* event)
{
    TzGraphicControl::mouseReleaseEvent(event);
    if (!dragging_)
        return;
    dragging_ = false;
    releaseMouse();
    if (band_)
        band_->hide();
    const QPoint moved = pos() + (event->globalPosition().toPoint() - start_);
    if (moved != pos()) {
        const bool visible = isVisible();
        hide();
        move(moved);
        setVisible(visible);
    }
    DoUpdate();
    DoStick();
}

void TzMovePanel::DoUpdate()
{
    int left = x(), top = y(), w = width(), h = height();
    const bool visible = isVisible();
    hide();
    if (OnBeforeUpdate)
        OnBeforeUpdate(this, left, top, w, h);
    left = std::max(left, 0);
    top = std::max(top, 0);
    QWidget* parent = parentWidget();
    if (parent && !parent->isWindow()) {
        if (left + w > parent->width())
            left = parent->width() - w - 1;
        if (top + h > parent->height())
            top = parent->height() - h - 1;
    }
    setGeometry(left, top, w, h);
    setVisible(visible);
}

void TzMovePanel::DoStick()
{
    raise();
    QWidget* parent = parentWidget();
    if (stickOldStyle_) {
        SetAlign(alNone);
        if (!parent)
            return;
        switch (stickWhere_) {
        case stleft: move(0, y()); break;
        case stTop: move(x(), 0); break;
        case stRight: move(parent->width() - width(), y()); break;
        case stBottom: move(x(), parent->height() - height()); break;
        case stBoth: move(0, 0); break;
        case stNone: break;
        }
        return;
    }
    switch (stickWhere_) {
    case stNone: SetAlign(alNone); break;
    case stleft: SetAlign(alLeft); break;
    case stTop: SetAlign(alTop); break;
    case stRight: SetAlign(alRight); break;
    case stBottom: SetAlign(alBottom); break;
    case stBoth:
        SetAlign(alTop);
        move(0, y());
        break;
    }
}

void TzMovePanel::SetAlign(TAlign align)
{
    align_ = align;
    ApplyAlign();
}

void TzMovePanel::ApplyAlign()
{
    QWidget* parent = parentWidget();
    if (!parent)
        return;
    const int pw = parent->width(), ph = parent->height();
    switch (align_) {
    case alNone: break;
    case alTop: setGeometry(0, 0, pw, height()); break;
    case alBottom: setGeometry(0, ph - height(), pw, height()); break;
    case alLeft: setGeometry(0, 0, width(), ph); break;
    case alRight: setGeometry(pw - width(), 0, width(), ph); break;
    }
}

bool TzMovePanel::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == parentWidget() && event->type() == QEvent::Resize)
        ApplyAlign();
    return TzGraphicControl::eventFilter(watched, event);
}

// ---- TzTabListbox ----

TzTabListbox::TzTabListbox(QWidget* parent) : QListWidget(parent), tabs_{DefaultTab}
{
    setItemDelegate(new TabDelegate(this));
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setUniformItemSizes(false);
    connect(model(), &QAbstractItemModel::rowsInserted, this, [this](const QModelIndex&, int first, int last) {
        for (int r = first; r <= last; ++r)
            SetScrollLength(item(r) ? item(r)->text() : QString());
    });
    connect(model(), &QAbstractItemModel::dataChanged, this, [this](const QModelIndex& from, const QModelIndex& to) {
        for (int r = from.row(); r <= to.row(); ++r)
            SetScrollLength(item(r) ? item(r)->text() : QString());
    });
    connect(model(), &QAbstractItemModel::rowsRemoved, this, [this] {
        if (sizeAfterDel_)
            LongestString();
    });
    connect(this, &QListWidget::currentRowChanged, this, [this](int row) { DoChange(row); });
    connect(horizontalScrollBar(), &QScrollBar::actionTriggered, this, [this](int action) {
        if (OnScroll)
            OnScroll(this, action, ScrollBarHorizontal, horizontalScrollBar()->sliderPosition());
    });
    connect(verticalScrollBar(), &QScrollBar::actionTriggered, this, [this](int action) {
        if (OnScroll)
            OnScroll(this, action, ScrollBarVertical, verticalScrollBar()->sliderPosition());
    });
}

void TzTabListbox::Loaded()
{
    QList<int> stops;
    for (int i = 1; i <= LoadedTabCount; ++i)
        stops << i * LoadedTabStep;
    SetTabStops(stops);
}

void TzTabListbox::SetTabStops(const QList<int>& positions)
{
    InternalSetTabs(positions);
}

void TzTabListbox::SetFromHeader(const QList<int>& sectionWidths)
{
    QList<int> stops;
    int sum = 0;
    for (int w : sectionWidths)
        stops << (sum += w);
    InternalSetTabs(stops);
}

void TzTabListbox::SetfromHeaderControl(const QHeaderView& header)
{
    QList<int> stops;
    for (int i = 0; i < header.count(); ++i)
        stops << header.sectionPosition(i) + header.sectionSize(i);
    InternalSetTabs(stops);
}

void TzTabListbox::InternalSetTabs(QList<int> positions)
{
    if (positions.size() > MaxTabs)
        positions.resize(MaxTabs);
    if (count() < 1)
        return;
    for (int i = 0; i < positions.size(); ++i)
        if (positions[i] <= 0 || (i > 0 && positions[i] <= positions[i - 1]))
            throw EzTabListboxError();
    tabs_ = positions;
    LongestString();
    viewport()->update();
}

int TzTabListbox::GetLBStringLength(const QString& text) const
{
    const QFontMetrics metrics(font());
    std::vector<int> stops(tabs_.begin(), tabs_.end());
    stops.push_back(0);
    return metrics.size(Qt::TextExpandTabs | Qt::TextSingleLine, text, 0, stops.data()).width() +
           metrics.horizontalAdvance(QStringLiteral("Z"));
}

void TzTabListbox::SetScrollLength(const QString& text)
{
    const int length = GetLBStringLength(text);
    if (length <= extent_)
        return;
    extent_ = length;
    doItemsLayout();
}

void TzTabListbox::LongestString()
{
    extent_ = 0;
    for (int r = 0; r < count(); ++r)
        SetScrollLength(item(r)->text());
    doItemsLayout();
}

void TzTabListbox::DoChange(int row)
{
    if (row != lastIndex_ && OnChange)
        OnChange(this, lastIndex_);
    lastIndex_ = row;
}

void TzTabListbox::enterEvent(QEnterEvent* event)
{
    QListWidget::enterEvent(event);
    if (autoFocus_ && !hasFocus() && focusPolicy() != Qt::NoFocus && isEnabled())
        setFocus(Qt::MouseFocusReason);
    if (OnMouseEnter)
        OnMouseEnter(this);
}

void TzTabListbox::leaveEvent(QEvent* event)
{
    QListWidget::leaveEvent(event);
    if (OnMouseLeave)
        OnMouseLeave(this);
}

// ---- TzTitleBar ----

namespace {

// The caption-bar hints of a window; Qt puts the title back while any of them is set.
constexpr Qt::WindowFlags CaptionHints = Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                                          Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint |
                                          Qt::WindowContextHelpButtonHint |
                                          Qt::WindowFullscreenButtonHint;

TFormBorderStyle BorderOf(const QWidget* form)
{
    const Qt::WindowFlags flags = form->windowFlags();
    if (flags & Qt::FramelessWindowHint)
        return bsNone;
    if ((flags & Qt::WindowType_Mask) == Qt::Dialog)
        return bsDialog;
    if (flags & Qt::MSWindowsFixedSizeDialogHint)
        return bsSingle;
    return bsSizeable;
}

} // namespace

TzTitleBar::TzTitleBar(QObject* owner) : QObject(owner), form_(FindForm(owner))
{
    border_ = BorderOf(form_);
    shown_ = IsShowTitleBar();
}

bool TzTitleBar::IsShowTitleBar() const
{
    if (!form_)
        return false;
    const Qt::WindowFlags flags = form_->windowFlags();
    if (flags & Qt::FramelessWindowHint)
        return false;
    return !(flags & Qt::CustomizeWindowHint) || (flags & Qt::WindowTitleHint);
}

void TzTitleBar::SetTitleBar(bool show)
{
    if (form_ && border_ != bsNone && show != IsShowTitleBar()) {
        const int caption = form_->style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, form_);
        const bool visible = form_->isVisible();
        Qt::WindowFlags flags = form_->windowFlags();
        if (show) {
            flags &= ~(Qt::CustomizeWindowHint | CaptionHints);
            flags |= captionHints_ ? captionHints_ : Qt::WindowFlags(Qt::WindowTitleHint);
        } else {
            captionHints_ = flags & CaptionHints;
            flags &= ~CaptionHints;
            flags |= Qt::CustomizeWindowHint;
        }
        form_->setWindowFlags(flags);
        form_->resize(form_->width(), std::max(0, form_->height() + (show ? caption : -caption)));
        if (visible)
            form_->show();
        DoOnChange();
        form_->update();
    }
    shown_ = IsShowTitleBar();
}

void TzTitleBar::Loaded()
{
    SetTitleBar(titleBarOnFormShow_);
    if (form_)
        form_->installEventFilter(this);
}

void TzTitleBar::DoOnChange()
{
    if (OnChange)
        OnChange(this);
}

bool TzTitleBar::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != form_ || !allowMove_ || IsShowTitleBar())
        return QObject::eventFilter(watched, event);
    const QEvent::Type type = event->type();
    if (type != QEvent::MouseButtonPress && type != QEvent::MouseMove &&
        type != QEvent::MouseButtonRelease)
        return QObject::eventFilter(watched, event);
    auto* mouse = static_cast<QMouseEvent*>(event);
    switch (type) {
    case QEvent::MouseButtonPress:
        if (mouse->button() == Qt::LeftButton) {
            // Where the window system can move the window, it does; else the form follows.
            if (form_->windowHandle() && form_->windowHandle()->startSystemMove())
                return true;
            moving_ = true;
            grab_ = mouse->globalPosition().toPoint() - form_->pos();
            return true;
        }
        break;
    case QEvent::MouseMove:
        if (moving_) {
            form_->move(mouse->globalPosition().toPoint() - grab_);
            return true;
        }
        break;
    case QEvent::MouseButtonRelease:
        if (moving_ && mouse->button() == Qt::LeftButton) {
            moving_ = false;
            return true;
        }
        break;
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}

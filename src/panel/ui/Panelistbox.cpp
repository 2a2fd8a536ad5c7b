#include "panel/ui/Panelistbox.h"

#include "panel/ui/Itempainter.h"
#include "zcomponents/Zcolor.h"

#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <algorithm>

namespace {
constexpr int ScrollStep = 16;
constexpr int MinPaneWidth = 0;
constexpr int MaxPaneWidth = 10000;
constexpr int BlitBand = 64; // rows copied to the screen at a time
} // namespace

TPaneListBox::TPaneListBox(QWidget* parent) : QAbstractScrollArea(parent)
{
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    verticalScrollBar()->setSingleStep(ScrollStep);
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    tops_.push_back(0);
}

TPaneListBox::~TPaneListBox()
{
    EndPainter();
    if (list_ && list_->Host() == this)
        list_->SetHost(nullptr);
}

void TPaneListBox::Attach(CPaneList* list)
{
    if (list_ == list)
        return;
    if (list_ && list_->Host() == this)
        list_->SetHost(nullptr);
    list_ = list;
    if (list_)
        list_->SetHost(this); // lays out and draws
    else
        ItemsChanged();
}

QSize TPaneListBox::sizeHint() const
{
    QSize s = QAbstractScrollArea::sizeHint();
    if (preferredWidth_ > 0)
        s.setWidth(preferredWidth_);
    return s;
}

void TPaneListBox::Layout()
{
    tops_.assign(1, 0);
    if (list_) {
        const CItemStyle& style = *list_->Context().Style;
        for (int i = 0; i < list_->Count(); ++i)
            tops_.push_back(tops_.back() + list_->Item(i)->Height(style));
    }
    int total = tops_.back();
    QScrollBar* bar = verticalScrollBar();
    bar->setPageStep(std::max(1, viewport()->height()));
    bar->setRange(0, std::max(0, total - viewport()->height()));
}

QRect TPaneListBox::ItemRect(int i) const
{
    if (i < 0 || i + 1 >= int(tops_.size()))
        return {};
    int y = tops_[size_t(i)] - verticalScrollBar()->value();
    return QRect(0, y, viewport()->width(), tops_[size_t(i) + 1] - tops_[size_t(i)]);
}

int TPaneListBox::ItemAt(const QPoint& pos) const
{
    int y = pos.y() + verticalScrollBar()->value();
    for (size_t i = 0; i + 1 < tops_.size(); ++i)
        if (y >= tops_[i] && y < tops_[i + 1])
            return int(i);
    return -1;
}

const QImage& TPaneListBox::Buffer()
{
    EndPainter();
    return buffer_;
}

TItemPainter& TPaneListBox::Painter()
{
    if (!painter_)
        painter_ = std::make_unique<TItemPainter>(buffer_, font(), palette(), &textCache_);
    return *painter_;
}

void TPaneListBox::EndPainter()
{
    if (painter_)
        dirty_ |= painter_->Touched();
    painter_.reset();
}

void TPaneListBox::DrawAll()
{
    EndPainter();
    QSize size = viewport()->size();
    if (buffer_.size() != size)
        buffer_ = QImage(size.expandedTo(QSize(1, 1)), QImage::Format_RGB32);
    buffer_.fill(ColorToQColor(itemcolour::ButtonFace, palette()));
    if (list_) {
        for (int i = 0; i < list_->Count(); ++i) {
            SRect r;
            if (IItemCanvas* c = ItemCanvas(i, r))
                list_->Item(i)->Paint(*c, r, false, list_->Context());
        }
    }
    EndPainter();
    dirty_ = QRect();
    viewport()->update();
}

void TPaneListBox::ItemsChanged()
{
    Layout();
    DrawAll();
}

IItemCanvas* TPaneListBox::ItemCanvas(int index, SRect& rect)
{
    QRect r = ItemRect(index);
    if (r.isEmpty() || r.bottom() < 0 || r.top() >= viewport()->height() || buffer_.isNull())
        return nullptr;
    rect = {r.left(), r.top(), r.left() + r.width(), r.top() + r.height()};
    return &Painter();
}

void TPaneListBox::ItemsPainted()
{
    // Only what the items drew goes to the screen: a poll changes a line or a plot column.
    if (painter_)
        dirty_ |= painter_->TakeTouched();
    if (!dirty_.isEmpty())
        viewport()->update(dirty_);
    dirty_ = QRect();
}

int TPaneListBox::PaneWidth() const
{
    return width();
}

void TPaneListBox::SetPaneWidth(int width)
{
    preferredWidth_ = std::clamp(width, MinPaneWidth, MaxPaneWidth);
    updateGeometry();
    resize(preferredWidth_, height());
}

void TPaneListBox::SetOverlay(std::function<void(QImage&)> overlay)
{
    overlay_ = std::move(overlay);
    viewport()->update();
}

void TPaneListBox::paintEvent(QPaintEvent* event)
{
    QPainter p(viewport());
    QImage overlaid;
    if (overlay_) {
        overlaid = buffer_.copy();
        overlay_(overlaid);
    }
    const QImage& shown = overlay_ ? overlaid : buffer_;
    // What changed, in bands of a few dozen rows: the raster engine shares a taller copy out
    // among threads, and waking them costs more than copying a poll's plot column.
    for (const QRect& r : event->region())
        for (int y = r.top(); y <= r.bottom(); y += BlitBand) {
            const QRect band(r.left(), y, r.width(), std::min(BlitBand, r.bottom() + 1 - y));
            p.drawImage(band.topLeft(), shown, band);
        }
}

void TPaneListBox::resizeEvent(QResizeEvent* event)
{
    QAbstractScrollArea::resizeEvent(event);
    Layout();
    DrawAll();
}

void TPaneListBox::scrollContentsBy(int, int)
{
    DrawAll();
}

void TPaneListBox::mouseDoubleClickEvent(QMouseEvent* event)
{
    emit ItemDoubleClicked(ItemAt(event->position().toPoint()));
    QAbstractScrollArea::mouseDoubleClickEvent(event);
}

void TPaneListBox::changeEvent(QEvent* event)
{
    QAbstractScrollArea::changeEvent(event);
    if (event->type() == QEvent::FontChange || event->type() == QEvent::PaletteChange)
        DrawAll();
}

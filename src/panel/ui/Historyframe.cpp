#include "panel/ui/Historyframe.h"

#include "device/Data.h"
#include "panel/Panelist.h"
#include "panel/ui/Itempainter.h"
#include "panel/ui/Panelistbox.h"
#include "zcomponents/Zcolor.h"

#include <QHBoxLayout>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

constexpr int TimeBoxHeight = 18;
constexpr QRgb XorWhite = 0x00FFFFFF;

QToolButton* ZoomButton(QWidget* parent, const char* name, const char* text, const char* hint)
{
    auto* b = new QToolButton(parent);
    b->setObjectName(name);
    b->setText(text);
    b->setToolTip(hint);
    b->setAutoRaise(true);
    return b;
}

} // namespace

void TTimePaintBox::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    if (OnPaint)
        OnPaint(p);
}

THistoryPlotFrame::THistoryPlotFrame(CPlotView& view, QWidget* parent)
    : QWidget(parent), plot_(view)
{
    setObjectName("HistoryPlot");
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    TimePaintBox = new TTimePaintBox(this);
    TimePaintBox->setObjectName("TimePaintBox");
    TimePaintBox->setFixedHeight(TimeBoxHeight);
    TimePaintBox->OnPaint = [this](QPainter& p) { TimePaintBoxPaint(p); };
    column->addWidget(TimePaintBox);

    auto* row = new QHBoxLayout;
    row->setContentsMargins(0, 0, 0, 0);
    DisplayScrollBar = new QScrollBar(Qt::Horizontal, this);
    DisplayScrollBar->setObjectName("DisplayScrollBar");
    DisplayScrollBar->setRange(0, CHistoryPlot::ScrollRange);
    DisplayScrollBar->setPageStep(CHistoryPlot::ScrollRange / 10);
    DisplayScrollBar->setEnabled(false);
    ZoomOutBtn = ZoomButton(this, "ZoomOutBtn", "-", "Zoom out");
    ZoomInBtn = ZoomButton(this, "ZoomInBtn", "+", "Zoom in");
    ZoomAutoBtn = ZoomButton(this, "ZoomAutoBtn", "A", "Whole history");
    row->addWidget(DisplayScrollBar, 1);
    for (QToolButton* b : {ZoomOutBtn, ZoomInBtn, ZoomAutoBtn})
        row->addWidget(b);
    column->addLayout(row);
    toolRow_ = row;

    connect(DisplayScrollBar, &QScrollBar::actionTriggered, this,
            &THistoryPlotFrame::DisplayScrollBarScroll);
    connect(ZoomOutBtn, &QToolButton::clicked, this, &THistoryPlotFrame::ZoomOutBtnClick);
    connect(ZoomInBtn, &QToolButton::clicked, this, &THistoryPlotFrame::ZoomInBtnClick);
    connect(ZoomAutoBtn, &QToolButton::clicked, this, &THistoryPlotFrame::ZoomAutoBtnClick);
}

THistoryPlotFrame::~THistoryPlotFrame()
{
    if (viewport_)
        viewport_->removeEventFilter(this);
}

void THistoryPlotFrame::Bind(const SLinks& links)
{
    if (viewport_)
        viewport_->removeEventFilter(this);
    links_ = links;
    viewport_ = links_.Pane ? links_.Pane->viewport() : nullptr;
    if (viewport_)
        viewport_->installEventFilter(this);
    RefreshPlot();
}

SHistoryState THistoryPlotFrame::State() const
{
    SHistoryState s;
    s.Count = links_.Data ? links_.Data->Count() : 0;
    if (links_.Pane) {
        s.Width = links_.Pane->viewport()->width();
        const CPaneList* list = links_.Pane->PaneList();
        s.HasItems = list && list->Count() > 0;
    }
    s.TimerOn = links_.TimerOn && links_.TimerOn();
    return s;
}

void THistoryPlotFrame::RefreshPlot()
{
    const SHistoryState s = State();
    const bool enabled = CHistoryPlot::ScrollEnabled(s);
    DisplayScrollBar->setEnabled(enabled);
    if (enabled) {
        const QSignalBlocker block(DisplayScrollBar);
        DisplayScrollBar->setValue(plot_.ScrollPosition(s));
    }
    TimePaintBox->update();
}

QToolButton* THistoryPlotFrame::AddToolButton(const char* name, const char* text, const char* hint)
{
    QToolButton* b = ZoomButton(this, name, text, hint);
    toolRow_->addWidget(b);
    return b;
}

void THistoryPlotFrame::SetZoomEnabled(bool enabled)
{
    for (QToolButton* b : {ZoomOutBtn, ZoomInBtn, ZoomAutoBtn})
        b->setEnabled(enabled);
}

void THistoryPlotFrame::ViewChanged()
{
    if (links_.RepaintPlots)
        links_.RepaintPlots();
    RefreshPlot();
}

// --- scroll bar and zoom buttons -------------------------------------------------------------

void THistoryPlotFrame::DisplayScrollBarScroll(int action)
{
    CHistoryPlot::EScroll code = CHistoryPlot::Other;
    switch (action) {
    case QAbstractSlider::SliderSingleStepSub: code = CHistoryPlot::LineLeft; break;
    case QAbstractSlider::SliderSingleStepAdd: code = CHistoryPlot::LineRight; break;
    case QAbstractSlider::SliderPageStepSub: code = CHistoryPlot::PageLeft; break;
    case QAbstractSlider::SliderPageStepAdd: code = CHistoryPlot::PageRight; break;
    case QAbstractSlider::SliderMove: code = CHistoryPlot::Track; break;
    default: break;
    }
    const SHistoryState s = State();
    if (!plot_.Scroll(code, DisplayScrollBar->sliderPosition(), s))
        return;
    if (links_.RepaintPlots)
        links_.RepaintPlots();
    // The bar shows the view as it now is, not where the action would have put it.
    DisplayScrollBar->setSliderPosition(plot_.ScrollPosition(s));
    TimePaintBox->update();
}

void THistoryPlotFrame::ZoomOutBtnClick()
{
    if (plot_.ZoomOut(State()))
        ViewChanged();
}

void THistoryPlotFrame::ZoomInBtnClick()
{
    if (plot_.ZoomIn(State()))
        ViewChanged();
}

void THistoryPlotFrame::ZoomAutoBtnClick()
{
    if (plot_.ZoomAuto(State()))
        ViewChanged();
}

// --- drag zoom ------------------------------------------------------------------------------

void THistoryPlotFrame::DrawSelectionLine(int k, int x)
{
    plot_.DrawSelectionLine(k, x);
    ShowLines();
}

void THistoryPlotFrame::ShowLines()
{
    if (!links_.Pane)
        return;
    if (plot_.Lines().empty()) {
        links_.Pane->SetOverlay(nullptr);
        return;
    }
    links_.Pane->SetOverlay([lines = plot_.Lines()](QImage& image) {
        for (const SSelectionLine& line : lines) {
            if (line.X < 0 || line.X >= image.width())
                continue;
            for (int y : CHistoryPlot::LineRows(line.K, image.height()))
                if (y >= 0 && y < image.height())
                    image.setPixel(line.X, y, image.pixel(line.X, y) ^ XorWhite);
        }
    });
}

void THistoryPlotFrame::PaneListBox1MouseDown(QMouseEvent* event)
{
    if (plot_.MouseDown(int(event->position().x()), State()))
        ShowLines();
}

void THistoryPlotFrame::PaneListBox1MouseMove(QMouseEvent* event)
{
    if (plot_.MouseMove(int(event->position().x())))
        ShowLines();
}

void THistoryPlotFrame::PaneListBox1MouseUp(QMouseEvent*)
{
    bool zoomed = false;
    if (!plot_.MouseUp(zoomed, State()))
        return;
    ShowLines();
    if (zoomed)
        ViewChanged();
}

bool THistoryPlotFrame::eventFilter(QObject* watched, QEvent* event)
{
    // Compared by address only: the pane may be half destroyed when its viewport reports.
    if (!viewport_ || watched != viewport_.data())
        return QWidget::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::MouseButtonPress:
        if (static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton)
            PaneListBox1MouseDown(static_cast<QMouseEvent*>(event));
        break;
    case QEvent::MouseButtonDblClick:
        // The double click opens the settings; the press that comes with it starts nothing.
        plot_.DoubleClicked();
        PaneListBox1MouseDown(static_cast<QMouseEvent*>(event));
        break;
    case QEvent::MouseMove: PaneListBox1MouseMove(static_cast<QMouseEvent*>(event)); break;
    case QEvent::MouseButtonRelease:
        if (static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton)
            PaneListBox1MouseUp(static_cast<QMouseEvent*>(event));
        break;
    case QEvent::Resize: RefreshPlot(); break;
    default: break;
    }
    return QWidget::eventFilter(watched, event);
}

// --- time axis ------------------------------------------------------------------------------

void THistoryPlotFrame::TimePaintBoxPaint(QPainter& p)
{
    p.fillRect(TimePaintBox->rect(), ColorToQColor(clBtnFace, palette()));
    if (!DisplayScrollBar->isEnabled() || !links_.Data || links_.Data->Count() == 0)
        return;
    p.setPen(Qt::black);
    p.setFont(TItemPainter::FontForHeight(font(), CHistoryPlot::LabelHeight));
    const int ascent = p.fontMetrics().ascent();
    for (const STimeTick& t : plot_.TimeTicks(TimePaintBox->width(), *links_.Data)) {
        p.drawLine(t.X, 0, t.X, CHistoryPlot::TickLength - 1); // the end point excluded
        p.drawText(t.X - CHistoryPlot::LabelOffsetX, CHistoryPlot::TickLength + 1 + ascent,
                   QString::fromStdString(t.Label));
    }
}

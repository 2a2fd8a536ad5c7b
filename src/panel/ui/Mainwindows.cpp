// The main window's part of the Smith chart and Capacitors windows (tool buttons, menu items,
// refreshes, settings sections, caption header), the first places of its tool windows, and the
// history plot below the lower pane.

#include "panel/ui/Main.h"

#include "device/Data.h"
#include "device/Device.h"
#include "device/Var.h"
#include "link/ui/Ostrabuslog.h"
#include "panel/Plotview.h"
#include "panel/Readingspanes.h"
#include "panel/Toolplaces.h"
#include "panel/ui/Capsdlg.h"
#include "panel/ui/Historyframe.h"
#include "panel/ui/Logging.h"
#include "panel/ui/Mainhost.h"
#include "panel/ui/Ownplace.h"
#include "panel/ui/Panelistbox.h"
#include "panel/ui/Smithdlg.h"
#include "panel/ui/Status.h"

#include <QAction>
#include <QEvent>
#include <QLayout>
#include <QScreen>
#include <QScrollArea>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>

#include <algorithm>
#include <functional>

namespace {

QToolButton* ChartButton(QToolBar* bar, const char* name, const char* text, const char* hint)
{
    auto* b = new QToolButton(bar);
    b->setObjectName(name);
    b->setText(text);
    b->setToolTip(hint);
    b->setCheckable(true);
    b->setAutoRaise(true);
    bar->addWidget(b);
    return b;
}

// A window's visibility on its tool button and menu item.
void ShowDown(QToolButton* button, QAction* item, bool shown)
{
    button->setChecked(shown);
    item->setChecked(shown);
}

SPlace PlaceOf(const QRect& r) { return SPlace{r.x(), r.y(), r.width(), r.height()}; }

// The frame's margins of a window: what its frame adds to its client area.
QMargins FrameMargins(const QWidget* w)
{
    const QRect frame = w->frameGeometry();
    const QRect client = w->geometry();
    return QMargins(client.left() - frame.left(), client.top() - frame.top(),
                    frame.right() - client.right(), frame.bottom() - client.bottom());
}

// A window's frame as it will open: its size once it has been given one, else its layout's,
// with the frame the window has, or else the one the main window has.
SPlace FrameSize(const QWidget* w, const QMargins& mainFrame)
{
    const QSize client = w->testAttribute(Qt::WA_Resized) ? w->size() : w->sizeHint();
    const QMargins own = FrameMargins(w);
    const QMargins m = own.isNull() ? mainFrame : own;
    return SPlace{0, 0, client.width() + m.left() + m.right(), client.height() + m.top() + m.bottom()};
}

bool StaysOnTop(const QWidget* w) { return w->windowFlags().testFlag(Qt::WindowStaysOnTopHint); }

// Calls back with a watched window each time it is shown, before it is on the screen.
class TShowWatch : public QObject {
public:
    TShowWatch(QObject* parent, std::function<void(QWidget*)> shown)
        : QObject(parent), shown_(std::move(shown))
    {
    }
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Show && watched->isWidgetType())
            shown_(static_cast<QWidget*>(watched));
        return QObject::eventFilter(watched, event);
    }

private:
    std::function<void(QWidget*)> shown_;
};

} // namespace

std::array<QWidget*, toolplaces::Count> TMainForm::ToolWindows() const
{
    const IMainServiceSide::STuningWindows tuning =
        service_ ? service_->TuningWindows() : IMainServiceSide::STuningWindows{};
    return {forms_.Smith, forms_.Caps, tuning.Tuning, tuning.Model, forms_.OstraBusLog, forms_.Logging};
}

void TMainForm::WatchToolWindows()
{
    if (!toolWatch_)
        toolWatch_ = new TShowWatch(this, [this](QWidget* w) { PlaceToolWindow(w); });
    for (QWidget* w : ToolWindows())
        if (w) {
            w->removeEventFilter(toolWatch_);
            w->installEventFilter(toolWatch_);
        }
}

void TMainForm::PlaceToolWindow(QWidget* window)
{
    // Without a place of their own they would all open at the screen's corner, over the menu.
    if (HasOwnPlace(window) || !window->isWindow())
        return;
    const auto windows = ToolWindows();
    const auto which = std::find(windows.begin(), windows.end(), window);
    const QScreen* s = screen();
    if (which == windows.end() || !s)
        return;
    SetOwnPlace(window);
    // The menu bar and tool bar lie above the central widget, the status frame at its bottom.
    const QMargins frame = FrameMargins(this);
    toolplaces::SMainFrame main;
    main.Frame = PlaceOf(frameGeometry());
    if (const QWidget* central = centralWidget())
        main.TopBars = central->mapToGlobal(QPoint(0, 0)).y() - main.Frame.Top;
    if (Status)
        main.BottomBars = main.Frame.Bottom() - Status->mapToGlobal(QPoint(0, 0)).y();
    if (frame.top() > 0)
        main.TitleBar = frame.top();
    std::vector<toolplaces::SOpenWindow> open;
    for (QWidget* w : windows)
        if (w && w != window && w->isVisible())
            open.push_back({PlaceOf(w->frameGeometry()), StaysOnTop(w)});
    const SPlace size = FrameSize(window, frame);
    const SPlace place =
        toolplaces::FirstPlace(toolplaces::Window(which - windows.begin()), main, size,
                               StaysOnTop(window), open, PlaceOf(s->availableGeometry()));
    if (place.Height < size.Height) // a window taller than the room there is
        window->resize(window->width(), std::max(window->height() - (size.Height - place.Height),
                                                 window->minimumHeight()));
    window->move(place.Left, place.Top);
}

void TMainForm::FitOnScreen(bool onlyToGrow)
{
    const QScreen* s = screen();
    auto* body = qobject_cast<QScrollArea*>(centralWidget());
    if (!s || !body || !body->widget())
        return;
    // What the controls need to show whole, without scrolling, below the menu and tool bars.
    const QMargins frame = FrameMargins(this);
    const QSize need = body->widget()->minimumSizeHint();
    if (onlyToGrow && body->size().expandedTo(need) == body->size())
        return;
    const int bars = body->mapTo(this, QPoint(0, 0)).y();
    const SPlace place = toolplaces::MainFirstPlace(
        PlaceOf(frameGeometry()), need.width() + frame.left() + frame.right(),
        need.height() + bars + frame.top() + frame.bottom(), PlaceOf(s->availableGeometry()));
    resize(place.Width - frame.left() - frame.right(), place.Height - frame.top() - frame.bottom());
    move(place.Left, place.Top);
    // Scroll bars that the smaller window showed take the room they leave for their own need:
    // measured once more without them, they go where the controls fit.
    for (Qt::ScrollBarPolicy policy : {Qt::ScrollBarAlwaysOff, Qt::ScrollBarAsNeeded}) {
        body->setHorizontalScrollBarPolicy(policy);
        body->setVerticalScrollBarPolicy(policy);
    }
}

void TMainForm::CreateChartButtons(QToolBar* bar)
{
    CapsBtn = ChartButton(bar, "CapsBtn", "Caps", "Capacitors");
    SmithBtn = ChartButton(bar, "SmithBtn", "Smith", "Smith Chart");
    connect(CapsBtn, &QToolButton::clicked, this, &TMainForm::CapsBtnClick);
    connect(SmithBtn, &QToolButton::clicked, this, &TMainForm::SmithBtnClick);
}

void TMainForm::CreateHistoryPlot()
{
    HistoryPlot = new THistoryPlotFrame(PlotView(), PaneArea1);
    PaneArea1->layout()->addWidget(HistoryPlot);
    BindChartWindows();
}

void TMainForm::BindChartWindows()
{
    THistoryPlotFrame::SLinks plot;
    plot.Data = data_;
    plot.Pane = PaneListBox1;
    plot.TimerOn = [this] { return ReadTimer && ReadTimer->isActive(); };
    plot.RepaintPlots = [this] {
        if (CPaneList* list = GetPaneList(1))
            list->RefreshPlots(false);
    };
    HistoryPlot->Bind(plot);

    TChartForm::SLinks links;
    links.Data = data_;
    links.Unit = device_.get();
    links.Vars = &ProgramVars();
    links.Tuning = &tuning_;
    if (forms_.Smith) {
        links.Shown = [this](bool shown) { ShowDown(SmithBtn, SmithMenuItem, shown); };
        forms_.Smith->Bind(links);
    }
    if (forms_.Caps) {
        links.Shown = [this](bool shown) { ShowDown(CapsBtn, CapsMenuItem, shown); };
        forms_.Caps->Bind(links);
        forms_.Caps->SetSmithForm(forms_.Smith);
    }
}

void TMainForm::StartNewTrails()
{
    // The chart windows join no sample of this unit to the last one's.
    for (TChartForm* form : {static_cast<TChartForm*>(forms_.Smith),
                             static_cast<TChartForm*>(forms_.Caps)})
        if (form)
            form->StartNewTrail();
}

void TMainForm::ExchangeChartWindow(bool caps, CRegistry& store)
{
    TChartForm* form = caps ? static_cast<TChartForm*>(forms_.Caps) : forms_.Smith;
    if (form)
        form->Exchange(store);
}

void TMainForm::RefreshChartWindows(bool incremental)
{
    for (TChartForm* form : {static_cast<TChartForm*>(forms_.Smith),
                             static_cast<TChartForm*>(forms_.Caps)}) {
        if (!form)
            continue;
        if (incremental)
            form->UpdateIncremental();
        else
            form->RepaintIfVisible();
    }
}

void TMainForm::ApplyHeader(const std::string& header)
{
    if (forms_.Smith)
        forms_.Smith->SetCaption(header);
    if (forms_.Caps)
        forms_.Caps->SetCaption(header);
}

void TMainForm::SmithBtnClick()
{
    if (forms_.Smith)
        forms_.Smith->ShowWindow(!forms_.Smith->isVisible());
    else
        ShowDown(SmithBtn, SmithMenuItem, false);
}

void TMainForm::CapsBtnClick()
{
    if (!forms_.Caps) {
        ShowDown(CapsBtn, CapsMenuItem, false);
        return;
    }
    forms_.Caps->ShowWindow(!forms_.Caps->isVisible());
    if (!forms_.Caps->isVisible() && tuning_.Hide)
        tuning_.Hide();
}

void TMainForm::RefreshPlot()
{
    if (HistoryPlot)
        HistoryPlot->RefreshPlot();
}

void TMainForm::UpdateTimerButtons()
{
    const bool off = !ReadTimer->isActive();
    if (HistoryPlot)
        HistoryPlot->SetZoomEnabled(off);
    for (QToolButton* b : {SaveBtn, OpenBtn})
        if (b)
            b->setEnabled(off);
}

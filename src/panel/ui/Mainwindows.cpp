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
#include <QScrollBar>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QWindow>

#include <algorithm>
#include <functional>
#include <optional>
#include <vector>

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

// What a window's frame adds around its client area, where the window system knows it: a window
// manager tells it once it has framed the window, which it does before it shows the window. A
// window on the screen without margins has no frame.
std::optional<QMargins> KnownFrameMargins(const QWidget* w)
{
    const QWindow* handle = w->windowHandle();
    if (!handle)
        return std::nullopt;
    const QMargins margins = handle->frameMargins();
    if (margins.isNull() && !handle->isExposed())
        return std::nullopt;
    return margins;
}

// A window's frame: its client area with the margins of its frame, or, before they are known,
// with the margins it is expected to get.
QRect FrameOf(const QWidget* w, const QMargins& expected)
{
    return w->geometry().marginsAdded(KnownFrameMargins(w).value_or(expected));
}

// Puts a window's frame at a place: its client area inside it, by the frame's margins.
void PutFrame(QWidget* w, const SPlace& frame, const QMargins& margins)
{
    w->setGeometry(QRect(frame.Left, frame.Top, frame.Width, frame.Height).marginsRemoved(margins));
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
    if (!HasOwnPlace(window) && window->isWindow() && PutToolWindow(window))
        SetOwnPlace(window);
}

QMargins TMainForm::OwnFrameMargins() const { return KnownFrameMargins(this).value_or(QMargins()); }

bool TMainForm::PutToolWindow(QWidget* window, const std::vector<QWidget*>& leftOut)
{
    const auto windows = ToolWindows();
    const auto which = std::find(windows.begin(), windows.end(), window);
    const QScreen* s = screen();
    if (which == windows.end() || !s)
        return false;
    // The menu bar and tool bar lie above the central widget, the status frame at its bottom.
    const QMargins mainFrame = OwnFrameMargins();
    toolplaces::SMainFrame main;
    main.Frame = PlaceOf(geometry().marginsAdded(mainFrame));
    if (const QWidget* central = centralWidget())
        main.TopBars = central->mapToGlobal(QPoint(0, 0)).y() - main.Frame.Top;
    if (Status)
        main.BottomBars = main.Frame.Bottom() - Status->mapToGlobal(QPoint(0, 0)).y();
    if (mainFrame.top() > 0)
        main.TitleBar = mainFrame.top();
    // A window not yet framed is expected to get a frame like this window's.
    std::vector<toolplaces::SOpenWindow> open;
    for (QWidget* w : windows)
        if (w && w != window && w->isVisible() && std::find(leftOut.begin(), leftOut.end(), w) == leftOut.end())
            open.push_back({PlaceOf(FrameOf(w, mainFrame)), StaysOnTop(w)});
    const std::optional<QMargins> known = KnownFrameMargins(window);
    const QMargins frame = known.value_or(mainFrame);
    const QSize client = window->size();
    const SPlace size{0, 0, client.width() + frame.left() + frame.right(),
                      client.height() + frame.top() + frame.bottom()};
    SPlace place = toolplaces::FirstPlace(toolplaces::Window(which - windows.begin()), main, size,
                                          StaysOnTop(window), open, PlaceOf(s->availableGeometry()));
    if (place.Height < size.Height) // a window taller than the room there is, down to its minimum
        place.Height = std::max(place.Height, window->minimumHeight() + frame.top() + frame.bottom());
    PutFrame(window, place, frame);
    NoteFrame(window, place, known ? std::nullopt : std::optional<QMargins>(frame));
    return true;
}

void TMainForm::NoteFrame(QWidget* window, const SPlace& place, const std::optional<QMargins>& expected)
{
    std::erase_if(expectedFrames_, [window](const SExpectedFrame& e) { return !e.Window || e.Window == window; });
    QWindow* handle = window->windowHandle();
    if (!expected || !handle)
        return;
    handle->removeEventFilter(this);
    handle->installEventFilter(this);
    expectedFrames_.push_back({window, *expected, QRect(place.Left, place.Top, place.Width, place.Height)});
}

void TMainForm::WindowFramed(QWindow* handle)
{
    const auto it = std::find_if(expectedFrames_.begin(), expectedFrames_.end(), [handle](const SExpectedFrame& e) {
        return e.Window && e.Window->windowHandle() == handle;
    });
    if (it == expectedFrames_.end())
        return;
    handle->removeEventFilter(this);
    const SExpectedFrame expected = *it;
    expectedFrames_.erase(it);
    const QMargins margins = KnownFrameMargins(expected.Window).value_or(QMargins());
    if (margins == expected.Margins)
        return;
    // Placed for a frame other than the one it got: placed again for the one it has, this
    // window where its frame was meant to be. (Where the window is now may be an older
    // request's, which the window manager answered late.)
    if (expected.Window != this) {
        PutToolWindow(expected.Window);
        return;
    }
    FitFrame(expected.Frame, margins);
    // The tool windows placed beside this window before its frame was known (the settings
    // open them at the start) go again, in the order they were placed, each clear of those
    // before it rather than of the places the others are still to leave.
    std::vector<QWidget*> waiting;
    for (const SExpectedFrame& e : expectedFrames_)
        if (e.Window)
            waiting.push_back(e.Window);
    for (auto w = waiting.begin(); w != waiting.end(); ++w)
        PutToolWindow(*w, {w + 1, waiting.end()});
}

void TMainForm::FitOnScreen(bool onlyToGrow)
{
    if (!bodyScroll_ || !bodyScroll_->widget())
        return;
    // Only a need that grew since the window was last fitted grows it: a smaller size it has for
    // a while (a window manager's late answer to an earlier request) or one the user gave it
    // stands.
    const QSize need = BodyNeed();
    const QSize has = centralWidget()->size();
    if (onlyToGrow && (has.expandedTo(need) == has || fittedNeed_.expandedTo(need) == fittedNeed_))
        return;
    const QMargins frame = OwnFrameMargins();
    FitFrame(geometry().marginsAdded(frame), frame);
}

void TMainForm::FitFrame(const QRect& wanted, const QMargins& frame)
{
    const QScreen* s = screen();
    if (!s || !bodyScroll_ || !bodyScroll_->widget())
        return;
    // What the controls need to show whole, without scrolling, below the menu and tool bars:
    // the body's layout's minimum and the status frame. Once the window has it, the body drops
    // its scroll bars.
    const QSize need = BodyNeed();
    fittedNeed_ = need;
    const int bars = centralWidget()->mapTo(this, QPoint(0, 0)).y();
    const int width = need.width() + frame.left() + frame.right();
    int height = need.height() + bars + frame.top() + frame.bottom();
    // Controls wider than the screen scroll sideways: the window takes the scroll bar's height
    // too, so that their bottom row does not go under it.
    if (width > s->availableGeometry().width())
        height += bodyScroll_->horizontalScrollBar()->sizeHint().height();
    const SPlace place = toolplaces::MainFirstPlace(PlaceOf(wanted), width, height, PlaceOf(s->availableGeometry()));
    PutFrame(this, place, frame);
    NoteFrame(this, place, KnownFrameMargins(this) ? std::nullopt : std::optional<QMargins>(frame));
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

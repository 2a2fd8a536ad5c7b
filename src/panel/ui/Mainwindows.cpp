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

// What a window's frame adds around its client area, where the window system knows it: once the
// window is on the screen, which a window manager shows it only in the frame it made for it. A
// window on the screen without margins has no frame. Before, what the window system says is no
// frame's: where a window manager has not framed the window yet, it is worked out from the size
// the window had before the requests the manager has still to answer, and can be anything.
std::optional<QMargins> KnownFrameMargins(const QWidget* w)
{
    const QWindow* handle = w->windowHandle();
    if (!handle || !handle->isExposed())
        return std::nullopt;
    const QMargins margins = handle->frameMargins();
    if (margins.left() < 0 || margins.top() < 0 || margins.right() < 0 || margins.bottom() < 0)
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
    const auto windows = ToolWindows();
    if (HasOwnPlace(window) || !window->isWindow() || !screen() ||
        std::find(windows.begin(), windows.end(), window) == windows.end())
        return;
    if (!mainInTurn_) // the first of a new turn: this window stays where it is meanwhile
        mainInTurn_ = SMainInTurn{geometry().marginsAdded(OwnFrameMargins()), false};
    inTurn_.push_back({window, window->size()});
    WatchFrame(window);
    SetOwnPlace(window);
    PlaceInTurn();
}

QMargins TMainForm::OwnFrameMargins() const { return KnownFrameMargins(this).value_or(QMargins()); }

toolplaces::SMainFrame TMainForm::MainFrameAt(const QRect& frame, const QMargins& margins) const
{
    // The menu bar and tool bar lie above the central widget, the status frame at its bottom:
    // measured inside the window, whose place on the screen may be a request not yet answered.
    toolplaces::SMainFrame main;
    main.Frame = PlaceOf(frame);
    if (const QWidget* central = centralWidget())
        main.TopBars = margins.top() + central->mapTo(this, QPoint(0, 0)).y();
    if (Status)
        main.BottomBars = margins.bottom() + height() - Status->mapTo(this, QPoint(0, 0)).y();
    if (margins.top() > 0)
        main.TitleBar = margins.top();
    return main;
}

void TMainForm::PlaceInTurn()
{
    const QScreen* s = screen();
    if (!s || !mainInTurn_)
        return;
    const QMargins mainMargins = OwnFrameMargins();
    const QRect mainFrame = mainInTurn_->Fits ? FitFrame(mainInTurn_->Frame, mainMargins) : mainInTurn_->Frame;
    const auto windows = ToolWindows();
    const auto inTurn = [this](const QWidget* w) {
        return std::any_of(inTurn_.begin(), inTurn_.end(), [w](const SInTurn& t) { return t.Window == w; });
    };
    // The windows open before this turn began stay where they are.
    std::vector<toolplaces::SOpenWindow> open;
    for (QWidget* w : windows)
        if (w && w->isVisible() && !inTurn(w))
            open.push_back({PlaceOf(FrameOf(w, mainMargins)), StaysOnTop(w)});
    std::vector<toolplaces::SToPlace> toPlace;
    std::vector<std::pair<QWidget*, QMargins>> placed;
    for (const SInTurn& t : inTurn_) {
        const auto which = std::find(windows.begin(), windows.end(), t.Window.data());
        if (!t.Window || !t.Window->isVisible() || which == windows.end())
            continue;
        // A window not yet framed is expected to get a frame like this window's.
        const QMargins frame = KnownFrameMargins(t.Window).value_or(mainMargins);
        const int addedHeight = frame.top() + frame.bottom();
        toPlace.push_back({toolplaces::Window(which - windows.begin()),
                           SPlace{0, 0, t.Client.width() + frame.left() + frame.right(), t.Client.height() + addedHeight},
                           t.Window->minimumHeight() + addedHeight, StaysOnTop(t.Window)});
        placed.emplace_back(t.Window, frame);
    }
    const std::vector<SPlace> places = toolplaces::PlacesInTurn(MainFrameAt(mainFrame, mainMargins), toPlace, open,
                                                                PlaceOf(s->availableGeometry()));
    for (size_t i = 0; i < places.size(); ++i)
        PutFrame(placed[i].first, places[i], placed[i].second);
}

void TMainForm::WatchFrame(QWidget* window)
{
    if (QWindow* handle = window->windowHandle()) {
        handle->removeEventFilter(this);
        handle->installEventFilter(this);
    }
}

void TMainForm::WindowFramed(QWindow* handle)
{
    const bool watched = (mainInTurn_ && windowHandle() == handle) ||
                         std::any_of(inTurn_.begin(), inTurn_.end(), [handle](const SInTurn& t) {
                             return t.Window && t.Window->windowHandle() == handle;
                         });
    if (!watched)
        return;
    PlaceInTurn();
    // The turn ends once every window in it that is shown has its frame: the places just given
    // are those of the frames they have.
    const auto framed = [](const QWidget* w) { return !w || !w->isVisible() || KnownFrameMargins(w).has_value(); };
    if (!framed(this) || !std::all_of(inTurn_.begin(), inTurn_.end(), [&framed](const SInTurn& t) { return framed(t.Window); }))
        return;
    for (const SInTurn& t : inTurn_)
        if (t.Window && t.Window->windowHandle())
            t.Window->windowHandle()->removeEventFilter(this);
    if (windowHandle())
        windowHandle()->removeEventFilter(this);
    inTurn_.clear();
    mainInTurn_.reset();
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
    FitWanted(onlyToGrow && mainInTurn_ ? mainInTurn_->Frame : geometry().marginsAdded(OwnFrameMargins()));
}

void TMainForm::FitOnScreenAt(const QPoint& frameAt)
{
    QRect wanted = geometry().marginsAdded(OwnFrameMargins());
    wanted.moveTopLeft(frameAt);
    FitWanted(wanted);
}

void TMainForm::FitWanted(const QRect& wanted)
{
    // Fitted while a window manager has not framed it yet or while windows are placed in turn
    // with it, it is placed with them: from the frame it is meant to have, not from where it
    // is meanwhile.
    if (!mainInTurn_ && KnownFrameMargins(this)) {
        FitFrame(wanted, OwnFrameMargins());
        return;
    }
    mainInTurn_ = SMainInTurn{wanted, true};
    WatchFrame(this);
    PlaceInTurn();
}

QRect TMainForm::FitFrame(const QRect& wanted, const QMargins& frame)
{
    const QScreen* s = screen();
    if (!s || !bodyScroll_ || !bodyScroll_->widget())
        return wanted;
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
    return QRect(place.Left, place.Top, place.Width, place.Height);
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

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
#include "panel/ui/Panelistbox.h"
#include "panel/ui/Smithdlg.h"
#include "panel/ui/Status.h"

#include <QAction>
#include <QLayout>
#include <QScreen>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>

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

// A window's frame as it will open: its size once it has been given one, else its layout's.
SPlace FrameSize(const QWidget* w)
{
    const QSize size = w->testAttribute(Qt::WA_Resized) ? w->frameGeometry().size() : w->sizeHint();
    return SPlace{0, 0, size.width(), size.height()};
}

} // namespace

void TMainForm::PlaceToolWindows()
{
    // Without a place of their own they would all open at the screen's corner, over the menu.
    const IMainServiceSide::STuningWindows tuning =
        service_ ? service_->TuningWindows() : IMainServiceSide::STuningWindows{};
    const std::array<QWidget*, toolplaces::Count> windows{
        forms_.Smith, forms_.Caps, tuning.Tuning, tuning.Model, forms_.OstraBusLog, forms_.Logging};
    std::array<SPlace, toolplaces::Count> sizes;
    for (int i = 0; i < toolplaces::Count; ++i)
        if (windows[i])
            sizes[i] = FrameSize(windows[i]);
    const QScreen* s = screen();
    if (!s)
        return;
    // The menu bar and tool bar lie above the central widget, the status frame at its bottom.
    toolplaces::SMainFrame main;
    main.Frame = PlaceOf(frameGeometry());
    const QWidget* central = centralWidget();
    if (central)
        main.TopBars = central->mapToGlobal(QPoint(0, 0)).y() - main.Frame.Top;
    if (Status)
        main.BottomBars = main.Frame.Bottom() - Status->mapToGlobal(QPoint(0, 0)).y();
    const auto places = toolplaces::FirstPlaces(main, sizes, PlaceOf(s->availableGeometry()));
    for (int i = 0; i < toolplaces::Count; ++i)
        if (windows[i])
            windows[i]->move(places[i].Left, places[i].Top);
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

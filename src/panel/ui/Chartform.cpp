#include "panel/ui/Chartform.h"

#include "common/Registry.h"
#include "device/Data.h"
#include "panel/Tuningmodel.h"
#include "panel/ui/Chartbuffer.h"
#include "panel/ui/Ownplace.h"
#include "panel/ui/Printimage.h"

#include <algorithm>

#include <QAction>
#include <QActionGroup>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QMenuBar>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QScreen>
#include <QStatusBar>

namespace {

constexpr int DefaultWidth = 320;
constexpr int DefaultHeight = 360;
const char* const SamplesCaptions[] = {"1", "10", "100", "1000"};

} // namespace

TChartForm::TChartForm(QWidget* parent, const char* name, const std::string& title,
                       const std::string& section, const std::string& menuSuffix,
                       const std::vector<std::pair<const char*, const char*>>& modes)
    : QMainWindow(parent, Qt::Tool | Qt::WindowStaysOnTopHint), title_(title), section_(section)
{
    setObjectName(name);
    setWindowTitle(QString::fromStdString(title));
    setMinimumSize(MinWidth, MinHeight);
    resize(DefaultWidth, DefaultHeight);

    ChartBox = new TChartBuffer(this);
    ChartBox->setObjectName("ChartBox");
    setCentralWidget(ChartBox);
    statusBar()->setObjectName("StatusBar");
    statusBar()->setSizeGripEnabled(false);

    auto action = [&](QMenu* menu, const std::string& objectName, const char* caption) {
        QAction* a = menu->addAction(caption);
        a->setObjectName(QString::fromStdString(objectName));
        return a;
    };
    WindowMenu = menuBar()->addMenu("Window");
    WindowMenu->setObjectName("WindowMenu");
    KeepOnTopMenu = action(WindowMenu, "KeepOnTop" + menuSuffix + "Menu", "Keep On Top");
    KeepOnTopMenu->setCheckable(true);
    KeepOnTopMenu->setChecked(true);
    PrintMenu = action(WindowMenu, "Print" + menuSuffix + "Menu", "Print");
    CloseMenu = action(WindowMenu, "Close" + menuSuffix + "Menu", "Close");
    connect(WindowMenu, &QMenu::aboutToShow, this, &TChartForm::FormPaint);

    StatusMenu = menuBar()->addMenu("Status");
    StatusMenu->setObjectName("StatusMenu");
    HideMenu = action(StatusMenu, "Hide" + menuSuffix + "Menu", "Hide");
    StatusMenu->addSeparator();
    modeGroup_ = new QActionGroup(this);
    for (const auto& [modeName, caption] : modes) {
        QAction* a = action(StatusMenu, modeName, caption);
        a->setCheckable(true);
        modeGroup_->addAction(a);
        ModeMenus.push_back(a);
    }

    SamplesMenu = menuBar()->addMenu("Samples");
    SamplesMenu->setObjectName("SamplesMenu");
    samplesGroup_ = new QActionGroup(this);
    QAction** items[] = {&Samples1MenuItem, &Samples10MenuItem, &Samples100MenuItem,
                         &SamplesAllMenuItem};
    const char* names[] = {"Samples1MenuItem", "Samples10MenuItem", "Samples100MenuItem",
                           "SamplesAllMenuItem"};
    for (size_t i = 0; i < std::size(items); ++i) {
        *items[i] = action(SamplesMenu, names[i], SamplesCaptions[i]);
        (*items[i])->setCheckable(true);
        samplesGroup_->addAction(*items[i]);
    }
    OnClick(Samples1MenuItem, &TChartForm::Samples1MenuItemClick);
    OnClick(Samples10MenuItem, &TChartForm::Samples10MenuItemClick);
    OnClick(Samples100MenuItem, &TChartForm::Samples100MenuItemClick);
    OnClick(SamplesAllMenuItem, &TChartForm::SamplesAllMenuItemClick);

    connect(ChartBox, &TChartBuffer::Resized, this, &TChartForm::FormResize);
    connect(ChartBox, &TChartBuffer::MouseMoved, this, &TChartForm::FormMouseMove);

    settings_.Width = DefaultWidth;
    settings_.Height = DefaultHeight;
    SetStatusMode(0);
    SetSamples(settings_.Samples);
}

void TChartForm::Bind(const SLinks& links)
{
    links_ = links;
    RepaintIfVisible();
}

bool TChartForm::TuningShown() const { return links_.Tuning && links_.Tuning->Shown; }

bool TChartForm::StayOnTop() const { return windowFlags().testFlag(Qt::WindowStaysOnTopHint); }

// --- operations -----------------------------------------------------------------------------

void TChartForm::ShowWindow(bool show)
{
    setVisible(show);
    settings_.Visible = show;
    if (links_.Shown)
        links_.Shown(show);
}

void TChartForm::RepaintIfVisible()
{
    if (isVisible())
        FormPaint();
}

void TChartForm::UpdateIncremental()
{
    if (!isVisible() || !links_.Data)
        return;
    if (!painted_) {
        FormPaint();
        return;
    }
    const CData& data = *links_.Data;
    const int n = data.Count();
    if (n == 0)
        trail_.PenDown = false;
    const CTrail::EUpdate update =
        CTrail::Update(settings_.Samples, n, trail_.TrailStart, RunStart());
    if (update == CTrail::EUpdate::Nothing)
        return;
    if (update == CTrail::EUpdate::Repaint) {
        FormPaint();
        return;
    }
    QImage& image = ChartBox->Buffer();
    EraseMarker(image);
    TTracePainter sink(image, settings_.Color);
    if (update == CTrail::EUpdate::MoveMarker)
        trail_.PenDown = false;
    else if (trail_.HasLast)
        sink.MoveTo(trail_.Last.X, trail_.Last.Y);
    trail_.Plot(SamplePoint(*data.At(n - 1)), sink);
    DrawMarker(image);
    ChartBox->update();
}

void TChartForm::StartNewTrail()
{
    if (links_.Data)
        runSerial_ = links_.Data->FirstSerial() + links_.Data->Count();
}

void TChartForm::SetLatestKnown(bool known)
{
    if (known == latestKnown_)
        return;
    latestKnown_ = known;
    if (!painted_)
        return; // the next full paint draws it as it now is
    QImage& image = ChartBox->Buffer();
    if (known)
        DrawMarker(image);
    else
        EraseMarker(image);
    ChartBox->update();
}

int TChartForm::RunStart() const
{
    if (!links_.Data)
        return 0;
    const int64_t index = runSerial_ - links_.Data->FirstSerial();
    return int(std::clamp<int64_t>(index, 0, links_.Data->Count()));
}

void TChartForm::SetCaption(const std::string& header)
{
    setWindowTitle(QString::fromStdString(CChartSettings::BesideProgram(
        CChartSettings::Caption(header, title_),
        QGuiApplication::applicationDisplayName().toStdString())));
}

void TChartForm::SetStatusMode(int mode)
{
    if (mode < 0 || mode >= int(ModeMenus.size()))
        return;
    settings_.StatusMode = mode;
    ModeMenus[size_t(mode)]->setChecked(true);
    UpdateHideCaption();
}

void TChartForm::SetSamples(int samples)
{
    if (!CTrail::ValidSamples(samples))
        return;
    settings_.Samples = samples;
    for (size_t i = 0; i < std::size(CTrail::MenuValues); ++i)
        if (CTrail::MenuValues[i] == samples)
            samplesGroup_->actions()[int(i)]->setChecked(true);
    RepaintIfVisible();
}

void TChartForm::UpdateHideCaption()
{
    HideMenu->setText(statusBar()->isHidden() ? "Show" : "Hide");
}

void TChartForm::SetStayOnTop(bool on)
{
    KeepOnTopMenu->setChecked(on);
    settings_.Style = on ? CChartSettings::StyleStayOnTop : CChartSettings::StyleNormal;
    if (StayOnTop() == on)
        return;
    const bool shown = isVisible();
    setWindowFlag(Qt::WindowStaysOnTopHint, on); // hides the window
    if (shown)
        show();
}

void TChartForm::Exchange(CRegistry& store)
{
    QSize screen(1024, 768);
    if (QScreen* sc = QGuiApplication::primaryScreen())
        screen = sc->geometry().size();
    // The window's geometry is the default of a load too: a file without the section leaves
    // the window where it is.
    settings_.Top = y();
    settings_.Left = x();
    settings_.PlaceStored = HasOwnPlace(this);
    settings_.Width = width();
    settings_.Height = height();
    if (!store.Reading()) {
        settings_.Visible = isVisible();
        settings_.StatusVisible = !statusBar()->isHidden();
        settings_.Style = StayOnTop() ? CChartSettings::StyleStayOnTop : CChartSettings::StyleNormal;
    }
    settings_.Exchange(store, section_, int(ModeMenus.size()), screen.width(), screen.height());
    if (!store.Reading())
        return;
    if (settings_.PlaceStored) {
        move(settings_.Left, settings_.Top);
        SetOwnPlace(this);
    }
    resize(settings_.Width, settings_.Height);
    statusBar()->setVisible(settings_.StatusVisible);
    SetStatusMode(settings_.StatusMode);
    SetSamples(settings_.Samples);
    SetStayOnTop(settings_.Style == CChartSettings::StyleStayOnTop);
    ShowWindow(settings_.Visible);
}

QImage TChartForm::WindowImage() { return grab().toImage(); }

void TChartForm::PrintImage(QPrinter& printer) { PrintWindowImage(printer, WindowImage()); }

// --- drawing --------------------------------------------------------------------------------

void TChartForm::FormPaint()
{
    QImage& image = ChartBox->Buffer();
    image.fill(Qt::white);
    trail_.MarkerShown = false;
    {
        QPainter p(&image);
        p.setRenderHint(QPainter::Antialiasing, false);
        p.setFont(font());
        DrawChart(p, image.size());
    }
    const int n = links_.Data ? links_.Data->Count() : 0;
    trail_.Begin(settings_.Samples, n, RunStart());
    TTracePainter sink(image, settings_.Color);
    for (int i = trail_.TrailStart; i < n; ++i)
        trail_.Plot(SamplePoint(*links_.Data->At(i)), sink);
    DrawMarker(image);
    painted_ = true;
    ChartBox->update();
}

void TChartForm::DrawMarker(QImage& image)
{
    if (!trail_.HasLast || !latestKnown_ || trail_.MarkerShown)
        return;
    trail_.Marker = trail_.Last;
    trail_.MarkerShown = true;
    chartpen::NotXorMarker(image, trail_.Marker, settings_.Color);
}

void TChartForm::EraseMarker(QImage& image)
{
    if (!trail_.MarkerShown)
        return;
    chartpen::NotXorMarker(image, trail_.Marker, settings_.Color);
    trail_.MarkerShown = false;
}

// --- handlers -------------------------------------------------------------------------------

void TChartForm::FormResize() { FormPaint(); }

void TChartForm::FormMouseMove(QPoint pos)
{
    if (painted_)
        statusBar()->showMessage(QString::fromStdString(ReadOut(pos.x(), pos.y())));
}

void TChartForm::KeepOnTopClick() { SetStayOnTop(!StayOnTop()); }

void TChartForm::PrintClick()
{
    QPrinter printer;
    QPrintDialog dialog(&printer, this);
    if (dialog.exec() == QDialog::Accepted)
        PrintImage(printer);
}

void TChartForm::CloseClick()
{
    ShowWindow(false);
    Closed();
}

void TChartForm::HideClick()
{
    statusBar()->setVisible(statusBar()->isHidden());
    UpdateHideCaption();
    FormPaint(); // the chart's centre moves
}

void TChartForm::ModeClick(int mode)
{
    SetStatusMode(mode);
    if (statusBar()->isHidden()) {
        statusBar()->show();
        UpdateHideCaption();
    }
}

void TChartForm::SamplesClick(int samples) { SetSamples(samples); }

void TChartForm::FormClose()
{
    settings_.Visible = false;
    if (links_.Shown)
        links_.Shown(false);
    Closed();
}

void TChartForm::closeEvent(QCloseEvent* event)
{
    event->accept(); // the window only hides
    FormClose();
}

void TChartForm::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    FormPaint(); // the history may have grown while the window was hidden
}

#include "panel/ui/Capsdlg.h"

#include "device/Unitstate.h"
#include "panel/Tuningmodel.h"
#include "panel/Tuningrun.h"
#include "panel/ui/Chartbuffer.h"
#include "panel/ui/Smithdlg.h"

#include <QAction>
#include <algorithm>
#include <QPainter>

namespace {

// Where the window first appears: right of the main window's default place, the Smith chart
// above the Capacitors window.
constexpr QPoint DefaultPlace{860, 420};
constexpr TColor FrameColour = clGray;
constexpr int CrossArm = 1;      // the grid's crosses reach 1 pixel each way
constexpr int SolutionInner = 3; // the two squares around a solution
constexpr int SolutionOuter = 4;

} // namespace

TCapsForm::TCapsForm(QWidget* parent)
    : TChartForm(parent, "CapsForm", CCapsPlane::Title, "Caps", "Caps",
                 {{"PosCapsMenu", "Position"}, {"pFCapsMenu", "pF"}})
{
    PosCapsMenu = ModeMenus[CCapsPlane::ModePosition];
    pFCapsMenu = ModeMenus[CCapsPlane::ModePf];

    move(DefaultPlace);

    OnClick(KeepOnTopMenu, &TCapsForm::KeepOnTopCapsMenuClick);
    OnClick(PrintMenu, &TCapsForm::PrintCapsMenuClick);
    OnClick(CloseMenu, &TCapsForm::CloseCapsMenuClick);
    OnClick(HideMenu, &TCapsForm::HideCapsMenuClick);
    OnClick(PosCapsMenu, &TCapsForm::PosCapsMenuClick);
    OnClick(pFCapsMenu, &TCapsForm::pFCapsMenuClick);
    connect(ChartBox, &TChartBuffer::MousePressed, this, &TCapsForm::FormMouseDown);
}

void TCapsForm::DrawChart(QPainter& p, const QSize& size)
{
    const int h = p.fontMetrics().height();
    g_ = CCapsPlane::Geometry(size.width(), size.height(), h);
    const QColor grey = chartpen::Colour(FrameColour);
    const QColor text = palette().color(QPalette::WindowText);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(grey, 0));
    p.drawRect(g_.Left, g_.Bottom - g_.Height, g_.Width, g_.Height);
    p.setPen(text);
    chartpen::TextAt(p, g_.Left, 0, "Tune");
    chartpen::TextAt(p, g_.Left, g_.Bottom + 1, "0");
    chartpen::TextAt(p, g_.Left + g_.Width - p.fontMetrics().horizontalAdvance("Load"),
                     g_.Bottom + 1, "Load");

    if (links_.Unit) {
        const CTrajectory& t = links_.Unit->TrajectoryPoints();
        const int last = std::clamp(t.lastIndex, -1, CTrajectory::Points - 1);
        for (int i = 0; i <= last; ++i) {
            SPoint pt;
            if (!CCapsPlane::Map(g_, t.load[size_t(i)], t.tune[size_t(i)], pt))
                continue;
            p.setPen(QPen(grey, 0));
            chartpen::Square(p, pt, chartpen::SquareHalf);
            p.setPen(text);
            chartpen::TextAt(p, pt.X + chartpen::SquareHalf, pt.Y + chartpen::SquareHalf,
                             QString::number(i));
        }
        p.setPen(QPen(grey, 0, Qt::DotLine));
        for (const SLimitSide& side : CCapsPlane::LimitSides(g_, *links_.Unit))
            if (side.Drawn)
                p.drawLine(side.From.X, side.From.Y, side.To.X, side.To.Y);
    }
    if (TuningShown())
        DrawModel(p);
}

void TCapsForm::DrawModel(QPainter& p)
{
    const CTuningModel& model = *links_.Tuning;
    const QPen first(chartpen::Colour(model.StepColour), 0);
    const QPen second(chartpen::Colour(model.PathColour), 0);
    for (const SFieldCell& c : CCapsPlane::ModelField(g_, model)) {
        p.setPen(first);
        p.drawLine(c.Centre.X, c.Centre.Y - CrossArm, c.Centre.X, c.Centre.Y + CrossArm);
        p.drawLine(c.Centre.X - CrossArm, c.Centre.Y, c.Centre.X + CrossArm, c.Centre.Y);
        if (c.HasArrow) {
            p.setPen(second);
            p.drawLine(c.Centre.X, c.Centre.Y, c.ArrowEnd.X, c.ArrowEnd.Y);
        }
    }
    if (!links_.Unit)
        return;
    p.setPen(second);
    for (const SPoint& s : CCapsPlane::Solutions(g_, *links_.Unit, model)) {
        chartpen::Square(p, s, SolutionInner);
        chartpen::Square(p, s, SolutionOuter);
    }
}

STracePoint TCapsForm::SamplePoint(const CDataRec& rec) const
{
    return CCapsPlane::SamplePoint(g_, rec);
}

std::string TCapsForm::ReadOut(int x, int y) const
{
    static const CUnitState defaults;
    return CCapsPlane::ReadOut(Settings().StatusMode, g_, x, y,
                               links_.Unit ? *links_.Unit : defaults);
}

void TCapsForm::Closed()
{
    if (links_.Tuning && links_.Tuning->Hide)
        links_.Tuning->Hide();
}

void TCapsForm::FormMouseDown(Qt::MouseButton button, QPoint pos)
{
    double load = 0, tune = 0;
    if (button != Qt::LeftButton || !TuningShown() || !links_.Unit || !Painted() ||
        !CCapsPlane::Inverse(g_, pos.x(), pos.y(), load, tune))
        return;
    const CTuningModel& model = *links_.Tuning;
    const STuningRun run =
        CTuningRun::Simulate(*links_.Unit, model.R, model.X, model.StepLimit, load, tune);

    const bool onSmith = smith_ && smith_->isVisible();
    for (size_t i = 0; onSmith && i < run.Impedances.size(); ++i)
        smith_->PlotModelPoint(i > 0, run.Impedances[i].R, run.Impedances[i].X);

    QPolygon path;
    for (const STuningRun::SPosition& at : run.Path) {
        SPoint pt;
        if (CCapsPlane::Map(g_, at.Load, at.Tune, pt))
            path.append(QPoint(pt.X, pt.Y));
    }
    {
        QPainter p(&ChartBox->Buffer());
        p.setPen(QPen(chartpen::Colour(model.PathColour), 0));
        p.drawPolyline(path);
    }
    ChartBox->update();
    if (model.AddTimeLine)
        model.AddTimeLine(run.Text);
}

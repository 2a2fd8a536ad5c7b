#include "panel/ui/Smithdlg.h"

#include "device/Unitstate.h"
#include "device/Var.h"
#include "panel/Tuningmodel.h"
#include "panel/ui/Chartbuffer.h"

#include <QAction>
#include <QPainter>

namespace {

// Where the window first appears: right of the main window's default place, the Smith chart
// above the Capacitors window.
constexpr QPoint DefaultPlace{860, 40};
constexpr TColor GridColour = clGray;
constexpr TColor ModelColour = clGreen;

QRect ToQRect(const SRect& r) { return QRect(r.Left, r.Top, r.Width(), r.Height()); }

} // namespace

TSmithForm::TSmithForm(QWidget* parent)
    : TChartForm(parent, "SmithForm", CSmithChart::Title, "Smith", "Smith",
                 {{"RXSmithMenu", "R, X"},
                  {"ZFiSmithMenu", "Z,Phase"},
                  {"GammaSmithMenu", "Gamma"},
                  {"VSWRSmithMenu", "VSWR"}})
{
    RXSmithMenu = ModeMenus[CSmithChart::ModeRX];
    ZFiSmithMenu = ModeMenus[CSmithChart::ModeZPhase];
    GammaSmithMenu = ModeMenus[CSmithChart::ModeGamma];
    VSWRSmithMenu = ModeMenus[CSmithChart::ModeVswr];

    move(DefaultPlace);

    OnClick(KeepOnTopMenu, &TSmithForm::KeepOnTopSmithMenuClick);
    OnClick(PrintMenu, &TSmithForm::PrintSmithMenuClick);
    OnClick(CloseMenu, &TSmithForm::CloseSmithMenuClick);
    OnClick(HideMenu, &TSmithForm::HideSmithMenuClick);
    OnClick(RXSmithMenu, &TSmithForm::RXSmithMenuClick);
    OnClick(ZFiSmithMenu, &TSmithForm::ZFiSmithMenuClick);
    OnClick(GammaSmithMenu, &TSmithForm::GammaSmithMenuClick);
    OnClick(VSWRSmithMenu, &TSmithForm::VSWRSmithMenuClick);
}

void TSmithForm::DrawChart(QPainter& p, const QSize& size)
{
    const QColor grey = chartpen::Colour(GridColour);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(grey, 0));
    p.drawRect(0, 0, size.width() - 1, size.height() - 1);

    g_ = CSmithChart::Geometry(size.width(), size.height());
    p.setPen(QPen(grey, 0, Qt::DotLine));
    p.drawEllipse(ToQRect(CSmithChart::ResistanceCircle(g_)));
    for (const SArc& arc : {CSmithChart::PlusReactanceArc(g_), CSmithChart::MinusReactanceArc(g_)})
        p.drawArc(ToQRect(arc.Box), arc.StartDeg * 16, arc.SpanDeg * 16);

    p.setPen(QPen(grey, 0));
    p.drawEllipse(ToQRect(CSmithChart::UnitCircle(g_)));
    p.drawLine(g_.CentreX - g_.Radius, g_.CentreY, g_.CentreX + g_.Radius, g_.CentreY);

    if (TuningShown() && links_.Unit) {
        for (const SModelPoint& m : CSmithChart::ModelPoints(g_, *links_.Unit, links_.Tuning->R,
                                                            links_.Tuning->X)) {
            p.setPen(QPen(grey, 0));
            chartpen::Square(p, m.P, chartpen::SquareHalf);
            p.setPen(palette().color(QPalette::WindowText));
            chartpen::TextAt(p, m.P.X + chartpen::SquareHalf, m.P.Y + chartpen::SquareHalf,
                             QString::number(m.Index));
        }
    }
    modelPenSet_ = false;
}

STracePoint TSmithForm::SamplePoint(const CDataRec& rec) const
{
    return CSmithChart::SamplePoint(g_, rec);
}

std::string TSmithForm::ReadOut(int x, int y) const
{
    static const CVars defaults;
    return CSmithChart::ReadOut(Settings().StatusMode, g_, x, y,
                                links_.Vars ? *links_.Vars : defaults);
}

void TSmithForm::PlotModelPoint(bool join, double r, double x)
{
    SPoint p;
    if (!Painted() || !CSmithChart::Map(g_, r, x, p))
        return;
    if (join && modelPenSet_) {
        QPainter painter(&ChartBox->Buffer());
        painter.setPen(QPen(chartpen::Colour(ModelColour), 0));
        painter.drawLine(modelPen_.X, modelPen_.Y, p.X, p.Y);
        ChartBox->update();
    }
    modelPen_ = p;
    modelPenSet_ = true;
}

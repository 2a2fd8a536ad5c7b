#pragma once
// The Smith chart window: the measured load impedance of the sample history on a chart
// normalised to 50 ohm, with the newest sample marked, the model overlay of the active
// trajectory while the tuning model window is shown, and the chart position under the mouse.

#include "panel/Smithchart.h"
#include "panel/ui/Chartform.h"

class TSmithForm : public TChartForm {
    Q_OBJECT
public:
    explicit TSmithForm(QWidget* parent = nullptr);

    QAction* RXSmithMenu = nullptr;
    QAction* ZFiSmithMenu = nullptr;
    QAction* GammaSmithMenu = nullptr;
    QAction* VSWRSmithMenu = nullptr;

    // A model point in green at the chart position of R + jX, joined by a line to the previous
    // model point when join is set. Nothing is drawn for R + jX = -50, nor before a paint.
    void PlotModelPoint(bool join, double r, double x);
    const SSmithGeometry& Geometry() const { return g_; }

    // --- handlers ---------------------------------------------------------------------------
    void CloseSmithMenuClick() { CloseClick(); }
    void KeepOnTopSmithMenuClick() { KeepOnTopClick(); }
    void PrintSmithMenuClick() { PrintClick(); }
    void HideSmithMenuClick() { HideClick(); }
    void RXSmithMenuClick() { ModeClick(CSmithChart::ModeRX); }
    void ZFiSmithMenuClick() { ModeClick(CSmithChart::ModeZPhase); }
    void GammaSmithMenuClick() { ModeClick(CSmithChart::ModeGamma); }
    void VSWRSmithMenuClick() { ModeClick(CSmithChart::ModeVswr); }

protected:
    void DrawChart(QPainter& painter, const QSize& size) override;
    STracePoint SamplePoint(const CDataRec& rec) const override;
    std::string ReadOut(int x, int y) const override;

private:
    SSmithGeometry g_;
    SPoint modelPen_;
    bool modelPenSet_ = false;
};

#pragma once
// The Capacitors window: the Load/Tune plane with the position limits, the active trajectory,
// the sample history's path with the newest sample marked and, while the tuning model window is
// shown, the model's step field and solutions; a left click then simulates a tuning run from
// the clicked positions, also on the Smith chart.

#include "panel/Capsplane.h"
#include "panel/ui/Chartform.h"

class TSmithForm;

class TCapsForm : public TChartForm {
    Q_OBJECT
public:
    explicit TCapsForm(QWidget* parent = nullptr);

    QAction* PosCapsMenu = nullptr;
    QAction* pFCapsMenu = nullptr;

    // The Smith chart window that a simulated run also draws on (may be null).
    void SetSmithForm(TSmithForm* smith) { smith_ = smith; }
    const SCapsGeometry& Geometry() const { return g_; }

    // --- handlers ---------------------------------------------------------------------------
    void FormMouseDown(Qt::MouseButton button, QPoint pos);
    void CloseCapsMenuClick() { CloseClick(); }
    void KeepOnTopCapsMenuClick() { KeepOnTopClick(); }
    void PrintCapsMenuClick() { PrintClick(); }
    void HideCapsMenuClick() { HideClick(); }
    void PosCapsMenuClick() { ModeClick(CCapsPlane::ModePosition); }
    void pFCapsMenuClick() { ModeClick(CCapsPlane::ModePf); }

protected:
    void DrawChart(QPainter& painter, const QSize& size) override;
    STracePoint SamplePoint(const CDataRec& rec) const override;
    std::string ReadOut(int x, int y) const override;
    // Closing this window hides the tuning model window too.
    void Closed() override;

private:
    void DrawModel(QPainter& p);

    SCapsGeometry g_;
    TSmithForm* smith_ = nullptr;
};

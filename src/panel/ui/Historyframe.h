#pragma once
// The history plot's controls below the main window's lower readings pane: the time axis
// TimePaintBox, the scroll bar DisplayScrollBar and the zoom buttons, and the drag zoom on the
// pane itself with its two marker lines. The rules live in CHistoryPlot; this frame wires them
// to the controls and repaints the pane's plot items after the view changed.

#include "panel/Historyplot.h"

#include <QPointer>
#include <QWidget>
#include <functional>

class CData;
class QBoxLayout;
class QMouseEvent;
class QScrollBar;
class QToolButton;
class TPaneListBox;

// A box whose paint is the frame's handler.
class TTimePaintBox : public QWidget {
    Q_OBJECT
public:
    using QWidget::QWidget;
    std::function<void(QPainter&)> OnPaint;

protected:
    void paintEvent(QPaintEvent* event) override;
};

class THistoryPlotFrame : public QWidget {
    Q_OBJECT
public:
    struct SLinks {
        const CData* Data = nullptr;
        TPaneListBox* Pane = nullptr;          // the lower readings pane
        std::function<bool()> TimerOn;         // the read timer runs
        std::function<void()> RepaintPlots;    // the lower pane's plot items, without scrolling
    };

    explicit THistoryPlotFrame(CPlotView& view, QWidget* parent = nullptr);
    ~THistoryPlotFrame() override;
    void Bind(const SLinks& links);

    QScrollBar* DisplayScrollBar = nullptr;
    QToolButton* ZoomOutBtn = nullptr;
    QToolButton* ZoomInBtn = nullptr;
    QToolButton* ZoomAutoBtn = nullptr;
    TTimePaintBox* TimePaintBox = nullptr;

    CHistoryPlot& Plot() { return plot_; }
    SHistoryState State() const;

    // Scroll bar from the view, then the time axis.
    void RefreshPlot();
    // The zoom buttons work only while the read timer is off.
    void SetZoomEnabled(bool enabled);
    // Another button of the history, made like the zoom buttons and put on their row.
    QToolButton* AddToolButton(const char* name, const char* text, const char* hint);
    // Marker line k at x on the pane: drawing a shown line again removes it.
    void DrawSelectionLine(int k, int x);

    // --- handlers ---------------------------------------------------------------------------
    void DisplayScrollBarScroll(int action);
    void ZoomOutBtnClick();
    void ZoomInBtnClick();
    void ZoomAutoBtnClick();
    void PaneListBox1MouseDown(QMouseEvent* event);
    void PaneListBox1MouseMove(QMouseEvent* event);
    void PaneListBox1MouseUp(QMouseEvent* event);
    void TimePaintBoxPaint(QPainter& painter);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The view changed: the plots repaint, the scroll bar and the time axis follow.
    void ViewChanged();
    void ShowLines();

    SLinks links_;
    QPointer<QWidget> viewport_; // the pane's viewport, watched for the mouse and its size
    CHistoryPlot plot_;
    QBoxLayout* toolRow_ = nullptr;
};

#pragma once
// The auto-finding window: lies over the connect button that was used and turns it into a stop
// button while every COM port and baud rate is tried. Modal result 1 found, 2 stopped, 3 not
// found.

#include "link/Autofind.h"
#include "link/Connectcontroller.h"

#include <QDialog>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>

class TConnectBarFrame;
class TzGauge;

class TAutoFindingForm : public QDialog {
public:
    static constexpr int TimerIntervalMs = 100;

    explicit TAutoFindingForm(IConnectionController* controller, QWidget* parent = nullptr);

    // The connect bar (port text and its port button), the connection dialog's port button and
    // the status frame's gauge.
    void SetBar(TConnectBarFrame* bar) { bar_ = bar; }
    void SetDialogButton(QWidget* button) { dialogButton_ = button; }
    void SetGauge(TzGauge* gauge) { gauge_ = gauge; }
    // Which stop button to use: the connect bar's look, or the dialog's.
    void SetFromConnectBar(bool fromConnectBar) { fromConnectBar_ = fromConnectBar; }
    // The first try at the current port found a unit of an unknown model or could not open it.
    void SetFirstTryFailed(bool failed) { firstTryFailed_ = failed; }

    void FormShow();
    void TimerTimer();
    QTimer* Timer() { return &timer_; }
    QToolButton* StopBtn() const { return stopBtn_; }
    QPushButton* Stop1Btn() const { return stop1Btn_; }

    // Escape or closing the window acts as the stop button: the search ends before the next
    // baud rate with result 2.
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    class View;
    // The stop button of the look the caller chose.
    QAbstractButton* ActiveStopButton() const;
    IConnectionController* controller_;
    TConnectBarFrame* bar_ = nullptr;
    QWidget* dialogButton_ = nullptr;
    TzGauge* gauge_ = nullptr;
    bool fromConnectBar_ = true;
    bool firstTryFailed_ = false;
    QToolButton* stopBtn_;
    QPushButton* stop1Btn_;
    QTimer timer_;
};

// Lays a borderless window exactly over a button.
void PlaceOverButton(QWidget* window, const QWidget* button);
// The picture of the stop buttons.
QIcon StopIcon();

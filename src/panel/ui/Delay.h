#pragma once
// The count-down window that makes the user wait while the unit restarts after a setup change.

#include "panel/Countdown.h"

#include <QDialog>

class QLabel;
class QProgressBar;
class QTimer;

class TDelayForm : public QDialog {
    Q_OBJECT
public:
    explicit TDelayForm(QWidget* parent = nullptr);

    QLabel* Label = nullptr;
    QProgressBar* ProgressBar = nullptr;
    QTimer* Timer = nullptr;

    // Duration in ms (7000 after construction); set before showing.
    int Duration() const { return countdown_.Duration; }
    void SetDuration(int ms) { countdown_.Duration = ms; }
    int Elapsed() const { return countdown_.Elapsed; }

    void FormShow();
    void TimerTimer();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void done(int result) override;

private:
    void ShowProgress();
    CCountdown countdown_;
};

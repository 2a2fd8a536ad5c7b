#pragma once
// The blinking window for a fault that stops the unit: what happened, what to do, and for the
// memory faults a button that re-initialises the unit's memory.

#include "panel/Faults.h"

#include <QDialog>
#include <functional>

class QLabel;
class QPlainTextEdit;
class QPushButton;
class QTimer;

class THardFaultForm : public QDialog {
    Q_OBJECT
public:
    static constexpr int BlinkIntervalMs = 500;

    explicit THardFaultForm(QWidget* parent = nullptr);

    // Runs the unit's memory init command (command 126 with parameter 1); the device result.
    std::function<int()> InitMemory;

    // Title, button and memo for a fault, then shown modally (without blocking the caller).
    void ShowFault(const SHardFault& fault);

    QLabel* Panel;
    QPlainTextEdit* Memo;
    QPushButton* CancelBtn;
    QPushButton* InitMemBtn;
    QTimer* HardFaultTimer;

    void HardFaultTimerTimer();
    void CancelBtnClick();
    void InitMemBtnClick();

    bool Highlighted() const { return highlighted_; }

protected:
    void showEvent(QShowEvent* event) override;
    void reject() override;

private:
    void SetHighlighted(bool on);
    bool highlighted_ = false;
};

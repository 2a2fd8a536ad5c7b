#pragma once
// Firmware flashing windows: the start dialog (frequency, OK or Cancel) and the progress
// dialog that polls the flash block every 500 ms and lets the user ask the library to stop.

#include "service/Flash.h"

#include <QDialog>

class QComboBox;
class QLabel;
class QProgressBar;
class QPushButton;
class QTimer;

class TStartFlashingForm : public QDialog {
    Q_OBJECT
public:
    explicit TStartFlashingForm(QWidget* parent = nullptr);
    QComboBox* FreqComboBox = nullptr;
    QPushButton* OkBtn = nullptr;
    QPushButton* CancelBtn = nullptr;
};

class TFlashProgressForm : public QDialog {
    Q_OBJECT
public:
    explicit TFlashProgressForm(QWidget* parent = nullptr);

    QLabel* Label = nullptr;
    QProgressBar* ProgressBar = nullptr;
    QPushButton* StopBtn = nullptr;
    QLabel* Panel = nullptr;
    QTimer* Timer = nullptr;

    // Shows the dialog modally over the block until the user closes it after the library
    // has returned.
    int Run(CFlashBlock& block);
    const CFlashProgressState& State() const { return state_; }

    void FormShow();
    void TimerTimer();
    void StopBtnClick();

protected:
    void showEvent(QShowEvent* event) override;
    void reject() override;
    void closeEvent(QCloseEvent* event) override;

private:
    void SetPanelColor(bool lime);

    CFlashBlock* block_ = nullptr;
    CFlashProgressState state_;
};

#include "panel/ui/Delay.h"

#include <QCloseEvent>
#include <QLabel>
#include <QProgressBar>
#include <QTimer>
#include <QVBoxLayout>

TDelayForm::TDelayForm(QWidget* parent) : QDialog(parent, Qt::Dialog | Qt::WindowStaysOnTopHint)
{
    setObjectName("DelayForm");
    setWindowTitle("Vantrel Orrery");
    auto* layout = new QVBoxLayout(this);
    Label = new QLabel(this);
    Label->setObjectName("Label");
    Label->setAlignment(Qt::AlignCenter);
    layout->addWidget(Label);
    ProgressBar = new QProgressBar(this);
    ProgressBar->setObjectName("ProgressBar");
    ProgressBar->setRange(0, 100);
    ProgressBar->setMinimumWidth(260);
    layout->addWidget(ProgressBar);
    Timer = new QTimer(this);
    Timer->setObjectName("Timer");
    Timer->setInterval(CCountdown::TickInterval);
    connect(Timer, &QTimer::timeout, this, &TDelayForm::TimerTimer);
}

void TDelayForm::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    FormShow();
}

void TDelayForm::FormShow()
{
    countdown_.Start();
    ShowProgress();
    Timer->start();
}

void TDelayForm::TimerTimer()
{
    if (countdown_.Tick(Timer->interval())) {
        ShowProgress();
        Timer->stop();
        close();
        return;
    }
    ShowProgress();
}

void TDelayForm::ShowProgress()
{
    ProgressBar->setValue(countdown_.Progress());
    Label->setText(QString::fromStdString(countdown_.Text()));
}

void TDelayForm::closeEvent(QCloseEvent* event)
{
    Timer->stop();
    QDialog::closeEvent(event);
}

void TDelayForm::done(int result)
{
    Timer->stop();
    QDialog::done(result);
}

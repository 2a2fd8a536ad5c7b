#include "service/ui/Flashing.h"

#include "platform/Color.h"
#include "zcomponents/Zcolor.h"
#include "zcomponents/Zwidgets.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

TStartFlashingForm::TStartFlashingForm(QWidget* parent) : QDialog(parent)
{
    setObjectName("StartFlashingForm");
    setWindowTitle("Flashing");
    auto* text = new QLabel("Enter frequency and click OK to continue, or click Cancel to exit.", this);
    text->setWordWrap(true);
    auto* warning = new QLabel("This operation will erase existing firmware !", this);
    warning->setObjectName("WarningPanel");
    warning->setAlignment(Qt::AlignCenter);
    warning->setFrameShape(QFrame::Panel);
    warning->setFrameShadow(QFrame::Sunken);
    QFont bold = warning->font();
    bold.setBold(true);
    warning->setFont(bold);
    FreqComboBox = new QComboBox(this);
    FreqComboBox->setObjectName("FreqComboBox");
    FreqComboBox->setEditable(true);
    FreqComboBox->addItems({"20", "32"});
    FreqComboBox->setEditText("32");
    auto* freqLabel = new QLabel("Frequency, MHz", this);
    freqLabel->setBuddy(FreqComboBox);
    OkBtn = new QPushButton("OK", this);
    OkBtn->setObjectName("OkBtn");
    OkBtn->setDefault(true);
    CancelBtn = new QPushButton("Cancel", this);
    CancelBtn->setObjectName("CancelBtn");

    auto* freq = new QHBoxLayout;
    freq->addWidget(freqLabel);
    freq->addWidget(FreqComboBox);
    freq->addStretch();
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(OkBtn);
    buttons->addWidget(CancelBtn);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(text);
    layout->addLayout(freq);
    layout->addWidget(warning);
    layout->addLayout(buttons);
    connect(OkBtn, &QPushButton::clicked, this, &QDialog::accept);
    connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
}

TFlashProgressForm::TFlashProgressForm(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowStaysOnTopHint)
{
    setObjectName("FlashProgressForm");
    setWindowTitle("Flashing");
    setModal(true);
    Label = new QLabel(this);
    Label->setObjectName("Label");
    Label->setMinimumWidth(340);
    ProgressBar = new QProgressBar(this);
    ProgressBar->setObjectName("ProgressBar");
    ProgressBar->setRange(0, 100);
    ProgressBar->setTextVisible(false);
    Panel = new QLabel(CFlashProgressState::TextRecycle, this);
    Panel->setObjectName("Panel");
    Panel->setAlignment(Qt::AlignCenter);
    Panel->setAutoFillBackground(true);
    Panel->setMinimumHeight(28);
    StopBtn = new QPushButton(CFlashProgressState::TextStop, this);
    StopBtn->setObjectName("StopBtn");
    Timer = new QTimer(this);
    Timer->setObjectName("Timer");
    Timer->setInterval(CFlashProgressState::IntervalMs);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(StopBtn);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Label);
    layout->addWidget(ProgressBar);
    layout->addWidget(Panel);
    layout->addLayout(buttons);
    connect(Timer, &QTimer::timeout, this, &TFlashProgressForm::TimerTimer);
    connect(StopBtn, &QPushButton::clicked, this, &TFlashProgressForm::StopBtnClick);
}

int TFlashProgressForm::Run(CFlashBlock& block)
{
    block_ = &block;
    const int result = exec();
    Timer->stop();
    block_ = nullptr;
    return result;
}

void TFlashProgressForm::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    FormShow();
}

void TFlashProgressForm::FormShow()
{
    state_.Show();
    Label->setText(CFlashProgressState::TextStarting);
    Label->repaint();
    StopBtn->setText(CFlashProgressState::TextStop);
    StopBtn->setEnabled(true);
    ProgressBar->setValue(0);
    ProgressBar->setVisible(true);
    Panel->setVisible(false);
    Timer->start();
}

void TFlashProgressForm::TimerTimer()
{
    if (!block_)
        return;
    Label->setText(QString::fromStdString(block_->StatusText()));
    ProgressBar->setValue(block_->Progress());
    if (state_.Tick(block_->Busy())) {
        StopBtn->setEnabled(true);
        StopBtn->setText(CFlashProgressState::TextOk);
        ProgressBar->setVisible(false);
        Panel->setVisible(true);
    }
    if (state_.Finished())
        SetPanelColor(state_.Blink());
}

void TFlashProgressForm::StopBtnClick()
{
    switch (state_.Stop()) {
    case CFlashProgressState::StopAction::Close:
        Timer->stop();
        QDialog::accept();
        break;
    case CFlashProgressState::StopAction::Abort:
        StopBtn->setEnabled(false);
        Label->setText(CFlashProgressState::TextTerminating);
        if (block_)
            block_->RequestAbort();
        break;
    case CFlashProgressState::StopAction::Nothing:
        break;
    }
}

void TFlashProgressForm::SetPanelColor(bool lime)
{
    SetPaletteColor(Panel, QPalette::Window, lime ? QColor(0x00, 0xFF, 0x00) : ColorToQColor(clBtnFace));
}

void TFlashProgressForm::reject() {} // only the OK button closes it

void TFlashProgressForm::closeEvent(QCloseEvent* event)
{
    if (state_.Current() != CFlashProgressState::State::Closed)
        event->ignore();
    else
        QDialog::closeEvent(event);
}

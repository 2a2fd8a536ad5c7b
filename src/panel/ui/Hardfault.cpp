#include "panel/ui/Hardfault.h"

#include "common/Helpers.h"
#include "platform/Color.h"
#include "zcomponents/Zcolor.h"
#include "zcomponents/Zwidgets.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace {
const char* const CyclePowerText = "Cycle Vantrel power and press Ok";
}

THardFaultForm::THardFaultForm(QWidget* parent) : QDialog(parent)
{
    setObjectName("HardFaultForm");
    setWindowTitle("HARDWARE FAULT");
    Panel = new QLabel("HARDWARE FAULT", this);
    Panel->setObjectName("Panel");
    Panel->setAlignment(Qt::AlignCenter);
    Panel->setAutoFillBackground(true);
    QFont big = Panel->font();
    big.setBold(true);
    big.setPointSize(big.pointSize() + 6);
    Panel->setFont(big);
    Panel->setMinimumHeight(48);

    Memo = new QPlainTextEdit(this);
    Memo->setObjectName("Memo");
    Memo->setReadOnly(true);
    QPalette memoPalette = Memo->palette();
    memoPalette.setColor(QPalette::Base, ColorToQColor(clBtnFace));
    Memo->setPalette(memoPalette);

    CancelBtn = new QPushButton("OK", this);
    CancelBtn->setObjectName("CancelBtn");
    InitMemBtn = new QPushButton("Init Memory", this);
    InitMemBtn->setObjectName("InitMemBtn");

    HardFaultTimer = new QTimer(this);
    HardFaultTimer->setObjectName("HardFaultTimer");
    HardFaultTimer->setInterval(BlinkIntervalMs);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(InitMemBtn);
    buttons->addWidget(CancelBtn);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Panel);
    layout->addWidget(Memo);
    layout->addLayout(buttons);
    resize(380, 220);

    connect(HardFaultTimer, &QTimer::timeout, this, &THardFaultForm::HardFaultTimerTimer);
    connect(CancelBtn, &QPushButton::clicked, this, &THardFaultForm::CancelBtnClick);
    connect(InitMemBtn, &QPushButton::clicked, this, &THardFaultForm::InitMemBtnClick);
    SetHighlighted(false);
}

void THardFaultForm::ShowFault(const SHardFault& fault)
{
    Panel->setText(QString::fromStdString(fault.Title));
    InitMemBtn->setVisible(fault.InitMemVisible);
    QStringList lines;
    for (const std::string& l : fault.MemoLines)
        lines << QString::fromStdString(l);
    Memo->setPlainText(lines.join('\n'));
    setWindowModality(Qt::ApplicationModal);
    if (isVisible())
        HardFaultTimer->start();
    else
        open();
}

void THardFaultForm::SetHighlighted(bool on)
{
    highlighted_ = on;
    SetPaletteColor(Panel, QPalette::Window, ColorToQColor(on ? clYellow : clBtnFace));
}

void THardFaultForm::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    HardFaultTimer->start();
}

void THardFaultForm::HardFaultTimerTimer()
{
    SetHighlighted(!highlighted_);
    Beep();
}

void THardFaultForm::CancelBtnClick()
{
    HardFaultTimer->stop();
    QDialog::reject();
}

void THardFaultForm::reject()
{
    CancelBtnClick();
}

void THardFaultForm::InitMemBtnClick()
{
    HardFaultTimer->stop();
    int result = InitMemory ? InitMemory() : -1;
    if (result != 0)
        return; // the status frame shows why; the window stays, no longer blinking
    ShowMessageBox("", CyclePowerText);
    QDialog::reject();
}

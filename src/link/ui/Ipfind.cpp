#include "link/ui/Ipfind.h"

#include "link/ui/Autofinding.h"
#include "zcomponents/Zwidgets.h"

#include <QStackedLayout>

TIPFindForm::TIPFindForm(IConnectionController* controller, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint), controller_(controller)
{
    setObjectName("IPFindForm");
    auto* layout = new QStackedLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    stopBtn_ = NewNamed<QToolButton>(this, "StopBtn");
    stopBtn_->setIcon(StopIcon());
    stop1Btn_ = NewNamedButton(this, "Stop1Btn", "Stop");
    layout->addWidget(stopBtn_);
    layout->addWidget(stop1Btn_);
    connect(stopBtn_, &QToolButton::clicked, this, [this] { StopBtnClick(); });
    connect(stop1Btn_, &QPushButton::clicked, this, [this] { StopBtnClick(); });
    timer_.setObjectName("IPFindTimer");
    timer_.setInterval(TimerIntervalMs);
    connect(&timer_, &QTimer::timeout, this, [this] { IPFindTimerTimer(); });
}

TIPFindForm::~TIPFindForm() = default; // a running lookup is abandoned, never waited for

void TIPFindForm::SetButtons(QWidget* barButton, QWidget* dialogButton)
{
    barButton_ = barButton;
    dialogButton_ = dialogButton;
}

void TIPFindForm::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    FormShow();
}

void TIPFindForm::FormShow()
{
    PlaceOverButton(this, fromConnectBar_ ? barButton_ : dialogButton_);
    static_cast<QStackedLayout*>(layout())->setCurrentWidget(fromConnectBar_ ? static_cast<QWidget*>(stopBtn_)
                                                                             : static_cast<QWidget*>(stop1Btn_));
    const std::string site = controller_ ? controller_->Link().site : std::string();
    if (lookup_)
        lookup_->Abandon();
    lookup_ = std::make_unique<CGetHostByName>(site, resolver_);
    lookup_->Start();
    timer_.start();
}

void TIPFindForm::IPFindTimerTimer()
{
    if (!lookup_)
        return;
    const int result = lookup_->Result();
    if (result == CGetHostByName::Waiting)
        return;
    timer_.stop();
    if (result == CGetHostByName::Resolved) {
        if (controller_)
            controller_->SetIPAddress(lookup_->Address());
        done(1);
    } else {
        done(3);
    }
}

void TIPFindForm::reject()
{
    StopBtnClick();
}

void TIPFindForm::StopBtnClick()
{
    timer_.stop();
    if (lookup_)
        lookup_->Abandon(); // whatever it finds later is not written
    done(2);
}

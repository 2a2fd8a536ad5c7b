#include "panel/ui/Accept.h"

#include <QButtonGroup>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

TAcceptForm::TAcceptForm(QWidget* parent) : QDialog(parent)
{
    setObjectName("AcceptForm");
    setWindowTitle("Vantrel Orrery");
    auto* layout = new QVBoxLayout(this);

    Memo = new QPlainTextEdit(this);
    Memo->setObjectName("Memo");
    Memo->setReadOnly(true);
    Memo->setPlainText("THIS SOFTWARE VERSION IS AN UNRELEASED, \n"
                       "PRELIMINARY VERSION. NO WARRANTIES \n"
                       "WHATSOEVER APPLY TO THIS PRODUCT. USE THIS \n"
                       "PRODUCT AT YOUR OWN RISK.");
    Memo->setMinimumSize(380, 90);
    layout->addWidget(Memo);

    RadioGroup = new QGroupBox(this);
    RadioGroup->setObjectName("RadioGroup");
    auto* radios = new QVBoxLayout(RadioGroup);
    AcceptButton = new QRadioButton("I accept", RadioGroup);
    DeclineButton = new QRadioButton("I do not accept", RadioGroup);
    radios->addWidget(AcceptButton);
    radios->addWidget(DeclineButton);
    group_ = new QButtonGroup(this);
    group_->addButton(AcceptButton, 0);
    group_->addButton(DeclineButton, 1);
    connect(group_, &QButtonGroup::idClicked, this, [this](int) { RadioGroupClick(); });
    layout->addWidget(RadioGroup);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    OkBtn = new QPushButton("OK", this);
    OkBtn->setObjectName("OkBtn");
    OkBtn->setEnabled(false);
    OkBtn->setDefault(true);
    connect(OkBtn, &QPushButton::clicked, this, &TAcceptForm::OkBtnClick);
    buttons->addWidget(OkBtn);
    layout->addLayout(buttons);
}

int TAcceptForm::ItemIndex() const { return group_->checkedId(); }

void TAcceptForm::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    OkBtn->setEnabled(ItemIndex() >= 0);
}

void TAcceptForm::RadioGroupClick() { OkBtn->setEnabled(ItemIndex() >= 0); }

void TAcceptForm::OkBtnClick()
{
    if (ItemIndex() == 0)
        done(QDialog::Accepted);
    else if (ItemIndex() == 1)
        done(QDialog::Rejected);
}

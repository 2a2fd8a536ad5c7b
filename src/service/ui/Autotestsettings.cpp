#include "service/ui/Autotestsettings.h"

#include "zcomponents/Zwidgets.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

TAutoTestSettingsForm::TAutoTestSettingsForm(QWidget* parent) : QDialog(parent)
{
    setObjectName("AutoTestSettingsForm");
    setWindowTitle("Settings");
    auto* outer = new QVBoxLayout(this);

    CMRadioGroup = new QGroupBox(" Auto-test mode ", this);
    CMRadioGroup->setObjectName("CMRadioGroup");
    auto* grid = new QGridLayout(CMRadioGroup);
    CMButtons = new QButtonGroup(this);
    const char* items[] = {"Continuous", "Cycles:", "Time (min):"};
    for (int i = 0; i < 3; ++i) {
        auto* b = new QRadioButton(items[i], CMRadioGroup);
        b->setObjectName(QString("CMRadio%1").arg(i));
        CMButtons->addButton(b, i);
        grid->addWidget(b, i, 0);
    }
    NEdit = new QLineEdit(CMRadioGroup);
    NEdit->setObjectName("NEdit");
    TEdit = new QLineEdit(CMRadioGroup);
    TEdit->setObjectName("TEdit");
    grid->addWidget(NEdit, 1, 1);
    grid->addWidget(TEdit, 2, 1);
    outer->addWidget(CMRadioGroup);

    auto* buttons = new QHBoxLayout;
    OkBtn = new QPushButton("OK", this);
    OkBtn->setObjectName("OkBtn");
    OkBtn->setDefault(true);
    CancelBtn = new QPushButton("Cancel", this);
    CancelBtn->setObjectName("CancelBtn");
    buttons->addStretch(1);
    buttons->addWidget(OkBtn);
    buttons->addWidget(CancelBtn);
    outer->addLayout(buttons);

    connect(OkBtn, &QPushButton::clicked, this, &TAutoTestSettingsForm::OkBtnClick);
    connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
}

void TAutoTestSettingsForm::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    FormShow();
}

void TAutoTestSettingsForm::FormShow()
{
    const SAutoTestMode m = links_.Get ? links_.Get() : SAutoTestMode{};
    if (QAbstractButton* b = CMButtons->button(m.Mode)) {
        b->setChecked(true);
    } else {
        CMButtons->setExclusive(false);
        for (QAbstractButton* other : CMButtons->buttons())
            other->setChecked(false);
        CMButtons->setExclusive(true);
    }
    NEdit->setText(Q(CAutoTestRules::CyclesText(m.Cycles)));
    TEdit->setText(Q(CAutoTestRules::MinutesText(m.Minutes)));
}

void TAutoTestSettingsForm::OkBtnClick()
{
    if (links_.Set)
        links_.Set(CAutoTestRules::FromDialog(CMButtons->checkedId(), NEdit->text().toStdString(),
                                              TEdit->text().toStdString()));
    accept();
}

#include "service/ui/Configpage.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

TConfigPage::TConfigPage(QWidget* parent) : QWidget(parent)
{
    setObjectName("ConfigPage");
    auto* v = new QVBoxLayout(this);
    SaveToFileBtn = new QPushButton("Save to File", this);
    SaveToFileBtn->setObjectName("SaveToFileBtn");
    RestoreFromFileBtn = new QPushButton("Restore from File", this);
    RestoreFromFileBtn->setObjectName("RestoreFromFileBtn");
    v->addWidget(SaveToFileBtn);
    v->addWidget(RestoreFromFileBtn);
    v->addStretch(1);
}

TRestoreFromFileForm::TRestoreFromFileForm(QWidget* parent) : QDialog(parent)
{
    setObjectName("RestoreFromFileForm");
    setWindowTitle("Restore");
    setModal(true);
    auto* v = new QVBoxLayout(this);
    v->addWidget(new QLabel("This operation will erase existing data.", this));
    CalCheckBox = new QCheckBox("Factory Setup", this);
    CalCheckBox->setObjectName("CalCheckBox");
    CfgCheckBox = new QCheckBox("User's Configuration", this);
    CfgCheckBox->setObjectName("CfgCheckBox");
    v->addWidget(CalCheckBox);
    v->addWidget(CfgCheckBox);
    v->addWidget(new QLabel("Do you want to continue ?", this));
    auto* buttons = new QHBoxLayout;
    YesBtn = new QPushButton("Yes", this);
    YesBtn->setObjectName("YesBtn");
    NoBtn = new QPushButton("No", this);
    NoBtn->setObjectName("NoBtn");
    buttons->addWidget(YesBtn);
    buttons->addWidget(NoBtn);
    v->addLayout(buttons);
    connect(YesBtn, &QPushButton::clicked, this, &QDialog::accept);
    connect(NoBtn, &QPushButton::clicked, this, &QDialog::reject);
}

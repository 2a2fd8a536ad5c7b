#include "panel/ui/Password.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

TPasswordForm::TPasswordForm(QWidget* parent) : QDialog(parent)
{
    setObjectName("PasswordForm");
    auto* layout = new QVBoxLayout(this);
    PromptLabel = new QLabel(this);
    PromptLabel->setObjectName("PromptLabel");
    layout->addWidget(PromptLabel);
    PasswordEdit = new QLineEdit(this);
    PasswordEdit->setObjectName("PasswordEdit");
    PasswordEdit->setEchoMode(QLineEdit::Password);
    layout->addWidget(PasswordEdit);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    OkBtn = new QPushButton("OK", this);
    OkBtn->setObjectName("OkBtn");
    OkBtn->setDefault(true);
    CancelBtn = new QPushButton("Cancel", this);
    CancelBtn->setObjectName("CancelBtn");
    buttons->addWidget(OkBtn);
    buttons->addWidget(CancelBtn);
    layout->addLayout(buttons);
    connect(OkBtn, &QPushButton::clicked, this, &QDialog::accept);
    connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
}

void TPasswordForm::Prepare(const QString& caption, const QString& prompt)
{
    setWindowTitle(caption);
    PromptLabel->setText(prompt);
    PasswordEdit->clear();
}

std::string TPasswordForm::TakeText()
{
    std::string text = PasswordEdit->text().toStdString();
    PasswordEdit->clear();
    return text;
}

void TPasswordForm::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    PasswordEdit->setFocus();
}

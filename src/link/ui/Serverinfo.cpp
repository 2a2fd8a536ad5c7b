#include "link/ui/Serverinfo.h"
#include "zcomponents/Zwidgets.h"

#include <QHBoxLayout>
#include <QVBoxLayout>

TServerInfoForm::TServerInfoForm(IConnectionController* controller, QWidget* parent)
    : QDialog(parent), controller_(controller)
{
    setObjectName("ServerInfoForm");
    setWindowTitle("Server Info");
    resize(420, 300);
    auto* layout = new QVBoxLayout(this);
    remoteMemo_ = NewNamed<QPlainTextEdit>(this, "RemoteMemo");
    remoteMemo_->setReadOnly(true);
    remoteMemo_->setLineWrapMode(QPlainTextEdit::NoWrap);
    remoteMemo_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    layout->addWidget(remoteMemo_, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    closeBtn_ = NewNamed<QPushButton>(this, "CloseBtn", "&Close");
    closeBtn_->setToolTip("Close window");
    buttons->addWidget(closeBtn_);
    layout->addLayout(buttons);
    connect(closeBtn_, &QPushButton::clicked, this, &QDialog::accept);
}

void TServerInfoForm::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    FormShow();
}

void TServerInfoForm::FormShow()
{
    remoteMemo_->clear();
    std::string text;
    const int r = controller_ ? controller_->ReadGatewayInformation(text) : linkerr::NotConnected;
    QString shown = r != 0 ? QString(ErrorText) : QString::fromStdString(text);
    shown.replace("\r\n", "\n");
    shown.replace('\r', '\n');
    remoteMemo_->setPlainText(shown);
}

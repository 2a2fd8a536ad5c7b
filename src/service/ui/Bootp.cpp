#include "service/ui/Bootp.h"

#include "common/Helpers.h"
#include "common/Registry.h"
#include "zcomponents/Zwidgets.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFontDatabase>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

TBootPForm::TBootPForm(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint)
{
    setObjectName("BootPForm");
    setWindowTitle(Caption);
    setModal(true);

    MACEdit = NewNamedEdit(this, "MACEdit", DefaultMAC);
    IPEdit = NewNamedEdit(this, "IPEdit", DefaultIP);
    MaskEdit = NewNamedEdit(this, "MaskEdit", DefaultMask);
    GateEdit = NewNamedEdit(this, "GateEdit", DefaultGate);
    ListenBtn = new QPushButton("&Listen", this);
    ListenBtn->setObjectName("ListenBtn");
    StopBtn = new QToolButton(this);
    StopBtn->setObjectName("StopBtn");
    StopBtn->setText("&Stop");
    ClearBtn = new QPushButton("&Clear", this);
    ClearBtn->setObjectName("ClearBtn");
    CloseBtn = new QPushButton("Close", this);
    CloseBtn->setObjectName("CloseBtn");
    Memo = new QPlainTextEdit(this);
    Memo->setObjectName("Memo");
    Memo->setReadOnly(true);
    Memo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Memo->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));

    auto* macRow = new QFormLayout;
    auto* macLabel = new QLabel("Unit M&AC address", this);
    macLabel->setBuddy(MACEdit);
    macRow->addRow(macLabel, MACEdit);
    auto* group = new QGroupBox("Unit IP configuration", this);
    auto* form = new QFormLayout(group);
    auto row = [&](const char* caption, QLineEdit* e) {
        auto* l = new QLabel(caption, group);
        l->setBuddy(e);
        form->addRow(l, e);
    };
    row("&IP address", IPEdit);
    row("Subnet &mask", MaskEdit);
    row("Default &gateway", GateEdit);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(ListenBtn);
    buttons->addWidget(StopBtn);
    buttons->addWidget(ClearBtn);
    buttons->addStretch();
    buttons->addWidget(CloseBtn);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(macRow);
    layout->addWidget(group);
    layout->addLayout(buttons);
    layout->addWidget(Memo);
    resize(460, 480);

    connect(ListenBtn, &QPushButton::clicked, this, &TBootPForm::ListenBtnClick);
    connect(StopBtn, &QToolButton::clicked, this, &TBootPForm::StopBtnClick);
    connect(ClearBtn, &QPushButton::clicked, this, &TBootPForm::ClearBtnClick);
    connect(CloseBtn, &QPushButton::clicked, this, &TBootPForm::CloseBtnClick);
    SetControlStates();
}

void TBootPForm::ExchangeSettings(CRegistry& store)
{
    store.SetSection("BootP");
    auto exchange = [&store](const char* key, QLineEdit* e) {
        e->setText(QString::fromStdString(store.ExchangeString(key, e->text().toStdString())));
    };
    exchange("IP", IPEdit);
    exchange("Mask", MaskEdit);
    exchange("Gate", GateEdit);
    exchange("MAC", MACEdit);
}

void TBootPForm::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    FormShow();
}

void TBootPForm::FormShow()
{
    listening_ = false;
    SetControlStates();
    for (const std::string& line : CBootPServer::HostIdentity())
        Log(line);
}

void TBootPForm::SetControlStates()
{
    StopBtn->setEnabled(listening_);
    for (QWidget* w : std::initializer_list<QWidget*>{ListenBtn, CloseBtn, MACEdit, IPEdit, MaskEdit, GateEdit})
        w->setEnabled(!listening_);
}

void TBootPForm::Log(const std::string& line) { Memo->appendPlainText(QString::fromStdString(line)); }

void TBootPForm::ClearBtnClick()
{
    Memo->clear();
    if (listening_)
        Log("Listening...");
}

void TBootPForm::ListenBtnClick()
{
    if (listening_)
        return;
    CBootPConfig config;
    std::string error;
    if (!config.Parse(MACEdit->text().toStdString(), IPEdit->text().toStdString(),
                      MaskEdit->text().toStdString(), GateEdit->text().toStdString(), error)) {
        ShowWarning(Caption, error);
        return;
    }
    listening_ = true;
    SetControlStates();
    ClearBtnClick();
    StopBtn->setDown(false);
    ServeBootP(config);
    StopBtn->setDown(false);
    listening_ = false;
    SetControlStates();
    Log("...Stop");
}

void TBootPForm::ServeBootP(const CBootPConfig& config)
{
    stop_ = false;
    CBootPServer server([this](const std::string& line) { Log(line); });
    server.SetPorts(ports_);
    if (!server.Open())
        return;
    for (;;) {
        QApplication::processEvents(QEventLoop::AllEvents);
        if (stop_)
            break;
        if (server.ServeOnce(config, PassMs) == CBootPServer::Pass::Failed)
            break;
    }
    server.Close();
}

void TBootPForm::reject()
{
    if (!listening_) // only Close leaves the window while it listens
        QDialog::reject();
}

void TBootPForm::closeEvent(QCloseEvent* event)
{
    if (listening_)
        event->ignore();
    else
        QDialog::closeEvent(event);
}

#include "service/ui/Tech.h"

#include "common/Helpers.h"
#include "device/Device.h"
#include "service/Techconsole.h"

#include <QFontDatabase>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

TTechForm::TTechForm(CDevice& device, std::function<void()> clearStatus, QWidget* parent)
    : QDialog(parent), device_(device), clearStatus_(std::move(clearStatus))
{
    setObjectName("TechForm");
    setWindowTitle("Technical");
    setModal(false);

    PageControl = new QTabWidget(this);
    PageControl->setObjectName("PageControl");
    OstraBusTabSheet = new QWidget(PageControl);
    OstraBusTabSheet->setObjectName("OstraBusTabSheet");
    PageControl->addTab(OstraBusTabSheet, "Ostrabus");

    auto named = [](auto* w, const char* name) {
        w->setObjectName(name);
        return w;
    };
    CmdEdit = named(new QLineEdit("128", OstraBusTabSheet), "CmdEdit");
    WriteEdit = named(new QLineEdit(OstraBusTabSheet), "WriteEdit");
    WrBytesText = named(new QLabel("0", OstraBusTabSheet), "WrBytesText");
    RdBytesText = named(new QLabel("0", OstraBusTabSheet), "RdBytesText");
    ReadMemo = named(new QPlainTextEdit(OstraBusTabSheet), "ReadMemo");
    ReadMemo->setReadOnly(true);
    ReadMemo->setLineWrapMode(QPlainTextEdit::NoWrap);
    ReadMemo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    ReadMemo->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    ErrorText = named(new QLabel(OstraBusTabSheet), "ErrorText");
    TimeEdit = named(new QLineEdit(OstraBusTabSheet), "TimeEdit");
    TimeEdit->setReadOnly(true);
    ExecuteBtn = named(new QPushButton("Execute", OstraBusTabSheet), "ExecuteBtn");
    ExecuteBtn->setToolTip("Execute Ostrabus command");
    ExecuteBtn->setDefault(true);
    ExecuteBtn->setAutoDefault(true);

    auto* grid = new QGridLayout(OstraBusTabSheet);
    grid->addWidget(new QLabel("Cmd:", OstraBusTabSheet), 0, 0);
    grid->addWidget(CmdEdit, 0, 1);
    grid->addWidget(new QLabel("Write:", OstraBusTabSheet), 1, 0);
    grid->addWidget(WriteEdit, 1, 1);
    grid->addWidget(new QLabel("Bytes", OstraBusTabSheet), 1, 2);
    grid->addWidget(WrBytesText, 1, 3);
    grid->addWidget(new QLabel("Read:", OstraBusTabSheet), 2, 0, Qt::AlignTop);
    grid->addWidget(ReadMemo, 2, 1);
    grid->addWidget(new QLabel("Bytes", OstraBusTabSheet), 2, 2, Qt::AlignTop);
    grid->addWidget(RdBytesText, 2, 3, Qt::AlignTop);
    grid->addWidget(new QLabel("Error:", OstraBusTabSheet), 3, 0);
    grid->addWidget(ErrorText, 3, 1, 1, 3);
    grid->addWidget(new QLabel("Execution time (ms): ", OstraBusTabSheet), 4, 0, 1, 1);
    grid->addWidget(TimeEdit, 4, 1);
    grid->addWidget(ExecuteBtn, 5, 1, Qt::AlignRight);
    grid->setColumnStretch(1, 1);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(PageControl);
    resize(460, 340);

    connect(ExecuteBtn, &QPushButton::clicked, this, &TTechForm::ExecuteBtnClick);
}

void TTechForm::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    FormShow();
}

void TTechForm::FormShow() { PageControl->setCurrentWidget(OstraBusTabSheet); }

void TTechForm::ExecuteBtnClick()
{
    if (clearStatus_)
        clearStatus_();
    const CTechCommand command = CTechConsole::ParseCommandText(CmdEdit->text().toStdString());
    const CTechRequest request = CTechConsole::ParseWriteText(WriteEdit->text().toStdString());
    const std::string refused = !command.ok ? command.error : !request.ok ? request.error : std::string();
    if (!refused.empty()) {
        ShowWarning(CTechConsole::Caption, refused + "\nThe command was not sent.");
        return;
    }
    const CTechReply reply = CTechConsole::Execute(device_, command.command, request.data);
    if (!request.data.empty())
        WrBytesText->setText(QString::number(reply.requestLength));
    TimeEdit->setText(QString::number(reply.elapsedMs));
    ReadMemo->clear();
    RdBytesText->setText(QString::number(reply.replyBytes));
    for (const std::string& line : reply.lines)
        ReadMemo->appendPlainText(QString::fromStdString(line));
    ErrorText->setText(QString::fromStdString(reply.resultText));
}

#include "link/ui/Ostrabuslog.h"

#include <QApplication>
#include <QClipboard>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

TOstraBusLogForm::TOstraBusLogForm(QWidget* parent, size_t lineLimit)
    : QWidget(parent, Qt::Tool), lines_(lineLimit)
{
    setObjectName("OstraBusLogForm");
    setWindowTitle("Ostra Bus log");
    setMinimumSize(300, 230);
    resize(520, 360);

    PauseBtn = new QToolButton(this);
    PauseBtn->setObjectName("PauseBtn");
    PauseBtn->setText("Pause");
    PauseBtn->setCheckable(true);
    ClearBtn = new QPushButton("Clear", this);
    ClearBtn->setObjectName("ClearBtn");
    CopyBtn = new QPushButton("Copy", this);
    CopyBtn->setObjectName("CopyBtn");
    CopyBtn->setToolTip("Copy log to clipboard");
    CloseBtn = new QPushButton("Close", this);
    CloseBtn->setObjectName("CloseBtn");
    LogMemo = new QPlainTextEdit(this);
    LogMemo->setObjectName("LogMemo");
    LogMemo->setReadOnly(true);
    LogMemo->setLineWrapMode(QPlainTextEdit::NoWrap);
    LogMemo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    LogMemo->setMaximumBlockCount(static_cast<int>(lines_.Limit()));

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(PauseBtn);
    buttons->addWidget(ClearBtn);
    buttons->addWidget(CopyBtn);
    buttons->addStretch();
    buttons->addWidget(CloseBtn);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(buttons);
    layout->addWidget(LogMemo);

    connect(PauseBtn, &QToolButton::clicked, this, &TOstraBusLogForm::PauseBtnClick);
    connect(ClearBtn, &QPushButton::clicked, this, &TOstraBusLogForm::ClearBtnClick);
    connect(CopyBtn, &QPushButton::clicked, this, &TOstraBusLogForm::CopyBtnClick);
    connect(CloseBtn, &QPushButton::clicked, this, &TOstraBusLogForm::CloseBtnClick);
    lines_.SetOnLine([this](const std::string& line) { LogMemo->appendPlainText(QString::fromStdString(line)); });
    InstallTrafficLog(&lines_);
}

TOstraBusLogForm::~TOstraBusLogForm()
{
    if (TrafficLog() == &lines_)
        InstallTrafficLog(nullptr);
}

void TOstraBusLogForm::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    FormShow();
}

void TOstraBusLogForm::hideEvent(QHideEvent* event)
{
    lines_.Hide();
    QWidget::hideEvent(event);
}

void TOstraBusLogForm::FormShow()
{
    lines_.Show();
    LogMemo->clear();
    PauseBtn->setChecked(false);
}

void TOstraBusLogForm::PauseBtnClick()
{
    PauseBtn->setChecked(lines_.TogglePause());
}

void TOstraBusLogForm::ClearBtnClick()
{
    lines_.Clear();
    LogMemo->clear();
}

void TOstraBusLogForm::CopyBtnClick()
{
    LogMemo->selectAll();
    LogMemo->copy();
    QTextCursor cursor = LogMemo->textCursor();
    cursor.clearSelection();
    LogMemo->setTextCursor(cursor);
}

void TOstraBusLogForm::CloseBtnClick() { hide(); }

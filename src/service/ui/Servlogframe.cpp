#include "service/ui/Servlogframe.h"

#include "service/ui/Pagecontrols.h"

#include <QHBoxLayout>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

TServLogFrame::TServLogFrame(QWidget* parent) : QWidget(parent)
{
    setObjectName("ServLogTab");
    auto* v = new QVBoxLayout(this);
    auto* row = new QHBoxLayout;
    SectorListBox = new QListWidget(this);
    SectorListBox->setObjectName("SectorListBox");
    SectorListBox->setMaximumWidth(90);
    ServLogMemo = pagecontrols::Listing(this, "ServLogMemo");
    row->addWidget(SectorListBox);
    row->addWidget(ServLogMemo, 1);
    v->addLayout(row, 1);
    auto* bar = new QHBoxLayout;
    bar->addStretch(1);
    SaveServLogBtn = new QPushButton("Save", this);
    SaveServLogBtn->setObjectName("SaveServLogBtn");
    bar->addWidget(SaveServLogBtn);
    v->addLayout(bar);
}

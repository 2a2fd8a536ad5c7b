#include "service/ui/Infopage.h"

#include "service/Inforeport.h"
#include "service/ui/Pagecontrols.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

TInfoPage::TInfoPage(QWidget* parent) : QWidget(parent)
{
    setObjectName("InfoPage");
    auto* v = new QVBoxLayout(this);
    auto* buttons = new QHBoxLayout;
    auto button = [this, buttons](const char* name, const char* text, const char* hint) {
        auto* b = NewNamedButton(this, name, text, hint);
        buttons->addWidget(b);
        return b;
    };
    ConfigInfoBtn = button("ConfigInfoBtn", "Configuration", "Read configuration");
    ServLogBtn = button("ServLogBtn", "Statistics", "Read statistics");
    FaultsInfoBtn = button("FaultsInfoBtn", "Faults", "Read faults");
    buttons->addStretch(1);
    StatsTextLabel = new QLabel(inforeport::ClickToUpdate, this);
    StatsTextLabel->setObjectName("StatsTextLabel");
    buttons->addWidget(StatsTextLabel);
    v->addLayout(buttons);
    StatsLabel = new QLabel(this);
    StatsLabel->setObjectName("StatsLabel");
    v->addWidget(StatsLabel);
    StatsMemo = pagecontrols::Listing(this, "StatsMemo");
    v->addWidget(StatsMemo, 1);
}

#include "service/ui/Tuningpage.h"

#include "device/Device.h"
#include "service/Fieldcheck.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

using namespace pagecontrols;

TTuningPage::TTuningPage(TMainServiceSide& side) : TUnitPage(side, "TuningPage")
{
    auto* outer = new QVBoxLayout(this);
    auto* g = new QGridLayout;
    StopStartComboBox = Combo(this, "StopStartComboBox", {"VSWR", "P rfl"});
    StopStartLabel = new QLabel("VSWR", this);
    StopStartLabel->setObjectName("StopStartLabel");
    StopEdit = Edit(this, "StopEdit", "1.20");
    StartEdit = Edit(this, "StartEdit", "1.30");
    MagShEdit = Edit(this, "MagShEdit", "1.00");
    PhaseShEdit = Edit(this, "PhaseShEdit", "0.00");
    MagSerEdit = Edit(this, "MagSerEdit", "0.00");
    PhaseSerEdit = Edit(this, "PhaseSerEdit", "1.00");
    ShMaxStepEdit = Edit(this, "ShMaxStepEdit", "10");
    SerMaxStepEdit = Edit(this, "SerMaxStepEdit", "10");
    SerMinStepEdit = Edit(this, "SerMinStepEdit", "1.0");
    ShMinStepEdit = Edit(this, "ShMinStepEdit", "0");
    ShMinStepEdit->setReadOnly(true);
    ShMinStepEdit->setEnabled(false);
    HoldShuntCheckBox = new QCheckBox("Hold load capacitor", this);
    HoldShuntCheckBox->setObjectName("HoldShuntCheckBox");
    IntegralComboBox = Combo(this, "IntegralComboBox", {"None", "2", "4", "8", "16", "32", "64", "128", "256"});
    RTargetEdit = Edit(this, "RTargetEdit", "50.0");
    XTargetEdit = Edit(this, "XTargetEdit", "0.0");

    auto* criterion = new QHBoxLayout;
    criterion->addWidget(StopStartComboBox);
    criterion->addWidget(StopStartLabel);
    g->addLayout(criterion, 0, 0);
    g->addWidget(new QLabel("Stop", this), 0, 1);
    g->addWidget(StopEdit, 0, 2);
    g->addWidget(new QLabel("Start", this), 0, 3);
    g->addWidget(StartEdit, 0, 4);
    g->addWidget(new QLabel("Load", this), 1, 1, 1, 2);
    g->addWidget(new QLabel("Tune", this), 1, 3, 1, 2);
    auto row = [&](int r, const char* label, QWidget* load, QWidget* tune) {
        g->addWidget(new QLabel(label, this), r, 0);
        g->addWidget(load, r, 2);
        g->addWidget(tune, r, 4);
    };
    row(2, "Magnitude", MagShEdit, MagSerEdit);
    row(3, "Phase", PhaseShEdit, PhaseSerEdit);
    row(4, "Max step %", ShMaxStepEdit, SerMaxStepEdit);
    row(5, "Min step %", ShMinStepEdit, SerMinStepEdit);
    g->addWidget(HoldShuntCheckBox, 6, 0, 1, 3);
    g->addWidget(new QLabel("Integral", this), 7, 0);
    g->addWidget(IntegralComboBox, 7, 2);
    g->addWidget(new QLabel("R target", this), 8, 0);
    g->addWidget(RTargetEdit, 8, 2);
    g->addWidget(new QLabel("X target", this), 8, 3);
    g->addWidget(XTargetEdit, 8, 4);
    g->setColumnStretch(5, 1);
    outer->addLayout(g);
    outer->addStretch(1);
    auto* bar = new QHBoxLayout;
    DefTuningBtn = Button(this, "DefTuningBtn", "Defaults");
    SendTuningBtn = Button(this, "SendTuningBtn", "Send");
    ReadTuningBtn = Button(this, "ReadTuningBtn", "Read");
    bar->addWidget(DefTuningBtn);
    bar->addStretch(1);
    bar->addWidget(SendTuningBtn);
    bar->addWidget(ReadTuningBtn);
    outer->addLayout(bar);

    for (QLineEdit* e : findChildren<QLineEdit*>())
        connect(e, &QLineEdit::textChanged, this, [this] { TuningEditChange(); });
    connect(HoldShuntCheckBox, &QCheckBox::toggled, this, [this] { TuningEditChange(); });
    connect(IntegralComboBox, &QComboBox::currentIndexChanged, this, [this] { TuningEditChange(); });
    connect(StopStartComboBox, &QComboBox::currentIndexChanged, this, [this] { StopStartComboBoxChange(); });
    connect(DefTuningBtn, &QPushButton::clicked, this, [this] { DefTuningBtnClick(); });
    connect(SendTuningBtn, &QPushButton::clicked, this, [this] { SendTuningBtnClick(); });
    connect(ReadTuningBtn, &QPushButton::clicked, this, [this] { ReadTuningBtnClick(); });
    ShowHints(0);
    UpdateUnitType();
}

void TTuningPage::UpdateUnitType()
{
    const bool choice = Device().PinBit30();
    StopStartComboBox->setVisible(choice);
    StopStartLabel->setVisible(!choice);
}

void TTuningPage::ShowHints(int criterion)
{
    StopEdit->setToolTip(StopHint(criterion));
    StartEdit->setToolTip(StartHint(criterion));
}

void TTuningPage::ShowTexts(const CTuningTexts& t)
{
    filling_ = true;
    StopStartComboBox->setCurrentIndex(t.criterion);
    SetText(StopEdit, t.stop);
    SetText(StartEdit, t.start);
    ShowHints(t.criterion);
    SetText(MagShEdit, t.magSh);
    SetText(MagSerEdit, t.magSer);
    SetText(PhaseShEdit, t.phaseSh);
    SetText(PhaseSerEdit, t.phaseSer);
    SetText(ShMaxStepEdit, t.shMaxStep);
    SetText(SerMaxStepEdit, t.serMaxStep);
    SetText(SerMinStepEdit, t.serMinStep);
    HoldShuntCheckBox->setChecked(t.hold);
    IntegralComboBox->setCurrentIndex(t.integral);
    SetText(RTargetEdit, t.rTarget);
    SetText(XTargetEdit, t.xTarget);
    filling_ = false;
}

CTuningTexts TTuningPage::Texts() const
{
    CTuningTexts t;
    t.criterion = StopStartComboBox->currentIndex();
    t.stop = Text(StopEdit);
    t.start = Text(StartEdit);
    t.magSh = Text(MagShEdit);
    t.magSer = Text(MagSerEdit);
    t.phaseSh = Text(PhaseShEdit);
    t.phaseSer = Text(PhaseSerEdit);
    t.shMaxStep = Text(ShMaxStepEdit);
    t.serMaxStep = Text(SerMaxStepEdit);
    t.serMinStep = Text(SerMinStepEdit);
    t.hold = HoldShuntCheckBox->isChecked();
    t.integral = std::max(0, IntegralComboBox->currentIndex());
    t.rTarget = Text(RTargetEdit);
    t.xTarget = Text(XTargetEdit);
    return t;
}

int TTuningPage::ReadTuning()
{
    CTuningData data;
    const int r = ReadTuningData(Device(), data);
    if (r != 0)
        return r;
    ShowTexts(TuningTexts(data, Device().PinBit30()));
    MarkUnsent(SendTuningBtn, false);
    return 0;
}

void TTuningPage::ReadTuningBtnClick()
{
    ClearStatus();
    ReadDone(ReadTuning() != 0 ? "Tuning" : "");
}

void TTuningPage::SendTuningBtnClick()
{
    CTuningData data;
    std::string error;
    if (!ParseTuningTexts(Texts(), Device().PinBit30(), Device().Model(), data, error)) {
        RefuseSend(error);
        return;
    }
    ClearStatus();
    if (SendTuningData(Device(), data) != 0)
        return;
    ReadTuning();
    CommandAccepted();
}

void TTuningPage::StopStartComboBoxChange()
{
    if (filling_)
        return;
    const int criterion = StopStartComboBox->currentIndex() == 1 ? 1 : 0;
    const CModelParams& m = Device().Model();
    std::string stop, start;
    StopStartTexts(criterion, m.vswrStop, m.vswrStart, m.rflStop, m.rflStart, stop, start);
    filling_ = true;
    SetText(StopEdit, stop);
    SetText(StartEdit, start);
    filling_ = false;
    ShowHints(criterion);
    TuningEditChange();
}

void TTuningPage::DefTuningBtnClick()
{
    CTuningTexts t = Texts();
    TuningDefaults(t, Device().Has3rdCap());
    ShowTexts(t);
    MarkUnsent(SendTuningBtn, true);
}

void TTuningPage::TuningEditChange()
{
    if (!filling_)
        MarkUnsent(SendTuningBtn, true);
}

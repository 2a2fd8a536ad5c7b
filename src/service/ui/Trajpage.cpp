#include "service/ui/Trajpage.h"

#include "common/Helpers.h"
#include "service/Fieldcheck.h"
#include "device/Device.h"
#include "service/ui/Mainserviceside.h"

#include <QButtonGroup>
#include <algorithm>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabBar>
#include <QToolButton>
#include <QVBoxLayout>

using namespace pagecontrols;

namespace {

constexpr int LoadCap = 0, TuneCap = 1;

std::string Name(const char* prefix, int i, const char* suffix)
{
    return prefix + std::to_string(i) + suffix;
}

} // namespace

TTrajPage::TTrajPage(TMainServiceSide& side) : TUnitPage(side, "TrajPage")
{
    auto* outer = new QVBoxLayout(this);
    auto* sets = new QHBoxLayout;
    auto* group = new QButtonGroup(this);
    for (int s = 0; s < Sets; ++s) {
        auto* b = new QToolButton(this);
        b->setObjectName(Q(Name("Set", s + 1, "Btn")));
        b->setToolTip(Q(Name("Activate set ", s + 1, "")));
        b->setCheckable(true);
        b->setMinimumWidth(60);
        group->addButton(b);
        SetBtns[s] = b;
        sets->addWidget(b);
        connect(b, &QToolButton::clicked, this, [this, s] { SetBtnClick(s); });
    }
    sets->addStretch(1);
    outer->addLayout(sets);

    TrajTab = new QTabBar(this);
    TrajTab->setObjectName("TrajTab");
    for (int s = 0; s < Sets; ++s)
        TrajTab->addTab(Q(Name("Set ", s + 1, "")));
    outer->addWidget(TrajTab);

    auto* g = new QGridLayout;
    static const char* const PointCaptions[Points] = {"Init", "1", "2", "3"};
    g->addWidget(new QLabel("Load %", this), 0, 1);
    g->addWidget(new QLabel("pF", this), 0, 2);
    g->addWidget(new QLabel("Tune %", this), 0, 3);
    g->addWidget(new QLabel("pF", this), 0, 4);
    g->addWidget(new QLabel("Delay s", this), 0, 5);
    for (int p = 0; p < Points; ++p) {
        PointBtns[p] = new QRadioButton(PointCaptions[p], this);
        PointBtns[p]->setObjectName(Q(Name("Point", p, "Btn")));
        ShEdits[p] = Edit(this, Name("Sh", p, "Edit").c_str());
        ShTexts[p] = Readout(this, Name("Sh", p, "Text").c_str());
        SerEdits[p] = Edit(this, Name("Ser", p, "Edit").c_str());
        SerTexts[p] = Readout(this, Name("Ser", p, "Text").c_str());
        DelEdits[p] = Edit(this, Name("Del", p, "Edit").c_str());
        const int row = p + 1;
        g->addWidget(PointBtns[p], row, 0);
        g->addWidget(ShEdits[p], row, 1);
        g->addWidget(ShTexts[p], row, 2);
        g->addWidget(SerEdits[p], row, 3);
        g->addWidget(SerTexts[p], row, 4);
        g->addWidget(DelEdits[p], row, 5);
        connect(PointBtns[p], &QRadioButton::clicked, this, [this] { EnableTrajItems(); });
        connect(ShEdits[p], &QLineEdit::textChanged, this, [this] { TrajEditChange(); });
        connect(SerEdits[p], &QLineEdit::textChanged, this, [this] { TrajEditChange(); });
        connect(DelEdits[p], &QLineEdit::textChanged, this, [this] { DelEditChange(); });
    }
    ShMinEdit = Edit(this, "ShMinEdit", "0");
    ShMaxEdit = Edit(this, "ShMaxEdit", "100");
    SerMinEdit = Edit(this, "SerMinEdit", "0");
    SerMaxEdit = Edit(this, "SerMaxEdit", "100");
    ShMinText = Readout(this, "ShMinText");
    ShMaxText = Readout(this, "ShMaxText");
    SerMinText = Readout(this, "SerMinText");
    SerMaxText = Readout(this, "SerMaxText");
    g->addWidget(new QLabel("Min", this), 5, 0);
    g->addWidget(ShMinEdit, 5, 1);
    g->addWidget(ShMinText, 5, 2);
    g->addWidget(SerMinEdit, 5, 3);
    g->addWidget(SerMinText, 5, 4);
    g->addWidget(new QLabel("Max", this), 6, 0);
    g->addWidget(ShMaxEdit, 6, 1);
    g->addWidget(ShMaxText, 6, 2);
    g->addWidget(SerMaxEdit, 6, 3);
    g->addWidget(SerMaxText, 6, 4);
    for (QLineEdit* e : {ShMinEdit, ShMaxEdit, SerMinEdit, SerMaxEdit})
        connect(e, &QLineEdit::textChanged, this, [this] { TrajEditChange(); });
    g->setColumnStretch(6, 1);
    outer->addLayout(g);
    outer->addStretch(1);

    auto* bar = new QHBoxLayout;
    ResetMinMaxBtn = Button(this, "ResetMinMaxBtn", "Reset Min/Max");
    SendTrajBtn = Button(this, "SendTrajBtn", "Send");
    ReadTrajBtn = Button(this, "ReadTrajBtn", "Read");
    bar->addWidget(ResetMinMaxBtn);
    bar->addStretch(1);
    bar->addWidget(SendTrajBtn);
    bar->addWidget(ReadTrajBtn);
    outer->addLayout(bar);

    connect(TrajTab, &QTabBar::currentChanged, this, [this](int tab) { TrajTabChange(tab); });
    connect(ResetMinMaxBtn, &QPushButton::clicked, this, [this] { ResetMinMaxBtnClick(); });
    connect(SendTrajBtn, &QPushButton::clicked, this, [this] { SendTrajBtnClick(); });
    connect(ReadTrajBtn, &QPushButton::clicked, this, [this] { ReadTrajBtnClick(); });

    filling_ = true;
    texts_ = TrajTexts(CTrajData{});
    SelectTrajectorySet(0);
    filling_ = false;
}

int TTrajPage::CheckedPoint() const
{
    for (int p = 0; p < Points; ++p)
        if (PointBtns[p]->isChecked())
            return p;
    return -1;
}

void TTrajPage::MarkUnsent()
{
    if (!filling_)
        pagecontrols::MarkUnsent(SendTrajBtn, true);
}

int TTrajPage::ReadTrajectories()
{
    CTrajData data;
    const int r = ReadTrajData(Device(), data);
    if (r != 0)
        return r;
    filling_ = true;
    texts_ = TrajTexts(data);
    MarkActiveTrajectorySet(data.active);
    SelectTrajectorySet(data.active);
    SetText(ShMinEdit, texts_.loadMin);
    SetText(ShMaxEdit, texts_.loadMax);
    SetText(SerMinEdit, texts_.tuneMin);
    SetText(SerMaxEdit, texts_.tuneMax);
    filling_ = false;
    UpdateCTexts();
    Host().RefreshUnitView();
    pagecontrols::MarkUnsent(SendTrajBtn, false);
    return 0;
}

void TTrajPage::ReadTrajBtnClick()
{
    ClearStatus();
    ReadDone(ReadTrajectories() != 0 ? "Trajectories" : "");
}

void TTrajPage::SendTrajBtnClick()
{
    ClearStatus();
    StoreTrajectoryEdits();
    texts_.loadMin = Text(ShMinEdit);
    texts_.loadMax = Text(ShMaxEdit);
    texts_.tuneMin = Text(SerMinEdit);
    texts_.tuneMax = Text(SerMaxEdit);
    CTrajData data;
    std::string error;
    if (!ParseTrajTexts(texts_, data, error)) {
        RefuseSend(error);
        return;
    }
    if (SendTrajData(Device(), data) != 0)
        return;
    ReadTrajectories();
    CommandAccepted();
}

void TTrajPage::SetBtnClick(int set)
{
    StoreTrajectoryEdits();
    SelectTrajectorySet(set);
    MarkUnsent();
}

void TTrajPage::TrajTabChange(int tab)
{
    if (tab == shownSet_)
        return;
    StoreTrajectoryEdits(); // the edits still show the previous set
    shownSet_ = tab;
    ShowTrajectorySet();
}

void TTrajPage::EnableTrajItems()
{
    EnableTrajectoryEdits();
    MarkUnsent();
}

void TTrajPage::TrajEditChange()
{
    UpdateCTexts();
    MarkUnsent();
}

void TTrajPage::DelEditChange() { MarkUnsent(); }

void TTrajPage::ResetMinMaxBtnClick()
{
    ShMinEdit->setText("0");
    SerMinEdit->setText("0");
    ShMaxEdit->setText("100");
    SerMaxEdit->setText("100");
    TrajEditChange();
}

void TTrajPage::MarkActiveTrajectorySet(int set)
{
    for (int s = 0; s < Sets; ++s)
        SetBtns[s]->setText(s == set ? "Active" : "");
}

void TTrajPage::SelectTrajectorySet(int set)
{
    set = ValidTrajSet(set);
    SetBtns[set]->setChecked(true);
    texts_.selected = set;
    const bool was = filling_;
    filling_ = true;
    if (TrajTab->currentIndex() != set) {
        shownSet_ = set; // the edits are stored by the caller
        TrajTab->setCurrentIndex(set);
    }
    shownSet_ = set;
    ShowTrajectorySet();
    filling_ = was;
}

void TTrajPage::ShowTrajectorySet()
{
    const bool was = filling_;
    filling_ = true;
    const CTrajSetTexts& st = texts_.sets[shownSet_];
    PointBtns[std::clamp(st.lastIndex, 0, Points - 1)]->setChecked(true);
    for (int p = 0; p < Points; ++p) {
        SetText(ShEdits[p], st.load[p]);
        SetText(SerEdits[p], st.tune[p]);
        SetText(DelEdits[p], texts_.perPoint ? st.delay[p] : "");
    }
    EnableTrajectoryEdits();
    filling_ = was;
    UpdateCTexts();
}

void TTrajPage::StoreTrajectoryEdits()
{
    CTrajSetTexts& st = texts_.sets[shownSet_];
    const int point = CheckedPoint();
    if (point >= 0)
        st.lastIndex = point;
    for (int p = 0; p < Points; ++p) {
        st.load[p] = Text(ShEdits[p]);
        st.tune[p] = Text(SerEdits[p]);
        if (texts_.perPoint)
            st.delay[p] = Text(DelEdits[p]);
    }
}

void TTrajPage::EnableTrajectoryEdits()
{
    const int last = std::max(0, CheckedPoint());
    for (int p = 0; p < Points; ++p) {
        SetEditable(ShEdits[p], TrajPointEditable(p, last));
        SetEditable(SerEdits[p], TrajPointEditable(p, last));
        SetEditable(DelEdits[p], TrajDelayEditable(p, last, texts_.perPoint));
    }
}

void TTrajPage::UpdateCTexts()
{
    const CDevice& dev = Device();
    auto show = [&dev](QLabel* text, const QLineEdit* edit, int cap) {
        text->setText(Q(FloatToText(dev.CapToPf(cap, TextToDouble(Text(edit))), 0)));
    };
    for (int p = 0; p < Points; ++p) {
        show(ShTexts[p], ShEdits[p], LoadCap);
        show(SerTexts[p], SerEdits[p], TuneCap);
    }
    show(ShMinText, ShMinEdit, LoadCap);
    show(ShMaxText, ShMaxEdit, LoadCap);
    show(SerMinText, SerMinEdit, TuneCap);
    show(SerMaxText, SerMaxEdit, TuneCap);
}

#include "service/ui/Cap3page.h"

#include "common/Helpers.h"
#include "device/Device.h"
#include "service/ui/Mainserviceside.h"
#include "service/Fieldcheck.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

using namespace pagecontrols;

namespace {

constexpr int ThirdCap = 2;

} // namespace

T3capPage::T3capPage(TMainServiceSide& side) : TUnitPage(side, "_3capPage")
{
    auto* outer = new QVBoxLayout(this);
    auto* g = new QGridLayout;
    _3capMinEdit = Edit(this, "_3capMinEdit", "0");
    _3capMaxEdit = Edit(this, "_3capMaxEdit", "100");
    _3capMinText = Readout(this, "_3capMinText");
    _3capMaxText = Readout(this, "_3capMaxText");
    g->addWidget(new QLabel("Min %", this), 0, 0);
    g->addWidget(_3capMinEdit, 0, 1);
    g->addWidget(_3capMinText, 0, 2);
    g->addWidget(new QLabel("Max %", this), 1, 0);
    g->addWidget(_3capMaxEdit, 1, 1);
    g->addWidget(_3capMaxText, 1, 2);
    for (int i = 0; i < Presets; ++i) {
        const std::string n = std::to_string(i + 1);
        _3capPresets[i] = new QRadioButton(Q("Preset " + n), this);
        _3capPresets[i]->setObjectName(Q("_3capPreset" + n));
        _3capPresetEdits[i] = Edit(this, ("_3capPreset" + n + "Edit").c_str(), "0");
        _3capPresetTexts[i] = Readout(this, ("_3capPreset" + n + "Text").c_str());
        g->addWidget(_3capPresets[i], 2 + i, 0);
        g->addWidget(_3capPresetEdits[i], 2 + i, 1);
        g->addWidget(_3capPresetTexts[i], 2 + i, 2);
        connect(_3capPresets[i], &QRadioButton::clicked, this, [this] { Enable3capPresetItems(); });
    }
    _3capErrorEdit = Edit(this, "_3capErrorEdit", "0.00");
    _3capGainEdit = Edit(this, "_3capGainEdit", "0");
    _3capPeriodEdit = Edit(this, "_3capPeriodEdit", "0");
    _3capMaxStepEdit = Edit(this, "_3capMaxStepEdit", "0.00");
    VLevelEdit = Edit(this, "VLevelEdit", "0");
    VLevelLabel = new QLabel("OverVoltage Level (V)", this);
    VLevelLabel->setObjectName("VLevelLabel");
    int row = 0;
    auto add = [&](const char* label, QLineEdit* e) {
        g->addWidget(new QLabel(label, this), row, 4);
        g->addWidget(e, row++, 5);
    };
    add("Error", _3capErrorEdit);
    add("Gain", _3capGainEdit);
    add("Period (ms)", _3capPeriodEdit);
    add("Max step %", _3capMaxStepEdit);
    g->addWidget(VLevelLabel, row, 4);
    g->addWidget(VLevelEdit, row, 5);
    g->setColumnMinimumWidth(3, 20);
    g->setColumnStretch(6, 1);
    outer->addLayout(g);
    outer->addStretch(1);
    auto* bar = new QHBoxLayout;
    SetDef3capBtn = Button(this, "SetDef3capBtn", "Set Default");
    Send3capBtn = Button(this, "Send3capBtn", "Send");
    Read3capBtn = Button(this, "Read3capBtn", "Read");
    bar->addWidget(SetDef3capBtn);
    bar->addStretch(1);
    bar->addWidget(Send3capBtn);
    bar->addWidget(Read3capBtn);
    outer->addLayout(bar);

    for (QLineEdit* e : findChildren<QLineEdit*>())
        connect(e, &QLineEdit::textChanged, this, [this] { _3capEditChange(); });
    connect(SetDef3capBtn, &QPushButton::clicked, this, [this] { SetDef3capBtnClick(); });
    connect(Send3capBtn, &QPushButton::clicked, this, [this] { Send3capBtnClick(); });
    connect(Read3capBtn, &QPushButton::clicked, this, [this] { Read3capBtnClick(); });
    _3capPresets[0]->setChecked(true);
    Enable3capPresetEdits();
}

void T3capPage::ShowTexts(const C3capTexts& t)
{
    filling_ = true;
    SetText(_3capMinEdit, t.min);
    SetText(_3capMaxEdit, t.max);
    _3capPresets[std::clamp(t.presetSel, 0, Presets - 1)]->setChecked(true);
    for (int i = 0; i < Presets; ++i)
        SetText(_3capPresetEdits[i], t.presets[i]);
    SetText(_3capErrorEdit, t.error);
    SetText(_3capGainEdit, t.gain);
    SetText(_3capPeriodEdit, t.period);
    SetText(_3capMaxStepEdit, t.maxStep);
    SetText(VLevelEdit, t.vlevel);
    filling_ = false;
}

C3capTexts T3capPage::Texts() const
{
    C3capTexts t;
    t.min = Text(_3capMinEdit);
    t.max = Text(_3capMaxEdit);
    t.presetSel = Selected3capPreset();
    for (int i = 0; i < Presets; ++i)
        t.presets[i] = Text(_3capPresetEdits[i]);
    t.error = Text(_3capErrorEdit);
    t.gain = Text(_3capGainEdit);
    t.period = Text(_3capPeriodEdit);
    t.maxStep = Text(_3capMaxStepEdit);
    t.vlevel = Text(VLevelEdit);
    return t;
}

int T3capPage::Read3Cap()
{
    if (!Device().Has3rdCap())
        return 0;
    C3capData data;
    const int r = Read3capData(Device(), data);
    if (r != 0)
        return r;
    ShowTexts(Cap3Texts(data));
    Enable3capPresetEdits();
    UpdateCTexts();
    Host().RefreshUnitView();
    MarkUnsent(Send3capBtn, false);
    return 0;
}

void T3capPage::Read3capBtnClick()
{
    ClearStatus();
    ReadDone(Read3Cap() != 0 ? "3 Cap" : "");
}

void T3capPage::Send3capBtnClick()
{
    ClearStatus();
    C3capData data;
    std::string error;
    if (!ParseCap3Texts(Texts(), data, error)) {
        RefuseSend(error);
        return;
    }
    if (Send3capData(Device(), data) != 0)
        return;
    Read3Cap();
    CommandAccepted();
}

void T3capPage::SetDef3capBtnClick()
{
    C3capTexts t = Texts();
    Cap3Defaults(t);
    ShowTexts(t);
    MarkUnsent(Send3capBtn, true);
}

void T3capPage::_3capEditChange()
{
    if (filling_)
        return;
    UpdateCTexts();
    MarkUnsent(Send3capBtn, true);
}

void T3capPage::Enable3capPresetItems()
{
    Enable3capPresetEdits();
    MarkUnsent(Send3capBtn, true);
}

int T3capPage::Selected3capPreset() const
{
    std::array<bool, Presets> checked{};
    for (int i = 0; i < Presets; ++i)
        checked[i] = _3capPresets[i]->isChecked();
    return SelectedCap3Preset(checked);
}

void T3capPage::Enable3capPresetEdits()
{
    const int selected = Selected3capPreset();
    for (int i = 0; i < Presets; ++i)
        SetEditable(_3capPresetEdits[i], i == selected);
}

void T3capPage::UpdateCTexts()
{
    const CDevice& dev = Device();
    auto show = [&dev](QLabel* text, const QLineEdit* edit) {
        text->setText(Q(FloatToText(dev.CapToPf(ThirdCap, TextToDouble(Text(edit))), 0)));
    };
    show(_3capMinText, _3capMinEdit);
    show(_3capMaxText, _3capMaxEdit);
    for (int i = 0; i < Presets; ++i)
        show(_3capPresetTexts[i], _3capPresetEdits[i]);
}

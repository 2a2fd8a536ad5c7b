#include "service/ui/Setuppage.h"

#include "common/Commatext.h"
#include "common/Helpers.h"
#include "device/Device.h"
#include "device/Unitconst.h"
#include "device/Var.h"
#include "panel/Orrery.h"
#include "panel/ui/Delay.h"
#include "service/ui/Mainserviceside.h"
#include "panel/ui/Status.h"
#include "service/ui/Cal3capdlg.h"
#include "service/ui/Calinputdlg.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QSpinBox>
#include <QTabWidget>
#include <QVBoxLayout>

using namespace pagecontrols;

namespace {

constexpr int PotMax = 255;
const QStringList AverItems{"1", "2", "4", "8"};

QStringList Items(const char* commaText)
{
    QStringList list;
    for (const std::string& s : CommaTextToList(commaText))
        list << Q(s);
    return list;
}

QLineEdit* ReadOnlyText(QWidget* parent, const char* name)
{
    auto* e = Edit(parent, name);
    e->setReadOnly(true);
    e->setMaximumWidth(QWIDGETSIZE_MAX);
    return e;
}

} // namespace

TSetupPage::TSetupPage(TMainServiceSide& side) : TUnitPage(side, "SetupPage")
{
    auto* outer = new QVBoxLayout(this);
    SetupPageControl = new QTabWidget(this);
    SetupPageControl->setObjectName("SetupPageControl");
    ShowWholeTabs(SetupPageControl);
    SetupTab = CreateSetupTab();
    CapsTab = CreateCapsTab();
    SensorTab = CreateSensorTab();
    PotTab = CreatePotTab();
    SetupPageControl->addTab(SetupTab, "Setup");
    SetupPageControl->addTab(CapsTab, "Capacitors");
    SetupPageControl->addTab(SensorTab, "Sensors");
    SetupPageControl->addTab(PotTab, "Potentiometers");
    outer->addWidget(SetupPageControl, 1);

    auto* bar = new QHBoxLayout;
    SendSetupBtn = Button(this, "SendSetupBtn", "Send");
    ReadSetupBtn = Button(this, "ReadSetupBtn", "Read");
    bar->addStretch(1);
    bar->addWidget(SendSetupBtn);
    bar->addWidget(ReadSetupBtn);
    outer->addLayout(bar);

    connect(SendSetupBtn, &QPushButton::clicked, this, [this] { SendSetupBtnClick(); });
    connect(ReadSetupBtn, &QPushButton::clicked, this, [this] { ReadSetupBtnClick(); });
    connect(ProtocolComboBox, &QComboBox::currentIndexChanged, this, [this] { ProtocolComboBoxChange(); });
    connect(ResetMemoryBtn, &QPushButton::clicked, this, [this] { ResetMemoryBtnClick(); });
    connect(ResetServLogBtn, &QPushButton::clicked, this, [this] { ResetServLogBtnClick(); });
    connect(ResetCapsBtn, &QPushButton::clicked, this, [this] { ResetCapsBtnClick(); });
    connect(CalInputBtn, &QPushButton::clicked, this, [this] { CalInputBtnClick(); });
    connect(CalOutputBtn, &QPushButton::clicked, this, [this] { CalOutputBtnClick(); });
    for (QWidget* tab : {SetupTab, CapsTab, SensorTab}) {
        for (QLineEdit* e : tab->findChildren<QLineEdit*>())
            if (!e->isReadOnly())
                connect(e, &QLineEdit::textChanged, this, [this] { SetupEditChange(); });
        for (QComboBox* c : tab->findChildren<QComboBox*>())
            if (c != ProtocolComboBox)
                connect(c, &QComboBox::currentIndexChanged, this, [this] { SetupEditChange(); });
    }
    connect(OstrabusAddrSpinEdit, &QSpinBox::valueChanged, this, [this] { SetupEditChange(); });
    for (QSlider* bar : PotTrackBars)
        connect(bar, &QSlider::valueChanged, this, [this] { PotTrackBarChange(); });
    UpdateUnitType();
}

TSetupPage::~TSetupPage() = default;

QWidget* TSetupPage::CreateSetupTab()
{
    auto* tab = new QWidget;
    tab->setObjectName("SetupTab");
    auto* g = new QGridLayout(tab);
    PinEdit = Edit(tab, "PinEdit", "00000001");
    SNEdit = Edit(tab, "SNEdit");
    OstrabusAddrSpinEdit = new QSpinBox(tab);
    OstrabusAddrSpinEdit->setObjectName("OstrabusAddrSpinEdit");
    OstrabusAddrSpinEdit->setRange(1, 31);
    OstrabusAddrSpinEdit->setValue(2);
    ProtocolComboBox = Combo(tab, "ProtocolComboBox", {"RS232", "RS485"});
    BaudComboBox = Combo(tab, "BaudComboBox", Items(BaudItemsRS232));
    SWText = ReadOnlyText(tab, "SWText");
    XilinxText = ReadOnlyText(tab, "XilinxText");
    int row = 0;
    auto add = [&](const char* label, QWidget* w) {
        g->addWidget(new QLabel(label, tab), row, 0);
        g->addWidget(w, row++, 1);
    };
    add("PIN", PinEdit);
    add("S/N", SNEdit);
    add("Ostrabus address", OstrabusAddrSpinEdit);
    add("Protocol", ProtocolComboBox);
    add("Baud rate", BaudComboBox);
    add("Product", SWText);
    add("Xilinx", XilinxText);
    ResetMemoryBtn = Button(tab, "ResetMemoryBtn", "Reset Memory");
    ServLogCheckBox = new QCheckBox("Including Service Log", tab);
    ServLogCheckBox->setObjectName("ServLogCheckBox");
    ResetServLogBtn = Button(tab, "ResetServLogBtn", "Reset Service Log");
    g->addWidget(ResetMemoryBtn, row, 0);
    g->addWidget(ServLogCheckBox, row++, 1);
    g->addWidget(ResetServLogBtn, row++, 0);
    g->setRowStretch(row, 1);
    g->setColumnStretch(2, 1);
    return tab;
}

QWidget* TSetupPage::CreateCapsTab()
{
    auto* tab = new QWidget;
    tab->setObjectName("CapsTab");
    auto* g = new QGridLayout(tab);
    static const char* const Columns[3] = {"Load", "Tune", "3rd cap"};
    static const char* const Names[4][3] = {{"TotalShEdit", "TotalSerEdit", "Total3capEdit"},
                                            {"OffsetShEdit", "OffsetSerEdit", "Offset3capEdit"},
                                            {"CmaxShEdit", "CmaxSerEdit", "Cmax3capEdit"},
                                            {"CminShEdit", "CminSerEdit", "Cmin3capEdit"}};
    static const char* const Rows[4] = {"Total steps", "Offset", "C max (pF)", "C min (pF)"};
    static const char* const Texts[4] = {"2100", "0", "1000", "0"};
    std::array<QLineEdit*, 3>* edits[4] = {&TotalEdits, &OffsetEdits, &CmaxEdits, &CminEdits};
    for (int c = 0; c < 3; ++c) {
        auto* head = new QLabel(Columns[c], tab);
        g->addWidget(head, 0, c + 1);
        if (c == 2)
            thirdCapWidgets_.push_back(head);
    }
    for (int r = 0; r < 4; ++r) {
        g->addWidget(new QLabel(Rows[r], tab), r + 1, 0);
        for (int c = 0; c < 3; ++c) {
            QLineEdit* e = Edit(tab, Names[r][c], Texts[r]);
            (*edits[r])[c] = e;
            g->addWidget(e, r + 1, c + 1);
            if (c == 2)
                thirdCapWidgets_.push_back(e);
        }
    }
    ResetCapsBtn = Button(tab, "ResetCapsBtn", "Init Capacitors");
    g->addWidget(ResetCapsBtn, 5, 0);
    auto* motors = new QGroupBox("Motors movement", tab);
    auto* ml = new QHBoxLayout(motors);
    EnableMotorsBtn = Button(motors, "EnableMotorsBtn", "Enable");
    DisableMotorsBtn = Button(motors, "DisableMotorsBtn", "Disable");
    ml->addWidget(EnableMotorsBtn);
    ml->addWidget(DisableMotorsBtn);
    g->addWidget(motors, 5, 1, 1, 2);
    g->setRowStretch(6, 1);
    g->setColumnStretch(4, 1);
    return tab;
}

QWidget* TSetupPage::CreateSensorTab()
{
    auto* tab = new QWidget;
    tab->setObjectName("SensorTab");
    auto* g = new QGridLayout(tab);
    InAverComboBox = Combo(tab, "InAverComboBox", AverItems);
    OutAverComboBox = Combo(tab, "OutAverComboBox", AverItems);
    InPoffEdit = Edit(tab, "InPoffEdit", "10");
    OutPoffEdit = Edit(tab, "OutPoffEdit");
    OutPoffEdit->setEnabled(false);
    CalInputBtn = Button(tab, "CalInputBtn", "Calibrate...");
    CalOutputBtn = Button(tab, "CalOutputBtn", "Calibrate...");
    auto* outHead = new QLabel("Output", tab);
    g->addWidget(new QLabel("Input", tab), 0, 1);
    g->addWidget(outHead, 0, 2);
    g->addWidget(new QLabel("Averaging", tab), 1, 0);
    g->addWidget(InAverComboBox, 1, 1);
    g->addWidget(OutAverComboBox, 1, 2);
    g->addWidget(new QLabel("Power off level", tab), 2, 0);
    g->addWidget(InPoffEdit, 2, 1);
    g->addWidget(OutPoffEdit, 2, 2);
    g->addWidget(CalInputBtn, 3, 1);
    g->addWidget(CalOutputBtn, 3, 2);
    g->setRowStretch(4, 1);
    g->setColumnStretch(3, 1);
    outputSensorWidgets_ = {outHead, OutAverComboBox, OutPoffEdit, CalOutputBtn};
    return tab;
}

QWidget* TSetupPage::CreatePotTab()
{
    auto* tab = new QWidget;
    tab->setObjectName("PotTab");
    auto* g = new QGridLayout(tab);
    for (int i = 0; i < CSetupData::Pots; ++i) {
        const std::string n = std::to_string(i);
        auto* bar = new QSlider(Qt::Horizontal, tab);
        bar->setObjectName(Q("Pot" + n + "TrackBar"));
        bar->setRange(0, PotMax);
        PotTrackBars[i] = bar;
        PotEdits[i] = Edit(tab, ("Pot" + n + "Edit").c_str(), "0");
        g->addWidget(new QLabel(Q("Pot " + std::to_string(i + CSetupData::FirstPot)), tab), i, 0);
        g->addWidget(bar, i, 1);
        g->addWidget(PotEdits[i], i, 2);
    }
    g->setRowStretch(CSetupData::Pots, 1);
    g->setColumnStretch(1, 1);
    return tab;
}

// --- texts ------------------------------------------------------------------------------------

void TSetupPage::ShowTexts(const CSetupTexts& t)
{
    SetText(SWText, t.productId);
    SetText(XilinxText, t.versionText);
    SetText(PinEdit, t.pin);
    SetText(SNEdit, t.serial);
    for (int c = 0; c < 3; ++c) {
        SetText(TotalEdits[c], t.total[c]);
        SetText(OffsetEdits[c], t.offset[c]);
        SetText(CmaxEdits[c], t.cMax[c]);
        SetText(CminEdits[c], t.cMin[c]);
    }
    SetText(InPoffEdit, t.inPoff);
    InAverComboBox->setCurrentIndex(t.inAver);
    OutAverComboBox->setCurrentIndex(t.outAver);
    for (int i = 0; i < CSetupData::Pots; ++i) {
        PotTrackBars[i]->setValue(TextToInt(t.pots[i]));
        SetText(PotEdits[i], t.pots[i]);
    }
}

CSetupTexts TSetupPage::Texts() const
{
    CSetupTexts t;
    t.productId = Text(SWText);
    t.versionText = Text(XilinxText);
    t.pin = Text(PinEdit);
    t.serial = Text(SNEdit);
    for (int c = 0; c < 3; ++c) {
        t.total[c] = Text(TotalEdits[c]);
        t.offset[c] = Text(OffsetEdits[c]);
        t.cMax[c] = Text(CmaxEdits[c]);
        t.cMin[c] = Text(CminEdits[c]);
    }
    t.inPoff = Text(InPoffEdit);
    t.inAver = std::max(0, InAverComboBox->currentIndex());
    t.outAver = std::max(0, OutAverComboBox->currentIndex());
    for (int i = 0; i < CSetupData::Pots; ++i)
        t.pots[i] = Text(PotEdits[i]);
    return t;
}

void TSetupPage::SelectBaud(const std::string& text)
{
    const int i = BaudComboBox->findText(Q(text));
    if (i >= 0)
        BaudComboBox->setCurrentIndex(i);
}

// --- read and send ----------------------------------------------------------------------------

int TSetupPage::ReadSetup()
{
    CDevice& dev = Device();
    CSetupData data;
    const int r = ReadSetupData(dev, data);
    notRead_ = SetupNotRead(data, dev.Has3rdCap(), dev.HasOutputSensor());
    // What was read before a failure shows, so that a send never writes the old value back.
    filling_ = true;
    ShowTexts(ReadSetupTexts(data, Texts()));
    filling_ = false;
    // A potentiometer's CSR does not end the read: it is passed on after the rest.
    if (data.read != CSetupData::PotsRead)
        return r;
    Side().UpdateCTexts();
    ProgramVars().SetCapMaxima(dev);
    Host().UpdateControls(); // the PIN tells the unit type: its pages and fields, then the view
    filling_ = true;
    ProtocolComboBox->setCurrentIndex((dev.Pin() & unitconst::PinProtocolChoice) ? 1 : 0);
    BaudComboBox->clear();
    BaudComboBox->addItems(Items(BaudItems(ProtocolComboBox->currentIndex())));
    const CSettings& s = Host().Controller()->Settings();
    OstrabusAddrSpinEdit->setValue(s.Addr);
    SelectBaud(s.BaudRate);
    filling_ = false;
    MarkUnsent(SendSetupBtn, false);
    return r;
}

void TSetupPage::ReadSetupBtnClick()
{
    ClearStatus();
    ReadSetup();
    Side().FillSectorList();
    ReadDone(notRead_);
}

void TSetupPage::SendSetupBtnClick()
{
    CSetupSend::Input in;
    in.texts = Texts();
    in.address = OstrabusAddrSpinEdit->value();
    in.baudText = BaudComboBox->currentText().toStdString();
    in.protocolItem = ProtocolComboBox->currentIndex();
    in.protocolText = ProtocolComboBox->currentText().toStdString();
    CSetupSend send(Device(), *this);
    if (send.Send(in) != 0)
        return;
    ReadSetup();
    Host().ValidatePanes();
    ReadDone(notRead_);
}

void TSetupPage::PotTrackBarChange()
{
    if (filling_)
        return;
    for (int i = 0; i < CSetupData::Pots; ++i)
        PotEdits[i]->setText(QString::number(PotTrackBars[i]->value()));
}

void TSetupPage::SetupEditChange()
{
    if (!filling_)
        MarkUnsent(SendSetupBtn, true);
}

void TSetupPage::ProtocolComboBoxChange()
{
    if (filling_)
        return;
    filling_ = true;
    BaudComboBox->clear();
    BaudComboBox->addItems(Items(BaudItems(ProtocolComboBox->currentIndex())));
    filling_ = false;
    SetupEditChange();
}

void TSetupPage::ResetMemoryBtnClick()
{
    ClearStatus();
    const bool log = ServLogCheckBox->isChecked();
    if (!AskYesNo("Reset Memory", log ? "Do you want to reset memory and service log ?" : "Do you want to reset memory ?"))
        return;
    if (Device().InitMemory(log ? 1 : 0) != 0)
        return;
    ShowMessageBox("", log ? "Memory and Service Log Reset Ok" : "Memory Reset Ok");
    CommandAccepted();
}

void TSetupPage::ResetServLogBtnClick()
{
    ClearStatus();
    if (!AskYesNo("Reset Service Log", "Do you want to reset service log ?"))
        return;
    if (Device().ResetServiceLog() != 0)
        return;
    CommandAccepted();
    ShowMessageBox("", "Service Log Reset Ok");
}

void TSetupPage::ResetCapsBtnClick()
{
    ClearStatus();
    Device().ResetCaps();
    CommandAccepted();
}

void TSetupPage::CalInputBtnClick()
{
    TCalInputForm* dlg = Side().CalInputForm;
    if (!dlg || dlg->isVisible())
        return;
    dlg->setWindowTitle("Input Sensor");
    dlg->SetSensor(0);
    dlg->show();
    CalInputBtn->setEnabled(false);
    CalOutputBtn->setEnabled(false);
}

void TSetupPage::CalOutputBtnClick()
{
    if (Device().Has3rdCap()) {
        TCal3capForm* dlg = Side().Cal3capForm;
        if (dlg && !dlg->isVisible())
            dlg->show();
    } else {
        TCalInputForm* dlg = Side().CalInputForm;
        if (dlg && !dlg->isVisible()) {
            dlg->setWindowTitle("Output Sensor");
            dlg->SetSensor(1);
            dlg->show();
        }
    }
    CalInputBtn->setEnabled(false);
    CalOutputBtn->setEnabled(false);
}

void TSetupPage::EnableCalibrateButtons()
{
    const bool unlocked = !Host().Controller()->IsLocked();
    CalInputBtn->setEnabled(unlocked);
    CalOutputBtn->setEnabled(unlocked);
}

void TSetupPage::EnableUnlockedControls(bool unlocked)
{
    for (QPushButton* b : {SendSetupBtn, ResetMemoryBtn, ResetServLogBtn, ResetCapsBtn})
        b->setEnabled(unlocked);
    const auto open = [](const QWidget* dialog) { return dialog && dialog->isVisible(); };
    const bool calibrating = open(Side().CalInputForm) || open(Side().Cal3capForm);
    CalInputBtn->setEnabled(unlocked && !calibrating);
    CalOutputBtn->setEnabled(unlocked && !calibrating);
    // What an open calibration dialog sends follows the lock as well.
    if (Side().CalInputForm)
        Side().CalInputForm->EnableUnlockedControls(unlocked);
    if (Side().Cal3capForm)
        Side().Cal3capForm->EnableUnlockedControls(unlocked);
}

void TSetupPage::UpdateUnitType()
{
    const CDevice& dev = Device();
    for (QWidget* w : thirdCapWidgets_)
        w->setVisible(dev.Has3rdCap());
    for (QWidget* w : outputSensorWidgets_)
        w->setVisible(dev.Has3rdCap() || dev.HasOutputSensor());
}

// --- ISetupHost -------------------------------------------------------------------------------

int TSetupPage::SettingsAddress() const { return Host().Controller()->Settings().Addr; }

std::string TSetupPage::SettingsBaudText() const { return Host().Controller()->Settings().BaudRate; }

bool TSetupPage::IsDemo() const { return Host().Controller()->IsDemo(); }

void TSetupPage::SetReadTimer(bool on) { Host().Controller()->SetReadTimer(on); }

void TSetupPage::ShowStatusMessage(const std::string& text) { Host().StatusFrame()->ShowMessage(text); }

void TSetupPage::WaitForRestart(int ms)
{
    TDelayForm* delay = Side().GetForms().Delay;
    if (!delay) {
        if (!ownDelay_)
            ownDelay_ = std::make_unique<TDelayForm>(this);
        delay = ownDelay_.get();
    }
    delay->SetDuration(ms);
    delay->exec();
}

void TSetupPage::ReloadUnit()
{
    Host().ReadUnitSetup();
    Host().UpdateControls();
    Host().UpdateReadings();
}

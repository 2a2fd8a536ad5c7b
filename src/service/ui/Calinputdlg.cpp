#include "service/ui/Calinputdlg.h"

#include "common/Helpers.h"
#include "device/Device.h"
#include "service/Fieldcheck.h"
#include "service/ui/Calibrationhost.h"
#include "service/ui/Pagecontrols.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

using namespace pagecontrols;

namespace {

const char* const EraseQuestion = "This operation will erase existing calibration.\nDo you want to continue?";

QString Int(long long v) { return QString::number(v); }
QString Fixed(double v, int decimals) { return Q(FloatToText(v, decimals)); }
int EditInt(const QLineEdit* e) { return TextToInt(Text(e)); }
int LabelInt(const QLabel* l) { return TextToInt(l->text().toStdString()); }

} // namespace

TCalInputForm::TCalInputForm(ICalibrationHost& host, QWidget* parent) : QDialog(parent), host_(host)
{
    setObjectName("CalInputForm");
    setWindowTitle("Input Sensor");
    setModal(false);
    auto* outer = new QHBoxLayout(this);

    auto* cal = new QGroupBox("Calibration", this);
    auto* cg = new QGridLayout(cal);
    static const char* const WordNames[8] = {"OffpEdit", "OffqEdit", "Offi2Edit", "CalrrEdit",
                                             "CalrxEdit", "CalxrEdit", "CalxxEdit", "CalPowEdit"};
    static const char* const WordLabels[8] = {"p off =", "q off =", "i2 off =", "rr =", "rx =", "xr =", "xx =", "pow ="};
    QLineEdit** words[8] = {&OffpEdit, &OffqEdit, &Offi2Edit, &CalrrEdit, &CalrxEdit, &CalxrEdit, &CalxxEdit, &CalPowEdit};
    for (int i = 0; i < 8; ++i) {
        *words[i] = Edit(cal, WordNames[i], "0");
        cg->addWidget(new QLabel(WordLabels[i], cal), i, 0);
        cg->addWidget(*words[i], i, 1);
    }
    ReadBtn = Button(cal, "ReadBtn", "Read");
    SendBtn = Button(cal, "SendBtn", "Send");
    cg->addWidget(ReadBtn, 8, 0);
    cg->addWidget(SendBtn, 8, 1);
    outer->addWidget(cal);

    auto* work = new QVBoxLayout;
    auto* adc = new QGridLayout;
    AverEdit = Edit(this, "AverEdit", "8");
    ADCMeasBtn = Button(this, "ADCMeasBtn", "Measure ADC");
    adc->addWidget(new QLabel("Aver =", this), 0, 0);
    adc->addWidget(AverEdit, 0, 1);
    adc->addWidget(ADCMeasBtn, 0, 2);
    static const char* const Channels[3] = {"p", "q", "i2"};
    QLabel** raw[3] = {&ADCpText, &ADCqText, &ADCi2Text};
    QLabel** corrected[3] = {&ADCOffpText, &ADCOffqText, &ADCOffi2Text};
    static const char* const RawNames[3] = {"ADCpText", "ADCqText", "ADCi2Text"};
    static const char* const OffNames[3] = {"ADCOffpText", "ADCOffqText", "ADCOffi2Text"};
    adc->addWidget(new QLabel("ADC", this), 1, 1);
    adc->addWidget(new QLabel("-Offset", this), 1, 2);
    for (int c = 0; c < 3; ++c) {
        *raw[c] = Readout(this, RawNames[c]);
        *corrected[c] = Readout(this, OffNames[c]);
        adc->addWidget(new QLabel(Channels[c], this), 2 + c, 0);
        adc->addWidget(*raw[c], 2 + c, 1);
        adc->addWidget(*corrected[c], 2 + c, 2);
    }
    ADCtText = Readout(this, "ADCtText");
    adc->addWidget(new QLabel("t", this), 5, 0);
    adc->addWidget(ADCtText, 5, 1);
    OffsetBtn = Button(this, "OffsetBtn", "Offset ->");
    adc->addWidget(OffsetBtn, 5, 2);
    work->addLayout(adc);

    auto* loads = new QGridLayout;
    static const char* const LoadCols[5] = {"p", "q", "i2", "R", "X"};
    for (int c = 0; c < 5; ++c)
        loads->addWidget(new QLabel(LoadCols[c], this), 0, c + 1);
    Load1Btn = Button(this, "Load1Btn", "Load 1");
    Load2Btn = Button(this, "Load2Btn", "Load 2");
    for (int l = 0; l < 2; ++l) {
        auto& edits = l == 0 ? Load1Edits : Load2Edits;
        loads->addWidget(l == 0 ? Load1Btn : Load2Btn, l + 1, 0);
        for (int c = 0; c < 5; ++c) {
            const std::string name = "Load" + std::to_string(l + 1) + LoadCols[c] + "Edit";
            edits[c] = Edit(this, name.c_str(), "0");
            loads->addWidget(edits[c], l + 1, c + 1);
        }
    }
    CalBtn = Button(this, "CalBtn", "Cal ->");
    loads->addWidget(CalBtn, 3, 0);
    PowerEdit = Edit(this, "PowerEdit", "0");
    PowerBtn = Button(this, "PowerBtn", "Power ->");
    loads->addWidget(new QLabel("Power =", this), 4, 0);
    loads->addWidget(PowerEdit, 4, 1);
    loads->addWidget(PowerBtn, 4, 2);
    work->addLayout(loads);

    auto* meas = new QGridLayout;
    struct Out {
        QLabel** label;
        const char* name;
        const char* caption;
    };
    const Out outs[8] = {{&MeasRText, "MeasRText", "R ="},     {&MeasXText, "MeasXText", "X ="},
                         {&MeasGText, "MeasGText", "G ="},     {&MeasPowText, "MeasPowText", "Pow ="},
                         {&MeasIText, "MeasIText", "I ="},     {&MeasVText, "MeasVText", "V ="},
                         {&MeasPfwdText, "MeasPfwdText", "P fwd ="}, {&TempText, "TempText", "T ="}};
    for (int i = 0; i < 8; ++i) {
        *outs[i].label = Readout(this, outs[i].name);
        meas->addWidget(new QLabel(outs[i].caption, this), i / 2, (i % 2) * 2);
        meas->addWidget(*outs[i].label, i / 2, (i % 2) * 2 + 1);
    }
    meas->addWidget(new QLabel("C", this), 3, 4);
    work->addLayout(meas);
    auto* bar = new QHBoxLayout;
    MeasBtn = Button(this, "MeasBtn", "Measure");
    CloseBtn = Button(this, "CloseBtn", "Close");
    bar->addWidget(MeasBtn);
    bar->addStretch(1);
    bar->addWidget(CloseBtn);
    work->addLayout(bar);
    outer->addLayout(work);

    connect(ReadBtn, &QPushButton::clicked, this, [this] { ReadBtnClick(); });
    connect(SendBtn, &QPushButton::clicked, this, [this] { SendBtnClick(); });
    connect(ADCMeasBtn, &QPushButton::clicked, this, [this] { ADCMeasBtnClick(); });
    connect(OffsetBtn, &QPushButton::clicked, this, [this] { OffsetBtnClick(); });
    connect(Load1Btn, &QPushButton::clicked, this, [this] { LoadBtnClick(1); });
    connect(Load2Btn, &QPushButton::clicked, this, [this] { LoadBtnClick(2); });
    connect(CalBtn, &QPushButton::clicked, this, [this] { CalBtnClick(); });
    connect(PowerBtn, &QPushButton::clicked, this, [this] { PowerBtnClick(); });
    connect(MeasBtn, &QPushButton::clicked, this, [this] { MeasBtnClick(); });
    connect(CloseBtn, &QPushButton::clicked, this, [this] { close(); });
}

std::array<QLineEdit*, 8> TCalInputForm::WordEdits() const
{
    return {OffpEdit, OffqEdit, Offi2Edit, CalrrEdit, CalrxEdit, CalxrEdit, CalxxEdit, CalPowEdit};
}

CSensorCal TCalInputForm::EditedCal() const
{
    const auto e = WordEdits();
    return {EditInt(e[0]), EditInt(e[1]), EditInt(e[2]), EditInt(e[3]),
            EditInt(e[4]), EditInt(e[5]), EditInt(e[6]), EditInt(e[7])};
}

CReferenceLoad TCalInputForm::Load(const std::array<QLineEdit*, 5>& e) const
{
    return {EditInt(e[0]), EditInt(e[1]), EditInt(e[2]), TextToDouble(Text(e[3])), TextToDouble(Text(e[4]))};
}

void TCalInputForm::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    ReadBtnClick();
}

void TCalInputForm::closeEvent(QCloseEvent* event)
{
    QDialog::closeEvent(event);
    host_.CalibrationClosed();
}

void TCalInputForm::EnableUnlockedControls(bool unlocked)
{
    for (QPushButton* b : {SendBtn, ADCMeasBtn, MeasBtn})
        b->setEnabled(unlocked);
}

void TCalInputForm::ReadBtnClick()
{
    host_.ClearStatus();
    std::array<uint16_t, 8> words{};
    if (host_.Device().ReadSensorCal(sensor_, words) != 0) {
        host_.ReadDone(CalibrationNotRead);
        return;
    }
    const CSensorCal c = SensorCalFromWords(words);
    const int values[8] = {c.pOff, c.qOff, c.i2Off, c.rr, c.rx, c.xr, c.xx, c.pow};
    const auto e = WordEdits();
    for (int i = 0; i < 8; ++i)
        e[i]->setText(Int(values[i]));
    host_.ReadDone("");
}

void TCalInputForm::SendBtnClick()
{
    std::array<std::string, 8> texts;
    const auto e = WordEdits();
    for (int i = 0; i < 8; ++i)
        texts[i] = Text(e[i]);
    CSensorCal cal;
    std::string error;
    if (!ParseSensorCal(texts, cal, error)) {
        RefuseSend(error);
        return;
    }
    if (!AskYesNo("Send", EraseQuestion))
        return;
    host_.ClearStatus();
    if (host_.Device().WriteSensorCal(sensor_, SensorCalWords(cal)) != 0)
        return;
    ReadBtnClick();
}

void TCalInputForm::ADCMeasBtnClick()
{
    CAdcSums sums;
    sums.count = AverageCount(Text(AverEdit));
    host_.ClearStatus();
    for (int k = 0; k < sums.count; ++k) {
        std::array<uint16_t, 4> w{};
        if (host_.Device().MeasureInputAdc(sensor_, w) != 0)
            return;
        for (int c = 0; c < 4; ++c)
            sums.sum[c] += w[c];
    }
    const CSensorPreview p = SensorPreview(sums, EditedCal());
    ADCpText->setText(Int(p.P));
    ADCqText->setText(Int(p.Q));
    ADCi2Text->setText(Int(p.I));
    ADCtText->setText(Int(p.T));
    ADCOffpText->setText(Int(p.p));
    ADCOffqText->setText(Int(p.q));
    ADCOffi2Text->setText(Int(p.i));
    MeasRText->setText(Fixed(p.R, 1));
    MeasXText->setText(Fixed(p.X, 1));
    MeasGText->setText(Fixed(p.G, 2));
    MeasPowText->setText(Int(p.Pow));
    MeasIText->setText(Fixed(p.Irf, 2));
    MeasVText->setText(Fixed(p.V, 1));
    MeasPfwdText->setText(Int(p.Pfwd));
    TempText->setText(Int(p.tempC));
    host_.CommandAccepted();
}

void TCalInputForm::OffsetBtnClick()
{
    OffpEdit->setText(ADCpText->text());
    OffqEdit->setText(ADCqText->text());
    Offi2Edit->setText(ADCi2Text->text());
}

void TCalInputForm::LoadBtnClick(int load)
{
    auto& e = load == 1 ? Load1Edits : Load2Edits;
    e[0]->setText(ADCOffpText->text());
    e[1]->setText(ADCOffqText->text());
    e[2]->setText(ADCOffi2Text->text());
}

void TCalInputForm::CalBtnClick()
{
    CSensorCal cal = EditedCal();
    if (!SensorMatrix(Load(Load1Edits), Load(Load2Edits), cal)) {
        ShowWarning("Calibration", "The two loads give the same p to q proportion: no calibration can be "
                                   "computed from them.\nMeasure two different loads.");
        return;
    }
    CalrrEdit->setText(Int(cal.rr));
    CalrxEdit->setText(Int(cal.rx));
    CalxrEdit->setText(Int(cal.xr));
    CalxxEdit->setText(Int(cal.xx));
}

void TCalInputForm::PowerBtnClick()
{
    const int pow = SensorPowerFactor(EditedCal(), LabelInt(ADCOffpText), LabelInt(ADCOffqText),
                                      TextToDouble(Text(PowerEdit)));
    CalPowEdit->setText(Int(pow));
}

void TCalInputForm::MeasBtnClick()
{
    host_.ClearStatus();
    double r = 0, x = 0, g = 0;
    int p = 0;
    if (host_.Device().MeasureInput(sensor_, r, x, g, p) != 0)
        return;
    MeasRText->setText(Fixed(r, 1));
    MeasXText->setText(Fixed(x, 1));
    MeasGText->setText(Fixed(g, 2));
    MeasPowText->setText(Int(p));
    MeasIText->setText("n/a");
    MeasVText->setText("n/a");
    MeasPfwdText->setText("n/a");
    host_.CommandAccepted();
}

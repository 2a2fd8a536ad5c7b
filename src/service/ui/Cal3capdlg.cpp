#include "service/ui/Cal3capdlg.h"

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
#include <QTabWidget>
#include <QVBoxLayout>

using namespace pagecontrols;

namespace {

constexpr int I1 = 0, I2 = 1, V = 2;
const char* const EraseQuestion = "This operation will erase existing calibration.\nDo you want to continue?";
const char* const Ids[TCal3capForm::Channels] = {"i1", "i2", "v"};
const char* const Pages[TCal3capForm::Channels] = {"I1", "I2", "V"};

QString Int(long long v) { return QString::number(v); }
int EditInt(const QLineEdit* e) { return TextToInt(Text(e)); }

} // namespace

TCal3capForm::TCal3capForm(ICalibrationHost& host, QWidget* parent) : QDialog(parent), host_(host)
{
    setObjectName("Cal3capForm");
    setWindowTitle("Current Sensors");
    setModal(false);
    auto* outer = new QVBoxLayout(this);

    auto* cal = new QGroupBox("Calibration", this);
    auto* cg = new QGridLayout(cal);
    cg->addWidget(new QLabel("Offset", cal), 0, 1);
    cg->addWidget(new QLabel("Scale", cal), 0, 2);
    cg->addWidget(new QLabel("Max", cal), 0, 3);
    for (int c = 0; c < Channels; ++c) {
        const std::string id = Ids[c];
        OffEdits[c] = Edit(cal, ("Off" + id + "Edit").c_str(), "0");
        ScaleEdits[c] = Edit(cal, ("Scale" + id + "Edit").c_str(), "0");
        MaxTexts[c] = Readout(cal, ("Max" + id + "Text").c_str());
        cg->addWidget(new QLabel(Pages[c], cal), c + 1, 0);
        cg->addWidget(OffEdits[c], c + 1, 1);
        cg->addWidget(ScaleEdits[c], c + 1, 2);
        cg->addWidget(MaxTexts[c], c + 1, 3);
        cg->addWidget(new QLabel(c == V ? "V" : "A", cal), c + 1, 4);
        connect(OffEdits[c], &QLineEdit::textChanged, this, [this, c] { RecalcMax(c); });
        connect(ScaleEdits[c], &QLineEdit::textChanged, this, [this, c] { RecalcMax(c); });
    }
    ReadBtn = Button(cal, "ReadBtn", "Read");
    SendBtn = Button(cal, "SendBtn", "Send");
    cg->addWidget(ReadBtn, 4, 1);
    cg->addWidget(SendBtn, 4, 2);
    outer->addWidget(cal);

    auto* adc = new QGridLayout;
    AverEdit = Edit(this, "AverEdit", "8");
    ADCMeasBtn = Button(this, "ADCMeasBtn", "Measure ADC");
    adc->addWidget(new QLabel("Aver =", this), 0, 0);
    adc->addWidget(AverEdit, 0, 1);
    adc->addWidget(ADCMeasBtn, 0, 2);
    for (int c = 0; c < Channels; ++c) {
        ADCTexts[c] = Readout(this, ("ADC" + std::string(Ids[c]) + "Text").c_str());
        adc->addWidget(new QLabel(Ids[c], this), 1, c);
        adc->addWidget(ADCTexts[c], 2, c);
    }
    ADCtText = Readout(this, "ADCtText");
    adc->addWidget(new QLabel("t", this), 1, 3);
    adc->addWidget(ADCtText, 2, 3);
    Measi1Text = Readout(this, "Measi1Text");
    Measi2Text = Readout(this, "Measi2Text");
    MeasRatioText = Readout(this, "MeasRatioText");
    MeasvText = Readout(this, "MeasvText");
    TempText = Readout(this, "TempText");
    const std::pair<const char*, QLabel*> meas[5] = {
        {"i1 =", Measi1Text}, {"i2 =", Measi2Text}, {"Ratio =", MeasRatioText}, {"v =", MeasvText}, {"T =", TempText}};
    for (int i = 0; i < 5; ++i) {
        adc->addWidget(new QLabel(meas[i].first, this), 3 + i / 3, (i % 3) * 2);
        adc->addWidget(meas[i].second, 3 + i / 3, (i % 3) * 2 + 1);
    }
    adc->addWidget(new QLabel("C", this), 4, 4);
    outer->addLayout(adc);

    PageControl1 = new QTabWidget(this);
    PageControl1->setObjectName("PageControl1");
    for (int c = 0; c < Channels; ++c) {
        auto* page = new QWidget;
        page->setObjectName(Pages[c]);
        auto* g = new QGridLayout(page);
        for (int k = 0; k < 2; ++k) {
            const std::string stem = std::string(Pages[c]) + "_" + std::to_string(k + 1) + "_";
            RefEdits[c][k] = Edit(page, (stem + "Edit").c_str(), "0");
            RefADCEdits[c][k] = Edit(page, (stem + "ADCEdit").c_str(), "0");
            RefBtns[c][k] = Button(page, (stem + "Btn").c_str(), "--->");
            g->addWidget(new QLabel(c == V ? "Volts" : "Amps", page), k, 0);
            g->addWidget(RefEdits[c][k], k, 1);
            g->addWidget(RefBtns[c][k], k, 2);
            g->addWidget(new QLabel("ADC", page), k, 3);
            g->addWidget(RefADCEdits[c][k], k, 4);
            connect(RefBtns[c][k], &QPushButton::clicked, this,
                    [this, c, k] { RefADCEdits[c][k]->setText(ADCTexts[c]->text()); });
        }
        CalBtns[c] = Button(page, (std::string(Pages[c]) + "CalBtn").c_str(), "--->");
        g->addWidget(CalBtns[c], 0, 5, 2, 1);
        connect(CalBtns[c], &QPushButton::clicked, this, [this, c] { CalBtnClick(c); });
        PageControl1->addTab(page, Pages[c]);
    }
    outer->addWidget(PageControl1);

    auto* bar = new QHBoxLayout;
    MeasBtn = Button(this, "MeasBtn", "Measure");
    CloseBtn = Button(this, "CloseBtn", "Close");
    bar->addWidget(MeasBtn);
    bar->addStretch(1);
    bar->addWidget(CloseBtn);
    outer->addLayout(bar);

    connect(ReadBtn, &QPushButton::clicked, this, [this] { ReadBtnClick(); });
    connect(SendBtn, &QPushButton::clicked, this, [this] { SendBtnClick(); });
    connect(ADCMeasBtn, &QPushButton::clicked, this, [this] { ADCMeasBtnClick(); });
    connect(MeasBtn, &QPushButton::clicked, this, [this] { MeasBtnClick(); });
    connect(CloseBtn, &QPushButton::clicked, this, [this] { close(); });
}

C3capSensorCal TCal3capForm::EditedCal() const
{
    return {EditInt(OffEdits[I1]),   EditInt(OffEdits[I2]),   EditInt(OffEdits[V]),
            EditInt(ScaleEdits[I1]), EditInt(ScaleEdits[I2]), EditInt(ScaleEdits[V])};
}

void TCal3capForm::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    ReadBtnClick();
}

void TCal3capForm::closeEvent(QCloseEvent* event)
{
    QDialog::closeEvent(event);
    host_.CalibrationClosed();
}

void TCal3capForm::RecalcMax(int c)
{
    const long long off = EditInt(OffEdits[c]);
    const long long scale = EditInt(ScaleEdits[c]);
    MaxTexts[c]->setText(Int(c == V ? VoltageMax(off, scale) : CurrentMax(off, scale)));
}

void TCal3capForm::EnableUnlockedControls(bool unlocked)
{
    for (QPushButton* b : {SendBtn, ADCMeasBtn, MeasBtn})
        b->setEnabled(unlocked);
}

void TCal3capForm::ReadBtnClick()
{
    host_.ClearStatus();
    C3capSensorCal cal;
    if (host_.Device().Read3capSensorCal(cal) != 0) {
        host_.ReadDone(CalibrationNotRead);
        return;
    }
    cal = Signed3capSensorCal(cal);
    const int off[Channels] = {cal.i1off, cal.i2off, cal.voff};
    const int scale[Channels] = {cal.i1scale, cal.i2scale, cal.vscale};
    for (int c = 0; c < Channels; ++c) {
        OffEdits[c]->setText(Int(off[c]));
        ScaleEdits[c]->setText(Int(scale[c]));
        RecalcMax(c);
    }
    host_.ReadDone("");
}

void TCal3capForm::SendBtnClick()
{
    const std::array<std::string, 6> texts{Text(OffEdits[I1]),   Text(OffEdits[I2]),   Text(OffEdits[V]),
                                           Text(ScaleEdits[I1]), Text(ScaleEdits[I2]), Text(ScaleEdits[V])};
    C3capSensorCal cal;
    std::string error;
    if (!Parse3capSensorCal(texts, cal, error)) {
        RefuseSend(error);
        return;
    }
    if (!AskYesNo("Send", EraseQuestion))
        return;
    host_.ClearStatus();
    if (host_.Device().Write3capSensorCal(cal) != 0)
        return;
    ReadBtnClick();
}

void TCal3capForm::ADCMeasBtnClick()
{
    const int n = std::max(1, TextToInt(Text(AverEdit)));
    std::array<long long, 4> sums{};
    host_.ClearStatus();
    for (int k = 0; k < n; ++k) {
        std::array<uint16_t, 4> w{};
        if (host_.Device().Measure3capAdc(w) != 0)
            return;
        for (int c = 0; c < 4; ++c)
            sums[c] += w[c];
    }
    const C3capPreview p = Cap3Preview(sums, n, EditedCal());
    ADCTexts[I1]->setText(Int(p.A1));
    ADCTexts[I2]->setText(Int(p.A2));
    ADCTexts[V]->setText(Int(p.AV));
    ADCtText->setText(Int(p.AT));
    Measi1Text->setText(Q(FloatToText(p.i1, 2)));
    Measi2Text->setText(Q(FloatToText(p.i2, 2)));
    MeasRatioText->setText(Q(FloatToText(p.ratio, 2)));
    MeasvText->setText(Int(p.v));
    TempText->setText(Int(p.tempC));
    host_.CommandAccepted();
}

void TCal3capForm::MeasBtnClick()
{
    host_.ClearStatus();
    double ratio = 0, i1 = 0, i2 = 0;
    if (host_.Device().Measure3capSensors(ratio, i1, i2) != 0)
        return;
    MeasRatioText->setText(Q(FloatToText(ratio, 2)));
    Measi1Text->setText(Q(FloatToText(i1, 2)));
    Measi2Text->setText(Q(FloatToText(i2, 2)));
    MeasvText->setText("n/a");
    host_.CommandAccepted();
}

void TCal3capForm::CalBtnClick(int c)
{
    const int a1 = EditInt(RefADCEdits[c][0]);
    const int a2 = EditInt(RefADCEdits[c][1]);
    const double v1 = TextToDouble(Text(RefEdits[c][0]));
    const double v2 = TextToDouble(Text(RefEdits[c][1]));
    CChannelCal out;
    const bool ok = c == V ? VoltageChannelCal(a1, a2, v1, v2, out) : CurrentChannelCal(a1, a2, v1, v2, out);
    if (!ok) {
        ShowWarning("Calibration", "Both reference points have the same ADC value: no calibration can be "
                                   "computed from them.\nMeasure two different references.");
        return;
    }
    OffEdits[c]->setText(Int(out.offset));
    ScaleEdits[c]->setText(Int(out.scale));
    RecalcMax(c);
}

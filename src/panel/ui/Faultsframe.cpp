#include "panel/ui/Faultsframe.h"

#include "zcomponents/Zled.h"
#include "zcomponents/Zwidgets.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
constexpr int LedSize = 16;
constexpr int LedRows = 13;
constexpr LedColorType FaultColour = lctyellow;
constexpr LedColorType UnknownColour = lctGrey;
const char* const UnknownFaultName = "Unknown Fault";

TzLed* NewLed(QWidget* parent, const char* name, const QString& hint)
{
    auto* led = NewNamed<TzLed>(parent, name);
    led->setFixedSize(LedSize, LedSize);
    led->SetStyle(lstSquare);
    led->WriteLedColor(FaultColour);
    led->setToolTip(hint);
    return led;
}
// Only a change: the LED repaints on every colour set, and each poll shows the LEDs.
void SetColour(TzLed* led, LedColorType colour)
{
    if (led->LEDColor() != colour)
        led->WriteLedColor(colour);
}
} // namespace

TFaultsFrame::TFaultsFrame(QWidget* parent) : QWidget(parent)
{
    setObjectName("FaultsFrame");
    auto* grid = new QGridLayout;
    int n = 0;
    auto place = [&](TzLed* led, const QString& text, const char* labelName) {
        auto* label = NewNamed<QLabel>(this, labelName, text);
        int row = n % LedRows, col = (n / LedRows) * 2;
        grid->addWidget(led, row, col);
        grid->addWidget(label, row, col + 1);
        ++n;
        return label;
    };
    for (const SFault& f : CFaults::FaultTable()) {
        QString name = QString::fromUtf8(f.Name);
        TzLed* led = NewLed(this, f.LedName, name);
        leds_.push_back(led);
        QByteArray labelName = QByteArray(f.LedName).replace("Led", "Label");
        QLabel* label = place(led, name, labelName.constData());
        if (f.ThirdCapOnly)
            thirdCapOnly_.insert(thirdCapOnly_.end(), {led, label});
    }
    UnknownFaultsLed = NewLed(this, CFaults::UnknownLedName, UnknownFaultName);
    leds_.push_back(UnknownFaultsLed);
    place(UnknownFaultsLed, UnknownFaultName, "UnknownFaultsLabel");

    DisAudioCheckBox = NewNamed<QCheckBox>(this, "DisAudioCheckBox", "Disable audio alarm");
    RefreshFaultsBtn = NewNamed<QPushButton>(this, "RefreshFaultsBtn", "Refresh");

    auto* bottom = new QHBoxLayout;
    bottom->addWidget(DisAudioCheckBox);
    bottom->addStretch();
    bottom->addWidget(RefreshFaultsBtn);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addStretch();
    layout->addLayout(bottom);
}

void TFaultsFrame::ShowThirdCap(bool shown)
{
    for (QWidget* w : thirdCapOnly_)
        w->setVisible(shown);
}

void TFaultsFrame::ShowLeds(const SAlarmState& state)
{
    for (TzLed* led : leds_)
        SetColour(led, FaultColour);
    for (size_t i = 0; i + 1 < leds_.size() && i < state.Leds.size(); ++i)
        leds_[i]->writeLedOn(state.Leds[i]);
    UnknownFaultsLed->writeLedOn(state.UnknownLed);
}

void TFaultsFrame::ShowUnknown()
{
    for (TzLed* led : leds_) {
        led->writeLedOn(false);
        SetColour(led, UnknownColour);
    }
}

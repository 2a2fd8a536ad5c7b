#include "panel/ui/Alarmpanel.h"

#include "common/Helpers.h"
#include "panel/ui/Faultsframe.h"
#include "platform/Color.h"
#include "zcomponents/Zcolor.h"
#include "zcomponents/Zwidgets.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QToolButton>

namespace {
const char* const InterlockOpenedText = "Interlock Opened";
const char* const InterlockOkText = "Interlock OK";

void Paint(QLabel* label, const QString& text, TColor colour)
{
    label->setText(text);
    SetPaletteColor(label, QPalette::Window, ColorToQColor(colour));
}

QLabel* NewPanel(QWidget* parent, const char* name)
{
    auto* l = NewNamed<QLabel>(parent, name);
    l->setAutoFillBackground(true);
    l->setAlignment(Qt::AlignCenter);
    l->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    l->setMinimumWidth(120);
    return l;
}
} // namespace

TAlarmPanel::TAlarmPanel(QWidget* parent) : QWidget(parent)
{
    setObjectName("AlarmPanel");
    InterlockPanel = NewPanel(this, "InterlockPanel");
    AlarmsPanel = NewPanel(this, "AlarmsPanel");
    MutePanel = NewNamed<QWidget>(this, "MutePanel");
    MuteBtn = NewNamed<QToolButton>(MutePanel, "MuteBtn");
    MuteBtn->setCheckable(true);
    MuteBtn->setText("Mute");
    auto* muteLayout = new QHBoxLayout(MutePanel);
    muteLayout->setContentsMargins(0, 0, 0, 0);
    muteLayout->addWidget(MuteBtn);
    MutePanel->setVisible(false);

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->addWidget(InterlockPanel);
    layout->addWidget(AlarmsPanel, 1);
    layout->addWidget(MutePanel);

    Paint(InterlockPanel, InterlockOkText, clLime);
    Paint(AlarmsPanel, "No Faults", clBtnFace);
    connect(MuteBtn, &QToolButton::toggled, this, [this] { SetMuteHint(); });
    SetMuteHint();
}

void TAlarmPanel::SetMuteHint()
{
    const QString hint = MuteBtn->isChecked() ? "Unmute" : "Mute";
    if (MuteBtn->toolTip() != hint) // every reading asks; setting it anew costs an event
        MuteBtn->setToolTip(hint);
}

SAlarmState TAlarmPanel::Update(uint64_t faultWord, TFaultsFrame& faults)
{
    SAlarmState s = CFaults::Evaluate(faultWord, faults.DisAudioCheckBox->isChecked(), MuteBtn->isChecked());
    faults.ShowLeds(s);
    if (s.InterlockOpen)
        Paint(InterlockPanel, InterlockOpenedText, clYellow);
    else
        Paint(InterlockPanel, InterlockOkText, clLime);
    MutePanel->setVisible(s.MutePanelVisible);
    if (s.ReleaseMute)
        MuteBtn->setChecked(false);
    if (s.Beep)
        Beep();
    SetMuteHint();
    Paint(AlarmsPanel, QString::fromStdString(s.AlarmText), s.AlarmHighlighted ? clYellow : clBtnFace);
    return s;
}

void TAlarmPanel::ShowUnknown(TFaultsFrame& faults)
{
    faults.ShowUnknown();
    MutePanel->setVisible(false);
    Paint(AlarmsPanel, FaultsUnknownText, clBtnFace);
}

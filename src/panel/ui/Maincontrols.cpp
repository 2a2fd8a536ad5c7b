// The main window's control notebook and capacitor controls: the page for the unit kind, the
// mode and preset buttons, the third capacitor's buttons and ratio, the track bars, position and
// step edits, spin buttons and read-outs, the capacitor moves, and the read-all of the unit pages.

#include "panel/ui/Main.h"

#include "common/Helpers.h"
#include "device/Data.h"
#include "device/Device.h"
#include "panel/Orrery.h"
#include "panel/ui/Ctrlpanel.h"
#include "panel/ui/Status.h"

#include <QApplication>
#include <QBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStackedWidget>
#include <QToolButton>

namespace {

constexpr const char* StillMovingText = "Motors are still moving";
const QColor NavyLabel(0x00, 0x00, 0x80);
const QColor GreyLabel(0x80, 0x80, 0x80);

QString PercentText(double v) { return QString::fromStdString(FloatToText(v, 2)); }
QString PfText(double v) { return QString::fromStdString(FloatToText(v, 0)); }
double EditValue(const QLineEdit* e) { return TextToDouble(e->text().toStdString()); }
double EditValue(const TCapPosEdit* e) { return TextToDouble(e->Shown().toStdString()); }

// Hands the position-edit keys and the mouse presses on the capacitor edits to the window.
class CapEditFilter : public QObject {
public:
    CapEditFilter(QObject* parent, int cap, bool positionEdit, std::function<void(int, PosKey)> key,
                  std::function<void(int)> mouse)
        : QObject(parent), cap_(cap), positionEdit_(positionEdit), key_(std::move(key)),
          mouse_(std::move(mouse))
    {
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        // A filter sees the events of a disabled edit too: a locked panel's edits move nothing.
        if (const auto* edit = qobject_cast<QWidget*>(watched); edit && !edit->isEnabled())
            return QObject::eventFilter(watched, event);
        if (event->type() == QEvent::MouseButtonPress) {
            mouse_(cap_);
        } else if (positionEdit_ && event->type() == QEvent::KeyPress) {
            PosKey k;
            switch (static_cast<QKeyEvent*>(event)->key()) {
            case Qt::Key_Return:
            case Qt::Key_Enter: k = PosKey::Enter; break;
            case Qt::Key_Up: k = PosKey::Up; break;
            case Qt::Key_Down: k = PosKey::Down; break;
            case Qt::Key_PageUp: k = PosKey::PageUp; break;
            case Qt::Key_PageDown: k = PosKey::PageDown; break;
            case Qt::Key_Home: k = PosKey::Home; break;
            case Qt::Key_End: k = PosKey::End; break;
            default: return QObject::eventFilter(watched, event);
            }
            key_(cap_, k);
            return true;
        }
        return QObject::eventFilter(watched, event);
    }

private:
    int cap_;
    bool positionEdit_;
    std::function<void(int, PosKey)> key_;
    std::function<void(int)> mouse_;
};

// Only a change: setChecked refreshes the button even when its state stays.
void SetDown(QToolButton* b, bool down)
{
    if (b && b->isChecked() != down)
        b->setChecked(down);
}

void ShowPage(QStackedWidget* book, QWidget* page)
{
    if (book->currentWidget() != page)
        book->setCurrentWidget(page);
}

} // namespace

void TMainForm::CreateControls(QBoxLayout* into)
{
    CtrlPanel = new TCtrlPanel(into->parentWidget());
    into->addWidget(CtrlPanel);
    TCtrlPanel& p = *CtrlPanel;

    for (QToolButton* b : p.AutoBtns)
        connect(b, &QToolButton::clicked, this, [this, b] { ModeBtnClick(b); });
    for (QToolButton* b : p.SerialBtns)
        connect(b, &QToolButton::clicked, this, [this, b] { ModeBtnClick(b); });
    for (QToolButton* b : p.ManualBtns)
        connect(b, &QToolButton::clicked, this, [this, b] { ModeBtnClick(b); });
    connect(p.NotAutoBtn, &QToolButton::clicked, this, [this, &p] { ModeBtnClick(p.NotAutoBtn); });
    for (const auto* group : {&p.PresetOnBtns, &p.PresetOffBtns})
        for (QToolButton* b : *group)
            connect(b, &QToolButton::clicked, this, [this, b] { PresetBtnClick(b); });
    for (QToolButton* b : p.ExtPresetOnBtns)
        connect(b, &QToolButton::clicked, this, [this, b] { PresetBtnClick(b); });
    for (QToolButton* b : {p._3capAutoBtn, p._3capSerialBtn})
        connect(b, &QToolButton::clicked, this, [this, b] { _3capModeBtnClick(b); });
    for (QToolButton* b : {p._3capPresetOnBtn, p._3capPresetOffBtn})
        connect(b, &QToolButton::clicked, this, [this, b] { _3capPresetBtnClick(b); });
    connect(p.SetRatioBtn, &QToolButton::clicked, this, &TMainForm::SetRatioBtnClick);

    auto key = [this](int cap, PosKey k) { PosEditKeyDown(cap, k); };
    auto mouse = [this](int cap) { EditMouseDown(cap); };
    for (int c = 0; c < CCapControls::CapCountShown; ++c) {
        TCapTrackBar* bar = p.TrackBars[c];
        connect(bar, &QSlider::valueChanged, this, [this, c] { TrackBarChange(c); });
        connect(bar, &QSlider::sliderReleased, this, [this, c] { TrackBarChange(c); });
        connect(p.SpinButtons[c]->UpBtn, &QToolButton::clicked, this, [this, c] { SpinButtonClick(c, +1); });
        connect(p.SpinButtons[c]->DownBtn, &QToolButton::clicked, this, [this, c] { SpinButtonClick(c, -1); });
        p.PosEdits[c]->installEventFilter(new CapEditFilter(p.PosEdits[c], c, true, key, mouse));
        p.StepEdits[c]->installEventFilter(new CapEditFilter(p.StepEdits[c], c, false, key, mouse));
    }
    capControls_->SetMoveProgress([this] {
        TCtrlPanel& p = *CtrlPanel;
        for (int c : {capindex::Load, capindex::Tune}) {
            const double pos = device_->Position(c);
            p.TrackBars[c]->SetPositionQuietly(capscale::TrackFromPercent(pos));
            p.PosEdits[c]->ShowNumber(PercentText(pos));
            p.CTexts[c]->ShowNumber(PfText(device_->CapToPf(c, pos)));
            p.TrackBars[c]->repaint();
            p.PosEdits[c]->repaint();
            p.CTexts[c]->repaint();
        }
    });
    SetupCapacitorPanel();
}

// --- read-all ---------------------------------------------------------------------------------

int TMainForm::ReadAllPages() { return pageReads_->ReadAll(); }

std::string TMainForm::UnsentPages() { return pageReads_->UnsentPages(); }

// --- states -----------------------------------------------------------------------------------

void TMainForm::SelectControlPage(bool withRatio)
{
    TCtrlPanel& p = *CtrlPanel;
    switch (CCapControls::SelectPage(*device_)) {
    case ControlPage::ThirdCap: ShowPage(p.CtrlNotebook, p.Ctrl3capPage); break;
    case ControlPage::Corvina: ShowPage(p.CtrlNotebook, p.CtrlCorvinaPage); break;
    case ControlPage::IO: ShowPage(p.CtrlNotebook, p.CtrlIOPage); break;
    case ControlPage::Plain: ShowPage(p.CtrlNotebook, p.CtrlPage); break;
    }
    // Lost readings show no mode or preset as the unit's: no button is down.
    const CControlButtons b = readingsLost_ ? CControlButtons{} : CCapControls::Buttons(data_->Latest());
    for (QToolButton* x : p.SerialBtns)
        SetDown(x, b.serial);
    for (QToolButton* x : p.ManualBtns)
        SetDown(x, b.manual);
    for (QToolButton* x : p.AutoBtns)
        SetDown(x, b.autoMode);
    SetDown(p.NotAutoBtn, b.notAuto);
    SetDown(p.PresetOnBtns[0], b.presetOnPlain);
    SetDown(p.PresetOnBtns[2], b.presetOnPlain);
    SetDown(p.PresetOnBtns[1], b.presetOn);
    SetDown(p.PresetOnBtns[3], b.presetOn);
    for (QToolButton* x : p.PresetOffBtns)
        SetDown(x, b.presetOff);
    for (QToolButton* x : p.ExtPresetOnBtns)
        SetDown(x, b.extPresetOn);
    if (device_->Has3rdCap()) {
        SetDown(p._3capAutoBtn, b.thirdCapAuto);
        SetDown(p._3capSerialBtn, b.thirdCapSerial);
        SetDown(p._3capPresetOnBtn, b.thirdCapPresetOn);
        SetDown(p._3capPresetOffBtn, b.thirdCapPresetOff);
        if (withRatio)
            p._3capRatioEdit->setText(QString::fromStdString(FloatToText(device_->ThirdCapRatio(), 2)));
    }
}

void TMainForm::UpdateCapControls()
{
    const bool unlocked = !controller_->IsLocked();
    TCtrlPanel& p = *CtrlPanel;
    p.CtrlNotebook->setEnabled(unlocked);
    p._3capRatioEdit->setEnabled(unlocked);
    for (int c = 0; c < CCapControls::CapCountShown; ++c)
        for (QWidget* w : std::initializer_list<QWidget*>{p.StepEdits[c], p.PosEdits[c], p.SpinButtons[c], p.TrackBars[c]})
            w->setEnabled(unlocked);
    if (service_)
        service_->EnableUnlockedControls(unlocked);
    SetupCapacitorPanel();
}

void TMainForm::ShowCapLabels(bool disabled)
{
    static const char* const Names[] = {"Load", "Tune", "3 Cap"};
    for (int c = 0; c < CCapControls::CapCountShown; ++c)
        CtrlPanel->Labels[c]->setText(disabled ? "Disabled" : Names[c]);
}

// --- capacitor panel --------------------------------------------------------------------------

void TMainForm::SetupCapacitorPanel()
{
    CtrlPanel->CapColumns[capindex::Third]->setVisible(device_->Has3rdCap());
    SetupTrackBars();
}

void TMainForm::SetupTrackBars()
{
    const int count = device_->Has3rdCap() ? 3 : 2;
    for (int c = 0; c < count; ++c)
        CtrlPanel->TrackBars[c]->SetSelection(capscale::SelectionStart(device_->CapMax(c)),
                                              capscale::SelectionEnd(device_->CapMin(c)));
    UpdateCapacitorPanel();
    HighlightCap(-1);
}

void TMainForm::UpdateCapacitorPanel()
{
    if (capControls_->TrackDragged())
        return;
    TCtrlPanel& p = *CtrlPanel;
    const int count = device_->Has3rdCap() ? 3 : 2;
    for (int c = 0; c < count; ++c) {
        const double pos = device_->Position(c);
        if (!p.TrackBars[c]->isSliderDown())
            p.TrackBars[c]->SetPositionQuietly(capscale::TrackFromPercent(pos));
        if (!p.PosEdits[c]->hasFocus())
            p.PosEdits[c]->ShowNumber(PercentText(pos));
        // Without readings the capacitance read-out shows no number, not the last one.
        p.CTexts[c]->ShowNumber(readingsLost_ ? QString() : PfText(device_->CapToPf(c, pos)));
    }
}

void TMainForm::HighlightCap(int cap)
{
    for (int c = 0; c < CCapControls::CapCountShown; ++c) {
        QLabel* l = CtrlPanel->Labels[c];
        QPalette pal = l->palette();
        pal.setColor(QPalette::WindowText, c == cap ? NavyLabel : GreyLabel);
        l->setPalette(pal);
    }
}

double TMainForm::ClampTo3capLimits(double percent) const
{
    return capControls_->ClampTo3capLimits(percent);
}

int TMainForm::MoveCapacitors(double loadPercent, double tunePercent)
{
    const int r = capControls_->MoveCapacitors(loadPercent, tunePercent);
    if (capControls_->TimedOut())
        Status->ShowMessage(StillMovingText);
    return r;
}

bool TMainForm::MotorsStillMoving() const { return capControls_->TimedOut(); }

int TMainForm::Move3rdCap(double percent)
{
    const int r = capControls_->Move3rdCap(percent);
    if (r == 0) {
        // The unit reports where the capacitor stands as it starts to move: the edit keeps the
        // position asked for and follows the unit's from the next reading on, as Load and Tune do.
        const double pos = device_->Position(capindex::Third);
        CtrlPanel->PosEdits[capindex::Third]->ShowNumber(PercentText(percent));
        CtrlPanel->CTexts[capindex::Third]->ShowNumber(PfText(device_->CapToPf(capindex::Third, pos)));
    }
    return r;
}

// --- mode and preset handlers -----------------------------------------------------------------

void TMainForm::ModeBtnClick(QToolButton* sender)
{
    const TCtrlPanel& p = *CtrlPanel;
    int mode = ctrlmode::Manual;
    if (std::find(p.AutoBtns.begin(), p.AutoBtns.end(), sender) != p.AutoBtns.end())
        mode = ctrlmode::Auto;
    else if (std::find(p.SerialBtns.begin(), p.SerialBtns.end(), sender) != p.SerialBtns.end())
        mode = ctrlmode::Serial;
    else if (sender == p.NotAutoBtn)
        mode = ctrlmode::NotAuto;
    ClearStatus();
    if (capControls_->SetMode(mode) == 0)
        UpdateReadings();
    SelectControlPage(true);
    Status->CommandAccepted();
}

void TMainForm::PresetBtnClick(QToolButton* sender)
{
    const TCtrlPanel& p = *CtrlPanel;
    const bool external =
        std::find(p.ExtPresetOnBtns.begin(), p.ExtPresetOnBtns.end(), sender) != p.ExtPresetOnBtns.end();
    const bool on = external ||
        std::find(p.PresetOnBtns.begin(), p.PresetOnBtns.end(), sender) != p.PresetOnBtns.end();
    ClearStatus();
    if (capControls_->SetPreset(on, external) == 0)
        UpdateReadings();
    SelectControlPage(true);
    Status->CommandAccepted();
}

void TMainForm::_3capModeBtnClick(QToolButton* sender)
{
    ClearStatus();
    if (capControls_->Set3capMode(sender == CtrlPanel->_3capAutoBtn) == 0)
        UpdateReadings();
    SelectControlPage(true);
    Status->CommandAccepted();
}

void TMainForm::_3capPresetBtnClick(QToolButton* sender)
{
    ClearStatus();
    if (capControls_->Set3capPreset(sender == CtrlPanel->_3capPresetOnBtn) == 0)
        UpdateReadings();
    SelectControlPage(true);
    Status->CommandAccepted();
}

void TMainForm::SetRatioBtnClick()
{
    CtrlPanel->SetRatioBtn->setChecked(false);
    const double r = EditValue(CtrlPanel->_3capRatioEdit);
    ClearStatus();
    if (capControls_->SetRatio(r) == 0) {
        CtrlPanel->_3capRatioEdit->setText(QString::fromStdString(FloatToText(device_->ThirdCapRatio(), 2)));
        Status->CommandAccepted();
    }
}

// --- capacitor handlers -----------------------------------------------------------------------

void TMainForm::SpinButtonClick(int cap, int direction)
{
    TCtrlPanel& p = *CtrlPanel;
    std::array<double, 3> v{};
    for (int c = 0; c < 3; ++c)
        v[c] = EditValue(p.PosEdits[c]);
    v[cap] += EditValue(p.StepEdits[cap]) * direction;
    if (cap == capindex::Third)
        v[cap] = ClampTo3capLimits(v[cap]);
    HighlightCap(cap);
    ClearStatus();
    if (cap == capindex::Third)
        Move3rdCap(v[cap]);
    else
        MoveCapacitors(v[capindex::Load], v[capindex::Tune]);
    UpdateCapacitorPanel();
    Status->CommandAccepted();
}

void TMainForm::PosEditKeyDown(int cap, PosKey key)
{
    TCtrlPanel& p = *CtrlPanel;
    double v = CCapControls::KeyValue(key, EditValue(p.PosEdits[cap]), EditValue(p.StepEdits[cap]));
    p.PosEdits[cap]->ShowNumber(PercentText(v));
    ClearStatus();
    if (cap == capindex::Third) {
        v = ClampTo3capLimits(v);
        p.PosEdits[cap]->ShowNumber(PercentText(v));
        Move3rdCap(v);
    } else {
        MoveCapacitors(EditValue(p.PosEdits[capindex::Load]), EditValue(p.PosEdits[capindex::Tune]));
    }
}

void TMainForm::TrackBarChange(int cap)
{
    TCtrlPanel& p = *CtrlPanel;
    TCapTrackBar* bar = p.TrackBars[cap];
    switch (capControls_->TrackChange(bar->isSliderDown())) {
    case TrackAction::Ignore:
        return;
    case TrackAction::ShowDrag: {
        const double pos = capscale::PercentFromTrack(bar->value());
        p.PosEdits[cap]->ShowNumber(PercentText(pos));
        p.CTexts[cap]->ShowNumber(PfText(device_->CapToPf(cap, pos)));
        return;
    }
    case TrackAction::Send: {
        const double load = capscale::PercentFromTrack(p.TrackBars[capindex::Load]->value());
        const double tune = capscale::PercentFromTrack(p.TrackBars[capindex::Tune]->value());
        const double third =
            ClampTo3capLimits(capscale::PercentFromTrack(p.TrackBars[capindex::Third]->value()));
        HighlightCap(cap);
        ClearStatus();
        if (cap == capindex::Third)
            Move3rdCap(third);
        else
            MoveCapacitors(load, tune);
        capControls_->TrackSent();
        UpdateCapacitorPanel();
        return;
    }
    case TrackAction::Restore:
        HighlightCap(cap);
        UpdateCapacitorPanel();
        return;
    }
}

void TMainForm::EditMouseDown(int cap) { HighlightCap(cap); }

#include "panel/ui/Logging.h"

#include "common/Registry.h"
#include "device/Var.h"
#include "panel/ui/Logsettings.h"
#include "panel/ui/Ownplace.h"
#include "panel/ui/Status.h"
#include "platform/Color.h"
#include "zcomponents/Zgauge.h"
#include "zcomponents/Zwidgets.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

QToolButton* SpeedButton(QWidget* parent, const char* name, const char* text, bool checkable)
{
    auto* b = new QToolButton(parent);
    b->setObjectName(name);
    b->setText(text);
    b->setCheckable(checkable);
    b->setMinimumWidth(52);
    return b;
}

} // namespace

TLoggingForm::TLoggingForm(CDevice& device, QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::WindowStaysOnTopHint)
{
    ownUnit_ = std::make_unique<CDeviceLogUnit>(device);
    ownClock_ = std::make_unique<CSystemLogClock>();
    logger_ = std::make_unique<CLogger>(*ownUnit_, *this, ProgramVars(), *ownClock_);
    Build();
}

TLoggingForm::TLoggingForm(ILogUnit& unit, ILogClock& clock, QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::WindowStaysOnTopHint)
{
    logger_ = std::make_unique<CLogger>(unit, *this, ProgramVars(), clock);
    Build();
}

TLoggingForm::~TLoggingForm()
{
    LogTimer->stop();
    // The logger closes its file; it must not call back into a window being destroyed.
    status_ = nullptr;
    settingsForm_ = nullptr;
}

void TLoggingForm::Build()
{
    setObjectName("LoggingForm");
    setWindowTitle("Logging");
    auto* layout = new QVBoxLayout(this);
    // The gauge spans the window less its margins.
    layout->setContentsMargins(GaugeMargin / 2, GaugeMargin / 2, GaugeMargin / 2, GaugeMargin / 2);
    FileNameEdit = new QLineEdit(this);
    FileNameEdit->setObjectName("FileNameEdit");
    FileNameEdit->setReadOnly(true);
    layout->addWidget(FileNameEdit);
    Gauge = new TzGauge(this);
    Gauge->setObjectName("Gauge");
    Gauge->setFixedHeight(GaugeHeight);
    Gauge->SetMax(100);
    Gauge->SetCaptionStyle(gaTotalBar);
    Gauge->SetBarColor(clBlack);
    Gauge->SetColor(clSilver);
    Gauge->SetBevelOuter(bvLowered);
    QFont gaugeFont = Gauge->font();
    gaugeFont.setPixelSize(GaugeFontPixels);
    Gauge->setFont(gaugeFont);
    Gauge->SetParentFont(false);
    SetPaletteColor(Gauge, QPalette::WindowText, Qt::black);
    layout->addWidget(Gauge);
    auto* row = new QHBoxLayout;
    StartBtn = SpeedButton(this, "StartBtn", "Start", true);
    StopBtn = SpeedButton(this, "StopBtn", "Stop", true);
    PauseBtn = SpeedButton(this, "PauseBtn", "Pause", true);
    SettingsBtn = new QPushButton("Settings", this);
    SettingsBtn->setObjectName("SettingsBtn");
    for (QWidget* w : {static_cast<QWidget*>(StartBtn), static_cast<QWidget*>(StopBtn),
                       static_cast<QWidget*>(PauseBtn), static_cast<QWidget*>(SettingsBtn)})
        row->addWidget(w);
    layout->addLayout(row);
    LogTimer = new QTimer(this);
    LogTimer->setObjectName("LogTimer");
    connect(LogTimer, &QTimer::timeout, this, &TLoggingForm::LogTimerTimer);
    connect(StartBtn, &QToolButton::clicked, this, &TLoggingForm::StartBtnClick);
    connect(StopBtn, &QToolButton::clicked, this, &TLoggingForm::StopBtnClick);
    connect(PauseBtn, &QToolButton::clicked, this, &TLoggingForm::PauseBtnClick);
    connect(SettingsBtn, &QPushButton::clicked, this, &TLoggingForm::SettingsBtnClick);
    resize(logger_->Settings().Width, sizeHint().height());
    ShowRunning(false);
    logger_->ShowFileName();
}

void TLoggingForm::SetLocked(bool locked)
{
    locked_ = locked;
    StartBtn->setEnabled(!locked);
    StopBtn->setEnabled(!locked);
    PauseBtn->setEnabled(!locked && logger_->Logging());
}

void TLoggingForm::ShowWindow(bool show)
{
    logger_->Settings().Visible = show;
    setVisible(show);
    if (show)
        setWindowState(windowState() & ~Qt::WindowMinimized);
    if (OnShown)
        OnShown(show);
}

void TLoggingForm::Exchange(CRegistry& store)
{
    CLogSettings& s = logger_->Settings();
    QSize screen(1024, 768);
    if (QScreen* sc = QGuiApplication::primaryScreen())
        screen = sc->geometry().size();
    // The window's geometry is the default of a load too: without stored keys the window stays
    // in its first place.
    s.Top = y();
    s.Left = x();
    s.PlaceStored = HasOwnPlace(this);
    s.Width = width();
    if (!logger_->Exchange(store, screen.width(), screen.height()) || !store.Reading())
        return;
    if (s.PlaceStored) {
        move(s.Left, s.Top);
        SetOwnPlace(this);
    }
    resize(s.Width, height());
    ShowWindow(s.Visible);
    logger_->ShowFileName();
}

// --- handlers -----------------------------------------------------------------------------------

void TLoggingForm::StartBtnClick()
{
    StartBtn->setChecked(logger_->Logging()); // the click itself toggled the button
    logger_->StartLogging();
}

void TLoggingForm::StopBtnClick() { logger_->StopLogging(); }

void TLoggingForm::PauseBtnClick()
{
    if (!logger_->Logging()) {
        PauseBtn->setChecked(false);
        return;
    }
    logger_->Pause(PauseBtn->isChecked());
}

void TLoggingForm::SettingsBtnClick()
{
    if (settingsForm_)
        settingsForm_->exec();
}

void TLoggingForm::closeEvent(QCloseEvent* event)
{
    event->accept();
    ShowWindow(false);
}

// --- what the logger shows ----------------------------------------------------------------------

void TLoggingForm::SetLogTimer(bool on, int intervalMs)
{
    LogTimer->setInterval(intervalMs);
    // An interval of 0 never fires.
    if (on && intervalMs > 0)
        LogTimer->start();
    else
        LogTimer->stop();
}

void TLoggingForm::ShowFileName(const std::string& name)
{
    FileNameEdit->setText(QString::fromStdString(name));
    if (settingsForm_)
        settingsForm_->ShowFileSettings();
}

void TLoggingForm::ShowGauge(const std::string& caption, int value)
{
    Gauge->SetCaption(QString::fromStdString(caption));
    Gauge->SetValue(value);
}

void TLoggingForm::SetStatusHint(const std::string& hint)
{
    if (status_)
        status_->SetLogHint(hint);
}

void TLoggingForm::SetLogState(int state)
{
    if (status_)
        status_->SetLogState(state);
}

void TLoggingForm::ShowRunning(bool running)
{
    StartBtn->setChecked(running);
    StopBtn->setChecked(!running);
    if (!running)
        PauseBtn->setChecked(false);
    PauseBtn->setEnabled(running && !locked_);
}

#include "panel/ui/Main.h"

#include "common/Registry.h"
#include "device/Data.h"
#include "device/Device.h"
#include "device/Var.h"
#include "link/ui/Autofinding.h"
#include "link/ui/Connectbar.h"
#include "link/ui/Connection.h"
#include "link/ui/Ipfind.h"
#include "panel/Connectbridge.h"
#include "panel/Orrery.h"
#include "panel/Plotview.h"
#include "panel/Readingspanes.h"
#include "panel/ui/About.h"
#include "panel/ui/Accept.h"
#include "panel/ui/Alarmpanel.h"
#include "panel/ui/Editdisplay.h"
#include "panel/ui/Faultsframe.h"
#include "panel/ui/Hardfault.h"
#include "panel/ui/Panelistbox.h"
#include "panel/ui/Password.h"
#include "panel/ui/Printimage.h"
#include "panel/ui/Settingsform.h"
#include "panel/ui/Splash.h"
#include "panel/ui/Status.h"
#include "panel/Version.h"
#include "zcomponents/Zwidgets.h"

#include <algorithm>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QPushButton>
#include <QClipboard>
#include <QComboBox>
#include <QLineEdit>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QFileDialog>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenuBar>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QScreen>
#include <QScrollArea>
#include <QSplitter>
#include <QTabWidget>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>
#include <QWindow>
#include <tuple>

namespace {

constexpr const char* SettingsFilter = "Settings files (*.orrery);;All files (*)";

QToolButton* MakeToolButton(QWidget* parent, const char* name, const char* text, const char* hint,
                            bool checkable)
{
    auto* b = new QToolButton(parent);
    b->setObjectName(name);
    b->setText(text);
    b->setToolTip(hint);
    b->setCheckable(checkable);
    b->setAutoRaise(true);
    return b;
}

QWidget* MakeArea(QWidget* parent, const char* name)
{
    auto* w = new QWidget(parent);
    w->setObjectName(name);
    auto* l = new QVBoxLayout(w);
    l->setContentsMargins(0, 0, 0, 0);
    return w;
}

} // namespace

TMainForm::TMainForm(QWidget* parent) : QMainWindow(parent)
{
    setObjectName("MainForm");
    setWindowTitle(orrery::ProgramTitle);
    // The application's title from the start: windows that the loaded settings show before the
    // captions are set carry it as those opened later do.
    QApplication::setApplicationDisplayName(orrery::ProgramTitle);
    resize(828, 552);

    controller_ = std::make_unique<COrrery>(*this);
    device_ = std::make_unique<CDevice>();
    controller_->AttachDevice(device_.get());
    device_->SetModelLoad(&tuning_);
    bridge_ = std::make_unique<CConnectionBridge>(*controller_, *device_);
    data_ = &ProgramData();
    capControls_ = std::make_unique<CCapControls>(*device_);
    pageReads_ = std::make_unique<CPageReads>();

    CreateMenus();
    CreateToolBar();
    CreateBody();
    WirePageControls();
    CreatePanes();
    CreateHistoryPlot();
    CreateHistoryButtons();

    StartupTimer = new QTimer(this);
    StartupTimer->setObjectName("StartupTimer");
    StartupTimer->setInterval(StartupInterval);
    connect(StartupTimer, &QTimer::timeout, this, &TMainForm::StartupTimerTimer);
    ReadTimer = new QTimer(this);
    ReadTimer->setObjectName("ReadTimer");
    ReadTimer->setInterval(CSettings::DefaultReadTimerInterval);
    connect(ReadTimer, &QTimer::timeout, this, &TMainForm::ReadTimerTimer);

    SetDefaultDisplay();
    PageControl->setCurrentWidget(DisplayPage);
}

TMainForm::~TMainForm()
{
    ShutDown();
    // The list boxes outlive this destructor's body: they let go of the pane lists first.
    PaneListBox->Attach(nullptr);
    PaneListBox1->Attach(nullptr);
    panes_.reset();
    // The controller detaches itself from the device, so it goes first.
    controller_.reset();
    device_.reset();
}

void TMainForm::SetData(CData* data)
{
    data_ = data;
    panes_->SetData(*data);
    BindChartWindows();
}

void TMainForm::SetForms(const Forms& forms)
{
    forms_ = forms;
    CConnectionBridge::WindowHooks hooks;
    hooks.ReadTimerOn = [this] { return ReadTimer->isActive(); };
    hooks.AutoFindingVisible = [this] {
        return forms_.AutoFinding && forms_.AutoFinding->isVisible();
    };
    hooks.ShowLoggingWindow = [this] { ShowLoggingWindow(true); };
    hooks.ShowConnectionSettings = [this] {
        if (forms_.Settings)
            forms_.Settings->SelectConnectionPage();
        controller_->ShowSettings();
    };
    bridge_->SetWindowHooks(hooks);
    if (forms_.AutoFinding) {
        forms_.AutoFinding->SetBar(ConnectBar);
        forms_.AutoFinding->SetGauge(Status->ProgressBar());
    }
    if (forms_.Connection && forms_.AutoFinding)
        forms_.AutoFinding->SetDialogButton(forms_.Connection->ConnectBtn());
    if (forms_.IPFind)
        forms_.IPFind->SetButtons(ConnectBar->RemoteBtn(),
                                  forms_.Connection ? forms_.Connection->RemoteBtn() : nullptr);

    auto locked = [this] { return controller_->IsLocked(); };
    auto paneList = [this](int index) { return GetPaneList(index); };
    if (forms_.EditDisplay) {
        TEditDisplayForm::SLinks links;
        links.Source = &panes_->Source();
        links.Style = &main_.Style;
        links.TracesRFOn = &main_.TracesRFOn;
        links.Locked = locked;
        links.GetPaneList = paneList;
        forms_.EditDisplay->Bind(links);
    }
    if (forms_.Settings) {
        TSettingsForm::SLinks links;
        links.Settings = &controller_->Settings();
        links.Source = &panes_->Source();
        links.Locked = locked;
        links.SettingsFileName = [this] { return controller_->SettingsFileName(); };
        links.GetPaneList = paneList;
        links.SetDefaultDisplay = [this] { SetDefaultDisplay(); };
        links.Applied = [this] { controller_->ApplySettings(); };
        links.EditDisplay = forms_.EditDisplay;
        forms_.Settings->Bind(links);
    }
    if (forms_.HardFault)
        forms_.HardFault->InitMemory = [this] { return device_->InitMemory(1); };
    BindChartWindows();
    BindLogging();
    WatchToolWindows();
}

void TMainForm::SetCommandLine(const std::vector<std::string>& args, const std::string& programDir)
{
    args_ = args;
    programDir_ = programDir;
    if (!programDir_.empty() && programDir_.back() != '/')
        programDir_ += '/';
}

void TMainForm::CreateMenus()
{
    auto item = [this](QMenu* menu, const char* name, const char* caption, auto handler) {
        QAction* a = menu->addAction(caption);
        a->setObjectName(name);
        connect(a, &QAction::triggered, this, handler);
        return a;
    };

    OrreryMenu = menuBar()->addMenu("&Orrery");
    OrreryMenu->setObjectName("OrreryMenu");
    ConnectionMenuItem = item(OrreryMenu, "ConnectionMenuItem", "  &Connection...",
                              &TMainForm::ConnectionMenuItemClick);
    OrreryMenu->addSeparator();
    SettingsMenuItem = item(OrreryMenu, "SettingsMenuItem", "&Settings...",
                            &TMainForm::SettingsBtnClick);
    LoadSettingsMenuItem = item(OrreryMenu, "LoadSettingsMenuItem", "  L&oad Settings...",
                                &TMainForm::LoadSettingsMenuItemClick);
    SaveSettingsMenuItem = item(OrreryMenu, "SaveSettingsMenuItem", "  Sa&ve Settings",
                                &TMainForm::SaveSettingsMenuItemClick);
    SaveSettingsAsMenuItem = item(OrreryMenu, "SaveSettingsAsMenuItem", "  Save Settings &As...",
                                  &TMainForm::SaveSettingsAsMenuItemClick);
    OrreryMenu->addSeparator();
    ReadTimerMenuItem =
        item(OrreryMenu, "ReadTimerMenuItem", "&Read Timer", &TMainForm::ReadTimerBtnClick);
    ReadTimerMenuItem->setCheckable(true);
    LockMenuItem = item(OrreryMenu, "LockMenuItem", "&Lock Orrery...", &TMainForm::LockBtnClick);
    LockMenuItem->setCheckable(true);
    OrreryMenu->addSeparator();
    PrintMenuItem = item(OrreryMenu, "PrintMenuItem", "  &Print Image...",
                         &TMainForm::PrintMenuItemClick);
    CopyToClipboardMenuItem = item(OrreryMenu, "CopyToClipboardMenuItem",
                                   "  Copy &Image to Clipboard",
                                   &TMainForm::CopyToClipboardMenuItemClick);
    ExitMenuItem = item(OrreryMenu, "ExitMenuItem", "  E&xit", &TMainForm::ExitMenuItemClick);

    ToolsMenu = menuBar()->addMenu("&Tools");
    ToolsMenu->setObjectName("ToolsMenu");
    LoggingMenuItem = item(ToolsMenu, "LoggingMenuItem", "&Logging", &TMainForm::LoggingBtnClick);
    LoggingMenuItem->setCheckable(true);
    // The service side's items: it wires them to its windows (IMainHost::ToolItems).
    auto serviceItem = [](QMenu* menu, const char* name, const char* caption) {
        QAction* a = menu->addAction(caption);
        a->setObjectName(name);
        return a;
    };
    TuningMenuItem = serviceItem(ToolsMenu, "TuningMenuItem", "  T&uning");
    TuningMenuItem->setCheckable(true);
    TechMenuItem = serviceItem(ToolsMenu, "TechMenuItem", "  &Technical...");
    BootPMenuItem = serviceItem(ToolsMenu, "BootPMenuItem", "  &BootP configuration");
    FlashingMenuItem = serviceItem(ToolsMenu, "FlashingMenuItem", "  &Flashing...");
    XilinxMenuItem = serviceItem(ToolsMenu, "XilinxMenuItem", "  &Xilinx...");
    OstraBuslogMenuItem = item(ToolsMenu, "OstraBuslogMenuItem", "  Ostra Bus log",
                               &TMainForm::OstraBuslogMenuItemClick);
    AutoTestMenuItem = serviceItem(ToolsMenu, "AutoTestMenuItem", "  Auto-test");

    WindowMenu = menuBar()->addMenu("Window");
    WindowMenu->setObjectName("WindowMenu");
    CapsMenuItem = item(WindowMenu, "CapsMenuItem", "&Capacitors", &TMainForm::CapsBtnClick);
    CapsMenuItem->setCheckable(true);
    SmithMenuItem = item(WindowMenu, "SmithMenuItem", "&Smith Chart", &TMainForm::SmithBtnClick);
    SmithMenuItem->setCheckable(true);
    WindowMenu->addSeparator();
    ClearMenuItem = item(WindowMenu, "ClearMenuItem", "Clear", &TMainForm::ClearBtnClick);

    HelpMenu = menuBar()->addMenu("&Help");
    HelpMenu->setObjectName("HelpMenu");
    HelpMenuItem = item(HelpMenu, "HelpMenuItem", "&Help", &TMainForm::HelpBtnClick);
    HelpMenuItem->setShortcut(QKeySequence(Qt::Key_F1));
    AboutMenuItem = item(HelpMenu, "AboutMenuItem", "  &About...", &TMainForm::AboutMenuItemClick);
    DemoMenuItem = item(HelpMenu, "DemoMenuItem", "  &Demo", &TMainForm::DemoMenuItemClick);
    DemoMenuItem->setCheckable(true);
}

void TMainForm::CreateToolBar()
{
    QToolBar* bar = addToolBar("ToolBar");
    bar->setObjectName("ToolBar");
    bar->setMovable(false);
    ConnectBar = new TConnectBarFrame(bar);
    ConnectBar->setObjectName("ConnectBar");
    ConnectBar->SetController(bridge_.get());
    bar->addWidget(ConnectBar);
    bar->addSeparator();

    ReadTimerBtn = MakeToolButton(bar, "ReadTimerBtn", "Read", "Read timer", true);
    LockBtn = MakeToolButton(bar, "LockBtn", "Lock", "Lock Orrery", true);
    LoggingBtn = MakeToolButton(bar, "LoggingBtn", "Log", "Logging", true);
    SettingsBtn = MakeToolButton(bar, "SettingsBtn", "Settings", "Settings", true);
    HelpBtn = MakeToolButton(bar, "HelpBtn", "Help", "Help", false);
    for (QToolButton* b : {ReadTimerBtn, LockBtn, LoggingBtn, SettingsBtn, HelpBtn})
        bar->addWidget(b);
    connect(ReadTimerBtn, &QToolButton::clicked, this, &TMainForm::ReadTimerBtnClick);
    connect(LockBtn, &QToolButton::clicked, this, &TMainForm::LockBtnClick);
    connect(SettingsBtn, &QToolButton::clicked, this, &TMainForm::SettingsBtnClick);
    connect(LoggingBtn, &QToolButton::clicked, this, &TMainForm::LoggingBtnClick);
    connect(HelpBtn, &QToolButton::clicked, this, &TMainForm::HelpBtnClick);
    CreateChartButtons(bar);
}

void TMainForm::CreateBody()
{
    auto* central = new QWidget(this);
    central->setObjectName("Body");
    auto* outer = new QVBoxLayout(central);
    outer->setContentsMargins(2, 2, 2, 2);
    auto* row = new QHBoxLayout;
    outer->addLayout(row, 1);

    Splitter1 = new QSplitter(Qt::Horizontal, central);
    Splitter1->setObjectName("Splitter1");
    PaneArea0 = MakeArea(Splitter1, "PaneArea0");
    PaneArea1 = MakeArea(Splitter1, "PaneArea1");
    Splitter1->addWidget(PaneArea0);
    Splitter1->addWidget(PaneArea1);
    Splitter1->setStretchFactor(1, 1);
    row->addWidget(Splitter1, 1);

    auto* right = new QVBoxLayout;
    auto* panels = new QHBoxLayout;
    auto panel = [central](const char* name, const char* text) {
        auto* p = new QLabel(text, central);
        p->setObjectName(name);
        p->setAlignment(Qt::AlignCenter);
        p->setFrameShape(QFrame::Panel);
        p->setFrameShadow(QFrame::Sunken);
        p->setAutoFillBackground(true);
        p->setMinimumWidth(80);
        return p;
    };
    RFOnPanel = panel("RFOnPanel", "RF Off");
    TunedPanel = panel("TunedPanel", "Not tuned");
    _3capTunedPanel = panel("_3capTunedPanel", "3rd cap not tuned");
    _3capTunedPanel->setVisible(false);
    panels->addWidget(RFOnPanel);
    panels->addWidget(TunedPanel);
    panels->addWidget(_3capTunedPanel);
    right->addLayout(panels);
    CreateControls(right);

    PageControl = new QTabWidget(central);
    PageControl->setObjectName("PageControl");
    ShowWholeTabs(PageControl);
    DisplayPage = MakeArea(PageControl, "DisplayPage");
    FaultsPage = MakeArea(PageControl, "FaultsPage");
    PageControl->addTab(DisplayPage, "Display");
    // The service side's unit pages go before the Faults page, its service pages after it.
    PageControl->addTab(FaultsPage, "Faults");
    FaultsFrame = new TFaultsFrame(FaultsPage);
    FaultsPage->layout()->addWidget(FaultsFrame);
    connect(FaultsFrame->RefreshFaultsBtn, &QPushButton::clicked, this,
            &TMainForm::RefreshFaultsBtnClick);
    connect(FaultsFrame->DisAudioCheckBox, &QCheckBox::toggled, this,
            [this](bool on) { main_.DisAudio = on; });
    right->addWidget(PageControl, 1);
    AlarmArea = MakeArea(central, "AlarmArea");
    AlarmPanel = new TAlarmPanel(AlarmArea);
    AlarmArea->layout()->addWidget(AlarmPanel);
    right->addWidget(AlarmArea);
    row->addLayout(right);

    // Where the window is smaller than its controls need (a small screen, a third capacitor's
    // controls), they scroll instead of going past the window's edge.
    auto* frame = new QWidget(this);
    frame->setObjectName("BodyFrame");
    auto* column = new QVBoxLayout(frame);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    bodyScroll_ = new QScrollArea(frame);
    bodyScroll_->setObjectName("BodyScroll");
    bodyScroll_->setFrameShape(QFrame::NoFrame);
    bodyScroll_->setWidgetResizable(true);
    bodyScroll_->setWidget(central);
    column->addWidget(bodyScroll_, 1);
    // The status frame is no part of what scrolls: it stays whole along the window's bottom, and
    // the scroll bar the controls may need goes above it.
    Status = new TStatusFrame(frame);
    Status->setObjectName("Status");
    Status->SetContext(bridge_.get());
    statusRow_ = new QHBoxLayout;
    statusRow_->setContentsMargins(2, 0, 2, 2);
    statusRow_->addWidget(Status);
    column->addLayout(statusRow_);
    setCentralWidget(frame);
    central->installEventFilter(this);
}

QSize TMainForm::BodyNeed() const
{
    // The scrolled controls' minimum, and the status frame's row below them.
    const QSize controls = bodyScroll_->widget()->minimumSizeHint();
    const QSize status = statusRow_->minimumSize();
    return {std::max(controls.width(), status.width()), controls.height() + status.height()};
}

bool TMainForm::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Expose && watched->isWindowType() &&
        static_cast<QWindow*>(watched)->isExposed())
        WindowFramed(static_cast<QWindow*>(watched));
    if (event->type() == QEvent::LayoutRequest && !growQueued_ && isVisible() && bodyScroll_
        && watched == bodyScroll_->widget()) {
        growQueued_ = true;
        QTimer::singleShot(0, this, [this] {
            growQueued_ = false;
            FitOnScreen(true);
        });
    }
    return QMainWindow::eventFilter(watched, event);
}

void TMainForm::CreatePanes()
{
    panes_ = std::make_unique<CReadingsPanes>(ProgramVars(), *data_, *device_, main_.Style,
                                              PlotView());
    int pane = 0;
    for (auto [box, area, name] : {std::tuple{&PaneListBox, PaneArea0, "PaneListBox"},
                                   std::tuple{&PaneListBox1, PaneArea1, "PaneListBox1"}}) {
        *box = new TPaneListBox(area);
        (*box)->setObjectName(name);
        area->layout()->addWidget(*box);
        (*box)->Attach(panes_->Get(pane));
        connect(*box, &TPaneListBox::ItemDoubleClicked, this,
                [this, pane](int index) { PaneListBoxDblClick(pane, index); });
        ++pane;
    }
    Splitter1->setStretchFactor(0, 0);
}

void TMainForm::SetDefaultDisplay()
{
    main_.SetDefaultDisplay();
    move(main_.Left, main_.Top);
    panes_->SetDefault();
    ApplyPaneWidth();
}

void TMainForm::ApplyPaneWidth()
{
    const int width = PaneListBox->sizeHint().width();
    // The upper pane keeps its width (up to the default one): where the lower pane and the
    // controls need more room the window grows, instead of squeezing the pane until its labels
    // overlap. A pane made wider can still be dragged back to the default width.
    PaneArea0->setMinimumWidth(std::min(width, int(CReadingsPanes::DefaultPaneWidth)));
    const int rest = Splitter1->width() - width - Splitter1->handleWidth();
    if (Splitter1->isVisible() && rest > 0)
        Splitter1->setSizes({width, rest});
}

// --- life -------------------------------------------------------------------------------------

void TMainForm::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    if (shownOnce_)
        return;
    shownOnce_ = true;
    // Start-up runs after the window is on the screen, from the event loop.
    QTimer::singleShot(0, this, &TMainForm::FormShow);
}

void TMainForm::resizeEvent(QResizeEvent* event)
{
    QMainWindow::resizeEvent(event);
    // Below the minimum size of its layouts the pages' controls print over each other. A window
    // manager keeps to that minimum; without one the window may be given less, and then asks for
    // its minimum back, once for each such size (a size it is given again stands).
    if (size().expandedTo(minimumSize()) == size()) {
        refusedSize_ = QSize();
        return;
    }
    if (refusedSize_ == size())
        return;
    refusedSize_ = size();
    QTimer::singleShot(0, this, [this] { resize(size().expandedTo(minimumSize())); });
}

void TMainForm::FormShow()
{
    ReadAllPages(); // demo values on the unit pages
    CSettings& s = controller_->Settings();
    s.Addr = 2;
    s.Timeout = 500;
    if (forms_.Settings)
        forms_.Settings->PageControl->setCurrentIndex(0);
    controller_->SetOutputOnText("RF is On");
    FitOnScreen();
    if (!controller_->Startup()) {
        close();
        return;
    }
    ApplyPaneWidth();
    SelectControlPage(true);
    RefreshValuePanes();
    StartupTimer->start();
}

void TMainForm::StartupTimerTimer()
{
    StartupTimer->stop();
    controller_->OnStartupTimer();
}

void TMainForm::closeEvent(QCloseEvent* event)
{
    if (!shutDown_ && !controller_->CloseQuery()) {
        event->ignore();
        return;
    }
    ShutDown();
    event->accept();
    EndProgram();
}

void TMainForm::EndProgram()
{
    // Closing this window ends the program, whatever else is open: the application does not wait
    // for the last of its windows to close (a tool window counts for none, and a window that
    // stayed would keep the program and the unit's port). Every window it opened closes with it.
    std::vector<QPointer<QWidget>> windows;
    for (QWidget* w : findChildren<QWidget*>())
        if (w->isWindow())
            windows.emplace_back(w);
    if (forms_.Splash)
        windows.emplace_back(forms_.Splash.data());
    for (const QPointer<QWidget>& w : windows) {
        if (!w || !w->isVisible())
            continue;
        w->close();
        if (w && w->isVisible())
            w->hide(); // closed whatever it answers
    }
    QCoreApplication::exit(0);
}

void TMainForm::ShutDown()
{
    if (shutDown_)
        return;
    shutDown_ = true;
    // Nothing may fire into the controller or the device once they are freed.
    if (StartupTimer)
        StartupTimer->stop();
    if (ReadTimer)
        ReadTimer->stop();
    if (service_)
        service_->EndAutoTest();
    StopLogging();
}

// --- operations ---------------------------------------------------------------------------------

void TMainForm::ClearStatus() { Status->ClearMessage(); }

void TMainForm::ExchangeSettings(CRegistry& store)
{
    CMainSettings::Parts parts;
    parts.Vars = [](CRegistry& s) { ProgramVars().Exchange(s); };
    parts.Model = [this](CRegistry& s) { device_->LoadModel(s); };
    parts.Pane0 = [this](CRegistry& s) { panes_->Exchange(s, 0); };
    parts.Pane1 = [this](CRegistry& s) { panes_->Exchange(s, 1); };
    parts.Smith = [this](CRegistry& s) { ExchangeChartWindow(false, s); };
    parts.Caps = [this](CRegistry& s) { ExchangeChartWindow(true, s); };
    // The tool windows the settings show open beside the window at its loaded place.
    parts.Placed = [this] { FitOnScreenAt(QPoint(main_.Left, main_.Top)); };
    parts.LogFormat = LogFormatExchange();
    QSize screen(1024, 768);
    if (QScreen* sc = QGuiApplication::primaryScreen())
        screen = sc->geometry().size();
    if (!store.Reading()) {
        main_.Top = y();
        main_.Left = x();
    }
    main_.Exchange(store, parts, screen.width(), screen.height());
    if (store.Reading()) {
        FaultsFrame->DisAudioCheckBox->setChecked(main_.DisAudio);
        panes_->Remeasure(); // the item sizes may have changed
        ApplyPaneWidth();
    }
}

void TMainForm::ExchangeToolSettings(CRegistry& store)
{
    ExchangeLoggingSettings(store);
    if (service_)
        service_->ExchangeToolSettings(store);
}

void TMainForm::SetPanel(QLabel* panel, bool on, const char* onText, const char* offText)
{
    panel->setText(on ? onText : offText);
    SetPaletteColor(panel, QPalette::Window,
                    on ? QColor(0x00, 0xFF, 0x00) : QApplication::palette().color(QPalette::Button));
}

int TMainForm::ReadUnitSetup()
{
    StartNewTrails(); // a unit has just been connected
    if (service_)
        service_->ClearInfoPage();
    int r = device_->WaitMotors();
    if (r != 0)
        return r;
    const std::string name = device_->CopyDisplayName();
    Status->SetConnectionText(name);
    r = ReadAllPages();
    if (r == 0 && device_->Has3rdCap()) {
        // The ratio box shows what this unit holds, never the last unit's or a default.
        double ratio = 0.0;
        r = device_->Read3capRatio(ratio);
    }
    if (r == 0)
        ValidatePanes();
    return r;
}

int TMainForm::UpdateReadings()
{
    return CReadings::Update(*device_, *data_, main_.TracesRFOn, *this);
}

void TMainForm::UpdateInterlockPanel()
{
    // Without a reading the interlock's state is unknown: the panel is hidden as while
    // disconnected, not left showing the last state.
    const bool localPort = controller_->IsConnected() && controller_->ConnMode() == COrrery::ModeLocal;
    AlarmPanel->InterlockPanel->setVisible(
        CFaults::InterlockShown(localPort && readingsKnown_, device_->IsFamily200(), device_->PinBit31()));
}

void TMainForm::UpdateControls()
{
    UpdateInterlockPanel();
    _3capTunedPanel->setVisible(device_->Has3rdCap());
    FaultsFrame->ShowThirdCap(device_->Has3rdCap());
    const bool unlocked = !controller_->IsLocked();
    ClearBtn->setEnabled(unlocked);
    ClearMenuItem->setEnabled(unlocked);
    if (service_)
        service_->UpdateUnitPages();
    UpdateCapControls();
    UpdateToolItems();
    RefreshUnitView();
}

void TMainForm::ApplyUiState(const COrreryUiState& s)
{
    SettingsMenuItem->setEnabled(true);
    LoadSettingsMenuItem->setEnabled(s.SettingsFileItemsEnabled);
    SaveSettingsMenuItem->setEnabled(s.SettingsFileItemsEnabled);
    SaveSettingsAsMenuItem->setEnabled(s.SettingsFileItemsEnabled);
    DemoMenuItem->setChecked(s.DemoChecked);
    DemoMenuItem->setEnabled(s.DemoEnabled);
    ReadTimerBtn->setEnabled(s.ReadTimerEnabled);
    ReadTimerMenuItem->setEnabled(s.ReadTimerEnabled);
    LockBtn->setChecked(s.LockDown);
    LockBtn->setToolTip(Q(s.LockHint));
    LockMenuItem->setText(Q(s.LockCaption));
    LockMenuItem->setChecked(s.LockDown);
    TechMenuItem->setEnabled(s.TechEnabled);
    BootPMenuItem->setEnabled(s.BootPEnabled);
    ApplyLoggingState(s);
}

IMainHost::SToolItems TMainForm::ToolItems()
{
    return {TuningMenuItem, TechMenuItem, BootPMenuItem, FlashingMenuItem, XilinxMenuItem, AutoTestMenuItem};
}

void TMainForm::PrintImage(QPrinter& printer) { PrintWindowImage(printer, WindowImage()); }

QImage TMainForm::WindowImage() { return grab().toImage(); }

// --- handlers -----------------------------------------------------------------------------------

void TMainForm::ReadTimerTimer()
{
    if (!shutDown_)
        controller_->OnReadTimer();
}

void TMainForm::ConnectionMenuItemClick() { controller_->ShowConnectionDialog(); }
void TMainForm::SettingsBtnClick() { controller_->ShowSettings(); }
void TMainForm::LoadSettingsMenuItemClick() { controller_->LoadSettings(); }
void TMainForm::SaveSettingsMenuItemClick() { controller_->SaveSettings(); }
void TMainForm::SaveSettingsAsMenuItemClick() { controller_->SaveSettingsAs(); }
void TMainForm::ReadTimerBtnClick() { controller_->ToggleReadTimer(); }

void TMainForm::LockBtnClick()
{
    LockBtn->setChecked(controller_->IsLocked()); // the click itself toggled the button
    controller_->LockUnlock();
}

void TMainForm::PrintMenuItemClick()
{
    QPrinter printer;
    QPrintDialog dialog(&printer, this);
    if (dialog.exec() == QDialog::Accepted)
        PrintImage(printer);
}

void TMainForm::CopyToClipboardMenuItemClick()
{
    QApplication::clipboard()->setImage(WindowImage());
}

void TMainForm::ExitMenuItemClick() { close(); }
void TMainForm::HelpBtnClick() { controller_->ShowHelp(COrrery::HelpFile); }
void TMainForm::AboutMenuItemClick() { controller_->ShowAbout(); }
void TMainForm::DemoMenuItemClick() { controller_->ToggleDemo(); }

void TMainForm::ClearBtnClick()
{
    // A locked panel keeps its history, whatever reaches this handler.
    if (controller_->IsLocked())
        return;
    data_->Clear();
    RefreshAll();
}

// --- view of the controller ---------------------------------------------------------------------

void TMainForm::ShowSplash()
{
    if (forms_.Splash)
        forms_.Splash->show();
}

bool TMainForm::ShowDisclaimer(const std::string& caption)
{
    if (!forms_.Accept)
        return false;
    forms_.Accept->setWindowTitle(Q(caption));
    return forms_.Accept->exec() == QDialog::Accepted;
}

void TMainForm::ShowAbout()
{
    if (!forms_.About)
        return;
    forms_.About->SetProductId(controller_->ProductId());
    forms_.About->exec();
}

void TMainForm::SetCaptions(const std::string& mainCaption, const std::string& loggingCaption)
{
    setWindowTitle(Q(mainCaption));
    const bool changed = QApplication::applicationDisplayName() != Q(mainCaption);
    if (changed)
        QApplication::setApplicationDisplayName(Q(mainCaption)); // the application's title
    // The logging window's own title leaves out the header the application's title carries.
    SetLoggingCaption(loggingCaption);
    if (!changed)
        return;
    // The platform adds that title to a window's own when the window's title is set; every
    // window made so far takes the new one, shown or hidden (a hidden one keeps what it was
    // given when it is shown again).
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->windowHandle())
            w->windowHandle()->setTitle(w->windowTitle());
}

bool TMainForm::ReadTimerEnabled() const { return ReadTimer->isActive(); }

void TMainForm::SetReadTimer(bool on)
{
    // An interval of 0 never fires.
    if (on && ReadTimer->interval() > 0)
        ReadTimer->start();
    else
        ReadTimer->stop();
    ReadTimerBtn->setChecked(on);
    ReadTimerMenuItem->setChecked(on);
    RefreshPlot();
    UpdateTimerButtons();
}

void TMainForm::SetReadTimerInterval(int ms)
{
    ReadTimer->setInterval(ms);
    if (ms <= 0)
        ReadTimer->stop();
}

void TMainForm::SetCommState(int state) { Status->SetCommState(state); }
void TMainForm::ShowCommandResult(int result, int command)
{
    Status->ShowCommandResult(result, command);
}
void TMainForm::SetConnectionText(const std::string& text) { Status->SetConnectionText(text); }
void TMainForm::SetRemoteText(const std::string& text) { Status->SetRemoteText(text); }
void TMainForm::StartStatusTimer() { Status->StatusTimer()->start(); }

void TMainForm::UpdateConnection(int connMode)
{
    ConnectBar->UpdateState(connMode);
    Status->UpdateConnection(connMode);
    // An open connection dialog follows every change as the bar does, so that none of its
    // buttons acts on a connection that is gone.
    if (forms_.Connection && forms_.Connection->isVisible())
        forms_.Connection->FollowConnection();
}

std::string TMainForm::PortText() const { return ConnectBar->PortText(); }
void TMainForm::SetPortText(const std::string& text) { ConnectBar->SetPortText(text); }
std::string TMainForm::SiteText() const { return ConnectBar->SiteText(); }
void TMainForm::SetSiteText(const std::string& text)
{
    ConnectBar->RemoteComboBox()->setEditText(Q(text));
}
void TMainForm::SetSiteItems(const std::vector<std::string>& items)
{
    ConnectBar->SetSiteItems(items);
}
void TMainForm::SetPortItems(const std::vector<std::string>& items)
{
    ConnectBar->SetPortItems(items);
}
void TMainForm::SetRemoteButtonEnabled(bool enabled) { ConnectBar->RemoteBtn()->setEnabled(enabled); }

void TMainForm::ResetComboCarets()
{
    for (QComboBox* box : {ConnectBar->RemoteComboBox(), ConnectBar->ComPortComboBox()})
        if (box->lineEdit())
            box->lineEdit()->setCursorPosition(0);
}

int TMainForm::ShowAutoFinding(bool fromConnectBar, bool skipCurrentPort)
{
    if (!forms_.AutoFinding)
        return findresult::NotFound;
    forms_.AutoFinding->SetFromConnectBar(fromConnectBar);
    forms_.AutoFinding->SetFirstTryFailed(skipCurrentPort);
    return forms_.AutoFinding->exec();
}

int TMainForm::ShowSiteFinding(bool fromConnectBar)
{
    if (!forms_.IPFind)
        return findresult::NotFound;
    forms_.IPFind->SetFromConnectBar(fromConnectBar);
    return forms_.IPFind->exec();
}

void TMainForm::ShowConnectionDialog()
{
    if (forms_.Connection)
        forms_.Connection->exec();
}

void TMainForm::ShowSettingsDialog()
{
    SettingsBtn->setChecked(true);
    if (forms_.Settings)
        forms_.Settings->exec();
    SettingsBtn->setChecked(false);
}

bool TMainForm::ShowPasswordDialog(const std::string& caption, const std::string& prompt,
                                   std::string& text)
{
    if (!forms_.Password)
        return false;
    forms_.Password->Prepare(Q(caption), Q(prompt));
    const bool ok = forms_.Password->exec() == QDialog::Accepted;
    text = forms_.Password->TakeText();
    return ok;
}

bool TMainForm::AskOpenSettingsFile(std::string& fileName)
{
    QFileDialog dialog(this, "Open");
    dialog.setNameFilter(SettingsFilter);
    dialog.setDefaultSuffix("orrery");
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return false;
    fileName = dialog.selectedFiles().first().toStdString();
    return true;
}

bool TMainForm::AskSaveSettingsFile(std::string& fileName)
{
    QFileDialog dialog(this, "Save As");
    dialog.setNameFilter(SettingsFilter);
    dialog.setDefaultSuffix("orrery");
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, false);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return false;
    fileName = dialog.selectedFiles().first().toStdString();
    return true;
}

void TMainForm::OpenDocument(const std::string& path)
{
    QDesktopServices::openUrl(QUrl::fromLocalFile(Q(path)));
}

void TMainForm::SetBusyCursor(bool busy)
{
    if (busy)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    else
        QApplication::restoreOverrideCursor();
}

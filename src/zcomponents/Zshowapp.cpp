#include "zcomponents/Zshowapp.h"

#include "zcomponents/Zcolor.h"
#include "zcomponents/Zfastbmp.h"

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QTimer>
#include <QCryptographicHash>
#include <QDataStream>
#include <QDir>
#include <QEvent>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHelpEvent>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLocale>
#include <QProcessEnvironment>
#include <QSessionManager>
#include <QSysInfo>
#include <QToolTip>
#include <QWidget>
#include <QWindow>
#include <QWindowStateChangeEvent>
#include <arpa/inet.h>
#include <cmath>
#include <netdb.h>
#include <pwd.h>
#include <unistd.h>

namespace {

constexpr int KeyHashChars = 12;
constexpr int HandOverMs = 2000;
constexpr int OffScreenGap = 10;
constexpr int HostNameMax = 255;
constexpr int ExactColorBits = 25;
constexpr std::uint32_t MmxBit = 1u << 23;
constexpr int FourDigits = 4;
const char* const kMessageSuffix = "_Afslut";
const char* const kUnknownHost = "-Unknown-";
const char* const kNoHost = "-none-";
const char* const kUnknownVendor = "-unknown-";
const char* const kSystemDir = "/usr/lib";

// The application object's own settings that Qt keeps nowhere.
struct TAppMirror {
    QString helpFile;
    QString hint;
    TColor hintColor = clInfoBk;
    int hintPause = 500;
    int hintHidePause = 2500;
    bool showHint = true;
    bool showMainForm = true;
};

TAppMirror& Mirror()
{
    static TAppMirror mirror;
    return mirror;
}

int& ShowCommand()
{
    static int command = SW_SHOWNORMAL;
    return command;
}

QString& DateFormat()
{
    static QString format = QLocale().dateFormat(QLocale::ShortFormat);
    return format;
}

QPointer<QWidget>& MainFormRecord()
{
    static QPointer<QWidget> form;
    return form;
}

} // namespace

void SetMainForm(QWidget* form)
{
    MainFormRecord() = form;
}

bool IsMainForm(const QWidget* form)
{
    if (!form)
        return false;
    if (MainFormRecord())
        return form == MainFormRecord();
    return !form->parentWidget();
}

int StartupShowCommand()
{
    return ShowCommand();
}

void SetStartupShowCommand(int command)
{
    ShowCommand() = command;
}

QString ShortDateFormat()
{
    return DateFormat();
}

void SetShortDateFormat(const QString& format)
{
    DateFormat() = format;
}

QString ShortDateFor(const QString& format, TzShortDateFormat style, const QString& saved)
{
    QString f = format;
    switch (style) {
    case sdfDontTouch:
        return saved;
    case sdf4DigitYear: {
        const int first = int(f.indexOf(u'y'));
        if (first < 0)
            return f;
        int run = 0;
        while (first + run < f.size() && f[first + run] == u'y')
            ++run;
        if (run < FourDigits)
            f.insert(first, QString(FourDigits - run, u'y'));
        return f;
    }
    case sdf2DigitYear:
        while (f.contains(QLatin1String("yyy")))
            f.remove(f.indexOf(u'y'), 1);
        return f;
    }
    return f;
}

QString WindowsStringFor(WTypes kind, std::uint32_t major, std::uint32_t minor, std::uint32_t build)
{
    switch (kind) {
    case z_Windows: return QStringLiteral("Windows %1.%2").arg(major).arg(minor);
    case z_WFW: return QStringLiteral("Windows for Workgroups %1.%2").arg(major).arg(minor);
    case z_Win32S: return QStringLiteral("Win32S %1.%2 (Build: %3)").arg(major).arg(minor).arg(build);
    case z_NT: return QStringLiteral("Windows NT %1.%2 (Build: %3)").arg(major).arg(minor).arg(build);
    case z_95: return QStringLiteral("Windows'95 %1.%2 (Build: %3)").arg(major).arg(minor).arg(build);
    }
    return {};
}

QString CpuStringFor(const TCpuInfo& info, int cpuType)
{
    if (!info.CpuidPresent) {
        constexpr int firstNamed = 2;
        if (cpuType >= firstNamed && cpuType < firstNamed + int(CpuNames.size()))
            return QString::fromLatin1(CpuNames[std::size_t(cpuType - firstNamed)]);
        return QStringLiteral("P%1").arg(cpuType);
    }
    const int family = CpuFamily(info);
    const int model = int((info.CpuidSignature >> 4) & 0xF);
    const bool overdrive = ((info.CpuidSignature >> 12) & 0x3) == 1;
    const QString od = overdrive ? QStringLiteral(" Overdrive") : QString();
    const bool amd = info.CpuVendor == "AuthenticAMD";
    const bool cyrix = info.CpuVendor == "CyrixInstead";
    switch (family) {
    case 4: {
        if (amd)
            return QStringLiteral("AMD Am486/Am5x86");
        if (cyrix)
            return QStringLiteral("Cyrix MediaGX");
        static const char* const models[] = {" DX", " DX", " SX", " DX2", " SL", " SX2", "",
                                              " DX2 WriteBack", " DX4"};
        return QStringLiteral("80486") + od +
               (model < int(std::size(models)) ? QString::fromLatin1(models[model]) : QString());
    }
    case 5: {
        if (amd)
            return QStringLiteral("AMD K5/K6");
        if (cyrix)
            return model == 4 ? QStringLiteral("Cyrix Gxm") : QStringLiteral("Cyrix 6x86");
        QString s = QStringLiteral("Pentium") + od;
        if (model == 1)
            s += QStringLiteral(" 60/66 MHz");
        else if (model == 2)
            s += QStringLiteral(" 75-200 MHz");
        else if (model == 4)
            s += QStringLiteral(" MMX 166/200 MHz");
        return s;
    }
    case 6: {
        if (cyrix)
            return QStringLiteral("Cyrix 6x86MX");
        QString s;
        switch (model) {
        case 1: s = QStringLiteral("Intel Pentium pro"); break;
        case 3: s = QStringLiteral("Intel Pentium II"); break;
        case 5: s = QStringLiteral("Intel P6 (Model 5)"); break;
        case 6: s = QStringLiteral("Intel Celeron (Model 6)"); break;
        default: s = QStringLiteral("Intel Pentium P6"); break;
        }
        return s + od;
    }
    default:
        return {};
    }
}

QString TrimTempDir(QString path)
{
    while (path.size() > 1 && path.endsWith(u'/'))
        path.chop(1);
    return path;
}

void GetHostInfo(QString& name, QString& address)
{
    char host[HostNameMax + 1] = {};
    addrinfo hints{};
    hints.ai_family = AF_INET;
    addrinfo* result = nullptr;
    if (gethostname(host, HostNameMax) != 0 || getaddrinfo(host, nullptr, &hints, &result) != 0 ||
        !result) {
        name = address = QString::fromLatin1(kNoHost);
        return;
    }
    char text[INET_ADDRSTRLEN] = {};
    const auto* in = reinterpret_cast<const sockaddr_in*>(result->ai_addr);
    inet_ntop(AF_INET, &in->sin_addr, text, sizeof text);
    freeaddrinfo(result);
    name = QString::fromLocal8Bit(host);
    address = QString::fromLatin1(text);
}

TzShowApp::TzShowApp(QWidget* owner) : QObject(owner), owner_(owner)
{
    savedShortDate_ = ShortDateFormat();
    SetHintColor(clInfoBk);
    SetHintHidePause(2500);
    SetHintPause(500);
    SetShowHint(true);
    SetShowMainForm(true);
    cpuType_ = CpuID();
    UpdateEnvironment();
    // One application-wide filter sees the owner's state changes and every control's hints.
    if (QCoreApplication::instance())
        QCoreApplication::instance()->installEventFilter(this);
    if (QAbstractEventDispatcher* dispatcher = QAbstractEventDispatcher::instance())
        connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock, this, [this] {
            if (!OnIdle)
                return;
            bool done = true;
            OnIdle(this, done);
            if (!done)
                QTimer::singleShot(0, this, [] {});
        });
    if (auto* app = qobject_cast<QApplication*>(QCoreApplication::instance())) {
        connect(app, &QGuiApplication::applicationStateChanged, this, [this](Qt::ApplicationState s) {
            if (s == Qt::ApplicationActive && OnActivate)
                OnActivate(this);
            else if (s != Qt::ApplicationActive && OnDeActivate)
                OnDeActivate(this);
        });
        connect(app, &QApplication::focusChanged, this, [this] {
            if (OnActiveControlChange)
                OnActiveControlChange(this);
        });
        connect(app, &QGuiApplication::focusWindowChanged, this, [this] {
            if (OnActiveFormChange)
                OnActiveFormChange(this);
        });
        connect(app, &QGuiApplication::commitDataRequest, this, [this](QSessionManager& manager) {
            if (!IsMainForm(owner_))
                return;
            bool mayEnd = true;
            if (OnAskEndSession)
                OnAskEndSession(this, mayEnd);
            if (!mayEnd)
                manager.cancel();
            else if (OnEndSession)
                OnEndSession(this);
        });
    }
}

TzShowApp::~TzShowApp()
{
    if (server_)
        server_->close();
}

void TzShowApp::Loaded()
{
    if (useCmdShow_)
        ApplyStartState();
    cpuType_ = CpuID();
    UpdateEnvironment();
    if (!showOnStatusBar_ && owner_) {
        owner_->setWindowFlag(Qt::Tool, true);
        if (showNonOnStatusBar_)
            owner_->setWindowFlag(Qt::WindowStaysOnTopHint, true);
    }
    TakeInstanceLock();
}

void TzShowApp::ApplyStartState()
{
    if (!owner_)
        return;
    switch (StartupShowCommand()) {
    case SW_SHOWMINIMIZED:
    case SW_MINIMIZE:
    case SW_SHOWMINNOACTIVE:
        owner_->setWindowState(Qt::WindowMinimized);
        savedOnRestore_ = OnRestore;
        restoreSaved_ = true;
        OnRestore = [this](QObject*) { TempRestore(); };
        SetShowMainForm(false);
        break;
    case SW_SHOWMAXIMIZED:
        owner_->setWindowState(Qt::WindowMaximized);
        break;
    default:
        owner_->setWindowState(Qt::WindowNoState);
        break;
    }
}

void TzShowApp::TempRestore()
{
    SetShowMainForm(true);
    if (owner_) {
        owner_->setWindowState(owner_->windowState() & ~Qt::WindowMinimized);
        owner_->show();
    }
    OnRestore = savedOnRestore_;
    restoreSaved_ = false;
}

QString TzShowApp::InstanceKey(const QString& programPath)
{
    const QByteArray hash =
        QCryptographicHash::hash(programPath.toUtf8(), QCryptographicHash::Sha1).toHex();
    return QFileInfo(programPath).fileName() + u'+' + QString::fromLatin1(hash.left(KeyHashChars));
}

void TzShowApp::TakeInstanceLock()
{
    const QString key = instanceName_.isEmpty()
                            ? InstanceKey(QCoreApplication::applicationFilePath())
                            : instanceName_;
    lock_ = std::make_unique<QLockFile>(QDir::temp().filePath(key + QStringLiteral(".lock")));
    lock_->setStaleLockTime(0); // a lock is stale only when its process is gone
    const QString serverName = key + QString::fromLatin1(kMessageSuffix);
    if (lock_->tryLock(0)) {
        if (onlyOne_) {
            QLocalServer::removeServer(serverName);
            server_ = new QLocalServer(this);
            connect(server_, &QLocalServer::newConnection, this, [this] { ReceiveFromOther(); });
            server_->listen(serverName);
        }
        return;
    }
    lock_.reset();
    if (!onlyOne_)
        return;
    closing_ = true;
    if (owner_)
        owner_->move(-(owner_->width() + OffScreenGap), owner_->y());
    bool notify = true;
    if (OnSecondInstance)
        OnSecondInstance(this, notify);
    if (notify) {
        QLocalSocket socket;
        socket.connectToServer(serverName);
        if (socket.waitForConnected(HandOverMs)) {
            QByteArray data;
            QDataStream out(&data, QIODevice::WriteOnly);
            out << QCoreApplication::arguments();
            socket.write(data);
            socket.waitForBytesWritten(HandOverMs);
            socket.disconnectFromServer();
        }
    }
    QMetaObject::invokeMethod(QCoreApplication::instance(), &QCoreApplication::quit,
                              Qt::QueuedConnection);
}

void TzShowApp::ReceiveFromOther()
{
    while (QLocalSocket* socket = server_->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, this, [this, socket] {
            QStringList arguments;
            QDataStream in(socket->readAll());
            in >> arguments;
            socket->deleteLater();
            if (!onlyOne_ || closing_)
                return;
            otherArguments_ = in.status() == QDataStream::Ok ? arguments : QStringList();
            if (OnAnotherInstance)
                OnAnotherInstance(this);
            BringOwnerForward();
        });
        if (socket->state() != QLocalSocket::ConnectedState)
            QMetaObject::invokeMethod(socket, &QLocalSocket::disconnected, Qt::QueuedConnection);
    }
}

void TzShowApp::BringOwnerForward()
{
    if (!IsMainForm(owner_))
        return;
    QWidget* window = owner_->window();
    if (window->isMinimized())
        window->setWindowState((window->windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
    window->show();
    window->raise();
    window->activateWindow();
}

bool TzShowApp::eventFilter(QObject* watched, QEvent* event)
{
    if (watched->isWidgetType() && event->type() == QEvent::Enter) {
        const QString hint = static_cast<QWidget*>(watched)->toolTip();
        if (hint != Mirror().hint) {
            Mirror().hint = hint;
            if (OnHint)
                OnHint(this);
        }
    }
    if (watched->isWidgetType() && event->type() == QEvent::ToolTip && OnShowHint) {
        auto* widget = static_cast<QWidget*>(watched);
        QString text = widget->toolTip();
        bool canShow = true;
        OnShowHint(text, canShow);
        if (!canShow)
            return true;
        if (text != widget->toolTip()) {
            // The changed text is shown in place of the control's own.
            QToolTip::showText(static_cast<QHelpEvent*>(event)->globalPos(), text, widget);
            return true;
        }
    }
    if (watched == owner_ && event->type() == QEvent::WindowStateChange) {
        const auto* change = static_cast<QWindowStateChangeEvent*>(event);
        const bool was = change->oldState() & Qt::WindowMinimized;
        const bool is = owner_->windowState() & Qt::WindowMinimized;
        if (!was && is && OnMinimize)
            OnMinimize(this);
        else if (was && !is && OnRestore)
            OnRestore(this);
    }
    return QObject::eventFilter(watched, event);
}

int TzShowApp::BitsPerColor() const
{
    return TzDesktop().Depth();
}

double TzShowApp::NumberOfColors() const
{
    const int bits = BitsPerColor();
    return bits < ExactColorBits ? double(std::int64_t(1) << bits) : std::pow(2.0, bits);
}

QString TzShowApp::WinDir() const
{
    return QDir::rootPath();
}

QString TzShowApp::SystemDir() const
{
    return QString::fromLatin1(kSystemDir);
}

QString TzShowApp::TempDir() const
{
    return TrimTempDir(QDir::tempPath());
}

QString TzShowApp::ComputerName() const
{
    return QSysInfo::machineHostName();
}

QString TzShowApp::UserName() const
{
    if (const passwd* pw = getpwuid(geteuid()))
        return QString::fromLocal8Bit(pw->pw_name);
    return qEnvironmentVariable("USER");
}

QString TzShowApp::IPHostName() const
{
    if (!enabledHostInfo_)
        return QString::fromLatin1(kUnknownHost);
    QString name, address;
    GetHostInfo(name, address);
    return name;
}

QString TzShowApp::IPHostAddress() const
{
    if (!enabledHostInfo_)
        return QString::fromLatin1(kUnknownHost);
    QString name, address;
    GetHostInfo(name, address);
    return address;
}

QString TzShowApp::WindowsString() const
{
    return WindowsStringFor(WindowKind(), WinVerMajor(), WinVerMinor(), WinVerBuild());
}

QString TzShowApp::CPUString() const
{
    return CpuStringFor(CpuInfo(), cpuType_);
}

QString TzShowApp::CPUVendor() const
{
    const TCpuInfo& info = CpuInfo();
    return info.CpuidPresent ? QString::fromStdString(info.CpuVendor) : QString::fromLatin1(kUnknownVendor);
}

bool TzShowApp::CPUMMX() const
{
    const TCpuInfo& info = CpuInfo();
    return info.CpuidPresent && (info.CpuidFeaturesEdx & MmxBit);
}

int TzShowApp::CPUStepping() const
{
    const TCpuInfo& info = CpuInfo();
    return info.CpuidPresent ? int(info.CpuidSignature & 0xF) : -1;
}

int TzShowApp::CPUModel() const
{
    const TCpuInfo& info = CpuInfo();
    return info.CpuidPresent ? int((info.CpuidSignature >> 4) & 0xF) : -1;
}

int TzShowApp::CPUSpeed() const
{
    return CpuInfo().CpuMhz;
}

QString TzShowApp::GetEnvironmentString(const QString& name) const
{
    const QString prefix = name + u'=';
    for (const QString& line : environment_)
        if (line.startsWith(prefix))
            return line.mid(prefix.size());
    return {};
}

bool TzShowApp::SetEnvironmentString(const QString& name, const QString& value)
{
    const bool ok = !name.isEmpty() && !name.contains(u'=') && qputenv(name.toLocal8Bit().constData(), value.toLocal8Bit());
    UpdateEnvironment();
    return ok;
}

void TzShowApp::UpdateEnvironment()
{
    environment_ = QProcessEnvironment::systemEnvironment().toStringList();
}

void TzShowApp::SetShortDate(TzShortDateFormat style)
{
    shortDate_ = style;
    SetShortDateFormat(ShortDateFor(ShortDateFormat(), style, savedShortDate_));
}

QString TzShowApp::Title() const { return QGuiApplication::applicationDisplayName(); }
void TzShowApp::SetTitle(const QString& s) { QGuiApplication::setApplicationDisplayName(s); }
QIcon TzShowApp::Icon() const { return QGuiApplication::windowIcon(); }
void TzShowApp::SetIcon(const QIcon& icon) { QGuiApplication::setWindowIcon(icon); }
QString TzShowApp::HelpFile() const { return Mirror().helpFile; }
void TzShowApp::SetHelpFile(const QString& s) { Mirror().helpFile = s; }
QString TzShowApp::Hint() const { return Mirror().hint; }
void TzShowApp::SetHint(const QString& s) { Mirror().hint = s; }
TColor TzShowApp::HintColor() const { return Mirror().hintColor; }
int TzShowApp::HintPause() const { return Mirror().hintPause; }
void TzShowApp::SetHintPause(int ms) { Mirror().hintPause = ms; }
int TzShowApp::HintHidePause() const { return Mirror().hintHidePause; }
void TzShowApp::SetHintHidePause(int ms) { Mirror().hintHidePause = ms; }
bool TzShowApp::ShowHint() const { return Mirror().showHint; }
void TzShowApp::SetShowHint(bool b) { Mirror().showHint = b; }
bool TzShowApp::ShowMainForm() const { return Mirror().showMainForm; }
void TzShowApp::SetShowMainForm(bool b) { Mirror().showMainForm = b; }

void TzShowApp::SetHintColor(TColor c)
{
    Mirror().hintColor = c;
    QPalette palette = QToolTip::palette();
    palette.setColor(QPalette::ToolTipBase, ColorToQColor(c));
    QToolTip::setPalette(palette);
}

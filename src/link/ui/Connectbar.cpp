#include "link/ui/Connectbar.h"

#include "link/Gethostbyname.h"
#include "zcomponents/Zwidgets.h"

#include <QActionGroup>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>

namespace {

QComboBox* NewCombo(const char* name, QWidget* parent)
{
    auto* combo = NewNamed<QComboBox>(parent, name);
    combo->setEditable(true);
    combo->setInsertPolicy(QComboBox::NoInsert);
    // What the user types is what is used: no inline completion from the list.
    combo->setCompleter(nullptr);
    return combo;
}

// True when the list changed.
bool SetItems(QComboBox* combo, const std::vector<std::string>& items)
{
    QStringList list;
    for (const std::string& item : items)
        list << QString::fromStdString(item);
    QStringList current;
    for (int i = 0; i < combo->count(); ++i)
        current << combo->itemText(i);
    if (current == list)
        return false;
    const QString text = combo->currentText();
    combo->clear();
    combo->addItems(list);
    combo->setEditText(text);
    return true;
}

bool ShowsDisconnect(const QToolButton* button)
{
    return button->text() == QLatin1String(CConnectRules::DisconnectCaption);
}

std::vector<std::string> Items(const QComboBox* combo)
{
    std::vector<std::string> items;
    for (int i = 0; i < combo->count(); ++i)
        items.push_back(combo->itemText(i).toStdString());
    return items;
}

} // namespace

TConnectBarFrame::TConnectBarFrame(QWidget* parent) : QFrame(parent)
{
    setObjectName("ConnectBar");
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);

    modeBtn_ = NewNamedButton<QToolButton>(this, "ModeBtn", "Local");
    modeBtn_->setMinimumWidth(56);
    selectBtn_ = NewNamedButton<QToolButton>(this, "SelectBtn", QString(), "Network/Gateway");
    selectBtn_->setArrowType(Qt::DownArrow);
    connPopupMenu_ = NewNamed<QMenu>(this, "ConnPopupMenu");
    auto* group = new QActionGroup(connPopupMenu_);
    localItem_ = connPopupMenu_->addAction("Local Com port");
    localItem_->setObjectName("LocalItem");
    modbusItem_ = connPopupMenu_->addAction("Network");
    modbusItem_->setObjectName("ModbusItem");
    for (QAction* item : {localItem_, modbusItem_}) {
        item->setCheckable(true);
        group->addAction(item);
    }
    localItem_->setChecked(true);

    remoteComboBox_ = NewCombo("RemoteComboBox", this);
    remoteComboBox_->addItems({CGetHostByName::MyComputerSite, CGetHostByName::LocalHostSite,
                               CGetHostByName::LoopbackAddress, UnitSiteAddress});
    remoteComboBox_->setMaxVisibleItems(SiteRows);
    remoteComboBox_->setMinimumWidth(140);
    remoteBtn_ = NewNamedButton<QToolButton>(this, "RemoteBtn", CConnectRules::ConnectCaption,
                                             CConnectRules::ConnectNetworkHint);
    remoteBtn_->setCheckable(true);
    comPortComboBox_ = NewCombo("ComPortComboBox", this);
    comPortComboBox_->addItems({"COM1", "COM2"});
    comPortComboBox_->setEditText("COM1");
    comPortComboBox_->setMinimumWidth(120);
    connectBtn_ = NewNamedButton<QToolButton>(this, "ConnectBtn", CConnectRules::ConnectCaption,
                                              CConnectRules::ConnectPortHint);
    connectBtn_->setCheckable(true);

    layout->addWidget(modeBtn_);
    layout->addWidget(selectBtn_);
    layout->addWidget(remoteComboBox_);
    layout->addWidget(remoteBtn_);
    layout->addWidget(comPortComboBox_);
    layout->addWidget(connectBtn_);
    layout->addStretch(0);

    connect(modeBtn_, &QToolButton::clicked, this, [this] { ModeBtnClick(); });
    connect(selectBtn_, &QToolButton::clicked, this, [this] { SelectBtnClick(); });
    connect(localItem_, &QAction::triggered, this, [this] { ItemClick(false); });
    connect(modbusItem_, &QAction::triggered, this, [this] { ItemClick(true); });
    connect(remoteBtn_, &QToolButton::clicked, this, [this] { RemoteBtnClick(); });
    connect(connectBtn_, &QToolButton::clicked, this, [this] { ConnectBtnClick(); });
    // A key pressed in an editable combo box reaches the combo box (its line edit hands the
    // focus to it), so the Enter handlers watch the boxes themselves.
    remoteComboBox_->installEventFilter(this);
    comPortComboBox_->installEventFilter(this);
}

bool TConnectBarFrame::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (watched == remoteComboBox_)
            return RemoteComboBoxKeyPress(key);
        if (watched == comPortComboBox_)
            return ComPortComboBoxKeyPress(key);
    }
    return QFrame::eventFilter(watched, event);
}

bool TConnectBarFrame::RemoteComboBoxKeyPress(QKeyEvent* event)
{
    if (!IsEnterKey(event))
        return false;
    if (controller_)
        controller_->ConnectSite(SiteText(), true);
    remoteComboBox_->lineEdit()->setCursorPosition(0);
    return true;
}

bool TConnectBarFrame::ComPortComboBoxKeyPress(QKeyEvent* event)
{
    if (!IsEnterKey(event))
        return false;
    if (controller_)
        controller_->ConnectPort(PortText(), true);
    return true;
}

void TConnectBarFrame::UpdateState(int mode)
{
    const bool locked = controller_ ? controller_->Locked() : false;
    const LinkState link = controller_ ? controller_->Link() : LinkState{};
    const ConnectBarState s =
        CConnectRules::Bar(mode, locked, link, controller_ ? controller_->RecentPorts() : std::vector<std::string>{});

    modeBtn_->setText(QString::fromStdString(s.modeCaption));
    modeBtn_->setToolTip(QString::fromStdString(s.modeHint));
    localItem_->setChecked(s.localChecked);
    modbusItem_->setChecked(s.modbusChecked);
    remoteComboBox_->setVisible(s.siteVisible);
    remoteBtn_->setVisible(s.siteVisible);
    comPortComboBox_->setVisible(s.portVisible);
    connectBtn_->setVisible(s.portVisible);

    selectBtn_->setEnabled(s.selectEnabled);
    remoteBtn_->setEnabled(s.remoteBtnEnabled);
    connectBtn_->setEnabled(s.connectBtnEnabled);
    comPortComboBox_->setEnabled(s.comPortComboEnabled);
    remoteComboBox_->setEnabled(s.remoteComboEnabled);
    QPalette pal = remoteComboBox_->palette();
    pal.setColor(QPalette::Base, palette().color(s.remoteComboEnabled ? QPalette::Base : QPalette::Button));
    remoteComboBox_->setPalette(pal);

    remoteBtn_->setChecked(s.remoteBtnDown);
    remoteBtn_->setText(QString::fromStdString(s.remoteBtnCaption));
    remoteBtn_->setToolTip(QString::fromStdString(s.remoteBtnHint));
    connectBtn_->setChecked(s.connectBtnDown);
    connectBtn_->setText(QString::fromStdString(s.connectBtnCaption));
    connectBtn_->setToolTip(QString::fromStdString(s.connectBtnHint));

    const std::string site = CConnectRules::SiteTextForLink(SiteText(), link);
    if (site != SiteText())
        remoteComboBox_->setEditText(QString::fromStdString(site));
    if (s.showOpenPort)
        comPortComboBox_->setEditText(QString::fromStdString(s.portText));
    else
        ShowPortItems(s.portItems, link);
    adjustSize(); // the bar's width follows the last visible control
}

void TConnectBarFrame::ShowPortItems(const std::vector<std::string>& items, const LinkState& link)
{
    if (!SetItems(comPortComboBox_, items))
        return;
    const std::string text = CConnectRules::PortTextForList(PortText(), items, link);
    if (text != PortText())
        SetPortText(text);
}

void TConnectBarFrame::RemoteBtnClick()
{
    // A button that reads "Disconnect" never connects: when the link went meanwhile, the click
    // only brings the bar up to date.
    if (controller_) {
        const bool socketOpen = controller_->Link().socketOpen;
        if (socketOpen || !ShowsDisconnect(remoteBtn_))
            controller_->ConnectSite(socketOpen ? std::string() : SiteText(), true);
    }
    remoteComboBox_->lineEdit()->setCursorPosition(0);
    if (controller_)
        UpdateState(controller_->ConnMode());
}

void TConnectBarFrame::ConnectBtnClick()
{
    if (controller_) {
        if (controller_->Link().connected)
            controller_->DisconnectConfirm();
        else if (!ShowsDisconnect(connectBtn_))
            controller_->ConnectPort(PortText(), true);
        UpdateState(controller_->ConnMode());
    }
}

void TConnectBarFrame::ModeBtnClick()
{
    if (controller_)
        controller_->ShowConnectionDialog();
}

void TConnectBarFrame::SelectBtnClick()
{
    connPopupMenu_->popup(modeBtn_->mapToGlobal(QPoint(0, modeBtn_->height())));
}

void TConnectBarFrame::ItemClick(bool modbusItem)
{
    if (controller_) {
        controller_->SetConnectionMode(modbusItem ? connmode::Network : connmode::Local);
        UpdateState(controller_->ConnMode());
    }
}

std::string TConnectBarFrame::PortText() const { return comPortComboBox_->currentText().toStdString(); }
void TConnectBarFrame::SetPortText(const std::string& text) { comPortComboBox_->setEditText(QString::fromStdString(text)); }
std::string TConnectBarFrame::SiteText() const { return remoteComboBox_->currentText().toStdString(); }
void TConnectBarFrame::SetSiteItems(const std::vector<std::string>& items) { SetItems(remoteComboBox_, items); }
std::vector<std::string> TConnectBarFrame::SiteItems() const { return Items(remoteComboBox_); }
void TConnectBarFrame::SetPortItems(const std::vector<std::string>& items)
{
    ShowPortItems(items, controller_ ? controller_->Link() : LinkState{});
}
std::vector<std::string> TConnectBarFrame::PortItems() const { return Items(comPortComboBox_); }

#include "link/ui/Connection.h"

#include "common/Commatext.h"
#include "common/Helpers.h"
#include "link/Gethostbyname.h"
#include "link/ui/Connectbar.h"
#include "link/ui/Serverinfo.h"
#include "zcomponents/Zwidgets.h"

#include <QApplication>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QVBoxLayout>

namespace {

bool ShowsDisconnect(const QPushButton* button)
{
    return button->text() == QLatin1String(CConnectRules::DisconnectCaption);
}

// A row as the list box shows it: the tabs become column gaps.
QString Shown(const std::string& row)
{
    QString text = QString::fromStdString(row);
    text.replace('\t', "    ");
    return text;
}

} // namespace

TConnectionForm::TConnectionForm(IConnectionController* controller, TConnectBarFrame* bar, QWidget* parent)
    : QDialog(parent), controller_(controller), bar_(bar)
{
    setObjectName("ConnectionForm");
    setWindowTitle("Connection");
    serverInfo_ = new TServerInfoForm(controller, this);

    auto* layout = new QVBoxLayout(this);

    auto* connectTo = new QGroupBox("Connect to", this);
    auto* connectToLayout = new QHBoxLayout(connectTo);
    localRadioButton_ = NewNamed<QRadioButton>(connectTo, "LocalRadioButton", "Local Com port");
    modbusRadioButton_ = NewNamed<QRadioButton>(connectTo, "ModbusRadioButton", "Network");
    connectToLayout->addWidget(localRadioButton_);
    connectToLayout->addWidget(modbusRadioButton_);
    layout->addWidget(connectTo);

    auto* network = new QGroupBox("Network", this);
    auto* networkLayout = new QHBoxLayout(network);
    remoteComboBox_ = NewNamed<QComboBox>(network, "RemoteComboBox");
    remoteComboBox_->setEditable(true);
    remoteComboBox_->setInsertPolicy(QComboBox::NoInsert);
    remoteComboBox_->setCompleter(nullptr); // what the user types is what is used
    remoteComboBox_->setEditText(CGetHostByName::MyComputerSite);
    remoteComboBox_->setMinimumWidth(160);
    remoteBtn_ = NewNamedButton(network, "RemoteBtn", "Connect", "Connect to network");
    infoBtn_ = NewNamedButton(network, "InfoBtn", "&Info...", "Show Gateway info");
    networkLayout->addWidget(remoteComboBox_, 1);
    networkLayout->addWidget(remoteBtn_);
    networkLayout->addWidget(infoBtn_);
    layout->addWidget(network);

    auto* comPort = new QGroupBox("Com port", this);
    auto* comLayout = new QGridLayout(comPort);
    portsListBox_ = NewNamed<QListWidget>(comPort, "PortsListBox");
    portsListBox_->setMinimumSize(340, 120);
    comPortEdit_ = NewNamed<QLineEdit>(comPort, "ComPortEdit", "COM1");
    connectBtn_ = NewNamedButton(comPort, "ConnectBtn", "Connect", "Connect to Com port");
    showBtn_ = NewNamedButton(comPort, "ShowBtn", "&Refresh", "Refresh Com port list");
    comLayout->addWidget(portsListBox_, 0, 0, 1, 3);
    comLayout->addWidget(comPortEdit_, 1, 0);
    comLayout->addWidget(connectBtn_, 1, 1);
    comLayout->addWidget(showBtn_, 1, 2);
    layout->addWidget(comPort, 1);

    auto* buttons = new QHBoxLayout;
    settingsBtn_ = NewNamedButton(this, "SettingsBtn", "&Settings...", "Edit settings");
    okBtn_ = NewNamedButton(this, "OkBtn", "&Close", "Close window");
    buttons->addWidget(settingsBtn_);
    buttons->addStretch(1);
    buttons->addWidget(okBtn_);
    layout->addLayout(buttons);

    connect(localRadioButton_, &QRadioButton::clicked, this, [this] { LocalRadioButtonClick(); });
    connect(modbusRadioButton_, &QRadioButton::clicked, this, [this] { ModbusRadioButtonClick(); });
    connect(remoteBtn_, &QPushButton::clicked, this, [this] { RemoteBtnClick(); });
    connect(infoBtn_, &QPushButton::clicked, this, [this] { InfoBtnClick(); });
    connect(connectBtn_, &QPushButton::clicked, this, [this] { ConnectBtnClick(); });
    connect(showBtn_, &QPushButton::clicked, this, [this] { ShowBtnClick(); });
    connect(settingsBtn_, &QPushButton::clicked, this, [this] { SettingsBtnClick(); });
    connect(okBtn_, &QPushButton::clicked, this, &QDialog::accept);
    connect(portsListBox_, &QListWidget::itemClicked, this, [this] { PortsListBoxClick(); });
    connect(portsListBox_, &QListWidget::itemDoubleClicked, this, [this] { PortsListBoxDblClick(); });
    // A key pressed in the editable site box reaches the combo box, not its line edit.
    remoteComboBox_->installEventFilter(this);
    comPortEdit_->installEventFilter(this);
}

void TConnectionForm::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    FormShow();
}

bool TConnectionForm::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (watched == remoteComboBox_)
            return RemoteComboBoxKeyPress(key);
        if (watched == comPortEdit_)
            return ComPortEditKeyPress(key);
    }
    return QDialog::eventFilter(watched, event);
}

bool TConnectionForm::RemoteComboBoxKeyPress(QKeyEvent* event)
{
    if (!IsEnterKey(event))
        return false;
    if (controller_)
        controller_->ConnectSite(remoteComboBox_->currentText().toStdString(), false);
    UpdateState();
    return true;
}

bool TConnectionForm::ComPortEditKeyPress(QKeyEvent* event)
{
    if (!IsEnterKey(event))
        return false;
    if (controller_)
        controller_->ConnectPort(comPortEdit_->text().toStdString(), false);
    UpdateState();
    return true;
}

void TConnectionForm::FormShow()
{
    // The port the connect bar holds (the settings' or the one in use), whether or not the port
    // scan lists it.
    if (bar_ && !bar_->PortText().empty())
        comPortEdit_->setText(QString::fromStdString(bar_->PortText()));
    UpdateState();
}

void TConnectionForm::UpdateState()
{
    ShowState();
    RefreshPortList(false);
}

void TConnectionForm::FollowConnection()
{
    ShowState();
    if (PortListBasis() != listedBasis_)
        RefreshPortList(false);
}

std::vector<std::string> TConnectionForm::PortListBasis() const
{
    std::vector<std::string> basis = bar_ ? bar_->PortItems() : std::vector<std::string>{};
    const LinkState link = controller_ ? controller_->Link() : LinkState{};
    basis.push_back(link.hasPort ? link.portName : std::string());
    return basis;
}

void TConnectionForm::ShowState()
{
    const int mode = controller_ ? controller_->ConnMode() : connmode::Local;
    const LinkState link = controller_ ? controller_->Link() : LinkState{};
    const ConnectionDialogState s = CConnectRules::Dialog(mode, link);
    localRadioButton_->setChecked(s.localChecked);
    modbusRadioButton_->setChecked(s.modbusChecked);
    remoteBtn_->setText(QString::fromStdString(s.remoteBtnCaption));
    remoteBtn_->setToolTip(QString::fromStdString(s.remoteBtnHint));
    connectBtn_->setText(QString::fromStdString(s.connectBtnCaption));
    connectBtn_->setToolTip(QString::fromStdString(s.connectBtnHint));
    if (link.connected && link.hasPort)
        comPortEdit_->setText(QString::fromStdString(link.portName)); // as the bar shows it

    if (bar_) {
        const QString text = remoteComboBox_->currentText();
        remoteComboBox_->clear();
        for (const std::string& site : bar_->SiteItems())
            remoteComboBox_->addItem(QString::fromStdString(site));
        remoteComboBox_->setEditText(text);
    }
    remoteComboBox_->setEditText(QString::fromStdString(
        CConnectRules::SiteTextForLink(remoteComboBox_->currentText().toStdString(), link)));
}

void TConnectionForm::RefreshPortList(bool probe)
{
    portsListBox_->clear();
    listedBasis_ = PortListBasis();
    if (!controller_)
        return;
    const std::vector<std::string> ports = bar_ ? bar_->PortItems() : CommaTextToList(controller_->Link().portList);
    std::unique_ptr<IUnitProbe> probeUnit = controller_->NewUnit();
    const LinkState link = controller_->Link();
    if (probe)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    const PortListRefresh result =
        CPortListRefresh::Run(probe, ports, link, controller_->Settings(), controller_->MainUnit(), *probeUnit);
    if (probe)
        QApplication::restoreOverrideCursor();
    probeUnit.reset(); // closes its link
    if (result.gatewayFailed) {
        ShowWarning("Vantrel Orrery", result.error);
        UpdateState();
        return;
    }
    for (const std::string& row : result.rows) {
        auto* item = new QListWidgetItem(Shown(row), portsListBox_);
        item->setData(Qt::UserRole, QString::fromStdString(row));
    }
    if (result.selected >= 0)
        portsListBox_->setCurrentRow(result.selected);
}

std::vector<std::string> TConnectionForm::PortRows() const
{
    std::vector<std::string> rows;
    for (int i = 0; i < portsListBox_->count(); ++i)
        rows.push_back(portsListBox_->item(i)->data(Qt::UserRole).toString().toStdString());
    return rows;
}

void TConnectionForm::RemoteBtnClick()
{
    // A button that reads "Disconnect" never connects: when the link went meanwhile, the click
    // only brings the dialog up to date.
    if (controller_) {
        const bool socketOpen = controller_->Link().socketOpen;
        if (socketOpen || !ShowsDisconnect(remoteBtn_))
            controller_->ConnectSite(socketOpen ? std::string() : remoteComboBox_->currentText().toStdString(),
                                     false);
    }
    UpdateState();
}

void TConnectionForm::ConnectBtnClick()
{
    if (controller_) {
        if (controller_->Link().connected)
            controller_->DisconnectConfirm();
        else if (!ShowsDisconnect(connectBtn_))
            controller_->ConnectPort(comPortEdit_->text().toStdString(), false);
    }
    UpdateState();
}

void TConnectionForm::LocalRadioButtonClick()
{
    if (controller_)
        controller_->SetConnectionMode(connmode::Local);
    UpdateState();
}

void TConnectionForm::ModbusRadioButtonClick()
{
    if (controller_)
        controller_->SetConnectionMode(connmode::Network);
    UpdateState();
}

void TConnectionForm::SettingsBtnClick()
{
    if (controller_)
        controller_->ShowConnectionSettings();
}

void TConnectionForm::InfoBtnClick() { serverInfo_->exec(); }

void TConnectionForm::ShowBtnClick() { RefreshPortList(true); }

void TConnectionForm::PortsListBoxClick()
{
    QListWidgetItem* item = portsListBox_->currentItem();
    if (item)
        comPortEdit_->setText(
            QString::fromStdString(CPortListRefresh::PortOfRow(item->data(Qt::UserRole).toString().toStdString())));
}

void TConnectionForm::PortsListBoxDblClick()
{
    QListWidgetItem* item = portsListBox_->currentItem();
    if (!item || !controller_)
        return;
    controller_->ConnectPort(CPortListRefresh::PortOfRow(item->data(Qt::UserRole).toString().toStdString()), false);
    UpdateState();
}

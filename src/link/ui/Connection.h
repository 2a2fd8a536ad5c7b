#pragma once
// The "Connection" dialog: connection mode, network site, COM port with a probed port list.

#include "link/Connectrefresh.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QDialog>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>

class QKeyEvent;
class TConnectBarFrame;
class TServerInfoForm;

class TConnectionForm : public QDialog {
public:
    TConnectionForm(IConnectionController* controller, TConnectBarFrame* bar, QWidget* parent = nullptr);

    void FormShow();
    void UpdateState();
    // The controller's state update while the dialog is open (the one the connect bar gets):
    // as UpdateState, but the port list is built anew only when the ports or the open port
    // changed, so the open unit is not identified again for every update.
    void FollowConnection();
    void RefreshPortList(bool probe);

    // Handlers.
    void RemoteBtnClick();
    void ConnectBtnClick();
    void LocalRadioButtonClick();
    void ModbusRadioButtonClick();
    void SettingsBtnClick();
    void InfoBtnClick();
    void ShowBtnClick();
    void PortsListBoxClick();
    void PortsListBoxDblClick();
    // Enter in the site box or the port edit connects; true when the key was consumed.
    bool RemoteComboBoxKeyPress(QKeyEvent* event);
    bool ComPortEditKeyPress(QKeyEvent* event);

    // The rows of the port list as the refresh built them ("name<TAB>model<TAB>display name").
    std::vector<std::string> PortRows() const;
    QPushButton* RemoteBtn() const { return remoteBtn_; }
    QPushButton* ConnectBtn() const { return connectBtn_; }

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void ShowState();
    // What the port list was last built from: the ports and the open port.
    std::vector<std::string> PortListBasis() const;

    IConnectionController* controller_;
    TConnectBarFrame* bar_;
    TServerInfoForm* serverInfo_;
    QRadioButton* localRadioButton_;
    QRadioButton* modbusRadioButton_;
    QComboBox* remoteComboBox_;
    QPushButton* remoteBtn_;
    QPushButton* infoBtn_;
    QListWidget* portsListBox_;
    QLineEdit* comPortEdit_;
    QPushButton* connectBtn_;
    QPushButton* showBtn_;
    QPushButton* settingsBtn_;
    QPushButton* okBtn_;
    std::vector<std::string> listedBasis_;
};

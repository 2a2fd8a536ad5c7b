#pragma once
// The connect bar on the main window: connection mode, network site and COM port, each with a
// toggle button that connects and disconnects. It gathers the user's choice and hands it to the
// controller; CConnectRules decides what is shown and enabled.

#include "link/Connectrules.h"

#include <QComboBox>
#include <QFrame>
#include <QMenu>
#include <QToolButton>

class QKeyEvent;

class TConnectBarFrame : public QFrame {
public:
    // One fixed address of a unit site in the site list.
    static constexpr const char* UnitSiteAddress = "192.168.1.100";
    static constexpr int SiteRows = 15;

    explicit TConnectBarFrame(QWidget* parent = nullptr);
    void SetController(IConnectionController* controller) { controller_ = controller; }

    // State update for the connection mode (called by the controller).
    void UpdateState(int mode);

    // Handlers.
    void RemoteBtnClick();
    void ConnectBtnClick();
    void ModeBtnClick();
    void SelectBtnClick();
    void ItemClick(bool modbusItem);
    // Enter in the site or port box connects; true when the key was consumed.
    bool RemoteComboBoxKeyPress(QKeyEvent* event);
    bool ComPortComboBoxKeyPress(QKeyEvent* event);

    std::string PortText() const;
    void SetPortText(const std::string& text);
    std::string SiteText() const;
    void SetSiteItems(const std::vector<std::string>& items);
    std::vector<std::string> SiteItems() const;
    void SetPortItems(const std::vector<std::string>& items);
    std::vector<std::string> PortItems() const;

    QToolButton* RemoteBtn() const { return remoteBtn_; }
    QToolButton* ConnectBtn() const { return connectBtn_; }
    QComboBox* RemoteComboBox() const { return remoteComboBox_; }
    QComboBox* ComPortComboBox() const { return comPortComboBox_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // A new port list; with a gateway link the text follows it (CConnectRules::PortTextForList).
    void ShowPortItems(const std::vector<std::string>& items, const LinkState& link);

    IConnectionController* controller_ = nullptr;
    QToolButton* modeBtn_;
    QToolButton* selectBtn_;
    QMenu* connPopupMenu_;
    QAction* localItem_;
    QAction* modbusItem_;
    QComboBox* remoteComboBox_;
    QToolButton* remoteBtn_;
    QComboBox* comPortComboBox_;
    QToolButton* connectBtn_;
};

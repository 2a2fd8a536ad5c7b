#pragma once
// Enable, visible, caption and hint rules of the connect bar and the connection dialog, from the
// connection mode, the lock and the link.

#include "link/Autofind.h"
#include "link/Connectcontroller.h"

#include <string>
#include <vector>

struct ConnectBarState {
    std::string modeCaption;
    std::string modeHint;
    bool localChecked = false;
    bool modbusChecked = false;
    bool siteVisible = false;  // RemoteComboBox and RemoteBtn
    bool portVisible = false;  // ComPortComboBox and ConnectBtn
    bool selectEnabled = true;
    bool remoteBtnEnabled = true;
    bool remoteBtnDown = false;
    std::string remoteBtnCaption;   // "Connect" or "Disconnect", as in the connection dialog
    std::string remoteBtnHint;
    bool remoteComboEnabled = true; // window colour when enabled, button face when not
    bool connectBtnEnabled = true;
    bool connectBtnDown = false;
    std::string connectBtnCaption;
    std::string connectBtnHint;
    bool comPortComboEnabled = true;
    bool showOpenPort = false;      // the combo shows portText; else it lists portItems
    std::string portText;
    std::vector<std::string> portItems;
};

struct ConnectionDialogState {
    bool localChecked = false;
    bool modbusChecked = false;
    std::string remoteBtnCaption;
    std::string remoteBtnHint;
    std::string connectBtnCaption;
    std::string connectBtnHint;
};

class CConnectRules {
public:
    static constexpr const char* LocalCaption = "Local";
    static constexpr const char* LocalHint = "Local Com port";
    static constexpr const char* NetworkCaption = "Network";
    static constexpr const char* ConnectNetworkHint = "Connect to network";
    static constexpr const char* DisconnectNetworkHint = "Disconnect from network";
    static constexpr const char* ConnectPortHint = "Connect to Com port";
    static constexpr const char* DisconnectPortHint = "Disconnect from Com port";
    static constexpr const char* ConnectCaption = "Connect";
    static constexpr const char* DisconnectCaption = "Disconnect";

    // recentPorts: the recently used gateway ports, newest first (offered behind the link's own).
    static ConnectBarState Bar(int mode, bool locked, const LinkState& link,
                               const std::vector<std::string>& recentPorts = {});
    static ConnectionDialogState Dialog(int mode, const LinkState& link);

    // The port box's list: the link's ports (local, or the gateway's); while a network socket
    // is open, the recent ports that are not among them follow.
    static std::vector<std::string> PortItems(const LinkState& link, const std::vector<std::string>& recentPorts);
    // The port text once the port box got a new list: with a gateway link and no port open, a
    // name the list does not offer (a local port's, say) gives way to the first port listed.
    static std::string PortTextForList(const std::string& text, const std::vector<std::string>& items,
                                       const LinkState& link);
    // The site box's text: the site in use while a network socket is open (however it was
    // connected), else what the box holds.
    static std::string SiteTextForLink(const std::string& text, const LinkState& link);
};

#include "link/Connectrules.h"

#include "common/Commatext.h"

ConnectBarState CConnectRules::Bar(int mode, bool locked, const LinkState& link,
                                   const std::vector<std::string>& recentPorts)
{
    ConnectBarState s;
    if (mode == connmode::Local) {
        s.modeCaption = LocalCaption;
        s.modeHint = LocalHint;
        s.localChecked = true;
        s.siteVisible = false;
        s.portVisible = true;
    } else {
        s.modeCaption = NetworkCaption;
        s.modeHint = NetworkCaption;
        s.modbusChecked = true;
        s.siteVisible = true;
        s.portVisible = mode == connmode::Gateway && link.gateway;
    }

    s.selectEnabled = !locked;
    s.remoteBtnEnabled = !locked;
    s.connectBtnEnabled = !locked;
    s.comPortComboEnabled = !locked;
    s.remoteComboEnabled = !locked && !link.gateway;

    const ConnectionDialogState buttons = Dialog(mode, link);
    s.remoteBtnDown = link.socketOpen;
    s.remoteBtnCaption = buttons.remoteBtnCaption;
    s.remoteBtnHint = buttons.remoteBtnHint;
    s.connectBtnDown = link.connected;
    s.connectBtnCaption = buttons.connectBtnCaption;
    s.connectBtnHint = buttons.connectBtnHint;

    if (link.connected) {
        s.showOpenPort = true;
        s.portText = link.portName;
    } else {
        s.portItems = PortItems(link, recentPorts);
    }
    return s;
}

ConnectionDialogState CConnectRules::Dialog(int mode, const LinkState& link)
{
    ConnectionDialogState s;
    s.localChecked = mode == connmode::Local;
    s.modbusChecked = mode != connmode::Local;
    s.remoteBtnCaption = link.socketOpen ? DisconnectCaption : ConnectCaption;
    s.remoteBtnHint = link.socketOpen ? DisconnectNetworkHint : ConnectNetworkHint;
    s.connectBtnCaption = link.connected ? DisconnectCaption : ConnectCaption;
    s.connectBtnHint = link.connected ? DisconnectPortHint : ConnectPortHint;
    return s;
}

std::vector<std::string> CConnectRules::PortItems(const LinkState& link, const std::vector<std::string>& recentPorts)
{
    std::vector<std::string> items = CommaTextToList(link.portList);
    if (link.socketOpen) {
        for (const std::string& port : recentPorts) {
            if (!port.empty() && !ListHoldsIgnoringCase(items, port))
                items.push_back(port);
        }
    }
    return items;
}

std::string CConnectRules::PortTextForList(const std::string& text, const std::vector<std::string>& items,
                                           const LinkState& link)
{
    if (!link.gateway || link.connected || items.empty() || ListHoldsIgnoringCase(items, text))
        return text;
    return items.front();
}

std::string CConnectRules::SiteTextForLink(const std::string& text, const LinkState& link)
{
    return link.socketOpen && !link.site.empty() ? link.site : text;
}

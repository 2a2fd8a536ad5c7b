// TEMPORARY stand-in for the network transport so that the link builds on its own; the real
// transport replaces this file whole.
#include "link/Ostrabus.h"

#include <unistd.h>

namespace {
const char* const kNoNetwork = "Network link not available";
}

int COstraBus::SetSite(const std::string& site)
{
    DisconnectNetwork();
    site_ = site;
    return 0;
}

int COstraBus::ConnectNetwork(int, int, bool)
{
    lastError_ = kNoNetwork;
    return linkerr::NetworkError;
}

int COstraBus::ConnectSocket(const std::string&, int)
{
    lastError_ = kNoNetwork;
    return linkerr::NetworkError;
}

void COstraBus::DisconnectNetwork()
{
    if (socket_ >= 0)
        ::close(socket_);
    socket_ = -1;
    site_.clear();
    ipAddress_.clear();
    hostName_.clear();
    gatewayVersion_ = 0;
    RefreshLocalPortList();
}

int COstraBus::NetworkTransact(int)
{
    lastError_ = kNoNetwork;
    return linkerr::NetworkError;
}

int COstraBus::ReadGatewayInformation(std::string& text)
{
    text.clear();
    lastError_ = kNoNetwork;
    return linkerr::NetworkError;
}

int COstraBus::ParseGatewayVersion(const uint8_t*, int) { return 0; }

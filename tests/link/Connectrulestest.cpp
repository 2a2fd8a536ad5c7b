// Connect bar and connection dialog states for every mode, gateway and lock combination.
#include "link/Connectrules.h"

#include <gtest/gtest.h>

TEST(ConnectRules, BarForEveryModeGatewayAndLock)
{
    for (int mode : {0, 1, 2}) {
        for (bool gateway : {false, true}) {
            for (bool locked : {false, true}) {
                LinkState link;
                link.gateway = gateway;
                link.socketOpen = gateway;
                link.portList = gateway ? "GW1,GW2" : "/dev/ttyS0,/dev/ttyUSB0";
                const ConnectBarState s = CConnectRules::Bar(mode, locked, link);
                SCOPED_TRACE(testing::Message() << "mode " << mode << " gateway " << gateway << " locked " << locked);
                EXPECT_EQ(s.modeCaption, mode == 0 ? "Local" : "Network");
                EXPECT_EQ(s.modeHint, mode == 0 ? "Local Com port" : "Network");
                EXPECT_EQ(s.localChecked, mode == 0);
                EXPECT_EQ(s.modbusChecked, mode != 0);
                EXPECT_EQ(s.siteVisible, mode != 0);
                EXPECT_EQ(s.portVisible, mode == 0 || (mode == 2 && gateway));
                EXPECT_EQ(s.selectEnabled, !locked);
                EXPECT_EQ(s.remoteBtnEnabled, !locked);
                EXPECT_EQ(s.connectBtnEnabled, !locked);
                EXPECT_EQ(s.comPortComboEnabled, !locked);
                EXPECT_EQ(s.remoteComboEnabled, !locked && !gateway);
                EXPECT_EQ(s.remoteBtnDown, gateway);
                EXPECT_EQ(s.remoteBtnCaption, gateway ? "Disconnect" : "Connect");
                EXPECT_EQ(s.remoteBtnHint, gateway ? "Disconnect from network" : "Connect to network");
                EXPECT_FALSE(s.connectBtnDown);
                EXPECT_EQ(s.connectBtnCaption, "Connect");
                EXPECT_EQ(s.connectBtnHint, "Connect to Com port");
                EXPECT_FALSE(s.showOpenPort);
                EXPECT_EQ(s.portItems, gateway ? (std::vector<std::string>{"GW1", "GW2"})
                                               : (std::vector<std::string>{"/dev/ttyS0", "/dev/ttyUSB0"}));
            }
        }
    }
}

TEST(ConnectRules, BarWhileConnected)
{
    LinkState link;
    link.hasPort = true;
    link.connected = true;
    link.portName = "/dev/ttyUSB0";
    link.portList = "/dev/ttyS0,/dev/ttyUSB0";
    const ConnectBarState s = CConnectRules::Bar(0, false, link);
    EXPECT_TRUE(s.connectBtnDown);
    EXPECT_EQ(s.connectBtnCaption, "Disconnect");
    EXPECT_EQ(s.connectBtnHint, "Disconnect from Com port");
    EXPECT_TRUE(s.showOpenPort);
    EXPECT_EQ(s.portText, "/dev/ttyUSB0");
}

TEST(ConnectRules, DialogCaptions)
{
    LinkState link;
    ConnectionDialogState d = CConnectRules::Dialog(0, link);
    EXPECT_TRUE(d.localChecked);
    EXPECT_FALSE(d.modbusChecked);
    EXPECT_EQ(d.remoteBtnCaption, "Connect");
    EXPECT_EQ(d.remoteBtnHint, "Connect to network");
    EXPECT_EQ(d.connectBtnCaption, "Connect");
    EXPECT_EQ(d.connectBtnHint, "Connect to Com port");

    link.socketOpen = true;
    link.gateway = true;
    link.hasPort = true;
    link.connected = true;
    d = CConnectRules::Dialog(2, link);
    EXPECT_FALSE(d.localChecked);
    EXPECT_TRUE(d.modbusChecked);
    EXPECT_EQ(d.remoteBtnCaption, "Disconnect");
    EXPECT_EQ(d.remoteBtnHint, "Disconnect from network");
    EXPECT_EQ(d.connectBtnCaption, "Disconnect");
    EXPECT_EQ(d.connectBtnHint, "Disconnect from Com port");
}

TEST(ConnectRules, PortItemsAreTheLinksPortsThenTheRecentOnesNotAmongThem)
{
    LinkState link;
    link.portList = "/dev/ttyS0";
    const std::vector<std::string> recent{"lab:3", "com2", "lab:4", "LAB:3"};
    EXPECT_EQ(CConnectRules::PortItems(link, recent), (std::vector<std::string>{"/dev/ttyS0"}));
    link.socketOpen = link.gateway = true;
    link.portList = "COM1,COM2";
    EXPECT_EQ(CConnectRules::PortItems(link, recent), (std::vector<std::string>{"COM1", "COM2", "lab:3", "lab:4"}));
    EXPECT_EQ(CConnectRules::Bar(connmode::Gateway, false, link, recent).portItems,
              (std::vector<std::string>{"COM1", "COM2", "lab:3", "lab:4"}));
}

TEST(ConnectRules, PortTextGivesWayToTheGatewaysFirstPort)
{
    LinkState link;
    const std::vector<std::string> local{"/dev/ttyS0"};
    EXPECT_EQ(CConnectRules::PortTextForList("/dev/pts/4", local, link), "/dev/pts/4");
    link.socketOpen = link.gateway = true;
    const std::vector<std::string> gateway{"COM1", "COM2"};
    EXPECT_EQ(CConnectRules::PortTextForList("/dev/ttyS0", gateway, link), "COM1");
    EXPECT_EQ(CConnectRules::PortTextForList("com2", gateway, link), "com2");
    EXPECT_EQ(CConnectRules::PortTextForList("/dev/ttyS0", {}, link), "/dev/ttyS0");
    link.connected = true;
    EXPECT_EQ(CConnectRules::PortTextForList("/dev/ttyS0", gateway, link), "/dev/ttyS0");
}

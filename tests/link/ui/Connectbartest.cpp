// The connect bar's controls found by name and driven like a user.
#include "link/ui/Connectbar.h"
#include "qtsupport/Widgets.h"
#include "support/Connectscript.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <gtest/gtest.h>

using testsupport::Child;
using testsupport::ScriptedController;

using testsupport::PressEnterIn;
using testsupport::PressKeyIn;

TEST(ConnectBar, StateAppliedToControls)
{
    ScriptedController c;
    TConnectBarFrame bar;
    bar.SetController(&c);
    c.link.portList = "/dev/ttyS0,/dev/ttyUSB0";
    bar.UpdateState(connmode::Local);
    auto* mode = Child<QToolButton>(bar, "ModeBtn");
    EXPECT_EQ(mode->text(), "Local");
    EXPECT_EQ(mode->toolTip(), "Local Com port");
    EXPECT_TRUE(Child<QComboBox>(bar, "RemoteComboBox")->isHidden());
    EXPECT_FALSE(Child<QComboBox>(bar, "ComPortComboBox")->isHidden());
    EXPECT_EQ(bar.PortItems(), (std::vector<std::string>{"/dev/ttyS0", "/dev/ttyUSB0"}));
    EXPECT_TRUE(Child<QAction>(bar, "LocalItem")->isChecked());

    c.locked = true;
    c.link.socketOpen = true;
    c.link.gateway = true;
    bar.UpdateState(connmode::Gateway);
    EXPECT_EQ(mode->text(), "Network");
    EXPECT_TRUE(Child<QAction>(bar, "ModbusItem")->isChecked());
    EXPECT_FALSE(Child<QComboBox>(bar, "RemoteComboBox")->isHidden());
    EXPECT_FALSE(Child<QComboBox>(bar, "ComPortComboBox")->isHidden());
    EXPECT_FALSE(Child<QToolButton>(bar, "SelectBtn")->isEnabled());
    EXPECT_FALSE(Child<QToolButton>(bar, "ConnectBtn")->isEnabled());
    EXPECT_FALSE(Child<QComboBox>(bar, "RemoteComboBox")->isEnabled());
    auto* remote = Child<QToolButton>(bar, "RemoteBtn");
    EXPECT_TRUE(remote->isChecked());
    EXPECT_EQ(remote->text(), "Disconnect");
    EXPECT_EQ(remote->toolTip(), "Disconnect from network");
    EXPECT_EQ(Child<QToolButton>(bar, "ConnectBtn")->text(), "Connect");

    c.locked = false;
    c.link = LinkState{};
    c.link.hasPort = true;
    c.link.connected = true;
    c.link.portName = "/dev/ttyUSB0";
    bar.UpdateState(connmode::Local);
    EXPECT_TRUE(Child<QToolButton>(bar, "ConnectBtn")->isChecked());
    EXPECT_EQ(Child<QToolButton>(bar, "ConnectBtn")->text(), "Disconnect");
    EXPECT_EQ(Child<QToolButton>(bar, "ConnectBtn")->toolTip(), "Disconnect from Com port");
    EXPECT_EQ(Child<QToolButton>(bar, "RemoteBtn")->text(), "Connect");
    EXPECT_EQ(bar.PortText(), "/dev/ttyUSB0");
}

TEST(ConnectBar, ClicksAndEnterReachTheController)
{
    ScriptedController c;
    c.mode = connmode::Network;
    TConnectBarFrame bar;
    bar.SetController(&c);
    bar.UpdateState(connmode::Network);
    Child<QComboBox>(bar, "RemoteComboBox")->setEditText("lab-gw");
    Child<QToolButton>(bar, "RemoteBtn")->click();
    Child<QComboBox>(bar, "RemoteComboBox")->setEditText("");
    PressEnterIn(Child<QComboBox>(bar, "RemoteComboBox")->lineEdit());
    c.mode = connmode::Local;
    bar.UpdateState(connmode::Local);
    bar.SetPortText("/dev/ttyS3");
    Child<QToolButton>(bar, "ConnectBtn")->click();
    PressEnterIn(Child<QComboBox>(bar, "ComPortComboBox")->lineEdit());
    Child<QAction>(bar, "LocalItem")->trigger();
    Child<QToolButton>(bar, "ModeBtn")->click();
    c.link.socketOpen = true;
    c.link.connected = true;
    Child<QToolButton>(bar, "RemoteBtn")->click();
    Child<QToolButton>(bar, "ConnectBtn")->click();
    const std::vector<std::string> expected = {
        "site lab-gw bar", "site  bar", "port /dev/ttyS3 bar", "port /dev/ttyS3 bar", "mode 0",
        "dialog", "site  bar", "disconnect"};
    EXPECT_EQ(c.calls, expected);
}

TEST(ConnectBar, TypedPortAndSiteConnectOnEnterWhereTheKeyArrives)
{
    ScriptedController c;
    TConnectBarFrame bar;
    bar.SetController(&c);
    bar.UpdateState(connmode::Local);
    auto* port = Child<QComboBox>(bar, "ComPortComboBox");
    port->lineEdit()->clear();
    // A click into the box's text gives the focus to the box; the keys go where the focus is.
    for (const QChar ch : QString("/dev/ttyS7"))
        PressKeyIn(port->lineEdit(), ch.unicode() == '/' ? Qt::Key_Slash : Qt::Key_A, ch);
    QWidget* focus = PressEnterIn(port->lineEdit());
    EXPECT_EQ(focus, port);
    EXPECT_EQ(bar.PortText(), "/dev/ttyS7");

    bar.UpdateState(connmode::Network);
    auto* site = Child<QComboBox>(bar, "RemoteComboBox");
    site->setEditText("lab-gw");
    PressEnterIn(site->lineEdit());
    EXPECT_EQ(site->lineEdit()->cursorPosition(), 0);
    // Other keys still edit the text.
    PressKeyIn(site->lineEdit(), Qt::Key_X, "x");
    EXPECT_EQ(c.calls, (std::vector<std::string>{"port /dev/ttyS7 bar", "site lab-gw bar"}));
    EXPECT_EQ(bar.SiteText(), "xlab-gw");
}

TEST(ConnectBar, DesignDefaults)
{
    TConnectBarFrame bar;
    EXPECT_EQ(bar.PortText(), "COM1");
    const std::vector<std::string> sites = bar.SiteItems();
    ASSERT_EQ(sites.size(), 4u);
    EXPECT_EQ(sites[0], "My Computer");
    EXPECT_EQ(sites[1], "Local Host");
    EXPECT_EQ(sites[2], "127.0.0.1");
    EXPECT_EQ(bar.RemoteComboBox()->maxVisibleItems(), 15);
    EXPECT_EQ(bar.findChild<QToolButton*>("SelectBtn")->toolTip(), "Network/Gateway");
    // The toggle buttons say what they do, as the connection dialog's buttons do.
    for (const char* name : {"RemoteBtn", "ConnectBtn"})
        EXPECT_EQ(bar.findChild<QToolButton*>(name)->text(), "Connect") << name;
    EXPECT_EQ(bar.findChild<QToolButton*>("RemoteBtn")->toolTip(), "Connect to network");
    EXPECT_EQ(bar.findChild<QToolButton*>("ConnectBtn")->toolTip(), "Connect to Com port");
}

namespace {

// Types the text key by key into the widget that has the focus, as a user does.
void TypeIn(QWidget* target, const QString& text)
{
    for (const QChar ch : text)
        PressKeyIn(target, ch.toUpper().unicode(), QString(ch));
}

} // namespace

TEST(ConnectBar, TypedSiteAndPortAreUsedAsTyped)
{
    ScriptedController c;
    c.mode = connmode::Network;
    TConnectBarFrame bar;
    bar.SetController(&c);
    bar.UpdateState(connmode::Network);
    // An earlier site that begins with what the user types.
    bar.SetSiteItems({"Local gateway", "127.0.0.1:33413"});
    auto* site = Child<QComboBox>(bar, "RemoteComboBox");
    site->setEditText("");
    TypeIn(site->lineEdit(), "127.0.0.1");
    EXPECT_EQ(bar.SiteText(), "127.0.0.1");
    PressEnterIn(site->lineEdit());

    c.mode = connmode::Local;
    bar.UpdateState(connmode::Local);
    bar.SetPortItems({"/dev/ttyUSB10"});
    auto* port = Child<QComboBox>(bar, "ComPortComboBox");
    port->setEditText("");
    TypeIn(port->lineEdit(), "/dev/ttyUSB1");
    PressEnterIn(port->lineEdit());
    EXPECT_EQ(c.calls, (std::vector<std::string>{"site 127.0.0.1 bar", "port /dev/ttyUSB1 bar"}));
    // The drop-down still offers the list.
    EXPECT_EQ(bar.SiteItems(), (std::vector<std::string>{"Local gateway", "127.0.0.1:33413"}));
}

TEST(ConnectBar, AStaleDisconnectNeverConnects)
{
    ScriptedController c;
    c.mode = connmode::Gateway;
    TConnectBarFrame bar;
    bar.SetController(&c);
    auto connectedThenLost = [&] {
        c.link = testsupport::GatewayPortOpen("COM1", "COM1,COM2");
        bar.UpdateState(connmode::Gateway);
        // The gateway goes, and nothing has told the bar yet.
        c.link = LinkState{};
        c.link.portList = "/dev/ttyS0";
    };
    connectedThenLost();
    auto* remote = Child<QToolButton>(bar, "RemoteBtn");
    ASSERT_EQ(remote->text(), "Disconnect");
    remote->click();
    EXPECT_EQ(remote->text(), "Connect");

    connectedThenLost();
    auto* connectBtn = Child<QToolButton>(bar, "ConnectBtn");
    ASSERT_EQ(connectBtn->text(), "Disconnect");
    connectBtn->click();
    EXPECT_EQ(connectBtn->text(), "Connect");
    EXPECT_TRUE(c.calls.empty()) << c.calls.front();
}

TEST(ConnectBar, GatewayLinkListsItsPortsThenTheRecentOnes)
{
    ScriptedController c;
    TConnectBarFrame bar;
    bar.SetController(&c);
    c.link.portList = "/dev/ttyS0,/dev/ttyUSB0";
    bar.UpdateState(connmode::Local);
    bar.SetPortText("/dev/ttyS0");

    // Connected to a gateway: the controller fills the list, then updates the bar.
    c.mode = connmode::Gateway;
    c.link.socketOpen = c.link.gateway = true;
    c.link.portList = "COM1,COM2";
    c.recentPorts = {"lab:3", "com2", "lab:4"};
    bar.SetPortItems({"COM1", "COM2", "lab:3", "lab:4"});
    bar.UpdateState(connmode::Gateway);
    EXPECT_EQ(bar.PortItems(), (std::vector<std::string>{"COM1", "COM2", "lab:3", "lab:4"}));
    // The local port's name gave way to the gateway's first port.
    EXPECT_EQ(bar.PortText(), "COM1");

    // A name the user types stays while the list is the same.
    bar.SetPortText("lab:9");
    bar.UpdateState(connmode::Gateway);
    EXPECT_EQ(bar.PortText(), "lab:9");
    Child<QToolButton>(bar, "ConnectBtn")->click();
    EXPECT_EQ(c.calls, (std::vector<std::string>{"port lab:9 bar"}));
}

TEST(ConnectBar, SiteBoxShowsTheSiteInUseHoweverItWasConnected)
{
    ScriptedController c;
    c.mode = connmode::Network;
    TConnectBarFrame bar;
    bar.SetController(&c);
    bar.UpdateState(connmode::Network);
    ASSERT_EQ(bar.SiteText(), "My Computer");

    // Connected from the connection dialog: the bar learns of it only through the update.
    c.mode = connmode::Gateway;
    c.link = testsupport::GatewayPortOpen("COM1", "COM1,COM2");
    c.link.site = "127.0.0.1";
    bar.UpdateState(connmode::Gateway);
    EXPECT_EQ(bar.SiteText(), "127.0.0.1");
    EXPECT_FALSE(Child<QComboBox>(bar, "RemoteComboBox")->isEnabled());

    // Without a socket the box keeps what it holds, as the user may have typed it.
    c.link = LinkState{};
    bar.UpdateState(connmode::Network);
    EXPECT_EQ(bar.SiteText(), "127.0.0.1");
    Child<QComboBox>(bar, "RemoteComboBox")->setEditText("lab-unit");
    bar.UpdateState(connmode::Network);
    EXPECT_EQ(bar.SiteText(), "lab-unit");
}

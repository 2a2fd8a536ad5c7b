// The connection dialog and the gateway information window with a scripted controller.
#include "link/ui/Connectbar.h"
#include "link/ui/Connection.h"
#include "link/ui/Serverinfo.h"
#include "qtsupport/Widgets.h"
#include "support/Connectscript.h"

#include <QApplication>
#include <QKeyEvent>
#include <gtest/gtest.h>

using testsupport::Child;
using testsupport::ScriptedController;

TEST(ConnectionForm, ShowRefreshAndProbe)
{
    ScriptedController c;
    c.link.hasPort = true;
    c.link.connected = true;
    c.link.portName = "/dev/ttyUSB0";
    c.mainUnit.ports["/dev/ttyUSB0"] = 0;
    c.mainUnit.open = "/dev/ttyUSB0";
    c.probePorts["/dev/ttyS1"] = 0;
    TConnectBarFrame bar;
    bar.SetController(&c);
    bar.SetPortItems({"/dev/ttyS0", "/dev/ttyS1", "/dev/ttyUSB0"});
    bar.SetSiteItems({"Local gateway", "lab-gw"});
    TConnectionForm form(&c, &bar);
    form.show();
    QApplication::processEvents();

    EXPECT_EQ(form.windowTitle(), "Connection");
    EXPECT_TRUE(Child<QRadioButton>(form, "LocalRadioButton")->isChecked());
    EXPECT_EQ(Child<QPushButton>(form, "ConnectBtn")->text(), "Disconnect");
    EXPECT_EQ(Child<QPushButton>(form, "ConnectBtn")->toolTip(), "Disconnect from Com port");
    EXPECT_EQ(Child<QPushButton>(form, "RemoteBtn")->text(), "Connect");
    EXPECT_EQ(Child<QComboBox>(form, "RemoteComboBox")->count(), 2);
    // Without probing only the open port is identified.
    EXPECT_EQ(form.PortRows(),
              (std::vector<std::string>{"/dev/ttyS0\t", "/dev/ttyS1\t", "/dev/ttyUSB0\tVM-1000\tVantrel 1000"}));
    auto* list = Child<QListWidget>(form, "PortsListBox");
    EXPECT_EQ(list->currentRow(), 2);

    Child<QPushButton>(form, "ShowBtn")->click();
    EXPECT_EQ(form.PortRows(), (std::vector<std::string>{"/dev/ttyS0\tNo such file or directory",
                                                          "/dev/ttyS1\tVM-1000\tVantrel 1000",
                                                          "/dev/ttyUSB0\tVM-1000\tVantrel 1000"}));
    testsupport::ClickRow(list, 1);
    EXPECT_EQ(Child<QLineEdit>(form, "ComPortEdit")->text(), "/dev/ttyS1");
    testsupport::DoubleClickRow(list, 1);

    Child<QRadioButton>(form, "ModbusRadioButton")->click();
    EXPECT_EQ(c.mode, connmode::Network);
    Child<QPushButton>(form, "SettingsBtn")->click();
    c.link.connected = false;
    Child<QLineEdit>(form, "ComPortEdit")->setText("/dev/ttyS0");
    testsupport::PressEnterIn(Child<QLineEdit>(form, "ComPortEdit"));
    Child<QComboBox>(form, "RemoteComboBox")->setEditText("lab-gw");
    QWidget* focus = testsupport::PressEnterIn(Child<QComboBox>(form, "RemoteComboBox")->lineEdit());
    EXPECT_EQ(focus, Child<QComboBox>(form, "RemoteComboBox"));
    EXPECT_EQ(c.calls, (std::vector<std::string>{"port /dev/ttyS1 dialog", "mode 1", "settings",
                                                 "port /dev/ttyS0 dialog", "site lab-gw dialog"}));
    EXPECT_TRUE(form.isVisible()); // Enter does not close the dialog
}

TEST(ServerInfoForm, ShowsTheGatewayTextOrTheError)
{
    ScriptedController c;
    c.gatewayText = "Gateway 1.05\r\nPorts: 4";
    TServerInfoForm form(&c);
    form.show();
    QApplication::processEvents();
    EXPECT_EQ(form.windowTitle(), "Server Info");
    auto* memo = Child<QPlainTextEdit>(form, "RemoteMemo");
    EXPECT_EQ(memo->toPlainText(), "Gateway 1.05\nPorts: 4");
    EXPECT_EQ(memo->document()->blockCount(), 2);
    EXPECT_TRUE(memo->isReadOnly());
    form.hide();

    c.gatewayResult = -101;
    form.show();
    QApplication::processEvents();
    EXPECT_EQ(memo->toPlainText(), "Error reading gateway info");
    Child<QPushButton>(form, "CloseBtn")->click();
    EXPECT_EQ(form.result(), QDialog::Accepted);
}

TEST(ConnectionForm, AStaleDisconnectNeverConnects)
{
    ScriptedController c;
    c.mode = connmode::Gateway;
    TConnectBarFrame bar;
    bar.SetController(&c);
    TConnectionForm form(&c, &bar);
    auto connectedThenLost = [&] {
        c.link = testsupport::GatewayPortOpen("COM1", "COM1,COM2");
        form.UpdateState();
        // The gateway goes, and nothing has told the dialog yet.
        c.link = LinkState{};
        c.link.portList = "/dev/ttyS0";
    };
    form.show();
    QApplication::processEvents();
    connectedThenLost();
    auto* remote = Child<QPushButton>(form, "RemoteBtn");
    ASSERT_EQ(remote->text(), "Disconnect");
    remote->click();
    EXPECT_EQ(remote->text(), "Connect");

    connectedThenLost();
    auto* connectBtn = Child<QPushButton>(form, "ConnectBtn");
    ASSERT_EQ(connectBtn->text(), "Disconnect");
    connectBtn->click();
    EXPECT_EQ(connectBtn->text(), "Connect");
    EXPECT_TRUE(c.calls.empty()) << c.calls.front();
}

TEST(ConnectionForm, FollowsTheConnectionWithoutIdentifyingAgain)
{
    ScriptedController c;
    c.mode = connmode::Gateway;
    c.link = testsupport::GatewayPortOpen("COM1", "COM1,COM2");
    c.mainUnit.ports["COM1"] = 0;
    c.mainUnit.open = "COM1";
    TConnectBarFrame bar;
    bar.SetController(&c);
    bar.SetPortItems({"COM1", "COM2"});
    TConnectionForm form(&c, &bar);
    form.show();
    QApplication::processEvents();
    ASSERT_EQ(c.mainUnit.log, (std::vector<std::string>{"identify COM1"}));
    form.FollowConnection(); // nothing changed: the unit is not asked again
    EXPECT_EQ(c.mainUnit.log.size(), 1u);

    c.link = LinkState{};
    c.link.portList = "/dev/ttyS0";
    bar.UpdateState(connmode::Gateway);
    form.FollowConnection();
    EXPECT_EQ(Child<QPushButton>(form, "ConnectBtn")->text(), "Connect");
    EXPECT_EQ(Child<QPushButton>(form, "RemoteBtn")->text(), "Connect");
    EXPECT_EQ(form.PortRows(), (std::vector<std::string>{"/dev/ttyS0\t"}));
}

TEST(ConnectionForm, SiteBoxShowsTheSiteInUseAndTakesWhatIsTyped)
{
    ScriptedController c;
    c.mode = connmode::Gateway;
    c.link.socketOpen = c.link.gateway = true;
    c.link.site = "127.0.0.1";
    c.link.ipAddress = "127.0.0.1";
    TConnectBarFrame bar;
    bar.SetController(&c);
    bar.SetSiteItems({"Local gateway", "127.0.0.1:33413"});
    TConnectionForm form(&c, &bar);
    form.show();
    QApplication::processEvents();
    auto* site = Child<QComboBox>(form, "RemoteComboBox");
    EXPECT_EQ(site->currentText().toStdString(), "127.0.0.1");

    c.link = LinkState{};
    form.UpdateState();
    site->setEditText("");
    for (const QChar ch : QString("127.0.0.1"))
        testsupport::PressKeyIn(site->lineEdit(), ch.unicode(), QString(ch));
    testsupport::PressEnterIn(site->lineEdit());
    EXPECT_EQ(c.calls, (std::vector<std::string>{"site 127.0.0.1 dialog"}));
}

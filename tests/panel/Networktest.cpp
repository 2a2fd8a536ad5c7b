#include "Scripted.h"

#include "device/Device.h"
#include "link/Ostrabus.h"
#include "panel/Orrery.h"
#include "panel/Version.h"
#include "platform/Settingsfile.h"
#include "simunit/Simgateway.h"
#include "simunit/Simunit.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <cstdio>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

class NetworkControllerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        // Start-up reads the settings store: the connection mode starts as a fresh store has it,
        // not as a test before left it.
        RemoveStore();
        controller.AttachDevice(&device);
        controller.SetVersionText("D.00");
        ASSERT_TRUE(controller.Startup());
        controller.Settings().Timeout = 500;
        controller.Settings().Addr = 2;
    }
    void TearDown() override
    {
        device.ClosePort();
        device.DisconnectNetwork();
        controller.AttachDevice(nullptr);
        RemoveStore();
    }
    static void RemoveStore()
    {
        std::remove(platform::SettingsFile::PathForKey(orrery::RegistryKeyPath).c_str());
    }

    ScriptedHooks hooks;
    ScriptedView view;
    CDevice device;
    COrrery controller{view};
    simunit::SimUnit unit;
};

TEST_F(NetworkControllerTest, GatewayGivesModeTwoAndItsPortsConnect)
{
    simunit::SimGateway gateway(simunit::SimGateway::Role::Gateway);
    gateway.AddPort("COM7", 2, simunit::SimGateway::AnswerFrom(unit));
    ASSERT_TRUE(gateway.Start());
    controller.Settings().TCPPort = gateway.Port();

    EXPECT_TRUE(controller.ConnectSite("127.0.0.1", true));
    EXPECT_EQ(controller.ConnMode(), COrrery::ModeGateway);
    EXPECT_TRUE(device.IsGateway());
    EXPECT_FALSE(device.IsConnected());
    EXPECT_EQ(view.portItems, (std::vector<std::string>{"COM7"}));
    EXPECT_EQ(view.remoteTexts, (std::vector<std::string>{"Connecting..."}));
    EXPECT_EQ(controller.ModbusList(), "127.0.0.1");
    EXPECT_FALSE(view.ui.DemoEnabled); // a gateway socket is open

    controller.ConnectPort("COM7", true);
    EXPECT_TRUE(device.IsConnected());
    EXPECT_TRUE(view.timerOn);
    EXPECT_TRUE(hooks.shown.empty());
}

TEST_F(NetworkControllerTest, GatewayPortListOffersTheRecentPortsNotAmongItsOwn)
{
    simunit::SimGateway gateway(simunit::SimGateway::Role::Gateway);
    gateway.AddPort("COM7", 2, simunit::SimGateway::AnswerFrom(unit));
    ASSERT_TRUE(gateway.Start());
    controller.Settings().TCPPort = gateway.Port();
    controller.PushPort("lab:4");
    controller.PushPort("com7");
    controller.PushPort("lab:3");

    EXPECT_TRUE(controller.ConnectSite("127.0.0.1", true));
    EXPECT_EQ(view.portItems, (std::vector<std::string>{"COM7", "lab:3", "lab:4"}));
}

TEST_F(NetworkControllerTest, NetworkedUnitGivesModeOneAndIsIdentified)
{
    simunit::SimGateway networkUnit(simunit::SimGateway::Role::NetworkUnit);
    networkUnit.SetUnit(simunit::SimGateway::AnswerFrom(unit));
    ASSERT_TRUE(networkUnit.Start());
    controller.Settings().TCPPort = networkUnit.Port();

    EXPECT_TRUE(controller.ConnectSite("127.0.0.1", true));
    EXPECT_EQ(controller.ConnMode(), COrrery::ModeNetwork);
    EXPECT_TRUE(device.IsDirectNetwork());
    EXPECT_TRUE(device.IsConnected());
    EXPECT_TRUE(view.timerOn);

    // The connection drops: the next command reports -101 and disconnects.
    networkUnit.Stop();
    const int r = controller.Transact(93, false);
    EXPECT_EQ(r, linkerr::ConnectionLost);
    EXPECT_FALSE(device.IsConnected());
    EXPECT_FALSE(view.timerOn);
    ASSERT_FALSE(view.commandResults.empty());
    EXPECT_EQ(view.commandResults.back(), std::make_pair(linkerr::ConnectionLost, 93));
}

TEST_F(NetworkControllerTest, IdentificationThatLosesTheLinkAsksNothing)
{
    simunit::SimGateway networkUnit(simunit::SimGateway::Role::NetworkUnit);
    networkUnit.SetUnit(simunit::SimGateway::AnswerFrom(unit));
    ASSERT_TRUE(networkUnit.Start());
    controller.Settings().TCPPort = networkUnit.Port();
    ASSERT_TRUE(controller.ConnectSite("127.0.0.1", true));
    ASSERT_TRUE(device.IsConnected());

    // Checked again, the unit's connection breaks in the middle of its answer.
    networkUnit.CloseMidReply();
    hooks.answers = {true};
    const int clears = view.statusClears;
    EXPECT_FALSE(controller.CheckUnit());
    EXPECT_FALSE(device.IsConnected());
    EXPECT_TRUE(hooks.shown.empty()); // no connection left to maintain
    ASSERT_FALSE(view.commandResults.empty());
    EXPECT_EQ(view.commandResults.back(), std::make_pair(linkerr::ConnectionLost, 128));
    // Only the step's own disconnect cleared the message, before the failure was shown.
    EXPECT_EQ(view.statusClears, clears + 1);
}

TEST_F(NetworkControllerTest, RefusedConnectionWarnsAndDropsTheSite)
{
    // A port held bound but not listening refuses connections, and no other test can take it
    // meanwhile (a port just let go could be).
    const int held = ::socket(AF_INET, SOCK_STREAM, 0);
    ASSERT_GE(held, 0);
    sockaddr_in addr {};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ASSERT_EQ(::bind(held, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
    socklen_t len = sizeof addr;
    ASSERT_EQ(::getsockname(held, reinterpret_cast<sockaddr*>(&addr), &len), 0);
    controller.Settings().TCPPort = ntohs(addr.sin_port);
    EXPECT_TRUE(controller.ConnectSite("127.0.0.1", true));
    ASSERT_EQ(hooks.shown.size(), 1u);
    EXPECT_EQ(hooks.shown[0].caption, "Connect");
    // The address stays in the message although the failed connect dropped it from the link.
    // It names the port too.
    const std::string site = "127.0.0.1:" + std::to_string(ntohs(addr.sin_port));
    EXPECT_EQ(hooks.shown[0].text.rfind("Can't connect to " + site + "\n[10061] ", 0), 0u) << hooks.shown[0].text;
    EXPECT_FALSE(device.HasSocket());
    EXPECT_EQ(controller.ConnMode(), COrrery::ModeLocal);
    ::close(held);
}

TEST_F(NetworkControllerTest, SameModeDoesNothing)
{
    const size_t before = view.timerSets;
    controller.SetConnectionMode(COrrery::ModeLocal);
    EXPECT_EQ(view.timerSets, before);
    controller.SetConnectionMode(COrrery::ModeNetwork);
    EXPECT_EQ(controller.ConnMode(), COrrery::ModeNetwork);
    EXPECT_EQ(view.connMode, COrrery::ModeNetwork);
}

} // namespace

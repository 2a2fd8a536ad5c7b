// The status bar's state machine driven tick by tick.
#include "panel/Statusstate.h"

#include <gtest/gtest.h>
#include <vector>

namespace {

using Env = CStatusState::Environment;

Env Connected(bool readTimerOn = true)
{
    Env e;
    e.connected = true;
    e.readTimerOn = readTimerOn;
    return e;
}

LinkState PortLink()
{
    LinkState l;
    l.hasPort = true;
    l.connected = true;
    l.portName = "/dev/ttyUSB0";
    l.baud = 38400;
    l.unitAddress = 2;
    return l;
}

// Comm pictures after each of n ticks.
std::vector<int> CommPictures(CStatusState& s, const Env& env, int n)
{
    std::vector<int> out;
    for (int i = 0; i < n; ++i) {
        s.Tick(env);
        out.push_back(s.ShownCommImage());
    }
    return out;
}

} // namespace

TEST(StatusState, InitialValues)
{
    CStatusState s;
    EXPECT_EQ(s.CommTicks(), 0);
    EXPECT_EQ(s.CommState(), 3);
    EXPECT_EQ(s.ShownCommImage(), -1);
    EXPECT_EQ(s.LogBlink(), 0);
    EXPECT_EQ(s.ShownLogImage(), -1);
    EXPECT_EQ(s.LogState(), 0);
    EXPECT_EQ(s.MessageState(), 0);
    EXPECT_EQ(s.MessageHold(), 0);
    EXPECT_EQ(s.ErrorBlink(), 0);
}

TEST(StatusState, BusyThenErrorSequences)
{
    CStatusState s;
    s.UpdateConnection(connmode::Local, false, PortLink());
    ASSERT_EQ(s.CommState(), 0);
    EXPECT_EQ(s.ShownCommImage(), 0);

    s.SetCommState(1);
    EXPECT_EQ(s.ShownCommImage(), 1); // drawn at once
    EXPECT_EQ(CommPictures(s, Connected(), 3), (std::vector<int>{1, 0, 0}));

    s.SetCommState(2);
    EXPECT_EQ(s.ShownCommImage(), 2);
    EXPECT_EQ(CommPictures(s, Connected(), 7), (std::vector<int>{2, 0, 2, 0, 2, 0, 0}));
    EXPECT_EQ(s.CommState(), 0);
}

TEST(StatusState, ConnectionRefreshLeavesAnErrorToRunOut)
{
    CStatusState s;
    s.UpdateConnection(connmode::Local, false, PortLink());
    s.SetCommState(2);
    s.UpdateConnection(connmode::Local, false, PortLink()); // the menus follow the failed command
    EXPECT_EQ(s.CommState(), 2);
    EXPECT_EQ(s.ShownCommImage(), 2);
    EXPECT_EQ(CommPictures(s, Connected(), 7), (std::vector<int>{2, 0, 2, 0, 2, 0, 0}));
    EXPECT_EQ(s.CommState(), 0);
}

TEST(StatusState, BusyNeverHidesAnError)
{
    CStatusState s;
    s.UpdateConnection(connmode::Local, false, PortLink());
    s.SetCommState(2);
    std::vector<int> pictures;
    for (int i = 0; i < 6; ++i) {
        s.SetCommState(1); // a command after every tick
        EXPECT_NE(s.CommState(), 1);
        s.Tick(Connected());
        pictures.push_back(s.ShownCommImage());
    }
    EXPECT_EQ(pictures, (std::vector<int>{2, 0, 2, 0, 2, 0}));
    s.SetCommState(1); // the error has ended: busy shows again
    EXPECT_EQ(s.ShownCommImage(), 1);
}

TEST(StatusState, MarksIgnoredWhileDisconnected)
{
    for (int disconnected : {3, 4}) {
        CStatusState s;
        s.SetCommState(disconnected);
        s.Tick(Env{});
        EXPECT_EQ(s.ShownCommImage(), disconnected);
        s.SetCommState(1);
        s.SetCommState(2);
        EXPECT_EQ(s.CommState(), disconnected);
        s.Tick(Env{});
        EXPECT_EQ(s.ShownCommImage(), disconnected);
        s.SetCommState(0); // the connection texts set idle
        s.SetCommState(2);
        EXPECT_EQ(s.ShownCommImage(), 2);
    }
}

TEST(StatusState, DisconnectedPictureWaitsForTick)
{
    CStatusState s;
    s.UpdateConnection(connmode::Local, false, PortLink());
    const int draws = s.CommDraws();
    s.SetCommState(3);
    EXPECT_EQ(s.ShownCommImage(), 0);
    s.Tick(Env{});
    EXPECT_EQ(s.ShownCommImage(), 3);
    EXPECT_EQ(s.CommDraws(), draws + 1);
    s.Tick(Env{});
    EXPECT_EQ(s.CommDraws(), draws + 1); // drawn only on change
}

TEST(StatusState, LogIndicator)
{
    CStatusState s;
    s.SetLogState(1);
    std::vector<int> pics;
    for (int i = 0; i < 4; ++i) {
        s.Tick(Env{});
        pics.push_back(s.ShownLogImage());
    }
    EXPECT_EQ(pics, (std::vector<int>{1, 2, 1, 2}));

    s.SetLogState(2);
    pics.clear();
    for (int i = 0; i < 5; ++i) {
        s.Tick(Env{});
        pics.push_back(s.ShownLogImage());
    }
    EXPECT_EQ(pics, (std::vector<int>{5, 4, 3, 2, 2}));
    s.SetLogState(0);
    s.Tick(Env{});
    EXPECT_EQ(s.ShownLogImage(), 0);
}

TEST(StatusState, CommandResultTexts)
{
    CStatusState s;
    EXPECT_TRUE(s.ShowCommandResult(-3, 255, "Read timeout", "unused"));
    EXPECT_EQ(s.ErrorText(), "Cmd 255: Read timeout");
    EXPECT_EQ(s.MessageState(), -3);
    EXPECT_EQ(s.MessageHold(), 20);
    EXPECT_EQ(s.ErrorBlink(), 6);

    // A good command clears a link error.
    EXPECT_FALSE(s.ShowCommandResult(0, 1, "", ""));
    EXPECT_EQ(s.ErrorText(), "");
    EXPECT_EQ(s.MessageState(), 0);

    EXPECT_TRUE(s.ShowCommandResult(4, 17, "unused", "Invalid value"));
    EXPECT_EQ(s.ErrorText(), "Cmd 17: CSR Invalid value");
    EXPECT_EQ(s.MessageState(), 4);
    // ... but not a CSR message.
    s.ShowCommandResult(0, 1, "", "");
    EXPECT_EQ(s.ErrorText(), "Cmd 17: CSR Invalid value");
}

TEST(StatusState, CommandAcceptedOnlyWithoutMessage)
{
    CStatusState s;
    s.ShowMessage("Saved");
    s.CommandAccepted();
    EXPECT_EQ(s.ErrorText(), "Saved");
    EXPECT_EQ(s.MessageState(), 1);

    s.ClearMessage();
    EXPECT_EQ(s.MessageHold(), 0);
    s.CommandAccepted();
    EXPECT_EQ(s.ErrorText(), "Command accepted");
    EXPECT_EQ(s.MessageState(), 2);
    EXPECT_EQ(s.MessageHold(), 20);
    s.ShowCommandResult(0, 5, "", ""); // stays
    EXPECT_EQ(s.ErrorText(), "Command accepted");
}

TEST(StatusState, MessageBlinksThenHoldsThenReadTimerOffBlinks)
{
    CStatusState s;
    s.UpdateConnection(connmode::Local, false, PortLink());
    s.ShowMessage("Hello");
    std::vector<uint32_t> colours;
    for (int i = 0; i < 6; ++i) {
        s.Tick(Connected(false));
        colours.push_back(s.ErrorColor());
    }
    const uint32_t A = CStatusState::Aqua, S = CStatusState::Silver;
    EXPECT_EQ(colours, (std::vector<uint32_t>{A, S, A, S, A, S}));
    // The message is held 20 ticks in all.
    for (int i = 6; i < 20; ++i) {
        s.Tick(Connected(false));
        EXPECT_EQ(s.ErrorText(), "Hello") << i;
    }
    EXPECT_EQ(s.MessageHold(), 0);
    s.Tick(Connected(false));
    EXPECT_EQ(s.ErrorText(), "Read timer is Off");
    EXPECT_EQ(s.ErrorColor(), A);
    s.Tick(Connected(false));
    EXPECT_EQ(s.ErrorColor(), S);
    s.Tick(Connected(false));
    EXPECT_EQ(s.ErrorColor(), A);
}

TEST(StatusState, ReadTimerOnKeepsMessage)
{
    CStatusState s;
    s.ShowMessage("Hello");
    for (int i = 0; i < 40; ++i)
        s.Tick(Connected(true));
    EXPECT_EQ(s.ErrorText(), "Hello");
    EXPECT_EQ(s.MessageHold(), 20);
}

TEST(StatusState, DisconnectedPanelBlinks)
{
    struct Case {
        int mode;
        bool gateway;
        bool autoFinding;
        bool portBlinks;
        bool remoteBlinks;
    };
    const Case cases[] = {
        {0, false, false, true, false},
        {0, false, true, false, false}, // auto-finding: the port panel stays silver
        {1, false, false, false, true},
        {2, false, false, false, true},
        {2, true, false, true, false},
    };
    for (const Case& c : cases) {
        CStatusState s;
        Env env;
        env.connMode = c.mode;
        env.gateway = c.gateway;
        env.autoFindingVisible = c.autoFinding;
        s.Tick(env);
        const uint32_t port1 = s.PortColor(), remote1 = s.RemoteColor();
        s.Tick(env);
        EXPECT_EQ(port1 == CStatusState::Aqua, c.portBlinks) << c.mode;
        EXPECT_EQ(remote1 == CStatusState::Aqua, c.remoteBlinks) << c.mode;
        EXPECT_EQ(s.PortColor(), CStatusState::Silver);
        EXPECT_EQ(s.RemoteColor(), CStatusState::Silver);
    }
}

TEST(StatusState, DemoBlinksPortLimeOnly)
{
    CStatusState s;
    s.UpdateConnection(connmode::Local, true, LinkState{});
    EXPECT_EQ(s.PortCaption(), "Demo");
    EXPECT_TRUE(s.PortVisible());
    EXPECT_FALSE(s.RemoteVisible());
    s.ShowMessage("x");
    Env env;
    env.demo = true;
    s.Tick(env);
    EXPECT_EQ(s.PortColor(), CStatusState::Lime);
    EXPECT_EQ(s.ErrorBlink(), 6); // nothing else runs in demo mode
    s.Tick(env);
    EXPECT_EQ(s.PortColor(), CStatusState::Silver);
}

TEST(StatusState, ConnectionTexts)
{
    CStatusState s;
    s.UpdateConnection(connmode::Local, false, PortLink());
    EXPECT_EQ(s.PortCaption(), "/dev/ttyUSB0");
    EXPECT_EQ(s.PortHint(), "Connected to /dev/ttyUSB0, 38400, Addr 2");
    EXPECT_EQ(s.CommHint(), s.PortHint());
    EXPECT_TRUE(s.PortVisible());
    EXPECT_FALSE(s.RemoteVisible());

    s.UpdateConnection(connmode::Local, false, LinkState{});
    EXPECT_EQ(s.PortCaption(), "Disconnected");
    EXPECT_EQ(s.PortHint(), "Disconnected");
    EXPECT_EQ(s.CommState(), 3);

    LinkState gw;
    gw.socketOpen = true;
    gw.gateway = true;
    gw.site = "lab-gw";
    gw.ipAddress = "10.1.2.3";
    gw.hostName = "lab-gw.example";
    s.UpdateConnection(connmode::Gateway, false, gw);
    EXPECT_EQ(s.RemoteCaption(), "lab-gw");
    EXPECT_EQ(s.RemoteHint(), "Connected to 10.1.2.3 (lab-gw.example)");
    EXPECT_EQ(s.PortCaption(), "Disconnected");
    EXPECT_EQ(s.CommState(), 4);
    EXPECT_TRUE(s.PortVisible());
    EXPECT_TRUE(s.RemoteVisible());

    LinkState unit;
    unit.socketOpen = true;
    unit.directNetwork = true;
    unit.connected = true;
    unit.site = "10.0.0.7";
    unit.ipAddress = "10.0.0.7";
    s.UpdateConnection(connmode::Network, false, unit);
    EXPECT_EQ(s.RemoteHint(), "Connected to 10.0.0.7");
    EXPECT_EQ(s.PortCaption(), "Disconnected"); // the port caption stays
    EXPECT_EQ(s.PortHint(), "");
    EXPECT_EQ(s.CommHint(), "Connected to 10.0.0.7");
    EXPECT_EQ(s.CommState(), 0);
    EXPECT_FALSE(s.PortVisible());

    s.UpdateConnection(connmode::Network, false, LinkState{});
    EXPECT_EQ(s.RemoteCaption(), "Disconnected");
    EXPECT_EQ(s.RemoteHint(), "Disconnected");
}

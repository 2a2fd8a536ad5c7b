// The port-list refresh and the unit search against simulated units on pseudo-terminals.
#include "device/Device.h"
#include "link/Autofind.h"
#include "panel/Connectprobe.h"
#include "link/Connectrefresh.h"
#include "support/Simfixture.h"

#include <gtest/gtest.h>

using testsupport::SimPty;

namespace {

class SilentView : public IAutoFindView {
public:
    void ProcessMessages() override {}
    bool StopRequested() override { return false; }
    void ShowGauge(int) override {}
    void SetGauge(int value, const std::string& caption) override { gauge.emplace_back(value, caption); }
    void HideGauge() override {}
    std::vector<std::pair<int, std::string>> gauge;
};

ConnectionSettings Settings()
{
    ConnectionSettings s;
    s.baudText = "9600";
    s.readTimeoutMs = 300;
    s.unitAddress = simunit::SimUnit::DefaultAddress;
    return s;
}

} // namespace

TEST(ConnectProbe, RefreshListsUnitsAndSelectsTheOpenPort)
{
    SimPty open, other;
    ASSERT_TRUE(open.Ok()) << open.Error();
    ASSERT_TRUE(other.Ok()) << other.Error();
    CDevice main;
    ASSERT_EQ(main.OpenPort(open.Path(), 9600, 300, simunit::SimUnit::DefaultAddress), 0) << main.LastError();
    CDeviceProbe mainProbe(main);
    CDeviceProbe temp;
    const LinkState link = LinkStateOf(main);
    const std::string missing = "/dev/orrery-no-such-port";
    const std::vector<std::string> ports = {missing, other.Path(), open.Path()};

    const PortListRefresh r = CPortListRefresh::Run(true, ports, link, Settings(), mainProbe, temp);
    ASSERT_EQ(r.rows.size(), 3u);
    EXPECT_EQ(r.rows[0].rfind(missing + "\t", 0), 0u);
    EXPECT_GT(r.rows[0].size(), missing.size() + 1); // the system's error text follows
    EXPECT_EQ(r.rows[1], other.Path() + "\t" + temp.ModelText() + "\t" + temp.DisplayName());
    EXPECT_EQ(r.rows[1].substr(other.Path().size() + 1, 4), "VANT");
    EXPECT_EQ(r.rows[2], open.Path() + "\t" + main.ModelText() + "\t" + main.CopyDisplayName());
    EXPECT_EQ(r.selected, 2);
    EXPECT_FALSE(temp.Device().HasPort()); // the probed port was closed again
    EXPECT_TRUE(main.HasPort());
}

TEST(ConnectProbe, RefreshWithoutProbingTouchesOnlyTheOpenPort)
{
    SimPty open, other;
    ASSERT_TRUE(open.Ok() && other.Ok());
    CDevice main;
    ASSERT_EQ(main.OpenPort(open.Path(), 9600, 300, simunit::SimUnit::DefaultAddress), 0);
    CDeviceProbe mainProbe(main);
    CDeviceProbe temp;
    const PortListRefresh r =
        CPortListRefresh::Run(false, {other.Path(), open.Path()}, LinkStateOf(main), Settings(), mainProbe, temp);
    EXPECT_EQ(r.rows[0], other.Path() + "\t");
    EXPECT_EQ(r.selected, 1);
    EXPECT_EQ(other.Unit().RequestCount(), 0);
}

TEST(ConnectProbe, SearchFindsTheSimulatedUnit)
{
    SimPty unit;
    ASSERT_TRUE(unit.Ok());
    CDevice main;
    CDeviceProbe probe(main);
    AutoFindParams p;
    p.portList = "/dev/orrery-no-such-port," + unit.Path();
    p.bauds = {"9600", "19200"};
    p.currentPort = unit.Path();
    p.currentBaud = "9600"; // tried already
    p.readTimeoutMs = 300;
    p.unitAddress = simunit::SimUnit::DefaultAddress;
    SilentView view;
    const AutoFindResult r = CAutoFind::Run(p, probe, view);
    EXPECT_EQ(r.result, CAutoFind::Found);
    EXPECT_EQ(r.port, unit.Path());
    EXPECT_EQ(r.baud, "19200");
    EXPECT_TRUE(main.HasPort());
    EXPECT_EQ(view.gauge, (std::vector<std::pair<int, std::string>>{{1, "/dev/orrery-no-such-port"}, {4, unit.Path()}}));
}

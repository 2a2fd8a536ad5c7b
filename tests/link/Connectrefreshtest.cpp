// The connection dialog's port rows from scripted units.
#include "link/Connectrefresh.h"

#include <gtest/gtest.h>
#include <map>

namespace {

class ScriptedUnit : public IUnitProbe {
public:
    std::map<std::string, int> identifyResults; // per port; missing: open fails
    std::string model = "VM-1000";
    std::string display = "Vantrel 1000";
    std::string open;
    std::string error;
    bool networkOk = true;
    std::string networkIp;
    int opens = 0;
    int closes = 0;

    bool OpenPort(const std::string& name, int, int, int) override
    {
        ++opens;
        if (!identifyResults.count(name)) {
            error = "Device or resource busy";
            return false;
        }
        open = name;
        return true;
    }
    void ClosePort() override
    {
        ++closes;
        open.clear();
    }
    int Identify() override
    {
        const int r = identifyResults.count(open) ? identifyResults[open] : -3;
        if (r < 0)
            error = "Read timeout";
        return r;
    }
    std::string ModelText() const override { return model; }
    std::string DisplayName() const override { return display; }
    std::string LastError() const override { return error; }
    bool ConnectNetwork(const std::string& ip, int, int) override
    {
        networkIp = ip;
        if (!networkOk)
            error = "[10061] Connection refused";
        return networkOk;
    }
};

} // namespace

TEST(PortListRefresh, RowsWithProbing)
{
    ScriptedUnit main, temp;
    main.open = "/dev/ttyUSB0";
    main.identifyResults["/dev/ttyUSB0"] = 0;
    temp.identifyResults["/dev/ttyS1"] = -3;
    temp.identifyResults["/dev/ttyS2"] = 0;
    temp.model = "VM-200";
    temp.display = "Vantrel 200";
    LinkState link;
    link.hasPort = true;
    link.connected = true;
    link.portName = "/dev/ttyUSB0";
    const std::vector<std::string> ports = {"/dev/ttyS0", "/dev/ttyS1", "/dev/ttyS2", "/dev/ttyUSB0", "GW:1"};

    const PortListRefresh r = CPortListRefresh::Run(true, ports, link, ConnectionSettings{}, main, temp);
    const std::vector<std::string> expected = {
        "/dev/ttyS0\tDevice or resource busy",
        "/dev/ttyS1\tRead timeout",
        "/dev/ttyS2\tVM-200\tVantrel 200",
        "/dev/ttyUSB0\tVM-1000\tVantrel 1000",
        "GW:1\t",
    };
    EXPECT_EQ(r.rows, expected);
    EXPECT_EQ(r.selected, 3);
    EXPECT_EQ(temp.opens, 3);
    EXPECT_EQ(temp.closes, 2);
    EXPECT_EQ(CPortListRefresh::PortOfRow(r.rows[2]), "/dev/ttyS2");
}

TEST(PortListRefresh, WithoutProbingOnlyTheOpenPortIsIdentified)
{
    ScriptedUnit main, temp;
    main.open = "/dev/ttyS1";
    main.identifyResults["/dev/ttyS1"] = 0;
    LinkState link;
    link.hasPort = true;
    link.portName = "/dev/ttyS1";
    const PortListRefresh r =
        CPortListRefresh::Run(false, {"/dev/ttyS0", "/dev/ttyS1"}, link, ConnectionSettings{}, main, temp);
    EXPECT_EQ(r.rows, (std::vector<std::string>{"/dev/ttyS0\t", "/dev/ttyS1\tVM-1000\tVantrel 1000"}));
    EXPECT_EQ(r.selected, 1);
    EXPECT_EQ(temp.opens, 0);
}

TEST(PortListRefresh, GatewayProbeFailureStops)
{
    ScriptedUnit main, temp;
    temp.networkOk = false;
    LinkState link;
    link.socketOpen = true;
    link.gateway = true;
    link.ipAddress = "10.0.0.5";
    const PortListRefresh r = CPortListRefresh::Run(true, {"GW1", "GW2"}, link, ConnectionSettings{}, main, temp);
    EXPECT_TRUE(r.gatewayFailed);
    EXPECT_EQ(r.error, "[10061] Connection refused");
    EXPECT_EQ(temp.networkIp, "10.0.0.5");
    EXPECT_TRUE(r.rows.empty());
}

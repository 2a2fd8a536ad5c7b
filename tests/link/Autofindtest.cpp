// The port and baud search against a scripted set of ports.
#include "link/Autofind.h"

#include <gtest/gtest.h>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace {

// Ports that exist, with the baud at which a unit answers and whether its model is known.
class ScriptedUnit : public IUnitProbe {
public:
    struct Port {
        int unitBaud = 0;      // 0: nothing answers
        bool knownModel = true;
    };
    std::map<std::string, Port> ports;
    std::set<std::string> failingOpens;
    std::vector<std::string> log; // "open port baud", "identify", "close"
    std::string openPort;
    int openBaud = 0;

    bool OpenPort(const std::string& name, int baud, int, int) override
    {
        log.push_back("open " + name + " " + std::to_string(baud));
        if (failingOpens.count(name) || !ports.count(name))
            return false;
        openPort = name;
        openBaud = baud;
        return true;
    }
    void ClosePort() override
    {
        log.push_back("close");
        openPort.clear();
    }
    int Identify() override
    {
        log.push_back("identify");
        const Port& p = ports.at(openPort);
        if (p.unitBaud != openBaud)
            return -3;
        return p.knownModel ? 0 : 7;
    }
    std::string ModelText() const override { return "M"; }
    std::string DisplayName() const override { return "D"; }
    std::string LastError() const override { return "err"; }
    bool ConnectNetwork(const std::string&, int, int) override { return false; }
};

class ScriptedView : public IAutoFindView {
public:
    int maximum = -1;
    bool gaugeVisible = false;
    std::vector<std::pair<int, std::string>> values;
    int pumps = 0;
    int stopAtPump = -1; // the stop button goes down before this pump's check

    void ProcessMessages() override { ++pumps; }
    bool StopRequested() override { return stopAtPump >= 0 && pumps >= stopAtPump; }
    void ShowGauge(int max) override
    {
        maximum = max;
        gaugeVisible = true;
    }
    void SetGauge(int value, const std::string& caption) override { values.emplace_back(value, caption); }
    void HideGauge() override { gaugeVisible = false; }
};

AutoFindParams Params()
{
    AutoFindParams p;
    p.portList = "A,B,C,D";
    p.bauds = {"9600", "19200", "38400", "57600", "115200"};
    p.currentPort = "A";
    p.currentBaud = "9600";
    return p;
}

} // namespace

TEST(AutoFind, OrderSkipAndFound)
{
    ScriptedUnit unit;
    unit.ports["A"] = {};                // no unit
    unit.ports["C"] = {38400, true};     // the unit
    unit.failingOpens.insert("B");
    ScriptedView view;
    const AutoFindResult r = CAutoFind::Run(Params(), unit, view);

    EXPECT_EQ(r.result, CAutoFind::Found);
    EXPECT_EQ(r.port, "C");
    EXPECT_EQ(r.baud, "38400");
    EXPECT_EQ(view.maximum, 20); // 4 ports x 5 bauds
    EXPECT_FALSE(view.gaugeVisible);

    const std::vector<std::string> expected = {
        // A at 9600 was tried already; a link error goes on with the next baud, after a retry
        "open A 19200", "identify", "identify", "close",
        "open A 38400", "identify", "identify", "close",
        "open A 57600", "identify", "identify", "close",
        "open A 115200", "identify", "identify", "close",
        // B cannot be opened: next port
        "open B 9600",
        "open C 9600", "identify", "identify", "close",
        "open C 19200", "identify", "identify", "close",
        "open C 38400", "identify",
    };
    EXPECT_EQ(unit.log, expected);
    const std::vector<std::pair<int, std::string>> gauge = {
        {2, "A"}, {3, "A"}, {4, "A"}, {5, "A"}, {6, "B"}, {11, "C"}, {12, "C"}, {13, "C"}};
    EXPECT_EQ(view.values, gauge);
}

TEST(AutoFind, SkipCurrentPortAndUnknownModel)
{
    ScriptedUnit unit;
    unit.ports["A"] = {9600, true};   // would be found, but is skipped
    unit.ports["B"] = {9600, false};  // an unknown model answers: next port
    unit.ports["C"] = {};
    unit.ports["D"] = {};
    AutoFindParams p = Params();
    p.skipCurrentPort = true;
    ScriptedView view;
    const AutoFindResult r = CAutoFind::Run(p, unit, view);
    EXPECT_EQ(r.result, CAutoFind::NotFound);
    ASSERT_GE(unit.log.size(), 3u);
    EXPECT_EQ(unit.log[0], "open B 9600");
    EXPECT_EQ(unit.log[1], "identify");
    EXPECT_EQ(unit.log[2], "identify");
    EXPECT_EQ(unit.log[3], "close");
    EXPECT_EQ(unit.log[4], "open C 9600");
    for (const std::string& line : unit.log)
        EXPECT_EQ(line.find("open A"), std::string::npos);
    EXPECT_FALSE(view.gaugeVisible);
}

TEST(AutoFind, StopEndsBeforeNextBaud)
{
    ScriptedUnit unit;
    unit.ports["A"] = {};
    unit.ports["B"] = {};
    ScriptedView view;
    view.stopAtPump = 3;
    const AutoFindResult r = CAutoFind::Run(Params(), unit, view);
    EXPECT_EQ(r.result, CAutoFind::Stopped);
    // pump 1: A 9600 skipped; pump 2: A 19200 tried; pump 3: stop
    EXPECT_EQ(unit.log, (std::vector<std::string>{"open A 19200", "identify", "identify", "close"}));
    EXPECT_FALSE(view.gaugeVisible);
}

TEST(AutoFind, NothingToSearch)
{
    ScriptedUnit unit;
    ScriptedView view;
    AutoFindParams p = Params();
    p.bauds.clear();
    EXPECT_EQ(CAutoFind::Run(p, unit, view).result, CAutoFind::NotFound);
    EXPECT_EQ(view.maximum, 0);
    EXPECT_TRUE(unit.log.empty());
    p = Params();
    p.portList.clear();
    EXPECT_EQ(CAutoFind::Run(p, unit, view).result, CAutoFind::NotFound);
    EXPECT_TRUE(unit.log.empty());
}

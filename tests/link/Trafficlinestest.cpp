// The traffic log's lines: kept only while shown and not paused, one "Pause..." mark per
// pause, at most the limit (the oldest go), and the link feeding it while it is active.

#include "link/Ostrabus.h"
#include "link/Trafficlines.h"

#include <gtest/gtest.h>

namespace {

std::vector<std::string> Lines(const CTrafficLines& t) { return {t.Lines().begin(), t.Lines().end()}; }

TEST(TrafficLines, HiddenOrPausedDropsLines)
{
    CTrafficLines t;
    std::vector<std::string> mirrored;
    t.SetOnLine([&](const std::string& l) { mirrored.push_back(l); });
    EXPECT_FALSE(t.Active());
    t.AddLine("hidden");
    t.Show();
    t.AddLine("a");
    EXPECT_TRUE(t.TogglePause());
    t.AddLine("paused");
    EXPECT_FALSE(t.TogglePause()); // resuming adds nothing
    t.AddLine("b");
    EXPECT_EQ(Lines(t), (std::vector<std::string>{"a", "Pause...", "b"}));
    EXPECT_EQ(mirrored, Lines(t));
    EXPECT_EQ(t.Text(), "a\nPause...\nb\n");
    t.Hide();
    t.AddLine("hidden again");
    EXPECT_EQ(t.Lines().size(), 3u);

    // Each showing starts empty and not paused.
    t.TogglePause();
    t.Show();
    EXPECT_TRUE(t.Lines().empty());
    EXPECT_FALSE(t.Paused());
    t.AddLine("c");
    t.Clear();
    EXPECT_TRUE(t.Lines().empty());
}

TEST(TrafficLines, KeepsItsLimit)
{
    CTrafficLines t(3);
    t.Show();
    for (const char* l : {"1", "2", "3", "4", "5"})
        t.AddLine(l);
    EXPECT_EQ(Lines(t), (std::vector<std::string>{"3", "4", "5"}));
    EXPECT_EQ(CTrafficLines().Limit(), CTrafficLines::DefaultLimit);
}

TEST(TrafficLines, FedByTheLinkOnlyWhileActive)
{
    CTrafficLines t;
    InstallTrafficLog(&t);
    COstraBus bus;
    bus.Transact(128); // no link: its error text only while active
    t.Show();
    bus.Transact(128);
    t.TogglePause();
    bus.Transact(128);
    InstallTrafficLog(nullptr);
    EXPECT_EQ(Lines(t), (std::vector<std::string>{"Disconnected", "Pause..."}));
}

} // namespace

// The simulated unit program's network options.

#include "simunit/Simoptions.h"
#include "simunit/Simstate.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>

using simunit::ParseSimOptions;
using simunit::SimOptions;

TEST(NetSimOptions, GatewayAndNetworkUnitPorts)
{
    SimOptions o;
    std::string error;
    ASSERT_TRUE(ParseSimOptions({}, o, error));
    EXPECT_EQ(o.gatewayPort, -1);
    EXPECT_EQ(o.networkUnitPort, -1);
    ASSERT_TRUE(ParseSimOptions({"--gateway", "0", "--network-unit", "5020"}, o, error)) << error;
    EXPECT_EQ(o.gatewayPort, 0);
    EXPECT_EQ(o.networkUnitPort, 5020);

    for (auto args : std::vector<std::vector<std::string>>{
             {"--gateway"}, {"--gateway", "65536"}, {"--network-unit", "-1"}, {"--gateway", "50x"}}) {
        SimOptions bad;
        EXPECT_FALSE(ParseSimOptions(args, bad, error)) << args[0];
        EXPECT_FALSE(error.empty());
        EXPECT_EQ(bad.gatewayPort, -1);
    }
}

TEST(NetSimOptions, WanderingLoadAndNoisyReadings)
{
    SimOptions o;
    std::string error;
    ASSERT_TRUE(ParseSimOptions({}, o, error));
    EXPECT_EQ(o.wander, 0.0);
    EXPECT_FALSE(o.noise);
    ASSERT_TRUE(ParseSimOptions({"--wander", "2.5", "--noise"}, o, error)) << error;
    EXPECT_EQ(o.wander, 2.5);
    EXPECT_TRUE(o.noise);
    for (auto args : std::vector<std::vector<std::string>>{
             {"--wander"}, {"--wander", "-1"}, {"--wander", "1001"}, {"--wander", "2x"}, {"--wander", "nan"}}) {
        SimOptions bad;
        EXPECT_FALSE(ParseSimOptions(args, bad, error)) << args.back();
        EXPECT_EQ(bad.wander, 0.0);
    }
}

TEST(NetSimOptions, NoisyReadingsStayNearTheTrueLoadAndTheLoadWandersRoundItsCircle)
{
    simunit::SimUnitData quiet;
    simunit::SimUnitData noisy;
    noisy.noise = true;
    const auto base = quiet.LiveWords();
    bool changed = false;
    for (int i = 0; i < 50; ++i) {
        const auto w = noisy.LiveWords();
        changed = changed || w[0] != base[0] || w[1] != base[1];
        // R and X in 1024ths of 50 ohm: a quarter ohm is about 5 steps.
        EXPECT_LE(std::abs(w[0] - base[0]), 6);
        EXPECT_LE(std::abs(w[1] - base[1]), 6);
    }
    EXPECT_TRUE(changed);

    simunit::SimUnitData wandering;
    wandering.wander = 3.0;
    wandering.started -= std::chrono::milliseconds(5000); // a quarter of the way round
    const auto [r, x] = wandering.Load();
    EXPECT_NEAR(r, wandering.loadR, 0.1);
    EXPECT_NEAR(x, wandering.loadX + 3.0, 0.1);
    EXPECT_EQ(quiet.Load(), std::make_pair(quiet.loadR, quiet.loadX));
}

TEST(NetSimOptions, AWanderingLoadKeepsItsResistanceAboveAFewOhm)
{
    // The run script's load with a wide circle: round the circle the resistance would reach
    // -15 ohm, where no network tunes.
    simunit::SimUnitData wandering;
    wandering.loadR = 15.0;
    wandering.loadX = -10.0;
    wandering.wander = 30.0;
    const auto start = wandering.started;
    double lowest = 1e9;
    double highest = -1e9;
    for (int step = 0; step < 40; ++step) {
        wandering.started = start - std::chrono::milliseconds(step * 500); // 1/40 of the way
        const auto [r, x] = wandering.Load();
        EXPECT_GE(r, simunit::SimUnitData::WanderMinOhm) << step;
        EXPECT_LE(std::abs(x - wandering.loadX), 30.0 + 1e-9) << step;
        lowest = std::min(lowest, r);
        highest = std::max(highest, r);
    }
    EXPECT_NEAR(lowest, simunit::SimUnitData::WanderMinOhm, 0.1);
    EXPECT_NEAR(highest, 25.0, 0.1); // squeezed alike on the far side: centred on the load
    EXPECT_NE(simunit::SimUsage().find("above 5 ohm"), std::string::npos);
}

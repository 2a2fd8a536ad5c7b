// The simulated unit program's network options.

#include "simunit/Simoptions.h"

#include <gtest/gtest.h>

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

// The built orrery-simunit program answers the link on the terminal it names.
#include "link/Ostrabus.h"
#include "support/Simfixture.h"

#include <gtest/gtest.h>

TEST(SimProcessTest, IdentifyThroughTheNamedTerminal)
{
    testsupport::SimProcess process;
    std::string error;
    ASSERT_TRUE(process.Start({ "--address", "5", "--model", "VANT-X" }, error)) << error;
    ASSERT_EQ(process.UnitPath().rfind("/dev/pts/", 0), 0u) << process.UnitPath();

    COstraBus bus;
    ASSERT_EQ(bus.OpenPort(process.UnitPath(), 9600, 500, 5), 0) << bus.LastError();
    ASSERT_EQ(bus.Transact(128), 0) << bus.LastError();
    std::string model(static_cast<size_t>(bus.ReplyLength()), '\0');
    bus.ReadBytes(model.data(), bus.ReplyLength());
    EXPECT_EQ(model, "VANT-X");
    EXPECT_EQ(bus.Transact(50), 1); // unknown command: CSR 1
    bus.ClosePort();
    EXPECT_EQ(process.Stop(), 0); // SIGTERM ends it cleanly
}

TEST(SimProcessTest, BadOptionIsRefused)
{
    testsupport::SimProcess process;
    std::string error;
    EXPECT_FALSE(process.Start({ "--address", "40" }, error));
    EXPECT_EQ(process.Stop(), 2);
}

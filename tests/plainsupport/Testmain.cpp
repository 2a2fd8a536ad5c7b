#include "support/Testenv.h"

#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    testsupport::PrepareEnvironment();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}

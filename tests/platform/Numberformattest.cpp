#include "platform/Numberformat.h"

#include <gtest/gtest.h>

#include <clocale>

TEST(NumberFormatTest, ListSeparatorFollowsDecimalAndInstallOverridesLocale)
{
    EXPECT_EQ(platform::NumberFormat(',').ListSeparator(), ';');
    EXPECT_EQ(platform::NumberFormat('.').ListSeparator(), ',');
    std::setlocale(LC_NUMERIC, "C");
    EXPECT_EQ(platform::NumberFormat::FromLocale().DecimalSeparator(), '.');
    platform::NumberFormat::Install(platform::NumberFormat(','));
    EXPECT_EQ(platform::NumberFormat::Current().DecimalSeparator(), ',');
    EXPECT_EQ(platform::NumberFormat::Current().ListSeparator(), ';');
    platform::NumberFormat::Uninstall();
    EXPECT_EQ(platform::NumberFormat::Current().DecimalSeparator(), '.');
}

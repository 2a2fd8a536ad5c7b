#include "panel/Recentlist.h"

#include <gtest/gtest.h>

namespace {

std::string Names(int from, int to)
{
    std::string s;
    for (int i = from; i <= to; ++i) {
        if (!s.empty())
            s += ',';
        s += "site";
        s += std::to_string(i);
    }
    return s;
}

TEST(RecentList, PushReplacesOtherSpellingAndKeepsTwelve)
{
    CRecentList list;
    list.SetCommaText("Alpha," + Names(1, 12));
    ASSERT_EQ(list.Items().size(), 13u);
    list.Push("ALPHA");
    ASSERT_EQ(list.Items().size(), 13u);
    EXPECT_EQ(list.Items().front(), "ALPHA");
    EXPECT_EQ(list.Items().back(), "site12");
    EXPECT_EQ(list.CommaText(), "ALPHA," + Names(1, 12));
}

TEST(RecentList, FourteenthDistinctNameDropsTheOldest)
{
    CRecentList list;
    for (int i = 1; i <= 14; ++i)
        list.Push("site" + std::to_string(i));
    ASSERT_EQ(list.Items().size(), 13u);
    EXPECT_EQ(list.Items().front(), "site14");
    EXPECT_EQ(list.Items().back(), "site2");
}

TEST(RecentList, LoadedListLongerThanThirteenIsCut)
{
    CRecentList list;
    list.SetCommaText(Names(1, 20));
    ASSERT_EQ(list.Items().size(), 13u);
    EXPECT_EQ(list.Items().back(), "site13");
    list.Push("new");
    EXPECT_EQ(list.Items().size(), 13u);
}

TEST(RecentList, EmptyTextIsEmptyList)
{
    CRecentList list;
    list.SetCommaText("");
    EXPECT_TRUE(list.Empty());
    EXPECT_EQ(list.CommaText(), "");
}

} // namespace

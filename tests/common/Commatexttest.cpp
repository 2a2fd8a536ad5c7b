#include "common/Commatext.h"

#include <gtest/gtest.h>

namespace {

using List = std::vector<std::string>;

TEST(CommaText, Reading)
{
    const struct {
        const char* text;
        List items;
    } cases[] = {
        { "", {} },
        { "   ", {} },
        { "a,b,c", { "a", "b", "c" } },
        { " a , b ", { "a", "b" } },
        { "a b", { "a", "b" } }, // an unquoted blank separates, as the string list does
        { "a,,b", { "a", "", "b" } },
        { "a,", { "a", "" } },
        { "\"\"", { "" } },
        { "\"COM 1\",\"say \"\"hi\"\"\",x", { "COM 1", "say \"hi\"", "x" } },
        { "\"a,b\"c", { "a,b", "c" } },
        { "\"unterminated, rest", { "unterminated, rest" } },
        { "caf\xC3\xA9,x", { "caf\xC3\xA9", "x" } },
    };
    for (const auto& c : cases)
        EXPECT_EQ(CommaTextToList(c.text), c.items) << c.text;
}

TEST(CommaText, WritingQuotesOnlyWhatNeedsIt)
{
    EXPECT_EQ(ListToCommaText({}), "");
    EXPECT_EQ(ListToCommaText({ "" }), "\"\"");
    EXPECT_EQ(ListToCommaText({ "host1", "10.0.0.2:502" }), "host1,10.0.0.2:502");
    EXPECT_EQ(ListToCommaText({ "COM 1", "a,b", "say \"hi\"", "" }),
        "\"COM 1\",\"a,b\",\"say \"\"hi\"\"\",");
}

TEST(CommaText, RoundTrip)
{
    const List lists[] = { { "a" }, { "" }, { "", "" }, { "x y", "", "\"", ",", " lead" },
        { "/dev/ttyUSB0", "COM3", "tab\there" } };
    for (const List& list : lists)
        EXPECT_EQ(CommaTextToList(ListToCommaText(list)), list) << ListToCommaText(list);
}

} // namespace

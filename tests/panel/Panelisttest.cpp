#include "common/Hooks.h"
#include "common/Registry.h"
#include "panel/Panelist.h"
#include "panel/Plotview.h"
#include "platform/Inifile.h"
#include "support/Fakepanehost.h"
#include "support/Fakepanesource.h"

#include <gtest/gtest.h>

namespace {

class CWarnings : public IMessageHooks {
public:
    std::vector<std::string> Texts;
    void Beep() override {}
    bool AskYesNo(const std::string&, const std::string&) override { return false; }
    int ShowWarning(const std::string&, const std::string& text) override
    {
        Texts.push_back(text);
        return 0;
    }
    int ShowMessageBox(const std::string&, const std::string&) override { return 0; }
};

using CCountingHost = CFakePaneHost; // hands out no canvas

struct PaneListTest : ::testing::Test {
    CFakePaneSource source;
    CItemStyle style;
    CPlotView view;
    CPaneContext ctx{&source, &style, &view};
    CWarnings warnings;
    void SetUp() override { InstallMessageHooks(&warnings); }
    void TearDown() override { InstallMessageHooks(nullptr); }

    static std::string Describe(const CPaneList& list)
    {
        std::string s;
        for (int i = 0; i < list.Count(); ++i)
            s += list.Item(i)->Text() + ";";
        return s;
    }
};

TEST_F(PaneListTest, SectionRoundTripsThroughASettingsFile)
{
    CCountingHost host;
    CPaneList saved(ctx, &host);
    saved.Add(CItem::Value, 1);
    saved.Add(CItem::Bar, 3);
    saved.Add(CItem::Separator, -1);
    saved.Add(CItem::Plot, 13);
    host.Width = 222;

    platform::IniFile ini;
    ini.LoadFromText("[Pane1]\r\nItem9=0,0,1\r\n");
    {
        CRegistry store("", false, &ini);
        saved.Exchange(store, "Pane1");
    }
    EXPECT_EQ(ini.ReadSection("Pane1"), (std::vector<std::string>{"Item0", "Item1", "Item2", "Item3", "Width"}));
    EXPECT_EQ(ini.ReadString("Pane1", "Item2", ""), "0,3,-1");
    EXPECT_EQ(ini.ReadString("Pane1", "Item3", ""), "0,2,13");
    EXPECT_EQ(ini.ReadInteger("Pane1", "Width", 0), 222);

    CCountingHost host2;
    CPaneList loaded(ctx, &host2);
    loaded.Add(CItem::Value, 2);
    CRegistry store("", true, &ini);
    loaded.Exchange(store, "Pane1");
    EXPECT_EQ(Describe(loaded), Describe(saved));
    EXPECT_EQ(host2.Width, 222);
    EXPECT_GT(host2.Changes, 0);

    // A missing section keeps the items and the width.
    loaded.Exchange(store, "Pane0");
    EXPECT_EQ(Describe(loaded), Describe(saved));
    EXPECT_TRUE(warnings.Texts.empty());
}

TEST_F(PaneListTest, RefusesAnOtherVersionAndSkipsWhatDoesNotParse)
{
    platform::IniFile ini;
    ini.LoadFromText("[Pane0]\r\nItem0=0,2,7\r\nItem1=0,9,3\r\nItem2=junk\r\nItem3=0,0,2\r\n"
                     "Item4=1,0,3\r\nItem5=0,0,1\r\n");
    CPaneList list(ctx);
    list.Add(CItem::Value, 13);
    CRegistry store("", true, &ini);
    list.Exchange(store, "Pane0");
    EXPECT_EQ(Describe(list), "0,2,7;0,0,2;");
    ASSERT_EQ(warnings.Texts.size(), 1u);
    EXPECT_EQ(warnings.Texts[0], "Invalid Config. Version");
}

TEST_F(PaneListTest, ASectionOfManyItemsLoadsNoMoreThanAPaneHolds)
{
    std::string text = "[Pane0]\r\n";
    for (int i = 0; i < 100000; ++i)
        text += "Item" + std::to_string(i) + "=0,0,2\r\n";
    platform::IniFile ini;
    ini.LoadFromText(text);
    CPaneList list(ctx);
    CRegistry store("", true, &ini);
    list.Exchange(store, "Pane0");
    EXPECT_EQ(list.Count(), CPaneList::MaxItems);
}

TEST_F(PaneListTest, ValidationDropsWhatTheUnitCannotShowAndDoubledSeparators)
{
    CCountingHost host;
    CPaneList list(ctx, &host);
    list.Add(CItem::Separator, 0);  // a leading separator stays
    list.Add(CItem::Value, 1);
    list.Add(CItem::Separator, 0);
    list.Add(CItem::Bar, 1);        // bars of R are not selectable: dropped
    list.Add(CItem::Separator, 0);  // now follows a kept separator: dropped
    list.Add(CItem::Separator, 0);
    list.Add(CItem::Plot, 13);
    list.Add(CItem::Value, 7);      // not on this unit
    host.Changes = 0;
    list.Validate();
    EXPECT_EQ(Describe(list), "0,3,0;0,0,1;0,3,0;0,2,13;");
    EXPECT_EQ(host.Changes, 1);
}

TEST_F(PaneListTest, ListOperations)
{
    CCountingHost host;
    CPaneList list(ctx, &host);
    list.Add(CItem::Value, 1);
    list.AddItem(std::make_unique<CItem>(CItem::Bar, 3));
    list.AddItem(nullptr);
    list.Add(CItem::Plot, 2);
    list.Swap(0, 2);
    list.Swap(0, 5);
    EXPECT_EQ(Describe(list), "0,2,2;0,1,3;0,0,1;");
    list.Delete(1);
    list.Delete(-1);
    EXPECT_EQ(Describe(list), "0,2,2;0,0,1;");
    EXPECT_EQ(list.Item(2), nullptr);
    list.Clear();
    EXPECT_EQ(list.Count(), 0);
    EXPECT_EQ(host.Changes, 6);
}

} // namespace

#include "panel/Displaylist.h"
#include "panel/Panelist.h"
#include "panel/Plotview.h"
#include "support/Fakepanesource.h"

#include <gtest/gtest.h>

namespace {

struct DisplayPage : ::testing::Test {
    CFakePaneSource source;
    CItemStyle style;
    CPlotView view;
    CPaneList pane{CPaneContext{&source, &style, &view}};
    CDisplayList list{&source};

    void SetUp() override
    {
        for (int id : {1, 2, 3, 13, 1})
            pane.Add(CItem::Value, id);
        list.SetPane(&pane);
        list.ShowPane(0);
        list.DeselectAll();
    }
    std::vector<int> Ids() const
    {
        std::vector<int> ids;
        for (int i = 0; i < pane.Count(); ++i)
            ids.push_back(pane.Item(i)->VarId);
        return ids;
    }
    std::vector<bool> Selection() const
    {
        std::vector<bool> s;
        for (int i = 0; i < list.LineCount(); ++i)
            s.push_back(list.Selected(i));
        return s;
    }
};

TEST_F(DisplayPage, MovesASelectedBlockUpAndDownByOne)
{
    list.SetSelected(3, true);
    EXPECT_TRUE(list.CanMoveUp());
    list.MoveUp();
    EXPECT_EQ(Ids(), (std::vector<int>{1, 2, 13, 3, 1}));
    EXPECT_EQ(Selection(), (std::vector<bool>{false, false, true, false, false}));
    EXPECT_EQ(list.LineText(2), "Value\tLoad");

    // A block that starts at line 0 stays; the separate line below it still moves.
    list.DeselectAll();
    list.SetSelected(0, true);
    list.SetSelected(1, true);
    list.SetSelected(3, true);
    list.MoveUp();
    EXPECT_EQ(Ids(), (std::vector<int>{1, 2, 3, 13, 1}));
    EXPECT_EQ(Selection(), (std::vector<bool>{true, true, true, false, false}));
    EXPECT_FALSE(list.CanMoveUp());

    list.MoveDown();
    EXPECT_EQ(Ids(), (std::vector<int>{13, 1, 2, 3, 1}));
    EXPECT_EQ(Selection(), (std::vector<bool>{false, true, true, true, false}));
    list.MoveDown();
    list.MoveDown(); // already at the bottom: stays
    EXPECT_EQ(Ids(), (std::vector<int>{13, 1, 1, 2, 3}));
    EXPECT_EQ(Selection(), (std::vector<bool>{false, false, true, true, true}));
    EXPECT_FALSE(list.CanMoveDown());
}

TEST_F(DisplayPage, AddsRemovesAndClears)
{
    list.Add(CItem::Plot, {2, -1, 3});
    EXPECT_EQ(pane.Count(), 7);
    EXPECT_EQ(list.LineText(6), "Plot\tGamma");
    EXPECT_EQ(Selection(), (std::vector<bool>{false, false, false, false, false, true, true}));
    list.Add(CItem::Separator, {1, 2});
    EXPECT_EQ(pane.Count(), 8);
    EXPECT_EQ(pane.Item(7)->Kind, CItem::Separator);
    EXPECT_EQ(list.LineText(7), "--------------------------");

    list.SetSelected(0, true);
    list.Remove();
    EXPECT_EQ(pane.Count(), 6);
    EXPECT_EQ(pane.Item(0)->VarId, 2);

    // Removing every line leaves only Add and Default possible.
    for (int i = 0; i < list.LineCount(); ++i)
        list.SetSelected(i, true);
    list.Remove();
    SDisplayButtons b = list.Buttons(false, CItem::Value, 1, true);
    EXPECT_TRUE(b.Add);
    EXPECT_FALSE(b.Clear || b.Remove || b.Up || b.Down);

    list.Add(CItem::Value, {1});
    list.ClearPane();
    EXPECT_EQ(pane.Count(), 0);
    EXPECT_EQ(list.LineCount(), 0);
}

TEST_F(DisplayPage, ButtonRules)
{
    list.SetSelected(1, true);
    SDisplayButtons b = list.Buttons(false, CItem::Plot, 0, true);
    EXPECT_FALSE(b.Add); // plots belong to the lower pane
    EXPECT_TRUE(list.Buttons(false, CItem::Plot, 1, true).Add);
    EXPECT_FALSE(list.Buttons(false, CItem::Value, 1, false).Add);
    EXPECT_TRUE(list.Buttons(false, CItem::Separator, 0, false).Add);
    EXPECT_TRUE(b.Remove && b.Up && b.Down && b.Clear && b.Default);
    SDisplayButtons locked = list.Buttons(true, CItem::Separator, 1, true);
    EXPECT_FALSE(locked.Add || locked.Remove || locked.Up || locked.Down || locked.Clear || locked.Default);

    EXPECT_EQ(list.ShowPane(9), 0); // past the end: line 0
    EXPECT_EQ(list.ShowPane(3), 3);
    EXPECT_TRUE(list.Selected(3));
    EXPECT_EQ(list.AllDisplayIds(), (std::vector<int>{1, 2, 3, 13}));
    list.SetPane(nullptr);
    EXPECT_EQ(list.ShowPane(0), -1);
    list.Add(CItem::Value, {1}); // no pane: nothing happens
    EXPECT_EQ(pane.Count(), 5);
}

} // namespace

// The variable table, its selectable lists and default layouts.

#include "device/Var.h"

#include <gtest/gtest.h>

#include <set>

namespace {

TEST(Vars, TableAndFind)
{
    CVars vars;
    EXPECT_EQ(vars.RowCount(), 33);
    EXPECT_EQ(vars.Find(33).id, -1); // RF on has no row
    EXPECT_EQ(vars.Find(33).shortName, "Unknown");
    EXPECT_EQ(vars.Find(1000).longName, "Unknown");
    const CVar& vswr = vars.Find(23);
    EXPECT_EQ(vswr.shortName, "VSWR");
    EXPECT_EQ(vswr.decimals, 2);
    EXPECT_EQ(vswr.max, 1);
    EXPECT_EQ(vars.Find(15).longName, "3rd Cap.Position");
    EXPECT_EQ(vars.Find(4).unit, "Watts");
    EXPECT_EQ(vars.Row(3).id, 23); // table order
    std::set<int> ids;
    for (int i = 0; i < vars.RowCount(); ++i)
        EXPECT_TRUE(ids.insert(vars.Row(i).id).second);
}

TEST(Vars, CapMaximaFollowTheUnit)
{
    // Capacities unlike the table's own maxima: each row's maximum is its capacitor's at 100 %.
    CUnitState unit;
    unit.Cap(0).cMin = 10;
    unit.Cap(0).cMax = 470;
    unit.Cap(1).cMin = 5;
    unit.Cap(1).cMax = 250;
    unit.Cap(2).cMax = 820;
    CVars vars;
    ASSERT_NE(vars.Find(16).max, 470);
    vars.SetCapMaxima(unit);
    EXPECT_EQ(vars.Find(16).max, 470);
    EXPECT_EQ(vars.Find(17).max, 250);
    EXPECT_EQ(vars.Find(18).max, 820);
}

std::vector<int> List(int kind, UnitType type)
{
    std::vector<int> out;
    for (int i = 0;; ++i) {
        const int id = CVars::Selectable(kind, i, type);
        if (id < 0)
            break;
        out.push_back(id);
    }
    return out;
}

TEST(Vars, SelectableLists)
{
    EXPECT_EQ(List(PaneValue, UnitType::Plain),
              (std::vector<int>{1, 2, 3, 23, 4, 5, 6, 13, 14, 16, 17, 19, 20, 21, 22}));
    EXPECT_EQ(List(PaneBar, UnitType::OutputSensor),
              (std::vector<int>{3, 4, 5, 6, 9, 13, 14, 16, 17, 19, 20, 21, 22}));
    EXPECT_EQ(List(PanePlot, UnitType::ThirdCap),
              (std::vector<int>{1, 2, 3, 4, 5, 6, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 21, 22}));
    EXPECT_EQ(List(PaneValue, UnitType::ThirdCap).size(), 20u);
    EXPECT_EQ(CVars::Selectable(5, 0, UnitType::Plain), -1);
    EXPECT_EQ(CVars::Selectable(PaneValue, -1, UnitType::Plain), -1);
}

TEST(Vars, DefaultLayouts)
{
    using E = CLayoutEntry;
    EXPECT_EQ(CVars::DefaultLayout(UnitType::Plain),
              (std::vector<E>{{0, 0, 1}, {0, 0, 2}, {0, 0, 3}, {0, 1, 3}, {0, 0, 13}, {0, 0, 14}, {1, 2, 3}}));
    EXPECT_EQ(CVars::DefaultLayout(UnitType::OutputSensor),
              (std::vector<E>{{0, 0, 1}, {0, 0, 2}, {0, 0, 3}, {0, 1, 3}, {0, 0, 13}, {0, 0, 14},
                              {0, 3, 0}, {0, 0, 7}, {0, 0, 8}, {1, 2, 3}}));
    EXPECT_EQ(CVars::DefaultLayout(UnitType::ThirdCap),
              (std::vector<E>{{0, 0, 1}, {0, 0, 2}, {0, 0, 3}, {0, 1, 3}, {0, 0, 13}, {0, 0, 14},
                              {0, 0, 15}, {0, 3, 0}, {0, 0, 12}, {0, 0, 10}, {0, 0, 11}, {1, 2, 3}}));
}

} // namespace

#include "device/Data.h"
#include "device/Unitstate.h"
#include "device/Var.h"
#include "panel/Plotview.h"
#include "panel/Readingspanes.h"
#include "support/Fakepanehost.h"

#include <gtest/gtest.h>

namespace {

class CTestUnit : public CUnitState {
public:
    void SetPin(uint32_t pin) { pin_ = pin; }
};

// Draws nothing.
class CNullCanvas : public IItemCanvas {
public:
    void Clip(const SRect&) override {}
    void FillRect(const SRect&, uint32_t) override {}
    void FrameRect(const SRect&, uint32_t) override {}
    void Line(int, int, int, int, uint32_t) override {}
    void Pixel(int, int, uint32_t) override {}
    void NotXorFrame(const SRect&, uint32_t) override {}
    void SetTextHeight(int) override {}
    int TextWidth(const std::string& t) override { return int(t.size()) * 6; }
    int TextHeight() override { return 12; }
    void Text(int, int, const std::string&, uint32_t) override {}
    void TextClipped(const SRect&, int, int, const std::string&, uint32_t) override {}
};

// Every entry on screen, 100 x 80 pixels.
class CScreenHost : public CFakePaneHost {
public:
    CNullCanvas NullCanvas;
    CScreenHost()
    {
        Canvas = &NullCanvas;
        Width = 300;
    }
};

struct ReadingsPanes : ::testing::Test {
    CVars vars;
    CData data;
    CTestUnit unit;
    CItemStyle style;
    CPlotView view;
    CReadingsPanes panes{vars, data, unit, style, view};
    CScreenHost host0, host1;

    void SetUp() override
    {
        panes.Get(0)->SetHost(&host0);
        panes.Get(1)->SetHost(&host1);
    }
    std::vector<CLayoutEntry> Layout() const
    {
        std::vector<CLayoutEntry> out;
        for (int p = 0; p < CReadingsPanes::PaneCount; ++p)
            for (int i = 0; i < panes.Get(p)->Count(); ++i)
                out.push_back({p, panes.Get(p)->Item(i)->Kind, panes.Get(p)->Item(i)->VarId});
        return out;
    }
};

TEST_F(ReadingsPanes, DefaultLayoutFollowsTheUnitType)
{
    EXPECT_EQ(panes.Get(2), nullptr);
    EXPECT_EQ(panes.Get(-1), nullptr);
    for (uint32_t pin : {1u, 0x10001u, 0x401u}) {
        unit.SetPin(pin);
        panes.Get(1)->Add(CItem::Value, 1); // cleared by the default
        host0.Width = 500;
        panes.SetDefault();
        auto expected = CVars::DefaultLayout(unit.Type());
        for (auto& e : expected)
            if (e.kind == PaneSeparator)
                e.var = 0;
        auto got = Layout();
        for (auto& e : got)
            if (e.kind == PaneSeparator)
                e.var = 0;
        EXPECT_EQ(got, expected) << pin;
        EXPECT_EQ(host0.Width, CReadingsPanes::DefaultPaneWidth);
    }
}

TEST_F(ReadingsPanes, ValidationDropsWhatTheUnitCannotShow)
{
    unit.SetPin(0x10001); // output sensor: its values are in the default layout
    panes.SetDefault();
    const int withSensor = panes.Get(0)->Count();
    unit.SetPin(1);
    panes.Validate();
    // Values 7 and 8 go; the separator before them stays.
    EXPECT_EQ(panes.Get(0)->Count(), withSensor - 2);
    EXPECT_EQ(panes.Get(0)->Item(panes.Get(0)->Count() - 1)->Kind, CItem::Separator);
}

TEST_F(ReadingsPanes, LowerPaneThatScrollsIsRepaintedInFull)
{
    panes.SetDefault();
    panes.Get(1)->Add(CItem::Plot, 1); // two plots sharing the view
    for (int i = 0; i < 50; ++i)
        data.Add();
    host1.Handed = 0;
    EXPECT_FALSE(panes.ApplyPlots()); // fits: one segment each
    EXPECT_EQ(host1.Handed, 2);

    for (int i = 0; i < 150; ++i)
        data.Add();
    host1.Handed = 0;
    EXPECT_TRUE(panes.ApplyPlots());
    EXPECT_EQ(view.FirstIndex, 110); // steps of 10 until 200 samples fit in 94 pixels
    EXPECT_EQ(host1.Handed, 2 + 2);  // the scroll, then both plots in full

    // A full repaint that moves the view paints the lower pane a second time.
    view.FirstIndex = 0;
    host1.Handed = 0;
    panes.RefreshPlots(true);
    EXPECT_EQ(view.FirstIndex, 200 - 96);
    EXPECT_EQ(host1.Handed, 4);
    host1.Handed = 0;
    panes.RefreshPlots(true); // nothing moves now
    EXPECT_EQ(host1.Handed, 2);
}

} // namespace

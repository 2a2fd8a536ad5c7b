#include "zcomponents/Zdivider.h"
#include "qtsupport/Widgets.h"
#include "zcomponents/Zcolor.h"

#include <QTest>
#include <gtest/gtest.h>

namespace {

QRgb Rgb(TColor c)
{
    return ColorToQColor(c).rgb();
}

} // namespace

TEST(TzDivider, SizesAndLinesAtTheEdge)
{
    TzDivider d;
    EXPECT_EQ(d.size(), QSize(50, 50));
    d.SetHeight(0);
    EXPECT_EQ(d.height(), 2);
    d.SetHeight(50);
    QImage img = testsupport::RenderWidget(d);
    EXPECT_EQ(img.pixel(20, 0), Rgb(clBtnShadow));
    EXPECT_EQ(img.pixel(20, 1), Rgb(clBtnHighlight));
    d.SetOrientation(doVert);
    d.SetRaised(true);
    img = testsupport::RenderWidget(d);
    EXPECT_EQ(img.pixel(0, 30), Rgb(clBtnHighlight));
    EXPECT_EQ(img.pixel(1, 30), Rgb(clBtnShadow));
    EXPECT_NE(img.pixel(25, 30), Rgb(clBtnShadow));
}

TEST(TzFrame, PassesMouseOnUntilToldOtherwise)
{
    QWidget form;
    form.resize(100, 100);
    auto* beneath = new TzFrame(&form); // a control that receives clicks
    beneath->SetPassMouseOn(false);
    int beneathClicks = 0, frameClicks = 0;
    beneath->OnClick = [&](QObject*) { ++beneathClicks; };
    auto* frame = new TzFrame(&form);
    frame->OnClick = [&](QObject*) { ++frameClicks; };
    EXPECT_TRUE(frame->PassMouseOn());
    EXPECT_FALSE(frame->isEnabled());
    form.show();
    QTest::mouseClick(form.windowHandle(), Qt::LeftButton, {}, QPoint(20, 20));
    EXPECT_EQ(beneathClicks, 1);
    EXPECT_EQ(frameClicks, 0);
    frame->SetPassMouseOn(false);
    EXPECT_TRUE(frame->isEnabled());
    QTest::mouseClick(form.windowHandle(), Qt::LeftButton, {}, QPoint(20, 20));
    EXPECT_EQ(beneathClicks, 1);
    EXPECT_EQ(frameClicks, 1);
}

TEST(TzFrame, SunkenOuterBorderThenRaisedInner)
{
    TzFrame f;
    f.SetColor(clYellow);
    f.SetFilled(true);
    f.SetBevelOuter(bvLowered);
    f.SetBorderWidth(2);
    f.SetBevelInner(bvRaised);
    const QImage img = testsupport::RenderWidget(f);
    EXPECT_EQ(img.pixel(0, 10), Rgb(clBtnShadow));     // sunken outer line
    EXPECT_EQ(img.pixel(49, 10), Rgb(clBtnHighlight));
    EXPECT_EQ(img.pixel(1, 10), Rgb(clYellow));        // two pixels of Color
    EXPECT_EQ(img.pixel(2, 10), Rgb(clYellow));
    EXPECT_EQ(img.pixel(3, 10), Rgb(clBtnHighlight));  // raised inner line
    EXPECT_EQ(img.pixel(46, 10), Rgb(clBtnShadow));
    EXPECT_EQ(img.pixel(25, 25), Rgb(clYellow));
}

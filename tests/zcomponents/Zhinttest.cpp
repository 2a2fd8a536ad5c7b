#include "zcomponents/Zcolor.h"
#include "zcomponents/Zhint.h"
#include "qtsupport/Widgets.h"

#include <QApplication>
#include <QHelpEvent>
#include <QMouseEvent>
#include <gtest/gtest.h>

namespace {

QRgb Rgb(TColor c)
{
    return ColorToQColor(c).rgb();
}

void Move(QWidget& w, QPoint at)
{
    QMouseEvent move(QEvent::MouseMove, at, w.mapToGlobal(at), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(&w, &move);
}

} // namespace

TEST(TzHint, SettingsLiveInTheSharedRecord)
{
    TzHint first;
    first.SetPos(hpRightUnder);
    first.SetDiv(4);
    first.SetDiv(0);  // outside 1..10: refused
    first.SetMov(30); // outside 2..20: refused
    TzHint second(nullptr); // a further component resets the shared settings
    EXPECT_EQ(first.HintPosition(), hpLeftAbove);
    EXPECT_EQ(first.PartOfScreen(), 2);
    EXPECT_EQ(first.MoveBeforeOff(), 5);
    EXPECT_TRUE(first.MultiLine());
    EXPECT_TRUE(first.Use3D());
    EXPECT_EQ(first.ShadowColor(), clBtnShadow);
    EXPECT_EQ(first.HighLightColor(), clBtnHighlight);
    second.SetMov(7);
    EXPECT_EQ(HintStyle().MoveBeforeOff, 7);
}

TEST(TzHint, PlacementAroundTheCursorStaysOnScreen)
{
    const QSize screen(1024, 768), size(100, 30);
    EXPECT_EQ(PlaceHint({500, 400}, size, hpLeftAbove, screen), QPoint(396, 366));
    EXPECT_EQ(PlaceHint({500, 400}, size, hpLeftUnder, screen), QPoint(396, 424));
    EXPECT_EQ(PlaceHint({500, 400}, size, hpRightAbove, screen), QPoint(504, 366));
    EXPECT_EQ(PlaceHint({500, 400}, size, hpRightUnder, screen), QPoint(504, 424));
    EXPECT_EQ(PlaceHint({500, 400}, size, hpNormal, screen), QPoint(500, 400));
    EXPECT_EQ(PlaceHint({1020, 760}, size, hpRightUnder, screen), QPoint(1024 - 108, 768 - 38));
    EXPECT_EQ(PlaceHint({2, 3}, size, hpLeftAbove, screen), QPoint(8, 8));
}

TEST(TzHint, WindowWrapsAtItsShareOfTheScreenAndDraws3D)
{
    TzHint hint;
    TzHintWindow window;
    const QString text = QString("word ").repeated(200);
    window.ActivateHintAt({}, text, {500, 400}, {1024, 768});
    EXPECT_LE(window.width(), 512);
    EXPECT_GT(window.height(), 30);
    EXPECT_EQ(window.Caption(), text);
    hint.SetMulti(false);
    window.ActivateHintAt({}, text, {500, 400}, {1024, 768});
    EXPECT_GT(window.width(), 1024);

    hint.SetMulti(true);
    window.ActivateHintAt({}, "Hi", {500, 400}, {1024, 768});
    const QImage image = testsupport::RenderWidget(window);
    const int r = image.width() - 1, b = image.height() - 1;
    EXPECT_EQ(image.pixel(r, 0), qRgb(0, 0, 0));
    EXPECT_EQ(image.pixel(0, b), qRgb(0, 0, 0));
    EXPECT_EQ(image.pixel(0, 0), Rgb(clBtnShadow));
    EXPECT_EQ(image.pixel(r - 1, 2), Rgb(clBtnShadow));
    EXPECT_EQ(image.pixel(1, 2), Rgb(clBtnHighlight));
    EXPECT_EQ(image.pixel(2, 1), Rgb(clBtnHighlight));
    hint.Set3D(false);
    const QImage flat = testsupport::RenderWidget(window);
    EXPECT_EQ(flat.pixel(0, 0), qRgb(0, 0, 0));
    EXPECT_NE(flat.pixel(1, 1), qRgb(0, 0, 0));
    window.hide();
}

TEST(TzHint, ToolTipsShowInTheHintWindowAndCloseOnTheSixthMove)
{
    TzHint hint;
    hint.UpDate();
    ASSERT_TRUE(TzHint::Installed());
    QWidget form;
    form.setToolTip("Tip text");
    form.resize(100, 100);
    form.show();
    bool allow = false;
    hint.SetOnShowHint([&](QString&, bool& show) { show = allow; });
    QHelpEvent help(QEvent::ToolTip, {10, 10}, form.mapToGlobal(QPoint(10, 10)));
    QApplication::sendEvent(&form, &help);
    TzHintWindow& window = TzHintWindow::Instance();
    EXPECT_FALSE(window.isVisible());
    allow = true;
    QApplication::sendEvent(&form, &help);
    ASSERT_TRUE(window.isVisible());
    EXPECT_EQ(window.Caption(), "Tip text");
    for (int i = 0; i < 5; ++i)
        Move(form, {20 + i, 20});
    EXPECT_TRUE(window.isVisible());
    Move(form, {30, 20});
    EXPECT_FALSE(window.isVisible());
}

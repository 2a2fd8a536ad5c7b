#include "zcomponents/Zminmax.h"
#include "qtsupport/Widgets.h"
#include "zcomponents/Zregion.h"

#include <QPainter>
#include <gtest/gtest.h>

TEST(TzMinMax, DefaultLimitsApplyToAResize)
{
    QWidget form;
    form.resize(300, 200);
    TzMinMax limiter(&form);
    limiter.Loaded();
    EXPECT_TRUE(limiter.Hooked());
    form.resize(1000, 900);
    EXPECT_EQ(form.size(), QSize(600, 400));
    limiter.SetMinDragWidth(250);
    limiter.SetMinDragHeight(150);
    form.resize(100, 100);
    EXPECT_EQ(form.size(), QSize(250, 150));

    TMinMaxInfo info;
    limiter.MinMaxQuery(info);
    EXPECT_EQ(info.MaxSize, QSize(600, 400));
    EXPECT_EQ(info.MaxPosition, QPoint(0, 0));
    EXPECT_EQ(info.MaxTrackSize, QSize(600, 400));
    EXPECT_EQ(info.MinTrackSize, QSize(250, 150));
}

TEST(TzMinMax, LimitsKeepTheirOrderAndTheFormFollows)
{
    QWidget form;
    form.resize(580, 380);
    TzMinMax limiter(&form);
    limiter.SetMaxDragWidth(300);
    EXPECT_EQ(limiter.MaxDragWidth(), 600); // never below MaxWidth
    limiter.SetMinDragWidth(700);
    EXPECT_EQ(limiter.MaxWidth(), 700);
    EXPECT_EQ(limiter.MaxDragWidth(), 700);
    EXPECT_EQ(form.width(), 700);
    limiter.SetMaxDragHeight(200);
    EXPECT_EQ(limiter.MaxDragHeight(), 400);
}

TEST(TzMinMax, UseDefaultSizeTakesTheSystemValues)
{
    QWidget form;
    TzMinMax limiter(&form);
    limiter.SetUseDefaultSize(true);
    TMinMaxInfo info{QSize(1024, 740), QPoint(0, 28), QSize(100, 30), QSize(1030, 780)};
    limiter.MinMaxQuery(info);
    EXPECT_EQ(limiter.MaxWidth(), 1024);
    EXPECT_EQ(limiter.MaxTop(), 28);
    EXPECT_EQ(limiter.MinDragWidth(), 100);
    EXPECT_EQ(limiter.MaxDragHeight(), 780);
    EXPECT_EQ(info.MaxTrackSize, QSize(1030, 780)); // nothing enforced
}

TEST(TzMinMax, TaskBarKeepsTheMaximisedFormClear)
{
    QWidget form;
    TzMinMax limiter(&form);
    TzRect bar{-2, 738, 1026, 770};
    limiter.TaskBar = [&](QSize& screen, TzRect& b) {
        screen = QSize(1024, 768);
        b = bar;
        return true;
    };
    limiter.SetAutoTaskBarAjust(true);
    TMinMaxInfo info;
    limiter.MinMaxQuery(info);
    EXPECT_EQ(info.MaxTrackSize, QSize(1024, 738)); // bottom bar
    EXPECT_EQ(info.MaxPosition, QPoint(0, 0));
    EXPECT_EQ(info.MaxSize, QSize(600, 400));
    EXPECT_EQ(limiter.MaxDragHeight(), 400); // the properties keep their values

    bar = {-2, -2, 60, 770}; // left bar
    limiter.MinMaxQuery(info);
    EXPECT_EQ(info.MaxPosition, QPoint(60, 0));
    EXPECT_EQ(info.MaxTrackSize, QSize(965, 768));

    limiter.OnSizeChange = [](QObject*, int&, int&, int&, int& maxH, int&, int&, int&, int&) {
        maxH = 123;
    };
    limiter.MinMaxQuery(info);
    EXPECT_EQ(info.MaxSize.height(), 123);
}

TEST(TzMinMax, NeedsAForm)
{
    EXPECT_THROW(TzMinMax(nullptr), EzcComponentError);
}

TEST(TzCompCanvas, DrawsOverItsControlBetweenStartAndEnd)
{
    QWidget form;
    form.resize(60, 40);
    TzCompCanvas canvas;
    EXPECT_THROW(canvas.StartPaint(), EzCompCanvasException);
    EXPECT_THROW(canvas.EndPaint(), EzCompCanvasException);
    canvas.SetControlComponent(&form);
    canvas.StartPaint();
    EXPECT_THROW(canvas.StartPaint(), EzCompCanvasException);
    EXPECT_TRUE(canvas.Drawing());
    canvas.Canvas()->fillRect(10, 10, 5, 5, Qt::red);
    canvas.EndPaint();
    EXPECT_EQ(canvas.Canvas(), nullptr);
    EXPECT_FALSE(canvas.Drawing());
    const QImage img = testsupport::RenderWidget(form);
    EXPECT_EQ(img.pixel(12, 12), QColor(Qt::red).rgb());
    EXPECT_NE(img.pixel(30, 30), QColor(Qt::red).rgb());

    canvas.StartPaint();
    canvas.SetControlComponent(nullptr); // ends the drawing
    EXPECT_FALSE(canvas.Drawing());
}

#include "panel/ui/Ctrlpanel.h"

#include <QApplication>
#include <QPaintEvent>
#include <QTest>
#include <gtest/gtest.h>

namespace {

// Counts the paint events a widget gets.
struct PaintCount : QObject {
    int paints = 0;
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint)
            ++paints;
        return false;
    }
};

} // namespace

TEST(CapTrackBar, APositionIsDrawnOnlyWhenItMovesTheHandle)
{
    TCapTrackBar bar;
    bar.resize(24, 122);
    bar.SetPositionQuietly(5000);
    bar.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&bar));
    QApplication::processEvents();
    PaintCount count;
    bar.installEventFilter(&count);

    // A pixel of the bar spans many positions: the next one leaves the handle where it is.
    const QRect handle = bar.HandleRect();
    bar.SetPositionQuietly(5001);
    ASSERT_EQ(bar.HandleRect(), handle);
    QApplication::processEvents();
    EXPECT_EQ(count.paints, 0);

    // A step that moves the handle draws the bar, with the handle in its new place.
    bar.SetPositionQuietly(6000);
    ASSERT_NE(bar.HandleRect(), handle);
    QApplication::processEvents();
    EXPECT_EQ(count.paints, 1);
    const QImage shown = bar.grab().toImage();
    bar.SetPositionQuietly(5000);
    QApplication::processEvents();
    EXPECT_NE(bar.grab().toImage(), shown);

    // Other changes draw at once as before.
    count.paints = 0;
    bar.SetSelection(1000, 2000);
    QApplication::processEvents();
    EXPECT_EQ(count.paints, 1);
}

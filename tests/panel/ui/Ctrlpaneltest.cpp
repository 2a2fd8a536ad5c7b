#include "panel/ui/Ctrlpanel.h"

#include <QApplication>
#include <QLineEdit>
#include <QVBoxLayout>
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

TEST(CtrlPanel, PositionEditsLookAsPlainEditsWhateverTheirState)
{
    // The position edits copy their frame from a picture; the pixels are the style's own.
    QWidget window;
    auto* layout = new QVBoxLayout(&window);
    auto* panel = new TCtrlPanel(&window);
    auto* plain = new QLineEdit(&window);
    auto* other = new QLineEdit("focus", &window);
    layout->addWidget(panel);
    layout->addWidget(plain);
    layout->addWidget(other);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    QLineEdit* edit = panel->PosEdits[0];
    plain->setFont(edit->font());
    plain->setFixedSize(edit->size());
    auto same = [&] {
        QApplication::processEvents();
        return edit->grab().toImage() == plain->grab().toImage();
    };
    for (const char* text : {"0.00", "45.67", "100.00"}) {
        edit->setText(text);
        plain->setText(text);
        other->setFocus();
        EXPECT_TRUE(same()) << text;
        edit->setFocus(); // with the focus frame
        QApplication::processEvents();
        const QImage focused = edit->grab().toImage();
        plain->setFocus();
        QApplication::processEvents();
        EXPECT_EQ(focused, plain->grab().toImage()) << text;
        other->setFocus();
        edit->setEnabled(false);
        plain->setEnabled(false);
        EXPECT_TRUE(same()) << text;
        edit->setEnabled(true);
        plain->setEnabled(true);
    }
}

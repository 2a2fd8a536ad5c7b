#include "panel/ui/Ctrlpanel.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPaintEvent>
#include <QScreen>
#include <QTest>
#include <QVBoxLayout>
#include <gtest/gtest.h>

namespace {

// Counts the paint events a widget gets, and the area of the last.
struct PaintCount : QObject {
    int paints = 0;
    QRect area;
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint) {
            ++paints;
            area = static_cast<QPaintEvent*>(event)->rect();
        }
        return false;
    }
};

// What a widget looks like drawn on its window's background (a widget that fills all it covers
// itself is grabbed without an alpha channel).
QImage Looks(QWidget* w) { return w->grab().toImage().convertToFormat(QImage::Format_RGB32); }

// The panel shown in a window, above an edit that can take the focus from it.
struct PanelWindow {
    QWidget window;
    QVBoxLayout* layout = new QVBoxLayout(&window);
    TCtrlPanel* panel = new TCtrlPanel(&window);
    QLineEdit* other = new QLineEdit(&window);
    PanelWindow()
    {
        layout->addWidget(panel);
        layout->addWidget(other);
        window.show();
    }
    // A plain widget of the standard kind beside one of the panel's, in its font and size.
    template <class Plain>
    Plain* TwinOf(QWidget* drawn)
    {
        auto* plain = new Plain(&window);
        layout->addWidget(plain);
        plain->setFont(drawn->font());
        plain->setFixedSize(drawn->size());
        return plain;
    }
};

// Whether two widgets look alike once they have drawn what they were given.
bool LookAlike(QWidget* drawn, QWidget* plain)
{
    QApplication::processEvents();
    return Looks(drawn) == Looks(plain);
}

// What a shown top-level widget looks like on the screen now.
QImage OnScreen(QWidget& w) { return QGuiApplication::primaryScreen()->grabWindow(w.winId()).toImage(); }

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

    // A step that moves the handle draws the strip across the bar where it was and where it
    // goes, with the handle in its new place.
    bar.SetPositionQuietly(5150);
    ASSERT_NE(bar.HandleRect(), handle);
    QApplication::processEvents();
    EXPECT_EQ(count.paints, 1);
    EXPECT_EQ(count.area, QRect(0, 0, bar.width(), bar.height()) & (handle | bar.HandleRect()).adjusted(-100, 0, 100, 0));
    bar.SetPositionQuietly(6000);
    QApplication::processEvents();
    EXPECT_EQ(count.paints, 2);
    const QImage shown = bar.grab().toImage();
    bar.SetPositionQuietly(5000);
    QApplication::processEvents();
    EXPECT_NE(bar.grab().toImage(), shown);

    // Other changes draw the whole bar as before.
    count.paints = 0;
    bar.SetSelection(1000, 2000);
    QApplication::processEvents();
    EXPECT_EQ(count.paints, 1);
}

TEST(CapTrackBar, AMovedHandleLooksOnTheScreenAsWhenTheWholeBarIsDrawn)
{
    TCapTrackBar bar;
    bar.resize(24, 160);
    bar.SetSelection(1000, 9000);
    bar.SetPositionQuietly(5000);
    bar.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&bar));
    QApplication::processEvents();
    // The style draws the ticks of a hovered bar in another colour, and the bar itself draws
    // only the handle when the hover changes: start from the whole bar drawn as it is now.
    bar.repaint();
    // A step of a pixel, a few pixels, a jump past the handle's length, to the ends; a key.
    for (int position : {5040, 5200, 5250, 9000, 1500, 0, 10000, 4321}) {
        bar.SetPositionQuietly(position);
        QApplication::processEvents();
        const QImage shown = OnScreen(bar);
        bar.repaint();
        EXPECT_EQ(shown, OnScreen(bar)) << position;
    }
    bar.setFocus();
    QTest::keyClick(&bar, Qt::Key_PageDown);
    QApplication::processEvents();
    const QImage shown = OnScreen(bar);
    bar.repaint();
    EXPECT_EQ(shown, OnScreen(bar));
}

TEST(CtrlPanel, PositionEditsLookAsPlainEditsWhateverTheirState)
{
    // The position edits copy their frame from a picture; the pixels are the style's own.
    PanelWindow shown;
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&shown.window));
    QWidget& window = shown.window;
    QLineEdit* other = shown.other;
    TCapPosEdit* edit = shown.panel->PosEdits[0];
    auto* plain = shown.TwinOf<QLineEdit>(edit);
    auto same = [&] { return LookAlike(edit, plain); };
    for (const char* text : {"45.67", "100.00", "0.00", "-3.25"}) {
        // The number shown while the edit is not edited is drawn by the edit itself, on the
        // screen as when the whole edit is drawn.
        other->setFocus();
        edit->ShowNumber(text);
        plain->setText(text);
        EXPECT_TRUE(same()) << text;
        edit->ShowNumber("88.88");
        QApplication::processEvents();
        const QRect at(edit->mapTo(&window, QPoint(0, 0)), edit->size());
        EXPECT_EQ(OnScreen(window).copy(at), edit->grab().toImage().convertToFormat(OnScreen(window).format()));
        edit->ShowNumber(text);
        EXPECT_TRUE(same()) << text;
        EXPECT_EQ(OnScreen(window).copy(at), edit->grab().toImage().convertToFormat(OnScreen(window).format())) << text;
        EXPECT_NE(edit->text(), text); // drawn, not the edit's text
        edit->setEnabled(false);
        plain->setEnabled(false);
        EXPECT_TRUE(same()) << text;
        edit->setEnabled(true);
        plain->setEnabled(true);
        // Focused, the edit draws its own text, with the focus frame and the cursor.
        edit->setFocus();
        QApplication::processEvents();
        EXPECT_EQ(edit->text(), text);
        const QImage focused = Looks(edit);
        plain->setFocus();
        QApplication::processEvents();
        EXPECT_EQ(focused, Looks(plain)) << text;
        other->setFocus();
        EXPECT_TRUE(same()) << text;
        edit->setEnabled(false);
        plain->setEnabled(false);
        EXPECT_TRUE(same()) << text;
        edit->setEnabled(true);
        plain->setEnabled(true);
    }
}

TEST(CtrlPanel, PositionEditTakesTheNumberShownWhenClickedAndTyping)
{
    PanelWindow shown;
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&shown.window));
    TCtrlPanel* panel = shown.panel;
    QLineEdit* other = shown.other;
    other->setFocus();
    TCapPosEdit* edit = panel->PosEdits[1];
    edit->ShowNumber("45.67");
    EXPECT_EQ(edit->Shown(), "45.67");

    // A click gives the edit the focus and the number; typing edits it.
    QTest::mouseClick(edit, Qt::LeftButton, Qt::NoModifier, edit->rect().center());
    ASSERT_TRUE(edit->hasFocus());
    EXPECT_EQ(edit->text(), "45.67");
    QTest::keyClick(edit, Qt::Key_End);
    QTest::keyClick(edit, Qt::Key_Backspace);
    QTest::keyClicks(edit, "8");
    EXPECT_EQ(edit->text(), "45.68");
    EXPECT_EQ(edit->Shown(), "45.68");
    // While edited a number shown is the edit's text.
    edit->ShowNumber("12.00");
    EXPECT_EQ(edit->text(), "12.00");

    // A text set directly replaces a number drawn.
    other->setFocus();
    edit->ShowNumber("1.00");
    edit->setText("2.00");
    EXPECT_EQ(edit->Shown(), "2.00");
    // Tabbed into, the edit selects the number it showed, as a line edit selects its text.
    edit->ShowNumber("3.50");
    edit->setFocus(Qt::TabFocusReason);
    EXPECT_EQ(edit->text(), "3.50");
    EXPECT_EQ(edit->selectedText(), "3.50");
}

TEST(CtrlPanel, CapacitanceLabelsLookAsPlainLabels)
{
    PanelWindow shown;
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&shown.window));
    TNumberLabel* label = shown.panel->CTexts[0];
    auto* plain = shown.TwinOf<QLabel>(label);
    auto same = [&] { return LookAlike(label, plain); };
    for (const char* text : {"0", "47", "1250", "-3", "99999"}) {
        label->ShowNumber(text);
        plain->setText(text);
        EXPECT_EQ(label->Shown(), text);
        EXPECT_TRUE(label->text().isEmpty()); // drawn by the label itself
        EXPECT_TRUE(same()) << text;
        label->setEnabled(false);
        plain->setEnabled(false);
        EXPECT_TRUE(same()) << text;
        label->setEnabled(true);
        plain->setEnabled(true);
    }
    // A text set directly is what the label shows.
    label->setText("Disabled");
    plain->setText("Disabled");
    EXPECT_EQ(label->Shown(), "Disabled");
    EXPECT_TRUE(same());
}

TEST(CtrlPanel, ANewPositionOrNumberRedrawsNothingBeneathTheControl)
{
    // A poll that moves a capacitor redraws its handle and numbers, not the panel and the
    // window beneath them; what they show on the screen is as when all is drawn anew.
    PanelWindow shown;
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&shown.window));
    QWidget& window = shown.window;
    TCtrlPanel* panel = shown.panel;
    QLineEdit* other = shown.other;
    other->setFocus();
    QApplication::processEvents();
    PaintCount column, below;
    panel->CapColumns[0]->installEventFilter(&column);
    window.installEventFilter(&below);
    for (int step = 1; step <= 3; ++step) {
        panel->TrackBars[0]->SetPositionQuietly(step * 2500);
        panel->PosEdits[0]->ShowNumber(QString::number(step * 25.5, 'f', 2));
        panel->CTexts[0]->ShowNumber(QString::number(step * 111));
        QApplication::processEvents();
        const QImage shown = OnScreen(window);
        EXPECT_EQ(column.paints, 0) << step;
        EXPECT_EQ(below.paints, 0) << step;
        window.repaint();
        EXPECT_EQ(shown, OnScreen(window)) << step;
        column.paints = below.paints = 0;
    }
}

#pragma once
// Helpers shared by the widget tests: render a widget into an image, find a child by name.

#include <QApplication>
#include <QEventLoop>
#include <QImage>
#include <QKeyEvent>
#include <QListWidget>
#include <QTest>
#include <QTimer>
#include <QWidget>
#include <gtest/gtest.h>

namespace testsupport {

// The widget drawn over a magenta ground, so undrawn pixels stand out.
inline QImage RenderWidget(QWidget& w)
{
    QImage image(w.size(), QImage::Format_RGB32);
    image.fill(Qt::magenta);
    w.render(&image);
    return image;
}

// The child of the given type and objectName; a missing child fails the test.
template <class T> T* Child(QWidget& w, const char* name)
{
    T* child = w.findChild<T*>(name);
    EXPECT_NE(child, nullptr) << name;
    return child;
}

// A key as a user presses it in `target`: the target's window is shown and active, the target
// takes the focus as a click into it would give it (a focus proxy may pass it on), and the press
// and the release go to the widget that has the focus then. Returns that widget.
inline QWidget* PressKeyIn(QWidget* target, int key, const QString& text = QString())
{
    QWidget* window = target->window();
    window->show();
    QApplication::setActiveWindow(window);
    target->setFocus(Qt::MouseFocusReason);
    QWidget* focus = QApplication::focusWidget();
    EXPECT_NE(focus, nullptr);
    if (!focus)
        return nullptr;
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
    QApplication::sendEvent(focus, &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
    QApplication::sendEvent(focus, &release);
    return focus;
}

// A mouse click, or a double click, on a row of a shown list.
inline void ClickRow(QListWidget* list, int row)
{
    list->window()->show();
    list->scrollToItem(list->item(row));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, list->visualItemRect(list->item(row)).center());
}

inline void DoubleClickRow(QListWidget* list, int row)
{
    ClickRow(list, row);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, list->visualItemRect(list->item(row)).center());
}

inline QWidget* PressEnterIn(QWidget* target) { return PressKeyIn(target, Qt::Key_Return, "\r"); }

// Whether the application has been told to quit (QCoreApplication::exit): from then on every
// event loop returns as soon as it starts, so a modal dialog no longer waits for its answer.
inline bool ApplicationToldToQuit()
{
    QEventLoop loop;
    QTimer::singleShot(0, &loop, [&loop] { loop.exit(1); });
    return loop.exec() != 1;
}

// Takes back a QCoreApplication::exit, for the tests that follow in the same process: the
// application's own loop clears the quitting state when it returns (tests never run it else).
inline void TakeBackApplicationQuit()
{
    QTimer::singleShot(0, QCoreApplication::instance(), [] { QCoreApplication::exit(0); });
    QCoreApplication::exec();
}

} // namespace testsupport

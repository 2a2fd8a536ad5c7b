#pragma once
// Helpers shared by the widget tests: render a widget into an image, find a child by name.

#include <QImage>
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

} // namespace testsupport

#pragma once
// Small helpers every window uses: a control created with its parent and its objectName (the
// name tests and the settings find it by), and the test for the Enter key.

#include <QKeyEvent>
#include <QWidget>
#include <utility>

// new T(args..., parent) with the objectName set: NewNamed<QPushButton>(parent, "OkBtn", "OK").
template <class T, class... Args>
T* NewNamed(QWidget* parent, const char* name, Args&&... args)
{
    auto* control = new T(std::forward<Args>(args)..., parent);
    control->setObjectName(name);
    return control;
}

// Return on the main keyboard or Enter on the keypad.
inline bool IsEnterKey(const QKeyEvent* event)
{
    return event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
}

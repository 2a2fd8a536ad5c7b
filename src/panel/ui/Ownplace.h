#pragma once
// A tool window's own place: the one its settings stored, or the first place it was given when
// it was first shown. A window without one is placed beside the main window as it is when the
// window is shown; one with it keeps it.

#include <QVariant>
#include <QWidget>

inline bool HasOwnPlace(const QWidget* window) { return window->property("ownPlace").toBool(); }
inline void SetOwnPlace(QWidget* window) { window->setProperty("ownPlace", true); }

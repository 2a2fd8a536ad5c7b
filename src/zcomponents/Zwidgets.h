#pragma once
// Small helpers every window uses: a control created with its parent and its objectName (the
// name tests and the settings find it by), the named spin edit, line edit and button, a palette
// colour set only when it changes, a logic text as a QString, the test for the Enter key, tabs
// shown whole, and a window centred on its screen.

#include <QGuiApplication>
#include <QKeyEvent>
#include <QPalette>
#include <QScreen>
#include <QSpinBox>
#include <QString>
#include <QTabWidget>
#include <QWidget>
#include <string>
#include <utility>

class QLineEdit;
class QPushButton;

// new T(args..., parent) with the objectName set: NewNamed<QPushButton>(parent, "OkBtn", "OK").
template <class T, class... Args>
T* NewNamed(QWidget* parent, const char* name, Args&&... args)
{
    auto* control = new T(std::forward<Args>(args)..., parent);
    control->setObjectName(name);
    return control;
}

// A named spin edit with its range and step.
inline QSpinBox* NewNamedSpin(QWidget* parent, const char* name, int min, int max, int step = 1)
{
    auto* spin = NewNamed<QSpinBox>(parent, name);
    spin->setRange(min, max);
    spin->setSingleStep(step);
    return spin;
}

// A named line edit with its text and, when maxWidth is above 0, its greatest width.
QLineEdit* NewNamedEdit(QWidget* parent, const char* name, const QString& text = QString(), int maxWidth = 0);

// A named button with its caption and, where given, its tool tip. A push button is one that
// Enter does not press (in a dialog only the default button is); a tool button is left plain.
template <class Button = QPushButton>
Button* NewNamedButton(QWidget* parent, const char* name, const QString& caption, const QString& hint = QString())
{
    auto* button = NewNamed<Button>(parent, name);
    button->setText(caption);
    if (!hint.isEmpty())
        button->setToolTip(hint);
    if constexpr (requires { button->setAutoDefault(false); })
        button->setAutoDefault(false);
    return button;
}

// Sets one colour of a widget's palette. Nothing happens when the widget already has it, since
// setPalette resolves the palette and repaints even for the same colours (the polls set the
// panels' colours on every reading).
inline void SetPaletteColor(QWidget* widget, QPalette::ColorRole role, const QColor& colour)
{
    if (widget->palette().color(role) == colour)
        return;
    QPalette palette = widget->palette();
    palette.setColor(role, colour);
    widget->setPalette(palette);
}

// A text of the logic layer for a control.
inline QString Q(const std::string& text) { return QString::fromStdString(text); }

// Return on the main keyboard or Enter on the keypad.
inline bool IsEnterKey(const QKeyEvent* event)
{
    return event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
}

// Every tab's caption shown whole: the tab widget is at least as wide as its tabs (no scroll
// arrows that cut the last visible tab short, no elided captions).
inline void ShowWholeTabs(QTabWidget* tabs)
{
    tabs->setUsesScrollButtons(false);
    tabs->setElideMode(Qt::ElideNone);
}

// Moves a window so that its frame is centred on its screen (the primary one while it has none).
inline void CentreOnScreen(QWidget* window)
{
    QScreen* screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    QRect frame = window->frameGeometry();
    frame.moveCenter(screen->geometry().center());
    window->move(frame.topLeft());
}

#pragma once
// What the unit pages and the calibration dialogs share: named controls, the blue "unsent" font
// of a Send button, the editable and read-only looks of an edit, and the main window's status
// operations.

#include "zcomponents/Zwidgets.h"

#include <QString>
#include <QStringList>
#include <QWidget>
#include <string>

class CDevice;
class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class TMainForm;

namespace pagecontrols {

QLineEdit* Edit(QWidget* parent, const char* name, const char* text = "");
QPushButton* Button(QWidget* parent, const char* name, const char* caption);
// A read-only value shown in a box framed on all four sides.
QLabel* Readout(QWidget* parent, const char* name, const char* text = "0");
QComboBox* Combo(QWidget* parent, const char* name, const QStringList& items);
// A read-only, unwrapped listing of "name<tab>value" lines: a fixed-pitch font with a tab stop
// every TabColumns characters, so that a tab always leaves a gap of at least one character
// between a name and its value.
constexpr int TabColumns = 8;
QPlainTextEdit* Listing(QWidget* parent, const char* name);

std::string Text(const QLineEdit* edit);
void SetText(QLineEdit* edit, const std::string& text);

// Blue caption while the page holds edits not yet sent; window text after a read.
void MarkUnsent(QPushButton* send, bool unsent);
// Editable: window colour; read-only: button-face colour.
void SetEditable(QLineEdit* edit, bool editable);

} // namespace pagecontrols

// A unit page on the main window: reaches the device and the status frame through it.
class TUnitPage : public QWidget {
public:
    TUnitPage(TMainForm& main, const char* name);

protected:
    CDevice& Device() const;
    TMainForm& Main() const { return main_; }
    void ClearStatus();
    void CommandAccepted();

private:
    TMainForm& main_;
};

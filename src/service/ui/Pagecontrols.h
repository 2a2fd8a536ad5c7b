#pragma once
// What the unit pages and the calibration dialogs share: named controls, the blue "unsent" font
// of a Send button, the editable and read-only looks of an edit, and the status operations of
// the main window the pages stand on.

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
class IMainHost;
class TMainServiceSide;

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
bool IsUnsent(const QPushButton* send);
// Editable: window colour; read-only: button-face colour.
void SetEditable(QLineEdit* edit, bool editable);

} // namespace pagecontrols

// A unit page of the service side on the main window: reaches the device and the status frame
// through the main window; its dialogs reach them through the page.
class TUnitPage : public QWidget {
public:
    TUnitPage(TMainServiceSide& side, const char* name);

    CDevice& Device() const;
    void ClearStatus();
    void CommandAccepted();
    // The end of the page's read: "Command accepted", or the failure with what was not read.
    void ReadDone(const std::string& notRead);

protected:
    TMainServiceSide& Side() const { return side_; }
    IMainHost& Host() const;

private:
    TMainServiceSide& side_;
};

#include "panel/ui/Messagehooks.h"

#include <QApplication>
#include <QMessageBox>

namespace {
QWidget* Owner() { return QApplication::activeWindow(); }
QString Text(const std::string& s) { return QString::fromStdString(s); }
} // namespace

void TMessageHooks::Beep() { QApplication::beep(); }

bool TMessageHooks::AskYesNo(const std::string& caption, const std::string& text)
{
    return QMessageBox::question(Owner(), Text(caption), Text(text),
                                 QMessageBox::Yes | QMessageBox::No,
                                 QMessageBox::Yes) == QMessageBox::Yes;
}

int TMessageHooks::ShowWarning(const std::string& caption, const std::string& text)
{
    return QMessageBox::warning(Owner(), Text(caption), Text(text), QMessageBox::Ok);
}

int TMessageHooks::ShowMessageBox(const std::string& caption, const std::string& text)
{
    // A plain box: OK and no icon.
    QMessageBox box(QMessageBox::NoIcon, Text(caption), Text(text), QMessageBox::Ok, Owner());
    return box.exec();
}

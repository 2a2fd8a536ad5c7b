#include "panel/ui/Messagehooks.h"

#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFontMetrics>
#include <QLabel>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

namespace {
// A text of more lines than this shows its first line in the box and the whole text in a
// scrolling area of this many lines, so that the box and its OK button stay on the screen.
constexpr int MaxBoxLines = 20;
constexpr int ListWidthChars = 60;

QWidget* Owner() { return QApplication::activeWindow(); }
QString Text(const std::string& s) { return QString::fromStdString(s); }

// A long text: its first line over a read-only scrolling list of the rest, and OK.
int LongTextBox(QMessageBox::Icon icon, const QString& caption, const QStringList& lines)
{
    QDialog box(Owner());
    box.setObjectName("LongTextBox");
    box.setWindowTitle(caption);
    auto* layout = new QVBoxLayout(&box);
    auto* head = new QHBoxLayout;
    if (icon != QMessageBox::NoIcon) {
        auto* image = new QLabel(&box);
        const int size = box.style()->pixelMetric(QStyle::PM_MessageBoxIconSize);
        image->setPixmap(box.style()->standardIcon(QStyle::SP_MessageBoxWarning).pixmap(size, size));
        head->addWidget(image);
    }
    head->addWidget(new QLabel(lines.first(), &box), 1);
    layout->addLayout(head);
    auto* list = new QPlainTextEdit(lines.mid(1).join('\n'), &box);
    list->setObjectName("LongTextMemo");
    list->setReadOnly(true);
    list->setLineWrapMode(QPlainTextEdit::NoWrap);
    const QFontMetrics metrics(list->font());
    list->setFixedSize(metrics.averageCharWidth() * ListWidthChars, metrics.lineSpacing() * MaxBoxLines);
    layout->addWidget(list);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, &box);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &box, &QDialog::accept);
    layout->addWidget(buttons);
    buttons->button(QDialogButtonBox::Ok)->setFocus();
    box.exec();
    return QMessageBox::Ok;
}

int Box(QMessageBox::Icon icon, const std::string& caption, const std::string& text)
{
    const QStringList lines = Text(text).split('\n');
    if (lines.size() > MaxBoxLines)
        return LongTextBox(icon, Text(caption), lines);
    QMessageBox box(icon, Text(caption), Text(text), QMessageBox::Ok, Owner());
    return box.exec();
}
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
    return Box(QMessageBox::Warning, caption, text);
}

int TMessageHooks::ShowMessageBox(const std::string& caption, const std::string& text)
{
    return Box(QMessageBox::NoIcon, caption, text); // a plain box: OK and no icon
}

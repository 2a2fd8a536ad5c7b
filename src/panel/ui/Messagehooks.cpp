#include "panel/ui/Messagehooks.h"

#include "panel/Toolplaces.h"

#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFontMetrics>
#include <QLabel>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QVBoxLayout>

#include <utility>

namespace {
// A text of more lines than this shows its first line in the box and the whole text in a
// scrolling area of this many lines, so that the box and its OK button stay on the screen.
constexpr int MaxBoxLines = 20;
constexpr int ListWidthChars = 60;

QWidget* Owner() { return QApplication::activeWindow(); }
QString Text(const std::string& s) { return QString::fromStdString(s); }

constexpr const char* BoxMark = "messageBox";

SPlace PlaceOf(const QRect& r) { return SPlace{r.x(), r.y(), r.width(), r.height()}; }

// The message box that is open now, if one is: a box shown over it would hide it.
QPointer<QWidget> OpenBox()
{
    QWidget* open = QApplication::activeModalWidget();
    return open && open->property(BoxMark).toBool() ? open : nullptr;
}

// A box that, shown while another is open (the read timer's and the data logger's stops at
// one failure), goes beside that one instead of exactly over it, so that both can be read.
template <class Base>
class TBox : public Base {
public:
    template <class... Args>
    explicit TBox(Args&&... args) : Base(std::forward<Args>(args)...), open_(OpenBox())
    {
        this->setProperty(BoxMark, true);
    }

protected:
    void showEvent(QShowEvent* event) override
    {
        Base::showEvent(event); // the box takes its size here
        const QScreen* screen = this->screen();
        if (!open_ || !open_->isVisible() || !screen)
            return;
        // Not on the screen yet: its frame is taken to be as wide as the open box's.
        const QRect openFrame = open_->frameGeometry();
        const QSize frame = openFrame.size() - open_->size();
        const SPlace size{0, 0, this->width() + frame.width(), this->height() + frame.height()};
        const SPlace place = toolplaces::BesideBox(PlaceOf(openFrame), size,
                                                   PlaceOf(screen->availableGeometry()));
        this->move(place.Left, place.Top);
    }

private:
    QPointer<QWidget> open_;
};

// A long text: its first line over a read-only scrolling list of the rest, and OK.
int LongTextBox(QMessageBox::Icon icon, const QString& caption, const QStringList& lines)
{
    TBox<QDialog> box(Owner());
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
    TBox<QMessageBox> box(icon, Text(caption), Text(text), QMessageBox::Ok, Owner());
    return box.exec();
}
} // namespace

void TMessageHooks::Beep() { QApplication::beep(); }

bool TMessageHooks::AskYesNo(const std::string& caption, const std::string& text)
{
    TBox<QMessageBox> box(QMessageBox::Question, Text(caption), Text(text),
                          QMessageBox::Yes | QMessageBox::No, Owner());
    box.setDefaultButton(QMessageBox::Yes);
    return box.exec() == QMessageBox::Yes;
}

int TMessageHooks::ShowWarning(const std::string& caption, const std::string& text)
{
    return Box(QMessageBox::Warning, caption, text);
}

int TMessageHooks::ShowMessageBox(const std::string& caption, const std::string& text)
{
    return Box(QMessageBox::NoIcon, caption, text); // a plain box: OK and no icon
}

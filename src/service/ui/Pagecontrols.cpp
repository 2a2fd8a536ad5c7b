#include "service/ui/Pagecontrols.h"

#include "service/ui/Mainserviceside.h"
#include "panel/ui/Status.h"

#include <QApplication>
#include <QComboBox>
#include <QFontDatabase>
#include <QFontMetricsF>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace pagecontrols {

namespace {

const QColor UnsentColour(0x00, 0x00, 0xFF); // blue
constexpr int EditWidth = 90;

// The unsent blue of a disabled button: the face shaded toward the blue only as far as the
// disabled caption stands out from the face, so that the mark stays but reads as disabled.
QColor DisabledUnsentColour(const QPalette& app)
{
    const QColor face = app.color(QPalette::Disabled, QPalette::Button);
    const int contrast = std::abs(qGray(app.color(QPalette::Disabled, QPalette::ButtonText).rgb()) - qGray(face.rgb()));
    const int span = std::abs(qGray(UnsentColour.rgb()) - qGray(face.rgb()));
    const double t = span > 0 ? std::min(1.0, double(contrast) / span) : 1.0;
    const auto mix = [t](int from, int to) { return int(std::lround(from + t * (to - from))); };
    return QColor(mix(face.red(), UnsentColour.red()), mix(face.green(), UnsentColour.green()),
                  mix(face.blue(), UnsentColour.blue()));
}

} // namespace

QLineEdit* Edit(QWidget* parent, const char* name, const char* text)
{
    return NewNamedEdit(parent, name, text, EditWidth);
}

QPlainTextEdit* Listing(QWidget* parent, const char* name)
{
    auto* memo = new QPlainTextEdit(parent);
    memo->setObjectName(name);
    memo->setReadOnly(true);
    memo->setLineWrapMode(QPlainTextEdit::NoWrap);
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setPointSizeF(memo->font().pointSizeF());
    memo->setFont(font);
    memo->setTabStopDistance(QFontMetricsF(font).horizontalAdvance(QString(TabColumns, 'x')));
    return memo;
}

QPushButton* Button(QWidget* parent, const char* name, const char* caption)
{
    return NewNamedButton(parent, name, caption);
}

QLabel* Readout(QWidget* parent, const char* name, const char* text)
{
    auto* l = new QLabel(text, parent);
    l->setObjectName(name);
    // A styled frame is drawn on all four sides; a sunken panel's light right and bottom
    // edges vanish against the page and leave the box open at the right.
    l->setFrameShape(QFrame::StyledPanel);
    l->setFrameShadow(QFrame::Sunken);
    l->setMinimumWidth(60);
    return l;
}

QComboBox* Combo(QWidget* parent, const char* name, const QStringList& items)
{
    auto* c = new QComboBox(parent);
    c->setObjectName(name);
    c->addItems(items);
    return c;
}

std::string Text(const QLineEdit* edit) { return edit->text().toStdString(); }

void SetText(QLineEdit* edit, const std::string& text) { edit->setText(Q(text)); }

void MarkUnsent(QPushButton* send, bool unsent)
{
    // Only the enabled groups take the caption colour: a disabled Send looks disabled.
    const QPalette app = QApplication::palette(send);
    QPalette pal = send->palette();
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive})
        pal.setColor(group, QPalette::ButtonText, unsent ? UnsentColour : app.color(group, QPalette::WindowText));
    pal.setColor(QPalette::Disabled, QPalette::ButtonText,
                 unsent ? DisabledUnsentColour(app) : app.color(QPalette::Disabled, QPalette::ButtonText));
    send->setPalette(pal);
    send->setProperty("unsent", unsent);
}

bool IsUnsent(const QPushButton* send) { return send->property("unsent").toBool(); }


void SetEditable(QLineEdit* edit, bool editable)
{
    edit->setReadOnly(!editable);
    QPalette pal = edit->palette();
    pal.setColor(QPalette::Base, QApplication::palette().color(editable ? QPalette::Base : QPalette::Button));
    edit->setPalette(pal);
}

} // namespace pagecontrols

TUnitPage::TUnitPage(TMainServiceSide& side, const char* name) : QWidget(nullptr), side_(side)
{
    setObjectName(name);
}

IMainHost& TUnitPage::Host() const { return side_.Host(); }

CDevice& TUnitPage::Device() const { return *Host().Device(); }

void TUnitPage::ClearStatus() { Host().ClearStatus(); }

void TUnitPage::CommandAccepted() { Host().StatusFrame()->CommandAccepted(); }

void TUnitPage::ReadDone(const std::string& notRead) { Host().StatusFrame()->ReadDone(notRead); }

#include "service/ui/Modeldlg.h"

#include "zcomponents/Zwidgets.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

namespace {

std::string S(const QLineEdit* e) { return e->text().toStdString(); }

// A sketch of one network type: the input on the left, the load on the right, the Load
// (shunt) and Tune (series) capacitors with the fixed parts the page edits.
class TCircuitPicture : public QWidget {
public:
    TCircuitPicture(int type, QWidget* parent) : QWidget(parent), type_(type)
    {
        setMinimumSize(220, 90);
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(QPen(palette().color(QPalette::WindowText), 1));
        const int top = 20, bottom = height() - 12, w = width();
        p.drawLine(8, top, w - 8, top);          // the through line
        p.drawLine(8, bottom, w - 8, bottom);    // ground
        p.drawText(2, top - 6, "In");
        p.drawText(w - 30, top - 6, "Load");
        if (type_ == 0) {
            Shunt(p, 50, top, bottom, "Cload+Lsh");
            Series(p, 100, top, "Lser");
            Series(p, 150, top, "Ctune");
            Shunt(p, 195, top, bottom, "Cout", true);
        } else {
            Series(p, 60, top, "Cload");
            Shunt(p, 110, top, bottom, "TLsh");
            Series(p, 145, top, "Ctune+TCpar");
        }
    }

private:
    static void Series(QPainter& p, int x, int y, const char* name)
    {
        p.fillRect(x - 12, y - 5, 24, 10, p.background());
        p.drawRect(x - 12, y - 5, 24, 10);
        p.drawText(x - 14, y + 18, name);
    }
    static void Shunt(QPainter& p, int x, int top, int bottom, const char* name, bool labelLeft = false)
    {
        const int mid = (top + bottom) / 2;
        p.drawLine(x, top, x, mid - 6);
        p.drawLine(x - 10, mid - 6, x + 10, mid - 6);
        p.drawLine(x - 10, mid + 2, x + 10, mid + 2);
        p.drawLine(x, mid + 2, x, bottom);
        const int textX = labelLeft ? x - 12 - p.fontMetrics().horizontalAdvance(name) : x + 12;
        p.drawText(textX, mid + 14, name);
    }

    int type_;
};

QLabel* Range(QWidget* parent, const char* name)
{
    auto* l = new QLabel(parent);
    l->setObjectName(name);
    l->setFrameShape(QFrame::Panel);
    l->setFrameShadow(QFrame::Sunken);
    return l;
}

} // namespace

TModelForm::TModelForm(QWidget* parent) : QDialog(parent)
{
    setObjectName("ModelForm");
    setWindowTitle("Model");
    auto* outer = new QVBoxLayout(this);

    auto* freq = new QFormLayout;
    FreqEdit = NewNamedEdit(this, "FreqEdit");
    freq->addRow("F (MHz) = ", FreqEdit);
    outer->addLayout(freq);

    TypePageControl = new QTabWidget(this);
    TypePageControl->setObjectName("TypePageControl");
    auto* pageL = new QWidget(TypePageControl);
    auto* formL = new QFormLayout(pageL);
    formL->addRow(new TCircuitPicture(0, pageL));
    LshEdit = NewNamedEdit(pageL, "LshEdit");
    CparEdit = NewNamedEdit(pageL, "CparEdit");
    LserEdit = NewNamedEdit(pageL, "LserEdit");
    CoutEdit = NewNamedEdit(pageL, "CoutEdit");
    CshStaticText = Range(pageL, "CshStaticText");
    CserStaticText = Range(pageL, "CserStaticText");
    formL->addRow("Lsh (nH)", LshEdit);
    formL->addRow("Cpar (pF)", CparEdit);
    formL->addRow("Lser (nH)", LserEdit);
    formL->addRow("Cout (pF)", CoutEdit);
    formL->addRow("Cload", CshStaticText);
    formL->addRow("Ctune", CserStaticText);
    TypePageControl->addTab(pageL, "L");

    auto* pageT = new QWidget(TypePageControl);
    auto* formT = new QFormLayout(pageT);
    formT->addRow(new TCircuitPicture(1, pageT));
    TLshEdit = NewNamedEdit(pageT, "TLshEdit");
    TCparEdit = NewNamedEdit(pageT, "TCparEdit");
    TCshStaticText = Range(pageT, "TCshStaticText");
    TCserStaticText = Range(pageT, "TCserStaticText");
    formT->addRow("TLsh (nH)", TLshEdit);
    formT->addRow("TCpar (pF)", TCparEdit);
    formT->addRow("Cload", TCshStaticText);
    formT->addRow("Ctune", TCserStaticText);
    TypePageControl->addTab(pageT, "T");
    outer->addWidget(TypePageControl);

    auto* buttons = new QHBoxLayout;
    CloseBtn = new QPushButton("Close", this);
    CloseBtn->setObjectName("CloseBtn");
    CloseBtn->setDefault(true);
    buttons->addStretch(1);
    buttons->addWidget(CloseBtn);
    outer->addLayout(buttons);
    connect(CloseBtn, &QPushButton::clicked, this, &QDialog::accept);
}

void TModelForm::ShowTexts(const SModelTexts& t)
{
    FreqEdit->setText(Q(t.Freq));
    LshEdit->setText(Q(t.Lsh));
    CparEdit->setText(Q(t.Cpar));
    LserEdit->setText(Q(t.Lser));
    CoutEdit->setText(Q(t.Cout));
    TLshEdit->setText(Q(t.TLsh));
    TCparEdit->setText(Q(t.TCpar));
    CshStaticText->setText(Q(t.LoadRange));
    CserStaticText->setText(Q(t.TuneRange));
    TCshStaticText->setText(CshStaticText->text());
    TCserStaticText->setText(CserStaticText->text());
    if (t.Page >= 0 && t.Page < TypePageControl->count())
        TypePageControl->setCurrentIndex(t.Page);
}

SModelTexts TModelForm::Texts() const
{
    SModelTexts t;
    t.Freq = S(FreqEdit);
    t.Lsh = S(LshEdit);
    t.Cpar = S(CparEdit);
    t.Lser = S(LserEdit);
    t.Cout = S(CoutEdit);
    t.TLsh = S(TLshEdit);
    t.TCpar = S(TCparEdit);
    t.Page = TypePageControl->currentIndex();
    t.LoadRange = CshStaticText->text().toStdString();
    t.TuneRange = CserStaticText->text().toStdString();
    return t;
}

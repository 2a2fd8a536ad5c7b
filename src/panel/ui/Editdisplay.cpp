#include "panel/ui/Editdisplay.h"

#include "panel/Panelist.h"
#include "zcomponents/Zwidgets.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace {
QSpinBox* NewSpin(QWidget* parent, const char* name, int min, int max, int value)
{
    auto* spin = NewNamedSpin(parent, name, min, max);
    spin->setValue(value);
    return spin;
}
} // namespace

TEditDisplayForm::TEditDisplayForm(QWidget* parent) : QDialog(parent)
{
    setObjectName("EditDisplayForm");
    setWindowTitle("Display settings");
    ValueFontSizeSpinEdit = NewSpin(this, "ValueFontSizeSpinEdit", CItemStyle::MinFontSize, CItemStyle::MaxFontSize,
                                     CItemStyle::DefaultFontSize);
    BarFontSizeSpinEdit = NewSpin(this, "BarFontSizeSpinEdit", CItemStyle::MinFontSize, CItemStyle::MaxFontSize,
                                   CItemStyle::DefaultFontSize);
    PlotFontSizeSpinEdit = NewSpin(this, "PlotFontSizeSpinEdit", CItemStyle::MinFontSize, CItemStyle::MaxFontSize,
                                    CItemStyle::DefaultFontSize);
    PlotSizeSpinEdit = NewSpin(this, "PlotSizeSpinEdit", CItemStyle::MinPlotSize, CItemStyle::MaxPlotSize,
                                CItemStyle::DefaultPlotSize);
    TracesRFOnCheckBox = NewNamed<QCheckBox>(this, "TracesRFOnCheckBox", "Display traces if RF On");
    VarComboBox = NewNamed<QComboBox>(this, "VarComboBox");
    MinEdit = NewNamed<QLineEdit>(this, "MinEdit");
    MaxEdit = NewNamed<QLineEdit>(this, "MaxEdit");
    DigSpinEdit = NewSpin(this, "DigSpinEdit", 0, CDisplayEdit::MaxDecimals, 0);

    OkBtn = NewNamed<QPushButton>(this, "OkBtn", "OK");
    OkBtn->setDefault(true);
    CancelBtn = NewNamed<QPushButton>(this, "CancelBtn", "Cancel");
    ApplyBtn = NewNamed<QPushButton>(this, "ApplyBtn", "Apply");

    auto* sizes = new QGroupBox("Sizes", this);
    auto* sizeForm = new QFormLayout(sizes);
    sizeForm->addRow("Value font size", ValueFontSizeSpinEdit);
    sizeForm->addRow("Bar font size", BarFontSizeSpinEdit);
    sizeForm->addRow("Plot font size", PlotFontSizeSpinEdit);
    sizeForm->addRow("Plot size", PlotSizeSpinEdit);
    auto* var = new QGroupBox("Variable", this);
    auto* varForm = new QFormLayout(var);
    varForm->addRow("Variable", VarComboBox);
    varForm->addRow("Min", MinEdit);
    varForm->addRow("Max", MaxEdit);
    varForm->addRow("Digits", DigSpinEdit);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(OkBtn);
    buttons->addWidget(CancelBtn);
    buttons->addWidget(ApplyBtn);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(sizes);
    layout->addWidget(TracesRFOnCheckBox);
    layout->addWidget(var);
    layout->addLayout(buttons);

    for (QSpinBox* s : {ValueFontSizeSpinEdit, BarFontSizeSpinEdit, PlotFontSizeSpinEdit, PlotSizeSpinEdit, DigSpinEdit})
        connect(s, &QSpinBox::valueChanged, this, [this] { SetApply(); });
    connect(MinEdit, &QLineEdit::textChanged, this, [this] { SetApply(); });
    connect(MaxEdit, &QLineEdit::textChanged, this, [this] { SetApply(); });
    connect(TracesRFOnCheckBox, &QCheckBox::clicked, this, [this] { SetApply(); });
    connect(VarComboBox, &QComboBox::activated, this, [this] { VarComboBoxChange(); });
    connect(ApplyBtn, &QPushButton::clicked, this, &TEditDisplayForm::ApplyBtnClick);
    connect(OkBtn, &QPushButton::clicked, this, &TEditDisplayForm::OkBtnClick);
    connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
}

void TEditDisplayForm::Bind(const SLinks& links)
{
    links_ = links;
    logic_ = CDisplayEdit(links.Source);
}

bool TEditDisplayForm::Locked() const
{
    return links_.Locked && links_.Locked();
}

void TEditDisplayForm::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    FormShow();
}

void TEditDisplayForm::FormShow()
{
    filling_ = true;
    if (links_.Style) {
        ValueFontSizeSpinEdit->setValue(links_.Style->ValueFontSize);
        BarFontSizeSpinEdit->setValue(links_.Style->BarFontSize);
        PlotFontSizeSpinEdit->setValue(links_.Style->PlotFontSize);
        PlotSizeSpinEdit->setValue(links_.Style->PlotSize);
    }
    TracesRFOnCheckBox->setChecked(links_.TracesRFOn && *links_.TracesRFOn);
    VarComboBox->clear();
    for (const std::string& name : logic_.VarNames())
        VarComboBox->addItem(QString::fromStdString(name));
    VarComboBox->setCurrentIndex(logic_.SelectFirst());
    ShowVar();
    filling_ = false;
    ApplyBtn->setEnabled(false);
    OkBtn->setEnabled(!Locked());
}

void TEditDisplayForm::ShowVar()
{
    bool wasFilling = filling_;
    filling_ = true;
    SVarFormatText t = logic_.CurrentFormat();
    MinEdit->setText(QString::fromStdString(t.Min));
    MaxEdit->setText(QString::fromStdString(t.Max));
    DigSpinEdit->setValue(t.Decimals);
    filling_ = wasFilling;
}

void TEditDisplayForm::VarComboBoxChange()
{
    logic_.Select(VarComboBox->currentIndex());
    ShowVar();
}

void TEditDisplayForm::SetApply()
{
    if (!filling_)
        ApplyBtn->setEnabled(!Locked());
}

void TEditDisplayForm::ApplyBtnClick()
{
    if (Locked())
        return;
    if (links_.Style)
        *links_.Style = CDisplayEdit::ClampedStyle(ValueFontSizeSpinEdit->value(), BarFontSizeSpinEdit->value(),
                                                   PlotFontSizeSpinEdit->value(), PlotSizeSpinEdit->value());
    if (links_.TracesRFOn)
        *links_.TracesRFOn = TracesRFOnCheckBox->isChecked();
    logic_.ApplyFormat(MinEdit->text().toStdString(), MaxEdit->text().toStdString(), DigSpinEdit->value());
    if (links_.GetPaneList)
        for (int i = 0; i < 2; ++i)
            if (CPaneList* pane = links_.GetPaneList(i))
                pane->Remeasure();
    ApplyBtn->setEnabled(false);
}

void TEditDisplayForm::OkBtnClick()
{
    ApplyBtnClick();
    accept();
}

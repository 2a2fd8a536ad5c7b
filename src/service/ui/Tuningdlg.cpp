#include "service/ui/Tuningdlg.h"

#include "device/Unitstate.h"
#include "panel/Tuningmodel.h"
#include "service/Modelrules.h"
#include "service/Tuninggrid.h"
#include "service/ui/Modeldlg.h"
#include "zcomponents/Zwidgets.h"

#include <QAction>
#include <QCloseEvent>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

constexpr int ColumnWidth = 56; // the time list's columns, as tab stops of 40 dialog units

} // namespace

TTuningForm::TTuningForm(QWidget* parent) : QWidget(parent, Qt::Tool | Qt::WindowStaysOnTopHint)
{
    setObjectName("TuningForm");
    setWindowTitle("Tuning");
    setFixedWidth(FixedWidth);
    setMinimumHeight(MinHeight);
    resize(FixedWidth, 260);

    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(4, 4, 4, 4);
    auto* form = new QFormLayout;
    auto edit = [this, form](const char* name, const char* label) {
        auto* e = NewNamedEdit(this, name);
        form->addRow(label, e);
        return e;
    };
    const STuningEdits defaults;
    REdit = edit("REdit", "R load =");
    XEdit = edit("XEdit", "X load =");
    SizeEdit = edit("SizeEdit", "Size =");
    ZoomEdit = edit("ZoomEdit", "Zoom =");
    REdit->setText(Q(defaults.R));
    XEdit->setText(Q(defaults.X));
    SizeEdit->setText(Q(defaults.Size));
    ZoomEdit->setText(Q(defaults.Zoom));
    outer->addLayout(form);

    auto* buttons = new QHBoxLayout;
    auto button = [this, buttons](const char* name, const char* caption) {
        auto* b = NewNamedButton(this, name, caption);
        buttons->addWidget(b);
        return b;
    };
    RecalcBtn = button("RecalcBtn", "Refresh");
    ModelBtn = button("ModelBtn", "Model...");
    CloseBtn = button("CloseBtn", "Close");
    outer->addLayout(buttons);

    TimeListBox = new QTreeWidget(this);
    TimeListBox->setObjectName("TimeListBox");
    TimeListBox->setColumnCount(3);
    TimeListBox->setHeaderLabels({"Load", "Tune", "Time (s)"});
    TimeListBox->setRootIsDecorated(false);
    TimeListBox->header()->setDefaultSectionSize(ColumnWidth);
    TimeListBox->header()->setStretchLastSection(true);
    outer->addWidget(TimeListBox, 1);

    ModelForm = new TModelForm(this);

    connect(RecalcBtn, &QPushButton::clicked, this, &TTuningForm::RecalcBtnClick);
    connect(ModelBtn, &QPushButton::clicked, this, &TTuningForm::ModelBtnClick);
    connect(CloseBtn, &QPushButton::clicked, this, &TTuningForm::CloseBtnClick);
}

void TTuningForm::Bind(const SLinks& links)
{
    links_ = links;
    if (!links_.Model)
        return;
    const STuningEdits t = CTuningGrid::Texts(*links_.Model);
    REdit->setText(Q(t.R));
    XEdit->setText(Q(t.X));
    SizeEdit->setText(Q(t.Size));
    ZoomEdit->setText(Q(t.Zoom));
    links_.Model->AddTimeLine = [this](const std::string& line) { AddTimeLine(line); };
    links_.Model->Hide = [this] { SetVisible(false); };
}

void TTuningForm::SetVisible(bool visible)
{
    setVisible(visible);
    if (links_.Model)
        links_.Model->Shown = visible;
    if (links_.MenuItem)
        links_.MenuItem->setChecked(visible);
    if (links_.RepaintCharts)
        links_.RepaintCharts();
}

void TTuningForm::AddTimeLine(const std::string& line)
{
    auto* item = new QTreeWidgetItem(Q(line).split('\t'));
    TimeListBox->addTopLevelItem(item);
    TimeListBox->setCurrentItem(item);
}

void TTuningForm::RecalcBtnClick()
{
    TimeListBox->clear();
    if (!links_.Model || !links_.Unit)
        return;
    STuningEdits e;
    e.R = REdit->text().toStdString();
    e.X = XEdit->text().toStdString();
    e.Size = SizeEdit->text().toStdString();
    e.Zoom = ZoomEdit->text().toStdString();
    SizeEdit->setText(Q(CTuningGrid::Refresh(*links_.Unit, *links_.Model, e)));
    if (links_.RepaintCharts)
        links_.RepaintCharts();
}

void TTuningForm::ModelBtnClick()
{
    if (!links_.Unit)
        return;
    ModelForm->ShowTexts(CModelRules::Texts(*links_.Unit));
    ModelForm->exec();
    // Stored however the dialog was closed (its button or its title bar).
    CModelRules::Store(ModelForm->Texts(), *links_.Unit);
}

void TTuningForm::closeEvent(QCloseEvent* event)
{
    // A close hides the window, and is never refused: the application's closing of all its
    // windows would stop at a refusal and leave the windows after it open.
    event->accept();
    SetVisible(false);
}

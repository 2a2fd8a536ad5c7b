#include "panel/ui/Logsettings.h"

#include "panel/Logger.h"
#include "zcomponents/Zwidgets.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFileDialog>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QStackedWidget>
#include <QTabWidget>
#include <QVBoxLayout>

namespace {

QCheckBox* CheckBox(QWidget* parent, const char* name, const char* text)
{
    return NewNamed<QCheckBox>(parent, name, text);
}

// A controlled field: the window colour while active, the button face while not.
void SetActive(QWidget* field, bool active)
{
    QPalette pal = field->palette();
    pal.setColor(QPalette::Base,
                 QApplication::palette().color(active ? QPalette::Base : QPalette::Button));
    field->setPalette(pal);
}

} // namespace

TLogSettingsForm::TLogSettingsForm(QWidget* parent) : QDialog(parent)
{
    setObjectName("LogSettingsForm");
    setWindowTitle("Log Settings");
    setMinimumWidth(MinWidth); // room for a folder path
    auto* outer = new QVBoxLayout(this);
    PageControl = new QTabWidget(this);
    PageControl->setObjectName("PageControl");
    outer->addWidget(PageControl);

    // General
    auto* general = new QWidget(PageControl);
    general->setObjectName("GeneralPage");
    auto* g = new QFormLayout(general);
    IntervalSpinEdit = NewNamedSpin(general, "IntervalSpinEdit", CLogSettings::MinInterval,
                                    CLogSettings::MaxInterval, 100);
    g->addRow("&Log interval (ms)", IntervalSpinEdit);
    UseMaxLogErrorsCheckBox = CheckBox(general, "UseMaxLogErrorsCheckBox", "&Stop log after ");
    MaxLogErrorsSpinEdit = NewNamedSpin(general, "MaxLogErrorsSpinEdit", CLogSettings::MinLogErrors,
                                        CLogSettings::MaxLogErrorsLimit, 1);
    auto* errors = new QHBoxLayout;
    errors->addWidget(UseMaxLogErrorsCheckBox);
    errors->addWidget(MaxLogErrorsSpinEdit);
    auto* errorsLabel = new QLabel("communication &errors", general);
    errorsLabel->setBuddy(MaxLogErrorsSpinEdit);
    errors->addWidget(errorsLabel);
    g->addRow(errors);
    RFONCheckBox = CheckBox(general, "RFONCheckBox", "Log if output &On");
    g->addRow(RFONCheckBox);
    LogAtConnectCheckBox = CheckBox(general, "LogAtConnectCheckBox", "S&tart log after connection");
    g->addRow(LogAtConnectCheckBox);
    PageControl->addTab(general, "General");

    // File Select
    auto* file = new QWidget(PageControl);
    file->setObjectName("FilePage");
    auto* f = new QFormLayout(file);
    PathEdit = NewNamedEdit(file, "PathEdit");
    f->addRow("&Path", PathEdit);
    BrowseBtn = new QPushButton("&Browse Path...", file);
    BrowseBtn->setObjectName("BrowseBtn");
    f->addRow(BrowseBtn);
    NameEdit = NewNamedEdit(file, "NameEdit");
    f->addRow("B&ase file name", NameEdit);
    FileNSpinEdit = NewNamedSpin(file, "FileNSpinEdit", 0, CLogSettings::MaxFileN, 1);
    f->addRow("File &number", FileNSpinEdit);
    MaxLenSpinEdit = NewNamedSpin(file, "MaxLenSpinEdit", CLogSettings::MinLen, CLogSettings::MaxLenLimit,
                                  1000);
    f->addRow("Maximum file &size (KB)", MaxLenSpinEdit);
    UseMaxFilesCheckBox = CheckBox(file, "UseMaxFilesCheckBox", "&Use maximum file number");
    f->addRow(UseMaxFilesCheckBox);
    MaxFilesSpinEdit = NewNamedSpin(file, "MaxFilesSpinEdit", CLogSettings::MinFiles,
                                    CLogSettings::MaxFilesLimit, 1);
    f->addRow("&Maximum file number", MaxFilesSpinEdit);
    FileNameEdit = NewNamedEdit(file, "FileNameEdit");
    FileNameEdit->setReadOnly(true);
    FileNameEdit->setToolTip("Log file name is Path + Base file name + File number");
    f->addRow("Log file name", FileNameEdit);
    PageControl->addTab(file, "File Select");

    // Format
    auto* format = new QWidget(PageControl);
    format->setObjectName("FormatPage");
    auto* fl = new QVBoxLayout(format);
    auto* group = new QGroupBox("Log format", format);
    group->setObjectName("FormatSelectRadioGroup");
    FormatSelectRadioGroup = group;
    auto* gl = new QHBoxLayout(group);
    BasicRadio = new QRadioButton("&Basic", group);
    BasicRadio->setObjectName("BasicRadio");
    ExtendedRadio = new QRadioButton("&Extended", group);
    ExtendedRadio->setObjectName("ExtendedRadio");
    gl->addWidget(BasicRadio);
    gl->addWidget(ExtendedRadio);
    fl->addWidget(group);
    FormatNotebook = new QStackedWidget(format);
    FormatNotebook->setObjectName("FormatNotebook");
    DefCheckListBox = new QListWidget(FormatNotebook);
    DefCheckListBox->setObjectName("DefCheckListBox");
    ExtCheckListBox = new QListWidget(FormatNotebook);
    ExtCheckListBox->setObjectName("ExtCheckListBox");
    FormatNotebook->addWidget(DefCheckListBox);
    FormatNotebook->addWidget(ExtCheckListBox);
    fl->addWidget(FormatNotebook, 1);
    WriteHeaderCheckBox = CheckBox(format, "WriteHeaderCheckBox", "&Write header");
    WriteHeaderCheckBox->setToolTip("Write Header when file is opened");
    fl->addWidget(WriteHeaderCheckBox);
    auto* commentLabel = new QLabel("&Header comment:", format);
    CommentEdit = NewNamedEdit(format, "CommentEdit");
    commentLabel->setBuddy(CommentEdit);
    fl->addWidget(commentLabel);
    fl->addWidget(CommentEdit);
    PageControl->addTab(format, "Format");

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    OKBtn = new QPushButton("OK", this);
    OKBtn->setObjectName("OKBtn");
    OKBtn->setDefault(true);
    CancelBtn = new QPushButton("Cancel", this);
    CancelBtn->setObjectName("CancelBtn");
    buttons->addWidget(OKBtn);
    buttons->addWidget(CancelBtn);
    outer->addLayout(buttons);

    connect(OKBtn, &QPushButton::clicked, this, &TLogSettingsForm::OKBtnClick);
    connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
    connect(WriteHeaderCheckBox, &QCheckBox::toggled, this,
            &TLogSettingsForm::WriteHeaderCheckBoxClick);
    connect(UseMaxFilesCheckBox, &QCheckBox::toggled, this,
            &TLogSettingsForm::UseMaxFilesCheckBoxClick);
    connect(UseMaxLogErrorsCheckBox, &QCheckBox::toggled, this,
            &TLogSettingsForm::UseMaxLogErrorsCheckBoxClick);
    connect(BrowseBtn, &QPushButton::clicked, this, &TLogSettingsForm::BrowseBtnClick);
    connect(BasicRadio, &QRadioButton::toggled, this, &TLogSettingsForm::FormatSelectRadioGroupClick);
    connect(ExtendedRadio, &QRadioButton::toggled, this,
            &TLogSettingsForm::FormatSelectRadioGroupClick);
    connect(PathEdit, &QLineEdit::textChanged, this, &TLogSettingsForm::FileNameChange);
    connect(NameEdit, &QLineEdit::textChanged, this, &TLogSettingsForm::FileNameChange);
    connect(FileNSpinEdit, &QSpinBox::valueChanged, this, &TLogSettingsForm::FileNameChange);

    AskFolder = [this](const QString& start) {
        return QFileDialog::getExistingDirectory(this, "Select Directory", start);
    };
}

void TLogSettingsForm::Bind(CLogger* logger, std::function<bool()> locked)
{
    logger_ = logger;
    locked_ = std::move(locked);
}

void TLogSettingsForm::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    FormShow();
}

void TLogSettingsForm::ShowFileSettings()
{
    if (!logger_)
        return;
    const CLogSettings& s = logger_->Settings();
    PathEdit->setText(QString::fromStdString(s.Path));
    NameEdit->setText(QString::fromStdString(s.Name));
    FileNSpinEdit->setValue(s.FileN);
    FileNameChange();
}

void TLogSettingsForm::FormShow()
{
    if (!logger_)
        return;
    const CLogSettings& s = logger_->Settings();
    CommentEdit->setText(QString::fromStdString(s.Comment));
    RFONCheckBox->setChecked(s.RFON);
    LogAtConnectCheckBox->setChecked(s.LogAtConnect);
    ShowFileSettings();
    MaxLenSpinEdit->setValue(s.MaxLen);
    MaxFilesSpinEdit->setValue(s.MaxFiles);
    UseMaxFilesCheckBox->setChecked(s.UseMaxFiles);
    UseMaxFilesCheckBoxClick();
    IntervalSpinEdit->setValue(s.Interval);
    MaxLogErrorsSpinEdit->setValue(s.MaxLogErrors);
    UseMaxLogErrorsCheckBox->setChecked(s.UseMaxLogErrors);
    UseMaxLogErrorsCheckBoxClick();
    (s.FormatSelect == CLogColumns::FormatExtended ? ExtendedRadio : BasicRadio)->setChecked(true);
    FillColumns(DefCheckListBox, CLogColumns::FormatBasic);
    FillColumns(ExtCheckListBox, CLogColumns::FormatExtended);
    FormatSelectRadioGroupClick();
    WriteHeaderCheckBox->setChecked(s.WriteHeader);
    WriteHeaderCheckBoxClick();
    OKBtn->setEnabled(!(locked_ && locked_()) && !logger_->Logging());
}

void TLogSettingsForm::FillColumns(QListWidget* list, int format)
{
    list->clear();
    for (const CLogColumn& c : logger_->ColumnsFor(format)) {
        auto* item = new QListWidgetItem(QString::fromStdString(c.Name), list);
        Qt::ItemFlags flags = Qt::ItemIsUserCheckable | Qt::ItemIsSelectable;
        if (c.Source >= 0)
            flags |= Qt::ItemIsEnabled;
        item->setFlags(flags);
        item->setCheckState(c.Enabled && c.Source >= 0 ? Qt::Checked : Qt::Unchecked);
    }
}

void TLogSettingsForm::TakeColumns(QListWidget* list, int format)
{
    CLogTable& columns = logger_->ColumnsFor(format);
    for (int i = 0; i < list->count() && i < static_cast<int>(columns.size()); ++i)
        columns[i].Enabled = list->item(i)->checkState() == Qt::Checked;
}

int TLogSettingsForm::SelectedFormat() const
{
    return ExtendedRadio->isChecked() ? CLogColumns::FormatExtended : CLogColumns::FormatBasic;
}

void TLogSettingsForm::OKBtnClick()
{
    if (!logger_ || !OKBtn->isEnabled())
        return;
    CLogSettings& s = logger_->Settings();
    s.Path = PathEdit->text().toStdString();
    s.Name = NameEdit->text().toStdString();
    s.MaxLen = MaxLenSpinEdit->value();
    s.MaxFiles = MaxFilesSpinEdit->value();
    s.FileN = FileNSpinEdit->value();
    s.UseMaxFiles = UseMaxFilesCheckBox->isChecked();
    s.Interval = IntervalSpinEdit->value();
    s.MaxLogErrors = MaxLogErrorsSpinEdit->value();
    s.UseMaxLogErrors = UseMaxLogErrorsCheckBox->isChecked();
    s.Comment = CommentEdit->text().toStdString();
    s.RFON = RFONCheckBox->isChecked();
    s.LogAtConnect = LogAtConnectCheckBox->isChecked();
    s.FormatSelect = SelectedFormat();
    TakeColumns(DefCheckListBox, CLogColumns::FormatBasic);
    TakeColumns(ExtCheckListBox, CLogColumns::FormatExtended);
    s.WriteHeader = WriteHeaderCheckBox->isChecked();
    accept();
    logger_->ShowFileName();
    logger_->ClearGauge();
}

void TLogSettingsForm::WriteHeaderCheckBoxClick()
{
    const bool on = WriteHeaderCheckBox->isChecked();
    CommentEdit->setReadOnly(!on);
    SetActive(CommentEdit, on);
}

void TLogSettingsForm::UseMaxFilesCheckBoxClick()
{
    const bool on = UseMaxFilesCheckBox->isChecked();
    MaxFilesSpinEdit->setEnabled(on);
    SetActive(MaxFilesSpinEdit, on);
}

void TLogSettingsForm::UseMaxLogErrorsCheckBoxClick()
{
    const bool on = UseMaxLogErrorsCheckBox->isChecked();
    MaxLogErrorsSpinEdit->setEnabled(on);
    SetActive(MaxLogErrorsSpinEdit, on);
}

void TLogSettingsForm::BrowseBtnClick()
{
    const QString text = PathEdit->text();
    const QString start = !text.isEmpty() && QDir(text).exists() ? text : QString();
    const QString chosen = AskFolder ? AskFolder(start) : QString();
    if (!chosen.isEmpty())
        PathEdit->setText(chosen);
}

void TLogSettingsForm::FormatSelectRadioGroupClick()
{
    FormatNotebook->setCurrentIndex(SelectedFormat() == CLogColumns::FormatExtended ? 1 : 0);
}

void TLogSettingsForm::FileNameChange()
{
    FileNameEdit->setText(QString::fromStdString(CLogSettings::PreviewName(
        PathEdit->text().toStdString(), NameEdit->text().toStdString(), FileNSpinEdit->value())));
}

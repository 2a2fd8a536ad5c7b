#pragma once
// The log settings dialog: the data logger's interval, error limit, file naming and size, the
// log format with its columns, and the header. It reads the logger's settings when shown and
// writes them back on OK.

#include <QDialog>
#include <functional>

class CLogger;
class QCheckBox;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;
class QSpinBox;
class QStackedWidget;
class QTabWidget;
class QWidget;

class TLogSettingsForm : public QDialog {
    Q_OBJECT
public:
    static constexpr int MinWidth = 480;

    explicit TLogSettingsForm(QWidget* parent = nullptr);

    // The logger it edits and the panel's lock state.
    void Bind(CLogger* logger, std::function<bool()> locked);
    // Path, base name and file number from the logger, and the preview.
    void ShowFileSettings();

    QTabWidget* PageControl;
    QSpinBox* IntervalSpinEdit;
    QCheckBox* UseMaxLogErrorsCheckBox;
    QSpinBox* MaxLogErrorsSpinEdit;
    QCheckBox* RFONCheckBox;
    QCheckBox* LogAtConnectCheckBox;
    QLineEdit* PathEdit;
    QPushButton* BrowseBtn;
    QLineEdit* NameEdit;
    QSpinBox* FileNSpinEdit;
    QSpinBox* MaxLenSpinEdit;
    QCheckBox* UseMaxFilesCheckBox;
    QSpinBox* MaxFilesSpinEdit;
    QLineEdit* FileNameEdit;
    QWidget* FormatSelectRadioGroup;
    QRadioButton* BasicRadio;
    QRadioButton* ExtendedRadio;
    QStackedWidget* FormatNotebook;
    QListWidget* DefCheckListBox;
    QListWidget* ExtCheckListBox;
    QCheckBox* WriteHeaderCheckBox;
    QLineEdit* CommentEdit;
    QPushButton* OKBtn;
    QPushButton* CancelBtn;

    // Chooses the folder (left to the desktop's dialog; tests replace it).
    std::function<QString(const QString& start)> AskFolder;

    void FormShow();
    void OKBtnClick();
    void WriteHeaderCheckBoxClick();
    void UseMaxFilesCheckBoxClick();
    void UseMaxLogErrorsCheckBoxClick();
    void BrowseBtnClick();
    void FormatSelectRadioGroupClick();
    void FileNameChange();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void FillColumns(QListWidget* list, int format);
    void TakeColumns(QListWidget* list, int format);
    int SelectedFormat() const;

    CLogger* logger_ = nullptr;
    std::function<bool()> locked_;
};

#pragma once
// The command console: one raw OstraBus command to the connected unit, its reply bytes, the
// result text and the execution time.

#include <QDialog>
#include <functional>

class CDevice;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTabWidget;

class TTechForm : public QDialog {
    Q_OBJECT
public:
    // clearStatus clears the status frame's message before each command.
    TTechForm(CDevice& device, std::function<void()> clearStatus, QWidget* parent = nullptr);

    QTabWidget* PageControl = nullptr;
    QWidget* OstraBusTabSheet = nullptr;
    QLineEdit* CmdEdit = nullptr;
    QLineEdit* WriteEdit = nullptr;
    QLabel* WrBytesText = nullptr;
    QLabel* RdBytesText = nullptr;
    QPlainTextEdit* ReadMemo = nullptr;
    QLabel* ErrorText = nullptr;
    QLineEdit* TimeEdit = nullptr;
    QPushButton* ExecuteBtn = nullptr;

    void FormShow();
    void ExecuteBtnClick();

protected:
    void showEvent(QShowEvent* event) override;

private:
    CDevice& device_;
    std::function<void()> clearStatus_;
};

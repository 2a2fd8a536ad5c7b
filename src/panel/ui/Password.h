#pragma once
// The password window of the lock: a caption and prompt set by the caller, a masked edit, OK and
// Cancel. The text it gathers is handed to the controller and kept nowhere else.

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

class TPasswordForm : public QDialog {
    Q_OBJECT
public:
    explicit TPasswordForm(QWidget* parent = nullptr);

    QLabel* PromptLabel = nullptr;
    QLineEdit* PasswordEdit = nullptr;
    QPushButton* OkBtn = nullptr;
    QPushButton* CancelBtn = nullptr;

    // Sets caption and prompt and empties the edit.
    void Prepare(const QString& caption, const QString& prompt);
    // The typed text; the edit is emptied so the text stays nowhere in the window.
    std::string TakeText();

protected:
    void showEvent(QShowEvent* event) override;
};

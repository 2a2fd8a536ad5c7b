#pragma once
// The disclaimer that a build with an unreleased version text shows before it starts. OK stays
// disabled until a choice is made; only "I accept" gives the result OK.

#include <QDialog>

class QButtonGroup;
class QGroupBox;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;

class TAcceptForm : public QDialog {
    Q_OBJECT
public:
    explicit TAcceptForm(QWidget* parent = nullptr);

    QPlainTextEdit* Memo = nullptr;
    QGroupBox* RadioGroup = nullptr;
    QRadioButton* AcceptButton = nullptr;
    QRadioButton* DeclineButton = nullptr;
    QPushButton* OkBtn = nullptr;

    // -1 none, 0 "I accept", 1 "I do not accept".
    int ItemIndex() const;

    void RadioGroupClick();
    void OkBtnClick();

protected:
    void showEvent(QShowEvent* event) override;

private:
    QButtonGroup* group_ = nullptr;
};

#pragma once
// "Server Info": the free text that a gateway reports about itself.

#include "link/Connectcontroller.h"

#include <QDialog>
#include <QPlainTextEdit>
#include <QPushButton>

class TServerInfoForm : public QDialog {
public:
    static constexpr const char* ErrorText = "Error reading gateway info";

    explicit TServerInfoForm(IConnectionController* controller, QWidget* parent = nullptr);
    void FormShow();
    QPlainTextEdit* RemoteMemo() const { return remoteMemo_; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    IConnectionController* controller_;
    QPlainTextEdit* remoteMemo_;
    QPushButton* closeBtn_;
};

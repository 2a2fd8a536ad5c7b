#pragma once
// The traffic log window: the OstraBus lines of every transaction while it is shown and not
// paused. Created once and only hidden when closed; it is the link's traffic-log sink for as
// long as it lives.

#include "link/Trafficlines.h"

#include <QWidget>

class QPlainTextEdit;
class QPushButton;
class QToolButton;

class TOstraBusLogForm : public QWidget {
    Q_OBJECT
public:
    explicit TOstraBusLogForm(QWidget* parent = nullptr, size_t lineLimit = CTrafficLines::DefaultLimit);
    ~TOstraBusLogForm() override;

    QPlainTextEdit* LogMemo = nullptr;
    QToolButton* PauseBtn = nullptr;
    QPushButton* ClearBtn = nullptr;
    QPushButton* CopyBtn = nullptr;
    QPushButton* CloseBtn = nullptr;

    const CTrafficLines& Lines() const { return lines_; }

    void FormShow();
    void PauseBtnClick();
    void ClearBtnClick();
    void CopyBtnClick();
    void CloseBtnClick();

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    CTrafficLines lines_;
};

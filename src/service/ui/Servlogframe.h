#pragma once
// The service log's sector list and the memo that shows one sector, with the button that saves
// the whole log as text.

#include <QWidget>

class QListWidget;
class QPlainTextEdit;
class QPushButton;

class TServLogFrame : public QWidget {
    Q_OBJECT
public:
    explicit TServLogFrame(QWidget* parent = nullptr);
    QListWidget* SectorListBox = nullptr;
    QPlainTextEdit* ServLogMemo = nullptr;
    QPushButton* SaveServLogBtn = nullptr;
};

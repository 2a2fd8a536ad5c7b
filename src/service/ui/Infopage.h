#pragma once
// The main window's Info page: three report buttons over a read-only memo with its title.

#include <QWidget>

class QLabel;
class QPlainTextEdit;
class QPushButton;

class TInfoPage : public QWidget {
    Q_OBJECT
public:
    explicit TInfoPage(QWidget* parent = nullptr);
    QPushButton* ConfigInfoBtn = nullptr;
    QPushButton* ServLogBtn = nullptr;
    QPushButton* FaultsInfoBtn = nullptr;
    QLabel* StatsTextLabel = nullptr;
    QLabel* StatsLabel = nullptr;
    QPlainTextEdit* StatsMemo = nullptr;
};

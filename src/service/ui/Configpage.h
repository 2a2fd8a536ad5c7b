#pragma once
// The main window's Config page (backup of the unit's configuration to a file and its restore)
// and the restore's question with its two choices.

#include <QDialog>
#include <QWidget>

class QCheckBox;
class QPushButton;

class TConfigPage : public QWidget {
    Q_OBJECT
public:
    explicit TConfigPage(QWidget* parent = nullptr);
    QPushButton* SaveToFileBtn = nullptr;
    QPushButton* RestoreFromFileBtn = nullptr;
};

class TRestoreFromFileForm : public QDialog {
    Q_OBJECT
public:
    explicit TRestoreFromFileForm(QWidget* parent = nullptr);
    QCheckBox* CalCheckBox = nullptr;
    QCheckBox* CfgCheckBox = nullptr;
    QPushButton* YesBtn = nullptr;
    QPushButton* NoBtn = nullptr;
};

#pragma once
// The model dialog: the matching network's parameters (frequency, and per network type its
// inductors and fixed capacitors), one page per network type with a picture of its circuit,
// and the ranges of the Load and Tune capacitors. Its texts are stored by the tuning model
// window whichever way the dialog closes.

#include "service/Modelrules.h"

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;
class QTabWidget;

class TModelForm : public QDialog {
public:
    explicit TModelForm(QWidget* parent = nullptr);

    QLineEdit* FreqEdit = nullptr;
    QTabWidget* TypePageControl = nullptr; // pages "L" and "T"
    QLineEdit* LshEdit = nullptr;
    QLineEdit* CparEdit = nullptr;
    QLineEdit* LserEdit = nullptr;
    QLineEdit* CoutEdit = nullptr;
    QLineEdit* TLshEdit = nullptr;
    QLineEdit* TCparEdit = nullptr;
    QLabel* CshStaticText = nullptr;
    QLabel* CserStaticText = nullptr;
    QLabel* TCshStaticText = nullptr;
    QLabel* TCserStaticText = nullptr;
    QPushButton* CloseBtn = nullptr;

    void ShowTexts(const SModelTexts& texts);
    // The edits and the page shown now.
    SModelTexts Texts() const;
};

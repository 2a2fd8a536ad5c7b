#pragma once
// The splash window shown while the program starts: borderless, on top, centred, one picture.
// It closes itself after two seconds or on a click and frees itself when closed.

#include <QDialog>

class QLabel;
class QTimer;

class TSplashForm : public QDialog {
    Q_OBJECT
public:
    static constexpr int SplashInterval = 2000; // ms

    explicit TSplashForm(QWidget* parent = nullptr);

    QLabel* Image = nullptr;
    QTimer* SplashTimer = nullptr;

    void SplashTimerTimer();
    void ImageClick();

protected:
    void showEvent(QShowEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
};

#pragma once
// The main window's control notebook (`CtrlNotebook`, one page per unit kind with its mode and
// preset buttons) and the capacitor panel (`CapsCtrlPanel`: track bar, position edit, step edit,
// spin button and pF read-out for Load, Tune and the third capacitor). Controls only; the main
// window wires them to its handlers.

#include <QSlider>
#include <QWidget>
#include <array>
#include <functional>

class QLabel;
class QLineEdit;
class QStackedWidget;
class QToolButton;

// A vertical capacitor track bar whose selection marks the allowed range.
class TCapTrackBar : public QSlider {
    Q_OBJECT
public:
    explicit TCapTrackBar(QWidget* parent = nullptr);
    void SetSelection(int start, int end);
    int SelStart() const { return selStart_; }
    int SelEnd() const { return selEnd_; }
    // Where the handle is drawn, in the bar's coordinates.
    QRect HandleRect() const;
    // Sets the position without reporting a change.
    void SetPositionQuietly(int position);

protected:
    void paintEvent(QPaintEvent* event) override;
    // A new position is drawn only when it moves the handle: a pixel of the bar spans many
    // positions, and the polls move the capacitors a few positions at a time.
    void sliderChange(SliderChange change) override;

private:
    int selStart_ = 0;
    int selEnd_ = 0;
    QRect shownHandle_; // where the handle is (or is about to be) drawn
};

// Up and down arrows (`UpBtn`, `DownBtn`).
class TSpinButton : public QWidget {
    Q_OBJECT
public:
    explicit TSpinButton(QWidget* parent = nullptr);
    QToolButton* UpBtn = nullptr;
    QToolButton* DownBtn = nullptr;
};

class TCtrlPanel : public QWidget {
    Q_OBJECT
public:
    explicit TCtrlPanel(QWidget* parent = nullptr);

    QStackedWidget* CtrlNotebook = nullptr;
    QWidget* CtrlPage = nullptr;
    QWidget* CtrlCorvinaPage = nullptr;
    QWidget* CtrlIOPage = nullptr;
    QWidget* Ctrl3capPage = nullptr;

    // Mode and preset buttons, by kind.
    std::array<QToolButton*, 4> AutoBtns{};      // AutoBtn, AutoBtn1, AutoBtn2, AutoBtn3
    std::array<QToolButton*, 4> SerialBtns{};    // SerialBtn .. SerialBtn3
    std::array<QToolButton*, 2> ManualBtns{};    // ManualBtn, ManualBtn2
    QToolButton* NotAutoBtn = nullptr;
    std::array<QToolButton*, 4> PresetOnBtns{};  // PresetOnBtn .. PresetOnBtn3
    std::array<QToolButton*, 4> PresetOffBtns{}; // PresetOffBtn .. PresetOffBtn3
    std::array<QToolButton*, 2> ExtPresetOnBtns{}; // ExtPresetOnBtn, ExtPresetOnBtn2
    QToolButton* _3capAutoBtn = nullptr;
    QToolButton* _3capSerialBtn = nullptr;
    QToolButton* _3capPresetOnBtn = nullptr;
    QToolButton* _3capPresetOffBtn = nullptr;
    QLineEdit* _3capRatioEdit = nullptr;
    QToolButton* SetRatioBtn = nullptr;

    // Capacitor controls, index 0 Load, 1 Tune, 2 third capacitor.
    QWidget* CapsCtrlPanel = nullptr;
    std::array<QWidget*, 3> CapColumns{};
    std::array<TCapTrackBar*, 3> TrackBars{}; // ShTrackBar, SerTrackBar, _3capTrackBar
    std::array<QLineEdit*, 3> PosEdits{};     // ShPosEdit, SerPosEdit, _3capPosEdit
    std::array<QLineEdit*, 3> StepEdits{};    // ShStepEdit, SerStepEdit, _3capStepEdit
    std::array<TSpinButton*, 3> SpinButtons{};
    std::array<QLabel*, 3> CTexts{};          // ShCText, SerCText, _3capCText
    std::array<QLabel*, 3> Labels{};          // ShLabel, SerLabel, _3capLabel

    // Every mode and preset button of the notebook.
    std::vector<QToolButton*> AllButtons() const;
};

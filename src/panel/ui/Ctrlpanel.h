#pragma once
// The main window's control notebook (`CtrlNotebook`, one page per unit kind with its mode and
// preset buttons) and the capacitor panel (`CapsCtrlPanel`: track bar, position edit, step edit,
// spin button and pF read-out for Load, Tune and the third capacitor). Controls only; the main
// window wires them to its handlers.

#include "panel/ui/Itempainter.h"

#include <QFont>
#include <QGlyphRun>
#include <QLabel>
#include <QLineEdit>
#include <QRawFont>
#include <QSlider>
#include <QStyleOptionSlider>
#include <QWidget>
#include <array>
#include <functional>
#include <optional>

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
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    // A new position is drawn only when it moves the handle: a pixel of the bar spans many
    // positions, and the polls move the capacitors a few positions at a time. Then only the
    // strip across the bar from where the handle was to where it goes is drawn.
    void sliderChange(SliderChange change) override;

private:
    // The style's description of the bar for placing the handle, kept while the size, range
    // and look stay (filling it in anew cost more than placing the handle).
    const QStyleOptionSlider& HandleOption() const;

    int selStart_ = 0;
    int selEnd_ = 0;
    QRect shownHandle_; // where the handle is (or is about to be) drawn
    mutable std::optional<QStyleOptionSlider> handleOption_;
    mutable bool keptInverted_ = false;
    mutable const QStyle* keptStyle_ = nullptr;
};

// A widget font's numbers drawn from their glyphs side by side, as a text layout places them
// (no font shapes digits, signs and points into anything else): a number changing on every poll
// is drawn without laying a text out. Another text is drawn as text.
class TNumberGlyphs {
public:
    struct Number {
        QString text;
        const QFont* font = nullptr;
        std::optional<QGlyphRun> run; // none for a text that is not a number
        int width = 0;
        int ascent = 0;
        int height = 0;      // of a line of the font
        qreal exactAscent = 0; // unrounded, and of a line without leading
        qreal exactHeight = 0;
        // Draws the number with its baseline's left end at baseline, in the painter's pen.
        void Draw(QPainter& p, const QPointF& baseline) const;
    };
    Number Of(const QFont& font, const QString& text);

private:
    QFont font_;
    std::optional<QRawFont> raw_;
    SItemTextCache::NumberGlyphs known_; // what raw_ was asked of its number characters
    int ascent_ = 0;
    int height_ = 0;
    qreal exactAscent_ = 0;
    qreal exactHeight_ = 0;
};

// A label for a capacitance, which changes on every poll that moves the capacitor: it draws
// its number itself, where and as the label would, without laying a text out. Its numbers are
// set with ShowNumber; a text set directly is drawn by the label as ever.
class TNumberLabel : public QLabel {
    Q_OBJECT
public:
    explicit TNumberLabel(QWidget* parent = nullptr);
    void ShowNumber(const QString& number);
    // What the label shows.
    QString Shown() const { return drawn_ && text() == textWhenDrawn_ ? *drawn_ : text(); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::optional<QString> drawn_;
    QString textWhenDrawn_; // the label's own text when the number drawn was set
    TNumberGlyphs glyphs_;
};

// A capacitor position edit. The polls change its number several times a second while nobody
// edits it: then the edit draws the number itself, as the line edit would, without laying a
// text out, and the number becomes the edit's text when the edit takes the focus or a drop, so
// that editing starts from what was shown. Its numbers are set with ShowNumber.
class TCapPosEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit TCapPosEdit(const QString& text, QWidget* parent = nullptr);
    // Shows a number: as the edit's text while it has the focus, else drawn.
    void ShowNumber(const QString& number);
    // What the edit shows.
    QString Shown() const { return drawn_ ? *drawn_ : text(); }

protected:
    void paintEvent(QPaintEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;

private:
    // The number drawn becomes the edit's text.
    void TakeOver();

    std::optional<QString> drawn_; // drawn in place of the edit's own text
    QRect textArea_;               // where the number was drawn last, inside the frame
    TNumberGlyphs glyphs_;
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
    std::array<TCapPosEdit*, 3> PosEdits{};   // ShPosEdit, SerPosEdit, _3capPosEdit
    std::array<QLineEdit*, 3> StepEdits{};    // ShStepEdit, SerStepEdit, _3capStepEdit
    std::array<TSpinButton*, 3> SpinButtons{};
    std::array<TNumberLabel*, 3> CTexts{};    // ShCText, SerCText, _3capCText
    std::array<QLabel*, 3> Labels{};          // ShLabel, SerLabel, _3capLabel

    // Every mode and preset button of the notebook.
};

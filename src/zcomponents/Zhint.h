#pragma once
// TzHint makes the application show its tool tips in TzHintWindow: a hint window with a 3-D
// frame, a width limited to a share of the screen, four placements around the mouse cursor and
// a tolerance for mouse movement before it closes. Every setting lives in the shared hint style
// record (HintStyle), so all TzHint components and the hint window share them.

#include "zcomponents/Mystd.h"

#include <QObject>
#include <QWidget>

class QHelpEvent;

// Where a hint of the given size goes for an anchor point, kept 8 pixels inside the screen.
QPoint PlaceHint(QPoint anchor, QSize size, TzHintPos position, QSize screen);

class TzHintWindow : public QWidget {
public:
    TzHintWindow();

    // Measures the text, sizes, places and shows the window (unless OnHintShow says no).
    void ActivateHint(const QRect& rect, const QString& text);
    // The same with a given cursor position and screen size.
    void ActivateHintAt(const QRect& rect, const QString& text, QPoint cursor, QSize screen);
    // Whether a message closes the hint: the mouse moved more than MoveBeforeOff times, a
    // button was pressed, a key went down or the wheel turned.
    bool IsHintMsg(const QEvent* event);
    QString Caption() const { return windowTitle(); }
    int MoveCount() const { return moves_; }

    // The one hint window of the application.
    static TzHintWindow& Instance();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int moves_ = 0;
};

class TzHint : public QObject {
public:
    // Puts the shared hint style back to its start values.
    explicit TzHint(QObject* owner = nullptr);

    void Loaded();
    // Makes the application show its tool tips in TzHintWindow (from now on, process-wide).
    void UpDate();
    // True once any TzHint has done so.
    static bool Installed();

    TColor HighLightColor() const { return HintStyle().HighLightColor; }
    void SetHighLight(TColor c);
    TColor ShadowColor() const { return HintStyle().ShadowColor; }
    void SetShadow(TColor c);
    TzHintPos HintPosition() const { return HintStyle().HintPosition; }
    void SetPos(TzHintPos p);
    // 1..10; other values are refused.
    TzHintDiv PartOfScreen() const { return HintStyle().PartOfScreen; }
    void SetDiv(TzHintDiv d);
    // 2..20; other values are refused.
    TzMoveDist MoveBeforeOff() const { return HintStyle().MoveBeforeOff; }
    void SetMov(TzMoveDist d);
    bool MultiLine() const { return HintStyle().MultiLine; }
    void SetMulti(bool b);
    bool Use3D() const { return HintStyle().Use3D; }
    void Set3D(bool b);
    void SetOnPaint(TNotifyEvent e);
    void SetOnShowHint(THintShowEvent e);
    QFont Font() const { return HintStyle().Font; }
    TColor FontColor() const { return HintStyle().FontColor; }
    void SetFont(const QFont& font, TColor color);
};

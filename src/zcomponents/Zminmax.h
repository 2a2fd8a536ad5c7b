#pragma once
// TzMinMax limits how small and how large the user can make its form and where and how large
// the form is when maximised (it answers the window system's min/max query for the form); it
// can keep a maximised form clear of the desktop's task bar. TzCompCanvas gives code a canvas
// that draws onto another control between an explicit start and end.

#include <QImage>
#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QSize>
#include <QWidget>
#include <functional>
#include <memory>
#include <stdexcept>

class QPainter;

// The window system's min/max record.
struct TMinMaxInfo {
    QSize MaxSize;       // size when maximised
    QPoint MaxPosition;  // position when maximised
    QSize MinTrackSize;  // smallest size the user can drag to
    QSize MaxTrackSize;  // largest size the user can drag to
};

// A rectangle as left, top, right, bottom (right and bottom excluded).
struct TzRect {
    int Left = 0, Top = 0, Right = 0, Bottom = 0;
};

// Last word on the values of each query.
using TAskSize = std::function<void(QObject* Sender, int& MinDragWidth, int& MinDragHeight,
                                    int& MaxWidth, int& MaxHeight, int& MaxDragWidth,
                                    int& MaxDragHeight, int& Maxleft, int& MaxTop)>;

class TzMinMax : public QObject {
public:
    // Throws EzcComponentError "NoForm" when no form owns it.
    explicit TzMinMax(QObject* owner);
    ~TzMinMax() override;

    bool AutoTaskBarAjust() const { return autoTaskBarAjust_; }
    void SetAutoTaskBarAjust(bool b);
    int MinDragWidth() const { return minDragWidth_; }
    void SetMinDragWidth(int v);
    int MinDragHeight() const { return minDragHeight_; }
    void SetMinDragHeight(int v);
    int MaxWidth() const { return maxWidth_; }
    void SetMaxWidth(int v);
    int MaxHeight() const { return maxHeight_; }
    void SetMaxHeight(int v);
    int MaxDragWidth() const { return maxDragWidth_; }
    void SetMaxDragWidth(int v);
    int MaxDragHeight() const { return maxDragHeight_; }
    void SetMaxDragHeight(int v);
    int MaxLeft() const { return maxLeft_; }
    void SetMaxLeft(int v);
    int MaxTop() const { return maxTop_; }
    void SetMaxTop(int v);
    bool UseDefaultSize() const { return useDefaultSize_; }
    void SetUseDefaultSize(bool b);
    // True gives a tool window its own task-bar button back.
    bool ShowOnStatusBar() const { return showOnStatusBar_; }
    void SetShowOnStatusBar(bool b);

    // The owner has finished setting properties: from now on the form's size is limited.
    void Loaded();
    bool Hooked() const { return hooked_; }

    // Keeps the limits in order and brings the form's size within them (nothing with
    // UseDefaultSize).
    virtual void SetSize();
    // Answers the min/max query: the record holds the window system's values on entry.
    void MinMaxQuery(TMinMaxInfo& info);

    // The screen size and the task bar's rectangle; false when there is no task bar. By
    // default the strip of the form's screen that is not available to windows.
    std::function<bool(QSize& screen, TzRect& taskBar)> TaskBar;
    TAskSize OnSizeChange;

protected:
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    // Asks the query with the window system's values and applies the answer to the form.
    void Apply();
    TMinMaxInfo SystemInfo() const;

    QWidget* form_;
    bool autoTaskBarAjust_ = false;
    int minDragWidth_ = 0, minDragHeight_ = 0;
    int maxWidth_ = 600, maxHeight_ = 400;
    int maxDragWidth_ = 600, maxDragHeight_ = 400;
    int maxLeft_ = 0, maxTop_ = 0;
    bool useDefaultSize_ = false;
    bool hooked_ = false;
    bool showOnStatusBar_ = false;
    bool applying_ = false;
};

// Misuse of TzCompCanvas.
class EzCompCanvasException : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class TzCompCanvas : public QObject {
public:
    explicit TzCompCanvas(QObject* owner = nullptr);
    ~TzCompCanvas() override;

    // The canvas; null unless drawing.
    QPainter* Canvas() const { return painter_.get(); }
    QWidget* ControlComponent() const { return control_; }
    // Ends a drawing in progress first.
    void SetControlComponent(QWidget* control);
    bool Drawing() const { return drawing_; }

    // Begins drawing on the control: "We are allready drawing" when drawing, "No component to
    // draw on" without a control.
    void StartPaint();
    // Ends it: what was drawn appears over the control. "We are not drawing" when idle.
    void EndPaint();

private:
    void Finish();

    QPointer<QWidget> control_;
    QPointer<QWidget> overlay_;
    QImage layer_;
    std::unique_ptr<QPainter> painter_;
    bool drawing_ = false;
};

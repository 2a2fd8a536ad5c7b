#pragma once
// TzMovePanel (a panel the user drags at run time, showing a focus rectangle while dragging,
// that can stick to an edge of its parent), TzTabListbox (a list box with tab stops in pixels
// that keeps its horizontal scroll range fitted to its longest line) and TzTitleBar (hides or
// shows its form's caption bar and lets the user move a form without caption by dragging it),
// with the unit's small window routines.

#include "platform/Color.h"
#include "zcomponents/Zcontrol.h"

#include <QListWidget>
#include <QObject>
#include <QPointer>
#include <QString>
#include <cstdint>
#include <functional>
#include <memory>
#include <stdexcept>

class QHeaderView;
class QRubberBand;

// A component without the form it needs.
class EComponentError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The nearest window up the component's owner chain; throws EComponentError "NoForm" when none.
QWidget* FindForm(QObject* component);
// Whether another instance of the program runs: never, here.
bool IsPrevius();
// Dialog units and pixels by the application font's average character width and height.
int DlgUnitsToPixelsX(int units);
int DlgUnitsToPixelsY(int units);
int PixelsToDlgUnitsX(int pixels);
int PixelsToDlgUnitsY(int pixels);
// Average character width of a font over the 52 letters.
double AverageCharWidth(const QFont& font);

enum TzStickType : std::uint8_t { stNone, stleft, stTop, stRight, stBottom, stBoth };
enum TAlign : std::uint8_t { alNone, alTop, alBottom, alLeft, alRight };

using TBeforeUpdateEvent =
    std::function<void(QObject* Sender, int& Left, int& Top, int& Width, int& Height)>;

class TzMovePanel : public TzGraphicControl {
public:
    explicit TzMovePanel(QWidget* parent = nullptr);
    ~TzMovePanel() override;

    void Loaded();

    QString Caption() const { return caption_; }
    void SetCaption(const QString& s);
    TColor Color() const { return color_; }
    void SetColor(TColor c);
    TBevelCut BevelOuter() const { return bevelOuter_; }
    void SetBevelOuter(TBevelCut cut);
    bool StickOldStyle() const { return stickOldStyle_; }
    void SetOldStyle(bool b);
    TzStickType StickWhere() const { return stickWhere_; }
    void SetStick(TzStickType where);
    // The edge the panel is aligned to (without StickOldStyle).
    TAlign Align() const { return align_; }
    bool Dragging() const { return dragging_; }
    // The focus rectangle shown while dragging (screen coordinates).
    QRect FocusRect() const { return focusRect_; }

    TBeforeUpdateEvent OnBeforeUpdate;

    virtual void DoStick();
    virtual void DoUpdate();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void SetAlign(TAlign align);
    void ApplyAlign();
    void ShowFocusRect();

    QString caption_;
    TColor color_ = clBtnFace;
    TBevelCut bevelOuter_ = bvRaised;
    bool stickOldStyle_ = true;
    bool dragging_ = false;
    QPoint start_;
    QPoint last_;
    QRect focusRect_;
    std::unique_ptr<QRubberBand> band_;
    TzStickType stickWhere_ = stNone;
    TAlign align_ = alNone;
};

// A tab table that cannot be set.
class EzTabListboxError : public std::runtime_error {
public:
    EzTabListboxError() : std::runtime_error("TabError") {}
};

using TListChangeEvent = std::function<void(QObject* Sender, int PreviousIndex)>;
using TListScrollEvent = std::function<void(QObject* Sender, int ScrollCode, int Bar, int Position)>;

class TzTabListbox : public QListWidget {
public:
    static constexpr int MaxTabs = 128;

    explicit TzTabListbox(QWidget* parent = nullptr);

    // Sets the tab stops 25, 50, ... 200.
    void Loaded();
    // Tab stops in pixels, ascending and positive; ignored while the list is empty; a table that
    // cannot be used throws EzTabListboxError and changes nothing.
    void SetTabStops(const QList<int>& positions);
    // Tab stops at the cumulative widths of header sections.
    void SetFromHeader(const QList<int>& sectionWidths);
    // Tab stops at each section's right edge.
    void SetfromHeaderControl(const QHeaderView& header);
    const QList<int>& TabStops() const { return tabs_; }

    // The widest line's extent in pixels (the horizontal scroll range).
    int HorizontalExtent() const { return extent_; }
    int GetLBStringLength(const QString& text) const;
    void LongestString();

    bool AutoFocus() const { return autoFocus_; }
    void SetAutoFocus(bool b) { autoFocus_ = b; }
    bool SizeAfterDel() const { return sizeAfterDel_; }
    void SetSizeAfterDel(bool b) { sizeAfterDel_ = b; }

    TListChangeEvent OnChange;
    TNotifyEvent OnMouseEnter;
    TNotifyEvent OnMouseLeave;
    TListScrollEvent OnScroll;

protected:
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    void InternalSetTabs(QList<int> positions);
    void SetScrollLength(const QString& text);
    void DoChange(int row);

    bool autoFocus_ = false;
    int extent_ = 0;
    QList<int> tabs_;
    bool sizeAfterDel_ = true;
    int lastIndex_ = -1;
};

enum TFormBorderStyle : std::uint8_t { bsNone, bsSingle, bsSizeable, bsDialog };

class TzTitleBar : public QObject {
public:
    // owner: a component on the form, or the form itself.
    explicit TzTitleBar(QObject* owner);

    void Loaded();

    bool TitleBarOnFormShow() const { return titleBarOnFormShow_; }
    void SetTitleBarOnFormShow(bool b) { titleBarOnFormShow_ = b; }
    bool AllowMoveWhitoutTitle() const { return allowMove_; }
    void SetAllowMoveWhitoutTitle(bool b) { allowMove_ = b; }
    // Whether the form shows its caption bar now.
    bool IsShowTitleBar() const;
    bool ShowTitleBar() const { return shown_; }
    void SetTitleBar(bool show);
    // The form's border, as taken when the component was made.
    TFormBorderStyle BorderStyle() const { return border_; }

    TNotifyEvent OnChange;

    virtual void DoOnChange();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QPointer<QWidget> form_;
    bool titleBarOnFormShow_ = true;
    bool shown_ = true;
    bool allowMove_ = true;
    bool moving_ = false;
    QPoint grab_;
    TFormBorderStyle border_ = bsSizeable;
    Qt::WindowFlags captionHints_;
};

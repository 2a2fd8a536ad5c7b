#pragma once
// TzTrayIcon puts an icon in the desktop's notification area (QSystemTrayIcon) and turns the
// mouse messages it reports into component events and popup menus; TzcTrayMeter draws its own
// 16 x 16 icon as a bar meter of Value between Min and Max with an optional percent figure and
// formats its tool tip from the value. Where the desktop has no notification area both keep
// their settings, report that the icon is not shown, and do nothing else.

#include "platform/Color.h"
#include "zcomponents/Std2.h"
#include "zcomponents/Zcontrol.h"

#include <QIcon>
#include <QImage>
#include <QMenu>
#include <QObject>
#include <QPointer>
#include <cstdint>
#include <memory>

class QSystemTrayIcon;
class QWidget;

// The mouse messages the notification area reports for an icon.
enum TzTrayMessage : std::uint8_t {
    tmMouseMove, tmLButtonDown, tmLButtonUp, tmLButtonDblClk, tmRButtonDown, tmRButtonUp,
    tmRButtonDblClk, tmMButtonDown, tmMButtonUp, tmMButtonDblClk
};

using TTrayAskEndSessionEvent = std::function<void(QObject* Sender, bool& MayEnd)>;
using TDefaultMenuEvent = std::function<void(QObject* Sender, bool& Run)>;

class TzTrayIcon : public QObject {
public:
    static constexpr int MaxToolTip = 62;

    // owner: the form the component sits on (may be null).
    explicit TzTrayIcon(QWidget* owner = nullptr);
    ~TzTrayIcon() override;

    // The desktop has a notification area.
    static bool TrayAvailable();
    // The icon is in the notification area now.
    bool Shown() const;

    bool Active() const { return active_; }
    void SetActive(bool b);
    // Design-time display; kept only (there is no design mode here).
    bool ShowDesigning() const { return showDesigning_; }
    void SetShowDesigning(bool b) { showDesigning_ = b; }
    QIcon Icon() const { return icon_; }
    void SetIcon(const QIcon& icon);
    QString ToolTip() const { return toolTip_; }
    virtual void SetToolTip(const QString& tip);
    // The tip text the notification area shows.
    QString ShownToolTip() const;
    bool HideParentForm() const { return hideParentForm_; }
    void SetHideForm(bool b);
    QMenu* PopupMenu() const { return popupMenu_; }
    void SetPopupMenu(QMenu* menu) { popupMenu_ = menu; }
    QMenu* LeftPopupMenu() const { return leftPopupMenu_; }
    void SetPopupMenuL(QMenu* menu) { leftPopupMenu_ = menu; }
    bool DoDefaultMenu() const { return doDefaultMenu_; }
    void SetDoDefaultMenu(bool b) { doDefaultMenu_ = b; }

    // Adds, refreshes or removes the icon; AddIcon answers whether it is shown.
    bool AddIcon();
    void ModifyIcon();
    void DeleteIcon();

    // What the hidden window does with one mouse message of the icon at a screen position.
    void HandleTrayMessage(TzTrayMessage message, const QPoint& position);
    // The keyboard modifiers held now.
    virtual Qt::KeyboardModifiers GetShift() const;
    // Runs PopupMenu's default item on a double click; true when it ran.
    virtual bool CheckMenu();

    TNotifyEvent OnClick;
    TNotifyEvent OnDblClick;
    TMouseEvent OnRightClick;
    TMouseEvent OnRightDblClick;
    TMouseEvent OnMidClick;
    TMouseEvent OnMidDblClick;
    TMouseEvent OnMouseDown;
    TMouseEvent OnMouseUp;
    TMouseMoveEvent OnMouseMove;
    TNotifyEvent OnleftMenu;
    TNotifyEvent OnRightMenu;
    TDefaultMenuEvent OnDefaultMenu;
    TTrayAskEndSessionEvent OnAskEndSession;

protected:
    // The text the tip shows (the meter formats it).
    virtual QString TipText() const { return toolTip_; }

private:
    void CheckMenuPopup(const QPoint& position, bool left);
    void ApplyHideForm();

    QPointer<QWidget> owner_;
    std::unique_ptr<QSystemTrayIcon> tray_;
    QIcon icon_;
    QString toolTip_;
    bool active_ = false;
    bool showDesigning_ = false;
    bool hideParentForm_ = false;
    bool doDefaultMenu_ = false;
    bool leftDown_ = false, rightDown_ = false, middleDown_ = false;
    QPointer<QMenu> popupMenu_;
    QPointer<QMenu> leftPopupMenu_;
};

enum TzcTMDir : std::uint8_t { TzcTM_Up, TzcTM_Down, TzcTM_Left, TzcTM_Right };
enum TzcTrayHintStyle : std::uint8_t { thsPctBar, thsTotalBar, thsTotPct, thsPctTot };

class TzcTrayMeter : public TzTrayIcon {
public:
    static constexpr int IconSize = 16;

    explicit TzcTrayMeter(QWidget* owner = nullptr);

    std::int32_t Min() const { return min_; }
    std::int32_t Max() const { return max_; }
    std::int32_t Value() const { return value_; }
    // Max stays above Min: a Max at or below Min becomes Min + 1; Value is kept in range.
    void SetMin(std::int32_t v);
    void SetMax(std::int32_t v);
    void SetValue(std::int32_t v);
    std::uint8_t Percent() const;
    void SetPercent(std::uint8_t p);

    TColor Color() const { return color_; }
    void SetColor(TColor c);
    TColor FrameColor() const { return frameColor_; }
    void SetFrameColor(TColor c);
    TColor PctColor() const { return pctColor_; }
    void SetPctColor(TColor c);
    TColor BarColor() const { return barColor_; }
    void SetBarColor(TColor c);
    bool UsePctOnBar() const { return usePctOnBar_; }
    void SetUsePctOnBar(bool b);
    bool UseLed() const { return useLed_; }
    void SetUseLed(bool b);
    TzcTMDir Direction() const { return direction_; }
    void SetDirection(TzcTMDir d);
    TzcTrayHintStyle ToolTipStyle() const { return toolTipStyle_; }
    void SetToolTipStyle(TzcTrayHintStyle s);
    // The tool tip is a format string ("%d%%") filled by ToolTipStyle.
    void SetToolTip(const QString& tip) override;

    // The meter's picture as last built.
    const QImage& IconImage() const { return image_; }
    void BuildIcon();

protected:
    QString TipText() const override { return tipText_; }

private:
    template <class T> void Change(T& field, T value);

    std::int32_t min_ = 0, max_ = 100, value_ = 0;
    TColor color_ = clBtnFace;
    TColor frameColor_ = clBlack;
    TColor pctColor_ = clBlack;
    TColor barColor_ = clLime;
    bool usePctOnBar_ = true;
    bool useLed_ = false;
    TzcTMDir direction_ = TzcTM_Up;
    TzcTrayHintStyle toolTipStyle_ = thsPctBar;
    QString tipText_;
    QImage image_;
};

#pragma once
// TzSplashForm: a splash screen dropped on the main form. When the form is loaded it shows a
// framed, optionally round panel with a picture in a frameless window of its own, centred on
// the screen; it stays until the form has painted itself, waits a set time and is then removed.

#include "platform/Color.h"
#include "zcomponents/Std2.h"

#include <QImage>
#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QRect>
#include <QRegion>
#include <QSize>
#include <QWidget>
#include <functional>


enum zSplashStyleType : std::uint8_t { ssZRectangle, ssZEllipse, ssCircle };

class TzSplashForm : public QObject {
public:
    // Watches the owning form's painting; throws EzcComponentError "NoForm" without a form.
    explicit TzSplashForm(QObject* owner);
    ~TzSplashForm() override;

    std::uint16_t MainFormDelay() const { return mainFormDelay_; }
    void SetMainFormDelay(std::uint16_t ms) { mainFormDelay_ = ms; }
    bool Fill() const { return fill_; }
    void SetFill(bool b) { fill_ = b; }
    zSplashStyleType Shape() const { return shape_; }
    void SetShape(zSplashStyleType s) { shape_ = s; }
    TColor Color() const { return color_; }
    void SetColor(TColor c) { color_ = c; }
    TColor HighligtColor() const { return highligtColor_; }
    void SetHighligtColor(TColor c) { highligtColor_ = c; }
    TColor ShadowColor() const { return shadowColor_; }
    void SetShadowColor(TColor c) { shadowColor_ = c; }
    bool DrawFrame() const { return drawFrame_; }
    void SetDrawFrame(bool b) { drawFrame_ = b; }
    TColor FrameColor() const { return frameColor_; }
    void SetFrameColor(TColor c) { frameColor_ = c; }
    std::uint16_t FrameThickness() const { return frameThickness_; }
    void SetFrameThickness(std::uint16_t t) { frameThickness_ = t; }
    std::uint16_t FrameMargin() const { return frameMargin_; }
    void SetFrameMargin(std::uint16_t m) { frameMargin_ = m; }
    bool Use3D() const { return use3D_; }
    void SetUse3D(bool b) { use3D_ = b; }
    int AddWidth() const { return addWidth_; }
    void SetAddWidth(int w) { addWidth_ = w; }
    int AddHeight() const { return addHeight_; }
    void SetAddHeight(int h) { addHeight_ = h; }
    bool AdjustforFrame() const { return adjustforFrame_; }
    void SetAdjustforFrame(bool b) { adjustforFrame_ = b; }
    bool MoveSplashUp() const { return moveSplashUp_; }
    void SetMoveSplashUp(bool b) { moveSplashUp_ = b; }
    bool RealTransparent() const { return realTransparent_; }
    void SetRealTransparent(bool b) { realTransparent_ = b; }
    TColor TransparentColor() const { return transparentColor_; }
    // A change switches AutoBackColor off.
    void SetTransparentColor(TColor c);
    bool AutoBackColor() const { return autoBackColor_; }
    // True takes the transparent colour from the picture's bottom-left pixel.
    void SetAutoBackColor(bool b);
    const QImage& BitMap() const { return bitMap_; }
    void SetBitMap(const QImage& bitmap);
    // Loads any picture into BitMap; an empty picture changes nothing.
    void SetPicture(const QImage& picture);

    // The owner has finished setting properties: the splash is made and shown.
    void Loaded();
    // Computes size, position and outline of the splash for the current picture.
    virtual void MakeSplash();
    // Shows the splash (again).
    virtual void DoSplash();
    // Removes it.
    virtual void DoRemove();

    // The splash in screen coordinates, the picture's place inside it, and its outline.
    QRect SplashRect() const { return QRect(left_, top_, width_, height_); }
    QPoint BitmapOffset() const { return bitmapOffset_; }
    const QRegion& Region() const { return region_; }
    // The splash has been removed, or its removal has begun.
    bool Done() const { return done_; }
    // The window showing the splash; null when none is shown.
    QWidget* SplashWindow() const { return window_; }
    // The splash as drawn, in its own coordinates.
    QImage RenderSplash() const;

    // The screen the splash is centred on (the primary screen's size by default).
    std::function<QSize()> ScreenSize;

    TNotifyEvent OnBeforeClose, OnBeforeShow, OnAfterClose, OnShow, OnBeforeDelay, OnCreate;

protected:
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    void FormPainted();
    void PickBackColor();

    QWidget* form_;
    QPointer<QWidget> window_;
    QRegion region_;
    int width_ = 0, height_ = 0, left_ = 0, top_ = 0;
    QPoint bitmapOffset_;
    bool done_ = true;
    std::uint16_t mainFormDelay_ = 500;
    bool fill_ = true;
    zSplashStyleType shape_ = ssZRectangle;
    TColor color_ = clBtnFace;
    TColor highligtColor_ = clBtnHighlight;
    TColor shadowColor_ = clBtnShadow;
    bool drawFrame_ = true;
    TColor frameColor_ = clFuchsia;
    std::uint16_t frameThickness_ = 4;
    std::uint16_t frameMargin_ = 8;
    bool use3D_ = true;
    QImage bitMap_;
    int addWidth_ = 0, addHeight_ = 0;
    bool adjustforFrame_ = true;
    bool moveSplashUp_ = true;
    bool autoBackColor_ = false;
    TColor transparentColor_ = clWhite;
    bool realTransparent_ = false;
};

#pragma once
// Picture controls. TzcCustomBitmap owns a bitmap, can treat one colour of it as transparent
// (replaced by the background, or letting the parent show through) and applies the raster
// effects to it in place. TzBitmap paints it as is, stretched or centred. TzResBitmap is a
// bitmap loaded from the program's own resources.

#include "platform/Color.h"
#include "zcomponents/Zcontrol.h"
#include "zcomponents/Zraster.h"

#include <QImage>
#include <QString>

enum zcBitmapDraw : std::uint8_t { bdDrawNormal, bdDrawStretch, bdDrawCenter };

class TzcCustomBitmap : public TzGraphicControl {
public:
    explicit TzcCustomBitmap(QWidget* parent = nullptr);

    bool RealTransparent() const { return realTransparent_; }
    void SetRealTransparent(bool b);
    bool AutoBackColor() const { return autoBackColor_; }
    // True takes the transparent colour from the bitmap's bottom-left pixel.
    void SetAuto(bool b);
    const QImage& BitMap() const { return bitMap_; }
    // With the normal draw mode the control takes the bitmap's size (30 for an empty side).
    void SetBitMap(const QImage& bitmap);
    TColor TransparentColor() const { return transparentColor_; }
    // A change switches AutoBackColor off.
    void SetTransparentColor(TColor c);
    bool Transparent() const { return transparent_; }
    void SetTransparent(bool b);

    // Effects on the bitmap in place (the transparent colour is picked first where it counts).
    void Darken(bool keepTransparent, TPercentType percent);
    void Lighten(bool keepTransparent, TPercentType percent);
    void GreyScale(bool keepTransparent);
    void Raster(TzRast pattern);
    void ColorNoise(int amount);
    void BWNoise(int amount);
    void Contrast(int amount);
    void Saturation(int amount);
    void Sharpen(int amount);
    void Blur(int radius);
    void GaussianBlur(int radius);
    void Flip();
    void Mirror();
    void ReplaceColor(TColor oldColor, TColor newColor);
    // Black and white pixels only: white stays white, every other colour becomes black.
    void BW();
    // The bitmap turned by the angle (degrees) on a control-sized ground of the transparent
    // colour.
    void Rotate(int angle);

    TNotifyEvent OnPaint;

protected:
    zcBitmapDraw DrawMode() const { return drawMode_; }
    void SetDrawMode(zcBitmapDraw mode);
    int FrameIndex() const { return frame_; }
    void SetFrameIndex(int frame) { frame_ = frame; }
    // Takes the transparent colour from the bitmap when AutoBackColor.
    void PickTransparent();
    // The parent repaints the area under the control, then the control repaints.
    void InvalidateWithParent();
    // Paints frame FrameIndex of the work picture over the control (the source is the
    // control-sized slice at Width x frame), with the transparent colour handled; an empty
    // bitmap paints white. Fires OnPaint.
    void PaintPicture(const QImage& work);

private:
    void Changed();

    bool realTransparent_ = false;
    bool autoBackColor_ = false;
    QImage bitMap_;
    TColor transparentColor_ = clWhite;
    int frame_ = 0;
    bool transparent_ = true;
    zcBitmapDraw drawMode_ = bdDrawNormal;
};

class TzBitmap : public TzcCustomBitmap {
public:
    explicit TzBitmap(QWidget* parent = nullptr);

    zcBitmapDraw DrawType() const { return DrawMode(); }
    void SetDrawType(zcBitmapDraw mode) { SetDrawMode(mode); }

protected:
    void paintEvent(QPaintEvent* e) override;
};

// A bitmap from the program's resources (the name without or with its ":/" prefix); a name the
// program does not hold, or data that is no picture, throws std::runtime_error.
class TzResBitmap : public QImage {
public:
    explicit TzResBitmap(const QString& resourceName);
};

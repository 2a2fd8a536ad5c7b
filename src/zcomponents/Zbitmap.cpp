#include "zcomponents/Zbitmap.h"

#include "zcomponents/Zcolor.h"
#include "zcomponents/Zdraw.h"

#include <QFile>
#include <QPainter>
#include <stdexcept>

namespace {

constexpr int kDefaultSize = 30;
const QRgb kWhite = qRgb(255, 255, 255);

} // namespace

// ---- TzcCustomBitmap ----

TzcCustomBitmap::TzcCustomBitmap(QWidget* parent) : TzGraphicControl(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent, true);
    resize(kDefaultSize, kDefaultSize);
}

void TzcCustomBitmap::PickTransparent()
{
    // The bottom-left pixel of the bitmap itself, whatever the control's height.
    if (autoBackColor_ && bitMap_.height() >= 1)
        transparentColor_ = BottomLeftColor(bitMap_);
}

void TzcCustomBitmap::InvalidateWithParent()
{
    if (QWidget* parent = parentWidget())
        parent->update(geometry());
    Invalidate();
}

void TzcCustomBitmap::Changed()
{
    PickTransparent();
    InvalidateWithParent();
}

void TzcCustomBitmap::SetBitMap(const QImage& bitmap)
{
    bitMap_ = bitmap;
    if (drawMode_ == bdDrawNormal)
        resize(bitmap.width() > 0 ? bitmap.width() : kDefaultSize,
               bitmap.height() > 0 ? bitmap.height() : kDefaultSize);
    if (bitMap_.height() >= 1)
        Changed();
    Invalidate();
}

void TzcCustomBitmap::SetTransparentColor(TColor c)
{
    if (c == transparentColor_)
        return;
    autoBackColor_ = false;
    transparentColor_ = c;
    Invalidate();
}

void TzcCustomBitmap::SetAuto(bool b)
{
    autoBackColor_ = b;
    if (bitMap_.height() >= 1)
        Changed();
    Invalidate();
}

void TzcCustomBitmap::SetTransparent(bool b)
{
    if (b == transparent_)
        return;
    transparent_ = b;
    InvalidateWithParent();
}

void TzcCustomBitmap::SetRealTransparent(bool b)
{
    if (b == realTransparent_)
        return;
    realTransparent_ = b;
    setAttribute(Qt::WA_OpaquePaintEvent, !b);
    InvalidateWithParent();
}

void TzcCustomBitmap::SetDrawMode(zcBitmapDraw mode)
{
    if (mode == drawMode_)
        return;
    drawMode_ = mode;
    InvalidateWithParent();
}

void TzcCustomBitmap::Darken(bool keepTransparent, TPercentType percent)
{
    PickTransparent();
    DarkenBMP(bitMap_, percent, keepTransparent, transparentColor_);
    Invalidate();
}

void TzcCustomBitmap::Lighten(bool keepTransparent, TPercentType percent)
{
    PickTransparent();
    LightenBMP(bitMap_, percent, keepTransparent, transparentColor_);
    Invalidate();
}

void TzcCustomBitmap::GreyScale(bool keepTransparent)
{
    PickTransparent();
    GreyBMP(bitMap_, keepTransparent, transparentColor_);
    Invalidate();
}

void TzcCustomBitmap::Raster(TzRast pattern)
{
    PickTransparent();
    RasterBMP(bitMap_, transparentColor_, pattern);
    if (realTransparent_ && isVisible()) {
        // The parent repaints behind the pattern's holes.
        hide();
        InvalidateWithParent();
        show();
    } else {
        Invalidate();
    }
}

void TzcCustomBitmap::ColorNoise(int amount)
{
    PickTransparent();
    AddColorNoise(bitMap_, amount);
    Invalidate();
}

void TzcCustomBitmap::BWNoise(int amount)
{
    PickTransparent();
    AddBWNoise(bitMap_, amount);
    Invalidate();
}

void TzcCustomBitmap::Contrast(int amount)
{
    PickTransparent();
    ::Contrast(bitMap_, amount);
    Invalidate();
}

void TzcCustomBitmap::Saturation(int amount)
{
    PickTransparent();
    ::Saturation(bitMap_, amount);
    Invalidate();
}

void TzcCustomBitmap::Sharpen(int amount)
{
    PickTransparent();
    ::Sharpen(bitMap_, amount);
    Invalidate();
}

void TzcCustomBitmap::Blur(int radius)
{
    PickTransparent();
    ::Blur(bitMap_, radius);
    Invalidate();
}

void TzcCustomBitmap::GaussianBlur(int radius)
{
    PickTransparent();
    ::GaussianBlur(bitMap_, radius);
    Invalidate();
}

void TzcCustomBitmap::Flip()
{
    FlipBMP(bitMap_);
    Invalidate();
}

void TzcCustomBitmap::Mirror()
{
    MirrorBMP(bitMap_);
    Invalidate();
}

void TzcCustomBitmap::ReplaceColor(TColor oldColor, TColor newColor)
{
    ::ReplaceColor(bitMap_, oldColor, newColor);
    Invalidate();
}

void TzcCustomBitmap::BW()
{
    PickTransparent();
    if (!bitMap_.isNull() && bitMap_.format() != QImage::Format_Mono &&
        bitMap_.format() != QImage::Format_MonoLSB) {
        QImage bw = bitMap_.convertToFormat(QImage::Format_RGB32);
        for (int y = 0; y < bw.height(); ++y) {
            auto* line = reinterpret_cast<QRgb*>(bw.scanLine(y));
            for (int x = 0; x < bw.width(); ++x)
                line[x] = (line[x] & 0xFFFFFFu) == (kWhite & 0xFFFFFFu) ? kWhite : qRgb(0, 0, 0);
        }
        bitMap_ = bw.convertToFormat(bitMap_.format());
    }
    Invalidate();
}

void TzcCustomBitmap::Rotate(int angle)
{
    PickTransparent();
    QImage work(size(), QImage::Format_RGB32);
    work.fill(ColorToQColor(transparentColor_));
    BMPRotate(bitMap_, work, angle);
    bitMap_ = work;
    Invalidate();
}

void TzcCustomBitmap::PaintPicture(const QImage& work)
{
    {
        QPainter p(this);
        const QRect dest = rect();
        if (bitMap_.height() < 1) {
            p.fillRect(dest, QColor(kWhite));
        } else {
            PickTransparent();
            const QRect source(width() * frame_, 0, width(), height());
            if (IsSystemColor(transparentColor_) || !transparent_) {
                p.drawImage(dest, work, source);
            } else if (realTransparent_) {
                TransparentDraw(p, QPoint(0, 0), work, source, transparentColor_);
            } else {
                const QColor face = ParentBrushColor(this);
                p.fillRect(dest, face);
                BrushCopy(p, dest, work, source, transparentColor_, face);
            }
        }
    }
    if (OnPaint)
        OnPaint(this);
}

// ---- TzBitmap ----

TzBitmap::TzBitmap(QWidget* parent) : TzcCustomBitmap(parent) {}

void TzBitmap::paintEvent(QPaintEvent* /*e*/)
{
    const QImage& bitmap = BitMap();
    if (bitmap.height() < 1 || DrawMode() == bdDrawNormal) {
        PaintPicture(bitmap);
        return;
    }
    PickTransparent();
    QImage work(size(), QImage::Format_RGB32);
    if (DrawMode() == bdDrawStretch) {
        work = bitmap.scaled(size(), Qt::IgnoreAspectRatio, Qt::FastTransformation)
                   .convertToFormat(QImage::Format_RGB32);
    } else {
        work.fill(ColorToQColor(TransparentColor()));
        QPainter p(&work);
        p.drawImage((width() - bitmap.width()) / 2, (height() - bitmap.height()) / 2, bitmap);
    }
    PaintPicture(work);
}

// ---- TzResBitmap ----

TzResBitmap::TzResBitmap(const QString& resourceName)
{
    const QString prefix = QStringLiteral(":/");
    const QString path = resourceName.startsWith(prefix) ? resourceName : prefix + resourceName;
    if (!QFile::exists(path) || !load(path))
        throw std::runtime_error(
            QStringLiteral("Bitmap image is not valid: \"%1\"").arg(resourceName).toStdString());
}

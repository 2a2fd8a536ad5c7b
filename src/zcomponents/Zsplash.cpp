#include "zcomponents/Zsplash.h"

#include "zcomponents/Zcolor.h"
#include "zcomponents/Zdraw.h"
#include "zcomponents/Zregion.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QPainter>
#include <QScreen>
#include <QWidget>
#include <algorithm>

namespace {

constexpr int kBorder = 4; // the 3-D border around the picture, both sides together

// The frameless window that shows the splash picture.
class SplashScreenWindow : public QWidget {
public:
    SplashScreenWindow()
        : QWidget(nullptr, Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint)
    {
        setAttribute(Qt::WA_ShowWithoutActivating);
        setObjectName("SplashWindow");
    }
    QImage picture;

protected:
    void paintEvent(QPaintEvent*) override { QPainter(this).drawImage(0, 0, picture); }
};

QSize PrimaryScreenSize()
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->geometry().size() : QSize(1024, 768);
}

// A GDI box (left, top, right, bottom) as the rectangle the arc and outline helpers take.
QRect Box(int l, int t, int r, int b)
{
    return QRect(l, t, r - l, b - t);
}

} // namespace

TzSplashForm::TzSplashForm(QObject* owner) : QObject(owner), form_(OwningForm(this))
{
    ScreenSize = PrimaryScreenSize;
    form_->installEventFilter(this);
}

TzSplashForm::~TzSplashForm()
{
    if (form_)
        form_->removeEventFilter(this);
    delete window_.data();
}

void TzSplashForm::PickBackColor()
{
    if (autoBackColor_ && bitMap_.height() >= 1)
        transparentColor_ = BottomLeftColor(bitMap_);
}

void TzSplashForm::SetTransparentColor(TColor c)
{
    if (c == transparentColor_)
        return;
    autoBackColor_ = false;
    transparentColor_ = c;
}

void TzSplashForm::SetAutoBackColor(bool b)
{
    autoBackColor_ = b;
    PickBackColor();
}

void TzSplashForm::SetBitMap(const QImage& bitmap)
{
    bitMap_ = bitmap;
    PickBackColor();
}

void TzSplashForm::SetPicture(const QImage& picture)
{
    if (picture.isNull() || picture.width() < 1 || picture.height() < 1)
        return;
    SetBitMap(picture.convertToFormat(QImage::Format_RGB32));
}

void TzSplashForm::Loaded()
{
    if (OnCreate)
        OnCreate(this);
    MakeSplash();
    DoSplash();
}

void TzSplashForm::MakeSplash()
{
    if (OnBeforeShow)
        OnBeforeShow(this);
    bitmapOffset_ = QPoint(0, 0);
    const QSize screen = ScreenSize ? ScreenSize() : PrimaryScreenSize();
    const int bw = bitMap_.width(), bh = bitMap_.height();
    int w = bw + kBorder + addWidth_, h = bh + kBorder + addHeight_;
    if (bw < screen.width() && bh < screen.height()) {
        if (shape_ == ssCircle)
            w = h = std::max(w, h);
        if (adjustforFrame_ && drawFrame_) {
            w += 2 * (frameThickness_ + frameMargin_);
            h += 2 * (frameThickness_ + frameMargin_);
        }
        if (shape_ == ssCircle)
            w = h = std::max(w, h);
        if (w < screen.width() && h < screen.height())
            bitmapOffset_ = QPoint((w - bw) / 2, (h - bh) / 2);
    }
    // A splash never grows beyond the screen in either direction.
    width_ = std::min(w, screen.width());
    height_ = std::min(h, screen.height());
    left_ = (screen.width() - width_) / 2;
    top_ = (screen.height() - height_) / 2;
    const QRect box = SplashRect();
    region_ = shape_ == ssZRectangle ? QRegion(box) : QRegion(box, QRegion::Ellipse);
    done_ = false;
    if (OnShow)
        OnShow(this);
}

QImage TzSplashForm::RenderSplash() const
{
    const int W = width_, H = height_;
    QImage img(std::max(W, 1), std::max(H, 1), QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.setClipRegion(region_.translated(-left_, -top_));
    const QColor color = ColorToQColor(color_);
    const QColor light = ColorToQColor(highligtColor_), shadow = ColorToQColor(shadowColor_);
    const QColor black(Qt::black);
    if (fill_)
        p.fillRect(0, 0, W, H, color);
    const int t = frameThickness_ / 2, m = frameMargin_;
    const QRect frame = Box(m + t, m + t, W - m - t, H - m - t);
    QPen framePen(ColorToQColor(frameColor_), frameThickness_, Qt::SolidLine, Qt::SquareCap,
                  Qt::MiterJoin);
    if (shape_ == ssZRectangle) {
        if (use3D_) {
            Polyline(p, {{1, H - 1}, {1, 1}, {W, 1}}, light);
            Polyline(p, {{W - 2, 1}, {W - 2, H - 2}, {0, H - 2}}, shadow);
            Polyline(p, {{1, H - 1}, {W - 1, H - 1}, {W - 1, 0}}, black);
        }
        if (drawFrame_) {
            p.setPen(framePen);
            p.setBrush(Qt::NoBrush);
            p.drawRect(frame.adjusted(0, 0, -1, -1));
        }
    } else {
        const int q = H / 3 + H / 2;
        const QRect inner = Box(1, 1, W - 2, H - 2), outer = Box(0, 0, W - 1, H - 1);
        if (use3D_)
            Arc(p, inner, {W - 1, 1}, {1, q}, light);
        Arc(p, inner, {1, q}, {W - 1, 1}, shadow);
        Arc(p, outer, {0, q}, {W - 1, 1}, black);
    }
    if (bitMap_.height() >= 1) {
        const QRect dest(bitmapOffset_, bitMap_.size());
        const QRect whole(QPoint(0, 0), bitMap_.size());
        const TColor trans = autoBackColor_ ? BottomLeftColor(bitMap_) : transparentColor_;
        if (IsSystemColor(trans))
            p.drawImage(dest.topLeft(), bitMap_);
        else if (realTransparent_)
            TransparentDraw(p, dest.topLeft(), bitMap_, whole, trans);
        else
            BrushCopy(p, dest, bitMap_, whole, trans, color);
    }
    // The corners of the picture reach beyond a round frame at the diagonals: the ring goes on
    // top so that it stays closed.
    if (shape_ != ssZRectangle && drawFrame_) {
        p.setPen(framePen);
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(frame.adjusted(0, 0, -1, -1));
    }
    return img;
}

void TzSplashForm::DoSplash()
{
    PickBackColor();
    auto* window = static_cast<SplashScreenWindow*>(window_.data());
    if (!window) {
        window = new SplashScreenWindow;
        window_ = window;
    }
    window->picture = RenderSplash();
    window->setGeometry(SplashRect());
    window->setMask(region_.translated(-left_, -top_));
    window->show();
    window->raise();
    window->repaint();
}

void TzSplashForm::DoRemove()
{
    if (window_) {
        window_->hide();
        window_->deleteLater();
        window_ = nullptr;
    }
    region_ = QRegion();
}

bool TzSplashForm::eventFilter(QObject* watched, QEvent* e)
{
    if (watched == form_ && e->type() == QEvent::Paint && !done_) {
        done_ = true;
        // The removal runs once the form's paint is complete.
        QMetaObject::invokeMethod(this, [this] { FormPainted(); }, Qt::QueuedConnection);
    }
    return QObject::eventFilter(watched, e);
}

void TzSplashForm::FormPainted()
{
    QCoreApplication::processEvents();
    if (moveSplashUp_ && window_)
        DoSplash();
    QCoreApplication::processEvents();
    if (OnBeforeDelay)
        OnBeforeDelay(this);
    Delay(mainFormDelay_);
    if (OnBeforeClose)
        OnBeforeClose(this);
    DoRemove();
    if (OnAfterClose)
        OnAfterClose(this);
}

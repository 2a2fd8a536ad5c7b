#include "zcomponents/Zanimated.h"

#include "zcomponents/Zcolor.h"

#include <QPainter>
#include <QTimer>

TzAnimated::TzAnimated(QWidget* parent) : TzcCustomBitmap(parent) {}

TzAnimated::~TzAnimated()
{
    FreeTimer();
}

void TzAnimated::StartTimer()
{
    FreeTimer();
    if (!play_ || interval_ < 1 || frameCount_ < 1)
        return;
    timer_ = new QTimer(this);
    timer_->setInterval(interval_);
    connect(timer_, &QTimer::timeout, this, [this] { TimeHit(); });
    timer_->start();
}

void TzAnimated::FreeTimer()
{
    if (!timer_)
        return;
    timer_->stop();
    timer_->disconnect(this);
    // The timer may be the sender whose signal is running.
    timer_->deleteLater();
    timer_ = nullptr;
}

void TzAnimated::SetFrameCount(int n)
{
    if (n < 0)
        return;
    frameCount_ = n;
    if (n == 0) {
        FreeTimer();
        Invalidate();
    }
}

void TzAnimated::SetFrame(int value)
{
    if (frameCount_ < 1)
        return;
    const int frame = value >= 0 ? value % frameCount_ : frameCount_ - 1;
    if (frame == FrameIndex())
        return;
    SetFrameIndex(frame);
    if (OnChangeFrame)
        OnChangeFrame(this);
    Invalidate();
}

void TzAnimated::SetInterval(int ms)
{
    if (ms == interval_)
        return;
    interval_ = ms;
    StartTimer();
}

void TzAnimated::SetPlay(bool b)
{
    if (b == play_)
        return;
    play_ = b;
    if (b)
        StartTimer();
    else
        FreeTimer();
}

void TzAnimated::TimeHit()
{
    if (frameCount_ < 1)
        return;
    bool end;
    if (!reverse_) {
        SetFrame(FrameIndex() + 1);
        end = FrameIndex() == frameCount_ - 1;
    } else {
        SetFrame(FrameIndex() - 1);
        end = FrameIndex() == 0;
    }
    if (end && !loop_) {
        play_ = false;
        FreeTimer();
    }
}

void TzAnimated::paintEvent(QPaintEvent* /*e*/)
{
    if (frameCount_ < 1) {
        // No frames: nothing but the background.
        QPainter(this).fillRect(rect(), ParentBrushColor(this));
        if (OnPaint)
            OnPaint(this);
        return;
    }
    PaintPicture(BitMap());
}

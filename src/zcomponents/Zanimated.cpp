#include "zcomponents/Zanimated.h"

#include "zcomponents/Zcolor.h"

#include <QPainter>
#include <QTimer>

TzAnimated::TzAnimated(QWidget* parent) : TzcCustomBitmap(parent), timer_(new QTimer(this))
{
    connect(timer_, &QTimer::timeout, this, [this] { TimeHit(); });
}

TzAnimated::~TzAnimated() = default;

const QTimer* TzAnimated::Timer() const
{
    return timer_->isActive() ? timer_ : nullptr;
}

void TzAnimated::StartTimer()
{
    timer_->stop();
    if (play_ && interval_ >= 1 && frameCount_ >= 1)
        timer_->start(interval_);
}

void TzAnimated::SetFrameCount(int n)
{
    if (n < 0)
        return;
    frameCount_ = n;
    if (n == 0) {
        timer_->stop();
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
    StartTimer();
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
        timer_->stop();
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

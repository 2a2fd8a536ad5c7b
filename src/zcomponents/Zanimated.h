#pragma once
// TzAnimated: an animation stored as a film strip, the frames side by side in one bitmap, each
// as wide as the control. A timer steps through them forwards or backwards, once or in a loop.

#include "zcomponents/Zbitmap.h"

class QTimer;

class TzAnimated : public TzcCustomBitmap {
public:
    explicit TzAnimated(QWidget* parent = nullptr);
    ~TzAnimated() override;

    int FrameCount() const { return frameCount_; }
    // Negative counts are refused. A strip of 0 frames shows nothing and never plays.
    void SetFrameCount(int n);
    int Frame() const { return FrameIndex(); }
    // Frame Value mod FrameCount (the last frame for a negative value); a change fires
    // OnChangeFrame and repaints.
    void SetFrame(int value);
    int Interval() const { return interval_; }
    void SetInterval(int ms);
    bool Loop() const { return loop_; }
    void SetLoop(bool b) { loop_ = b; }
    bool Reverse() const { return reverse_; }
    void SetReverse(bool b) { reverse_ = b; }
    bool Play() const { return play_; }
    void SetPlay(bool b);

    // The timer's tick: one frame on; at the end of the strip without Loop the play stops.
    void TimeHit();
    // The frame timer; null when stopped.
    const QTimer* Timer() const;

    TNotifyEvent OnChangeFrame;

protected:
    void paintEvent(QPaintEvent* e) override;

private:
    // Runs the timer while playing with a positive interval and at least one frame.
    void StartTimer();

    int frameCount_ = 1;
    QTimer* timer_;
    int interval_ = 0;
    bool loop_ = true;
    bool reverse_ = false;
    bool play_ = false;
};

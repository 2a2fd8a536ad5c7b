#pragma once
// TzLed: an indicator lamp, round, plain round or square, in one of eight colour pairs or a
// user colour, lit or unlit; it can blink on a timer and give a timed pulse.

#include "platform/Color.h"
#include "zcomponents/Zcontrol.h"

#include <array>
#include <cstdint>
#include <functional>

class QTimer;

enum LedColorType : std::uint8_t {
    lctRed, lctBlue, lctGreen, lctyellow, lctMangenta, lctGrey, lctCyan, lctWhite, lctUser
};
enum LedStyleType : std::uint8_t { lstRound, lstSquare, lstSimpleRound };

// Lit and unlit colours by LedColorType.
extern const std::array<TColor, 9> LedOnColors;
extern const std::array<TColor, 9> LedOffColors;

// Supplies the lamp colour of a user-coloured LED.
using zcGetColor = std::function<void(QObject* Sender, TColor& TheColor)>;

class TzLed : public TzGraphicControl {
public:
    explicit TzLed(QWidget* parent = nullptr);
    ~TzLed() override;

    // The on-state (lit or unlit).
    bool Enabled() const { return ledOn_; }
    void writeLedOn(bool b);

    LedColorType LEDColor() const { return ledColor_; }
    void WriteLedColor(LedColorType c);
    LedStyleType LedStyle() const { return ledStyle_; }
    void SetStyle(LedStyleType s);
    bool SteelLook() const { return steelLook_; }
    void SetSteel(bool b);

    bool Blink() const { return blink_; }
    void SetBlink(bool b);
    std::int32_t BlinkInterval() const { return blinkInterval_; }
    void SetInterval(std::int32_t ms);

    // Lights the LED for n tenths of a second; ignored while blinking, restarts a running pulse.
    void Pulse(std::uint32_t n);
    // A pulse of half a second.
    void Flash();

    // Timer handlers: a blink tick toggles the on-state; the end of a pulse switches the LED
    // off and frees the timer.
    virtual void DoTheBlink(QObject* Sender);
    virtual void DoThePulse(QObject* Sender);

    // The blink or pulse timer; null when idle.
    const QTimer* Timer() const { return timer_; }

    TNotifyEvent OnChange;
    TNotifyEvent OnPaint;
    zcGetColor OnGetOnColor;
    zcGetColor OnGetOffColor;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void FreeTimer();
    void CreateBlinkTimer();
    TColor LampColor();

    bool steelLook_ = false;
    LedColorType ledColor_ = lctRed;
    bool ledOn_ = false;
    bool blink_ = false;
    QTimer* timer_ = nullptr;
    std::int32_t blinkInterval_ = 500;
    LedStyleType ledStyle_ = lstRound;
};

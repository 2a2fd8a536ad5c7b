#pragma once
// Unit-wide state and shared types of the component collection: the steel pattern that the
// LED and the shaped buttons paint their steel look with, the one-minute time constant, the
// shared enumerations and event types of the shaped and glyph buttons, the caption alignment
// that labels and buttons share, and Delay.

#include "platform/Color.h"

#include <QImage>
#include <QRegion>
#include <cstdint>
#include <functional>

class QObject;
class QPainter;

// A plain event with the component as sender.
using TNotifyEvent = std::function<void(QObject* Sender)>;

// Outline of a shaped button.
enum sbType : std::uint8_t {
    sbRectangle, sbUpTriangle, sbDnTriangle, sbLTriangle, sbRTriangle, sbTLTriangle,
    sbTRTriangle, sbBLTriangle, sbBRTriangle, sbPlus, sbMinus, sbCircle, sbUpTrapezoid,
    sbDnTrapezoid, sbLTrapezoid, sbRTrapezoid, sbOwnerDraw, sbUpLTriangle, sbUpRTriangle,
    sbDnRTriangle, sbDnLTriangle, sb000, sb045, sb090, sb135, sb180, sb225, sb270, sb315, sb360
};

// Horizontal placement of a caption or a label's text.
enum TAlignment : std::uint8_t { taLeftJustify, taRightJustify, taCenter };

// Vertical placement of a button caption.
enum zbHorzAlign : std::uint8_t { zbha_Center, zbha_Top, zbha_Bottom };

// Side of a glyph beside a caption.
enum tBitWhere : std::uint8_t { z_BWLeft, z_BWRight };

// Number of images in a glyph strip, 1..4.
using tBitNumber = std::uint8_t;
constexpr tBitNumber tBitNumberMin = 1;
constexpr tBitNumber tBitNumberMax = 4;

// How a default button shows that it is the default.
enum TzcFanceDefLook : std::uint8_t { dlfBold, dlfNone };

// A time offset in minutes, one day either way.
using zcOffSetTime = std::int16_t;
constexpr zcOffSetTime zcOffSetTimeMin = -1440;
constexpr zcOffSetTime zcOffSetTimeMax = 1440;

// Owner drawing of a shaped button's face.
using TsbShapeDrawEvent = std::function<void(QObject* Sender, QPainter* Canvas, bool Down, int Width,
                                             int Height, TColor Shadow, TColor Highlight)>;
// Owner drawing that also receives the button's region.
using TsbDrawEvent = std::function<void(QObject* Sender, QPainter* Canvas, bool Down, int Width,
                                        int Height, const QRegion& Region, TColor Shadow,
                                        TColor Highlight)>;
// Supplies the window region of an owner-drawn shape.
using TsbGetRegEvent = std::function<void(QObject* Sender, QRegion& Region, int Width, int Height)>;

// The 8 x 8 steel pattern: silver with a white dot where X and Y are both odd. Null before the
// unit's start-up and after its exit.
const QImage* TSteel();

// One minute in days (the date-time unit); set at start-up.
extern long double zcCalcOffSetTime;

// Suspends the calling thread for the given number of milliseconds.
void Delay(std::uint16_t Milliseconds);

// The unit's start-up and exit. Nested calls are counted: the work runs on the first start-up
// and on the matching last exit.
void Std2Startup();
void Std2Shutdown();

// Builds the steel pattern image (what start-up stores in TSteel).
QImage BuildSteelBitmap();

#include "zcomponents/Std2.h"

#include <chrono>
#include <memory>
#include <thread>

long double zcCalcOffSetTime = 0.0L;

namespace {

constexpr int SteelSize = 8;
constexpr long double MinutesPerDay = 1440.0L;

std::unique_ptr<QImage> gSteel;
int gStartupCount = 0;

} // namespace

const QImage* TSteel()
{
    return gSteel.get();
}

QImage BuildSteelBitmap()
{
    QImage steel(SteelSize, SteelSize, QImage::Format_RGB32);
    steel.fill(QColor(0xC0, 0xC0, 0xC0));
    for (int x = 0; x < SteelSize; ++x)
        for (int y = 0; y < SteelSize; ++y)
            if (x % 2 == 1 && y % 2 == 1)
                steel.setPixel(x, y, qRgb(0xFF, 0xFF, 0xFF));
    return steel;
}

void Delay(std::uint16_t Milliseconds)
{
    std::this_thread::sleep_for(std::chrono::milliseconds(Milliseconds));
}

void Std2Startup()
{
    if (gStartupCount++ > 0)
        return;
    gSteel = std::make_unique<QImage>(BuildSteelBitmap());
    zcCalcOffSetTime = 1.0L / MinutesPerDay;
}

void Std2Shutdown()
{
    if (gStartupCount == 0 || --gStartupCount > 0)
        return;
    gSteel.reset();
}

// Costs of the pixel effects on a 640 x 480 picture, one pass each: the effects walk the row
// table directly, so a full-picture effect should stay well inside one 40 ms display frame.
// Goal per effect: below 40 ms (counter goal_ms beside each figure).

#include "zcomponents/Zfastbmp.h"
#include "zcomponents/Zraster.h"

#include <benchmark/benchmark.h>

namespace {

constexpr int kWidth = 640, kHeight = 480;
constexpr double GoalMs = 40.0;

QImage Picture()
{
    QImage image(kWidth, kHeight, QImage::Format_RGB32);
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x)
            image.setPixel(x, y, qRgb(x & 0xFF, y & 0xFF, (x ^ y) & 0xFF));
    return image;
}

template <class F> void Effect(benchmark::State& state, F&& effect)
{
    TzFastBmp bmp(Picture());
    for (auto _ : state) {
        effect(bmp);
        benchmark::DoNotOptimize(bmp.Bits);
    }
    state.counters["goal_ms"] = GoalMs;
}

void BM_Blur(benchmark::State& s) { Effect(s, [](TzFastBmp& b) { b.Blur(2); }); }
void BM_Sharpen(benchmark::State& s) { Effect(s, [](TzFastBmp& b) { b.Sharpen(4); }); }
void BM_Contrast(benchmark::State& s) { Effect(s, [](TzFastBmp& b) { b.Contrast(100); }); }
void BM_ColorNoise(benchmark::State& s) { Effect(s, [](TzFastBmp& b) { b.ColorNoise(20); }); }

// The whole frame of a raster function: copy in, effect, copy back into the picture's format.
void BM_DarkenPicture(benchmark::State& state)
{
    QImage image = Picture();
    for (auto _ : state)
        DarkenBMP(image, 1, false, 0);
    state.counters["goal_ms"] = GoalMs;
}

void BM_RotatePicture(benchmark::State& state)
{
    const QImage source = Picture();
    QImage destination(kWidth, kHeight, QImage::Format_RGB32);
    for (auto _ : state)
        BMPRotate(source, destination, 30);
    state.counters["goal_ms"] = GoalMs;
}

BENCHMARK(BM_Blur)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Sharpen)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Contrast)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ColorNoise)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DarkenPicture)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RotatePicture)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();

#include "zcomponents/Zfastbmp.h"

#include "zcomponents/Zcolor.h"

#include <QGuiApplication>
#include <QScreen>
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <random>

namespace {

constexpr int BytesPerPixel = 3;
constexpr int MaxChannel = 255;
constexpr int GreyMidpoint = 127;
constexpr int ContrastSplit = 128;
constexpr int SharpenNeighbours = 4;

std::uint8_t Clamp(int v)
{
    return std::uint8_t(std::clamp(v, 0, MaxChannel));
}

std::function<int(int)>& RandomSource()
{
    static std::function<int(int)> source;
    return source;
}

int DefaultRandom(int n)
{
    static std::mt19937 engine{std::random_device{}()};
    return std::uniform_int_distribution<int>(0, n - 1)(engine);
}

// Row index kept inside 0..count-1.
int Inside(int index, int count)
{
    return std::clamp(index, 0, count - 1);
}

} // namespace

TzFastBmp::TzFastBmp(int width, int height)
{
    Allocate(std::max(width, 0), std::max(height, 0));
}

TzFastBmp::TzFastBmp(const QImage& bitmap)
{
    Allocate(bitmap.width(), bitmap.height());
    if (bitmap.isNull())
        return;
    const QImage source = bitmap.convertToFormat(QImage::Format_BGR888);
    for (int y = 0; y < Height; ++y)
        SetLine(y, source.constScanLine(y));
}

std::int32_t TzFastBmp::StrideFor(std::int32_t width)
{
    return BytesPerPixel * width + width % 4;
}

void TzFastBmp::Allocate(std::int32_t width, std::int32_t height)
{
    Width = width;
    Height = height;
    if (width > 0 && height > 0) {
        image_ = QImage(width, height, QImage::Format_BGR888);
        // Zero every byte: a fill of a 24-bit image leaves the padding at the end of each row
        // as the allocator left it.
        Bits = image_.bits();
        std::memset(Bits, 0, std::size_t(image_.sizeInBytes()));
    }
    DoCalcLines();
}

void TzFastBmp::DoCalcLines()
{
    RowInc = StrideFor(Width);
    Size = RowInc * Height;
    Lines.assign(std::size_t(Height), nullptr);
    if (!Bits)
        return;
    // Qt pads rows to whole 32-bit words, which is the same stride.
    RowInc = std::int32_t(image_.bytesPerLine());
    Size = RowInc * Height;
    for (int y = 0; y < Height; ++y)
        Lines[std::size_t(y)] = Bits + std::ptrdiff_t(y) * RowInc;
}

void TzFastBmp::SetPixel(int x, int y, TColor color)
{
    const TColor rgb = QColorToColor(ColorToQColor(color));
    if (x < 0 || x >= Width || y < 0 || y >= Height)
        return;
    std::uint8_t* p = Lines[std::size_t(y)] + BytesPerPixel * x;
    p[0] = BlueOf(rgb);
    p[1] = GreenOf(rgb);
    p[2] = RedOf(rgb);
}

std::int64_t TzFastBmp::GetPixel(int x, int y) const
{
    if (x < 0 || x >= Width || y < 0 || y >= Height)
        return -1;
    const std::uint8_t* p = Lines[std::size_t(y)] + BytesPerPixel * x;
    return RgbColor(p[2], p[1], p[0]);
}

void TzFastBmp::SetLine(int y, const std::uint8_t* source)
{
    std::memcpy(Lines[std::size_t(y)], source, std::size_t(BytesPerPixel * Width));
}

void TzFastBmp::GetScanLine(int y, std::uint8_t* destination) const
{
    std::memcpy(destination, Lines[std::size_t(y)], std::size_t(BytesPerPixel * Width));
}

void TzFastBmp::Draw(QPainter& canvas, int x, int y) const
{
    if (!image_.isNull())
        canvas.drawImage(x, y, image_);
}

QImage TzFastBmp::ToImage() const
{
    return image_.copy();
}

void TzFastBmp::SetRandomSource(std::function<int(int n)> random)
{
    RandomSource() = std::move(random);
}

int TzFastBmp::Random(int n)
{
    if (n <= 0)
        return 0;
    return RandomSource() ? RandomSource()(n) : DefaultRandom(n);
}

template <class F> void TzFastBmp::ForEachPixel(F&& f)
{
    for (int y = 0; y < Height; ++y) {
        std::uint8_t* p = Lines[std::size_t(y)];
        for (int x = 0; x < Width; ++x, p += BytesPerPixel)
            f(p);
    }
}

void TzFastBmp::ColorNoise(int Amount)
{
    if (Amount <= 0)
        return;
    const int half = Amount / 2;
    ForEachPixel([&](std::uint8_t* p) {
        const int r = Random(Amount) - half;
        const int g = Random(Amount) - half;
        const int b = Random(Amount) - half;
        p[2] = Clamp(p[2] + r);
        p[1] = Clamp(p[1] + g);
        p[0] = Clamp(p[0] + b);
    });
}

void TzFastBmp::BWNoise(int Amount)
{
    if (Amount <= 0)
        return;
    const int half = Amount / 2;
    ForEachPixel([&](std::uint8_t* p) {
        const int d = Random(Amount) - half;
        for (int c = 0; c < BytesPerPixel; ++c)
            p[c] = Clamp(p[c] + d);
    });
}

void TzFastBmp::Saturation(int Amount)
{
    ForEachPixel([&](std::uint8_t* p) {
        const int grey = (p[0] + p[1] + p[2]) / 3;
        for (int c = 0; c < BytesPerPixel; ++c)
            p[c] = Clamp(grey + int(std::int64_t(Amount) * (p[c] - grey) / MaxChannel));
    });
}

void TzFastBmp::Contrast(int Amount)
{
    ForEachPixel([&](std::uint8_t* p) {
        for (int c = 0; c < BytesPerPixel; ++c) {
            const int v = p[c];
            const int d = int(std::int64_t(Amount) * std::abs(v - GreyMidpoint) / MaxChannel);
            p[c] = Clamp(v < ContrastSplit ? v - d : v + d);
        }
    });
}

void TzFastBmp::Sharpen(int Amount)
{
    const std::int64_t divisor = std::int64_t(Amount) + SharpenNeighbours;
    if (divisor <= 0 || Width == 0 || Height == 0)
        return;
    std::vector<std::uint8_t> row(std::size_t(BytesPerPixel * Width));
    for (int y = 0; y < Height; ++y) {
        // The row above the top is the one below it and the row below the bottom the one above;
        // a single row is its own neighbour.
        const int above = Height == 1 ? y : (y == 0 ? 1 : y - 1);
        const int below = Height == 1 ? y : (y == Height - 1 ? y - 1 : y + 1);
        const std::uint8_t* up = Lines[std::size_t(above)];
        const std::uint8_t* down = Lines[std::size_t(below)];
        GetScanLine(y, row.data());
        for (int x = 0; x < Width; ++x) {
            const int left = Width == 1 ? x : (x == 0 ? 1 : x - 1);
            const int right = Width == 1 ? x : (x == Width - 1 ? x - 1 : x + 1);
            for (int c = 0; c < BytesPerPixel; ++c) {
                const std::int64_t sum = row[std::size_t(BytesPerPixel * left + c)] +
                                         row[std::size_t(BytesPerPixel * right + c)] +
                                         up[BytesPerPixel * x + c] +
                                         down[BytesPerPixel * x + c] +
                                         std::int64_t(row[std::size_t(BytesPerPixel * x + c)]) * Amount;
                row[std::size_t(BytesPerPixel * x + c)] = Clamp(int(sum / divisor));
            }
        }
        SetLine(y, row.data());
    }
}

void TzFastBmp::Blur(int Radius)
{
    if (Radius <= 0)
        return;
    for (int y = 0; y < Height; ++y) {
        const int upRow = y >= Radius ? y - Radius : y;
        const int downRow = Inside(y + Radius < Height ? y + Radius : Height - y, Height);
        const std::uint8_t* up = Lines[std::size_t(upRow)];
        const std::uint8_t* down = Lines[std::size_t(downRow)];
        std::uint8_t* line = Lines[std::size_t(y)];
        for (int x = 0; x < Width; ++x) {
            const int left = BytesPerPixel * (x >= Radius ? x - Radius : x);
            const int right =
                BytesPerPixel * Inside(x + Radius < Width ? x + Radius : Width - x, Width);
            for (int c = 0; c < BytesPerPixel; ++c)
                line[BytesPerPixel * x + c] = std::uint8_t(
                    (up[left + c] + down[left + c] + up[right + c] + down[right + c]) >> 2);
        }
    }
}

void TzFastBmp::GaussianBlur(int Radius)
{
    for (int r = Radius; r >= 1; --r)
        Blur(r);
}

TzDesktop::TzDesktop()
{
    QScreen* screen = QGuiApplication::primaryScreen();
    if (screen) {
        depth_ = screen->depth();
        const QPixmap grab = screen->grabWindow(0);
        if (!grab.isNull())
            image_ = grab.toImage().convertToFormat(QImage::Format_RGB32);
        if (image_.isNull()) {
            image_ = QImage(screen->size(), QImage::Format_RGB32);
            image_.fill(Qt::black);
        }
    }
    if (image_.isNull()) {
        image_ = QImage(1, 1, QImage::Format_RGB32);
        image_.fill(Qt::black);
    }
    canvas_ = std::make_unique<QPainter>(&image_);
}

TzDesktop::~TzDesktop()
{
    canvas_.reset();
}

QImage TzDesktop::Image()
{
    canvas_.reset();
    QImage copy = image_.copy();
    canvas_ = std::make_unique<QPainter>(&image_);
    return copy;
}

#include "zcomponents/Mystd.h"
#include "zcomponents/Std2.h"
#include "zcomponents/Zcolor.h"
#include "zcomponents/Zhelper.h"
#include "zcomponents/Zunits.h"

#include <QApplication>
#include <cfloat>
#include <cmath>
#include <gtest/gtest.h>
#include <stdexcept>

TEST(Std2, SteelPatternAndOffsetTime)
{
    EXPECT_EQ(TSteel(), nullptr);
    Std2Startup();
    Std2Startup(); // nested: the second start-up does nothing
    const QImage* steel = TSteel();
    ASSERT_NE(steel, nullptr);
    EXPECT_EQ(steel->size(), QSize(8, 8));
    const QRgb white = qRgb(0xFF, 0xFF, 0xFF), silver = qRgb(0xC0, 0xC0, 0xC0);
    int whites = 0;
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x) {
            const QRgb want = (x % 2 && y % 2) ? white : silver;
            EXPECT_EQ(steel->pixel(x, y), want) << x << "," << y;
            whites += steel->pixel(x, y) == white;
        }
    EXPECT_EQ(whites, 16);
    EXPECT_LE(std::fabs(zcCalcOffSetTime * 1440.0L - 1.0L), 2 * LDBL_EPSILON);
    Std2Shutdown();
    EXPECT_NE(TSteel(), nullptr); // freed only on the last exit
    Std2Shutdown();
    EXPECT_EQ(TSteel(), nullptr);
}

TEST(Mystd, ProcessorStateFromCpuidAnswers)
{
    // Vendor "AuthenticAMD": EBX "Auth", EDX "enti", ECX "cAMD".
    const TCpuidRegs leaf0{1, 0x68747541, 0x444D4163, 0x69746E65};
    int measured = 0;
    auto measure = [&] { ++measured; return 2400; };

    const TCpuidRegs family6{0x00000663, 0x11, 0x22, 0x33};
    TCpuInfo info = BuildCpuInfo(true, leaf0, family6, measure);
    EXPECT_EQ(info.CpuVendor, "AuthenticAMD");
    EXPECT_EQ(info.CpuVendor.size(), 12u);
    EXPECT_EQ(info.CpuidSignature, 0x663u);
    EXPECT_EQ(info.CpuidMisc, 0x11u);
    EXPECT_EQ(info.CpuidFeaturesEcx, 0x22u);
    EXPECT_EQ(info.CpuidFeaturesEdx, 0x33u);
    EXPECT_EQ(CpuFamily(info), 6);
    EXPECT_EQ(info.CpuMhz, 2400);
    EXPECT_EQ(measured, 1);

    const TCpuidRegs family4{0x00000480, 0, 0, 0};
    info = BuildCpuInfo(true, leaf0, family4, measure);
    EXPECT_EQ(info.CpuMhz, -1);
    EXPECT_EQ(measured, 1); // no measurement below family 5

    info = BuildCpuInfo(false, leaf0, family6, measure);
    EXPECT_FALSE(info.CpuidPresent);
    EXPECT_EQ(info.CpuidSignature, 0xFFFFFFFFu);
    EXPECT_EQ(info.CpuidFeaturesEdx, 0xFFFFFFFFu);
    EXPECT_EQ(info.CpuMhz, 0);
    EXPECT_TRUE(info.CpuVendor.empty());
    EXPECT_EQ(CpuFamily(info), 0);
}

TEST(Mystd, ClockMeasurementArithmetic)
{
    struct Case {
        std::uint32_t start;  // tick count at the start
        std::uint64_t c1, c2; // counter at the edge and at the end
        std::int32_t want;
    } cases[] = {
        {1000, 0, 2'400'000'000ull, 2401},                   // 2400 + 0.66
        {1000, 500, 500 + 1'999'340'000ull, 2000},           // 1999.34 + 0.66 = 2000
        {0xFFFFFF00u, 100, 100 + 3'000'000'000ull, 3001},    // tick counter wraps meanwhile
        {5, 0xFFFFFFFFFFFFFF00ull, 999'999'744ull, 1001}, // counter wraps: 10^9 counts
    };
    for (const Case& c : cases) {
        std::uint32_t now = c.start;
        int reads = 0;
        auto ticks = [&] { return now++; }; // a fake clock that advances at every look
        auto counter = [&] { return reads++ == 0 ? c.c1 : c.c2; };
        int idles = 0;
        EXPECT_EQ(MeasureCpuMhz(ticks, counter, [&](std::uint32_t) { ++idles; }), c.want);
        EXPECT_GE(std::uint32_t(now - c.start), 1000u);
        EXPECT_GT(idles, 0);
    }
    auto failing = []() -> std::uint64_t { throw std::runtime_error("no counter"); };
    std::uint32_t now = 0;
    EXPECT_EQ(MeasureCpuMhz([&] { return now++; }, failing), -1);
}

TEST(Mystd, ProbeResultsOnceStarted)
{
    StartCpuProbe();
    StartCpuProbe();
    const TCpuInfo& info = CpuInfo();
    EXPECT_EQ(&info, &CpuInfo());
#if defined(__x86_64__)
    EXPECT_TRUE(info.CpuidPresent);
    EXPECT_EQ(info.CpuVendor.size(), 12u);
    EXPECT_GE(CpuID(), 5);
    EXPECT_NE(info.CpuMhz, 0);
#else
    EXPECT_FALSE(info.CpuidPresent);
#endif
}

TEST(Mystd, HintStyleStartupValues)
{
    THintStyle& style = HintStyle();
    style.HintPosition = hpNormal;
    style.Font.setPixelSize(30);
    ResetHintStyle();
    EXPECT_EQ(&style, &HintStyle()); // the same record, put back in place
    EXPECT_EQ(style.HintPosition, hpLeftAbove);
    EXPECT_EQ(style.PartOfScreen, 2);
    EXPECT_EQ(style.MoveBeforeOff, 5);
    EXPECT_TRUE(style.MultiLine);
    EXPECT_TRUE(style.Use3D);
    EXPECT_FALSE(style.OnHintPaint);
    EXPECT_EQ(style.ShadowColor, 0x80000010u);
    EXPECT_EQ(style.HighLightColor, 0x80000014u);
    EXPECT_EQ(style.FontColor, 0x80000008u);
    EXPECT_EQ(style.Font.family(), "MS Sans Serif");
    EXPECT_EQ(style.Font.pixelSize(), 11);
    EXPECT_FALSE(style.Font.bold() || style.Font.italic() || style.Font.underline());
    EXPECT_STREQ(CpuNames[3], "Pentium");
}

TEST(Zhelper, VersionRecord)
{
    struct Case {
        const char* release;
        std::uint32_t major, minor, build;
    } cases[] = {
        {"6.1.0-18-amd64", 6, 1, 0},
        {"5.15.146+", 5, 15, 146},
        {"4.19.70000", 4, 19, 70000 % 65536}, // build keeps its low 16 bits
        {"6", 6, 0, 0},
        {"junk", 0, 0, 0},
        {"", 0, 0, 0},
        {"99999999999.2.3", 0xFFFFFFFFu, 2, 3},
    };
    for (const Case& c : cases) {
        SetVersionRecord(ParseKernelRelease(c.release));
        EXPECT_EQ(MajorVersion(), c.major) << c.release;
        EXPECT_EQ(MinorVersion(), c.minor) << c.release;
        EXPECT_EQ(BuildVersion(), c.build) << c.release;
        EXPECT_EQ(WindowsType(), z_NT);
    }
    EXPECT_EQ(WindowsTypeForPlatform(0), z_Win32S);
    EXPECT_EQ(WindowsTypeForPlatform(1), z_95);
    EXPECT_EQ(WindowsTypeForPlatform(2), z_NT);
    EXPECT_EQ(WindowsTypeForPlatform(7), z_Windows);
    EXPECT_FALSE(IsWorkgroup());
    EXPECT_FALSE(Is311());
}

TEST(ZUnits, StartupFillsTheUnits)
{
    ZUnitsStartup();
    EXPECT_NE(TSteel(), nullptr);
    EXPECT_EQ(WindowsType(), z_NT);
    EXPECT_GT(MajorVersion(), 0u);
    EXPECT_EQ(HintStyle().PartOfScreen, 2);
    ZUnitsShutdown();
    EXPECT_EQ(TSteel(), nullptr);
}

TEST(Zcolor, FixedAndSystemColours)
{
    EXPECT_EQ(ColorToQColor(clNavy), QColor(0, 0, 0x80));
    EXPECT_EQ(ColorToQColor(RgbColor(1, 2, 3)), QColor(1, 2, 3));
    EXPECT_EQ(QColorToColor(QColor(1, 2, 3)), RgbColor(1, 2, 3));
    QPalette pal;
    pal.setColor(QPalette::Button, QColor(11, 12, 13));
    pal.setColor(QPalette::Dark, QColor(21, 22, 23));
    pal.setColor(QPalette::Light, QColor(31, 32, 33));
    EXPECT_EQ(ColorToQColor(clBtnFace, pal), QColor(11, 12, 13));
    EXPECT_EQ(ColorToQColor(clBtnShadow, pal), QColor(21, 22, 23));
    EXPECT_EQ(ColorToQColor(clBtnHighlight, pal), QColor(31, 32, 33));
    EXPECT_EQ(SystemColorRole(clInfoBk)->role, QPalette::ToolTipBase);
    EXPECT_FALSE(SystemColorRole(clRed));
    EXPECT_FALSE(SystemColorRole(clBackground));
    EXPECT_EQ(ColorToQColor(clBackground, pal), ColorToQColor(clTeal));
    EXPECT_EQ(ColorToQColor(0x800000FFu, pal), QColor(0, 0, 0)); // beyond the scheme
    EXPECT_TRUE(IsSystemColor(clWindow));
    EXPECT_FALSE(IsSystemColor(clWhite));
}

#include "zcomponents/Mystd.h"

#include <chrono>
#include <cmath>
#include <future>
#include <limits>
#include <memory>
#include <mutex>
#include <thread>

#if defined(__x86_64__) || defined(__i386__)
#include <cpuid.h>
#include <x86intrin.h>
#define ORRERY_HAS_CPUID 1
#else
#define ORRERY_HAS_CPUID 0
#endif

const std::array<const char*, 5> CpuNames = {"80286", "80386", "80486", "Pentium", "PentiumPro"};

namespace {

constexpr std::uint32_t AllBits = 0xFFFFFFFFu;
constexpr int FirstMeasuredFamily = 5;
constexpr std::uint32_t MeasureMs = 1000;
constexpr double CountsPerMhzSecond = 1000000.0;
// Makes up for the part of the first tick that the wait for the edge loses.
constexpr double FirstTickAllowance = 0.66;
constexpr int HintFontPixels = 11;
const char* const kHintFontName = "MS Sans Serif";

std::once_flag gProbeOnce;
std::shared_future<TCpuInfo> gProbe;

std::unique_ptr<THintStyle> gHintStyle;

TCpuInfo ProbeThisProcessor()
{
#if ORRERY_HAS_CPUID
    const bool present = __get_cpuid_max(0, nullptr) != 0;
    TCpuidRegs leaf0, leaf1;
    if (present) {
        __cpuid(0, leaf0.eax, leaf0.ebx, leaf0.ecx, leaf0.edx);
        __cpuid(1, leaf1.eax, leaf1.ebx, leaf1.ecx, leaf1.edx);
    }
    auto measure = [] {
        return MeasureCpuMhz(GetTickCount, [] { return std::uint64_t(__rdtsc()); },
                             [](std::uint32_t remaining) {
                                 // Sleep through most of the second; the last milliseconds are
                                 // polled so the reading lands on the tick.
                                 if (remaining > 2)
                                     std::this_thread::sleep_for(
                                         std::chrono::milliseconds(remaining - 2));
                             });
    };
    return BuildCpuInfo(present, leaf0, leaf1, measure);
#else
    return BuildCpuInfo(false, {}, {}, {});
#endif
}

void AppendRegisterText(std::string& text, std::uint32_t reg)
{
    for (int i = 0; i < 4; ++i)
        text.push_back(char((reg >> (8 * i)) & 0xFF));
}

} // namespace

TCpuInfo BuildCpuInfo(bool cpuidPresent, const TCpuidRegs& leaf0, const TCpuidRegs& leaf1,
                      const std::function<std::int32_t()>& measureMhz)
{
    TCpuInfo info;
    info.CpuidPresent = cpuidPresent;
    if (!cpuidPresent) {
        info.CpuidSignature = info.CpuidMisc = AllBits;
        info.CpuidFeaturesEcx = info.CpuidFeaturesEdx = AllBits;
        return info;
    }
    info.CpuidSignature = leaf1.eax;
    info.CpuidMisc = leaf1.ebx;
    info.CpuidFeaturesEcx = leaf1.ecx;
    info.CpuidFeaturesEdx = leaf1.edx;
    AppendRegisterText(info.CpuVendor, leaf0.ebx);
    AppendRegisterText(info.CpuVendor, leaf0.edx);
    AppendRegisterText(info.CpuVendor, leaf0.ecx);
    if (CpuFamily(info) >= FirstMeasuredFamily)
        info.CpuMhz = measureMhz ? measureMhz() : -1;
    else
        info.CpuMhz = -1;
    return info;
}

std::int32_t MeasureCpuMhz(const std::function<std::uint32_t()>& tickCount,
                           const std::function<std::uint64_t()>& readCounter,
                           const std::function<void(std::uint32_t remainingMs)>& idle)
{
    try {
        const std::uint32_t t0 = tickCount();
        while (tickCount() == t0) {
        }
        const std::uint64_t c1 = readCounter();
        // Elapsed time in unsigned 32-bit arithmetic, so a tick counter that wraps during the
        // second still waits the whole second.
        for (std::uint32_t elapsed = tickCount() - t0; elapsed < MeasureMs;
             elapsed = tickCount() - t0) {
            if (idle)
                idle(MeasureMs - elapsed);
        }
        const std::uint64_t c2 = readCounter();
        const double mhz =
            std::nearbyint(double(c2 - c1) / CountsPerMhzSecond + FirstTickAllowance);
        if (!(mhz >= 0.0) || mhz > double(std::numeric_limits<std::int32_t>::max()))
            return -1;
        return std::int32_t(mhz);
    } catch (...) {
        return -1;
    }
}

std::uint32_t GetTickCount()
{
    using namespace std::chrono;
    return std::uint32_t(
        duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

void StartCpuProbe()
{
    std::call_once(gProbeOnce, [] {
        gProbe = std::async(std::launch::async, ProbeThisProcessor).share();
    });
}

const TCpuInfo& CpuInfo()
{
    StartCpuProbe();
    return gProbe.get();
}

int CpuFamily(const TCpuInfo& info)
{
    if (!info.CpuidPresent)
        return 0;
    return int((info.CpuidSignature >> 8) & 0xF);
}

int CpuID()
{
    return CpuFamily(CpuInfo());
}

THintStyle& HintStyle()
{
    if (!gHintStyle)
        ResetHintStyle();
    return *gHintStyle;
}

void ResetHintStyle()
{
    THintStyle style;
    style.Font = QFont(QString::fromLatin1(kHintFontName));
    style.Font.setPixelSize(HintFontPixels);
    if (gHintStyle)
        *gHintStyle = std::move(style);
    else
        gHintStyle = std::make_unique<THintStyle>(std::move(style));
}

void MystdStartup()
{
    StartCpuProbe();
    ResetHintStyle();
}

void MystdShutdown()
{
    gHintStyle.reset();
}

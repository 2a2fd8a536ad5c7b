#include "zcomponents/Zhelper.h"

#include <cctype>
#include <sys/utsname.h>

namespace {

constexpr std::uint32_t BuildMask = 0xFFFF;

TVersionRecord gRecord;
WTypes gType = z_Windows;

// Reads the decimal number at text[pos] and moves pos past it and one following '.'; 0 when
// there is no digit there. Saturates instead of overflowing.
std::uint32_t ReadNumber(const std::string& text, size_t& pos)
{
    std::uint64_t value = 0;
    bool any = false;
    while (pos < text.size() && std::isdigit(static_cast<unsigned char>(text[pos]))) {
        any = true;
        value = value * 10 + std::uint64_t(text[pos] - '0');
        if (value > 0xFFFFFFFFull)
            value = 0xFFFFFFFFull;
        ++pos;
    }
    if (!any) {
        pos = text.size();
        return 0;
    }
    if (pos < text.size() && text[pos] == '.')
        ++pos;
    else
        pos = text.size();
    return std::uint32_t(value);
}

} // namespace

TVersionRecord ParseKernelRelease(const std::string& release)
{
    TVersionRecord record;
    size_t pos = 0;
    record.Major = ReadNumber(release, pos);
    record.Minor = ReadNumber(release, pos);
    record.Build = ReadNumber(release, pos);
    return record;
}

WTypes WindowsTypeForPlatform(std::uint32_t platformId)
{
    switch (platformId) {
    case VerPlatformWin32s:
        return z_Win32S;
    case VerPlatformWindows:
        return z_95;
    case VerPlatformNT:
        return z_NT;
    default:
        return z_Windows;
    }
}

void SetVersionRecord(const TVersionRecord& record)
{
    gRecord = record;
    gRecord.Build &= BuildMask;
    gType = WindowsTypeForPlatform(record.PlatformId);
}

void ZhelperStartup()
{
    utsname names{};
    if (uname(&names) != 0) {
        SetVersionRecord(TVersionRecord{});
        return;
    }
    SetVersionRecord(ParseKernelRelease(names.release));
}

WTypes WindowsType() { return gType; }
std::uint32_t MajorVersion() { return gRecord.Major; }
std::uint32_t MinorVersion() { return gRecord.Minor; }
std::uint32_t BuildVersion() { return gRecord.Build; }
bool IsWorkgroup() { return false; }
bool Is311() { return false; }

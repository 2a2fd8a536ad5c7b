#pragma once
// The operating-system version record, filled once at start-up from uname(2). The kernel's
// release "major.minor.patch..." gives the major, minor and build numbers; this system runs on
// a protected-mode multi-user kernel and reports itself as the NT family.

#include <cstdint>
#include <string>

enum WTypes : std::uint8_t { z_Windows, z_WFW, z_Win32S, z_NT, z_95 };

// Platform identifiers of the version record.
constexpr std::uint32_t VerPlatformWin32s = 0;
constexpr std::uint32_t VerPlatformWindows = 1;
constexpr std::uint32_t VerPlatformNT = 2;

struct TVersionRecord {
    std::uint32_t PlatformId = VerPlatformNT;
    std::uint32_t Major = 0;
    std::uint32_t Minor = 0;
    std::uint32_t Build = 0;
};

// The record for a kernel release text ("6.1.0-18-amd64"); missing or non-numeric parts read 0.
TVersionRecord ParseKernelRelease(const std::string& release);
// z_Win32S, z_95 or z_NT for the three known platforms, z_Windows for any other.
WTypes WindowsTypeForPlatform(std::uint32_t platformId);

// Reads the running system's version (uname) into the record.
void ZhelperStartup();
// Puts a given record in place (what start-up does with the system's own).
void SetVersionRecord(const TVersionRecord& record);

WTypes WindowsType();
std::uint32_t MajorVersion();
std::uint32_t MinorVersion();
// The build number's low 16 bits.
std::uint32_t BuildVersion();
bool IsWorkgroup();
bool Is311();

#pragma once

// What the system reports about itself: the user's name and the version of
// the running system. The version is the running kernel's (major 6, minor 1,
// build 0 for the release "6.1.0-18-amd64"): RtlGetVersion reads it straight from the kernel; GetVersionExW,
// which the run-time library reads, falls back to the kernel headers the
// stand-in was built with when the running kernel's release cannot be read.

#include "platform/win/WinTypes.h"

#include <optional>

namespace win {

constexpr DWORD VER_PLATFORM_WIN32_NT = 2;
using NTSTATUS = LONG;
constexpr NTSTATUS STATUS_SUCCESS = 0;
constexpr NTSTATUS STATUS_UNSUCCESSFUL = static_cast<NTSTATUS>(0xC0000001);

struct OSVERSIONINFOW {
    DWORD dwOSVersionInfoSize;
    DWORD dwMajorVersion;
    DWORD dwMinorVersion;
    DWORD dwBuildNumber;
    DWORD dwPlatformId;
    WCHAR szCSDVersion[128];
};
using LPOSVERSIONINFOW = OSVERSIONINFOW*;
using RTL_OSVERSIONINFOW = OSVERSIONINFOW;
using PRTL_OSVERSIONINFOW = OSVERSIONINFOW*;

// The login name of the effective user. *size is in characters including
// the terminating zero, on success and (as the size needed) on
// ERROR_INSUFFICIENT_BUFFER alike.
BOOL GetUserNameW(LPWSTR buffer, LPDWORD size);

// dwOSVersionInfoSize must be sizeof(OSVERSIONINFOW).
BOOL GetVersionExW(LPOSVERSIONINFOW info);

// STATUS_UNSUCCESSFUL when the running kernel's version cannot be read.
NTSTATUS RtlGetVersion(PRTL_OSVERSIONINFOW info);

// Tests stand in for the running system: Kernel drives RtlGetVersion (nullopt
// makes it fail), RunTime drives GetVersionExW. Resetting the override
// restores the real values.
struct TOsVersion {
    DWORD Major;
    DWORD Minor;
    DWORD Build;
};
struct TSystemVersionOverride {
    std::optional<TOsVersion> Kernel;
    TOsVersion RunTime;
};
void SetSystemVersionOverride(std::optional<TSystemVersionOverride> versions);

} // namespace win

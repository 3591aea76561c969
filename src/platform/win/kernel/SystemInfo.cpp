#include "platform/win/kernel/SystemInfo.h"

#include "platform/rtl/String.h"
#include "platform/win/WinError.h"
#include "platform/win/kernel/LastError.h"
#include "platform/win/kernel/WideBuffer_p.h"

#include <cstdlib>
#include <linux/version.h>
#include <mutex>
#include <pwd.h>
#include <sys/utsname.h>
#include <unistd.h>
#include <vector>

namespace win {

namespace {

std::mutex& OverrideLock() {
    static std::mutex lock;
    return lock;
}

std::optional<TSystemVersionOverride>& Override() {
    static std::optional<TSystemVersionOverride> versions;
    return versions;
}

std::optional<TSystemVersionOverride> CurrentOverride() {
    std::lock_guard lock(OverrideLock());
    return Override();
}

// "6.1.0-18-amd64" gives 6, 1, 0; a release that does not start with a
// number is not a version.
std::optional<TOsVersion> ParseRelease(const char* release) {
    DWORD parts[3] = {0, 0, 0};
    const char* p = release;
    for (int i = 0; i < 3; ++i) {
        if (*p < '0' || *p > '9') {
            if (i == 0)
                return std::nullopt;
            break;
        }
        DWORD value = 0;
        while (*p >= '0' && *p <= '9') {
            value = value < 100000000 ? value * 10 + static_cast<DWORD>(*p - '0') : value;
            ++p;
        }
        parts[i] = value;
        if (*p != '.')
            break;
        ++p;
    }
    return TOsVersion{parts[0], parts[1], parts[2]};
}

std::optional<TOsVersion> RunningKernelVersion() {
    struct utsname names {};
    if (::uname(&names) != 0)
        return std::nullopt;
    return ParseRelease(names.release);
}

TOsVersion BuildTimeKernelVersion() {
    return {LINUX_VERSION_CODE >> 16, (LINUX_VERSION_CODE >> 8) & 0xFF, LINUX_VERSION_CODE & 0xFF};
}

bool Fill(OSVERSIONINFOW* info, const TOsVersion& version) {
    if (!info || info->dwOSVersionInfoSize != sizeof(OSVERSIONINFOW))
        return false;
    info->dwMajorVersion = version.Major;
    info->dwMinorVersion = version.Minor;
    info->dwBuildNumber = version.Build;
    info->dwPlatformId = VER_PLATFORM_WIN32_NT;
    info->szCSDVersion[0] = 0;
    return true;
}

std::optional<std::string> EffectiveUserName() {
    std::vector<char> scratch(16384);
    struct passwd entry {};
    struct passwd* found = nullptr;
    if (::getpwuid_r(::geteuid(), &entry, scratch.data(), scratch.size(), &found) == 0 && found &&
        found->pw_name && *found->pw_name)
        return std::string(found->pw_name);
    // Containers may run with a user id that has no entry; the login variables name it then.
    for (const char* variable : {"USER", "LOGNAME"})
        if (const char* value = std::getenv(variable); value && *value)
            return std::string(value);
    return std::nullopt;
}

} // namespace

BOOL GetUserNameW(LPWSTR buffer, LPDWORD size) {
    if (!size) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    const auto name = EffectiveUserName();
    if (!name) {
        SetLastError(ERROR_NONE_MAPPED);
        return 0;
    }
    const rtl::String text = rtl::Utf8ToString(*name);
    const DWORD available = *size;
    *size = static_cast<DWORD>(text.size() + 1);
    if (!detail::CopyToWideBuffer(text, buffer, available)) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    return 1;
}

BOOL GetVersionExW(LPOSVERSIONINFOW info) {
    const auto versions = CurrentOverride();
    const TOsVersion version =
        versions ? versions->RunTime : RunningKernelVersion().value_or(BuildTimeKernelVersion());
    if (!Fill(info, version)) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    return 1;
}

NTSTATUS RtlGetVersion(PRTL_OSVERSIONINFOW info) {
    const auto versions = CurrentOverride();
    const auto version = versions ? versions->Kernel : RunningKernelVersion();
    return version && Fill(info, *version) ? STATUS_SUCCESS : STATUS_UNSUCCESSFUL;
}

void SetSystemVersionOverride(std::optional<TSystemVersionOverride> versions) {
    std::lock_guard lock(OverrideLock());
    Override() = std::move(versions);
}

} // namespace win

#include "platform/win/kernel/SystemInfo.h"

#include "platform/rtl/Clock.h"
#include "platform/rtl/String.h"
#include "platform/win/WinError.h"
#include "platform/win/kernel/Debug.h"
#include "platform/win/kernel/KernelTestSupport.h"
#include "platform/win/kernel/LastError.h"
#include "platform/win/kernel/Time.h"

#include <cstdio>
#include <pwd.h>
#include <sys/utsname.h>
#include <unistd.h>

#include <gtest/gtest.h>

using namespace win;
using testsupport::RunToEnd;
using testsupport::ScopedEnv;

namespace {

OSVERSIONINFOW EmptyInfo() {
    OSVERSIONINFOW info{};
    info.dwOSVersionInfoSize = sizeof(info);
    return info;
}

} // namespace

TEST(GetUserNameW, NamesTheEffectiveUserWithTheSystemsSizeRules) {
    const passwd* entry = ::getpwuid(::geteuid());
    ASSERT_NE(entry, nullptr);
    const rtl::String name = rtl::Utf8ToString(entry->pw_name);
    const auto needed = static_cast<DWORD>(name.size() + 1);

    WCHAR buffer[256];
    DWORD size = 255;
    ASSERT_TRUE(GetUserNameW(buffer, &size));
    EXPECT_EQ(size, needed) << "the size counts the terminating zero";
    EXPECT_EQ(rtl::String(buffer), name);

    for (const DWORD tooSmall : {DWORD(0), needed - 1}) {
        size = tooSmall;
        SetLastError(0);
        EXPECT_FALSE(GetUserNameW(buffer, &size));
        EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
        EXPECT_EQ(size, needed);
    }
    EXPECT_FALSE(GetUserNameW(buffer, nullptr));
}

TEST(RtlGetVersion, ReportsTheRunningKernel) {
    utsname names{};
    ASSERT_EQ(::uname(&names), 0);
    unsigned major = 0;
    unsigned minor = 0;
    ASSERT_EQ(std::sscanf(names.release, "%u.%u", &major, &minor), 2);

    OSVERSIONINFOW kernel = EmptyInfo();
    ASSERT_EQ(RtlGetVersion(&kernel), STATUS_SUCCESS);
    EXPECT_EQ(kernel.dwMajorVersion, major);
    EXPECT_EQ(kernel.dwMinorVersion, minor);
    EXPECT_EQ(kernel.dwPlatformId, VER_PLATFORM_WIN32_NT);

    OSVERSIONINFOW runTime = EmptyInfo();
    ASSERT_TRUE(GetVersionExW(&runTime));
    EXPECT_EQ(runTime.dwMajorVersion, major);

    OSVERSIONINFOW wrongSize{};
    EXPECT_NE(RtlGetVersion(&wrongSize), STATUS_SUCCESS);
    EXPECT_FALSE(GetVersionExW(&wrongSize));
    EXPECT_NE(RtlGetVersion(nullptr), STATUS_SUCCESS);
}

TEST(RtlGetVersion, TestsCanPresentAnotherSystem) {
    SetSystemVersionOverride(TSystemVersionOverride{TOsVersion{10, 0, 19045}, TOsVersion{6, 2, 9200}});
    OSVERSIONINFOW kernel = EmptyInfo();
    OSVERSIONINFOW runTime = EmptyInfo();
    EXPECT_EQ(RtlGetVersion(&kernel), STATUS_SUCCESS);
    EXPECT_TRUE(GetVersionExW(&runTime));
    EXPECT_EQ(kernel.dwBuildNumber, 19045u);
    EXPECT_EQ(runTime.dwMajorVersion, 6u);
    EXPECT_EQ(runTime.dwBuildNumber, 9200u);

    SetSystemVersionOverride(TSystemVersionOverride{std::nullopt, TOsVersion{6, 1, 7601}});
    EXPECT_EQ(RtlGetVersion(&kernel), STATUS_UNSUCCESSFUL);
    SetSystemVersionOverride(std::nullopt);
    EXPECT_EQ(RtlGetVersion(&kernel), STATUS_SUCCESS);
}

TEST(VirtualClock, MovesOnlyWithSleepAndAdvance) {
    UseVirtualClock(1000);
    EXPECT_EQ(GetTickCount64(), 1000u);
    Sleep(250);
    AdvanceVirtualClock(5);
    EXPECT_EQ(GetTickCount64(), 1255u);
    UseVirtualClock(0xFFFFFFFFull + 5);
    EXPECT_EQ(GetTickCount(), 4u) << "the 32-bit count wraps";
    EXPECT_EQ(rtl::TClock::Now(), GetTickCount64()) << "one clock for the whole process";
    UseRealClock();
    const ULONGLONG before = GetTickCount64();
    Sleep(20);
    EXPECT_GE(GetTickCount64(), before + 20);
}

TEST(OutputDebugStringW, ReachesTheHookInsteadOfTheDeveloper) {
    std::vector<rtl::String> seen;
    const TDebugOutputHook previous =
        SetDebugOutputHook([&seen](rtl::StringView text) { seen.emplace_back(text); });
    OutputDebugStringW(u"Rd_Hook: BadReadPtr");
    OutputDebugStringW(nullptr);
    SetDebugOutputHook(previous);
    EXPECT_EQ(seen, (std::vector<rtl::String>{u"Rd_Hook: BadReadPtr", u""}));
}

TEST(OutputDebugStringW, IsVisibleToADeveloperWhoAsksAndSilentOtherwise) {
    struct Row {
        std::optional<std::string> setting;
        const char* expected;
    };
    const Row rows[] = {{std::nullopt, ""}, {"0", ""}, {"1", "[debug] RdApiHook err1:\n"}};
    for (const Row& row : rows) {
        ScopedEnv setting("LUMORA_DEBUG_OUTPUT", row.setting);
        const auto result = RunToEnd({WIN_KERNEL_PROBE, "debug", "RdApiHook err1:"}, testsupport::eoMergeErrors);
        EXPECT_EQ(result.ExitCode, 0);
        EXPECT_EQ(result.Output, row.expected) << row.setting.value_or("unset");
    }
}

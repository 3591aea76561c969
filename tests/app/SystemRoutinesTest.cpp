#include "app/SystemRoutines.h"

#include "platform/rtl/String.h"
#include "platform/win/kernel/KernelTestSupport.h"
#include "platform/win/kernel/Process.h"
#include "platform/win/kernel/SystemInfo.h"
#include "platform/win/kernel/Time.h"
#include "platform/win/registry/Registry.h"
#include "platform/win/registry/RegistrySeed.h"
#include "platform/win/shell/ShellExecute.h"
#include "platform/win/shell/SpecialFolders.h"
#include "platform/win/user/Input.h"
#include "platform/win/user/Message.h"
#include "platform/win/user/SystemInfo.h"
#include "platform/win/user/UserTesting.h"
#include "platform/win/user/Window.h"
#include "platform/win/user/WindowPos.h"

#include <cstdlib>
#include <pwd.h>
#include <stdexcept>
#include <sys/utsname.h>
#include <unistd.h>

#include <gtest/gtest.h>

using namespace app;
using testsupport::ScopedEnv;
using testsupport::TempDir;

namespace {

constexpr const char16_t* kUninstall = u"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";
constexpr const char16_t* kIEAppPath =
    u"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\IEXPLORE.EXE";

class SystemRoutinesTest : public ::testing::Test {
protected:
    void SetUp() override { Reset(); }
    void TearDown() override { Reset(); }

    static void Reset() {
        ResetSystemRoutineCaches();
        win::SetSystemVersionOverride(std::nullopt);
        win::SetShellExecuteHook({});
        win::RegClearSeeds();
    }

    static void PresentSystem(win::DWORD major, win::DWORD build) {
        ResetSystemRoutineCaches();
        win::SetSystemVersionOverride(
            win::TSystemVersionOverride{win::TOsVersion{major, 0, build}, {major, 0, build}});
    }
};

std::string MyHome() {
    const passwd* me = ::getpwuid(::geteuid());
    return me ? me->pw_dir : "";
}

// Records every shell call and answers each with the next scripted value;
// a value of -1 raises instead.
struct ScriptedShell {
    explicit ScriptedShell(std::vector<win::INT_PTR> answers) : FAnswers(std::move(answers)) {
        win::SetShellExecuteHook([this](const win::TShellExecuteCall& call) -> std::optional<win::INT_PTR> {
            Calls.push_back(call);
            const win::INT_PTR answer = FAnswers.empty() ? 42 : FAnswers.front();
            if (!FAnswers.empty())
                FAnswers.erase(FAnswers.begin());
            if (answer < 0)
                throw std::runtime_error("shell failure");
            return answer;
        });
    }
    ~ScriptedShell() { win::SetShellExecuteHook({}); }
    std::vector<win::TShellExecuteCall> Calls;

private:
    std::vector<win::INT_PTR> FAnswers;
};

} // namespace

TEST_F(SystemRoutinesTest, GetSpecialFolderFallsBackOnShortOrFailedShellAnswers) {
    using EnvList = std::vector<std::pair<const char*, std::optional<std::string>>>;
    const std::string tooLong = "/" + std::string(300, 'x');
    struct Row {
        const char* label;
        int folderId;
        EnvList env;
        std::string expected;
    };
    const Row rows[] = {
        {"shell answer used", 28, {{"XDG_DATA_HOME", "/data/home"}, {"LOCALAPPDATA", "/env"}}, "/data/home"},
        {"three characters are an answer", 28, {{"XDG_DATA_HOME", "/ab"}, {"LOCALAPPDATA", "/env"}}, "/ab"},
        {"two characters fall back, trimmed",
         28,
         {{"XDG_DATA_HOME", "/a"}, {"LOCALAPPDATA", " \t/env/local \r\n"}},
         "/env/local"},
        {"failed shell: the variable wins over the fixed path",
         28,
         {{"XDG_DATA_HOME", tooLong}, {"LOCALAPPDATA", "/env/local"}},
         "/env/local"},
        {"failed shell, blank variable: the fixed path",
         28,
         {{"XDG_DATA_HOME", tooLong}, {"LOCALAPPDATA", "  "}},
         MyHome() + "/.local/share"},
        {"failed shell, no variable: the fixed path",
         26,
         {{"XDG_CONFIG_HOME", tooLong}, {"APPDATA", std::nullopt}},
         MyHome() + "/.config"},
        {"roaming data variable", 26, {{"XDG_CONFIG_HOME", "/c"}, {"APPDATA", "/roaming"}}, "/roaming"},
        {"profile variable", 40, {{"HOME", "/h"}, {"USERPROFILE", "/profile"}}, "/profile"},
        {"profile fixed path", 40, {{"HOME", "/h"}, {"USERPROFILE", std::nullopt}}, MyHome()},
        {"common data variable",
         35,
         {{"XDG_DATA_DIRS", "/d"}, {"ProgramData", "/programdata"}},
         "/programdata"},
        {"common data fixed path",
         35,
         {{"XDG_DATA_DIRS", "/d"}, {"ProgramData", std::nullopt}},
         "/usr/local/share"},
        {"program files", 38, {{"ProgramFiles", "/ignored"}}, "/opt"},
        {"common program files", 43, {}, "/usr/local/lib"},
        {"unknown id whose call fails", 0x7F, {{"LOCALAPPDATA", "/env"}}, ""},
    };
    for (const Row& row : rows) {
        std::vector<std::unique_ptr<ScopedEnv>> env;
        for (const auto& [name, value] : row.env)
            env.push_back(std::make_unique<ScopedEnv>(name, value));
        EXPECT_EQ(rtl::StringToUtf8(GetSpecialFolder(nullptr, row.folderId)), row.expected) << row.label;
    }
}

TEST_F(SystemRoutinesTest, GetCurrentUserNameIsTheLoginName) {
    const passwd* me = ::getpwuid(::geteuid());
    ASSERT_NE(me, nullptr);
    EXPECT_EQ(GetCurrentUserName(), rtl::Utf8ToString(me->pw_name));
}

TEST_F(SystemRoutinesTest, GetRealOSVersionReadsTheSystemOnceWithTheRunTimeValuesAsFallback) {
    win::SetSystemVersionOverride(
        win::TSystemVersionOverride{win::TOsVersion{10, 0, 0x20000 + 19045}, {6, 2, 9200}});
    const TRealOSVersion& version = GetRealOSVersion();
    EXPECT_EQ(version.Major, 10u);
    EXPECT_EQ(version.Build, 19045u) << "only the low 16 bits";

    win::SetSystemVersionOverride(win::TSystemVersionOverride{win::TOsVersion{5, 1, 2600}, {5, 1, 2600}});
    EXPECT_EQ(GetRealOSVersion().Major, 10u) << "filled once per process";
    EXPECT_EQ(&GetRealOSVersion(), &version);

    ResetSystemRoutineCaches();
    win::SetSystemVersionOverride(win::TSystemVersionOverride{std::nullopt, {6, 1, 7601}});
    EXPECT_EQ(GetRealOSVersion().Major, 6u);
    EXPECT_EQ(GetRealOSVersion().Minor, 1u);
    EXPECT_EQ(GetRealOSVersion().Build, 7601u);

    ResetSystemRoutineCaches();
    win::SetSystemVersionOverride(std::nullopt);
    utsname names{};
    ASSERT_EQ(::uname(&names), 0);
    EXPECT_EQ(GetRealOSVersion().Major, static_cast<win::DWORD>(std::atoi(names.release)));
}

TEST_F(SystemRoutinesTest, A64BitProcessIsNotUnderWow64) {
    bool isWow = true;
    EXPECT_TRUE(IsWow64(win::GetCurrentProcess(), isWow));
    EXPECT_FALSE(isWow);
    isWow = true;
    EXPECT_FALSE(IsWow64(reinterpret_cast<win::HANDLE>(std::uintptr_t(0x1234)), isWow)) << "the query fails";
    EXPECT_FALSE(isWow);
    EXPECT_FALSE(IsCurrentProcessWow64());
}

TEST_F(SystemRoutinesTest, HasListedUninstallEntryLooksOnlyOnNewEnoughSystems) {
    struct Row {
        const char* label;
        win::DWORD major;
        win::DWORD build;
        const char16_t* seeded; // nullptr: nothing
        bool expected;
        bool touchesRegistry;
    };
    const Row rows[] = {
        {"new enough, first key", 10, 10586, u"360TotalSecurity", true, true},
        {"new enough, last key", 10, 19045, u"iSafe", true, true},
        {"a similar name is not listed", 10, 19045, u"MPC Player", false, true},
        {"nothing installed", 10, 19045, nullptr, false, true},
        {"build too old", 10, 10585, u"MPC", false, false},
        {"system too old", 6, 9600, u"MPC", false, false},
    };
    for (const Row& row : rows) {
        win::RegClearSeeds();
        if (row.seeded)
            win::RegSeedKey(win::HKEY_LOCAL_MACHINE, rtl::String(kUninstall) + row.seeded);
        PresentSystem(row.major, row.build);
        const std::uint64_t opensBefore = win::RegOpenCount();
        EXPECT_EQ(HasListedUninstallEntry(), row.expected) << row.label;
        EXPECT_EQ(win::RegOpenCount() != opensBefore, row.touchesRegistry) << row.label;
    }
}

TEST_F(SystemRoutinesTest, GetIEPathPrefersTheProgramFolderThenTheRegistry) {
    EXPECT_EQ(GetIEPath(), u"/opt/Internet Explorer/iexplore.exe")
        << "the guess stands without a registry entry";
    win::RegSeedStringValue(win::HKEY_LOCAL_MACHINE, kIEAppPath, u"", u"/usr/bin/some-browser");
    EXPECT_EQ(GetIEPath(), u"/usr/bin/some-browser");
}

TEST_F(SystemRoutinesTest, OpenURLRetriesWithTheBrowserPathOnlyWhenItHelps) {
    const rtl::String url = u"https://www.lumora.example/";
    const rtl::String iePath = GetIEPath();
    struct Row {
        const char* label;
        std::vector<win::INT_PTR> answers;
        win::INT_PTR result;
        bool retried;
    };
    const Row rows[] = {
        {"success", {42}, 42, false},
        {"no association: retried", {win::SE_ERR_NOASSOC, 42}, 42, true},
        {"file not found: retried", {win::SE_ERR_FNF, 33}, 33, true},
        {"retry fails too", {win::SE_ERR_NOASSOC, win::SE_ERR_FNF}, win::SE_ERR_FNF, true},
        {"DDE failure: not retried", {win::SE_ERR_DDEFAIL}, win::SE_ERR_DDEFAIL, false},
        {"33 is success", {33}, 33, false},
    };
    for (const Row& row : rows) {
        ScriptedShell shell(row.answers);
        EXPECT_EQ(OpenURL(url), row.result) << row.label;
        ASSERT_EQ(shell.Calls.size(), row.retried ? 2u : 1u) << row.label;
        const win::TShellExecuteCall& first = shell.Calls[0];
        EXPECT_EQ(first.File, url) << row.label;
        EXPECT_EQ(first.Operation, rtl::String(u"open")) << row.label;
        EXPECT_EQ(first.Parameters, std::nullopt) << "empty parameters become null";
        EXPECT_EQ(first.Directory, std::nullopt) << "an empty folder becomes null";
        EXPECT_EQ(first.ShowCmd, 1);
        if (row.retried) {
            EXPECT_EQ(shell.Calls[1].File, iePath) << row.label;
            EXPECT_EQ(shell.Calls[1].Parameters, url) << row.label;
        }
    }
}

TEST_F(SystemRoutinesTest, OpenURLGoesStraightToTheBrowserWhenAListedProductIsInstalled) {
    win::RegSeedKey(win::HKEY_LOCAL_MACHINE, rtl::String(kUninstall) + u"MPC");
    PresentSystem(10, 10586);
    ScriptedShell shell({42});
    EXPECT_EQ(OpenURL(u"https://x.example/", 1, nullptr, u"open", u"ignored params", u"/tmp"), 42);
    ASSERT_EQ(shell.Calls.size(), 1u);
    EXPECT_EQ(shell.Calls[0].File, u"IExplore.EXE");
    EXPECT_EQ(shell.Calls[0].Parameters, rtl::String(u"https://x.example/"));
    EXPECT_EQ(shell.Calls[0].Directory, rtl::String(u"/tmp"));
}

TEST_F(SystemRoutinesTest, OpenURLFallsBackToTheBrowserNameWhenTheShellRaises) {
    ScriptedShell shell({-1, 42});
    EXPECT_EQ(OpenURL(u"https://x.example/"), 42);
    ASSERT_EQ(shell.Calls.size(), 2u);
    EXPECT_EQ(shell.Calls[1].File, u"IExplore.EXE");
    EXPECT_EQ(shell.Calls[1].Parameters, rtl::String(u"https://x.example/"));

    ScriptedShell failing({-1, -1});
    EXPECT_EQ(OpenURL(u"https://x.example/"), 0) << "nothing escapes";
}

TEST_F(SystemRoutinesTest, OpenURLReachesTheDesktopsOpenerOrTheRegisteredBrowser) {
    TempDir bin;
    TempDir work;
    const std::string record = work.Path() + "/record";
    // Runs without PATH: only shell built-ins and absolute paths.
    const char* recorder = "#!/bin/sh\nprintf '%s %s\\n' \"${0##*/}\" \"$1\" > \"$RECORD.tmp\"\n"
                           "/bin/mv \"$RECORD.tmp\" \"$RECORD\"\n";
    testsupport::WriteTextFile(bin.Path() + "/xdg-open", recorder, true);
    testsupport::WriteTextFile(work.Path() + "/browser", recorder, true);
    ScopedEnv recordEnv("RECORD", record);
    {
        ScopedEnv path("PATH", bin.Path() + ":" + std::getenv("PATH"));
        EXPECT_GT(OpenURL(u"https://app.lumora.example/"), 32);
        ASSERT_TRUE(testsupport::WaitForFile(record));
        EXPECT_EQ(testsupport::ReadTextFile(record), "xdg-open https://app.lumora.example/\n");
        ::unlink(record.c_str());
    }
    // Without an opener the shell answers SE_ERR_NOASSOC and the address goes to the browser.
    TempDir emptyBin;
    ScopedEnv path("PATH", emptyBin.Path());
    win::RegSeedStringValue(win::HKEY_LOCAL_MACHINE, kIEAppPath, u"",
                            rtl::Utf8ToString(work.Path() + "/browser"));
    EXPECT_GT(OpenURL(u"https://app.lumora.example/"), 32);
    ASSERT_TRUE(testsupport::WaitForFile(record));
    EXPECT_EQ(testsupport::ReadTextFile(record), "browser https://app.lumora.example/\n");
}

TEST_F(SystemRoutinesTest, ForceForegroundWindowRestoresAMinimisedWindowAndTakesTheForeground) {
    struct Row {
        const char* label;
        win::TOsVersion version;
        bool foreground;
    };
    const Row rows[] = {
        {"version 6 and later: an empty input lifts the foreground lock", {6, 1, 7601}, true},
        {"older NT: the lock time-out is lifted for a moment", {5, 1, 2600}, true},
        {"NT 4: the lock stands", {4, 0, 1381}, false},
    };
    win::UseVirtualClock(1000000);
    for (const Row& row : rows) {
        ResetSystemRoutineCaches();
        win::SetSystemVersionOverride(win::TSystemVersionOverride{row.version, row.version});
        win::ResetWindowManager();
        win::WNDCLASSEXW wc{};
        wc.cbSize = sizeof(wc);
        wc.lpfnWndProc = &win::DefWindowProcW;
        wc.lpszClassName = u"TfrmLumoraAI";
        ASSERT_NE(win::RegisterClassExW(&wc), 0);
        const win::HWND window =
            win::CreateWindowExW(0, u"TfrmLumoraAI", u"Lumora AI", win::WS_OVERLAPPEDWINDOW, 0, 0, 300, 200,
                                 nullptr, nullptr, nullptr, nullptr);
        win::ShowWindow(window, win::SW_SHOWMINIMIZED);
        // Another application takes the foreground; nothing of ours has had input since.
        win::HeadlessDisplay().SimulateActivation(0);
        win::MSG msg{};
        while (win::PeekMessageW(&msg, nullptr, 0, 0, win::PM_REMOVE))
            win::DispatchMessageW(&msg);
        ASSERT_EQ(win::GetForegroundWindow(), nullptr) << row.label;
        win::DWORD lockBefore = 0;
        win::SystemParametersInfoW(win::SPI_GETFOREGROUNDLOCKTIMEOUT, 0, &lockBefore, 0);

        EXPECT_EQ(ForceForegroundWindow(window), row.foreground) << row.label;

        EXPECT_FALSE(win::IsIconic(window)) << row.label;
        EXPECT_TRUE(win::IsWindowVisible(window)) << row.label;
        EXPECT_EQ(win::GetForegroundWindow() == window, row.foreground) << row.label;
        win::DWORD lockAfter = 0;
        win::SystemParametersInfoW(win::SPI_GETFOREGROUNDLOCKTIMEOUT, 0, &lockAfter, 0);
        EXPECT_EQ(lockAfter, lockBefore) << row.label;
    }
    win::ResetWindowManager();
    win::UseRealClock();
}

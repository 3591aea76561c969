// Finding and posting to windows of other processes of the session.

#include "UserTestSupport.h"

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace win::test {
namespace {

constexpr UINT kActivate = 1125;

class CrossProcessTest : public UserTest {
protected:
    void SetUp() override {
        UserTest::SetUp();
        UseRealClock();
        char pattern[] = "/tmp/win-user-session-XXXXXX";
        ASSERT_NE(::mkdtemp(pattern), nullptr);
        FRuntime = pattern;
        SetSessionWindowDirectory(FRuntime + "/lumora-windows");
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof(wc);
        wc.lpfnWndProc = &LoggingProc;
        wc.lpszClassName = u"TfrmLumoraAI";
        ASSERT_NE(RegisterClassExW(&wc), 0);
    }
    void TearDown() override {
        UserTest::TearDown();
        std::filesystem::remove_all(FRuntime);
    }

    // Runs the poster in a session whose runtime folder is ours; its exit code.
    int RunPoster(const std::string& cls, const std::string& caption, UINT msg) const {
        std::vector<std::string> env;
        for (char** e = environ; *e; ++e)
            if (std::strncmp(*e, "XDG_RUNTIME_DIR=", 16) != 0)
                env.emplace_back(*e);
        env.push_back("XDG_RUNTIME_DIR=" + FRuntime);
        std::vector<char*> envp;
        for (std::string& e : env)
            envp.push_back(e.data());
        envp.push_back(nullptr);
        std::string exe = WIN_USER_WINDOW_POSTER;
        std::string msgText = std::to_string(msg);
        std::string c = cls;
        std::string t = caption;
        char* argv[] = {exe.data(), c.data(), t.data(), msgText.data(), nullptr};
        pid_t pid = 0;
        if (::posix_spawn(&pid, exe.c_str(), nullptr, nullptr, argv, envp.data()) != 0)
            return -1;
        int status = 0;
        ::waitpid(pid, &status, 0);
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    // Reads messages until one of `msg` arrives or the time is up.
    static bool WaitFor(UINT msg) {
        const UINT_PTR timer = SetTimer(nullptr, 0, 5000, nullptr);
        MSG m{};
        while (GetMessageW(&m, nullptr, 0, 0) > 0) {
            if (m.message == WM_TIMER && m.hwnd == nullptr && m.wParam == timer)
                break;
            DispatchMessageW(&m);
            if (m.message == msg) {
                KillTimer(nullptr, timer);
                return true;
            }
        }
        KillTimer(nullptr, timer);
        return false;
    }

    std::string FRuntime;
};

TEST_F(CrossProcessTest, AnotherProcessFindsTheWindowAndPostsToIt) {
    HWND main = CreateWindowExW(0, u"TfrmLumoraAI", u"Lumora AI", WS_POPUP, 0, 0, 100, 100, nullptr, nullptr,
                                nullptr, nullptr);
    ASSERT_NE(main, nullptr);
    EXPECT_EQ(RunPoster("TfrmLumoraAI", "Lumora AI", kActivate), 0);
    ASSERT_TRUE(WaitFor(kActivate));
    EXPECT_EQ(gLog.Last(main, kActivate)->Hwnd, main);
}

TEST_F(CrossProcessTest, OnlyMatchingLiveWindowsAreFound) {
    EXPECT_EQ(RunPoster("TfrmLumoraAI", "Lumora AI", kActivate), 2) << "no window yet";
    HWND main = CreateWindowExW(0, u"TfrmLumoraAI", u"Lumora", WS_POPUP, 0, 0, 100, 100, nullptr, nullptr,
                                nullptr, nullptr);
    EXPECT_EQ(RunPoster("TfrmLumoraAI", "Lumora AI", kActivate), 2) << "another caption";
    SetWindowTextW(main, u"Lumora AI");
    EXPECT_EQ(RunPoster("TfrmLumoraAI", "Lumora AI", WM_SETTEXT), 3) << "messages with pointers stay home";
    DestroyWindow(main);
    EXPECT_EQ(RunPoster("TfrmLumoraAI", "Lumora AI", kActivate), 2)
        << "destroyed windows leave the directory";
}

TEST_F(CrossProcessTest, EntriesOfDeadProcessesAreIgnored) {
    // A process that has ended left an entry naming a matching window.
    const int code = RunPoster("x", "y", kActivate);
    ASSERT_EQ(code, 2);
    pid_t dead = 0;
    {
        char* argv[] = {const_cast<char*>("/bin/true"), nullptr};
        ASSERT_EQ(::posix_spawn(&dead, "/bin/true", nullptr, nullptr, argv, environ), 0);
        ::waitpid(dead, nullptr, 0);
    }
    const std::string dir = FRuntime + "/lumora-windows";
    std::filesystem::create_directories(dir);
    std::filesystem::permissions(dir, std::filesystem::perms::owner_all);
    const std::string stale = dir + "/" + std::to_string(dead) + ".wnd";
    std::ofstream(stale) << "10001\t1\tTfrmLumoraAI\tLumora%20AI\n";
    EXPECT_EQ(FindWindowW(u"TfrmLumoraAI", u"Lumora AI"), nullptr);
    EXPECT_FALSE(std::filesystem::exists(stale));
    // A malformed entry of a live process is skipped line by line.
    const std::string garbled = dir + "/1.wnd";
    std::ofstream(garbled) << "zz\t1\tTfrmLumoraAI\tLumora%20AI\n10001\t1\tTfrmLumoraAI\tLumora%2\n";
    EXPECT_EQ(FindWindowW(u"TfrmLumoraAI", u"Lumora AI"), nullptr);
}

} // namespace
} // namespace win::test

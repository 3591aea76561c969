// Finding and posting to windows of other processes of the session.

#include "UserTestSupport.h"
#include "platform/win/kernel/KernelTestSupport.h"

#include <atomic>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace win::test {
namespace {

using testsupport::ChildProcess;
using testsupport::ScopedEnv;
using testsupport::TempDir;

constexpr UINT kActivate = 1125;
constexpr std::uint32_t kWireMagic = 0x4D574D4C;

// One record as the window directory's socket carries it.
struct TRecord {
    std::uint32_t Magic;
    std::uint32_t Hwnd;
    std::uint32_t Message;
    std::uint32_t Reserved;
    std::uint64_t WParam;
    std::int64_t LParam;
};
static_assert(sizeof(TRecord) == 32);

TRecord Record(HWND hwnd, UINT msg, WPARAM wParam = 0) {
    return {kWireMagic, static_cast<std::uint32_t>(reinterpret_cast<ULONG_PTR>(hwnd)), msg, 0, wParam, 0};
}

int ConnectTo(const std::string& path) {
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, path.c_str(), sizeof(address.sun_path) - 1);
    if (fd >= 0 && ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

// Sends what fits without waiting: a receiver that stops reading must not stall the test.
void SendSome(int fd, const void* data, std::size_t size) {
    [[maybe_unused]] const ssize_t sent = ::send(fd, data, size, MSG_DONTWAIT | MSG_NOSIGNAL);
}

std::size_t OpenFileCount() {
    std::size_t n = 0;
    for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator("/proc/self/fd"))
        ++n;
    return n;
}

// The sockets of this network namespace bound to a path in the folder.
std::size_t BoundSocketsIn(const std::string& dir) {
    std::ifstream in("/proc/net/unix");
    std::size_t n = 0;
    for (std::string line; std::getline(in, line);)
        n += line.find(" " + dir + "/") != std::string::npos;
    return n;
}

// Waits until no socket is bound in the folder (the listener closes
// retired sockets on its own thread); true when that happened in time.
bool NoSocketBoundIn(const std::string& dir) {
    for (int i = 0; i < 200 && BoundSocketsIn(dir) > 0; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    return BoundSocketsIn(dir) == 0;
}

unsigned long long StartTimeOf(pid_t pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::istringstream fields(text.substr(text.rfind(')') + 2));
    std::string field;
    for (int n = 3; n <= 22; ++n)
        fields >> field;
    return std::stoull(field);
}

class CrossProcessTest : public UserTest {
protected:
    void SetUp() override {
        UserTest::SetUp();
        UseRealClock();
        // A session's runtime folder is private, or it is not used.
        ::chmod(FRuntime.Path().c_str(), 0700);
        SetSessionWindowDirectory(Dir());
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof(wc);
        wc.lpfnWndProc = &LoggingProc;
        wc.lpszClassName = u"TfrmLumoraAI";
        ASSERT_NE(RegisterClassExW(&wc), 0);
    }

    // The session's runtime folder: the processes the test starts share it.
    [[nodiscard]] std::string Dir() const { return FRuntime.Path() + "/lumora-windows"; }
    [[nodiscard]] std::string OwnFile(const char* suffix) const {
        return Dir() + "/" + std::to_string(::getpid()) + suffix;
    }

    static HWND MainWindow(const char16_t* caption = u"Lumora AI") {
        return CreateWindowExW(0, u"TfrmLumoraAI", caption, WS_POPUP, 0, 0, 100, 100, nullptr, nullptr,
                               nullptr, nullptr);
    }

    // Runs the poster in our session; its exit code.
    static int RunPoster(const std::string& cls, const std::string& caption, UINT msg) {
        return testsupport::RunToEnd({WIN_USER_WINDOW_POSTER, cls, caption, std::to_string(msg)}).ExitCode;
    }

    // Reads messages until one of `msg` arrives or five seconds have passed.
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

    TempDir FRuntime;
    ScopedEnv FSession{"XDG_RUNTIME_DIR", FRuntime.Path()};
};

TEST_F(CrossProcessTest, AnotherProcessFindsTheWindowAndPostsToIt) {
    HWND main = MainWindow();
    ASSERT_NE(main, nullptr);
    EXPECT_EQ(RunPoster("TfrmLumoraAI", "Lumora AI", kActivate), 0);
    ASSERT_TRUE(WaitFor(kActivate));
    EXPECT_EQ(gLog.Last(main, kActivate)->Hwnd, main);
}

TEST_F(CrossProcessTest, OnlyMatchingLiveWindowsAreFound) {
    EXPECT_EQ(RunPoster("TfrmLumoraAI", "Lumora AI", kActivate), 2) << "no window yet";
    HWND main = MainWindow(u"Lumora");
    EXPECT_EQ(RunPoster("TfrmLumoraAI", "Lumora AI", kActivate), 2) << "another caption";
    SetWindowTextW(main, u"Lumora AI");
    EXPECT_EQ(RunPoster("TfrmLumoraAI", "Lumora AI", WM_SETTEXT), 3) << "messages with pointers stay home";
    DestroyWindow(main);
    EXPECT_EQ(RunPoster("TfrmLumoraAI", "Lumora AI", kActivate), 2)
        << "destroyed windows leave the directory";
}

TEST_F(CrossProcessTest, AnotherProcesssWindowIsListedWhileItLives) {
    struct Row {
        const char* label;
        bool killed;
    };
    for (const Row row : {Row{"ends normally", false}, Row{"is killed", true}}) {
        ChildProcess owner({WIN_USER_WINDOW_OWNER, "OtherClass", "Other window"});
        ASSERT_EQ(owner.ReadLine(), "ready") << row.label;
        const std::string entry = Dir() + "/" + std::to_string(owner.Pid()) + ".wnd";
        const std::string socket = Dir() + "/" + std::to_string(owner.Pid()) + ".sock";
        HWND found = FindWindowW(u"otherclass", u"OTHER WINDOW");
        ASSERT_NE(found, nullptr) << row.label;
        EXPECT_TRUE(IsWindow(found));
        DWORD pid = 0;
        EXPECT_NE(GetWindowThreadProcessId(found, &pid), 0u);
        EXPECT_EQ(pid, static_cast<DWORD>(owner.Pid()));
        if (row.killed) {
            owner.Kill();
            EXPECT_EQ(owner.Wait(), 128 + SIGKILL);
            EXPECT_TRUE(std::filesystem::exists(entry)) << "a killed process cleans nothing up";
        } else {
            owner.Send("exit\n");
            EXPECT_EQ(owner.Wait(), 0);
            EXPECT_FALSE(std::filesystem::exists(entry)) << row.label;
            EXPECT_FALSE(std::filesystem::exists(socket)) << row.label;
        }
        EXPECT_EQ(FindWindowW(u"OtherClass", nullptr), nullptr) << row.label;
        EXPECT_FALSE(IsWindow(found)) << row.label;
        EXPECT_FALSE(PostMessageW(found, kActivate, 0, 0)) << row.label;
        EXPECT_FALSE(std::filesystem::exists(entry)) << "a stale entry is cleared away: " << row.label;
        EXPECT_FALSE(std::filesystem::exists(socket)) << row.label;
    }
}

TEST_F(CrossProcessTest, EntriesThatAreNotALiveProcesssOwnAreIgnored) {
    std::filesystem::create_directory(Dir());
    std::filesystem::permissions(Dir(), std::filesystem::perms::owner_all);
    ChildProcess other({"/bin/sleep", "30"});
    ChildProcess dead({"/bin/true"});
    ASSERT_EQ(dead.Wait(), 0);
    const std::string line = "10001\t1\tTfrmLumoraAI\tLumora%20AI\n";
    const std::string head = "#" + std::to_string(StartTimeOf(other.Pid())) + "\n";
    const std::string otherEntry = Dir() + "/" + std::to_string(other.Pid()) + ".wnd";
    struct Row {
        const char* label;
        std::string path;
        std::string text;
        bool found;
    };
    const Row rows[] = {
        {"the entry as its process wrote it", otherEntry, head + line, true},
        {"a process that has ended", Dir() + "/" + std::to_string(dead.Pid()) + ".wnd", head + line, false},
        {"an earlier process of the same id", otherEntry, "#1\n" + line, false},
        {"no head line", otherEntry, line, false},
        {"garbled lines", otherEntry,
         head + "zz\t1\tTfrmLumoraAI\tLumora%20AI\n10001\t1\tTfrmLumoraAI\tLumora%2\n"
                "10001\tTfrmLumoraAI\tLumora%20AI\n1ffffffff\t1\tTfrmLumoraAI\tLumora%20AI\n",
         false},
        {"larger than any entry", otherEntry, head + std::string(2 << 20, '\n') + line, false},
    };
    for (const Row& row : rows) {
        testsupport::WriteTextFile(row.path, row.text);
        EXPECT_EQ(FindWindowW(u"TfrmLumoraAI", u"Lumora AI") != nullptr, row.found) << row.label;
        std::filesystem::remove(row.path);
    }
    // Neither a pipe nor a link is read as an entry, and a pipe is not waited on.
    ASSERT_EQ(::mkfifo(otherEntry.c_str(), 0600), 0);
    EXPECT_EQ(FindWindowW(u"TfrmLumoraAI", u"Lumora AI"), nullptr) << "a pipe";
    std::filesystem::remove(otherEntry);
    testsupport::WriteTextFile(FRuntime.Path() + "/real", head + line);
    std::filesystem::create_symlink(FRuntime.Path() + "/real", otherEntry);
    EXPECT_EQ(FindWindowW(u"TfrmLumoraAI", u"Lumora AI"), nullptr) << "a link";
    other.Kill();
}

TEST_F(CrossProcessTest, TheLastWindowGoneLeavesNoFilesAndNoOpenSockets) {
    HWND first = MainWindow();
    ASSERT_TRUE(std::filesystem::exists(OwnFile(".wnd")));
    ASSERT_TRUE(std::filesystem::exists(OwnFile(".sock")));
    EXPECT_EQ(BoundSocketsIn(Dir()), 1u);
    EXPECT_EQ(std::filesystem::status(Dir()).permissions(), std::filesystem::perms::owner_all);
    EXPECT_EQ(std::filesystem::status(OwnFile(".wnd")).permissions() & std::filesystem::perms::all,
              std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
    DestroyWindow(first);
    ASSERT_TRUE(NoSocketBoundIn(Dir()));
    const std::size_t baseline = OpenFileCount();
    for (int i = 0; i < 20; ++i) {
        HWND a = MainWindow();
        HWND b = MainWindow(u"Second");
        DestroyWindow(a);
        EXPECT_TRUE(std::filesystem::exists(OwnFile(".sock"))) << "one window is still listed";
        DestroyWindow(b);
    }
    EXPECT_FALSE(std::filesystem::exists(OwnFile(".wnd")));
    EXPECT_FALSE(std::filesystem::exists(OwnFile(".sock")));
    EXPECT_EQ(RunPoster("TfrmLumoraAI", "Lumora AI", kActivate), 2);
    EXPECT_TRUE(NoSocketBoundIn(Dir()));
    EXPECT_EQ(OpenFileCount(), baseline);
    std::filesystem::remove_all(Dir());
}

TEST_F(CrossProcessTest, BadInputOnTheSocketNeitherCrashesNorHoldsUpTheReceiver) {
    HWND main = MainWindow();
    HWND child = CreateWindowExW(0, kTestClass, u"", WS_CHILD, 0, 0, 10, 10, main, nullptr, nullptr, nullptr);
    const std::string socket = OwnFile(".sock");
    std::vector<int> held;
    // A peer that sends nothing, one that stops inside a record, and garbage.
    held.push_back(ConnectTo(socket));
    held.push_back(ConnectTo(socket));
    const TRecord partial = Record(main, kActivate);
    SendSome(held.back(), &partial, sizeof(partial) - 1);
    held.push_back(ConnectTo(socket));
    const std::string garbage(1 << 20, '\xA5');
    SendSome(held.back(), garbage.data(), garbage.size());
    // Records the receiver refuses: pointers, foreign handles, child windows, a bad magic.
    const TRecord refused[] = {Record(main, WM_SETTEXT),
                               Record(reinterpret_cast<HWND>(0x7FFF0001), WM_USER),
                               Record(child, WM_USER + 2),
                               {0, Record(main, WM_USER + 3).Hwnd, WM_USER + 3, 0, 0, 0}};
    held.push_back(ConnectTo(socket));
    SendSome(held.back(), refused, sizeof(refused));
    // More records than one connection may carry.
    std::vector<TRecord> flood(100, Record(main, WM_USER + 1));
    for (std::size_t i = 0; i < flood.size(); ++i)
        flood[i].WParam = i;
    held.push_back(ConnectTo(socket));
    SendSome(held.back(), flood.data(), flood.size() * sizeof(TRecord));
    for (int fd : held)
        ASSERT_GE(fd, 0);
    // A peer that drips one byte at a time for longer than the test waits.
    std::atomic<bool> stop{false};
    std::thread drip([&, fd = ConnectTo(socket)] {
        const char byte = 0;
        for (int i = 0; i < 200 && !stop; ++i) {
            SendSome(fd, &byte, 1);
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        ::close(fd);
    });

    EXPECT_EQ(RunPoster("TfrmLumoraAI", "Lumora AI", kActivate), 0);
    EXPECT_TRUE(WaitFor(kActivate)) << "a later poster gets through";
    stop = true;
    drip.join();
    for (int fd : held)
        ::close(fd);
    Pump();
    EXPECT_EQ(gLog.Count(main, WM_USER + 1), 64u) << "the rest of the connection is not read";
    EXPECT_EQ(gLog.Last(main, WM_USER + 1)->WParam, 63u);
    EXPECT_EQ(gLog.Count(main, WM_SETTEXT), 0u);
    EXPECT_EQ(gLog.Count(main, WM_USER + 3), 0u);
    EXPECT_EQ(gLog.Count(child, WM_USER + 2), 0u);
    EXPECT_EQ(gLog.Count(main, kActivate), 1u);
}

TEST_F(CrossProcessTest, OnlyTheSameUserCanPost) {
    if (::getuid() != 0)
        GTEST_SKIP() << "needs root to post as another user";
    HWND main = MainWindow();
    // Open the folder, so only the socket's own check stands in the way.
    ::chmod(Dir().c_str(), 0755);
    ::chmod(FRuntime.Path().c_str(), 0755);
    ::chmod(OwnFile(".sock").c_str(), 0777);
    const TRecord record = Record(main, kActivate);
    const std::string socket = OwnFile(".sock");
    const pid_t stranger = ::fork();
    if (stranger == 0) {
        if (::setgid(65534) != 0 || ::setuid(65534) != 0)
            ::_exit(10);
        // The receiver may drop the connection before the record is sent: that is its answer.
        const int fd = ConnectTo(socket);
        SendSome(fd, &record, sizeof(record));
        ::_exit(fd >= 0 ? 0 : 11);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(stranger, &status, 0), stranger);
    ASSERT_TRUE(WIFEXITED(status));
    ASSERT_EQ(WEXITSTATUS(status), 0) << "the stranger reached the socket";
    // Connections are served in order: once the next one is through, the stranger's was dropped.
    const int fd = ConnectTo(socket);
    const TRecord mine = Record(main, WM_USER + 9);
    SendSome(fd, &mine, sizeof(mine));
    ::close(fd);
    EXPECT_TRUE(WaitFor(WM_USER + 9));
    EXPECT_EQ(gLog.Count(main, kActivate), 0u);
}

} // namespace
} // namespace win::test

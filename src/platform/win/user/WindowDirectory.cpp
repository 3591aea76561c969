#include "platform/win/user/Message.h"
#include "platform/win/user/WindowDirectory_p.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <fstream>
#include <optional>
#include <signal.h>
#include <sstream>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <sys/un.h>
#include <thread>
#include <unistd.h>

namespace win {

namespace {

// One posted message on the wire.
struct TWireMessage {
    std::uint32_t Magic;
    std::uint32_t Hwnd;
    std::uint32_t Message;
    std::uint32_t Reserved;
    std::uint64_t WParam;
    std::int64_t LParam;
};
static_assert(sizeof(TWireMessage) == 32);
constexpr std::uint32_t kWireMagic = 0x4D574D4C; // "LMWM"

// An entry larger than this is not one of ours and is skipped.
constexpr std::size_t kMaxEntrySize = 1 << 20;
// A connection carries a few messages; more are not read.
constexpr int kMaxMessagesPerConnection = 64;

struct TEntry {
    std::uint32_t Hwnd = 0;
    DWORD ThreadId = 0;
    rtl::String Class;
    rtl::String Caption;
};

bool IsPrivateFolder(const std::string& path) {
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode) && info.st_uid == ::getuid() &&
           (info.st_mode & 022) == 0;
}

bool EnsurePrivateFolder(const std::string& path) {
    if (::mkdir(path.c_str(), 0700) != 0 && errno != EEXIST)
        return false;
    return IsPrivateFolder(path);
}

std::string DefaultDirectory() {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime && runtime[0] == '/' && IsPrivateFolder(runtime))
        return std::string(runtime) + "/lumora-windows";
    return "/tmp/lumora-windows-" + std::to_string(::getuid());
}

// The directory in use; nullopt until first asked, then the session's.
std::optional<std::string> gDirectory;
bool gListening = false;
std::string gListeningPath;

const std::string& DirectoryLocked() {
    if (!gDirectory)
        gDirectory = DefaultDirectory();
    return *gDirectory;
}

// Names travel percent-encoded, so an entry is one line of tab-separated fields.
std::string Encode(rtl::StringView text) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (const unsigned char c : rtl::StringToUtf8(text)) {
        if (c > 0x20 && c < 0x7F && c != '%') {
            out.push_back(static_cast<char>(c));
        } else {
            out.push_back('%');
            out.push_back(kHex[c >> 4]);
            out.push_back(kHex[c & 15]);
        }
    }
    return out;
}

std::optional<rtl::String> Decode(const std::string& text) {
    std::string bytes;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%') {
            bytes.push_back(text[i]);
            continue;
        }
        if (i + 2 >= text.size())
            return std::nullopt;
        auto hex = [](char c) {
            return c >= '0' && c <= '9' ? c - '0' : c >= 'A' && c <= 'F' ? c - 'A' + 10 : -1;
        };
        const int hi = hex(text[i + 1]);
        const int lo = hex(text[i + 2]);
        if (hi < 0 || lo < 0)
            return std::nullopt;
        bytes.push_back(static_cast<char>(hi * 16 + lo));
        i += 2;
    }
    return rtl::Utf8ToString(bytes);
}

std::vector<TEntry> ReadEntries(const std::string& path) {
    std::vector<TEntry> entries;
    std::ifstream in(path, std::ios::binary);
    std::string line;
    std::size_t read = 0;
    while (std::getline(in, line) && (read += line.size() + 1) <= kMaxEntrySize) {
        std::istringstream fields(line);
        std::string hwnd;
        std::string thread;
        std::string cls;
        std::string caption;
        if (!std::getline(fields, hwnd, '\t') || !std::getline(fields, thread, '\t') ||
            !std::getline(fields, cls, '\t'))
            continue;
        std::getline(fields, caption);
        char* end = nullptr;
        const unsigned long h = std::strtoul(hwnd.c_str(), &end, 16);
        if (*end || h == 0 || h > 0xFFFFFFFFul)
            continue;
        auto decodedClass = Decode(cls);
        auto decodedCaption = Decode(caption);
        if (!decodedClass || !decodedCaption)
            continue;
        entries.push_back({static_cast<std::uint32_t>(h),
                           static_cast<DWORD>(std::strtoul(thread.c_str(), nullptr, 10)), *decodedClass,
                           *decodedCaption});
    }
    return entries;
}

bool ProcessAlive(pid_t pid) {
    return pid > 0 && (::kill(pid, 0) == 0 || errno == EPERM);
}

std::string EntryPath(const std::string& dir, pid_t pid) {
    return dir + "/" + std::to_string(pid) + ".wnd";
}
std::string SocketPath(const std::string& dir, pid_t pid) {
    return dir + "/" + std::to_string(pid) + ".sock";
}

bool FillAddress(sockaddr_un& address, const std::string& path) {
    address = {};
    address.sun_family = AF_UNIX;
    if (path.size() >= sizeof(address.sun_path))
        return false;
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    return true;
}

// Only messages that carry no pointers cross processes: those of the
// application's own range, and WM_CLOSE and WM_NULL. Pointers into another
// process's memory mean nothing here, as Windows refuses to marshal them.
bool MayCrossProcesses(UINT msg) {
    return msg == WM_NULL || msg == WM_CLOSE || (msg >= WM_USER && msg <= 0xFFFF);
}

// Delivers what one connection carries into the queues of the windows it names.
void ServeConnection(int fd) {
    ucred peer{};
    socklen_t length = sizeof(peer);
    if (::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &peer, &length) != 0 || peer.uid != ::getuid())
        return;
    timeval timeout{1, 0};
    ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof(timeout));
    for (int n = 0; n < kMaxMessagesPerConnection; ++n) {
        TWireMessage m{};
        std::size_t got = 0;
        while (got < sizeof(m)) {
            const ssize_t r = ::recv(fd, reinterpret_cast<char*>(&m) + got, sizeof(m) - got, 0);
            if (r <= 0)
                return;
            got += static_cast<std::size_t>(r);
        }
        if (m.Magic != kWireMagic || !MayCrossProcesses(m.Message))
            continue;
        const HWND hwnd = reinterpret_cast<HWND>(static_cast<ULONG_PTR>(m.Hwnd));
        bool published = false;
        {
            auto lock = Wm().Lock();
            TWnd* w = Wm().FindLive(hwnd);
            published = w && Wm().IsTopLevel(*w);
        }
        if (published)
            PostMessageW(hwnd, m.Message, static_cast<WPARAM>(m.WParam), static_cast<LPARAM>(m.LParam));
    }
}

void StartListeningLocked(const std::string& dir) {
    const std::string path = SocketPath(dir, ::getpid());
    if (gListening && gListeningPath == path)
        return;
    sockaddr_un address{};
    if (!FillAddress(address, path))
        return;
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return;
    ::unlink(path.c_str());
    if (::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) != 0 ||
        ::listen(fd, 16) != 0) {
        ::close(fd);
        return;
    }
    ::chmod(path.c_str(), 0600);
    gListening = true;
    gListeningPath = path;
    // The listener lives as long as the process; the socket is its only state.
    std::thread([fd] {
        for (;;) {
            const int client = ::accept4(fd, nullptr, nullptr, SOCK_CLOEXEC);
            if (client < 0) {
                if (errno == EINTR || errno == ECONNABORTED)
                    continue;
                return;
            }
            ServeConnection(client);
            ::close(client);
        }
    }).detach();
}

} // namespace

void SetWindowDirectoryPath(std::string path) {
    auto lock = Wm().Lock();
    gDirectory = std::move(path);
}

void PublishWindowsLocked() {
    const std::string& dir = DirectoryLocked();
    if (dir.empty() || !EnsurePrivateFolder(dir))
        return;
    TWindowManager& wm = Wm();
    std::string text;
    for (HWND top : wm.Find(wm.Desktop())->Children) {
        TWnd* t = wm.FindLive(top);
        if (!t || t->Destroying)
            continue;
        char head[32];
        std::snprintf(head, sizeof(head), "%lx\t%u\t",
                      static_cast<unsigned long>(reinterpret_cast<ULONG_PTR>(top)), t->ThreadId);
        text += head + Encode(t->Class->Name) + "\t" + Encode(t->Text) + "\n";
    }
    const std::string path = EntryPath(dir, ::getpid());
    const std::string temp = path + ".new";
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        out << text;
        if (!out)
            return;
    }
    ::chmod(temp.c_str(), 0600);
    if (::rename(temp.c_str(), path.c_str()) != 0)
        return;
    StartListeningLocked(dir);
}

namespace {

template <typename F>
void ForEachForeignEntry(F f) {
    std::string dir;
    {
        auto lock = Wm().Lock();
        dir = DirectoryLocked();
    }
    if (dir.empty() || !IsPrivateFolder(dir))
        return;
    DIR* d = ::opendir(dir.c_str());
    if (!d)
        return;
    std::vector<pid_t> pids;
    while (dirent* e = ::readdir(d)) {
        const std::string name = e->d_name;
        if (name.size() < 5 || name.compare(name.size() - 4, 4, ".wnd") != 0)
            continue;
        char* end = nullptr;
        const long pid = std::strtol(name.c_str(), &end, 10);
        if (std::string(end) == ".wnd" && pid > 0 && pid != ::getpid())
            pids.push_back(static_cast<pid_t>(pid));
    }
    ::closedir(d);
    for (pid_t pid : pids) {
        if (!ProcessAlive(pid)) {
            // A dead process's entry is stale: ignored, and cleared away.
            ::unlink(EntryPath(dir, pid).c_str());
            ::unlink(SocketPath(dir, pid).c_str());
            continue;
        }
        for (const TEntry& entry : ReadEntries(EntryPath(dir, pid)))
            if (f(pid, entry))
                return;
    }
}

HWND ForeignHandle(pid_t pid, std::uint32_t hwnd) {
    return reinterpret_cast<HWND>((static_cast<ULONG_PTR>(pid) << 32) | hwnd);
}

} // namespace

HWND FindForeignWindow(LPCWSTR className, LPCWSTR windowName) {
    HWND found = nullptr;
    ForEachForeignEntry([&](pid_t pid, const TEntry& e) {
        // Atoms are local to a process: only names find other processes' classes.
        if (className && (IsAtomArg(className) || !SameName(e.Class, className)))
            return false;
        if (windowName && !SameName(e.Caption, windowName))
            return false;
        found = ForeignHandle(pid, e.Hwnd);
        return true;
    });
    return found;
}

bool ForeignWindowInfo(HWND hwnd, DWORD* processId, DWORD* threadId) {
    const ULONG_PTR v = reinterpret_cast<ULONG_PTR>(hwnd);
    const pid_t wanted = static_cast<pid_t>(v >> 32);
    const std::uint32_t wantedHwnd = static_cast<std::uint32_t>(v);
    bool alive = false;
    ForEachForeignEntry([&](pid_t pid, const TEntry& e) {
        if (pid != wanted || e.Hwnd != wantedHwnd)
            return false;
        alive = true;
        if (processId)
            *processId = static_cast<DWORD>(pid);
        if (threadId)
            *threadId = e.ThreadId;
        return true;
    });
    return alive;
}

bool PostToForeignWindow(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (!MayCrossProcesses(msg) || !ForeignWindowInfo(hwnd, nullptr, nullptr))
        return false;
    std::string dir;
    {
        auto lock = Wm().Lock();
        dir = DirectoryLocked();
    }
    const ULONG_PTR v = reinterpret_cast<ULONG_PTR>(hwnd);
    sockaddr_un address{};
    if (!FillAddress(address, SocketPath(dir, static_cast<pid_t>(v >> 32))))
        return false;
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return false;
    bool sent = false;
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) == 0) {
        const TWireMessage m{
            kWireMagic, static_cast<std::uint32_t>(v),      msg,
            0,          static_cast<std::uint64_t>(wParam), static_cast<std::int64_t>(lParam)};
        sent = ::send(fd, &m, sizeof(m), MSG_NOSIGNAL) == static_cast<ssize_t>(sizeof(m));
    }
    ::close(fd);
    return sent;
}

} // namespace win

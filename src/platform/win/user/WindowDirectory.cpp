#include "platform/win/user/WindowDirectorySocket_p.h"
#include "platform/win/user/WindowDirectory_p.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <optional>
#include <signal.h>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace win {

namespace {

// An entry larger than this is not one of ours and is skipped unread.
constexpr std::size_t kMaxEntrySize = 1 << 20;

struct TEntry {
    std::uint32_t Hwnd = 0;
    DWORD ThreadId = 0;
    rtl::String Class;
    rtl::String Caption;
};

bool IsPrivateFolder(const std::string& path) {
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode) && info.st_uid == ::getuid() &&
           (info.st_mode & 077) == 0;
}

bool EnsurePrivateFolder(const std::string& path) {
    if (::mkdir(path.c_str(), 0700) != 0 && errno != EEXIST)
        return false;
    return IsPrivateFolder(path);
}

std::string DefaultDirectory() {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    struct stat info {};
    if (runtime && runtime[0] == '/' && ::stat(runtime, &info) == 0 && S_ISDIR(info.st_mode) &&
        info.st_uid == ::getuid() && (info.st_mode & 077) == 0)
        return std::string(runtime) + "/lumora-windows";
    return "/tmp/lumora-windows-" + std::to_string(::getuid());
}

// The directory in use (nullopt until first asked: the session's), and
// where this process's entry is listed now (empty when it is not).
std::optional<std::string> gDirectory;
std::string gPublishedEntry;
// Set once the process is exiting: the listener may be gone already.
bool gExiting = false;

const std::string& DirectoryLocked() {
    if (!gDirectory)
        gDirectory = DefaultDirectory();
    return *gDirectory;
}

std::string EntryPath(const std::string& dir, pid_t pid) {
    return dir + "/" + std::to_string(pid) + ".wnd";
}
std::string SocketPath(const std::string& dir, pid_t pid) {
    return dir + "/" + std::to_string(pid) + ".sock";
}

// When the process started, in clock ticks after boot; 0 when unknown. An
// entry records its writer's, so an entry whose process id has been reused
// by another process is not taken for the new process's.
unsigned long long ProcessStartTime(pid_t pid) {
    char path[64];
    std::snprintf(path, sizeof(path), "/proc/%d/stat", static_cast<int>(pid));
    FILE* file = std::fopen(path, "re");
    if (!file)
        return 0;
    char text[1024];
    const std::size_t size = std::fread(text, 1, sizeof(text) - 1, file);
    std::fclose(file);
    text[size] = 0;
    // The name in parentheses may hold anything; the fields follow the last ')'.
    const char* field = std::strrchr(text, ')');
    for (int n = 2; field && n < 22; ++n)
        field = std::strchr(field + 1, ' ');
    return field ? std::strtoull(field + 1, nullptr, 10) : 0;
}

// Removes this process's entry and socket, e.g. when its last top-level
// window has gone or the directory changes.
void UnpublishLocked() {
    if (gPublishedEntry.empty() || gExiting)
        return;
    ::unlink(gPublishedEntry.c_str());
    gPublishedEntry.clear();
    TDirectoryListener::Instance().Stop();
}

// Removes the entry when the process exits normally (the listener removes
// its socket itself); an entry left by a process that ended otherwise is
// recognised as stale by its readers.
struct TEntryRemover {
    ~TEntryRemover() {
        auto lock = Wm().Lock();
        gExiting = true;
        if (!gPublishedEntry.empty())
            ::unlink(gPublishedEntry.c_str());
        gPublishedEntry.clear();
    }
};

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

int HexDigit(char c) {
    return c >= '0' && c <= '9' ? c - '0' : c >= 'A' && c <= 'F' ? c - 'A' + 10 : -1;
}

std::optional<rtl::String> Decode(std::string_view text) {
    std::string bytes;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%') {
            bytes.push_back(text[i]);
            continue;
        }
        if (i + 2 >= text.size())
            return std::nullopt;
        const int hi = HexDigit(text[i + 1]);
        const int lo = HexDigit(text[i + 2]);
        if (hi < 0 || lo < 0)
            return std::nullopt;
        bytes.push_back(static_cast<char>(hi * 16 + lo));
        i += 2;
    }
    return rtl::Utf8ToString(bytes);
}

std::string FormatEntries(unsigned long long startTime) {
    TWindowManager& wm = Wm();
    std::string text = "#" + std::to_string(startTime) + "\n";
    for (HWND top : wm.Find(wm.Desktop())->Children) {
        TWnd* t = wm.FindLive(top);
        if (!t || t->Destroying)
            continue;
        char head[32];
        std::snprintf(head, sizeof(head), "%lx\t%u\t",
                      static_cast<unsigned long>(reinterpret_cast<ULONG_PTR>(top)), t->ThreadId);
        text += head + Encode(t->Class->Name) + "\t" + Encode(t->Text) + "\n";
    }
    return text;
}

bool WriteWholeFile(const std::string& path, const std::string& text) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0)
        return false;
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n <= 0 && errno != EINTR)
            break;
        done += n > 0 ? static_cast<std::size_t>(n) : 0;
    }
    return ::close(fd) == 0 && done == text.size();
}

// The text of a regular file of ours, or nothing: a FIFO, a link, another
// user's file or a huge file is not an entry, and is not waited on.
std::optional<std::string> ReadEntryFile(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return std::nullopt;
    struct stat info {};
    std::optional<std::string> text;
    if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_uid == ::getuid() &&
        static_cast<std::size_t>(info.st_size) <= kMaxEntrySize) {
        std::string buffer(static_cast<std::size_t>(info.st_size), '\0');
        const ssize_t n = ::read(fd, buffer.data(), buffer.size());
        if (n >= 0) {
            buffer.resize(static_cast<std::size_t>(n));
            text = std::move(buffer);
        }
    }
    ::close(fd);
    return text;
}

std::optional<TEntry> ParseEntry(std::string_view line) {
    std::string_view fields[4];
    std::size_t count = 0;
    while (count < 3) {
        const std::size_t tab = line.find('\t');
        if (tab == std::string_view::npos)
            return std::nullopt;
        fields[count++] = line.substr(0, tab);
        line.remove_prefix(tab + 1);
    }
    fields[3] = line;
    const std::string hwndText(fields[0]);
    const std::string threadText(fields[1]);
    char* end = nullptr;
    errno = 0;
    const unsigned long long hwnd = std::strtoull(hwndText.c_str(), &end, 16);
    if (hwndText.empty() || *end || errno || hwnd == 0 || hwnd > 0x7FFFFFFFull)
        return std::nullopt;
    const unsigned long long thread = std::strtoull(threadText.c_str(), &end, 10);
    if (threadText.empty() || *end || errno || thread > 0xFFFFFFFFull)
        return std::nullopt;
    auto cls = Decode(fields[2]);
    auto caption = Decode(fields[3]);
    if (!cls || !caption)
        return std::nullopt;
    return TEntry{static_cast<std::uint32_t>(hwnd), static_cast<DWORD>(thread), std::move(*cls),
                  std::move(*caption)};
}

// The entries of a live process's file; none when the file is not one of
// ours or was written by an earlier process of the same id.
std::vector<TEntry> ReadEntries(const std::string& path, pid_t pid) {
    std::vector<TEntry> entries;
    const std::optional<std::string> text = ReadEntryFile(path);
    if (!text || text->empty() || (*text)[0] != '#')
        return entries;
    std::string_view rest(*text);
    const std::size_t headEnd = rest.find('\n');
    if (headEnd == std::string_view::npos)
        return entries;
    const unsigned long long written =
        std::strtoull(std::string(rest.substr(1, headEnd - 1)).c_str(), nullptr, 10);
    const unsigned long long started = ProcessStartTime(pid);
    if (written != started && written != 0 && started != 0)
        return entries;
    rest.remove_prefix(headEnd + 1);
    while (!rest.empty()) {
        const std::size_t end = rest.find('\n');
        if (auto entry = ParseEntry(rest.substr(0, end)))
            entries.push_back(std::move(*entry));
        rest.remove_prefix(end == std::string_view::npos ? rest.size() : end + 1);
    }
    return entries;
}

bool ProcessAlive(pid_t pid) {
    return pid > 0 && (::kill(pid, 0) == 0 || errno == EPERM);
}

} // namespace

void SetWindowDirectoryPath(std::string path) {
    auto lock = Wm().Lock();
    if (gDirectory && *gDirectory == path)
        return;
    UnpublishLocked();
    gDirectory = std::move(path);
    PublishWindowsLocked();
}

void PublishWindowsLocked() {
    // Made after the listener, so it goes first at exit.
    TDirectoryListener::Instance();
    static TEntryRemover remover;
    if (gExiting)
        return;
    const std::string& dir = DirectoryLocked();
    TWindowManager& wm = Wm();
    const bool any = !wm.Find(wm.Desktop())->Children.empty();
    const std::string path = dir.empty() ? std::string() : EntryPath(dir, ::getpid());
    if (path != gPublishedEntry)
        UnpublishLocked();
    if (!any || dir.empty() || !EnsurePrivateFolder(dir))
        return UnpublishLocked();
    // The socket exists before the entry names the windows it reaches.
    if (!TDirectoryListener::Instance().Listen(SocketPath(dir, ::getpid())))
        return UnpublishLocked();
    const std::string temp = path + ".new";
    if (!WriteWholeFile(temp, FormatEntries(ProcessStartTime(::getpid()))) ||
        ::rename(temp.c_str(), path.c_str()) != 0) {
        ::unlink(temp.c_str());
        return;
    }
    gPublishedEntry = path;
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
        char* end = nullptr;
        const long pid = std::strtol(name.c_str(), &end, 10);
        if (end != name.c_str() && std::strcmp(end, ".wnd") == 0 && pid > 0 && pid <= 0x3FFFFFFF &&
            pid != ::getpid())
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
        for (const TEntry& entry : ReadEntries(EntryPath(dir, pid), pid))
            if (f(pid, entry))
                return;
    }
}

HWND ForeignHandle(pid_t pid, std::uint32_t hwnd) {
    return reinterpret_cast<HWND>((static_cast<ULONG_PTR>(pid) << 32) | hwnd);
}

std::string DirectoryNow() {
    auto lock = Wm().Lock();
    return DirectoryLocked();
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
    const ULONG_PTR v = reinterpret_cast<ULONG_PTR>(hwnd);
    const TWireMessage m{kWireMagic, static_cast<std::uint32_t>(v),      msg,
                         0,          static_cast<std::uint64_t>(wParam), static_cast<std::int64_t>(lParam)};
    return SendWireMessage(SocketPath(DirectoryNow(), static_cast<pid_t>(v >> 32)), m);
}

} // namespace win

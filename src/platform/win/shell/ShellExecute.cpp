#include "platform/win/shell/ShellExecute.h"

#include "platform/win/WinError.h"
#include "platform/win/kernel/Environment.h"
#include "platform/win/kernel/WideBuffer_p.h"
#include "platform/win/registry/Registry.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <mutex>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <utility>
#include <vector>

extern char** environ;

namespace win {

namespace {

constexpr INT_PTR kSuccess = 42;

std::mutex& HookLock() {
    static std::mutex lock;
    return lock;
}

TShellExecuteHook& Hook() {
    static TShellExecuteHook hook;
    return hook;
}

std::optional<rtl::String> Optional(LPCWSTR text) {
    return text ? std::optional(rtl::String(text)) : std::nullopt;
}

HINSTANCE Result(INT_PTR code) {
    return reinterpret_cast<HINSTANCE>(code);
}

bool IsOpenOperation(const std::optional<rtl::String>& operation) {
    if (!operation || operation->empty())
        return true;
    const rtl::String& op = *operation;
    constexpr rtl::StringView kOpen = u"open";
    if (op.size() != kOpen.size())
        return false;
    for (std::size_t i = 0; i < op.size(); ++i)
        if ((op[i] | 0x20) != kOpen[i])
            return false;
    return true;
}

// "https://...", "mailto:..." and the like: a scheme of two or more
// characters (one letter and a colon is a drive).
bool IsAddress(rtl::StringView file) {
    const std::size_t colon = file.find(u':');
    if (colon == rtl::StringView::npos || colon < 2)
        return false;
    auto isAlpha = [](char16_t c) { return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z'); };
    if (!isAlpha(file[0]))
        return false;
    for (std::size_t i = 1; i < colon; ++i) {
        const char16_t c = file[i];
        if (!isAlpha(c) && !(c >= u'0' && c <= u'9') && c != u'+' && c != u'-' && c != u'.')
            return false;
    }
    return true;
}

bool IsDirectory(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool Exists(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0;
}

bool IsExecutableFile(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) && ::access(path.c_str(), X_OK) == 0;
}

std::optional<std::string> FindOnPath(const std::string& name) {
    const char* path = std::getenv("PATH");
    std::string_view rest = path ? path : "";
    while (!rest.empty()) {
        const std::size_t colon = rest.find(':');
        const std::string_view dir = rest.substr(0, colon);
        if (!dir.empty()) {
            const std::string candidate = std::string(dir) + "/" + name;
            if (IsExecutableFile(candidate))
                return candidate;
        }
        rest = colon == std::string_view::npos ? std::string_view() : rest.substr(colon + 1);
    }
    return std::nullopt;
}

// The App Paths entry of a program name, as the shell consults it.
std::optional<std::string> FindInAppPaths(const rtl::String& name) {
    HKEY key = nullptr;
    const rtl::String subKey = u"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\" + name;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, subKey.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return std::nullopt;
    WCHAR value[4096];
    DWORD size = sizeof(value);
    DWORD type = 0;
    const LSTATUS status =
        RegQueryValueExW(key, nullptr, nullptr, &type, reinterpret_cast<LPBYTE>(value), &size);
    RegCloseKey(key);
    if (status != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ) || size < sizeof(WCHAR))
        return std::nullopt;
    const rtl::String text(value, size / sizeof(WCHAR));
    return rtl::StringToUtf8(text.substr(0, text.find(u'\0')));
}

// Where a file the caller named lives, or the shell's error code.
struct TResolved {
    std::string Path;
    INT_PTR Error = 0;
};

TResolved Resolve(const rtl::String& file, const std::string& directory) {
    const std::string name = rtl::StringToUtf8(file);
    if (name.find('/') != std::string::npos) {
        std::string path = name.front() == '/' || directory.empty() ? name : directory + "/" + name;
        if (Exists(path))
            return {path};
        const std::size_t slash = path.rfind('/');
        return {{}, IsDirectory(slash == 0 ? "/" : path.substr(0, slash)) ? SE_ERR_FNF : SE_ERR_PNF};
    }
    const std::string local = directory.empty() ? name : directory + "/" + name;
    if (Exists(local))
        return {local.front() == '/' ? local : "./" + local};
    if (auto found = FindOnPath(name))
        return {*found};
    if (auto registered = FindInAppPaths(file); registered && Exists(*registered))
        return {*registered};
    return {{}, SE_ERR_FNF};
}

INT_PTR ErrorOfErrno(int error) {
    switch (error) {
    case 0:
        return kSuccess;
    case ENOENT:
    case ENOTDIR:
        return SE_ERR_FNF;
    case EACCES:
    case EPERM:
        return SE_ERR_ACCESSDENIED;
    case ENOEXEC:
    case ELIBBAD:
        return ERROR_BAD_FORMAT;
    default:
        return 0; // out of memory or resources
    }
}

void ReportAndExit(int pipe, int error) {
    [[maybe_unused]] const ssize_t written = ::write(pipe, &error, sizeof error);
    ::_exit(127);
}

// Starts the program in a grandchild that belongs to no one: the child
// exits at once and is reaped here, so the program is adopted by the
// system. A close-on-exec pipe carries the errno of a failed exec back.
int LaunchDetached(const std::string& program, const std::vector<std::string>& arguments,
                   const std::string& directory) {
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const std::string& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);

    int report[2];
    if (::pipe2(report, O_CLOEXEC) != 0)
        return errno;
    const int devNull = ::open("/dev/null", O_RDWR | O_CLOEXEC);
    const pid_t child = ::fork();
    if (child == 0) {
        // Only async-signal-safe calls from here on: the parent may have threads.
        const pid_t grandchild = ::fork();
        if (grandchild == 0) {
            ::setsid();
            sigset_t none;
            sigemptyset(&none);
            ::sigprocmask(SIG_SETMASK, &none, nullptr);
            if (devNull >= 0)
                for (int fd = 0; fd < 3; ++fd)
                    ::dup2(devNull, fd);
            if (!directory.empty() && ::chdir(directory.c_str()) != 0)
                ReportAndExit(report[1], errno);
            ::execve(program.c_str(), argv.data(), environ);
            ReportAndExit(report[1], errno);
        }
        if (grandchild < 0)
            ReportAndExit(report[1], errno);
        ::_exit(0);
    }
    const int forkError = child < 0 ? errno : 0;
    ::close(report[1]);
    if (devNull >= 0)
        ::close(devNull);
    if (child > 0)
        while (::waitpid(child, nullptr, 0) < 0 && errno == EINTR) {
        }
    int error = forkError;
    if (child > 0) {
        int reported = 0;
        ssize_t got;
        do
            got = ::read(report[0], &reported, sizeof reported);
        while (got < 0 && errno == EINTR);
        error = got == sizeof reported ? reported : 0;
    }
    ::close(report[0]);
    return error;
}

INT_PTR OpenWithOpener(const std::string& target, const std::string& directory) {
    const auto opener = FindOnPath("xdg-open");
    if (!opener)
        return SE_ERR_NOASSOC;
    return ErrorOfErrno(LaunchDetached(*opener, {target}, directory));
}

std::vector<std::string> ParameterList(const std::optional<rtl::String>& parameters) {
    std::vector<std::string> list;
    if (!parameters)
        return list;
    // The parameters are a command line without its program name.
    std::vector<rtl::String> items = SplitCommandLine(u"x " + *parameters);
    for (std::size_t i = 1; i < items.size(); ++i)
        list.push_back(rtl::StringToUtf8(items[i]));
    return list;
}

INT_PTR Execute(const TShellExecuteCall& call) {
    if (!IsOpenOperation(call.Operation))
        return SE_ERR_NOASSOC;
    if (call.File.empty())
        return SE_ERR_FNF;
    const std::string directory = call.Directory ? rtl::StringToUtf8(*call.Directory) : std::string();
    if (!directory.empty() && !IsDirectory(directory))
        return SE_ERR_PNF;
    if (IsAddress(call.File))
        return OpenWithOpener(rtl::StringToUtf8(call.File), directory);
    const TResolved resolved = Resolve(call.File, directory);
    if (resolved.Error)
        return resolved.Error;
    if (IsExecutableFile(resolved.Path))
        return ErrorOfErrno(LaunchDetached(resolved.Path, ParameterList(call.Parameters), directory));
    return OpenWithOpener(resolved.Path, directory);
}

} // namespace

HINSTANCE ShellExecuteW(HWND owner, LPCWSTR operation, LPCWSTR file, LPCWSTR parameters, LPCWSTR directory,
                        INT showCmd) {
    const TShellExecuteCall call{
        owner,  Optional(operation), detail::WideToString(file), Optional(parameters), Optional(directory),
        showCmd};
    TShellExecuteHook hook;
    {
        std::lock_guard lock(HookLock());
        hook = Hook();
    }
    if (hook)
        if (const auto answer = hook(call))
            return Result(*answer);
    return Result(Execute(call));
}

TShellExecuteHook SetShellExecuteHook(TShellExecuteHook hook) {
    std::lock_guard lock(HookLock());
    return std::exchange(Hook(), std::move(hook));
}

} // namespace win

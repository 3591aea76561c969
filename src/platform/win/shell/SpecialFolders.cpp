#include "platform/win/shell/SpecialFolders.h"

#include "platform/win/kernel/WideBuffer_p.h"

#include <cerrno>
#include <cstdlib>
#include <optional>
#include <pwd.h>
#include <string>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace win {

namespace {

std::optional<std::string> PasswordHome(const passwd* entry) {
    if (entry && entry->pw_dir && entry->pw_dir[0] == '/')
        return std::string(entry->pw_dir);
    return std::nullopt;
}

std::optional<std::string> EffectiveUserHome() {
    std::vector<char> scratch(16384);
    passwd entry{};
    passwd* found = nullptr;
    if (::getpwuid_r(::geteuid(), &entry, scratch.data(), scratch.size(), &found) != 0)
        return std::nullopt;
    return PasswordHome(found);
}

std::string WithoutTrailingSlashes(std::string path) {
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    return path;
}

// An XDG variable counts only when it holds an absolute path.
std::optional<std::string> AbsoluteVariable(const char* name) {
    const char* value = std::getenv(name);
    if (!value || value[0] != '/')
        return std::nullopt;
    return WithoutTrailingSlashes(value);
}

std::optional<std::string> Home() {
    if (auto home = AbsoluteVariable("HOME"))
        return home;
    return EffectiveUserHome();
}

std::optional<std::string> UnderHome(const char* variable, const char* fallback) {
    if (auto value = AbsoluteVariable(variable))
        return value;
    const auto home = Home();
    return home ? std::optional(*home + fallback) : std::nullopt;
}

std::optional<std::string> FirstDataDir() {
    const char* dirs = std::getenv("XDG_DATA_DIRS");
    std::string_view rest = dirs ? dirs : "";
    while (!rest.empty()) {
        const std::size_t colon = rest.find(':');
        const std::string_view entry = rest.substr(0, colon);
        if (!entry.empty() && entry.front() == '/')
            return WithoutTrailingSlashes(std::string(entry));
        rest = colon == std::string_view::npos ? std::string_view() : rest.substr(colon + 1);
    }
    return std::string("/usr/local/share");
}

std::optional<std::string> FolderPath(int folder) {
    switch (folder) {
    case CSIDL_APPDATA:
        return UnderHome("XDG_CONFIG_HOME", "/.config");
    case CSIDL_LOCAL_APPDATA:
        return UnderHome("XDG_DATA_HOME", "/.local/share");
    case CSIDL_COMMON_APPDATA:
        return FirstDataDir();
    case CSIDL_PROGRAM_FILES:
        return std::string("/opt");
    case CSIDL_PROFILE:
        return Home();
    case CSIDL_PROGRAM_FILES_COMMON:
        return std::string("/usr/local/lib");
    default:
        return std::nullopt;
    }
}

// Creates the folder and its missing parents; new folders are private, as
// the XDG rules ask for base directories.
bool CreateFolders(const std::string& path) {
    for (std::size_t slash = path.find('/', 1);; slash = path.find('/', slash + 1)) {
        const std::string part = path.substr(0, slash);
        if (::mkdir(part.c_str(), 0700) != 0 && errno != EEXIST)
            return false;
        if (slash == std::string::npos)
            break;
    }
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

} // namespace

BOOL SHGetSpecialFolderPathW(HWND, LPWSTR path, int csidl, BOOL create) {
    const auto folder = FolderPath(csidl & ~CSIDL_FLAG_MASK);
    if (!folder || !path)
        return 0;
    const rtl::String text = rtl::Utf8ToString(*folder);
    if (text.size() >= MAX_PATH)
        return 0;
    if ((create || (csidl & CSIDL_FLAG_CREATE)) && !CreateFolders(*folder))
        return 0;
    return detail::CopyToWideBuffer(text, path, MAX_PATH) ? 1 : 0;
}

rtl::String HomeFolderOfUser(rtl::StringView userName) {
    const std::string name = rtl::StringToUtf8(userName);
    std::vector<char> scratch(16384);
    passwd entry{};
    passwd* found = nullptr;
    if (!name.empty() && ::getpwnam_r(name.c_str(), &entry, scratch.data(), scratch.size(), &found) == 0)
        if (const auto home = PasswordHome(found))
            return rtl::Utf8ToString(*home);
    return u"/home/" + rtl::String(userName);
}

} // namespace win

#include "app/SystemRoutines.h"

#include "platform/rtl/StringUtils.h"
#include "platform/vcl/Registry.h"
#include "platform/win/kernel/Environment.h"
#include "platform/win/kernel/Module.h"
#include "platform/win/kernel/Process.h"
#include "platform/win/kernel/SystemInfo.h"
#include "platform/win/registry/Registry.h"
#include "platform/win/shell/ShellExecute.h"
#include "platform/win/shell/SpecialFolders.h"
#include "platform/win/user/Input.h"
#include "platform/win/user/SystemInfo.h"
#include "platform/win/user/Window.h"
#include "platform/win/user/WindowPos.h"

#include <array>
#include <cstdint>
#include <vector>

namespace app {

using rtl::String;

namespace {

// --- process-wide caches

TRealOSVersion realOSVersion{};
bool realOSVersionFilled = false;

using TIsWow64Process = win::BOOL (*)(win::HANDLE, win::PBOOL);
// All bits set: not looked up yet; nullptr: looked up and absent.
const win::FARPROC kNotLookedUp = reinterpret_cast<win::FARPROC>(~std::uintptr_t(0));
win::FARPROC isWow64ProcessProc = kNotLookedUp;

constexpr int kWow64NotAsked = -2;
int currentProcessWow64 = kWow64NotAsked;

// --- special-folder fallbacks

enum TFixedFolder { ffRoamingData, ffLocalData, ffCommonData, ffProgramFiles, ffProfile, ffCommonFiles };

struct TFolderFallback {
    int FolderId;
    const char16_t* Variable;
    const char16_t* Wow64Variable; // nullptr: the same as Variable
    TFixedFolder Fixed;
};

constexpr std::array<TFolderFallback, 6> kFolderFallbacks = {{
    {win::CSIDL_APPDATA, u"APPDATA", nullptr, ffRoamingData},
    {win::CSIDL_LOCAL_APPDATA, u"LOCALAPPDATA", nullptr, ffLocalData},
    {win::CSIDL_COMMON_APPDATA, u"ProgramData", nullptr, ffCommonData},
    {win::CSIDL_PROGRAM_FILES, u"ProgramFiles", u"ProgramFiles(x86)", ffProgramFiles},
    {win::CSIDL_PROFILE, u"USERPROFILE", nullptr, ffProfile},
    {win::CSIDL_PROGRAM_FILES_COMMON, u"CommonProgramFiles", u"CommonProgramFiles(x86)", ffCommonFiles},
}};

const std::array<const char16_t*, 4> kUninstallKeys = {
    u"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\360TotalSecurity",
    u"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\MPC AdCleaner",
    u"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\MPC",
    u"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\iSafe",
};

const win::HWND kNoOwner = nullptr;

// The counterparts of the fixed folders: per-user folders are the XDG defaults in
// the user's home folder, machine-wide ones the folders the shell maps
// them to. There is no separate 32-bit program folder, and no older
// system layout to choose by version.
String FixedFolderPath(TFixedFolder folder) {
    switch (folder) {
    case ffRoamingData:
        return win::HomeFolderOfUser(GetCurrentUserName()) + u"/.config";
    case ffLocalData:
        return win::HomeFolderOfUser(GetCurrentUserName()) + u"/.local/share";
    case ffCommonData:
        return u"/usr/local/share";
    case ffProgramFiles:
        return u"/opt";
    case ffProfile:
        return win::HomeFolderOfUser(GetCurrentUserName());
    case ffCommonFiles:
        return u"/usr/local/lib";
    }
    return {};
}

String EnvironmentVariable(const char16_t* name) {
    std::vector<char16_t> buffer(256);
    while (true) {
        const win::DWORD length =
            win::GetEnvironmentVariableW(name, buffer.data(), static_cast<win::DWORD>(buffer.size()));
        if (length < buffer.size())
            return String(buffer.data(), length);
        buffer.resize(length); // the size needed, terminating zero included
    }
}

// "C:" of "C:\Windows\...", "\\server\share" of a network path; empty for
// paths without a drive, as every path is here.
String ExtractFileDrive(const String& fileName) {
    if (fileName.size() >= 2 && fileName[1] == u':')
        return fileName.substr(0, 2);
    if (fileName.size() >= 2 && fileName[0] == u'\\' && fileName[1] == u'\\') {
        const std::size_t server = fileName.find(u'\\', 2);
        const std::size_t share = server == String::npos ? String::npos : fileName.find(u'\\', server + 1);
        return fileName.substr(0, share);
    }
    return {};
}

String SystemDrive() {
    win::WCHAR path[win::MAX_PATH + 1];
    const win::DWORD length =
        win::GetModuleFileNameW(win::GetModuleHandleW(u"kernel32.dll"), path, win::MAX_PATH);
    return length > 0 && length < win::MAX_PATH ? ExtractFileDrive(String(path, length)) : String();
}

win::INT_PTR Shell(win::HWND owner, const String& operation, const String& file, win::LPCWSTR parameters,
                   win::LPCWSTR directory, int showCmd) {
    return reinterpret_cast<win::INT_PTR>(
        win::ShellExecuteW(owner, operation.c_str(), file.c_str(), parameters, directory, showCmd));
}

} // namespace

const TRealOSVersion& GetRealOSVersion() {
    if (realOSVersionFilled)
        return realOSVersion;
    win::OSVERSIONINFOW info{};
    info.dwOSVersionInfoSize = sizeof(info);
    if (win::RtlGetVersion(&info) != win::STATUS_SUCCESS) {
        info = {};
        info.dwOSVersionInfoSize = sizeof(info);
        if (!win::GetVersionExW(&info))
            info = {};
    }
    realOSVersion = {info.dwMajorVersion, info.dwMinorVersion, info.dwBuildNumber & 0xFFFF};
    realOSVersionFilled = true;
    return realOSVersion;
}

String GetCurrentUserName() {
    win::WCHAR buffer[256];
    win::DWORD size = 255;
    if (!win::GetUserNameW(buffer, &size) || size == 0)
        return {};
    return String(buffer, size - 1);
}

String GetSpecialFolder(win::HWND ownerWindow, int folderId) {
    String result;
    win::WCHAR buffer[win::MAX_PATH + 1];
    buffer[0] = 0;
    if (win::SHGetSpecialFolderPathW(ownerWindow, buffer, folderId, 0))
        result = buffer;
    if (result.size() > 2)
        return result;
    for (const TFolderFallback& fallback : kFolderFallbacks) {
        if (fallback.FolderId != folderId)
            continue;
        const char16_t* variable =
            fallback.Wow64Variable && IsCurrentProcessWow64() ? fallback.Wow64Variable : fallback.Variable;
        String value = rtl::Trim(EnvironmentVariable(variable));
        if (!value.empty())
            return value;
        return SystemDrive() + FixedFolderPath(fallback.Fixed);
    }
    return result;
}

bool IsWow64(win::HANDLE process, bool& isWow) {
    isWow = false;
    try {
        if (isWow64ProcessProc == kNotLookedUp)
            isWow64ProcessProc =
                win::GetProcAddress(win::GetModuleHandleW(u"kernel32.dll"), "IsWow64Process");
        if (!isWow64ProcessProc)
            return false;
        win::BOOL flag = 0;
        const bool succeeded = reinterpret_cast<TIsWow64Process>(isWow64ProcessProc)(process, &flag) != 0;
        isWow = succeeded && flag != 0;
        return succeeded;
    } catch (...) {
        isWow = false;
        return false;
    }
}

bool IsCurrentProcessWow64() {
    if (currentProcessWow64 != kWow64NotAsked)
        return currentProcessWow64 != 0;
    try {
        bool isWow = false;
        IsWow64(win::GetCurrentProcess(), isWow);
        currentProcessWow64 = isWow ? 1 : 0;
        return isWow;
    } catch (...) {
        return false; // asked again next time
    }
}

bool HasListedUninstallEntry() {
    const TRealOSVersion& version = GetRealOSVersion();
    if (version.Major < 10 || version.Build < 10586)
        return false;
    try {
        vcl::TRegistry registry;
        registry.SetRootKey(win::HKEY_LOCAL_MACHINE);
        for (const char16_t* key : kUninstallKeys)
            if (registry.OpenKeyReadOnly(key))
                return true;
        return false;
    } catch (...) {
        return false;
    }
}

String GetIEPath() {
    String result;
    try {
        result = rtl::IncludeTrailingPathDelimiter(GetSpecialFolder(kNoOwner, win::CSIDL_PROGRAM_FILES)) +
                 u"Internet Explorer/iexplore.exe";
        if (rtl::FileExists(result))
            return result;
        vcl::TRegistry registry;
        registry.SetRootKey(win::HKEY_LOCAL_MACHINE);
        if (registry.OpenKeyReadOnly(
                u"\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\IEXPLORE.EXE"))
            result = registry.ReadString(u"");
    } catch (...) {
        // The path found so far stands.
    }
    return result;
}

win::INT_PTR OpenURL(const String& fileName, int showCmd, win::HWND ownerWindow, const String& operation,
                     const String& parameters, const String& directory) {
    const win::LPCWSTR params = parameters.empty() ? nullptr : parameters.c_str();
    const win::LPCWSTR folder = directory.empty() ? nullptr : directory.c_str();
    win::INT_PTR result = 0;
    try {
        if (HasListedUninstallEntry())
            result = Shell(ownerWindow, operation, u"IExplore.EXE", fileName.c_str(), folder, showCmd);
        else
            result = Shell(ownerWindow, operation, fileName, params, folder, showCmd);
        if (result <= 32 && result != win::SE_ERR_DDEFAIL)
            result = Shell(ownerWindow, operation, GetIEPath(), fileName.c_str(), folder, showCmd);
    } catch (...) {
        try {
            result = Shell(ownerWindow, operation, u"IExplore.EXE", fileName.c_str(), folder, showCmd);
        } catch (...) {
            result = 0; // out of resources, as the shell says
        }
    }
    return result;
}

namespace {

// VER_PLATFORM_WIN32_WINDOWS: the Windows 9x family, which the run-time
// library may report.
constexpr win::DWORD kPlatformWin9x = 1;

// Systems before version 6 let a process take the foreground only after
// joining the input of the foreground window's thread, or with the
// foreground lock time-out lifted for a moment.
void ForceForegroundOnOlderSystem(win::HWND window) {
    win::OSVERSIONINFOW runTime{};
    runTime.dwOSVersionInfoSize = sizeof(runTime);
    if (!win::GetVersionExW(&runTime))
        runTime = {};
    const bool nt = runTime.dwPlatformId == win::VER_PLATFORM_WIN32_NT && runTime.dwMajorVersion > 4;
    const bool win9x =
        runTime.dwPlatformId == kPlatformWin9x &&
        (runTime.dwMajorVersion > 4 || (runTime.dwMajorVersion == 4 && runTime.dwMinorVersion > 0));
    if (!nt && !win9x) {
        win::BringWindowToTop(window);
        win::SetForegroundWindow(window);
        return;
    }
    const win::DWORD foregroundThread = win::GetWindowThreadProcessId(win::GetForegroundWindow(), nullptr);
    const win::DWORD windowThread = win::GetWindowThreadProcessId(window, nullptr);
    bool done = false;
    if (win::AttachThreadInput(windowThread, foregroundThread, 1)) {
        win::BringWindowToTop(window);
        win::SetForegroundWindow(window);
        win::AttachThreadInput(windowThread, foregroundThread, 0);
        done = win::GetForegroundWindow() == window;
    }
    if (done)
        return;
    win::DWORD timeout = 0;
    win::SystemParametersInfoW(win::SPI_GETFOREGROUNDLOCKTIMEOUT, 0, &timeout, 0);
    win::SystemParametersInfoW(win::SPI_SETFOREGROUNDLOCKTIMEOUT, 0, nullptr, win::SPIF_SENDCHANGE);
    win::BringWindowToTop(window);
    win::SetForegroundWindow(window);
    win::SystemParametersInfoW(win::SPI_SETFOREGROUNDLOCKTIMEOUT, 0,
                               reinterpret_cast<win::LPVOID>(static_cast<win::ULONG_PTR>(timeout)),
                               win::SPIF_SENDCHANGE);
}

} // namespace

bool ForceForegroundWindow(win::HWND window) {
    if (win::IsIconic(window))
        win::ShowWindow(window, win::SW_RESTORE);
    if (GetRealOSVersion().Major >= 6) {
        // An empty mouse input makes this process the one that received the
        // last input, which the foreground rules of version 6 ask for.
        win::INPUT input{};
        input.type = win::INPUT_MOUSE;
        win::SendInput(1, &input, sizeof(input));
        win::SetForegroundWindow(window);
    } else {
        if (win::GetForegroundWindow() == window)
            return true;
        ForceForegroundOnOlderSystem(window);
    }
    return win::GetForegroundWindow() == window;
}

void ResetSystemRoutineCaches() {
    realOSVersion = {};
    realOSVersionFilled = false;
    isWow64ProcessProc = kNotLookedUp;
    currentProcessWow64 = kWow64NotAsked;
}

} // namespace app

#pragma once

// General system routines of the shell: the real system version, the user
// name, special folders with fallbacks that work when the shell call fails,
// WOW64 detection, opening a web address or document with a browser
// fallback, and forcing a window to the foreground. None of them raises; failures give empty or false
// results. Main thread only: the caches are plain process-wide variables.

#include "platform/rtl/String.h"
#include "platform/win/WinTypes.h"
#include "platform/win/user/UserConstants.h"

namespace app {

struct TRealOSVersion {
    win::DWORD Major;
    win::DWORD Minor;
    win::DWORD Build; // the low 16 bits of the build number
};

// The version the system itself reports, read once per process; the
// run-time library's version values when the system's cannot be read.
const TRealOSVersion& GetRealOSVersion();

// Empty on failure.
[[nodiscard]] rtl::String GetCurrentUserName();

// The shell's folder for a CSIDL id, without a trailing "/". A shell answer
// of two characters or less counts as a failure: for the six ids of the
// fallback table (26, 28, 35, 38, 40, 43) the folder then comes from an
// environment variable, else from a fixed path; any other id gives the
// shell's answer as it is, possibly empty.
[[nodiscard]] rtl::String GetSpecialFolder(win::HWND ownerWindow, int folderId);

// True when the query itself succeeded; isWow tells the answer.
bool IsWow64(win::HANDLE process, bool& isWow);
[[nodiscard]] bool IsCurrentProcessWow64();

// Whether one of the listed products that break the default browser is
// installed (looked up only on systems of version 10, build 10586 or later).
[[nodiscard]] bool HasListedUninstallEntry();

[[nodiscard]] rtl::String GetIEPath();

// Opens a web address or document through the shell. Results above 32 mean
// success; callers ignore the result.
win::INT_PTR OpenURL(const rtl::String& fileName, int showCmd = win::SW_SHOWNORMAL,
                     win::HWND ownerWindow = nullptr, const rtl::String& operation = u"open",
                     const rtl::String& parameters = {}, const rtl::String& directory = {});

// Brings a window to the foreground, restoring it first when it is
// minimised; true when it is the foreground window afterwards.
bool ForceForegroundWindow(win::HWND window);

// Forgets the process-wide caches, so tests can present another system.
void ResetSystemRoutineCaches();

} // namespace app

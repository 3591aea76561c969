#pragma once

// Opening documents and web addresses the way the desktop does.
//
// With the operation "open" (or none), ShellExecuteW hands a web address
// ("scheme:...") or a document to the desktop's opener, xdg-open, found on
// PATH; an executable file is started itself, with the parameters split by
// the command-line rules. A bare name is looked for in the working folder,
// on PATH and under the registry's App Paths. The launched process is
// detached (its own session, standard streams on /dev/null, reaped at once),
// so the call never blocks on it and leaves no zombie. The show command and
// the owner window have no effect on the desktop's opener.

#include "platform/rtl/String.h"
#include "platform/win/WinTypes.h"

#include <functional>
#include <optional>

namespace win {

// Results of 32 and less are errors.
constexpr INT_PTR SE_ERR_FNF = 2;
constexpr INT_PTR SE_ERR_PNF = 3;
constexpr INT_PTR SE_ERR_ACCESSDENIED = 5;
constexpr INT_PTR SE_ERR_OOM = 8;
constexpr INT_PTR SE_ERR_SHARE = 26;
constexpr INT_PTR SE_ERR_ASSOCINCOMPLETE = 27;
constexpr INT_PTR SE_ERR_DDETIMEOUT = 28;
constexpr INT_PTR SE_ERR_DDEFAIL = 29;
constexpr INT_PTR SE_ERR_DDEBUSY = 30;
constexpr INT_PTR SE_ERR_NOASSOC = 31;
constexpr INT_PTR SE_ERR_DLLNOTFOUND = 32;

// Returns 42 on success; SE_ERR_NOASSOC for another operation or when no
// opener is installed; SE_ERR_FNF / SE_ERR_PNF for a missing file or
// folder (the working folder included); ERROR_BAD_FORMAT (11) for a file
// that cannot be executed; 0 when no process could be made.
HINSTANCE ShellExecuteW(HWND owner, LPCWSTR operation, LPCWSTR file, LPCWSTR parameters, LPCWSTR directory,
                        INT showCmd);

// One call as the caller made it; nullopt stands for a null pointer.
struct TShellExecuteCall {
    HWND Owner;
    std::optional<rtl::String> Operation;
    rtl::String File;
    std::optional<rtl::String> Parameters;
    std::optional<rtl::String> Directory;
    INT ShowCmd;
};

// Tests see every call first. A hook that returns a value answers the call
// without launching anything; nullopt lets the call proceed. An empty hook
// removes it. Returns the previous hook.
using TShellExecuteHook = std::function<std::optional<INT_PTR>(const TShellExecuteCall& call)>;
TShellExecuteHook SetShellExecuteHook(TShellExecuteHook hook);

} // namespace win

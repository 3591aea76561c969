#include "app/StartupChecks.h"

#include "app/PublicMessage.h"
#include "app/SystemRoutines.h"
#include "app/WebView2Helper.h"
#include "platform/win/WinError.h"
#include "platform/win/kernel/KernelObject.h"
#include "platform/win/kernel/LastError.h"
#include "platform/win/kernel/Mutex.h"
#include "platform/win/kernel/Process.h"
#include "platform/win/user/Message.h"
#include "platform/win/user/SystemInfo.h"
#include "platform/win/user/Window.h"

namespace app {

namespace {

// The mutex shares its name with the main window's caption; without a
// namespace prefix it is per logon session.
constexpr const char16_t* kInstanceMutexName = u"Lumora AI";
constexpr const char16_t* kMainWindowClass = u"TfrmLumoraAI";
constexpr const char16_t* kMainWindowCaption = u"Lumora AI";

constexpr const char16_t* kRuntimeMissingCaption = u"Lumora AI";
constexpr const char16_t* kRuntimeMissingText =
    u"Microsoft Edge WebView2 Runtime x64 is required for Live Lumora AI.\r\n"
    u"Please click \"OK\" to download and install it. (Windows 10 and later versions supported)";

// Held for the life of the process and never closed: the system releases it
// when the process ends.
win::HANDLE instanceMutex = nullptr;

void EndProcess() {
    win::TerminateProcess(win::GetCurrentProcess(), 0);
}

} // namespace

void CheckSingleInstance() {
    instanceMutex = win::OpenMutexW(win::READ_CONTROL, 0, kInstanceMutexName);
    if (!instanceMutex) {
        instanceMutex = win::CreateMutexW(nullptr, 1, kInstanceMutexName);
        if (instanceMutex && win::GetLastError() != win::ERROR_ALREADY_EXISTS)
            return;
    }
    // Posted, not sent: the second instance never waits for the first.
    if (const win::HWND running = win::FindWindowW(kMainWindowClass, kMainWindowCaption))
        win::PostMessageW(running, WM_INSTANCE_ACTIVATE, 0, 0);
    EndProcess();
}

void CheckWebView2Runtime() {
    if (IsWebView2RuntimeInstalled())
        return;
    if (win::MessageBoxW(nullptr, kRuntimeMissingText, kRuntimeMissingCaption,
                         win::MB_OKCANCEL | win::MB_ICONWARNING) == win::IDOK)
        OpenURL(LUMORA_RUNTIME_URL, win::SW_SHOWNORMAL, nullptr, u"open", u"", u"");
    EndProcess();
}

} // namespace app

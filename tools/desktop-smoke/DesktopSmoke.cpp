// The desktop end to end: a frameless 1440 x 960 window of the window
// system, painted through GDI (a grey 46-pixel title bar, a 1-pixel border),
// with a host child window below the title bar in which the browser engine
// loads the address given. Prints every engine event it sees, one per line:
//
//   created result=0x00000000 t_us=...
//   navigation-starting id=1 uri=http://... t_us=...
//   content-loading id=1 error-page=0 t_us=...
//   navigation-completed id=1 success=1 status=0 http=200 t_us=...
//
// t_us is the monotonic clock in microseconds, comparable across processes.
// Options:
//   --lockdown           switch the browser's own user interface off, as the
//                        main window does (developer tools, context menu, zoom,
//                        accelerator keys, status bar, swipe, external drops)
//   --user-data DIR      the browser profile folder (default: a fresh one in /tmp)
//   --exit-after MS      quit MS milliseconds after the first completed navigation
//   --trace-frames       also print "first-frame t_us=..." when the window's
//                        pixels first reach the screen
//   --at X,Y             put the window there instead of centring it
// Posting message 1125 (WM_USER + 101) to the window, class
// "LumoraDesktopSmoke", caption "Lumora Desktop Smoke", prints
// "activate-message" and brings it to the foreground.

#include "platform/display/gtk/DesktopDisplay.h"
#include "platform/display/gtk/GtkDisplay.h"
#include "platform/rtl/String.h"
#include "platform/webview/engine/EngineFactory.h"
#include "platform/webview/webkit/WebKitEngine.h"
#include "platform/win/gdi/Gdi.h"
#include "platform/win/user/WinUser.h"

#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <memory>
#include <string>
#include <unistd.h>

using namespace win;

namespace {

constexpr int kWidth = 1440;
constexpr int kHeight = 960;
constexpr int kTitleHeight = 46;
constexpr COLORREF kTitleColor = RGB(0xF2, 0xF3, 0xF3);
constexpr COLORREF kBorderColor = RGB(0xA0, 0xA0, 0xA0);
constexpr UINT kActivateMessage = WM_USER + 101;
constexpr UINT kStartBrowserMessage = WM_APP + 1;
constexpr UINT_PTR kExitTimer = 1;
constexpr UINT_PTR kStartBrowserTimer = 2;
// The browser starts with the window's first frame on the screen, or after
// this long if no frame comes (a window manager holding the window back).
constexpr UINT kStartBrowserLimitMs = 1000;

struct TOptions {
    std::string Url;
    bool Lockdown = false;
    std::string UserData;
    int ExitAfterMs = -1;
    bool TraceFrames = false;
    bool Placed = false;
    int X = 0;
    int Y = 0;
};

TOptions gOptions;
std::unique_ptr<webview::TBrowserEngine> gEngine;
HWND gMain = nullptr;
HWND gHost = nullptr;
bool gCompletedOnce = false;

long long MonotonicUs() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<long long>(ts.tv_sec) * 1000000 + ts.tv_nsec / 1000;
}

void Print(const std::string& line) {
    std::printf("%s t_us=%lld\n", line.c_str(), MonotonicUs());
    std::fflush(stdout);
}

void Fill(HDC dc, const RECT& r, COLORREF color) {
    HBRUSH brush = CreateSolidBrush(color);
    FillRect(dc, &r, brush);
    DeleteObject(brush);
}

void PaintMain(HWND hwnd) {
    PAINTSTRUCT ps{};
    HDC dc = BeginPaint(hwnd, &ps);
    RECT client{};
    GetClientRect(hwnd, &client);
    HBRUSH border = CreateSolidBrush(kBorderColor);
    FrameRect(dc, &client, border);
    DeleteObject(border);
    Fill(dc, {1, 1, client.right - 1, 1 + kTitleHeight}, kTitleColor);
    Fill(dc, {1, 1 + kTitleHeight, client.right - 1, client.bottom - 1}, RGB(0xFF, 0xFF, 0xFF));
    EndPaint(hwnd, &ps);
}

void PaintHost(HWND hwnd) {
    PAINTSTRUCT ps{};
    HDC dc = BeginPaint(hwnd, &ps);
    RECT client{};
    GetClientRect(hwnd, &client);
    Fill(dc, client, RGB(0xFF, 0xFF, 0xFF));
    EndPaint(hwnd, &ps);
}

void LockDown(webview::TBrowserEngine& engine) {
    webview::TEngineSettings s = engine.Settings();
    s.DevToolsEnabled = false;
    s.DefaultContextMenusEnabled = false;
    s.ZoomControlEnabled = false;
    s.AreBrowserAcceleratorKeysEnabled = false;
    s.StatusBarEnabled = false;
    s.IsSwipeNavigationEnabled = false;
    s.AllowExternalDrop = false;
    engine.SetSettings(s);
}

void StartBrowser() {
    if (gEngine)
        return;
    KillTimer(gMain, kStartBrowserTimer);
    gEngine = webview::CreateBrowserEngine();
    if (!gEngine) {
        Print("no-engine");
        return;
    }
    webview::TEngineHandlers h;
    h.OnCreated = [](HRESULT result) {
        char line[64];
        std::snprintf(line, sizeof line, "created result=0x%08" PRIx32, static_cast<std::uint32_t>(result));
        Print(line);
        if (FAILED(result))
            return;
        if (gOptions.Lockdown)
            LockDown(*gEngine);
        gEngine->UpdatePlacement();
        if (!gEngine->Navigate(rtl::Utf8ToString(gOptions.Url)))
            Print("navigate-refused");
    };
    h.OnNavigationStarting = [](webview::TNavigationId id, const rtl::String& uri) {
        Print("navigation-starting id=" + std::to_string(id) + " uri=" + rtl::StringToUtf8(uri));
    };
    h.OnContentLoading = [](webview::TNavigationId id, bool isErrorPage) {
        Print("content-loading id=" + std::to_string(id) + " error-page=" + (isErrorPage ? "1" : "0"));
    };
    h.OnNavigationCompleted = [](webview::TNavigationId id, bool success, webview::TWebErrorStatus status,
                                 int http) {
        Print("navigation-completed id=" + std::to_string(id) + " success=" + (success ? "1" : "0") +
              " status=" + std::to_string(static_cast<int>(status)) + " http=" + std::to_string(http));
        if (!gCompletedOnce && gOptions.ExitAfterMs >= 0)
            SetTimer(gMain, kExitTimer, static_cast<UINT>(gOptions.ExitAfterMs), nullptr);
        gCompletedOnce = true;
    };
    gEngine->SetHandlers(std::move(h));
    webview::TEngineOptions options;
    options.UserDataFolder = rtl::Utf8ToString(gOptions.UserData);
    if (!gEngine->Create(gHost, options))
        Print("create-refused");
}

LRESULT MainProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_PAINT:
        PaintMain(hwnd);
        return 0;
    case WM_LBUTTONDOWN:
        // The title bar drags the window, as the main window's does.
        if (GET_Y_LPARAM(lParam) <= kTitleHeight) {
            ReleaseCapture();
            SendMessageW(hwnd, WM_SYSCOMMAND, SC_MOVE | HTCAPTION, 0);
        }
        return 0;
    case WM_MOVE:
        if (gEngine)
            gEngine->UpdatePlacement();
        return 0;
    case kActivateMessage:
        Print("activate-message");
        SetForegroundWindow(hwnd);
        return 0;
    case kStartBrowserMessage:
        StartBrowser();
        return 0;
    case WM_TIMER:
        if (wParam == kExitTimer)
            DestroyWindow(hwnd);
        else if (wParam == kStartBrowserTimer)
            StartBrowser();
        return 0;
    case WM_DESTROY:
        gEngine.reset();
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
}

LRESULT HostProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_PAINT) {
        PaintHost(hwnd);
        return 0;
    }
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

bool RegisterClasses() {
    WNDCLASSEXW main{};
    main.cbSize = sizeof(main);
    main.lpfnWndProc = MainProc;
    main.lpszClassName = u"LumoraDesktopSmoke";
    main.hCursor = LoadCursorW(nullptr, MAKEINTATOM(IDC_ARROW));
    WNDCLASSEXW host = main;
    host.lpfnWndProc = HostProc;
    host.lpszClassName = u"LumoraDesktopSmokeHost";
    return RegisterClassExW(&main) != 0 && RegisterClassExW(&host) != 0;
}

bool ParseOptions(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        const bool hasValue = i + 1 < argc;
        if (a == "--lockdown") {
            gOptions.Lockdown = true;
        } else if (a == "--trace-frames") {
            gOptions.TraceFrames = true;
        } else if (a == "--user-data" && hasValue) {
            gOptions.UserData = argv[++i];
        } else if (a == "--exit-after" && hasValue) {
            gOptions.ExitAfterMs = std::atoi(argv[++i]);
        } else if (a == "--at" && hasValue) {
            gOptions.Placed = std::sscanf(argv[++i], "%d,%d", &gOptions.X, &gOptions.Y) == 2;
        } else if (!a.empty() && a[0] != '-' && gOptions.Url.empty()) {
            gOptions.Url = a;
        } else {
            return false;
        }
    }
    return !gOptions.Url.empty();
}

// A profile of its own for every run unless one is given, so runs do not
// share caches.
void EnsureUserData() {
    if (!gOptions.UserData.empty())
        return;
    char pattern[] = "/tmp/lumora-smoke-XXXXXX";
    if (mkdtemp(pattern))
        gOptions.UserData = pattern;
}

} // namespace

int main(int argc, char** argv) {
    if (!ParseOptions(argc, argv)) {
        std::fprintf(stderr,
                     "usage: desktop-smoke [--lockdown] [--user-data DIR] [--exit-after MS] [--trace-frames] "
                     "[--at X,Y] URL\n");
        return 2;
    }
    EnsureUserData();
    std::unique_ptr<display::TDisplayBackend> desktop = display::CreateDesktopDisplay();
    auto* gtk = dynamic_cast<display::TGtkDisplay*>(desktop.get());
    if (!gtk) {
        std::fprintf(stderr, "desktop-smoke: no display to show the window on\n");
        return 3;
    }
    // The window is on the screen before the browser starts: loading the
    // engine and creating the browser take the GUI thread for a while.
    gtk->SetFramePresentedHook([](display::TSurfaceId) {
        static bool first = true;
        if (first && gOptions.TraceFrames)
            Print("first-frame");
        if (first)
            PostMessageW(gMain, kStartBrowserMessage, 0, 0);
        first = false;
    });
    SetDisplayBackend(std::move(desktop));
    webview::UseWebKitEngine();
    if (!RegisterClasses())
        return 4;

    RECT work{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    const int x = gOptions.Placed ? gOptions.X : work.left + (work.right - work.left - kWidth) / 2;
    const int y = gOptions.Placed ? gOptions.Y : work.top + (work.bottom - work.top - kHeight) / 2;
    gMain = CreateWindowExW(WS_EX_APPWINDOW, u"LumoraDesktopSmoke", u"Lumora Desktop Smoke",
                            WS_POPUP | WS_MINIMIZEBOX | WS_CLIPCHILDREN, x, y, kWidth, kHeight, nullptr,
                            nullptr, nullptr, nullptr);
    if (!gMain)
        return 5;
    gHost = CreateWindowExW(0, u"LumoraDesktopSmokeHost", u"", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, 1,
                            1 + kTitleHeight, kWidth - 2, kHeight - 2 - kTitleHeight, gMain, nullptr, nullptr,
                            nullptr);
    ShowWindow(gMain, SW_SHOWNORMAL);
    UpdateWindow(gMain);
    SetForegroundWindow(gMain);
    SetTimer(gMain, kStartBrowserTimer, kStartBrowserLimitMs, nullptr);

    MSG msg{};
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    // Tear nothing down: the program ends as the main window does.
    std::fflush(stdout);
    _exit(0);
}

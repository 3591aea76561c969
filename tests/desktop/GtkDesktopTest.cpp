#include "desktop/GtkDesktopTest.h"

#include "platform/win/gdi/Gdi.h"

namespace desktop_test {

namespace {

using namespace win;

constexpr char16_t kClass[] = u"LumoraDesktopTestWindow";
constexpr int kTitleHeight = 40;
std::vector<TReceived> gReceived;

bool Recorded(UINT msg) {
    switch (msg) {
    case WM_KEYDOWN:
    case WM_KEYUP:
    case WM_CHAR:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_RBUTTONDOWN:
    case WM_MOUSEWHEEL:
    case WM_CLOSE:
    case WM_ACTIVATE:
        return true;
    default:
        return false;
    }
}

LRESULT TestWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (Recorded(msg))
        gReceived.push_back({hwnd, msg, wParam, lParam});
    switch (msg) {
    case WM_PAINT: {
        PAINTSTRUCT ps{};
        HDC dc = BeginPaint(hwnd, &ps);
        RECT client{};
        GetClientRect(hwnd, &client);
        HBRUSH brush = CreateSolidBrush(static_cast<COLORREF>(GetWindowLongPtrW(hwnd, GWLP_USERDATA)));
        FillRect(dc, &client, brush);
        DeleteObject(brush);
        EndPaint(hwnd, &ps);
        return 0;
    }
    case WM_LBUTTONDOWN:
        if (GET_Y_LPARAM(lParam) < kTitleHeight) {
            ReleaseCapture();
            SendMessageW(hwnd, WM_SYSCOMMAND, SC_MOVE | HTCAPTION, 0);
        }
        return 0;
    case WM_CLOSE:
        return 0; // the test decides when windows go
    default:
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
}

} // namespace

void GtkDesktopTest::SetUp() {
    REQUIRE_DESKTOP();
    ASSERT_TRUE(TDesktopSession::Get().UseGtkDesktop()) << "GTK could not open the X display";
    WNDCLASSEXW existing{};
    existing.cbSize = sizeof(existing);
    if (!GetClassInfoExW(nullptr, kClass, &existing)) {
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof(wc);
        wc.style = CS_DBLCLKS;
        wc.lpfnWndProc = &TestWindowProc;
        wc.lpszClassName = kClass;
        ASSERT_NE(RegisterClassExW(&wc), 0);
    }
    gReceived.clear();
}

void GtkDesktopTest::TearDown() {
    for (HWND w : FWindows)
        DestroyWindow(w);
    FWindows.clear();
    PumpFor(std::chrono::milliseconds(30));
}

HWND GtkDesktopTest::Window(const RECT& r, COLORREF color, DWORD exStyle, DWORD style) {
    HWND w = CreateWindowExW(exStyle, kClass, u"test", style & ~WS_VISIBLE, r.left, r.top, r.right - r.left,
                             r.bottom - r.top, nullptr, nullptr, nullptr, nullptr);
    if (!w)
        return nullptr;
    SetWindowLongPtrW(w, GWLP_USERDATA, static_cast<LONG_PTR>(color));
    if (style & WS_VISIBLE)
        ShowWindow(w, SW_SHOWNORMAL);
    FWindows.push_back(w);
    return w;
}

bool GtkDesktopTest::WaitForPixel(int x, int y, std::uint32_t rgb, int tolerance,
                                  std::chrono::milliseconds timeout) {
    return PumpUntil([&] { return ColorNear(ScreenPixel(x, y), rgb, tolerance); }, timeout);
}

std::vector<TReceived> GtkDesktopTest::TakeReceived() {
    std::vector<TReceived> out;
    out.swap(gReceived);
    return out;
}

} // namespace desktop_test

// The window manager's two hot paths: dispatching posted messages, and
// repainting a main-window-sized tree of windows after a full invalidation.

#include "platform/win/gdi/GdiExports.h"
#include "platform/win/user/UserTesting.h"
#include "platform/win/user/WinUser.h"

#include <benchmark/benchmark.h>

namespace {

using namespace win;

LRESULT CountingProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_USER) {
        ++*reinterpret_cast<long long*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
        return 0;
    }
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

// Each window fills its client area with a brush of its own.
LRESULT PaintingProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_PAINT) {
        PAINTSTRUCT ps{};
        HDC dc = BeginPaint(hwnd, &ps);
        RECT client{};
        GetClientRect(hwnd, &client);
        direct::FillRect(dc, &client, reinterpret_cast<HBRUSH>(GetWindowLongPtrW(hwnd, GWLP_USERDATA)));
        EndPaint(hwnd, &ps);
        return 0;
    }
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

void RegisterClass(const char16_t* name, WNDPROC proc) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = proc;
    wc.lpszClassName = name;
    RegisterClassExW(&wc);
}

// 100,000 posted messages, posted in batches within the queue quota and
// read with the usual GetMessage / DispatchMessage loop.
void BM_DispatchPostedMessages(benchmark::State& state) {
    ResetWindowManager();
    RegisterClass(u"Counting", &CountingProc);
    HWND w = CreateWindowExW(0, u"Counting", u"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    long long dispatched = 0;
    SetWindowLongPtrW(w, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&dispatched));
    constexpr int kMessages = 100000;
    constexpr int kBatch = 5000;
    for (auto _ : state) {
        for (int sent = 0; sent < kMessages; sent += kBatch) {
            for (int i = 0; i < kBatch; ++i)
                PostMessageW(w, WM_USER, 0, 0);
            MSG msg{};
            for (int i = 0; i < kBatch; ++i) {
                GetMessageW(&msg, nullptr, 0, 0);
                DispatchMessageW(&msg);
            }
        }
    }
    if (dispatched != static_cast<long long>(state.iterations()) * kMessages)
        state.SkipWithError("messages were lost");
    state.SetItemsProcessed(state.iterations() * kMessages);
    ResetWindowManager();
}
BENCHMARK(BM_DispatchPostedMessages)->Unit(benchmark::kMillisecond);

// A 1440 x 960 window with 50 child windows in a 10 x 5 grid, invalidated
// whole and repainted through WM_PAINT until nothing is left to paint.
void BM_PaintWindowTree(benchmark::State& state) {
    ResetWindowManager();
    RegisterClass(u"Painting", &PaintingProc);
    auto make = [](DWORD style, int x, int y, int w, int h, HWND parent, COLORREF color) {
        HWND hwnd =
            CreateWindowExW(0, u"Painting", u"", style | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS, x, y,
                            w, h, parent, nullptr, nullptr, nullptr);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(direct::CreateSolidBrush(color)));
        return hwnd;
    };
    HWND top = make(WS_POPUP, 0, 0, 1440, 960, nullptr, RGB(240, 240, 240));
    for (int i = 0; i < 50; ++i)
        make(WS_CHILD, 10 + (i % 10) * 142, 10 + (i / 10) * 188, 132, 178, top, RGB(i * 5, 100, 200 - i * 3));
    MSG msg{};
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
        DispatchMessageW(&msg);
    long long paints = 0;
    for (auto _ : state) {
        RedrawWindow(top, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            paints += msg.message == WM_PAINT;
            DispatchMessageW(&msg);
        }
    }
    if (paints != static_cast<long long>(state.iterations()) * 51)
        state.SkipWithError("not every window painted once");
    state.SetItemsProcessed(paints);
    ResetWindowManager();
}
BENCHMARK(BM_PaintWindowTree)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();

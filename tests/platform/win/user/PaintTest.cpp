// Update regions, painting through window DCs onto the desktop, layered
// windows, window regions, printing and buffered painting.

#include "UserTestSupport.h"
#include "platform/win/gdi/GdiExports.h"

#include <cstdio>
#include <map>

namespace win::test {
namespace {

constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kGreen = RGB(0, 255, 0);
constexpr COLORREF kBlue = RGB(0, 0, 255);

// What a desktop pixel of an opaque colour looks like (premultiplied BGRA).
constexpr std::uint32_t Opaque(COLORREF c) {
    return 0xFF000000u | (static_cast<std::uint32_t>(GetRValue(c)) << 16) | (GetGValue(c) << 8) |
           GetBValue(c);
}

class PaintTest : public UserTest {
protected:
    void SetUp() override {
        UserTest::SetUp();
        // Each window paints its client area in its colour.
        gOverride = [this](HWND h, UINT msg, WPARAM, LPARAM) -> std::optional<LRESULT> {
            if (msg != WM_PAINT || !FColors.count(h))
                return std::nullopt;
            PAINTSTRUCT ps{};
            HDC dc = BeginPaint(h, &ps);
            Fill(h, dc, FColors[h]);
            EndPaint(h, &ps);
            return 0;
        };
    }
    static void Fill(HWND h, HDC dc, COLORREF color) {
        RECT client{};
        GetClientRect(h, &client);
        HBRUSH brush = direct::CreateSolidBrush(color);
        direct::FillRect(dc, &client, brush);
        direct::DeleteObject(brush);
    }
    HWND Painted(HWND hwnd, COLORREF color) {
        FColors[hwnd] = color;
        return hwnd;
    }
    static std::uint32_t ScreenAt(int x, int y) { return HeadlessDisplay().ComposeScreen().PixelAt(x, y); }

    std::map<HWND, COLORREF> FColors;
};

std::vector<RECT> RegionRects(HRGN rgn) {
    const DWORD size = direct::GetRegionData(rgn, 0, nullptr);
    std::vector<BYTE> data(size);
    auto* rd = reinterpret_cast<RGNDATA*>(data.data());
    direct::GetRegionData(rgn, size, rd);
    const RECT* first = reinterpret_cast<const RECT*>(rd->Buffer);
    return {first, first + rd->rdh.nCount};
}

TEST_F(PaintTest, InvalidatedAreasMergeAndStayInsideTheClientArea) {
    HWND w = Popup({0, 0, 100, 100});
    Pump();
    RECT first{10, 10, 20, 20};
    InvalidateRect(w, &first, 0);
    RECT second{50, 50, 200, 60};
    InvalidateRect(w, &second, 0);
    HRGN rgn = direct::CreateRectRgn(0, 0, 0, 0);
    EXPECT_EQ(GetUpdateRgn(w, rgn, 0), COMPLEXREGION);
    const std::vector<RECT> rects = RegionRects(rgn);
    ASSERT_EQ(rects.size(), 2u);
    EXPECT_EQ(rects[1].right, 100) << "clipped to the client area";
    RECT box{};
    EXPECT_TRUE(GetUpdateRect(w, &box, 0));
    EXPECT_EQ(box.left, 10);
    EXPECT_EQ(box.bottom, 60);
    ValidateRect(w, &first);
    EXPECT_EQ(GetUpdateRgn(w, rgn, 0), SIMPLEREGION);
    ValidateRect(w, nullptr);
    EXPECT_FALSE(GetUpdateRect(w, &box, 0));
    direct::DeleteObject(rgn);
    // Hidden windows collect nothing.
    ShowWindow(w, SW_HIDE);
    InvalidateRect(w, nullptr, 1);
    EXPECT_FALSE(GetUpdateRect(w, &box, 0));
}

TEST_F(PaintTest, InvalidationReachesChildrenUnlessTheParentClipsThem) {
    struct Row {
        DWORD ParentStyle;
        UINT Flags;
        bool ChildInvalidated;
    };
    const std::vector<Row> rows = {
        {WS_VISIBLE, RDW_INVALIDATE, true},
        {WS_VISIBLE | WS_CLIPCHILDREN, RDW_INVALIDATE, false},
        {WS_VISIBLE | WS_CLIPCHILDREN, RDW_INVALIDATE | RDW_ALLCHILDREN, true},
        {WS_VISIBLE, RDW_INVALIDATE | RDW_NOCHILDREN, false},
    };
    for (const Row& row : rows) {
        HWND parent = Popup({0, 0, 100, 100}, row.ParentStyle);
        HWND child = Child(parent, {10, 10, 30, 30});
        HWND away = Child(parent, {60, 60, 90, 90});
        Pump();
        RECT area{0, 0, 40, 40};
        RedrawWindow(parent, &area, nullptr, row.Flags);
        RECT box{};
        EXPECT_EQ(GetUpdateRect(child, &box, 0) != 0, row.ChildInvalidated)
            << row.ParentStyle << " " << row.Flags;
        EXPECT_FALSE(GetUpdateRect(away, &box, 0)) << "only children the area meets";
        DestroyWindow(parent);
    }
}

TEST_F(PaintTest, BeginPaintErasesFramesAndValidates) {
    HWND w = Popup({0, 0, 100, 100}, WS_VISIBLE | WS_BORDER);
    Pump();
    gOverride = nullptr;
    gLog.Clear();
    RECT r{5, 5, 15, 15};
    RedrawWindow(w, &r, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME);
    PAINTSTRUCT ps{};
    HDC dc = BeginPaint(w, &ps);
    ASSERT_NE(dc, nullptr);
    EXPECT_EQ(gLog.Messages(w), (std::vector<UINT>{WM_NCPAINT, WM_ERASEBKGND}));
    EXPECT_TRUE(ps.fErase) << "the class has no brush, so the window must erase";
    EXPECT_EQ(ps.rcPaint.left, 5);
    EXPECT_EQ(ps.rcPaint.right, 15);
    EndPaint(w, &ps);
    EXPECT_EQ(Pump(), 0) << "painted windows get no more WM_PAINT";
}

TEST_F(PaintTest, RedrawWindowCanPaintAtOnce) {
    HWND w = Painted(Popup({0, 0, 100, 100}), kRed);
    Pump();
    gLog.Clear();
    RedrawWindow(w, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ERASENOW);
    EXPECT_EQ(gLog.Messages(w, {WM_ERASEBKGND, WM_PAINT}), (std::vector<UINT>{WM_ERASEBKGND}));
    RedrawWindow(w, nullptr, nullptr, RDW_UPDATENOW);
    EXPECT_EQ(gLog.Messages(w, {WM_ERASEBKGND, WM_PAINT}), (std::vector<UINT>{WM_ERASEBKGND, WM_PAINT}));
    EXPECT_EQ(ScreenAt(50, 50), Opaque(kRed));
}

TEST_F(PaintTest, WindowDcsLeaveOutChildrenAndHigherSiblings) {
    HWND top = Painted(Popup({100, 100, 300, 300}, WS_VISIBLE | WS_CLIPCHILDREN), kRed);
    HWND lower = Painted(Child(top, {0, 0, 100, 100}, WS_VISIBLE | WS_CLIPSIBLINGS), kGreen);
    HWND upper = Painted(Child(top, {50, 50, 150, 150}, WS_VISIBLE | WS_CLIPSIBLINGS), kBlue);
    Pump();
    // Whatever order they paint in, each window shows only where it is visible.
    InvalidateRect(lower, nullptr, 0);
    UpdateWindow(lower);
    InvalidateRect(top, nullptr, 0);
    UpdateWindow(top);
    EXPECT_EQ(ScreenAt(110, 110), Opaque(kGreen));
    EXPECT_EQ(ScreenAt(160, 160), Opaque(kBlue));
    EXPECT_EQ(ScreenAt(240, 120), Opaque(kRed));
    EXPECT_EQ(ScreenAt(290, 290), Opaque(kRed));
    (void)upper;
}

TEST_F(PaintTest, TheClassBrushErasesTheBackground) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = &DefWindowProcW;
    wc.hbrBackground = direct::CreateSolidBrush(kGreen);
    wc.lpszClassName = u"Brushed";
    RegisterClassExW(&wc);
    CreateWindowExW(0, u"Brushed", u"", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50, nullptr, nullptr, nullptr,
                    nullptr);
    Pump();
    EXPECT_EQ(ScreenAt(25, 25), Opaque(kGreen));
}

TEST_F(PaintTest, LockWindowUpdateHoldsPaintingBackUntilReleased) {
    HWND w = Painted(Popup({0, 0, 100, 100}), kRed);
    Pump();
    ASSERT_EQ(ScreenAt(10, 10), Opaque(kRed));
    FColors[w] = kBlue;
    EXPECT_TRUE(LockWindowUpdate(w));
    EXPECT_FALSE(LockWindowUpdate(w)) << "one window at a time";
    InvalidateRect(w, nullptr, 1);
    gLog.Clear();
    Pump();
    EXPECT_EQ(gLog.Count(w, WM_PAINT), 0u);
    HDC dc = GetDC(w);
    Fill(w, dc, kGreen);
    ReleaseDC(w, dc);
    EXPECT_EQ(ScreenAt(10, 10), Opaque(kRed)) << "a locked window's DC draws nothing";
    EXPECT_TRUE(LockWindowUpdate(nullptr));
    Pump();
    EXPECT_EQ(gLog.Count(w, WM_PAINT), 1u);
    EXPECT_EQ(ScreenAt(10, 10), Opaque(kBlue));
}

// A 32-bit top-down DIB section in a memory DC, filled with one premultiplied pixel value.
struct TDib {
    HDC Dc = nullptr;
    HBITMAP Bitmap = nullptr;
    std::uint32_t* Bits = nullptr;
    TDib(int w, int h, std::uint32_t pixel) {
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        info.bmiHeader.biWidth = w;
        info.bmiHeader.biHeight = -h;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        void* bits = nullptr;
        Dc = direct::CreateCompatibleDC(nullptr);
        Bitmap = direct::CreateDIBSection(Dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        Bits = static_cast<std::uint32_t*>(bits);
        std::fill_n(Bits, w * h, pixel);
        direct::SelectObject(Dc, Bitmap);
    }
    ~TDib() {
        direct::DeleteDC(Dc);
        direct::DeleteObject(Bitmap);
    }
};

TEST_F(PaintTest, LayeredPicturesAreComposedWithTheirAlpha) {
    Painted(Popup({0, 0, 400, 400}), kBlue);
    Pump();
    HWND layered = Popup({100, 100, 200, 200}, WS_VISIBLE, WS_EX_LAYERED);
    EXPECT_EQ(ScreenAt(150, 150), Opaque(kBlue)) << "nothing shows before the first picture";
    // Half-transparent red, premultiplied: 0x80 alpha, 0x80 red.
    TDib picture(100, 100, 0x80800000u);
    picture.Bits[0] = 0; // one fully transparent pixel
    POINT src{0, 0};
    SIZE size{100, 100};
    BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    ASSERT_TRUE(
        UpdateLayeredWindow(layered, nullptr, nullptr, &size, picture.Dc, &src, 0, &blend, ULW_ALPHA));
    // red = 0x80 + 0 * 127/255; blue = 0xFF * (255 - 128) / 255 = 127.
    EXPECT_EQ(ScreenAt(150, 150), 0xFF80007Fu);
    EXPECT_EQ(ScreenAt(100, 100), Opaque(kBlue));
    // The mouse passes through transparent pixels only.
    EXPECT_NE(WindowFromPoint({100, 100}), layered);
    EXPECT_EQ(WindowFromPoint({150, 150}), layered);
    // A new constant alpha changes the picture without a new one.
    blend.SourceConstantAlpha = 0;
    ASSERT_TRUE(
        UpdateLayeredWindow(layered, nullptr, nullptr, nullptr, nullptr, nullptr, 0, &blend, ULW_ALPHA));
    EXPECT_EQ(ScreenAt(150, 150), Opaque(kBlue));
    // A moved picture goes along with its window.
    POINT to{250, 250};
    blend.SourceConstantAlpha = 255;
    ASSERT_TRUE(UpdateLayeredWindow(layered, nullptr, &to, nullptr, nullptr, nullptr, 0, &blend, ULW_ALPHA));
    EXPECT_EQ(ScreenAt(150, 150), Opaque(kBlue));
    EXPECT_EQ(ScreenAt(300, 300), 0xFF80007Fu);
    // Only layered windows take pictures.
    HWND plain = Popup({0, 0, 10, 10});
    EXPECT_FALSE(UpdateLayeredWindow(plain, nullptr, nullptr, &size, picture.Dc, &src, 0, &blend, ULW_ALPHA));
}

TEST_F(PaintTest, LayeredAttributesDimPaintedWindows) {
    Painted(Popup({0, 0, 400, 400}), kBlue);
    HWND w = Painted(Popup({100, 100, 200, 200}, WS_VISIBLE, WS_EX_LAYERED), kRed);
    Pump();
    EXPECT_EQ(ScreenAt(150, 150), Opaque(kBlue));
    ASSERT_TRUE(SetLayeredWindowAttributes(w, 0, 0x33, LWA_ALPHA));
    Pump();
    // 0xFF * 0x33/255 red over 0xFF * (255 - 0x33)/255 blue.
    EXPECT_EQ(ScreenAt(150, 150), 0xFF3300CCu);
    COLORREF key = 1;
    BYTE alpha = 0;
    DWORD flags = 0;
    EXPECT_TRUE(GetLayeredWindowAttributes(w, &key, &alpha, &flags));
    EXPECT_EQ(alpha, 0x33);
    EXPECT_EQ(flags, LWA_ALPHA);
    BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    EXPECT_FALSE(UpdateLayeredWindow(w, nullptr, nullptr, nullptr, nullptr, nullptr, 0, &blend, ULW_ALPHA));
    // A colour key makes holes.
    SetLayeredWindowAttributes(w, kRed, 0, LWA_COLORKEY);
    InvalidateRect(w, nullptr, 0);
    Pump();
    EXPECT_EQ(ScreenAt(150, 150), Opaque(kBlue));
}

TEST_F(PaintTest, WindowRegionsShapeWhatTheDesktopShows) {
    HeadlessDisplay().SetDesktopColor(0xFF000000u);
    HWND w = Painted(Popup({0, 0, 100, 100}), kRed);
    SetWindowRgn(w, direct::CreateEllipticRgn(0, 0, 100, 100), 1);
    Pump();
    EXPECT_EQ(ScreenAt(50, 50), Opaque(kRed));
    EXPECT_EQ(ScreenAt(2, 2), 0xFF000000u);
}

TEST_F(PaintTest, PrintDrawsTheWindowAndItsChildrenIntoAnyDc) {
    HWND top = Painted(Popup({0, 0, 100, 100}, 0), kRed);
    Painted(Child(top, {10, 20, 30, 40}), kGreen);
    gOverride = [this](HWND h, UINT msg, WPARAM wp, LPARAM) -> std::optional<LRESULT> {
        if (msg == WM_PRINTCLIENT && FColors.count(h)) {
            Fill(h, reinterpret_cast<HDC>(wp), FColors[h]);
            return 0;
        }
        return std::nullopt;
    };
    TDib target(100, 100, 0);
    SendMessageW(top, WM_PRINT, reinterpret_cast<WPARAM>(target.Dc), PRF_CLIENT | PRF_CHILDREN);
    direct::GdiFlush();
    // GDI leaves alpha 0 in what it draws.
    EXPECT_EQ(target.Bits[5 * 100 + 5], Opaque(kRed) & 0xFFFFFF);
    EXPECT_EQ(target.Bits[25 * 100 + 15], Opaque(kGreen) & 0xFFFFFF);
    TDib checked(100, 100, 0);
    SendMessageW(top, WM_PRINT, reinterpret_cast<WPARAM>(checked.Dc), PRF_CLIENT | PRF_CHECKVISIBLE);
    EXPECT_EQ(checked.Bits[5 * 100 + 5], 0u) << "an invisible window prints nothing with PRF_CHECKVISIBLE";
}

TEST_F(PaintTest, BufferedPaintingWritesThroughToTheTarget) {
    HWND w = Popup({0, 0, 100, 100});
    Pump();
    HDC dc = GetDC(w);
    RECT area{10, 10, 30, 30};
    HDC paintDc = nullptr;
    BP_PAINTPARAMS params{sizeof(params), BPPF_ERASE, nullptr, nullptr};
    HPAINTBUFFER buffer = BeginBufferedPaint(dc, &area, BPBF_TOPDOWNDIB, &params, &paintDc);
    ASSERT_NE(buffer, nullptr);
    HBRUSH brush = direct::CreateSolidBrush(kGreen);
    direct::FillRect(paintDc, &area, brush);
    direct::DeleteObject(brush);
    RGBQUAD* bits = nullptr;
    int row = 0;
    ASSERT_EQ(GetBufferedPaintBits(buffer, &bits, &row), S_OK);
    EXPECT_EQ(row, 20);
    EXPECT_EQ(bits[0].rgbGreen, 255);
    EXPECT_EQ(bits[0].rgbReserved, 0);
    RECT half{10, 10, 20, 30};
    EXPECT_EQ(BufferedPaintSetAlpha(buffer, &half, 255), S_OK);
    EXPECT_EQ(bits[0].rgbReserved, 255);
    EXPECT_EQ(bits[15].rgbReserved, 0);
    EXPECT_EQ(EndBufferedPaint(buffer, 1), S_OK);
    EXPECT_EQ(EndBufferedPaint(buffer, 1), E_INVALIDARG) << "a finished buffer is refused";
    ReleaseDC(w, dc);
    EXPECT_EQ(ScreenAt(15, 15), Opaque(kGreen));
    RECT empty{5, 5, 5, 20};
    EXPECT_EQ(BeginBufferedPaint(dc, &empty, BPBF_TOPDOWNDIB, nullptr, &paintDc), nullptr);
}

TEST_F(PaintTest, ResizedWindowsKeepWhatStillFits) {
    HWND w = Painted(Popup({0, 0, 100, 100}), kRed);
    Pump();
    FColors.erase(w);
    gOverride = nullptr;
    SetWindowPos(w, nullptr, 0, 0, 200, 200, SWP_NOMOVE | SWP_NOZORDER);
    EXPECT_EQ(ScreenAt(50, 50), Opaque(kRed));
}

TEST_F(PaintTest, CompositionStateIsSwitchable) {
    HWND w = Popup({0, 0, 10, 10});
    BOOL enabled = 0;
    EXPECT_EQ(DwmIsCompositionEnabled(&enabled), S_OK);
    EXPECT_TRUE(enabled);
    SetCompositionEnabled(false);
    DwmIsCompositionEnabled(&enabled);
    EXPECT_FALSE(enabled);
    EXPECT_EQ(gLog.Count(w, WM_DWMCOMPOSITIONCHANGED), 1u);
    EXPECT_EQ(DwmIsCompositionEnabled(nullptr), E_INVALIDARG);
}

TEST_F(PaintTest, TheScreenCanBeSavedAsPng) {
    Painted(Popup({0, 0, 100, 100}), kRed);
    Pump();
    const std::string path = ::testing::TempDir() + "/win_user_screen.png";
    ASSERT_TRUE(HeadlessDisplay().SaveScreen(path));
    FILE* f = std::fopen(path.c_str(), "rb");
    ASSERT_NE(f, nullptr);
    unsigned char signature[8]{};
    EXPECT_EQ(std::fread(signature, 1, 8, f), 8u);
    std::fclose(f);
    std::remove(path.c_str());
    EXPECT_EQ(signature[1], 'P');
    EXPECT_EQ(signature[7], '\n');
    EXPECT_FALSE(HeadlessDisplay().SaveScreen("/nonexistent-dir/x.png"));
}

} // namespace
} // namespace win::test

// Windows of the window manager on the GTK desktop: what the screen shows
// and what comes back from the desktop, with real X input (XTEST).

#include "desktop/GtkDesktopTest.h"
#include "desktop/XInput.h"
#include "platform/display/gtk/GtkDisplay.h"
#include "platform/win/gdi/Gdi.h"
#include "platform/win/user/WindowSurface.h"

#include <X11/Xatom.h>
#include <X11/keysym.h>
#include <cstring>
#include <gdk/gdkx.h>
#include <memory>

namespace desktop_test {
namespace {

using namespace win;
using namespace std::chrono_literals;

constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kBlue = RGB(0, 0, 255);
constexpr COLORREF kGreen = RGB(0, 160, 0);
constexpr std::uint32_t kRoot = 0x000000;

GtkWindow* GtkWindowOf(HWND hwnd) {
    return display::TGtkDisplay::Current()->SurfaceWindow(GetWindowSurface(hwnd));
}

::Window XidOf(HWND hwnd) {
    GdkWindow* w = gtk_widget_get_window(GTK_WIDGET(GtkWindowOf(hwnd)));
    return w ? gdk_x11_window_get_xid(w) : 0;
}

// A client message to the root window, as pagers and taskbars send them.
void SendRootMessage(::Window xid, const char* type, long data0, long data1 = 0) {
    Display* d = XOpenDisplay(nullptr);
    ASSERT_NE(d, nullptr);
    XEvent e{};
    e.xclient.type = ClientMessage;
    e.xclient.window = xid;
    e.xclient.message_type = XInternAtom(d, type, False);
    e.xclient.format = 32;
    e.xclient.data.l[0] = data0;
    e.xclient.data.l[1] = data1;
    XSendEvent(d, DefaultRootWindow(d), False, SubstructureRedirectMask | SubstructureNotifyMask, &e);
    XCloseDisplay(d);
}

void RequestClose(::Window xid) {
    Display* d = XOpenDisplay(nullptr);
    ASSERT_NE(d, nullptr);
    XEvent e{};
    e.xclient.type = ClientMessage;
    e.xclient.window = xid;
    e.xclient.message_type = XInternAtom(d, "WM_PROTOCOLS", False);
    e.xclient.format = 32;
    e.xclient.data.l[0] = static_cast<long>(XInternAtom(d, "WM_DELETE_WINDOW", False));
    e.xclient.data.l[1] = CurrentTime;
    XSendEvent(d, xid, False, NoEventMask, &e);
    XCloseDisplay(d);
}

// Whether the X keyboard focus is in xid (GTK gives it to a child of the
// top-level window made for the purpose).
bool HasKeyboardFocus(::Window xid) {
    Display* d = XOpenDisplay(nullptr);
    ::Window w = 0;
    int revert = 0;
    XGetInputFocus(d, &w, &revert);
    bool inside = false;
    while (w != 0 && w != PointerRoot && !inside) {
        inside = w == xid;
        ::Window root = 0;
        ::Window parent = 0;
        ::Window* children = nullptr;
        unsigned count = 0;
        if (!XQueryTree(d, w, &root, &parent, &children, &count))
            break;
        if (children)
            XFree(children);
        w = parent == root ? 0 : parent;
    }
    XCloseDisplay(d);
    return inside;
}

bool Received(const std::vector<TReceived>& all, HWND hwnd, UINT msg) {
    for (const TReceived& r : all)
        if (r.Hwnd == hwnd && r.Message == msg)
            return true;
    return false;
}

using GtkWindowTest = GtkDesktopTest;

TEST_F(GtkWindowTest, TheMoveDragFollowsThePointer) {
    struct TCase {
        const char* Name;
        bool WindowManager;
    };
    for (const TCase c : {TCase{"under openbox", true}, TCase{"desktop without a window manager", false}}) {
        std::unique_ptr<TDesktopHelper> wm;
        if (c.WindowManager) {
            wm = std::make_unique<TDesktopHelper>(TDesktopHelper::dhWindowManager);
            ASSERT_TRUE(wm->Running()) << wm->Error();
        }
        HWND w = Window({200, 150, 600, 450}, kRed);
        ASSERT_TRUE(WaitForPixel(400, 300, RgbOf(kRed)))
            << c.Name << ", screen: " << SaveArtifact(GrabScreen(), "move-drag-start");
        TXInput input;
        ASSERT_TRUE(input.Ready());
        input.MoveTo(300, 170);
        PumpFor(50ms);
        (void)TakeReceived();
        input.Button(1, true);
        ASSERT_TRUE(PumpUntil([&] { return Received(TakeReceived(), w, WM_LBUTTONDOWN); }, 10s))
            << c.Name << ": the press did not arrive";
        // The drag is live once the desktop has taken the pointer, which a
        // loaded machine may take a while to do: nudge the pointer until the
        // screen shows the window following it (the window's rectangle is
        // settled only when the drag ends), then walk it to the end.
        bool following = false;
        const auto deadline = std::chrono::steady_clock::now() + 10s;
        for (int nudge = 0; !following && std::chrono::steady_clock::now() < deadline; ++nudge) {
            const int step = 1 + nudge % 2;
            input.MoveTo(300 + 15 * step, 170 + 8 * step);
            PumpFor(30ms);
            following = ScreenPixel(605, 300) == RgbOf(kRed);
        }
        ASSERT_TRUE(following) << c.Name << ": the window never followed the pointer";
        for (int step = 2; step <= 10; ++step) {
            input.MoveTo(300 + 15 * step, 170 + 8 * step);
            PumpFor(30ms);
        }
        input.Button(1, false);
        RECT r{};
        const bool moved = PumpUntil(
            [&] {
                GetWindowRect(w, &r);
                return r.left == 350 && r.top == 230;
            },
            10s);
        EXPECT_TRUE(moved) << c.Name << ": window at " << r.left << "," << r.top << ", expected 350,230";
        EXPECT_TRUE(WaitForPixel(700, 500, RgbOf(kRed))) << c.Name << ": the pixels moved with the window";
        SaveArtifact(GrabScreen(), std::string("move-drag-") + (c.WindowManager ? "openbox" : "no-wm"));
        EXPECT_TRUE(WaitForPixel(210, 160, kRoot)) << c.Name << ": the old place is uncovered";
        DestroyWindow(w);
        PumpFor(50ms);
    }
}

// White at half opacity over red. A compositor blends it with what lies
// below; without one the premultiplied colour shows, a darker window.
TEST_F(GtkWindowTest, OpacityAndPerPixelAlphaBlendWithACompositorAndDarkenWithout) {
    enum TKind { kConstantOpacity, kPerPixelAlpha };
    struct TCase {
        const char* Name;
        bool Compositor;
        TKind Kind;
        std::uint32_t OverRed;
        std::uint32_t OverBlue;
    };
    const TCase cases[] = {
        {"window opacity, no compositor", false, kConstantOpacity, 0x808080, 0x808080},
        {"per-pixel alpha, no compositor", false, kPerPixelAlpha, 0x808080, 0x808080},
        {"window opacity, compositor", true, kConstantOpacity, 0xFF8080, 0x8080FF},
        {"per-pixel alpha, compositor", true, kPerPixelAlpha, 0xFF8080, 0x8080FF},
    };
    std::unique_ptr<TDesktopHelper> compositor;
    for (const TCase& c : cases) {
        if (c.Compositor && !compositor) {
            compositor = std::make_unique<TDesktopHelper>(TDesktopHelper::dhCompositor);
            ASSERT_TRUE(compositor->Running()) << compositor->Error();
            ASSERT_TRUE(
                PumpUntil([] { return gdk_screen_is_composited(gdk_screen_get_default()) != FALSE; }, 5s))
                << "GTK did not notice the compositor";
        }
        HWND red = Window({300, 300, 700, 600}, kRed);
        HWND blue = Window({700, 300, 1100, 600}, kBlue);
        ASSERT_TRUE(WaitForPixel(350, 350, RgbOf(kRed)) && WaitForPixel(1050, 350, RgbOf(kBlue))) << c.Name;
        HWND above = nullptr;
        if (c.Kind == kConstantOpacity) {
            above = Window({500, 400, 900, 500}, kWhite, WS_EX_LAYERED, WS_POPUP);
            ASSERT_TRUE(SetLayeredWindowAttributes(above, 0, 128, LWA_ALPHA));
            ShowWindow(above, SW_SHOWNORMAL);
        } else {
            above = Window({500, 400, 900, 500}, kWhite, WS_EX_LAYERED, WS_POPUP);
            BITMAPINFO bi{};
            bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
            bi.bmiHeader.biWidth = 400;
            bi.bmiHeader.biHeight = -100;
            bi.bmiHeader.biPlanes = 1;
            bi.bmiHeader.biBitCount = 32;
            void* bits = nullptr;
            HDC dc = CreateCompatibleDC(nullptr);
            HBITMAP bitmap = CreateDIBSection(dc, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
            ASSERT_TRUE(dc && bitmap && bits);
            std::fill_n(static_cast<std::uint32_t*>(bits), 400 * 100,
                        0x80808080u); // white, alpha 128, premultiplied
            HGDIOBJ old = SelectObject(dc, bitmap);
            POINT at{500, 400};
            SIZE size{400, 100};
            POINT origin{0, 0};
            BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
            ASSERT_TRUE(UpdateLayeredWindow(above, nullptr, &at, &size, dc, &origin, 0, &blend, ULW_ALPHA));
            SelectObject(dc, old);
            DeleteObject(bitmap);
            DeleteDC(dc);
            ShowWindow(above, SW_SHOWNOACTIVATE);
        }
        EXPECT_TRUE(WaitForPixel(600, 450, c.OverRed, 4))
            << c.Name << ": over red " << ColorText(ScreenPixel(600, 450)) << ", expected "
            << ColorText(c.OverRed);
        EXPECT_TRUE(WaitForPixel(800, 450, c.OverBlue, 4))
            << c.Name << ": over blue " << ColorText(ScreenPixel(800, 450)) << ", expected "
            << ColorText(c.OverBlue);
        SaveArtifact(GrabScreen(), std::string("opacity-") + (c.Compositor ? "compositor-" : "plain-") +
                                       (c.Kind == kConstantOpacity ? "window" : "pixels"));
        DestroyWindow(above);
        DestroyWindow(red);
        DestroyWindow(blue);
        PumpFor(50ms);
    }
}

// An L-shaped window region: outside it the desktop shows through and
// clicks go past the window.
TEST_F(GtkWindowTest, TheWindowRegionShapesPixelsAndInput) {
    HWND w = Window({600, 300, 900, 500}, kBlue);
    HRGN shape = CreateRectRgn(0, 0, 300, 100);
    HRGN foot = CreateRectRgn(0, 100, 100, 200);
    CombineRgn(shape, shape, foot, RGN_OR);
    DeleteObject(foot);
    ASSERT_NE(SetWindowRgn(w, shape, TRUE), 0);
    const TScreenSpot spots[] = {
        {"top bar of the L", 850, 350, RgbOf(kBlue)},
        {"foot of the L", 650, 450, RgbOf(kBlue)},
        {"cut out", 800, 450, kRoot},
    };
    for (const TScreenSpot& s : spots)
        EXPECT_TRUE(WaitForPixel(s.X, s.Y, s.Color)) << s.Name << ": " << ColorText(ScreenPixel(s.X, s.Y));
    SaveArtifact(GrabScreen(), "window-region");

    TXInput input;
    ASSERT_TRUE(input.Ready());
    (void)TakeReceived();
    // A click outside, then one inside: input arrives in order, so once the
    // second has come the first would have come before it.
    input.MoveTo(800, 450);
    input.Click(1);
    input.MoveTo(650, 450);
    input.Click(1);
    std::vector<TReceived> presses;
    EXPECT_TRUE(PumpUntil(
        [&] {
            for (const TReceived& r : TakeReceived())
                if (r.Hwnd == w && r.Message == WM_LBUTTONDOWN)
                    presses.push_back(r);
            return !presses.empty();
        },
        10s))
        << "a click inside the region did not reach the window";
    ASSERT_EQ(presses.size(), 1u) << "a click outside the region reached the window";
    EXPECT_EQ(presses[0].LParam, MAKELPARAM(50, 150)) << "the press came from outside the region";
}

TEST_F(GtkWindowTest, KeyboardMouseAndWheelBecomeWindowMessages) {
    HWND w = Window({100, 100, 500, 400}, kGreen);
    ASSERT_TRUE(WaitForPixel(300, 250, RgbOf(kGreen)));
    SetForegroundWindow(w);
    SetFocus(w);
    TXInput input;
    ASSERT_TRUE(input.Ready());
    input.MoveTo(150, 220); // below the drag area
    input.Click(1);
    PumpFor(100ms);
    (void)TakeReceived();

    struct TCase {
        const char* Name;
        std::function<void()> Act;
        UINT Message;
        WPARAM WParam;
        LPARAM LParam; // -1: not checked
    };
    const TCase cases[] = {
        {"a key press", [&] { input.Chord({}, XK_a); }, WM_KEYDOWN, 'A', -1},
        {"the character it types", [&] { input.Chord({}, XK_b); }, WM_CHAR, 'b', -1},
        {"a shifted character", [&] { input.Chord({XK_Shift_L}, XK_1); }, WM_CHAR, '!', -1},
        {"a function key", [&] { input.Chord({}, XK_F5); }, WM_KEYDOWN, 0x74, -1},
        {"a click, in client coordinates",
         [&] {
             input.MoveTo(130, 250);
             input.Click(1);
         },
         WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(30, 150)},
        {"the wheel turned up", [&] { input.Wheel(true); }, WM_MOUSEWHEEL, MAKEWPARAM(0, 120), -1},
    };
    for (const TCase& c : cases) {
        c.Act();
        std::vector<TReceived> seen;
        const bool found = PumpUntil(
            [&] {
                for (const TReceived& r : TakeReceived())
                    seen.push_back(r);
                for (const TReceived& r : seen)
                    if (r.Hwnd == w && r.Message == c.Message && r.WParam == c.WParam &&
                        (c.LParam == -1 || r.LParam == c.LParam))
                        return true;
                return false;
            },
            2s);
        EXPECT_TRUE(found) << c.Name << ": " << seen.size() << " other messages";
        PumpFor(30ms);
        (void)TakeReceived();
    }
}

TEST_F(GtkWindowTest, MinimiseRestoreActivationAndCloseRequestsUnderAWindowManager) {
    TDesktopHelper wm(TDesktopHelper::dhWindowManager);
    ASSERT_TRUE(wm.Running()) << wm.Error();
    HWND a = Window({100, 100, 500, 400}, kRed);
    HWND b = Window({600, 100, 1000, 400}, kBlue);
    ASSERT_TRUE(WaitForPixel(300, 250, RgbOf(kRed)) && WaitForPixel(800, 250, RgbOf(kBlue)));

    // Foreground: the desktop's keyboard focus follows.
    for (HWND w : {a, b, a}) {
        SetForegroundWindow(w);
        EXPECT_TRUE(PumpUntil([&] { return HasKeyboardFocus(XidOf(w)); }, 3s)) << "focus did not follow";
        EXPECT_EQ(GetForegroundWindow(), w);
    }

    // Minimising and restoring from the program.
    ShowWindow(a, SW_MINIMIZE);
    EXPECT_TRUE(WaitForPixel(300, 250, kRoot)) << "a minimised window is not shown";
    EXPECT_TRUE(PumpUntil(
        [&] {
            return (gdk_window_get_state(gtk_widget_get_window(GTK_WIDGET(GtkWindowOf(a)))) &
                    GDK_WINDOW_STATE_ICONIFIED) != 0;
        },
        3s))
        << "the desktop has not iconified the window";
    ShowWindow(a, SW_RESTORE);
    EXPECT_TRUE(WaitForPixel(300, 250, RgbOf(kRed))) << "a restored window shows again";
    EXPECT_FALSE(IsIconic(a));

    // Minimising and restoring from the desktop (a taskbar's requests).
    SendRootMessage(XidOf(a), "WM_CHANGE_STATE", IconicState);
    EXPECT_TRUE(PumpUntil([&] { return IsIconic(a) != FALSE; }, 3s)) << "the desktop's minimise was not seen";
    SendRootMessage(XidOf(a), "_NET_ACTIVE_WINDOW", 2, CurrentTime);
    EXPECT_TRUE(PumpUntil([&] { return IsIconic(a) == FALSE; }, 3s)) << "the desktop's restore was not seen";
    EXPECT_TRUE(WaitForPixel(300, 250, RgbOf(kRed)));

    // Closing from the desktop is a close command to the window.
    (void)TakeReceived();
    RequestClose(XidOf(b));
    EXPECT_TRUE(PumpUntil([&] { return Received(TakeReceived(), b, WM_CLOSE); }, 3s));
    EXPECT_TRUE(IsWindow(b));
}

TEST_F(GtkWindowTest, MessageBoxesAreRealDialogs) {
    TDesktopHelper wm(TDesktopHelper::dhWindowManager);
    ASSERT_TRUE(wm.Running()) << wm.Error();
    struct TCase {
        const char* Name;
        UINT Type;
        int Answer;
    };
    const TCase cases[] = {
        {"OK is the default", MB_OKCANCEL | MB_ICONWARNING, IDOK},
        {"the second button is the default", MB_OKCANCEL | MB_DEFBUTTON2, IDCANCEL},
        {"yes, no", MB_YESNO | MB_ICONQUESTION, IDYES},
    };
    for (const TCase& c : cases) {
        struct TProbe {
            std::string Title;
            std::string Text;
            bool Fired = false;
            int Ticks = 0;
        } probe;
        // Once the dialog is up and has the keyboard, read what it shows and
        // press Enter; if it never comes, answer it so the test ends.
        const guint timer = g_timeout_add(
            50,
            +[](gpointer data) -> gboolean {
                auto* p = static_cast<TProbe*>(data);
                GtkWindow* dialog = nullptr;
                GList* windows = gtk_window_list_toplevels();
                for (GList* l = windows; l; l = l->next)
                    if (GTK_IS_MESSAGE_DIALOG(l->data) && gtk_widget_get_mapped(GTK_WIDGET(l->data)))
                        dialog = GTK_WINDOW(l->data);
                g_list_free(windows);
                if (++p->Ticks > 100 && dialog) {
                    gtk_dialog_response(GTK_DIALOG(dialog), GTK_RESPONSE_DELETE_EVENT);
                    p->Fired = true;
                    return G_SOURCE_REMOVE;
                }
                if (!dialog || !gtk_window_is_active(dialog))
                    return G_SOURCE_CONTINUE;
                p->Title = gtk_window_get_title(dialog);
                gchar* text = nullptr;
                g_object_get(dialog, "text", &text, nullptr);
                p->Text = text ? text : "";
                g_free(text);
                TXInput input;
                input.Chord({}, XK_Return);
                p->Fired = true;
                return G_SOURCE_REMOVE;
            },
            &probe);
        const int answer = MessageBoxW(nullptr, u"Something to say", u"Lumora AI", c.Type);
        if (!probe.Fired)
            g_source_remove(timer);
        EXPECT_EQ(answer, c.Answer) << c.Name;
        EXPECT_EQ(probe.Title, "Lumora AI") << c.Name;
        EXPECT_EQ(probe.Text, "Something to say") << c.Name;
    }
}

} // namespace
} // namespace desktop_test

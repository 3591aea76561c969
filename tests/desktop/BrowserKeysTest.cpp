// Which key presses are the browser's own features: the table the WebKitGTK
// engine consults before a key reaches the page, and the zoom steps.

#include "platform/webview/webkit/BrowserKeys.h"

#include <cmath>
#include <gdk/gdkkeysyms.h>
#include <limits>

#include <gtest/gtest.h>

namespace webview {
namespace {

TEST(BrowserKeys, KeysMapToTheFeaturesTheyReachWhateverShiftAndCapsLockDid) {
    struct TRow {
        const char* Name;
        unsigned Keyval;
        unsigned Modifiers;
        TBrowserCommand Command;
    };
    const TRow rows[] = {
        {"F5", GDK_KEY_F5, bmNone, bcReload},
        {"Ctrl+R", GDK_KEY_r, bmControl, bcReload},
        {"Ctrl+R with Caps Lock", GDK_KEY_R, bmControl, bcReload},
        {"Ctrl+Shift+R", GDK_KEY_R, bmControl | bmShift, bcReloadBypassCache},
        {"Ctrl+Shift+R with Caps Lock", GDK_KEY_r, bmControl | bmShift, bcReloadBypassCache},
        {"Shift+F5", GDK_KEY_F5, bmShift, bcReloadBypassCache},
        {"Ctrl+plus as typed with Shift", GDK_KEY_plus, bmControl | bmShift, bcZoomIn},
        {"Ctrl+=", GDK_KEY_equal, bmControl, bcZoomIn},
        {"Ctrl+keypad minus", GDK_KEY_KP_Subtract, bmControl, bcZoomOut},
        {"Ctrl+0", GDK_KEY_0, bmControl, bcZoomReset},
        {"F12", GDK_KEY_F12, bmNone, bcDevTools},
        {"Ctrl+Shift+I", GDK_KEY_I, bmControl | bmShift, bcDevTools},
        {"Ctrl+Shift+I with Caps Lock", GDK_KEY_i, bmControl | bmShift, bcDevTools},
        {"Alt+Left", GDK_KEY_Left, bmAlt, bcBack},
        {"Alt+Right", GDK_KEY_Right, bmAlt, bcForward},
        // Not the browser's: these belong to the page.
        {"R alone", GDK_KEY_r, bmNone, bcNone},
        {"Ctrl+I without Shift", GDK_KEY_i, bmControl, bcNone},
        {"Ctrl+Alt+R", GDK_KEY_r, bmControl | bmAlt, bcNone},
        {"Left without Alt", GDK_KEY_Left, bmNone, bcNone},
        {"Ctrl+F12", GDK_KEY_F12, bmControl, bcNone},
        {"a letter", GDK_KEY_x, bmNone, bcNone},
    };
    for (const TRow& r : rows)
        EXPECT_EQ(BrowserCommandOfKey(r.Keyval, r.Modifiers), r.Command) << r.Name;
}

TEST(BrowserKeys, ZoomStepsThroughTheBrowserLevelsAndStopsAtTheEnds) {
    struct TRow {
        const char* Name;
        double From;
        bool In;
        double To;
    };
    const TRow rows[] = {
        {"in from 100 %", 1.0, true, 1.1},
        {"out from 100 %", 1.0, false, 0.9},
        {"in from between two levels", 1.2, true, 1.25},
        {"out from between two levels", 1.2, false, 1.1},
        {"in from a level off by rounding", 1.0999999, true, 1.25},
        {"in at the top stays", 5.0, true, 5.0},
        {"out at the bottom stays", 0.25, false, 0.25},
        {"not a number resets", std::numeric_limits<double>::quiet_NaN(), true, 1.0},
        {"infinity resets", std::numeric_limits<double>::infinity(), false, 1.0},
    };
    for (const TRow& r : rows)
        EXPECT_DOUBLE_EQ(NextZoomLevel(r.From, r.In), r.To) << r.Name;
}

} // namespace
} // namespace webview

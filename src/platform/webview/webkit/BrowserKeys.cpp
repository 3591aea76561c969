#include "platform/webview/webkit/BrowserKeys.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <gdk/gdkkeysyms.h>
#include <iterator>

namespace webview {

namespace {

struct TKeyCommand {
    unsigned Keyval;
    unsigned Modifiers;
    TBrowserCommand Command;
};

// With Shift held, X reports the shifted symbol: Ctrl+Shift+I arrives as
// Ctrl+Shift+"I", Ctrl+plus as Ctrl+Shift+"plus" on a US keyboard.
constexpr TKeyCommand kCommands[] = {
    {GDK_KEY_F5, bmNone, bcReload},
    {GDK_KEY_r, bmControl, bcReload},
    {GDK_KEY_F5, bmControl, bcReloadBypassCache},
    {GDK_KEY_F5, bmShift, bcReloadBypassCache},
    {GDK_KEY_R, bmControl | bmShift, bcReloadBypassCache},
    {GDK_KEY_plus, bmControl, bcZoomIn},
    {GDK_KEY_plus, bmControl | bmShift, bcZoomIn},
    {GDK_KEY_equal, bmControl, bcZoomIn},
    {GDK_KEY_KP_Add, bmControl, bcZoomIn},
    {GDK_KEY_minus, bmControl, bcZoomOut},
    {GDK_KEY_KP_Subtract, bmControl, bcZoomOut},
    {GDK_KEY_0, bmControl, bcZoomReset},
    {GDK_KEY_KP_0, bmControl, bcZoomReset},
    {GDK_KEY_KP_Insert, bmControl, bcZoomReset},
    {GDK_KEY_F12, bmNone, bcDevTools},
    {GDK_KEY_I, bmControl | bmShift, bcDevTools},
    {GDK_KEY_J, bmControl | bmShift, bcDevTools},
    {GDK_KEY_C, bmControl | bmShift, bcDevTools},
    {GDK_KEY_Left, bmAlt, bcBack},
    {GDK_KEY_KP_Left, bmAlt, bcBack},
    {GDK_KEY_Back, bmNone, bcBack},
    {GDK_KEY_Right, bmAlt, bcForward},
    {GDK_KEY_KP_Right, bmAlt, bcForward},
    {GDK_KEY_Forward, bmNone, bcForward},
};

// The zoom levels browsers step through.
constexpr std::array kZoomLevels{0.25, 0.33, 0.5,  0.67, 0.75, 0.8, 0.9, 1.0, 1.1,
                                 1.25, 1.5,  1.75, 2.0,  2.5,  3.0, 4.0, 5.0};

} // namespace

TBrowserCommand BrowserCommandOfKey(unsigned keyval, unsigned modifiers) noexcept {
    // Letters count whatever Caps Lock did to them.
    if (keyval >= GDK_KEY_a && keyval <= GDK_KEY_z && (modifiers & bmShift))
        keyval = keyval - GDK_KEY_a + GDK_KEY_A;
    if (keyval >= GDK_KEY_A && keyval <= GDK_KEY_Z && !(modifiers & bmShift))
        keyval = keyval - GDK_KEY_A + GDK_KEY_a;
    const unsigned mods = modifiers & (bmShift | bmControl | bmAlt);
    const auto it = std::find_if(std::begin(kCommands), std::end(kCommands), [&](const TKeyCommand& c) {
        return c.Keyval == keyval && c.Modifiers == mods;
    });
    return it == std::end(kCommands) ? bcNone : it->Command;
}

double NextZoomLevel(double level, bool in) noexcept {
    if (!std::isfinite(level))
        return 1.0;
    constexpr double kSame = 0.001;
    if (in) {
        const auto next = std::find_if(kZoomLevels.begin(), kZoomLevels.end(),
                                       [level](double z) { return z > level + kSame; });
        return next == kZoomLevels.end() ? kZoomLevels.back() : *next;
    }
    const auto next = std::find_if(kZoomLevels.rbegin(), kZoomLevels.rend(),
                                   [level](double z) { return z < level - kSame; });
    return next == kZoomLevels.rend() ? kZoomLevels.front() : *next;
}

} // namespace webview

#pragma once

// The keys with which a browser reaches its own features rather than the
// page: reload, zoom, developer tools, history. Which feature a key press
// asks for decides whether the engine acts on it or leaves it to the page.

#include <cstdint>

namespace webview {

enum TBrowserCommand {
    bcNone,
    bcReload,            // F5, Ctrl+R
    bcReloadBypassCache, // Ctrl+F5, Ctrl+Shift+R, Shift+F5
    bcZoomIn,            // Ctrl+plus, Ctrl+=, Ctrl+keypad plus
    bcZoomOut,           // Ctrl+minus, Ctrl+keypad minus
    bcZoomReset,         // Ctrl+0, Ctrl+keypad 0
    bcDevTools,          // F12, Ctrl+Shift+I, Ctrl+Shift+J, Ctrl+Shift+C
    bcBack,              // Alt+Left, the mouse's back button
    bcForward            // Alt+Right, the mouse's forward button
};

enum TBrowserModifiers : std::uint8_t { bmNone = 0, bmShift = 1, bmControl = 2, bmAlt = 4 };

// keyval: the X key symbol as typed (with Shift applied).
[[nodiscard]] TBrowserCommand BrowserCommandOfKey(unsigned keyval, unsigned modifiers) noexcept;

// The zoom control features: the next level up or down from a level.
[[nodiscard]] double NextZoomLevel(double level, bool in) noexcept;

} // namespace webview

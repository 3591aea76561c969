#pragma once

// From X key symbols (as GDK reports them) to the virtual-key codes and
// scan-code flags the window manager works with.

#include <cstdint>

namespace display {

struct TVirtualKey {
    std::uint16_t Code = 0; // 0: the key has no virtual-key code
    bool Extended = false;  // the key sits in the extended block (right Ctrl, arrows, keypad Enter, ...)
};

// keyval is the symbol of the key at shift level 0 (what the key shows
// unshifted), so that Shift+1 is the '1' key and not '!'.
[[nodiscard]] TVirtualKey VirtualKeyOfKeyval(unsigned keyval) noexcept;

} // namespace display

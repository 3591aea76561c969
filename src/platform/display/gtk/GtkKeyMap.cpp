#include "platform/display/gtk/GtkKeyMap.h"

#include <algorithm>
#include <gdk/gdkkeysyms.h>
#include <iterator>

namespace display {

namespace {

struct TKeyRow {
    unsigned Keyval;
    std::uint16_t Vk;
    bool Extended;
};

// Virtual-key codes as the Windows API numbers them; kept here as plain
// numbers because the display layer does not know the window manager.
constexpr TKeyRow kKeys[] = {
    {GDK_KEY_BackSpace, 0x08, false},
    {GDK_KEY_Tab, 0x09, false},
    {GDK_KEY_ISO_Left_Tab, 0x09, false},
    {GDK_KEY_Clear, 0x0C, false},
    {GDK_KEY_Return, 0x0D, false},
    {GDK_KEY_KP_Enter, 0x0D, true},
    {GDK_KEY_Shift_L, 0x10, false},
    {GDK_KEY_Shift_R, 0x10, false},
    {GDK_KEY_Control_L, 0x11, false},
    {GDK_KEY_Control_R, 0x11, true},
    {GDK_KEY_Alt_L, 0x12, false},
    {GDK_KEY_Alt_R, 0x12, true},
    {GDK_KEY_ISO_Level3_Shift, 0x12, true},
    {GDK_KEY_Meta_L, 0x12, false},
    {GDK_KEY_Pause, 0x13, false},
    {GDK_KEY_Caps_Lock, 0x14, false},
    {GDK_KEY_Escape, 0x1B, false},
    {GDK_KEY_space, 0x20, false},
    {GDK_KEY_Prior, 0x21, true},
    {GDK_KEY_Next, 0x22, true},
    {GDK_KEY_End, 0x23, true},
    {GDK_KEY_Home, 0x24, true},
    {GDK_KEY_Left, 0x25, true},
    {GDK_KEY_Up, 0x26, true},
    {GDK_KEY_Right, 0x27, true},
    {GDK_KEY_Down, 0x28, true},
    {GDK_KEY_Print, 0x2C, true},
    {GDK_KEY_Insert, 0x2D, true},
    {GDK_KEY_Delete, 0x2E, true},
    {GDK_KEY_Help, 0x2F, false},
    {GDK_KEY_Super_L, 0x5B, true},
    {GDK_KEY_Super_R, 0x5C, true},
    {GDK_KEY_Menu, 0x5D, true},
    {GDK_KEY_KP_Insert, 0x60, false},
    {GDK_KEY_KP_0, 0x60, false},
    {GDK_KEY_KP_1, 0x61, false},
    {GDK_KEY_KP_End, 0x61, false},
    {GDK_KEY_KP_2, 0x62, false},
    {GDK_KEY_KP_Down, 0x62, false},
    {GDK_KEY_KP_3, 0x63, false},
    {GDK_KEY_KP_Next, 0x63, false},
    {GDK_KEY_KP_4, 0x64, false},
    {GDK_KEY_KP_Left, 0x64, false},
    {GDK_KEY_KP_5, 0x65, false},
    {GDK_KEY_KP_Begin, 0x65, false},
    {GDK_KEY_KP_6, 0x66, false},
    {GDK_KEY_KP_Right, 0x66, false},
    {GDK_KEY_KP_7, 0x67, false},
    {GDK_KEY_KP_Home, 0x67, false},
    {GDK_KEY_KP_8, 0x68, false},
    {GDK_KEY_KP_Up, 0x68, false},
    {GDK_KEY_KP_9, 0x69, false},
    {GDK_KEY_KP_Prior, 0x69, false},
    {GDK_KEY_KP_Multiply, 0x6A, false},
    {GDK_KEY_KP_Add, 0x6B, false},
    {GDK_KEY_KP_Separator, 0x6C, false},
    {GDK_KEY_KP_Subtract, 0x6D, false},
    {GDK_KEY_KP_Decimal, 0x6E, false},
    {GDK_KEY_KP_Delete, 0x6E, false},
    {GDK_KEY_KP_Divide, 0x6F, true},
    {GDK_KEY_Num_Lock, 0x90, true},
    {GDK_KEY_Scroll_Lock, 0x91, false},
    {GDK_KEY_semicolon, 0xBA, false},
    {GDK_KEY_equal, 0xBB, false},
    {GDK_KEY_plus, 0xBB, false},
    {GDK_KEY_comma, 0xBC, false},
    {GDK_KEY_minus, 0xBD, false},
    {GDK_KEY_period, 0xBE, false},
    {GDK_KEY_slash, 0xBF, false},
    {GDK_KEY_grave, 0xC0, false},
    {GDK_KEY_dead_grave, 0xC0, false},
    {GDK_KEY_bracketleft, 0xDB, false},
    {GDK_KEY_backslash, 0xDC, false},
    {GDK_KEY_bracketright, 0xDD, false},
    {GDK_KEY_apostrophe, 0xDE, false},
    {GDK_KEY_dead_acute, 0xDE, false},
    {GDK_KEY_less, 0xE2, false},
};

} // namespace

TVirtualKey VirtualKeyOfKeyval(unsigned keyval) noexcept {
    if (keyval >= GDK_KEY_a && keyval <= GDK_KEY_z)
        return {static_cast<std::uint16_t>('A' + (keyval - GDK_KEY_a)), false};
    if (keyval >= GDK_KEY_A && keyval <= GDK_KEY_Z)
        return {static_cast<std::uint16_t>(keyval), false};
    if (keyval >= GDK_KEY_0 && keyval <= GDK_KEY_9)
        return {static_cast<std::uint16_t>(keyval), false};
    if (keyval >= GDK_KEY_F1 && keyval <= GDK_KEY_F24)
        return {static_cast<std::uint16_t>(0x70 + (keyval - GDK_KEY_F1)), false};
    const auto row = std::find_if(std::begin(kKeys), std::end(kKeys),
                                  [keyval](const TKeyRow& r) { return r.Keyval == keyval; });
    if (row == std::end(kKeys))
        return {};
    return {row->Vk, row->Extended};
}

} // namespace display

#pragma once

// Colour conversion of the class library. ColorToRGB is a patch point: the
// skin library replaces it process-wide with one that also knows named skin
// colours, and restores the original at shutdown.

#include "platform/vcl/GraphicsTypes.h"

#include <atomic>

namespace vcl {

using TColorToRGBProc = TColor (*)(TColor color);

// A system colour (negative value) becomes GetSysColor of its low byte;
// every other value is returned as it is, high byte included.
[[nodiscard]] TColor OriginalColorToRGB(TColor color);

// The routine ColorToRGB calls; replace it with Exchange and put the saved
// one back the same way.
class TColorToRGBSlot {
public:
    [[nodiscard]] TColorToRGBProc Current() const noexcept { return FProc.load(std::memory_order_acquire); }
    TColorToRGBProc Exchange(TColorToRGBProc proc) noexcept {
        return FProc.exchange(proc ? proc : &OriginalColorToRGB, std::memory_order_acq_rel);
    }

private:
    std::atomic<TColorToRGBProc> FProc{&OriginalColorToRGB};
};

inline TColorToRGBSlot ColorToRGBSlot;

[[nodiscard]] inline TColor ColorToRGB(TColor color) {
    return ColorToRGBSlot.Current()(color);
}

// The COLORREF a GDI call takes for a colour: ColorToRGB without the high byte.
[[nodiscard]] inline win::COLORREF ColorToColorRef(TColor color) {
    return static_cast<win::COLORREF>(ColorToRGB(color)) & 0xFFFFFF;
}

} // namespace vcl

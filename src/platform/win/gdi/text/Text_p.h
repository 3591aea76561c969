#pragma once

// Helpers shared by the text exports: the realised font of a DC, and runs
// adjusted for the DC's extra character spacing or a caller's advances.

#include "platform/win/gdi/GdiApi_p.h"
#include "platform/win/gdi/text/FontFace.h"

#include <memory>

namespace win::text {

// Strings longer than this are refused rather than shaped.
inline constexpr UINT MAX_TEXT_UNITS = 1u << 26;

// The realised font selected into the DC; nullptr when it cannot be realised.
std::shared_ptr<FontFace> FontOf(const DeviceContext& dc);

// The run with `extra` pixels after every unit (SetTextCharacterExtra).
std::shared_ptr<const ShapedRun> WithCharacterExtra(std::shared_ptr<const ShapedRun> run, int extra);

// The run with each unit advancing by the caller's value: dx[i] for unit i,
// or dx[2 * i] with `pairs` (ETO_PDY, which also moves the glyphs by the
// y values).
std::shared_ptr<const ShapedRun> WithAdvances(const ShapedRun& run, const INT* dx, bool pairs);

// The locked DC and its realised font for one call.
class TextCall {
public:
    explicit TextCall(HDC handle) : FDc(handle) {
        if (FDc) {
            FFont = FontOf(*FDc);
            if (!FFont) {
                SetLastError(ERROR_INVALID_HANDLE);
            }
        }
    }
    explicit operator bool() const { return FFont != nullptr; }
    DeviceContext& Dc() const { return *FDc; }
    FontFace& Font() const { return *FFont; }

private:
    gdi_p::DcLock FDc;
    std::shared_ptr<FontFace> FFont;
};

} // namespace win::text

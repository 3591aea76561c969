#include "skin/imaging/CanvasFont.h"

#include "platform/win/gdi/Gdi.h"
#include "skin/imaging/PngImage.h"
#include "skin/imaging/PngImageCanvas.h"

#include <cstdlib>

namespace skin {

RTL_IMPLEMENT_CLASS(TCanvasFont)

void TCanvasFont::SetAntialiased(bool Value) {
    if (Value == FAntialiased)
        return;
    FAntialiased = Value;
    ApplyQuality();
}

void TCanvasFont::ApplyQuality() {
    if (FFontSetting)
        return;
    FFontSetting = true;
    try {
        win::LOGFONTW lf{};
        if (win::GetObjectW(Handle(), sizeof lf, &lf) != static_cast<int>(sizeof lf))
            lf = LogFont();
        lf.lfQuality = FAntialiased ? win::ANTIALIASED_QUALITY : win::DEFAULT_QUALITY;
        SetHandle(win::CreateFontIndirectW(&lf));
    } catch (...) {
        FFontSetting = false;
        throw;
    }
    FFontSetting = false;
}

void TCanvasFont::Changed() {
    FFontHeight = 0;
    FFontTextMetric = {};
    // A new handle gets anti-aliasing again; that change notifies once.
    if (FAntialiased && !FFontSetting) {
        ApplyQuality();
        return;
    }
    inherited::Changed();
}

void TCanvasFont::Measure(win::HDC DC) {
    win::HGDIOBJ old = win::SelectObject(DC, Handle());
    win::SIZE size{0, 0};
    FFontHeight = win::GetTextExtentPoint32W(DC, u"`ghj_", 5, &size) ? size.cy : 0;
    if (!win::GetTextMetricsW(DC, &FFontTextMetric))
        FFontTextMetric = {};
    if (FFontHeight == 0)
        FFontHeight = FFontTextMetric.tmHeight;
    if (FFontHeight == 0)
        FFontHeight = std::abs(Height()) + 3;
    win::SelectObject(DC, old);
}

int TCanvasFont::FontHeight() {
    if (FFontHeight != 0)
        return FFontHeight;
    if (FOwner && FOwner->HandleAllocated()) {
        Measure(FOwner->HandleValue());
        return FFontHeight;
    }
    TPngImage* scratch = TPngImage::CreateBlank(COLOR_RGBALPHA, 8, 1, 1, true, true, false);
    try {
        Measure(scratch->Canvas()->Handle());
    } catch (...) {
        scratch->Free();
        throw;
    }
    scratch->Free();
    return FFontHeight;
}

int TCanvasFont::FontBaseLine() {
    (void)FontHeight();
    return FFontTextMetric.tmDescent;
}

} // namespace skin

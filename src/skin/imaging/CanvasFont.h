#pragma once

// The font of a PNG image's canvas: the class library's font with optional
// anti-aliasing (applied again to every new handle) and a cached text
// height and metrics, measured once per change.

#include "platform/vcl/Font.h"
#include "platform/win/gdi/text/TextTypes.h"

namespace skin {

class TPngImageCanvas;

class TCanvasFont : public vcl::TFont {
    RTL_CLASS(TCanvasFont, vcl::TFont)
public:
    explicit TCanvasFont(TPngImageCanvas* Owner) : FOwner(Owner) {}

    [[nodiscard]] bool Antialiased() const noexcept { return FAntialiased; }
    // Re-creates the handle with anti-aliased or default quality.
    void SetAntialiased(bool Value);
    // The height of the text "`ghj_" on the owner canvas (or a scratch
    // image's when it has no DC); tmHeight when that gives 0; |Height| + 3
    // when both fail.
    [[nodiscard]] int FontHeight();
    // tmDescent of the cached metrics.
    [[nodiscard]] int FontBaseLine();

protected:
    void Changed() override;

private:
    void ApplyQuality();
    void Measure(win::HDC DC);

    bool FFontSetting = false;
    bool FAntialiased = false;
    int FFontHeight = 0;
    win::TEXTMETRICW FFontTextMetric{};
    TPngImageCanvas* FOwner;
};

} // namespace skin

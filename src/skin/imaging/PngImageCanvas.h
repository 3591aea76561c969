#pragma once

// The canvas of a PNG image: asking it for a DC puts the image's pixels into
// a DIB section selected into a memory DC (decoding deferred pixels and
// taking shared ones out of sharing first); its font is a TCanvasFont.

#include "platform/vcl/Canvas.h"
#include "skin/imaging/PngImageTypes.h"

namespace skin {

class TPngImage;
class TCanvasFont;
class TGraphic;

class TPngImageCanvas : public vcl::TCanvas {
    RTL_CLASS(TPngImageCanvas, vcl::TCanvas)
public:
    explicit TPngImageCanvas(TPngImage* Owner);
    // The image's current canvas first takes the image back to memory
    // storage, then the image gets a fresh canvas.
    ~TPngImageCanvas() override;

    [[nodiscard]] TPngImage* Owner() const noexcept { return FOwner; }
    [[nodiscard]] TCanvasFont* FontEx() const noexcept { return FFont; }
    void SetFontEx(vcl::TFont* Value);

    // Draws the graphic with an opacity, with every object selected.
    void StretchDraw(const vcl::TRect& Rect, vcl::TGraphic* Graphic, std::uint8_t Opacity);
    using vcl::TCanvas::StretchDraw;

    // Any drawing call first gives the image pixels of its own.
    void Changing() override;

protected:
    void CreateHandle() override;

private:
    friend class TPngImage;

    TPngImage* FOwner;
    TCanvasFont* FFont = nullptr;
};

} // namespace skin
